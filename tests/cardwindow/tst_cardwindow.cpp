// SPDX-FileCopyrightText: 2026 Tarvex
// SPDX-License-Identifier: MIT
// The card-bound window: demo mode and connected start, the header texts
// from the VISA session, the card's name, the title, the line and the About
// box's revisions that tell of the simulated platform, closing the session,
// and the end of the process on Cancel.
#include "cardheader.h"
#include "libraryrevision.h"
#include "platformlibraries.h"
#include "qx2010fp_about.h"
#include "qx2010fp_appfc.h"
#include "qx2010fp_fcselect.h"
#include "qx2010fp_led.h"
#include "qx5170_fc.h"
#include "sfptest.h"

#include "qx2010.h"
#include "qx5170.h"
#include "sim_control.h"

#include <QDeadlineTimer>
#include <QFormLayout>
#include <QLabel>
#include <QPixmap>
#include <QPushButton>
#include <QScopeGuard>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>
#include <QTreeWidget>
#include <QTreeWidgetItemIterator>
#include <QVBoxLayout>

#include <cstdio>
#include <cstring>
#include <memory>

namespace {

// Opens the window's members to the test, as a derived panel sees them.
class CardWindow final : public qx2010fp_AppFC
{
public:
    CardWindow(qx2010fp_genFC *fc, int multiSelect, bool startInDemo)
        : qx2010fp_AppFC(fc, multiSelect, startInDemo)
    { }

    using qx2010fp_AppFC::aboutBtn;
    using qx2010fp_AppFC::aboutDialog;
    using qx2010fp_AppFC::activeLed;
    using qx2010fp_AppFC::cardLbl;
    using qx2010fp_AppFC::d_demoMode;
    using qx2010fp_AppFC::d_fc;
    using qx2010fp_AppFC::d_fcCount;
    using qx2010fp_AppFC::d_fcNumbers;
    using qx2010fp_AppFC::d_lxi;
    using qx2010fp_AppFC::d_vi;
    using qx2010fp_AppFC::logoLbl;
    using qx2010fp_AppFC::moduleLbl;
    using qx2010fp_AppFC::titleLbl;
};

const char vxiSystem[] = R"({"resources": [
    {"descriptor": "VXI0::1::INSTR", "slot": 5,
     "motherboard": {"code": "0x0B52", "positions": 4,
                     "cards": [{"position": 2, "code": "0x5170"}]}}]})";

const char lxiSystem[] = R"({"resources": [
    {"descriptor": "TCPIP0::192.168.2.100::INSTR", "hostname": "lxi-5170.lab.local",
     "deviceName": "inst0",
     "motherboard": {"code": "0x0D42", "cards": [{"position": 2, "code": "0x5170"}]}}]})";

const char lxiWithoutHostName[] = R"({"resources": [
    {"descriptor": "TCPIP0::192.168.2.100::INSTR",
     "motherboard": {"code": "0x0D42", "cards": [{"position": 2, "code": "0x5170"}]}}]})";

const QLatin1String vxiHelp("Shows which VXI module is connected to the Soft Front Panel");
const QLatin1String lxiHelp("Shows which LXI module is connected to the Soft Front Panel");
const QLatin1String cardHelp("Shows which function card is connected to the Soft Front Panel");
const QLatin1String plainTitle("Orbelan 5170 Soft Front Panel");
const QLatin1String simulatedLine("Simulated platform: no hardware is switched");
const QLatin1String headerText("<html>Orbelan 5170<br><font size='2'>32-Channel Relay/Switching "
                               "Function Card</font></html>");

bool load(const char *json)
{
    std::string error;
    const bool loaded = sfpsim::loadDescription(json, &error);
    if (!loaded)
        qWarning("description refused: %s", error.c_str());
    return loaded;
}

bool samePicture(const QPixmap &a, const QString &resource)
{
    const QImage expected = QImage(resource).convertToFormat(QImage::Format_ARGB32);
    return !a.isNull() && a.toImage().convertToFormat(QImage::Format_ARGB32) == expected;
}

