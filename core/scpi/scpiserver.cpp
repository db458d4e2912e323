// SPDX-FileCopyrightText: 2026 Tarvex
// SPDX-License-Identifier: MIT
#include "scpiserver.h"

#include "endpoint.h"
#include "scpiparser.h"

#include <QElapsedTimer>
#include <QScopedValueRollback>
#include <QTcpServer>
#include <QTcpSocket>
#include <QTimer>

#include <netinet/in.h>
#include <netinet/tcp.h>
#include <sys/socket.h>

#include <algorithm>
#include <deque>
#include <utility>

namespace {

// Lines of one client read ahead of running, in number and in bytes; beyond
// them the socket is not read, and the sender waits as TCP makes it wait.
constexpr size_t maxWaitingLines = 1024;
constexpr qsizetype maxWaitingBytes = qsizetype(256) * 1024;
// How long one pass runs lines before the window gets its turn; one pass
// per turn of the event loop, so that painting and input come between.
constexpr qint64 passMilliseconds = 10;
// How soon lines that wait for the handler are tried again.
constexpr int retryMilliseconds = 10;
constexpr qint64 readChunk = qint64(16) * 1024;

// What a client beyond the limit reads before the end of its connection,
// so that its first read fails at once and says why.
constexpr char tooManyClients[] = "-310,\"System error;too many clients\"\n";
// How long a refused connection takes what its client still sends, and how
// many may do so at a time; beyond them a refused connection is closed at
// once, its line sent but perhaps not read.
constexpr int refusalLingerMilliseconds = 2000;
constexpr int maxRefusing = 16;

void setTcpOption(qintptr socket, int name, int value)
{
    // A connection works without any of these options; a system that
    // refuses one leaves it as it was.
    ::setsockopt(int(socket), IPPROTO_TCP, name, &value, sizeof value);
}

// Has the system look after a connection whose peer may vanish without a
// word. The probes are only sent while nothing is in flight; a response
// sent to a vanished peer would be retried for a quarter of an hour, so the
// same time bounds how long one may stay unacknowledged, or unsent behind
// the full buffers of a client that reads nothing (hung or not, such a
// client holds the server's memory meanwhile).
void watchConnection(QTcpSocket *socket, const sfp::ScpiServer::ClientTimeouts &timeouts)
{
    socket->setSocketOption(QAbstractSocket::KeepAliveOption, 1);
    const qintptr fd = socket->socketDescriptor();
    setTcpOption(fd, TCP_KEEPIDLE, int(timeouts.keepAliveIdle.count()));
    setTcpOption(fd, TCP_KEEPINTVL, int(timeouts.keepAliveInterval.count()));
    setTcpOption(fd, TCP_KEEPCNT, timeouts.keepAliveProbes);
    const auto giveUp
        = timeouts.keepAliveIdle + timeouts.keepAliveProbes * timeouts.keepAliveInterval;
    setTcpOption(fd, TCP_USER_TIMEOUT,
                 int(std::chrono::duration_cast<std::chrono::milliseconds>(giveUp).count()));
    // A response goes out as soon as it is written, not when the client's
    // acknowledgement of the one before comes.
    socket->setSocketOption(QAbstractSocket::LowDelayOption, 1);
}

// Acknowledges what was read at once. Without it the system delays the
// acknowledgement of a line that has no response (by 40 ms), and a client
// whose small-packet delay is on (as VISA libraries leave it) holds its
// next line back until that acknowledgement comes: "write, write, query"
// took 48 ms where the query alone takes 0.05 ms. The system leaves this
// mode again on its own as soon as responses flow, so it is asked for after
// every read that follows a response; until the next response goes, the
// system acknowledges each read of a short line by itself.
void acknowledgeAtOnce(QTcpSocket *socket)
{
    setTcpOption(socket->socketDescriptor(), TCP_QUICKACK, 1);
}

} // namespace

