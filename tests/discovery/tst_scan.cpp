// SPDX-FileCopyrightText: 2026 Tarvex
// SPDX-License-Identifier: MIT
// The resource scan and the selection dialog on simulated systems.
#include "lxisystems.h"
#include "qx2010fp_fcselect.h"
#include "recordingfc.h"
#include "sfptest.h"
#include "sim_control.h"

#include "visa.h"

#include <QApplication>
#include <QCloseEvent>
#include <QMessageBox>
#include <QPointer>
#include <QProgressDialog>
#include <QPushButton>
#include <QSignalSpy>
#include <QThreadPool>
#include <QTimer>
#include <QTreeWidget>

#include <string>

namespace {

// A system of VXI motherboards, each full of cards of one model.
std::string vxiSystem(int motherboards, int cardsEach, int code = 0x5170)
{
    QString resources;
    for (int m = 0; m < motherboards; ++m) {
        QString cards;
        for (int p = 1; p <= cardsEach; ++p)
            cards += QStringLiteral("%1{\"position\": %2, \"code\": %3}")
                         .arg(p > 1 ? "," : "")
                         .arg(p)
                         .arg(code);
        resources += QStringLiteral("%1{\"descriptor\": \"VXI0::%2::INSTR\", \"slot\": %3, "
                                    "\"motherboard\": {\"code\": 2898, \"cards\": [%4]}}")
                         .arg(m > 0 ? "," : "")
                         .arg(m + 1)
                         .arg(m % 256)
                         .arg(cards);
    }
    return QStringLiteral("{\"resources\": [%1]}").arg(resources).toStdString();
}

QStringList columns(const QTreeWidgetItem *item)
{
    return {item->text(0), item->text(1)};
}

int selectableItems(const QTreeWidget *tree)
{
    int count = 0;
    for (QTreeWidgetItemIterator it(const_cast<QTreeWidget *>(tree)); *it; ++it)
        count += (*it)->flags().testFlag(Qt::ItemIsSelectable) ? 1 : 0;
    return count;
}

// Makes `window` the active window again each time a progress dialog is
// destroyed: the toolkit's offscreen platform has no window manager that
// would hand the activation back.
class ReactivateAfterProgress final : public QObject
{
public:
    explicit ReactivateAfterProgress(QWidget *window)
        : m_window(window)
    {
        qApp->installEventFilter(this);
    }

protected:
    bool eventFilter(QObject *watched, QEvent *event) override
    {
        if (event->type() == QEvent::Show) {
            if (auto *progress = qobject_cast<QProgressDialog *>(watched)) {
                QPointer<QWidget> window = m_window;
                connect(progress, &QObject::destroyed, this, [window] {
                    if (window)
                        QApplication::setActiveWindow(window);
                });
            }
        }
        return QObject::eventFilter(watched, event);
    }

private:
    QPointer<QWidget> m_window;
};

} // namespace

class tst_Scan : public QObject
{
    Q_OBJECT

private slots:
    void init();
    void cleanup();

    void noResources();
    void defaultSystemTree();
    void lxiDuplicates();
    void cardLimit_data();
    void cardLimit();
    void lowerCaseTcpipInParallel();
    void longestDescriptor();
    void progressWhileExamining();
    void progressStaysUntilDone();
    void repeatedScan();
    void manyNetworkResources();
    void networkResourcesExaminedTogether();
    void selectionDialogLayout();
    void okButton();
    void okWithSeveralCards();
    void doubleClicks();

private:
    RecordingFC m_fc;
    std::unique_ptr<qx2010fp_fcSelect> m_dialog;
};

void tst_Scan::init()
{
    sfpsim::loadDefaultSystem();
    m_fc.clear();
    m_dialog = std::make_unique<qx2010fp_fcSelect>(&m_fc, 0);
}

void tst_Scan::cleanup()
{
    m_dialog.reset();
    // Every session the scan opened is closed again.
    QCOMPARE(sfpsim::openSessionCount(), 0);
}

