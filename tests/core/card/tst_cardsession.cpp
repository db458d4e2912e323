// SPDX-FileCopyrightText: 2026 Tarvex
// SPDX-License-Identifier: MIT
// The card session alone, without widgets, on the simulated card: the
// driver calls of each operation between the session's signals, the
// exclusive rule, the switching modes, where statuses go, the demo session,
// and saved states brought back.
#include "cardsession.h"
#include "relaywear.h"
#include "sfpcoretest.h"
#include "statusreporter.h"
#include "switchinglog.h"
#include "testcatalogue.h"

#include "qx5170.h"
#include "sim_control.h"

#include <QCoreApplication>
#include <QFile>
#include <QList>
#include <QMap>
#include <QRandomGenerator>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QTest>
#include <QTranslator>

#include <memory>

Q_DECLARE_METATYPE(sfp::CardState)

namespace sfp {

// How a failed comparison shows a state, found by Qt Test through the
// type's namespace.
char *toString(const CardState &state)
{
    QStringList closed;
    for (int relay = 1; relay <= 32; ++relay) {
        if (state.closed[size_t(relay - 1)])
            closed.append(QString::number(relay));
    }
    return qstrdup(QStringLiteral("closed {%1}, mode %2, exclusive %3")
                       .arg(closed.join(QLatin1String(", ")))
                       .arg(int(state.mode))
                       .arg(state.exclusive ? "true" : "false")
                       .toUtf8()
                       .constData());
}

} // namespace sfp

using sfp::CardSession;
using sfp::CardState;
using sfp::SwitchingMode;
using sfp::SwitchOrder;

namespace {

const char cardDescriptor[] = "VXI0::1::INSTR";
constexpr ViUInt16 cardPosition = 2;

constexpr int async = int(SwitchingMode::Asynchronous);
constexpr int syncCommand = int(SwitchingMode::SyncCommand);
constexpr int syncTrigger = int(SwitchingMode::SyncTrigger);

// As the panel's mode list names the modes.
const char *const modeNames[] = {"Asynchronous", "Sync. Command", "Sync. Trigger"};

// Expected events are written as one text, "; " between two of them.
// "VI" stands for the session handle and "STATUS" for the injected status,
// known only when the test runs; "FC2 " begins each event of the card.
QStringList expected(const QString &text, ViSession vi, ViStatus status = 0)
{
    QStringList lines = text.split(QLatin1String("; "));
    for (QString &line : lines) {
        line.replace(QLatin1String("(VI"), QStringLiteral("(%1").arg(vi));
        line.replace(QLatin1String("STATUS"), QString::number(status));
        if (line.startsWith(QLatin1String("FC2 ")))
            line.prepend(QLatin1String("card VXI0::1::INSTR "));
    }
    return lines;
}

QList<int> relaysSet(const std::array<bool, 32> &relays)
{
    QList<int> set;
    for (int relay = 1; relay <= 32; ++relay) {
        if (relays[size_t(relay - 1)])
            set.append(relay);
    }
    return set;
}

sfpsim::CardState card()
{
    sfpsim::CardState state;
    if (!sfpsim::cardState(cardDescriptor, cardPosition, &state))
        qWarning("the simulated relay card is missing");
    return state;
}

// Rules written as "mutual PSU/GND 3 7; forbidden HV 31".
QList<sfp::FixtureRule> makeRules(const QString &text)
{
    QList<sfp::FixtureRule> rules;
    for (const QString &ruleText : text.split(QLatin1String("; "), Qt::SkipEmptyParts)) {
        const QStringList words = ruleText.split(QLatin1Char(' '));
        sfp::FixtureRule rule;
        rule.kind = words.at(0) == QLatin1String("mutual") ? sfp::FixtureRule::Kind::Mutual
                                                           : sfp::FixtureRule::Kind::Forbidden;
        rule.name = words.at(1);
        for (const QString &relay : words.mid(2))
            rule.relays.append(relay.toInt());
        rules.append(rule);
    }
    return rules;
}

CardState makeState(const QList<int> &closed, SwitchingMode mode, bool exclusive)
{
    CardState state;
    for (const int relay : closed)
        state.closed[size_t(relay - 1)] = true;
    state.mode = mode;
    state.exclusive = exclusive;
    return state;
}

// The session's signals between the driver calls (and card events) that
// the simulator traced meanwhile.
class Recorder
{
public:
    explicit Recorder(CardSession *session,
                      const QStringList &prefixes = {QStringLiteral("qx5170_")})
        : m_log(prefixes)
    {
        QObject::connect(session, &CardSession::relayChanged, &m_context,
                         [this](int relay, bool closed) {
                             mark(QStringLiteral("relayChanged(%1, %2)")
                                      .arg(relay)
                                      .arg(closed ? "true" : "false"));
                         });
        QObject::connect(session, &CardSession::relaySwitched, &m_context, [this](int relay) {
            mark(QStringLiteral("relaySwitched(%1)").arg(relay));
        });
        QObject::connect(session, &CardSession::synchronizedChanged, &m_context, [this](bool on) {
            mark(on ? "synchronizedChanged(true)" : "synchronizedChanged(false)");
        });
        QObject::connect(session, &CardSession::modeChanged, &m_context,
                         [this](SwitchingMode mode) {
                             mark(QStringLiteral("modeChanged(%1)").arg(modeNames[int(mode)]));
                         });
        QObject::connect(session, &CardSession::exclusiveChanged, &m_context, [this](bool on) {
            mark(on ? "exclusiveChanged(true)" : "exclusiveChanged(false)");
        });
        QObject::connect(session, &CardSession::changeRefused, &m_context,
                         [this](int relay, const QString &reason) {
                             mark(QStringLiteral("changeRefused(%1, %2)").arg(relay).arg(reason));
                         });
    }

    void mark(const QString &event) { m_log.mark(event); }
    QStringList events() { return m_log.events(); }

private:
    QObject m_context; // disconnects the session's signals with the recorder
    sfptest::TraceLog m_log;
};

class RecordingReporter final : public sfp::StatusReporter
{
public:
    explicit RecordingReporter(const CardSession *session, Recorder *recorder = nullptr)
        : m_session(session)
        , m_recorder(recorder)
    { }

    void reportStatus(ViStatus status, const QString &text, const QString &brief) override
    {
        statuses.append(status);
        texts.append(text);
        briefs.append(brief);
        busyWhenReported.append(m_session->isBusy());
        if (m_recorder)
            m_recorder->mark(QStringLiteral("reportStatus"));
    }

    QList<ViStatus> statuses;
    QStringList texts;
    QStringList briefs;
    QList<bool> busyWhenReported;

private:
    const CardSession *m_session;
    Recorder *m_recorder;
};

} // namespace

class tst_CardSession final : public QObject
{
    Q_OBJECT

private slots:
    void init();
    void cleanup();

    void pairNumbering();
    void clickPaths_data();
    void clickPaths();
    void setRelayOnlyWhenItChanges();
    void exclusiveRuleForTheWholeCard();
    void switchOrder();
    void modes_data();
    void modes();
    void synchronizedLamp();
    void reports_data();
    void reports();
    void statusWithoutReporter();
    void statusInTheOperatorsLanguage();
    void demoCallsNoDriver();
    void stateFollowsTheSession();
    void restore_data();
    void restore();
    void restoreRefusesABrokenRule();
    void fixtureRules_data();
    void fixtureRules();
    void fixtureRulesForWholeStates();
    void wholeChanges_data();
    void wholeChanges();
    void lockRefusesOthersOnly();
    void fixtureFileKept();
    void fixtureFileKeptReadable();
    void sequencesKept();
    void reasonsInTheOperatorsLanguage();
    void wearCountsWhatTheContactsDo();
    void wearCountsTheCardsClosings();
    void logHasEveryDriverCallOnce();
    void logSourcesAndImpliedChanges();
    void reset_data();
    void reset();

private:
    // Closes `closed` without the rule, then sets the rule and the mode:
    // nothing waits for an update afterwards.
    void prepare(const QList<int> &closed, int mode = async, bool exclusive = false);

    ViSession m_vi = VI_NULL;
    std::unique_ptr<CardSession> m_session;
};

void tst_CardSession::init()
{
    sfpsim::loadDefaultSystem();
    sfpsim::clearFaults();
    QCOMPARE(qx5170_init(const_cast<char *>(cardDescriptor), cardPosition, VI_TRUE, VI_TRUE, &m_vi),
             VI_SUCCESS);
    m_session = std::make_unique<CardSession>(m_vi, false);
    sfptest::clearTrace();
}

void tst_CardSession::cleanup()
{
    m_session.reset();
    sfpsim::clearFaults();
    if (m_vi != VI_NULL)
        qx5170_close(m_vi);
    m_vi = VI_NULL;
    QCOMPARE(sfpsim::openSessionCount(), 0);
}

void tst_CardSession::prepare(const QList<int> &closed, int mode, bool exclusive)
{
    for (const int relay : closed)
        m_session->setRelay(relay, true);
    m_session->setExclusive(exclusive);
    m_session->selectMode(SwitchingMode(mode));
    sfptest::clearTrace();
}

void tst_CardSession::pairNumbering()
{
    QCOMPARE(sfp::relayA(0), 1);
    QCOMPARE(sfp::relayB(0), 2);
    QCOMPARE(sfp::relayA(15), 31);
    QCOMPARE(sfp::relayB(15), 32);
    QCOMPARE(sfp::pairOf(1), 0);
    QCOMPARE(sfp::pairOf(2), 0);
    QCOMPARE(sfp::pairOf(31), 15);
    QCOMPARE(sfp::pairOf(32), 15);
    QCOMPARE(sfp::partnerOf(1), 2);
    QCOMPARE(sfp::partnerOf(2), 1);
    QCOMPARE(sfp::partnerOf(31), 32);
    QCOMPARE(sfp::partnerOf(32), 31);
}

