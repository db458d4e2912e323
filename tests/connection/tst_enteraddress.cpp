// SPDX-FileCopyrightText: 2026 Tarvex
// SPDX-License-Identifier: MIT
// The address entry dialog: its rows and count, and what it loads from and
// saves to DefaultInstrDescr.ini, good files and bad.
#include "connectiontest.h"
#include "qx2010fp_fcenteraddress.h"
#include "sfpicons.h"
#include "sfptest.h"
#include "testcardfc.h"

#include <QComboBox>
#include <QDir>
#include <QFile>
#include <QFontMetrics>
#include <QLabel>
#include <QLayout>
#include <QLineEdit>
#include <QProcess>
#include <QPushButton>
#include <QRandomGenerator>
#include <QScopeGuard>
#include <QTest>

#include <grp.h>
#include <signal.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <unistd.h>

using namespace connectiontest;

namespace {

const QLatin1String defaultDescriptor("TCPIP::192.168.2.100::INSTR");

QStringList items(const QComboBox *combo)
{
    QStringList texts;
    for (int i = 0; i < combo->count(); ++i)
        texts.append(combo->itemText(i));
    return texts;
}

QStringList labelTexts(const QWidget *widget)
{
    QStringList texts;
    const QList<QLabel *> labels = widget->findChildren<QLabel *>();
    for (const QLabel *label : labels)
        texts.append(label->text());
    return texts;
}

// The history of row r as stored, positions 1 to 5.
QStringList storedHistory(const QByteArray &content, const QString &section, int row)
{
    QStringList history;
    for (int k = 1; k <= 5; ++k)
        history.append(
            iniValue(content, QStringLiteral("%1/%2.%3.Descriptor").arg(section).arg(row).arg(k))
                .toString());
    return history;
}

void typeInto(qx2010fp_fcEnterAddressFc *row, const QString &descriptor, int fcNumber)
{
    row->m_descriptorCombo->setEditText(descriptor);
    row->m_fcCombo->setCurrentIndex(fcNumber);
}

// What a save gave the caller and said on standard error.
struct Saved
{
    QStringList descriptors;
    QList<int> fcNumbers;
    QByteArray reported;
};

// Types a descriptor and card number into row 1, then saves.
Saved typeAndSave(qx2010fp_fcEnterAddress &dialog, const QString &descriptor, int fcNumber)
{
    typeInto(dialog.m_rows[0], descriptor, fcNumber);
    Saved saved;
    StderrCapture stderrLines;
    dialog.saveDescriptors(saved.descriptors, saved.fcNumbers);
    saved.reported = stderrLines.take();
    return saved;
}

// What the folder of the file holds: nothing but the file itself once a
// save is over, whether it worked or not.
QStringList folderEntries(const QString &file)
{
    return QFileInfo(file).dir().entryList(QDir::AllEntries | QDir::Hidden | QDir::NoDotAndDotDot);
}

// Nobody's user and group on Debian.
constexpr uid_t nobody = 65534;
constexpr gid_t nogroup = 65534;
constexpr gid_t users = 100; // a group of nobody's in the child that saves

// A save of all eight rows of a multi-card model, each with a long
// descriptor: far more than 1 KiB of text.
void saveEightLongRows()
{
    TestCardFC card(0x6052);
    qx2010fp_fcEnterAddress dialog(&card);
    dialog.loadDescriptors();
    dialog.m_countCombo->setCurrentIndex(7);
    for (int j = 0; j < qx2010fp_fcEnterAddress::maxRows; ++j)
        typeInto(dialog.m_rows[j],
                 QStringLiteral("TCPIP0::rack-%1.lab.local::inst0::INSTR").arg(j)
                     + QString(60, QLatin1Char('x')),
                 j + 1);
    QStringList descriptors;
    QList<int> fcNumbers;
    dialog.saveDescriptors(descriptors, fcNumbers);
    // The rows reach the caller whatever became of the file.
    if (descriptors.size() != 8 || fcNumbers.value(7) != 8)
        std::exit(3);
}

} // namespace

// Under a file size limit of 1 KiB, as `ulimit -f 1` sets it, with the
// signal that would end the process ignored: every write beyond it fails.
SFPTEST_CHILD(saveUnderSizeLimit)
{
    ::signal(SIGXFSZ, SIG_IGN);
    // Only the soft limit, which is lifted again once the save is done: a
    // coverage build writes its counts when the child ends, and cut at
    // 1 KiB they would spoil those of every other run.
    const rlimit limit {1024, RLIM_INFINITY};
    if (::setrlimit(RLIMIT_FSIZE, &limit) != 0)
        std::exit(4);
    saveEightLongRows();
    const rlimit unlimited {RLIM_INFINITY, RLIM_INFINITY};
    if (::setrlimit(RLIMIT_FSIZE, &unlimited) != 0)
        std::exit(5);
}

// Saves as user nobody, a member of group users, a file that belongs to root.
SFPTEST_CHILD(saveAsNobody)
{
    const gid_t groups[] = {users};
    if (::setgroups(1, groups) != 0 || ::setgid(nogroup) != 0 || ::setuid(nobody) != 0)
        std::exit(4);
    TestCardFC card(0x5170);
    qx2010fp_fcEnterAddress dialog(&card);
    dialog.loadDescriptors();
    typeInto(dialog.m_rows[0], QStringLiteral("VXI0::5::INSTR"), 3);
    QStringList descriptors;
    QList<int> fcNumbers;
    dialog.saveDescriptors(descriptors, fcNumbers);
}

namespace { } // namespace

class tst_EnterAddress final : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase();
    void init();
    void cleanup();

    // the dialog
    void singleCardLayout();
    void multiCardLayout_data();
    void multiCardLayout();
    void countSelectsTheRowsInUse();
    void execResults_data();
    void execResults();
    void enterDoesNotClose();

    // loading and saving
    void loadWithoutFile();
    void loadStoredValues();
    void loadMultiCardRows();
    void fullSetOfEightComesBack();
    void historyRules_data();
    void historyRules();
    void saveMultiCard();
    void singleCardSavesOneRow();
    void everyOtherKeyKeepsItsValue();
    void badFiles_data();
    void badFiles();
    void unwritableLocation_data();
    void unwritableLocation();
    void unreadableFileIsLeftAsItIs_data();
    void unreadableFileIsLeftAsItIs();
    void commaInAStoredDescriptor();
    void fileSizeLimit_data();
    void fileSizeLimit();
    void fullDisk_data();
    void fullDisk();
    void ownerGroupAndModeKept();
    void savedByAnotherUser();

private:
    std::unique_ptr<TemporaryProfile> m_profile;
    TestCardFC m_relayCard {0x5170};
    TestCardFC m_multiCard {0x6052};
};