void tst_Scan::noResources()
{
    QVERIFY(sfpsim::loadDescription(R"({"resources": []})"));
    m_dialog->m_descriptors = "untouched";
    QCOMPARE(m_dialog->findFunctionCards(), 0);
    QCOMPARE(m_dialog->m_tree->topLevelItemCount(), 0);
    QCOMPARE(m_dialog->m_descriptors, QString("untouched"));

    // A resource manager that cannot be opened means no card either.
    sfpsim::loadDefaultSystem();
    sfpsim::injectFault("viOpenDefaultRM", VI_ERROR_SYSTEM_ERROR, 1);
    QCOMPARE(m_dialog->findFunctionCards(), 0);
    QCOMPARE(m_dialog->m_tree->topLevelItemCount(), 0);
}

void tst_Scan::defaultSystemTree()
{
    sfptest::clearTrace();
    QCOMPARE(m_dialog->findFunctionCards(), 3);
    QTreeWidget *tree = m_dialog->m_tree;

    // Groups in descriptor order; the LXI box reached under its host name is
    // listed once; the serial port has a group but no system.
    QCOMPARE(tree->topLevelItemCount(), 3);
    QTreeWidgetItem *asrl = tree->topLevelItem(0);
    QTreeWidgetItem *tcpip = tree->topLevelItem(1);
    QTreeWidgetItem *vxi = tree->topLevelItem(2);
    QCOMPARE(columns(asrl), QStringList({"ASRL1", ""}));
    QCOMPARE(asrl->childCount(), 0);
    QCOMPARE(columns(tcpip), QStringList({"TCPIP0", ""}));
    QCOMPARE(columns(vxi), QStringList({"VXI0", ""}));
    for (QTreeWidgetItem *group : {asrl, tcpip, vxi}) {
        QCOMPARE(group->flags(), Qt::ItemFlags(Qt::ItemIsEnabled));
        QVERIFY(group->isExpanded());
    }

    QCOMPARE(tcpip->childCount(), 1);
    QTreeWidgetItem *lxi = tcpip->child(0);
    QCOMPARE(columns(lxi), QStringList({"192.168.2.100 - 3394 LXI", ""}));
    QCOMPARE(lxi->flags(), Qt::ItemFlags(Qt::ItemIsEnabled));
    QVERIFY(lxi->isExpanded());
    QCOMPARE(lxi->childCount(), 2);
    QCOMPARE(columns(lxi->child(0)), QStringList({"FC 1", "5170"}));
    QCOMPARE(columns(lxi->child(1)), QStringList({"FC 2", "6052-B1"}));

    QCOMPARE(vxi->childCount(), 2);
    QTreeWidgetItem *slot5 = vxi->child(0);
    QTreeWidgetItem *slot9 = vxi->child(1);
    QCOMPARE(columns(slot5), QStringList({"Slot 5 - 3394 MB", ""}));
    QCOMPARE(columns(slot9), QStringList({"Slot 9 - 3394 MB", ""}));
    QCOMPARE(columns(slot5->child(0)), QStringList({"FC 1", "4720"}));
    QCOMPARE(columns(slot5->child(1)), QStringList({"FC 2", "5170"}));
    QCOMPARE(columns(slot9->child(0)), QStringList({"FC 3", "5170"}));
    QCOMPARE(columns(slot9->child(1)), QStringList({"FC 4", "4921"}));

    // Card items: selectable when supported, greyed otherwise; both carry
    // the card number and the descriptor under the status-tip role.
    struct Card
    {
        QTreeWidgetItem *item;
        int number;
        QString descriptor;
    };
    const Card cards[] = {
        {lxi->child(0), 1, "TCPIP0::192.168.2.100::INSTR"},
        {lxi->child(1), 0, "TCPIP0::192.168.2.100::INSTR"},
        {slot5->child(0), 0, "VXI0::1::INSTR"},
        {slot5->child(1), 2, "VXI0::1::INSTR"},
        {slot9->child(0), 3, "VXI0::5::INSTR"},
        {slot9->child(1), 0, "VXI0::5::INSTR"},
    };
    for (const Card &card : cards) {
        QCOMPARE(card.item->data(0, Qt::StatusTipRole).toInt(), card.number);
        QCOMPARE(card.item->data(1, Qt::StatusTipRole).toString(), card.descriptor);
        QCOMPARE(card.item->flags(),
                 card.number ? Qt::ItemIsSelectable | Qt::ItemIsEnabled
                             : Qt::ItemFlags(Qt::NoItemFlags));
        QCOMPARE(card.item->type(), int(QTreeWidgetItem::Type));
    }

    // The last selectable card listed is the scan's own choice.
    QCOMPARE(m_dialog->m_descriptors, QString("VXI0::5::INSTR"));
    QCOMPARE(m_dialog->m_fcNumbers[0], qint16(3));
    QCOMPARE(QThreadPool::globalInstance()->maxThreadCount(), 5);

    const QStringList opens = sfptest::trace({"viOpen(", "viOpenDefaultRM"});
    const QStringList closes = sfptest::trace({"viClose("});
    QCOMPARE(opens.size(), 6);
    QCOMPARE(closes.size(), 7); // and the find list
}

