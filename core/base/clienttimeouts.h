// SPDX-FileCopyrightText: 2026 Tarvex
// SPDX-License-Identifier: MIT
// How long each face that serves clients over the network keeps a client
// that says nothing, or whose peer has gone.
#pragma once

#include <chrono>

namespace sfp {

struct ClientTimeouts
{
    // A client that completes no line for this long, while none of its
    // lines wait, is dropped; zero: never.
    std::chrono::milliseconds idle {0};
    // A peer that went away without a word (a cable pulled, a machine
    // switched off) is found by the system's keepalive probes: the
    // first after this much silence on the connection, then one every
    // interval; when `keepAliveProbes` in a row go unanswered, or a
    // response stays unacknowledged for as long, the connection is
    // given up. 20 s + 6 x 5 s: found within 50 s.
    std::chrono::seconds keepAliveIdle {20};
    std::chrono::seconds keepAliveInterval {5};
    int keepAliveProbes = 6;
};

} // namespace sfp
