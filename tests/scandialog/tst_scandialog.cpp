// SPDX-FileCopyrightText: 2026 Tarvex
// SPDX-License-Identifier: MIT
// The "Scan" window on the simulated card: the channel list as the operator
// writes it, a scan started, stepped and stopped from the window with the
// relays' buttons that it uses disabled, a timed scan to its end, a refused
// step, the fixture's sequences in the relay area's menu, and the window
// following settings that a script gives the card.
#include "cardscan.h"
#include "cardsession.h"
#include "panelsetup.h"
#include "qx5170_fc.h"
#include "qx5170_sfprelaypair.h"
#include "qx5170fp_app.h"
#include "scanchannels.h"
#include "scandialog.h"
#include "sfptest.h"
#include "translation.h"

#include "sim_control.h"

#include <QAccessible>
#include <QCheckBox>
#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QPushButton>
#include <QRegularExpression>
#include <QScopeGuard>
#include <QSpinBox>
#include <QTemporaryDir>
#include <QTest>

#include <memory>

namespace {

using sfptest::namedChild;
using Steps = QList<QList<int>>;

const char oneCardSystem[] = R"({"resources": [
    {"descriptor": "VXI0::1::INSTR", "slot": 5,
     "motherboard": {"code": "0x0B52", "positions": 4,
                     "cards": [{"position": 2, "code": "0x5170"}]}}]})";

// The card's own lines of the trace, without the card's name.
QStringList cardLines()
{
    QStringList lines;
    for (const QString &line : sfptest::trace({QStringLiteral("card VXI0::1::INSTR FC2 ")}))
        lines.append(line.mid(int(qstrlen("card VXI0::1::INSTR FC2 "))));
    return lines;
}

QPushButton *relayButton(const qx5170fp_App &panel, int relay)
{
    const qx5170_sfpRelayPair *pair = panel.pair((relay - 1) / 2);
    return relay % 2 == 1 ? pair->relayAButton() : pair->relayBButton();
}

// The relays whose buttons a run holds: disabled of their own, whatever
// their pair's state.
QList<int> heldRelays(const qx5170fp_App &panel)
{
    QList<int> held;
    for (int relay = 1; relay <= sfp::relayCount; ++relay) {
        if (relayButton(panel, relay)->testAttribute(Qt::WA_ForceDisabled))
            held.append(relay);
    }
    return held;
}

QList<int> closedRelays(const qx5170fp_App &panel)
{
    QList<int> closed;
    for (int relay = 1; relay <= sfp::relayCount; ++relay) {
        if (panel.card()->isClosed(relay))
            closed.append(relay);
    }
    return closed;
}

QStringList menuTexts(QMenu *menu)
{
    QStringList texts;
    for (const QAction *action : menu->actions())
        texts.append(action->isSeparator() ? QStringLiteral("--") : action->text());
    return texts;
}

QAction *menuAction(QMenu *menu, const QString &text)
{
    for (QAction *action : menu->actions()) {
        if (action->text() == text)
            return action;
    }
    qFatal("the menu has no \"%s\"", qPrintable(text));
}

QString accessibleName(QWidget *widget)
{
    return QAccessible::queryAccessibleInterface(widget)->text(QAccessible::Name);
}

// The dialog's controls, by the names that automation uses.
struct ScanControls
{
    explicit ScanControls(const QWidget &dialog)
        : channels(namedChild<QLineEdit>(dialog, "scanChannels"))
        , channelsError(namedChild<QLabel>(dialog, "scanChannelsError"))
        , delay(namedChild<QSpinBox>(dialog, "scanDelay"))
        , trigger(namedChild<QComboBox>(dialog, "scanTrigger"))
        , interval(namedChild<QSpinBox>(dialog, "scanInterval"))
        , count(namedChild<QSpinBox>(dialog, "scanCount"))
        , noEnd(namedChild<QCheckBox>(dialog, "scanNoEnd"))
        , start(namedChild<QPushButton>(dialog, "scanStart"))
        , step(namedChild<QPushButton>(dialog, "scanStep"))
        , stop(namedChild<QPushButton>(dialog, "scanStop"))
        , progress(namedChild<QLabel>(dialog, "scanProgress"))
    { }

