// SPDX-FileCopyrightText: 2026 Tarvex
// SPDX-License-Identifier: MIT
// The SCPI remote control on the relay panel, connected to the simulated
// card: what each command does to the card and the window, the driver calls
// against those of a click, the error queue and the status registers, saved
// states, and remote commands waiting while the operator is asked something.
#include "cardsession.h"
#include "fixture.h"
#include "panelsetup.h"
#include "qx2010fp_led.h"
#include "qx5170_fc.h"
#include "qx5170_sfprelaypair.h"
#include "qx5170fp_app.h"
#include "relaywear.h"
#include "remotecontrol.h"
#include "savedstates.h"
#include "scpiclient.h"
#include "sfptest.h"
#include "switchinglog.h"
#include "switchinglogview.h"
#include "testcatalogue.h"
#include "userfolders.h"

#include "qx5170.h"
#include "sim_control.h"

#include <QAction>
#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QGroupBox>
#include <QImage>
#include <QInputDialog>
#include <QLabel>
#include <QMap>
#include <QMenu>
#include <QProcess>
#include <QPushButton>
#include <QScopeGuard>
#include <QScreen>
#include <QSignalSpy>
#include <QTableView>
#include <QTcpSocket>
#include <QTemporaryDir>
#include <QTest>
#include <QTranslator>

#include <QElapsedTimer>

#include <memory>
#include <thread>

#include <sys/stat.h>
#include <unistd.h>

namespace {

const char cardDescriptor[] = "VXI0::1::INSTR";
constexpr int cardPosition = 2;

const char oneCardSystem[] = R"({"resources": [
    {"descriptor": "VXI0::1::INSTR", "slot": 5,
     "motherboard": {"code": "0x0B52", "positions": 4,
                     "cards": [{"position": 2, "code": "0x5170"}]}}]})";

QStringList driverCalls()
{
    return {QStringLiteral("qx5170_")};
}

sfpsim::CardState cardState()
{
    sfpsim::CardState state;
    sfpsim::cardState(cardDescriptor, cardPosition, &state);
    return state;
}

using Client = sfptest::ScpiClient;

} // namespace

class tst_RemoteControl : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase();
    void init();
    void cleanup();

    void sameCallsAsAClick();
    void windowPaintsAfterAScript();
    void windowShowsTheCard();
    void channelsAndQueries();
    void modesUpdateAndTrigger();
    void exclusiveRule();
    void closeOnlyTheList();
    void manyRelaysSwitchOnlyWhatChanges();
    void recallAppliesAtOneUpdate();
    void savedStateFiles();
    void savedStateOnAFullDisk();
    void slotsThatAreNotFiles();
    void statesBelongToTheirCard();
    void commonCommandsAndStatus();
    void errorQueueOverflows();
    void driverReportsGoToTheQueue();
    void waitsWhileTheOperatorIsAsked();
    void waitsWhileTheCloseQuestionIsOpen();
    void remoteLineAndLock();
    void statusLinesComeAndGo();
    void lockHolds();
    void longLinesAndLineEnds();
    void closedChannelsAsAList();
    void operationAndQuestionableRegisters();
    void errorCountAndAll();
    void numericBooleansAreRounded();
    void fixtureRulesHoldForEveryone();
    void refusalsInTheOperatorsLanguage();
    void fixtureLabels();
    void labelsKeepTheWindowsWidth();
    void fixtureStates();
    void relayWear();
    void switchingLogSources();
    void switchingLogWindow();
    void faultsSaidInTheWindow();

private:
    void createPanel(bool demo = false);
    qx5170_sfpRelayPair *pair(int number) const; // 1..16
    QPushButton *relayButton(int relay) const;
    QComboBox *modeCombo() const { return m_panel->findChild<QComboBox *>(); }
    QCheckBox *exclusiveBox() const { return m_panel->findChild<QCheckBox *>(); }
    QPushButton *modeButton(const char *text) const;
    bool ledRed() const;
    QString remoteLine() const;
    QString call(const char *pattern) const
    {
        return QString::fromLatin1(pattern).arg(m_panel->card()->vi());
    }

    QTemporaryDir m_folder;
    QString m_statesRoot; // the data folder's qx5170fp
    QString m_states; // the card's folder in it
    std::unique_ptr<qx5170_fc> m_fc;
    std::unique_ptr<qx5170fp_App> m_panel;
    std::unique_ptr<sfp::RemoteControl> m_remote;
    Client m_client;
    // Outlives every panel of a test that records into it.
    sfp::SwitchingLog m_log;
};

void tst_RemoteControl::initTestCase()
{
    QVERIFY(m_folder.isValid());
    qputenv("ALLUSERSPROFILE", QFile::encodeName(m_folder.path()));
    qputenv("XDG_CONFIG_HOME", QFile::encodeName(m_folder.path()));
    sfptest::dismissStrayModals();
}

void tst_RemoteControl::init()
{
    std::string error;
    QVERIFY2(sfpsim::loadDescription(oneCardSystem, &error), error.c_str());
    sfpsim::clearFaults();
    m_statesRoot = m_folder.filePath(QStringLiteral("states-%1").arg(QTest::currentTestFunction()));
    createPanel();
    sfptest::clearTrace();
}

void tst_RemoteControl::cleanup()
{
    m_client.socket().abort();
    m_remote.reset();
    m_panel.reset();
    m_fc.reset();
    QCOMPARE(sfptest::takeStrayModals(), QStringList());
    QCOMPARE(sfpsim::openSessionCount(), 0);
}

void tst_RemoteControl::createPanel(bool demo)
{
    m_fc = std::make_unique<qx5170_fc>();
    m_panel = sfptest::openPanel(
        m_fc.get(), demo ? QStringLiteral("Run In Demo Mode") : QStringLiteral("Auto Find"));
    QVERIFY(m_panel);

    // As the program sets it up: the card's name known once it is connected.
    m_remote = std::make_unique<sfp::RemoteControl>(QByteArray(), QString());
    QVERIFY(m_remote->listen(QHostAddress::LocalHost, 0));
    m_panel->followRemote(m_remote.get());
    m_states = sfp::userFolders::cardFolder(m_statesRoot, m_panel->cardId());
    m_remote->setIdentity(sfp::RemoteControl::identity(m_panel->cardId(), m_fc->driverRevision()));
    m_remote->setStateFolder(m_states);
    m_remote->start(m_panel->card());
    QVERIFY(m_client.connectTo(m_remote->port()));
    QCOMPARE(m_client.ask("*OPC?"), QByteArrayLiteral("1"));
}

qx5170_sfpRelayPair *tst_RemoteControl::pair(int number) const
{
    for (qx5170_sfpRelayPair *candidate : m_panel->findChildren<qx5170_sfpRelayPair *>()) {
        if (candidate->pairNo() == number - 1)
            return candidate;
    }
    return nullptr;
}

QPushButton *tst_RemoteControl::relayButton(int relay) const
{
    qx5170_sfpRelayPair *owner = pair((relay + 1) / 2);
    return relay % 2 == 1 ? owner->relayAButton() : owner->relayBButton();
}

QPushButton *tst_RemoteControl::modeButton(const char *text) const
{
    for (QPushButton *button : m_panel->findChildren<QPushButton *>()) {
        if (button->text() == QLatin1String(text))
            return button;
    }
    return nullptr;
}

bool tst_RemoteControl::ledRed() const
{
    for (qx2010fp_led *led : m_panel->findChildren<qx2010fp_led *>()) {
        if (led->text() == QLatin1String("Synchronized"))
            return led->value();
    }
    return false;
}

QString tst_RemoteControl::remoteLine() const
{
    const auto *label = m_panel->findChild<QLabel *>(QStringLiteral("remoteInfo"));
    return label && label->isVisible() ? label->text() : QStringLiteral("<no line>");
}

void tst_RemoteControl::sameCallsAsAClick()
{
    // Relay A of pair 2 is channel 3.
    m_client.run("ROUT:CLOS (@3)");
    const QStringList remote = sfptest::trace(driverCalls());
    QCOMPARE(remote, QStringList(call("qx5170_switchRelay(%1, 3, 1) = 0")));
    QVERIFY(relayButton(3)->isChecked());
    m_client.run("ROUT:OPEN (@3)");
    QVERIFY(!relayButton(3)->isChecked());

    sfptest::clearTrace();
    relayButton(3)->click();
    QCOMPARE(sfptest::trace(driverCalls()), remote);

    // Under the exclusive rule a click closes the relay, then opens its
    // partner; a script's command opens the partner first
    // (break-before-make), so that the two are never closed together.
    exclusiveBox()->click();
    sfptest::clearTrace();
    relayButton(4)->click();
    QVERIFY(!relayButton(3)->isChecked());
    QCOMPARE(
        sfptest::trace({QStringLiteral("card ")}),
        QStringList({"card VXI0::1::INSTR FC2 relay 4 on", "card VXI0::1::INSTR FC2 relay 3 off"}));
    relayButton(4)->click();
    relayButton(3)->click();
    sfptest::clearTrace();
    m_client.run("ROUT:CLOS (@4)");
    QCOMPARE(sfptest::trace(driverCalls()),
             QStringList({call("qx5170_switchRelay(%1, 3, 0) = 0"),
                          call("qx5170_switchRelay(%1, 4, 1) = 0")}));
    QCOMPARE(
        sfptest::trace({QStringLiteral("card ")}),
        QStringList({"card VXI0::1::INSTR FC2 relay 3 off", "card VXI0::1::INSTR FC2 relay 4 on"}));
    QVERIFY(relayButton(4)->isChecked());
    QVERIFY(!relayButton(3)->isChecked());
    QVERIFY(cardState().applied[3]);
    QVERIFY(!cardState().applied[2]);
}

// A script's commands hold the window's painting back for a frame at most:
// afterwards it shows what they switched, not a frozen picture; and it
// paints only what changed, not the whole window once a frame.
void tst_RemoteControl::windowPaintsAfterAScript()
{
    // Paint events per watched widget.
    class PaintCounter final : public QObject
    {
    public:
        int paints = 0;

    protected:
        bool eventFilter(QObject * /*watched*/, QEvent *event) override
        {
            if (event->type() == QEvent::Paint)
                ++paints;
            return false;
        }
    };
    PaintCounter switched;
    PaintCounter untouched;
    relayButton(5)->installEventFilter(&switched);
    relayButton(20)->installEventFilter(&untouched);
    // Whatever the window still had to paint is painted first: a while
    // without any paint.
    QTRY_VERIFY_WITH_TIMEOUT(
        [&untouched] {
            untouched.paints = 0;
            QTest::qWait(50);
            return untouched.paints == 0;
        }(),
        10000);
    switched.paints = 0;
    m_client.run("ROUT:CLOS (@3)");
    m_client.run("ROUT:CLOS (@5)");
    QVERIFY(relayButton(5)->isChecked());
    QTRY_VERIFY_WITH_TIMEOUT(switched.paints > 0, 2000);
    for (int i = 0; i < 20; ++i)
        QCOMPARE(m_client.ask("*OPC?"), QByteArrayLiteral("1"));
    QTest::qWait(100);
    QCOMPARE(untouched.paints, 0);
    QVERIFY(m_panel->updatesEnabled());
}

// What the window shows, drawn from the screen's own copy of it, against
// what the card says it has: every relay button's checked state, and its
// picture on the screen against a fresh drawing of the button as it
// stands, after labels, resizes and bursts of remote commands.
void tst_RemoteControl::windowShowsTheCard()
{
    const QString path = m_folder.filePath(QStringLiteral("fixtures-shown/DEMO.json"));
    m_panel->card()->setFixture(sfp::Fixture(), path, false);
    QCoreApplication::sendPostedEvents();

    const auto cardRelays = [this] {
        const QByteArray answer = m_client.ask("ROUT:CLOS? (@1:32)");
        return answer.split(',');
    };
    // The screen's picture of the window, as the platform was last given it.
    const auto shownPicture = [this] {
        return m_panel->screen()
            ->grabWindow(m_panel->winId())
            .toImage()
            .convertToFormat(QImage::Format_RGB32);
    };
    // The card's answer is asked once, before the window is looked at:
    // each question is a command, which holds painting for a frame itself.
    QByteArrayList states;
    const auto shownAsCard = [&](QString *why) {
        if (states.size() != 32) {
            *why = QStringLiteral("card answered %1 states").arg(states.size());
            return false;
        }
        const QImage shown = shownPicture();
        const QImage drawn = m_panel->grab().toImage().convertToFormat(QImage::Format_RGB32);
        if (shown.size() != drawn.size()) {
            *why = QStringLiteral("shown %1x%2, window %3x%4")
                       .arg(shown.width())
                       .arg(shown.height())
                       .arg(drawn.width())
                       .arg(drawn.height());
            return false;
        }
        for (int relay = 1; relay <= 32; ++relay) {
            QPushButton *button = relayButton(relay);
            const bool closed = states.at(relay - 1) == "1";
            if (button->isChecked() != closed) {
                *why = QStringLiteral("relay %1 shows %2").arg(relay).arg(button->isChecked());
                return false;
            }
            const QRect area(button->mapTo(m_panel.get(), QPoint(0, 0)), button->size());
            if (shown.copy(area) != drawn.copy(area)) {
                *why = QStringLiteral("relay %1's picture is stale").arg(relay);
                return false;
            }
        }
        return true;
    };
    QString why;
    states = cardRelays();
    QTRY_VERIFY2_WITH_TIMEOUT(shownAsCard(&why), qPrintable(why), 30000);

    // A burst that keeps coming while the window works: a few lines at a
    // time, the event loop turning between them.
    const auto burst = [this](int lines, int round) {
        for (int i = 0; i < lines; ++i) {
            const int relay = (i * 7 + round) % 32 + 1;
            m_client.send((i % 3 == 0 ? "ROUT:OPEN (@" : "ROUT:CLOS (@") + QByteArray::number(relay)
                          + ")");
            if (i % 8 == 7)
                QTest::qWait(1);
        }
        m_client.run("*CLS");
    };

    // A command that comes between a change and its painting: the paint
    // the toolkit had asked for comes while painting is held.
    for (int relay : {1, 2, 3}) {
        relayButton(relay)->click();
        emit m_remote->commandArriving();
        states = cardRelays();
        QTRY_VERIFY2_WITH_TIMEOUT(shownAsCard(&why), qPrintable(why), 30000);
    }

    // Labels that once widened the window, sizes larger than the screen
    // and smaller than the window's least, a burst at each.
    const QByteArray label("Reference divider, channel 1");
    const QSize sizes[] = {{2000, 1200}, {400, 300}, {1100, 650}};
    int round = 0;
    for (const QSize &size : sizes) {
        m_client.run("ROUT:CHAN:LAB \"" + label + QByteArray::number(round) + "\",(@1:32)");
        m_panel->setGeometry(QRect(QPoint(0, 0), size));
        burst(400, round);
        m_client.run("ROUT:CHAN:LAB:CLE (@1:16)");
        states = cardRelays();
        QTRY_VERIFY2_WITH_TIMEOUT(shownAsCard(&why), qPrintable(why), 30000);
        ++round;
    }
    // Once the card is quiet, a single switch is drawn too.
    m_client.run("ROUT:CLOS (@1:32)");
    states = cardRelays();
    QTRY_VERIFY2_WITH_TIMEOUT(shownAsCard(&why), qPrintable(why), 30000);
}

