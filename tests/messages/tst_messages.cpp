// SPDX-FileCopyrightText: 2026 Tarvex
// SPDX-License-Identifier: MIT
// The three message boxes and the driver status report built on them.
#include "messageboxreporter.h"
#include "sfpdriverstatus.h"
#include "sfpmessages.h"
#include "sfptest.h"
#include "testcatalogue.h"
#include "visa.h"

#include <QMessageBox>
#include <QTest>
#include <QWidget>

#include <cstdio>
#include <cstring>

namespace {

enum class Kind { Info, Warning, Error };

void showMessage(Kind kind, const QString &text)
{
    switch (kind) {
    case Kind::Info:
        sfpInfoMessage(text);
        break;
    case Kind::Warning:
        sfpWarningMessage(text);
        break;
    case Kind::Error:
        sfpErrorMessage(text);
        break;
    }
}

// A stand-in for a driver's error-message operation that records how it was
// called and writes what the test asks for.
struct FakeErrorMessage
{
    int calls = 0;
    ViSession session = 12345;
    ViStatus status = 0;
    bool bufferWasCleared = false;
    QByteArray write; // written into the buffer, without a terminator
    ViStatus result = VI_SUCCESS;
};

// The driver's error-message function takes no context: the fake finds its
// record here.
FakeErrorMessage &fake()
{
    static FakeErrorMessage record;
    return record;
}

ViStatus _VI_FUNC fakeErrorMessage(ViSession vi, ViStatus status, ViChar message[])
{
    FakeErrorMessage &record = fake();
    ++record.calls;
    record.session = vi;
    record.status = status;
    record.bufferWasCleared = true;
    for (int i = 0; i < sfp::driverErrorMessageSize; ++i) {
        if (message[i] != 0)
            record.bufferWasCleared = false;
    }
    std::memcpy(message, record.write.constData(),
                size_t(qMin<qsizetype>(record.write.size(), sfp::driverErrorMessageSize)));
    return record.result;
}

// Lives on the stack of a child; its destructor would show if the process
// unwound instead of ending at once.
struct TeardownWitness
{
    ~TeardownWitness()
    {
        std::fputs("teardown ran\n", stdout);
        std::fflush(stdout);
    }
};

} // namespace

SFPTEST_CHILD(errorBoxYes)
{
    TeardownWitness witness;
    const auto answer = sfptest::answerNextModal(QStringLiteral("Yes"));
    sfpErrorMessage(QStringLiteral("Fatal"));
    std::fputs("sfpErrorMessage returned\n", stdout);
}

SFPTEST_CHILD(errorReportYes)
{
    TeardownWitness witness;
    fake().write = QByteArrayLiteral("Broken");
    const auto answer = sfptest::answerNextModal(QStringLiteral("Yes"));
    sfpReportDriverStatus(-1, "call()", fakeErrorMessage);
    std::fputs("sfpReportDriverStatus returned\n", stdout);
}

class tst_Messages final : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase();
    void init();
    void cleanup();

    // message boxes
    void boxes_data();
    void boxes();
    void titleCarriesTheSfpName_data();
    void titleCarriesTheSfpName();
    void parent_data();
    void parent();
    void errorGoesOnUnlessYes_data();
    void errorGoesOnUnlessYes();
    void yesEndsTheProcess_data();
    void yesEndsTheProcess();

    // driver status report
    void successReportsNothing();
    void report_data();
    void report();
    void reportWithoutDriverText_data();
    void reportWithoutDriverText();
    void reportReadsAFullBufferSafely();
    void reportTakesTheCallTextLiterally();
    void operatorsLanguage();
};

void tst_Messages::initTestCase()
{
    sfptest::dismissStrayModals();
}

void tst_Messages::init()
{
    fake() = FakeErrorMessage();
    qx2010fp_sfpName.clear();
}

void tst_Messages::cleanup()
{
    QCOMPARE(sfptest::takeStrayModals(), QStringList());
    qx2010fp_sfpName.clear();
    QApplication::setActiveWindow(nullptr);
}

