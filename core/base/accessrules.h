// SPDX-FileCopyrightText: 2026 Tarvex
// SPDX-License-Identifier: MIT
// Who may reach the card through a face that listens: the loopback
// always, and beyond it only the addresses and networks the admin named
// (--allow). Every server asks the same rules before a client's first
// request is read, so that a face cannot let a stranger in by forgetting.
#pragma once

#include <QHostAddress>
#include <QString>

#include <optional>
#include <utility>
#include <vector>

namespace sfp {

class AccessRules
{
public:
    // The most addresses and networks one list names: enough for any lab,
    // and a bound on what each new connection is compared with.
    static constexpr int maxItems = 1000;

    // The loopback only.
    AccessRules() = default;

    // Reads --allow's list: addresses and networks in CIDR form, IPv4 and
    // IPv6, separated by commas ("192.168.7.0/24,fd00::/64,10.1.2.3"), or
    // the word "any". Nothing, with the reason in `error` (in the system's
    // language: it is said to the person who wrote the list), for a list
    // that is not one.
    static std::optional<AccessRules> parse(const QString &list, QString *error);

    // Whether a client at `peer` may go on; an IPv4 client of a dual-stack
    // socket is matched by its IPv4 address.
    bool allows(const QHostAddress &peer) const;
    // Whether every address may (the list was "any").
    bool allowsAny() const { return m_any; }

private:
    bool m_any = false;
    std::vector<std::pair<QHostAddress, int>> m_networks;
};

// The address a client is known by: an IPv4 client reached through a
// dual-stack socket (::ffff:10.1.2.3) by its plain IPv4 address.
QHostAddress plainAddress(const QHostAddress &address);

} // namespace sfp