void tst_EnterAddress::initTestCase()
{
    m_profile = std::make_unique<TemporaryProfile>();
    QVERIFY(m_profile->isValid());
    sfptest::dismissStrayModals(3000);
}

void tst_EnterAddress::init()
{
    m_profile->clear();
    qputenv("ALLUSERSPROFILE", m_profile->allUsersFolder().toLocal8Bit());
}

void tst_EnterAddress::cleanup()
{
    QCOMPARE(sfptest::takeStrayModals(), QStringList());
}

void tst_EnterAddress::singleCardLayout()
{
    qx2010fp_fcEnterAddress dialog(&m_relayCard);
    QCOMPARE(dialog.windowTitle(), QString("Orbelan 5170 SFP: Enter Function Card Address"));
    QCOMPARE(dialog.parent(), nullptr);
    QCOMPARE(dialog.windowIcon().pixmap(16, 16).toImage(), sfpIcons::panel().toImage());
    QCOMPARE(dialog.m_model, QString("5170"));
    QCOMPARE(dialog.m_iniFile, m_profile->iniFile());

    QVERIFY(dialog.m_rows[0]);
    QCOMPARE(dialog.m_rows[0]->parentWidget(), &dialog);
    for (int j = 1; j < qx2010fp_fcEnterAddress::maxRows; ++j)
        QCOMPARE(dialog.m_rows[j], nullptr);

    // The count is kept but never shown.
    QVERIFY(!labelTexts(&dialog).contains("Count: "));
    QCOMPARE(items(dialog.m_countCombo), QStringList({"1", "2", "3", "4", "5", "6", "7", "8"}));
    QCOMPARE(dialog.m_countCombo->parentWidget(), &dialog);
    dialog.show();
    QVERIFY(!dialog.m_countCombo->isVisible());
    QVERIFY(dialog.m_rows[0]->isEnabled());

    for (QPushButton *button : {dialog.okButton(), dialog.cancelButton()}) {
        QVERIFY(!button->autoDefault());
        QVERIFY(!button->isDefault());
    }
    QCOMPARE(dialog.okButton()->text(), QString("OK"));
    QCOMPARE(dialog.cancelButton()->text(), QString("Cancel"));
    // The row first, the buttons below it, OK left of Cancel.
    QVERIFY(dialog.m_rows[0]->geometry().bottom() < dialog.okButton()->geometry().top());
    QVERIFY(dialog.okButton()->geometry().right() < dialog.cancelButton()->geometry().left());

    const qx2010fp_fcEnterAddressFc *row = dialog.m_rows[0];
    QCOMPARE(row->layout()->contentsMargins(), QMargins());
    QCOMPARE(labelTexts(row), QStringList({"Instrument Descriptor:", "Function Card Number:"}));
    QVERIFY(row->m_descriptorCombo->isEditable());
    QCOMPARE(row->m_descriptorCombo->minimumWidth(), 20 * QFontMetrics(row->font()).height());
    QCOMPARE(row->m_descriptorCombo->toolTip(),
             QString("Enter the Instrument descriptor for the Function Card you want to connect "
                     "to.<br>Examples:<br><b>VXI0::1::INSTR</b> - VXI mainframe 0, Module with "
                     "Logical Address 1<br><b>TCPIP::192.168.2.60::INSTR</b> - Network Instrument "
                     "with IP Address 192.168.2.60"));
    QCOMPARE(row->m_descriptorCombo->count(), 0);
    QCOMPARE(
        items(row->m_fcCombo),
        QStringList({"Select", "FC 1", "FC 2", "FC 3", "FC 4", "FC 5", "FC 6", "FC 7", "FC 8"}));
    QCOMPARE(row->m_fcCombo->toolTip(), QString("Select the Function Card Number"));
    QVERIFY(!row->m_fcCombo->isEditable());
    // The descriptor on the first line, the number below it.
    QVERIFY(row->m_descriptorCombo->geometry().bottom() < row->m_fcCombo->geometry().top());
}

void tst_EnterAddress::multiCardLayout_data()
{
    QTest::addColumn<int>("model");
    QTest::addColumn<QString>("title");
    QTest::newRow("6052") << 0x6052 << "Orbelan 6052 SFP: Enter Addresses of Function Cards";
    QTest::newRow("6087") << 0x6087 << "Orbelan 6087 SFP: Enter Addresses of Function Cards";
}

void tst_EnterAddress::multiCardLayout()
{
    QFETCH(int, model);
    QFETCH(QString, title);
    TestCardFC card(model);
    qx2010fp_fcEnterAddress dialog(&card);
    QCOMPARE(dialog.windowTitle(), title);
    dialog.show();

    QVERIFY(labelTexts(&dialog).contains("Count: "));
    QVERIFY(dialog.m_countCombo->isVisible());
    QCOMPARE(dialog.m_countCombo->currentIndex(), 0);
    for (int j = 0; j < qx2010fp_fcEnterAddress::maxRows; ++j) {
        QVERIFY(dialog.m_rows[j]);
        QCOMPARE(dialog.m_rows[j]->isEnabled(), j == 0);
        if (j > 0) {
            QVERIFY(dialog.m_rows[j - 1]->geometry().bottom() < dialog.m_rows[j]->geometry().top());
        }
    }
    // The count on the left of the bottom line, the buttons on its right.
    QVERIFY(dialog.m_rows[7]->geometry().bottom() < dialog.m_countCombo->geometry().top());
    QVERIFY(dialog.m_countCombo->geometry().right() < dialog.okButton()->geometry().left());
}

void tst_EnterAddress::countSelectsTheRowsInUse()
{
    qx2010fp_fcEnterAddress dialog(&m_multiCard);
    for (int j = 3; j < qx2010fp_fcEnterAddress::maxRows; ++j)
        typeInto(dialog.m_rows[j], QStringLiteral("kept %1").arg(j), j);

    dialog.m_countCombo->setCurrentIndex(2);
    for (int j = 0; j < qx2010fp_fcEnterAddress::maxRows; ++j)
        QCOMPARE(dialog.m_rows[j]->isEnabled(), j < 3);
    dialog.m_countCombo->setCurrentIndex(7);
    for (int j = 0; j < qx2010fp_fcEnterAddress::maxRows; ++j)
        QVERIFY(dialog.m_rows[j]->isEnabled());
    dialog.m_countCombo->setCurrentIndex(0);
    for (int j = 0; j < qx2010fp_fcEnterAddress::maxRows; ++j)
        QCOMPARE(dialog.m_rows[j]->isEnabled(), j == 0);

    // Disabled rows keep what they hold.
    for (int j = 3; j < qx2010fp_fcEnterAddress::maxRows; ++j) {
        QCOMPARE(dialog.m_rows[j]->m_descriptorCombo->currentText(),
                 QStringLiteral("kept %1").arg(j));
        QCOMPARE(dialog.m_rows[j]->m_fcCombo->currentIndex(), j);
    }
}