void tst_Messages::boxes_data()
{
    QTest::addColumn<Kind>("kind");
    QTest::addColumn<QString>("title");
    QTest::addColumn<QString>("icon");
    QTest::addColumn<QStringList>("buttons");
    QTest::addColumn<QString>("text");

    const QString message = QStringLiteral("Relay 5 is stuck");
    QTest::newRow("info") << Kind::Info << QStringLiteral("Orbelan  SFP Info message")
                          << QStringLiteral("Information") << QStringList {QStringLiteral("OK")}
                          << message;
    QTest::newRow("warning") << Kind::Warning << QStringLiteral("Orbelan  SFP Warning message")
                             << QStringLiteral("Warning") << QStringList {QStringLiteral("OK")}
                             << message;
    QTest::newRow("error") << Kind::Error << QStringLiteral("Orbelan  SFP Error message")
                           << QStringLiteral("Critical")
                           << QStringList {QStringLiteral("Yes"), QStringLiteral("No")}
                           << message + QStringLiteral("\nDo you want to exit?");
}

void tst_Messages::boxes()
{
    QFETCH(Kind, kind);
    QFETCH(QString, title);
    QFETCH(QString, icon);
    QFETCH(QStringList, buttons);
    QFETCH(QString, text);

    const QString answerWith = kind == Kind::Error ? QStringLiteral("No") : QStringLiteral("OK");
    const auto answer = sfptest::answerNextModal(answerWith);
    showMessage(kind, QStringLiteral("Relay 5 is stuck"));
    QVERIFY(answer->answered);
    QCOMPARE(answer->className, QStringLiteral("QMessageBox"));
    QCOMPARE(answer->title, title);
    QCOMPARE(answer->icon, icon);
    QCOMPARE(answer->buttons, buttons);
    QCOMPARE(answer->text, text);
    QCOMPARE(answer->defaultButton, buttons.first());
    QVERIFY(answer->title.contains(QStringLiteral("Orbelan  SFP")));
    // Shown as typed: a driver's "<none>" must not vanish as an unknown tag.
    QCOMPARE(answer->textFormat, Qt::PlainText);
}

void tst_Messages::titleCarriesTheSfpName_data()
{
    QTest::addColumn<Kind>("kind");
    QTest::addColumn<QString>("title");
    QTest::newRow("info") << Kind::Info << QStringLiteral("Orbelan Relay SFP Info message");
    QTest::newRow("warning") << Kind::Warning
                             << QStringLiteral("Orbelan Relay SFP Warning message");
    QTest::newRow("error") << Kind::Error << QStringLiteral("Orbelan Relay SFP Error message");
}

void tst_Messages::titleCarriesTheSfpName()
{
    QFETCH(Kind, kind);
    QFETCH(QString, title);
    qx2010fp_sfpName = QStringLiteral("Relay");
    const auto answer = sfptest::answerNextModal(QString());
    showMessage(kind, QStringLiteral("x"));
    QVERIFY(answer->answered);
    QCOMPARE(answer->title, title);
}

void tst_Messages::parent_data()
{
    QTest::addColumn<bool>("active");
    QTest::newRow("active window") << true;
    QTest::newRow("no active window") << false;
}

void tst_Messages::parent()
{
    QFETCH(bool, active);
    QWidget window;
    window.show();
    QApplication::setActiveWindow(active ? &window : nullptr);
    QCOMPARE(QApplication::activeWindow(), active ? &window : nullptr);
    const auto answer = sfptest::answerNextModal(QStringLiteral("OK"));
    sfpWarningMessage(QStringLiteral("x"));
    QVERIFY(answer->answered);
    QCOMPARE(answer->hadParent, active);
    QCOMPARE(answer->parent.data(), active ? &window : nullptr);
}

void tst_Messages::errorGoesOnUnlessYes_data()
{
    QTest::addColumn<QString>("how");
    QTest::newRow("No") << QStringLiteral("No");
    QTest::newRow("Escape") << QString();
    QTest::newRow("closing the box") << QStringLiteral("close");
}

void tst_Messages::errorGoesOnUnlessYes()
{
    QFETCH(QString, how);
    const auto answer
        = how == QLatin1String("close") ? sfptest::closeNextModal() : sfptest::answerNextModal(how);
    sfpErrorMessage(QStringLiteral("Something failed"));
    // Still running here is the point: the box returned to its caller.
    QVERIFY(answer->answered);
    QCOMPARE(answer->icon, QStringLiteral("Critical"));
}

void tst_Messages::yesEndsTheProcess_data()
{
    QTest::addColumn<QString>("child");
    QTest::newRow("error box") << QStringLiteral("errorBoxYes");
    QTest::newRow("status report") << QStringLiteral("errorReportYes");
}

void tst_Messages::yesEndsTheProcess()
{
    QFETCH(QString, child);
    const sfptest::ChildResult result = sfptest::runInChild(child);
    QVERIFY(result.started);
    QVERIFY2(!result.crashed, result.output.constData());
    QCOMPARE(result.exitStatus, 0);
    QVERIFY(!result.output.contains("returned"));
    QVERIFY(!result.output.contains("teardown ran"));
}