void tst_CardSession::clickPaths_data()
{
    QTest::addColumn<int>("mode");
    QTest::addColumn<bool>("exclusive");
    QTest::addColumn<QList<int>>("closedBefore");
    QTest::addColumn<int>("relay");
    QTest::addColumn<bool>("closed");
    QTest::addColumn<QString>("events");
    QTest::addColumn<QList<int>>("closedAfter");

    QTest::newRow("close 1") << async << false << QList<int>() << 1 << true
                             << "relayChanged(1, true); qx5170_switchRelay(VI, 1, 1) = 0; "
                                "relaySwitched(1)"
                             << QList<int>({1});
    QTest::newRow("open 32") << async << false << QList<int>({32}) << 32 << false
                             << "relayChanged(32, false); qx5170_switchRelay(VI, 32, 0) = 0; "
                                "relaySwitched(32)"
                             << QList<int>();
    QTest::newRow("no rule: 5 with 6 closed")
        << async << false << QList<int>({6}) << 5 << true
        << "relayChanged(5, true); qx5170_switchRelay(VI, 5, 1) = 0; relaySwitched(5)"
        << QList<int>({5, 6});
    QTest::newRow("rule: 5 with 6 closed")
        << async << true << QList<int>({6}) << 5 << true
        << "relayChanged(5, true); qx5170_switchRelay(VI, 5, 1) = 0; relaySwitched(5); "
           "relayChanged(6, false); qx5170_switchRelay(VI, 6, 0) = 0; relaySwitched(6); "
           "relaySwitched(5)"
        << QList<int>({5});
    QTest::newRow("rule: 2 with 1 closed")
        << async << true << QList<int>({1}) << 2 << true
        << "relayChanged(2, true); qx5170_switchRelay(VI, 2, 1) = 0; relaySwitched(2); "
           "relayChanged(1, false); qx5170_switchRelay(VI, 1, 0) = 0; relaySwitched(1); "
           "relaySwitched(2)"
        << QList<int>({2});
    QTest::newRow("rule: 31 with 32 closed")
        << async << true << QList<int>({32}) << 31 << true
        << "relayChanged(31, true); qx5170_switchRelay(VI, 31, 1) = 0; relaySwitched(31); "
           "relayChanged(32, false); qx5170_switchRelay(VI, 32, 0) = 0; relaySwitched(32); "
           "relaySwitched(31)"
        << QList<int>({31});
    QTest::newRow("rule: 3 with 4 and 5 closed")
        << async << true << QList<int>({4, 5}) << 3 << true
        << "relayChanged(3, true); qx5170_switchRelay(VI, 3, 1) = 0; relaySwitched(3); "
           "relayChanged(4, false); qx5170_switchRelay(VI, 4, 0) = 0; relaySwitched(4); "
           "relaySwitched(3)"
        << QList<int>({3, 5});
    QTest::newRow("rule: 1, partner open")
        << async << true << QList<int>() << 1 << true
        << "relayChanged(1, true); qx5170_switchRelay(VI, 1, 1) = 0; relaySwitched(1)"
        << QList<int>({1});
    QTest::newRow("rule: opening 6")
        << async << true << QList<int>({6}) << 6 << false
        << "relayChanged(6, false); qx5170_switchRelay(VI, 6, 0) = 0; relaySwitched(6)"
        << QList<int>();
    QTest::newRow("Sync. Command: 7") << syncCommand << false << QList<int>() << 7 << true
                                      << "relayChanged(7, true); qx5170_switchRelay(VI, 7, 1) = 0; "
                                         "synchronizedChanged(false); relaySwitched(7)"
                                      << QList<int>({7});
    QTest::newRow("Sync. Trigger, rule: 5 with 6 closed")
        << syncTrigger << true << QList<int>({6}) << 5 << true
        << "relayChanged(5, true); qx5170_switchRelay(VI, 5, 1) = 0; "
           "synchronizedChanged(false); relaySwitched(5); "
           "relayChanged(6, false); qx5170_switchRelay(VI, 6, 0) = 0; "
           "synchronizedChanged(false); relaySwitched(6); "
           "synchronizedChanged(false); relaySwitched(5)"
        << QList<int>({5});
}

void tst_CardSession::clickPaths()
{
    QFETCH(int, mode);
    QFETCH(bool, exclusive);
    QFETCH(QList<int>, closedBefore);
    QFETCH(int, relay);
    QFETCH(bool, closed);
    QFETCH(QString, events);
    QFETCH(QList<int>, closedAfter);

    prepare(closedBefore, mode, exclusive);
    Recorder recorder(m_session.get());
    m_session->setRelay(relay, closed);
    QCOMPARE(recorder.events(), expected(events, m_vi));
    QCOMPARE(relaysSet(m_session->state().closed), closedAfter);
    QCOMPARE(relaysSet(card().commanded), closedAfter);
    QVERIFY(!m_session->isBusy());
}

void tst_CardSession::setRelayOnlyWhenItChanges()
{
    prepare({3}, syncCommand);
    Recorder recorder(m_session.get(), {});
    m_session->setRelay(3, true);
    m_session->setRelay(4, false);
    for (const int relay : {0, 33, -1}) {
        m_session->setRelay(relay, true);
        m_session->setRelay(relay, false);
        QVERIFY(!m_session->isClosed(relay));
    }
    QCOMPARE(recorder.events(), QStringList());
    QCOMPARE(relaysSet(m_session->state().closed), QList<int>({3}));
    // Nothing was switched, so nothing waits for an update.
    QVERIFY(m_session->isSynchronized());
}

void tst_CardSession::exclusiveRuleForTheWholeCard()
{
    prepare({1, 3, 4, 9, 10, 14});
    Recorder turnedOn(m_session.get());
    m_session->setExclusive(true);
    QCOMPARE(turnedOn.events(),
             expected("exclusiveChanged(true); relayChanged(4, false); "
                      "qx5170_switchRelay(VI, 4, 0) = 0; relaySwitched(4); "
                      "relayChanged(10, false); qx5170_switchRelay(VI, 10, 0) = 0; "
                      "relaySwitched(10)",
                      m_vi));
    QVERIFY(m_session->isExclusive());
    QCOMPARE(relaysSet(m_session->state().closed), QList<int>({1, 3, 9, 14}));

    Recorder again(m_session.get());
    m_session->setExclusive(true);
    QCOMPARE(again.events(), QStringList());

    // Opening never touches the partner.
    Recorder opened(m_session.get());
    m_session->setRelay(3, false);
    m_session->setRelay(14, false);
    QCOMPARE(opened.events(),
             expected("relayChanged(3, false); qx5170_switchRelay(VI, 3, 0) = 0; "
                      "relaySwitched(3); relayChanged(14, false); "
                      "qx5170_switchRelay(VI, 14, 0) = 0; relaySwitched(14)",
                      m_vi));

    Recorder turnedOff(m_session.get());
    m_session->setExclusive(false);
    m_session->setExclusive(false);
    QCOMPARE(turnedOff.events(), QStringList({"exclusiveChanged(false)"}));
    QVERIFY(!m_session->isExclusive());
    QCOMPARE(relaysSet(m_session->state().closed), QList<int>({1, 9}));
}

void tst_CardSession::switchOrder()
{
    // A click closes the relay, then opens its partner; break-before-make
    // opens the partner first, so that both are never closed together.
    prepare({1, 4}, async, true);
    Recorder click(m_session.get(), {QStringLiteral("qx5170_"), QStringLiteral("card ")});
    m_session->setRelay(2, true);
    QCOMPARE(click.events(),
             expected("relayChanged(2, true); qx5170_switchRelay(VI, 2, 1) = 0; FC2 relay 2 on; "
                      "relaySwitched(2); "
                      "relayChanged(1, false); qx5170_switchRelay(VI, 1, 0) = 0; FC2 relay 1 off; "
                      "relaySwitched(1); relaySwitched(2)",
                      m_vi));

    Recorder asked(m_session.get(), {QStringLiteral("qx5170_"), QStringLiteral("card ")});
    m_session->setRelay(3, true, SwitchOrder::BreakBeforeMake);
    QCOMPARE(asked.events(),
             expected("relayChanged(4, false); qx5170_switchRelay(VI, 4, 0) = 0; FC2 relay 4 off; "
                      "relaySwitched(4); "
                      "relayChanged(3, true); qx5170_switchRelay(VI, 3, 1) = 0; FC2 relay 3 on; "
                      "relaySwitched(3)",
                      m_vi));
    QCOMPARE(relaysSet(card().applied), QList<int>({2, 3}));

    // The operator's clicks follow the order the program was told.
    QCOMPARE(m_session->clickOrder(), SwitchOrder::ClickOrder);
    m_session->setClickOrder(SwitchOrder::BreakBeforeMake);
    Recorder clicked(m_session.get(), {QStringLiteral("qx5170_"), QStringLiteral("card ")});
    m_session->setRelay(1, true);
    QCOMPARE(clicked.events(),
             expected("relayChanged(2, false); qx5170_switchRelay(VI, 2, 0) = 0; FC2 relay 2 off; "
                      "relaySwitched(2); "
                      "relayChanged(1, true); qx5170_switchRelay(VI, 1, 1) = 0; FC2 relay 1 on; "
                      "relaySwitched(1)",
                      m_vi));
}

void tst_CardSession::modes_data()
{
    QTest::addColumn<int>("from");
    QTest::addColumn<bool>("waiting"); // relay 7 closed in `from`
    QTest::addColumn<int>("to");
    QTest::addColumn<bool>("onlyIfWaiting");
    QTest::addColumn<QString>("events");
    QTest::addColumn<bool>("synchronized");

    const QString toAsync = "modeChanged(Asynchronous); qx5170_setSwitchingMode(VI, 1, 0) = 0; "
                            "FC2 mode 1";
    QTest::newRow("Asynchronous again") << async << false << async << false << toAsync << true;
    QTest::newRow("Sync. Command, waiting")
        << syncCommand << true << async << false
        << "qx5170_updateRelaysState(VI) = 0; FC2 relay 7 on; synchronizedChanged(true); " + toAsync
        << true;
    QTest::newRow("Sync. Trigger, waiting")
        << syncTrigger << true << async << false
        << "qx5170_pulseSynchTrigger(VI) = 0; FC2 relay 7 on; synchronizedChanged(true); " + toAsync
        << true;
    QTest::newRow("Sync. Command, nothing waiting")
        << syncCommand << false << async << false
        << "qx5170_updateRelaysState(VI) = 0; synchronizedChanged(true); " + toAsync << true;
    QTest::newRow("Sync. Command, nothing waiting, only if waiting")
        << syncCommand << false << async << true << toAsync << true;
    QTest::newRow("Sync. Command, waiting, only if waiting")
        << syncCommand << true << async << true
        << "qx5170_updateRelaysState(VI) = 0; FC2 relay 7 on; synchronizedChanged(true); " + toAsync
        << true;
    QTest::newRow("Sync. Command to Sync. Trigger")
        << syncCommand << true << syncTrigger << false
        << "modeChanged(Sync. Trigger); qx5170_setSwitchingMode(VI, 3, 0) = 0; FC2 mode 3" << false;
    QTest::newRow("Sync. Trigger to Sync. Command")
        << syncTrigger << true << syncCommand << false
        << "modeChanged(Sync. Command); qx5170_setSwitchingMode(VI, 2, 0) = 0; FC2 mode 2" << false;
    QTest::newRow("Asynchronous to Sync. Command")
        << async << false << syncCommand << false
        << "modeChanged(Sync. Command); qx5170_setSwitchingMode(VI, 2, 0) = 0; FC2 mode 2" << true;
}