void tst_EnterAddress::execResults_data()
{
    QTest::addColumn<QString>("answer"); // a button, "Esc" or "close"
    QTest::addColumn<int>("result");
    QTest::newRow("OK") << "OK" << int(QDialog::Accepted);
    QTest::newRow("Cancel") << "Cancel" << int(QDialog::Rejected);
    QTest::newRow("Esc") << "Esc" << int(QDialog::Rejected);
    QTest::newRow("close") << "close" << int(QDialog::Rejected);
}

void tst_EnterAddress::execResults()
{
    QFETCH(QString, answer);
    QFETCH(int, result);
    qx2010fp_fcEnterAddress dialog(&m_relayCard);
    dialog.loadDescriptors();
    std::shared_ptr<sfptest::ModalAnswer> seen;
    if (answer == "close")
        seen = sfptest::closeNextModal();
    else
        seen = sfptest::answerNextModal(answer == "Esc" ? QString() : answer);
    QCOMPARE(dialog.exec(), result);
    QVERIFY(seen->answered);
    QCOMPARE(seen->title, QString("Orbelan 5170 SFP: Enter Function Card Address"));
    QCOMPARE(seen->buttons, QStringList({"OK", "Cancel"}));
    QCOMPARE(seen->defaultButton, QString());
}

void tst_EnterAddress::enterDoesNotClose()
{
    qx2010fp_fcEnterAddress dialog(&m_relayCard);
    dialog.loadDescriptors();
    bool openAfterReturn = false;
    bool openAfterEnter = false;
    QStringList listAfterEnter;
    auto acted = actOnNextModal([&](QWidget *modal) {
        QComboBox *combo = dialog.m_rows[0]->m_descriptorCombo;
        QCOMPARE(modal, &dialog);
        combo->lineEdit()->setFocus();
        combo->lineEdit()->selectAll();
        QTest::keyClicks(combo->lineEdit(), "VXI0::7::INSTR");
        QTest::keyClick(combo->lineEdit(), Qt::Key_Return);
        openAfterReturn = dialog.isVisible();
        QTest::keyClick(combo->lineEdit(), Qt::Key_Enter);
        openAfterEnter = dialog.isVisible();
        listAfterEnter = items(combo);
        dialog.cancelButton()->click();
    });
    QCOMPARE(dialog.exec(), int(QDialog::Rejected));
    QVERIFY(acted->answered);
    QVERIFY(openAfterReturn);
    QVERIFY(openAfterEnter);
    // Enter confirms the text into the box's list, the way editable boxes do.
    QVERIFY2(listAfterEnter.contains("VXI0::7::INSTR"), qPrintable(listAfterEnter.join(' ')));
}

void tst_EnterAddress::loadWithoutFile()
{
    qx2010fp_fcEnterAddress dialog(&m_relayCard);
    dialog.loadDescriptors();
    const qx2010fp_fcEnterAddressFc *row = dialog.m_rows[0];
    QCOMPARE(items(row->m_descriptorCombo), QStringList({defaultDescriptor}));
    QCOMPARE(row->m_descriptorCombo->currentText(), defaultDescriptor);
    QCOMPARE(row->m_fcCombo->currentText(), QString("Select"));
    QCOMPARE(dialog.m_countCombo->currentIndex(), 0);
    // Loading writes nothing.
    QVERIFY(!QFile::exists(m_profile->iniFile()));
}

void tst_EnterAddress::loadStoredValues()
{
    // An empty position in the middle is skipped, later ones are still read.
    QVERIFY(writeFile(m_profile->iniFile(),
                      "[5170]\n1.1.Descriptor=VXI0::1::INSTR\n"
                      "1.2.Descriptor=\n1.3.Descriptor=VXI0::5::INSTR\n"
                      "1.5.Descriptor=TCPIP0::10.0.0.7::INSTR\n"
                      "1.FC_Number=4\nFC_Count=1\n"));
    qx2010fp_fcEnterAddress dialog(&m_relayCard);
    // Whatever the rows held before is replaced.
    dialog.m_rows[0]->m_descriptorCombo->addItem("stale");
    dialog.loadDescriptors();
    const qx2010fp_fcEnterAddressFc *row = dialog.m_rows[0];
    QCOMPARE(items(row->m_descriptorCombo),
             QStringList({"VXI0::1::INSTR", "VXI0::5::INSTR", "TCPIP0::10.0.0.7::INSTR"}));
    QCOMPARE(row->m_descriptorCombo->currentText(), QString("VXI0::1::INSTR"));
    QCOMPARE(row->m_fcCombo->currentText(), QString("FC 4"));

    // The default stands only for an empty first position of row 1.
    QVERIFY(writeFile(m_profile->iniFile(), "[5170]\n1.2.Descriptor=VXI0::5::INSTR\n"));
    dialog.loadDescriptors();
    QCOMPARE(items(row->m_descriptorCombo), QStringList({defaultDescriptor, "VXI0::5::INSTR"}));
}

void tst_EnterAddress::loadMultiCardRows()
{
    QVERIFY(writeFile(m_profile->iniFile(),
                      "[6052]\n1.1.Descriptor=VXI0::1::INSTR\n1.FC_Number=2\n"
                      "2.1.Descriptor=VXI0::5::INSTR\n2.2.Descriptor=VXI0::6::INSTR\n"
                      "2.FC_Number=3\n3.FC_Number=8\nFC_Count=3\n"
                      "[5170]\n1.1.Descriptor=not for 6052\n"));
    qx2010fp_fcEnterAddress dialog(&m_multiCard);
    dialog.loadDescriptors();
    QCOMPARE(items(dialog.m_rows[0]->m_descriptorCombo), QStringList({"VXI0::1::INSTR"}));
    QCOMPARE(items(dialog.m_rows[1]->m_descriptorCombo),
             QStringList({"VXI0::5::INSTR", "VXI0::6::INSTR"}));
    // Rows after the first get no default.
    QCOMPARE(items(dialog.m_rows[2]->m_descriptorCombo), QStringList());
    QCOMPARE(dialog.m_rows[2]->m_descriptorCombo->currentText(), QString());
    QCOMPARE(dialog.m_rows[0]->m_fcCombo->currentIndex(), 2);
    QCOMPARE(dialog.m_rows[1]->m_fcCombo->currentIndex(), 3);
    QCOMPARE(dialog.m_rows[2]->m_fcCombo->currentIndex(), 8);
    QCOMPARE(dialog.m_rows[3]->m_fcCombo->currentIndex(), 0);
    QCOMPARE(dialog.m_countCombo->currentIndex(), 2);
    for (int j = 0; j < qx2010fp_fcEnterAddress::maxRows; ++j)
        QCOMPARE(dialog.m_rows[j]->isEnabled(), j < 3);
}

