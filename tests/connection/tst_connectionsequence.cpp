// SPDX-FileCopyrightText: 2026 Tarvex
// SPDX-License-Identifier: MIT
// The connection sequence, driven through its dialogs on simulated
// systems: every way through the first question, the scan, the choice,
// typed addresses with their checks, demo mode and failed opens.
#include "connectionsequence.h"
#include "connectiontest.h"
#include "qx2010fp_fcenteraddress.h"
#include "qx2010fp_fcselect.h"
#include "qx5170_fc.h"
#include "sfpicons.h"
#include "sfptest.h"
#include "sim_control.h"
#include "testcardfc.h"

#include "qx2010.h"
#include "qx5170.h"
#include "visa.h"

#include <QComboBox>
#include <QFile>
#include <QMessageBox>
#include <QPushButton>
#include <QRandomGenerator>
#include <QTest>
#include <QTreeWidget>

using namespace connectiontest;

namespace {

const QLatin1String questionTitle("Orbelan 5170 SFP: Select Function Card");
const QLatin1String questionText("How to connect to 5170 Function Card?");
const QLatin1String addressTitle("Orbelan 5170 SFP: Enter Function Card Address");
const QLatin1String
    oneRowWarning("Please enter the resource descriptor and select the Function Card number.");
const QLatin1String
    rowsWarning("Please enter the resource descriptors and select the Function Card numbers.");

QStringList questionButtons()
{
    return {"Auto Find", "Run In Demo Mode", "Enter Address", "Cancel"};
}

QStringList driverCalls()
{
    return sfptest::trace({QStringLiteral("qx5170_")});
}

QString initLine(const QString &descriptor, int fcNumber, ViStatus status)
{
    return QStringLiteral("qx5170_init(\"%1\", %2, 1, 1) = %3")
        .arg(descriptor)
        .arg(fcNumber)
        .arg(status);
}

// The status that the last traced qx5170_init returned.
ViStatus lastInitStatus()
{
    const QStringList inits = sfptest::trace({QStringLiteral("qx5170_init(")});
    if (inits.isEmpty())
        return VI_SUCCESS;
    return ViStatus(inits.last().section(QStringLiteral(" = "), -1).toLong());
}

QString driverText(ViStatus status)
{
    char text[qx5170_ERROR_MESSAGE_BUFLEN] = {};
    qx5170_error_message(VI_NULL, status, text);
    return QString::fromLatin1(text);
}

QString commonLibraryText(ViStatus status)
{
    char text[qx2010_ERROR_MESSAGE_BUFLEN] = {};
    qx2010_error_message(status, text);
    return QString::fromLatin1(text);
}

// Fills in the address entry dialog's rows and presses OK.
std::function<void(QWidget *)> typeAddresses(const QList<QPair<QString, int>> &rows, int count = 1)
{
    return [rows, count](QWidget *modal) {
        auto *dialog = qobject_cast<qx2010fp_fcEnterAddress *>(modal);
        QVERIFY(dialog);
        dialog->m_countCombo->setCurrentIndex(count - 1);
        for (qsizetype r = 0; r < rows.size(); ++r) {
            dialog->m_rows[r]->m_descriptorCombo->setEditText(rows[r].first);
            dialog->m_rows[r]->m_fcCombo->setCurrentIndex(rows[r].second);
        }
        dialog->okButton()->click();
    };
}

// Counts how often a widget is shown.
class ShowCounter final : public QObject
{
public:
    explicit ShowCounter(QWidget *widget) { widget->installEventFilter(this); }
    int shown = 0;

protected:
    bool eventFilter(QObject *watched, QEvent *event) override
    {
        if (event->type() == QEvent::Show)
            ++shown;
        return QObject::eventFilter(watched, event);
    }
};

} // namespace

class tst_ConnectionSequence final : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase();
    void init();
    void cleanup();

    // the first question
    void firstQuestion();
    void firstQuestionIconAndEscape();
    void cancelWays_data();
    void cancelWays();
    void demoMode();

    // Auto Find
    void autoFindOneCard();
    void autoFindSeveralCards();
    void chooseCancelledEnds();
    void notFound_data();
    void notFound();
    void notFoundTryAgainScansOnlyWhenAsked();
    void notFoundHasNoEscape();

    // Enter Address
    void enterRejectedAsksAgain();
    void enterAndOpen();
    void incompleteAddressWarns_data();
    void incompleteAddressWarns();
    void blanksAreADescriptor();
    void unwritableLocationStillOpens();
    void sharedFileKeepsEveryonesKeys();
    void badFileStillOpens_data();
    void badFileStillOpens();

    // a failed open
    void openFailed_data();
    void openFailed();
    void openFailedTryAgainThenDemo();
    void warningStatusClosesTheSession();

    // several cards
    void multiCardOpen();
    void multiCardOpenFailed();
    void multiCardWarning();
    void multiCardWarningStatus();

    // the plain parts
    void typedAddressWarning_data();
    void typedAddressWarning();
    void unavailableText();

    // answered in advance on the command line
    void startChoice_data();
    void startChoice();

