// SPDX-FileCopyrightText: 2026 Tarvex
// SPDX-License-Identifier: MIT
// The relay panel: its controls and their help, the switching modes with the
// "Synchronized" LED against the simulated card, the exclusive rule over all
// pairs, failing driver calls and demo mode.
#include "cardsession.h"
#include "panelsetup.h"
#include "qx2010fp_led.h"
#include "qx5170_fc.h"
#include "qx5170_sfprelaypair.h"
#include "qx5170fp_app.h"
#include "sfptest.h"

#include "qx5170.h"
#include "sim_control.h"

#include <QCheckBox>
#include <QComboBox>
#include <QGridLayout>
#include <QGroupBox>
#include <QLayout>
#include <QPushButton>
#include <QSet>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QTest>

#include <algorithm>
#include <memory>

namespace {

using sfptest::namedChild;

QComboBox *modeCombo(const qx5170fp_App &panel)
{
    return namedChild<QComboBox>(panel, "modeCombo");
}

QPushButton *triggerBtn(const qx5170fp_App &panel)
{
    return namedChild<QPushButton>(panel, "triggerBtn");
}

QPushButton *updateBtn(const qx5170fp_App &panel)
{
    return namedChild<QPushButton>(panel, "updateBtn");
}

qx2010fp_led *syncLed(const qx5170fp_App &panel)
{
    return namedChild<qx2010fp_led>(panel, "syncLed");
}

QCheckBox *exclusiveChk(const qx5170fp_App &panel)
{
    return namedChild<QCheckBox>(panel, "exclusiveChk");
}

QGroupBox *modeGroupBox(const qx5170fp_App &panel)
{
    return namedChild<QGroupBox>(panel, "modeGroupBox");
}

QWidget *panelWidget(const qx5170fp_App &panel)
{
    return namedChild<QWidget>(panel, "panelWidget");
}

QList<qx5170_sfpRelayPair *> pairsOf(const qx5170fp_App &panel)
{
    QList<qx5170_sfpRelayPair *> pairs;
    for (int i = 0; i < qx5170fp_App::pairCount; ++i)
        pairs.append(panel.pair(i));
    return pairs;
}

const char cardDescriptor[] = "VXI0::1::INSTR";
constexpr int cardPosition = 2;

const char oneCardSystem[] = R"({"resources": [
    {"descriptor": "VXI0::1::INSTR", "slot": 5,
     "motherboard": {"code": "0x0B52", "positions": 4,
                     "cards": [{"position": 2, "code": "0x5170"}]}}]})";

const QLatin1String cardPrefix("card VXI0::1::INSTR FC2 ");

// The driver calls a step makes and what the card does about them.
QStringList driverAndCard()
{
    return {QStringLiteral("qx5170_"), QStringLiteral("card ")};
}

enum Event {
    SelectAsynchronous,
    SelectSyncCommand,
    SelectSyncTrigger,
    PressUpdate,
    PressTrigger,
    SwitchRelay
};

bool cardRelayApplied(int relay)
{
    sfpsim::CardState state;
    if (!sfpsim::cardState(cardDescriptor, cardPosition, &state))
        return false;
    return state.applied.at(size_t(relay - 1));
}

int cardMode()
{
    sfpsim::CardState state;
    return sfpsim::cardState(cardDescriptor, cardPosition, &state) ? state.mode : -1;
}

} // namespace

SFPTEST_CHILD(errorYesEndsPanel)
{
    std::string error;
    if (!sfpsim::loadDescription(oneCardSystem, &error))
        return;
    qx5170_fc fc;
    sfptest::answerNextModal(QStringLiteral("Auto Find"));
    qx5170fp_App window(&fc);
    window.show();
    sfpsim::injectFault("qx5170_switchRelay", VI_ERROR_TMO, 1);
    sfptest::answerNextModal(QStringLiteral("Yes"));
    window.findChild<qx5170_sfpRelayPair *>()->relayAButton()->click();
    std::fputs("went on\n", stdout);
}

class tst_RelayPanel : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase();
    void init();
    void cleanup();

    void initialState();
    void layout();
    void helpTexts_data();
    void helpTexts();

    void transitions_data();
    void transitions();
    void reselectingAsynchronous();
    void modeButtonsFollowSelection();

    void exclusiveSwitchesRelayBOff();
    void exclusiveInSyncModeTurnsLedRed();
    void exclusiveOffChangesNothing();

    void failingUpdateStillTurnsLedGreen();
    void failingTriggerText();
    void failingModeKeepsSelection();
    void errorYesEndsProcess();

    void demoModeMakesNoDriverCall();
    void sessionClosedOnceAtExit();

    void tabOrder_data();
    void tabOrder();
    void everyEnabledControlIsReached();
    void spaceTogglesRelay();
    void keyboardAnswersCloseQuestion();