void tst_EnterAddress::fullSetOfEightComesBack()
{
    // The last entry of the count list: all eight cards come back.
    QByteArray stored = "[6052]\nFC_Count=8\n";
    for (int r = 1; r <= 8; ++r)
        stored += QStringLiteral("%1.1.Descriptor=VXI0::%1::INSTR\n%1.FC_Number=%1\n")
                      .arg(r)
                      .toLatin1();
    QVERIFY(writeFile(m_profile->iniFile(), stored));
    qx2010fp_fcEnterAddress dialog(&m_multiCard);
    dialog.loadDescriptors();
    QCOMPARE(dialog.m_countCombo->currentIndex(), 7);
    QCOMPARE(dialog.m_countCombo->currentText(), QStringLiteral("8"));
    for (int j = 0; j < qx2010fp_fcEnterAddress::maxRows; ++j) {
        QVERIFY(dialog.m_rows[j]->isEnabled());
        QCOMPARE(dialog.m_rows[j]->m_fcCombo->currentIndex(), j + 1);
    }
    QStringList descriptors;
    QList<int> fcNumbers;
    dialog.saveDescriptors(descriptors, fcNumbers);
    QCOMPARE(descriptors.size(), 8);
    QCOMPARE(descriptors.constLast(), QStringLiteral("VXI0::8::INSTR"));
    QCOMPARE(fcNumbers, QList<int>({1, 2, 3, 4, 5, 6, 7, 8}));
}

void tst_EnterAddress::historyRules_data()
{
    QTest::addColumn<QByteArray>("stored"); // [5170] before
    QTest::addColumn<int>("pick"); // entry chosen from the list, -1: typed
    QTest::addColumn<QString>("typed");
    QTest::addColumn<QStringList>("history"); // 1.1 to 1.5.Descriptor after

    QTest::newRow("first time: typed after the default")
        << QByteArray() << -1 << "VXI0::1::INSTR"
        << QStringList({"VXI0::1::INSTR", "TCPIP::192.168.2.100::INSTR", "", "", ""});
    QTest::newRow("new one goes first") << QByteArray("1.1.Descriptor=B\n1.2.Descriptor=C\n") << -1
                                        << "A" << QStringList({"A", "B", "C", "", ""});
    QTest::newRow("sixth drops the oldest")
        << QByteArray("1.1.Descriptor=B\n1.2.Descriptor=C\n1.3.Descriptor=D\n"
                      "1.4.Descriptor=E\n1.5.Descriptor=F\n")
        << -1 << "A" << QStringList({"A", "B", "C", "D", "E"});
    QTest::newRow("chosen from the list moves up once")
        << QByteArray("1.1.Descriptor=A\n1.2.Descriptor=B\n1.3.Descriptor=C\n") << 2 << ""
        << QStringList({"C", "A", "B", "", ""});
    QTest::newRow("typed again moves up once")
        << QByteArray("1.1.Descriptor=A\n1.2.Descriptor=B\n1.3.Descriptor=C\n") << -1 << "B"
        << QStringList({"B", "A", "C", "", ""});
    QTest::newRow("compared exactly")
        << QByteArray("1.1.Descriptor=VXI0::1::INSTR\n") << -1 << "vxi0::1::instr"
        << QStringList({"vxi0::1::instr", "VXI0::1::INSTR", "", "", ""});
    QTest::newRow("repeats in the file kept once")
        << QByteArray("1.1.Descriptor=A\n1.2.Descriptor=B\n1.3.Descriptor=A\n1.4.Descriptor=B\n")
        << -1 << "C" << QStringList({"C", "A", "B", "", ""});
    QTest::newRow("blanks are text")
        << QByteArray("1.1.Descriptor=A\n") << -1 << " A" << QStringList({" A", "A", "", "", ""});
    QTest::newRow("gap skipped, stale tail emptied")
        << QByteArray("1.1.Descriptor=A\n1.3.Descriptor=B\n1.5.Descriptor=A\n") << -1 << "C"
        << QStringList({"C", "A", "B", "", ""});
    QTest::newRow("empty descriptor is stored as it is")
        << QByteArray("1.1.Descriptor=A\n") << -1 << "" << QStringList({"", "A", "", "", ""});
}

void tst_EnterAddress::historyRules()
{
    QFETCH(QByteArray, stored);
    QFETCH(int, pick);
    QFETCH(QString, typed);
    QFETCH(QStringList, history);

    if (!stored.isEmpty())
        QVERIFY(writeFile(m_profile->iniFile(), "[5170]\n" + stored));
    qx2010fp_fcEnterAddress dialog(&m_relayCard);
    dialog.loadDescriptors();
    QComboBox *combo = dialog.m_rows[0]->m_descriptorCombo;
    if (pick >= 0)
        combo->setCurrentIndex(pick);
    else
        combo->setEditText(typed);
    QStringList descriptors;
    QList<int> fcNumbers;
    dialog.saveDescriptors(descriptors, fcNumbers);
    QCOMPARE(descriptors, QStringList(history.first()));
    QCOMPARE(fcNumbers, QList<int>({0}));

    const QByteArray content = fileContents(m_profile->iniFile());
    QCOMPARE(storedHistory(content, "5170", 1), history);
    // Every position is written, the empty ones too.
    for (int k = 1; k <= 5; ++k)
        QVERIFY(iniContains(content, QStringLiteral("5170/1.%1.Descriptor").arg(k)));
    QCOMPARE(iniValue(content, "5170/1.FC_Number").toString(), QString("0"));
    QCOMPARE(iniValue(content, "5170/FC_Count").toString(), QString("1"));

    // Shown again: the most recent first, the empty positions left out.
    dialog.loadDescriptors();
    QStringList shown = history;
    shown.removeAll(QString());
    if (history.first().isEmpty())
        shown.prepend(defaultDescriptor);
    QCOMPARE(items(combo), shown);
}

