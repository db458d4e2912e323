// SPDX-FileCopyrightText: 2026 Tarvex
// SPDX-License-Identifier: MIT
// How every face that listens names an address and port, in messages, the
// "Remote:" line and the switching log.
#pragma once

#include <QHostAddress>
#include <QString>

namespace sfp {

// ADDRESS:PORT as clients name it, an IPv6 address in brackets:
// 127.0.0.1:5025, [::1]:5025; every address of both kinds is [::]:5025.
QString endpointText(const QHostAddress &address, quint16 port);

// The peer of a connected socket descriptor, an IPv4 one reached through a
// dual-stack socket by its plain IPv4 address, and its port; a null address
// for a peer the system no longer knows.
QHostAddress socketPeer(qintptr descriptor, quint16 *port);

} // namespace sfp
