// SPDX-FileCopyrightText: 2026 Tarvex
// SPDX-License-Identifier: MIT
// Fuzzes the VXI-11 server's request path: each input is one call on a
// connection with a link, its procedure chosen by the first byte and its
// arguments the rest, arbitrary XDR. The server answers or ends the
// connection, never crashes or hangs, hands its handler no line longer than
// the limit, and keeps no link once the connection is gone.
#include "scpiserver.h"
#include "vxi11.h"
#include "vxi11server.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QHostAddress>
#include <QtEndian>

#include <netinet/in.h>
#include <sys/socket.h>
#include <unistd.h>

#include <array>
#include <cstdint>
#include <cstdlib>
#include <cstring>

namespace {

class Handler final : public sfp::Vxi11Handler
{
public:
    bool isReady() const override { return true; }
    void clientJoined(quint64 /*client*/) override { ++clients; }
    void clientLeft(quint64 /*client*/) override { --clients; }
    QByteArray execute(quint64 /*client*/, QByteArrayView line) override
    {
        if (line.size() > sfp::ScpiServer::maxLineLength)
            std::abort();
        return line.endsWith('?') ? QByteArrayLiteral("1\n") : QByteArray();
    }
    void lineTooLong(quint64 /*client*/) override { }
    bool hasRoomForClient() override { return clients < 4; }
    bool takeLock(quint64 client) override
    {
        if (owner != 0 && owner != client)
            return false;
        owner = client;
        return true;
    }
    bool releaseLock(quint64 client) override
    {
        if (owner != client)
            return false;
        owner = 0;
        return true;
    }
    bool isLockedByOther(quint64 client) const override { return owner != 0 && owner != client; }
    void clearErrors(quint64 /*client*/) override { }
    void queryInterrupted(quint64 /*client*/) override { }
    int statusByte(quint64 /*client*/, bool messageAvailable) override
    {
        return messageAvailable ? 16 : 0;
    }

    int clients = 0;
    quint64 owner = 0;
};

constexpr std::array<quint32, 16> procedures {0,  10, 11, 12, 13, 14, 15, 16,
                                              17, 18, 19, 20, 22, 23, 25, 26};

void put(QByteArray &record, quint32 value)
{
    const quint32 big = qToBigEndian(value);
    record.append(reinterpret_cast<const char *>(&big), 4);
}

// One record: a call of the core channel with AUTH_NONE.
QByteArray call(quint32 xid, quint32 procedure, const QByteArray &arguments)
{
    QByteArray body;
    for (quint32 word : {xid, 0U, 2U, quint32(DEVICE_CORE), 1U, procedure, 0U, 0U, 0U, 0U})
        put(body, word);
    body += arguments;
    QByteArray record;
    put(record, 0x80000000U | quint32(body.size()));
    return record + body;
}

struct Fixture
{
    Fixture()
    {
        static int argc = 1;
        static char name[] = "fuzz_vxi11_server";
        static char *argv[] = {name, nullptr};
        app = new QCoreApplication(argc, argv);
        server = new sfp::Vxi11Server(&handler);
        if (!server->listen(QHostAddress::LocalHost))
            std::abort();
        server->start();
    }
    QCoreApplication *app;
    Handler handler;
    sfp::Vxi11Server *server;
};

// Runs the server until the connection has a reply or has ended; what came.
QByteArray pump(int socket)
{
    QElapsedTimer timer;
    timer.start();
    char buffer[4096];
    while (timer.elapsed() < 2000) {
        QCoreApplication::processEvents(QEventLoop::AllEvents, 5);
        const ssize_t got = ::recv(socket, buffer, sizeof buffer, MSG_DONTWAIT);
        if (got >= 0)
            return QByteArray(buffer, got);
    }
    return QByteArray();
}

// A connection to the server from a loopback address of its own. Each
// connection the server ends first leaves its side in TIME_WAIT for a
// minute, and thousands of inputs a second from one address would use up
// the ports a client can connect from; 127.0.0.0/8 is wide enough.
int connected(quint16 port)
{
    static quint32 next = 0;
    for (int attempt = 0; attempt < 100; ++attempt) {
        const quint32 host = next++ % (250U * 250U);
        const int socket = ::socket(AF_INET, SOCK_STREAM, 0);
        sockaddr_in from {};
        from.sin_family = AF_INET;
        from.sin_addr.s_addr = htonl((127U << 24) | ((host / 250U + 1U) << 8) | (host % 250U + 1U));
        sockaddr_in address {};
        address.sin_family = AF_INET;
        address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
        address.sin_port = htons(port);
        if (::bind(socket, reinterpret_cast<sockaddr *>(&from), sizeof from) == 0
            && ::connect(socket, reinterpret_cast<sockaddr *>(&address), sizeof address) == 0)
            return socket;
        ::close(socket);
    }
    std::abort();
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    static Fixture fixture;
    if (size < 1)
        return 0;
    const int socket = connected(fixture.server->port());

    // A link first: device "inst0", no lock.
    QByteArray link;
    for (quint32 word : {7U, 0U, 0U, 5U})
        put(link, word);
    link += QByteArray("inst0\0\0\0", 8);
    const QByteArray first = call(1, 10, link);
    ::send(socket, first.constData(), size_t(first.size()), MSG_NOSIGNAL);
    const QByteArray reply = pump(socket);

    // The first byte: the procedure, and whether the arguments name the
    // link made (most begin with a link id) or keep the input's own.
    const quint32 procedure = procedures[data[0] % procedures.size()];
    QByteArray arguments(reinterpret_cast<const char *>(data + 1), qsizetype(size - 1));
    // Record mark, xid, reply, accepted, verifier (2 words), success,
    // error: then the link id.
    constexpr qsizetype linkAt = 32;
    if ((data[0] & 0x80) == 0 && arguments.size() >= 4 && reply.size() >= linkAt + 4)
        arguments.replace(0, 4, reply.mid(linkAt, 4));
    const QByteArray second = call(2, procedure, arguments);
    ::send(socket, second.constData(), size_t(second.size()), MSG_NOSIGNAL);
    pump(socket);
    // Ended with a reset: a closed connection would leave its port in
    // TIME_WAIT, and thousands of inputs a second use up the ports.
    const linger reset {1, 0};
    ::setsockopt(socket, SOL_SOCKET, SO_LINGER, &reset, sizeof reset);
    ::close(socket);

    // The connection's end takes its link with it.
    QElapsedTimer timer;
    timer.start();
    while (fixture.server->linkCount() != 0 && timer.elapsed() < 2000)
        QCoreApplication::processEvents(QEventLoop::AllEvents, 5);
    if (fixture.server->linkCount() != 0 || fixture.handler.clients != 0)
        std::abort();
    fixture.handler.owner = 0;
    return 0;
}
