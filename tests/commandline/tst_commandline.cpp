// The command line: what each argument list starts, or the one line that
// refuses it with exit status 2 before any window or driver call.
#include "commandline.h"
#include "sfptest.h"

#include <QFile>
#include <QProcess>
#include <QTemporaryDir>
#include <QTest>

namespace {

struct Run
{
    int status = -1;
    QByteArray out;
    QByteArray err;
    QByteArray trace;
};

// The real program with no display at all and the platform's trace on.
Run runProgram(const QStringList &arguments)
{
    QTemporaryDir folder;
    const QString tracePath = folder.filePath(QStringLiteral("trace.txt"));
    QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
    environment.remove(QStringLiteral("DISPLAY"));
    environment.remove(QStringLiteral("WAYLAND_DISPLAY"));
    environment.remove(QStringLiteral("QT_QPA_PLATFORM"));
    environment.insert(QStringLiteral("SFP_SIM_TRACE"), tracePath);
    environment.insert(QStringLiteral("ALLUSERSPROFILE"), folder.path());

    QProcess process;
    process.setProcessEnvironment(environment);
    process.start(QStringLiteral(SFP_PROGRAM), arguments);
    Run run;
    if (!process.waitForFinished(20000)) {
        process.kill();
        process.waitForFinished();
        return run;
    }
    run.status = process.exitStatus() == QProcess::NormalExit ? process.exitCode() : -1;
    run.out = process.readAllStandardOutput();
    run.err = process.readAllStandardError();
    QFile trace(tracePath);
    if (trace.open(QIODevice::ReadOnly))
        run.trace = trace.readAll();
    return run;
}

} // namespace

class tst_CommandLine final : public QObject
{
    Q_OBJECT

private slots:
    void parse_data();
    void parse();
    void helpAndVersionWithoutDisplay();
};

void tst_CommandLine::parse_data()
{
    QTest::addColumn<QStringList>("arguments"); // after the program's name
    QTest::addColumn<int>("kind"); // sfpStartChoice::Kind; -1: refused
    QTest::addColumn<QString>("descriptor");
    QTest::addColumn<int>("fcNumber");
    QTest::addColumn<QString>("error"); // the first line on standard error

    using C = sfpStartChoice;
    QTest::newRow("nothing: ask") << QStringList() << int(C::Ask) << "" << 0 << "";
    QTest::newRow("--demo") << QStringList {"--demo"} << int(C::Demo) << "" << 0 << "";
    QTest::newRow("--scan") << QStringList {"--scan"} << int(C::AutoFind) << "" << 0 << "";
    QTest::newRow("--address --fc") << QStringList {"--address", "VXI0::1::INSTR", "--fc", "2"}
                                    << int(C::Address) << "VXI0::1::INSTR" << 2 << "";
    QTest::newRow("--fc= --address=") << QStringList {"--fc=8", "--address=TCPIP::lxi::INSTR"}
                                      << int(C::Address) << "TCPIP::lxi::INSTR" << 8 << "";
    QTest::newRow("toolkit options pass")
        << QStringList {"-platform", "offscreen", "-style", "fusion", "-display", ":9", "--scan"}
        << int(C::AutoFind) << "" << 0 << "";

    QTest::newRow("unknown option") << QStringList {"--frobnicate"} << -1 << "" << 0
                                    << "qx5170fp: Unknown option 'frobnicate'.";
    QTest::newRow("missing value") << QStringList {"--fc", "2", "--address"} << -1 << "" << 0
                                   << "qx5170fp: Missing value after '--address'.";
    QTest::newRow("option as value") << QStringList {"--address", "--fc", "2"} << -1 << "" << 0
                                     << "qx5170fp: Missing value after '--address'.";
    QTest::newRow("--fc 0") << QStringList {"--address", "VXI0::1::INSTR", "--fc", "0"} << -1 << ""
                            << 0
                            << "qx5170fp: --fc must be a function-card number from 1 to 8, not "
                               "'0'.";
    QTest::newRow("--fc 9") << QStringList {"--address", "VXI0::1::INSTR", "--fc", "9"} << -1 << ""
                            << 0
                            << "qx5170fp: --fc must be a function-card number from 1 to 8, not "
                               "'9'.";
    QTest::newRow("--fc two") << QStringList {"--address", "VXI0::1::INSTR", "--fc", "two"} << -1
                              << "" << 0
                              << "qx5170fp: --fc must be a function-card number from 1 to 8, "
                                 "not 'two'.";
    QTest::newRow("--address alone") << QStringList {"--address", "VXI0::1::INSTR"} << -1 << "" << 0
                                     << "qx5170fp: --address and --fc go together: give both.";
    QTest::newRow("--fc alone") << QStringList {"--fc", "1"} << -1 << "" << 0
                                << "qx5170fp: --address and --fc go together: give both.";
    QTest::newRow("empty descriptor") << QStringList {"--address", "", "--fc", "1"} << -1 << "" << 0
                                      << "qx5170fp: --address needs a VISA resource descriptor.";
    QTest::newRow("given twice") << QStringList {"--scan", "--scan"} << -1 << "" << 0
                                 << "qx5170fp: Option 'scan' given more than once.";
    QTest::newRow("--demo and --scan") << QStringList {"--demo", "--scan"} << -1 << "" << 0
                                       << "qx5170fp: Choose only one of --demo, --scan and "
                                          "--address.";
    QTest::newRow("--scan and --address")
        << QStringList {"--scan", "--address", "VXI0::1::INSTR", "--fc", "1"} << -1 << "" << 0
        << "qx5170fp: Choose only one of --demo, --scan and --address.";
    QTest::newRow("a word") << QStringList {"VXI0::1::INSTR"} << -1 << "" << 0
                            << "qx5170fp: Unexpected argument 'VXI0::1::INSTR'.";
}