void tst_Messages::successReportsNothing()
{
    // A box here would block until the suite's time-out; the fake shows
    // that the driver was not even asked for a text.
    sfpReportDriverStatus(VI_SUCCESS, "call()", fakeErrorMessage);
    QCOMPARE(fake().calls, 0);
    QCOMPARE(QApplication::activeModalWidget(), nullptr);
    QVERIFY(sfp::driverStatusText(VI_SUCCESS, "call()", fakeErrorMessage).isNull());
    QCOMPARE(fake().calls, 0);
    // Nor does the card session's reporter show anything for it (a box
    // would wait for the stray-box watch to close it).
    sfp::MessageBoxReporter reporter;
    reporter.reportStatus(VI_SUCCESS, QStringLiteral("call()"), QStringLiteral("update: "));
    QCOMPARE(sfptest::takeStrayModals(), QStringList());
}

void tst_Messages::report_data()
{
    QTest::addColumn<ViStatus>("status");
    QTest::addColumn<QByteArray>("driverText");
    QTest::addColumn<QString>("title");
    QTest::addColumn<QString>("icon");
    QTest::addColumn<QStringList>("buttons");
    QTest::addColumn<QString>("text");

    const QStringList yesNo {QStringLiteral("Yes"), QStringLiteral("No")};
    const QStringList ok {QStringLiteral("OK")};
    QTest::newRow("negative") << ViStatus(-1073807339) << QByteArrayLiteral("Timeout expired.")
                              << QStringLiteral("Orbelan  SFP Error message")
                              << QStringLiteral("Critical") << yesNo
                              << QStringLiteral("qx5170_updateRelaysState(d_vi) failed due to "
                                                "[Timeout expired.]\nDo you want to exit?");
    QTest::newRow("most negative")
        << ViStatus(INT32_MIN) << QByteArrayLiteral("Lowest")
        << QStringLiteral("Orbelan  SFP Error message") << QStringLiteral("Critical") << yesNo
        << QStringLiteral("qx5170_updateRelaysState(d_vi) failed due "
                          "to [Lowest]\nDo you want to exit?");
    QTest::newRow("positive") << ViStatus(0x3FFC0101) << QByteArrayLiteral("Reset not supported.")
                              << QStringLiteral("Orbelan  SFP Warning message")
                              << QStringLiteral("Warning") << ok
                              << QStringLiteral("Warning: [Reset not supported.]");
    QTest::newRow("latin-1 text") << ViStatus(-5) << QByteArray("R\xE9sistance \xB5")
                                  << QStringLiteral("Orbelan  SFP Error message")
                                  << QStringLiteral("Critical") << yesNo
                                  << QStringLiteral("qx5170_updateRelaysState(d_vi) failed due "
                                                    "to [R\u00E9sistance \u00B5]\nDo you want to "
                                                    "exit?");
}

void tst_Messages::report()
{
    QFETCH(ViStatus, status);
    QFETCH(QByteArray, driverText);
    QFETCH(QString, title);
    QFETCH(QString, icon);
    QFETCH(QStringList, buttons);
    QFETCH(QString, text);

    fake().write = driverText;
    const auto answer = sfptest::answerNextModal(buttons.last());
    sfpReportDriverStatus(status, "qx5170_updateRelaysState(d_vi)", fakeErrorMessage);
    QVERIFY(answer->answered);
    QCOMPARE(fake().calls, 1);
    QCOMPARE(fake().status, status);
    QCOMPARE(fake().session, ViSession(VI_NULL));
    QVERIFY(fake().bufferWasCleared);
    QCOMPARE(answer->title, title);
    QCOMPARE(answer->icon, icon);
    QCOMPARE(answer->buttons, buttons);
    QCOMPARE(answer->text, text);

    // The card session's statuses reach the operator in the same box.
    sfp::MessageBoxReporter reporter;
    const auto sessionAnswer = sfptest::answerNextModal(buttons.last());
    reporter.reportStatus(
        status, sfp::driverStatusText(status, "qx5170_updateRelaysState(d_vi)", fakeErrorMessage),
        QStringLiteral("update: brief"));
    QVERIFY(sessionAnswer->answered);
    QCOMPARE(sessionAnswer->title, title);
    QCOMPARE(sessionAnswer->icon, icon);
    QCOMPARE(sessionAnswer->buttons, buttons);
    QCOMPARE(sessionAnswer->text, text);
}