void tst_EnterAddress::saveMultiCard()
{
    qx2010fp_fcEnterAddress dialog(&m_multiCard);
    dialog.loadDescriptors();
    dialog.m_countCombo->setCurrentIndex(1);
    typeInto(dialog.m_rows[0], "VXI0::1::INSTR", 2);
    typeInto(dialog.m_rows[1], "VXI0::5::INSTR", 3);
    typeInto(dialog.m_rows[2], "not in use", 4);
    QStringList descriptors = {"stale"};
    QList<int> fcNumbers = {9};
    dialog.saveDescriptors(descriptors, fcNumbers);
    QCOMPARE(descriptors, QStringList({"VXI0::1::INSTR", "VXI0::5::INSTR"}));
    QCOMPARE(fcNumbers, QList<int>({2, 3}));

    // Every row is written, in use or not.
    const QByteArray content = fileContents(m_profile->iniFile());
    QCOMPARE(iniValue(content, "6052/FC_Count").toInt(), 2);
    QCOMPARE(iniValue(content, "6052/3.1.Descriptor").toString(), QString("not in use"));
    QCOMPARE(iniValue(content, "6052/3.FC_Number").toInt(), 4);
    for (int r = 4; r <= 8; ++r) {
        QVERIFY(iniContains(content, QStringLiteral("6052/%1.5.Descriptor").arg(r)));
        QCOMPARE(iniValue(content, QStringLiteral("6052/%1.FC_Number").arg(r)).toInt(), 0);
    }
    QCOMPARE(iniValues(content).size(), 8 * 6 + 1);

    // Read back, the dialog shows the same.
    qx2010fp_fcEnterAddress again(&m_multiCard);
    again.loadDescriptors();
    QCOMPARE(again.m_countCombo->currentIndex(), 1);
    QCOMPARE(again.m_rows[1]->m_descriptorCombo->currentText(), QString("VXI0::5::INSTR"));
    QCOMPARE(again.m_rows[2]->m_fcCombo->currentIndex(), 4);
}

void tst_EnterAddress::singleCardSavesOneRow()
{
    QVERIFY(writeFile(m_profile->iniFile(), "[5170]\nFC_Count=3\n2.1.Descriptor=kept\n"));
    qx2010fp_fcEnterAddress dialog(&m_relayCard);
    dialog.loadDescriptors();
    typeInto(dialog.m_rows[0], "VXI0::1::INSTR", 2);
    QStringList descriptors;
    QList<int> fcNumbers;
    dialog.saveDescriptors(descriptors, fcNumbers);
    QCOMPARE(descriptors, QStringList("VXI0::1::INSTR"));
    QCOMPARE(fcNumbers, QList<int>({2}));
    const QByteArray content = fileContents(m_profile->iniFile());
    QVERIFY(!iniContains(content, "5170/2.5.Descriptor"));
    QVERIFY(!iniContains(content, "5170/2.FC_Number"));
}

void tst_EnterAddress::everyOtherKeyKeepsItsValue()
{
    const QByteArray content
        = "; Prepared by hand for the rack in room 2\n"
          "[6052]\n1.1.Descriptor = VXI0::9::INSTR ; left rack\n1.FC_Number=5\n\n"
          "[5170]\nNote=prepared by the lab\n1.1.Descriptor=VXI0::1::INSTR\n"
          "2.1.Descriptor=VXI0::7::INSTR\n1.FC_Number=2\nFC_Count=1\n"
          "\n[6087]\r\n2.1.Descriptor=\"a,b\"\r\nlist=x, y\r\n"
          "[General]\ntop=1\n"
          "[4720]\nwide=ТСРIP::測試\n";
    QVERIFY(writeFile(m_profile->iniFile(), content));
    QVariantMap expected = iniValues(content);

    qx2010fp_fcEnterAddress dialog(&m_relayCard);
    dialog.loadDescriptors();
    QCOMPARE(dialog.m_rows[0]->m_descriptorCombo->currentText(), QString("VXI0::1::INSTR"));
    typeInto(dialog.m_rows[0], "VXI0::5::INSTR", 3);
    QStringList descriptors;
    QList<int> fcNumbers;
    dialog.saveDescriptors(descriptors, fcNumbers);

    // Ours changed, and nothing else did: not the unknown keys of our own
    // section, not the other sections, not the keys outside any section.
    expected.insert("5170/1.1.Descriptor", "VXI0::5::INSTR");
    expected.insert("5170/1.2.Descriptor", "VXI0::1::INSTR");
    for (const char *position : {"3", "4", "5"})
        expected.insert(QStringLiteral("5170/1.%1.Descriptor").arg(position), "");
    expected.insert("5170/1.FC_Number", "3");
    QCOMPARE(iniValues(fileContents(m_profile->iniFile())), expected);
    QCOMPARE(expected.value("5170/Note").toString(), QString("prepared by the lab"));
    QCOMPARE(expected.value("4720/wide").toString(), QString("ТСРIP::測試"));
}

void tst_EnterAddress::badFiles_data()
{
    QTest::addColumn<QByteArray>("content");
    QTest::addColumn<QStringList>("shown"); // row 1's list after loading
    QTest::addColumn<int>("fcIndex");
    QTest::addColumn<int>("countIndex");

    const QString longDescriptor = QString(10000, QLatin1Char('V'));
    const QString wide = QStringLiteral("ТСРIP::測試::INSTR");
    const QByteArray badUtf8 = "VXI0::\xC3\x28\xFF::INSTR";

    QTest::newRow("empty") << QByteArray() << QStringList(defaultDescriptor) << 0 << 0;
    QTest::newRow("not numbers") << QByteArray("[5170]\n1.FC_Number=two\nFC_Count=many\n")
                                 << QStringList(defaultDescriptor) << 0 << 0;
    QTest::newRow("huge numbers") << QByteArray("[5170]\n1.FC_Number=99999999999999\n"
                                                "FC_Count=99999999999999\n")
                                  << QStringList(defaultDescriptor) << 0 << 0;
    QTest::newRow("number beyond 8") << QByteArray("[5170]\n1.FC_Number=9\nFC_Count=9\n")
                                     << QStringList(defaultDescriptor) << 0 << 0;
    QTest::newRow("negative numbers") << QByteArray("[5170]\n1.FC_Number=-1\n"
                                                    "FC_Count=-2147483648\n")
                                      << QStringList(defaultDescriptor) << 0 << 0;
    QTest::newRow("10000 characters") << QByteArray("[5170]\n1.1.Descriptor=")
            + longDescriptor.toLatin1() + "\n1.FC_Number=2\nFC_Count=1\n"
                                      << QStringList(longDescriptor) << 2 << 0;
    QTest::newRow("non-Latin-1") << QByteArray("[5170]\n1.1.Descriptor=") + wide.toUtf8()
            + "\n1.2.Descriptor=VXI0::1::INSTR\n"
                                 << QStringList({wide, "VXI0::1::INSTR"}) << 0 << 0;
    QTest::newRow("not UTF-8") << QByteArray("[5170]\n1.1.Descriptor=") + badUtf8 + "\n"
                               << QStringList(QString::fromUtf8(badUtf8)) << 0 << 0;
    QTest::newRow("open quote") << QByteArray("[5170]\n1.FC_Number=1\n1.1.Descriptor=\"VXI0")
                                << QStringList("VXI0") << 1 << 0;
    QTest::newRow("open quote in the next section")
        << QByteArray("[5170]\n1.1.Descriptor=VXI0::1::INSTR\n1.FC_Number=2\n[4720]\nx=\"open\n")
        << QStringList("VXI0::1::INSTR") << 2 << 0;
    QTest::newRow("trailing backslash") << QByteArray("[5170]\n1.FC_Number=4\n[4720]\nx=a\\")
                                        << QStringList(defaultDescriptor) << 4 << 0;
    QTest::newRow("key repeated") << QByteArray("[5170]\n1.FC_Number=2\n1.FC_Number=5\n")
                                  << QStringList(defaultDescriptor) << 5 << 0;
    QTest::newRow("10 MB") << QByteArray("[5170]\n1.FC_Number=6\n[big]\nx=")
            + QByteArray(qsizetype(10) * 1024 * 1024, 'x') + "\n"
                           << QStringList(defaultDescriptor) << 6 << 0;
}