void tst_RemoteControl::channelsAndQueries()
{
    m_client.run("ROUT:CLOS (@1,3,30:32)");
    QCOMPARE(m_client.ask("ROUT:CLOS? (@1:4,32,31,30,29)"), QByteArrayLiteral("1,0,1,0,1,1,1,0"));
    QCOMPARE(m_client.ask("ROUT:OPEN? (@1,2)"), QByteArrayLiteral("0,1"));
    for (int relay : {1, 3, 30, 31, 32}) {
        QVERIFY2(relayButton(relay)->isChecked(), qPrintable(QString::number(relay)));
        QVERIFY(cardState().applied[size_t(relay - 1)]);
    }
    QVERIFY(!relayButton(2)->isChecked());

    // Closing a closed relay or opening an open one calls nothing.
    sfptest::clearTrace();
    m_client.run("ROUT:CLOS (@1);:ROUT:OPEN (@2)");
    QCOMPARE(sfptest::trace(driverCalls()), QStringList());

    // A channel out of range refuses the whole list.
    m_client.send("ROUT:OPEN (@1,33)");
    QCOMPARE(m_client.ask("SYST:ERR?"), QByteArrayLiteral("-222,\"Data out of range\""));
    QVERIFY(relayButton(1)->isChecked());
    QCOMPARE(sfptest::trace(driverCalls()), QStringList());
    // Nor does the card session act on a relay the card does not have,
    // whoever asks it.
    sfp::CardSession *card = m_panel->card();
    QSignalSpy changed(card, &sfp::CardSession::relayChanged);
    for (int relay : {0, 33, -1}) {
        card->setRelay(relay, true);
        QVERIFY(!card->isClosed(relay));
    }
    QCOMPARE(changed.count(), 0);
    QCOMPARE(sfptest::trace(driverCalls()), QStringList());

    // Long and short forms in any letter case, queries chained in one
    // response.
    QCOMPARE(m_client.ask("route:open (@30);:rout:clos? (@30);open? (@30)"),
             QByteArrayLiteral("0;1"));
    QVERIFY(!relayButton(30)->isChecked());
}

void tst_RemoteControl::modesUpdateAndTrigger()
{
    m_client.run("ROUT:MODE COMM");
    QCOMPARE(modeCombo()->currentText(), QStringLiteral("Sync. Command"));
    QCOMPARE(cardState().mode, 2);
    QCOMPARE(m_client.ask("ROUT:MODE?"), QByteArrayLiteral("COMM"));
    QCOMPARE(m_client.ask("ROUT:SYNC?"), QByteArrayLiteral("1"));

    m_client.run("ROUT:CLOS (@5)");
    QVERIFY(ledRed());
    QCOMPARE(m_client.ask("ROUT:SYNC?"), QByteArrayLiteral("0"));
    QVERIFY(!cardState().applied[4]);

    // The trigger belongs to Sync. Trigger mode only: refused, nothing called.
    sfptest::clearTrace();
    m_client.send("*TRG");
    QCOMPARE(m_client.ask("SYST:ERR?"),
             QByteArrayLiteral(
                 "-221,\"Settings conflict;a trigger is taken in Sync. Trigger mode only\""));
    QCOMPARE(sfptest::trace(driverCalls()), QStringList());

    m_client.run("ROUT:UPD");
    QCOMPARE(sfptest::trace(driverCalls()), QStringList(call("qx5170_updateRelaysState(%1) = 0")));
    QVERIFY(cardState().applied[4]);
    QVERIFY(!ledRed());
    QCOMPARE(m_client.ask("ROUT:SYNC?"), QByteArrayLiteral("1"));

    m_client.run("ROUT:MODE TRIGger");
    QCOMPARE(modeCombo()->currentText(), QStringLiteral("Sync. Trigger"));
    QVERIFY(modeButton("Trigger")->isEnabled());
    QVERIFY(!modeButton("Update")->isEnabled());
    m_client.run("ROUT:OPEN (@5)");
    QVERIFY(cardState().applied[4]);
    sfptest::clearTrace();
    m_client.send("ROUT:UPD");
    QCOMPARE(m_client.ask("SYST:ERR?"),
             QByteArrayLiteral(
                 "-221,\"Settings conflict;an update is taken in Sync. Command mode only\""));
    QCOMPARE(sfptest::trace(driverCalls()), QStringList());
    m_client.run("*TRG");
    QCOMPARE(sfptest::trace(driverCalls()), QStringList(call("qx5170_pulseSynchTrigger(%1) = 0")));
    QVERIFY(!cardState().applied[4]);

    // Back to Asynchronous as the operator's choice goes: what waits is
    // applied the way the mode left applies it.
    m_client.run("ROUT:CLOS (@6)");
    sfptest::clearTrace();
    m_client.run("ROUT:MODE ASYN");
    QCOMPARE(sfptest::trace(driverCalls()),
             QStringList({call("qx5170_pulseSynchTrigger(%1) = 0"),
                          call("qx5170_setSwitchingMode(%1, 1, 0) = 0")}));
    QVERIFY(cardState().applied[5]);
    QCOMPARE(modeCombo()->currentText(), QStringLiteral("Asynchronous"));
    QCOMPARE(m_client.ask("SYST:ERR?"), QByteArrayLiteral("0,\"No error\""));
}

void tst_RemoteControl::exclusiveRule()
{
    m_client.run("ROUT:CLOS (@1,2,5)");
    m_client.run("ROUT:EXCL ON");
    // Relay A wins, as when the operator ticks the box.
    QVERIFY(exclusiveBox()->isChecked());
    QCOMPARE(m_client.ask("ROUT:CLOS? (@1,2,5)"), QByteArrayLiteral("1,0,1"));
    QVERIFY(!relayButton(2)->isChecked());
    QCOMPARE(m_client.ask("ROUT:EXCL?"), QByteArrayLiteral("1"));

    // A list with both relays of a pair is refused whole.
    sfptest::clearTrace();
    m_client.send("ROUT:CLOS (@7,9:10)");
    QCOMPARE(m_client.ask("SYST:ERR?"),
             QByteArrayLiteral("-221,\"Settings conflict;both relays of pair 5 under the "
                               "exclusive rule\""));
    QCOMPARE(sfptest::trace(driverCalls()), QStringList());
    QCOMPARE(m_client.ask("ROUT:CLOS? (@7,9,10)"), QByteArrayLiteral("0,0,0"));

    // The operator's untick reaches the remote side too.
    exclusiveBox()->click();
    QCOMPARE(m_client.ask("ROUT:EXCL?"), QByteArrayLiteral("0"));
    m_client.run("ROUT:CLOS (@9,10)");
    QCOMPARE(m_client.ask("ROUT:CLOS? (@9,10)"), QByteArrayLiteral("1,1"));
    m_client.run("ROUT:EXCL 1");
    QCOMPARE(m_client.ask("ROUT:CLOS? (@9,10)"), QByteArrayLiteral("1,0"));
}

void tst_RemoteControl::closeOnlyTheList()
{
    // Every other closed relay opens first, then what the list adds closes;
    // a relay of the list that is closed stays as it is.
    m_client.run("ROUT:CLOS (@2,5,7)");
    sfptest::clearTrace();
    m_client.run("ROUT:CLOS:EXCL (@3,7)");
    QCOMPARE(
        sfptest::trace({QStringLiteral("card ")}),
        QStringList({"card VXI0::1::INSTR FC2 relay 2 off", "card VXI0::1::INSTR FC2 relay 5 off",
                     "card VXI0::1::INSTR FC2 relay 3 on"}));
    QCOMPARE(m_client.ask("ROUT:CLOS? (@1:8)"), QByteArrayLiteral("0,0,1,0,0,0,1,0"));
    QVERIFY(relayButton(3)->isChecked());
    QVERIFY(!relayButton(5)->isChecked());

    // Under the exclusive rule a list with both relays of a pair is
    // refused whole, before anything opens.
    m_client.run("ROUT:EXCL ON");
    sfptest::clearTrace();
    m_client.send("ROUT:CLOSe:EXCLusive (@3,4)");
    QCOMPARE(m_client.ask("SYST:ERR?"),
             QByteArrayLiteral("-221,\"Settings conflict;both relays of pair 2 under the "
                               "exclusive rule\""));
    QCOMPARE(sfptest::trace(driverCalls()), QStringList());
    // The partner of a relay of the list is one of the others: it opens
    // first.
    m_client.run("ROUT:CLOS:EXCL (@4)");
    QCOMPARE(
        sfptest::trace({QStringLiteral("card ")}),
        QStringList({"card VXI0::1::INSTR FC2 relay 3 off", "card VXI0::1::INSTR FC2 relay 7 off",
                     "card VXI0::1::INSTR FC2 relay 4 on"}));
}

void tst_RemoteControl::manyRelaysSwitchOnlyWhatChanges()
{
    m_client.run("ROUT:CLOS (@2,17)");
    sfptest::clearTrace();
    m_client.run("ROUT:OPEN:ALL");
    QCOMPARE(sfptest::trace(driverCalls()),
             QStringList({call("qx5170_switchRelay(%1, 2, 0) = 0"),
                          call("qx5170_switchRelay(%1, 17, 0) = 0")}));
    QVERIFY(!relayButton(17)->isChecked());

    // *RST in a synchronous mode: what waited to close is set open and
    // applied so, before the rule goes and the mode is Asynchronous; the
    // relay that only waited never closes.
    m_client.run("ROUT:EXCL ON;MODE COMM;CLOS (@4)");
    sfptest::clearTrace();
    m_client.run("*RST");
    QCOMPARE(sfptest::trace(driverCalls()),
             QStringList({call("qx5170_switchRelay(%1, 4, 0) = 0"),
                          call("qx5170_updateRelaysState(%1) = 0"),
                          call("qx5170_setSwitchingMode(%1, 1, 0) = 0")}));
    QCOMPARE(
        sfptest::trace({QStringLiteral("card ")}),
        QStringList({"card VXI0::1::INSTR FC2 relay 4 off", "card VXI0::1::INSTR FC2 mode 1"}));

    // The same in Sync. Trigger mode: the trigger applies the openings.
    m_client.run("ROUT:MODE TRIG;CLOS (@5,6)");
    m_client.run("*TRG");
    m_client.run("ROUT:CLOS (@7)");
    sfptest::clearTrace();
    m_client.run("*RST");
    QCOMPARE(sfptest::trace(driverCalls()),
             QStringList({call("qx5170_switchRelay(%1, 5, 0) = 0"),
                          call("qx5170_switchRelay(%1, 6, 0) = 0"),
                          call("qx5170_switchRelay(%1, 7, 0) = 0"),
                          call("qx5170_pulseSynchTrigger(%1) = 0"),
                          call("qx5170_setSwitchingMode(%1, 1, 0) = 0")}));
    QCOMPARE(
        sfptest::trace({QStringLiteral("card ")}),
        QStringList({"card VXI0::1::INSTR FC2 relay 5 off", "card VXI0::1::INSTR FC2 relay 6 off",
                     "card VXI0::1::INSTR FC2 relay 7 off", "card VXI0::1::INSTR FC2 mode 1"}));
    QVERIFY(!exclusiveBox()->isChecked());
    QCOMPARE(modeCombo()->currentText(), QStringLiteral("Asynchronous"));
    QCOMPARE(m_client.ask("ROUT:CLOS? (@1:32)").count('1'), 0);
    QVERIFY(!cardState().applied[3]);
}