namespace sfp {

namespace {

// A client's address as endpointText writes it; an IPv4 client reached
// through a dual-stack socket by its plain IPv4 address.
QString peerText(const QTcpSocket *socket)
{
    return endpointText(plainAddress(socket->peerAddress()), socket->peerPort());
}

} // namespace

struct ScpiServer::Client
{
    struct Line
    {
        QByteArray text;
        bool tooLong = false;
    };

    quint64 id = 0;
    QTcpSocket *socket = nullptr;
    QString peer; // ADDRESS:PORT, kept past the disconnection
    QTimer *idle = nullptr; // with an idle timeout only
    QElapsedTimer joined;
    QByteArray partial; // the line being received
    bool discarding = false; // the rest of a line that was too long
    bool spoke = false; // a line of it was complete
    std::deque<Line> lines;
    qsizetype waitingBytes = 0; // of the lines
    bool gone = false; // disconnected; its lines still run
    // Its latest line waits half run (see ScpiHandler::isHeld), with what
    // it has said so far: its next lines wait behind it.
    bool held = false;
    QByteArray heldResponse;
    bool ranInPass = false; // a line of it ran in the pass under way
    bool answered = true; // a response went since its last read was acknowledged

    void acknowledge()
    {
        // A response still unsent may leave the mode once it goes.
        if (!answered && socket->bytesToWrite() == 0)
            return;
        answered = false;
        acknowledgeAtOnce(socket);
    }

    // Splits what the socket holds into lines, as far as the limits allow.
    void take()
    {
        while (lines.size() < maxWaitingLines && waitingBytes < maxWaitingBytes
               && socket->bytesAvailable() > 0)
            split(socket->read(readChunk));
    }

    // What came while the last lines ran, read at once: a client that sends
    // its next line before the response to the one before (writes, then a
    // query, with the small-packet delay on; a script that pipelines)
    // would otherwise wait for another turn of the event loop. Only for a
    // client whose line ran in this pass and of which nothing waits, here
    // or in the toolkit's buffer, so that the order is kept. Nothing here
    // ends the client: the connection's end, or an error the read took,
    // leaves the socket readable, and the toolkit finds the end as usual.
    // True when it made a line.
    bool takeArrived()
    {
        if (!ranInPass || gone || !lines.empty() || socket->bytesAvailable() > 0)
            return false;
        char data[readChunk];
        const ssize_t received
            = ::recv(int(socket->socketDescriptor()), data, sizeof data, MSG_DONTWAIT);
        if (received <= 0)
            return false;
        acknowledge();
        split(QByteArrayView(data, qsizetype(received)));
        return !lines.empty();
    }

    void push(Line line)
    {
        waitingBytes += line.text.size();
        lines.push_back(std::move(line));
    }

    Line pop()
    {
        Line line = std::move(lines.front());
        lines.pop_front();
        waitingBytes -= line.text.size();
        return line;
    }

    void split(QByteArrayView data)
    {
        qsizetype from = 0;
        while (from < data.size()) {
            const qsizetype end = data.indexOf('\n', from);
            const qsizetype stop = end < 0 ? data.size() : end;
            if (!discarding)
                partial.append(data.constData() + from, stop - from);
            if (end < 0) {
                // One byte more than the limit may be the "\r" of "\r\n".
                if (!discarding && partial.size() > maxLineLength + 1)
                    dropPartial();
                return;
            }
            if (discarding) {
                discarding = false;
            } else {
                if (partial.endsWith('\r'))
                    partial.chop(1);
                if (partial.size() > maxLineLength) {
                    dropPartial();
                    discarding = false;
                } else {
                    push({partial, false});
                }
            }
            partial.clear();
            from = end + 1;
            // Only a whole line is a word: bytes that trickle in without
            // a line end keep no client.
            spoke = true;
            if (idle != nullptr)
                idle->start();
        }
    }

