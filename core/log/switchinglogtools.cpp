// SPDX-FileCopyrightText: 2026 Tarvex
// SPDX-License-Identifier: MIT
#include "switchinglog.h"

#include <set>

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