void tst_CardSession::modes()
{
    QFETCH(int, from);
    QFETCH(bool, waiting);
    QFETCH(int, to);
    QFETCH(bool, onlyIfWaiting);
    QFETCH(QString, events);
    QFETCH(bool, synchronized);

    prepare({}, from);
    if (waiting)
        m_session->setRelay(7, true);
    Recorder recorder(m_session.get(), {QStringLiteral("qx5170_"), QStringLiteral("card ")});
    m_session->selectMode(SwitchingMode(to), onlyIfWaiting);
    QCOMPARE(recorder.events(), expected(events, m_vi));
    QCOMPARE(int(m_session->mode()), to);
    QCOMPARE(m_session->isSynchronized(), synchronized);
}

void tst_CardSession::synchronizedLamp()
{
    m_session->setRelay(1, true);
    QVERIFY(m_session->isSynchronized());
    m_session->selectMode(SwitchingMode::SyncCommand);
    m_session->setRelay(2, true);
    QVERIFY(!m_session->isSynchronized());
    m_session->update();
    QVERIFY(m_session->isSynchronized());
    m_session->selectMode(SwitchingMode::SyncTrigger);
    m_session->setRelay(3, true);
    QVERIFY(!m_session->isSynchronized());
    m_session->trigger();
    QVERIFY(m_session->isSynchronized());
    QCOMPARE(relaysSet(card().applied), QList<int>({1, 2, 3}));
}

void tst_CardSession::reports_data()
{
    QTest::addColumn<int>("mode");
    QTest::addColumn<QString>("action"); // "close <relay>", "update", "trigger" or a mode
    QTest::addColumn<QString>("faulted");
    QTest::addColumn<int>("status");
    QTest::addColumn<QString>("text");
    QTest::addColumn<QString>("brief"); // what a script reads
    QTest::addColumn<QString>("events");

    const QString noCard = " failed due to [No relay card answers at the addressed position.]";
    const QString timeout = " failed due to [Timeout expired before operation completed.]";
    const QString reported = "qx5170_error_message(0, STATUS) = 0; reportStatus";

    QTest::newRow("error on 13")
        << async << "close 13"
        << "qx5170_switchRelay" << int(qx5170_ERROR_NO_CARD)
        << "qx5170_switchRelay(m_vi, m_pairNo*2+1, relayAbtn->isChecked())" + noCard
        << "channel 13: No relay card answers at the addressed position."
        << "relayChanged(13, true); qx5170_switchRelay(VI, 13, 1) = STATUS; " + reported
            + "; relaySwitched(13)";
    QTest::newRow("error on 14")
        << async << "close 14"
        << "qx5170_switchRelay" << int(VI_ERROR_TMO)
        << "qx5170_switchRelay(m_vi, (m_pairNo+1)*2, relayBbtn->isChecked())" + timeout
        << "channel 14: Timeout expired before operation completed."
        << "relayChanged(14, true); qx5170_switchRelay(VI, 14, 1) = STATUS; " + reported
            + "; relaySwitched(14)";
    QTest::newRow("warning on 1")
        << async << "close 1"
        << "qx5170_switchRelay" << int(VI_WARN_NSUP_ID_QUERY)
        << "Warning: [Identification query not supported.]"
        << "channel 1: Identification query not supported."
        << "relayChanged(1, true); qx5170_switchRelay(VI, 1, 1) = STATUS; " + reported
            + "; relaySwitched(1)";
    QTest::newRow("warning on 32")
        << async << "close 32"
        << "qx5170_switchRelay" << int(VI_WARN_NSUP_RESET) << "Warning: [Reset not supported.]"
        << "channel 32: Reset not supported."
        << "relayChanged(32, true); qx5170_switchRelay(VI, 32, 1) = STATUS; " + reported
            + "; relaySwitched(32)";
    QTest::newRow("update fails") << syncCommand << "update"
                                  << "qx5170_updateRelaysState" << int(VI_ERROR_TMO)
                                  << "qx5170_updateRelaysState(d_vi)" + timeout
                                  << "update: Timeout expired before operation completed."
                                  << "qx5170_updateRelaysState(VI) = STATUS; " + reported
            + "; synchronizedChanged(true)";
    QTest::newRow("trigger fails")
        << syncTrigger << "trigger"
        << "qx5170_pulseSynchTrigger" << int(VI_ERROR_TMO)
        << "qx5170_pulseSynchTrigger (d_vi)" + timeout
        << "trigger: Timeout expired before operation completed."
        << "qx5170_pulseSynchTrigger(VI) = STATUS; " + reported + "; synchronizedChanged(true)";
    QTest::newRow("mode fails")
        << async << "Sync. Trigger"
        << "qx5170_setSwitchingMode" << int(VI_ERROR_TMO)
        << "qx5170_setSwitchingMode(d_vi, indx+1, qx5170_ITRIG_NONE)" + timeout
        << "switching mode 3: Timeout expired before operation completed."
        << "modeChanged(Sync. Trigger); qx5170_setSwitchingMode(VI, 3, 0) = STATUS; " + reported;
}

void tst_CardSession::reports()
{
    QFETCH(int, mode);
    QFETCH(QString, action);
    QFETCH(QString, faulted);
    QFETCH(int, status);
    QFETCH(QString, text);
    QFETCH(QString, brief);
    QFETCH(QString, events);

    prepare({}, mode);
    // Something waits in a synchronous mode: the lamp is off before.
    if (mode != async)
        m_session->setRelay(20, true);
    Recorder recorder(m_session.get());
    RecordingReporter reporter(m_session.get(), &recorder);
    m_session->setReporter(&reporter);
    sfpsim::injectFault(faulted.toStdString(), status);

    const bool switches = action.startsWith(QLatin1String("close "));
    const int relay = switches ? QStringView(action).mid(6).toInt() : 0;
    if (switches)
        m_session->setRelay(relay, true);
    else if (action == QLatin1String("update"))
        m_session->update();
    else if (action == QLatin1String("trigger"))
        m_session->trigger();
    else
        m_session->selectMode(SwitchingMode::SyncTrigger);

    // One report, made while the operation still held the card; the test
    // going on shows that nothing ended the process.
    QCOMPARE(reporter.statuses, QList<ViStatus>({status}));
    QCOMPARE(reporter.texts, QStringList({text}));
    QCOMPARE(reporter.briefs, QStringList({brief}));
    QCOMPARE(reporter.busyWhenReported, QList<bool>({true}));
    QVERIFY(!m_session->isBusy());
    QCOMPARE(recorder.events(), expected(events, m_vi, status));
    // Nothing is rolled back: the command counts, whatever the driver said.
    if (switches)
        QCOMPARE(relaysSet(m_session->state().closed), QList<int>({relay}));
    // An update or a trigger was given, whatever the driver said of it.
    QVERIFY(m_session->isSynchronized());
    if (action == QLatin1String("Sync. Trigger"))
        QCOMPARE(m_session->mode(), SwitchingMode::SyncTrigger);
}

void tst_CardSession::statusWithoutReporter()
{
    QCOMPARE(m_session->reporter(), nullptr);
    sfpsim::injectFault("qx5170_switchRelay", qx5170_ERROR_NO_CARD);
    QTest::ignoreMessage(QtWarningMsg,
                         "qx5170_switchRelay(m_vi, m_pairNo*2+1, relayAbtn->isChecked()) failed "
                         "due to [No relay card answers at the addressed position.]");
    m_session->setRelay(1, true);
    sfpsim::injectFault("qx5170_switchRelay", VI_WARN_NSUP_RESET);
    QTest::ignoreMessage(QtWarningMsg, "Warning: [Reset not supported.]");
    m_session->setRelay(2, true);
    QCOMPARE(relaysSet(m_session->state().closed), QList<int>({1, 2}));
    QVERIFY(!m_session->isBusy());
}

void tst_CardSession::statusInTheOperatorsLanguage()
{
    const sfptest::TestCatalogue german(
        {{"DriverStatusText", "%1 failed due to [%2]", QStringLiteral("%1 scheiterte: [%2]")},
         {"DriverStatusText", "Warning: [%1]", QStringLiteral("Warnung: [%1]")}});
    RecordingReporter reporter(m_session.get());
    m_session->setReporter(&reporter);
    sfpsim::injectFault("qx5170_switchRelay", VI_WARN_NSUP_RESET);
    m_session->setRelay(2, true);
    // The operator's report is translated; a script's brief is not.
    QCOMPARE(reporter.texts, QStringList({QStringLiteral("Warnung: [Reset not supported.]")}));
    QCOMPARE(reporter.briefs, QStringList({QStringLiteral("channel 2: Reset not supported.")}));

    // Without anyone to show it, the report goes to the log, in English.
    m_session->setReporter(nullptr);
    sfpsim::injectFault("qx5170_switchRelay", qx5170_ERROR_NO_CARD);
    QTest::ignoreMessage(QtWarningMsg,
                         "qx5170_switchRelay(m_vi, m_pairNo*2+1, relayAbtn->isChecked()) failed "
                         "due to [No relay card answers at the addressed position.]");
    m_session->setRelay(1, true);
}

void tst_CardSession::demoCallsNoDriver()
{
    CardSession demo(VI_NULL, true);
    QCOMPARE(demo.vi(), ViSession(VI_NULL));
    QVERIFY(demo.isDemo());
    // A driver call made all the same would fail and be reported.
    RecordingReporter reporter(&demo);
    demo.setReporter(&reporter);
    for (const char *call : {"qx5170_switchRelay", "qx5170_setSwitchingMode",
                             "qx5170_updateRelaysState", "qx5170_pulseSynchTrigger"})
        sfpsim::injectFault(call, VI_ERROR_TMO, -1);

    Recorder recorder(&demo, {});
    demo.setRelay(6, true);
    demo.setExclusive(true);
    demo.setRelay(5, true);
    QCOMPARE(recorder.events(),
             expected("relayChanged(6, true); relaySwitched(6); exclusiveChanged(true); "
                      "relayChanged(5, true); relaySwitched(5); relayChanged(6, false); "
                      "relaySwitched(6); relaySwitched(5)",
                      VI_NULL));

    demo.selectMode(SwitchingMode::SyncCommand);
    demo.setRelay(7, true);
    QVERIFY(!demo.isSynchronized());
    demo.update();
    QVERIFY(demo.isSynchronized());
    demo.selectMode(SwitchingMode::SyncTrigger);
    demo.setRelay(8, true);
    QVERIFY(!demo.isSynchronized());
    demo.trigger();
    QVERIFY(demo.isSynchronized());
    QCOMPARE(relaysSet(demo.state().closed), QList<int>({5, 8}));
    demo.selectMode(SwitchingMode::Asynchronous);

    const CardState saved = makeState({1, 32}, SwitchingMode::SyncCommand, false);
    QVERIFY(demo.restore(saved).isNone());
    QCOMPARE(demo.state(), saved);
    demo.reset();
    QCOMPARE(demo.state(), CardState());

    QCOMPARE(sfptest::trace(), QStringList());
    QCOMPARE(reporter.statuses, QList<ViStatus>());
}

