// SPDX-FileCopyrightText: 2026 Tarvex
// SPDX-License-Identifier: MIT
#include "webserver.h"

#include "endpoint.h"

#include <QHttpServerRequest>
#include <QHttpServerResponder>
#include <QHttpServerResponse>
#include <QSslSocket>
#include <QTcpServer>
#include <QTcpSocket>
#include <QTimer>
#include <QWebSocket>

#include <algorithm>
#include <sys/socket.h>
#include <unistd.h>

namespace sfp {

namespace {

WebRequest::Method methodOf(QHttpServerRequest::Method method)
{
    using M = QHttpServerRequest::Method;
    switch (method) {
    case M::Get:
        return WebRequest::Method::Get;
    case M::Head:
        return WebRequest::Method::Head;
    case M::Put:
        return WebRequest::Method::Put;
    case M::Post:
        return WebRequest::Method::Post;
    case M::Delete:
        return WebRequest::Method::Delete;
    case M::Options:
        return WebRequest::Method::Options;
    case M::Patch:
        return WebRequest::Method::Patch;
    default:
        return WebRequest::Method::Other;
    }
}

// The answer to a request that is not read any further, written straight
// to the socket: the server's parser must not see the rest.
void sayAndDrop(qintptr descriptor, const char *statusLine, const QByteArray &text = {})
{
    QByteArray answer = QByteArray(statusLine)
        + "\r\nContent-Length: " + QByteArray::number(text.size()) + "\r\nConnection: close\r\n";
    if (!text.isEmpty())
        answer += "Content-Type: text/plain; charset=utf-8\r\n";
    answer += "\r\n" + text;
    // Best effort: a client that does not take it loses nothing it asked
    // for.
    (void)::send(int(descriptor), answer.constData(), size_t(answer.size()),
                 MSG_DONTWAIT | MSG_NOSIGNAL);
}

// A WebSocket handshake, as the server's parser sees one: an upgrade to
// "websocket" that the Connection header asks for.
bool isWebSocketUpgrade(const QHttpServerRequest &request)
{
    if (request.value("upgrade").trimmed().compare("websocket", Qt::CaseInsensitive) != 0)
        return false;
    const QList<QByteArray> options = request.value("connection").split(',');
    return std::any_of(options.begin(), options.end(), [](const QByteArray &option) {
        return option.trimmed().compare("upgrade", Qt::CaseInsensitive) == 0;
    });
}

} // namespace

// Takes each connection as it comes, so that the limits hold from its
// first byte: a connection beyond the limit never becomes a socket.
class WebServer::Listener final : public QTcpServer
{
public:
    explicit Listener(WebServer *server)
        : QTcpServer(server)
        , m_server(server)
    {
        setMaxPendingConnections(2 * maxConnections);
    }

protected:
    void incomingConnection(qintptr descriptor) override
    {
        if (m_server->refusedStranger(descriptor))
            return;
        if (m_server->connectionCount() >= maxConnections) {
            m_server->refuse(descriptor, QStringLiteral("too many connections"));
            return;
        }
        const bool secure = m_server->isSecure();
        QTcpSocket *socket = secure ? new QSslSocket(this) : new QTcpSocket(this);
        if (!socket->setSocketDescriptor(descriptor)) {
            ::close(int(descriptor));
            delete socket;
            return;
        }
        m_server->take(socket);
        if (secure) {
            // The server reads what the handshake decrypts, as from any
            // socket; a client that never finishes it meets the request's
            // deadline.
            auto *tls = static_cast<QSslSocket *>(socket);
            tls->setSslConfiguration(m_server->m_tls);
            tls->startServerEncryption();
        }
        addPendingConnection(socket);
    }

private:
    WebServer *m_server;
};

WebServer::WebServer(Route route, Joined joined, QObject *parent)
    : QAbstractHttpServer(parent)
    , m_route(std::move(route))
    , m_joined(std::move(joined))
{
    connect(this, &QAbstractHttpServer::newWebSocketConnection, this, &WebServer::takeWebSockets);
}

WebServer::~WebServer() = default;

bool WebServer::bindTo(const QHostAddress &address, quint16 port)
{
    auto listener = std::make_unique<Listener>(this);
    if (!listener->listen(address, port)) {
        m_error = listener->errorString();
        return false;
    }
    m_listener = listener.release();
    bind(m_listener);
    return true;
}

void WebServer::setTls(const QSslConfiguration &tls)
{
    m_tls = tls;
}

QHostAddress WebServer::address() const
{
    return m_listener ? m_listener->serverAddress() : QHostAddress();
}

quint16 WebServer::port() const
{
    return m_listener ? m_listener->serverPort() : 0;
}

int WebServer::connectionCount() const
{
    return int(std::count_if(m_connections.begin(), m_connections.end(),
                             [](const auto &each) { return !each.second.socket.isNull(); }));
}

void WebServer::take(QTcpSocket *socket)
{
    for (auto it = m_connections.begin(); it != m_connections.end();)
        it = it->second.socket.isNull() ? m_connections.erase(it) : std::next(it);
    // The socket reads no further ahead than a request may hold, with room
    // to see that it is too much; the server keeps an unfinished request's
    // bytes until it is whole.
    socket->setReadBufferSize(2 * maxRequestBytes);
    Connection &connection = m_connections[socket];
    connection.socket = socket;
    connection.deadline = new QTimer(socket);
    connection.deadline->setSingleShot(true);
    connection.deadline->setInterval(requestTime);
    connect(connection.deadline, &QTimer::timeout, socket, [this, socket] {
        const auto found = m_connections.find(socket);
        if (found != m_connections.end() && !found->second.upgraded)
            socket->abort();
    });
    connection.deadline->start();
    // Connected before the server's own reading, so that a request too
    // large is stopped before it is parsed further.
    connect(socket, &QTcpSocket::readyRead, this, [this, socket] { received(socket); });
    connect(socket, &QTcpSocket::bytesWritten, this, [this, socket] { answered(socket); });
    connect(socket, &QObject::destroyed, this, [this, socket] { m_connections.erase(socket); });
}

bool WebServer::refusedStranger(qintptr descriptor)
{
    quint16 port = 0;
    const QHostAddress address = socketPeer(descriptor, &port);
    if (m_access.allows(address))
        return false;
    // Answered before a byte of the request is read: a stranger's request
    // is never parsed. Over TLS no answer could be read before a
    // handshake, which a stranger is not given: its connection ends.
    if (!isSecure())
        sayAndDrop(descriptor, "HTTP/1.1 403 Forbidden",
                   "not allowed from " + address.toString().toUtf8() + '\n');
    ::shutdown(int(descriptor), SHUT_WR);
    ::close(int(descriptor));
    emit clientRefused(endpointText(address, port),
                       QStringLiteral("its address is not allowed "
                                      "(--allow)"));
    emit notAllowed(address);
    return true;
}

void WebServer::refuse(qintptr descriptor, const QString &why)
{
    quint16 port = 0;
    const QHostAddress address = socketPeer(descriptor, &port);
    const QString name = address.isNull() ? QString() : endpointText(address, port);
    sayAndDrop(descriptor, "HTTP/1.1 503 Service Unavailable");
    ::shutdown(int(descriptor), SHUT_WR);
    ::close(int(descriptor));
    emit clientRefused(name, why);
}

void WebServer::received(QTcpSocket *socket)
{
    const auto found = m_connections.find(socket);
    if (found == m_connections.end() || found->second.upgraded)
        return;
    found->second.unanswered += socket->bytesAvailable();
    if (found->second.unanswered > maxRequestBytes && !found->second.dropped) {
        found->second.dropped = true;
        sayAndDrop(socket->socketDescriptor(), "HTTP/1.1 413 Content Too Large");
        // The server's own reading, next on this signal, would find the
        // socket closed and say so on the error output.
        disconnect(socket, &QTcpSocket::readyRead, nullptr, nullptr);
        socket->abort();
    }
}

void WebServer::answered(QTcpSocket *socket)
{
    const auto found = m_connections.find(socket);
    if (found == m_connections.end() || found->second.upgraded)
        return;
    found->second.unanswered = 0;
    found->second.deadline->start();
}

void WebServer::takeWebSockets()
{
    while (hasPendingWebSocketConnections()) {
        std::unique_ptr<QWebSocket> webSocket = nextPendingWebSocketConnection();
        if (webSocket)
            m_joined(std::move(webSocket));
    }
}

bool WebServer::handleRequest(const QHttpServerRequest &request, QTcpSocket *socket)
{
    WebReply reply;
    const QList<QPair<QByteArray, QByteArray>> headers = request.headers();
    const bool head = request.method() == QHttpServerRequest::Method::Head;
    // The toolkit asks here whether to take a WebSocket handshake: true
    // hands the connection to its WebSocket server, which answers the
    // handshake itself, so nothing may be written to it here (the route
    // closes one on a path that sends nothing); false has missingHandler()
    // answer, the connection closed and a warning on standard error.
    if (isWebSocketUpgrade(request)) {
        if (headers.size() > maxHeaders)
            return false;
        // The connection is the WebSocket's now: no request deadline, no
        // request size.
        if (const auto found = m_connections.find(socket); found != m_connections.end()) {
            found->second.upgraded = true;
            found->second.deadline->stop();
        }
        return true;
    }
    if (headers.size() > maxHeaders) {
        reply.status = 431;
        reply.contentType = "text/plain";
        reply.body = "too many header fields\n";
    } else {
        WebRequest webRequest;
        // HEAD asks what GET would answer.
        webRequest.method = head ? WebRequest::Method::Get : methodOf(request.method());
        webRequest.path = request.url().path();
        webRequest.body = request.body();
        webRequest.contentType
            = request.value("content-type").split(';').constFirst().trimmed().toLower();
        webRequest.host = request.value("host");
        webRequest.origin = request.value("origin");
        webRequest.authorization = request.value("authorization");
        webRequest.acceptLanguage = request.value("accept-language");
        webRequest.secure = isSecure();
        webRequest.peer = socket->peerAddress();
        webRequest.peerPort = socket->peerPort();
        webRequest.local = socket->localAddress();
        webRequest.localPort = socket->localPort();
        reply = m_route(webRequest);
    }
    if (head) {
        // GET's header fields, its body's length among them, and no body: a
        // client that keeps the connection would read one as the start of
        // the next answer.
        QHttpServerResponder responder = makeResponder(request, socket);
        responder.writeStatusLine(QHttpServerResponder::StatusCode(reply.status));
        for (const auto &[name, value] : std::as_const(reply.headers))
            responder.writeHeader(name, value);
        responder.writeHeader("Content-Type", reply.contentType);
        responder.writeHeader("Content-Length", QByteArray::number(reply.body.size()));
        responder.writeBody(QByteArray());
    } else {
        QHttpServerResponse response(reply.contentType, reply.body,
                                     QHttpServerResponse::StatusCode(reply.status));
        for (const auto &[name, value] : std::as_const(reply.headers))
            response.addHeader(name, value);
        response.write(makeResponder(request, socket));
    }
    // Out now, as the SCPI server's answers go, rather than at the event
    // loop's next turn: a script waits for each answer before it asks again.
    socket->flush();
    return true;
}

void WebServer::missingHandler(const QHttpServerRequest &request, QTcpSocket *socket)
{
    // Every request is handled; kept for the base's contract.
    QHttpServerResponse(QHttpServerResponse::StatusCode::NotFound)
        .write(makeResponder(request, socket));
}

} // namespace sfp