void tst_EnterAddress::badFiles()
{
    QFETCH(QByteArray, content);
    QFETCH(QStringList, shown);
    QFETCH(int, fcIndex);
    QFETCH(int, countIndex);

    QVERIFY(writeFile(m_profile->iniFile(), content));
    qx2010fp_fcEnterAddress dialog(&m_relayCard);
    dialog.loadDescriptors();
    QCOMPARE(items(dialog.m_rows[0]->m_descriptorCombo), shown);
    QCOMPARE(dialog.m_rows[0]->m_fcCombo->currentIndex(), fcIndex);
    QCOMPARE(dialog.m_countCombo->currentIndex(), countIndex);

    // What is typed now goes out, whatever the file was.
    typeInto(dialog.m_rows[0], "VXI0::1::INSTR", 2);
    QStringList descriptors;
    QList<int> fcNumbers;
    dialog.saveDescriptors(descriptors, fcNumbers);
    QCOMPARE(descriptors, QStringList("VXI0::1::INSTR"));
    QCOMPARE(fcNumbers, QList<int>({2}));

    // The file now holds it, and shown again the dialog has it back.
    const QByteArray written = fileContents(m_profile->iniFile());
    QCOMPARE(iniValue(written, "5170/1.1.Descriptor").toString(), QString("VXI0::1::INSTR"));
    QCOMPARE(iniValue(written, "5170/1.FC_Number").toString(), QString("2"));
    qx2010fp_fcEnterAddress again(&m_relayCard);
    again.loadDescriptors();
    QCOMPARE(again.m_rows[0]->m_descriptorCombo->currentText(), QString("VXI0::1::INSTR"));
    QCOMPARE(again.m_rows[0]->m_fcCombo->currentIndex(), 2);
}

void tst_EnterAddress::unwritableLocation_data()
{
    QTest::addColumn<QString>("blocker"); // below the profile, made first
    QTest::addColumn<bool>("blockerIsFolder");
    QTest::addColumn<QString>("reason");

    QTest::newRow("a file where the folder should be")
        << "Tarvex" << false << "its folder cannot be created";
    QTest::newRow("a folder where the file should be")
        << "Tarvex/DefaultInstrDescr.ini" << true << "the file cannot be written";
    QTest::newRow("a read-only file")
        << "Tarvex/DefaultInstrDescr.ini" << false << "the file cannot be written";
}

void tst_EnterAddress::unwritableLocation()
{
    QFETCH(QString, blocker);
    QFETCH(bool, blockerIsFolder);
    QFETCH(QString, reason);

    const QString blockerPath = m_profile->allUsersFolder() + "/" + blocker;
    const bool readOnly = QTest::currentDataTag() == QLatin1String("a read-only file");
    if (readOnly && ::geteuid() == 0)
        QSKIP("root writes read-only files");
    if (blockerIsFolder) {
        QVERIFY(QDir().mkpath(blockerPath));
    } else {
        QVERIFY(writeFile(blockerPath, "[5170]\n1.1.Descriptor=VXI0::9::INSTR\n1.FC_Number=1\n"));
        if (readOnly)
            QVERIFY(QFile::setPermissions(blockerPath, QFileDevice::ReadOwner));
    }
    const QByteArray blockerContent = fileContents(blockerPath);

    qx2010fp_fcEnterAddress dialog(&m_relayCard);
    dialog.loadDescriptors();
    const Saved saved = typeAndSave(dialog, "VXI0::5::INSTR", 3);

    // The entries still reach the caller; the operator sees no box, and
    // standard error gets one line naming the file and the reason.
    QCOMPARE(saved.descriptors, QStringList("VXI0::5::INSTR"));
    QCOMPARE(saved.fcNumbers, QList<int>({3}));
    QCOMPARE(saved.reported.count('\n'), 1);
    QVERIFY2(saved.reported.contains(dialog.m_iniFile.toUtf8()), saved.reported.constData());
    QVERIFY2(saved.reported.contains(reason.toUtf8()), saved.reported.constData());
    QCOMPARE(fileContents(blockerPath), blockerContent);

    // Shown again, the dialog still holds what was typed: the file could
    // not keep it.
    dialog.loadDescriptors();
    QCOMPARE(dialog.m_rows[0]->m_descriptorCombo->currentText(), QString("VXI0::5::INSTR"));
    QCOMPARE(dialog.m_rows[0]->m_fcCombo->currentIndex(), 3);

    // Once the file can be written, it is read again as usual.
    QFile::setPermissions(blockerPath, QFileDevice::ReadOwner | QFileDevice::WriteOwner);
    QVERIFY(blockerIsFolder ? QDir(blockerPath).removeRecursively() : QFile::remove(blockerPath));
    QCOMPARE(typeAndSave(dialog, "VXI0::1::INSTR", 2).reported, QByteArray());
    QCOMPARE(iniValue(fileContents(dialog.m_iniFile), "5170/1.1.Descriptor").toString(),
             QString("VXI0::1::INSTR"));
    dialog.m_rows[0]->m_descriptorCombo->setEditText("scratch");
    dialog.loadDescriptors();
    QCOMPARE(dialog.m_rows[0]->m_descriptorCombo->currentText(), QString("VXI0::1::INSTR"));
}

void tst_EnterAddress::unreadableFileIsLeftAsItIs_data()
{
    QTest::addColumn<QByteArray>("content");

    // As some Windows tools write it.
    const QByteArray text = "[5170]\r\n1.1.Descriptor=VXI0::1::INSTR\r\n1.FC_Number=2\r\n"
                            "[4720]\r\nLabel=bench 3\r\n";
    QByteArray littleEndian("\xff\xfe");
    QByteArray bigEndian("\xfe\xff");
    for (const char ch : text) {
        littleEndian.append(ch).append('\0');
        bigEndian.append('\0').append(ch);
    }
    QByteArray binary;
    QRandomGenerator random(2010);
    for (int i = 0; i < 8192; ++i)
        binary.append(char(random.bounded(256)));

    QTest::newRow("UTF-16 with byte-order mark") << littleEndian;
    QTest::newRow("UTF-16 big-endian") << bigEndian;
    QTest::newRow("UTF-16 without byte-order mark") << littleEndian.mid(2);
    // The toolkit itself finds nothing wrong with this one.
    QTest::newRow("UTF-16 big-endian, one key") << QByteArray("\xfe\xff\0x\0=\0"
                                                              "1\0\n",
                                                              10);
    QTest::newRow("binary") << binary;
    QTest::newRow("binary in the section") << QByteArray("[5170]\n") + binary;
    QTest::newRow("garbage") << QByteArray("{\"json\": true}\n<xml/>\n[[[\n===\n;;;\n\"\n");
    QTest::newRow("header without bracket")
        << QByteArray("[5170\n1.1.Descriptor=VXI0::1::INSTR\n1.FC_Number=2\n[4720]\nLabel=3\n");
    QTest::newRow("line without equals sign")
        << QByteArray("[4720]\nLabel=bench 3\nnot a key\n[5170]\n1.1.Descriptor=VXI0::1::INSTR\n");
}

