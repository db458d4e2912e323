// SPDX-FileCopyrightText: 2026 Tarvex
// SPDX-License-Identifier: MIT
#include "portmapperregistration.h"

#include <QHostAddress>
#include <QMetaObject>
#include <QNetworkInterface>
#include <QPointer>
#include <QTcpSocket>

#include <arpa/inet.h>
#include <netinet/in.h>
#include <rpc/pmap_clnt.h>
#include <sys/socket.h>
#include <unistd.h>

#include <algorithm>
#include <condition_variable>
#include <functional>
#include <future>
#include <mutex>
#include <thread>

namespace {

bool accepts(const QHostAddress &address, quint16 port)
{
    QTcpSocket probe;
    probe.connectToHost(address, port);
    // A local address answers at once, taken or refused.
    return probe.waitForConnected(1000);
}

// Registers, replacing a registration that a server which is gone (a panel
// that crashed) left behind; one of a server that still answers is left
// alone. Empty when done, else why not.
QString registerNow(quint32 program, quint32 version, quint16 port)
{
    if (pmap_set(program, version, IPPROTO_TCP, port))
        return QString();
    // Refused: no port mapper answers, or it names another server already.
    sockaddr_in loopback {};
    loopback.sin_family = AF_INET;
    loopback.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    const u_short registered = pmap_getport(&loopback, program, version, IPPROTO_TCP);
    if (registered == 0)
        return QStringLiteral("no port mapper (rpcbind) answers on this machine");
    // The server may listen on any address of this machine, not only the
    // loopback: it is alive when one of them takes a connection on its port.
    const QList<QHostAddress> addresses = QNetworkInterface::allAddresses();
    const bool answers = std::any_of(
        addresses.begin(), addresses.end(),
        [registered](const QHostAddress &address) { return accepts(address, registered); });
    if (answers)
        return QStringLiteral("the port mapper names another VXI-11 server, on port %1")
            .arg(registered);
    pmap_unset(program, version);
    if (!pmap_set(program, version, IPPROTO_TCP, port))
        return QStringLiteral("the port mapper refused the registration");
    return QString();
}

// Runs `work` on a thread of its own and waits for it as long as `limit`;
// past that the thread goes on alone (and ends with the program).
void runFor(std::chrono::seconds limit, std::function<void()> work)
{
    auto done = std::make_shared<std::promise<void>>();
    std::future<void> finished = done->get_future();
    std::thread([work = std::move(work), done] {
        work();
        done->set_value();
    }).detach();
    finished.wait_for(limit);
}

} // namespace

namespace sfp {

struct PortMapperRegistration::State
{
    std::mutex mutex;
    std::condition_variable changed;
    quint32 program = 0;
    quint32 version = 0;
    bool started = false;
    bool done = false;
    bool registered = false;
    bool ending = false; // the owner is gone or going
};

PortMapperRegistration::PortMapperRegistration(QObject *parent)
    : QObject(parent)
    , m_state(std::make_shared<State>())
{ }

PortMapperRegistration::~PortMapperRegistration()
{
    std::unique_lock<std::mutex> lock(m_state->mutex);
    m_state->ending = true;
    if (!m_state->started)
        return;
    m_state->changed.wait_for(lock, endWait, [this] { return m_state->done; });
    // Still under way: the thread withdraws what it makes, on its own.
    if (!m_state->registered)
        return;
    m_state->registered = false;
    const quint32 program = m_state->program;
    const quint32 version = m_state->version;
    lock.unlock();
    runFor(endWait, [program, version] { pmap_unset(program, version); });
}

void PortMapperRegistration::start(quint32 program, quint32 version, quint16 port)
{
    {
        const std::lock_guard<std::mutex> lock(m_state->mutex);
        if (m_state->started)
            return;
        m_state->started = true;
        m_state->program = program;
        m_state->version = version;
    }
    std::thread([state = m_state, receiver = QPointer<PortMapperRegistration>(this), program,
                 version, port] {
        const QString why = registerNow(program, version, port);
        std::unique_lock<std::mutex> lock(state->mutex);
        state->done = true;
        state->registered = why.isEmpty();
        state->changed.notify_all();
        if (state->ending) {
            if (state->registered) {
                state->registered = false;
                lock.unlock();
                pmap_unset(program, version);
            }
            return;
        }
        // Under the lock: the owner, which takes it to end, is still there,
        // and a call posted to it goes with it if it ends before the call runs.
        QMetaObject::invokeMethod(
            receiver.data(), [receiver, why] { emit receiver->finished(why); },
            Qt::QueuedConnection);
    }).detach();
}

bool PortMapperRegistration::isRegistered() const
{
    const std::lock_guard<std::mutex> lock(m_state->mutex);
    return m_state->registered;
}

} // namespace sfp