    // The controls that set the scan: enabled only while nothing runs.
    QList<QWidget *> settings() const { return {channels, delay, trigger, count, noEnd, start}; }
    // Which of Start, Step and Stop take a click: "SSS" with "-" for one
    // that does not.
    QString buttons() const
    {
        return QString(start->isEnabled() ? 'S' : '-') + (step->isEnabled() ? 'S' : '-')
            + (stop->isEnabled() ? 'S' : '-');
    }

    QLineEdit *channels;
    QLabel *channelsError;
    QSpinBox *delay;
    QComboBox *trigger;
    QSpinBox *interval;
    QSpinBox *count;
    QCheckBox *noEnd;
    QPushButton *start;
    QPushButton *step;
    QPushButton *stop;
    QLabel *progress;
};

} // namespace

class tst_ScanDialog : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase();
    void init();
    void cleanup();

    void channelLists_data();
    void channelLists();
    void busScanStepsAndStops();
    void timedScans();
    void refusedStepEndsTheScan();
    void sequencesFromTheMenu();
    void followsTheCard();
    void germanIsShownWhole();

private:
    void createPanel();
    // Opens the window as the operator does: "Scan..." in the relay
    // area's menu.
    sfp::ScanDialog *openFromMenu();
    // Gives the card a fixture with the rule "PSU/GND" (relays 3 and 7)
    // and `sequences`, kept in a file of its own.
    void setFixture(const QList<sfp::FixtureSequence> &sequences = {});

    QTemporaryDir m_folder;
    std::unique_ptr<qx5170_fc> m_fc;
    std::unique_ptr<qx5170fp_App> m_panel;
};

void tst_ScanDialog::initTestCase()
{
    QVERIFY(m_folder.isValid());
    qputenv("ALLUSERSPROFILE", QFile::encodeName(m_folder.path()));
    qputenv("XDG_CONFIG_HOME", QFile::encodeName(m_folder.path()));
    sfptest::dismissStrayModals();
}

void tst_ScanDialog::init()
{
    std::string error;
    QVERIFY2(sfpsim::loadDescription(oneCardSystem, &error), error.c_str());
    sfpsim::clearFaults();
    sfptest::clearTrace();
}

void tst_ScanDialog::cleanup()
{
    m_panel.reset();
    m_fc.reset();
    QCOMPARE(sfptest::takeStrayModals(), QStringList());
    QCOMPARE(sfpsim::openSessionCount(), 0);
}

void tst_ScanDialog::createPanel()
{
    m_fc = std::make_unique<qx5170_fc>();
    m_panel = sfptest::openPanel(m_fc.get(), QStringLiteral("Auto Find"));
    QVERIFY(m_panel);
    sfptest::clearTrace();
}

sfp::ScanDialog *tst_ScanDialog::openFromMenu()
{
    const std::unique_ptr<QMenu> menu(m_panel->newStateMenu());
    menuAction(menu.get(), QStringLiteral("Scan..."))->trigger();
    sfp::ScanDialog *dialog = m_panel->scanDialog();
    if (dialog && !QTest::qWaitForWindowExposed(dialog))
        return nullptr;
    return dialog;
}

void tst_ScanDialog::setFixture(const QList<sfp::FixtureSequence> &sequences)
{
    sfp::Fixture fixture;
    fixture.rules.append({QStringLiteral("PSU/GND"), sfp::FixtureRule::Kind::Mutual, {3, 7}});
    sfp::FixtureState idle;
    idle.name = QStringLiteral("idle");
    fixture.states.append(idle);
    fixture.sequences = sequences;
    m_panel->card()->setFixture(fixture, m_folder.filePath(QStringLiteral("fixture.json")), true);
}