void tst_RemoteControl::recallAppliesAtOneUpdate()
{
    m_client.run("ROUT:CLOS (@1,3,8);:ROUT:MODE TRIG;EXCL ON");
    m_client.run("*SAV 4");
    m_client.run("*RST;:ROUT:CLOS (@2,3)");
    QCOMPARE(m_client.ask("ROUT:MODE?"), QByteArrayLiteral("ASYN"));

    sfptest::clearTrace();
    m_client.run("*RCL 4");
    // Sync. Command first, the changed relays, one update, then the saved
    // mode: the card never shows an in-between combination. Under the saved
    // rule relay 1 closes while its partner 2 opens: the opening is applied
    // first, at an update of its own (break-before-make).
    QCOMPARE(sfptest::trace(driverCalls()),
             QStringList({call("qx5170_setSwitchingMode(%1, 2, 0) = 0"),
                          call("qx5170_switchRelay(%1, 2, 0) = 0"),
                          call("qx5170_updateRelaysState(%1) = 0"),
                          call("qx5170_switchRelay(%1, 1, 1) = 0"),
                          call("qx5170_switchRelay(%1, 8, 1) = 0"),
                          call("qx5170_updateRelaysState(%1) = 0"),
                          call("qx5170_setSwitchingMode(%1, 3, 0) = 0")}));
    QCOMPARE(m_client.ask("ROUT:CLOS? (@1:8);:ROUT:MODE?;EXCL?"),
             QByteArrayLiteral("1,0,1,0,0,0,0,1;TRIG;1"));
    QCOMPARE(modeCombo()->currentText(), QStringLiteral("Sync. Trigger"));
    QVERIFY(exclusiveBox()->isChecked());
    QVERIFY(relayButton(8)->isChecked());
    QVERIFY(!relayButton(2)->isChecked());
    QVERIFY(cardState().applied[7]);
    QVERIFY(!ledRed());

    // A saved Asynchronous state needs no second update on the way back;
    // the last relay comes back like any other.
    m_client.run("*RST;:ROUT:CLOS (@16,32)");
    m_client.run("*SAV 0;*RST");
    sfptest::clearTrace();
    m_client.run("*RCL 0");
    QCOMPARE(sfptest::trace({QStringLiteral("qx5170_updateRelaysState")}).size(), 1);
    QCOMPARE(m_client.ask("ROUT:CLOS? (@16,32);:ROUT:MODE?"), QByteArrayLiteral("1,1;ASYN"));
    QCOMPARE(m_client.ask("SYST:ERR?"), QByteArrayLiteral("0,\"No error\""));

    // Saved without the exclusive rule, a pair with both relays closed
    // comes back whole, whatever rule was on before the recall.
    m_client.run("*RST;:ROUT:CLOS (@5,6)");
    m_client.run("*SAV 1;:ROUT:OPEN:ALL;:ROUT:EXCL ON");
    m_client.run("*RCL 1");
    QCOMPARE(m_client.ask("ROUT:CLOS? (@5,6);EXCL?"), QByteArrayLiteral("1,1;0"));
}

void tst_RemoteControl::savedStateFiles()
{
    // An empty slot.
    m_client.send("*RCL 9");
    QVERIFY(m_client.ask("SYST:ERR?").startsWith("-224,\"Illegal parameter value"));

    // A damaged file is reported and left as it is; the card keeps its state.
    m_client.run("ROUT:CLOS (@12)");
    QVERIFY(QDir().mkpath(m_states));
    const QString damagedPath = m_states + QStringLiteral("/state-5.json");
    const QByteArray damaged[] = {
        "{\"closed\": [1, 2], \"mode\": \"command\"", // cut short
        "{\"closed\": [1, 40], \"mode\": \"command\", \"exclusive\": false}",
        "{\"closed\": [1, 2], \"mode\": \"command\", \"exclusive\": true}",
        "{\"closed\": [], \"mode\": \"sometimes\", \"exclusive\": false}",
        "[1, 2, 3]",
        QByteArray("\0\0\0", 3),
    };
    for (const QByteArray &text : damaged) {
        QFile file(damagedPath);
        QVERIFY(file.open(QIODevice::WriteOnly | QIODevice::Truncate));
        file.write(text);
        file.close();
        sfptest::clearTrace();
        m_client.send("*RCL 5");
        const QByteArray error = m_client.ask("SYST:ERR?");
        QVERIFY2(error.startsWith("-300,\"Device-specific error;state 5 cannot be read: "),
                 error.constData());
        QVERIFY2(!error.contains(m_folder.path().toUtf8()), error.constData());
        QVERIFY(file.open(QIODevice::ReadOnly));
        QCOMPARE(file.readAll(), text);
        QCOMPARE(sfptest::trace(driverCalls()), QStringList());
        QCOMPARE(m_client.ask("ROUT:CLOS? (@12)"), QByteArrayLiteral("1"));
    }
    // The error names the pair an operator has to mend in the file.
    QFile pairTwo(damagedPath);
    QVERIFY(pairTwo.open(QIODevice::WriteOnly | QIODevice::Truncate));
    pairTwo.write("{\"closed\": [3, 4], \"mode\": \"command\", \"exclusive\": true}");
    pairTwo.close();
    m_client.send("*RCL 5");
    const QByteArray pairError = m_client.ask("SYST:ERR?");
    QVERIFY2(pairError.endsWith(": both relays of pair 2 are closed under the exclusive rule\""),
             pairError.constData());

    // A file far larger than any state is refused as it stands, even when
    // what it starts with would be a state.
    QFile huge(damagedPath);
    QVERIFY(huge.open(QIODevice::WriteOnly | QIODevice::Truncate));
    huge.write("{\"closed\": [7], \"mode\": \"command\", \"exclusive\": false}");
    huge.write(QByteArray(70000, ' '));
    huge.close();
    m_client.send("*RCL 5");
    const QByteArray hugeError = m_client.ask("SYST:ERR?");
    QVERIFY2(hugeError.endsWith(": the file is too large\""), hugeError.constData());
    QCOMPARE(m_client.ask("ROUT:CLOS? (@7)"), QByteArrayLiteral("0"));

    // A slot that cannot be written: the error says so, and the old state
    // stays.
    m_client.run("*SAV 6");
    const QString slot6 = m_states + QStringLiteral("/state-6.json");
    QFile saved(slot6);
    QVERIFY(saved.open(QIODevice::ReadOnly));
    const QByteArray before = saved.readAll();
    saved.close();
    QVERIFY(QFile::rename(m_states, m_states + QStringLiteral(".moved")));
    QFile blocker(m_states);
    QVERIFY(blocker.open(QIODevice::WriteOnly)); // a file where the folder was
    blocker.close();
    m_client.send("*SAV 6");
    QCOMPARE(m_client.ask("SYST:ERR?"),
             QByteArrayLiteral("-300,\"Device-specific error;state 6 could not be saved: its "
                               "folder cannot be made\""));
    QVERIFY(QFile::remove(m_states));
    QVERIFY(QFile::rename(m_states + QStringLiteral(".moved"), m_states));
    QVERIFY(saved.open(QIODevice::ReadOnly));
    QCOMPARE(saved.readAll(), before);
}

void tst_RemoteControl::savedStateOnAFullDisk()
{
    if (::geteuid() != 0)
        QSKIP("only root mounts a file system of its own");
    QVERIFY(QDir().mkpath(m_states));
    QProcess mount;
    mount.start(QStringLiteral("mount"),
                {QStringLiteral("-t"), QStringLiteral("tmpfs"), QStringLiteral("-o"),
                 QStringLiteral("size=12k"), QStringLiteral("tmpfs"), m_states});
    if (!mount.waitForFinished() || mount.exitStatus() != QProcess::NormalExit
        || mount.exitCode() != 0)
        QSKIP("no tmpfs can be mounted here");
    const auto unmount
        = qScopeGuard([this] { QProcess::execute(QStringLiteral("umount"), {m_states}); });

    m_client.run("ROUT:CLOS (@2)");
    m_client.run("*SAV 1");
    const QString path = m_states + QStringLiteral("/state-1.json");
    QFile saved(path);
    QVERIFY(saved.open(QIODevice::ReadOnly));
    const QByteArray before = saved.readAll();
    saved.close();
    QVERIFY(before.contains("2"));

    // Every page taken.
    QFile filler(m_states + QStringLiteral("/filler"));
    QVERIFY(filler.open(QIODevice::WriteOnly | QIODevice::Unbuffered));
    while (filler.write(QByteArray(512, 'f')) == 512) { }
    filler.close();

    m_client.run("ROUT:CLOS (@1:32)");
    m_client.send("*SAV 1");
    const QByteArray error = m_client.ask("SYST:ERR?");
    QVERIFY2(error.startsWith("-300,\"Device-specific error;state 1 could not be saved: "),
             error.constData());
    QVERIFY2(!error.contains(m_folder.path().toUtf8()), error.constData());
    QVERIFY(saved.open(QIODevice::ReadOnly));
    QCOMPARE(saved.readAll(), before);
    QCOMPARE(QDir(m_states).entryList(QDir::Files | QDir::Hidden, QDir::Name),
             QStringList({QStringLiteral("filler"), QStringLiteral("state-1.json")}));
    // What was kept still comes back.
    m_client.run("*RCL 1");
    QCOMPARE(m_client.ask("ROUT:CLOS? (@1:3)"), QByteArrayLiteral("0,1,0"));
}

void tst_RemoteControl::slotsThatAreNotFiles()
{
    QVERIFY(QDir().mkpath(m_states));
    const QString kept = m_folder.filePath(QStringLiteral("kept-by-the-operator.txt"));
    {
        QFile file(kept);
        QVERIFY(file.open(QIODevice::WriteOnly | QIODevice::Truncate));
        file.write("not a state\n");
    }
    const auto kindAt = [](const QString &path) {
        struct stat status
        { };
        return ::lstat(QFile::encodeName(path).constData(), &status) == 0 ? status.st_mode & S_IFMT
                                                                          : 0;
    };

    // A link in the slot's place: refused, the link and its file untouched.
    const QString linked = m_states + QStringLiteral("/state-2.json");
    QVERIFY(QFile::link(kept, linked));
    m_client.run("ROUT:CLOS (@4)");
    m_client.send("*SAV 2");
    QCOMPARE(m_client.ask("SYST:ERR?"),
             QByteArrayLiteral("-300,\"Device-specific error;state 2 could not be saved: its file "
                               "is a symbolic link, not a regular file, and was left as it is\""));
    QCOMPARE(kindAt(linked), mode_t(S_IFLNK));
    QFile keptFile(kept);
    QVERIFY(keptFile.open(QIODevice::ReadOnly));
    QCOMPARE(keptFile.readAll(), QByteArrayLiteral("not a state\n"));

    // A FIFO: neither written nor waited on.
    const QString fifo = m_states + QStringLiteral("/state-3.json");
    QCOMPARE(::mkfifo(QFile::encodeName(fifo).constData(), 0600), 0);
    m_client.send("*SAV 3");
    QCOMPARE(m_client.ask("SYST:ERR?"),
             QByteArrayLiteral("-300,\"Device-specific error;state 3 could not be saved: its file "
                               "is a FIFO, not a regular file, and was left as it is\""));
    QCOMPARE(kindAt(fifo), mode_t(S_IFIFO));
    sfptest::clearTrace();
    QElapsedTimer recalled;
    recalled.start();
    m_client.send("*RCL 3");
    QCOMPARE(m_client.ask("SYST:ERR?"),
             QByteArrayLiteral("-300,\"Device-specific error;state 3 cannot be read: its file is "
                               "a FIFO, not a regular file\""));
    QVERIFY(recalled.elapsed() < 4000);
    QCOMPARE(kindAt(fifo), mode_t(S_IFIFO));

    // A device, reached through a link.
    QVERIFY(QFile::link(QStringLiteral("/dev/null"), m_states + QStringLiteral("/state-4.json")));
    m_client.send("*RCL 4");
    QCOMPARE(m_client.ask("SYST:ERR?"),
             QByteArrayLiteral("-300,\"Device-specific error;state 4 cannot be read: its file is "
                               "a device, not a regular file\""));
    QCOMPARE(sfptest::trace(driverCalls()), QStringList());
    QCOMPARE(m_client.ask("ROUT:CLOS? (@1:5)"), QByteArrayLiteral("0,0,0,1,0"));
}

void tst_RemoteControl::statesBelongToTheirCard()
{
    // The card's name, in the identity and in the folder of its slots.
    QCOMPARE(m_panel->cardId(), QStringLiteral("VXI0::1::INSTR/FC2"));
    QCOMPARE(m_states, m_statesRoot + QStringLiteral("/VXI0::1::INSTR%2FFC2"));
    QCOMPARE(
        sfp::RemoteControl::identity(QStringLiteral("VXI0::5::INSTR/FC3"), QStringLiteral("1.4.0")),
        QByteArrayLiteral("Orbelan,5170,VXI0::5::INSTR/FC3,1.4.0"));

    m_client.run("ROUT:CLOS (@6)");
    m_client.run("*SAV 2");
    QVERIFY(QFile::exists(m_statesRoot + QStringLiteral("/VXI0::1::INSTR%2FFC2/state-2.json")));

    // Another card finds its own slot 2 empty, and keeps its own.
    m_remote->setStateFolder(
        sfp::userFolders::cardFolder(m_statesRoot, QStringLiteral("VXI0::5::INSTR/FC3")));
    m_client.send("*RCL 2");
    QCOMPARE(m_client.ask("SYST:ERR?"),
             QByteArrayLiteral("-224,\"Illegal parameter value;nothing saved as 2\""));
    m_client.run("*RST;:ROUT:CLOS (@9)");
    m_client.run("*SAV 2;*RST");
    m_client.run("*RCL 2");
    QCOMPARE(m_client.ask("ROUT:CLOS? (@6,9)"), QByteArrayLiteral("0,1"));
    m_remote->setStateFolder(m_states);
    m_client.run("*RCL 2");
    QCOMPARE(m_client.ask("ROUT:CLOS? (@6,9)"), QByteArrayLiteral("1,0"));
    QCOMPARE(m_client.ask("SYST:ERR?"), QByteArrayLiteral("0,\"No error\""));

    // In demo mode the card is DEMO.
    m_client.socket().abort();
    m_remote.reset();
    m_panel.reset();
    createPanel(true);
    QCOMPARE(m_panel->cardId(), QStringLiteral("DEMO"));
    QCOMPARE(m_client.ask("*IDN?"), QByteArrayLiteral("Orbelan,5170,DEMO,1.4.0"));
    QCOMPARE(m_states, m_statesRoot + QStringLiteral("/DEMO"));
}

