// SPDX-FileCopyrightText: 2026 Tarvex
// SPDX-License-Identifier: MIT
#include "switchinglog.h"

#include "fixture.h"
#include "systemerror.h"
#include "userfolders.h"

#include <nlohmann/json.hpp>

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QMetaMethod>

#include <algorithm>
#include <cctype>
#include <cerrno>
#include <chrono>
#include <climits>
#include <condition_variable>
#include <cstdio>
#include <cstring>
#include <limits>
#include <memory>
#include <mutex>
#include <set>
#include <thread>
#include <utility>

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

using nlohmann::ordered_json;

namespace sfp {

namespace {

constexpr std::array<const char *, 7> kindNames
    = {"start", "relay", "mode", "exclusive", "update", "trigger", "refusal"};
QString relayList(const std::array<bool, relayCount> &closed)
{
    QStringList relays;
    for (size_t i = 0; i < closed.size(); ++i) {
        if (closed[i])
            relays.append(QString::number(i + 1));
    }
    return relays.isEmpty() ? QStringLiteral("none") : relays.join(QStringLiteral(", "));
}

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

namespace {

// A line as it is built: on the stack up to well past its usual length,
// each piece added with one copy. A line is written for every switch of
// the card; growing a QByteArray piece by piece cost more than the switch.
class LineBuffer
{
public:
    LineBuffer() = default;
    Q_DISABLE_COPY_MOVE(LineBuffer)

    LineBuffer &operator+=(char c)
    {
        *grow(1) = c;
        return *this;
    }
    // A literal, its length known without counting.
    template<size_t size>
    LineBuffer &operator+=(const char (&text)[size])
    {
        std::memcpy(grow(qsizetype(size) - 1), text, size - 1);
        return *this;
    }
    LineBuffer &operator+=(const LineBuffer &text)
    {
        append(text.data(), text.size());
        return *this;
    }
    void appendText(const char *text) { append(text, qsizetype(std::strlen(text))); }
    void append(const char *data, qsizetype size) { std::memcpy(grow(size), data, size_t(size)); }
    // Room for `size` more characters, written through the pointer.
    Q_ALWAYS_INLINE char *grow(qsizetype size)
    {
        if (m_size + size > m_capacity)
            reserve(m_size + size);
        char *at = m_data + m_size;
        m_size += size;
        return at;
    }
    void truncate(qsizetype size) { m_size = size; }
    qsizetype size() const { return m_size; }
    const char *data() const { return m_data; }
    QByteArray toByteArray() const { return QByteArray(m_data, m_size); }

private:
    Q_NEVER_INLINE void reserve(qsizetype size)
    {
        const qsizetype capacity = std::max(size, 2 * m_capacity);
        auto bigger = std::make_unique<char[]>(size_t(capacity));
        std::memcpy(bigger.get(), m_data, size_t(m_size));
        m_heap = std::move(bigger);
        m_data = m_heap.get();
        m_capacity = capacity;
    }