// The value shown beside rowLabel in one of the About box's forms.
QString aboutValue(QWidget *about, const QString &rowLabel)
{
    const QList<QFormLayout *> forms = about->findChildren<QFormLayout *>();
    for (const QFormLayout *form : forms) {
        for (int row = 0; row < form->rowCount(); ++row) {
            const QLayoutItem *label = form->itemAt(row, QFormLayout::LabelRole);
            const QLayoutItem *field = form->itemAt(row, QFormLayout::FieldRole);
            const auto *labelWidget = label ? qobject_cast<QLabel *>(label->widget()) : nullptr;
            const auto *fieldWidget = field ? qobject_cast<QLabel *>(field->widget()) : nullptr;
            if (labelWidget && fieldWidget && labelWidget->text() == rowLabel)
                return fieldWidget->text();
        }
    }
    return QStringLiteral("<no row %1>").arg(rowLabel);
}

// The line that tells of the simulated platform, or null when there is none.
QLabel *platformLine(QWidget *window)
{
    return window->findChild<QLabel *>(QStringLiteral("platformInfo"));
}

QString libraryRevision()
{
    char text[qx2010_REVISION_BUFLEN] = {};
    qx2010_library_revision(text);
    return QString::fromLatin1(text);
}

// The calls that take no session: all that a window without a card may make.
bool takesNoSession(const QString &line)
{
    return line.startsWith(QLatin1String("qx5170_revision_query(0)"))
        || line.startsWith(QLatin1String("qx2010_library_revision("));
}

QStringList withSession(const QStringList &lines)
{
    QStringList kept;
    for (const QString &line : lines) {
        if (!takesNoSession(line))
            kept.append(line);
    }
    return kept;
}

// Connects through the first question's "Auto Find" to the only card of the
// loaded system.
std::unique_ptr<CardWindow> connectByAutoFind(qx5170_fc *fc)
{
    sfptest::answerNextModal(QStringLiteral("Auto Find"));
    return std::make_unique<CardWindow>(fc, 0, false);
}

struct TreeChoice
{
    bool answered = false;
    int selectionMode = -1;
    QString descriptor;
    int fcNumber = 0;
};

// Waits for the selection tree, notes its selection mode, selects the
// selectable card at index `pick` (in tree order) and presses OK. The tree
// is never cancelled here: that would end the test's own process.
void chooseInTree(int pick, TreeChoice *choice)
{
    auto *timer = new QTimer(QCoreApplication::instance());
    timer->setInterval(10);
    const QDeadlineTimer deadline(30000);
    QObject::connect(timer, &QTimer::timeout, timer, [timer, deadline, pick, choice] {
        auto *select = qobject_cast<qx2010fp_fcSelect *>(QApplication::activeModalWidget());
        if (!select || !select->isVisible()) {
            if (deadline.hasExpired()) {
                timer->stop();
                timer->deleteLater();
                qWarning("the selection tree did not appear");
            }
            return;
        }
        timer->stop();
        timer->deleteLater();
        choice->selectionMode = int(select->m_tree->selectionMode());
        QList<QTreeWidgetItem *> cards;
        for (QTreeWidgetItemIterator it(select->m_tree, QTreeWidgetItemIterator::Selectable); *it;
             ++it)
            cards.append(*it);
        QTreeWidgetItem *card = cards.value(pick);
        if (!card) {
            qWarning("the tree has no selectable card %d", pick);
            return;
        }
        choice->answered = true;
        choice->descriptor = card->data(1, Qt::StatusTipRole).toString();
        choice->fcNumber = card->data(0, Qt::StatusTipRole).toInt();
        select->m_tree->setCurrentItem(card);
        card->setSelected(true);
        select->m_okButton->click();
    });
    timer->start();
}

} // namespace