void tst_ScanDialog::channelLists_data()
{
    QTest::addColumn<QString>("text");
    QTest::addColumn<Steps>("steps");
    QTest::addColumn<QString>("error");
    QTest::addColumn<QString>("written");

    QTest::newRow("each kind") << "1,3:5,(7,9)" << Steps {{1}, {3}, {4}, {5}, {7, 9}} << ""
                               << "1,3:5,(7,9)";
    QTest::newRow("down, spaces, range in a group")
        << " 5 : 3 , ( 1:2 , 32 ) " << Steps {{5}, {4}, {3}, {1, 2, 32}} << ""
        << "5:3,(1:2,32)";
    QTest::newRow("two make a range") << "1,2,9,8,10" << Steps {{1}, {2}, {9}, {8}, {10}} << ""
                                      << "1:2,9:8,10";
    QTest::newRow("a group of one") << "(8)" << Steps {{8}} << ""
                                    << "8";
    QTest::newRow("groups between")
        << "(3,2,1),4,5,(6,7),(9)" << Steps {{3, 2, 1}, {4}, {5}, {6, 7}, {9}} << ""
        << "(3:1),4:5,(6:7),9";
    QTest::newRow("a channel again") << "4,4,4" << Steps {{4}, {4}, {4}} << ""
                                     << "4,4,4";
    QTest::newRow("empty") << "  " << Steps() << ""
                           << "";

    const QString range = QStringLiteral(": channels are 1 to 32");
    QTest::newRow("zero") << "0" << Steps() << "The card has no channel 0" + range << "";
    QTest::newRow("33 in a range")
        << "1,30:33" << Steps() << "The card has no channel 33" + range << "";
    QTest::newRow("too long a number")
        << "99999999999" << Steps() << "The card has no channel 99999999999" + range << "";
    QTest::newRow("a word") << "1,x2" << Steps() << "\"x2\" is not a channel" + range << "";
    QTest::newRow("a sign") << "-1" << Steps() << "\"-1\" is not a channel" + range << "";
    QTest::newRow("two commas") << "1,,2" << Steps() << "A channel is missing before \",\""
                                << "";
    QTest::newRow("a comma last") << "1," << Steps() << "A channel is missing at the end"
                                  << "";
    QTest::newRow("a range's end") << "3:" << Steps() << "A channel is missing at the end"
                                   << "";
    QTest::newRow("a range's start") << ":3" << Steps() << "A channel is missing before \":\""
                                     << "";
    QTest::newRow("open group") << "(1,2" << Steps() << "A group is not closed: \")\" is missing"
                                << "";
    QTest::newRow("group in group") << "(1,(2))" << Steps() << "A group cannot hold another group"
                                    << "";
    QTest::newRow("closing alone") << "1)" << Steps() << "\")\" closes no group"
                                   << "";
    QTest::newRow("empty group") << "()" << Steps() << "A group is empty"
                                 << "";
    QTest::newRow("comma in group last") << "(1,)" << Steps() << "A channel is missing before \")\""
                                         << "";
    QTest::newRow("no comma") << "1 2" << Steps() << "A comma is missing before \"2\""
                              << "";
    QTest::newRow("no comma in a group") << "(1 2)" << Steps() << "A comma is missing before \"2\""
                                         << "";
    QTest::newRow("no comma after a group")
        << "(1,2)3" << Steps() << "A comma is missing before \"3\""
        << "";
    QTest::newRow("twice in a group") << "(1,1:2)" << Steps() << "Channel 1 is twice in one group"
                                      << "";
    QTest::newRow("too many steps") << QStringList(32, QStringLiteral("1:32")).join(',') << Steps()
                                    << "A scan has at most 1000 steps"
                                    << "";
}