    std::array<char, 512> m_local {};
    std::unique_ptr<char[]> m_heap;
    char *m_data = m_local.data();
    qsizetype m_size = 0;
    qsizetype m_capacity = qsizetype(m_local.size());
};

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
void appendNumber(LineBuffer &out, qint64 value, int width = 1)
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

// What a line needs of an event, without the toolkit's shared strings and
// times: those count who holds them, and a count that two threads change
// for every switch costs the switching thread more than the line.
struct LineRecord
{
    qint64 ms = 0; // the time, since 1970 UTC
    int offset = 0; // the time's, from UTC in seconds
    qsizetype names = 0; // of the batch's card, source and client
    qsizetype refusal = -1; // of the batch's whole events, for a refusal
    quint32 closed = 0; // Start: bit n - 1 for relay n
    int relay = 0;
    int status = 0;
    SwitchingEvent::Kind kind = SwitchingEvent::Kind::Relay;
    SwitchingMode mode = SwitchingMode::Asynchronous;
    bool on = false;
    bool exclusive = false;
    bool implied = false;
    bool hasStatus = false;
    bool synchronized = true;
};

LineRecord recordOf(const SwitchingEvent &event)
{
    LineRecord record;
    record.ms = event.time.toMSecsSinceEpoch();
    record.offset = event.time.offsetFromUtc();
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

struct LineNames
{
    QString card;
    QString source;
    QString client;
};

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

// The card, source and client of the latest line, as JSON: a burst of
// switching has the same ones in every line, and escaping them again cost
// more than the rest of the line.
class LineStart
{
public:
    void append(LineBuffer &line, const LineNames &names)
    {
        if (!m_known || !sameText(names.card, m_names.card)
            || !sameText(names.source, m_names.source) || !sameText(names.client, m_names.client)) {
            m_known = true;
            m_names = names;
            m_json.truncate(0);
            appendNames(m_json, names);
        }
        line += m_json;
    }

    static void appendNames(LineBuffer &line, const LineNames &names)
    {
        line += "\",\"card\":";
        appendString(line, names.card);
        line += ",\"source\":";
        appendString(line, names.source);
        if (!names.client.isEmpty()) {
            line += ",\"client\":";
            appendString(line, names.client);
        }
    }

private:
    bool m_known = false;
    LineNames m_names;
    LineBuffer m_json;
};

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

// What follows the names in a relay's line, for each relay closed and
// opened: a burst switches the same few relays again and again.
class LineRests
{
public:
    void append(LineBuffer &line, const LineRecord &event, const SwitchingEvent *whole)
    {
        if (event.kind != SwitchingEvent::Kind::Relay || event.relay < 1
            || event.relay > relayCount) {
            appendRest(line, event, whole);
            return;
        }
        Rest &rest = m_rests[size_t(event.relay - 1) * 2 + (event.on ? 1 : 0)];
        if (!rest.known || rest.implied != event.implied || rest.hasStatus != event.hasStatus
            || rest.status != event.status || rest.synchronized != event.synchronized) {
            rest.known = true;
            rest.implied = event.implied;
            rest.hasStatus = event.hasStatus;
            rest.status = event.status;
            rest.synchronized = event.synchronized;
            rest.json.truncate(0);
            appendRest(rest.json, event, whole);
        }
        line += rest.json;
    }

private:
    struct Rest
    {
        bool known = false;
        bool implied = false;
        bool hasStatus = false;
        int status = 0;
        bool synchronized = false;
        LineBuffer json;
    };
    std::array<Rest, 64> m_rests;
};

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

} // namespace

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

// The file's side of the log, on a thread of its own. The log hands it
// events in batches; it makes their lines and writes them in the order
// they came, each write whole lines only, and keeps what went wrong for
// the log to say on the log's own thread.
class SwitchingLog::Writer
{
public:
    explicit Writer(SwitchingLog *log)
        : m_log(log)
    {
        m_filling.reserve();
    }

    // Returns once everything handed over is written.
    ~Writer()
    {
        if (m_thread.joinable()) {
            {
                const std::lock_guard lock(m_mutex);
                m_stopping = true;
            }
            m_work.notify_one();
            m_thread.join();
        }
        closeFile();
    }

    Q_DISABLE_COPY_MOVE(Writer)

    // On the log's thread: the event kept to be handed over. Returns how
    // many wait.
    qsizetype add(const SwitchingEvent &event, LineRecord record, bool newNames)
    {
        if (newNames || m_filling.names.empty())
            m_filling.names.push_back({event.card, event.source, event.client});
        record.names = qsizetype(m_filling.names.size()) - 1;
        if (event.kind == SwitchingEvent::Kind::Refusal) {
            record.refusal = qsizetype(m_filling.refusals.size());
            m_filling.refusals.push_back(event);
        }
        m_filling.records.push_back(record);
        return qsizetype(m_filling.records.size());
    }