private:
    bool connect();

    std::unique_ptr<TemporaryProfile> m_profile;
    qx5170_fc m_fc;
    std::unique_ptr<qx2010fp_fcSelect> m_selection;
    std::unique_ptr<ShowCounter> m_selectionShows;
};

void tst_ConnectionSequence::initTestCase()
{
    m_profile = std::make_unique<TemporaryProfile>();
    QVERIFY(m_profile->isValid());
    sfptest::dismissStrayModals(3000);
}

void tst_ConnectionSequence::init()
{
    sfpsim::loadDefaultSystem();
    m_profile->clear();
    qputenv("ALLUSERSPROFILE", m_profile->allUsersFolder().toLocal8Bit());
    m_selection = std::make_unique<qx2010fp_fcSelect>(&m_fc, 0);
    m_selectionShows = std::make_unique<ShowCounter>(m_selection.get());
    sfptest::clearTrace();
}

void tst_ConnectionSequence::cleanup()
{
    if (m_selection && m_selection->m_session != 0 && !m_selection->m_demoMode)
        m_fc.close(m_selection->m_session);
    m_selectionShows.reset();
    m_selection.reset();
    sfpsim::clearFaults();
    QCOMPARE(sfpsim::openSessionCount(), 0);
    QCOMPARE(sfptest::takeStrayModals(), QStringList());
}

bool tst_ConnectionSequence::connect()
{
    return m_selection->connectFc();
}

void tst_ConnectionSequence::firstQuestion()
{
    DialogScript script;
    script.click("Cancel");
    script.start();
    QVERIFY(!connect());
    QVERIFY(script.finished());
    const sfptest::ModalAnswer box = script.seen().constFirst();
    QCOMPARE(box.className, QString("QMessageBox"));
    QCOMPARE(box.title, questionTitle);
    QCOMPARE(box.text, questionText);
    QCOMPARE(box.buttons, questionButtons());
    QCOMPARE(box.defaultButton, QString("Auto Find"));
    QCOMPARE(box.icon, QString("Question"));
    QVERIFY(!box.hadParent);
}

void tst_ConnectionSequence::firstQuestionIconAndEscape()
{
    QImage icon;
    QString escape;
    QList<QMessageBox::ButtonRole> roles;
    DialogScript script;
    script.act([&](QWidget *modal) {
        auto *box = qobject_cast<QMessageBox *>(modal);
        QVERIFY(box);
        icon = box->windowIcon().pixmap(16, 16).toImage();
        escape = box->escapeButton() ? box->escapeButton()->text() : QString();
        const QList<QAbstractButton *> buttons = box->buttons();
        for (QAbstractButton *button : buttons)
            roles.append(box->buttonRole(button));
        box->button(QMessageBox::Cancel)->click();
    });
    script.start();
    QVERIFY(!connect());
    QVERIFY(script.finished());
    QCOMPARE(icon, sfpIcons::panel().toImage());
    QCOMPARE(escape.remove('&'), QString("Cancel"));
    QCOMPARE(roles.count(QMessageBox::ActionRole), 3);
    QCOMPARE(roles.count(QMessageBox::RejectRole), 1);
}

void tst_ConnectionSequence::cancelWays_data()
{
    QTest::addColumn<QString>("way");
    QTest::newRow("Cancel") << "Cancel";
    QTest::newRow("Esc") << "Esc";
    QTest::newRow("close") << "close";
}

void tst_ConnectionSequence::cancelWays()
{
    QFETCH(QString, way);
    DialogScript script;
    if (way == "Esc")
        script.escape();
    else if (way == "close")
        script.closeWindow();
    else
        script.click(way);
    script.start();
    QVERIFY(!connect());
    QVERIFY(script.finished());
    QCOMPARE(script.seen().constFirst().title, questionTitle);
    // Nothing was scanned, nothing opened.
    QCOMPARE(sfptest::trace(), QStringList());
    QCOMPARE(m_selection->m_session, ViSession(0));
    QCOMPARE(m_selection->m_demoMode, 0);
}

void tst_ConnectionSequence::demoMode()
{
    DialogScript script;
    script.click("Run In Demo Mode");
    script.start();
    QVERIFY(connect());
    QVERIFY(script.finished());
    QCOMPARE(m_selection->m_demoMode, 1);
    QCOMPARE(m_selection->m_fcNumbers[0], qint16(1));
    QCOMPARE(m_selection->m_descriptors, QString("VXI0::1::INSTR"));
    QCOMPARE(m_selection->m_fcCount, 1);
    QCOMPARE(m_selection->m_session, ViSession(0));
    QCOMPARE(sfptest::trace(), QStringList());
}