void tst_CardSession::stateFollowsTheSession()
{
    QCOMPARE(m_session->state(), CardState());
    m_session->setRelay(2, true);
    m_session->setRelay(17, true);
    m_session->setExclusive(true);
    m_session->selectMode(SwitchingMode::SyncCommand);
    CardState expectedState;
    expectedState.closed[1] = true;
    expectedState.closed[16] = true;
    expectedState.mode = SwitchingMode::SyncCommand;
    expectedState.exclusive = true;
    QCOMPARE(m_session->state(), expectedState);
}

void tst_CardSession::restore_data()
{
    QTest::addColumn<CardState>("start");
    QTest::addColumn<CardState>("saved");
    QTest::addColumn<QString>("events");

    // No rule and no mode of the start may switch anything on the way.
    const QString toCommand = "modeChanged(Sync. Command); "
                              "qx5170_setSwitchingMode(VI, 2, 0) = 0; FC2 mode 2; ";
    QTest::newRow("to Sync. Trigger with the rule")
        << makeState({1, 4}, SwitchingMode::Asynchronous, false)
        << makeState({4, 7, 32}, SwitchingMode::SyncTrigger, true)
        << toCommand
            + "relayChanged(1, false); qx5170_switchRelay(VI, 1, 0) = 0; "
              "synchronizedChanged(false); relaySwitched(1); "
              "relayChanged(7, true); qx5170_switchRelay(VI, 7, 1) = 0; "
              "synchronizedChanged(false); relaySwitched(7); "
              "relayChanged(32, true); qx5170_switchRelay(VI, 32, 1) = 0; "
              "synchronizedChanged(false); relaySwitched(32); "
              "qx5170_updateRelaysState(VI) = 0; "
              "FC2 relay 1 off; FC2 relay 7 on; FC2 relay 32 on; synchronizedChanged(true); "
              "modeChanged(Sync. Trigger); qx5170_setSwitchingMode(VI, 3, 0) = 0; FC2 mode 3; "
              "exclusiveChanged(true)";
    // Relay 6 closes while its partner 5 opens: under the rule of the start
    // the opening is applied first, at an update of its own.
    QTest::newRow("to Asynchronous from the rule")
        << makeState({2, 5}, SwitchingMode::SyncTrigger, true)
        << makeState({1, 2, 6}, SwitchingMode::Asynchronous, false)
        << "exclusiveChanged(false); " + toCommand
            + "relayChanged(5, false); qx5170_switchRelay(VI, 5, 0) = 0; "
              "synchronizedChanged(false); relaySwitched(5); "
              "qx5170_updateRelaysState(VI) = 0; FC2 relay 5 off; synchronizedChanged(true); "
              "relayChanged(1, true); qx5170_switchRelay(VI, 1, 1) = 0; "
              "synchronizedChanged(false); relaySwitched(1); "
              "relayChanged(6, true); qx5170_switchRelay(VI, 6, 1) = 0; "
              "synchronizedChanged(false); relaySwitched(6); "
              "qx5170_updateRelaysState(VI) = 0; "
              "FC2 relay 1 on; FC2 relay 6 on; synchronizedChanged(true); "
              "modeChanged(Asynchronous); qx5170_setSwitchingMode(VI, 1, 0) = 0; FC2 mode 1";
    // The same swap without any rule: all at one update.
    QTest::newRow("a swap without the rule") << makeState({5}, SwitchingMode::Asynchronous, false)
                                             << makeState({6}, SwitchingMode::SyncCommand, false)
                                             << toCommand
            + "relayChanged(5, false); qx5170_switchRelay(VI, 5, 0) = 0; "
              "synchronizedChanged(false); relaySwitched(5); "
              "relayChanged(6, true); qx5170_switchRelay(VI, 6, 1) = 0; "
              "synchronizedChanged(false); relaySwitched(6); "
              "qx5170_updateRelaysState(VI) = 0; "
              "FC2 relay 5 off; FC2 relay 6 on; synchronizedChanged(true)";
    // Under the rule of the state: relay 3 closes while 4 opens.
    QTest::newRow("a swap into the rule") << makeState({4, 9}, SwitchingMode::Asynchronous, false)
                                          << makeState({3, 9}, SwitchingMode::SyncCommand, true)
                                          << toCommand
            + "relayChanged(4, false); qx5170_switchRelay(VI, 4, 0) = 0; "
              "synchronizedChanged(false); relaySwitched(4); "
              "qx5170_updateRelaysState(VI) = 0; FC2 relay 4 off; synchronizedChanged(true); "
              "relayChanged(3, true); qx5170_switchRelay(VI, 3, 1) = 0; "
              "synchronizedChanged(false); relaySwitched(3); "
              "qx5170_updateRelaysState(VI) = 0; FC2 relay 3 on; synchronizedChanged(true); "
              "exclusiveChanged(true)";
    // The last pair, under the rule of the start: relay 31 closes while 32
    // opens.
    QTest::newRow("a swap in the last pair") << makeState({32}, SwitchingMode::Asynchronous, true)
                                             << makeState({31}, SwitchingMode::SyncCommand, true)
                                             << "exclusiveChanged(false); " + toCommand
            + "relayChanged(32, false); qx5170_switchRelay(VI, 32, 0) = 0; "
              "synchronizedChanged(false); relaySwitched(32); "
              "qx5170_updateRelaysState(VI) = 0; FC2 relay 32 off; synchronizedChanged(true); "
              "relayChanged(31, true); qx5170_switchRelay(VI, 31, 1) = 0; "
              "synchronizedChanged(false); relaySwitched(31); "
              "qx5170_updateRelaysState(VI) = 0; FC2 relay 31 on; synchronizedChanged(true); "
              "exclusiveChanged(true)";
    QTest::newRow("to Sync. Command")
        << CardState() << makeState({16}, SwitchingMode::SyncCommand, false)
        << toCommand
            + "relayChanged(16, true); qx5170_switchRelay(VI, 16, 1) = 0; "
              "synchronizedChanged(false); relaySwitched(16); "
              "qx5170_updateRelaysState(VI) = 0; FC2 relay 16 on; synchronizedChanged(true)";
}

void tst_CardSession::restore()
{
    QFETCH(CardState, start);
    QFETCH(CardState, saved);
    QFETCH(QString, events);

    prepare(relaysSet(start.closed), int(start.mode), start.exclusive);
    Recorder recorder(m_session.get(), {QStringLiteral("qx5170_"), QStringLiteral("card ")});
    QVERIFY(m_session->restore(saved).isNone());
    QCOMPARE(recorder.events(), expected(events, m_vi));
    QCOMPARE(m_session->state(), saved);
    QCOMPARE(relaysSet(card().applied), relaysSet(saved.closed));
    QVERIFY(m_session->isSynchronized());
}

void tst_CardSession::restoreRefusesABrokenRule()
{
    prepare({1});
    const CardState before = m_session->state();
    Recorder recorder(m_session.get(), {});
    const QList<QList<int>> brokenPairs {{1, 2}, {9, 10}, {31, 32}};
    for (const QList<int> &pair : brokenPairs)
        QVERIFY(!m_session->restore(makeState(pair, SwitchingMode::SyncTrigger, true)).isNone());
    QCOMPARE(recorder.events(), QStringList());
    QCOMPARE(m_session->state(), before);
    // Without the rule both relays of a pair may be closed.
    QVERIFY(m_session->restore(makeState({9, 10}, SwitchingMode::Asynchronous, false)).isNone());
    QCOMPARE(relaysSet(m_session->state().closed), QList<int>({9, 10}));
}

void tst_CardSession::fixtureRules_data()
{
    QTest::addColumn<int>("mode");
    QTest::addColumn<bool>("exclusive");
    QTest::addColumn<QString>("rules");
    QTest::addColumn<QList<int>>("applied");
    // Switched after the mode was set: in a synchronous mode they wait.
    QTest::addColumn<QList<int>>("waitingClosed");
    QTest::addColumn<QList<int>>("waitingOpen");
    QTest::addColumn<int>("relay");
    QTest::addColumn<QString>("events");
    QTest::addColumn<QList<int>>("closedAfter");

    const QString psuGnd = "mutual PSU/GND 3 7";
    const QString refused37 = "changeRefused(7, \"PSU/GND\" allows one of relays 3, 7)";
    for (const int mode : {async, syncCommand, syncTrigger}) {
        const QByteArray name = modeNames[mode];
        QTest::newRow(name + ": 7 while 3 is closed")
            << mode << false << psuGnd << QList<int> {3} << QList<int>() << QList<int>() << 7
            << refused37 << QList<int> {3};
        QTest::newRow(name + ": forbidden 31")
            << mode << false << "mutual PSU/GND 3 7; forbidden HV 30 31" << QList<int> {3}
            << QList<int>() << QList<int>() << 31
            << "changeRefused(31, \"HV\" forbids relays 30, 31)" << QList<int> {3};
        QTest::newRow(name + ": 7 while 3 is closed, rule on")
            << mode << true << psuGnd << QList<int> {3} << QList<int>() << QList<int>() << 7
            << refused37 << QList<int> {3};
        // Closing 3 would open 4 under the exclusive rule: neither moves.
        QTest::newRow(name + ": 3 opening its partner, 7 closed")
            << mode << true << psuGnd << QList<int> {4, 7} << QList<int>() << QList<int>() << 3
            << "changeRefused(3, \"PSU/GND\" allows one of relays 3, 7)" << QList<int> {4, 7};
        QTest::newRow(name + ": 9, no rule concerned")
            << mode << false << psuGnd << QList<int> {3} << QList<int>() << QList<int>() << 9
            << "relayChanged(9, true); qx5170_switchRelay(VI, 9, 1) = 0; "
                + QString(mode == async ? "" : "synchronizedChanged(false); ") + "relaySwitched(9)"
            << QList<int> {3, 9};
    }
    // The exclusive rule opens 3 as 4 closes, and opens it first: the card
    // never holds 3 and 4, not even between two driver calls.
    QTest::newRow("the exclusive rule makes room")
        << async << true << "mutual P 3 4" << QList<int> {3} << QList<int>() << QList<int>() << 4
        << "relayChanged(3, false); qx5170_switchRelay(VI, 3, 0) = 0; relaySwitched(3); "
           "relayChanged(4, true); qx5170_switchRelay(VI, 4, 1) = 0; relaySwitched(4)"
        << QList<int> {4};
    QTest::newRow("the exclusive rule, a rule elsewhere")
        << async << true << "mutual P 3 7" << QList<int> {3} << QList<int>() << QList<int>() << 4
        << "relayChanged(4, true); qx5170_switchRelay(VI, 4, 1) = 0; relaySwitched(4); "
           "relayChanged(3, false); qx5170_switchRelay(VI, 3, 0) = 0; relaySwitched(3); "
           "relaySwitched(4)"
        << QList<int> {4};
    // In a synchronous mode the card as the next update leaves it counts.
    QTest::newRow("Sync. Command: 3 waits to close")
        << syncCommand << false << psuGnd << QList<int>() << QList<int> {3} << QList<int>() << 7
        << refused37 << QList<int> {3};
    QTest::newRow("Sync. Trigger: 3 waits to open")
        << syncTrigger << false << psuGnd << QList<int> {3} << QList<int>() << QList<int> {3} << 7
        << "relayChanged(7, true); qx5170_switchRelay(VI, 7, 1) = 0; "
           "synchronizedChanged(false); relaySwitched(7)"
        << QList<int> {7};
}