    // On the log's thread: what waits is written to path after what was
    // handed over before.
    void handOver(const QString &path)
    {
        if (m_filling.records.empty())
            return;
        if (!m_thread.joinable())
            m_thread = std::thread([this] { run(); });
        m_filling.path = path;
        std::unique_lock lock(m_mutex);
        // A writer far behind (a slow disk) holds the switching back, as a
        // write of the log's own thread would, rather than taking memory
        // without bound.
        if (m_waiting >= waitingLimit) {
            m_work.notify_one();
            m_written.wait(lock, [this] { return m_waiting < waitingLimit; });
        }
        m_waiting += m_filling.records.size();
        m_batches.push_back(std::move(m_filling));
        ++m_handed;
        // While it lingers after a write it looks again by itself: waking
        // it for every turn of a busy event loop would cost the thread
        // that switches more than the lines.
        if (m_idle)
            m_work.notify_one();
        // Lists made and freed for every hand-over would cost the log's
        // thread more than the events in them: those the writer is done
        // with are filled again.
        if (m_spare.empty()) {
            m_filling = {};
            m_filling.reserve();
        } else {
            m_filling = std::move(m_spare.back());
            m_spare.pop_back();
        }
    }

    // Returns once everything handed over so far is written, or has
    // failed.
    void waitForAll()
    {
        std::unique_lock lock(m_mutex);
        const quint64 handed = m_handed;
        if (m_done < handed) {
            m_work.notify_one();
            m_written.wait(lock, [this, handed] { return m_done >= handed; });
        }
    }

    // What could not be written since the last call, each said once.
    QStringList takeFailures()
    {
        const std::lock_guard lock(m_mutex);
        return std::exchange(m_failures, {});
    }

private:
    struct Batch
    {
        QString path;
        std::vector<LineRecord> records;
        std::vector<LineNames> names;
        std::vector<SwitchingEvent> refusals;

        void reserve() { records.reserve(size_t(handOverCount)); }
        void clear()
        {
            path.clear();
            records.clear();
            names.clear();
            refusals.clear();
        }
    };

    static constexpr size_t waitingLimit = 64 * size_t(handOverCount);
    static constexpr std::chrono::milliseconds lingerTime {1};
    static constexpr size_t spareCount = 4;

    void run()
    {
        std::unique_lock lock(m_mutex);
        bool linger = false;
        for (;;) {
            if (m_batches.empty()) {
                if (m_stopping)
                    return;
                if (linger) {
                    // A burst goes on handing over without a wake-up.
                    linger = false;
                    m_work.wait_for(lock, lingerTime);
                } else {
                    m_idle = true;
                    m_work.wait(lock, [this] { return !m_batches.empty() || m_stopping; });
                    m_idle = false;
                }
                continue;
            }
            // Both lists keep their room from one turn to the next.
            m_taken.swap(m_batches);
            const quint64 handed = m_handed;
            lock.unlock();
            size_t records = 0;
            for (Batch &batch : m_taken) {
                writeBatch(batch);
                records += batch.records.size();
                // The strings go without holding the log back.
                batch.clear();
            }
            writeLines();
            lock.lock();
            for (Batch &batch : m_taken) {
                if (m_spare.size() < spareCount)
                    m_spare.push_back(std::move(batch));
            }
            m_taken.clear();
            m_waiting -= records;
            m_done = handed;
            const bool say = m_failures.isEmpty() && !m_newFailures.isEmpty();
            m_failures += std::exchange(m_newFailures, {});
            m_written.notify_all();
            if (say) {
                lock.unlock();
                QMetaObject::invokeMethod(
                    m_log, [log = m_log] { log->sayFailures(); }, Qt::QueuedConnection);
                lock.lock();
            }
            linger = true;
        }
    }

    void writeBatch(const Batch &batch)
    {
        if (batch.path != m_path) {
            writeLines();
            closeFile();
            m_path = batch.path;
        }
        for (const LineRecord &record : batch.records) {
            appendJson(m_lines, record, batch.names[size_t(record.names)],
                       record.refusal < 0 ? nullptr : &batch.refusals[size_t(record.refusal)],
                       &m_lineStart, &m_lineRests);
            m_lines += '\n';
            if (m_lines.size() >= flushSize)
                writeLines();
        }
    }

    void writeLines()
    {
        if (m_lines.size() == 0)
            return;
        const QString why = write(m_lines.data(), m_lines.size());
        m_lines.truncate(0);
        if (why.isEmpty()) {
            m_failureSaid = false;
        } else if (!m_failureSaid) {
            m_failureSaid = true;
            m_newFailures.append(m_path + QStringLiteral(": ") + why);
        }
    }