void tst_ConnectionSequence::autoFindOneCard()
{
    QVERIFY(sfpsim::loadDescription(R"({"resources": [
        {"descriptor": "VXI0::3::INSTR", "slot": 7,
         "motherboard": {"code": 2898, "cards": [{"position": 1, "code": "0x6052"},
                                                 {"position": 4, "code": "0x5170"}]}},
        {"descriptor": "ASRL1::INSTR"}
    ]})"));
    DialogScript script;
    script.click("Auto Find");
    script.start();
    QVERIFY(connect());
    QVERIFY(script.finished());
    // Opened at once, without the tree.
    QCOMPARE(m_selectionShows->shown, 0);
    QCOMPARE(m_selection->m_fcCount, 1);
    QCOMPARE(m_selection->m_descriptors, QString("VXI0::3::INSTR"));
    QCOMPARE(m_selection->m_fcNumbers[0], qint16(4));
    QCOMPARE(m_selection->m_demoMode, 0);
    QVERIFY(m_selection->m_session != 0);
    QCOMPARE(driverCalls(), QStringList(initLine("VXI0::3::INSTR", 4, 0)));
}

void tst_ConnectionSequence::autoFindSeveralCards()
{
    DialogScript script;
    script.click("Auto Find").act([this](QWidget *modal) {
        QCOMPARE(modal, m_selection.get());
        // VXI0, slot 9, FC 3.
        m_selection->m_tree->topLevelItem(2)->child(1)->child(0)->setSelected(true);
        m_selection->m_okButton->click();
    });
    script.start();
    QVERIFY(connect());
    QVERIFY(script.finished());
    QCOMPARE(script.seen().at(1).className, QString("qx2010fp_fcSelect"));
    QCOMPARE(m_selection->m_fcCount, 1);
    QCOMPARE(m_selection->m_descriptors, QString("VXI0::5::INSTR"));
    QCOMPARE(m_selection->m_fcNumbers[0], qint16(3));
    QVERIFY(m_selection->m_session != 0);
    QCOMPARE(driverCalls(), QStringList(initLine("VXI0::5::INSTR", 3, 0)));
}

void tst_ConnectionSequence::chooseCancelledEnds()
{
    // Cancelling the choice ends everything: no question comes back (a
    // question nobody answers would show up as a stray dialog).
    DialogScript script;
    script.click("Auto Find").click("Cancel");
    script.start();
    QVERIFY(!connect());
    QVERIFY(script.finished());
    QCOMPARE(script.seen().at(1).className, QString("qx2010fp_fcSelect"));
    QCOMPARE(driverCalls(), QStringList());
    QCOMPARE(m_selection->m_session, ViSession(0));
}

void tst_ConnectionSequence::notFound_data()
{
    QTest::addColumn<QString>("answer");
    QTest::addColumn<bool>("connected");
    QTest::addColumn<bool>("demo");
    QTest::newRow("Try Again") << "Try Again" << false << false;
    QTest::newRow("Run In Demo Mode") << "Run In Demo Mode" << true << true;
    QTest::newRow("Cancel") << "Cancel" << false << false;
}

void tst_ConnectionSequence::notFound()
{
    QFETCH(QString, answer);
    QFETCH(bool, connected);
    QFETCH(bool, demo);
    QVERIFY(sfpsim::loadDescription(R"({"resources": []})"));
    DialogScript script;
    script.click("Auto Find").click(answer);
    if (answer == "Try Again")
        script.click("Cancel"); // the first question again
    script.start();
    QCOMPARE(connect(), connected);
    QVERIFY(script.finished());

    const sfptest::ModalAnswer box = script.seen().at(1);
    QCOMPARE(box.title, questionTitle);
    QCOMPARE(box.text, QString("No 5170 Function Card found on your system."));
    QCOMPARE(box.buttons, QStringList({"Try Again", "Run In Demo Mode", "Cancel"}));
    QCOMPARE(box.defaultButton, QString("Try Again"));
    QCOMPARE(box.icon, QString("Question"));
    QCOMPARE(box.parent.data(), static_cast<QWidget *>(m_selection.get()));
    if (answer == "Try Again")
        QCOMPARE(script.seen().at(2).text, questionText);

    QCOMPARE(m_selection->m_demoMode, demo ? 1 : 0);
    if (demo) {
        QCOMPARE(m_selection->m_descriptors, QString("VXI0::1::INSTR"));
        QCOMPARE(m_selection->m_fcNumbers[0], qint16(1));
        QCOMPARE(m_selection->m_fcCount, 1);
    }
    QCOMPARE(m_selection->m_session, ViSession(0));
    QCOMPARE(sfptest::trace({"viFindRsrc("}).size(), 1);
    QCOMPARE(driverCalls(), QStringList());
}

void tst_ConnectionSequence::notFoundTryAgainScansOnlyWhenAsked()
{
    QVERIFY(sfpsim::loadDescription(R"({"resources": []})"));
    DialogScript script;
    script.click("Auto Find").click("Try Again").click("Auto Find").click("Cancel");
    script.start();
    QVERIFY(!connect());
    QVERIFY(script.finished());
    const QList<sfptest::ModalAnswer> seen = script.seen();
    QCOMPARE(seen.at(2).text, questionText);
    QCOMPARE(seen.at(3).text, QString("No 5170 Function Card found on your system."));
    // One scan per "Auto Find".
    QCOMPARE(sfptest::trace({"viFindRsrc("}).size(), 2);
}