void tst_RemoteControl::commonCommandsAndStatus()
{
    QCOMPARE(m_client.ask("*IDN?"), QByteArrayLiteral("Orbelan,5170,VXI0::1::INSTR/FC2,1.4.0"));
    QCOMPARE(m_client.ask("*TST?;*OPT?;*OPC?;:SYST:VERS?"), QByteArrayLiteral("0;0;1;1999.0"));
    QCOMPARE(m_client.ask("*opt?"), QByteArrayLiteral("0"));
    QCOMPARE(m_client.ask("SYST:ERR?"), QByteArrayLiteral("0,\"No error\""));
    QCOMPARE(m_client.ask("STAT:OPER?;:STAT:QUES:EVEN?"), QByteArrayLiteral("0;0"));
    QCOMPARE(m_client.ask("*STB?"), QByteArrayLiteral("0"));

    // A command error sets bit 5 of the event register and, while the error
    // waits, bit 2 of the status byte; enabled, bit 5 of the status byte too.
    m_client.run("*ESE 32;*SRE 36");
    QCOMPARE(m_client.ask("*ESE?;*SRE?"), QByteArrayLiteral("32;36"));
    m_client.send("ROUT:FLY");
    QCOMPARE(m_client.ask("*STB?"), QByteArrayLiteral("100")); // 4 + 32 + 64
    QCOMPARE(m_client.ask("*ESR?"), QByteArrayLiteral("32"));
    QCOMPARE(m_client.ask("*ESR?"), QByteArrayLiteral("0"));
    QCOMPARE(m_client.ask("*STB?"), QByteArrayLiteral("68")); // 4 + 64

    // An execution error is bit 4; *OPC sets bit 0.
    m_client.send("*TRG");
    m_client.send("*OPC");
    QCOMPARE(m_client.ask("*ESR?"), QByteArrayLiteral("17"));

    // *CLS empties the queue.
    m_client.send("*CLS");
    QCOMPARE(m_client.ask("SYST:ERR?"), QByteArrayLiteral("0,\"No error\""));
    QCOMPARE(m_client.ask("*STB?"), QByteArrayLiteral("0"));

    // Each client has its own queue and registers.
    m_client.send("NONSENSE");
    Client other;
    QVERIFY(other.connectTo(m_remote->port()));
    QCOMPARE(other.ask("SYST:ERR?"), QByteArrayLiteral("0,\"No error\""));
    QCOMPARE(other.ask("*ESE?"), QByteArrayLiteral("0"));
    QCOMPARE(m_client.ask("SYST:ERR?"), QByteArrayLiteral("-113,\"Undefined header\""));

    // A parse error ends the line there: what came before it has run.
    m_client.send("ROUT:CLOS (@1);BOGUS;:ROUT:CLOS (@2)");
    QCOMPARE(m_client.ask("ROUT:CLOS? (@1,2);:SYST:ERR?"),
             QByteArrayLiteral("1,0;-113,\"Undefined header\""));
}

void tst_RemoteControl::errorQueueOverflows()
{
    for (int i = 0; i < 25; ++i)
        m_client.send("*ESE " + QByteArray::number(300 + i));
    for (int i = 0; i < 19; ++i)
        QCOMPARE(m_client.ask("SYST:ERR?"), QByteArrayLiteral("-222,\"Data out of range\""));
    QCOMPARE(m_client.ask("SYST:ERR:NEXT?"), QByteArrayLiteral("-350,\"Queue overflow\""));
    QCOMPARE(m_client.ask("SYST:ERR?"), QByteArrayLiteral("0,\"No error\""));
}

void tst_RemoteControl::driverReportsGoToTheQueue()
{
    // A failed switch: no box for the operator, the report in the queue, and
    // the button shows what was commanded, as after a failed click.
    sfpsim::injectFault("qx5170_switchRelay", VI_ERROR_TMO, 1);
    m_client.run("ROUT:CLOS (@7)");
    QVERIFY(relayButton(7)->isChecked());
    const QByteArray error = m_client.ask("SYST:ERR?");
    char text[qx5170_ERROR_MESSAGE_BUFLEN] = {};
    qx5170_error_message(VI_NULL, VI_ERROR_TMO, text);
    // Named in a script's words: the channel and the driver's text, not
    // the panel's call.
    QCOMPARE(error, "-300,\"Device-specific error;channel 7: " + QByteArray(text) + "\"");
    QCOMPARE(m_client.ask("*ESR?"), QByteArrayLiteral("8"));

    // A warning: its own positive number, the mode asked for and the text.
    const ViStatus warning = VI_WARN_NSUP_RESET;
    sfpsim::injectFault("qx5170_setSwitchingMode", warning, 1);
    m_client.run("ROUT:MODE COMM");
    std::fill(std::begin(text), std::end(text), '\0');
    qx5170_error_message(VI_NULL, warning, text);
    QCOMPARE(m_client.ask("SYST:ERR?"),
             QByteArray::number(warning) + ",\"switching mode 2: " + QByteArray(text) + "\"");
    QCOMPARE(modeCombo()->currentText(), QStringLiteral("Sync. Command"));
    QCOMPARE(QApplication::activeModalWidget(), nullptr);

    // After the remote command the operator's clicks report in boxes again.
    sfpsim::injectFault("qx5170_switchRelay", VI_ERROR_TMO, 1);
    const auto answer = sfptest::answerNextModal(QStringLiteral("No"));
    relayButton(9)->click();
    QVERIFY(answer->answered);
    QCOMPARE(m_client.ask("SYST:ERR?"), QByteArrayLiteral("0,\"No error\""));
}

void tst_RemoteControl::waitsWhileTheOperatorIsAsked()
{
    // The operator's click fails and its report waits for an answer; a
    // remote command sent meanwhile runs only after the answer, after the
    // click's calls, and its response comes only then.
    sfpsim::injectFault("qx5170_switchRelay", VI_ERROR_TMO, 1);
    QByteArray whileAsked = "<unset>";
    QStringList callsWhileAsked;
    const auto answer = sfptest::actOnNextModal([&](QWidget *box) {
        m_client.send("ROUT:CLOS (@12);*OPC?");
        QTest::qWait(300);
        whileAsked = m_client.socket().readAll();
        callsWhileAsked = sfptest::trace({QStringLiteral("qx5170_switchRelay")});
        auto *no = box->findChild<QPushButton *>();
        for (QPushButton *button : box->findChildren<QPushButton *>()) {
            if (button->text().remove(QLatin1Char('&')) == QLatin1String("No"))
                no = button;
        }
        no->click();
    });
    relayButton(11)->click();
    QVERIFY(answer->className == QLatin1String("QMessageBox"));
    QCOMPARE(whileAsked, QByteArray());
    QCOMPARE(callsWhileAsked,
             QStringList(call("qx5170_switchRelay(%1, 11, 1) = ") + QString::number(VI_ERROR_TMO)));
    QCOMPARE(m_client.read(), QByteArrayLiteral("1"));
    QCOMPARE(sfptest::trace({QStringLiteral("qx5170_switchRelay")}),
             QStringList({call("qx5170_switchRelay(%1, 11, 1) = ") + QString::number(VI_ERROR_TMO),
                          call("qx5170_switchRelay(%1, 12, 1) = 0")}));
    QVERIFY(relayButton(12)->isChecked());
}

void tst_RemoteControl::waitsWhileTheCloseQuestionIsOpen()
{
    // The operator asks to close; while the question is open, one client
    // asks something and another sends a command and leaves at once. Both
    // wait for the answer, and the command of the client that left still
    // runs.
    QByteArray whileAsked = "<unset>";
    bool closedWhileAsked = true;
    const auto answer = sfptest::actOnNextModal([&](QWidget *box) {
        m_client.send("ROUT:CLOS? (@14)");
        {
            QTcpSocket leaving;
            leaving.connectToHost(QHostAddress::LocalHost, m_remote->port());
            if (leaving.waitForConnected(5000)) {
                leaving.write("ROUT:CLOS (@14)\n");
                leaving.flush();
                QTest::qWait(100);
                leaving.disconnectFromHost();
            }
        }
        QTest::qWait(300);
        whileAsked = m_client.socket().readAll();
        closedWhileAsked = m_panel->card()->isClosed(14);
        for (QPushButton *button : box->findChildren<QPushButton *>()) {
            if (button->text().remove(QLatin1Char('&')) == QLatin1String("No"))
                button->click();
        }
    });
    m_panel->close();
    QCOMPARE(answer->text, QStringLiteral("Do you really want to exit?"));
    QVERIFY(m_panel->isVisible());
    QCOMPARE(whileAsked, QByteArray());
    QVERIFY(!closedWhileAsked);
    // In the order received: the query first, then the leaving client's
    // command.
    QCOMPARE(m_client.read(), QByteArrayLiteral("0"));
    QVERIFY(QTest::qWaitFor([this] { return relayButton(14)->isChecked(); }));
    QCOMPARE(sfptest::trace({QStringLiteral("qx5170_switchRelay")}),
             QStringList(call("qx5170_switchRelay(%1, 14, 1) = 0")));
}

void tst_RemoteControl::remoteLineAndLock()
{
    const QString endpoint = QStringLiteral("127.0.0.1:%1").arg(m_remote->port());
    QCOMPARE(remoteLine(), QStringLiteral("Remote: %1, 1 client").arg(endpoint));
    {
        Client second;
        QVERIFY(second.connectTo(m_remote->port()));
        QVERIFY(QTest::qWaitFor(
            [&] { return remoteLine() == QStringLiteral("Remote: %1, 2 clients").arg(endpoint); }));

        // Locked by the second client: the operator's controls are disabled,
        // yet still show what the remote side does.
        second.run("SYST:RWL");
        QCOMPARE(remoteLine(), QStringLiteral("Remote: %1, 2 clients, locked").arg(endpoint));
        QVERIFY(!relayButton(1)->isEnabled());
        QVERIFY(!modeCombo()->isEnabled());
        QVERIFY(!exclusiveBox()->isEnabled());
        second.run("ROUT:CLOS (@1)");
        QVERIFY(relayButton(1)->isChecked());
        QTest::mouseClick(relayButton(1), Qt::LeftButton);
        QVERIFY(relayButton(1)->isChecked());

        second.run("SYST:LOC");
        QCOMPARE(remoteLine(), QStringLiteral("Remote: %1, 2 clients").arg(endpoint));
        QVERIFY(relayButton(1)->isEnabled());
        QVERIFY(modeCombo()->isEnabled());
        // The mode buttons keep their own state under the group.
        QVERIFY(!modeButton("Update")->isEnabled());
        QVERIFY(!modeButton("Trigger")->isEnabled());

        second.run("SYST:RWL");
        QVERIFY(!relayButton(2)->isEnabled());
        // The client that locked leaves: the controls are free again.
        second.socket().disconnectFromHost();
    }
    QVERIFY(QTest::qWaitFor([&] { return relayButton(2)->isEnabled(); }));
    QVERIFY(QTest::qWaitFor(
        [&] { return remoteLine() == QStringLiteral("Remote: %1, 1 client").arg(endpoint); }));
}

// The lines under the card information and the mode controls are drawn as
// they change, and a line that goes takes its room with it.
void tst_RemoteControl::statusLinesComeAndGo()
{
    // Drawn on the screen as the widget stands now.
    const auto shownAsItIs = [this](const QWidget *part) {
        const QRect area(part->mapTo(m_panel.get(), QPoint(0, 0)), part->size());
        const QImage shown = m_panel->screen()
                                 ->grabWindow(m_panel->winId())
                                 .toImage()
                                 .convertToFormat(QImage::Format_RGB32);
        const QImage drawn = m_panel->grab(area).toImage().convertToFormat(QImage::Format_RGB32);
        return shown.copy(area) == drawn;
    };
    const QString endpoint = QStringLiteral("127.0.0.1:%1").arg(m_remote->port());
    const auto *remote = m_panel->findChild<QLabel *>(QStringLiteral("remoteInfo"));
    QVERIFY(remote);
    QTRY_VERIFY(shownAsItIs(remote));
    {
        Client second;
        QVERIFY(second.connectTo(m_remote->port()));
        QTRY_COMPARE(remoteLine(), QStringLiteral("Remote: %1, 2 clients").arg(endpoint));
        QTRY_VERIFY(shownAsItIs(remote));
        QCOMPARE(second.ask("*OPC?"), QByteArrayLiteral("1"));
        // Its last command came between a click and its painting.
        relayButton(1)->click();
        emit m_remote->commandArriving();
        second.socket().disconnectFromHost();
    }
    QTRY_COMPARE(remoteLine(), QStringLiteral("Remote: %1, 1 client").arg(endpoint));
    QTRY_VERIFY(shownAsItIs(remote));

    // A refused click: the line comes, the window makes room for it, and
    // after five seconds both go.
    const sfp::fixture::Reading fixture
        = sfp::fixture::parse(R"({"rules": [{"name": "PSU/GND", "mutual": [3, 7]}]})");
    QCOMPARE(fixture.error, QString());
    m_panel->card()->setRules(fixture.fixture.rules);
    m_client.run("ROUT:CLOS (@3)");
    for (int refusals = 0; refusals < 2; ++refusals) {
        QCoreApplication::sendPostedEvents(nullptr, QEvent::LayoutRequest);
        const QSize before = m_panel->size();
        relayButton(7)->click();
        const auto *refusal = m_panel->findChild<QLabel *>(QStringLiteral("refusalInfo"));
        QVERIFY(refusal);
        QTRY_VERIFY(refusal->isVisible());
        QCoreApplication::sendPostedEvents(nullptr, QEvent::LayoutRequest);
        QVERIFY(m_panel->height() > before.height());
        QTRY_VERIFY(shownAsItIs(refusal));
        QTRY_VERIFY_WITH_TIMEOUT(!refusal->isVisible(), 20000);
        QCoreApplication::sendPostedEvents(nullptr, QEvent::LayoutRequest);
        QCOMPARE(m_panel->size(), before);
    }
}