    QString write(const char *lines, qsizetype size)
    {
        QString why;
        if (m_fd < 0 && !openFile(&why))
            return why;
        if (m_size > 0 && m_size + size > rotateSize) {
            rotate();
            if (!openFile(&why))
                return why;
        }
        // One write: a process that dies leaves the lines whole or not at
        // all.
        const ssize_t written = ::write(m_fd, lines, size_t(size));
        if (written == size) {
            m_size += written;
            return {};
        }
        const int error = written < 0 ? errno : ENOSPC;
        // A line cut short would spoil the next one: it is taken back.
        if (written > 0 && ::ftruncate(m_fd, m_size) != 0)
            return systemError(errno);
        return systemError(error);
    }

    bool openFile(QString *why)
    {
        if (!QDir().mkpath(QFileInfo(m_path).absolutePath())) {
            *why = QStringLiteral("its folder cannot be made");
            return false;
        }
        // Never through a link, never waiting on a FIFO, never into
        // anything but a regular file.
        const QByteArray name = QFile::encodeName(m_path);
        struct stat before
        { };
        if (::lstat(name.constData(), &before) == 0 && !S_ISREG(before.st_mode)) {
            *why = QStringLiteral("it is not a regular file");
            return false;
        }
        m_fd = ::open(name.constData(),
                      O_RDWR | O_APPEND | O_CREAT | O_CLOEXEC | O_NOFOLLOW | O_NONBLOCK, 0644);
        if (m_fd < 0) {
            *why = systemError(errno);
            return false;
        }
        struct stat status
        { };
        if (::fstat(m_fd, &status) != 0 || !S_ISREG(status.st_mode)) {
            closeFile();
            *why = QStringLiteral("it is not a regular file");
            return false;
        }
        m_size = status.st_size;
        // A last line cut by a crash or a full disk would swallow the first
        // line written now: it is ended first.
        char last = '\n';
        if (m_size > 0 && ::pread(m_fd, &last, 1, m_size - 1) == 1 && last != '\n'
            && ::write(m_fd, "\n", 1) == 1)
            ++m_size;
        return true;
    }

    void rotate()
    {
        closeFile();
        const auto numbered = [this](int number) {
            return QFile::encodeName(m_path + QLatin1Char('.') + QString::number(number));
        };
        ::unlink(numbered(keptFiles - 1).constData());
        for (int number = keptFiles - 2; number >= 1; --number)
            ::rename(numbered(number).constData(), numbered(number + 1).constData());
        ::rename(QFile::encodeName(m_path).constData(), numbered(1).constData());
    }

    void closeFile()
    {
        if (m_fd >= 0)
            ::close(m_fd);
        m_fd = -1;
    }

    SwitchingLog *const m_log;

    // The writer's own.
    QString m_path;
    int m_fd = -1;
    qint64 m_size = 0; // of the file, as this log has written it
    LineBuffer m_lines;
    LineStart m_lineStart;
    LineRests m_lineRests;
    std::vector<Batch> m_taken;
    bool m_failureSaid = false;
    QStringList m_newFailures;

    // Shared with the log's thread.
    std::mutex m_mutex;
    std::condition_variable m_work;
    std::condition_variable m_written;
    std::vector<Batch> m_batches;
    quint64 m_handed = 0; // batches
    quint64 m_done = 0; // batches written
    size_t m_waiting = 0; // events handed over, not written
    bool m_idle = false;
    bool m_stopping = false;
    QStringList m_failures;
    std::vector<Batch> m_spare;

    // The log's own: what waits to be handed over.
    Batch m_filling;