void tst_ConnectionSequence::notFoundHasNoEscape()
{
    QVERIFY(sfpsim::loadDescription(R"({"resources": []})"));
    bool openAfterEscape = false;
    bool openAfterClose = false;
    DialogScript script;
    script.click("Auto Find").act([&](QWidget *modal) {
        QTest::keyClick(modal, Qt::Key_Escape);
        openAfterEscape = modal->isVisible();
        modal->close();
        openAfterClose = modal->isVisible();
        auto *box = qobject_cast<QMessageBox *>(modal);
        QVERIFY(box);
        QCOMPARE(box->escapeButton(), nullptr);
        box->buttons().at(2)->click();
    });
    script.start();
    QVERIFY(!connect());
    QVERIFY(script.finished());
    QVERIFY(openAfterEscape);
    QVERIFY(openAfterClose);
}

void tst_ConnectionSequence::enterRejectedAsksAgain()
{
    DialogScript script;
    script.click("Enter Address").click("Cancel").click("Cancel");
    script.start();
    QVERIFY(!connect());
    QVERIFY(script.finished());
    const QList<sfptest::ModalAnswer> seen = script.seen();
    QCOMPARE(seen.at(1).title, addressTitle);
    QCOMPARE(seen.at(1).className, QString("qx2010fp_fcEnterAddress"));
    QCOMPARE(seen.at(2).text, questionText);
    QCOMPARE(driverCalls(), QStringList());
    // Rejected: nothing stored.
    QVERIFY(!QFile::exists(m_profile->iniFile()));
}

void tst_ConnectionSequence::enterAndOpen()
{
    QString shownDescriptor;
    DialogScript script;
    script.click("Enter Address").act([&](QWidget *modal) {
        auto *dialog = qobject_cast<qx2010fp_fcEnterAddress *>(modal);
        QVERIFY(dialog);
        shownDescriptor = dialog->m_rows[0]->m_descriptorCombo->currentText();
        dialog->m_rows[0]->m_fcCombo->setCurrentIndex(1);
        dialog->okButton()->click();
    });
    script.start();
    QVERIFY(connect());
    QVERIFY(script.finished());
    // The default reaches the LXI box's card 1.
    QCOMPARE(shownDescriptor, QString("TCPIP::192.168.2.100::INSTR"));
    QCOMPARE(driverCalls(), QStringList(initLine("TCPIP::192.168.2.100::INSTR", 1, 0)));
    QCOMPARE(m_selection->m_descriptors, QString("TCPIP::192.168.2.100::INSTR"));
    QCOMPARE(m_selection->m_fcNumbers[0], qint16(1));
    QCOMPARE(m_selection->m_fcCount, 1);
    QCOMPARE(m_selection->m_demoMode, 0);
    QVERIFY(m_selection->m_session != 0);
    QCOMPARE(iniValue(fileContents(m_profile->iniFile()), "5170/1.FC_Number").toInt(), 1);
}

void tst_ConnectionSequence::incompleteAddressWarns_data()
{
    QTest::addColumn<QString>("descriptor");
    QTest::addColumn<int>("fcNumber");
    QTest::newRow("no number") << "VXI0::1::INSTR" << 0;
    QTest::newRow("no descriptor") << "" << 2;
    QTest::newRow("neither") << "" << 0;
}

void tst_ConnectionSequence::incompleteAddressWarns()
{
    QFETCH(QString, descriptor);
    QFETCH(int, fcNumber);
    QString shownAgain;
    int numberShownAgain = -1;
    DialogScript script;
    script.click("Enter Address")
        .act(typeAddresses({{descriptor, fcNumber}}))
        .click("OK")
        .act([&](QWidget *modal) {
            // Shown again with what was typed.
            auto *dialog = qobject_cast<qx2010fp_fcEnterAddress *>(modal);
            QVERIFY(dialog);
            shownAgain = dialog->m_rows[0]->m_descriptorCombo->currentText();
            numberShownAgain = dialog->m_rows[0]->m_fcCombo->currentIndex();
            typeAddresses({{"VXI0::1::INSTR", 2}})(modal);
        });
    script.start();
    QVERIFY(connect());
    QVERIFY(script.finished());

    const sfptest::ModalAnswer warning = script.seen().at(2);
    QCOMPARE(warning.text, oneRowWarning);
    QCOMPARE(warning.icon, QString("Warning"));
    QCOMPARE(warning.buttons, QStringList("OK"));
    // An empty first position of row 1 shows the default again.
    QCOMPARE(shownAgain,
             descriptor.isEmpty() ? QString("TCPIP::192.168.2.100::INSTR") : descriptor);
    QCOMPARE(numberShownAgain, fcNumber);
    // The incomplete address never reached the driver.
    QCOMPARE(driverCalls(), QStringList(initLine("VXI0::1::INSTR", 2, 0)));
}

