// SPDX-FileCopyrightText: 2026 Tarvex
// SPDX-License-Identifier: MIT
#include "linkednamespaces.h"

#include <QCoreApplication>
#include <QList>
#include <QProcess>

#include <arpa/inet.h>
#include <fcntl.h>
#include <netinet/in.h>
#include <sched.h>
#include <sys/socket.h>
#include <sys/time.h>
#include <unistd.h>

#include <atomic>
#include <cstdio>
#include <cstdlib>

namespace {

// Private addresses: they exist only on the cable between the namespaces.
const char serverEnd[] = "10.77.0.1";
const char clientEnd[] = "10.77.0.2";

// Names unique to this process and this pair; an interface name holds 15
// characters at most.
QString uniqueName(char side, int pair)
{
    return QStringLiteral("sfp%1%2%3")
        .arg(QCoreApplication::applicationPid())
        .arg(QLatin1Char(side))
        .arg(pair);
}

std::atomic<int> pairsMade {0};

} // namespace

namespace sfptest {

LinkedNamespaces::LinkedNamespaces()
{
    const int pair = pairsMade++;
    const QString server = uniqueName('s', pair);
    const QString client = uniqueName('c', pair);
    if (!run({QStringLiteral("netns"), QStringLiteral("add"), server}))
        return;
    m_server = server;
    if (!run({QStringLiteral("netns"), QStringLiteral("add"), client}))
        return;
    m_client = client;
    // The cable's ends carry the namespaces' names.
    const QString up = QStringLiteral("up");
    const QList<QStringList> steps {
        {QStringLiteral("-n"), server, QStringLiteral("link"), QStringLiteral("add"), server,
         QStringLiteral("type"), QStringLiteral("veth"), QStringLiteral("peer"),
         QStringLiteral("name"), client, QStringLiteral("netns"), client},
        {QStringLiteral("-n"), server, QStringLiteral("address"), QStringLiteral("add"),
         QLatin1String(serverEnd) + QStringLiteral("/30"), QStringLiteral("dev"), server},
        {QStringLiteral("-n"), client, QStringLiteral("address"), QStringLiteral("add"),
         QLatin1String(clientEnd) + QStringLiteral("/30"), QStringLiteral("dev"), client},
        {QStringLiteral("-n"), server, QStringLiteral("link"), QStringLiteral("set"), server, up},
        {QStringLiteral("-n"), client, QStringLiteral("link"), QStringLiteral("set"), client, up}};
    for (const QStringList &step : steps) {
        if (!run(step))
            return;
    }
}

LinkedNamespaces::~LinkedNamespaces()
{
    // A namespace goes with its cable end once nothing uses it any more.
    for (const QString &name : {m_server, m_client}) {
        if (!name.isEmpty())
            run({QStringLiteral("netns"), QStringLiteral("delete"), name});
    }
}

QHostAddress LinkedNamespaces::serverAddress()
{
    return QHostAddress(QLatin1String(serverEnd));
}

QHostAddress LinkedNamespaces::clientAddress()
{
    return QHostAddress(QLatin1String(clientEnd));
}

bool LinkedNamespaces::inServer(const std::function<void()> &work) const
{
    return inside(m_server, work);
}

bool LinkedNamespaces::inClient(const std::function<void()> &work) const
{
    return inside(m_client, work);
}

int LinkedNamespaces::connectFromClient(quint16 port) const
{
    int socket = -1;
    const bool inside = inClient([&socket, port] {
        socket = ::socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
        if (socket < 0)
            return;
        // The cable's link may take a moment to come up.
        timeval timeout = {};
        timeout.tv_sec = 5;
        ::setsockopt(socket, SOL_SOCKET, SO_SNDTIMEO, &timeout, sizeof timeout);
        sockaddr_in address = {};
        address.sin_family = AF_INET;
        address.sin_port = htons(port);
        ::inet_pton(AF_INET, serverEnd, &address.sin_addr);
        for (int attempt = 0; attempt < 50; ++attempt) {
            if (::connect(socket, reinterpret_cast<const sockaddr *>(&address), sizeof address)
                == 0)
                return;
            ::usleep(100 * 1000);
        }
        ::close(socket);
        socket = -1;
    });
    return inside ? socket : -1;
}

bool LinkedNamespaces::cut()
{
    // The client's end goes down: the server's end keeps its address and
    // its route, and what it sends is lost on the way, as behind a pulled
    // cable or a machine switched off.
    return run({QStringLiteral("-n"), m_client, QStringLiteral("link"), QStringLiteral("set"),
                m_client, QStringLiteral("down")});
}

bool LinkedNamespaces::run(const QStringList &arguments)
{
    QProcess ip;
    ip.start(QStringLiteral("ip"), arguments);
    if (!ip.waitForStarted() || !ip.waitForFinished(10000)) {
        m_error
            = QStringLiteral("ip %1: %2").arg(arguments.join(QLatin1Char(' ')), ip.errorString());
        return false;
    }
    if (ip.exitStatus() != QProcess::NormalExit || ip.exitCode() != 0) {
        m_error = QStringLiteral("ip %1: %2")
                      .arg(arguments.join(QLatin1Char(' ')),
                           QString::fromLocal8Bit(ip.readAllStandardError()).trimmed());
        return false;
    }
    return true;
}

bool LinkedNamespaces::inside(const QString &name, const std::function<void()> &work) const
{
    if (!m_error.isEmpty() || name.isEmpty())
        return false;
    const int home = ::open("/proc/thread-self/ns/net", O_RDONLY | O_CLOEXEC);
    const QByteArray path = QByteArrayLiteral("/run/netns/") + name.toLocal8Bit();
    const int there = ::open(path.constData(), O_RDONLY | O_CLOEXEC);
    bool entered = false;
    if (home >= 0 && there >= 0)
        entered = ::setns(there, CLONE_NEWNET) == 0;
    if (entered) {
        work();
        // A thread left in the wrong namespace would send the rest of the
        // test's traffic there: nothing to go on with.
        if (::setns(home, CLONE_NEWNET) != 0) {
            std::fputs("linkednamespaces: cannot return to the test's own namespace\n", stderr);
            std::abort();
        }
    }
    if (there >= 0)
        ::close(there);
    if (home >= 0)
        ::close(home);
    return entered;
}

} // namespace sfptest
