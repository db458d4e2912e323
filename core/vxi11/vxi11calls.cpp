// SPDX-FileCopyrightText: 2026 Tarvex
// SPDX-License-Identifier: MIT
// The VXI-11 server's procedures: each call's arguments, whether it can
// run now or waits (for the panel, for the lock), what it does, and its
// reply.
#include "scpiserver.h"
#include "vxi11serverdetail.h"

#include <QScopedValueRollback>
#include <QTimer>

#include <algorithm>

namespace {

// The most one device_read returns, whatever the client asks for.
constexpr unsigned long maxReadSize = 1024UL * 1024;

} // namespace

namespace sfp {

using vxi11::coder;
using vxi11::sendError;
using vxi11::sendReply;

void Vxi11Server::dispatch(Call &call)
{
    SVCXPRT *transport = call.transport;
    Connection *connection = connectionOf(transport->xp_fd);
    // Every connection is followed from its acceptance on, before its first
    // call can be read: this guards the table, it is never taken.
    if (connection == nullptr) { // GCOVR_EXCL_START
        svcerr_systemerr(transport);
        return;
    } // GCOVR_EXCL_STOP
    connection->transport = transport;
    // A whole call is a word of the client; bytes of one that trickle in
    // are not.
    connection->quiet.start();
    if (connection->idle)
        connection->idle->start();
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
        if (!connection->allowed) {
            reply.error = vxi11::DeviceNotAccessible;
            emit clientRefused(connection->peer,
                               QStringLiteral("its address is not allowed "
                                              "(--allow)"));
            emit notAllowed(connection->address);
        } else if (device.compare("inst0", Qt::CaseInsensitive) != 0) {
            reply.error = vxi11::InvalidAddress;
        } else if (!m_handler->hasRoomForClient() || m_nextLink == 0x7fffffff) {
            reply.error = vxi11::OutOfResources;
        }
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

bool Vxi11Server::waitsForHeldLine(Parked &parked, Link &link)
{
    // A read waits for the held line's response, a write until the line
    // and those behind it have run, so that the client's lines keep their
    // order; the others are answered as they are.
    return (parked.procedure == device_read || parked.procedure == device_write) && stillHeld(link);
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
    if (!m_handler->isReady() || waitsForHeldLine(parked, *link)) {
        if (parked.ioDeadline.hasExpired()) {
            replyAndResume(parked, vxi11::IoTimeout);
            return true;
        }
        return false;
    }

    switch (procedure) {
    case device_write: {
        takeMessage(*link, parked.data, (parked.flags & vxi11::End) != 0);
        runLines(*link);
        Device_WriteResp reply {};
        reply.size = u_long(parked.data.size());
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
        // Mostly the whole response goes at once: handed over, not copied.
        QByteArray data;
        if (size == link->response.size()) {
            data.swap(link->response);
        } else {
            data = link->response.left(size);
            link->response.remove(0, size);
        }
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
        // Answered at once, held line or not; one that has just ended has
        // its response waiting.
        stillHeld(*link);
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
        clearMessage(*link);
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

void Vxi11Server::replyAndResume(Parked &parked, long error) const
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

void Vxi11Server::resume(Connection *connection)
{
    connection->waiting = false;
    connection->notifier->setEnabled(true);
    // A call that came in one piece with the one answered now may be in
    // the library's buffer already, where no new data would announce it:
    // the connection is served again right after this one, in turn.
    const int descriptor = connection->descriptor;
    QTimer::singleShot(0, this, [this, descriptor] {
        if (connectionOf(descriptor) != nullptr)
            service(descriptor);
    });
}

void Vxi11Server::retryParked()
{
    const QScopedValueRollback<bool> inRetry(m_inRetry, true);
    // Held lines whose time has come run on whether a call waits for them
    // or not: the lines behind one ("*WAI;ROUT:OPEN ...") are due at once.
    for (const std::unique_ptr<Link> &link : m_links)
        stillHeld(*link);
    // Oldest first, so that a lock goes to the link that asked first.
    for (size_t i = 0; i < m_parked.size();) {
        Parked &parked = *m_parked[i];
        // A call answered here may end links and other calls with them.
        Connection *connection = parked.connection;
        if (!completes(parked)) {
            ++i;
            continue;
        }
        resume(connection);
        m_parked.erase(m_parked.begin() + qsizetype(i));
    }
    if (m_parked.empty() && !anyHeld())
        m_retry->stop();
}

void Vxi11Server::abort(Call &call)
{
    Device_Link id = 0;
    if (!svc_getargs(call.transport, coder(xdr_Device_Link), reinterpret_cast<char *>(&id))) {
        svcerr_decode(call.transport);
        return;
    }
    // A stranger learns nothing of the links, not even which exist.
    if (const Connection *connection = connectionOf(call.transport->xp_fd);
        connection == nullptr || !connection->allowed) {
        sendError(call.transport, vxi11::DeviceNotAccessible);
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
        resume(parked.connection);
        m_parked.erase(it);
        break;
    }
    sendError(call.transport, vxi11::NoError);
}

} // namespace sfp