void tst_ConnectionSequence::blanksAreADescriptor()
{
    DialogScript script;
    script.click("Enter Address").act(typeAddresses({{" ", 2}})).click("Cancel");
    script.start();
    QVERIFY(!connect());
    QVERIFY(script.finished());
    // Passed the checks; the driver refused it.
    const QStringList inits = sfptest::trace({"qx5170_init("});
    QCOMPARE(inits.size(), 1);
    QVERIFY(inits.first().startsWith("qx5170_init(\" \", 2, 1, 1) = -"));
    QVERIFY(script.seen().at(2).text.startsWith("Selected 5170 Function Card is unavailable."));
}

void tst_ConnectionSequence::unwritableLocationStillOpens()
{
    QVERIFY(writeFile(m_profile->allUsersFolder() + "/blocker", "a file"));
    qputenv("ALLUSERSPROFILE", (m_profile->allUsersFolder() + "/blocker").toLocal8Bit());
    QString shownAgain;
    DialogScript script;
    script.click("Enter Address")
        .act(typeAddresses({{"VXI0::1::INSTR", 0}}))
        .click("OK")
        .act([&](QWidget *modal) {
            auto *dialog = qobject_cast<qx2010fp_fcEnterAddress *>(modal);
            QVERIFY(dialog);
            shownAgain = dialog->m_rows[0]->m_descriptorCombo->currentText();
            dialog->m_rows[0]->m_fcCombo->setCurrentIndex(2);
            dialog->okButton()->click();
        });
    script.start();
    QVERIFY(connect());
    QVERIFY(script.finished());
    QCOMPARE(script.seen().at(2).text, oneRowWarning);
    QCOMPARE(shownAgain, QString("VXI0::1::INSTR"));
    QCOMPARE(driverCalls(), QStringList(initLine("VXI0::1::INSTR", 2, 0)));
    QVERIFY(!QFile::exists(m_profile->allUsersFolder() + "/blocker/Tarvex"));
}

void tst_ConnectionSequence::sharedFileKeepsEveryonesKeys()
{
    // Prepared by someone else: a key of theirs in our section, and another
    // section whose value never closes its quote.
    QVERIFY(writeFile(m_profile->iniFile(),
                      "[5170]\nNote=prepared by the lab\n1.1.Descriptor=VXI0::1::INSTR\n"
                      "1.FC_Number=2\nFC_Count=1\n"
                      "[4720]\nLabel=\"bench 3\n"));
    const QVariant theirs = iniValue(fileContents(m_profile->iniFile()), "4720/Label");
    QVERIFY(!theirs.toString().isEmpty());

    QString shown;
    DialogScript script;
    script.click("Enter Address").act([&](QWidget *modal) {
        auto *dialog = qobject_cast<qx2010fp_fcEnterAddress *>(modal);
        QVERIFY(dialog);
        shown = dialog->m_rows[0]->m_descriptorCombo->currentText();
        typeAddresses({{"VXI0::5::INSTR", 3}})(modal);
    });
    script.start();
    QVERIFY(connect());
    QVERIFY(script.finished());
    QCOMPARE(shown, QString("VXI0::1::INSTR"));
    QCOMPARE(driverCalls(), QStringList(initLine("VXI0::5::INSTR", 3, 0)));

    const QByteArray content = fileContents(m_profile->iniFile());
    QCOMPARE(iniValue(content, "5170/1.1.Descriptor").toString(), QString("VXI0::5::INSTR"));
    QCOMPARE(iniValue(content, "5170/1.2.Descriptor").toString(), QString("VXI0::1::INSTR"));
    QCOMPARE(iniValue(content, "5170/1.FC_Number").toString(), QString("3"));
    QCOMPARE(iniValue(content, "5170/Note").toString(), QString("prepared by the lab"));
    QCOMPARE(iniValue(content, "4720/Label"), theirs);
}

void tst_ConnectionSequence::badFileStillOpens_data()
{
    QTest::addColumn<QByteArray>("content");
    QByteArray binary;
    QRandomGenerator random(7);
    for (int i = 0; i < 4096; ++i)
        binary.append(char(random.bounded(256)));
    QTest::newRow("binary") << binary;
    QTest::newRow("open quote at the end") << QByteArray("[6052]\nx=\"open");
    QTest::newRow("invalid numbers") << QByteArray("[5170]\n1.FC_Number=12\nFC_Count=x\n");
}

void tst_ConnectionSequence::badFileStillOpens()
{
    QFETCH(QByteArray, content);
    QVERIFY(writeFile(m_profile->iniFile(), content));
    int shownNumber = -1;
    DialogScript script;
    script.click("Enter Address").act([&](QWidget *modal) {
        auto *dialog = qobject_cast<qx2010fp_fcEnterAddress *>(modal);
        QVERIFY(dialog);
        shownNumber = dialog->m_rows[0]->m_fcCombo->currentIndex();
        typeAddresses({{"VXI0::5::INSTR", 3}})(modal);
    });
    script.start();
    QVERIFY(connect());
    QVERIFY(script.finished());
    QCOMPARE(shownNumber, 0);
    QCOMPARE(driverCalls(), QStringList(initLine("VXI0::5::INSTR", 3, 0)));
}