void tst_EnterAddress::unreadableFileIsLeftAsItIs()
{
    QFETCH(QByteArray, content);
    QVERIFY(writeFile(m_profile->iniFile(), content));

    qx2010fp_fcEnterAddress dialog(&m_relayCard);
    dialog.loadDescriptors();
    const Saved saved = typeAndSave(dialog, "VXI0::5::INSTR", 3);

    // Used for this run, said in one line, and the file not touched.
    QCOMPARE(saved.descriptors, QStringList("VXI0::5::INSTR"));
    QCOMPARE(saved.fcNumbers, QList<int>({3}));
    QCOMPARE(QString::fromUtf8(saved.reported),
             QString("tst_enteraddress: the typed addresses could not be saved in %1: it cannot "
                     "be read as an INI file and was left as it is\n")
                 .arg(m_profile->iniFile()));
    QCOMPARE(fileContents(m_profile->iniFile()), content);
    QCOMPARE(folderEntries(m_profile->iniFile()), QStringList("DefaultInstrDescr.ini"));

    // Shown again, the dialog keeps what was typed.
    dialog.loadDescriptors();
    QCOMPARE(dialog.m_rows[0]->m_descriptorCombo->currentText(), QString("VXI0::5::INSTR"));
    QCOMPARE(dialog.m_rows[0]->m_fcCombo->currentIndex(), 3);
}

void tst_EnterAddress::commaInAStoredDescriptor()
{
    // Written by another program, without quotes.
    QVERIFY(writeFile(m_profile->iniFile(),
                      "[5170]\n1.1.Descriptor=USB0::0x1234::0x5678::SN,42::INSTR\n"
                      "1.2.Descriptor=VXI0::1::INSTR\n1.FC_Number=1\n"));
    qx2010fp_fcEnterAddress dialog(&m_relayCard);
    dialog.loadDescriptors();
    QComboBox *combo = dialog.m_rows[0]->m_descriptorCombo;
    QCOMPARE(items(combo), QStringList({"USB0::0x1234::0x5678::SN,42::INSTR", "VXI0::1::INSTR"}));
    QCOMPARE(combo->currentText(), QString("USB0::0x1234::0x5678::SN,42::INSTR"));

    QStringList descriptors;
    QList<int> fcNumbers;
    dialog.saveDescriptors(descriptors, fcNumbers);
    QCOMPARE(descriptors, QStringList("USB0::0x1234::0x5678::SN,42::INSTR"));
    const QByteArray written = fileContents(m_profile->iniFile());
    QCOMPARE(storedHistory(written, "5170", 1),
             QStringList({"USB0::0x1234::0x5678::SN,42::INSTR", "VXI0::1::INSTR", "", "", ""}));

    // Another row picked: the comma value stays in the history.
    dialog.loadDescriptors();
    combo->setCurrentIndex(1);
    dialog.saveDescriptors(descriptors, fcNumbers);
    QCOMPARE(storedHistory(fileContents(m_profile->iniFile()), "5170", 1),
             QStringList({"VXI0::1::INSTR", "USB0::0x1234::0x5678::SN,42::INSTR", "", "", ""}));
}

void tst_EnterAddress::fileSizeLimit_data()
{
    QTest::addColumn<QByteArray>("content");

    // Other sections first, so that a file cut anywhere loses them.
    QByteArray others;
    for (int i = 0; others.size() < 5000; ++i)
        others += QStringLiteral("[%1]\nLabel=bench %1 of the lab in room 2\n")
                      .arg(4000 + i)
                      .toLatin1();
    QTest::newRow("5 KB file: not even copied")
        << others + "[6052]\n1.1.Descriptor=VXI0::1::INSTR\n";
    QTest::newRow("900 bytes: the written copy is cut")
        << others.left(others.indexOf("[", 850)) + "[6052]\n1.1.Descriptor=VXI0::1::INSTR\n";
}

void tst_EnterAddress::fileSizeLimit()
{
    QFETCH(QByteArray, content);
    QVERIFY(writeFile(m_profile->iniFile(), content));
    QVERIFY(QFile::setPermissions(m_profile->iniFile(),
                                  QFileDevice::ReadOwner | QFileDevice::WriteOwner
                                      | QFileDevice::ReadGroup | QFileDevice::ReadOther));

    const sfptest::ChildResult child = sfptest::runInChild(QStringLiteral("saveUnderSizeLimit"));
    QVERIFY(child.started);
    QVERIFY2(!child.crashed, child.output.constData());
    QCOMPARE(child.exitStatus, sfptest::childReturnedStatus);

    // The file as it was, its mode too, nothing left beside it, and one
    // line naming the file and the reason.
    QCOMPARE(fileContents(m_profile->iniFile()), content);
    QCOMPARE(QFile::permissions(m_profile->iniFile()),
             QFileDevice::ReadOwner | QFileDevice::WriteOwner | QFileDevice::ReadUser
                 | QFileDevice::WriteUser | QFileDevice::ReadGroup | QFileDevice::ReadOther);
    QCOMPARE(folderEntries(m_profile->iniFile()), QStringList("DefaultInstrDescr.ini"));
    const QList<QByteArray> lines = child.output.trimmed().split('\n');
    QStringList ours;
    for (const QByteArray &line : lines) {
        if (line.startsWith("tst_enteraddress: "))
            ours.append(QString::fromUtf8(line));
    }
    QCOMPARE(ours.size(), 1);
    const QString expected
        = QStringLiteral(
              "tst_enteraddress: the typed addresses could not be saved in %1: the file cannot be "
              "written: ")
              .arg(m_profile->iniFile());
    QVERIFY2(ours.constFirst().startsWith(expected), qPrintable(ours.constFirst()));

    // Without the limit the same save goes through.
    saveEightLongRows();
    const QByteArray written = fileContents(m_profile->iniFile());
    QVERIFY(written.size() > 1024);
    QCOMPARE(iniValue(written, "6052/8.FC_Number").toString(), QString("8"));
    QCOMPARE(iniValue(written, "4000/Label").toString(),
             QString("bench 4000 of the lab in room 2"));
}

