// SPDX-FileCopyrightText: 2026 Tarvex
// SPDX-License-Identifier: MIT
// Scans and stored sequences on the simulated card, judged by what its
// contacts did: seeded walks of scans against a model of what each must
// do, who may stop a run, and a sequence's steps.
#include "cardscan.h"
#include "cardsession.h"
#include "relaywear.h"
#include "sfpcoretest.h"
#include "statusreporter.h"
#include "switchinglog.h"

#include "qx5170.h"
#include "sim_control.h"

#include <QRandomGenerator>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QTest>

#include <memory>

using sfp::CardScan;
using sfp::CardSession;
using sfp::ScanSettings;
using sfp::ScanTrigger;
using sfp::SwitchingMode;

namespace {

const char cardDescriptor[] = "VXI0::1::INSTR";
constexpr ViUInt16 cardPosition = 2;

class QueueReporter final : public sfp::StatusReporter
{
public:
    void reportStatus(ViStatus /*status*/, const QString & /*text*/, const QString &brief) override
    {
        briefs.append(brief);
    }
    QStringList briefs;
};

// The card's contacts, relay by relay, after each line of the simulated
// card's trace: "card VXI0::1::INSTR FC2 relay 3 on".
QList<std::array<bool, 32>> contactsInTrace(const QStringList &lines)
{
    QList<std::array<bool, 32>> states;
    std::array<bool, 32> on = {};
    const QString prefix = QStringLiteral("card VXI0::1::INSTR FC2 relay ");
    for (const QString &line : lines) {
        if (!line.startsWith(prefix))
            continue;
        const QStringList words = line.mid(prefix.size()).split(QLatin1Char(' '));
        on[size_t(words[0].toInt() - 1)] = words[1] == QLatin1String("on");
        states.append(on);
    }
    return states;
}

// What the model expects of a scan that starts with every relay open:
// the steps taken before one breaks a rule (or all of them).
struct Expected
{
    int steps = 0;
    bool refused = false;
};

Expected model(const ScanSettings &settings, bool exclusive, int stopAt)
{
    Expected expected;
    const int total = int(settings.steps.size()) * settings.count;
    for (int taken = 0; taken < total; ++taken) {
        if (taken == stopAt)
            return expected;
        const QList<int> &step = settings.steps[taken % settings.steps.size()];
        // The walk's fixture: relays 1, 5 and 9 exclude one another, 32
        // never closes.
        const int mutual = int(step.contains(1)) + int(step.contains(5)) + int(step.contains(9));
        bool pair = false;
        for (int relay : step)
            pair = pair || (exclusive && step.contains(sfp::partnerOf(relay)));
        if (mutual > 1 || step.contains(32) || pair) {
            expected.refused = true;
            return expected;
        }
        ++expected.steps;
    }
    return expected;
}

} // namespace

class tst_CardScan final : public QObject
{
    Q_OBJECT

private slots:
    void init();
    void cleanup();

    void walks();
    void settingsOutOfRange_data();
    void settingsOutOfRange();
    void whoMayStopARun();
    void sequences();
    void driverFailureEndsTheRun();

private:
    ViSession m_vi = VI_NULL;
    std::unique_ptr<CardSession> m_session;
};

void tst_CardScan::init()
{
    sfpsim::loadDefaultSystem();
    sfpsim::clearFaults();
    QCOMPARE(qx5170_init(const_cast<char *>(cardDescriptor), cardPosition, VI_TRUE, VI_TRUE, &m_vi),
             VI_SUCCESS);
    m_session = std::make_unique<CardSession>(m_vi, false);
    sfp::Fixture fixture;
    fixture.rules = {{QStringLiteral("meter"), sfp::FixtureRule::Kind::Mutual, {1, 5, 9}},
                     {QStringLiteral("HV"), sfp::FixtureRule::Kind::Forbidden, {32}}};
    m_session->setFixture(fixture, QString(), false);
    sfptest::clearTrace();
}

