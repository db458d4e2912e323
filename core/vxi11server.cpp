// SPDX-FileCopyrightText: 2026 Tarvex
// SPDX-License-Identifier: MIT
#include "vxi11server.h"

#include "scpiserver.h"
#include "vxi11.h"

#include <QDeadlineTimer>
#include <QScopedValueRollback>
#include <QSocketNotifier>
#include <QTimer>

#include <arpa/inet.h>
#include <netinet/in.h>
#include <netinet/tcp.h>
#include <poll.h>
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
// The most one device_read returns, whatever the client asks for.
constexpr unsigned long maxReadSize = 1024 * 1024;
// How soon calls that wait for the panel or for the lock are tried again.
constexpr int retryMilliseconds = 10;

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

QString peerOf(int descriptor)
{
    sockaddr_storage storage {};
    socklen_t length = sizeof storage;
    if (::getpeername(descriptor, reinterpret_cast<sockaddr *>(&storage), &length) != 0)
        return QString();
    QHostAddress address(reinterpret_cast<const sockaddr *>(&storage));
    bool mapped = false;
    const QHostAddress v4(address.toIPv4Address(&mapped));
    if (mapped)
        address = v4;
    quint16 port = 0;
    if (storage.ss_family == AF_INET)
        port = ntohs(reinterpret_cast<const sockaddr_in *>(&storage)->sin_port);
    else if (storage.ss_family == AF_INET6)
        port = ntohs(reinterpret_cast<const sockaddr_in6 *>(&storage)->sin6_port);
    return sfp::scpiEndpoint(address, port);
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

void sendError(SVCXPRT *transport, long error)
{
    Device_Error reply {error};
    sendReply(transport, coder(xdr_Device_Error), &reply);
}

} // namespace

extern "C" {
static void dispatchCall(struct svc_req *request, SVCXPRT *transport);
}

namespace sfp {

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
    bool waiting = false; // a call of it is parked, unanswered
};

struct Vxi11Server::Link
{
    long id = 0;
    quint64 client = 0;
    Connection *connection = nullptr;
    QByteArray input; // the line being received
    bool discarding = false; // the rest of a line that was too long
    QByteArray response; // unread part of the response message
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
        if (transport == nullptr) {
            ::close(descriptor);
            m_error = QStringLiteral("the RPC library cannot serve the port");
            break;
        }
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
}

