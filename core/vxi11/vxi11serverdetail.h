// SPDX-FileCopyrightText: 2026 Tarvex
// SPDX-License-Identifier: MIT
// What the VXI-11 server's two files share: the records it keeps of
// connections, links and calls that wait, and how a reply is sent.
#pragma once

#include "vxi11.h"
#include "vxi11server.h"

#include <QByteArray>
#include <QDeadlineTimer>
#include <QElapsedTimer>
#include <QSocketNotifier>
#include <QString>
#include <QTimer>

#include <deque>
#include <memory>

namespace sfp {

namespace vxi11 {

// An XDR routine as the RPC library takes it, whatever its own type.
template<typename Routine>
xdrproc_t coder(Routine routine)
{
    return reinterpret_cast<xdrproc_t>(reinterpret_cast<void (*)()>(routine));
}

template<typename Reply>
void sendReply(SVCXPRT *transport, xdrproc_t encode, Reply *reply)
{
    svc_sendreply(transport, encode, reinterpret_cast<char *>(reply));
}

inline void sendError(SVCXPRT *transport, long error)
{
    Device_Error reply {error};
    sendReply(transport, coder(xdr_Device_Error), &reply);
}

} // namespace vxi11

struct Vxi11Server::Call
{
    svc_req *request;
    SVCXPRT *transport;
};

struct Vxi11Server::Connection
{
    int descriptor = -1;
    SVCXPRT *transport = nullptr; // known from its first call
    std::unique_ptr<QSocketNotifier> notifier;
    QString peer;
    QHostAddress address; // the peer's, an IPv4 one plain
    bool allowed = false; // by the access rules
    bool waiting = false; // a call of it is parked, unanswered
    bool closing = false; // shut down; the library has yet to see its end
    QElapsedTimer quiet; // since its acceptance or its last call
    std::unique_ptr<QTimer> idle; // with an idle timeout only
};

struct Vxi11Server::Link
{
    struct Line
    {
        QByteArray text;
        bool tooLong = false;
    };

    long id = 0;
    quint64 client = 0;
    Connection *connection = nullptr;
    QByteArray input; // the line being received
    bool discarding = false; // the rest of a line that was too long
    QByteArray response; // unread part of the response message
    // Its latest line waits half run (see ScpiHandler::isHeld), with what
    // it has said so far, and the lines of the same message behind it.
    bool held = false;
    QByteArray heldResponse;
    std::deque<Line> lines;
};

// A call that waits for the panel to be ready or for the lock, with what it
// carries; answered when it can be, or when its time is up.
struct Vxi11Server::Parked
{
    Connection *connection = nullptr;
    SVCXPRT *transport = nullptr;
    rpcproc_t procedure = 0;
    long link = 0;
    long flags = 0;
    QByteArray data;
    unsigned long requestSize = 0;
    char termChar = 0;
    QDeadlineTimer ioDeadline;
    QDeadlineTimer lockDeadline;
};

} // namespace sfp