void tst_CardScan::cleanup()
{
    m_session.reset();
    sfpsim::clearFaults();
    if (m_vi != VI_NULL)
        qx5170_close(m_vi);
    m_vi = VI_NULL;
    QCOMPARE(sfpsim::openSessionCount(), 0);
}

void tst_CardScan::walks()
{
    // Seeded scans of every kind against the model, judged at the card's
    // contacts: two steps never closed together, every step's relays open
    // at the end, a refused step without a driver call of its own, and
    // the wear counts equal to the closings the card made. The log's
    // timeline numbers the steps the card took, back to 0 at the end.
    QRandomGenerator random(sfptest::testSeed());
    QTemporaryDir folder;
    sfp::RelayWear wear;
    QCOMPARE(wear.open(folder.filePath("relay-cycles.json")), QString());
    m_session->setWear(&wear);
    sfp::SwitchingLog log;
    QList<sfp::SwitchingEvent> events;
    connect(&log, &sfp::SwitchingLog::appended, this,
            [&events](const sfp::SwitchingEvent &event) { events.append(event); });
    m_session->setLog(&log, QStringLiteral("card"));
    CardScan *scan = m_session->scan();
    int refusals = 0;
    int stops = 0;
    for (int walk = 0; walk < 60; ++walk) {
        const QString context = QStringLiteral("walk %1").arg(walk);
        ScanSettings settings;
        int steps = 1 + int(random.bounded(6));
        for (int i = 0; i < steps; ++i) {
            QList<int> group;
            const int size = random.bounded(4) == 0 ? 2 : 1;
            while (group.size() < size) {
                const int relay = 1 + int(random.bounded(32));
                // Rarely a relay that breaks the fixture's rule.
                if (!group.contains(relay) && (relay != 32 || random.bounded(8) == 0))
                    group.append(relay);
            }
            settings.steps.append(group);
        }
        // Every tenth walk meets the fixture's rule at its end, so that
        // each seed's walks see refusals.
        if (walk % 10 == 0)
            settings.steps.append(QList<int>({1, 5}));
        steps = int(settings.steps.size());
        for (int relay = 1; relay <= 32; ++relay)
            settings.delays[size_t(relay - 1)] = int(random.bounded(3));
        settings.trigger = ScanTrigger(random.bounded(3));
        settings.intervalMilliseconds = 1 + int(random.bounded(3));
        settings.count = 1 + int(random.bounded(3));
        const bool exclusive = random.bounded(2) == 0;
        m_session->selectMode(SwitchingMode(random.bounded(3)));
        m_session->setExclusive(exclusive);
        const int total = int(settings.steps.size()) * settings.count;
        const int stopAt = random.bounded(4) == 0 ? int(random.bounded(total)) + 1 : -1;
        QCOMPARE(scan->setSettings(settings).reason, QString());

        const Expected expected = model(settings, exclusive, stopAt);
        std::array<qint64, 32> before = {};
        for (int relay = 1; relay <= 32; ++relay)
            before[size_t(relay - 1)] = wear.cycles(relay);
        sfptest::clearTrace();
        events.clear();
        QSignalSpy finished(scan, &CardScan::finished);
        QMetaObject::Connection stopper
            = connect(scan, &CardScan::progressed, this, [scan, steps, stopAt] {
                  if (scan->isRunning() && scan->step() + (scan->sweep() - 1) * steps == stopAt)
                      QCOMPARE(scan->stop().reason, QString());
              });
        QCOMPARE(scan->start().reason, QString());
        while (scan->isRunning()) {
            if (scan->isWaitingForTrigger())
                QVERIFY(scan->trigger());
            else
                QTest::qWait(1);
        }
        disconnect(stopper);
        QCOMPARE(finished.size(), 1);
        const auto ending = finished.at(0).at(0).value<CardScan::Ending>();
        QVERIFY2(ending
                     == (expected.refused                    ? CardScan::Ending::Refused
                             : stopAt > 0 && stopAt <= total ? CardScan::Ending::Stopped
                                                             : CardScan::Ending::Completed),
                 qPrintable(context));
        refusals += int(expected.refused);
        stops += int(ending == CardScan::Ending::Stopped);

        // Each step closed is one closing of each of its relays, no more.
        const QStringList trace = sfptest::trace({"card "});
        std::array<int, 32> closings = {};
        for (int taken = 0; taken < expected.steps; ++taken) {
            for (int relay : settings.steps[taken % steps])
                ++closings[size_t(relay - 1)];
        }
        const QList<std::array<bool, 32>> contacts = contactsInTrace(trace);
        std::array<bool, 32> last = {};
        std::array<int, 32> traced = {};
        for (const std::array<bool, 32> &on : contacts) {
            // What is closed lies within one step.
            QList<int> closed;
            for (int relay = 1; relay <= 32; ++relay) {
                if (on[size_t(relay - 1)])
                    closed.append(relay);
                if (on[size_t(relay - 1)] && !last[size_t(relay - 1)])
                    ++traced[size_t(relay - 1)];
            }
            const bool withinOneStep = std::any_of(
                settings.steps.begin(), settings.steps.end(), [&closed](const QList<int> &step) {
                    return std::all_of(closed.begin(), closed.end(),
                                       [&step](int relay) { return step.contains(relay); });
                });
            QVERIFY2(withinOneStep, qPrintable(context));
            last = on;
        }
        QVERIFY2(std::none_of(last.begin(), last.end(), [](bool on) { return on; }),
                 qPrintable(context));
        for (int relay = 1; relay <= 32; ++relay) {
            QCOMPARE(traced[size_t(relay - 1)], closings[size_t(relay - 1)]);
            QCOMPARE(wear.cycles(relay) - before[size_t(relay - 1)],
                     qint64(closings[size_t(relay - 1)]));
        }
        sfp::SwitchingEvent start;
        start.kind = sfp::SwitchingEvent::Kind::Start;
        start.time = events.isEmpty() ? QDateTime::currentDateTime() : events.first().time;
        events.prepend(start);
        QStringList numbered;
        for (const QByteArray &line : sfp::switchingLog::toVcd(events, {}).split('\n')) {
            if (line.startsWith('b') && line.endsWith(" D"))
                numbered.append(
                    QString::number(line.mid(1, line.size() - 3).toLongLong(nullptr, 2)));
        }
        // A scan refused at its first step has no steps to show.
        QStringList taken;
        for (int step = 0; step <= expected.steps && expected.steps > 0; ++step)
            taken.append(QString::number(step));
        if (expected.steps > 0)
            taken.append(QStringLiteral("0"));
        QCOMPARE(numbered, taken);
        m_session->setExclusive(false);
    }
    // The seed's walks met every ending.
    QVERIFY(refusals > 0);
    QVERIFY(stops > 0);
}

