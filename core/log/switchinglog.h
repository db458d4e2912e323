// SPDX-FileCopyrightText: 2026 Tarvex
// SPDX-License-Identifier: MIT
// Who switched what, and when: one JSON line per change the card session
// makes or refuses, appended to a file of the card's own, so that a
// shared card can answer "who closed relay 7?" afterwards. The lines also
// replay as SCPI and draw as a timeline.
#pragma once

#include "relays.h"
#include "switchingmode.h"

#include <QByteArray>
#include <QDateTime>
#include <QElapsedTimer>
#include <QList>
#include <QObject>
#include <QString>
#include <QTimer>

#include <array>
#include <deque>
#include <map>
#include <memory>
#include <optional>
#include <tuple>

namespace sfp {

struct SwitchingEvent
{
    enum class Kind {
        Start, // the panel took the card, as `closed`, `mode` and `exclusive` say
        Relay, // relay `relay` closed (`on`) or opened
        Mode, // the switching mode became `mode`
        Exclusive, // the exclusive rule was set `on` or off
        Update,
        Trigger, // the trigger pulse
        Refusal, // a change refused, `reason` saying why
    };

    QDateTime time;
    QString card; // the card's id, as *IDN? gives it
    // Who or what made the change: "operator", "demo" (the operator in
    // demo mode), "socket 127.0.0.1:40112", "vxi11 link 3", or the
    // command that made it ("*RCL 2", "*RST", "fixture state \"idle\"");
    // then `client` says who gave the command.
    QString source;
    QString client;
    Kind kind = Kind::Relay;
    int relay = 0;
    bool on = false;
    SwitchingMode mode = SwitchingMode::Asynchronous;
    bool exclusive = false; // Start
    std::array<bool, relayCount> closed = {}; // Start
    QString reason; // Refusal
    int error = 0; // Refusal: the SCPI error a client got; 0 for the operator
    // Refusal: how many refusals of one source this event stands for, the
    // first of them at `first`, the last (whose reason and error these
    // are) at `last`, which is also `time`; 1, with no times, for one.
    int count = 1;
    QDateTime first;
    QDateTime last;
    // A change that follows from the one before it in one operation (the
    // partner the exclusive rule opens, what a mode change applies): it
    // has no command of its own.
    bool implied = false;
    std::optional<int> status; // the driver's status; none without a call
    bool synchronized = true; // the "Synchronized" lamp after the change

    // The SCPI command that makes this change on its own
    // ("ROUT:CLOS (@7)"); empty for what no command makes by itself.
    QByteArray scpi() const;
    // The change in words, for the log view: "relay 7 closed".
    QString change() const;
    // One line of JSON, without the line end.
    QByteArray toJson() const;
    // An event from a line toJson() wrote; nothing, with `why`, for a
    // line that is not one.
    static std::optional<SwitchingEvent> fromJson(const QByteArray &line, QString *why);
};

class SwitchingLog final : public QObject
{
    Q_OBJECT
    Q_DISABLE_COPY_MOVE(SwitchingLog)

public:
    // A file that reaches this size is moved aside (".1", the older ones
    // to ".2" and on); this many files are kept, the current one included.
    static constexpr qint64 rotateSize = qint64(10) * 1024 * 1024;
    static constexpr int keptFiles = 5;
    // The view shows at most this many of the newest events.
    static constexpr int recentCount = 10000;

    explicit SwitchingLog(QObject *parent = nullptr);
    ~SwitchingLog() override;

    // The card's log file in folder (the card id encoded as for its saved
    // states).
    static QString fileName(const QString &folder, const QString &cardId);

    // Appends to the file at path from now on (made, with its folder, at
    // the first event). Without a path the events are only kept for the
    // view.
    void setPath(const QString &path);
    QString path() const { return m_path; }

    // The lines are made and written on a thread of the log's own, so that
    // a burst of switching costs the thread that switches little more than
    // the events it hands over. Events wait at most this long: they are
    // handed over once the event loop turns, or as soon as this many wait;
    // they are written within a few milliseconds of that, in writes of
    // about flushSize bytes.
    static constexpr qsizetype handOverCount = 256;
    static constexpr qsizetype flushSize = qsizetype(16) * 1024;