void tst_RemoteControl::lockHolds()
{
    Client second;
    Client third;
    QVERIFY(second.connectTo(m_remote->port()));
    QVERIFY(third.connectTo(m_remote->port()));
    QCOMPARE(m_client.ask("SYST:LOCK:OWN?"), QByteArrayLiteral("NONE"));

    // Granted to the first who asks, again to its owner, never to another.
    QCOMPARE(second.ask("SYST:LOCK:REQ?"), QByteArrayLiteral("1"));
    QCOMPARE(second.ask("SYST:LOCK:REQ?"), QByteArrayLiteral("1"));
    QCOMPARE(third.ask("SYST:LOCK:REQ?"), QByteArrayLiteral("0"));
    const QByteArray owner = "\"127.0.0.1:" + QByteArray::number(second.socket().localPort()) + '"';
    QCOMPARE(m_client.ask("SYST:LOCK:OWN?"), owner);
    QVERIFY(!relayButton(5)->isEnabled());

    // The others' commands that change the card are refused, each with
    // -221; their queries are answered; nothing reaches the driver.
    sfptest::clearTrace();
    for (const QByteArray &command :
         {QByteArray("ROUT:CLOS (@5)"), QByteArray("ROUT:OPEN (@5)"), QByteArray("ROUT:OPEN:ALL"),
          QByteArray("ROUT:CLOS:EXCL (@5)"), QByteArray("ROUT:MODE COMM"),
          QByteArray("ROUT:EXCL ON"), QByteArray("*RST"), QByteArray("*RCL 0"),
          QByteArray("*SAV 3"), QByteArray("MEM:STAT:DEF \"kept\",(@5)"), QByteArray("SYST:RWL"),
          QByteArray("SYST:LOC"), QByteArray("SYST:LOCK:REL")}) {
        m_client.send(command);
        QCOMPARE(m_client.ask("SYST:ERR?"),
                 QByteArrayLiteral("-221,\"Settings conflict;another client holds the lock\""));
    }
    QCOMPARE(sfptest::trace(driverCalls()), QStringList());
    // Nothing kept either: no slot written, no state of the fixture defined.
    second.send("*RCL 3");
    QCOMPARE(second.ask("SYST:ERR?"),
             QByteArrayLiteral("-224,\"Illegal parameter value;nothing saved as 3\""));
    QCOMPARE(second.ask("MEM:STAT:CAT?"), QByteArrayLiteral("\"\""));
    QCOMPARE(third.ask("ROUT:CLOS? (@5);:ROUT:MODE?;:SYST:LOCK:OWN?"), "0;ASYN;" + owner);
    second.run("ROUT:CLOS (@5)");
    QCOMPARE(third.ask("ROUT:CLOS? (@5)"), QByteArrayLiteral("1"));
    QCOMPARE(m_client.ask("SYST:ERR?"), QByteArrayLiteral("0,\"No error\""));

    // Released by its owner: free for the next, whose lock SYSTem:LOCal
    // ends as well.
    second.run("SYST:LOCK:REL");
    QCOMPARE(m_client.ask("SYST:LOCK:OWN?"), QByteArrayLiteral("NONE"));
    QVERIFY(relayButton(5)->isEnabled());
    QCOMPARE(third.ask("SYST:LOCK:REQ?"), QByteArrayLiteral("1"));
    third.run("SYST:LOC");
    QCOMPARE(third.ask("SYST:LOCK:OWN?"), QByteArrayLiteral("NONE"));

    // The owner leaves: the lock goes with it.
    third.run("SYST:RWL");
    QCOMPARE(second.ask("SYST:LOCK:REQ?"), QByteArrayLiteral("0"));
    third.socket().disconnectFromHost();
    QVERIFY(QTest::qWaitFor([&] { return relayButton(5)->isEnabled(); }));
    QCOMPARE(second.ask("SYST:LOCK:REQ?"), QByteArrayLiteral("1"));
    second.run("SYST:LOCK:REL");

    // Whoever holds it, the first client to come included, only it lets
    // it go.
    QCOMPARE(m_client.ask("SYST:LOCK:REQ?"), QByteArrayLiteral("1"));
    second.send("SYST:LOCK:REL");
    QCOMPARE(second.ask("SYST:ERR?"),
             QByteArrayLiteral("-221,\"Settings conflict;another client holds the lock\""));
    QVERIFY(!relayButton(5)->isEnabled());
    m_client.run("SYST:LOCK:REL");
    QVERIFY(relayButton(5)->isEnabled());
}

void tst_RemoteControl::longLinesAndLineEnds()
{
    m_client.socket().write("ROUT:CLOS (@20)\r\n*OPC?\r\n");
    QCOMPARE(m_client.read(), QByteArrayLiteral("1"));
    QVERIFY(relayButton(20)->isChecked());

    // A line over 64 KiB is dropped with -223; the connection stays.
    m_client.send("ROUT:OPEN (@20" + QByteArray(70000, ',') + "20)");
    QCOMPARE(m_client.ask("SYST:ERR?"), QByteArrayLiteral("-223,\"Too much data\""));
    QCOMPARE(m_client.ask("ROUT:CLOS? (@20)"), QByteArrayLiteral("1"));

    // One byte over is too much, exactly 64 KiB is read and run.
    const QByteArray head = "ROUT:OPEN (@20)";
    m_client.socket().write(head + QByteArray(65537 - head.size(), ' ') + "\n");
    QCOMPARE(m_client.ask("ROUT:CLOS? (@20);:SYST:ERR?"),
             QByteArrayLiteral("1;-223,\"Too much data\""));
    m_client.socket().write(head + QByteArray(65536 - head.size(), ' ') + "\r\n");
    QCOMPARE(m_client.ask("ROUT:CLOS? (@20);:SYST:ERR?"), QByteArrayLiteral("0;0,\"No error\""));
}

void tst_RemoteControl::closedChannelsAsAList()
{
    QCOMPARE(m_client.ask("ROUT:CLOS?"), QByteArrayLiteral("(@)"));
    QCOMPARE(m_client.ask("ROUT:OPEN?"), QByteArrayLiteral("(@1:32)"));
    QCOMPARE(m_client.ask("ROUT:CLOS:STAT?"), QByteArrayLiteral("(@)"));

    m_client.run("ROUT:CLOS (@3,5:8)");
    sfptest::clearTrace();
    QCOMPARE(m_client.ask("ROUT:CLOS?"), QByteArrayLiteral("(@3,5:8)"));
    QCOMPARE(m_client.ask("route:open?"), QByteArrayLiteral("(@1:2,4,9:32)"));
    QCOMPARE(m_client.ask("ROUTE:CLOSE:STATE?"), QByteArrayLiteral("(@3,5:8)"));
    // With a list, one answer per channel as before.
    QCOMPARE(m_client.ask("ROUT:CLOS? (@3,4)"), QByteArrayLiteral("1,0"));
    QCOMPARE(m_client.ask("ROUT:OPEN? (@3,4)"), QByteArrayLiteral("0,1"));
    // Chained on the ROUTe path, in one response.
    QCOMPARE(m_client.ask("ROUT:CLOS?;OPEN?;CLOS:STAT?;STAT?"),
             QByteArrayLiteral("(@3,5:8);(@1:2,4,9:32);(@3,5:8);(@3,5:8)"));
    // Asking calls nothing.
    QCOMPARE(sfptest::trace(driverCalls()), QStringList());

    // What the operator switches is in the list too.
    relayButton(10)->click();
    relayButton(6)->click();
    QCOMPARE(m_client.ask("ROUT:CLOS?"), QByteArrayLiteral("(@3,5,7:8,10)"));

    // Single channels at either end.
    m_client.run("ROUT:OPEN:ALL;:ROUT:CLOS (@32)");
    QCOMPARE(m_client.ask("ROUT:CLOS?"), QByteArrayLiteral("(@32)"));
    QCOMPARE(m_client.ask("ROUT:OPEN?"), QByteArrayLiteral("(@1:31)"));
    m_client.run("ROUT:OPEN (@32);CLOS (@1)");
    QCOMPARE(m_client.ask("ROUT:CLOS:STAT?"), QByteArrayLiteral("(@1)"));
    QCOMPARE(m_client.ask("ROUT:OPEN?"), QByteArrayLiteral("(@2:32)"));

    m_client.run("ROUT:CLOS (@1:32)");
    QCOMPARE(m_client.ask("ROUT:CLOS?"), QByteArrayLiteral("(@1:32)"));
    QCOMPARE(m_client.ask("ROUT:OPEN?"), QByteArrayLiteral("(@)"));
    m_client.run("ROUT:OPEN (@16)");
    QCOMPARE(m_client.ask("ROUT:CLOS?;OPEN?"), QByteArrayLiteral("(@1:15,17:32);(@16)"));

    // The list form takes no list, the others no other data.
    m_client.send("ROUT:CLOS:STAT? (@1)");
    QCOMPARE(m_client.ask("SYST:ERR?"), QByteArrayLiteral("-108,\"Parameter not allowed\""));
    m_client.send("ROUT:OPEN? 5");
    QCOMPARE(m_client.ask("SYST:ERR?"), QByteArrayLiteral("-104,\"Data type error\""));
    m_client.send("ROUT:CLOS? (@0)");
    QCOMPARE(m_client.ask("SYST:ERR?"), QByteArrayLiteral("-222,\"Data out of range\""));
    QCOMPARE(m_client.ask("SYST:ERR?"), QByteArrayLiteral("0,\"No error\""));
}

void tst_RemoteControl::operationAndQuestionableRegisters()
{
    QCOMPARE(m_client.ask("STAT:OPER:COND?;:STAT:QUES:COND?"), QByteArrayLiteral("0;0"));
    QCOMPARE(m_client.ask("STAT:OPER:ENAB?;:STAT:QUES:ENAB?"), QByteArrayLiteral("0;0"));

    m_client.run("STAT:OPER:ENAB 65535;:STATUS:QUESTIONABLE:ENABLE 512");
    QCOMPARE(m_client.ask("STATus:OPERation:ENABle?"), QByteArrayLiteral("65535"));
    QCOMPARE(m_client.ask("stat:ques:enab?"), QByteArrayLiteral("512"));
    // Nothing of the card sets a condition, whatever is enabled.
    QCOMPARE(m_client.ask("STAT:OPER:COND?;EVEN?;:STAT:QUES:COND?;EVEN?"),
             QByteArrayLiteral("0;0;0;0"));
    QCOMPARE(m_client.ask("*STB?"), QByteArrayLiteral("0"));

    // Out of range: refused, the register keeps its value.
    m_client.send("STAT:OPER:ENAB 65536");
    m_client.send("STAT:QUES:ENAB -1");
    QCOMPARE(m_client.ask("SYST:ERR?;ERR?"),
             QByteArrayLiteral("-222,\"Data out of range\";-222,\"Data out of range\""));
    QCOMPARE(m_client.ask("STAT:OPER:ENAB?;:STAT:QUES:ENAB?"), QByteArrayLiteral("65535;512"));
    m_client.run("STAT:OPER:ENAB 0;ENAB 1");
    QCOMPARE(m_client.ask("STAT:OPER:ENAB?"), QByteArrayLiteral("1"));

    // Each client has its own.
    Client other;
    QVERIFY(other.connectTo(m_remote->port()));
    QCOMPARE(other.ask("STAT:OPER:ENAB?;:STAT:QUES:ENAB?"), QByteArrayLiteral("0;0"));
    other.run("STAT:QUES:ENAB 7");
    QCOMPARE(other.ask("STAT:QUES:ENAB?"), QByteArrayLiteral("7"));
    QCOMPARE(m_client.ask("STAT:QUES:ENAB?"), QByteArrayLiteral("512"));

    // *CLS empties events, not enables; STATus:PRESet sets them to 0, for
    // the client that asks.
    m_client.run("*CLS");
    QCOMPARE(m_client.ask("STAT:OPER:ENAB?;:STAT:QUES:ENAB?"), QByteArrayLiteral("1;512"));
    m_client.run("STAT:PRES");
    QCOMPARE(m_client.ask("STAT:OPER:ENAB?;:STAT:QUES:ENAB?"), QByteArrayLiteral("0;0"));
    QCOMPARE(other.ask("STAT:QUES:ENAB?"), QByteArrayLiteral("7"));
    QCOMPARE(m_client.ask("SYST:ERR?"), QByteArrayLiteral("0,\"No error\""));
}

void tst_RemoteControl::errorCountAndAll()
{
    QCOMPARE(m_client.ask("SYST:ERR:COUN?"), QByteArrayLiteral("0"));
    QCOMPARE(m_client.ask("SYST:ERR:ALL?"), QByteArrayLiteral("0,\"No error\""));

    // Oldest first, and counting takes nothing.
    m_client.send("ROUT:FLY");
    m_client.send("*ESE 300");
    m_client.send("*TRG");
    QCOMPARE(m_client.ask("SYSTEM:ERROR:COUNT?"), QByteArrayLiteral("3"));
    QCOMPARE(m_client.ask("SYST:ERR:COUN?"), QByteArrayLiteral("3"));
    QCOMPARE(m_client.ask("*STB?"), QByteArrayLiteral("4"));
    QCOMPARE(m_client.ask("system:error:all?"),
             QByteArrayLiteral("-113,\"Undefined header\",-222,\"Data out of range\","
                               "-221,\"Settings conflict;a trigger is taken in Sync. "
                               "Trigger mode only\""));
    QCOMPARE(m_client.ask("SYST:ERR:COUN?"), QByteArrayLiteral("0"));
    QCOMPARE(m_client.ask("*STB?"), QByteArrayLiteral("0"));
    QCOMPARE(m_client.ask("SYST:ERR?"), QByteArrayLiteral("0,\"No error\""));

    // In one line: the count, every entry, then an empty queue.
    m_client.send("*ESE 256");
    m_client.send("ROUT:CLOS");
    QCOMPARE(m_client.ask("SYST:ERR:COUN?;ALL?;COUN?;ALL?"),
             QByteArrayLiteral("2;-222,\"Data out of range\",-109,\"Missing parameter\";0;"
                               "0,\"No error\""));
    // NEXT takes one, the rest stay for ALL.
    m_client.send("*ESE 256");
    m_client.send("ROUT:CLOS");
    QCOMPARE(m_client.ask("SYST:ERR?;ERR:COUN?;ALL?"),
             QByteArrayLiteral("-222,\"Data out of range\";1;-109,\"Missing parameter\""));

    // A full queue: 20 entries, the newest of them -350.
    for (int i = 0; i < 25; ++i)
        m_client.send("*ESE " + QByteArray::number(300 + i));
    QCOMPARE(m_client.ask("SYST:ERR:COUN?"), QByteArrayLiteral("20"));
    const QByteArray outOfRange("-222,\"Data out of range\"");
    QCOMPARE(m_client.ask("SYST:ERR:ALL?"),
             (QByteArrayList(19, outOfRange) << "-350,\"Queue overflow\"").join(','));
    QCOMPARE(m_client.ask("SYST:ERR:COUN?"), QByteArrayLiteral("0"));

    // Each client counts its own.
    m_client.send("NONSENSE");
    Client other;
    QVERIFY(other.connectTo(m_remote->port()));
    QCOMPARE(other.ask("SYST:ERR:COUN?;ALL?"), QByteArrayLiteral("0;0,\"No error\""));
    QCOMPARE(m_client.ask("SYST:ERR:COUN?"), QByteArrayLiteral("1"));

    // They take no data.
    m_client.run("*CLS");
    m_client.send("SYST:ERR:COUN? 1");
    m_client.send("SYST:ERR:ALL? ALL");
    QCOMPARE(m_client.ask("SYST:ERR:ALL?"),
             QByteArrayLiteral("-108,\"Parameter not allowed\","
                               "-108,\"Parameter not allowed\""));
}