// Cancel and its equivalents in the first question end the process.
SFPTEST_CHILD(cancelFirstQuestion)
{
    const QString how = qEnvironmentVariable("SFP_TEST_CANCEL");
    if (how == QLatin1String("close"))
        sfptest::closeNextModal();
    else
        sfptest::answerNextModal(how == QLatin1String("escape") ? QString() : how);
    qx5170_fc fc;
    CardWindow window(&fc, 0, false);
    // Reaching this line means the window was built after all.
    std::fputs("window built\n", stdout);
}

class tst_CardWindow : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase();
    void init();
    void cleanup();

    void headerFromSession_data();
    void headerFromSession();
    void windowTitle_data();
    void windowTitle();

    void demoStart();
    void demoChosenInFirstQuestion();
    void connectedVxi();
    void connectedLxi_data();
    void connectedLxi();
    void simulatedPlatformShown();
    void vendorLibrariesShowNothing();
    void sessionClosedOnce();
    void selectionFollowsMultiSelect_data();
    void selectionFollowsMultiSelect();

    void aboutBox();
    void aboutWithoutLibraryRevision();
    void closeAsksFirst();
    void cancelEndsProcess_data();
    void cancelEndsProcess();

private:
    QTemporaryDir m_config;
};

void tst_CardWindow::initTestCase()
{
    // The address history of the typed-address path must never reach the
    // real user's files.
    QVERIFY(m_config.isValid());
    qputenv("ALLUSERSPROFILE", QFile::encodeName(m_config.path()));
    qputenv("XDG_CONFIG_HOME", QFile::encodeName(m_config.path()));
    sfptest::dismissStrayModals();
}

void tst_CardWindow::init()
{
    sfpsim::loadDefaultSystem();
    sfpsim::clearFaults();
    sfptest::clearTrace();
}

void tst_CardWindow::cleanup()
{
    QCOMPARE(sfptest::takeStrayModals(), QStringList());
    QCOMPARE(sfpsim::openSessionCount(), 0);
}

