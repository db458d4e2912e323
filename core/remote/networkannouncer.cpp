// SPDX-FileCopyrightText: 2026 Tarvex
// SPDX-License-Identifier: MIT
#include "networkannouncer.h"

#include <QNetworkInterface>

#include <avahi-client/client.h>
#include <avahi-client/publish.h>
#include <avahi-common/alternative.h>
#include <avahi-common/error.h>
#include <avahi-common/malloc.h>
#include <avahi-common/strlst.h>
#include <avahi-common/thread-watch.h>

namespace {

// The interface that holds the address, or an invalid one.
QNetworkInterface interfaceHolding(const QHostAddress &address)
{
    for (const QNetworkInterface &candidate : QNetworkInterface::allInterfaces()) {
        for (const QNetworkAddressEntry &entry : candidate.addressEntries()) {
            if (entry.ip().isEqual(address, QHostAddress::TolerantConversion))
                return candidate;
        }
    }
    return QNetworkInterface();
}

} // namespace

namespace sfp {

// Everything here but the constructor's first steps runs on the Avahi
// poll's thread, under its lock.
struct NetworkAnnouncer::Private
{
    AvahiThreadedPoll *poll = nullptr;
    AvahiClient *client = nullptr;
    AvahiEntryGroup *group = nullptr;
    QByteArray name;
    AvahiIfIndex interface = AVAHI_IF_UNSPEC;
    QList<Service> services;
    QList<QByteArray> txt;
    std::function<void(const QString &)> report;

    void tell(const QString &text) const
    {
        if (report)
            report(text);
    }

    // The next name after a collision: "... #2", "... #3".
    void rename()
    {
        char *next = avahi_alternative_service_name(name.constData());
        tell(QStringLiteral("the name \"%1\" is taken on the network; announced as \"%2\"")
                 .arg(QString::fromUtf8(name), QString::fromUtf8(next)));
        name = next;
        avahi_free(next);
    }

    void publish()
    {
        if (group == nullptr) {
            group = avahi_entry_group_new(client, &Private::groupChanged, this);
            if (group == nullptr) {
                tell(QStringLiteral("the Avahi daemon refused the announcement: %1")
                         .arg(QString::fromUtf8(avahi_strerror(avahi_client_errno(client)))));
                return;
            }
        }
        if (!avahi_entry_group_is_empty(group))
            return;
        AvahiStringList *entries = nullptr;
        for (const QByteArray &entry : txt)
            entries = avahi_string_list_add(entries, entry.constData());
        int error = AVAHI_OK;
        for (const Service &service : services) {
            error = avahi_entry_group_add_service_strlst(
                group, interface, AVAHI_PROTO_UNSPEC, AvahiPublishFlags(0), name.constData(),
                service.type.constData(), nullptr, nullptr, service.port, entries);
            if (error != AVAHI_OK)
                break;
        }
        avahi_string_list_free(entries);
        if (error == AVAHI_ERR_COLLISION) {
            rename();
            avahi_entry_group_reset(group);
            publish();
            return;
        }
        if (error == AVAHI_OK)
            error = avahi_entry_group_commit(group);
        if (error != AVAHI_OK)
            tell(QStringLiteral("the Avahi daemon refused the announcement: %1")
                     .arg(QString::fromUtf8(avahi_strerror(error))));
    }

    static void groupChanged(AvahiEntryGroup *group, AvahiEntryGroupState state, void *data)
    {
        auto *self = static_cast<Private *>(data);
        if (state == AVAHI_ENTRY_GROUP_COLLISION) {
            self->rename();
            avahi_entry_group_reset(group);
            self->publish();
        } else if (state == AVAHI_ENTRY_GROUP_FAILURE) {
            self->tell(QStringLiteral("the announcement failed: %1")
                           .arg(QString::fromUtf8(avahi_strerror(
                               avahi_client_errno(avahi_entry_group_get_client(group))))));
        }
    }

    static void clientChanged(AvahiClient *client, AvahiClientState state, void *data)
    {
        auto *self = static_cast<Private *>(data);
        self->client = client;
        switch (state) {
        case AVAHI_CLIENT_S_RUNNING:
            self->publish();
            break;
        case AVAHI_CLIENT_S_COLLISION:
        case AVAHI_CLIENT_S_REGISTERING:
            // The daemon's own host name changes: announced again once it runs.
            if (self->group != nullptr)
                avahi_entry_group_reset(self->group);
            break;
        case AVAHI_CLIENT_FAILURE:
            self->tell(QStringLiteral("the Avahi daemon went away: %1; the panel is no longer "
                                      "announced")
                           .arg(QString::fromUtf8(avahi_strerror(avahi_client_errno(client)))));
            break;
        case AVAHI_CLIENT_CONNECTING:
            break;
        }
    }
};

NetworkAnnouncer::NetworkAnnouncer()
    : d(std::make_unique<Private>())
{ }

NetworkAnnouncer::~NetworkAnnouncer()
{
    // Stopping the thread first: freeing the client withdraws the services.
    if (d->poll != nullptr)
        avahi_threaded_poll_stop(d->poll);
    if (d->client != nullptr)
        avahi_client_free(d->client);
    if (d->poll != nullptr)
        avahi_threaded_poll_free(d->poll);
}

QByteArray NetworkAnnouncer::instrumentName(const QString &cardId)
{
    QByteArray name = "Orbelan 5170 " + cardId.toUtf8();
    // A DNS label holds 63 bytes; a character is not cut in two: where the
    // first byte left out continues a character, that character goes too.
    constexpr qsizetype limit = 63;
    if (name.size() <= limit)
        return name;
    qsizetype end = limit;
    while (end > 0 && (uchar(name.at(end)) & 0xC0) == 0x80)
        --end;
    name.truncate(end);
    return name;
}

QString NetworkAnnouncer::announce(const QByteArray &name, const QHostAddress &address,
                                   const QList<Service> &services, const QList<QByteArray> &txt,
                                   std::function<void(const QString &)> report)
{
    if (!d->name.isEmpty())
        return QStringLiteral("already announced");
    d->name = name;
    d->services = services;
    d->txt = txt;
    d->report = std::move(report);
    const bool any = address == QHostAddress::Any || address == QHostAddress::AnyIPv4
        || address == QHostAddress::AnyIPv6;
    if (!any) {
        const QNetworkInterface holder = interfaceHolding(address);
        if (!holder.isValid())
            return QStringLiteral("no interface of this machine holds %1").arg(address.toString());
        d->interface = holder.index();
    }

    d->poll = avahi_threaded_poll_new();
    // Fails only without memory or threads left.
    if (d->poll == nullptr)
        return QStringLiteral("the Avahi client library cannot start"); // GCOVR_EXCL_LINE
    int error = AVAHI_OK;
    // Until the poll's thread starts, the client's first callbacks run here.
    d->client = avahi_client_new(avahi_threaded_poll_get(d->poll), AvahiClientFlags(0),
                                 &Private::clientChanged, d.get(), &error);
    if (d->client == nullptr) {
        avahi_threaded_poll_free(d->poll);
        d->poll = nullptr;
        return QStringLiteral("no Avahi daemon answers (%1)")
            .arg(QString::fromUtf8(avahi_strerror(error)));
    }
    // Fails only without threads left.
    if (avahi_threaded_poll_start(d->poll) < 0) // GCOVR_EXCL_START
        return QStringLiteral("the Avahi client library cannot start its thread");
    // GCOVR_EXCL_STOP
    return QString();
}

} // namespace sfp