private:
    // Builds the panel, connected through "Auto Find" to the only card of
    // the loaded system, or in demo mode.
    void createPanel(bool demo);
    // The operator choosing a mode in the combo box.
    void selectMode(int index);
    void run(Event event);
    QString call(const char *pattern) const;
    // The controls that Tab (or, with backwards, Shift+Tab) visits from
    // `start` until it comes back there, at most `limit` of them.
    QList<QWidget *> tabWalk(QWidget *start, bool backwards, int limit) const;
    // The order in which Tab should visit the enabled controls: the pairs
    // in reading order, relay A before B, the mode group left to right, the
    // frame's column top to bottom.
    QList<QWidget *> readingOrder() const;

    QTemporaryDir m_config;
    std::unique_ptr<qx5170_fc> m_fc;
    std::unique_ptr<qx5170fp_App> m_panel;
};

void tst_RelayPanel::initTestCase()
{
    QVERIFY(m_config.isValid());
    qputenv("ALLUSERSPROFILE", QFile::encodeName(m_config.path()));
    qputenv("XDG_CONFIG_HOME", QFile::encodeName(m_config.path()));
    sfptest::dismissStrayModals();
}

void tst_RelayPanel::init()
{
    std::string error;
    QVERIFY2(sfpsim::loadDescription(oneCardSystem, &error), error.c_str());
    sfpsim::clearFaults();
    sfptest::clearTrace();
}

void tst_RelayPanel::cleanup()
{
    m_panel.reset();
    m_fc.reset();
    QCOMPARE(sfptest::takeStrayModals(), QStringList());
    QCOMPARE(sfpsim::openSessionCount(), 0);
}

void tst_RelayPanel::createPanel(bool demo)
{
    m_fc = std::make_unique<qx5170_fc>();
    m_panel = sfptest::openPanel(
        m_fc.get(), demo ? QStringLiteral("Run In Demo Mode") : QStringLiteral("Auto Find"));
    QVERIFY(m_panel);
}

void tst_RelayPanel::selectMode(int index)
{
    modeCombo(*m_panel)->setCurrentIndex(index);
    emit modeCombo(*m_panel)->activated(index);
}

void tst_RelayPanel::run(Event event)
{
    switch (event) {
    case SelectAsynchronous:
        selectMode(0);
        break;
    case SelectSyncCommand:
        selectMode(1);
        break;
    case SelectSyncTrigger:
        selectMode(2);
        break;
    case PressUpdate:
        QTest::mouseClick(updateBtn(*m_panel), Qt::LeftButton);
        break;
    case PressTrigger:
        QTest::mouseClick(triggerBtn(*m_panel), Qt::LeftButton);
        break;
    case SwitchRelay:
        // Relay A of pair 3: channel 5.
        QTest::mouseClick(m_panel->pair(2)->relayAButton(), Qt::LeftButton);
        break;
    }
}

QString tst_RelayPanel::call(const char *pattern) const
{
    return QString::fromLatin1(pattern).arg(m_panel->card()->vi());
}

void tst_RelayPanel::initialState()
{
    createPanel(false);
    qx5170fp_App &panel = *m_panel;
    QCOMPARE(int(panel.card()->isDemo()), 0);
    QCOMPARE(modeCombo(panel)->count(), 3);
    QCOMPARE(modeCombo(panel)->itemText(0), QStringLiteral("Asynchronous"));
    QCOMPARE(modeCombo(panel)->itemText(1), QStringLiteral("Sync. Command"));
    QCOMPARE(modeCombo(panel)->itemText(2), QStringLiteral("Sync. Trigger"));
    QCOMPARE(modeCombo(panel)->currentIndex(), 0);
    QCOMPARE(int(panel.card()->mode()), 0);
    QVERIFY(!triggerBtn(panel)->isEnabled());
    QVERIFY(!updateBtn(panel)->isEnabled());
    QVERIFY(!syncLed(panel)->value());
    QCOMPARE(syncLed(panel)->onColor(), QColor(Qt::red));
    QCOMPARE(syncLed(panel)->offColor(), QColor(Qt::green));
    QCOMPARE(syncLed(panel)->text(), QStringLiteral("Synchronized"));
    QVERIFY(!exclusiveChk(panel)->isChecked());
    for (int i = 0; i < qx5170fp_App::pairCount; ++i) {
        const qx5170_sfpRelayPair *pair = panel.pair(i);
        QVERIFY(pair);
        QCOMPARE(pair->pairNo(), i);
        QCOMPARE(pair->session(), panel.card()->vi());
        QVERIFY(!pair->isDemo());
        QVERIFY(!pair->isExclusive());
        QVERIFY(!pair->relayAButton()->isChecked());
        QVERIFY(!pair->relayBButton()->isChecked());
    }
    // The panel itself sends nothing to the card while it is built: the
    // only driver calls are the open and the About box's revision query.
    for (const QString &line : sfptest::trace({QStringLiteral("qx5170_")})) {
        QVERIFY2(line.startsWith(QLatin1String("qx5170_init("))
                     || line.startsWith(QLatin1String("qx5170_revision_query(0)")),
                 qPrintable(line));
    }
    QCOMPARE(cardMode(), 1);
}