void tst_Scan::lxiDuplicates()
{
    // Two descriptors of one box are listed once, under the one found first;
    // two boxes whose addresses could not be read both stay.
    QVERIFY(sfpsim::loadDescription(lxiSystemsDescription));
    QCOMPARE(m_dialog->findFunctionCards(), 3);
    QTreeWidgetItem *group = m_dialog->m_tree->topLevelItem(0);
    QCOMPARE(m_dialog->m_tree->topLevelItemCount(), 1);
    QCOMPARE(group->childCount(), 3);
    QStringList systems;
    for (int i = 0; i < group->childCount(); ++i)
        systems << group->child(i)->text(0) + " "
                + group->child(i)->child(0)->data(1, Qt::StatusTipRole).toString();
    // Host names sort before dotted addresses of the same board.
    QCOMPARE(systems,
             QStringList({"10.0.0.2 - 3394 LXI TCPIP0::box.lab::INSTR",
                          " - 3394 LXI TCPIP0::10.0.0.7::INSTR",
                          " - 3394 LXI TCPIP0::10.0.0.8::INSTR"}));
}

void tst_Scan::cardLimit_data()
{
    QTest::addColumn<int>("motherboards");
    QTest::addColumn<int>("cardsEach");
    QTest::addColumn<int>("expected");
    QTest::addColumn<bool>("message");
    QTest::addColumn<int>("systems"); // listed after the limit
    QTest::addColumn<int>("lastSystemCards"); // rows of the system with the 256th card
    QTest::newRow("255") << 32 << 8 << 255 << false << 32 << 8; // one card less, below
    QTest::newRow("256") << 32 << 8 << 256 << true << 32 << 8;
    QTest::newRow("300") << 38 << 8 << 256 << true << 32 << 8;
    // 256 = 36 x 7 + 4: the limit falls on the fourth card of the 37th system.
    QTest::newRow("limit inside a system") << 40 << 7 << 256 << true << 37 << 4;
}

void tst_Scan::cardLimit()
{
    QFETCH(int, motherboards);
    QFETCH(int, cardsEach);
    QFETCH(int, expected);
    QFETCH(bool, message);
    QFETCH(int, systems);
    QFETCH(int, lastSystemCards);

    // The message belongs to the window the operator is looking at: that
    // window is made the active one again whenever the progress dialog,
    // which took the activation, has gone.
    QWidget operatorWindow;
    operatorWindow.show();
    QApplication::setActiveWindow(&operatorWindow);
    ReactivateAfterProgress keepActive(&operatorWindow);
    std::string description = vxiSystem(motherboards, cardsEach);
    if (expected == 255) {
        // The last motherboard holds one card of another model.
        const auto last = description.rfind("20848");
        description.replace(last, 5, "1234");
    }
    QVERIFY(sfpsim::loadDescription(description));
    auto answer = sfptest::answerNextModal("Continue", 20000);
    QCOMPARE(m_dialog->findFunctionCards(), expected);
    QCOMPARE(selectableItems(m_dialog->m_tree), expected);
    if (!message) {
        // The answerer is still waiting: give it a box of our own, which it
        // must be the first to see.
        QVERIFY(!answer->answered);
        QMessageBox probe(QMessageBox::NoIcon, "probe", "probe");
        probe.addButton("Continue", QMessageBox::AcceptRole);
        probe.exec();
        QCOMPARE(answer->title, QString("probe"));
        return;
    }
    QVERIFY(answer->answered);
    QCOMPARE(answer->title, QString("Orbelan 5170 SFP: Select Function Card"));
    QCOMPARE(answer->text,
             QString("Found more Function Cards than supported by this SoftFrontPanel. Only first "
                     "256 are available.\nPlease contact Tarvex's support if you need support for "
                     "more cards."));
    QCOMPARE(answer->buttons, QStringList("Continue"));
    QCOMPARE(answer->defaultButton, QString("Continue"));
    QCOMPARE(answer->icon, QString("Question"));
    QCOMPARE(answer->parent.data(), &operatorWindow);
    // Nothing is listed after the 256th card, not even the rest of its
    // system; the system that holds it is expanded.
    const QTreeWidgetItem *group = m_dialog->m_tree->topLevelItem(0);
    QCOMPARE(m_dialog->m_tree->topLevelItemCount(), 1);
    QCOMPARE(group->childCount(), systems);
    QVERIFY(group->child(systems - 1)->isExpanded());
    QCOMPARE(group->child(systems - 1)->childCount(), lastSystemCards);
    QCOMPARE(m_dialog->m_fcNumbers[0], qint16(lastSystemCards));
    QCOMPARE(QThreadPool::globalInstance()->maxThreadCount(), motherboards);
}

