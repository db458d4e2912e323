// SPDX-FileCopyrightText: 2026 Tarvex
// SPDX-License-Identifier: MIT
#include "scpiserver.h"

#include <QElapsedTimer>
#include <QScopedValueRollback>
#include <QTcpServer>
#include <QTcpSocket>
#include <QTimer>

#include <algorithm>
#include <deque>

namespace {

// Lines of one client read ahead of running; beyond them the socket is not
// read, and the sender waits as TCP makes it wait.
constexpr size_t maxWaitingLines = 1024;
// Responses a client has not read yet; beyond them its lines wait.
constexpr qint64 maxUnsentBytes = qint64(1024) * 1024;
// How long one pass runs lines before the window gets its turn.
constexpr qint64 passMilliseconds = 20;
// How soon lines that wait for the handler are tried again.
constexpr int retryMilliseconds = 10;
constexpr qint64 readChunk = qint64(16) * 1024;

} // namespace

namespace sfp {

QString scpiEndpoint(const QHostAddress &address, quint16 port)
{
    const QString host = address.protocol() == QAbstractSocket::IPv6Protocol
        ? QStringLiteral("[%1]").arg(address.toString())
        : address.toString();
    return QStringLiteral("%1:%2").arg(host).arg(port);
}

struct ScpiServer::Client
{
    struct Line
    {
        QByteArray text;
        bool tooLong = false;
    };

    quint64 id = 0;
    QTcpSocket *socket = nullptr;
    QByteArray partial; // the line being received
    bool discarding = false; // the rest of a line that was too long
    std::deque<Line> lines;
    bool gone = false; // disconnected; its lines still run

    // Splits what the socket holds into lines, as far as the limit allows.
    void take()
    {
        while (lines.size() < maxWaitingLines && socket->bytesAvailable() > 0)
            split(socket->read(readChunk));
    }

    void split(const QByteArray &data)
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
                    lines.push_back({partial, false});
                }
            }
            partial.clear();
            from = end + 1;
        }
    }

    void dropPartial()
    {
        partial.clear();
        partial.squeeze();
        discarding = true;
        lines.push_back({QByteArray(), true});
    }
};

ScpiServer::ScpiServer(ScpiHandler *handler, QObject *parent)
    : QObject(parent)
    , m_handler(handler)
    , m_server(new QTcpServer(this))
    , m_retry(new QTimer(this))
{
    m_retry->setSingleShot(true);
    connect(m_retry, &QTimer::timeout, this, &ScpiServer::runWaitingLines);
    connect(m_server, &QTcpServer::newConnection, this, &ScpiServer::acceptClients);
}

ScpiServer::~ScpiServer()
{
    // The sockets are children of the server and go with it; the handler
    // hears of no client any more, and a socket's last signals reach no
    // client record.
    for (const std::unique_ptr<Client> &client : m_clients)
        client->socket->disconnect(this);
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

int ScpiServer::clientCount() const
{
    return int(std::count_if(m_clients.begin(), m_clients.end(),
                             [](const std::unique_ptr<Client> &client) { return !client->gone; }));
}

void ScpiServer::acceptClients()
{
    while (QTcpSocket *socket = m_server->nextPendingConnection()) {
        if (clientCount() >= maxClients) {
            // Refused: closed at once, without a word.
            socket->close();
            socket->deleteLater();
            continue;
        }
        auto client = std::make_unique<Client>();
        client->id = m_nextId++;
        client->socket = socket;
        // Read no further ahead than one line's worth while lines wait.
        socket->setReadBufferSize(maxLineLength);
        Client *raw = client.get();
        m_clients.push_back(std::move(client));
        connect(socket, &QTcpSocket::readyRead, this, [this, raw] { readFrom(raw); });
        connect(socket, &QTcpSocket::bytesWritten, this, &ScpiServer::runWaitingLines);
        connect(socket, &QTcpSocket::disconnected, this, [this, raw] { clientDisconnected(raw); });
        m_handler->clientJoined(raw->id);
        emit clientCountChanged(clientCount());
        // Data may have come with the connection.
        readFrom(raw);
    }
}

void ScpiServer::readFrom(Client *client)
{
    client->take();
    runWaitingLines();
}

void ScpiServer::runWaitingLines()
{
    // Sending a response may report bytes written, or the client's end, at
    // once: the pass that runs goes on with them.
    if (m_inPass)
        return;
    const QScopedValueRollback<bool> inPass(m_inPass, true);
    QElapsedTimer pass;
    pass.start();
    bool ran = true;
    while (ran) {
        ran = false;
        // One line per client in turn, so that no client starves the others.
        for (size_t i = 0; i < m_clients.size(); ++i)
            ran = runOneLine(m_clients[i].get()) || ran;
        if (ran && pass.elapsed() >= passMilliseconds) {
            // The window's turn; the rest comes right after it.
            m_retry->start(0);
            return;
        }
    }

    const auto finished = [](const std::unique_ptr<Client> &client) {
        return client->gone && client->lines.empty();
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
    if (waiting && !m_handler->isReady())
        m_retry->start(retryMilliseconds);
}

bool ScpiServer::runOneLine(Client *client)
{
    if (client->lines.empty() || !m_handler->isReady())
        return false;
    if (!client->gone && client->socket->bytesToWrite() > maxUnsentBytes)
        return false;
    const Client::Line line = std::move(client->lines.front());
    client->lines.pop_front();
    if (!client->gone && client->lines.size() < maxWaitingLines / 2)
        client->take();

    if (line.tooLong) {
        m_handler->lineTooLong(client->id);
        return true;
    }
    const QByteArray response = m_handler->execute(client->id, line.text);
    if (!client->gone && !response.isEmpty()) {
        client->socket->write(response);
        client->socket->flush();
    }
    return true;
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
    client->socket->deleteLater();
    const quint64 id = client->id;
    m_clients.erase(it);
    m_handler->clientLeft(id);
}

} // namespace sfp