void tst_CardWindow::headerFromSession_data()
{
    QTest::addColumn<QString>("system");
    QTest::addColumn<QString>("descriptor");
    QTest::addColumn<int>("fcNumber");
    QTest::addColumn<bool>("lxi");
    QTest::addColumn<QString>("module");
    QTest::addColumn<QString>("host");
    QTest::addColumn<QString>("chosen");
    QTest::addColumn<QString>("resourceName");

    QTest::newRow("VXI slot 5, FC 2") << vxiSystem << "VXI0::1::INSTR" << 2 << false << "Slot 5"
                                      << ""
                                      << "VXI0::1::INSTR"
                                      << "VXI0::1::INSTR";
    QTest::newRow("default VXI slot 9, FC 3") << ""
                                              << "VXI0::5::INSTR" << 3 << false << "Slot 9"
                                              << ""
                                              << "VXI0::5::INSTR"
                                              << "VXI0::5::INSTR";
    // VISA's own name, however the operator wrote the address.
    QTest::newRow("typed short") << vxiSystem << "vxi::1" << 2 << false << "Slot 5"
                                 << ""
                                 << "vxi::1"
                                 << "VXI0::1::INSTR";
    QTest::newRow("LXI") << lxiSystem << "TCPIP0::192.168.2.100::INSTR" << 2 << true << "inst0"
                         << "lxi-5170.lab.local"
                         << "TCPIP0::192.168.2.100::INSTR"
                         << "TCPIP0::192.168.2.100::INSTR";
    QTest::newRow("LXI without host name")
        << lxiWithoutHostName << "TCPIP0::192.168.2.100::INSTR" << 2 << true << "inst0"
        << ""
        << "TCPIP0::192.168.2.100::INSTR"
        << "TCPIP0::192.168.2.100::INSTR";
    // Without VISA's name, the first descriptor the operator chose.
    QTest::newRow("resource name unreadable") << R"({"resources": [
            {"descriptor": "VXI0::1::INSTR", "slot": 5,
             "motherboard": {"code": "0x0B52", "cards": [{"position": 2, "code": "0x5170"}]}}],
           "faults": [{"operation": "viGetAttribute", "attribute": "0xBFFF0002",
                       "status": "0xBFFF0015", "count": -1}]})"
                                              << "VXI0::1::INSTR" << 2 << false << "Slot 5"
                                              << ""
                                              << "VXI::1, VXI0::5::INSTR"
                                              << "VXI::1";
    // Only plain success counts, as for the LAN texts: the chosen
    // descriptor then.
    QTest::newRow("resource name with a warning") << R"({"resources": [
            {"descriptor": "VXI0::1::INSTR", "slot": 5,
             "motherboard": {"code": "0x0B52", "cards": [{"position": 2, "code": "0x5170"}]}}],
           "faults": [{"operation": "viGetAttribute", "attribute": "0xBFFF0002",
                       "status": "0x3FFF0084", "count": -1}]})"
                                                  << "VXI0::1::INSTR" << 2 << false << "Slot 5"
                                                  << ""
                                                  << "VXI::1"
                                                  << "VXI::1";
    QTest::newRow("LXI, device name unreadable")
        << R"({"resources": [
            {"descriptor": "TCPIP0::192.168.2.100::INSTR", "hostname": "lxi-5170.lab.local",
             "motherboard": {"code": "0x0D42", "cards": [{"position": 2, "code": "0x5170"}]}}],
           "faults": [{"operation": "viGetAttribute", "attribute": "0xBFFF0199",
                       "status": "0xBFFF0015", "count": -1}]})"
        << "TCPIP0::192.168.2.100::INSTR" << 2 << true << ""
        << "lxi-5170.lab.local"
        << "TCPIP0::192.168.2.100::INSTR"
        << "TCPIP0::192.168.2.100::INSTR";
    // A warning still means that the device has a slot.
    QTest::newRow("VXI, slot read with a warning") << R"({"resources": [
            {"descriptor": "VXI0::1::INSTR", "slot": 5,
             "motherboard": {"code": "0x0B52", "cards": [{"position": 2, "code": "0x5170"}]}}],
           "faults": [{"operation": "viGetAttribute", "attribute": "0x3FFF00E8",
                       "status": "0x3FFF0084", "count": -1}]})"
                                                   << "VXI0::1::INSTR" << 2 << false << "Slot 5"
                                                   << ""
                                                   << "VXI0::1::INSTR"
                                                   << "VXI0::1::INSTR";
    // Only an error says that there is no slot: the system counts as LXI,
    // and a VXI device has no LAN texts to show.
    QTest::newRow("slot query fails") << R"({"resources": [
            {"descriptor": "VXI0::1::INSTR", "slot": 5,
             "motherboard": {"code": "0x0B52", "cards": [{"position": 2, "code": "0x5170"}]}}],
           "faults": [{"operation": "viGetAttribute", "attribute": "0x3FFF00E8",
                       "status": "0xBFFF0015", "count": -1}]})"
                                      << "VXI0::1::INSTR" << 2 << true << ""
                                      << ""
                                      << "VXI0::1::INSTR"
                                      << "VXI0::1::INSTR";
}

void tst_CardWindow::headerFromSession()
{
    QFETCH(QString, system);
    QFETCH(QString, descriptor);
    QFETCH(int, fcNumber);
    QFETCH(bool, lxi);
    QFETCH(QString, module);
    QFETCH(QString, host);
    QFETCH(QString, chosen);
    QFETCH(QString, resourceName);
    if (!system.isEmpty())
        QVERIFY(load(system.toUtf8().constData()));

    ViSession vi = 0;
    QByteArray resource = descriptor.toLatin1();
    QCOMPARE(qx5170_init(resource.data(), ViUInt16(fcNumber), 1, 1, &vi), VI_SUCCESS);
    const sfp::CardHeader header = sfp::readCardHeader(vi, fcNumber, chosen);
    qx5170_close(vi);

    QCOMPARE(header.lxi, lxi);
    QCOMPARE(header.moduleText, module);
    QCOMPARE(header.hostText, host);
    QCOMPARE(header.fcText, QStringLiteral("FC %1").arg(fcNumber));
    QCOMPARE(header.resourceName, resourceName);
}

