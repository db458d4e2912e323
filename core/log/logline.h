// SPDX-FileCopyrightText: 2026 Tarvex
// SPDX-License-Identifier: MIT
// One line of the switching log, made piece by piece: for every switch of
// the card, by the log's writer thread and by SwitchingEvent::toJson().
// Inside the log's room only.
#pragma once

#include "switchinglog.h"

#include <QByteArray>
#include <QDateTime>
#include <QString>

#include <array>

namespace sfp::logLine {

// The events' kinds as the log writes them.
inline constexpr std::array<const char *, 7> kindNames
    = {"start", "relay", "mode", "exclusive", "update", "trigger", "refusal"};
// What SwitchingEvent::scpi() gives for an event of these values.
QByteArray scpiOf(SwitchingEvent::Kind kind, bool implied, bool on, int relay, SwitchingMode mode);

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
void appendString(LineBuffer &out, const QString &value);

// A whole number in decimal, with leading zeros to `width` digits.
void appendNumber(LineBuffer &out, qint64 value, int width = 1);

// "2026-12-09T14:05:", the date and the minute of a local time in
// milliseconds since 1970.
void appendMinute(LineBuffer &out, qint64 local);

// "2026-12-09T14:05:00.123+01:00" (or "Z" at UTC), as ISO 8601 writes a
// time with its offset, computed from the count of milliseconds: the
// toolkit's own formatting costs more than a switch of the card. All but
// the seconds is the same for a minute's lines, and made once for them.
void appendTime(LineBuffer &out, qint64 msSinceEpoch, int offset);

void appendTime(LineBuffer &out, const QDateTime &time);

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

LineRecord recordOf(const SwitchingEvent &event);

struct LineNames
{
    QString card;
    QString source;
    QString client;
};

// The session hands the same strings on, which are seen to be the same
// without comparing their characters.
bool sameText(const QString &one, const QString &other);

bool sameNames(const SwitchingEvent &event, const LineNames &names);

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
void appendRest(LineBuffer &line, const LineRecord &event, const SwitchingEvent *whole);

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
                const SwitchingEvent *whole, LineStart *start, LineRests *rests);

} // namespace sfp::logLine