void Vxi11Server::followConnections()
{
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
        connection->peer = peerOf(descriptor);
        connection->notifier
            = std::make_unique<QSocketNotifier>(qintptr(descriptor), QSocketNotifier::Read);
        connect(connection->notifier.get(), &QSocketNotifier::activated, this,
                [this, descriptor] { service(descriptor); });
        watchConnection(descriptor);
        // One too many: its end is all it reads, at its first call.
        if (int(m_connections.size()) >= maxConnections)
            ::shutdown(descriptor, SHUT_RDWR);
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

void Vxi11Server::closeConnection(Connection *connection)
{
    // Its parked call is never answered: the connection ends first.
    m_parked.erase(std::remove_if(m_parked.begin(), m_parked.end(),
                                  [connection](const std::unique_ptr<Parked> &parked) {
                                      return parked->connection == connection;
                                  }),
                   m_parked.end());
    connection->waiting = false;
    connection->notifier->setEnabled(true);
    ::shutdown(connection->descriptor, SHUT_RDWR);
}

void Vxi11Server::dispatch(Call &call)
{
    SVCXPRT *transport = call.transport;
    Connection *connection = connectionOf(transport->xp_fd);
    if (connection == nullptr) {
        svcerr_systemerr(transport);
        return;
    }
    connection->transport = transport;
    if (connection->waiting) {
        // A second call before the reply to the first: its reply could not
        // be told from the first's. A client waits for each reply.
        closeConnection(connection);
        return;
    }
    const rpcproc_t procedure = call.request->rq_proc;
    if (procedure == NULLPROC) {
        svc_sendreply(transport, coder(xdr_void), nullptr);
        return;
    }
    if (call.request->rq_prog == DEVICE_ASYNC) {
        abort(call);
        return;
    }

    auto parked = std::make_unique<Parked>();
    parked->connection = connection;
    parked->transport = transport;
    parked->procedure = procedure;
    const auto deadline = [](unsigned long milliseconds) {
        // Longer than a day is as good as for ever, and fits the timer.
        return QDeadlineTimer(qint64(std::min<unsigned long>(milliseconds, 86400000UL)));
    };

    switch (procedure) {
    case create_link: {
        Create_LinkParms arguments {};
        if (!svc_getargs(transport, coder(xdr_Create_LinkParms),
                         reinterpret_cast<char *>(&arguments))) {
            svcerr_decode(transport);
            return;
        }
        const QByteArray device(arguments.device);
        const bool lock = arguments.lockDevice;
        const unsigned long lockTimeout = arguments.lock_timeout;
        svc_freeargs(transport, coder(xdr_Create_LinkParms), reinterpret_cast<char *>(&arguments));
        Create_LinkResp reply {};
        reply.abortPort = m_abortPort;
        reply.maxRecvSize = maxReceiveSize;
        if (device.compare("inst0", Qt::CaseInsensitive) != 0)
            reply.error = vxi11::InvalidAddress;
        else if (!m_handler->hasRoomForClient() || m_nextLink == 0x7fffffff)
            reply.error = vxi11::OutOfResources;
        if (reply.error != vxi11::NoError) {
            sendReply(transport, coder(xdr_Create_LinkResp), &reply);
            return;
        }
        auto link = std::make_unique<Link>();
        link->id = m_nextLink++;
        link->client = firstClient + quint64(link->id);
        link->connection = connection;
        parked->link = link->id;
        m_handler->clientJoined(link->client);
        m_links.push_back(std::move(link));
        emit linkCountChanged(linkCount());
        if (!lock) {
            reply.lid = parked->link;
            sendReply(transport, coder(xdr_Create_LinkResp), &reply);
            return;
        }
        parked->flags = vxi11::WaitLock;
        parked->lockDeadline = deadline(lockTimeout);
        break;
    }
    case device_write: {
        Device_WriteParms arguments {};
        if (!svc_getargs(transport, coder(xdr_Device_WriteParms),
                         reinterpret_cast<char *>(&arguments))) {
            svcerr_decode(transport);
            return;
        }
        parked->link = arguments.lid;
        parked->flags = arguments.flags;
        parked->data = QByteArray(arguments.data.data_val, qsizetype(arguments.data.data_len));
        parked->ioDeadline = deadline(arguments.io_timeout);
        parked->lockDeadline = deadline(arguments.lock_timeout);
        svc_freeargs(transport, coder(xdr_Device_WriteParms), reinterpret_cast<char *>(&arguments));
        break;
    }
    case device_read: {
        Device_ReadParms arguments {};
        if (!svc_getargs(transport, coder(xdr_Device_ReadParms),
                         reinterpret_cast<char *>(&arguments))) {
            svcerr_decode(transport);
            return;
        }
        parked->link = arguments.lid;
        parked->flags = arguments.flags;
        parked->requestSize = arguments.requestSize;
        parked->termChar = arguments.termChar;
        parked->ioDeadline = deadline(arguments.io_timeout);
        parked->lockDeadline = deadline(arguments.lock_timeout);
        break;
    }
    case device_readstb:
    case device_trigger:
    case device_clear:
    case device_remote:
    case device_local: {
        Device_GenericParms arguments {};
        if (!svc_getargs(transport, coder(xdr_Device_GenericParms),
                         reinterpret_cast<char *>(&arguments))) {
            svcerr_decode(transport);
            return;
        }
        parked->link = arguments.lid;
        parked->flags = arguments.flags;
        parked->ioDeadline = deadline(arguments.io_timeout);
        parked->lockDeadline = deadline(arguments.lock_timeout);
        break;
    }
    case device_lock: {
        Device_LockParms arguments {};
        if (!svc_getargs(transport, coder(xdr_Device_LockParms),
                         reinterpret_cast<char *>(&arguments))) {
            svcerr_decode(transport);
            return;
        }
        parked->link = arguments.lid;
        parked->flags = arguments.flags;
        parked->lockDeadline = deadline(arguments.lock_timeout);
        break;
    }
    case device_unlock:
    case destroy_link: {
        Device_Link id = 0;
        if (!svc_getargs(transport, coder(xdr_Device_Link), reinterpret_cast<char *>(&id))) {
            svcerr_decode(transport);
            return;
        }
        const auto link = std::find_if(
            m_links.begin(), m_links.end(), [id, connection](const std::unique_ptr<Link> &entry) {
                return entry->id == id && entry->connection == connection;
            });
        if (link == m_links.end())
            sendError(transport, vxi11::InvalidLinkIdentifier);
        else if (procedure == destroy_link) {
            dropLink(link);
            sendError(transport, vxi11::NoError);
        } else
            sendError(transport,
                      m_handler->releaseLock((*link)->client) ? vxi11::NoError
                                                              : vxi11::NoLockHeldByThisLink);
        return;
    }
    case device_enable_srq:
    case device_docmd:
    case create_intr_chan:
    case destroy_intr_chan: {
        // No service requests and no special commands. The arguments are
        // read only so far as the reply needs; the rest of the record is
        // skipped with it.
        if (procedure == device_docmd) {
            Device_DocmdResp reply {};
            reply.error = vxi11::OperationNotSupported;
            sendReply(transport, coder(xdr_Device_DocmdResp), &reply);
        } else {
            sendError(transport, vxi11::OperationNotSupported);
        }
        return;
    }
    default:
        svcerr_noproc(transport);
        return;
    }

    if (completes(*parked))
        return;
    // Answered later, when the panel is ready or the lock is free, or when
    // its time is up; the connection's next call is read only then.
    // Its end is still heard while it waits (see service()).
    connection->waiting = true;
    m_parked.push_back(std::move(parked));
    m_retry->start();
}

bool Vxi11Server::completes(Parked &parked)
{
    SVCXPRT *transport = parked.transport;
    const rpcproc_t procedure = parked.procedure;
    Link *link = linkOf(parked.link, parked.connection);
    if (link == nullptr) {
        replyAndResume(parked, vxi11::InvalidLinkIdentifier);
        return true;
    }
    const quint64 client = link->client;

    if (procedure == create_link || procedure == device_lock) {
        if (m_handler->takeLock(client)) {
            if (procedure == device_lock) {
                replyAndResume(parked, vxi11::NoError);
            } else {
                Create_LinkResp reply {};
                reply.lid = link->id;
                reply.abortPort = m_abortPort;
                reply.maxRecvSize = maxReceiveSize;
                sendReply(transport, coder(xdr_Create_LinkResp), &reply);
            }
            return true;
        }
        if ((parked.flags & vxi11::WaitLock) != 0 && !parked.lockDeadline.hasExpired())
            return false;
        if (procedure == create_link) {
            // The link is not made when its lock cannot be had.
            dropLink(std::find_if(
                m_links.begin(), m_links.end(),
                [link](const std::unique_ptr<Link> &entry) { return entry.get() == link; }));
        }
        replyAndResume(parked, vxi11::DeviceLockedByAnotherLink);
        return true;
    }

    if (m_handler->isLockedByOther(client)) {
        if ((parked.flags & vxi11::WaitLock) != 0 && !parked.lockDeadline.hasExpired())
            return false;
        replyAndResume(parked, vxi11::DeviceLockedByAnotherLink);
        return true;
    }
    if (!m_handler->isReady()) {
        if (parked.ioDeadline.hasExpired()) {
            replyAndResume(parked, vxi11::IoTimeout);
            return true;
        }
        return false;
    }

    switch (procedure) {
    case device_write: {
        // Lines end at a line feed, and the message at the END flag.
        const qsizetype size = parked.data.size();
        qsizetype from = 0;
        while (from <= size) {
            const qsizetype end = parked.data.indexOf('\n', from);
            const bool last = end < 0;
            const qsizetype stop = last ? size : end;
            if (!link->discarding)
                link->input.append(parked.data.constData() + from, stop - from);
            if (!link->discarding && link->input.size() > ScpiServer::maxLineLength + 1) {
                link->input.clear();
                link->discarding = true;
                m_handler->lineTooLong(client);
            }
            if (last && (parked.flags & vxi11::End) == 0)
                break;
            if (link->discarding) {
                link->discarding = false;
            } else {
                if (link->input.endsWith('\r'))
                    link->input.chop(1);
            }
            // An empty line asks for nothing, and interrupts nothing.
            if (!link->input.isEmpty()) {
                // A message while a response is unread: the response goes.
                if (!link->response.isEmpty()) {
                    link->response.clear();
                    m_handler->queryInterrupted(client);
                }
                link->response = m_handler->execute(client, link->input);
            }
            link->input.clear();
            if (last)
                break;
            from = end + 1;
        }
        Device_WriteResp reply {};
        reply.size = u_long(size);
        sendReply(transport, coder(xdr_Device_WriteResp), &reply);
        break;
    }
    case device_read: {
        if (link->response.isEmpty()) {
            // Nothing was asked: nothing will come.
            replyAndResume(parked, vxi11::IoTimeout);
            return true;
        }
        qsizetype size = qsizetype(std::min(
            {parked.requestSize, maxReadSize, static_cast<unsigned long>(link->response.size())}));
        long reason = 0;
        if ((parked.flags & vxi11::TermCharSet) != 0) {
            const qsizetype at = link->response.indexOf(parked.termChar);
            if (at >= 0 && at < size) {
                size = at + 1;
                reason |= vxi11::TermChar;
            }
        }
        QByteArray data = link->response.left(size);
        link->response.remove(0, size);
        if (link->response.isEmpty())
            reason |= vxi11::EndOfMessage;
        else if (reason == 0)
            reason |= vxi11::RequestCount;
        Device_ReadResp reply {};
        reply.reason = reason;
        reply.data.data_len = u_int(data.size());
        reply.data.data_val = data.data();
        sendReply(transport, coder(xdr_Device_ReadResp), &reply);
        break;
    }
    case device_readstb: {
        Device_ReadStbResp reply {};
        reply.stb = u_char(m_handler->statusByte(client, !link->response.isEmpty()));
        sendReply(transport, coder(xdr_Device_ReadStbResp), &reply);
        break;
    }
    case device_trigger:
        m_handler->execute(client, "*TRG");
        sendError(transport, vxi11::NoError);
        break;
    case device_clear:
        link->input.clear();
        link->discarding = false;
        link->response.clear();
        m_handler->clearErrors(client);
        sendError(transport, vxi11::NoError);
        break;
    case device_local:
        // The operator's controls are free again, as after SYSTem:LOCal.
        m_handler->execute(client, "SYST:LOC");
        sendError(transport, vxi11::NoError);
        break;
    default: // device_remote: the panel is always ready for both
        sendError(transport, vxi11::NoError);
        break;
    }
    return true;
}

void Vxi11Server::replyAndResume(Parked &parked, long error)
{
    switch (parked.procedure) {
    case create_link: {
        Create_LinkResp reply {};
        reply.error = error;
        reply.abortPort = m_abortPort;
        reply.maxRecvSize = maxReceiveSize;
        sendReply(parked.transport, coder(xdr_Create_LinkResp), &reply);
        break;
    }
    case device_write: {
        Device_WriteResp reply {};
        reply.error = error;
        sendReply(parked.transport, coder(xdr_Device_WriteResp), &reply);
        break;
    }
    case device_read: {
        Device_ReadResp reply {};
        reply.error = error;
        sendReply(parked.transport, coder(xdr_Device_ReadResp), &reply);
        break;
    }
    case device_readstb: {
        Device_ReadStbResp reply {};
        reply.error = error;
        sendReply(parked.transport, coder(xdr_Device_ReadStbResp), &reply);
        break;
    }
    default:
        sendError(parked.transport, error);
        break;
    }
}

void Vxi11Server::retryParked()
{
    // Oldest first, so that a lock goes to the link that asked first.
    for (size_t i = 0; i < m_parked.size();) {
        Parked &parked = *m_parked[i];
        // A call answered here may end links and other calls with them.
        Connection *connection = parked.connection;
        if (!completes(parked)) {
            ++i;
            continue;
        }
        connection->waiting = false;
        connection->notifier->setEnabled(true);
        m_parked.erase(m_parked.begin() + qsizetype(i));
    }
    if (m_parked.empty())
        m_retry->stop();
}

void Vxi11Server::abort(Call &call)
{
    Device_Link id = 0;
    if (!svc_getargs(call.transport, coder(xdr_Device_Link), reinterpret_cast<char *>(&id))) {
        svcerr_decode(call.transport);
        return;
    }
    if (linkOf(id, nullptr) == nullptr) {
        sendError(call.transport, vxi11::InvalidLinkIdentifier);
        return;
    }
    // The link's waiting call ends with "abort"; the abort itself succeeds.
    for (auto it = m_parked.begin(); it != m_parked.end(); ++it) {
        if ((*it)->link != id)
            continue;
        Parked &parked = **it;
        if (parked.procedure == create_link)
            continue;
        replyAndResume(parked, vxi11::Abort);
        parked.connection->waiting = false;
        parked.connection->notifier->setEnabled(true);
        m_parked.erase(it);
        break;
    }
    sendError(call.transport, vxi11::NoError);
}

} // namespace sfp

extern "C" {
static void dispatchCall(struct svc_req *request, SVCXPRT *transport)
{
    if (listeningServer == nullptr) {
        svcerr_systemerr(transport);
        return;
    }
    sfp::Vxi11Server::Call call {request, transport};
    listeningServer->dispatch(call);
}
}
