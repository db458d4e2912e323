// SPDX-FileCopyrightText: 2026 Tarvex
// SPDX-License-Identifier: MIT
// The web face's HTTP server: Qt's own (QAbstractHttpServer parses the
// requests and upgrades WebSocket connections), with the bounds a server
// on a lab's network needs around it. A connection that sends more than a
// request may hold, or takes longer than a request may take, is dropped;
// connections beyond the limit are turned away at once. What a request
// means is the route's business.
#pragma once

#include "accessrules.h"
#include "webrequest.h"

#include <QAbstractHttpServer>
#include <QHostAddress>
#include <QPointer>
#include <QSslConfiguration>
#include <QString>

#include <chrono>
#include <functional>
#include <map>
#include <memory>

QT_BEGIN_NAMESPACE
class QTcpServer;
class QTimer;
class QWebSocket;
QT_END_NAMESPACE

namespace sfp {

class WebServer final : public QAbstractHttpServer
{
    Q_OBJECT
    Q_DISABLE_COPY_MOVE(WebServer)

public:
    // Connections at once, WebSocket ones included.
    static constexpr int maxConnections = 128;
    // What one request (line, headers and body) may hold.
    static constexpr qint64 maxRequestBytes = qint64(64) * 1024;
    static constexpr int maxHeaders = 64;
    // From a connection's start, or its latest answer, to its next whole
    // request: a client slower than this, or silent, is dropped.
    static constexpr std::chrono::milliseconds requestTime {10000};

    using Route = std::function<WebReply(const WebRequest &)>;
    // A WebSocket connection, once its handshake is done, with the path
    // it asked for.
    using Joined = std::function<void(std::unique_ptr<QWebSocket>)>;

    WebServer(Route route, Joined joined, QObject *parent = nullptr);
    ~WebServer() override;

    // Binds the address; false, with errorString() saying why, when it
    // cannot be had.
    bool bindTo(const QHostAddress &address, quint16 port);
    // HTTPS instead of HTTP, for the connections that come after: each
    // starts with the TLS handshake, within the request's time.
    void setTls(const QSslConfiguration &tls);
    bool isSecure() const { return !m_tls.isNull(); }
    QString errorString() const { return m_error; }
    QHostAddress address() const;
    quint16 port() const;
    int connectionCount() const;
    // Who may connect (by default the loopback only); the others are
    // answered 403 and closed before their request is read.
    void setAccess(const AccessRules &rules) { m_access = rules; }

signals:
    // A connection turned away before its request was read: where from,
    // and why.
    void clientRefused(const QString &peer, const QString &why);
    // Of those, one whose address the access rules do not allow.
    void notAllowed(const QHostAddress &address);

protected:
    bool handleRequest(const QHttpServerRequest &request, QTcpSocket *socket) override;
    void missingHandler(const QHttpServerRequest &request, QTcpSocket *socket) override;

private:
    class Listener;
    struct Connection
    {
        // Null once the connection is gone: Qt's WebSocket server cuts an
        // upgraded socket from the signals connected to it, its end
        // included.
        QPointer<QTcpSocket> socket;
        QTimer *deadline = nullptr;
        // Bytes received since the latest answer.
        qint64 unanswered = 0;
        bool upgraded = false;
        bool dropped = false;
    };

    // A new connection from the listener, or its refusal.
    void take(QTcpSocket *socket);
    void refuse(qintptr descriptor, const QString &why);
    // True, and the connection answered and closed, when the access rules
    // do not allow its peer.
    bool refusedStranger(qintptr descriptor);
    void received(QTcpSocket *socket);
    void answered(QTcpSocket *socket);
    void takeWebSockets();

    Route m_route;
    Joined m_joined;
    Listener *m_listener = nullptr;
    QString m_error;
    AccessRules m_access;
    QSslConfiguration m_tls;
    std::map<QTcpSocket *, Connection> m_connections;
};

} // namespace sfp