void tst_RelayPanel::layout()
{
    createPanel(true);
    qx5170fp_App &panel = *m_panel;
    // Pairs 1 to 4 on the top row, left to right; 13 to 16 at the bottom.
    auto *grid = qobject_cast<QGridLayout *>(panel.pair(0)->parentWidget()->layout());
    QVERIFY(grid);
    for (int i = 0; i < qx5170fp_App::pairCount; ++i) {
        int row = -1;
        int column = -1;
        int rowSpan = 0;
        int columnSpan = 0;
        grid->getItemPosition(grid->indexOf(panel.pair(i)), &row, &column, &rowSpan, &columnSpan);
        QCOMPARE(row, i / 4);
        QCOMPARE(column, i % 4);
        QCOMPARE(panel.pair(i)->title(), QStringLiteral("Pair %1").arg(i + 1));
    }
    QWidget *pairContainer = panel.pair(0)->parentWidget();
    QCOMPARE(pairContainer->sizePolicy().horizontalPolicy(), QSizePolicy::MinimumExpanding);
    QCOMPARE(pairContainer->sizePolicy().verticalPolicy(), QSizePolicy::MinimumExpanding);

    // Below the pairs the mode group, left to right: combo, "Trigger",
    // "Update", the LED, "Exclusive".
    QCOMPARE(modeGroupBox(panel)->title(), QStringLiteral("Switching Mode Control"));
    QLayout *row = modeGroupBox(panel)->layout();
    QVERIFY(row);
    const QList<QWidget *> expected {modeCombo(panel), triggerBtn(panel), updateBtn(panel),
                                     syncLed(panel), exclusiveChk(panel)};
    QCOMPARE(row->count(), int(expected.size()));
    for (int i = 0; i < row->count(); ++i)
        QCOMPARE(row->itemAt(i)->widget(), expected.at(i));
    QCOMPARE(triggerBtn(panel)->text(), QStringLiteral("Trigger"));
    QCOMPARE(updateBtn(panel)->text(), QStringLiteral("Update"));
    QCOMPARE(exclusiveChk(panel)->text(), QStringLiteral("Exclusive"));
    QVERIFY(pairContainer->geometry().bottom() < modeGroupBox(panel)->geometry().top());
    // The panel sits in the frame's panel area.
    QVERIFY(panelWidget(panel)->isAncestorOf(modeGroupBox(panel)));
    QVERIFY(panelWidget(panel)->isAncestorOf(pairContainer));
}

void tst_RelayPanel::helpTexts_data()
{
    QTest::addColumn<QString>("control");
    QTest::addColumn<QString>("text");

    QTest::newRow("mode") << "mode"
                          << "Selects relays state update mode.\n"
                             "Possible modes: Asynchronous, Synch. Command, Synch. Trigger\n"
                             "Asynchronous - immediate update after changing relay state,\n"
                             "Synch. Command - update takes place after issuing command,\n"
                             "Synch. Trigger - update takes place after trigger activation.";
    QTest::newRow("trigger") << "trigger"
                             << "Generates synchronization trigger signal.";
    QTest::newRow("update") << "update"
                            << "Issues update command to update relays state in synchronous mode.";
    QTest::newRow("synchronized") << "synchronized"
                                  << "Indicates if relays state was updated in synchronous mode.\n"
                                     "Red color - not synchronized,\n"
                                     "Green color - synchronized.\n"
                                     "Always green in asynchronous mode.";
    QTest::newRow("exclusive") << "exclusive"
                               << "Turns on exclusive mode. In this mode only one of the relays in "
                                  "pair can be switched on.";
}

void tst_RelayPanel::helpTexts()
{
    QFETCH(QString, control);
    QFETCH(QString, text);
    createPanel(true);
    const QMap<QString, QWidget *> controls {
        {QStringLiteral("mode"), modeCombo(*m_panel)},
        {QStringLiteral("trigger"), triggerBtn(*m_panel)},
        {QStringLiteral("update"), updateBtn(*m_panel)},
        {QStringLiteral("synchronized"), syncLed(*m_panel)},
        {QStringLiteral("exclusive"), exclusiveChk(*m_panel)},
    };
    QWidget *widget = controls.value(control);
    QVERIFY(widget);
    QCOMPARE(widget->whatsThis(), text);
    QCOMPARE(widget->toolTip(), text);
}