void tst_CardScan::settingsOutOfRange_data()
{
    QTest::addColumn<QList<QList<int>>>("steps");
    QTest::addColumn<int>("delay");
    QTest::addColumn<int>("interval");
    QTest::addColumn<int>("count");
    QTest::addColumn<QString>("reason");
    const QList<QList<int>> one = {{1}};
    QTest::newRow("the most") << QList<QList<int>>(1000, {32}) << 60000 << 3600000 << 1000000
                              << QString();
    QTest::newRow("no end") << one << 0 << 1 << 0 << QString();
    QTest::newRow("1001 steps") << QList<QList<int>>(1001, {1}) << 0 << 1 << 1
                                << "a scan has at most 1000 steps";
    QTest::newRow("an empty step") << QList<QList<int>>({{1}, {}}) << 0 << 1 << 1
                                   << "each step of a scan closes relays 1 to 32";
    QTest::newRow("relay 33") << QList<QList<int>>({{33}}) << 0 << 1 << 1
                              << "each step of a scan closes relays 1 to 32";
    QTest::newRow("relay 0") << QList<QList<int>>({{0}}) << 0 << 1 << 1
                             << "each step of a scan closes relays 1 to 32";
    QTest::newRow("60.001 s settling") << one << 60001 << 1 << 1 << "a settle time is 0 to 60 s";
    QTest::newRow("a negative settle time") << one << -1 << 1 << 1 << "a settle time is 0 to 60 s";
    QTest::newRow("0 ms apart") << one << 0 << 0 << 1 << "a step interval is 1 ms to 3600 s";
    QTest::newRow("an hour and a ms apart")
        << one << 0 << 3600001 << 1 << "a step interval is 1 ms to 3600 s";
    QTest::newRow("a negative count")
        << one << 0 << 1 << -1 << "a scan has 1 to 1000000 sweeps, or no end";
    QTest::newRow("1000001 sweeps")
        << one << 0 << 1 << 1000001 << "a scan has 1 to 1000000 sweeps, or no end";
}