void tst_RemoteControl::numericBooleansAreRounded()
{
    struct Row
    {
        const char *value;
        bool on;
    };
    const Row rows[] = {
        {"2", true},       {"0.4", false},        {"0.5", true},  {"-1", true},   {"0", false},
        {"1", true},       {"-0.4", false},       {"-0.5", true}, {"1E3", true},  {"0.05E1", true},
        {"4.9E-1", false}, {"99999999999", true}, {"ON", true},   {"off", false},
    };
    for (const Row &row : rows) {
        const QByteArray value(row.value);
        // From the other state, so that every row changes something.
        m_client.run(row.on ? "ROUT:EXCL OFF" : "ROUT:EXCL ON");
        m_client.run("ROUT:EXCL " + value);
        QCOMPARE(m_client.ask("ROUT:EXCL?"), row.on ? QByteArray("1") : QByteArray("0"));
        QVERIFY2(exclusiveBox()->isChecked() == row.on, row.value);
    }
    QCOMPARE(m_client.ask("SYST:ERR?"), QByteArrayLiteral("0,\"No error\""));
    m_client.send("ROUT:EXCL 1E");
    m_client.send("ROUT:EXCL TWO");
    QCOMPARE(m_client.ask("SYST:ERR:ALL?"),
             QByteArrayLiteral("-102,\"Syntax error\",-224,\"Illegal parameter value\""));
}

void tst_RemoteControl::refusalsInTheOperatorsLanguage()
{
    // One refusal, two readers: the operator reads it in the operator's
    // language, a client's error queue and the switching log in English.
    const sfptest::TestCatalogue german({
        {"Fixture", "\"%1\" allows one of relays %2",
         QStringLiteral("„%1“ erlaubt nur eines der Relais %2")},
        {"CardSession", "no state is named \"%1\"", QStringLiteral("kein Zustand heißt „%1“")},
        {"qx5170fp_App", "Refused: %1", QStringLiteral("Abgelehnt: %1")},
    });
    sfp::SwitchingLog log;
    m_panel->setSwitchingLog(&log);
    const sfp::fixture::Reading fixture
        = sfp::fixture::parse(R"({"rules": [{"name": "PSU/GND", "mutual": [3, 7]}]})");
    m_panel->card()->setRules(fixture.fixture.rules);
    m_client.run("ROUT:CLOS (@3)");
    m_client.send("ROUT:CLOS (@7)");
    QCOMPARE(m_client.ask("SYST:ERR?"),
             QByteArray(R"(-221,"Settings conflict;""PSU/GND"" allows one of relays 3, 7")"));
    relayButton(7)->click();
    QVERIFY(!relayButton(7)->isChecked());
    const auto *refusal = m_panel->findChild<QLabel *>(QStringLiteral("refusalInfo"));
    QVERIFY(refusal && refusal->isVisible());
    QCOMPARE(refusal->text(), QString("Abgelehnt: „PSU/GND“ erlaubt nur eines der Relais 3, 7"));
    QCOMPARE(log.recent().back().reason, QString("\"PSU/GND\" allows one of relays 3, 7"));
    m_client.send(R"(MEM:STAT:REC "nope")");
    QCOMPARE(m_client.ask("SYST:ERR?"),
             QByteArray(R"(-224,"Illegal parameter value;no state is named ""nope""")"));
}

void tst_RemoteControl::fixtureRulesHoldForEveryone()
{
    // Without a fixture nothing is refused, and nothing says so.
    m_client.run("ROUT:CLOS (@3,7,31);*SAV 2;*RST");
    QCOMPARE(m_panel->findChild<QLabel *>(QStringLiteral("refusalInfo")), nullptr);

    const sfp::fixture::Reading fixture = sfp::fixture::parse(R"({"rules": [
        {"name": "PSU/GND", "mutual": [3, 7]},
        {"name": "HV \"bus\"", "forbidden": [31]}]})");
    QCOMPARE(fixture.error, QString());
    m_panel->card()->setRules(fixture.fixture.rules);
    const QByteArray psuGnd = R"(-221,"Settings conflict;""PSU/GND"" allows one of relays 3, 7")";

    for (const QByteArray &mode : {QByteArray("ASYN"), QByteArray("COMM"), QByteArray("TRIG")}) {
        m_client.run("*RST;:ROUT:MODE " + mode + ";CLOS (@3)");
        // The list is refused whole: relay 5 stays open too.
        sfptest::clearTrace();
        m_client.send("ROUT:CLOS (@5,7)");
        QCOMPARE(m_client.ask("SYST:ERR?"), psuGnd);
        m_client.send("ROUT:CLOS (@31)");
        QCOMPARE(m_client.ask("SYST:ERR?"),
                 QByteArray(R"(-221,"Settings conflict;""HV ""bus"""" forbids relay 31")"));
        QCOMPARE(m_client.ask("ROUT:CLOS? (@3,5,7,31)"), QByteArrayLiteral("1,0,0,0"));
        QCOMPARE(m_client.ask("ROUT:CLOS:ALL? (@3,5,7,31)"), QByteArrayLiteral("1,1,0,0"));
        QCOMPARE(sfptest::trace(driverCalls()), QStringList());

        // The operator's click is refused the same way, and told why.
        relayButton(7)->click();
        QVERIFY(!relayButton(7)->isChecked());
        const auto *refusal = m_panel->findChild<QLabel *>(QStringLiteral("refusalInfo"));
        QVERIFY(refusal);
        QVERIFY(refusal->isVisible());
        QCOMPARE(refusal->text(), QStringLiteral("Refused: \"PSU/GND\" allows one of relays 3, 7"));
        QCOMPARE(sfptest::trace(driverCalls()), QStringList());
        QCOMPARE(sfptest::takeStrayModals(), QStringList());

        // Opening 3 at the same time makes room for 7.
        m_client.run("ROUT:CLOS:EXCL (@7)");
        QCOMPARE(m_client.ask("ROUT:CLOS? (@3,7);:SYST:ERR?"),
                 QByteArrayLiteral("0,1;0,\"No error\""));
        QCOMPARE(m_client.ask("ROUT:CLOS:ALL? (@3)"), QByteArrayLiteral("0"));
    }

    // In a synchronous mode the card as the update leaves it counts: 3
    // waiting to open is room enough for 7; 3 waiting to close is not.
    m_client.run("*RST;:ROUT:CLOS (@3);MODE COMM;OPEN (@3);CLOS (@7)");
    QCOMPARE(m_client.ask("ROUT:CLOS? (@3,7);:SYST:ERR?"), QByteArrayLiteral("0,1;0,\"No error\""));
    m_client.run("ROUT:UPD;OPEN (@7);CLOS (@3)");
    m_client.send("ROUT:CLOS (@7)");
    QCOMPARE(m_client.ask("SYST:ERR?"), psuGnd);

    // Under the exclusive rule 8 closing opens 7, so 3 may close with it
    // in one list.
    m_client.run("*RST;:ROUT:CLOS (@7);EXCL ON");
    m_client.run("ROUT:CLOS (@3,8)");
    QCOMPARE(m_client.ask("ROUT:CLOS? (@3,7,8);:SYST:ERR?"),
             QByteArrayLiteral("1,0,1;0,\"No error\""));

    // A state saved before the rules were written is refused whole.
    m_client.run("*RST");
    sfptest::clearTrace();
    m_client.send("*RCL 2");
    QCOMPARE(m_client.ask("SYST:ERR?"), psuGnd);
    QCOMPARE(sfptest::trace(driverCalls()), QStringList());
    QCOMPARE(m_client.ask("ROUT:CLOS?"), QByteArrayLiteral("(@)"));
}

void tst_RemoteControl::fixtureLabels()
{
    const QString path = m_folder.filePath(QStringLiteral("fixtures-labels/DEMO.json"));
    m_panel->card()->setFixture(sfp::Fixture(), path, false);
    // Without a fixture file the buttons are as they always were.
    QCOMPARE(relayButton(3)->accessibleName(), QStringLiteral("Pair 2 relay A"));
    QCOMPARE(relayButton(3)->toolTip(), QStringLiteral("Switch on or off relay A"));
    QCOMPARE(relayButton(3)->contextMenuPolicy(), Qt::DefaultContextMenu);
    QCOMPARE(pair(2)->title(), QStringLiteral("Pair 2"));
    QCOMPARE(pair(2)->toolTip(), QString());
    const int widthBefore = m_panel->width();

    // Labels set by a script are shown and kept in the fixture file.
    m_client.run(R"(ROUT:CHAN:LAB "PSU rail",(@3);LAB "GND ""0 V""",(@4);LAB "Ω",(@6))");
    QCOMPARE(m_client.ask("ROUT:CHAN:LAB? (@3,4,5,6);:SYST:ERR?"),
             QByteArray(R"("PSU rail","GND ""0 V""","","Ω";0,"No error")"));
    QCOMPARE(relayButton(3)->accessibleName(), QStringLiteral("Pair 2 relay A: PSU rail"));
    QCOMPARE(relayButton(4)->accessibleName(), QStringLiteral("Pair 2 relay B: GND \"0 V\""));
    QCOMPARE(relayButton(4)->toolTip(), QStringLiteral("GND \"0 V\"\nSwitch on or off relay B"));
    QCOMPARE(relayButton(3)->toolTip(), QStringLiteral("PSU rail\nSwitch on or off relay A"));
    QCOMPARE(pair(2)->toolTip(), QStringLiteral("Pair 2 · PSU rail / GND \"0 V\""));
    QCOMPARE(pair(3)->toolTip(), QStringLiteral("Pair 3 · – / Ω"));
    // The title holds what fits; the window keeps its width.
    const QString title = pair(2)->title();
    QVERIFY2(title == pair(2)->toolTip() || (title.startsWith("Pair 2") && title.endsWith("…")),
             qPrintable(title));
    QCOMPARE(m_panel->width(), widthBefore);
    m_panel->resize(3000, m_panel->height());
    QTRY_COMPARE(pair(2)->title(), QStringLiteral("Pair 2 · PSU rail / GND \"0 V\""));
    m_panel->resize(widthBefore, m_panel->height());
    QTRY_COMPARE(m_panel->width(), widthBefore);
    // A label of 30 characters does not fit in a pair's width: cut, with
    // the whole of it in the tooltip.
    m_client.run(R"(ROUT:CHAN:LAB "Reference divider, channel 12",(@4))");
    QCOMPARE(pair(2)->toolTip(),
             QStringLiteral("Pair 2 · PSU rail / Reference divider, channel 12"));
    QVERIFY2(pair(2)->title().startsWith("Pair 2 · PSU rail") && pair(2)->title().endsWith("…"),
             qPrintable(pair(2)->title()));
    QCOMPARE(m_panel->width(), widthBefore);
    bool absent = true;
    sfp::fixture::Reading reading = sfp::fixture::read(path, &absent);
    QCOMPARE(reading.error, QString());
    QCOMPARE(reading.fixture.labels[2], QStringLiteral("PSU rail"));
    QCOMPARE(reading.fixture.labels[5], QStringLiteral("Ω"));

    // Too long or with a control character: refused, never cut.
    m_client.send("ROUT:CHAN:LAB \"" + QByteArray(31, 'x') + "\",(@3)");
    QCOMPARE(
        m_client.ask("SYST:ERR?"),
        QByteArray(R"(-224,"Illegal parameter value;a label has 1 to 30 characters, not 31")"));
    m_client.send("ROUT:CHAN:LAB \"a\rb\",(@3)");
    QCOMPARE(m_client.ask("SYST:ERR?"),
             QByteArray(R"(-224,"Illegal parameter value;a label holds a control character )"
                        "(U+000D)\""));
    QCOMPARE(m_client.ask("ROUT:CHAN:LAB? (@3)"), QByteArray(R"("PSU rail")"));

    // The operator edits a label from the button's menu, now that the card
    // has a fixture file.
    QCOMPARE(relayButton(3)->contextMenuPolicy(), Qt::ActionsContextMenu);
    QAction *edit = pair(2)->labelAction(3);
    QVERIFY(edit);
    QVERIFY(relayButton(3)->actions().contains(edit));
    sfptest::actOnNextModal([](QWidget *dialog) {
        auto *input = qobject_cast<QInputDialog *>(dialog);
        QVERIFY(input);
        QCOMPARE(input->textValue(), QStringLiteral("PSU rail"));
        input->setTextValue(QStringLiteral(" Sense+ "));
        input->accept();
    });
    edit->trigger();
    QCOMPARE(m_client.ask("ROUT:CHAN:LAB? (@3)"), QByteArray(R"("Sense+")"));
    QCOMPARE(relayButton(3)->accessibleName(), QStringLiteral("Pair 2 relay A: Sense+"));
    // A label that cannot be is said in a box and changes nothing.
    sfptest::actOnNextModal(
        [](QWidget *dialog) {
            auto *input = qobject_cast<QInputDialog *>(dialog);
            QVERIFY(input);
            input->setTextValue(QString(31, QLatin1Char('y')));
            input->accept();
        },
        [] { sfptest::answerNextModal(QStringLiteral("OK")); });
    edit->trigger();
    QTRY_COMPARE(QApplication::activeModalWidget(), nullptr);
    QCOMPARE(m_client.ask("ROUT:CHAN:LAB? (@3)"), QByteArray(R"("Sense+")"));

    // Relay B's label from its own menu; a dialog cancelled changes
    // nothing; a pair with only relay A labelled.
    QCOMPARE(pair(2)->labelAction(1), nullptr);
    sfptest::actOnNextModal([](QWidget *dialog) {
        auto *input = qobject_cast<QInputDialog *>(dialog);
        QVERIFY(input);
        QVERIFY(input->labelText().contains(QLatin1String("pair 2 relay B (relay 4)")));
        input->setTextValue(QStringLiteral("0 V"));
        input->accept();
    });
    pair(2)->labelAction(4)->trigger();
    QCOMPARE(m_client.ask("ROUT:CHAN:LAB? (@4)"), QByteArray(R"("0 V")"));
    sfptest::actOnNextModal([](QWidget *dialog) {
        auto *input = qobject_cast<QInputDialog *>(dialog);
        QVERIFY(input);
        input->setTextValue(QStringLiteral("never"));
        input->reject();
    });
    pair(2)->labelAction(4)->trigger();
    QCOMPARE(m_client.ask("ROUT:CHAN:LAB? (@4)"), QByteArray(R"("0 V")"));
    m_client.run(R"(ROUT:CHAN:LAB "Probe",(@5))");
    QCOMPARE(pair(3)->toolTip(), QStringLiteral("Pair 3 · Probe / Ω"));
    m_client.run("ROUT:CHAN:LAB:CLE (@6)");
    QCOMPARE(pair(3)->toolTip(), QStringLiteral("Pair 3 · Probe / –"));

    // Cleared, the pair is as it was.
    m_client.run("ROUT:CHAN:LAB:CLE (@1:32)");
    QCOMPARE(relayButton(3)->accessibleName(), QStringLiteral("Pair 2 relay A"));
    QCOMPARE(pair(2)->title(), QStringLiteral("Pair 2"));
    QCOMPARE(pair(2)->toolTip(), QString());
    reading = sfp::fixture::read(path, &absent);
    QVERIFY(reading.fixture.labels == sfp::Fixture().labels);

    // A fixture file that cannot be written: the labels stay as they were.
    QFile blocker(m_folder.filePath(QStringLiteral("blocker")));
    QVERIFY(blocker.open(QIODevice::WriteOnly));
    blocker.close();
    m_panel->card()->setFixture(sfp::Fixture(), blocker.fileName() + "/DEMO.json", false);
    m_client.send(R"(ROUT:CHAN:LAB "x",(@1))");
    QCOMPARE(m_client.ask("SYST:ERR?"),
             QByteArray(R"(-300,"Device-specific error;labels not changed: the fixture file )"
                        R"(cannot be written: its folder cannot be made")"));
    QCOMPARE(m_client.ask("ROUT:CHAN:LAB? (@1)"), QByteArray(R"("")"));
}