    void dropPartial()
    {
        partial.clear();
        partial.squeeze();
        discarding = true;
        push({QByteArray(), true});
    }
};

ScpiServer::ScpiServer(ScpiHandler *handler, QObject *parent)
    : QObject(parent)
    , m_handler(handler)
    , m_server(new QTcpServer(this))
    , m_retry(new QTimer(this))
{
    m_retry->setSingleShot(true);
    connect(m_retry, &QTimer::timeout, this, [this] {
        m_yielded = false;
        runWaitingLines();
    });
    connect(m_server, &QTcpServer::newConnection, this, &ScpiServer::acceptClients);
}

ScpiServer::~ScpiServer()
{
    // The sockets, refused ones too, are children of the server and go
    // with it; the handler hears of no client any more, and a socket's last
    // signals reach no client record.
    for (QTcpSocket *socket : m_server->findChildren<QTcpSocket *>())
        socket->disconnect(this);
    m_clients.clear();
}

bool ScpiServer::listen(const QHostAddress &address, quint16 port)
{
    if (!m_server->listen(address, port))
        return false;
    // Connections wait in the system's queue until the panel is connected.
    m_server->pauseAccepting();
    return true;
}

QString ScpiServer::errorString() const
{
    return m_server->errorString();
}

QHostAddress ScpiServer::address() const
{
    return m_server->serverAddress();
}

quint16 ScpiServer::port() const
{
    return m_server->serverPort();
}

void ScpiServer::start()
{
    m_server->resumeAccepting();
    acceptClients();
}

void ScpiServer::resume()
{
    runWaitingLines();
}

void ScpiServer::resumeHeld()
{
    // Told while a pass runs (by the line that runs in it): the pass may
    // have passed the held client already, so another follows at once.
    if (m_inPass) {
        m_lookAgain = true;
        return;
    }
    runWaitingLines();
}

QString ScpiServer::peerName(quint64 client) const
{
    for (const std::unique_ptr<Client> &entry : m_clients) {
        if (entry->id == client)
            return entry->peer;
    }
    return QString();
}

int ScpiServer::clientCount() const
{
    return int(std::count_if(m_clients.begin(), m_clients.end(),
                             [](const std::unique_ptr<Client> &client) { return !client->gone; }));
}

void ScpiServer::acceptClients()
{
    while (QTcpSocket *socket = m_server->nextPendingConnection()) {
        // Before anything else of it counts: a stranger takes no place.
        if (!m_access.allows(socket->peerAddress())) {
            const QHostAddress address = plainAddress(socket->peerAddress());
            refuse(socket,
                   scpi::errorString(scpi::CommandProtected,
                                     QStringLiteral("not allowed from ") + address.toString())
                       + '\n',
                   QStringLiteral("its address is not allowed (--allow)"));
            emit notAllowed(address);
            continue;
        }
        if (clientCount() + m_handler->clientsElsewhere() >= maxClients && !dropSilentClient()) {
            refuse(socket, tooManyClients, QStringLiteral("too many clients"));
            continue;
        }
        auto client = std::make_unique<Client>();
        client->id = m_nextId++;
        client->socket = socket;
        client->joined.start();
        client->peer = peerText(socket);
        watchConnection(socket, m_timeouts);
        // Read no further ahead than one line's worth while lines wait.
        socket->setReadBufferSize(maxLineLength);
        Client *raw = client.get();
        m_clients.push_back(std::move(client));
        connect(socket, &QTcpSocket::readyRead, this, [this, raw] { readFrom(raw); });
        connect(socket, &QTcpSocket::bytesWritten, this, &ScpiServer::runWaitingLines);
        connect(socket, &QTcpSocket::disconnected, this, [this, raw] { clientDisconnected(raw); });
        if (m_timeouts.idle.count() > 0) {
            raw->idle = new QTimer(socket);
            raw->idle->setSingleShot(true);
            raw->idle->setInterval(m_timeouts.idle);
            connect(raw->idle, &QTimer::timeout, this, [this, raw] { idleFor(raw); });
            raw->idle->start();
        }
        m_handler->clientJoined(raw->id);
        emit clientCountChanged(clientCount());
        // Data may have come with the connection.
        readFrom(raw);
    }
}

void ScpiServer::refuse(QTcpSocket *socket, const QByteArray &line, const QString &why)
{
    emit clientRefused(peerText(socket), why);
    socket->write(line);
    socket->flush();
    if (m_refusing >= maxRefusing || socket->bytesToWrite() > 0) {
        socket->abort();
        socket->deleteLater();
        return;
    }
    // The line, then the end of what this side sends. The socket stays open
    // a moment to take what the client sends meanwhile: closed with bytes
    // unread, it would answer with a reset, which may reach the client
    // before the line is read.
    ::shutdown(int(socket->socketDescriptor()), SHUT_WR);
    ++m_refusing;
    connect(socket, &QObject::destroyed, this, [this] { --m_refusing; });
    connect(socket, &QTcpSocket::readyRead, socket,
            [socket] { socket->skip(socket->bytesAvailable()); });
    connect(socket, &QTcpSocket::disconnected, socket, &QObject::deleteLater);
    QTimer::singleShot(refusalLingerMilliseconds, socket, [socket] {
        socket->abort();
        socket->deleteLater();
    });
}

bool ScpiServer::dropSilentClient()
{
    // A connection that has said nothing since it came may be a client
    // that takes its time (a script that opens its instruments first), so
    // it is not closed on a timer of its own; but it holds no place against
    // one that wants to talk. The oldest goes first.
    Client *silent = nullptr;
    for (const std::unique_ptr<Client> &client : m_clients) {
        if (!client->gone && !client->spoke && client->joined.elapsed() >= firstLineTimeout.count()
            && (silent == nullptr || client->joined.elapsed() > silent->joined.elapsed()))
            silent = client.get();
    }
    if (silent == nullptr)
        return false;
    drop(silent);
    return true;
}

void ScpiServer::readFrom(Client *client)
{
    client->acknowledge();
    client->take();
    runWaitingLines();
}

void ScpiServer::idleFor(Client *client)
{
    if (client->gone)
        return;
    // A client whose lines wait for the panel, or whose line waits for the
    // card to finish, is not silent: it waits too.
    if (!client->lines.empty() || client->held) {
        client->idle->start();
        return;
    }
    drop(client);
}

void ScpiServer::drop(Client *client)
{
    // Nothing more of it runs: what it sent and has not run goes, as
    // whatever it had still to read goes with the connection.
    client->lines.clear();
    client->waitingBytes = 0;
    QTcpSocket *socket = client->socket;
    // Its signals while it closes would tell of this same end again.
    socket->disconnect(this);
    client->gone = true;
    emit clientCountChanged(clientCount());
    socket->abort();
    // Forgotten by the next pass, which the caller's own work (a pass, a
    // link being made) does not wait for; the socket itself goes later.
    m_retry->start(0);
}

void ScpiServer::runWaitingLines()
{
    // Sending a response may report bytes written, or the client's end, at
    // once: the pass that runs goes on with them.
    // A pass that gave the window its turn goes on in the next turn, not
    // sooner because more lines came meanwhile.
    if (m_inPass || m_yielded)
        return;
    const QScopedValueRollback<bool> inPass(m_inPass, true);
    QElapsedTimer pass;
    pass.start();
    for (const std::unique_ptr<Client> &client : m_clients)
        client->ranInPass = false;
    bool ran = true;
    while (ran) {
        ran = false;
        // One line per client in turn, so that no client starves the others.
        for (size_t i = 0; i < m_clients.size(); ++i)
            ran = runOneLine(m_clients[i].get()) || ran;
        // Only a client whose line ran is likely to have sent the next
        // one meanwhile; the others are heard of as usual.
        for (size_t i = 0; !ran && i < m_clients.size(); ++i)
            ran = m_clients[i]->takeArrived();
        if (ran && pass.elapsed() >= passMilliseconds) {
            // The window's turn; the rest comes right after it.
            m_yielded = true;
            m_retry->start(0);
            return;
        }
    }

    // A client that has gone while its line is held would be kept for as
    // long as the card takes (a scan may never end) for nobody to read the
    // response: it leaves, and the handler lets the line go.
    const auto finished = [](const std::unique_ptr<Client> &client) {
        return client->gone && (client->lines.empty() || client->held);
    };
    while (true) {
        const auto it = std::find_if(m_clients.begin(), m_clients.end(), finished);
        if (it == m_clients.end())
            break;
        forget(it->get());
    }

    const bool waiting
        = std::any_of(m_clients.begin(), m_clients.end(),
                      [](const std::unique_ptr<Client> &client) { return !client->lines.empty(); });
    // The handler may not say when a held line ends: it is asked now and
    // then, as long as one is held.
    const bool held
        = std::any_of(m_clients.begin(), m_clients.end(),
                      [](const std::unique_ptr<Client> &client) { return client->held; });
    if (std::exchange(m_lookAgain, false))
        m_retry->start(0);
    else if (held || (waiting && !m_handler->isReady()))
        m_retry->start(retryMilliseconds);
}

bool ScpiServer::runOneLine(Client *client)
{
    if (client->held)
        return resumeHeldLine(client);
    if (client->lines.empty() || !m_handler->isReady())
        return false;
    const Client::Line line = client->pop();
    client->ranInPass = true;
    if (!client->gone && client->lines.size() < maxWaitingLines / 2
        && client->waitingBytes < maxWaitingBytes / 2)
        client->take();

    if (line.tooLong) {
        m_handler->lineTooLong(client->id);
        return true;
    }
    const QByteArray response = m_handler->execute(client->id, line.text);
    if (m_handler->isHeld(client->id)) {
        client->held = true;
        client->heldResponse = response;
        return true;
    }
    respond(client, response);
    return true;
}

bool ScpiServer::resumeHeldLine(Client *client)
{
    // The rest of the line may change the card, as any line.
    if (!m_handler->isReady() || m_handler->isHeld(client->id))
        return false;
    client->heldResponse += m_handler->resume(client->id);
    // The rest of the line may have to wait in turn; the response goes
    // whole, once.
    if (m_handler->isHeld(client->id))
        return true;
    client->held = false;
    respond(client, std::exchange(client->heldResponse, QByteArray()));
    // Its silence counts from the response on, not from the line that asked.
    if (client->idle != nullptr && !client->gone)
        client->idle->start();
    return true;
}

void ScpiServer::respond(Client *client, const QByteArray &response)
{
    if (client->gone || response.isEmpty())
        return;
    client->socket->write(response);
    client->socket->flush();
    client->answered = true;
    // A client that asks and does not read would have the server keep its
    // responses without end.
    if (client->socket->bytesToWrite() > maxUnsentBytes)
        drop(client);
}

void ScpiServer::clientDisconnected(Client *client)
{
    if (client->gone)
        return;
    // What arrived complete before the end still runs; a line without its
    // line end is no command.
    while (client->socket->bytesAvailable() > 0)
        client->split(client->socket->read(readChunk));
    client->gone = true;
    emit clientCountChanged(clientCount());
    runWaitingLines();
}

void ScpiServer::forget(Client *client)
{
    const auto it = std::find_if(
        m_clients.begin(), m_clients.end(),
        [client](const std::unique_ptr<Client> &entry) { return entry.get() == client; });
    if (it == m_clients.end())
        return;
    client->socket->disconnect(this);
    if (client->idle != nullptr)
        client->idle->disconnect(this);
    client->socket->deleteLater();
    const quint64 id = client->id;
    m_clients.erase(it);
    m_handler->clientLeft(id);
}

} // namespace sfp