void tst_EnterAddress::fullDisk_data()
{
    QTest::addColumn<int>("fileSize");

    // On a file system of three 4 KiB pages, one of them left free.
    QTest::newRow("5 KB file, 4 KiB free: not even copied") << 5000;
    QTest::newRow("900-byte file, 4 KiB free: the written copy does not fit") << 900;
}

void tst_EnterAddress::fullDisk()
{
    QFETCH(int, fileSize);
    if (::geteuid() != 0)
        QSKIP("only root mounts a file system of its own");
    const QString mountPoint = m_profile->allUsersFolder();
    QVERIFY(QDir().mkpath(mountPoint));
    QProcess mount;
    mount.start(QStringLiteral("mount"),
                {QStringLiteral("-t"), QStringLiteral("tmpfs"), QStringLiteral("-o"),
                 QStringLiteral("size=12k"), QStringLiteral("tmpfs"), mountPoint});
    if (!mount.waitForFinished() || mount.exitStatus() != QProcess::NormalExit
        || mount.exitCode() != 0)
        QSKIP("no tmpfs can be mounted here");
    const auto unmount
        = qScopeGuard([&mountPoint] { QProcess::execute(QStringLiteral("umount"), {mountPoint}); });

    QByteArray content = "[6052]\n1.1.Descriptor=VXI0::1::INSTR\n";
    for (int i = 0; content.size() < fileSize; ++i)
        content += QStringLiteral("[%1]\nLabel=bench %1\n").arg(4000 + i).toLatin1();
    QVERIFY(writeFile(m_profile->iniFile(), content));
    // Everything else but one page taken.
    QFile filler(mountPoint + QStringLiteral("/filler"));
    QVERIFY(filler.open(QIODevice::WriteOnly));
    const qint64 taken = fileSize > 4096 ? 0 : 4096;
    QCOMPARE(filler.write(QByteArray(taken, 'f')), taken);
    filler.close();

    StderrCapture stderrLines;
    saveEightLongRows();
    const QByteArray reported = stderrLines.take();

    QCOMPARE(fileContents(m_profile->iniFile()), content);
    QCOMPARE(folderEntries(m_profile->iniFile()), QStringList("DefaultInstrDescr.ini"));
    QCOMPARE(reported.count('\n'), 1);
    const QString expected
        = QStringLiteral("tst_enteraddress: the typed addresses could not be saved in %1: the "
                         "file cannot be written: ")
              .arg(m_profile->iniFile());
    QVERIFY2(QString::fromUtf8(reported).startsWith(expected), reported.constData());
}

void tst_EnterAddress::ownerGroupAndModeKept()
{
    QVERIFY(writeFile(m_profile->iniFile(), "[4720]\nLabel=bench 3\n"));
    const QByteArray path = QFile::encodeName(m_profile->iniFile());
    // Another user's and group's file where the test may give it away;
    // else a group of this user's other than its own, where it has one.
    uid_t owner = ::geteuid();
    gid_t group = ::getegid();
    if (owner == 0) {
        owner = nobody;
        group = nogroup;
    } else {
        gid_t groups[64];
        const int count = ::getgroups(64, groups);
        for (int i = 0; i < count; ++i) {
            if (groups[i] != group) {
                group = groups[i];
                break;
            }
        }
    }
    QCOMPARE(::chown(path.constData(), owner, group), 0);
    QCOMPARE(::chmod(path.constData(), 0664), 0);

    qx2010fp_fcEnterAddress dialog(&m_relayCard);
    dialog.loadDescriptors();
    QCOMPARE(typeAndSave(dialog, "VXI0::5::INSTR", 3).reported, QByteArray());

    QCOMPARE(iniValue(fileContents(m_profile->iniFile()), "5170/1.1.Descriptor").toString(),
             QString("VXI0::5::INSTR"));
    struct stat after = {};
    QCOMPARE(::stat(path.constData(), &after), 0);
    QCOMPARE(after.st_mode & 07777, mode_t(0664));
    QCOMPARE(after.st_uid, owner);
    QCOMPARE(after.st_gid, group);

    // A new file gets the mode of any new file: what the umask leaves of
    // read and write for everyone.
    m_profile->clear();
    qputenv("ALLUSERSPROFILE", m_profile->allUsersFolder().toLocal8Bit());
    const mode_t umask = ::umask(022);
    qx2010fp_fcEnterAddress fresh(&m_relayCard);
    fresh.loadDescriptors();
    typeAndSave(fresh, "VXI0::1::INSTR", 2);
    ::umask(umask);
    QCOMPARE(::stat(QFile::encodeName(fresh.m_iniFile).constData(), &after), 0);
    QCOMPARE(after.st_mode & 07777, mode_t(0644));
}

void tst_EnterAddress::savedByAnotherUser()
{
    if (::geteuid() != 0)
        QSKIP("only root can hand a file to another user");
    // root's file, which nobody may write but not give back to root; its
    // group is one that nobody belongs to.
    QVERIFY(writeFile(m_profile->iniFile(), "[4720]\nLabel=bench 3\n"));
    QCOMPARE(::chown(QFile::encodeName(m_profile->iniFile()).constData(), 0, users), 0);
    for (const QString &folder :
         {m_profile->iniFile(), QFileInfo(m_profile->iniFile()).path(), m_profile->allUsersFolder(),
          QFileInfo(m_profile->allUsersFolder()).path()}) {
        QVERIFY(::chmod(QFile::encodeName(folder).constData(), 0777) == 0);
    }
    QVERIFY(::chmod(QFile::encodeName(m_profile->iniFile()).constData(), 0666) == 0);

    const sfptest::ChildResult child = sfptest::runInChild(QStringLiteral("saveAsNobody"));
    QCOMPARE(child.exitStatus, sfptest::childReturnedStatus);
    QVERIFY2(!child.output.contains("tst_enteraddress:"), child.output.constData());

    // Saved all the same, with the mode and the group it had.
    const QByteArray written = fileContents(m_profile->iniFile());
    QCOMPARE(iniValue(written, "5170/1.1.Descriptor").toString(), QString("VXI0::5::INSTR"));
    QCOMPARE(iniValue(written, "4720/Label").toString(), QString("bench 3"));
    struct stat after = {};
    QCOMPARE(::stat(QFile::encodeName(m_profile->iniFile()).constData(), &after), 0);
    QCOMPARE(after.st_uid, nobody);
    QCOMPARE(after.st_gid, users);
    QCOMPARE(after.st_mode & 07777, mode_t(0666));
}

SFPTEST_MAIN(tst_EnterAddress)
#include "tst_enteraddress.moc"
