// SPDX-FileCopyrightText: 2026 Tarvex
// SPDX-License-Identifier: MIT
#include "vxi11server.h"

#include "endpoint.h"

#include "scpiserver.h"
#include "vxi11serverdetail.h"

#include <QDeadlineTimer>
#include <QElapsedTimer>
#include <QScopedValueRollback>
#include <QSocketNotifier>
#include <QTimer>

#include <arpa/inet.h>
#include <netinet/in.h>
#include <netinet/tcp.h>
#include <poll.h>
#include <sys/ioctl.h>
#include <sys/socket.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <csignal>
#include <cstring>

namespace {

// The RPC library's table of services is one per process: the server that
// listens is the one its calls go to.
sfp::Vxi11Server *listeningServer = nullptr;

// The longest record a connection may send: one piece of a message with the
// call's header. A longer one ends the connection before it is read whole.
constexpr int maxRecord = 2 * int(sfp::Vxi11Server::maxReceiveSize);
// How soon calls that wait for the panel or for the lock are tried again.
constexpr int retryMilliseconds = 10;
// How long calls that follow each other closely are served before the
// window gets its turn, as the socket server's passes.
constexpr qint64 passMilliseconds = 10;

// As the socket server: a peer that vanished is found within 50 s.
void watchConnection(int descriptor)
{
    const auto set = [descriptor](int level, int name, int value) {
        ::setsockopt(descriptor, level, name, &value, sizeof value);
    };
    set(SOL_SOCKET, SO_KEEPALIVE, 1);
    set(IPPROTO_TCP, TCP_KEEPIDLE, 20);
    set(IPPROTO_TCP, TCP_KEEPINTVL, 5);
    set(IPPROTO_TCP, TCP_KEEPCNT, 6);
    set(IPPROTO_TCP, TCP_USER_TIMEOUT, 50 * 1000);
    set(IPPROTO_TCP, TCP_NODELAY, 1);
}

// A socket bound to a free port of the address, listening; -1 and why not.
int listenOn(const QHostAddress &address, quint16 *port, QString *error)
{
    const bool any = address == QHostAddress::Any || address == QHostAddress::AnyIPv6;
    const bool v6 = any || address.protocol() == QAbstractSocket::IPv6Protocol;
    const int descriptor = ::socket(v6 ? AF_INET6 : AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
    if (descriptor < 0) {
        *error = QString::fromLocal8Bit(std::strerror(errno));
        return -1;
    }
    const int on = 1;
    ::setsockopt(descriptor, SOL_SOCKET, SO_REUSEADDR, &on, sizeof on);
    sockaddr_storage storage {};
    socklen_t length = 0;
    if (v6) {
        // Every address of both kinds, as the socket server takes them.
        const int off = 0;
        ::setsockopt(descriptor, IPPROTO_IPV6, IPV6_V6ONLY, &off, sizeof off);
        auto *in6 = reinterpret_cast<sockaddr_in6 *>(&storage);
        in6->sin6_family = AF_INET6;
        const Q_IPV6ADDR bytes
            = any ? QHostAddress(QHostAddress::AnyIPv6).toIPv6Address() : address.toIPv6Address();
        std::memcpy(&in6->sin6_addr, &bytes, sizeof bytes);
        in6->sin6_scope_id = any ? 0 : address.scopeId().toUInt();
        length = sizeof *in6;
    } else {
        auto *in = reinterpret_cast<sockaddr_in *>(&storage);
        in->sin_family = AF_INET;
        in->sin_addr.s_addr = htonl(address.toIPv4Address());
        length = sizeof *in;
    }
    if (::bind(descriptor, reinterpret_cast<sockaddr *>(&storage), length) != 0
        || ::listen(descriptor, 16) != 0
        || ::getsockname(descriptor, reinterpret_cast<sockaddr *>(&storage), &length) != 0) {
        *error = QString::fromLocal8Bit(std::strerror(errno));
        ::close(descriptor);
        return -1;
    }
    *port = v6 ? ntohs(reinterpret_cast<sockaddr_in6 *>(&storage)->sin6_port)
               : ntohs(reinterpret_cast<sockaddr_in *>(&storage)->sin_port);
    return descriptor;
}

} // namespace

extern "C" {
static void dispatchCall(struct svc_req *request, SVCXPRT *transport);
}

namespace sfp {

using vxi11::sendError;

Vxi11Server::Vxi11Server(Vxi11Handler *handler, QObject *parent)
    : QObject(parent)
    , m_handler(handler)
    , m_retry(new QTimer(this))
{
    m_retry->setInterval(retryMilliseconds);
    connect(m_retry, &QTimer::timeout, this, &Vxi11Server::retryParked);
}

Vxi11Server::~Vxi11Server()
{
    if (listeningServer != this)
        return;
    // Calls still read below are refused: no server listens. The services
    // stay in the library's table (svc_unreg would also withdraw whatever
    // the port mapper holds for the program, another panel's registration
    // too); a server that listens later in this program takes them again.
    listeningServer = nullptr;
    m_parked.clear();
    // The library closes a connection whose peer has nothing more to say.
    // The links go without a word to the handler, which goes too.
    for (const std::unique_ptr<Connection> &connection : m_connections) {
        connection->notifier.reset();
        ::shutdown(connection->descriptor, SHUT_RDWR);
        svc_getreq_common(connection->descriptor);
    }
    for (const std::unique_ptr<Connection> &listener : m_listeners) {
        listener->notifier.reset();
        SVC_DESTROY(listener->transport);
    }
    m_connections.clear();
    m_links.clear();
}

bool Vxi11Server::listen(const QHostAddress &address)
{
    if (listeningServer != nullptr) {
        m_error = QStringLiteral("another VXI-11 server listens in this program");
        return false;
    }
    // Without waiting: a connection's records are read as far as they have
    // come, never with the event loop held until the rest arrives, and one
    // longer than the limit ends the connection.
    int maxrec = maxRecord;
    quint16 *ports[2] = {&m_corePort, &m_abortPort};
    for (quint16 *port : ports) {
        const int descriptor = listenOn(address, port, &m_error);
        if (descriptor < 0)
            break;
        SVCXPRT *transport = svc_vc_create(descriptor, maxRecord, maxRecord);
        // The library fails here only when it has no memory left.
        if (transport == nullptr) { // GCOVR_EXCL_START
            ::close(descriptor);
            m_error = QStringLiteral("the RPC library cannot serve the port");
            break;
        } // GCOVR_EXCL_STOP
        SVC_CONTROL(transport, SVCSET_CONNMAXREC, &maxrec);
        auto listener = std::make_unique<Connection>();
        listener->descriptor = descriptor;
        listener->transport = transport;
        m_listeners.push_back(std::move(listener));
    }
    if (m_listeners.size() != 2
        || !svc_reg(m_listeners[0]->transport, DEVICE_CORE, DEVICE_CORE_VERSION, dispatchCall,
                    nullptr)
        || !svc_reg(m_listeners[1]->transport, DEVICE_ASYNC, DEVICE_ASYNC_VERSION, dispatchCall,
                    nullptr)) {
        if (m_error.isEmpty())
            m_error = QStringLiteral("the RPC library cannot register the channels");
        for (const std::unique_ptr<Connection> &listener : m_listeners)
            SVC_DESTROY(listener->transport);
        m_listeners.clear();
        m_corePort = m_abortPort = 0;
        return false;
    }
    // A reply to a client that went away must not end the program.
    std::signal(SIGPIPE, SIG_IGN);
    listeningServer = this;
    return true;
}

void Vxi11Server::start()
{
    if (listeningServer != this || m_started)
        return;
    m_started = true;
    for (const std::unique_ptr<Connection> &listener : m_listeners) {
        const int descriptor = listener->descriptor;
        listener->notifier
            = std::make_unique<QSocketNotifier>(qintptr(descriptor), QSocketNotifier::Read);
        connect(listener->notifier.get(), &QSocketNotifier::activated, this,
                [this, descriptor] { service(descriptor); });
    }
}

QString Vxi11Server::peerName(quint64 client) const
{
    for (const std::unique_ptr<Link> &link : m_links) {
        if (link->client == client)
            return link->connection->peer;
    }
    return QString();
}

void Vxi11Server::service(int descriptor)
{
    // The library serves one call at a time; a call that lets the event
    // loop run (it never should) finds the next one waiting.
    if (m_inService)
        return;
    const QScopedValueRollback<bool> inService(m_inService, true);
    Connection *connection = connectionOf(descriptor);
    if (connection != nullptr && connection->waiting) {
        // The client spoke while its call waits: only its end is of
        // interest now; anything else it sent is read after the reply.
        char byte = 0;
        if (::recv(descriptor, &byte, 1, MSG_PEEK | MSG_DONTWAIT) != 0) {
            connection->notifier->setEnabled(false);
            return;
        }
        closeConnection(connection);
    }
    svc_getreq_common(descriptor);
    followConnections();
    // A client's next call often comes while this one is answered (a
    // device_read right after its device_write): it is served now, not
    // after another turn of the event loop, as long as the window's turn
    // is not due. Only bytes already there are read: the library takes a
    // connection with nothing to read for one that ended.
    QElapsedTimer pass;
    pass.start();
    while (pass.elapsed() < passMilliseconds) {
        const Connection *again = connectionOf(descriptor);
        int pending = 0;
        if (again == nullptr || again->waiting || again->closing
            || ::ioctl(descriptor, FIONREAD, &pending) != 0 || pending <= 0)
            break;
        svc_getreq_common(descriptor);
        followConnections();
    }
}

void Vxi11Server::followConnections()
{
    // Nearly every call leaves the library's table as it was: each
    // descriptor in it is one followed here, and there are as many. Only a
    // call that opened or closed a connection needs the work below.
    int followed = 0;
    bool known = true;
    for (int i = 0; known && i < svc_max_pollfd; ++i) {
        const int descriptor = svc_pollfd[i].fd;
        if (descriptor < 0)
            continue;
        ++followed;
        known = connectionOf(descriptor) != nullptr
            || std::any_of(m_listeners.begin(), m_listeners.end(),
                           [descriptor](const std::unique_ptr<Connection> &entry) {
                               return entry->descriptor == descriptor;
                           });
    }
    if (known && size_t(followed) == m_listeners.size() + m_connections.size())
        return;

    std::vector<int> open;
    for (int i = 0; i < svc_max_pollfd; ++i) {
        if (svc_pollfd[i].fd >= 0)
            open.push_back(svc_pollfd[i].fd);
    }
    // Connections the library closed: their links are gone with them.
    for (size_t i = 0; i < m_connections.size();) {
        Connection *connection = m_connections[i].get();
        if (std::find(open.begin(), open.end(), connection->descriptor) != open.end()) {
            ++i;
            continue;
        }
        m_parked.erase(std::remove_if(m_parked.begin(), m_parked.end(),
                                      [connection](const std::unique_ptr<Parked> &parked) {
                                          return parked->connection == connection;
                                      }),
                       m_parked.end());
        for (auto link = m_links.begin(); link != m_links.end();) {
            if ((*link)->connection == connection)
                dropLink(link);
            else
                ++link;
        }
        m_connections.erase(m_connections.begin() + qsizetype(i));
    }
    // Connections the library accepted.
    for (int descriptor : open) {
        const bool listener = std::any_of(m_listeners.begin(), m_listeners.end(),
                                          [descriptor](const std::unique_ptr<Connection> &entry) {
                                              return entry->descriptor == descriptor;
                                          });
        if (listener || connectionOf(descriptor) != nullptr)
            continue;
        auto connection = std::make_unique<Connection>();
        connection->descriptor = descriptor;
        quint16 port = 0;
        connection->address = socketPeer(descriptor, &port);
        connection->peer
            = connection->address.isNull() ? QString() : endpointText(connection->address, port);
        connection->allowed = m_access.allows(connection->address);
        connection->notifier
            = std::make_unique<QSocketNotifier>(qintptr(descriptor), QSocketNotifier::Read);
        connect(connection->notifier.get(), &QSocketNotifier::activated, this,
                [this, descriptor] { service(descriptor); });
        watchConnection(descriptor);
        connection->quiet.start();
        if (m_idle.count() > 0) {
            connection->idle = std::make_unique<QTimer>();
            connection->idle->setSingleShot(true);
            connection->idle->setInterval(m_idle);
            connect(connection->idle.get(), &QTimer::timeout, this,
                    [this, descriptor] { idleFor(descriptor); });
            connection->idle->start();
        }
        const auto kept = std::count_if(
            m_connections.begin(), m_connections.end(),
            [](const std::unique_ptr<Connection> &entry) { return !entry->closing; });
        // One too many: its end is all it reads, at its first call.
        if (kept >= maxConnections && !closeQuietConnection()) {
            connection->closing = true;
            ::shutdown(descriptor, SHUT_RDWR);
        }
        m_connections.push_back(std::move(connection));
    }
}

Vxi11Server::Connection *Vxi11Server::connectionOf(int descriptor)
{
    for (const std::unique_ptr<Connection> &connection : m_connections) {
        if (connection->descriptor == descriptor)
            return connection.get();
    }
    return nullptr;
}

Vxi11Server::Link *Vxi11Server::linkOf(long id, const Connection *connection)
{
    for (const std::unique_ptr<Link> &link : m_links) {
        if (link->id == id && (connection == nullptr || link->connection == connection))
            return link.get();
    }
    return nullptr;
}

void Vxi11Server::dropLink(std::vector<std::unique_ptr<Link>>::iterator link)
{
    const quint64 client = (*link)->client;
    m_links.erase(link);
    m_handler->clientLeft(client);
    emit linkCountChanged(linkCount());
}

bool Vxi11Server::closeQuietConnection()
{
    // A connection may be opened a while before its first call, or kept
    // for calls that come seldom (the abort channel's); it is closed only
    // when a newcomer needs its place.
    Connection *quiet = nullptr;
    for (const std::unique_ptr<Connection> &connection : m_connections) {
        const Connection *entry = connection.get();
        const bool linked = std::any_of(
            m_links.begin(), m_links.end(),
            [entry](const std::unique_ptr<Link> &link) { return link->connection == entry; });
        if (!entry->closing && !entry->waiting && !linked
            && entry->quiet.elapsed() >= quietTimeout.count()
            && (quiet == nullptr || entry->quiet.elapsed() > quiet->quiet.elapsed()))
            quiet = connection.get();
    }
    if (quiet == nullptr)
        return false;
    closeConnection(quiet);
    return true;
}

void Vxi11Server::idleFor(int descriptor)
{
    Connection *connection = connectionOf(descriptor);
    if (connection == nullptr || connection->closing)
        return;
    // A connection whose call waits for the panel or the lock, or whose
    // link's line waits for the card to finish, is not silent: it waits too.
    const bool held = std::any_of(m_links.begin(), m_links.end(),
                                  [connection](const std::unique_ptr<Link> &link) {
                                      return link->connection == connection && link->held;
                                  });
    if (connection->waiting || held) {
        connection->idle->start();
        return;
    }
    closeConnection(connection);
}

void Vxi11Server::closeConnection(Connection *connection)
{
    // Its parked call is never answered: the connection ends first.
    m_parked.erase(std::remove_if(m_parked.begin(), m_parked.end(),
                                  [connection](const std::unique_ptr<Parked> &parked) {
                                      return parked->connection == connection;
                                  }),
                   m_parked.end());
    connection->waiting = false;
    connection->closing = true;
    connection->notifier->setEnabled(true);
    ::shutdown(connection->descriptor, SHUT_RDWR);
}

} // namespace sfp

extern "C" {
static void dispatchCall(struct svc_req *request, SVCXPRT *transport)
{
    // The server shuts its connections before it reads them a last time,
    // so no call comes once it has gone: this guards, it is never taken.
    if (listeningServer == nullptr) { // GCOVR_EXCL_START
        svcerr_systemerr(transport);
        return;
    } // GCOVR_EXCL_STOP
    sfp::Vxi11Server::Call call {request, transport};
    listeningServer->dispatch(call);
}
}