void tst_CommandLine::parse()
{
    QFETCH(QStringList, arguments);
    QFETCH(int, kind);
    QFETCH(QString, descriptor);
    QFETCH(int, fcNumber);
    QFETCH(QString, error);

    const qx5170fpCommandLine parsed
        = qx5170fpParseCommandLine(QStringList(QStringLiteral("qx5170fp")) + arguments);
    if (kind >= 0) {
        QCOMPARE(parsed.action, qx5170fpCommandLine::Run);
        QCOMPARE(int(parsed.start.kind), kind);
        QCOMPARE(parsed.start.descriptor, descriptor);
        QCOMPARE(parsed.start.fcNumber, fcNumber);
        return;
    }
    QCOMPARE(parsed.action, qx5170fpCommandLine::Error);

    // The program says so in two lines and ends with 2, before it opens a
    // window (there is no display) or calls a library (the trace is empty).
    const Run run = runProgram(arguments);
    QCOMPARE(run.status, 2);
    QCOMPARE(QString::fromUtf8(run.err), error + "\nTry 'qx5170fp --help' for more information.\n");
    QCOMPARE(run.out, QByteArray());
    QCOMPARE(run.trace, QByteArray());
}

void tst_CommandLine::helpAndVersionWithoutDisplay()
{
    for (const char *option : {"-h", "--help"}) {
        const Run run = runProgram({QLatin1String(option)});
        QCOMPARE(run.status, 0);
        QVERIFY2(run.out.startsWith("Usage: qx5170fp [options]\n"), run.out.constData());
        for (const char *documented :
             {"-V, --version", "--demo", "--scan", "--address <DESCRIPTOR>", "--fc <N>"})
            QVERIFY2(run.out.contains(documented), documented);
        // The toolkit's options are taken, not advertised one by one.
        QVERIFY(!run.out.contains("--platform"));
        // The manual page describes every option that the help lists.
        QFile page(QStringLiteral(SFP_MAN_PAGE));
        QVERIFY(page.open(QIODevice::ReadOnly));
        const QByteArray source = page.readAll();
        // (In the page's source a dash is written "\-".)
        for (const char *documented :
             {"BR \\-h \", \" \\-\\-help", "BR \\-V \", \" \\-\\-version", "B \\-\\-demo",
              "B \\-\\-scan", "BI \\-\\-address \" DESCRIPTOR\"", "BI \\-\\-fc \" N\""})
            QVERIFY2(source.contains(documented), documented);
        QCOMPARE(run.err, QByteArray());
        QCOMPARE(run.trace, QByteArray());
    }

    for (const char *option : {"-V", "--version"}) {
        const Run run = runProgram({QLatin1String(option)});
        QCOMPARE(run.status, 0);
        // The panel's own revision, then the two that the libraries report.
        QCOMPARE(QString::fromUtf8(run.out),
                 QString("qx5170fp 4.3.1.10249\n"
                         "Instrument Driver: 1.4.0\n"
                         "Orbelan Common Library: 2.7.3\n"));
        QCOMPARE(run.err, QByteArray());
        QVERIFY(run.trace.contains("qx5170_revision_query("));
        QVERIFY(run.trace.contains("qx2010_library_revision("));
    }
}

SFPTEST_MAIN(tst_CommandLine)
#include "tst_commandline.moc"
