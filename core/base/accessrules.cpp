// SPDX-FileCopyrightText: 2026 Tarvex
// SPDX-License-Identifier: MIT
#include "accessrules.h"

#include "translation.h"

#include <QStringList>

#include <algorithm>

namespace sfp {

namespace {

// One item of the list as a network: an address alone is a network of
// its own address's length. An IPv4-mapped network is kept as the IPv4
// one it names, as clients are matched.
std::optional<std::pair<QHostAddress, int>> networkOf(const QString &item, QString *error)
{
    // The toolkit's reading takes a zone ("fe80::1%eth0") and quietly
    // drops bits below the prefix; a list that says something other than
    // what is matched is refused instead.
    if (item.contains(QLatin1Char('%'))) {
        //: %1 is an item of the --allow list ("fe80::1%eth0").
        *error
            = sfp::translate("AccessRules", "'%1' names a network interface; give addresses only")
                  .arg(item);
        return std::nullopt;
    }
    const qsizetype slash = item.indexOf(QLatin1Char('/'));
    QHostAddress address;
    if (!address.setAddress(slash < 0 ? item : item.left(slash))) {
        //: %1 is an item of the --allow list.
        *error = sfp::translate("AccessRules", "'%1' is no address or network").arg(item);
        return std::nullopt;
    }
    const int bits = address.protocol() == QAbstractSocket::IPv4Protocol ? 32 : 128;
    int length = bits;
    if (slash >= 0) {
        const QString lengthText = item.mid(slash + 1);
        bool isNumber = false;
        length = lengthText.toInt(&isNumber, 10);
        if (!isNumber || !lengthText.at(0).isDigit() || length > bits) {
            //: %1 is an item of the --allow list, %2 the address's bits (32, 128).
            *error = sfp::translate("AccessRules", "'%1' has no prefix length from 0 to %2")
                         .arg(item)
                         .arg(bits);
            return std::nullopt;
        }
    }
    const auto [network, prefix] = QHostAddress::parseSubnet(address.toString() + QLatin1Char('/')
                                                             + QString::number(length));
    if (network != address) {
        //: %1 is an item of the --allow list; %2/%3 the network it lies in ("10.1.2.0/24").
        *error = sfp::translate("AccessRules",
                                "'%1' has bits set beyond its prefix: the network is %2/%3")
                     .arg(item, network.toString())
                     .arg(prefix);
        return std::nullopt;
    }
    bool mapped = false;
    const quint32 ipv4 = address.toIPv4Address(&mapped);
    if (mapped && bits == 128 && length >= 96)
        return std::make_pair(QHostAddress(ipv4), length - 96);
    return std::make_pair(network, length);
}

} // namespace

std::optional<AccessRules> AccessRules::parse(const QString &list, QString *error)
{
    AccessRules rules;
    if (list.trimmed() == QLatin1String("any")) {
        rules.m_any = true;
        return rules;
    }
    const QStringList items = list.split(QLatin1Char(','));
    if (items.size() > maxItems) {
        //: %1 is the number of items of the --allow list (always more than %2).
        *error = sfp::translate("AccessRules",
                                "the list names %1 addresses and networks; at most %2 are taken")
                     .arg(items.size())
                     .arg(maxItems);
        return std::nullopt;
    }
    for (const QString &item : items) {
        const QString trimmed = item.trimmed();
        if (trimmed.isEmpty()) {
            *error = sfp::translate("AccessRules", "the list has an empty item");
            return std::nullopt;
        }
        if (trimmed == QLatin1String("any")) {
            *error = sfp::translate("AccessRules", "'any' stands alone: it allows every address");
            return std::nullopt;
        }
        const auto network = networkOf(trimmed, error);
        if (!network)
            return std::nullopt;
        rules.m_networks.push_back(*network);
    }
    return rules;
}

bool AccessRules::allows(const QHostAddress &peer) const
{
    const QHostAddress address = plainAddress(peer);
    if (m_any || address.isLoopback())
        return true;
    return std::any_of(m_networks.begin(), m_networks.end(),
                       [&address](const std::pair<QHostAddress, int> &network) {
                           return address.isInSubnet(network);
                       });
}

QHostAddress plainAddress(const QHostAddress &address)
{
    bool mapped = false;
    const quint32 ipv4 = address.toIPv4Address(&mapped);
    return mapped ? QHostAddress(ipv4) : address;
}

} // namespace sfp