void tst_Scan::progressWhileExamining()
{
    // A network resource that takes its time, so that the progress dialog
    // is up long enough to be looked at.
    QVERIFY(sfpsim::loadDescription(R"({"resources": [
        {"descriptor": "TCPIP0::10.0.0.3::INSTR", "openTimeMs": 600,
         "motherboard": {"code": 3394, "cards": [{"position": 1, "code": "0x5170"}]}},
        {"descriptor": "VXI0::4::INSTR", "slot": 3,
         "motherboard": {"code": 2898, "cards": [{"position": 2, "code": "0x5170"}]}}
    ]})"));
    sfptest::clearTrace();
    struct Seen
    {
        QString className;
        QString title;
        QString label;
        int visibleButtons = -1;
        QWidget *parent = nullptr;
        bool modal = false;
    } seen;
    QTimer::singleShot(300, this, [&seen] {
        auto *progress = qobject_cast<QProgressDialog *>(QApplication::activeModalWidget());
        if (!progress)
            return;
        seen.className = QStringLiteral("QProgressDialog");
        seen.title = progress->windowTitle();
        seen.label = progress->labelText();
        seen.visibleButtons = 0;
        const QList<QPushButton *> buttons = progress->findChildren<QPushButton *>();
        for (const QPushButton *button : buttons)
            seen.visibleButtons += button->isVisible() ? 1 : 0;
        seen.parent = progress->parentWidget();
        seen.modal = progress->isModal();
    });
    QCOMPARE(m_dialog->findFunctionCards(), 2);
    QCOMPARE(seen.className, QString("QProgressDialog"));
    QCOMPARE(seen.title, QString("Orbelan 5170"));
    QCOMPARE(seen.label, QString("Searching..."));
    QCOMPARE(seen.visibleButtons, 0); // no way to cancel the search
    QCOMPARE(seen.parent, m_dialog.get());
    QVERIFY(seen.modal);
    QCOMPARE(QApplication::activeModalWidget(), nullptr);

    // Only instrument resources are asked for.
    const QStringList finds = sfptest::trace({"viFindRsrc("});
    QCOMPARE(finds.size(), 1);
    QVERIFY2(finds.first().endsWith(", \"?*INSTR\") = 0"), qPrintable(finds.first()));
}

