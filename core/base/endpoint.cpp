// SPDX-FileCopyrightText: 2026 Tarvex
// SPDX-License-Identifier: MIT
#include "endpoint.h"

#include "accessrules.h"

#include <arpa/inet.h>
#include <netinet/in.h>
#include <sys/socket.h>

namespace sfp {

QString endpointText(const QHostAddress &address, quint16 port)
{
    QString host = address.toString();
    if (address.protocol() == QAbstractSocket::IPv6Protocol)
        host = QStringLiteral("[%1]").arg(host);
    // Every address of both kinds; the toolkit writes it as IPv4's.
    else if (address.protocol() == QAbstractSocket::AnyIPProtocol)
        host = QStringLiteral("[::]");
    return QStringLiteral("%1:%2").arg(host).arg(port);
}

QHostAddress socketPeer(qintptr descriptor, quint16 *port)
{
    sockaddr_storage peer {};
    socklen_t size = sizeof peer;
    if (::getpeername(int(descriptor), reinterpret_cast<sockaddr *>(&peer), &size) != 0)
        return QHostAddress();
    *port = peer.ss_family == AF_INET6
        ? ntohs(reinterpret_cast<const sockaddr_in6 *>(&peer)->sin6_port)
        : ntohs(reinterpret_cast<const sockaddr_in *>(&peer)->sin_port);
    return plainAddress(QHostAddress(reinterpret_cast<const sockaddr *>(&peer)));
}

} // namespace sfp