void tst_CardWindow::windowTitle_data()
{
    QTest::addColumn<QString>("host");
    QTest::addColumn<QString>("title");
    QTest::newRow("no host") << ""
                             << "Orbelan 5170 Soft Front Panel";
    QTest::newRow("host") << "lxi-5170.lab.local"
                          << "Orbelan 5170 Soft Front Panel: lxi-5170.lab.local";
}

void tst_CardWindow::windowTitle()
{
    QFETCH(QString, host);
    QFETCH(QString, title);
    QCOMPARE(sfp::panelWindowTitle(QStringLiteral("5170"), host), title);
    QCOMPARE(sfp::panelHeaderText(QStringLiteral("5170"),
                                  QStringLiteral("32-Channel Relay/Switching Function Card")),
             headerText);
}

void tst_CardWindow::demoStart()
{
    qx5170_fc fc;
    {
        CardWindow window(&fc, 0, true);
        QCOMPARE(window.d_demoMode, 1);
        QCOMPARE(window.d_vi, ViSession(0));
        QCOMPARE(window.d_lxi, false);
        QCOMPARE(window.d_fc, &fc);
        // Nothing was chosen: demo mode's single card numbered 1.
        QCOMPARE(window.d_fcNumbers[0], 1);
        QCOMPARE(window.d_fcNumbers[1], 0);
        QCOMPARE(window.d_fcCount, 1);

        QCOMPARE(window.windowTitle(), plainTitle);
        QCOMPARE(window.titleLbl->text(), headerText);
        QCOMPARE(window.moduleLbl->text(), QString());
        QCOMPARE(window.cardLbl->text(), QString());
        QCOMPARE(window.moduleLbl->whatsThis(), vxiHelp);
        QCOMPARE(window.cardLbl->whatsThis(), cardHelp);
        QVERIFY(!window.activeLed->value());
        QVERIFY(samePicture(window.logoLbl->pixmap(), QStringLiteral(":/vxi-logo.bmp")));
        // Demo mode tells of itself with its dark LED: no line of the
        // platform, and the revisions as they are.
        QCOMPARE(window.cardId(), QStringLiteral("DEMO"));
        QCOMPARE(platformLine(&window), nullptr);
        QCOMPARE(aboutValue(window.aboutDialog, QStringLiteral("Instrument Driver:")),
                 QStringLiteral("1.4.0"));
        QCOMPARE(aboutValue(window.aboutDialog, QStringLiteral("Orbelan Common Library:")),
                 QStringLiteral("2.7.3"));
    }
    QCOMPARE(withSession(sfptest::trace()), QStringList());
}

void tst_CardWindow::demoChosenInFirstQuestion()
{
    qx5170_fc fc;
    {
        const auto question = sfptest::answerNextModal(QStringLiteral("Run In Demo Mode"));
        CardWindow window(&fc, 0, false);
        QVERIFY(question->answered);
        QCOMPARE(question->title, QStringLiteral("Orbelan 5170 SFP: Select Function Card"));
        QCOMPARE(window.d_demoMode, 1);
        QCOMPARE(window.d_vi, ViSession(0));
        QCOMPARE(window.d_fcNumbers[0], 1);
        QCOMPARE(window.d_fcCount, 1);
        QCOMPARE(window.windowTitle(), plainTitle);
        QCOMPARE(window.moduleLbl->text(), QString());
        QCOMPARE(window.cardLbl->text(), QString());
        QVERIFY(!window.activeLed->value());
        QCOMPARE(window.cardId(), QStringLiteral("DEMO"));
        QCOMPARE(platformLine(&window), nullptr);
    }
    QCOMPARE(withSession(sfptest::trace()), QStringList());
}