void tst_ScanDialog::channelLists()
{
    QFETCH(QString, text);
    QFETCH(Steps, steps);
    QFETCH(QString, error);
    QFETCH(QString, written);
    const sfp::scanChannels::Reading reading = sfp::scanChannels::read(text);
    QCOMPARE(reading.error, error);
    QCOMPARE(reading.steps, steps);
    if (!error.isEmpty())
        return;
    QCOMPARE(sfp::scanChannels::write(steps), written);
    QCOMPARE(sfp::scanChannels::read(written).steps, steps);
}

void tst_ScanDialog::busScanStepsAndStops()
{
    createPanel();
    sfp::ScanDialog *dialog = openFromMenu();
    QVERIFY(dialog);
    QVERIFY(!dialog->isModal());
    const ScanControls scan(*dialog);
    QCOMPARE(scan.progress->text(), QStringLiteral("Not running"));
    QCOMPARE(scan.buttons(), QStringLiteral("---"));

    // A list with a fault says so next to it, and cannot be started.
    QTest::keyClicks(scan.channels, QStringLiteral("2,(3,4),6)"));
    QVERIFY(scan.channelsError->isVisible());
    QCOMPARE(scan.channelsError->text(), QStringLiteral("\")\" closes no group"));
    QCOMPARE(scan.buttons(), QStringLiteral("---"));
    QTest::keyClick(scan.channels, Qt::Key_Backspace);
    QVERIFY(!scan.channelsError->isVisible());
    QCOMPARE(scan.buttons(), QStringLiteral("S--"));

    QVERIFY(!scan.interval->isEnabled());
    scan.trigger->setCurrentIndex(1);
    QCOMPARE(scan.trigger->currentText(), QStringLiteral("Step button"));
    QVERIFY(!scan.interval->isEnabled());
    scan.count->setValue(2);
    scan.delay->setValue(0);
    QTest::mouseClick(scan.start, Qt::LeftButton);

    // Each step, the first too, waits for Step.
    QCOMPARE(scan.progress->text(), QStringLiteral("Waiting for the first Step"));
    QCOMPARE(closedRelays(*m_panel), QList<int>());
    QCOMPARE(scan.buttons(), QStringLiteral("-SS"));
    QTest::mouseClick(scan.step, Qt::LeftButton);
    QCOMPARE(scan.progress->text(), QStringLiteral("Step 1 of 3, sweep 1 of 2. Waiting for Step"));
    QCOMPARE(closedRelays(*m_panel), QList<int>({2}));
    QVERIFY(relayButton(*m_panel, 2)->isChecked());
    QCOMPARE(heldRelays(*m_panel), QList<int>({2, 3, 4, 6}));
    QVERIFY(relayButton(*m_panel, 5)->isEnabled());
    for (QWidget *control : scan.settings())
        QVERIFY2(!control->isEnabled(), qPrintable(control->objectName()));
    QCOMPARE(scan.buttons(), QStringLiteral("-SS"));

    QTest::mouseClick(scan.step, Qt::LeftButton);
    QCOMPARE(scan.progress->text(), QStringLiteral("Step 2 of 3, sweep 1 of 2. Waiting for Step"));
    QCOMPARE(closedRelays(*m_panel), QList<int>({3, 4}));
    QVERIFY(relayButton(*m_panel, 3)->isChecked() && relayButton(*m_panel, 4)->isChecked());
    QVERIFY(!relayButton(*m_panel, 2)->isChecked());
    QTest::mouseClick(scan.step, Qt::LeftButton);
    QTest::mouseClick(scan.step, Qt::LeftButton);
    QCOMPARE(scan.progress->text(), QStringLiteral("Step 1 of 3, sweep 2 of 2. Waiting for Step"));

    // A script takes the lock: the window's controls are locked, Stop is
    // not; the run's buttons stay held under the lock and after it.
    m_panel->setControlsLocked(true);
    QCOMPARE(scan.buttons(), QStringLiteral("--S"));
    QVERIFY(!m_panel->pair(0)->isEnabled());
    QTest::mouseClick(scan.stop, Qt::LeftButton);
    QCOMPARE(scan.progress->text(), QStringLiteral("Stopped"));
    QCOMPARE(closedRelays(*m_panel), QList<int>());
    QCOMPARE(heldRelays(*m_panel), QList<int>());
    QVERIFY(!relayButton(*m_panel, 2)->isEnabled());
    QCOMPARE(scan.buttons(), QStringLiteral("---"));
    m_panel->setControlsLocked(false);
    for (int relay = 1; relay <= sfp::relayCount; ++relay)
        QVERIFY(relayButton(*m_panel, relay)->isEnabled());
    for (QWidget *control : scan.settings())
        QVERIFY2(control->isEnabled(), qPrintable(control->objectName()));
    QCOMPARE(scan.buttons(), QStringLiteral("S--"));

    // Each step's relays open before the next step's close.
    QCOMPARE(
        cardLines(),
        QStringList({"relay 2 on", "relay 2 off", "relay 3 on", "relay 4 on", "relay 3 off",
                     "relay 4 off", "relay 6 on", "relay 6 off", "relay 2 on", "relay 2 off"}));

    // Asked for again, the same window.
    m_panel->showScanDialog();
    QCOMPARE(m_panel->scanDialog(), dialog);
}

