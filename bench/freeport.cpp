// SPDX-FileCopyrightText: 2026 Tarvex
// SPDX-License-Identifier: MIT
#include "freeport.h"

#include <arpa/inet.h>
#include <netinet/in.h>
#include <sys/socket.h>
#include <unistd.h>

quint16 freePort()
{
    const int probe = ::socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
    sockaddr_in address {};
    address.sin_family = AF_INET;
    address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    socklen_t length = sizeof address;
    quint16 port = 0;
    if (probe >= 0 && ::bind(probe, reinterpret_cast<sockaddr *>(&address), length) == 0
        && ::getsockname(probe, reinterpret_cast<sockaddr *>(&address), &length) == 0)
        port = ntohs(address.sin_port);
    if (probe >= 0)
        ::close(probe);
    return port;
}

QStringList hundredNetworksAllowed()
{
    QStringList networks;
    for (int i = 0; i < 50; ++i) {
        networks.append(QStringLiteral("10.%1.0.0/16").arg(i));
        networks.append(QStringLiteral("fd00:%1::/32").arg(i + 1, 0, 16));
    }
    return {QStringLiteral("--allow"), networks.join(QLatin1Char(','))};
}