void tst_CardWindow::connectedVxi()
{
    QVERIFY(load(vxiSystem));
    qx5170_fc fc;
    const std::unique_ptr<CardWindow> window = connectByAutoFind(&fc);
    QCOMPARE(window->d_demoMode, 0);
    QVERIFY(window->d_vi != 0);
    QCOMPARE(window->d_lxi, false);
    QCOMPARE(window->d_fcNumbers[0], 2);
    QCOMPARE(window->d_fcCount, 1);
    QCOMPARE(window->windowTitle(), plainTitle);
    QCOMPARE(window->titleLbl->text(), headerText);
    QCOMPARE(window->moduleLbl->text(), QStringLiteral("Slot 5"));
    QCOMPARE(window->cardLbl->text(), QStringLiteral("FC 2"));
    QCOMPARE(window->moduleLbl->whatsThis(), vxiHelp);
    QCOMPARE(window->cardLbl->whatsThis(), cardHelp);
    QVERIFY(window->activeLed->value());
    QVERIFY(samePicture(window->logoLbl->pixmap(), QStringLiteral(":/vxi-logo.bmp")));
    QVERIFY(sfptest::trace({QStringLiteral("qx5170_init(")})
                .contains(QStringLiteral("qx5170_init(\"VXI0::1::INSTR\", 2, 1, 1) = 0")));
}

void tst_CardWindow::connectedLxi_data()
{
    QTest::addColumn<QString>("system");
    QTest::addColumn<QString>("title");

    QTest::newRow("with host name")
        << lxiSystem << plainTitle + QStringLiteral(": lxi-5170.lab.local");
    QTest::newRow("without host name") << lxiWithoutHostName << QString(plainTitle);
}

void tst_CardWindow::connectedLxi()
{
    QFETCH(QString, system);
    QFETCH(QString, title);
    QVERIFY(load(system.toUtf8().constData()));
    qx5170_fc fc;
    const std::unique_ptr<CardWindow> window = connectByAutoFind(&fc);
    QCOMPARE(window->d_demoMode, 0);
    QCOMPARE(window->d_lxi, true);
    QCOMPARE(window->windowTitle(), title);
    QCOMPARE(window->moduleLbl->text(), QStringLiteral("inst0"));
    QCOMPARE(window->cardLbl->text(), QStringLiteral("FC 2"));
    QCOMPARE(window->moduleLbl->whatsThis(), lxiHelp);
    QVERIFY(window->activeLed->value());
    QVERIFY(samePicture(window->logoLbl->pixmap(), QStringLiteral(":/lxi-logo.bmp")));
}

// Connected on the stand-ins: one line under the card's, before the remote
// control's, and the stand-ins' revisions marked in the About box.
void tst_CardWindow::simulatedPlatformShown()
{
    QVERIFY(load(vxiSystem));
    qx5170_fc fc;
    const std::unique_ptr<CardWindow> window = connectByAutoFind(&fc);
    QVERIFY(sfp::platform::loaded().simulated);
    QCOMPARE(window->cardId(), QStringLiteral("VXI0::1::INSTR/FC2"));
    QLabel *line = platformLine(window.get());
    QVERIFY(line);
    QCOMPARE(line->text(), simulatedLine);
    QVERIFY(!line->whatsThis().isEmpty());
    window->setRemoteInfo(QStringLiteral("Remote: 127.0.0.1:5025, 0 clients"));
    window->show();
    QVERIFY(QTest::qWaitForWindowExposed(window.get()));
    QVERIFY(line->isVisible());
    auto *column = qobject_cast<QBoxLayout *>(window->cardLbl->parentWidget()->layout());
    QVERIFY(column);
    const int card = column->indexOf(window->cardLbl);
    QCOMPARE(column->indexOf(line), card + 1);
    QCOMPARE(column->indexOf(window->findChild<QLabel *>(QStringLiteral("remoteInfo"))), card + 2);

    QCOMPARE(aboutValue(window->aboutDialog, QStringLiteral("Instrument Driver:")),
             QStringLiteral("1.4.0 (simulated)"));
    QCOMPARE(aboutValue(window->aboutDialog, QStringLiteral("Orbelan Common Library:")),
             QStringLiteral("2.7.3 (simulated)"));
    QCOMPARE(aboutValue(window->aboutDialog, QStringLiteral("Soft Front Panel:")),
             QStringLiteral("4.3.1.10249"));
}