void tst_ScanDialog::timedScans()
{
    createPanel();
    sfp::ScanDialog *dialog = openFromMenu();
    QVERIFY(dialog);
    const ScanControls scan(*dialog);
    scan.channels->setText(QStringLiteral("7:5"));
    scan.trigger->setCurrentIndex(2);
    QVERIFY(scan.interval->isEnabled());
    scan.interval->setValue(1);
    scan.count->setValue(3);
    scan.delay->setValue(2);
    QTest::mouseClick(scan.start, Qt::LeftButton);
    QTRY_COMPARE(scan.progress->text(), QStringLiteral("Done"));
    QCOMPARE(cardLines().count(QStringLiteral("relay 5 on")), 3);
    QCOMPARE(cardLines().size(), 18);
    QCOMPARE(closedRelays(*m_panel), QList<int>());
    QCOMPARE(heldRelays(*m_panel), QList<int>());
    QCOMPARE(scan.buttons(), QStringLiteral("S--"));
    QCOMPARE(m_panel->card()->scan()->settings().delays[4], 2);
    QCOMPARE(m_panel->card()->scan()->settings().delays[7], 0);

    // Without end: the sweeps go on until Stop.
    QTest::mouseClick(scan.noEnd, Qt::LeftButton);
    QVERIFY(!scan.count->isEnabled());
    scan.interval->setValue(5);
    QTest::mouseClick(scan.start, Qt::LeftButton);
    QCOMPARE(m_panel->card()->scan()->settings().count, 0);
    static const QRegularExpression endless(QStringLiteral("^Step [1-3] of 3, sweep ([0-9]+)$"));
    QTRY_VERIFY2(endless.match(scan.progress->text()).captured(1).toInt() >= 2,
                 qPrintable(scan.progress->text()));
    QCOMPARE(scan.buttons(), QStringLiteral("--S"));
    QTest::mouseClick(scan.stop, Qt::LeftButton);
    QCOMPARE(scan.progress->text(), QStringLiteral("Stopped"));
    QCOMPARE(closedRelays(*m_panel), QList<int>());
}

void tst_ScanDialog::refusedStepEndsTheScan()
{
    createPanel();
    setFixture();
    sfp::ScanDialog *dialog = openFromMenu();
    QVERIFY(dialog);
    const ScanControls scan(*dialog);
    scan.channels->setText(QStringLiteral("1,(3,7),9"));
    QTest::mouseClick(scan.start, Qt::LeftButton);
    QTRY_COMPARE(scan.progress->text(),
                 QStringLiteral("Ended: \"PSU/GND\" allows one of relays 3, 7"));
    // Nothing of the refused step reached the card; the first step's relay
    // opened at the end.
    QCOMPARE(cardLines(), QStringList({"relay 1 on", "relay 1 off"}));
    QCOMPARE(heldRelays(*m_panel), QList<int>());
    QCOMPARE(scan.buttons(), QStringLiteral("S--"));
}