void tst_ConnectionSequence::openFailed_data()
{
    QTest::addColumn<QString>("descriptor");
    QTest::addColumn<int>("fcNumber");
    QTest::addColumn<int>("injected"); // status forced on qx5170_init, 0: none
    QTest::addColumn<bool>("fromCommonLibrary");
    QTest::addColumn<QString>("answer");

    QTest::newRow("no such resource") << "VXI0::9::INSTR" << 1 << 0 << false << "Cancel";
    QTest::newRow("another model") << "VXI0::1::INSTR" << 1 << 0 << false << "Cancel";
    QTest::newRow("empty position")
        << "TCPIP::192.168.2.100::INSTR" << 5 << 0 << false << "Try Again";
    QTest::newRow("no driver text")
        << "VXI0::1::INSTR" << 2 << int(qx2010_ERROR_NO_MOTHERBOARD) << true << "Cancel";
}

void tst_ConnectionSequence::openFailed()
{
    QFETCH(QString, descriptor);
    QFETCH(int, fcNumber);
    QFETCH(int, injected);
    QFETCH(bool, fromCommonLibrary);
    QFETCH(QString, answer);

    if (injected != 0)
        sfpsim::injectFault("qx5170_init", injected, 1);
    DialogScript script;
    script.click("Enter Address").act(typeAddresses({{descriptor, fcNumber}})).click(answer);
    if (answer == "Try Again")
        script.click("Cancel");
    script.start();
    QVERIFY(!connect());
    QVERIFY(script.finished());

    const ViStatus status = lastInitStatus();
    QVERIFY(status != VI_SUCCESS);
    const QString error = fromCommonLibrary ? commonLibraryText(status) : driverText(status);
    QVERIFY(!error.isEmpty());
    if (fromCommonLibrary) {
        QVERIFY(driverText(status).isEmpty());
        QCOMPARE(sfptest::trace({"qx2010_error_message("}).size(), 2); // ours and the test's
    }

    const sfptest::ModalAnswer box = script.seen().at(2);
    QCOMPARE(box.title, questionTitle);
    QCOMPARE(box.text, "Selected 5170 Function Card is unavailable.\nError: " + error);
    QCOMPARE(box.buttons, QStringList({"Try Again", "Cancel"}));
    QCOMPARE(box.defaultButton, QString("Try Again"));
    QCOMPARE(box.icon, QString("Question"));
    QCOMPARE(box.parent.data(), static_cast<QWidget *>(m_selection.get()));
    if (answer == "Try Again")
        QCOMPARE(script.seen().at(3).text, questionText);
    QCOMPARE(m_selection->m_session, ViSession(0));
    QCOMPARE(sfptest::trace({"qx5170_init("}).size(), 1);
}

void tst_ConnectionSequence::openFailedTryAgainThenDemo()
{
    DialogScript script;
    script.click("Enter Address")
        .act(typeAddresses({{"VXI0::9::INSTR", 1}}))
        .click("Try Again")
        .click("Run In Demo Mode");
    script.start();
    QVERIFY(connect());
    QVERIFY(script.finished());
    QCOMPARE(m_selection->m_demoMode, 1);
    QCOMPARE(m_selection->m_descriptors, QString("VXI0::1::INSTR"));
    QCOMPARE(m_selection->m_fcNumbers[0], qint16(1));
    QCOMPARE(m_selection->m_fcCount, 1);
    QCOMPARE(m_selection->m_session, ViSession(0));
}

void tst_ConnectionSequence::warningStatusClosesTheSession()
{
    // The driver opens the session but warns: that is no success, and the
    // session it opened must not stay open.
    sfpsim::injectFault("qx5170_init", VI_WARN_NSUP_ID_QUERY, 1);
    DialogScript script;
    script.click("Enter Address").act(typeAddresses({{"VXI0::1::INSTR", 2}})).click("Cancel");
    script.start();
    QVERIFY(!connect());
    QVERIFY(script.finished());
    const QStringList calls = driverCalls();
    QCOMPARE(script.seen().at(2).text,
             "Selected 5170 Function Card is unavailable.\nError: "
                 + driverText(VI_WARN_NSUP_ID_QUERY));
    QCOMPARE(calls.size(), 3);
    QCOMPARE(calls.at(0), initLine("VXI0::1::INSTR", 2, VI_WARN_NSUP_ID_QUERY));
    QVERIFY(calls.at(1).startsWith("qx5170_close("));
    QVERIFY(calls.at(1).endsWith(" = 0"));
    QVERIFY(calls.at(2).startsWith("qx5170_error_message("));
    QCOMPARE(m_selection->m_session, ViSession(0));
    QCOMPARE(sfpsim::openSessionCount(), 0);
}