void tst_RelayPanel::transitions_data()
{
    QTest::addColumn<int>("startMode");
    QTest::addColumn<bool>("ledRed");
    QTest::addColumn<int>("event");
    QTest::addColumn<QStringList>("calls");
    QTest::addColumn<bool>("ledRedAfter");
    QTest::addColumn<bool>("updateEnabled");
    QTest::addColumn<bool>("triggerEnabled");
    QTest::addColumn<int>("modeAfter");

    // Calls with %1 for the session. Relay 5 (relay A of pair 3) is the one
    // switched to make the LED red, and is still pending on the card then.
    const QString set1 = QStringLiteral("qx5170_setSwitchingMode(%1, 1, 0) = 0");
    const QString set2 = QStringLiteral("qx5170_setSwitchingMode(%1, 2, 0) = 0");
    const QString set3 = QStringLiteral("qx5170_setSwitchingMode(%1, 3, 0) = 0");
    const QString update = QStringLiteral("qx5170_updateRelaysState(%1) = 0");
    const QString trigger = QStringLiteral("qx5170_pulseSynchTrigger(%1) = 0");
    const QString relayOn = QStringLiteral("qx5170_switchRelay(%1, 5, 1) = 0");
    const QString applied = cardPrefix + QStringLiteral("relay 5 on");
    const QString mode1 = cardPrefix + QStringLiteral("mode 1");
    const QString mode2 = cardPrefix + QStringLiteral("mode 2");
    const QString mode3 = cardPrefix + QStringLiteral("mode 3");

    QTest::newRow("asynchronous, select Asynchronous")
        << 0 << false << int(SelectAsynchronous) << QStringList {set1, mode1} << false << false
        << false << 0;
    QTest::newRow("Sync. Command, red, select Asynchronous")
        << 1 << true << int(SelectAsynchronous) << QStringList {update, applied, set1, mode1}
        << false << false << false << 0;
    QTest::newRow("Sync. Trigger, red, select Asynchronous")
        << 2 << true << int(SelectAsynchronous) << QStringList {trigger, applied, set1, mode1}
        << false << false << false << 0;
    QTest::newRow("asynchronous, select Sync. Command")
        << 0 << false << int(SelectSyncCommand) << QStringList {set2, mode2} << false << true
        << false << 1;
    QTest::newRow("Sync. Command, select Sync. Command")
        << 1 << false << int(SelectSyncCommand) << QStringList {set2, mode2} << false << true
        << false << 1;
    QTest::newRow("Sync. Trigger, red, select Sync. Command")
        << 2 << true << int(SelectSyncCommand) << QStringList {set2, mode2} << true << true << false
        << 1;
    QTest::newRow("asynchronous, select Sync. Trigger")
        << 0 << false << int(SelectSyncTrigger) << QStringList {set3, mode3} << false << false
        << true << 2;
    QTest::newRow("Sync. Command, red, select Sync. Trigger")
        << 1 << true << int(SelectSyncTrigger) << QStringList {set3, mode3} << true << false << true
        << 2;
    QTest::newRow("Sync. Command, relay switched")
        << 1 << false << int(SwitchRelay) << QStringList {relayOn} << true << true << false << 1;
    QTest::newRow("Sync. Trigger, relay switched")
        << 2 << false << int(SwitchRelay) << QStringList {relayOn} << true << false << true << 2;
    QTest::newRow("asynchronous, relay switched")
        << 0 << false << int(SwitchRelay) << QStringList {relayOn, applied} << false << false
        << false << 0;
    QTest::newRow("Sync. Command, red, Update")
        << 1 << true << int(PressUpdate) << QStringList {update, applied} << false << true << false
        << 1;
    QTest::newRow("Sync. Trigger, red, Trigger")
        << 2 << true << int(PressTrigger) << QStringList {trigger, applied} << false << false
        << true << 2;
}

void tst_RelayPanel::transitions()
{
    QFETCH(int, startMode);
    QFETCH(bool, ledRed);
    QFETCH(int, event);
    QFETCH(QStringList, calls);
    QFETCH(bool, ledRedAfter);
    QFETCH(bool, updateEnabled);
    QFETCH(bool, triggerEnabled);
    QFETCH(int, modeAfter);

    createPanel(false);
    if (startMode != 0)
        selectMode(startMode);
    if (ledRed)
        run(SwitchRelay);
    QCOMPARE(syncLed(*m_panel)->value(), ledRed);
    QCOMPARE(cardMode(), startMode + 1);
    // A relay switched in a synchronous mode is still waiting on the card.
    QVERIFY(!cardRelayApplied(5));

    sfptest::clearTrace();
    run(Event(event));

    QStringList expected;
    for (const QString &line : calls)
        expected.append(line.contains(QLatin1String("%1")) ? line.arg(m_panel->card()->vi())
                                                           : line);
    QCOMPARE(sfptest::trace(driverAndCard()), expected);
    QCOMPARE(syncLed(*m_panel)->value(), ledRedAfter);
    QCOMPARE(updateBtn(*m_panel)->isEnabled(), updateEnabled);
    QCOMPARE(triggerBtn(*m_panel)->isEnabled(), triggerEnabled);
    QCOMPARE(modeCombo(*m_panel)->currentIndex(), modeAfter);
    QCOMPARE(int(m_panel->card()->mode()), modeAfter);
    QCOMPARE(cardMode(), modeAfter + 1);
}