void tst_Scan::progressStaysUntilDone()
{
    QVERIFY(sfpsim::loadDescription(R"({"resources": [
        {"descriptor": "TCPIP0::10.0.0.3::INSTR", "openTimeMs": 1500,
         "motherboard": {"code": 3394, "cards": [{"position": 1, "code": "0x5170"}]}}
    ]})"));
    // Esc, then the window's close button, while the open still sleeps.
    QPointer<QProgressDialog> progress;
    bool upAfterEsc = false;
    bool upAfterClose = false;
    QTimer::singleShot(200, this, [&] {
        progress = qobject_cast<QProgressDialog *>(QApplication::activeModalWidget());
        if (!progress)
            return;
        // Neither Return nor Esc ends it.
        QTest::keyClick(progress, Qt::Key_Return);
        QTest::keyClick(progress, Qt::Key_Escape);
        upAfterEsc = progress->isVisible();
    });
    QTimer::singleShot(400, this, [&] {
        if (!progress || !progress->windowHandle())
            return;
        // As the window system delivers the title bar's close button.
        QCloseEvent close;
        QCoreApplication::sendEvent(progress->windowHandle(), &close);
        upAfterClose = progress->isVisible();
    });
    // The GUI goes on: a timer keeps firing with the dialog up, to the end.
    int ticksWithDialogAfterClose = 0;
    QTimer ticker;
    connect(&ticker, &QTimer::timeout, this, [&] {
        if (upAfterClose && progress && progress->isVisible())
            ++ticksWithDialogAfterClose;
    });
    ticker.start(20);

    QCOMPARE(m_dialog->findFunctionCards(), 1);
    ticker.stop();
    QVERIFY(upAfterEsc);
    QVERIFY(upAfterClose);
    // About a second of the open was still to go after the close.
    QVERIFY2(ticksWithDialogAfterClose >= 10,
             qPrintable(QString::number(ticksWithDialogAfterClose)));
    QCOMPARE(QApplication::activeModalWidget(), nullptr);
    QCOMPARE(m_dialog->m_tree->topLevelItem(0)->text(0), QString("TCPIP0"));
}

void tst_Scan::lowerCaseTcpipInParallel()
{
    QVERIFY(sfpsim::loadDescription(R"({"resources": [
        {"descriptor": "tcpip0::10.0.0.3::INSTR", "openTimeMs": 5,
         "motherboard": {"code": 3394, "cards": [{"position": 1, "code": "0x5171"}]}},
        {"descriptor": "VXI0::2::INSTR", "slot": 1,
         "motherboard": {"code": 2898, "cards": [{"position": 1, "code": "0x5172"}]}}
    ]})"));
    QCOMPARE(m_dialog->findFunctionCards(), 0);
    const QList<ViUInt16> codes = m_fc.codes();
    const QList<QThread *> threads = m_fc.threads();
    QCOMPARE(codes.size(), 2);
    for (int i = 0; i < codes.size(); ++i) {
        const bool network = codes[i] == 0x5171;
        QCOMPARE(threads[i] != QThread::currentThread(), network);
    }
    // A system without a selectable card is listed collapsed.
    const QTreeWidgetItem *vxi = m_dialog->m_tree->topLevelItem(0);
    QCOMPARE(vxi->text(0), QString("VXI0"));
    QCOMPARE(m_dialog->m_tree->topLevelItem(1)->text(0), QString("tcpip0"));
    QVERIFY(!vxi->child(0)->isExpanded());
    QCOMPARE(QThreadPool::globalInstance()->maxThreadCount(), 2);
}

// A descriptor that fills the library's buffer to its last character but
// one (255 characters and the terminator) is examined whole: a character
// less names no resource.
void tst_Scan::longestDescriptor()
{
    const QString descriptor = "TCPIP0::" + QString(240, QLatin1Char('h')) + "::INSTR";
    QCOMPARE(descriptor.size(), 255);
    QVERIFY(sfpsim::loadDescription(QStringLiteral(R"({"resources": [
        {"descriptor": "%1",
         "motherboard": {"code": 3394, "cards": [{"position": 1, "code": "0x5170"}]}}]})")
                                        .arg(descriptor)
                                        .toStdString()));
    QCOMPARE(m_dialog->findFunctionCards(), 1);
    QCOMPARE(m_fc.codes(), QList<ViUInt16> {0x5170});
}

void tst_Scan::repeatedScan()
{
    QCOMPARE(m_dialog->findFunctionCards(), 3);
    QCOMPARE(m_dialog->findFunctionCards(), 3);
    QCOMPARE(m_dialog->m_tree->topLevelItemCount(), 3);
}

namespace {

// A system of `count` LXI boxes at 10.1.x.y, each with one card, whose open
// takes openTimeMs.
std::string lxiBoxes(int count, int openTimeMs)
{
    QString resources;
    for (int i = 0; i < count; ++i)
        resources += QStringLiteral("%1{\"descriptor\": \"TCPIP0::10.1.%2.%3::INSTR\", "
                                    "\"openTimeMs\": %5, \"motherboard\": {\"code\": 3394, "
                                    "\"cards\": [{\"position\": %4, \"code\": 20848}]}}")
                         .arg(i ? "," : "")
                         .arg(i / 100)
                         .arg(i % 100)
                         .arg(i % 8 + 1)
                         .arg(openTimeMs);
    return QStringLiteral("{\"resources\": [%1]}").arg(resources).toStdString();
}

} // namespace