void tst_CardSession::fixtureRules()
{
    QFETCH(int, mode);
    QFETCH(bool, exclusive);
    QFETCH(QString, rules);
    QFETCH(QList<int>, applied);
    QFETCH(QList<int>, waitingClosed);
    QFETCH(QList<int>, waitingOpen);
    QFETCH(int, relay);
    QFETCH(QString, events);
    QFETCH(QList<int>, closedAfter);

    prepare(applied, mode, exclusive);
    m_session->setRules(makeRules(rules));
    for (const int waiting : waitingClosed)
        m_session->setRelay(waiting, true);
    for (const int waiting : waitingOpen)
        m_session->setRelay(waiting, false);
    const std::array<bool, 32> cardBefore = card().applied;
    sfptest::clearTrace();
    Recorder recorder(m_session.get());
    m_session->setRelay(relay, true);
    QCOMPARE(recorder.events(), expected(events, m_vi));
    QCOMPARE(relaysSet(m_session->state().closed), closedAfter);
    QCOMPARE(relaysSet(card().commanded), closedAfter);
    // A refusal reaches neither the driver nor the card: what was applied
    // stays applied.
    if (events.startsWith(QLatin1String("changeRefused")))
        QCOMPARE(relaysSet(card().applied), relaysSet(cardBefore));
    QVERIFY(!m_session->isBusy());
}

void tst_CardSession::fixtureRulesForWholeStates()
{
    m_session->setRules(makeRules("mutual PSU/GND 3 7; forbidden HV 31"));
    prepare({7});
    QVERIFY(!m_session->mayClose(3));
    QVERIFY(!m_session->mayClose(31));
    QVERIFY(m_session->mayClose(7));
    QVERIFY(m_session->mayClose(8));
    QVERIFY(!m_session->mayClose(0));
    QVERIFY(!m_session->mayClose(33));
    QCOMPARE(relaysSet(m_session->closedAfter({3, 5})), QList<int>({3, 5, 7}));
    QCOMPARE(relaysSet(m_session->closedAfter({3, 5}, true)), QList<int>({3, 5}));
    QCOMPARE(m_session->refusal(m_session->closedAfter({3})),
             QString("\"PSU/GND\" allows one of relays 3, 7"));
    QCOMPARE(m_session->refusal(m_session->closedAfter({3}, true)), QString());

    // A state is checked whole: 7 opens and 3 closes at one update, though
    // 3 is set first.
    Recorder recorder(m_session.get(), {});
    QVERIFY(m_session->restore(makeState({3}, SwitchingMode::Asynchronous, false)).isNone());
    QCOMPARE(relaysSet(m_session->state().closed), QList<int>({3}));
    QCOMPARE(relaysSet(card().applied), QList<int>({3}));
    QVERIFY(!recorder.events().join(' ').contains(QLatin1String("changeRefused")));

    // A state that breaks a rule is refused before anything moves.
    sfptest::clearTrace();
    const CardState before = m_session->state();
    Recorder refusals(m_session.get());
    QVERIFY(!m_session->restore(makeState({3, 7}, SwitchingMode::SyncCommand, false)).isNone());
    QVERIFY(!m_session->restore(makeState({31}, SwitchingMode::Asynchronous, false)).isNone());
    QCOMPARE(refusals.events(), QStringList());
    QCOMPARE(m_session->state(), before);

    // Under the exclusive rule a partner's opening makes room in a mutual
    // set of the pair.
    m_session->setRules(makeRules("mutual P 3 4"));
    m_session->setExclusive(true);
    QVERIFY(m_session->mayClose(4));
    m_session->setExclusive(false);
    QVERIFY(!m_session->mayClose(4));
}

void tst_CardSession::wholeChanges_data()
{
    QTest::addColumn<QString>("rules");
    QTest::addColumn<int>("mode");
    QTest::addColumn<bool>("exclusive");
    QTest::addColumn<QList<int>>("closedBefore");
    QTest::addColumn<QString>("change");
    QTest::addColumn<QList<int>>("relays");
    QTest::addColumn<QString>("refusal"); // "kind: reason", empty when done
    QTest::addColumn<QString>("calls");
    QTest::addColumn<QList<int>>("closedAfter");

    const QString none;
    QTest::newRow("both relays of a pair under the rule")
        << none << async << true << QList<int>() << "close" << QList<int>({1, 3, 4})
        << "rule: both relays of pair 2 under the exclusive rule" << none << QList<int>();
    QTest::newRow("the partner opens before the relay closes")
        << none << async << true << QList<int>({4}) << "close" << QList<int>({3}) << none
        << "qx5170_switchRelay(VI, 4, 0) = 0; qx5170_switchRelay(VI, 3, 1) = 0" << QList<int>({3});
    QTest::newRow("a fixture's rule refuses the whole list")
        << "mutual PSU/GND 3 7" << async << false << QList<int>({7}) << "close"
        << QList<int>({5, 3}) << "rule: \"PSU/GND\" allows one of relays 3, 7" << none
        << QList<int>({7});
    QTest::newRow("with a fixture's rules every opening comes first")
        << "mutual PSU/GND 3 7" << async << false << QList<int>({7, 9}) << "close exclusive"
        << QList<int>({3, 9}) << none
        << "qx5170_switchRelay(VI, 7, 0) = 0; qx5170_switchRelay(VI, 3, 1) = 0"
        << QList<int>({3, 9});
    QTest::newRow("what opens is judged with what closes")
        << "mutual PSU/GND 3 7" << async << false << QList<int>({5, 7}) << "open 5, close"
        << QList<int>({3}) << "rule: \"PSU/GND\" allows one of relays 3, 7" << none
        << QList<int>({5, 7});
    QTest::newRow("what opens goes first, in the same change")
        << "mutual PSU/GND 3 7" << async << false << QList<int>({7}) << "open 7, close"
        << QList<int>({3}) << none
        << "qx5170_switchRelay(VI, 7, 0) = 0; qx5170_switchRelay(VI, 3, 1) = 0" << QList<int>({3});
    QTest::newRow("numbers that are no relay are passed over")
        << none << async << false << QList<int>({1, 2}) << "open" << QList<int>({0, 2, 33}) << none
        << "qx5170_switchRelay(VI, 2, 0) = 0" << QList<int>({1});
    QTest::newRow("open all") << none << async << false << QList<int>({1, 32}) << "open all"
                              << QList<int>() << none
                              << "qx5170_switchRelay(VI, 1, 0) = 0; "
                                 "qx5170_switchRelay(VI, 32, 0) = 0"
                              << QList<int>();
    QTest::newRow("an update outside Sync. Command")
        << none << syncTrigger << false << QList<int>() << "update" << QList<int>()
        << "rule: an update is taken in Sync. Command mode only" << none << QList<int>();
    QTest::newRow("an update in Sync. Command")
        << none << syncCommand << false << QList<int>() << "update" << QList<int>() << none
        << "qx5170_updateRelaysState(VI) = 0" << QList<int>();
    QTest::newRow("a trigger outside Sync. Trigger")
        << none << syncCommand << false << QList<int>() << "trigger" << QList<int>()
        << "rule: a trigger is taken in Sync. Trigger mode only" << none << QList<int>();
    QTest::newRow("a trigger in Sync. Trigger")
        << none << syncTrigger << false << QList<int>() << "trigger" << QList<int>() << none
        << "qx5170_pulseSynchTrigger(VI) = 0" << QList<int>();
}

void tst_CardSession::wholeChanges()
{
    QFETCH(QString, rules);
    QFETCH(int, mode);
    QFETCH(bool, exclusive);
    QFETCH(QList<int>, closedBefore);
    QFETCH(QString, change);
    QFETCH(QList<int>, relays);
    QFETCH(QString, refusal);
    QFETCH(QString, calls);
    QFETCH(QList<int>, closedAfter);

    m_session->setRules(makeRules(rules));
    prepare(closedBefore, mode, exclusive);
    sfp::Refusal answer;
    if (change == QLatin1String("close"))
        answer = m_session->closeRelays(relays);
    else if (change == QLatin1String("close exclusive"))
        answer = m_session->closeRelays(relays, true);
    else if (change.startsWith(QLatin1String("open ")) && change.endsWith(QLatin1String(", close")))
        answer = m_session->closeRelays(relays, false,
                                        {QStringView(change).mid(5, change.size() - 12).toInt()});
    else if (change == QLatin1String("open"))
        answer = m_session->openRelays(relays);
    else if (change == QLatin1String("open all"))
        answer = m_session->openAllRelays();
    else if (change == QLatin1String("update"))
        answer = m_session->requestUpdate();
    else
        answer = m_session->requestTrigger();

    const QStringList kinds
        = {QString(), QStringLiteral("request"), QStringLiteral("rule"), QStringLiteral("file")};
    QCOMPARE(answer.isNone() ? QString()
                             : kinds.at(int(answer.kind)) + QStringLiteral(": ") + answer.reason,
             refusal);
    // A refused change calls nothing.
    QCOMPARE(sfptest::trace({QStringLiteral("qx5170_")}),
             calls.isEmpty() ? QStringList() : expected(calls, m_vi));
    QCOMPARE(relaysSet(m_session->state().closed), closedAfter);
    QCOMPARE(relaysSet(card().commanded), closedAfter);
    QVERIFY(!m_session->isBusy());
}