void tst_RelayPanel::reselectingAsynchronous()
{
    // Choosing the mode already current still sets it on the card, and
    // applies nothing else.
    createPanel(false);
    sfptest::clearTrace();
    selectMode(0);
    selectMode(0);
    QCOMPARE(sfptest::trace({QStringLiteral("qx5170_")}),
             QStringList({call("qx5170_setSwitchingMode(%1, 1, 0) = 0"),
                          call("qx5170_setSwitchingMode(%1, 1, 0) = 0")}));
}

void tst_RelayPanel::modeButtonsFollowSelection()
{
    // A whole round through the modes in the way an operator uses them:
    // relays switched in a synchronous mode wait on the card until Update.
    createPanel(false);
    selectMode(1);
    QTest::mouseClick(m_panel->pair(0)->relayAButton(), Qt::LeftButton);
    QTest::mouseClick(m_panel->pair(15)->relayBButton(), Qt::LeftButton);
    QVERIFY(syncLed(*m_panel)->value());
    QVERIFY(!cardRelayApplied(1));
    QVERIFY(!cardRelayApplied(32));
    QTest::mouseClick(updateBtn(*m_panel), Qt::LeftButton);
    QVERIFY(!syncLed(*m_panel)->value());
    QVERIFY(cardRelayApplied(1));
    QVERIFY(cardRelayApplied(32));

    selectMode(2);
    QTest::mouseClick(m_panel->pair(0)->relayAButton(), Qt::LeftButton);
    QVERIFY(syncLed(*m_panel)->value());
    QVERIFY(cardRelayApplied(1));
    QTest::mouseClick(triggerBtn(*m_panel), Qt::LeftButton);
    QVERIFY(!syncLed(*m_panel)->value());
    QVERIFY(!cardRelayApplied(1));
}

void tst_RelayPanel::exclusiveSwitchesRelayBOff()
{
    createPanel(false);
    for (int pair : {1, 4}) {
        QTest::mouseClick(m_panel->pair(pair)->relayAButton(), Qt::LeftButton);
        QTest::mouseClick(m_panel->pair(pair)->relayBButton(), Qt::LeftButton);
    }
    sfptest::clearTrace();
    QTest::mouseClick(exclusiveChk(*m_panel), Qt::LeftButton);
    QVERIFY(exclusiveChk(*m_panel)->isChecked());
    // Channels 4 (pair 2) and 10 (pair 5) go off, in that order; relay A of
    // each stays on.
    QCOMPARE(sfptest::trace({QStringLiteral("qx5170_")}),
             QStringList({call("qx5170_switchRelay(%1, 4, 0) = 0"),
                          call("qx5170_switchRelay(%1, 10, 0) = 0")}));
    for (const qx5170_sfpRelayPair *pair : pairsOf(*m_panel))
        QVERIFY(pair->isExclusive());
    QVERIFY(m_panel->pair(1)->relayAButton()->isChecked());
    QVERIFY(!m_panel->pair(1)->relayBButton()->isChecked());
    QVERIFY(m_panel->pair(4)->relayAButton()->isChecked());
    QVERIFY(!m_panel->pair(4)->relayBButton()->isChecked());
    QVERIFY(cardRelayApplied(3));
    QVERIFY(!cardRelayApplied(4));
    QVERIFY(cardRelayApplied(9));
    QVERIFY(!cardRelayApplied(10));
    QVERIFY(!syncLed(*m_panel)->value());
}

void tst_RelayPanel::exclusiveInSyncModeTurnsLedRed()
{
    createPanel(false);
    QTest::mouseClick(m_panel->pair(6)->relayAButton(), Qt::LeftButton);
    QTest::mouseClick(m_panel->pair(6)->relayBButton(), Qt::LeftButton);
    selectMode(1);
    QVERIFY(!syncLed(*m_panel)->value());
    QTest::mouseClick(exclusiveChk(*m_panel), Qt::LeftButton);
    QVERIFY(syncLed(*m_panel)->value());
    QVERIFY(!m_panel->pair(6)->relayBButton()->isChecked());
}

void tst_RelayPanel::exclusiveOffChangesNothing()
{
    createPanel(false);
    exclusiveChk(*m_panel)->setChecked(true);
    QTest::mouseClick(m_panel->pair(0)->relayAButton(), Qt::LeftButton);
    sfptest::clearTrace();
    exclusiveChk(*m_panel)->setChecked(false);
    QCOMPARE(sfptest::trace({QStringLiteral("qx5170_")}), QStringList());
    for (const qx5170_sfpRelayPair *pair : pairsOf(*m_panel))
        QVERIFY(!pair->isExclusive());
    QVERIFY(m_panel->pair(0)->relayAButton()->isChecked());
}