void tst_Messages::reportWithoutDriverText_data()
{
    QTest::addColumn<ViStatus>("result");
    QTest::newRow("driver fails") << ViStatus(-1);
    QTest::newRow("driver warns") << ViStatus(0x3FFF0085);
    QTest::newRow("driver succeeds with nothing") << ViStatus(VI_SUCCESS);
}

void tst_Messages::reportWithoutDriverText()
{
    QFETCH(ViStatus, result);
    fake().result = result;
    const auto answer = sfptest::answerNextModal(QStringLiteral("No"));
    sfpReportDriverStatus(-2, "qx5170_pulseSynchTrigger(d_vi)", fakeErrorMessage);
    QVERIFY(answer->answered);
    QCOMPARE(answer->text,
             QStringLiteral("qx5170_pulseSynchTrigger(d_vi) failed due to []\n"
                            "Do you want to exit?"));
}

void tst_Messages::reportReadsAFullBufferSafely()
{
    // A driver that fills every byte leaves no terminator behind.
    fake().write = QByteArray(sfp::driverErrorMessageSize, 'x');
    const auto answer = sfptest::answerNextModal(QStringLiteral("OK"));
    sfpReportDriverStatus(3, "call()", fakeErrorMessage);
    QVERIFY(answer->answered);
    QCOMPARE(answer->text,
             QStringLiteral("Warning: [%1]")
                 .arg(QString(sfp::driverErrorMessageSize, QLatin1Char('x'))));
}

void tst_Messages::reportTakesTheCallTextLiterally()
{
    fake().write = QByteArrayLiteral("%1 and %2");
    const auto answer = sfptest::answerNextModal(QStringLiteral("No"));
    sfpReportDriverStatus(-3, "call(%1, %2)", fakeErrorMessage);
    QVERIFY(answer->answered);
    QCOMPARE(answer->text,
             QStringLiteral("call(%1, %2) failed due to [%1 and %2]\nDo you want to exit?"));
}

void tst_Messages::operatorsLanguage()
{
    const sfptest::TestCatalogue german(
        {{"SfpMessages", "Orbelan %1 SFP Error message", QStringLiteral("Orbelan %1 SFP – Fehler")},
         {"SfpMessages", "Orbelan %1 SFP Warning message",
          QStringLiteral("Orbelan %1 SFP – Warnung")},
         {"SfpMessages", "Do you want to exit?", QStringLiteral("Beenden?")},
         {"DriverStatusText", "%1 failed due to [%2]", QStringLiteral("%1 scheiterte: [%2]")},
         {"DriverStatusText", "Warning: [%1]", QStringLiteral("Warnung: [%1]")}});
    qx2010fp_sfpName = QStringLiteral("5170");
    fake().write = QByteArrayLiteral("%2 Timeout");

    // The operator reads the whole box in German, the card's name and the
    // call and driver texts (with their own placeholders) put in as they are.
    auto answer = sfptest::answerNextModal(QStringLiteral("No"));
    sfpReportDriverStatus(-1, "call(%1)", fakeErrorMessage);
    QVERIFY(answer->answered);
    QCOMPARE(answer->title, QStringLiteral("Orbelan 5170 SFP – Fehler"));
    QCOMPARE(answer->text, QStringLiteral("call(%1) scheiterte: [%2 Timeout]\nBeenden?"));
    answer = sfptest::answerNextModal(QStringLiteral("OK"));
    sfpReportDriverStatus(1, "call(%1)", fakeErrorMessage);
    QVERIFY(answer->answered);
    QCOMPARE(answer->title, QStringLiteral("Orbelan 5170 SFP – Warnung"));
    QCOMPARE(answer->text, QStringLiteral("Warnung: [%2 Timeout]"));

    // What a program reads (a log, a client's error queue) stays English.
    QCOMPARE(sfp::driverStatusText(-1, "call(%1)", fakeErrorMessage),
             QStringLiteral("call(%1) failed due to [%2 Timeout]"));
    QCOMPARE(sfp::driverStatusText(1, "call(%1)", QStringLiteral("x")),
             QStringLiteral("Warning: [x]"));
    QCOMPARE(sfp::operatorDriverStatusText(1, "call(%1)", QStringLiteral("x")),
             QStringLiteral("Warnung: [x]"));
    QVERIFY(sfp::operatorDriverStatusText(0, "call(%1)", QStringLiteral("x")).isNull());
}

SFPTEST_MAIN(tst_Messages)
#include "tst_messages.moc"
