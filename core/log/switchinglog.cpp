// SPDX-FileCopyrightText: 2026 Tarvex
// SPDX-License-Identifier: MIT
#include "switchinglog.h"

#include "logline.h"
#include "switchinglogwriter.h"
#include "systemerror.h"
#include "userfolders.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QMetaMethod>

#include <algorithm>
#include <cerrno>
#include <chrono>
#include <condition_variable>
#include <cstdio>
#include <cstring>
#include <memory>
#include <mutex>
#include <thread>
#include <utility>

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace sfp {

using namespace logLine;

namespace {

QDateTime timeAt(qint64 msSinceEpoch, int offset)
{
    return QDateTime::fromMSecsSinceEpoch(msSinceEpoch, Qt::OffsetFromUTC, offset);
}

} // namespace

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
            if (event.time.isNull())
                m_whole.back().time = timeAt(record.ms, record.offset);
            entry.record.refusal = m_wholeBase + qsizetype(m_whole.size()) - 1;
        }
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
        event.time = timeAt(record.ms, record.offset);
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

void SwitchingLog::stamp()
{
    const qint64 ms = QDateTime::currentMSecsSinceEpoch();
    // A burst makes hundreds of changes a millisecond.
    if (m_offsetKnown && ms == m_nowMs)
        return;
    const qint64 since = ms - m_offsetFound;
    if (!m_offsetKnown || since < 0 || since >= 1000) {
        m_offset = QDateTime::currentDateTime().offsetFromUtc();
        m_offsetFound = ms;
        m_offsetKnown = true;
    }
    m_nowMs = ms;
}

void SwitchingLog::append(const SwitchingEvent &event)
{
    if (event.time.isNull())
        stamp();
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
        // Held, to be written later at its own time.
        RefusalStream &stream = found->second;
        stream.latest = event;
        if (stream.latest.time.isNull())
            stream.latest.time = timeAt(m_nowMs, m_offset);
        if (stream.held == 0)
            stream.first = stream.latest.time;
        ++stream.held;
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
    LineRecord record = recordOf(event);
    if (event.time.isNull()) {
        record.ms = m_nowMs;
        record.offset = m_offset;
    }
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
    if (m_listeners > 0) {
        if (event.time.isNull()) {
            SwitchingEvent stamped = event;
            stamped.time = timeAt(record.ms, record.offset);
            emit appended(stamped);
        } else {
            emit appended(event);
        }
    }
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

} // namespace sfp