void tst_RelayPanel::failingUpdateStillTurnsLedGreen()
{
    createPanel(false);
    selectMode(1);
    run(SwitchRelay);
    QVERIFY(syncLed(*m_panel)->value());

    sfpsim::injectFault("qx5170_updateRelaysState", VI_ERROR_TMO, 1);
    char statusText[qx5170_ERROR_MESSAGE_BUFLEN] = {};
    qx5170_error_message(VI_NULL, VI_ERROR_TMO, statusText);
    sfptest::clearTrace();
    const auto report = sfptest::answerNextModal(QStringLiteral("No"));
    QTest::mouseClick(updateBtn(*m_panel), Qt::LeftButton);
    QVERIFY(report->answered);
    QCOMPARE(report->icon, QStringLiteral("Critical"));
    QCOMPARE(report->title, QStringLiteral("Orbelan  SFP Error message"));
    QCOMPARE(report->text,
             QStringLiteral("qx5170_updateRelaysState(d_vi) failed due to [%1]\n"
                            "Do you want to exit?")
                 .arg(QString::fromLatin1(statusText)));
    QVERIFY(!syncLed(*m_panel)->value());
    QCOMPARE(sfptest::trace({QStringLiteral("qx5170_updateRelaysState(")}),
             QStringList(call("qx5170_updateRelaysState(%1) = ") + QString::number(VI_ERROR_TMO)));
}

void tst_RelayPanel::failingTriggerText()
{
    createPanel(false);
    selectMode(2);
    run(SwitchRelay);
    sfpsim::injectFault("qx5170_pulseSynchTrigger", VI_ERROR_TMO, 1);
    const auto report = sfptest::answerNextModal(QStringLiteral("No"));
    QTest::mouseClick(triggerBtn(*m_panel), Qt::LeftButton);
    QVERIFY(report->answered);
    QVERIFY2(
        report->text.startsWith(QLatin1String("qx5170_pulseSynchTrigger (d_vi) failed due to [")),
        qPrintable(report->text));
    QVERIFY(!syncLed(*m_panel)->value());
}

void tst_RelayPanel::failingModeKeepsSelection()
{
    createPanel(false);
    // An error does not undo the operator's choice; a warning is only told.
    sfpsim::injectFault("qx5170_setSwitchingMode", VI_ERROR_TMO, 1);
    auto report = sfptest::answerNextModal(QStringLiteral("No"));
    selectMode(2);
    QVERIFY(report->answered);
    QVERIFY(report->text.startsWith(
        QLatin1String("qx5170_setSwitchingMode(d_vi, indx+1, qx5170_ITRIG_NONE) failed due to [")));
    QCOMPARE(modeCombo(*m_panel)->currentIndex(), 2);
    QCOMPARE(int(m_panel->card()->mode()), 2);
    QVERIFY(triggerBtn(*m_panel)->isEnabled());
    QVERIFY(!updateBtn(*m_panel)->isEnabled());
    QCOMPARE(cardMode(), 1);

    sfpsim::injectFault("qx5170_setSwitchingMode", VI_WARN_NSUP_ID_QUERY, 1);
    report = sfptest::answerNextModal(QStringLiteral("OK"));
    selectMode(1);
    QVERIFY(report->answered);
    QCOMPARE(report->icon, QStringLiteral("Warning"));
    QVERIFY(report->text.startsWith(QLatin1String("Warning: [")));
    QCOMPARE(cardMode(), 2);
    QVERIFY(updateBtn(*m_panel)->isEnabled());
}

void tst_RelayPanel::errorYesEndsProcess()
{
    QTemporaryDir folder;
    QVERIFY(folder.isValid());
    const QString tracePath = folder.filePath(QStringLiteral("trace.txt"));
    const sfptest::ChildResult child = sfptest::runInChild(
        QStringLiteral("errorYesEndsPanel"), {QStringLiteral("SFP_SIM_TRACE=") + tracePath});
    QVERIFY(child.started);
    QVERIFY(!child.crashed);
    QCOMPARE(child.exitStatus, 0);
    QVERIFY(!child.output.contains("went on"));
    // The operator chose to leave at once: the session is not closed.
    const QStringList calls = sfptest::traceFile(tracePath, {QStringLiteral("qx5170_")});
    QVERIFY(!calls.filter(QStringLiteral("qx5170_switchRelay(")).isEmpty());
    QCOMPARE(calls.filter(QStringLiteral("qx5170_close(")), QStringList());
}