void tst_CardScan::settingsOutOfRange()
{
    // Settings beyond their bounds are refused whole, whoever sends them,
    // and the settings before stay.
    QFETCH(QList<QList<int>>, steps);
    QFETCH(int, delay);
    QFETCH(int, interval);
    QFETCH(int, count);
    QFETCH(QString, reason);
    CardScan *scan = m_session->scan();
    ScanSettings before;
    before.steps = {{7}};
    QCOMPARE(scan->setSettings(before).reason, QString());
    ScanSettings settings;
    settings.steps = steps;
    settings.delays[4] = delay;
    settings.intervalMilliseconds = interval;
    settings.count = count;
    QCOMPARE(scan->setSettings(settings).reason, reason);
    QCOMPARE(scan->settings().steps, reason.isEmpty() ? steps : before.steps);
    // Nor while a run goes on.
    if (reason.isEmpty()) {
        before.trigger = ScanTrigger::Bus;
        QCOMPARE(scan->setSettings(before).reason, QString());
        QCOMPARE(scan->start().reason, QString());
        QCOMPARE(scan->setSettings(settings).reason, QStringLiteral("a scan or sequence runs"));
        QCOMPARE(scan->start().reason, QStringLiteral("a scan or sequence runs already"));
        QCOMPARE(scan->stop().reason, QString());
        QCOMPARE(scan->settings().steps, before.steps);
    }
}

void tst_CardScan::whoMayStopARun()
{
    CardScan *scan = m_session->scan();
    ScanSettings settings;
    settings.steps = {{3}, {4}};
    settings.trigger = ScanTrigger::Bus;
    QCOMPARE(scan->setSettings(settings).reason, QString());

    // Started under its client's lock, the scan is that client's: another
    // may not stop it, even once the lock is gone; the operator may.
    m_session->setLockHolder(QStringLiteral("socket A"));
    {
        const CardSession::Source other(m_session.get(), QStringLiteral("socket B"));
        QCOMPARE(scan->start().reason, QStringLiteral("another client holds the lock"));
    }
    {
        const CardSession::Source owner(m_session.get(), QStringLiteral("socket A"));
        QCOMPARE(scan->start().reason, QString());
        QCOMPARE(scan->start().reason, QStringLiteral("a scan or sequence runs already"));
    }
    QVERIFY(scan->isOwned());
    QVERIFY(scan->trigger());
    QVERIFY(m_session->isClosed(3));
    m_session->setLockHolder(QString());
    {
        const CardSession::Source other(m_session.get(), QStringLiteral("socket B"));
        QCOMPARE(scan->stop().reason,
                 QStringLiteral("the run belongs to socket A, who started it under the lock"));
        // Its settings stay while it runs.
        QCOMPARE(scan->setSettings(ScanSettings()).reason,
                 QStringLiteral("a scan or sequence runs"));
    }
    QVERIFY(scan->isRunning());
    QCOMPARE(scan->relaysInUse(), QList<int>({3, 4}));
    QCOMPARE(scan->stop().reason, QString());
    QVERIFY(!scan->isRunning());
    QVERIFY(!m_session->isClosed(3));

    // Without the lock, any client may stop another's scan; an empty list
    // does not start.
    {
        const CardSession::Source owner(m_session.get(), QStringLiteral("socket A"));
        QCOMPARE(scan->start().reason, QString());
    }
    QVERIFY(!scan->isOwned());
    {
        const CardSession::Source other(m_session.get(), QStringLiteral("socket B"));
        QCOMPARE(scan->stop().reason, QString());
    }
    QCOMPARE(scan->setSettings(ScanSettings()).reason, QString());
    QCOMPARE(scan->start().reason, QStringLiteral("the scan list is empty"));
    QVERIFY(!scan->trigger());
}