void tst_CardSession::lockRefusesOthersOnly()
{
    m_session->setLockHolder(QStringLiteral("socket 127.0.0.1:40112"));
    const QString locked = QStringLiteral("another client holds the lock");
    {
        const CardSession::Source other(m_session.get(), QStringLiteral("socket 127.0.0.1:40114"));
        QCOMPARE(m_session->closeRelays({1}).reason, locked);
        QCOMPARE(m_session->openAllRelays().reason, locked);
        QCOMPARE(m_session->setLabels({1}, QStringLiteral("PSU")).reason, locked);
        QCOMPARE(m_session->defineSequence({QStringLiteral("a"), {{}}}).reason, locked);
        QCOMPARE(m_session->deleteSequence(QStringLiteral("a")).reason, locked);
        const CardSession::Source recalled(m_session.get(), QStringLiteral("*RCL 1"),
                                           QStringLiteral("socket 127.0.0.1:40114"));
        QCOMPARE(m_session->restore(makeState({2}, SwitchingMode::Asynchronous, false)).reason,
                 locked);
    }
    QCOMPARE(sfptest::trace({QStringLiteral("qx5170_")}), QStringList());
    {
        const CardSession::Source holder(m_session.get(), QStringLiteral("socket 127.0.0.1:40112"));
        QVERIFY(m_session->closeRelays({1}).isNone());
        const CardSession::Source recalled(m_session.get(), QStringLiteral("*RCL 1"),
                                           QStringLiteral("socket 127.0.0.1:40112"));
        QVERIFY(m_session->closeRelays({3}).isNone());
    }
    // The operator, also through a command of the window's, is never refused.
    QVERIFY(m_session->closeRelays({5}).isNone());
    {
        const CardSession::Source applied(m_session.get(), QStringLiteral("fixture state \"a\""),
                                          m_session->source());
        QVERIFY(m_session->closeRelays({7}).isNone());
    }
    m_session->setLockHolder(QString());
    const CardSession::Source other(m_session.get(), QStringLiteral("socket 127.0.0.1:40114"));
    QVERIFY(m_session->closeRelays({9}).isNone());
    QCOMPARE(relaysSet(card().commanded), QList<int>({1, 3, 5, 7, 9}));
}

void tst_CardSession::fixtureFileKept()
{
    // Without a fixture file's place nothing is kept, and nothing changes.
    QCOMPARE(m_session->setLabels({3}, QStringLiteral("PSU")).reason,
             QString("the panel has no fixture file"));
    QCOMPARE(m_session->label(3), QString());
    sfp::Refusal refusal = m_session->defineState(QStringLiteral("idle"), {});
    QCOMPARE(int(refusal.kind), int(sfp::Refusal::Kind::FileError));
    QCOMPARE(refusal.reason, QString("the panel has no fixture file"));
    QCOMPARE(m_session->stateNames(), QStringList());

    QTemporaryDir folder;
    QVERIFY(folder.isValid());
    const QString path = folder.filePath(QStringLiteral("DEMO.json"));
    QSignalSpy labels(m_session.get(), &CardSession::labelsChanged);
    QSignalSpy states(m_session.get(), &CardSession::statesChanged);
    m_session->setFixture(sfp::Fixture(), path, false);
    QVERIFY(!m_session->hasFixtureFile());
    QCOMPARE(m_session->setLabels({1, 3, 32, 40}, QStringLiteral("PSU")).reason, QString());
    QVERIFY(m_session->hasFixtureFile());
    QCOMPARE(m_session->label(1), QStringLiteral("PSU"));
    QCOMPARE(m_session->label(2), QString());
    QCOMPARE(m_session->label(3), QStringLiteral("PSU"));
    QCOMPARE(m_session->label(32), QStringLiteral("PSU"));
    QCOMPARE(m_session->label(0), QString());
    QCOMPARE(m_session->label(40), QString());
    // The same labels again: nothing to write, nothing to tell.
    QVERIFY(QFile::remove(path));
    QCOMPARE(m_session->setLabels({3}, QStringLiteral("PSU")).reason, QString());
    QVERIFY(!QFile::exists(path));
    QCOMPARE(labels.count(), 2);

    // A state of a name that is taken replaces it, in its place.
    prepare({1}, syncCommand, true);
    QVERIFY(m_session->defineState(QStringLiteral("a"), {1}).isNone());
    QVERIFY(m_session->defineState(QStringLiteral("b"), {}).isNone());
    QVERIFY(m_session->defineState(QStringLiteral("a"), {2, 5}).isNone());
    QCOMPARE(m_session->stateNames(), QStringList({"a", "b"}));
    QCOMPARE(relaysSet(m_session->fixture().states[0].state.closed), QList<int>({2, 5}));
    QCOMPARE(m_session->fixture().states[0].state.mode, SwitchingMode::SyncCommand);
    QCOMPARE(states.count(), 3);
    bool absent = true;
    QVERIFY(sfp::fixture::read(path, &absent).fixture.states == m_session->fixture().states);

    // A file that cannot be written: the labels and states stay as they
    // were.
    const QString blocked = folder.filePath(QStringLiteral("DEMO.json/x.json"));
    m_session->setFixture(m_session->fixture(), blocked, true);
    QCOMPARE(m_session->setLabels({3}, QStringLiteral("GND")).reason,
             QString("the fixture file cannot be written: its folder cannot be made"));
    QCOMPARE(m_session->label(3), QStringLiteral("PSU"));
    refusal = m_session->defineState(QStringLiteral("c"), {});
    QCOMPARE(int(refusal.kind), int(sfp::Refusal::Kind::FileError));
    QCOMPARE(refusal.reason,
             QString("the fixture file cannot be written: its folder cannot be made"));
    QCOMPARE(m_session->stateNames(), QStringList({"a", "b"}));
    // A long name leaves no room beside it for the copy.
    const QString longName = folder.filePath(QString(250, QLatin1Char('d')) + ".json");
    m_session->setFixture(m_session->fixture(), longName, true);
    QCOMPARE(m_session->setLabels({3}, QStringLiteral("GND")).reason,
             QString("the fixture file cannot be written: no copy can be made beside it: File "
                     "name too long"));
}

void tst_CardSession::reasonsInTheOperatorsLanguage()
{
    // The operator reads why in the operator's language; the switching log
    // and the remote clients (SCPI errors, which take the reason) read
    // English whatever the operator's language.
    const auto said = [](const sfp::Refusal &refusal) {
        return refusal.reason + '|' + refusal.operatorReason();
    };
    {
        const sfptest::TestCatalogue german({
            {"Fixture", "\"%1\" allows one of relays %2",
             QStringLiteral("„%1“ erlaubt nur eines der Relais %2")},
            {"Fixture", "\"%1\" forbids relay %2", QStringLiteral("„%1“ verbietet Relais %2")},
            {"Fixture", "%1 has 1 to %2 characters, not %3",
             QStringLiteral("%1 hat 1 bis %2 Zeichen, nicht %3")},
            {"CardSession", "a label", QStringLiteral("eine Bezeichnung")},
            {"CardSession", "no state is named \"%1\"", QStringLiteral("kein Zustand heißt „%1“")},
            {"CardSession", "the panel has no fixture file",
             QStringLiteral("das Panel hat keine Fixture-Datei")},
        });
        sfp::SwitchingLog log;
        m_session->setLog(&log, "VXI0::1::INSTR/FC2");
        m_session->setRules(makeRules("mutual PSU/GND 3 7; forbidden HV 31"));
        QStringList refused;
        QStringList *const heard = &refused;
        QObject::connect(m_session.get(), &CardSession::changeRefused, m_session.get(),
                         [heard](int relay, const QString &reason, const QString &local) {
                             *heard << QStringLiteral("%1|%2|%3").arg(relay).arg(reason, local);
                         });
        m_session->setRelay(7, true);
        m_session->setRelay(3, true);
        m_session->setRelay(31, true);
        QCOMPARE(refused,
                 QStringList({"3|\"PSU/GND\" allows one of relays 3, 7|„PSU/GND“ erlaubt "
                              "nur eines der Relais 3, 7",
                              "31|\"HV\" forbids relay 31|„HV“ verbietet Relais 31"}));
        QCOMPARE(log.recent().back().reason, QStringLiteral("\"HV\" forbids relay 31"));
        QCOMPARE(log.recent()[log.recent().size() - 2].reason,
                 QStringLiteral("\"PSU/GND\" allows one of relays 3, 7"));

        QCOMPARE(said(m_session->recallState(QStringLiteral("idle"))),
                 QString("no state is named \"idle\"|kein Zustand heißt „idle“"));
        QCOMPARE(said(m_session->setLabels({3}, QString(31, QLatin1Char('x')))),
                 QString("a label has 1 to 30 characters, not 31|eine Bezeichnung hat 1 bis 30 "
                         "Zeichen, nicht 31"));
        QCOMPARE(said(m_session->defineState(QStringLiteral("idle"), {})),
                 QString("the panel has no fixture file|das Panel hat keine Fixture-Datei"));
        QCOMPARE(said(m_session->defineState(QStringLiteral("both"), {3, 7})),
                 QString("\"PSU/GND\" allows one of relays 3, 7|„PSU/GND“ erlaubt nur eines der "
                         "Relais 3, 7"));
        // A text the catalogue lacks is said in English on both sides.
        QCOMPARE(said(m_session->restore(makeState({1, 2}, SwitchingMode::Asynchronous, true))),
                 QString("both relays of a pair are closed under the exclusive rule|both relays of "
                         "a pair are closed under the exclusive rule"));
    }
    // Without the catalogue, English on both sides.
    QCOMPARE(said(m_session->recallState(QStringLiteral("idle"))),
             QString("no state is named \"idle\"|no state is named \"idle\""));
}

void tst_CardSession::fixtureFileKeptReadable()
{
    // A fixture file just under the size the program reads: a state or a
    // label that would take it over is refused, naming the limit, and the
    // file stays one the next start reads.
    QTemporaryDir folder;
    QVERIFY(folder.isValid());
    const QString path = folder.filePath(QStringLiteral("DEMO.json"));
    QVERIFY(sfptest::writeFile(path, "{\"note\": \"" + QByteArray(1048500, 'x') + "\"}"));
    const QByteArray before = sfptest::fileContents(path);
    m_session->setFixture(sfp::Fixture(), path, true);
    QSignalSpy states(m_session.get(), &CardSession::statesChanged);
    const sfp::Refusal refusal = m_session->defineState(QStringLiteral("idle"), {1, 2});
    QCOMPARE(int(refusal.kind), int(sfp::Refusal::Kind::FileError));
    QCOMPARE(refusal.reason,
             QString("the fixture file cannot be written: the new file would have 1048673 bytes, "
                     "more than the 1024 KiB a fixture file may have"));
    QCOMPARE(m_session->stateNames(), QStringList());
    QCOMPARE(states.count(), 0);
    QCOMPARE(m_session->setLabels({1, 2, 3, 4}, QString(30, QLatin1Char('L'))).reason,
             QString("the fixture file cannot be written: the new file would have 1048707 bytes, "
                     "more than the 1024 KiB a fixture file may have"));
    QCOMPARE(m_session->label(1), QString());
    QCOMPARE(sfptest::fileContents(path), before);
    bool absent = true;
    QCOMPARE(sfp::fixture::read(path, &absent).error, QString());
}