    // Appends the event as one line. Lines go to the file whole, in the
    // order they were appended, those that wait together in one write, so
    // that a crash leaves only whole lines; a write cut short (a full
    // disk) is taken back.
    //
    // A refusal repeated by one source (and client) comes in streams,
    // thousands a second from a script that loops while another holds the
    // lock, and would push the switching out of the kept files: the first
    // refusal of a stream (one source, client, relay, reason and error)
    // is a line of its own, those after it are counted and written as one
    // event (see SwitchingEvent::count) before any other line, at the
    // latest after refusalDelayMs, a delay that doubles while the stream
    // lasts up to refusalDelayMaxMs. A stream ends with a change of its
    // source, or after refusalQuietMs without its refusal.
    // An event without a time is stamped with the present one.
    void append(const SwitchingEvent &event);
    static constexpr qint64 refusalDelayMs = 1000;
    static constexpr qint64 refusalDelayMaxMs = qint64(3600) * 1000;
    static constexpr qint64 refusalQuietMs = qint64(60) * 1000;
    // Writes what waits now, and returns once it is in the file (or its
    // write has failed, which writeFailed says before this returns).
    void flush();
    // The newest events, at most recentCount of them; kept in short and
    // made whole when asked for.
    const std::deque<SwitchingEvent> &recent() const;

signals:
    void appended(const sfp::SwitchingEvent &event);
    // A line could not be written; said once until a line is written again.
    void writeFailed(const QString &why);

protected:
    void connectNotify(const QMetaMethod &signal) override;
    void disconnectNotify(const QMetaMethod &signal) override;

private:
    // Refusals of one stream held to be counted.
    struct RefusalStream
    {
        SwitchingEvent latest;
        int held = 0; // since the stream's last line
        QDateTime first; // of those held
        qint64 delay = refusalDelayMs;
        qint64 due = 0; // on m_clock: when held ones are written
        qint64 seen = 0; // on m_clock: the latest refusal
    };

    class Writer;

    // Reads the clock for an event without a time: now in milliseconds
    // since 1970, and the local offset from UTC, looked up once a second
    // (and when the clock goes back), since each look-up reads the system's
    // time zone file, which a burst of switching cannot afford. The time
    // is kept as these two numbers: a burst's events would otherwise each
    // hold a shared time, counted by two threads.
    void stamp();
    void appendLine(const SwitchingEvent &event);
    void writeHeld(RefusalStream &stream);
    void writeAllHeld();
    void writeDueRefusals();
    void handOver();
    void sayFailures();

    QString m_path;
    // Keeps the events for the file until they are handed over; its
    // thread starts at the first hand-over.
    std::unique_ptr<Writer> m_writer;
    QTimer m_flushTimer;
    class Recent;
    std::unique_ptr<Recent> m_recent;
    // Connections to appended: only the log window listens, and it is
    // seldom open.
    int m_listeners = 0;
    bool m_offsetKnown = false;
    qint64 m_offsetFound = 0; // ms since 1970 UTC
    int m_offset = 0;
    qint64 m_nowMs = 0; // the latest stamp()
    // By source, client, relay, reason and error.
    using RefusalKey = std::tuple<QString, QString, int, QString, int>;
    std::map<RefusalKey, RefusalStream> m_refusals;
    QTimer m_refusalTimer;
    QElapsedTimer m_clock;
};

namespace switchingLog {

// The log's lines that begin between since and until (each an invalid
// time for no bound), read from text. Lines that are not events are
// counted in `skipped`.
QList<SwitchingEvent> read(const QByteArray &text, const QDateTime &since, const QDateTime &until,
                           int *skipped);

// The SCPI lines that make the events' changes again, in order: a start
// is a reset and then the state the panel found, refusals and implied
// changes are left out.
QByteArray toScpi(const QList<SwitchingEvent> &events);

// A Value Change Dump of the events: one 1-bit signal per relay (named by
// `labels`, relay n at n - 1, where one is given, else "relay7"), the mode
// (0 Asynchronous, 1 Sync. Command, 2 Sync. Trigger) and the
// synchronized state, in milliseconds from the first event. A signal that
// would change twice in one millisecond has its second change (and all
// that follows) one millisecond later, so that every change shows; the
// dump ends one millisecond after its last change, which a reader would
// otherwise not show. A log with a scan in it has one signal more,
// `scan_step`, a 32-bit integer: the number of the scan step whose relays
// are on the card, counted on through the sweeps, 0 while no scan runs.
QByteArray toVcd(const QList<SwitchingEvent> &events,
                 const std::array<QString, relayCount> &labels);

} // namespace switchingLog

} // namespace sfp

Q_DECLARE_METATYPE(sfp::SwitchingEvent)