    std::thread m_thread;
};

// The newest events, for the view. A burst pays for every event kept whole,
// most of which nobody looks at before newer ones push them out: each is
// kept as its line's record, its time and its names, and made whole when
// asked for.
class SwitchingLog::Recent
{
public:
    void add(const SwitchingEvent &event, const LineRecord &record, bool newNames)
    {
        if (m_ring.empty())
            m_ring.resize(size_t(recentCount));
        Entry &entry = m_ring[size_t(m_next)];
        if (m_fresh == recentCount) {
            // The oldest goes, and what no newer one needs with it.
            while (m_namesBase < entry.record.names) {
                m_names.pop_front();
                ++m_namesBase;
            }
            while (entry.record.refusal >= m_wholeBase) {
                m_whole.pop_front();
                ++m_wholeBase;
            }
        } else {
            ++m_fresh;
        }
        if (newNames || m_names.empty())
            m_names.push_back({event.card, event.source, event.client});
        entry.record = record;
        entry.record.names = m_namesBase + qsizetype(m_names.size()) - 1;
        entry.record.refusal = -1;
        if (needsWhole(event)) {
            m_whole.push_back(event);
            entry.record.refusal = m_wholeBase + qsizetype(m_whole.size()) - 1;
        }
        entry.time = event.time;
        if (++m_next == recentCount)
            m_next = 0;
    }

    // Whether the event's card, source or client are not the last one's;
    // they are from now on.
    bool newNames(const SwitchingEvent &event)
    {
        if (m_namesKnown && sameNames(event, m_lastNames))
            return false;
        m_namesKnown = true;
        m_lastNames = {event.card, event.source, event.client};
        return true;
    }

    const std::deque<SwitchingEvent> &events()
    {
        if (m_fresh == 0)
            return m_events;
        const qsizetype first = (m_next - m_fresh + recentCount) % recentCount;
        for (qsizetype i = 0; i < m_fresh; ++i) {
            m_events.push_back(eventOf(m_ring[size_t((first + i) % recentCount)]));
            if (m_events.size() > size_t(recentCount))
                m_events.pop_front();
        }
        m_fresh = 0;
        m_namesBase += qsizetype(m_names.size());
        m_names.clear();
        m_wholeBase += qsizetype(m_whole.size());
        m_whole.clear();
        return m_events;
    }

private:
    static constexpr std::array<bool, relayCount> noneClosed = {};

    struct Entry
    {
        LineRecord record; // its names and whole event counted from the first kept
        QDateTime time;
    };

    // What the record leaves out: a refusal's reason and count, and
    // values an event of its kind does not have.
    static bool needsWhole(const SwitchingEvent &event)
    {
        return event.kind == SwitchingEvent::Kind::Refusal || !event.reason.isEmpty()
            || event.error != 0 || event.count != 1 || !event.first.isNull() || !event.last.isNull()
            || (event.kind != SwitchingEvent::Kind::Start && event.closed != noneClosed);
    }

    SwitchingEvent eventOf(const Entry &entry) const
    {
        const LineRecord &record = entry.record;
        if (record.refusal >= 0)
            return m_whole[size_t(record.refusal - m_wholeBase)];
        SwitchingEvent event;
        event.time = entry.time;
        const LineNames &names = m_names[size_t(record.names - m_namesBase)];
        event.card = names.card;
        event.source = names.source;
        event.client = names.client;
        event.kind = record.kind;
        event.relay = record.relay;
        event.on = record.on;
        event.mode = record.mode;
        event.exclusive = record.exclusive;
        for (size_t i = 0; i < event.closed.size(); ++i)
            event.closed[i] = (record.closed & (quint32(1) << i)) != 0;
        event.implied = record.implied;
        if (record.hasStatus)
            event.status = record.status;
        event.synchronized = record.synchronized;
        return event;
    }