void tst_ScanDialog::sequencesFromTheMenu()
{
    createPanel();
    // Without a fixture file, the menu opens the scan alone.
    std::unique_ptr<QMenu> menu(m_panel->newStateMenu());
    QCOMPARE(menuTexts(menu.get()), QStringList({"Scan..."}));
    using Kind = sfp::SequenceStep::Kind;
    const sfp::FixtureSequence slow {QStringLiteral("R&D slow"),
                                     {{Kind::Close, {5}, 0}, {Kind::Wait, {}, 60000}}};
    const sfp::FixtureSequence broken {QStringLiteral("broken"), {{Kind::Close, {3, 7}, 0}}};
    setFixture({slow, broken});
    menu.reset(m_panel->newStateMenu());
    QCOMPARE(menuTexts(menu.get()),
             QStringList({"Scan...", "--", "Apply \"idle\"", "Run sequence \"R&&D slow\"",
                          "Run sequence \"broken\"", "--", "Save current state as..."}));

    // A refusal is said as a click's is, also one of the sequence's own step.
    menuAction(menu.get(), QStringLiteral("Run sequence \"broken\""))->trigger();
    const auto *refusal = m_panel->findChild<QLabel *>(QStringLiteral("refusalInfo"));
    QVERIFY(refusal && refusal->isVisible());
    QCOMPARE(refusal->text(), QStringLiteral("Refused: \"PSU/GND\" allows one of relays 3, 7"));
    QCOMPARE(cardLines(), QStringList());

    menuAction(menu.get(), QStringLiteral("Run sequence \"R&&D slow\""))->trigger();
    QCOMPARE(closedRelays(*m_panel), QList<int>({5}));
    QCOMPARE(heldRelays(*m_panel), QList<int>({5}));
    menuAction(menu.get(), QStringLiteral("Run sequence \"broken\""))->trigger();
    QCOMPARE(refusal->text(), QStringLiteral("Refused: a scan or sequence runs already"));

    // The scan's window shows the sequence and stops it; its relays stay.
    sfp::ScanDialog *dialog = openFromMenu();
    QVERIFY(dialog);
    const ScanControls scan(*dialog);
    QTRY_COMPARE(scan.progress->text(), QStringLiteral("Sequence: step 2"));
    QCOMPARE(scan.buttons(), QStringLiteral("--S"));
    QTest::mouseClick(scan.stop, Qt::LeftButton);
    QCOMPARE(scan.progress->text(), QStringLiteral("Stopped"));
    QCOMPARE(closedRelays(*m_panel), QList<int>({5}));
    QCOMPARE(heldRelays(*m_panel), QList<int>());
}

