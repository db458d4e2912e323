// SPDX-FileCopyrightText: 2026 Tarvex
// SPDX-License-Identifier: MIT
// The test-support library itself: every other suite relies on it, so its
// answers must be what the dialogs really showed and did.
#include "sfptest.h"

#include "qx5170.h"
#include "sim_control.h"

#include <QDialog>
#include <QLabel>
#include <QMessageBox>
#include <QPushButton>
#include <QRegularExpression>
#include <QTemporaryDir>
#include <QTest>

#include <cstdio>
#include <cstdlib>

SFPTEST_CHILD(exitsWithThree)
{
    std::fputs("child says hello\n", stdout);
    std::fflush(stdout);
    std::exit(3);
}

SFPTEST_CHILD(returnsNormally) { }

SFPTEST_CHILD(aborts)
{
    std::abort();
}

SFPTEST_CHILD(tracesADriverCall)
{
    std::printf("SFPTEST_PROBE=%s\n", qgetenv("SFPTEST_PROBE").constData());
    char revision[qx5170_REVISION_BUFLEN] = {};
    qx5170_revision_query(VI_NULL, revision, VI_NULL);
}

namespace {

// A message box whose buttons are added in a known order, with a known
// default and escape button.
struct TestBox
{
    TestBox()
        : box(QMessageBox::Warning, QStringLiteral("Box title"), QStringLiteral("Box text"))
    {
        buttons = {box.addButton(QStringLiteral("&First"), QMessageBox::AcceptRole),
                   box.addButton(QStringLiteral("Sec&ond"), QMessageBox::RejectRole),
                   box.addButton(QStringLiteral("Fish && Chips"), QMessageBox::ActionRole)};
        box.setDefaultButton(buttons.at(1));
        box.setEscapeButton(buttons.at(2));
    }
    QMessageBox box;
    QList<QPushButton *> buttons;
};

} // namespace

class tst_TestSupport final : public QObject
{
    Q_OBJECT

private slots:
    void init();

    // answering modal dialogs
    void answersAndRecords_data();
    void answersAndRecords();
    void missingButtonRejectsInsteadOfHanging();
    void recordsOtherDialogs();
    void answersAChain();
    void dismissesStrayDialogs();

    // child processes
    void childProcesses_data();
    void childProcesses();
    void childEnvironmentAndTraceFile();

    // trace
    void traceFilters();
    void traceLogInterleaves();
};

void tst_TestSupport::init()
{
    sfpsim::loadDefaultSystem();
    sfpsim::clearFaults();
    sfptest::clearTrace();
}

void tst_TestSupport::answersAndRecords_data()
{
    QTest::addColumn<QString>("how"); // a button's text, "" for Esc, "close" for the window
    QTest::addColumn<int>("clicked");
    QTest::newRow("first") << QStringLiteral("First") << 0;
    QTest::newRow("second") << QStringLiteral("Second") << 1;
    QTest::newRow("doubled ampersand") << QStringLiteral("Fish & Chips") << 2;
    QTest::newRow("Esc") << QString() << 2;
    QTest::newRow("close") << QStringLiteral("close") << 2;
}

void tst_TestSupport::answersAndRecords()
{
    QFETCH(QString, how);
    QFETCH(int, clicked);
    TestBox test;
    const auto answer
        = how == QLatin1String("close") ? sfptest::closeNextModal() : sfptest::answerNextModal(how);
    test.box.exec();
    QVERIFY(answer->answered);
    QCOMPARE(test.box.clickedButton(), test.buttons.at(clicked));
    QCOMPARE(answer->className, QStringLiteral("QMessageBox"));
    QCOMPARE(answer->title, QStringLiteral("Box title"));
    QCOMPARE(answer->text, QStringLiteral("Box text"));
    QCOMPARE(answer->buttons,
             QStringList({QStringLiteral("First"), QStringLiteral("Second"),
                          QStringLiteral("Fish & Chips")}));
    QCOMPARE(answer->defaultButton, QStringLiteral("Second"));
    QCOMPARE(answer->icon, QStringLiteral("Warning"));
    QVERIFY(!answer->hadParent);
}