void tst_ConnectionSequence::multiCardOpen()
{
    TestCardFC card(0x6052);
    qx2010fp_fcSelect selection(&card, 1);
    DialogScript script;
    script.click("Enter Address")
        .act(typeAddresses({{"VXI0::1::INSTR", 2}, {"VXI0::5::INSTR", 3}, {"unused", 4}}, 2));
    script.start();
    QVERIFY(selection.connectFc());
    QVERIFY(script.finished());
    QCOMPARE(script.seen().at(0).title, QString("Orbelan 6052 SFP: Select Function Card"));
    QCOMPARE(script.seen().at(1).title,
             QString("Orbelan 6052 SFP: Enter Addresses of Function Cards"));

    QCOMPARE(card.opens.size(), 1);
    const TestCardFC::OpenCall open = card.opens.first();
    QCOMPARE(open.descriptor, QByteArray("VXI0::1::INSTR,VXI0::5::INSTR"));
    QCOMPARE(open.fcNumbers.mid(0, 2), QList<int>({2, 3}));
    QCOMPARE(open.idQuery, 1);
    QCOMPARE(open.reset, 1);
    QCOMPARE(selection.m_descriptors, QString("VXI0::1::INSTR,VXI0::5::INSTR"));
    QCOMPARE(selection.m_fcNumbers[0], qint16(2));
    QCOMPARE(selection.m_fcNumbers[1], qint16(3));
    QCOMPARE(selection.m_fcCount, 2);
    QCOMPARE(selection.m_session, ViSession(4711));
    QCOMPARE(card.closes, QList<ViSession>());
}

void tst_ConnectionSequence::multiCardOpenFailed()
{
    TestCardFC card(0x6052);
    card.openStatus = -5;
    card.errorText = "Card busy.";
    qx2010fp_fcSelect selection(&card, 1);
    DialogScript script;
    script.click("Enter Address")
        .act(typeAddresses({{"VXI0::1::INSTR", 2}, {"VXI0::5::INSTR", 3}}, 2))
        .click("Try Again")
        .click("Enter Address")
        .act([](QWidget *modal) {
            // The second showing holds both rows as saved.
            auto *dialog = qobject_cast<qx2010fp_fcEnterAddress *>(modal);
            QVERIFY(dialog);
            QCOMPARE(dialog->m_countCombo->currentIndex(), 1);
            QCOMPARE(dialog->m_rows[1]->m_descriptorCombo->currentText(),
                     QString("VXI0::5::INSTR"));
            QCOMPARE(dialog->m_rows[1]->m_fcCombo->currentIndex(), 3);
            // One row in use now: the single-card text.
            dialog->m_countCombo->setCurrentIndex(0);
            dialog->okButton()->click();
        })
        .click("Cancel");
    script.start();
    QVERIFY(!selection.connectFc());
    QVERIFY(script.finished());
    const QList<sfptest::ModalAnswer> seen = script.seen();
    QCOMPARE(
        seen.at(2).text,
        QString("At least one selected 6052 Function Card is unavailable.\nError: Card busy."));
    QCOMPARE(seen.at(5).text,
             QString("Selected 6052 Function Card is unavailable.\nError: Card busy."));
    QCOMPARE(card.opens.size(), 2);
    QCOMPARE(card.opens.at(1).descriptor, QByteArray("VXI0::1::INSTR"));
    QCOMPARE(selection.m_session, ViSession(0));
}

void tst_ConnectionSequence::multiCardWarning()
{
    TestCardFC card(0x6052);
    card.openStatus = VI_ERROR_RSRC_NFOUND;
    qx2010fp_fcSelect selection(&card, 1);
    DialogScript script;
    script.click("Enter Address")
        .act(typeAddresses({{"VXI0::1::INSTR", 2}, {"", 3}}, 2))
        .click("OK")
        .act(typeAddresses({{"VXI0::1::INSTR", 2}, {"VXI0::5::INSTR", 0}}, 2))
        .click("OK")
        .act(typeAddresses({{"VXI0::1::INSTR", 2}, {"VXI0::5::INSTR", 3}}, 2))
        .click("Cancel");
    script.start();
    QVERIFY(!selection.connectFc());
    QVERIFY(script.finished());
    const QList<sfptest::ModalAnswer> seen = script.seen();
    QCOMPARE(seen.at(2).text, rowsWarning);
    QCOMPARE(seen.at(4).text, rowsWarning);
    QCOMPARE(card.opens.size(), 1);
    // The card object has no text for the status: the common library's.
    QCOMPARE(seen.at(6).text,
             "At least one selected 6052 Function Card is unavailable.\nError: "
                 + commonLibraryText(VI_ERROR_RSRC_NFOUND));
}

void tst_ConnectionSequence::multiCardWarningStatus()
{
    TestCardFC card(0x6052);
    card.openStatus = VI_WARN_NSUP_RESET;
    card.session = 99;
    qx2010fp_fcSelect selection(&card, 1);
    DialogScript script;
    script.click("Enter Address").act(typeAddresses({{"VXI0::1::INSTR", 2}})).click("Cancel");
    script.start();
    QVERIFY(!selection.connectFc());
    QVERIFY(script.finished());
    QCOMPARE(card.closes, QList<ViSession>({99}));
    QCOMPARE(selection.m_session, ViSession(0));
}