void tst_CardScan::sequences()
{
    sfp::Fixture fixture = m_session->fixture();
    using Kind = sfp::SequenceStep::Kind;
    fixture.sequences = {
        {QStringLiteral("route"),
         {{Kind::Close, {3, 4}, 0},
          {Kind::Wait, {}, 2},
          {Kind::CloseExclusive, {7}, 0},
          {Kind::Update, {}, 0},
          {Kind::Open, {7}, 0}}},
        {QStringLiteral("unsafe"),
         {{Kind::Close, {1}, 0}, {Kind::Close, {5}, 0}, {Kind::Close, {6}, 0}}},
    };
    m_session->setFixture(fixture, QString(), false);
    m_session->selectMode(SwitchingMode::SyncCommand);
    CardScan *scan = m_session->scan();
    QSignalSpy finished(scan, &CardScan::finished);

    QCOMPARE(scan->runSequence(QStringLiteral("route")).reason, QString());
    QVERIFY(scan->isRunningSequence());
    QCOMPARE(scan->runSequence(QStringLiteral("route")).reason,
             QStringLiteral("a scan or sequence runs already"));
    QVERIFY(finished.wait(5000));
    // In Sync. Command mode the relays waited for the sequence's update:
    // 3 and 4 opened by the exclusive close before they ever closed, and
    // the last step's opening waits for an update to come.
    QCOMPARE(
        sfptest::trace({"card VXI0::1::INSTR FC2 relay"}),
        QStringList({"card VXI0::1::INSTR FC2 relay 3 off", "card VXI0::1::INSTR FC2 relay 4 off",
                     "card VXI0::1::INSTR FC2 relay 7 on"}));
    QCOMPARE(m_session->waitingRelays(), QList<int>({7}));
    QVERIFY(!m_session->isSynchronized());

    // A step that breaks a rule ends the sequence there, with what it did
    // so far kept.
    m_session->selectMode(SwitchingMode::Asynchronous);
    sfptest::clearTrace();
    QCOMPARE(scan->runSequence(QStringLiteral("unsafe")).reason, QString());
    QVERIFY(finished.wait(5000));
    QCOMPARE(finished.at(1).at(0).value<CardScan::Ending>(), CardScan::Ending::Refused);
    QCOMPARE(finished.at(1).at(1).value<sfp::Refusal>().reason,
             QStringLiteral("\"meter\" allows one of relays 1, 5, 9"));
    QVERIFY(m_session->isClosed(1));
    QVERIFY(!m_session->isClosed(6));
    QCOMPARE(scan->runSequence(QStringLiteral("none")).reason,
             QStringLiteral("no sequence is named \"none\""));
}

void tst_CardScan::driverFailureEndsTheRun()
{
    CardScan *scan = m_session->scan();
    ScanSettings settings;
    settings.steps = {{3}, {4}, {5}};
    QCOMPARE(scan->setSettings(settings).reason, QString());
    QSignalSpy finished(scan, &CardScan::finished);
    QueueReporter reporter;
    sfpsim::injectFault("qx5170_switchRelay", qx5170_ERROR_NO_CARD);
    QCOMPARE(scan->start(&reporter).reason, QString());
    QTRY_COMPARE(finished.size(), 1);
    QCOMPARE(finished.at(0).at(0).value<CardScan::Ending>(), CardScan::Ending::Refused);
    QVERIFY(finished.at(0).at(1).value<sfp::Refusal>().reason.startsWith(
        QStringLiteral("the card failed: channel 3: ")));
    // The failure went to the run's reporter, not the session's.
    QVERIFY(!reporter.briefs.isEmpty());
    QVERIFY(!m_session->isClosed(4));
}

SFPTEST_CORE_MAIN(tst_CardScan)
#include "tst_cardscan.moc"