void tst_Scan::manyNetworkResources()
{
    // 200 LXI boxes examined by 128 threads at once, each with its own
    // session; every card is found and every session closed again.
    QVERIFY(sfpsim::loadDescription(lxiBoxes(200, 0)));
    QCOMPARE(m_dialog->findFunctionCards(), 200);
    QCOMPARE(QThreadPool::globalInstance()->maxThreadCount(), 128);
    const QTreeWidgetItem *group = m_dialog->m_tree->topLevelItem(0);
    QCOMPARE(group->childCount(), 200);
    // Sorted by address: 10.1.0.x before 10.1.1.x, each part as a number.
    QCOMPARE(group->child(0)->text(0), QString("10.1.0.0 - 3394 LXI"));
    QCOMPARE(group->child(1)->text(0), QString("10.1.0.1 - 3394 LXI"));
    QCOMPARE(group->child(10)->text(0), QString("10.1.0.10 - 3394 LXI"));
    QCOMPARE(group->child(199)->text(0), QString("10.1.1.99 - 3394 LXI"));
    QCOMPARE(m_fc.codes().size(), 200);
    // The System column fits its longest entry.
    const QAbstractItemView *view = m_dialog->m_tree;
    const int needed = view->sizeHintForColumn(0);
    QVERIFY2(
        m_dialog->m_tree->columnWidth(0) >= needed,
        qPrintable(QStringLiteral("%1 < %2").arg(m_dialog->m_tree->columnWidth(0)).arg(needed)));
}

void tst_Scan::networkResourcesExaminedTogether()
{
    // 200 LXI boxes that take 100 ms each to answer: the scan waits for
    // them side by side, not one after the other (20 s).
    QVERIFY(sfpsim::loadDescription(lxiBoxes(200, 100)));
    sfpsim::resetPeakOpensInProgress();
    QCOMPARE(m_dialog->findFunctionCards(), 200);
    const int peak = sfpsim::peakOpensInProgress();
    QVERIFY2(peak >= 32, qPrintable(QStringLiteral("at most %1 at once").arg(peak)));
}

void tst_Scan::selectionDialogLayout()
{
    QCOMPARE(m_dialog->windowTitle(), QString("Orbelan 5170 SFP: Select Function Card"));
    QCOMPARE(m_dialog->parent(), nullptr);
    QCOMPARE(m_dialog->m_tree->columnCount(), 2);
    QCOMPARE(m_dialog->m_tree->headerItem()->text(0), QString("System"));
    QCOMPARE(m_dialog->m_tree->headerItem()->text(1), QString("FC Model"));
    const int fontHeight = m_dialog->fontMetrics().height();
    QCOMPARE(m_dialog->m_tree->minimumWidth(), 24 * fontHeight);
    QCOMPARE(m_dialog->m_tree->minimumHeight(), 24 * fontHeight);
    QCOMPARE(m_dialog->m_tree->selectionMode(), QAbstractItemView::SingleSelection);
    QCOMPARE(m_dialog->m_okButton->text(), QString("OK"));
    QCOMPARE(m_dialog->m_cancelButton->text(), QString("Cancel"));
    QCOMPARE(m_dialog->m_demoMode, 0);
    QCOMPARE(m_dialog->m_session, ViSession(0));
    QVERIFY(!m_dialog->windowIcon().isNull());
    qx2010fp_fcSelect multi(&m_fc, 1);
    QCOMPARE(multi.m_tree->selectionMode(), QAbstractItemView::ExtendedSelection);
    // Sized to its contents before it is centred and shown.
    QCOMPARE(multi.size(), multi.sizeHint());

    // Cancel rejects and leaves the result alone.
    m_dialog->m_descriptors = "kept";
    QTimer::singleShot(0, m_dialog->m_cancelButton, &QPushButton::click);
    QCOMPARE(m_dialog->exec(), int(QDialog::Rejected));
    QCOMPARE(m_dialog->m_descriptors, QString("kept"));
}

