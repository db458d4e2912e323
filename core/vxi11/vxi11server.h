// SPDX-FileCopyrightText: 2026 Tarvex
// SPDX-License-Identifier: MIT
// The VXI-11 side of the remote control: the core channel and the abort
// channel of the LAN instrument protocol, served by the system's ONC RPC
// library (libtirpc) on the panel's own event loop. Each link is one client
// of the handler, as a socket connection is one client of the SCPI server;
// what a message does is the handler's business.
#pragma once

#include "accessrules.h"
#include "scpihandler.h"

#include <QByteArray>
#include <QHostAddress>
#include <QObject>
#include <QString>

#include <chrono>
#include <memory>
#include <vector>

class QTimer;

namespace sfp {

// What the VXI-11 server asks of the remote control beyond running lines.
class Vxi11Handler : public ScpiHandler
{
public:
    // Whether one more client may join, links and socket clients counted
    // together; a client that has held a place without a word for a while
    // may be let go to make room.
    virtual bool hasRoomForClient() = 0;
    // The one lock of the card (SYSTem:LOCK's): taken when it is free or
    // the client's already.
    virtual bool takeLock(quint64 client) = 0;
    // False, and nothing changes, when the client does not hold it.
    virtual bool releaseLock(quint64 client) = 0;
    virtual bool isLockedByOther(quint64 client) const = 0;
    // device_clear: the client's error queue emptied.
    virtual void clearErrors(quint64 client) = 0;
    // A query came while the response of the one before was unread: the
    // old response is gone, and the client's queue says so (-410).
    virtual void queryInterrupted(quint64 client) = 0;
    // The status byte as *STB? gives it, with the message-available bit
    // (and the summary it enables) set when a response waits.
    virtual int statusByte(quint64 client, bool messageAvailable) = 0;
};

// The protocol's error codes, as the procedures return them.
namespace vxi11 {
enum Error : long {
    NoError = 0,
    SyntaxError = 1,
    DeviceNotAccessible = 3,
    InvalidLinkIdentifier = 4,
    ParameterError = 5,
    OperationNotSupported = 8,
    OutOfResources = 9,
    DeviceLockedByAnotherLink = 11,
    NoLockHeldByThisLink = 12,
    IoTimeout = 15,
    InvalidAddress = 21,
    Abort = 23,
};
// Device_Flags bits and device_read's reasons.
enum : long {
    WaitLock = 0x01,
    End = 0x08,
    TermCharSet = 0x80,
};
enum Reason : long {
    RequestCount = 1,
    TermChar = 2,
    EndOfMessage = 4,
};
} // namespace vxi11

class Vxi11Server final : public QObject
{
    Q_OBJECT
    Q_DISABLE_COPY_MOVE(Vxi11Server)

public:
    // Client numbers of links start here, apart from the socket server's.
    static constexpr quint64 firstClient = quint64(1) << 48;
    // The largest piece of a message one device_write takes; a client
    // sends a longer message in pieces.
    static constexpr unsigned maxReceiveSize = 64 * 1024;
    // Connections at a time, with or without links; one more is closed at
    // once, unless one of them holds no link and has made no call for
    // quietTimeout: that one is closed instead.
    static constexpr int maxConnections = 16;
    static constexpr std::chrono::milliseconds quietTimeout {5000};
    // The core channel's program and version, as the port mapper knows it.
    static constexpr quint32 coreProgram = 0x0607AF;
    static constexpr quint32 coreVersion = 1;

    explicit Vxi11Server(Vxi11Handler *handler, QObject *parent = nullptr);
    ~Vxi11Server() override;

    // Binds the core channel and the abort channel to free ports of the
    // address, without taking any request yet. The RPC library keeps its
    // services in one table per process, so only one server listens at a
    // time. False, with errorString() saying why, when it cannot.
    bool listen(const QHostAddress &address);
    QString errorString() const { return m_error; }
    quint16 port() const { return m_corePort; }
    quint16 abortPort() const { return m_abortPort; }

    // A connection that completes no call for this long, while none of
    // its calls waits, is closed, its links with it; zero: never. For the
    // connections accepted from now on.
    void setIdleTimeout(std::chrono::milliseconds idle) { m_idle = idle; }
    // Who may make a link (by default the loopback only); for the others
    // create_link and device_abort answer "device not accessible". For
    // the connections accepted from now on.
    void setAccess(const AccessRules &rules) { m_access = rules; }

    // Takes requests from now on.
    void start();
    // A held line may have ended: its response, the lines behind it and
    // the calls that wait for them go on now rather than at the server's
    // next look.
    void resumeHeld();

    int linkCount() const { return int(m_links.size()); }
    // The client's address and port, "127.0.0.1:40312"; empty for a client
    // that is no link of this server.
    QString peerName(quint64 client) const;

signals:
    void linkCountChanged(int count);
    // A link refused because the access rules do not allow the client's
    // address: where from (as peerName() writes it), and why; and the
    // address.
    void clientRefused(const QString &peer, const QString &why);
    void notAllowed(const QHostAddress &address);

public:
    // Of the RPC library's calls; not for other callers.
    struct Call;
    void dispatch(Call &call);

private:
    struct Connection;
    struct Link;
    struct Parked;

    void service(int descriptor);
    void followConnections();
    Connection *connectionOf(int descriptor);
    Link *linkOf(long id, const Connection *connection);
    void dropLink(std::vector<std::unique_ptr<Link>>::iterator link);
    void retryParked();
    // A device_write's data, as lines to run in order behind what waits.
    void takeMessage(Link &link, const QByteArray &data, bool end);
    // Runs the lines that wait, until one is held.
    void runLines(Link &link);
    // Whether a line of the link is still held; one whose hold has ended
    // gives its response, and the lines behind it run.
    bool stillHeld(Link &link);
    bool anyHeld() const;
    // device_clear: nothing received or unread stays.
    void clearMessage(Link &link);
    void resume(Connection *connection);
    void replyAndResume(Parked &parked, long error) const;
    bool completes(Parked &parked);
    bool waitsForHeldLine(Parked &parked, Link &link);
    void abort(Call &call);
    void closeConnection(Connection *connection);
    void idleFor(int descriptor);
    // Closes the connection that has been quiet longest without a link,
    // if it has been for quietTimeout; false when there is none.
    bool closeQuietConnection();

    Vxi11Handler *m_handler;
    QString m_error;
    quint16 m_corePort = 0;
    quint16 m_abortPort = 0;
    std::vector<std::unique_ptr<Connection>> m_listeners; // core channel, abort channel
    std::vector<std::unique_ptr<Connection>> m_connections;
    std::vector<std::unique_ptr<Link>> m_links;
    std::vector<std::unique_ptr<Parked>> m_parked;
    QTimer *m_retry;
    std::chrono::milliseconds m_idle {0};
    AccessRules m_access;
    long m_nextLink = 1;
    bool m_started = false;
    bool m_inService = false;
    bool m_inRetry = false;
};

} // namespace sfp