void tst_RelayPanel::demoModeMakesNoDriverCall()
{
    createPanel(true);
    QCOMPARE(int(m_panel->card()->isDemo()), 1);
    QCOMPARE(m_panel->card()->vi(), ViSession(0));
    for (const qx5170_sfpRelayPair *pair : pairsOf(*m_panel))
        QVERIFY(pair->isDemo());
    sfptest::clearTrace();

    // Every control behaves as with a card.
    selectMode(1);
    QVERIFY(updateBtn(*m_panel)->isEnabled());
    run(SwitchRelay);
    QVERIFY(syncLed(*m_panel)->value());
    run(PressUpdate);
    QVERIFY(!syncLed(*m_panel)->value());
    selectMode(2);
    QVERIFY(triggerBtn(*m_panel)->isEnabled());
    run(SwitchRelay);
    QVERIFY(syncLed(*m_panel)->value());
    run(PressTrigger);
    QVERIFY(!syncLed(*m_panel)->value());
    QTest::mouseClick(m_panel->pair(3)->relayAButton(), Qt::LeftButton);
    QTest::mouseClick(m_panel->pair(3)->relayBButton(), Qt::LeftButton);
    QVERIFY(syncLed(*m_panel)->value());
    selectMode(0);
    QVERIFY(!syncLed(*m_panel)->value());
    QTest::mouseClick(exclusiveChk(*m_panel), Qt::LeftButton);
    QVERIFY(!m_panel->pair(3)->relayBButton()->isChecked());
    QVERIFY(m_panel->pair(3)->relayAButton()->isChecked());

    m_panel.reset();
    QCOMPARE(sfptest::trace(), QStringList());
}

void tst_RelayPanel::sessionClosedOnceAtExit()
{
    createPanel(false);
    const ViSession vi = m_panel->card()->vi();
    run(SwitchRelay);
    sfptest::clearTrace();
    m_panel.reset();
    QCOMPARE(sfptest::trace({QStringLiteral("qx5170_")}),
             QStringList(QStringLiteral("qx5170_close(%1) = 0").arg(vi)));
}

QList<QWidget *> tst_RelayPanel::tabWalk(QWidget *start, bool backwards, int limit) const
{
    QList<QWidget *> visited;
    start->setFocus(Qt::OtherFocusReason);
    if (m_panel->focusWidget() != start)
        return visited;
    visited.append(start);
    for (int i = 0; i < limit; ++i) {
        QTest::keyClick(m_panel->focusWidget(), Qt::Key_Tab,
                        backwards ? Qt::ShiftModifier : Qt::NoModifier);
        QWidget *now = m_panel->focusWidget();
        if (!now || now == start)
            break;
        visited.append(now);
    }
    return visited;
}

QList<QWidget *> tst_RelayPanel::readingOrder() const
{
    const qx5170fp_App &panel = *m_panel;
    QList<QWidget *> order;
    for (const qx5170_sfpRelayPair *pair : pairsOf(panel))
        order << pair->relayAButton() << pair->relayBButton();
    order << modeCombo(panel) << triggerBtn(panel) << updateBtn(panel) << exclusiveChk(panel)
          << namedChild<QPushButton>(panel, "resetBtn") << namedChild<QPushButton>(panel, "helpBtn")
          << namedChild<QPushButton>(panel, "aboutBtn")
          << namedChild<QPushButton>(panel, "closeBtn");
    order.removeIf([](const QWidget *widget) { return !widget->isEnabled(); });
    return order;
}

void tst_RelayPanel::tabOrder_data()
{
    QTest::addColumn<int>("mode");
    QTest::addColumn<bool>("demo");

    // "Trigger" and "Update" are in the order only in the mode that enables them.
    QTest::newRow("asynchronous") << 0 << false;
    QTest::newRow("sync command") << 1 << false;
    QTest::newRow("sync trigger") << 2 << false;
    QTest::newRow("demo") << 1 << true;
}

void tst_RelayPanel::tabOrder()
{
    QFETCH(int, mode);
    QFETCH(bool, demo);
    createPanel(demo);
    m_panel->activateWindow();
    QVERIFY(QTest::qWaitForWindowActive(m_panel.get()));
    // The window opens with the first relay, not with the frame's column.
    QCOMPARE(QApplication::focusWidget(), m_panel->pair(0)->relayAButton());
    selectMode(mode);

    const QList<QWidget *> expected = readingOrder();
    QCOMPARE(expected.contains(updateBtn(*m_panel)), mode == 1);
    QCOMPARE(expected.contains(triggerBtn(*m_panel)), mode == 2);
    // From nothing focused, Tab starts there too.
    QApplication::focusWidget()->clearFocus();
    QVERIFY(!m_panel->focusWidget());
    QTest::keyClick(m_panel.get(), Qt::Key_Tab);
    QCOMPARE(m_panel->focusWidget(), expected.first());

    const int limit = int(m_panel->findChildren<QWidget *>().size());
    QCOMPARE(tabWalk(expected.first(), false, limit), expected);
    QList<QWidget *> backwards = expected.mid(1);
    std::reverse(backwards.begin(), backwards.end());
    backwards.prepend(expected.first());
    QCOMPARE(tabWalk(expected.first(), true, limit), backwards);
}