// Labels of any length, in any font, set before the window opens or by a
// script while it is open, never widen it: each pair's title holds what
// its width does, cut with "…", the whole of it in the tooltip.
void tst_RemoteControl::labelsKeepTheWindowsWidth()
{
    const auto settledWidth = [this] {
        QCoreApplication::sendPostedEvents(nullptr, QEvent::LayoutRequest);
        return m_panel->width();
    };
    const auto titlesFit = [this](const QString &label) {
        for (int number = 1; number <= 16; ++number) {
            qx5170_sfpRelayPair *box = pair(number);
            const QString whole = QStringLiteral("Pair %1 · %2 / %2").arg(number).arg(label);
            if (box->toolTip() != whole)
                return QStringLiteral("pair %1's tooltip: %2").arg(number).arg(box->toolTip());
            if (!box->title().endsWith(QStringLiteral("…"))
                || !box->title().startsWith(QStringLiteral("Pair %1").arg(number)))
                return QStringLiteral("pair %1's title: %2").arg(number).arg(box->title());
            if (box->fontMetrics().horizontalAdvance(box->title()) > box->width())
                return QStringLiteral("pair %1's title is wider than the pair").arg(number);
        }
        return QString();
    };
    const QString path = m_folder.filePath(QStringLiteral("fixtures-width/DEMO.json"));
    m_panel->card()->setFixture(sfp::Fixture(), path, false);
    const int plain = settledWidth();
    const int left = m_panel->x();
    const QByteArray label("Reference divider, channel 12x");
    QCOMPARE(label.size(), 30);

    // Set by a script on every relay.
    m_client.run("ROUT:CHAN:LAB \"" + label + "\",(@1:32)");
    QCOMPARE(settledWidth(), plain);
    QCOMPARE(m_panel->x(), left);
    QCOMPARE(titlesFit(QString::fromLatin1(label)), QString());
    // Another font: the titles are cut again, and the width is the one the
    // window has in that font without labels.
    QFont larger = m_panel->font();
    larger.setPointSize(larger.pointSize() * 2);
    m_panel->setFont(larger);
    const int largerLabelled = settledWidth();
    QCOMPARE(titlesFit(QString::fromLatin1(label)), QString());
    m_client.run("ROUT:CHAN:LAB:CLE (@1:32)");
    QCOMPARE(pair(5)->title(), QStringLiteral("Pair 5"));
    m_panel->adjustSize();
    const int largerPlain = settledWidth();
    m_client.run("ROUT:CHAN:LAB \"" + label + "\",(@1:32)");
    m_panel->adjustSize();
    QCOMPARE(settledWidth(), largerPlain);
    QVERIFY(largerLabelled >= largerPlain);
    m_panel->setFont(QFont());
    m_client.run("ROUT:CHAN:LAB:CLE (@1:32)");

    // Labels the card has when the window opens.
    m_panel->hide();
    m_panel->adjustSize();
    const int closedPlain = settledWidth();
    sfp::Fixture labelled;
    labelled.labels.fill(QString::fromLatin1(label));
    m_panel->card()->setFixture(labelled, path, true);
    m_panel->adjustSize();
    m_panel->show();
    QVERIFY(QTest::qWaitForWindowExposed(m_panel.get()));
    QCOMPARE(settledWidth(), closedPlain);
    QCOMPARE(titlesFit(QString::fromLatin1(label)), QString());
}