void tst_ScanDialog::followsTheCard()
{
    createPanel();
    // Settings a script gave before the window opened.
    sfp::ScanSettings settings;
    settings.steps = {{1}, {2}, {3}, {9, 10}};
    settings.delays[8] = 250;
    settings.delays[1] = 40;
    settings.trigger = sfp::ScanTrigger::Timer;
    settings.intervalMilliseconds = 40;
    settings.count = 0;
    QVERIFY(m_panel->card()->scan()->setSettings(settings).isNone());
    sfp::ScanDialog *dialog = openFromMenu();
    QVERIFY(dialog);
    const ScanControls scan(*dialog);
    QCOMPARE(scan.channels->text(), QStringLiteral("1:3,(9:10)"));
    QCOMPARE(scan.delay->value(), 250);
    QCOMPARE(scan.trigger->currentText(), QStringLiteral("Timer"));
    QCOMPARE(scan.interval->value(), 40);
    QVERIFY(scan.interval->isEnabled());
    QVERIFY(scan.noEnd->isChecked());
    QVERIFY(!scan.count->isEnabled());

    // Changed while it is open; the operator's own writing of the same
    // list stays as it is.
    scan.channels->setText(QStringLiteral("4,(5,6)"));
    settings.steps = {{4}, {5, 6}};
    settings.trigger = sfp::ScanTrigger::Bus;
    settings.count = 7;
    QVERIFY(m_panel->card()->scan()->setSettings(settings).isNone());
    QCOMPARE(scan.channels->text(), QStringLiteral("4,(5,6)"));
    QCOMPARE(scan.delay->value(), 0);
    QCOMPARE(scan.trigger->currentText(), QStringLiteral("Step button"));
    QVERIFY(!scan.interval->isEnabled());
    QVERIFY(!scan.noEnd->isChecked());
    QCOMPARE(scan.count->value(), 7);
    settings.steps = {{8}, {7}, {6}};
    QVERIFY(m_panel->card()->scan()->setSettings(settings).isNone());
    QCOMPARE(scan.channels->text(), QStringLiteral("8:6"));

    // Read by a screen reader through the labels; help on each control.
    QCOMPARE(dialog->windowTitle(), QStringLiteral("Scan"));
    QCOMPARE(accessibleName(scan.channels), QStringLiteral("Channels:"));
    QCOMPARE(accessibleName(scan.delay), QStringLiteral("Settle time:"));
    QCOMPARE(accessibleName(scan.interval), QStringLiteral("Interval:"));
    QCOMPARE(accessibleName(scan.count), QStringLiteral("Count:"));
    QCOMPARE(accessibleName(scan.noEnd), QStringLiteral("No end"));
    QCOMPARE(accessibleName(scan.start), QStringLiteral("Start"));
    const QList<QWidget *> controls {scan.channels, scan.delay,   scan.trigger, scan.interval,
                                     scan.count,    scan.noEnd,   scan.start,   scan.step,
                                     scan.stop,     scan.progress};
    for (QWidget *control : controls) {
        QVERIFY2(!control->toolTip().isEmpty(), qPrintable(control->objectName()));
        QCOMPARE(control->whatsThis(), control->toolTip());
    }
    QCOMPARE(scan.trigger->toolTip(),
             QStringLiteral("Selects what moves the scan to its next step.\n"
                            "Immediate - the next step follows once the last is complete,\n"
                            "Step button - the Step button or a script's trigger,\n"
                            "Timer - each step starts one interval after the one before."));
}

void tst_ScanDialog::germanIsShownWhole()
{
    createPanel();
    sfp::translation::install(QStringLiteral("de"));
    const auto english = qScopeGuard([] { sfp::translation::install(QStringLiteral("en")); });
    sfp::ScanDialog *dialog = openFromMenu();
    QVERIFY(dialog);
    const ScanControls scan(*dialog);
    QCOMPARE(scan.start->text(), QStringLiteral("S&tarten"));
    // The longest lines it says: a fault of the list, a refused step.
    setFixture();
    scan.channels->setText(QStringLiteral("1,(3,7),1x"));
    QCOMPARE(scan.channelsError->text(),
             QStringLiteral("„1x“ ist kein Kanal: Kanäle sind 1 bis 32"));
    scan.channels->setText(QStringLiteral("1,(3,7)"));
    QTest::mouseClick(scan.start, Qt::LeftButton);
    QTRY_COMPARE(scan.progress->text(),
                 QStringLiteral("Abgebrochen: „PSU/GND“ erlaubt nur eines der Relais 3, 7"));
    QCoreApplication::sendPostedEvents(nullptr, QEvent::LayoutRequest);
    for (QWidget *widget : dialog->findChildren<QWidget *>()) {
        if (!widget->isVisible()
            || !(qobject_cast<QLabel *>(widget) || qobject_cast<QAbstractButton *>(widget)))
            continue;
        QVERIFY2(widget->width() >= widget->sizeHint().width(),
                 qPrintable(widget->objectName() + widget->property("text").toString()));
    }
}

SFPTEST_MAIN(tst_ScanDialog)
#include "tst_scandialog.moc"
