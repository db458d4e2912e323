// SPDX-FileCopyrightText: 2026 Tarvex
// SPDX-License-Identifier: MIT
// What the card does on its own, step by step, once asked: a scan (a list
// of channels or groups closed one after the other, each for its settle
// time, paced by a trigger, sweep after sweep) or one of the fixture's
// stored sequences. Every step is a whole change of the card session, as
// any client's: judged by the same rules, counted and logged the same way,
// under the name of whoever started it. Steps are driven by the event
// loop's timers; nothing waits in a call.
#pragma once

#include "cardsession.h"
#include "fixture.h"
#include "relays.h"

#include <QElapsedTimer>
#include <QList>
#include <QObject>
#include <QString>

#include <array>

class QTimer;

namespace sfp {

class StatusReporter;

// What moves a scan from one step to the next: nothing (the next step
// follows once the last is complete), a trigger that a client sends (*TRG,
// VXI-11's device_trigger, the window's Step), or a timer.
enum class ScanTrigger { Immediate, Bus, Timer };

struct ScanSettings
{
    static constexpr int maxSteps = 1000;
    static constexpr int maxDelayMilliseconds = 60000;
    static constexpr int minIntervalMilliseconds = 1;
    static constexpr int maxIntervalMilliseconds = 3600000;
    static constexpr int maxCount = 1000000;

    // The relays each step closes together, in the scan's order.
    QList<QList<int>> steps;
    // The settle time after each relay closes: relay n at n - 1.
    std::array<int, relayCount> delays = {};
    ScanTrigger trigger = ScanTrigger::Immediate;
    // The time from one step's start to the next with the timer.
    int intervalMilliseconds = 1000;
    // Sweeps through the list; 0 for sweeps without end.
    int count = 1;

    // The longest settle time of a step's relays.
    int delayOf(const QList<int> &step) const;
};

class CardScan final : public QObject
{
    Q_OBJECT
    Q_DISABLE_COPY_MOVE(CardScan)

public:
    // How a run ended.
    enum class Ending { Completed, Stopped, Refused };
    Q_ENUM(Ending)

    explicit CardScan(CardSession *card);
    ~CardScan() override;

    const ScanSettings &settings() const { return m_settings; }
    // Refused while a scan or a sequence runs, and to all but the lock's
    // holder, as every change of the card is.
    Refusal setSettings(const ScanSettings &settings);

    // Starts the scan for whoever the card session's source names now;
    // under that client's lock the scan is its own (see stop()). Refused:
    // an empty list, a scan or sequence that runs already, the lock.
    // The run's driver statuses go to `reporter` where given (a client's
    // error queue), else to the session's.
    Refusal start(StatusReporter *reporter = nullptr);
    // Runs a stored sequence of the fixture, as start() runs a scan.
    Refusal runSequence(const QString &name, StatusReporter *reporter = nullptr);
    // Ends the run at once, the scan's relays opened (a sequence's stay as
    // they are). The operator may always stop it; a client may not stop a
    // scan that another client started under its lock.
    Refusal stop();
    // A bus trigger: the next step of a scan that waits for one. Refused
    // (returns false) when none waits.
    bool trigger();
    // The run's reporter is gone: its statuses go to the session's.
    void forgetReporter(StatusReporter *reporter);

    bool isRunning() const { return m_running; }
    bool isScanning() const { return m_running && m_sequence.name.isEmpty(); }
    // The name of the sequence that runs; empty for a scan or none.
    const QString &sequenceName() const { return m_sequence.name; }
    bool isRunningSequence() const { return m_running && !m_sequence.name.isEmpty(); }
    // A bus scan whose step is complete and waits for the next trigger.
    bool isWaitingForTrigger() const { return m_waitingForTrigger; }
    // Whether the run has work of its own before its next step: false when
    // it ended, or when only a bus trigger would move it on.
    bool isPending() const { return m_running && !m_waitingForTrigger; }
    // The step now closed (a sequence's: taken last), from 1 (0 before
    // the first), and the sweep, from 1.
    int step() const { return m_sequence.name.isEmpty() ? m_step + 1 : m_step; }
    int sweep() const { return m_sweep; }
    // Who started the run (a source's name, "operator"), and whether it
    // did so holding the lock.
    const QString &starter() const { return m_starter; }
    bool isOwned() const { return m_owned; }
    // The relays the scan switches: those of its steps; empty when no
    // scan runs.
    QList<int> relaysInUse() const;

signals:
    // Started, stepped, waiting for a trigger or not, ended.
    void progressed();
    // The run ended; `refusal` says why where a step was refused or the
    // driver failed.
    void finished(sfp::CardScan::Ending ending, const sfp::Refusal &refusal);
    void settingsChanged();

private:
    Refusal mayStart();
    // Starts the run's clock and takes its first step.
    void begin(StatusReporter *reporter);
    void nextScanStep();
    void nextSequenceStep();
    // The current step is complete: waits for what moves it on.
    void stepComplete();
    // Applies what waits in a synchronous mode, as the mode's update or
    // trigger would.
    void apply();
    void end(Ending ending, const Refusal &refusal = Refusal());
    // Where the steps' driver statuses go while the run lasts.
    void report(int status, const QString &brief);

    CardSession *m_card;
    ScanSettings m_settings;
    FixtureSequence m_sequence; // the sequence that runs; unnamed for a scan
    QTimer *m_timer;
    QElapsedTimer m_clock;
    bool m_running = false;
    bool m_waitingForTrigger = false;
    // The timer counts a step's settle time (a sequence's wait), not the
    // time to the next step.
    bool m_settling = false;
    // A step's driver calls run: their failures end the run.
    bool m_inStep = false;
    int m_step = -1; // the scan's step index, or the sequence's next step
    int m_sweep = 0;
    // The steps taken since the run began, for the timer's schedule.
    qint64 m_taken = 0;
    QString m_starter;
    bool m_owned = false;
    StatusReporter *m_reporter = nullptr;
    // The run's first failing driver status, which ends it.
    QString m_driverFault;
};

} // namespace sfp
