// SPDX-FileCopyrightText: 2026 Tarvex
// SPDX-License-Identifier: MIT
#include "switchinglog.h"

#include "logline.h"
#include "relays.h"

#include <nlohmann/json.hpp>

#include <QStringList>

#include <algorithm>
#include <climits>

using nlohmann::ordered_json;

namespace sfp {

using namespace logLine;

namespace {

QString relayList(const std::array<bool, relayCount> &closed)
{
    QStringList relays;
    for (size_t i = 0; i < closed.size(); ++i) {
        if (closed[i])
            relays.append(QString::number(i + 1));
    }
    return relays.isEmpty() ? QStringLiteral("none") : relays.join(QStringLiteral(", "));
}
} // namespace

QByteArray SwitchingEvent::scpi() const
{
    return scpiOf(kind, implied, on, relay, mode);
}

QString SwitchingEvent::change() const
{
    QString words;
    switch (kind) {
    case Kind::Start:
        words = QStringLiteral("panel took the card: relays closed: %1; %2; exclusive rule %3")
                    .arg(relayList(closed), QLatin1String(switchingModes::titles[size_t(mode)]),
                         exclusive ? QStringLiteral("on") : QStringLiteral("off"));
        break;
    case Kind::Relay:
        words = QStringLiteral("relay %1 %2")
                    .arg(relay)
                    .arg(on ? QStringLiteral("closed") : QStringLiteral("opened"));
        break;
    case Kind::Mode:
        words = QStringLiteral("mode %1").arg(QLatin1String(switchingModes::titles[size_t(mode)]));
        break;
    case Kind::Exclusive:
        words = QStringLiteral("exclusive rule %1")
                    .arg(on ? QStringLiteral("on") : QStringLiteral("off"));
        break;
    case Kind::Update:
        words = QStringLiteral("update");
        break;
    case Kind::Trigger:
        words = QStringLiteral("trigger pulse");
        break;
    case Kind::Refusal:
        words = QStringLiteral("refused: ") + reason;
        if (error != 0)
            words += QStringLiteral(" (%1)").arg(error);
        if (count > 1)
            words += QStringLiteral("; %1 times from %2 to %3")
                         .arg(count)
                         .arg(first.toString(QStringLiteral("HH:mm:ss.zzz")),
                              last.toString(QStringLiteral("HH:mm:ss.zzz")));
        break;
    }
    if (status.has_value() && *status != 0)
        words += QStringLiteral(" (driver status %1)").arg(*status);
    return words;
}

QByteArray SwitchingEvent::toJson() const
{
    LineBuffer line;
    appendJson(line, recordOf(*this), LineNames {card, source, client}, this, nullptr, nullptr);
    return line.toByteArray();
}

std::optional<SwitchingEvent> SwitchingEvent::fromJson(const QByteArray &line, QString *why)
{
    const ordered_json json = ordered_json::parse(line.begin(), line.end(), nullptr, false);
    const auto fail = [why](const QString &because) {
        *why = because;
        return std::nullopt;
    };
    if (json.is_discarded() || !json.is_object())
        return fail(QStringLiteral("not a JSON object"));
    const auto string = [&json](const char *key) {
        const auto found = json.find(key);
        return found != json.end() && found->is_string()
            ? QString::fromStdString(found->get<std::string>())
            : QString();
    };
    const auto boolean = [&json](const char *key, bool *value) {
        const auto found = json.find(key);
        if (found == json.end() || !found->is_boolean())
            return false;
        *value = found->get<bool>();
        return true;
    };
    const auto relayOf = [&json](const char *key, int *number) {
        const auto found = json.find(key);
        if (found == json.end() || !found->is_number_integer() || found->get<qint64>() < 1
            || found->get<qint64>() > relayCount)
            return false;
        *number = int(found->get<qint64>());
        return true;
    };
    const auto modeOf = [&json](SwitchingMode *read) {
        const auto found = json.find("mode");
        if (found == json.end() || !found->is_string())
            return false;
        const auto *name = std::find(switchingModes::fileNames.begin(),
                                     switchingModes::fileNames.end(), found->get<std::string>());
        if (name == switchingModes::fileNames.end())
            return false;
        *read = SwitchingMode(name - switchingModes::fileNames.begin());
        return true;
    };

    SwitchingEvent event;
    event.time = QDateTime::fromString(string("time"), Qt::ISODateWithMs);
    if (!event.time.isValid())
        return fail(QStringLiteral("no valid \"time\""));
    event.card = string("card");
    event.source = string("source");
    event.client = string("client");
    const QString kind = string("event");
    const auto *kindName = std::find_if(kindNames.begin(), kindNames.end(),
                                        [&kind](const char *name) { return kind == name; });
    if (kindName == kindNames.end())
        return fail(QStringLiteral("no known \"event\""));
    event.kind = Kind(kindName - kindNames.begin());
    bool good = true;
    switch (event.kind) {
    case Kind::Start: {
        const auto relays = json.find("closed");
        good = relays != json.end() && relays->is_array() && modeOf(&event.mode)
            && boolean("exclusive", &event.exclusive);
        for (size_t i = 0; good && i < relays->size(); ++i) {
            const ordered_json &relay = (*relays)[i];
            good = relay.is_number_integer() && relay.get<qint64>() >= 1
                && relay.get<qint64>() <= relayCount;
            if (good)
                event.closed[size_t(relay.get<qint64>() - 1)] = true;
        }
        break;
    }
    case Kind::Relay:
        good = relayOf("relay", &event.relay) && boolean("closed", &event.on);
        break;
    case Kind::Mode:
        good = modeOf(&event.mode);
        break;
    case Kind::Exclusive:
        good = boolean("on", &event.on);
        break;
    case Kind::Update:
    case Kind::Trigger:
        break;
    case Kind::Refusal: {
        relayOf("relay", &event.relay);
        event.reason = string("reason");
        const auto error = json.find("error");
        if (error != json.end() && error->is_number_integer())
            event.error = int(error->get<qint64>());
        const auto count = json.find("count");
        if (count != json.end() && count->is_number_integer() && count->get<qint64>() > 1
            && count->get<qint64>() <= INT_MAX) {
            event.count = int(count->get<qint64>());
            event.first = QDateTime::fromString(string("first"), Qt::ISODateWithMs);
            event.last = QDateTime::fromString(string("last"), Qt::ISODateWithMs);
            if (!event.first.isValid())
                event.first = event.time;
            if (!event.last.isValid())
                event.last = event.time;
        }
        break;
    }
    }
    if (!good)
        return fail(QStringLiteral("a \"%1\" event without its values").arg(kind));
    boolean("implied", &event.implied);
    boolean("synchronized", &event.synchronized);
    const auto status = json.find("status");
    if (status != json.end() && status->is_number_integer())
        event.status = int(status->get<qint64>());
    return event;
}

} // namespace sfp