void tst_Scan::okButton()
{
    QCOMPARE(m_dialog->findFunctionCards(), 3);
    QSignalSpy accepted(m_dialog.get(), &QDialog::accepted);

    // Nothing selected: the dialog stays, the result is empty.
    m_dialog->m_descriptors = "old";
    m_dialog->okPressed();
    QCOMPARE(accepted.size(), 0);
    QCOMPARE(m_dialog->m_fcCount, 0);
    QVERIFY(m_dialog->m_descriptors.isEmpty());
    QVERIFY(m_dialog->m_selectedItems.isEmpty());

    QTreeWidgetItem *vxiCard = m_dialog->m_tree->topLevelItem(2)->child(0)->child(1);
    vxiCard->setSelected(true);
    m_dialog->okPressed();
    QCOMPARE(accepted.size(), 1);
    QCOMPARE(m_dialog->result(), int(QDialog::Accepted));
    QCOMPARE(m_dialog->m_fcCount, 1);
    QCOMPARE(m_dialog->m_descriptors, QString("VXI0::1::INSTR"));
    QCOMPARE(m_dialog->m_fcNumbers[0], qint16(2));
}

void tst_Scan::okWithSeveralCards()
{
    qx2010fp_fcSelect dialog(&m_fc, 1);
    QCOMPARE(dialog.findFunctionCards(), 3);
    QTreeWidgetItem *vxi = dialog.m_tree->topLevelItem(2);
    vxi->child(0)->child(1)->setSelected(true);
    vxi->child(1)->child(0)->setSelected(true);
    dialog.okPressed();
    QCOMPARE(dialog.result(), int(QDialog::Accepted));
    QCOMPARE(dialog.m_fcCount, 2);
    QCOMPARE(dialog.m_descriptors, QString("VXI0::1::INSTR,VXI0::5::INSTR"));
    QCOMPARE(dialog.m_fcNumbers[0], qint16(2));
    QCOMPARE(dialog.m_fcNumbers[1], qint16(3));
    QCOMPARE(dialog.m_selectedItems.size(), 2);
}

void tst_Scan::doubleClicks()
{
    qx2010fp_fcSelect dialog(&m_fc, 1);
    QCOMPARE(dialog.findFunctionCards(), 3);
    QSignalSpy accepted(&dialog, &QDialog::accepted);
    QTreeWidget *tree = dialog.m_tree;
    QTreeWidgetItem *lxiCard = tree->topLevelItem(1)->child(0)->child(0);
    QTreeWidgetItem *slot5Card = tree->topLevelItem(2)->child(0)->child(1);
    QTreeWidgetItem *slot9Card = tree->topLevelItem(2)->child(1)->child(0);

    dialog.m_descriptors = "unchanged";
    for (QTreeWidgetItem *item : {tree->topLevelItem(2), tree->topLevelItem(2)->child(0),
                                  tree->topLevelItem(2)->child(0)->child(0)}) {
        emit tree->itemDoubleClicked(item, 0);
        QCOMPARE(accepted.size(), 0);
        QCOMPARE(dialog.m_descriptors, QString("unchanged"));
    }

    // A double click on a card while no item is current: only the hint, on
    // the debug output.
    tree->setCurrentItem(nullptr);
    QTest::ignoreMessage(QtDebugMsg,
                         "Select one available function card and then click \"OK\" "
                         "\nor click \"Cancel\" to quit");
    emit tree->itemDoubleClicked(slot5Card, 0);
    QCOMPARE(accepted.size(), 0);

    // Two cards selected, a third double-clicked: that one alone is chosen.
    lxiCard->setSelected(true);
    slot9Card->setSelected(true);
    tree->setCurrentItem(slot5Card, 0, QItemSelectionModel::NoUpdate);
    emit tree->itemDoubleClicked(slot5Card, 1);
    QCOMPARE(accepted.size(), 1);
    QCOMPARE(dialog.m_fcCount, 1);
    QCOMPARE(dialog.m_descriptors, QString("VXI0::1::INSTR"));
    QCOMPARE(dialog.m_fcNumbers[0], qint16(2));
}

SFPTEST_MAIN(tst_Scan)
#include "tst_scan.moc"