void tst_RemoteControl::fixtureStates()
{
    const QString path = m_folder.filePath(QStringLiteral("fixtures-states/DEMO.json"));
    QVERIFY(QDir().mkpath(QFileInfo(path).path()));
    QFile file(path);
    QVERIFY(file.open(QIODevice::WriteOnly));
    file.write(R"({"rules": [{"name": "PSU/GND", "mutual": [3, 7]}], "note": "kept",
                  "states": [{"name": "old", "closed": [3, 7]}]})");
    file.close();
    bool absent = true;
    m_panel->card()->setFixture(sfp::fixture::read(path, &absent).fixture, path, true);

    QCOMPARE(m_client.ask("MEM:STAT:CAT?"), QByteArray(R"("old")"));
    // Kept with the card's mode and rule; a state that could never come
    // back is refused, and so is a name that cannot be.
    m_client.run(R"(ROUT:MODE COMM;EXCL ON;:MEM:STAT:DEF "measure",(@1,4))");
    m_client.send(R"(MEM:STAT:DEF "bad",(@3,7))");
    QCOMPARE(m_client.ask("SYST:ERR?"),
             QByteArray(R"(-221,"Settings conflict;""PSU/GND"" allows one of relays 3, 7")"));
    m_client.send(R"(MEM:STAT:DEF "bad",(@1,2))");
    QCOMPARE(m_client.ask("SYST:ERR?"),
             QByteArray(R"(-221,"Settings conflict;both relays of pair 1 would be closed under )"
                        R"(the exclusive rule")"));
    m_client.send("MEM:STAT:DEF \"" + QByteArray(31, 'n') + "\",(@1)");
    QCOMPARE(m_client.ask("SYST:ERR?"),
             QByteArray("-224,\"Illegal parameter value;a state's name has 1 to 30 characters, "
                        "not 31\""));
    QCOMPARE(m_client.ask("MEM:STAT:CAT?"), QByteArray(R"("old","measure")"));
    const sfp::fixture::Reading reading = sfp::fixture::read(path, &absent);
    QCOMPARE(reading.error, QString());
    QCOMPARE(reading.warnings, QStringList({"/note: unknown key \"note\", ignored"}));
    QCOMPARE(reading.fixture.states.size(), 2);
    QCOMPARE(reading.fixture.states[1].state.mode, sfp::SwitchingMode::SyncCommand);
    QVERIFY(reading.fixture.states[1].state.exclusive);

    // Recalled as *RCL recalls: at one update, then the mode and the rule.
    m_client.run("*RST");
    sfptest::clearTrace();
    m_client.run(R"(MEM:STAT:REC "measure")");
    QCOMPARE(m_client.ask("ROUT:CLOS?;:ROUT:MODE?;EXCL?;:SYST:ERR?"),
             QByteArray("(@1,4);COMM;1;0,\"No error\""));
    QCOMPARE(sfptest::trace({QStringLiteral("qx5170_updateRelaysState")}).size(), 1);
    // One that breaks a rule, or that is not there: refused, nothing moves.
    sfptest::clearTrace();
    m_client.send(R"(MEM:STAT:REC "old")");
    QCOMPARE(m_client.ask("SYST:ERR?"),
             QByteArray(R"(-221,"Settings conflict;""PSU/GND"" allows one of relays 3, 7")"));
    m_client.send(R"(MEM:STAT:REC "nope")");
    QCOMPARE(m_client.ask("SYST:ERR?"),
             QByteArray(R"(-224,"Illegal parameter value;no state is named ""nope""")"));
    QCOMPARE(sfptest::trace(driverCalls()), QStringList());

    // The operator reaches the same from the relay area's menu.
    const std::unique_ptr<QMenu> menu(m_panel->newStateMenu());
    QStringList texts;
    for (const QAction *action : menu->actions())
        texts.append(action->text());
    QCOMPARE(texts,
             QStringList({"Scan...", QString(), "Apply \"old\"", "Apply \"measure\"", QString(),
                          "Save current state as..."}));
    m_client.run("*RST");
    menu->actions().at(3)->trigger();
    QCOMPARE(m_client.ask("ROUT:CLOS?"), QByteArray("(@1,4)"));
    menu->actions().at(2)->trigger();
    const auto *refusal = m_panel->findChild<QLabel *>(QStringLiteral("refusalInfo"));
    QVERIFY(refusal && refusal->isVisible());
    QCOMPARE(refusal->text(), QStringLiteral("Refused: \"PSU/GND\" allows one of relays 3, 7"));
    QCOMPARE(m_client.ask("ROUT:CLOS?"), QByteArray("(@1,4)"));
    sfptest::actOnNextModal([](QWidget *dialog) {
        auto *input = qobject_cast<QInputDialog *>(dialog);
        QVERIFY(input);
        input->setTextValue(QStringLiteral("by hand"));
        input->accept();
    });
    menu->actions().at(5)->trigger();
    QCOMPARE(m_client.ask("MEM:STAT:CAT?"), QByteArray(R"("old","measure","by hand")"));

    // Cancelled, or refused with a word why: nothing kept.
    sfptest::actOnNextModal([](QWidget *dialog) {
        auto *input = qobject_cast<QInputDialog *>(dialog);
        QVERIFY(input);
        input->setTextValue(QStringLiteral("never"));
        input->reject();
    });
    menu->actions().at(5)->trigger();
    std::shared_ptr<sfptest::ModalAnswer> warning;
    sfptest::actOnNextModal(
        [](QWidget *dialog) {
            auto *input = qobject_cast<QInputDialog *>(dialog);
            QVERIFY(input);
            input->setTextValue(QString(31, QLatin1Char('n')));
            input->accept();
        },
        [&warning] { warning = sfptest::answerNextModal(QStringLiteral("OK")); });
    menu->actions().at(5)->trigger();
    QTRY_VERIFY(warning && warning->answered);
    QCOMPARE(warning->text,
             QStringLiteral("The state was not saved: a state's name has 1 to 30 characters, not "
                            "31."));
    QCOMPARE(m_client.ask("MEM:STAT:CAT?"), QByteArray(R"("old","measure","by hand")"));

    // A fixture without states: the menu only saves.
    const sfp::Fixture kept = m_panel->card()->fixture();
    m_panel->card()->setFixture(sfp::Fixture(), path, true);
    const std::unique_ptr<QMenu> saveOnly(m_panel->newStateMenu());
    QCOMPARE(saveOnly->actions().size(), 3);
    QCOMPARE(saveOnly->actions().at(0)->text(), QStringLiteral("Scan..."));
    QCOMPARE(saveOnly->actions().at(2)->text(), QStringLiteral("Save current state as..."));
    m_panel->card()->setFixture(kept, path, true);

    // A fixture file that cannot be written: the state is not kept.
    m_panel->card()->setFixture(m_panel->card()->fixture(), path + "/x.json", true);
    m_client.send(R"(MEM:STAT:DEF "more",(@1))");
    QCOMPARE(m_client.ask("SYST:ERR?"),
             QByteArray(R"(-300,"Device-specific error;state not kept: the fixture file cannot )"
                        R"(be written: its folder cannot be made")"));
    QCOMPARE(m_client.ask("MEM:STAT:CAT?"), QByteArray(R"("old","measure","by hand")"));
}

void tst_RemoteControl::relayWear()
{
    // Not counted until the program gives the card its counter.
    QCOMPARE(m_client.ask("DIAG:REL:CYCL? (@1);:SYST:ERR?"),
             QByteArray(R"(-300,"Device-specific error;relay cycles are not counted")"));
    const QString path = m_folder.filePath(QStringLiteral("wear/relay-cycles.json"));
    sfp::Fixture fixture;
    fixture.ratedCycles[2] = 4; // relay 3
    fixture.ratedCycles[3] = 10; // relay 4
    fixture.warningPercent = 50;
    m_panel->card()->setFixture(fixture, QString(), false);
    sfp::RelayWear wear;
    QCOMPARE(wear.open(path), QString());
    m_panel->card()->setWear(&wear);
    const auto unset = qScopeGuard([this] { m_panel->card()->setWear(nullptr); });
    const QString help = QStringLiteral("Switch on or off relay A");
    QCOMPARE(relayButton(3)->toolTip(), help);
    QCOMPARE(relayButton(3)->styleSheet(), QString());
    const QSize sizeBefore = m_panel->size();

    // Closings counted, in list order; an opening counts nothing.
    m_client.run("ROUT:CLOS (@3,4);:ROUT:OPEN (@3,4);:ROUT:CLOS (@3)");
    QCOMPARE(m_client.ask("DIAGnostic:RELay:CYCLes? (@4,3,1)"), QByteArray("1,2,0"));
    // Half its rated life: the button is marked, the count in its tooltip;
    // the questionable condition's bit 11 is set, and latched as an event.
    QCOMPARE(relayButton(3)->property("wear").toString(), QStringLiteral("warning"));
    QCOMPARE(relayButton(3)->toolTip(),
             help + QStringLiteral("\nWearing: closed 2 times of a rated 4"));
    QVERIFY(!relayButton(3)->styleSheet().isEmpty());
    QCOMPARE(relayButton(4)->property("wear"), QVariant());
    QCOMPARE(relayButton(4)->toolTip(), QStringLiteral("Switch on or off relay B"));
    QCOMPARE(m_client.ask("STAT:QUES:COND?"), QByteArray("2048"));
    // Enabled, the event sets bit 3 of the status byte until it is read.
    m_client.run("STAT:QUES:ENAB 2048");
    QCOMPARE(m_client.ask("*STB?"), QByteArray("8"));
    QCOMPARE(m_client.ask("STAT:QUES:EVEN?"), QByteArray("2048"));
    QCOMPARE(m_client.ask("STAT:QUES:EVEN?;:STAT:QUES:COND?;*STB?"), QByteArray("0;2048;0"));

    // A client that comes later is told too.
    Client other;
    QVERIFY(other.connectTo(m_remote->port()));
    QCOMPARE(other.ask("STAT:QUES:COND?;EVEN?"), QByteArray("2048;2048"));
    // Worn out: the stronger mark.
    other.run("ROUT:OPEN (@3);:ROUT:CLOS (@3);:ROUT:OPEN (@3);:ROUT:CLOS (@3)");
    QCOMPARE(m_client.ask("DIAG:REL:CYCL? (@3)"), QByteArray("4"));
    QCOMPARE(relayButton(3)->property("wear").toString(), QStringLiteral("worn"));
    QCOMPARE(relayButton(3)->toolTip(),
             help + QStringLiteral("\nWorn out: closed 4 times of a rated 4"));

    // Cleared (a relay replaced): the mark and the condition go, the file
    // is written at once; *CLS empties a latched event.
    other.run("*CLS");
    other.run("DIAG:REL:CYCL:CLE (@3)");
    QCOMPARE(other.ask("SYST:ERR?"), QByteArray(R"(0,"No error")"));
    QCOMPARE(m_client.ask("DIAG:REL:CYCL? (@3,4)"), QByteArray("0,1"));
    QCOMPARE(relayButton(3)->property("wear"), QVariant());
    QCOMPARE(relayButton(3)->styleSheet(), QString());
    QCOMPARE(relayButton(3)->toolTip(), help);
    QCOMPARE(m_client.ask("STAT:QUES:COND?"), QByteArray("0"));
    QCOMPARE(other.ask("STAT:QUES:EVEN?"), QByteArray("0"));
    QCOMPARE(sfptest::fileContents(path),
             QByteArray("{\"cycles\":[0,0,0,1") + QByteArray(",0").repeated(28) + "]}\n");
    // The marks come and go without changing the window's size.
    QCOMPARE(m_panel->size(), sizeBefore);

    // Under another client's lock the counts are not cleared.
    QCOMPARE(other.ask("SYST:LOCK:REQ?"), QByteArray("1"));
    m_client.send("DIAG:REL:CYCL:CLE (@4)");
    QCOMPARE(m_client.ask("SYST:ERR?"),
             QByteArray(R"(-221,"Settings conflict;another client holds the lock")"));
    QCOMPARE(m_client.ask("DIAG:REL:CYCL? (@4)"), QByteArray("1"));
    other.run("SYST:LOCK:REL");
    // A list is needed; channels of no relay are refused as elsewhere.
    m_client.send("DIAG:REL:CYCL?");
    QCOMPARE(m_client.ask("SYST:ERR?").left(5), QByteArray("-109,"));
    m_client.send("DIAG:REL:CYCL? (@33)");
    QCOMPARE(m_client.ask("SYST:ERR?").left(5), QByteArray("-222,"));
    // A file that cannot be written is said, without its path.
    QVERIFY(QDir(QFileInfo(path).path()).removeRecursively());
    QVERIFY(sfptest::writeFile(QFileInfo(path).path(), "x"));
    m_client.send("DIAG:REL:CYCL:CLE (@4)");
    QCOMPARE(m_client.ask("SYST:ERR?"),
             QByteArray(R"(-300,"Device-specific error;the relay cycles cannot be written: )"
                        R"(its folder cannot be made")"));
}

void tst_RemoteControl::switchingLogSources()
{
    sfp::SwitchingLog log;
    m_panel->card()->setLog(&log, m_panel->cardId());
    const auto unset = qScopeGuard([this] { m_panel->card()->setLog(nullptr, QString()); });
    Client other;
    QVERIFY(other.connectTo(m_remote->port()));
    // Each client by its address and port as the panel sees them.
    const QString me = QStringLiteral("socket 127.0.0.1:%1").arg(m_client.socket().localPort());
    const QString them = QStringLiteral("socket 127.0.0.1:%1").arg(other.socket().localPort());
    QVERIFY(me != them);
    const auto since = [&log](size_t first) {
        QStringList lines;
        for (size_t i = first; i < log.recent().size(); ++i) {
            const sfp::SwitchingEvent &event = log.recent()[i];
            lines.append(event.source + '|' + event.client + '|' + event.change());
        }
        return lines;
    };

    size_t mark = log.recent().size();
    m_client.run("ROUT:CLOS (@3)");
    other.run("ROUT:CLOS (@4);*SAV 1");
    m_client.run("*RST");
    other.run("*RCL 1");
    // *RST sets the mode even where it is the mode already, as it always
    // has: the card may have been switched by something else.
    QCOMPARE(
        since(mark),
        QStringList({me + "||relay 3 closed", them + "||relay 4 closed",
                     "*RST|" + me + "|mode Asynchronous", "*RST|" + me + "|relay 3 opened",
                     "*RST|" + me + "|relay 4 opened", "*RCL 1|" + them + "|mode Sync. Command",
                     "*RCL 1|" + them + "|relay 3 closed", "*RCL 1|" + them + "|relay 4 closed",
                     "*RCL 1|" + them + "|update", "*RCL 1|" + them + "|mode Asynchronous"}));

    // Refusals: another client's lock, a list breaking the exclusive rule,
    // a fixture's rule; none reaches the driver.
    other.run("ROUT:EXCL ON");
    mark = log.recent().size();
    sfptest::clearTrace();
    QCOMPARE(other.ask("SYST:LOCK:REQ?"), QByteArray("1"));
    m_client.run("ROUT:OPEN (@3)");
    other.run("SYST:LOCK:REL;:ROUT:CLOS (@5,6)");
    sfp::Fixture fixture;
    fixture.rules = {{"HV", sfp::FixtureRule::Kind::Forbidden, {31}}};
    m_panel->card()->setFixture(fixture, QString(), false);
    m_client.run("ROUT:CLOS (@31)");
    m_client.run("*TRG;:ROUT:UPD");
    QCOMPARE(since(mark),
             QStringList({me + "||refused: another client holds the lock (-221)",
                          them + "||refused: both relays of pair 3 under the exclusive rule (-221)",
                          me + "||refused: \"HV\" forbids relay 31 (-221)",
                          me + "||refused: a trigger is taken in Sync. Trigger mode only (-221)",
                          me + "||refused: an update is taken in Sync. Command mode only (-221)"}));
    // A script's list is refused whole: a refusal names no one relay of it.
    for (size_t i = mark; i < log.recent().size(); ++i)
        QCOMPARE(log.recent()[i].relay, 0);
    QCOMPARE(sfptest::trace({"qx5170_switchRelay"}), QStringList());
    // The operator's clicks, between the scripts' lines.
    relayButton(8)->click();
    QCOMPARE(log.recent().back().source, QStringLiteral("operator"));
    QCOMPARE(log.recent().back().change(), QStringLiteral("relay 8 closed"));
}

void tst_RemoteControl::switchingLogWindow()
{
    // Without a log there is no window to open.
    m_panel->showSwitchingLog();
    QCOMPARE(m_panel->switchingLogView(), nullptr);
    m_panel->setSwitchingLog(&m_log);
    const auto unset = qScopeGuard([this] { m_panel->card()->setLog(nullptr, QString()); });
    m_client.run("ROUT:CLOS (@9)");

    // The relay area's menu has the log even without a fixture file, and
    // opens the window, which shows the script's change.
    std::unique_ptr<QMenu> menu(m_panel->newStateMenu());
    QCOMPARE(menu->actions().size(), 2);
    QCOMPARE(menu->actions().at(0)->text(), QStringLiteral("Switching log..."));
    QCOMPARE(menu->actions().at(1)->text(), QStringLiteral("Scan..."));
    QCOMPARE(menu->actions().at(0)->shortcut(), QKeySequence(QStringLiteral("Ctrl+L")));
    menu->actions().at(0)->trigger();
    SwitchingLogView *view = m_panel->switchingLogView();
    QVERIFY(view);
    QVERIFY(view->isVisible());
    QCOMPARE(view->table()->model()->index(0, 2).data().toString(),
             QStringLiteral("relay 9 closed"));
    // Opened again, the same window.
    m_panel->showSwitchingLog();
    QCOMPARE(m_panel->switchingLogView(), view);
    view->close();

    // With a fixture file, its states follow the log's entry.
    const QString path = m_folder.filePath(QStringLiteral("fixtures-log/card.json"));
    m_panel->card()->setFixture(sfp::Fixture(), path, false);
    QCOMPARE(m_client.ask("MEM:STAT:DEF \"idle\",(@1);*OPC?"), QByteArray("1"));
    menu.reset(m_panel->newStateMenu());
    QStringList texts;
    for (const QAction *action : menu->actions())
        texts.append(action->isSeparator() ? QStringLiteral("--") : action->text());
    QCOMPARE(texts,
             QStringList({"Switching log...", "Scan...", "--", "Apply \"idle\"", "--",
                          "Save current state as..."}));
}

// A fault the operator would otherwise find only on standard error is said
// in the window too, on a line of its own that stays.
void tst_RemoteControl::faultsSaidInTheWindow()
{
    const char noticeName[] = "noticeInfo";
    QCOMPARE(m_panel->findChild<QLabel *>(QLatin1String(noticeName)), nullptr);
    QCoreApplication::sendPostedEvents(nullptr, QEvent::LayoutRequest);
    const QSize plain = m_panel->size();

    const QString blocker = m_folder.filePath(QStringLiteral("notice-blocker"));
    QVERIFY(sfptest::writeFile(blocker, "x"));
    sfp::SwitchingLog log;
    log.setPath(blocker + QStringLiteral("/card/switching.jsonl"));
    m_panel->setSwitchingLog(&log);
    const auto unset = qScopeGuard([this] { m_panel->card()->setLog(nullptr, QString()); });
    QCOMPARE(m_panel->findChild<QLabel *>(QLatin1String(noticeName)), nullptr);
    m_client.run("ROUT:CLOS (@1)");
    QTRY_VERIFY(m_panel->findChild<QLabel *>(QLatin1String(noticeName)));
    const auto *notice = m_panel->findChild<QLabel *>(QLatin1String(noticeName));
    QTRY_VERIFY(notice->isVisible());
    QVERIFY2(notice->text().startsWith(QStringLiteral("The switching log is not kept: ")),
             qPrintable(notice->text()));
    QVERIFY2(notice->text().contains(blocker), qPrintable(notice->text()));
    QCOMPARE(notice->toolTip(), notice->text());
    // The window widens for none of it.
    QCoreApplication::sendPostedEvents(nullptr, QEvent::LayoutRequest);
    QCOMPARE(m_panel->width(), plain.width());

    m_panel->showNotice(QStringLiteral("Relay cycles are not kept: the disk is full"));
    QCOMPARE(notice->text(), QStringLiteral("Relay cycles are not kept: the disk is full"));
    QCOMPARE(m_panel->findChildren<QLabel *>(QLatin1String(noticeName)).size(), 1);
}

SFPTEST_MAIN(tst_RemoteControl)

#include "tst_remotecontrol.moc"