void tst_CardSession::sequencesKept()
{
    using Kind = sfp::SequenceStep::Kind;
    using sfp::Refusal;
    const sfp::FixtureSequence warmUp {QStringLiteral("warm-up"),
                                       {{Kind::Close, {2, 1}, 0}, {Kind::Wait, {}, 250}}};
    // Without a fixture file's place nothing is kept.
    Refusal refusal = m_session->defineSequence(warmUp);
    QCOMPARE(int(refusal.kind), int(Refusal::Kind::FileError));
    QCOMPARE(refusal.reason, QString("the panel has no fixture file"));
    QCOMPARE(m_session->sequenceNames(), QStringList());
    QVERIFY(m_session->sequence(QStringLiteral("warm-up")) == nullptr);

    QTemporaryDir folder;
    QVERIFY(folder.isValid());
    const QString path = folder.filePath(QStringLiteral("DEMO.json"));
    m_session->setFixture(sfp::Fixture(), path, false);
    QSignalSpy changed(m_session.get(), &CardSession::sequencesChanged);
    QVERIFY(m_session->defineSequence(warmUp).isNone());
    QVERIFY(m_session->hasFixtureFile());
    QVERIFY(
        m_session->defineSequence({QStringLiteral("cool-down"), {{Kind::Update, {}, 0}}}).isNone());
    // One of a name that is taken replaces it, in its place.
    const sfp::FixtureSequence replaced {QStringLiteral("warm-up"),
                                         {{Kind::CloseExclusive, {5}, 0}}};
    QVERIFY(m_session->defineSequence(replaced).isNone());
    QCOMPARE(m_session->sequenceNames(), QStringList({"warm-up", "cool-down"}));
    QVERIFY(*m_session->sequence(QStringLiteral("warm-up")) == replaced);
    QCOMPARE(changed.count(), 3);
    bool absent = true;
    QVERIFY(sfp::fixture::read(path, &absent).fixture.sequences == m_session->fixture().sequences);

    // What cannot be kept is refused before the file is touched.
    const QByteArray before = sfptest::fileContents(path);
    const QList<std::pair<sfp::FixtureSequence, QString>> refused = {
        {{QString(31, QLatin1Char('s')), {{Kind::Update, {}, 0}}},
         "a sequence's name has 1 to 30 characters, not 31"},
        {{QStringLiteral("cool-down"), {}}, "a sequence has 1 to 1000 steps, not 0"},
        {{QStringLiteral("long"), QList<sfp::SequenceStep>(1001, {Kind::Update, {}, 0})},
         "a sequence has 1 to 1000 steps, not 1001"},
        {{QStringLiteral("far"), {{Kind::Wait, {}, 1}, {Kind::Open, {33}, 0}}},
         "step 2 names relay 33; the card has relays 1 to 32"},
    };
    for (const auto &[sequence, reason] : refused) {
        refusal = m_session->defineSequence(sequence);
        QCOMPARE(int(refusal.kind), int(Refusal::Kind::BadRequest));
        QCOMPARE(refusal.reason, reason);
    }
    refusal = m_session->deleteSequence(QStringLiteral("Warm-up"));
    QCOMPARE(int(refusal.kind), int(Refusal::Kind::BadRequest));
    QCOMPARE(refusal.reason, QString("no sequence \"Warm-up\""));
    QCOMPARE(sfptest::fileContents(path), before);
    QCOMPARE(m_session->sequenceNames(), QStringList({"warm-up", "cool-down"}));
    QCOMPARE(changed.count(), 3);

    QVERIFY(m_session->deleteSequence(QStringLiteral("warm-up")).isNone());
    QCOMPARE(m_session->sequenceNames(), QStringList({"cool-down"}));
    QVERIFY(m_session->sequence(QStringLiteral("warm-up")) == nullptr);
    QCOMPARE(sfp::fixture::read(path, &absent).fixture.sequences.size(), 1);
    QCOMPARE(changed.count(), 4);

    // A file that cannot be written: the sequences stay as they were.
    m_session->setFixture(m_session->fixture(), folder.filePath(QStringLiteral("DEMO.json/x.json")),
                          true);
    QCOMPARE(changed.count(), 5);
    for (const Refusal &blocked : {m_session->defineSequence(warmUp),
                                   m_session->deleteSequence(QStringLiteral("cool-down"))}) {
        QCOMPARE(int(blocked.kind), int(Refusal::Kind::FileError));
        QCOMPARE(blocked.reason,
                 QString("the fixture file cannot be written: its folder cannot be made"));
    }
    QCOMPARE(m_session->sequenceNames(), QStringList({"cool-down"}));
    QCOMPARE(changed.count(), 5);
}

void tst_CardSession::reset_data()
{
    QTest::addColumn<int>("mode");
    QTest::addColumn<QString>("events");

    // Relays 2, 3 and 30 closed and applied under the rule; relay 17 only
    // waits to close. It never closes: every relay is set open in the
    // synchronous mode and applied so, and only then do the rule and the
    // mode change.
    const QString opened = "relayChanged(2, false); qx5170_switchRelay(VI, 2, 0) = 0; "
                           "synchronizedChanged(false); relaySwitched(2); "
                           "relayChanged(3, false); qx5170_switchRelay(VI, 3, 0) = 0; "
                           "synchronizedChanged(false); relaySwitched(3); "
                           "relayChanged(17, false); qx5170_switchRelay(VI, 17, 0) = 0; "
                           "synchronizedChanged(false); relaySwitched(17); "
                           "relayChanged(30, false); qx5170_switchRelay(VI, 30, 0) = 0; "
                           "synchronizedChanged(false); relaySwitched(30); ";
    const QString applied = "FC2 relay 2 off; FC2 relay 3 off; FC2 relay 17 off; "
                            "FC2 relay 30 off; synchronizedChanged(true); ";
    const QString toAsynchronous = "exclusiveChanged(false); modeChanged(Asynchronous); "
                                   "qx5170_setSwitchingMode(VI, 1, 0) = 0; FC2 mode 1";
    QTest::newRow("Sync. Trigger")
        << syncTrigger << opened + "qx5170_pulseSynchTrigger(VI) = 0; " + applied + toAsynchronous;
    QTest::newRow("Sync. Command")
        << syncCommand << opened + "qx5170_updateRelaysState(VI) = 0; " + applied + toAsynchronous;
    // Nothing waits in Asynchronous mode: the rule and the mode first, as
    // ever, then each closed relay opened.
    QTest::newRow("Asynchronous")
        << async
        << "exclusiveChanged(false); modeChanged(Asynchronous); "
           "qx5170_setSwitchingMode(VI, 1, 0) = 0; FC2 mode 1; "
           "relayChanged(2, false); qx5170_switchRelay(VI, 2, 0) = 0; FC2 relay 2 off; "
           "relaySwitched(2); "
           "relayChanged(3, false); qx5170_switchRelay(VI, 3, 0) = 0; FC2 relay 3 off; "
           "relaySwitched(3); "
           "relayChanged(17, false); qx5170_switchRelay(VI, 17, 0) = 0; FC2 relay 17 off; "
           "relaySwitched(17); "
           "relayChanged(30, false); qx5170_switchRelay(VI, 30, 0) = 0; FC2 relay 30 off; "
           "relaySwitched(30)";
}

void tst_CardSession::reset()
{
    QFETCH(int, mode);
    QFETCH(QString, events);

    prepare({2, 3, 30}, mode, true);
    m_session->setRelay(17, true); // waits in a synchronous mode
    Recorder recorder(m_session.get(), {QStringLiteral("qx5170_"), QStringLiteral("card ")});
    m_session->reset();
    QCOMPARE(recorder.events(), expected(events, m_vi));
    QCOMPARE(m_session->state(), CardState());
    QCOMPARE(relaysSet(card().applied), QList<int>());
    // Nothing was closed on the way.
    QVERIFY(!recorder.events().join(QLatin1Char('\n')).contains(QLatin1String(" on")));
}

// Takes the driver's reports of a test that provokes them.
class QuietReporter final : public sfp::StatusReporter
{
public:
    void reportStatus(ViStatus /*status*/, const QString & /*text*/,
                      const QString & /*brief*/) override
    { }
};

// `steps` operations of every kind drawn at random (relays 1 to
// `highestRelay`), one driver call in eight failing first, or with
// `warnings` half of those only warning.
void randomWalk(CardSession *session, QRandomGenerator &random, int steps, int highestRelay,
                bool warnings)
{
    const char *const calls[] = {"qx5170_switchRelay", "qx5170_updateRelaysState",
                                 "qx5170_pulseSynchTrigger", "qx5170_setSwitchingMode"};
    for (int step = 0; step < steps; ++step) {
        if (random.bounded(8) == 0)
            sfpsim::injectFault(calls[random.bounded(4)],
                                warnings && random.bounded(2) == 0 ? VI_WARN_NSUP_RESET
                                                                   : qx5170_ERROR_NO_CARD);
        switch (random.bounded(10)) {
        case 0:
            session->selectMode(SwitchingMode(random.bounded(3)));
            break;
        case 1:
            session->update();
            break;
        case 2:
            session->trigger();
            break;
        case 3:
            session->setExclusive(random.bounded(2) == 1);
            break;
        case 4: {
            CardState state;
            for (bool &closed : state.closed)
                closed = random.bounded(3) == 0;
            state.mode = SwitchingMode(random.bounded(3));
            state.exclusive = random.bounded(2) == 1;
            session->restore(state);
            break;
        }
        case 5:
            session->reset();
            break;
        default:
            session->setRelay(random.bounded(1, highestRelay + 1), random.bounded(2) == 1);
            break;
        }
        sfpsim::clearFaults();
    }
}

// The closings the card's contacts made, relay by relay, as the simulated
// card traces them: "relay N on" after "off" (or after nothing) is one.
std::array<qint64, 32> closingsInTrace(const QStringList &lines)
{
    std::array<qint64, 32> closings = {};
    std::array<bool, 32> on = {};
    const QString prefix = QStringLiteral("card VXI0::1::INSTR FC2 relay ");
    for (const QString &line : lines) {
        if (!line.startsWith(prefix))
            continue;
        const QStringList words = line.mid(prefix.size()).split(QLatin1Char(' '));
        const size_t index = size_t(words[0].toInt() - 1);
        const bool closes = words[1] == QLatin1String("on");
        if (closes && !on[index])
            ++closings[index];
        on[index] = closes;
    }
    return closings;
}