void tst_ConnectionSequence::typedAddressWarning_data()
{
    QTest::addColumn<QStringList>("descriptors");
    QTest::addColumn<QList<int>>("fcNumbers");
    QTest::addColumn<QString>("warning");
    const QString atLeastOne = QStringLiteral(
        "Please enter at least one resource descriptor and select the Function Card number.");

    QTest::newRow("valid") << QStringList {"VXI0::1::INSTR"} << QList<int> {2} << QString();
    QTest::newRow("valid rows") << QStringList {"A", "B"} << QList<int> {8, 1} << QString();
    QTest::newRow("nothing") << QStringList() << QList<int>() << atLeastOne;
    QTest::newRow("no numbers") << QStringList {"A"} << QList<int>() << atLeastOne;
    QTest::newRow("no descriptors") << QStringList() << QList<int> {1} << atLeastOne;
    QTest::newRow("lengths differ") << QStringList {"A", "B"} << QList<int> {1} << atLeastOne;
    QTest::newRow("Select") << QStringList {"A"} << QList<int> {0} << QString(oneRowWarning);
    QTest::newRow("empty") << QStringList {""} << QList<int> {1} << QString(oneRowWarning);
    QTest::newRow("blank") << QStringList {" "} << QList<int> {1} << QString();
    QTest::newRow("second row Select")
        << QStringList {"A", "B"} << QList<int> {1, 0} << QString(rowsWarning);
    QTest::newRow("first row empty")
        << QStringList {"", "B"} << QList<int> {1, 2} << QString(rowsWarning);
}

void tst_ConnectionSequence::typedAddressWarning()
{
    QFETCH(QStringList, descriptors);
    QFETCH(QList<int>, fcNumbers);
    QFETCH(QString, warning);
    QCOMPARE(sfpConnection::typedAddressWarning(descriptors, fcNumbers), warning);
}

void tst_ConnectionSequence::unavailableText()
{
    QCOMPARE(sfpConnection::unavailableText("5170", 1, "No card."),
             QString("Selected 5170 Function Card is unavailable.\nError: No card."));
    QCOMPARE(sfpConnection::unavailableText("6052", 2, "No card."),
             QString("At least one selected 6052 Function Card is unavailable.\nError: No card."));
    // Texts are put in one after the other: a placeholder in the error text stays.
    QCOMPARE(sfpConnection::unavailableText("5170", 1, "%1 %2"),
             QString("Selected 5170 Function Card is unavailable.\nError: %1 %2"));
}

void tst_ConnectionSequence::startChoice_data()
{
    QTest::addColumn<int>("kind");
    QTest::addColumn<QString>("descriptor");
    QTest::addColumn<int>("fcNumber");
    QTest::addColumn<QStringList>("answers"); // the boxes that still come
    QTest::addColumn<bool>("connected");
    QTest::addColumn<QStringList>("calls");

    QTest::newRow("demo") << int(sfpStartChoice::Demo) << "" << 0 << QStringList() << true
                          << QStringList();
    QTest::newRow("scan: two cards, the tree") << int(sfpStartChoice::AutoFind) << "" << 0
                                               << QStringList("Cancel") << false << QStringList();
    QTest::newRow("address") << int(sfpStartChoice::Address) << "VXI0::5::INSTR" << 3
                             << QStringList() << true
                             << QStringList(initLine("VXI0::5::INSTR", 3, 0));
    // The card is not there: "unavailable", then Try Again asks as usual.
    QTest::newRow("address unavailable")
        << int(sfpStartChoice::Address) << "VXI0::1::INSTR" << 1
        << QStringList({"Try Again", "Run In Demo Mode"}) << true << QStringList();
}

void tst_ConnectionSequence::startChoice()
{
    QFETCH(int, kind);
    QFETCH(QString, descriptor);
    QFETCH(int, fcNumber);
    QFETCH(QStringList, answers);
    QFETCH(bool, connected);
    QFETCH(QStringList, calls);

    m_selection->m_start.kind = sfpStartChoice::Kind(kind);
    m_selection->m_start.descriptor = descriptor;
    m_selection->m_start.fcNumber = fcNumber;
    DialogScript script;
    for (const QString &answer : answers)
        script.click(answer);
    script.start();
    QCOMPARE(connect(), connected);
    QVERIFY(script.finished());

    const QList<sfptest::ModalAnswer> seen = script.seen();
    if (QTest::currentDataTag() == QLatin1String("address unavailable")) {
        QVERIFY(seen.at(0).text.startsWith("Selected 5170 Function Card is unavailable.\nError: "));
        QCOMPARE(seen.at(1).text, QString("How to connect to 5170 Function Card?"));
        QCOMPARE(m_selection->m_demoMode, 1);
        QCOMPARE(lastInitStatus() < 0, true);
    } else {
        QCOMPARE(driverCalls(), calls);
        QCOMPARE(m_selection->m_demoMode, kind == sfpStartChoice::Demo ? 1 : 0);
    }
    if (kind == sfpStartChoice::AutoFind)
        QCOMPARE(m_selectionShows->shown, 1);
    // What the command line gave is not the operator's history.
    QVERIFY(!QFile::exists(m_profile->iniFile()));
}

SFPTEST_MAIN(tst_ConnectionSequence)
#include "tst_connectionsequence.moc"
