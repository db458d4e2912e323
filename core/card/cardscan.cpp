// SPDX-FileCopyrightText: 2026 Tarvex
// SPDX-License-Identifier: MIT
#include "cardscan.h"

#include "statusreporter.h"
#include "translation.h"

#include <QCoreApplication>
#include <QTimer>

#include <algorithm>

namespace sfp {

namespace {

Refusal refused(Refusal::Kind kind, const char *source, const QString &arg = QString())
{
    QString english = QString::fromUtf8(source);
    QString local = translate("CardScan", source);
    if (!arg.isNull()) {
        english = english.arg(arg);
        local = local.arg(arg);
    }
    return {kind, english, local};
}

bool isRelay(int relay)
{
    return relay >= 1 && relay <= relayCount;
}

} // namespace

int ScanSettings::delayOf(const QList<int> &step) const
{
    int delay = 0;
    for (int relay : step) {
        if (isRelay(relay))
            delay = std::max(delay, delays[size_t(relay - 1)]);
    }
    return delay;
}

// While a step runs, the driver's statuses go to the run's reporter (the
// client that started it), not to whoever takes them between commands.
class StepScope
{
public:
    StepScope(CardSession *card, StatusReporter *reporter, const QString &source,
              const QString &client)
        : m_card(card)
        , m_previous(card->reporter())
        , m_source(card, source, client)
    {
        if (reporter != nullptr)
            m_card->setReporter(reporter);
    }
    ~StepScope() { m_card->setReporter(m_previous); }
    StepScope(const StepScope &) = delete;
    StepScope &operator=(const StepScope &) = delete;
    StepScope(StepScope &&) = delete;
    StepScope &operator=(StepScope &&) = delete;

private:
    CardSession *m_card;
    StatusReporter *m_previous;
    CardSession::Source m_source;
};

CardScan::CardScan(CardSession *card)
    : QObject(card)
    , m_card(card)
    , m_timer(new QTimer(this))
{
    // The steps keep their pace to the millisecond: a coarse timer would
    // let a fast scan drift by as much as a twentieth of its interval.
    m_timer->setTimerType(Qt::PreciseTimer);
    m_timer->setSingleShot(true);
    connect(m_timer, &QTimer::timeout, this, [this] {
        if (m_settling) {
            m_settling = false;
            stepComplete();
        } else if (isScanning()) {
            nextScanStep();
        } else if (m_running) {
            nextSequenceStep();
        }
    });
    connect(m_card, &CardSession::driverStatus, this, [this](int status, const QString &brief) {
        if (m_inStep && status < 0 && m_driverFault.isEmpty())
            m_driverFault = brief;
    });
    // A program that ends (its window closed, a signal) stops the run
    // while the card, its log and its counts are still there: the step's
    // relays were asked for the length of a step, not to stay closed
    // after the program.
    if (QCoreApplication::instance() != nullptr)
        connect(QCoreApplication::instance(), &QCoreApplication::aboutToQuit, this, [this] {
            if (m_running)
                end(Ending::Stopped);
        });
}

CardScan::~CardScan() = default;

Refusal CardScan::setSettings(const ScanSettings &settings)
{
    if (Refusal locked = m_card->lockRefusal(); !locked.isNone())
        return locked;
    if (m_running)
        return refused(Refusal::Kind::BrokenRule,
                       QT_TRANSLATE_NOOP("CardScan", "a scan or sequence runs"));
    if (settings.steps.size() > ScanSettings::maxSteps)
        //: %1 is the most steps a scan may have
        return refused(Refusal::Kind::BadRequest,
                       QT_TRANSLATE_NOOP("CardScan", "a scan has at most %1 steps"),
                       QString::number(ScanSettings::maxSteps));
    for (const QList<int> &step : settings.steps) {
        if (step.isEmpty() || !std::all_of(step.begin(), step.end(), isRelay))
            return refused(
                Refusal::Kind::BadRequest,
                QT_TRANSLATE_NOOP("CardScan", "each step of a scan closes relays 1 to 32"));
    }
    const bool delaysInRange
        = std::all_of(settings.delays.begin(), settings.delays.end(), [](int delay) {
              return delay >= 0 && delay <= ScanSettings::maxDelayMilliseconds;
          });
    if (!delaysInRange)
        return refused(Refusal::Kind::BadRequest,
                       QT_TRANSLATE_NOOP("CardScan", "a settle time is 0 to 60 s"));
    if (settings.intervalMilliseconds < ScanSettings::minIntervalMilliseconds
        || settings.intervalMilliseconds > ScanSettings::maxIntervalMilliseconds)
        return refused(Refusal::Kind::BadRequest,
                       QT_TRANSLATE_NOOP("CardScan", "a step interval is 1 ms to 3600 s"));
    if (settings.count < 0 || settings.count > ScanSettings::maxCount)
        return refused(Refusal::Kind::BadRequest,
                       QT_TRANSLATE_NOOP("CardScan", "a scan has 1 to 1000000 sweeps, or no end"));
    m_settings = settings;
    emit settingsChanged();
    return {};
}

QList<int> CardScan::relaysInUse() const
{
    std::array<bool, relayCount> used = {};
    const auto mark = [&used](const QList<int> &relays) {
        for (int relay : relays) {
            if (isRelay(relay))
                used[size_t(relay - 1)] = true;
        }
    };
    if (isScanning()) {
        for (const QList<int> &step : m_settings.steps)
            mark(step);
    } else if (isRunningSequence()) {
        for (const SequenceStep &step : m_sequence.steps)
            mark(step.relays);
    }
    QList<int> relays;
    for (int relay = 1; relay <= relayCount; ++relay) {
        if (used[size_t(relay - 1)])
            relays.append(relay);
    }
    return relays;
}

Refusal CardScan::mayStart()
{
    if (Refusal locked = m_card->lockRefusal(); !locked.isNone())
        return locked;
    if (m_running)
        return refused(Refusal::Kind::BrokenRule,
                       QT_TRANSLATE_NOOP("CardScan", "a scan or sequence runs already"));
    return {};
}

Refusal CardScan::start(StatusReporter *reporter)
{
    if (Refusal refusal = mayStart(); !refusal.isNone())
        return refusal;
    if (m_settings.steps.isEmpty())
        return refused(Refusal::Kind::BadRequest,
                       QT_TRANSLATE_NOOP("CardScan", "the scan list is empty"));
    m_sequence = FixtureSequence();
    begin(reporter);
    // Each step, the first too, comes with its trigger: a bus scan's
    // first waits for one.
    if (m_settings.trigger == ScanTrigger::Bus) {
        m_waitingForTrigger = true;
        emit progressed();
    } else {
        nextScanStep();
    }
    return {};
}

Refusal CardScan::runSequence(const QString &name, StatusReporter *reporter)
{
    if (Refusal refusal = mayStart(); !refusal.isNone())
        return refusal;
    const auto found
        = std::find_if(m_card->fixture().sequences.cbegin(), m_card->fixture().sequences.cend(),
                       [&name](const FixtureSequence &sequence) { return sequence.name == name; });
    if (found == m_card->fixture().sequences.cend())
        //: %1 is the name of a stored sequence
        return refused(Refusal::Kind::BadRequest,
                       QT_TRANSLATE_NOOP("CardScan", "no sequence is named \"%1\""), name);
    // The run keeps its own copy: a sequence defined again meanwhile is
    // the next run's.
    m_sequence = *found;
    begin(reporter);
    nextSequenceStep();
    return {};
}

void CardScan::begin(StatusReporter *reporter)
{
    m_starter = m_card->client().isEmpty() ? m_card->source() : m_card->client();
    m_owned = !m_card->lockHolder().isEmpty() && m_card->lockHolder() == m_starter;
    m_reporter = reporter;
    m_driverFault.clear();
    m_running = true;
    m_waitingForTrigger = false;
    m_settling = false;
    m_step = m_sequence.name.isEmpty() ? -1 : 0;
    m_sweep = 1;
    m_taken = 0;
    m_clock.start();
}

Refusal CardScan::stop()
{
    if (!m_running)
        return {};
    if (m_owned && !m_card->isOperatorAsking()) {
        const QString &asker = m_card->client().isEmpty() ? m_card->source() : m_card->client();
        if (asker != m_starter)
            //: %1 names the client that started the scan, as the log names it
            return refused(Refusal::Kind::BrokenRule,
                           QT_TRANSLATE_NOOP(
                               "CardScan", "the run belongs to %1, who started it under the lock"),
                           m_starter);
    }
    end(Ending::Stopped);
    return {};
}

bool CardScan::trigger()
{
    if (!m_waitingForTrigger)
        return false;
    m_waitingForTrigger = false;
    nextScanStep();
    return true;
}

void CardScan::forgetReporter(StatusReporter *reporter)
{
    if (m_reporter == reporter)
        m_reporter = nullptr;
}

void CardScan::apply()
{
    if (m_card->isSynchronized())
        return;
    if (m_card->mode() == SwitchingMode::SyncCommand)
        m_card->update();
    else if (m_card->mode() == SwitchingMode::SyncTrigger)
        m_card->trigger();
}

void CardScan::nextScanStep()
{
    int index = m_step + 1;
    int sweep = m_sweep;
    if (index >= m_settings.steps.size()) {
        index = 0;
        ++sweep;
    }
    if (m_settings.count != 0 && sweep > m_settings.count) {
        end(Ending::Completed);
        return;
    }
    const QList<int> &next = m_settings.steps[index];
    const QList<int> previous = m_step >= 0 ? m_settings.steps[m_step] : QList<int>();
    {
        const StepScope scope(m_card, m_reporter, QStringLiteral("scan"), m_starter);
        // The whole step is judged before any relay of it moves.
        if (Refusal refusal = m_card->closeRefusal(next, false, previous); !refusal.isNone()) {
            end(Ending::Refused, refusal);
            return;
        }
        m_inStep = true;
        // The previous step's relays reach their contacts open before the
        // next step's close, so that two steps never touch.
        m_card->openRelays(previous);
        apply();
        m_card->closeRelays(next);
        apply();
        m_inStep = false;
    }
    m_step = int(index);
    m_sweep = sweep;
    ++m_taken;
    if (!m_driverFault.isEmpty()) {
        end(Ending::Refused,
            refused(Refusal::Kind::FileError, QT_TRANSLATE_NOOP("CardScan", "the card failed: %1"),
                    m_driverFault));
        return;
    }
    emit progressed();
    // Whoever heard of the step may have stopped the run.
    if (!m_running)
        return;
    if (const int delay = m_settings.delayOf(next); delay > 0) {
        m_settling = true;
        m_timer->start(delay);
    } else {
        stepComplete();
    }
}

void CardScan::stepComplete()
{
    if (!isScanning()) {
        m_timer->start(0);
        return;
    }
    switch (m_settings.trigger) {
    case ScanTrigger::Immediate:
        // The event loop's turn between steps keeps the panel drawing.
        m_timer->start(0);
        break;
    case ScanTrigger::Timer: {
        // Each step is due at its place on the run's clock, not an
        // interval after the last: late steps do not add up.
        // Cut to the timer's millisecond: the timer itself comes late by
        // a fraction of one, which rounding up would add to (measured by
        // bench_steps on a quiet machine: median 0.4 ms against 1.0 ms).
        const qint64 dueNs = m_taken * m_settings.intervalMilliseconds * qint64(1000000);
        const qint64 waitNs = std::max<qint64>(0, dueNs - m_clock.nsecsElapsed());
        m_timer->start(int(waitNs / 1000000));
        break;
    }
    case ScanTrigger::Bus:
        m_waitingForTrigger = true;
        emit progressed();
        break;
    }
}

void CardScan::nextSequenceStep()
{
    if (m_step >= m_sequence.steps.size()) {
        end(Ending::Completed);
        return;
    }
    const SequenceStep &step = m_sequence.steps[m_step++];
    if (step.kind == SequenceStep::Kind::Wait) {
        emit progressed();
        if (!m_running)
            return;
        m_settling = true;
        m_timer->start(step.milliseconds);
        return;
    }
    Refusal refusal;
    {
        const StepScope scope(m_card, m_reporter,
                              QStringLiteral("sequence \"%1\"").arg(m_sequence.name), m_starter);
        m_inStep = true;
        switch (step.kind) {
        case SequenceStep::Kind::Close:
            refusal = m_card->closeRelays(step.relays);
            break;
        case SequenceStep::Kind::CloseExclusive:
            refusal = m_card->closeRelays(step.relays, true);
            break;
        case SequenceStep::Kind::Open:
            refusal = m_card->openRelays(step.relays);
            break;
        case SequenceStep::Kind::Update:
        case SequenceStep::Kind::Wait:
            apply();
            break;
        }
        m_inStep = false;
    }
    if (!refusal.isNone()) {
        end(Ending::Refused, refusal);
        return;
    }
    if (!m_driverFault.isEmpty()) {
        end(Ending::Refused,
            refused(Refusal::Kind::FileError, QT_TRANSLATE_NOOP("CardScan", "the card failed: %1"),
                    m_driverFault));
        return;
    }
    emit progressed();
    if (m_running)
        m_timer->start(0);
}

void CardScan::end(Ending ending, const Refusal &refusal)
{
    m_timer->stop();
    const bool scanning = isScanning();
    const QString source = scanning ? QStringLiteral("scan")
                                    : QStringLiteral("sequence \"%1\"").arg(m_sequence.name);
    m_running = false;
    m_waitingForTrigger = false;
    m_settling = false;
    {
        const StepScope scope(m_card, m_reporter, source, m_starter);
        if (ending == Ending::Refused)
            m_card->recordRefusal(0, refusal.reason, 0);
        if (scanning && m_step >= 0) {
            // A scan's relays are its own for the length of a step: they
            // open at its end whoever holds the card's lock by then, as
            // nobody asked for them to stay closed.
            const QString holder = m_card->lockHolder();
            m_card->setLockHolder(QString());
            m_card->openRelays(m_settings.steps[m_step]);
            apply();
            m_card->setLockHolder(holder);
        }
    }
    m_reporter = nullptr;
    emit progressed();
    emit finished(ending, refusal);
}

} // namespace sfp
