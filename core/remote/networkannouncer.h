// SPDX-FileCopyrightText: 2026 Tarvex
// SPDX-License-Identifier: MIT
// The remote control announced on the network by multicast DNS, as LAN
// instruments announce themselves (`_lxi._tcp`, `_vxi-11._tcp`,
// `_scpi-raw._tcp`), through the machine's Avahi daemon and its client
// library; withdrawn when the announcer goes.
#pragma once

#include <QByteArray>
#include <QHostAddress>
#include <QList>
#include <QString>

#include <functional>
#include <memory>

namespace sfp {

class NetworkAnnouncer final
{
public:
    struct Service
    {
        QByteArray type; // "_scpi-raw._tcp"
        quint16 port = 0;
    };

    NetworkAnnouncer();
    ~NetworkAnnouncer();
    NetworkAnnouncer(const NetworkAnnouncer &) = delete;
    NetworkAnnouncer &operator=(const NetworkAnnouncer &) = delete;
    NetworkAnnouncer(NetworkAnnouncer &&) = delete;
    NetworkAnnouncer &operator=(NetworkAnnouncer &&) = delete;

    // The instrument's name as it is announced: "Orbelan 5170 <card id>",
    // cut to the 63 bytes a name may have.
    static QByteArray instrumentName(const QString &cardId);

    // Publishes the services under `name`, with the TXT entries
    // ("Manufacturer=Orbelan"), on the interface that holds `address`, or
    // on every interface for an any address. Empty when the daemon took
    // them, else why not. Whatever happens later (a name taken by another
    // host is changed, "Orbelan 5170 DEMO #2"; the daemon goes) is told to
    // `report`, on the library's own thread. Once only: a second call, made
    // or not, is refused.
    QString announce(const QByteArray &name, const QHostAddress &address,
                     const QList<Service> &services, const QList<QByteArray> &txt,
                     std::function<void(const QString &)> report);

private:
    struct Private;
    std::unique_ptr<Private> d;
};

} // namespace sfp
