// SPDX-FileCopyrightText: 2026 Tarvex
// SPDX-License-Identifier: MIT
#include "switchinglog.h"

#include "fixture.h"
#include "userfolders.h"

#include <nlohmann/json.hpp>

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QVarLengthArray>

#include <algorithm>
#include <cctype>
#include <cerrno>
#include <climits>
#include <cstdio>
#include <cstring>
#include <limits>
#include <set>

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

using nlohmann::ordered_json;

namespace sfp {

namespace {

constexpr std::array<const char *, 7> kindNames
    = {"start", "relay", "mode", "exclusive", "update", "trigger", "refusal"};
// As the panel's mode list names the modes.
constexpr std::array<const char *, 3> modeTexts
    = {"Asynchronous", "Sync. Command", "Sync. Trigger"};
constexpr std::array<const char *, 3> modeCommands = {"ASYN", "COMM", "TRIG"};

QString systemError(int error)
{
    return QString::fromLocal8Bit(std::strerror(error));
}

QString relayList(const std::array<bool, 32> &closed)
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
    if (implied)
        return {};
    switch (kind) {
    case Kind::Relay:
        return (on ? QByteArrayLiteral("ROUT:CLOS (@") : QByteArrayLiteral("ROUT:OPEN (@"))
            + QByteArray::number(relay) + ')';
    case Kind::Mode:
        return QByteArrayLiteral("ROUT:MODE ") + modeCommands[size_t(mode)];
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

QString SwitchingEvent::change() const
{
    QString words;
    switch (kind) {
    case Kind::Start:
        words = QStringLiteral("panel took the card: relays closed: %1; %2; exclusive rule %3")
                    .arg(relayList(closed), QLatin1String(modeTexts[size_t(mode)]),
                         exclusive ? QStringLiteral("on") : QStringLiteral("off"));
        break;
    case Kind::Relay:
        words = QStringLiteral("relay %1 %2")
                    .arg(relay)
                    .arg(on ? QStringLiteral("closed") : QStringLiteral("opened"));
        break;
    case Kind::Mode:
        words = QStringLiteral("mode %1").arg(QLatin1String(modeTexts[size_t(mode)]));
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
    LineBuffer &operator+=(char c)
    {
        m_data.append(c);
        return *this;
    }
    LineBuffer &operator+=(const char *text)
    {
        m_data.append(text, qsizetype(std::strlen(text)));
        return *this;
    }
    LineBuffer &operator+=(const QByteArray &text)
    {
        m_data.append(text.constData(), text.size());
        return *this;
    }
    LineBuffer &operator+=(const LineBuffer &text)
    {
        m_data.append(text.m_data.constData(), text.m_data.size());
        return *this;
    }
    void append(const char *data, qsizetype size) { m_data.append(data, size); }
    // Room for `size` more characters, written through the pointer.
    char *grow(qsizetype size)
    {
        const qsizetype at = m_data.size();
        m_data.resize(at + size);
        return m_data.data() + at;
    }
    void truncate(qsizetype size) { m_data.resize(size); }
    qsizetype size() const { return m_data.size(); }
    QByteArray toByteArray() const { return QByteArray(m_data.constData(), m_data.size()); }

private:
    QVarLengthArray<char, 512> m_data;
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
void appendTime(LineBuffer &out, const QDateTime &time)
{
    struct Minute
    {
        qint64 number = std::numeric_limits<qint64>::min();
        int offset = 0;
        LineBuffer start; // up to the seconds
        LineBuffer end; // the offset
    };
    thread_local Minute minute;
    const int offset = time.offsetFromUtc();
    const qint64 local = time.toMSecsSinceEpoch() + qint64(offset) * 1000;
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
}

} // namespace

QByteArray SwitchingEvent::toJson() const
{
    // Written field by field: a line is written for every switch of the
    // card, and a document built first would cost more than the switch.
    LineBuffer line;
    line += "{\"time\":\"";
    appendTime(line, time);
    line += "\",\"card\":";
    appendString(line, card);
    line += ",\"source\":";
    appendString(line, source);
    if (!client.isEmpty()) {
        line += ",\"client\":";
        appendString(line, client);
    }
    line += ",\"event\":\"";
    line += kindNames[size_t(kind)];
    line += '"';
    const auto flag = [&line](const char *key, bool value) {
        line += ",\"";
        line += key;
        line += value ? "\":true" : "\":false";
    };
    const auto writeMode = [&line, this] {
        line += ",\"mode\":\"";
        line += fixture::modeNames[size_t(this->mode)];
        line += '"';
    };
    switch (kind) {
    case Kind::Start: {
        line += ",\"closed\":[";
        bool firstRelay = true;
        for (size_t i = 0; i < closed.size(); ++i) {
            if (!closed[i])
                continue;
            if (!firstRelay)
                line += ',';
            appendNumber(line, qint64(i) + 1);
            firstRelay = false;
        }
        line += ']';
        writeMode();
        flag("exclusive", exclusive);
        break;
    }
    case Kind::Relay:
        line += ",\"relay\":";
        appendNumber(line, relay);
        flag("closed", on);
        break;
    case Kind::Mode:
        writeMode();
        break;
    case Kind::Exclusive:
        flag("on", on);
        break;
    case Kind::Update:
    case Kind::Trigger:
        break;
    case Kind::Refusal:
        if (relay != 0) {
            line += ",\"relay\":";
            appendNumber(line, relay);
        }
        line += ",\"reason\":";
        appendString(line, reason);
        if (error != 0) {
            line += ",\"error\":";
            appendNumber(line, error);
        }
        if (count > 1) {
            line += ",\"count\":";
            appendNumber(line, count);
            line += ",\"first\":\"";
            appendTime(line, first);
            line += "\",\"last\":\"";
            appendTime(line, last);
            line += '"';
        }
        break;
    }
    if (implied)
        flag("implied", true);
    if (kind == Kind::Relay && !implied) {
        // What scpi() gives, without a string of its own.
        line += on ? ",\"scpi\":\"ROUT:CLOS (@" : ",\"scpi\":\"ROUT:OPEN (@";
        appendNumber(line, relay);
        line += ")\"";
    } else {
        const QByteArray command = scpi();
        if (!command.isEmpty()) {
            line += ",\"scpi\":\"";
            line += command;
            line += '"';
        }
    }
    if (status.has_value()) {
        line += ",\"status\":";
        appendNumber(line, *status);
    }
    flag("synchronized", synchronized);
    line += '}';
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
            || found->get<qint64>() > 32)
            return false;
        *number = int(found->get<qint64>());
        return true;
    };
    const auto modeOf = [&json](SwitchingMode *read) {
        const auto found = json.find("mode");
        if (found == json.end() || !found->is_string())
            return false;
        const auto *name = std::find(fixture::modeNames.begin(), fixture::modeNames.end(),
                                     found->get<std::string>());
        if (name == fixture::modeNames.end())
            return false;
        *read = SwitchingMode(name - fixture::modeNames.begin());
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
                && relay.get<qint64>() <= 32;
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

SwitchingLog::SwitchingLog(QObject *parent)
    : QObject(parent)
{
    m_flushTimer.setSingleShot(true);
    m_flushTimer.setInterval(0);
    connect(&m_flushTimer, &QTimer::timeout, this, &SwitchingLog::flush);
    m_refusalTimer.setInterval(250);
    connect(&m_refusalTimer, &QTimer::timeout, this, &SwitchingLog::writeDueRefusals);
    m_clock.start();
}

SwitchingLog::~SwitchingLog()
{
    writeAllHeld();
    flush();
    closeFile();
}

QString SwitchingLog::fileName(const QString &folder, const QString &cardId)
{
    return userFolders::cardFolder(folder, cardId) + QStringLiteral("/switching.jsonl");
}

QDateTime SwitchingLog::now()
{
    const QDateTime utc = QDateTime::currentDateTimeUtc();
    const qint64 since = m_offsetFound.isValid() ? m_offsetFound.msecsTo(utc) : -1;
    if (since < 0 || since >= 1000) {
        m_offset = QDateTime::currentDateTime().offsetFromUtc();
        m_offsetFound = utc;
    }
    return utc.toOffsetFromUtc(m_offset);
}

void SwitchingLog::append(const SwitchingEvent &event)
{
    if (event.kind != SwitchingEvent::Kind::Refusal) {
        // A source that changes something has ended its stream of
        // refusals; what others' streams hold goes first, in time order.
        writeAllHeld();
        for (auto stream = m_refusals.begin(); stream != m_refusals.end();) {
            if (std::get<0>(stream->first) == event.source
                && std::get<1>(stream->first) == event.client)
                stream = m_refusals.erase(stream);
            else
                ++stream;
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
    m_recent.push_back(event);
    if (m_recent.size() > size_t(recentCount))
        m_recent.pop_front();
    if (!m_path.isEmpty()) {
        m_pending += event.toJson();
        m_pending += '\n';
        // Written once the event loop turns, or at once when much waits.
        if (m_pending.size() >= flushSize)
            flush();
        else if (!m_flushTimer.isActive())
            m_flushTimer.start();
    }
    emit appended(event);
}

void SwitchingLog::flush()
{
    m_flushTimer.stop();
    if (m_pending.isEmpty())
        return;
    const QString why = write(m_pending);
    m_pending.clear();
    if (why.isEmpty()) {
        m_failureSaid = false;
    } else if (!m_failureSaid) {
        m_failureSaid = true;
        emit writeFailed(m_path + QStringLiteral(": ") + why);
    }
}

QString SwitchingLog::write(const QByteArray &lines)
{
    QString why;
    if (m_fd < 0 && !openFile(&why))
        return why;
    if (m_size > 0 && m_size + lines.size() > rotateSize) {
        rotate();
        if (!openFile(&why))
            return why;
    }
    // One write: a process that dies leaves the lines whole or not at all.
    const ssize_t written = ::write(m_fd, lines.constData(), size_t(lines.size()));
    if (written == lines.size()) {
        m_size += written;
        return {};
    }
    const int error = written < 0 ? errno : ENOSPC;
    // A line cut short would spoil the next one: it is taken back.
    if (written > 0 && ::ftruncate(m_fd, m_size) != 0)
        return systemError(errno);
    return systemError(error);
}

bool SwitchingLog::openFile(QString *why)
{
    if (!QDir().mkpath(QFileInfo(m_path).absolutePath())) {
        *why = QStringLiteral("its folder cannot be made");
        return false;
    }
    // Never through a link, never waiting on a FIFO, never into anything
    // but a regular file.
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

void SwitchingLog::rotate()
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

void SwitchingLog::closeFile()
{
    if (m_fd >= 0)
        ::close(m_fd);
    m_fd = -1;
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
                lines += QByteArrayLiteral("ROUT:MODE ") + modeCommands[size_t(event.mode)] + '\n';
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

QByteArray toVcd(const QList<SwitchingEvent> &events, const std::array<QString, 32> &labels)
{
    // Signals 0..31 the relays, 32 and 33 the synchronous modes, 34 the
    // synchronized state.
    constexpr int command = 32;
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
    for (int relay = 1; relay <= 32; ++relay)
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
            for (size_t i = 0; i < 32; ++i)
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