// The same card through the vendor's libraries: nothing of the kind shows.
void tst_CardWindow::vendorLibrariesShowNothing()
{
    QVERIFY(load(vxiSystem));
    auto &loaded = const_cast<sfp::platform::Loaded &>(sfp::platform::loaded());
    QVERIFY(loaded.simulated);
    loaded.simulated = false;
    const auto restore = qScopeGuard([&loaded] { loaded.simulated = true; });
    qx5170_fc fc;
    const std::unique_ptr<CardWindow> window = connectByAutoFind(&fc);
    QCOMPARE(window->d_demoMode, 0);
    QCOMPARE(window->cardId(), QStringLiteral("VXI0::1::INSTR/FC2"));
    QCOMPARE(platformLine(window.get()), nullptr);
    QCOMPARE(aboutValue(window->aboutDialog, QStringLiteral("Instrument Driver:")),
             QStringLiteral("1.4.0"));
    QCOMPARE(aboutValue(window->aboutDialog, QStringLiteral("Orbelan Common Library:")),
             QStringLiteral("2.7.3"));
    window->setRemoteInfo(QStringLiteral("Remote: 127.0.0.1:5025, 0 clients"));
    auto *column = qobject_cast<QBoxLayout *>(window->cardLbl->parentWidget()->layout());
    QCOMPARE(column->indexOf(window->findChild<QLabel *>(QStringLiteral("remoteInfo"))),
             column->indexOf(window->cardLbl) + 1);
}

void tst_CardWindow::sessionClosedOnce()
{
    QVERIFY(load(vxiSystem));
    qx5170_fc fc;
    std::unique_ptr<CardWindow> window = connectByAutoFind(&fc);
    const ViSession vi = window->d_vi;
    QCOMPARE(sfptest::trace({QStringLiteral("qx5170_close(")}), QStringList());
    sfptest::clearTrace();
    window.reset();
    QCOMPARE(sfptest::trace({QStringLiteral("qx5170_")}),
             QStringList(QStringLiteral("qx5170_close(%1) = 0").arg(vi)));
}

void tst_CardWindow::selectionFollowsMultiSelect_data()
{
    QTest::addColumn<int>("multiSelect");
    QTest::addColumn<int>("mode");
    QTest::newRow("one card") << 0 << int(QAbstractItemView::SingleSelection);
    QTest::newRow("several cards") << 1 << int(QAbstractItemView::ExtendedSelection);
}

void tst_CardWindow::selectionFollowsMultiSelect()
{
    QFETCH(int, multiSelect);
    QFETCH(int, mode);
    // The default system has several relay cards, so the tree is shown.
    qx5170_fc fc;
    TreeChoice choice;
    sfptest::answerNextModal(QStringLiteral("Auto Find"), 5000,
                             [&choice] { chooseInTree(1, &choice); });
    CardWindow window(&fc, multiSelect, false);
    QVERIFY(choice.answered);
    QCOMPARE(choice.selectionMode, mode);
    QCOMPARE(window.d_demoMode, 0);
    QCOMPARE(window.d_fcCount, 1);
    QCOMPARE(window.d_fcNumbers[0], choice.fcNumber);
    QCOMPARE(window.cardLbl->text(), QStringLiteral("FC %1").arg(choice.fcNumber));
    QVERIFY(sfptest::trace({QStringLiteral("qx5170_init(")})
                .contains(QStringLiteral("qx5170_init(\"%1\", %2, 1, 1) = 0")
                              .arg(choice.descriptor)
                              .arg(choice.fcNumber)));
}