    std::vector<Entry> m_ring; // in turn, the oldest at m_next once full
    qsizetype m_next = 0;
    qsizetype m_fresh = 0; // the newest entries, not yet made whole
    std::deque<LineNames> m_names;
    qsizetype m_namesBase = 0; // the number of the first
    std::deque<SwitchingEvent> m_whole;
    qsizetype m_wholeBase = 0;
    std::deque<SwitchingEvent> m_events; // made whole
    bool m_namesKnown = false;
    LineNames m_lastNames;
};

SwitchingLog::SwitchingLog(QObject *parent)
    : QObject(parent)
    , m_writer(std::make_unique<Writer>(this))
    , m_recent(std::make_unique<Recent>())
{
    m_flushTimer.setSingleShot(true);
    m_flushTimer.setInterval(0);
    connect(&m_flushTimer, &QTimer::timeout, this, &SwitchingLog::handOver);
    m_refusalTimer.setInterval(250);
    connect(&m_refusalTimer, &QTimer::timeout, this, &SwitchingLog::writeDueRefusals);
    m_clock.start();
}

SwitchingLog::~SwitchingLog()
{
    writeAllHeld();
    flush();
    m_writer.reset();
}

QString SwitchingLog::fileName(const QString &folder, const QString &cardId)
{
    return userFolders::cardFolder(folder, cardId) + QStringLiteral("/switching.jsonl");
}

void SwitchingLog::setPath(const QString &path)
{
    // What waits goes to the file it was appended for.
    if (path != m_path)
        handOver();
    m_path = path;
}

QDateTime SwitchingLog::now()
{
    const qint64 ms = QDateTime::currentMSecsSinceEpoch();
    // A burst makes hundreds of changes a millisecond.
    if (m_offsetKnown && ms == m_nowMs)
        return m_now;
    const qint64 since = ms - m_offsetFound;
    if (!m_offsetKnown || since < 0 || since >= 1000) {
        m_offset = QDateTime::currentDateTime().offsetFromUtc();
        m_offsetFound = ms;
        m_offsetKnown = true;
    }
    m_now = QDateTime::fromMSecsSinceEpoch(ms, Qt::UTC).toOffsetFromUtc(m_offset);
    m_nowMs = ms;
    return m_now;
}

void SwitchingLog::append(const SwitchingEvent &event)
{
    if (event.kind != SwitchingEvent::Kind::Refusal) {
        // A source that changes something has ended its stream of
        // refusals; what others' streams hold goes first, in time order.
        if (!m_refusals.empty()) {
            writeAllHeld();
            for (auto stream = m_refusals.begin(); stream != m_refusals.end();) {
                if (std::get<0>(stream->first) == event.source
                    && std::get<1>(stream->first) == event.client)
                    stream = m_refusals.erase(stream);
                else
                    ++stream;
            }
        }
        appendLine(event);
        return;
    }
    const RefusalKey key {event.source, event.client, event.relay, event.reason, event.error};
    const auto found = m_refusals.find(key);
    if (found != m_refusals.end()) {
        RefusalStream &stream = found->second;
        if (stream.held == 0)
            stream.first = event.time;
        ++stream.held;
        stream.latest = event;
        stream.seen = m_clock.elapsed();
        return;
    }
    writeAllHeld();
    RefusalStream &stream = m_refusals[key];
    stream.seen = m_clock.elapsed();
    stream.due = stream.seen + stream.delay;
    if (!m_refusalTimer.isActive())
        m_refusalTimer.start();
    appendLine(event);
}

void SwitchingLog::writeHeld(RefusalStream &stream)
{
    if (stream.held == 0)
        return;
    SwitchingEvent counted = stream.latest;
    if (stream.held > 1) {
        counted.count = stream.held;
        counted.first = stream.first;
        counted.last = counted.time;
    }
    stream.held = 0;
    appendLine(counted);
}

void SwitchingLog::writeAllHeld()
{
    for (auto &[source, stream] : m_refusals)
        writeHeld(stream);
}

void SwitchingLog::writeDueRefusals()
{
    const qint64 now = m_clock.elapsed();
    for (auto stream = m_refusals.begin(); stream != m_refusals.end();) {
        if (stream->second.held > 0 && now >= stream->second.due) {
            writeHeld(stream->second);
            // A stream that goes on is written ever more rarely.
            stream->second.delay = std::min(stream->second.delay * 2, refusalDelayMaxMs);
            stream->second.due = now + stream->second.delay;
        }
        if (stream->second.held == 0 && now - stream->second.seen >= refusalQuietMs)
            stream = m_refusals.erase(stream);
        else
            ++stream;
    }
    if (m_refusals.empty())
        m_refusalTimer.stop();
}

void SwitchingLog::appendLine(const SwitchingEvent &event)
{
    const LineRecord record = recordOf(event);
    const bool newNames = m_recent->newNames(event);
    if (!m_path.isEmpty()) {
        // Handed over once the event loop turns, or at once when many
        // wait.
        if (m_writer->add(event, record, newNames) >= handOverCount)
            handOver();
        else if (!m_flushTimer.isActive())
            m_flushTimer.start();
    }
    m_recent->add(event, record, newNames);
    // A signal sent to nobody still costs a burst a good part of its line.
    if (m_listeners > 0)
        emit appended(event);
}

void SwitchingLog::connectNotify(const QMetaMethod &signal)
{
    if (signal == QMetaMethod::fromSignal(&SwitchingLog::appended))
        ++m_listeners;
}

void SwitchingLog::disconnectNotify(const QMetaMethod &signal)
{
    // Connections ended all at once (an invalid method), or with their
    // receiver, are not counted off: the signal is then sent for nobody,
    // which costs time and loses nothing.
    if (signal == QMetaMethod::fromSignal(&SwitchingLog::appended))
        m_listeners = std::max(0, m_listeners - 1);
}

const std::deque<SwitchingEvent> &SwitchingLog::recent() const
{
    return m_recent->events();
}

void SwitchingLog::handOver()
{
    m_flushTimer.stop();
    m_writer->handOver(m_path);
}

void SwitchingLog::flush()
{
    handOver();
    m_writer->waitForAll();
    sayFailures();
}

void SwitchingLog::sayFailures()
{
    for (const QString &why : m_writer->takeFailures())
        emit writeFailed(why);
}

namespace switchingLog {

QList<SwitchingEvent> read(const QByteArray &text, const QDateTime &since, const QDateTime &until,
                           int *skipped)
{
    QList<SwitchingEvent> events;
    *skipped = 0;
    for (const QByteArray &line : text.split('\n')) {
        if (line.trimmed().isEmpty())
            continue;
        QString why;
        std::optional<SwitchingEvent> event = SwitchingEvent::fromJson(line, &why);
        if (!event) {
            ++*skipped;
            continue;
        }
        if ((since.isValid() && event->time < since) || (until.isValid() && event->time > until))
            continue;
        events.append(*event);
    }
    return events;
}

QByteArray toScpi(const QList<SwitchingEvent> &events)
{
    QByteArray lines;
    for (const SwitchingEvent &event : events) {
        if (event.kind == SwitchingEvent::Kind::Start) {
            // Each run began on the card as it found it: a replay of
            // several runs starts each of them from the same state.
            lines += "*RST\n";
            QByteArrayList closed;
            for (size_t i = 0; i < event.closed.size(); ++i) {
                if (event.closed[i])
                    closed.append(QByteArray::number(qint64(i) + 1));
            }
            if (!closed.isEmpty())
                lines += "ROUT:CLOS (@" + closed.join(',') + ")\n";
            if (event.exclusive)
                lines += "ROUT:EXCL ON\n";
            if (event.mode != SwitchingMode::Asynchronous)
                lines += QByteArrayLiteral("ROUT:MODE ")
                    + switchingModes::scpiNames[size_t(event.mode)] + '\n';
            continue;
        }
        const QByteArray command = event.scpi();
        if (!command.isEmpty())
            lines += command + '\n';
    }
    return lines;
}

namespace {

// A VCD reference: letters, digits and '_' only, which every reader takes.
QByteArray signalName(const QString &label, int relay, std::set<QByteArray> *taken)
{
    QByteArray name;
    for (const QChar c : label) {
        const char ascii = c.toLatin1();
        name += (c.unicode() < 128 && (std::isalnum(static_cast<unsigned char>(ascii)) != 0))
            ? ascii
            : '_';
    }
    if (name.isEmpty() || name.count('_') == name.size())
        name = "relay" + QByteArray::number(relay);
    QByteArray unique = name;
    for (int n = 2; taken->count(unique) != 0; ++n)
        unique = name + '_' + QByteArray::number(n);
    taken->insert(unique);
    return unique;
}

// The short codes of the signals: '!' onwards, one character each.
QByteArray code(int index)
{
    return QByteArray(1, char('!' + index));
}

} // namespace

QByteArray toVcd(const QList<SwitchingEvent> &events, const std::array<QString, relayCount> &labels)
{
    // Signals 0..31 the relays, 32 and 33 the synchronous modes, 34 the
    // synchronized state.
    constexpr int command = relayCount;
    constexpr int trigger = 33;
    constexpr int synchronized = 34;
    QByteArray vcd;
    vcd += "$date "
        + (events.isEmpty() ? QByteArray()
                            : events.first().time.toString(Qt::ISODateWithMs).toUtf8())
        + " $end\n";
    vcd += "$version qx5170fp switching log $end\n";
    vcd += "$timescale 1 ms $end\n";
    vcd += "$scope module card $end\n";
    std::set<QByteArray> taken;
    for (int relay = 1; relay <= relayCount; ++relay)
        vcd += "$var wire 1 " + code(relay - 1) + ' '
            + signalName(labels[size_t(relay - 1)], relay, &taken) + " $end\n";
    vcd += "$var wire 1 " + code(command) + " sync_command $end\n";
    vcd += "$var wire 1 " + code(trigger) + " sync_trigger $end\n";
    vcd += "$var wire 1 " + code(synchronized) + " synchronized $end\n";
    vcd += "$upscope $end\n$enddefinitions $end\n";

    std::array<char, 35> values = {};
    values.fill('0');
    values[size_t(synchronized)] = '1';
    const auto setMode = [&values](SwitchingMode mode) {
        values[size_t(command)] = mode == SwitchingMode::SyncCommand ? '1' : '0';
        values[size_t(trigger)] = mode == SwitchingMode::SyncTrigger ? '1' : '0';
    };
    const QDateTime origin = events.isEmpty() ? QDateTime() : events.first().time;
    // Changes at one millisecond are written under one time; a time that
    // goes back (the clock was set) stays at the last one. A signal that
    // changes twice in one millisecond would show neither change: its
    // second change, and what follows, moves one step later.
    qint64 last = -1;
    qint64 lastChange = 0;
    QByteArray changes;
    std::array<bool, 35> changedAtLast = {};
    const auto flush = [&] {
        if (last >= 0 && !changes.isEmpty()) {
            vcd += '#' + QByteArray::number(last) + '\n' + changes;
            lastChange = last;
        }
        changes.clear();
    };
    const auto moveTo = [&](qint64 at) {
        flush();
        last = at;
        changedAtLast = {};
    };
    bool first = true;
    for (const SwitchingEvent &event : events) {
        std::array<char, 35> before = values;
        switch (event.kind) {
        case SwitchingEvent::Kind::Start:
            for (size_t i = 0; i < size_t(relayCount); ++i)
                values[i] = event.closed[i] ? '1' : '0';
            setMode(event.mode);
            break;
        case SwitchingEvent::Kind::Relay:
            values[size_t(event.relay - 1)] = event.on ? '1' : '0';
            break;
        case SwitchingEvent::Kind::Mode:
            setMode(event.mode);
            break;
        case SwitchingEvent::Kind::Exclusive:
        case SwitchingEvent::Kind::Update:
        case SwitchingEvent::Kind::Trigger:
        case SwitchingEvent::Kind::Refusal:
            break;
        }
        if (event.kind != SwitchingEvent::Kind::Refusal)
            values[size_t(synchronized)] = event.synchronized ? '1' : '0';
        const qint64 at = std::max(last, std::max<qint64>(0, origin.msecsTo(event.time)));
        if (first) {
            // The values the first event leaves are where the dump starts,
            // each of them a change at 0.
            vcd += "#0\n$dumpvars\n";
            for (int i = 0; i < 35; ++i)
                vcd += QByteArray(1, values[size_t(i)]) + code(i) + '\n';
            vcd += "$end\n";
            first = false;
            last = 0;
            changedAtLast.fill(true);
            continue;
        }
        if (at != last)
            moveTo(at);
        bool again = false;
        for (size_t i = 0; i < values.size(); ++i)
            again = again || (values[i] != before[i] && changedAtLast[i]);
        if (again)
            moveTo(last + 1);
        for (size_t i = 0; i < values.size(); ++i) {
            if (values[i] != before[i]) {
                changes += QByteArray(1, values[i]) + code(int(i)) + '\n';
                changedAtLast[i] = true;
            }
        }
    }
    flush();
    // A reader takes a value to last until the next time the dump names:
    // the last change is held one step, or it would not be seen at all.
    if (!events.isEmpty())
        vcd += '#' + QByteArray::number(lastChange + 1) + '\n';
    return vcd;
}

} // namespace switchingLog

} // namespace sfp