void tst_TestSupport::missingButtonRejectsInsteadOfHanging()
{
    QDialog dialog;
    auto *ok = new QPushButton(QStringLiteral("OK"), &dialog);
    connect(ok, &QPushButton::clicked, &dialog, &QDialog::accept);
    QTest::ignoreMessage(QtWarningMsg, QRegularExpression(QStringLiteral("has no button")));
    const auto answer = sfptest::answerNextModal(QStringLiteral("Nonexistent"));
    QCOMPARE(dialog.exec(), int(QDialog::Rejected));
    QVERIFY(!answer->answered);
    QCOMPARE(answer->buttons, QStringList({QStringLiteral("OK")}));
}

void tst_TestSupport::recordsOtherDialogs()
{
    QWidget window;
    QDialog dialog(&window);
    dialog.setWindowTitle(QStringLiteral("Plain dialog"));
    new QLabel(QStringLiteral("Label text"), &dialog);
    auto *accept = new QPushButton(QStringLiteral("&Accept"), &dialog);
    connect(accept, &QPushButton::clicked, &dialog, &QDialog::accept);
    const auto answer = sfptest::answerNextModal(QStringLiteral("Accept"));
    QCOMPARE(dialog.exec(), int(QDialog::Accepted));
    QVERIFY(answer->answered);
    QCOMPARE(answer->className, QStringLiteral("QDialog"));
    QCOMPARE(answer->title, QStringLiteral("Plain dialog"));
    QCOMPARE(answer->text, QStringLiteral("Label text"));
    QCOMPARE(answer->icon, QStringLiteral("NoIcon"));
    QVERIFY(answer->hadParent);
    QCOMPARE(answer->parent.data(), &window);
}

void tst_TestSupport::answersAChain()
{
    std::shared_ptr<sfptest::ModalAnswer> second;
    const auto first = sfptest::answerNextModal(
        QString(), 5000, [&second] { second = sfptest::answerNextModal(QStringLiteral("First")); });
    TestBox one;
    one.box.exec();
    TestBox two;
    two.box.setWindowTitle(QStringLiteral("Second box"));
    two.box.exec();
    QVERIFY(first->answered);
    QCOMPARE(one.box.clickedButton(), one.buttons.at(2));
    QVERIFY(second);
    QVERIFY(second->answered);
    QCOMPARE(second->title, QStringLiteral("Second box"));
    QCOMPARE(two.box.clickedButton(), two.buttons.at(0));
}

void tst_TestSupport::dismissesStrayDialogs()
{
    sfptest::dismissStrayModals(100);
    TestBox stray;
    QTest::ignoreMessage(QtWarningMsg, QRegularExpression(QStringLiteral("nobody answered")));
    stray.box.exec();
    sfptest::dismissStrayModals();
    QCOMPARE(stray.box.clickedButton(), stray.buttons.at(2));
    QCOMPARE(sfptest::takeStrayModals(), QStringList {QStringLiteral("Box title: Box text")});
    QCOMPARE(sfptest::takeStrayModals(), QStringList());
}

void tst_TestSupport::childProcesses_data()
{
    QTest::addColumn<QString>("name");
    QTest::addColumn<bool>("crashed");
    QTest::addColumn<int>("exitStatus");
    QTest::addColumn<QByteArray>("output");
    QTest::newRow("exit") << QStringLiteral("exitsWithThree") << false << 3
                          << QByteArrayLiteral("child says hello");
    QTest::newRow("body returns") << QStringLiteral("returnsNormally") << false
                                  << sfptest::childReturnedStatus << QByteArray();
    QTest::newRow("crash") << QStringLiteral("aborts") << true << -1 << QByteArray();
    QTest::newRow("unknown") << QStringLiteral("noSuchChild") << false
                             << sfptest::childUnknownStatus << QByteArrayLiteral("noSuchChild");
}