void tst_RelayPanel::everyEnabledControlIsReached()
{
    createPanel(false);
    m_panel->activateWindow();
    QVERIFY(QTest::qWaitForWindowActive(m_panel.get()));
    for (int mode : {0, 1, 2}) {
        selectMode(mode);
        // Every control of the window that takes the focus from Tab, found
        // without knowing the panel's members.
        QSet<QWidget *> controls;
        for (QWidget *widget : m_panel->findChildren<QWidget *>()) {
            if (widget->window() == m_panel.get() && (widget->focusPolicy() & Qt::TabFocus)
                && widget->isVisibleTo(m_panel.get()) && widget->isEnabled())
                controls.insert(widget);
        }
        const QList<QWidget *> walk = tabWalk(m_panel->pair(0)->relayAButton(), false,
                                              int(m_panel->findChildren<QWidget *>().size()));
        const QSet<QWidget *> reached(walk.cbegin(), walk.cend());
        QCOMPARE(reached.size(), walk.size());
        QCOMPARE(reached, controls);
        // 32 relays, the combo, one of "Trigger" and "Update" outside the
        // asynchronous mode, "Exclusive", and the frame's four buttons.
        QCOMPARE(int(controls.size()), mode == 0 ? 38 : 39);
    }
}

void tst_RelayPanel::spaceTogglesRelay()
{
    createPanel(false);
    m_panel->activateWindow();
    QVERIFY(QTest::qWaitForWindowActive(m_panel.get()));
    QPushButton *relayA = m_panel->pair(2)->relayAButton();
    QPushButton *relayB = m_panel->pair(2)->relayBButton();
    QSignalSpy clicked(m_panel->pair(2), &qx5170_sfpRelayPair::buttonClicked);
    sfptest::clearTrace();

    relayA->setFocus(Qt::TabFocusReason);
    QCOMPARE(QApplication::focusWidget(), relayA);
    QTest::keyClick(QApplication::focusWidget(), Qt::Key_Space);
    QVERIFY(relayA->isChecked());
    QVERIFY(cardRelayApplied(5));
    QTest::keyClick(QApplication::focusWidget(), Qt::Key_Tab);
    QCOMPARE(QApplication::focusWidget(), relayB);
    QTest::keyClick(QApplication::focusWidget(), Qt::Key_Space);
    QVERIFY(relayB->isChecked());
    QVERIFY(cardRelayApplied(6));
    QTest::keyClick(QApplication::focusWidget(), Qt::Key_Space);
    QVERIFY(!relayB->isChecked());
    QVERIFY(!cardRelayApplied(6));
    QVERIFY(relayA->isChecked());
    QCOMPARE(clicked.size(), 3);
    QCOMPARE(sfptest::trace({QStringLiteral("qx5170_switchRelay(")}),
             QStringList({call("qx5170_switchRelay(%1, 5, 1) = 0"),
                          call("qx5170_switchRelay(%1, 6, 1) = 0"),
                          call("qx5170_switchRelay(%1, 6, 0) = 0")}));
}

void tst_RelayPanel::keyboardAnswersCloseQuestion()
{
    createPanel(true);
    m_panel->activateWindow();
    QVERIFY(QTest::qWaitForWindowActive(m_panel.get()));

    // Esc is No: the window stays.
    namedChild<QPushButton>(*m_panel, "closeBtn")->setFocus(Qt::TabFocusReason);
    auto answer = sfptest::answerNextModalWithKeys({Qt::Key_Escape});
    QTest::keyClick(namedChild<QPushButton>(*m_panel, "closeBtn"), Qt::Key_Space);
    QVERIFY(answer->answered);
    QCOMPARE(answer->text, QStringLiteral("Do you really want to exit?"));
    // The box opens with the focus on its default button, Yes.
    QCOMPARE(answer->focusButton, QStringLiteral("Yes"));
    QVERIFY(m_panel->isVisible());

    // Tab to No and Space: still open.
    m_panel->activateWindow();
    QVERIFY(QTest::qWaitForWindowActive(m_panel.get()));
    namedChild<QPushButton>(*m_panel, "closeBtn")->setFocus(Qt::TabFocusReason);
    answer = sfptest::answerNextModalWithKeys({Qt::Key_Tab, Qt::Key_Space});
    QTest::keyClick(namedChild<QPushButton>(*m_panel, "closeBtn"), Qt::Key_Space);
    QVERIFY(answer->answered);
    QVERIFY(m_panel->isVisible());

    // Return takes the default answer, Yes: the window closes.
    m_panel->activateWindow();
    QVERIFY(QTest::qWaitForWindowActive(m_panel.get()));
    namedChild<QPushButton>(*m_panel, "closeBtn")->setFocus(Qt::TabFocusReason);
    answer = sfptest::answerNextModalWithKeys({Qt::Key_Return});
    QTest::keyClick(namedChild<QPushButton>(*m_panel, "closeBtn"), Qt::Key_Space);
    QVERIFY(answer->answered);
    QVERIFY(!m_panel->isVisible());
}

SFPTEST_MAIN(tst_RelayPanel)
#include "tst_relaypanel.moc"
