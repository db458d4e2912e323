// SPDX-FileCopyrightText: 2026 Tarvex
// SPDX-License-Identifier: MIT
// The benchmarks' blocking clients' socket: a connection to a port on the
// loopback, and whole sends on it. Plain system calls, so that a client
// costs the server's side of a round trip nothing of its own toolkit.
#pragma once

#include <QtGlobal>

#include <string>

namespace loopbackSocket {

// A connected socket, or -1 with the failing call in `error`. A read on it
// gives up after `replyTimeoutSeconds`. Without `smallPacketDelay` a
// request goes out as soon as it is written; with it, the system's default
// holds a small packet until what went before is acknowledged.
int connectTo(quint16 port, int replyTimeoutSeconds, bool smallPacketDelay, std::string *error);

// All of `data`, or false with the failing call in `error`.
bool sendAll(int socket, const std::string &data, std::string *error);

// The failing call and the system's reason, "recv: Connection reset by
// peer"; false.
bool fail(const char *call, std::string *error);

} // namespace loopbackSocket