void tst_CardWindow::aboutBox()
{
    qx5170_fc fc;
    CardWindow window(&fc, 0, true);
    qx2010fp_About *about = window.aboutDialog;
    QVERIFY(about);
    QCOMPARE(about->parentWidget(), &window);
    QVERIFY(!about->isVisible());
    QCOMPARE(about->windowTitle(), QStringLiteral("About Orbelan 5170 Soft Front Panel"));
    QCOMPARE(aboutValue(about, QStringLiteral("Orbelan Common Library:")), libraryRevision());
    QVERIFY(!libraryRevision().isEmpty());
    QCOMPARE(aboutValue(about, QStringLiteral("Instrument Driver:")), fc.driverRevision());
    QCOMPARE(aboutValue(about, QStringLiteral("Soft Front Panel:")), QStringLiteral("4.3.1.10249"));

    window.show();
    QVERIFY(QTest::qWaitForWindowExposed(&window));
    window.aboutBtn->click();
    QVERIFY(about->isVisible());
    QVERIFY(!about->isModal());
    about->hide();
}

void tst_CardWindow::aboutWithoutLibraryRevision()
{
    // A library that writes nothing leaves an empty revision, not whatever
    // the buffer held before.
    sfpsim::injectFault("qx2010_library_revision", VI_ERROR_SYSTEM_ERROR, 1);
    qx5170_fc fc;
    CardWindow window(&fc, 0, true);
    QCOMPARE(aboutValue(window.aboutDialog, QStringLiteral("Orbelan Common Library:")), QString());
    QVERIFY(sfptest::trace({QStringLiteral("qx2010_library_revision(")})
                .value(0)
                .endsWith(QStringLiteral(" = %1").arg(VI_ERROR_SYSTEM_ERROR)));

    // The same from a stack full of a pattern: what the library did not
    // write must not show.
    sfpsim::injectFault("qx2010_library_revision", VI_ERROR_SYSTEM_ERROR, 1);
    sfptest::dirtyStack();
    QCOMPARE(sfp::libraryRevision(), QByteArray());
    QCOMPARE(sfp::libraryRevision(), QByteArray("2.7.3"));

    // A library that fills the whole buffer, with no terminator: the
    // revision is all of it but the last byte, which ends the text.
    auto &functions = const_cast<sfp::PlatformFunctions &>(sfp::libraries());
    const auto library = functions.qx2010_library_revision;
    functions.qx2010_library_revision = [](ViChar revision[]) -> ViStatus {
        std::memset(revision, '7', qx2010_REVISION_BUFLEN);
        return VI_SUCCESS;
    };
    const QByteArray full = sfp::libraryRevision();
    functions.qx2010_library_revision = library;
    QCOMPARE(full, QByteArray(31, '7'));
}

void tst_CardWindow::closeAsksFirst()
{
    qx5170_fc fc;
    CardWindow window(&fc, 0, true);
    window.show();
    QVERIFY(QTest::qWaitForWindowExposed(&window));

    auto question = sfptest::answerNextModal(QStringLiteral("No"));
    window.close();
    QVERIFY(question->answered);
    QCOMPARE(question->text, QStringLiteral("Do you really want to exit?"));
    QVERIFY(window.isVisible());

    question = sfptest::answerNextModal(QStringLiteral("Yes"));
    window.close();
    QVERIFY(question->answered);
    QVERIFY(!window.isVisible());
}

void tst_CardWindow::cancelEndsProcess_data()
{
    QTest::addColumn<QString>("how");
    QTest::newRow("Cancel button") << "Cancel";
    QTest::newRow("Esc") << "escape";
    QTest::newRow("window closed") << "close";
}

void tst_CardWindow::cancelEndsProcess()
{
    QFETCH(QString, how);
    QTemporaryDir folder;
    QVERIFY(folder.isValid());
    const QString tracePath = folder.filePath(QStringLiteral("trace.txt"));
    const sfptest::ChildResult child = sfptest::runInChild(
        QStringLiteral("cancelFirstQuestion"),
        {QStringLiteral("SFP_TEST_CANCEL=") + how, QStringLiteral("SFP_SIM_TRACE=") + tracePath});
    QVERIFY(child.started);
    QVERIFY(!child.crashed);
    QCOMPARE(child.exitStatus, 0);
    QVERIFY(!child.output.contains("window built"));
    QCOMPARE(withSession(sfptest::traceFile(tracePath)), QStringList());
}

SFPTEST_MAIN(tst_CardWindow)
#include "tst_cardwindow.moc"