void tst_CardSession::wearCountsWhatTheContactsDo()
{
    // A closing counts when the contacts close: at once in Asynchronous
    // mode, at the update or trigger in the synchronous ones; one that is
    // taken back before it is applied never reaches the contacts.
    QTemporaryDir folder;
    sfp::RelayWear wear;
    QCOMPARE(wear.open(folder.filePath("relay-cycles.json")), QString());
    QSignalSpy changes(m_session.get(), &CardSession::wearChanged);
    m_session->setWear(&wear);
    // Set, the counter tells of every relay, whose counts a file may hold.
    QCOMPARE(changes.size(), 32);

    m_session->setRelay(1, true);
    m_session->setRelay(1, false);
    m_session->setRelay(1, true);
    QCOMPARE(wear.cycles(1), qint64(2));

    m_session->selectMode(SwitchingMode::SyncCommand);
    m_session->setRelay(2, true);
    m_session->setRelay(3, true);
    m_session->setRelay(3, false);
    QCOMPARE(wear.cycles(2), qint64(0));
    m_session->update();
    QCOMPARE(wear.cycles(2), qint64(1));
    QCOMPARE(wear.cycles(3), qint64(0));
    // Relay 1 opened and closed again before an update: the contacts
    // never moved.
    m_session->setRelay(1, false);
    m_session->setRelay(1, true);
    m_session->update();
    QCOMPARE(wear.cycles(1), qint64(2));

    m_session->selectMode(SwitchingMode::SyncTrigger);
    m_session->setRelay(4, true);
    m_session->update(); // not the trigger: nothing is applied
    QCOMPARE(wear.cycles(4), qint64(0));
    m_session->trigger();
    QCOMPARE(wear.cycles(4), qint64(1));
    // Going back to Asynchronous applies what waits.
    m_session->setRelay(5, true);
    m_session->selectMode(SwitchingMode::Asynchronous);
    QCOMPARE(wear.cycles(5), qint64(1));

    // A closing the driver refused never reached the card.
    QuietReporter reporter;
    m_session->setReporter(&reporter);
    sfpsim::injectFault("qx5170_switchRelay", qx5170_ERROR_NO_CARD);
    m_session->setRelay(6, true);
    QCOMPARE(wear.cycles(6), qint64(0));
    QCOMPARE(changes.size(), 32 + 5);

    // Without a counter nothing is counted, and nothing fails.
    m_session->setWear(nullptr);
    m_session->setRelay(7, true);
    QCOMPARE(wear.cycles(7), qint64(0));
}

void tst_CardSession::wearCountsTheCardsClosings()
{
    // Any walk of operations, driver failures among them, counts exactly
    // the closings that the simulated card's contacts make.
    QRandomGenerator random(sfptest::testSeed());
    QTemporaryDir folder;
    sfp::RelayWear wear;
    QCOMPARE(wear.open(folder.filePath("relay-cycles.json")), QString());
    m_session->setWear(&wear);
    QuietReporter reporter;
    m_session->setReporter(&reporter);
    randomWalk(m_session.get(), random, 2000, 32, false);
    const std::array<qint64, 32> expected = closingsInTrace(sfptest::trace({"card "}));
    for (int relay = 1; relay <= 32; ++relay)
        QCOMPARE(wear.cycles(relay), expected[size_t(relay - 1)]);
    qint64 total = 0;
    for (const qint64 closings : expected)
        total += closings;
    QVERIFY(total > 200);
}

// A logged event as the driver call it stands for would be traced, with
// "VI" for the session: "qx5170_switchRelay(VI, 3, 1) = 0".
QString asDriverCall(const sfp::SwitchingEvent &event)
{
    using Kind = sfp::SwitchingEvent::Kind;
    QString call;
    switch (event.kind) {
    case Kind::Relay:
        call = QStringLiteral("qx5170_switchRelay(VI, %1, %2)").arg(event.relay).arg(int(event.on));
        break;
    case Kind::Mode:
        call = QStringLiteral("qx5170_setSwitchingMode(VI, %1, 0)").arg(int(event.mode) + 1);
        break;
    case Kind::Update:
        call = QStringLiteral("qx5170_updateRelaysState(VI)");
        break;
    case Kind::Trigger:
        call = QStringLiteral("qx5170_pulseSynchTrigger(VI)");
        break;
    default:
        return QStringLiteral("no call: ") + event.change();
    }
    return call + QStringLiteral(" = %1").arg(*event.status);
}

void tst_CardSession::logHasEveryDriverCallOnce()
{
    // Any walk of operations, failures and refusals among them: each
    // driver call the card saw has exactly one logged event, in the same
    // order, with its status; what calls no driver has none.
    QRandomGenerator random(sfptest::testSeed());
    sfp::Fixture fixture;
    fixture.rules = {{"PSU/GND", sfp::FixtureRule::Kind::Mutual, {3, 7}}};
    m_session->setFixture(fixture, QString(), false);
    sfp::SwitchingLog log;
    m_session->setLog(&log, "VXI0::1::INSTR/FC2");
    QuietReporter reporter;
    m_session->setReporter(&reporter);
    randomWalk(m_session.get(), random, 1000, 8, true);
    QStringList logged;
    int refusals = 0;
    for (const sfp::SwitchingEvent &event : log.recent()) {
        if (event.kind == sfp::SwitchingEvent::Kind::Refusal)
            ++refusals;
        if (event.status.has_value())
            logged.append(asDriverCall(event));
        QCOMPARE(event.card, QStringLiteral("VXI0::1::INSTR/FC2"));
        QCOMPARE(event.source, QStringLiteral("operator"));
        // Only the exclusive rule, the start and refusals call nothing.
        const bool callsNothing = event.kind == sfp::SwitchingEvent::Kind::Exclusive
            || event.kind == sfp::SwitchingEvent::Kind::Start
            || event.kind == sfp::SwitchingEvent::Kind::Refusal;
        QCOMPARE(event.status.has_value(), !callsNothing);
    }
    QStringList traced;
    for (QString line : sfptest::trace({"qx5170_switchRelay", "qx5170_setSwitchingMode",
                                        "qx5170_updateRelaysState", "qx5170_pulseSynchTrigger"}))
        traced.append(line.replace(QStringLiteral("(%1").arg(m_vi), QLatin1String("(VI")));
    QCOMPARE(logged, traced);
    QVERIFY(refusals > 0);
    QVERIFY(traced.size() > 300);
}

void tst_CardSession::logSourcesAndImpliedChanges()
{
    sfp::SwitchingLog log;
    m_session->setLog(&log, "VXI0::1::INSTR/FC2");
    QCOMPARE(log.recent().size(), size_t(1));
    QCOMPARE(log.recent().back().kind, sfp::SwitchingEvent::Kind::Start);
    QCOMPARE(log.recent().back().source, QStringLiteral("operator"));
    const auto scpiSince = [&log](size_t first) {
        QStringList lines;
        for (size_t i = first; i < log.recent().size(); ++i) {
            const sfp::SwitchingEvent &event = log.recent()[i];
            lines.append(QStringLiteral("%1|%2|%3")
                             .arg(event.source, event.client, QString::fromLatin1(event.scpi())));
        }
        return lines;
    };

    // A click under the exclusive rule: the partner's opening follows
    // from it and has no command of its own.
    m_session->setRelay(2, true);
    m_session->setExclusive(true);
    m_session->setRelay(1, true);
    QCOMPARE(scpiSince(1),
             QStringList({"operator||ROUT:CLOS (@2)", "operator||ROUT:EXCL ON",
                          "operator||ROUT:CLOS (@1)", "operator||"}));
    // A script's source, and a command of its whose changes are commands
    // one level down.
    size_t mark = log.recent().size();
    {
        const CardSession::Source client(m_session.get(), "socket 127.0.0.1:40112");
        m_session->selectMode(SwitchingMode::SyncCommand);
        m_session->setRelay(4, true);
        const CardSession::Source reset(m_session.get(), "*RST", m_session->source());
        m_session->reset();
    }
    QCOMPARE(scpiSince(mark),
             QStringList({"socket 127.0.0.1:40112||ROUT:MODE COMM",
                          "socket 127.0.0.1:40112||ROUT:CLOS (@4)",
                          "*RST|socket 127.0.0.1:40112|ROUT:OPEN (@1)",
                          "*RST|socket 127.0.0.1:40112|ROUT:OPEN (@4)",
                          "*RST|socket 127.0.0.1:40112|ROUT:UPD",
                          "*RST|socket 127.0.0.1:40112|ROUT:EXCL OFF",
                          "*RST|socket 127.0.0.1:40112|ROUT:MODE ASYN"}));
    // Out of the scopes, the operator again; leaving a synchronous mode
    // applies what waits, which the mode change implies.
    mark = log.recent().size();
    m_session->selectMode(SwitchingMode::SyncTrigger);
    m_session->setRelay(5, true);
    m_session->selectMode(SwitchingMode::Asynchronous);
    QCOMPARE(scpiSince(mark),
             QStringList({"operator||ROUT:MODE TRIG", "operator||ROUT:CLOS (@5)", "operator||",
                          "operator||ROUT:MODE ASYN"}));
    QCOMPARE(log.recent()[log.recent().size() - 2].kind, sfp::SwitchingEvent::Kind::Trigger);
    // The trigger pulse leaves the lamp green, as its line says.
    QVERIFY(log.recent()[log.recent().size() - 2].synchronized);
    QVERIFY(!log.recent()[log.recent().size() - 3].synchronized);

    // A refused click is logged with its rule and reaches no driver.
    sfp::Fixture fixture;
    fixture.rules = {{"HV", sfp::FixtureRule::Kind::Forbidden, {31}}};
    m_session->setFixture(fixture, QString(), false);
    sfptest::clearTrace();
    m_session->setRelay(31, true);
    QCOMPARE(log.recent().back().kind, sfp::SwitchingEvent::Kind::Refusal);
    QCOMPARE(log.recent().back().relay, 31);
    QCOMPARE(log.recent().back().reason, QStringLiteral("\"HV\" forbids relay 31"));
    QCOMPARE(sfptest::trace({"qx5170_"}), QStringList());
    m_session->recordRefusal(0, "another client holds the lock", -221);
    QCOMPARE(log.recent().back().change(),
             QStringLiteral("refused: another client holds the lock (-221)"));

    // In demo mode the operator is "demo", and nothing has a driver status.
    CardSession demo(VI_NULL, true);
    sfp::SwitchingLog demoLog;
    demo.setLog(&demoLog, "DEMO");
    demo.setRelay(3, true);
    demo.selectMode(SwitchingMode::SyncCommand);
    demo.update();
    demo.trigger();
    QCOMPARE(demoLog.recent().size(), size_t(5));
    for (const sfp::SwitchingEvent &event : demoLog.recent()) {
        QCOMPARE(event.source, QStringLiteral("demo"));
        QCOMPARE(event.card, QStringLiteral("DEMO"));
        QVERIFY(!event.status.has_value());
    }
}

SFPTEST_CORE_MAIN(tst_CardSession)
#include "tst_cardsession.moc"