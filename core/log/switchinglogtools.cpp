// SPDX-FileCopyrightText: 2026 Tarvex
// SPDX-License-Identifier: MIT
#include "switchinglog.h"

#include <algorithm>
#include <set>
#include <vector>

namespace sfp {

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

bool isScanRelay(const SwitchingEvent &event)
{
    return event.kind == SwitchingEvent::Kind::Relay && event.source == QLatin1String("scan");
}

// After each event, the number of the scan step whose relays are on the
// card, counted from the scan's first step on through its sweeps; 0 when
// no scan runs. A scan's step opens the step before it and then closes
// its own relays, so a step begins with the first closing after an
// opening, and a scan ends where an opening leaves none of its relays
// closed and no closing of it follows (the mode's update or trigger
// between the two is the same step's).
std::vector<qint64> scanSteps(const QList<SwitchingEvent> &events)
{
    std::vector<qint64> steps(size_t(events.size()), 0);
    std::array<bool, relayCount> closed = {};
    qint64 step = 0;
    bool opened = false;
    for (qsizetype i = 0; i < events.size(); ++i) {
        const SwitchingEvent &event = events[i];
        if (event.kind == SwitchingEvent::Kind::Start) {
            closed = {};
            step = 0;
        } else if (event.kind == SwitchingEvent::Kind::Relay) {
            const bool scan = isScanRelay(event);
            closed[size_t(event.relay - 1)] = scan && event.on;
            if (scan && event.on && (step == 0 || opened))
                ++step;
            if (scan)
                opened = !event.on;
            if (scan && !event.on
                && std::none_of(closed.begin(), closed.end(), [](bool on) { return on; })) {
                qsizetype next = i + 1;
                while (next < events.size() && !isScanRelay(events[next])
                       && events[next].source == QLatin1String("scan"))
                    ++next;
                if (next == events.size() || !isScanRelay(events[next]) || !events[next].on)
                    step = 0;
            }
        }
        steps[size_t(i)] = step;
    }
    return steps;
}

} // namespace

QByteArray toVcd(const QList<SwitchingEvent> &events, const std::array<QString, relayCount> &labels)
{
    // Signals 0..31 the relays, 32 and 33 the synchronous modes, 34 the
    // synchronized state; 35 the scan's step, only in a log that has a
    // scan, so that other logs' dumps stay as they were.
    constexpr int command = relayCount;
    constexpr int trigger = 33;
    constexpr int synchronized = 34;
    constexpr int scanStep = 35;
    const bool hasScan = std::any_of(events.begin(), events.end(), isScanRelay);
    const std::vector<qint64> steps = scanSteps(events);
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
    if (hasScan)
        vcd += "$var integer 32 " + code(scanStep) + " scan_step $end\n";
    vcd += "$upscope $end\n$enddefinitions $end\n";

    const size_t signalCount = hasScan ? 36 : 35;
    std::array<qint64, 36> values = {};
    values[size_t(synchronized)] = 1;
    const auto setMode = [&values](SwitchingMode mode) {
        values[size_t(command)] = mode == SwitchingMode::SyncCommand ? 1 : 0;
        values[size_t(trigger)] = mode == SwitchingMode::SyncTrigger ? 1 : 0;
    };
    const auto valueOf = [&values](size_t i) {
        return i == size_t(scanStep)
            ? 'b' + QByteArray::number(values[i], 2) + ' ' + code(int(i)) + '\n'
            : QByteArray::number(values[i]) + code(int(i)) + '\n';
    };
    const QDateTime origin = events.isEmpty() ? QDateTime() : events.first().time;
    // Changes at one millisecond are written under one time; a time that
    // goes back (the clock was set) stays at the last one. A signal that
    // changes twice in one millisecond would show neither change: its
    // second change, and what follows, moves one step later.
    qint64 last = -1;
    qint64 lastChange = 0;
    QByteArray changes;
    std::array<bool, 36> changedAtLast = {};
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
    for (qsizetype e = 0; e < events.size(); ++e) {
        const SwitchingEvent &event = events[e];
        const std::array<qint64, 36> before = values;
        switch (event.kind) {
        case SwitchingEvent::Kind::Start:
            for (size_t i = 0; i < size_t(relayCount); ++i)
                values[i] = event.closed[i] ? 1 : 0;
            setMode(event.mode);
            break;
        case SwitchingEvent::Kind::Relay:
            values[size_t(event.relay - 1)] = event.on ? 1 : 0;
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
            values[size_t(synchronized)] = event.synchronized ? 1 : 0;
        values[size_t(scanStep)] = steps[size_t(e)];
        const qint64 at = std::max(last, std::max<qint64>(0, origin.msecsTo(event.time)));
        if (first) {
            // The values the first event leaves are where the dump starts,
            // each of them a change at 0.
            vcd += "#0\n$dumpvars\n";
            for (size_t i = 0; i < signalCount; ++i)
                vcd += valueOf(i);
            vcd += "$end\n";
            first = false;
            last = 0;
            changedAtLast.fill(true);
            continue;
        }
        if (at != last)
            moveTo(at);
        bool again = false;
        for (size_t i = 0; i < signalCount; ++i)
            again = again || (values[i] != before[i] && changedAtLast[i]);
        if (again)
            moveTo(last + 1);
        for (size_t i = 0; i < signalCount; ++i) {
            if (values[i] != before[i]) {
                changes += valueOf(i);
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