void tst_TestSupport::childProcesses()
{
    QFETCH(QString, name);
    QFETCH(bool, crashed);
    QFETCH(int, exitStatus);
    QFETCH(QByteArray, output);
    const sfptest::ChildResult result = sfptest::runInChild(name);
    QVERIFY(result.started);
    QVERIFY(!result.timedOut);
    QCOMPARE(result.crashed, crashed);
    if (!crashed)
        QCOMPARE(result.exitStatus, exitStatus);
    QVERIFY2(result.output.contains(output), result.output.constData());
}

void tst_TestSupport::childEnvironmentAndTraceFile()
{
    QTemporaryDir dir;
    QVERIFY(dir.isValid());
    const QString path = dir.filePath(QStringLiteral("trace.txt"));
    const sfptest::ChildResult result = sfptest::runInChild(
        QStringLiteral("tracesADriverCall"),
        {QStringLiteral("SFP_SIM_TRACE=") + path, QStringLiteral("SFPTEST_PROBE=a=b c")});
    QCOMPARE(result.exitStatus, sfptest::childReturnedStatus);
    QVERIFY2(result.output.contains("SFPTEST_PROBE=a=b c\n"), result.output.constData());
    QCOMPARE(sfptest::traceFile(path, {QStringLiteral("qx5170_")}),
             QStringList({QStringLiteral("qx5170_revision_query(0) = 0")}));
    // The child's calls are its own: nothing reached this process's trace.
    QVERIFY(sfptest::trace().isEmpty());
}

void tst_TestSupport::traceFilters()
{
    char revision[qx5170_REVISION_BUFLEN] = {};
    QCOMPARE(qx5170_revision_query(VI_NULL, revision, VI_NULL), VI_SUCCESS);
    ViSession vi = VI_NULL;
    QCOMPARE(qx5170_init(const_cast<char *>("VXI0::1::INSTR"), 2, VI_TRUE, VI_TRUE, &vi),
             VI_SUCCESS);
    QCOMPARE(qx5170_close(vi), VI_SUCCESS);

    const QStringList all = sfptest::trace();
    const QStringList driver = sfptest::trace({QStringLiteral("qx5170_")});
    QCOMPARE(driver.size(), 3);
    QCOMPARE(driver.at(0), QStringLiteral("qx5170_revision_query(0) = 0"));
    QVERIFY(driver.at(1).startsWith(QStringLiteral("qx5170_init(\"VXI0::1::INSTR\", 2, 1, 1)")));
    QVERIFY(driver.at(2).startsWith(QStringLiteral("qx5170_close(")));
    for (const QString &line : driver)
        QVERIFY(all.contains(line));
    QVERIFY(sfptest::trace({QStringLiteral("nothing starts like this")}).isEmpty());
    sfptest::clearTrace();
    QVERIFY(sfptest::trace().isEmpty());
}

void tst_TestSupport::traceLogInterleaves()
{
    char revision[qx5170_REVISION_BUFLEN] = {};
    qx5170_revision_query(VI_NULL, revision, VI_NULL);
    sfptest::TraceLog log({QStringLiteral("qx5170_")});
    log.mark(QStringLiteral("first"));
    qx5170_revision_query(VI_NULL, revision, VI_NULL);
    log.mark(QStringLiteral("second"));
    log.mark(QStringLiteral("third"));
    qx5170_revision_query(VI_NULL, revision, VI_NULL);
    const QString call = QStringLiteral("qx5170_revision_query(0) = 0");
    QCOMPARE(log.events(),
             QStringList({QStringLiteral("first"), call, QStringLiteral("second"),
                          QStringLiteral("third"), call}));
}

SFPTEST_MAIN(tst_TestSupport)
#include "tst_testsupport.moc"
