// SPDX-FileCopyrightText: 2026 Tarvex
// SPDX-License-Identifier: MIT
#include "logline.h"

#include <QVarLengthArray>

#include <cstdio>
#include <cstring>
#include <limits>

namespace sfp::logLine {

// What SwitchingEvent::scpi() gives for an event of these values.
QByteArray scpiOf(SwitchingEvent::Kind kind, bool implied, bool on, int relay, SwitchingMode mode)
{
    using Kind = SwitchingEvent::Kind;
    if (implied)
        return {};
    switch (kind) {
    case Kind::Relay:
        return (on ? QByteArrayLiteral("ROUT:CLOS (@") : QByteArrayLiteral("ROUT:OPEN (@"))
            + QByteArray::number(relay) + ')';
    case Kind::Mode:
        return QByteArrayLiteral("ROUT:MODE ") + switchingModes::scpiNames[size_t(mode)];
    case Kind::Exclusive:
        return on ? QByteArrayLiteral("ROUT:EXCL ON") : QByteArrayLiteral("ROUT:EXCL OFF");
    case Kind::Update:
        return QByteArrayLiteral("ROUT:UPD");
    case Kind::Trigger:
        return QByteArrayLiteral("*TRG");
    case Kind::Start:
    case Kind::Refusal:
        break;
    }
    return {};
}

// A JSON string: quotes, backslashes and control characters escaped, the
// rest as UTF-8. Plain ASCII, what sources and cards are made of, goes
// character by character without a copy.
void appendString(LineBuffer &out, const QString &value)
{
    out += '"';
    const qsizetype start = out.size();
    char *to = out.grow(value.size());
    bool plain = true;
    for (const QChar c : value) {
        const char16_t code = c.unicode();
        if (code < 0x20 || code >= 0x80 || code == u'"' || code == u'\\') {
            plain = false;
            break;
        }
        *to++ = char(code);
    }
    if (plain) {
        out += '"';
        return;
    }
    out.truncate(start);
    const QByteArray utf8 = value.toUtf8();
    for (const char c : utf8) {
        const auto byte = static_cast<unsigned char>(c);
        if (c == '"' || c == '\\') {
            out += '\\';
            out += c;
        } else if (byte < 0x20) {
            char escape[8];
            std::snprintf(escape, sizeof escape, "\\u%04x", unsigned(byte));
            out += escape;
        } else {
            out += c;
        }
    }
    out += '"';
}

// A whole number in decimal, with leading zeros to `width` digits.
void appendNumber(LineBuffer &out, qint64 value, int width)
{
    // Relays, statuses and minutes, without the general way.
    if (value >= 0 && value < 100 && width <= 2) {
        if (value >= 10 || width == 2) {
            char *to = out.grow(2);
            to[0] = char('0' + value / 10);
            to[1] = char('0' + value % 10);
        } else {
            out += char('0' + value);
        }
        return;
    }
    char digits[24];
    int count = 0;
    quint64 rest = value < 0 ? 0 - quint64(value) : quint64(value);
    do {
        digits[count++] = char('0' + rest % 10);
        rest /= 10;
    } while (rest != 0);
    while (count < width && count < int(sizeof digits) - 1)
        digits[count++] = '0';
    if (value < 0)
        digits[count++] = '-';
    char text[24];
    for (int i = 0; i < count; ++i)
        text[i] = digits[count - 1 - i];
    out.append(text, count);
}

// "2026-12-09T14:05:", the date and the minute of a local time in
// milliseconds since 1970.
void appendMinute(LineBuffer &out, qint64 local)
{
    qint64 days = local >= 0 ? local / 86400000 : (local - 86399999) / 86400000;
    const qint64 ms = local - days * 86400000;
    // Days since 1970-01-01 to a civil date (Howard Hinnant's algorithm).
    days += 719468;
    const qint64 era = (days >= 0 ? days : days - 146096) / 146097;
    const qint64 dayOfEra = days - era * 146097;
    const qint64 yearOfEra
        = (dayOfEra - dayOfEra / 1460 + dayOfEra / 36524 - dayOfEra / 146096) / 365;
    const qint64 dayOfYear = dayOfEra - (365 * yearOfEra + yearOfEra / 4 - yearOfEra / 100);
    const qint64 monthIndex = (5 * dayOfYear + 2) / 153;
    const qint64 day = dayOfYear - (153 * monthIndex + 2) / 5 + 1;
    const qint64 month = monthIndex < 10 ? monthIndex + 3 : monthIndex - 9;
    const qint64 year = yearOfEra + era * 400 + (month <= 2 ? 1 : 0);
    appendNumber(out, year, 4);
    out += '-';
    appendNumber(out, month, 2);
    out += '-';
    appendNumber(out, day, 2);
    out += 'T';
    appendNumber(out, ms / 3600000, 2);
    out += ':';
    appendNumber(out, ms / 60000 % 60, 2);
    out += ':';
}

// "2026-12-09T14:05:00.123+01:00" (or "Z" at UTC), as ISO 8601 writes a
// time with its offset, computed from the count of milliseconds: the
// toolkit's own formatting costs more than a switch of the card. All but
// the seconds is the same for a minute's lines, and made once for them.
void appendTime(LineBuffer &out, qint64 msSinceEpoch, int offset)
{
    struct Minute
    {
        qint64 number = std::numeric_limits<qint64>::min();
        int offset = 0;
        LineBuffer start; // up to the seconds
        LineBuffer end; // the offset
        bool known = false;
        qint64 lastMs = 0;
        int lastOffset = 0;
        LineBuffer last; // the whole time of lastMs
    };
    thread_local Minute minute;
    // A burst writes hundreds of lines a millisecond.
    if (minute.known && msSinceEpoch == minute.lastMs && offset == minute.lastOffset) {
        out += minute.last;
        return;
    }
    const qsizetype at = out.size();
    const qint64 local = msSinceEpoch + qint64(offset) * 1000;
    const qint64 number = local >= 0 ? local / 60000 : (local - 59999) / 60000;
    if (number != minute.number || offset != minute.offset) {
        minute.number = number;
        minute.offset = offset;
        minute.start.truncate(0);
        appendMinute(minute.start, local);
        minute.end.truncate(0);
        if (offset == 0) {
            minute.end += 'Z';
        } else {
            minute.end += offset < 0 ? '-' : '+';
            appendNumber(minute.end, qAbs(offset) / 3600, 2);
            minute.end += ':';
            appendNumber(minute.end, qAbs(offset) / 60 % 60, 2);
        }
    }
    out += minute.start;
    const auto ms = int(local - number * 60000); // 0 to 59999
    char *to = out.grow(6);
    to[0] = char('0' + ms / 10000);
    to[1] = char('0' + ms / 1000 % 10);
    to[2] = '.';
    to[3] = char('0' + ms / 100 % 10);
    to[4] = char('0' + ms / 10 % 10);
    to[5] = char('0' + ms % 10);
    out += minute.end;
    minute.known = true;
    minute.lastMs = msSinceEpoch;
    minute.lastOffset = offset;
    minute.last.truncate(0);
    minute.last.append(out.data() + at, out.size() - at);
}

void appendTime(LineBuffer &out, const QDateTime &time)
{
    appendTime(out, time.toMSecsSinceEpoch(), time.offsetFromUtc());
}

LineRecord recordOf(const SwitchingEvent &event)
{
    LineRecord record;
    // Even a null time costs a look at the time zone.
    if (!event.time.isNull()) {
        record.ms = event.time.toMSecsSinceEpoch();
        record.offset = event.time.offsetFromUtc();
    }
    if (event.kind == SwitchingEvent::Kind::Start) {
        for (size_t i = 0; i < event.closed.size(); ++i) {
            if (event.closed[i])
                record.closed |= quint32(1) << i;
        }
    }
    record.relay = event.relay;
    record.status = event.status.value_or(0);
    record.kind = event.kind;
    record.mode = event.mode;
    record.on = event.on;
    record.exclusive = event.exclusive;
    record.implied = event.implied;
    record.hasStatus = event.status.has_value();
    record.synchronized = event.synchronized;
    return record;
}

// The session hands the same strings on, which are seen to be the same
// without comparing their characters.
bool sameText(const QString &one, const QString &other)
{
    return one.constData() == other.constData() ? one.size() == other.size() : one == other;
}

bool sameNames(const SwitchingEvent &event, const LineNames &names)
{
    return sameText(event.card, names.card) && sameText(event.source, names.source)
        && sameText(event.client, names.client);
}

// The event's line from after its names to its end, appended to line; a
// refusal's reason, error and count are the whole event's. Written field
// by field: a line is written for every switch of the card, and a document
// built first would cost more than the switch.
void appendRest(LineBuffer &line, const LineRecord &event, const SwitchingEvent *whole)
{
    line += ",\"event\":\"";
    line.appendText(kindNames[size_t(event.kind)]);
    line += '"';
    const auto flag = [&line](const auto &key, bool value) {
        line += ",\"";
        line += key;
        if (value)
            line += "\":true";
        else
            line += "\":false";
    };
    const auto writeMode = [&line, &event] {
        line += ",\"mode\":\"";
        line.appendText(switchingModes::fileNames[size_t(event.mode)]);
        line += '"';
    };
    switch (event.kind) {
    case SwitchingEvent::Kind::Start: {
        line += ",\"closed\":[";
        bool firstRelay = true;
        for (int relay = 1; relay <= relayCount; ++relay) {
            if ((event.closed & (quint32(1) << (relay - 1))) == 0)
                continue;
            if (!firstRelay)
                line += ',';
            appendNumber(line, relay);
            firstRelay = false;
        }
        line += ']';
        writeMode();
        flag("exclusive", event.exclusive);
        break;
    }
    case SwitchingEvent::Kind::Relay:
        line += ",\"relay\":";
        appendNumber(line, event.relay);
        flag("closed", event.on);
        break;
    case SwitchingEvent::Kind::Mode:
        writeMode();
        break;
    case SwitchingEvent::Kind::Exclusive:
        flag("on", event.on);
        break;
    case SwitchingEvent::Kind::Update:
    case SwitchingEvent::Kind::Trigger:
        break;
    case SwitchingEvent::Kind::Refusal:
        if (event.relay != 0) {
            line += ",\"relay\":";
            appendNumber(line, event.relay);
        }
        line += ",\"reason\":";
        appendString(line, whole->reason);
        if (whole->error != 0) {
            line += ",\"error\":";
            appendNumber(line, whole->error);
        }
        if (whole->count > 1) {
            line += ",\"count\":";
            appendNumber(line, whole->count);
            line += ",\"first\":\"";
            appendTime(line, whole->first);
            line += "\",\"last\":\"";
            appendTime(line, whole->last);
            line += '"';
        }
        break;
    }
    if (event.implied)
        flag("implied", true);
    if (event.kind == SwitchingEvent::Kind::Relay && !event.implied) {
        // What scpi() gives, without a string of its own.
        line += event.on ? ",\"scpi\":\"ROUT:CLOS (@" : ",\"scpi\":\"ROUT:OPEN (@";
        appendNumber(line, event.relay);
        line += ")\"";
    } else {
        const QByteArray command
            = scpiOf(event.kind, event.implied, event.on, event.relay, event.mode);
        if (!command.isEmpty()) {
            line += ",\"scpi\":\"";
            line.append(command.constData(), command.size());
            line += '"';
        }
    }
    if (event.hasStatus) {
        line += ",\"status\":";
        appendNumber(line, event.status);
    }
    flag("synchronized", event.synchronized);
    line += '}';
}

// The event's whole line, without its end, appended to line; with the
// writer's names and rests when it is the writer's.
void appendJson(LineBuffer &line, const LineRecord &event, const LineNames &names,
                const SwitchingEvent *whole, LineStart *start, LineRests *rests)
{
    line += "{\"time\":\"";
    appendTime(line, event.ms, event.offset);
    if (start)
        start->append(line, names);
    else
        LineStart::appendNames(line, names);
    if (rests)
        rests->append(line, event, whole);
    else
        appendRest(line, event, whole);
}

} // namespace sfp::logLine
