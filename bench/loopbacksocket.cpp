// SPDX-FileCopyrightText: 2026 Tarvex
// SPDX-License-Identifier: MIT
#include "loopbacksocket.h"

#include <arpa/inet.h>
#include <netinet/in.h>
#include <netinet/tcp.h>
#include <sys/socket.h>
#include <sys/time.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>

namespace loopbackSocket {

int connectTo(quint16 port, int replyTimeoutSeconds, bool smallPacketDelay, std::string *error)
{
    const int socket = ::socket(AF_INET, SOCK_STREAM, 0);
    if (socket < 0) {
        fail("socket", error);
        return -1;
    }
    const int on = 1;
    if (!smallPacketDelay)
        ::setsockopt(socket, IPPROTO_TCP, TCP_NODELAY, &on, sizeof on);
    timeval timeout = {};
    timeout.tv_sec = replyTimeoutSeconds;
    ::setsockopt(socket, SOL_SOCKET, SO_RCVTIMEO, &timeout, sizeof timeout);
    sockaddr_in address = {};
    address.sin_family = AF_INET;
    address.sin_port = htons(port);
    address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    if (::connect(socket, reinterpret_cast<const sockaddr *>(&address), sizeof address) != 0) {
        fail("connect", error);
        ::close(socket);
        return -1;
    }
    return socket;
}

bool sendAll(int socket, const std::string &data, std::string *error)
{
    size_t sent = 0;
    while (sent < data.size()) {
        const ssize_t n = ::send(socket, data.data() + sent, data.size() - sent, MSG_NOSIGNAL);
        if (n < 0 && errno == EINTR)
            continue;
        if (n <= 0)
            return fail("send", error);
        sent += size_t(n);
    }
    return true;
}

bool fail(const char *call, std::string *error)
{
    *error = std::string(call) + ": " + std::strerror(errno);
    return false;
}

} // namespace loopbackSocket
