// SPDX-FileCopyrightText: 2026 Tarvex
// SPDX-License-Identifier: MIT
// The command line: what each argument list starts, or the one line that
// refuses it with exit status 2 before any window or driver call; what the
// toolkit is handed; and the end with status 1 when there is no display or
// help cannot be written.
#include "commandline.h"
#include "programrun.h"
#include "sfptest.h"
#include "switchinglog.h"

#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QFileInfo>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QProcess>
#include <QRegularExpression>
#include <QScopeGuard>
#include <QStandardPaths>
#include <QTcpServer>
#include <QTcpSocket>
#include <QTemporaryDir>
#include <QTest>

#include <QSslSocket>

#include <array>
#include <optional>
#include <utility>

#include <crypt.h>
#include <pty.h>
#include <signal.h>
#include <sys/stat.h>
#include <unistd.h>

namespace {

// A TCP port that nothing listened on a moment ago, on any address.
quint16 freePort()
{
    QTcpServer finder;
    return finder.listen(QHostAddress::Any, 0) ? finder.serverPort() : 0;
}

// The real program in demo mode on the stand-ins, offscreen, with
// `options` after --demo.
void startInDemo(QProcess &process, const QTemporaryDir &folder, const QStringList &options)
{
    process.setProcessEnvironment(
        programEnvironment(folder, folder.filePath(QStringLiteral("trace.txt")), {}));
    process.start(QStringLiteral(SFP_PROGRAM),
                  QStringList {QStringLiteral("--simulate"), QStringLiteral("-platform"),
                               QStringLiteral("offscreen"), QStringLiteral("--demo")}
                      + options);
}

// The answer to *IDN? on `address`:`port`, asked again until the panel is up
// and answers; empty when it never does. A connection that stays silent is
// made again: one taken while the panel was not yet listening there, or
// whose question was lost, would otherwise be waited on to the end.
QByteArray identityOnceUp(const QHostAddress &address, quint16 port)
{
    QTcpSocket client;
    QByteArray answer;
    QElapsedTimer asked;
    const bool answered = QTest::qWaitFor(
        [&] {
            if (client.state() != QAbstractSocket::ConnectedState
                || (answer.isEmpty() && asked.hasExpired(3000))) {
                client.abort();
                client.connectToHost(address, port);
                if (!client.waitForConnected(200))
                    return false;
                client.write("*IDN?\n");
                asked.start();
            }
            if (client.waitForReadyRead(200))
                answer += client.readAll();
            return answer.endsWith('\n');
        },
        // A busy machine (the suite runs two tests at once) may take long
        // to start a panel; the answer ends the wait as soon as it comes.
        60000);
    return answered ? answer : QByteArray();
}

// The response line to `line` from a new client of the panel on the
// loopback's `port`; empty when none came.
QByteArray responseTo(quint16 port, const QByteArray &line)
{
    QTcpSocket client;
    client.connectToHost(QHostAddress::LocalHost, port);
    if (!client.waitForConnected(5000))
        return {};
    client.write(line + '\n');
    QByteArray answer;
    while (!answer.endsWith('\n') && client.waitForReadyRead(5000))
        answer += client.readAll();
    return answer;
}

// The counts of a relay counter file, or nothing when it is not a whole
// one: a JSON object whose "cycles" are 32 whole numbers.
std::optional<std::array<qint64, 32>> countsInFile(const QString &path)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return std::nullopt;
    const QJsonValue cycles = QJsonDocument::fromJson(file.readAll()).object().value("cycles");
    if (!cycles.isArray() || cycles.toArray().size() != 32)
        return std::nullopt;
    std::array<qint64, 32> counts = {};
    for (qsizetype i = 0; i < 32; ++i) {
        const QJsonValue count = cycles.toArray().at(i);
        if (!count.isDouble() || count.toDouble() < 0)
            return std::nullopt;
        counts[size_t(i)] = qint64(count.toDouble());
    }
    return counts;
}

// The closings of the card's contacts in a trace file: "relay N on" after
// "off" (or after nothing) is one. Each run of a panel starts on a card of
// its own (the simulated one), every relay open. A panel killed while it
// wrote may leave a line cut short, which the next run's first line then
// continues: only whole lines of a relay count, and a run's start is
// seen also at the end of such a joined line.
std::array<qint64, 32> closingsInTrace(const QString &path)
{
    static const QRegularExpression relayLine(
        QStringLiteral("^card VXI0::1::INSTR FC2 relay ([0-9]+) (on|off)$"));
    std::array<qint64, 32> closings = {};
    std::array<bool, 32> on = {};
    QByteArrayList lines = sfptest::fileContents(path).split('\n');
    // The last piece is empty, or a line still being written.
    lines.removeLast();
    for (const QByteArray &bytes : std::as_const(lines)) {
        const QString line = QString::fromUtf8(bytes);
        if (line.contains(QLatin1String("qx5170_init("))) {
            on = {};
            continue;
        }
        const QRegularExpressionMatch match = relayLine.match(line);
        const int relay = match.hasMatch() ? match.captured(1).toInt() : 0;
        if (relay < 1 || relay > 32)
            continue;
        const size_t index = size_t(relay - 1);
        const bool closes = match.captured(2) == QLatin1String("on");
        if (closes && !on[index])
            ++closings[index];
        on[index] = closes;
    }
    return closings;
}

} // namespace

class tst_CommandLine final : public QObject
{
    Q_OBJECT

private slots:
    void parse_data();
    void parse();
    void toolkitArguments_data();
    void toolkitArguments();
    void toolkitGetsOptionsWrittenWithEquals_data();
    void toolkitGetsOptionsWrittenWithEquals();
    void lacksDisplay_data();
    void lacksDisplay();
    void noDisplay_data();
    void noDisplay();
    void helpAndVersionWithoutDisplay();
    void helpAndVersionIntoFullDevice_data();
    void helpAndVersionIntoFullDevice();
    void helpAndErrorsInGerman();
    void manPage();
    void listenAddresses_data();
    void listenAddresses();
    void listenPortInUse();
    void listenWarnsOfOpenAddresses();
    void signalWhileTheCardOpens();
    void listenOnEveryAddress();
    void idleTimeout();
    void fixtureFiles();
    void optionsFiles_data();
    void optionsFiles();
    void relayWearSurvivesAKill();
    void closingsOfATraceCutByAKill();
    void switchingLogReplayedOnAnotherCard();
    void switchingLogOfSeveralRunsReplayed();
    void stateThatCannotBeKept();
    void switchingLogToolsOnTheirFiles();
    void switchingLogToolsRefuse_data();
    void switchingLogToolsRefuse();
    void setPassword_data();
    void setPassword();
    void webFiles();
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
    QTest::newRow("--break-before-make")
        << QStringList {"--break-before-make", "--demo"} << int(C::Demo) << "" << 0 << "";
    QTest::newRow("--break-before-make with a value")
        << QStringList {"--break-before-make=yes"} << -1 << "" << 0
        << "qx5170fp: Unexpected value after '--break-before-make'.";
    QTest::newRow("toolkit options pass")
        << QStringList {"-platform", "offscreen", "-style", "fusion", "-display", ":9", "--scan"}
        << int(C::AutoFind) << "" << 0 << "";

    QTest::newRow("unknown option") << QStringList {"--frobnicate"} << -1 << "" << 0
                                    << "qx5170fp: Unknown option 'frobnicate'.";
    QTest::newRow("missing value") << QStringList {"--fc", "2", "--address"} << -1 << "" << 0
                                   << "qx5170fp: Missing value after '--address'.";
    QTest::newRow("option as value") << QStringList {"--address", "--fc", "2"} << -1 << "" << 0
                                     << "qx5170fp: Missing value after '--address'.";
    // A single dash word is an option, as the toolkit's parser reads it;
    // a lone dash is a value.
    QTest::newRow("short option as value") << QStringList {"--address", "-demo"} << -1 << "" << 0
                                           << "qx5170fp: Missing value after '--address'.";
    QTest::newRow("--fc -") << QStringList {"--address", "VXI0::1::INSTR", "--fc", "-"} << -1 << ""
                            << 0
                            << "qx5170fp: --fc must be a function-card number from 1 to 8, not "
                               "'-'.";
    QTest::newRow("--fc 0") << QStringList {"--address", "VXI0::1::INSTR", "--fc", "0"} << -1 << ""
                            << 0
                            << "qx5170fp: --fc must be a function-card number from 1 to 8, not "
                               "'0'.";
    QTest::newRow("--fc 9") << QStringList {"--address", "VXI0::1::INSTR", "--fc", "9"} << -1 << ""
                            << 0
                            << "qx5170fp: --fc must be a function-card number from 1 to 8, not "
                               "'9'.";
    // A negative number is a value, not an option: said as a number out of
    // range.
    QTest::newRow("--fc -1") << QStringList {"--address", "VXI0::1::INSTR", "--fc", "-1"} << -1
                             << "" << 0
                             << "qx5170fp: --fc must be a function-card number from 1 to 8, not "
                                "'-1'.";
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
    QTest::newRow("--library-path with --demo")
        << QStringList {"--library-path", "/opt/vendor/lib", "--demo"} << int(C::Demo) << "" << 0
        << "";
    QTest::newRow("--library-path without a folder")
        << QStringList {"--library-path", "--demo"} << -1 << "" << 0
        << "qx5170fp: Missing value after '--library-path'.";
    QTest::newRow("--library-path empty") << QStringList {"--library-path="} << -1 << "" << 0
                                          << "qx5170fp: --library-path needs a folder.";
    const QString badListen = QStringLiteral(
        "qx5170fp: --listen takes [ADDRESS:]PORT with a numeric address and a port from 1 to "
        "65535, not '%1'.");
    for (const char *value : {"", "0", "65536", "-1", "+5025", "50 25", "abc", "5025x",
                              "127.0.0.1:", "127.0.0.1", "example.org:5025", "300.1.1.1:5025",
                              "::1:5025", "[127.0.0.1]:5025", "[::1]5025", "[::1]:", ":5025"}) {
        QTest::newRow(qPrintable(QStringLiteral("--listen=%1").arg(QLatin1String(value))))
            << QStringList {QStringLiteral("--listen=%1").arg(QLatin1String(value)), "--demo"} << -1
            << "" << 0 << badListen.arg(QLatin1String(value));
    }
    QTest::newRow("--listen without a port") << QStringList {"--listen", "--demo"} << -1 << "" << 0
                                             << "qx5170fp: Missing value after '--listen'.";
    const QString badIdleTimeout = QStringLiteral("qx5170fp: --idle-timeout takes a whole number "
                                                  "of seconds from 1 to 2147483, not '%1'.");
    for (const char *value :
         {"", "0", "-1", "+5", "1.5", "2147484", "4294967297", "abc", "5s", " 5"}) {
        QTest::newRow(qPrintable(QStringLiteral("--idle-timeout=%1").arg(QLatin1String(value))))
            << QStringList {"--listen", "5025", "--demo",
                            QStringLiteral("--idle-timeout=%1").arg(QLatin1String(value))}
            << -1 << "" << 0 << badIdleTimeout.arg(QLatin1String(value));
    }
    QTest::newRow("escape sequence in --idle-timeout")
        << QStringList {"--listen", "5025", "--idle-timeout", "\033[2J"} << -1 << "" << 0
        << badIdleTimeout.arg(QStringLiteral("\\x1b[2J"));
    QTest::newRow("--idle-timeout without seconds")
        << QStringList {"--listen", "5025", "--idle-timeout", "--demo"} << -1 << "" << 0
        << "qx5170fp: Missing value after '--idle-timeout'.";
    QTest::newRow("--idle-timeout without --listen")
        << QStringList {"--idle-timeout", "60", "--demo"} << -1 << "" << 0
        << "qx5170fp: --idle-timeout is for the remote control: give --listen too.";
    QTest::newRow("--idle-timeout twice")
        << QStringList {"--listen", "5025", "--idle-timeout", "60", "--idle-timeout=70"} << -1 << ""
        << 0 << "qx5170fp: Option 'idle-timeout' given more than once.";
    QTest::newRow("--idle-timeout with --listen")
        << QStringList {"--listen", "5025", "--idle-timeout", "2147483", "--demo"} << int(C::Demo)
        << "" << 0 << "";
    // Beyond the loopback, who may connect is said once, for every face.
    const QString badAllow = QStringLiteral("qx5170fp: --allow takes addresses and networks "
                                            "(10.1.2.3, 192.168.7.0/24, fd00::/64) or any: %1.");
    QTest::newRow("--listen beyond the loopback without --allow")
        << QStringList {"--listen", "0.0.0.0:5025", "--demo"} << -1 << "" << 0
        << "qx5170fp: --listen 0.0.0.0:5025 reaches beyond the loopback: say who may connect "
           "with --allow (addresses, networks, or any).";
    QTest::newRow("--http on every address without --allow")
        << QStringList {"--http", "[::]:8080", "--listen", "5025", "--demo"} << -1 << "" << 0
        << "qx5170fp: --http [::]:8080 reaches beyond the loopback: say who may connect with "
           "--allow (addresses, networks, or any).";
    QTest::newRow("--allow without a listener")
        << QStringList {"--allow", "any", "--demo"} << -1 << "" << 0
        << "qx5170fp: --allow is for --listen and --http: give one of them.";
    QTest::newRow("--allow with a prefix too long")
        << QStringList {"--listen", "0.0.0.0:5025", "--allow", "10.0.0.0/33", "--demo"} << -1 << ""
        << 0 << badAllow.arg("'10.0.0.0/33' has no prefix length from 0 to 32");
    QTest::newRow("--allow with a mapped address out of range")
        << QStringList {"--http", "[::]:8080", "--allow=::ffff:300.1.1.1"} << -1 << "" << 0
        << badAllow.arg("'::ffff:300.1.1.1' is no address or network");
    QTest::newRow("--allow with an empty item")
        << QStringList {"--listen", "[::]:5025", "--allow", "10.0.0.1,,fd00::/64"} << -1 << "" << 0
        << badAllow.arg("the list has an empty item");
    QTest::newRow("--allow without a list")
        << QStringList {"--listen", "[::]:5025", "--allow", "--demo"} << -1 << "" << 0
        << "qx5170fp: Missing value after '--allow'.";
    QTest::newRow("--allow for a loopback listener")
        << QStringList {"--listen", "5025", "--allow", "10.1.2.3", "--demo"} << int(C::Demo) << ""
        << 0 << "";
    QTest::newRow("--allow for both faces")
        << QStringList {"--listen",     "[::]:5025", "--http",
                        "0.0.0.0:8080", "--allow",   "192.168.7.0/24,fd00::/64,10.1.2.3",
                        "--demo"}
        << int(C::Demo) << "" << 0 << "";
    QTest::newRow("--simulate and --library-path")
        << QStringList {"--library-path", "/opt/vendor/lib", "--simulate"} << -1 << "" << 0
        << "qx5170fp: Choose only one of --simulate and --library-path.";

    // What was typed is repeated with its control characters as C escapes.
    QTest::newRow("escape sequence in --address")
        << QStringList {"--address", "\033]0;x\a", "--fc", "3"} << -1 << "" << 0
        << "qx5170fp: --address '\\x1b]0;x\\a' is no VISA resource descriptor.";
    QTest::newRow("control characters in a word")
        << QStringList {"VXI0::1::INSTR\r\n\t\x01"} << -1 << "" << 0
        << "qx5170fp: Unexpected argument 'VXI0::1::INSTR\\r\\n\\t\\x01'.";
    QTest::newRow("escape sequence in an unknown option")
        << QStringList {"--x\033[2J"} << -1 << "" << 0 << "qx5170fp: Unknown option 'x\\x1b[2J'.";
    QTest::newRow("escape sequence in --fc")
        << QStringList {"--address", "VXI0::1::INSTR", "--fc", "\033[31m1"} << -1 << "" << 0
        << "qx5170fp: --fc must be a function-card number from 1 to 8, not '\\x1b[31m1'.";
    QTest::newRow("backslash in a word") << QStringList {"C:\\vxipnp\\a"} << -1 << "" << 0
                                         << "qx5170fp: Unexpected argument 'C:\\\\vxipnp\\\\a'.";

    // A descriptor is Latin-1 text without control characters, one card.
    QTest::newRow("DEL in --address")
        << QStringList {"--address", "VXI0::1::INSTR\x7f", "--fc", "1"} << -1 << "" << 0
        << "qx5170fp: --address 'VXI0::1::INSTR\\x7f' is no VISA resource descriptor.";
    QTest::newRow("C1 control in --address")
        << QStringList {"--address", "VXI0::1::\u0085INSTR", "--fc", "1"} << -1 << "" << 0
        << "qx5170fp: --address 'VXI0::1::\\x85INSTR' is no VISA resource descriptor.";
    QTest::newRow("CSI in --address")
        << QStringList {"--address", "VXI0\u009b2J", "--fc", "1"} << -1 << "" << 0
        << "qx5170fp: --address 'VXI0\\x9b2J' is no VISA resource descriptor.";
    // The driver takes Latin-1 only: anything beyond would reach it as '?'.
    QTest::newRow("letter beyond Latin-1 in --address")
        << QStringList {"--address", "TCPIP::\u0142\u00f3d\u017a::INSTR", "--fc", "1"} << -1 << ""
        << 0
        << "qx5170fp: --address 'TCPIP::\u0142\u00f3d\u017a::INSTR' is no VISA resource "
           "descriptor.";
    QTest::newRow("comma in --address")
        << QStringList {"--address", "VXI0::1::INSTR,VXI0::5::INSTR", "--fc", "1"} << -1 << "" << 0
        << "qx5170fp: --address 'VXI0::1::INSTR,VXI0::5::INSTR' is no VISA resource "
           "descriptor.";
    QTest::newRow("Latin-1 letter in --address")
        << QStringList {"--address", "TCPIP::caf\u00e9\u00a0lab::INSTR", "--fc", "1"}
        << int(C::Address) << "TCPIP::caf\u00e9\u00a0lab::INSTR" << 1 << "";

    // An option's short and long names are one option.
    QTest::newRow("-h --help") << QStringList {"-h", "--help"} << -1 << "" << 0
                               << "qx5170fp: Option 'help' given more than once.";
    QTest::newRow("--help --help") << QStringList {"--help", "--help"} << -1 << "" << 0
                                   << "qx5170fp: Option 'help' given more than once.";
    QTest::newRow("--version -V") << QStringList {"--version", "-V"} << -1 << "" << 0
                                  << "qx5170fp: Option 'version' given more than once.";
    QTest::newRow("-platform twice")
        << QStringList {"-platform", "xcb", "--platform=offscreen"} << -1 << "" << 0
        << "qx5170fp: Option 'platform' given more than once.";

    // Every option that the toolkit reads, X11's among them.
    QTest::newRow("-icon") << QStringList {"-icon", "relay.png", "--demo"} << int(C::Demo) << ""
                           << 0 << "";
    QTest::newRow("every toolkit option")
        << QStringList {"-platform",     "offscreen",      "-platformpluginpath",
                        "/opt/plugins",  "-platformtheme", "gtk3",
                        "-plugin",       "evdevtouch",     "-qwindowgeometry",
                        "640x480+10+10", "-qwindowtitle",  "Relays",
                        "-qwindowicon",  "relay.png",      "-session",
                        "1234_5",        "-style",         "fusion",
                        "-stylesheet",   "panel.qss",      "-qmljsdebugger",
                        "port:3768",     "-display",       ":9",
                        "-geometry",     "640x480",        "-title",
                        "Relays",        "-icon",          "relay.png",
                        "-name",         "relays",         "-visual",
                        "0x21",          "-reverse",       "-testability",
                        "-widgetcount",  "-nograb",        "-dograb",
                        "--scan"}
        << int(C::AutoFind) << "" << 0 << "";
    QTest::newRow("toolkit options with '='")
        << QStringList {"--platform=offscreen", "-style=fusion", "--qwindowtitle=Relays",
                        "-icon=relay.png", "--scan"}
        << int(C::AutoFind) << "" << 0 << "";
    QTest::newRow("an option Qt 6 no longer reads") << QStringList {"-fn", "fixed", "--demo"} << -1
                                                    << "" << 0 << "qx5170fp: Unknown option 'fn'.";
    QTest::newRow("empty -platform") << QStringList {"-platform=", "--demo"} << -1 << "" << 0
                                     << "qx5170fp: -platform needs the name of a platform.";

    // Without a window the server needs a card, a way in, and no toolkit.
    QTest::newRow("--headless without a card")
        << QStringList {"--headless", "--listen", "5025"} << -1 << "" << 0
        << "qx5170fp: --headless needs a card: give --address with --fc, --demo or --scan.";
    QTest::newRow("--headless without a way in")
        << QStringList {"--headless", "--demo"} << -1 << "" << 0
        << "qx5170fp: --headless needs a way in for clients: give --listen or --http.";
    // The web face's files go with it; a certificate with its key.
    QTest::newRow("--password-file without --http")
        << QStringList {"--demo", "--password-file", "web.hash"} << -1 << "" << 0
        << "qx5170fp: --password-file is for the web face: give --http too.";
    QTest::newRow("--http-certificate without --http")
        << QStringList {"--demo", "--http-certificate", "a.pem", "--http-key", "a.key"} << -1 << ""
        << 0 << "qx5170fp: --http-certificate is for the web face: give --http too.";
    QTest::newRow("--http-key without --http-certificate")
        << QStringList {"--demo", "--http", "8443", "--http-key", "a.key"} << -1 << "" << 0
        << "qx5170fp: --http-certificate and --http-key go together: give both.";
    QTest::newRow("--http-certificate without --http-key")
        << QStringList {"--demo", "--http", "8443", "--http-certificate", "a.pem"} << -1 << "" << 0
        << "qx5170fp: --http-certificate and --http-key go together: give both.";
    QTest::newRow("empty --password-file")
        << QStringList {"--demo", "--http", "8443", "--password-file="} << -1 << "" << 0
        << "qx5170fp: --password-file needs a file.";
    QTest::newRow("empty --set-password") << QStringList {"--set-password="} << -1 << "" << 0
                                          << "qx5170fp: --set-password needs a file.";
    QTest::newRow("--set-password without a file")
        << QStringList {"--set-password", "--demo"} << -1 << "" << 0
        << "qx5170fp: Missing value after '--set-password'.";
    QTest::newRow("--headless with a toolkit option")
        << QStringList {"--headless", "--demo", "--listen", "5025", "-platform", "offscreen"} << -1
        << "" << 0 << "qx5170fp: -platform is for the window; --headless shows none.";
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
        QCOMPARE(parsed.breakBeforeMake, arguments.contains("--break-before-make"));
        return;
    }
    QCOMPARE(parsed.action, qx5170fpCommandLine::Error);

    // The program says so in two lines and ends with 2, before it opens a
    // window (there is no display) or calls a library (the trace is empty).
    const Run run = runProgram(arguments, {}, {}, Libraries::Searched);
    QCOMPARE(run.status, 2);
    QCOMPARE(QString::fromUtf8(run.err), error + "\nTry 'qx5170fp --help' for more information.\n");
    QCOMPARE(run.out, QByteArray());
    QCOMPARE(run.trace, QByteArray());
}

void tst_CommandLine::toolkitArguments_data()
{
    QTest::addColumn<QStringList>("arguments"); // after the program's name
    QTest::addColumn<QStringList>("toolkit"); // what the toolkit is handed

    QTest::newRow("nothing") << QStringList() << QStringList {"qx5170fp"};
    QTest::newRow("ours stay ours")
        << QStringList {"--address", "VXI0::1::INSTR", "--fc=2"} << QStringList {"qx5170fp"};
    QTest::newRow("as the toolkit reads them")
        << QStringList {"-platform", "offscreen", "--demo", "-reverse"}
        << QStringList {"qx5170fp", "-platform", "offscreen", "-reverse"};
    QTest::newRow("--platform=") << QStringList {"--platform=offscreen", "--demo"}
                                 << QStringList {"qx5170fp", "-platform", "offscreen"};
    QTest::newRow("-platform=") << QStringList {"-platform=vnc:size=800x600"}
                                << QStringList {"qx5170fp", "-platform", "vnc:size=800x600"};
    QTest::newRow("two dashes") << QStringList {"--style", "fusion", "--widgetcount"}
                                << QStringList {"qx5170fp", "-style", "fusion", "-widgetcount"};
    QTest::newRow("'=' in the value")
        << QStringList {"--qwindowtitle=a=b"} << QStringList {"qx5170fp", "-qwindowtitle", "a=b"};
    QTest::newRow("a value like an option")
        << QStringList {"-qwindowtitle", "-platform=vnc", "--scan"}
        << QStringList {"qx5170fp", "-qwindowtitle", "-platform=vnc"};
    QTest::newRow("order kept") << QStringList {"-icon=a.png", "--scan", "-nograb", "-display=:1"}
                                << QStringList {"qx5170fp", "-icon",    "a.png",
                                                "-nograb",  "-display", ":1"};
}

void tst_CommandLine::toolkitArguments()
{
    QFETCH(QStringList, arguments);
    QFETCH(QStringList, toolkit);

    const QStringList all = QStringList(QStringLiteral("qx5170fp")) + arguments;
    const qx5170fpCommandLine parsed = qx5170fpParseCommandLine(all);
    QCOMPARE(parsed.action, qx5170fpCommandLine::Run);
    QStringList given;
    for (const QByteArray &word : parsed.toolkitArguments)
        given.append(QString::fromLocal8Bit(word));
    QCOMPARE(given, toolkit);
}

void tst_CommandLine::toolkitGetsOptionsWrittenWithEquals_data()
{
    QTest::addColumn<QStringList>("arguments");

    QTest::newRow("--platform=offscreen") << QStringList {"--platform=offscreen", "--scan"};
    QTest::newRow("-platform=offscreen") << QStringList {"-platform=offscreen", "--scan"};
}

void tst_CommandLine::toolkitGetsOptionsWrittenWithEquals()
{
    QFETCH(QStringList, arguments);

    // QT_QPA_PLATFORM names X11, which has no display here: the panel comes
    // up (the scan reaches the platform) only when the toolkit took the
    // platform from the command line.
    QTemporaryDir folder;
    const QString tracePath = folder.filePath(QStringLiteral("trace.txt"));
    QProcess process;
    process.setProcessEnvironment(
        programEnvironment(folder, tracePath, {QStringLiteral("QT_QPA_PLATFORM=xcb")}));
    process.start(QStringLiteral(SFP_PROGRAM), arguments);
    QVERIFY(process.waitForStarted());
    const auto traced = [&tracePath] {
        QFile trace(tracePath);
        return trace.open(QIODevice::ReadOnly) && trace.readAll().contains("viFindRsrc(");
    };
    QTRY_VERIFY_WITH_TIMEOUT(traced() || process.state() == QProcess::NotRunning, 20000);
    const bool running = process.state() == QProcess::Running;
    process.kill();
    process.waitForFinished();
    QVERIFY2(running, process.readAllStandardError().constData());
    QVERIFY(traced());
}

void tst_CommandLine::lacksDisplay_data()
{
    QTest::addColumn<QStringList>("arguments"); // after the program's name
    QTest::addColumn<QStringList>("environment"); // NAME=value
    QTest::addColumn<bool>("lacks");

    QTest::newRow("nothing") << QStringList() << QStringList() << true;
    QTest::newRow("DISPLAY") << QStringList() << QStringList {"DISPLAY=:0"} << false;
    QTest::newRow("empty DISPLAY") << QStringList() << QStringList {"DISPLAY="} << true;
    QTest::newRow("WAYLAND_DISPLAY")
        << QStringList() << QStringList {"WAYLAND_DISPLAY=wayland-0"} << false;
    QTest::newRow("-display") << QStringList {"-display", ":1"} << QStringList() << false;
    QTest::newRow("QT_QPA_PLATFORM=xcb")
        << QStringList() << QStringList {"QT_QPA_PLATFORM=xcb"} << true;
    QTest::newRow("QT_QPA_PLATFORM=XCB")
        << QStringList() << QStringList {"QT_QPA_PLATFORM=XCB"} << true;
    QTest::newRow("xcb with its options")
        << QStringList() << QStringList {"QT_QPA_PLATFORM=xcb:nomitshm"} << true;
    QTest::newRow("xcb, WAYLAND_DISPLAY")
        << QStringList() << QStringList {"QT_QPA_PLATFORM=xcb", "WAYLAND_DISPLAY=wayland-0"}
        << true;
    QTest::newRow("xcb, DISPLAY") << QStringList()
                                  << QStringList {"QT_QPA_PLATFORM=xcb", "DISPLAY=:0"} << false;
    QTest::newRow("empty QT_QPA_PLATFORM")
        << QStringList() << QStringList {"QT_QPA_PLATFORM="} << true;
    QTest::newRow("offscreen") << QStringList() << QStringList {"QT_QPA_PLATFORM=offscreen"}
                               << false;
    QTest::newRow("minimal") << QStringList() << QStringList {"QT_QPA_PLATFORM=minimal"} << false;
    QTest::newRow("vnc with its options")
        << QStringList() << QStringList {"QT_QPA_PLATFORM=vnc:size=800x600"} << false;
    QTest::newRow("eglfs") << QStringList() << QStringList {"QT_QPA_PLATFORM=eglfs"} << false;
    QTest::newRow("linuxfb") << QStringList() << QStringList {"QT_QPA_PLATFORM=linuxfb"} << false;
    QTest::newRow("xcb, else offscreen")
        << QStringList() << QStringList {"QT_QPA_PLATFORM=xcb;offscreen"} << false;
    QTest::newRow("xcb, else xcb")
        << QStringList() << QStringList {"QT_QPA_PLATFORM=xcb;;xcb"} << true;
    // Nothing to try: the toolkit itself says so.
    QTest::newRow("only separators") << QStringList() << QStringList {"QT_QPA_PLATFORM=;"} << false;
    QTest::newRow("-platform offscreen over xcb")
        << QStringList {"-platform", "offscreen"} << QStringList {"QT_QPA_PLATFORM=xcb"} << false;
    QTest::newRow("--platform=offscreen over xcb")
        << QStringList {"--platform=offscreen"} << QStringList {"QT_QPA_PLATFORM=xcb"} << false;
    QTest::newRow("-platform xcb over offscreen")
        << QStringList {"-platform", "xcb"} << QStringList {"QT_QPA_PLATFORM=offscreen"} << true;
    QTest::newRow("-platform xcb -display")
        << QStringList {"-platform", "xcb", "-display", ":1"} << QStringList() << false;
}

void tst_CommandLine::lacksDisplay()
{
    QFETCH(QStringList, arguments);
    QFETCH(QStringList, environment);
    QFETCH(bool, lacks);

    const qx5170fpCommandLine commandLine
        = qx5170fpParseCommandLine(QStringList(QStringLiteral("qx5170fp")) + arguments);
    QCOMPARE(commandLine.action, qx5170fpCommandLine::Run);
    QProcessEnvironment variables;
    for (const QString &variable : environment)
        variables.insert(variable.section(QLatin1Char('='), 0, 0),
                         variable.section(QLatin1Char('='), 1));
    QCOMPARE(qx5170fpLacksDisplay(commandLine, variables), lacks);
}

void tst_CommandLine::noDisplay_data()
{
    QTest::addColumn<QStringList>("arguments");
    QTest::addColumn<QStringList>("environment"); // besides no display at all

    QTest::newRow("nothing") << QStringList() << QStringList();
    QTest::newRow("--demo") << QStringList {"--demo"} << QStringList();
    QTest::newRow("--address --fc")
        << QStringList {"--address", "VXI0::1::INSTR", "--fc", "2"} << QStringList();
    QTest::newRow("QT_QPA_PLATFORM=xcb")
        << QStringList {"--scan"} << QStringList {"QT_QPA_PLATFORM=xcb"};
    QTest::newRow("-platform xcb over offscreen")
        << QStringList {"-platform", "xcb", "--scan"} << QStringList {"QT_QPA_PLATFORM=offscreen"};
}

void tst_CommandLine::noDisplay()
{
    QFETCH(QStringList, arguments);
    QFETCH(QStringList, environment);

    // One line of ours, status 1, before the toolkit or a library starts.
    const Run run = runProgram(arguments, environment);
    QCOMPARE(run.status, 1);
    QCOMPARE(QString::fromUtf8(run.err),
             QString("qx5170fp: no display to show the panel on: set DISPLAY, or choose a "
                     "platform with -platform or QT_QPA_PLATFORM (offscreen, vnc)\n"));
    QCOMPARE(run.out, QByteArray());
    QCOMPARE(run.trace, QByteArray());
}

void tst_CommandLine::helpAndVersionWithoutDisplay()
{
    for (const char *option : {"-h", "--help"}) {
        const Run run = runProgram({QLatin1String(option)});
        QCOMPARE(run.status, 0);
        QVERIFY2(run.out.startsWith(
                     "Usage: qx5170fp [options]\n"
                     "Soft front panel of the Orbelan 5170 32-channel relay card.\n"
                     "Without options it asks how to connect: Auto Find, Run In Demo Mode or "
                     "Enter Address.\n"),
                 run.out.constData());
        for (const char *documented :
             {"-V, --version", "--demo", "--scan", "--address <DESCRIPTOR>", "--fc <N>",
              "--library-path <DIR>", "--simulate", "--listen <[ADDRESS:]PORT>",
              "--idle-timeout <SECONDS>", "--break-before-make"})
            QVERIFY2(run.out.contains(documented), documented);
        // Where the platform libraries come from, and what a wrong place does.
        QVERIFY2(run.out.contains(
                     "\nThe platform libraries come from the first place named of --library-path,\n"
                     "QX5170FP_LIBRARY_PATH (folders separated by ':') and the key LibraryPath of\n"
                     "$XDG_CONFIG_HOME/qx5170fp/qx5170fp.conf (by default ~/.config/...), else of\n"
                     "qx5170fp/qx5170fp.conf in $XDG_CONFIG_DIRS (by default /etc/xdg); a place\n"
                     "named that does not hold them ends the program. Without one, the dynamic\n"
                     "linker's folders are searched, and then the simulated platform is used.\n"),
                 run.out.constData());
        QVERIFY2(
            run.out.endsWith(
                "Exit status: 0, also when the operator cancels or SIGTERM ends --headless;\n"
                "1 when there is no display to show the panel on, when the platform libraries\n"
                "are not where a place names them, when the port of --listen cannot be had,\n"
                "when help or the version cannot be written, or when --headless cannot open\n"
                "or find its card; 2 when the command line or its options file is wrong, or\n"
                "when the card's fixture file cannot be used (it cannot be read, is not JSON\n"
                "or breaks the format).\n"),
            run.out.constData());
        // The toolkit's options are taken, not advertised one by one.
        QVERIFY(!run.out.contains("--platform"));
        // The manual page describes every option that the help lists.
        QFile page(QStringLiteral(SFP_MAN_PAGE));
        QVERIFY(page.open(QIODevice::ReadOnly));
        const QByteArray source = page.readAll();
        // (In the page's source a dash is written "\-".)
        for (const char *documented :
             {"BR \\-h \", \" \\-\\-help", "BR \\-V \", \" \\-\\-version", "B \\-\\-demo",
              "B \\-\\-scan", "BI \\-\\-address \" DESCRIPTOR\"", "BI \\-\\-fc \" N\"",
              "BI \\-\\-library\\-path \" DIR\"", "B \\-\\-simulate",
              "BI \\-\\-idle\\-timeout \" SECONDS\"", "B \\-\\-break\\-before\\-make"})
            QVERIFY2(source.contains(documented), documented);
        // Its ENVIRONMENT names the folder of every file the panel keeps.
        const qsizetype environmentAt = source.indexOf(".SH ENVIRONMENT\n");
        QVERIFY(environmentAt >= 0);
        const QByteArray environment = source.mid(
            environmentAt, source.indexOf("\n.SH ", environmentAt + 1) - environmentAt);
        for (const char *folder :
             {".B XDG_DATA_HOME\nThe user's data folder, where each card's states saved with\n"
              ".B *SAV\nare kept;",
              ".B XDG_STATE_HOME\nThe user's state folder, where each card's relay counts and its "
              "switching\nlog are kept;"})
            QVERIFY2(environment.contains(folder), folder);
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
                         "Orbelan Common Library: 2.7.3\n"
                         "VISA: Orbelan simulated VISA 1.0.0\n"
                         "Libraries: simulated platform\n"
                         "  %1/libvisa64.so\n"
                         "  %1/libqx2010_64.so\n"
                         "  %1/libqx5170_64.so\n")
                     .arg(SFP_STAND_IN_DIR));
        QCOMPARE(run.err, QByteArray());
        QVERIFY(run.trace.contains("qx5170_revision_query("));
        QVERIFY(run.trace.contains("qx2010_library_revision("));
    }
}

void tst_CommandLine::helpAndVersionIntoFullDevice_data()
{
    QTest::addColumn<QString>("option");

    for (const char *option : {"-h", "--help", "-V", "--version"})
        QTest::newRow(option) << QString::fromLatin1(option);
}

void tst_CommandLine::helpAndVersionIntoFullDevice()
{
    QFETCH(QString, option);
    if (!QFile::exists(QStringLiteral("/dev/full")))
        QSKIP("no /dev/full here");

    // Output that never arrived is no success: one line says so, status 1.
    const Run run = runProgram({option}, {}, QStringLiteral("/dev/full"));
    QCOMPARE(run.status, 1);
    QCOMPARE(QString::fromUtf8(run.err),
             QString("qx5170fp: cannot write to standard output: No space left on device\n"));
}

void tst_CommandLine::helpAndErrorsInGerman()
{
    // The command line is read before the toolkit starts, in the system's
    // language all the same; what programs read (--version) stays English.
    const QStringList german {"LANG=de_DE.UTF-8", "LANGUAGE=de", "LC_ALL=", "LC_MESSAGES="};
    const Run help = runProgram({"--help"}, german);
    QCOMPARE(help.status, 0);
    const QString text = QString::fromUtf8(help.out);
    QVERIFY2(text.startsWith("Aufruf: qx5170fp [Optionen]\n"), help.out.constData());
    // The descriptions stay in the column where English puts them.
    QVERIFY2(text.contains("\nOptionen:\n  -h, --help                 Diese Hilfe zeigen und "
                           "beenden.\n"),
             help.out.constData());
    QVERIFY2(text.contains("\n  --fc <N>                   Nummer der Funktionskarte"),
             help.out.constData());
    // Lines end by the 80th column, as in English; only the two-line
    // description may run longer there.
    const QStringList lines = text.split('\n');
    for (qsizetype i = 3; i < lines.size(); ++i)
        QVERIFY2(lines.at(i).size() <= 80, qUtf8Printable(lines.at(i)));

    // The panel's own errors, one with the reason of the list's reader,
    // and one that the toolkit's parser finds.
    const QList<std::pair<QStringList, QString>> errors {
        {{"--address", "x", "--fc", "9"},
         "qx5170fp: --fc muss eine Funktionskartennummer von 1 bis 8 sein, nicht '9'.\n"},
        {{"--demo", "--listen", "5025", "--allow", "10.1.2.x"},
         "qx5170fp: --allow erwartet Adressen und Netze (10.1.2.3, 192.168.7.0/24, fd00::/64) "
         "oder any: '10.1.2.x' ist keine Adresse und kein Netz.\n"},
        {{"--frobnicate"}, "qx5170fp: Unbekannte Option 'frobnicate'.\n"}};
    for (const auto &[arguments, line] : errors) {
        const Run run = runProgram(arguments, german);
        QCOMPARE(run.status, 2);
        QCOMPARE(QString::fromUtf8(run.err),
                 line + "Weitere Informationen erhalten Sie mit 'qx5170fp --help'.\n");
    }

    const Run version = runProgram({"--version"}, german);
    QCOMPARE(version.status, 0);
    QVERIFY2(version.out.startsWith("qx5170fp 4.3.1.10249\nInstrument Driver: 1.4.0\n"
                                    "Orbelan Common Library: 2.7.3\nVISA: "),
             version.out.constData());
    QVERIFY2(version.out.contains("\nLibraries: simulated platform\n"), version.out.constData());
}

void tst_CommandLine::manPage()
{
    QFile page(QStringLiteral(SFP_MAN_PAGE));
    QVERIFY(page.open(QIODevice::ReadOnly));
    const QByteArray source = page.readAll();

    // Where the typed addresses are kept, the names never hyphenated.
    for (const char *file : {".I \\%$ALLUSERSPROFILE/Tarvex/DefaultInstrDescr.ini\n",
                             ".I \\%$XDG_CONFIG_HOME/Tarvex/DefaultInstrDescr.ini\n",
                             ".I \\%\\(ti/.config/Tarvex/DefaultInstrDescr.ini\n"})
        QVERIFY2(source.contains(file), file);
    QVERIFY(source.contains(".B XDG_CONFIG_HOME\n"));
    QVERIFY(source.contains(".B XDG_CONFIG_DIRS\n"));
    QVERIFY(source.contains(".B QX5170FP_LIBRARY_PATH\n"));
    QVERIFY(!source.contains("\n.I DefaultInstrDescr.ini"));
    QVERIFY(!source.contains("\n.IR DefaultInstrDescr.ini"));

    // Every exit status, in order.
    const qsizetype exitStatus = source.indexOf(".SH EXIT STATUS\n");
    QVERIFY(exitStatus >= 0);
    const qsizetype zero = source.indexOf(".TP\n.B 0\n", exitStatus);
    const qsizetype one
        = source.indexOf(".TP\n.B 1\nThere is no display to show the panel on", exitStatus);
    const qsizetype two = source.indexOf(".TP\n.B 2\n", exitStatus);
    QVERIFY(zero > exitStatus);
    QVERIFY(one > zero);
    QVERIFY(two > one);
    const qsizetype unwritten
        = source.indexOf("Or help or the version could not be written to standard output.", one);
    QVERIFY(unwritten > one);
    QVERIFY(unwritten < two);

    // Formats without a single warning.
    QProcess groff;
    groff.start(QStringLiteral("groff"),
                {QStringLiteral("-man"), QStringLiteral("-Tutf8"), QStringLiteral("-ww"),
                 QStringLiteral("-z"), QStringLiteral(SFP_MAN_PAGE)});
    if (!groff.waitForStarted())
        QSKIP("groff is not installed");
    QVERIFY(groff.waitForFinished());
    QCOMPARE(groff.readAllStandardError(), QByteArray());
    QCOMPARE(groff.exitCode(), 0);
}

void tst_CommandLine::listenAddresses_data()
{
    QTest::addColumn<QString>("value");
    QTest::addColumn<QString>("address");
    QTest::addColumn<int>("port");
    QTest::addColumn<bool>("named");
    QTest::addColumn<int>("kind"); // QAbstractSocket::NetworkLayerProtocol

    const int ipv4 = QAbstractSocket::IPv4Protocol;
    const int ipv6 = QAbstractSocket::IPv6Protocol;
    QTest::newRow("port only: loopback") << "5025"
                                         << "127.0.0.1" << 5025 << false << ipv4;
    QTest::newRow("lowest port") << "1"
                                 << "127.0.0.1" << 1 << false << ipv4;
    QTest::newRow("highest port") << "65535"
                                  << "127.0.0.1" << 65535 << false << ipv4;
    QTest::newRow("IPv4") << "192.168.7.2:5025"
                          << "192.168.7.2" << 5025 << true << ipv4;
    QTest::newRow("every interface") << "0.0.0.0:5025"
                                     << "0.0.0.0" << 5025 << true << ipv4;
    QTest::newRow("IPv6 loopback") << "[::1]:5025"
                                   << "::1" << 5025 << true << ipv6;
    QTest::newRow("IPv6") << "[fe80::1]:6000"
                          << "fe80::1" << 6000 << true << ipv6;
    QTest::newRow("localhost") << "localhost:5025"
                               << "127.0.0.1" << 5025 << true << ipv4;
    // Every address, of both kinds, as the toolkit binds it (it writes it
    // as IPv4's).
    QTest::newRow("every address")
        << "[::]:5025"
        << "0.0.0.0" << 5025 << true << int(QAbstractSocket::AnyIPProtocol);
    QTest::newRow("every address, written long")
        << "[0:0:0:0:0:0:0:0]:5025"
        << "0.0.0.0" << 5025 << true << int(QAbstractSocket::AnyIPProtocol);
}

void tst_CommandLine::listenAddresses()
{
    QFETCH(QString, value);
    QFETCH(QString, address);
    QFETCH(int, port);
    QFETCH(bool, named);
    QFETCH(int, kind);

    const qx5170fpCommandLine parsed = qx5170fpParseCommandLine(
        {QStringLiteral("qx5170fp"), QStringLiteral("--listen"), value, QStringLiteral("--demo"),
         QStringLiteral("--allow"), QStringLiteral("any")});
    QCOMPARE(parsed.action, qx5170fpCommandLine::Run);
    QVERIFY(parsed.listen);
    QCOMPARE(parsed.listenAddress.toString(), address);
    QCOMPARE(int(parsed.listenPort), port);
    QCOMPARE(parsed.listenAddressNamed, named);
    QCOMPARE(int(parsed.listenAddress.protocol()), kind);
    QCOMPARE(parsed.idleTimeoutSeconds, 0);
    QCOMPARE(int(parsed.start.kind), int(sfpStartChoice::Demo));

    // Without the option nobody listens.
    QVERIFY(
        !qx5170fpParseCommandLine({QStringLiteral("qx5170fp"), QStringLiteral("--demo")}).listen);
}

void tst_CommandLine::listenPortInUse()
{
    // Another program has the port: one line, status 1, and nothing was
    // connected (no driver call at all).
    QTcpServer other;
    QVERIFY(other.listen(QHostAddress::LocalHost, 0));
    const QString port = QString::number(other.serverPort());
    // The toolkit's own note about a missing runtime folder is not ours.
    QTemporaryDir runtime;
    const QStringList environment {QStringLiteral("XDG_RUNTIME_DIR=") + runtime.path()};
    const Run run = runProgram({QStringLiteral("-platform"), QStringLiteral("offscreen"),
                                QStringLiteral("--address"), QStringLiteral("VXI0::1::INSTR"),
                                QStringLiteral("--fc"), QStringLiteral("2"),
                                QStringLiteral("--listen"), port},
                               environment);
    QCOMPARE(run.status, 1);
    QCOMPARE(QString::fromUtf8(run.err),
             QStringLiteral("qx5170fp: the remote control cannot listen on 127.0.0.1:%1: The bound "
                            "address is already in use\n")
                 .arg(port));
    QCOMPARE(run.trace, QByteArray());
    QCOMPARE(run.out, QByteArray());

    // An address of no interface of this machine.
    const Run foreign = runProgram({QStringLiteral("-platform"), QStringLiteral("offscreen"),
                                    QStringLiteral("--demo"), QStringLiteral("--listen"),
                                    QStringLiteral("192.0.2.1:5025"), QStringLiteral("--allow"),
                                    QStringLiteral("192.0.2.0/24")},
                                   environment);
    QCOMPARE(foreign.status, 1);
    QVERIFY2(
        foreign.err.startsWith("qx5170fp: the remote control cannot listen on 192.0.2.1:5025: "),
        foreign.err.constData());
    QCOMPARE(foreign.err.count('\n'), 1);
}

void tst_CommandLine::listenWarnsOfOpenAddresses()
{
    QTemporaryDir folder;
    const quint16 port = freePort();
    QVERIFY(port != 0);
    const QByteArray every = "qx5170fp: the remote control listens on 0.0.0.0:"
        + QByteArray::number(port) + ": anyone who can reach it there can switch the relays\n";
    const QByteArray listed = "qx5170fp: the remote control listens on 0.0.0.0:"
        + QByteArray::number(port) + " for the loopback and the addresses --allow names\n";
    const struct
    {
        QStringList options;
        QByteArray line;
    } runs[] = {
        {{QStringLiteral("--listen"), QStringLiteral("0.0.0.0:%1").arg(port),
          QStringLiteral("--allow"), QStringLiteral("any")},
         every},
        {{QStringLiteral("--listen"), QStringLiteral("0.0.0.0:%1").arg(port),
          QStringLiteral("--allow"), QStringLiteral("192.0.2.0/24")},
         listed},
        {{QStringLiteral("--listen"), QString::number(port)}, QByteArray()},
    };
    for (const auto &run : runs) {
        QProcess process;
        startInDemo(process, folder, run.options);
        QVERIFY(process.waitForStarted());
        QCOMPARE(identityOnceUp(QHostAddress(QHostAddress::LocalHost), port),
                 QByteArrayLiteral("Orbelan,5170,DEMO,1.4.0\n"));
        process.kill();
        QVERIFY(process.waitForFinished());
        const QByteArray err = process.readAllStandardError();
        QCOMPARE(err.contains(every), run.line == every);
        QCOMPARE(err.contains(listed), run.line == listed);
        QVERIFY(err.count("the remote control listens") <= 1);
    }
}

void tst_CommandLine::signalWhileTheCardOpens()
{
    // A service manager stops the panel while its card still opens (a
    // slow LAN box): it ends once the card is open, as it would have
    // later, with status 0, rather than serving on unasked.
    QTemporaryDir folder;
    const QString description = folder.filePath(QStringLiteral("slow.json"));
    QVERIFY(sfptest::writeFile(
        description,
        R"({"resources": [{"descriptor": "VXI0::1::INSTR", "slot": 5, "openTimeMs": 4000,
            "motherboard": {"code": "0x0B52", "positions": 4,
                            "cards": [{"position": 2, "code": "0x5170"}]}}]})"));
    const quint16 port = freePort();
    QVERIFY(port != 0);
    QProcess process;
    process.setProcessEnvironment(
        programEnvironment(folder, folder.filePath(QStringLiteral("trace.txt")),
                           {QStringLiteral("SFP_SIM_CONFIG=") + description}));
    process.start(QStringLiteral(SFP_PROGRAM),
                  {QStringLiteral("--simulate"), QStringLiteral("-platform"),
                   QStringLiteral("offscreen"), QStringLiteral("--address"),
                   QStringLiteral("VXI0::1::INSTR"), QStringLiteral("--fc"), QStringLiteral("2"),
                   QStringLiteral("--listen"), QString::number(port)});
    QVERIFY(process.waitForStarted());
    // It listens, and takes the signal, before it opens the card.
    QVERIFY(QTest::qWaitFor([port] {
        QTcpSocket probe;
        probe.connectToHost(QHostAddress::LocalHost, port);
        return probe.waitForConnected(100);
    }));
    process.terminate();
    QVERIFY(process.waitForFinished(60000));
    QCOMPARE(process.exitStatus(), QProcess::NormalExit);
    QCOMPARE(process.exitCode(), 0);
}

void tst_CommandLine::listenOnEveryAddress()
{
    // --listen [::]:PORT takes IPv4 clients as well as IPv6 ones, and the
    // warning names it as it was typed.
    QTemporaryDir folder;
    const quint16 port = freePort();
    QVERIFY(port != 0);
    QProcess process;
    startInDemo(process, folder,
                {QStringLiteral("--listen"), QStringLiteral("[::]:%1").arg(port),
                 QStringLiteral("--allow"), QStringLiteral("any")});
    QVERIFY(process.waitForStarted());
    QList<QHostAddress> clients {QHostAddress(QHostAddress::LocalHost)};
    QTcpServer ipv6Probe;
    if (ipv6Probe.listen(QHostAddress::LocalHostIPv6, 0))
        clients.append(QHostAddress(QHostAddress::LocalHostIPv6));
    for (const QHostAddress &address : clients)
        QCOMPARE(identityOnceUp(address, port), QByteArrayLiteral("Orbelan,5170,DEMO,1.4.0\n"));
    process.kill();
    QVERIFY(process.waitForFinished());
    QVERIFY(process.readAllStandardError().contains(
        "qx5170fp: the remote control listens on [::]:" + QByteArray::number(port)
        + ": anyone who can reach it there can switch the relays\n"));
}

void tst_CommandLine::idleTimeout()
{
    // --idle-timeout 1: a client that sends nothing for a second is let go;
    // one that keeps talking stays.
    QTemporaryDir folder;
    const quint16 port = freePort();
    QVERIFY(port != 0);
    QProcess process;
    startInDemo(process, folder,
                {QStringLiteral("--listen"), QString::number(port),
                 QStringLiteral("--idle-timeout"), QStringLiteral("1")});
    QVERIFY(process.waitForStarted());
    const auto ask = [](QTcpSocket &client, const QByteArray &line) {
        client.write(line + '\n');
        QByteArray answer;
        while (!answer.endsWith('\n') && client.waitForReadyRead(5000))
            answer += client.readAll();
        return answer;
    };
    QTcpSocket silent;
    QVERIFY(QTest::qWaitFor(
        [&] {
            silent.abort();
            silent.connectToHost(QHostAddress::LocalHost, port);
            return silent.waitForConnected(200);
        },
        15000));
    QCOMPARE(ask(silent, "*OPC?"), QByteArrayLiteral("1\n"));
    QTcpSocket talking;
    talking.connectToHost(QHostAddress::LocalHost, port);
    QVERIFY(talking.waitForConnected(5000));
    for (int i = 0; i < 6; ++i) {
        QCOMPARE(ask(talking, "*OPC?"), QByteArrayLiteral("1\n"));
        QTest::qWait(400);
    }
    // The silent one was let go without another word.
    QCOMPARE(silent.state(), QAbstractSocket::UnconnectedState);
    QCOMPARE(silent.readAll(), QByteArray());
    QCOMPARE(ask(talking, "*OPC?"), QByteArrayLiteral("1\n"));
    process.kill();
    QVERIFY(process.waitForFinished());
}

void tst_CommandLine::fixtureFiles()
{
    QTemporaryDir folder;
    const QString fixtures = folder.filePath(QStringLiteral("config/qx5170fp/fixtures"));
    QVERIFY(QDir().mkpath(fixtures));
    const auto write = [](const QString &path, const QByteArray &text) {
        QFile file(path);
        return file.open(QIODevice::WriteOnly | QIODevice::Truncate)
            && file.write(text) == text.size();
    };
    const QString named = folder.filePath(QStringLiteral("named.json"));
    QVERIFY(write(named, R"({"rules": [{"name": "PSU/GND", "mutual": [3, 33]}]})"));

    // A named file with a fault ends the program before anything is
    // connected: one line with the file, the place and the reason.
    const QStringList demo {QStringLiteral("-platform"), QStringLiteral("offscreen"),
                            QStringLiteral("--demo")};
    Run run = runProgram(QStringList {QStringLiteral("--fixture"), named} + demo);
    QCOMPARE(run.status, 2);
    QCOMPARE(run.err,
             "qx5170fp: the fixture " + named.toUtf8()
                 + " cannot be used: /rules/0/mutual/1: a relay is a whole number from 1 to 32\n");
    QCOMPARE(run.trace, QByteArray());
    run = runProgram(QStringList {QStringLiteral("--fixture"), folder.filePath("none.json")}
                     + demo);
    QCOMPARE(run.status, 2);
    QCOMPARE(run.err,
             "qx5170fp: the fixture " + folder.filePath("none.json").toUtf8()
                 + " cannot be used: there is no such file\n");
    run = runProgram({QStringLiteral("--fixture=")});
    QCOMPARE(run.status, 2);
    QVERIFY(run.err.startsWith("qx5170fp: --fixture needs a file.\n"));

    // The card's own file, found by its id once the card is known.
    const QString own = fixtures + QStringLiteral("/DEMO.json");
    QVERIFY(write(own, "{\"labels\": {\"1\": \"a\\u0007\"}}"));
    run = runProgram(demo, {"XDG_CONFIG_HOME=" + folder.filePath(QStringLiteral("config"))});
    QCOMPARE(run.status, 2);
    QVERIFY2(run.err.endsWith("qx5170fp: the fixture " + own.toUtf8()
                              + " cannot be used: /labels/1: a label holds a control character "
                                "(U+0007)\n"),
             run.err.constData());
    QCOMPARE(run.err.count("qx5170fp:"), 1);
    // A card's own file with a fault is found before the card is opened,
    // which resets it: the card is left as it was.
    const QString cards = fixtures + QStringLiteral("/VXI0::1::INSTR%2FFC2.json");
    QVERIFY(write(cards, "{\"labels\": {\"40\": \"x\"}}"));
    run = runProgram({QStringLiteral("-platform"), QStringLiteral("offscreen"),
                      QStringLiteral("--address"), QStringLiteral("VXI0::1::INSTR"),
                      QStringLiteral("--fc"), QStringLiteral("2")},
                     {"XDG_CONFIG_HOME=" + folder.filePath(QStringLiteral("config"))});
    QCOMPARE(run.status, 2);
    QVERIFY2(
        run.err.endsWith("qx5170fp: the fixture " + cards.toUtf8()
                         + " cannot be used: "
                           "/labels/40: \"40\" is not a relay of the card (\"1\" to \"32\")\n"),
        run.err.constData());
    QCOMPARE(run.err.count("qx5170fp:"), 1);
    QVERIFY2(!run.trace.contains("qx5170_init"), run.trace.constData());
    QVERIFY(QFile::remove(cards));

    // A file named on the command line stands instead of the card's own;
    // unknown keys are named and left out; another card's file is not read.
    QVERIFY(write(named, R"({"rules": [{"name": "PSU/GND", "mutual": [3, 7]}], "colour": 1})"));
    QVERIFY(write(fixtures + QStringLiteral("/VXI0::1::INSTR%2FFC2.json"), "broken"));
    const quint16 port = freePort();
    QVERIFY(port != 0);
    for (const bool byName : {true, false}) {
        if (!byName)
            QVERIFY(QFile::rename(named, own) || (QFile::remove(own) && QFile::rename(named, own)));
        const QString path = byName ? named : own;
        QProcess process;
        QStringList options {QStringLiteral("--listen"), QString::number(port)};
        if (byName)
            options << QStringLiteral("--fixture") << named;
        startInDemo(process, folder, options);
        QVERIFY(process.waitForStarted());
        QCOMPARE(identityOnceUp(QHostAddress(QHostAddress::LocalHost), port),
                 QByteArrayLiteral("Orbelan,5170,DEMO,1.4.0\n"));
        QCOMPARE(responseTo(port, "ROUT:CLOS (@3);CLOS (@7);:SYST:ERR?;:ROUT:CLOS?"),
                 QByteArray(R"(-221,"Settings conflict;""PSU/GND"" allows one of relays )"
                            R"(3, 7";(@3))"
                            "\n"));
        // Ended as a service manager ends it, so that it ends as it should.
        process.terminate();
        QVERIFY(process.waitForFinished());
        const QByteArray err = process.readAllStandardError();
        QVERIFY2(err.contains("qx5170fp: the fixture " + path.toUtf8()
                              + ": /colour: unknown key \"colour\", ignored\n"),
                 err.constData());
        QVERIFY(!err.contains("cannot be used"));
    }

    // A label a script gives is there after a restart; the rules and the
    // unknown key stay in the file, another card's file is not touched.
    for (const QByteArray &line :
         {QByteArray(R"(ROUT:CHAN:LAB "PSU rail",(@3);:ROUT:CHAN:LAB? (@3,4))"),
          QByteArray("ROUT:CHAN:LAB? (@3,4)")}) {
        QProcess process;
        startInDemo(process, folder, {QStringLiteral("--listen"), QString::number(port)});
        QVERIFY(process.waitForStarted());
        QCOMPARE(identityOnceUp(QHostAddress(QHostAddress::LocalHost), port),
                 QByteArrayLiteral("Orbelan,5170,DEMO,1.4.0\n"));
        QCOMPARE(responseTo(port, line), QByteArray("\"PSU rail\",\"\"\n"));
        // Ended as a service manager ends it, so that it ends as it should.
        process.terminate();
        QVERIFY(process.waitForFinished());
    }
    QFile ownFile(own);
    QVERIFY(ownFile.open(QIODevice::ReadOnly));
    const QByteArray kept = ownFile.readAll();
    QVERIFY2(kept.contains("\"colour\": 1") && kept.contains("\"PSU/GND\""), kept.constData());
    QFile other(fixtures + QStringLiteral("/VXI0::1::INSTR%2FFC2.json"));
    QVERIFY(other.open(QIODevice::ReadOnly));
    QCOMPARE(other.readAll(), QByteArray("broken"));
}

void tst_CommandLine::optionsFiles_data()
{
    QTest::addColumn<QByteArray>("text"); // of the file; empty: none there
    QTest::addColumn<QStringList>("after"); // the words after --options-file FILE
    QTest::addColumn<QString>("error"); // with FILE for the file's path; empty: read

    const QByteArray good = "# the bench by the door\n\n--headless\n  --listen 127.0.0.1:5025  \n"
                            "--demo\n--fixture /etc/qx5170fp/bench fixture.json\n";
    QTest::newRow("comments, blanks, a value with blanks") << good << QStringList() << "";
    QTest::newRow("missing") << QByteArray() << QStringList()
                             << "the options file FILE: there is no such file";
    QTest::newRow("too large") << QByteArray(qsizetype(65) * 1024, '#') << QStringList()
                               << "the options file FILE is larger than 64 KiB";
    QTest::newRow("unknown option") << QByteArray("--demo\n\n--frobnicate yes\n") << QStringList()
                                    << "the options file FILE:3: Unknown option 'frobnicate'.";
    QTest::newRow("value out of range")
        << QByteArray("--address VXI0::1::INSTR\n--fc 9\n") << QStringList()
        << "the options file FILE:2: --fc must be a function-card number from 1 to 8, not '9'.";
    QTest::newRow("a second way to the card")
        << QByteArray("--listen 5025\n--scan\n") << QStringList {"--demo"}
        << "the options file FILE:2: Choose only one of --demo, --scan and --address.";
    QTest::newRow("no option") << QByteArray("listen 5025\n") << QStringList()
                               << "the options file FILE:1: 'listen' is no option";
    QTest::newRow("nested") << QByteArray("--options-file=/etc/other.conf\n") << QStringList()
                            << "the options file FILE:1: an options file names no other";
    QTest::newRow("twice") << good << QStringList {"--options-file", "FILE"}
                           << "Option 'options-file' given more than once.";
    // What is missing is no line's.
    QTest::newRow("missing a way in")
        << QByteArray("--headless\n--demo\n") << QStringList()
        << "--headless needs a way in for clients: give --listen or --http.";
}

void tst_CommandLine::optionsFiles()
{
    QFETCH(QByteArray, text);
    QFETCH(QStringList, after);
    QFETCH(QString, error);
    QTemporaryDir folder;
    const QString path = folder.filePath(QStringLiteral("bench.conf"));
    if (!text.isEmpty())
        QVERIFY(sfptest::writeFile(path, text));
    after.replaceInStrings(QStringLiteral("FILE"), path);
    const qx5170fpCommandLine parsed = qx5170fpParseCommandLine(
        QStringList {QStringLiteral("qx5170fp"), QStringLiteral("--options-file"), path} + after);
    if (error.isEmpty()) {
        QCOMPARE(parsed.action, qx5170fpCommandLine::Run);
        QVERIFY(parsed.headless);
        QCOMPARE(int(parsed.start.kind), int(sfpStartChoice::Demo));
        QCOMPARE(parsed.listenPort, quint16(5025));
        QCOMPARE(parsed.fixture, QStringLiteral("/etc/qx5170fp/bench fixture.json"));
        // Written with '=', the words after it still count.
        const qx5170fpCommandLine joined = qx5170fpParseCommandLine(
            QStringList {QStringLiteral("qx5170fp"), QStringLiteral("--options-file=") + path,
                         QStringLiteral("--break-before-make")});
        QCOMPARE(joined.action, qx5170fpCommandLine::Run);
        QVERIFY(joined.breakBeforeMake);
        QVERIFY(joined.headless);
        return;
    }
    QCOMPARE(parsed.action, qx5170fpCommandLine::Error);
    QCOMPARE(parsed.error, QString(error).replace(QStringLiteral("FILE"), path));
    // A folder in the file's place, and the program's own exit status.
    if (QTest::currentDataTag() == QByteArray("missing")) {
        const Run run = runProgram({QStringLiteral("--options-file"), folder.path()});
        QCOMPARE(run.status, 2);
        QCOMPARE(QString::fromUtf8(run.err),
                 QStringLiteral("qx5170fp: the options file %1 is not a regular file\n"
                                "Try 'qx5170fp --help' for more information.\n")
                     .arg(folder.path()));
    }
}

void tst_CommandLine::relayWearSurvivesAKill()
{
    // Every closing the card makes is counted in the card's own file: a
    // second after the last one it is there, and a panel killed in the
    // middle of a burst leaves a whole file, never a cut one, and a
    // switching log of whole lines.
    QTemporaryDir folder;
    const QString trace = folder.filePath(QStringLiteral("trace.txt"));
    const QString counts
        = folder.filePath(QStringLiteral("state/qx5170fp/VXI0::1::INSTR%2FFC2/relay-cycles.json"));
    const quint16 port = freePort();
    QVERIFY(port != 0);
    const auto start = [&](QProcess &process) {
        process.setProcessEnvironment(programEnvironment(folder, trace, {}));
        process.start(QStringLiteral(SFP_PROGRAM),
                      {"--simulate", "-platform", "offscreen", "--address", "VXI0::1::INSTR",
                       "--fc", "2", "--listen", QString::number(port)});
        return process.waitForStarted()
            && identityOnceUp(QHostAddress(QHostAddress::LocalHost), port)
            == "Orbelan,5170,VXI0::1::INSTR/FC2,1.4.0\n";
    };
    // Switches every relay `rounds` times and waits until the panel has
    // run it all; false if it stopped answering.
    const auto burst = [port](int rounds) {
        QTcpSocket client;
        client.connectToHost(QHostAddress::LocalHost, port);
        if (!client.waitForConnected(5000))
            return false;
        for (int round = 0; round < rounds; ++round)
            client.write("ROUT:CLOS (@1:32);:ROUT:OPEN (@1:32)\n");
        client.write("*OPC?\n");
        QByteArray answer;
        while (!answer.endsWith('\n') && client.waitForReadyRead(30000))
            answer += client.readAll();
        return answer == "1\n";
    };

    QProcess panel;
    QVERIFY(start(panel));
    QVERIFY(burst(20));
    // Well past the second within which the counts are written, also on a
    // machine busy with sanitized tests.
    QTest::qWait(3000);
    ::kill(pid_t(panel.processId()), SIGKILL);
    QVERIFY(panel.waitForFinished());
    std::optional<std::array<qint64, 32>> inFile = countsInFile(counts);
    QVERIFY(inFile);
    QCOMPARE(inFile->at(0), qint64(20));
    QCOMPARE(*inFile, closingsInTrace(trace));

    // Started again, it goes on from the file; killed during a burst, the
    // file is whole and holds no closing the card did not make.
    QProcess again;
    QVERIFY(start(again));
    QCOMPARE(responseTo(port, "DIAG:REL:CYCL? (@1,32)"), QByteArray("20,20\n"));
    QTcpSocket client;
    client.connectToHost(QHostAddress::LocalHost, port);
    QVERIFY(client.waitForConnected(5000));
    // Lines sent without a pause for 2.5 s, and the panel killed while it
    // still has lines to run: its counter has written more than once.
    QElapsedTimer sending;
    sending.start();
    while (!sending.hasExpired(2500)) {
        for (int round = 0; round < 50; ++round)
            client.write("ROUT:CLOS (@1:32);:ROUT:OPEN (@1:32)\n");
        client.waitForBytesWritten(100);
    }
    ::kill(pid_t(again.processId()), SIGKILL);
    QVERIFY(again.waitForFinished());
    inFile = countsInFile(counts);
    QVERIFY2(inFile, sfptest::fileContents(counts).constData());
    const std::array<qint64, 32> made = closingsInTrace(trace);
    qInfo("relay 1: %lld closings in the file, %lld made", inFile->at(0), made[0]);
    // The switching log of the killed panel holds whole lines only, one
    // per change up to where it stopped. The burst fills many files of
    // 10 MiB: the kill may come just after a move to ".1", so the lines
    // are counted in the file before it too.
    const QString logPath = QFileInfo(counts).path() + "/switching.jsonl";
    qsizetype loggedLines = 0;
    for (const QString &path : {logPath + ".1", logPath}) {
        if (path != logPath && !QFileInfo::exists(path))
            continue;
        const QByteArray log = sfptest::fileContents(path);
        QVERIFY2(log.endsWith('\n'), qPrintable(path));
        int skipped = -1;
        const QList<sfp::SwitchingEvent> logged = sfp::switchingLog::read(log, {}, {}, &skipped);
        QCOMPARE(skipped, 0);
        QCOMPARE(logged.size(), log.count('\n'));
        loggedLines += logged.size();
    }
    QVERIFY(loggedLines > qsizetype(2) * 64 * 20);
    for (size_t relay = 0; relay < 32; ++relay) {
        QVERIFY(inFile->at(relay) >= 20);
        QVERIFY(inFile->at(relay) <= made[relay]);
    }

    // Ended as a service manager ends it, every count is kept.
    QProcess last;
    QVERIFY(start(last));
    QVERIFY(burst(3));
    last.terminate();
    QVERIFY(last.waitForFinished());
    // What the kill lost stays lost; the last run's 3 closings of each
    // relay are all there.
    const std::array<qint64, 32> atEnd = closingsInTrace(trace);
    std::array<qint64, 32> expected = *inFile;
    for (size_t relay = 0; relay < 32; ++relay) {
        QCOMPARE(atEnd[relay] - made[relay], qint64(3));
        expected[relay] += 3;
    }
    QCOMPARE(*countsInFile(counts), expected);
}

// The driver calls that switch the card, in a trace file, each session's
// handle written "VI".
QStringList switchingCalls(const QString &path)
{
    QStringList calls;
    for (QString line :
         sfptest::traceFile(path,
                            {"qx5170_switchRelay(", "qx5170_setSwitchingMode(",
                             "qx5170_updateRelaysState(", "qx5170_pulseSynchTrigger("})) {
        const qsizetype open = line.indexOf(QLatin1Char('('));
        qsizetype end = line.indexOf(QLatin1Char(','), open);
        if (end < 0)
            end = line.indexOf(QLatin1Char(')'), open);
        calls.append(line.replace(open + 1, end - open - 1, QStringLiteral("VI")));
    }
    return calls;
}

void tst_CommandLine::closingsOfATraceCutByAKill()
{
    // The first run killed in the middle of a line; the second run's first
    // line continues it. Its closing of relay 3 is counted once, by the
    // second run, and the first run's cut line is no closing.
    QTemporaryDir folder;
    const QString trace = folder.filePath(QStringLiteral("trace.txt"));
    QVERIFY(sfptest::writeFile(trace,
                               "qx5170_init(1)\ncard VXI0::1::INSTR FC2 relay 3 on\n"
                               "card VXI0::1::INSTR FC2 relay 3 off\n"
                               "card VXI0::1::INSTR FC2 relay 3 on"));
    const std::array<qint64, 32> made = closingsInTrace(trace);
    QCOMPARE(made[2], qint64(1));
    QFile file(trace);
    QVERIFY(file.open(QIODevice::Append));
    file.write("viOpenDefaultRM()\nqx5170_init(1)\ncard VXI0::1::INSTR FC2 relay 3 on\n"
               "card VXI0::1::INSTR FC2 relay 3 off\ncard VXI0::1::INSTR FC2 relay 12 on\n");
    file.close();
    const std::array<qint64, 32> atEnd = closingsInTrace(trace);
    QCOMPARE(atEnd[2] - made[2], qint64(1));
    QCOMPARE(atEnd[11], qint64(1));
    // The second run's start swallowed by a cut line is still its start.
    QVERIFY(sfptest::writeFile(trace,
                               "card VXI0::1::INSTR FC2 relay 5 on\n"
                               "card VXI0::1::INSTR FC2 relay 5 ofqx5170_init(1)\n"
                               "card VXI0::1::INSTR FC2 relay 5 on\n"));
    QCOMPARE(closingsInTrace(trace)[4], qint64(2));
}

void tst_CommandLine::switchingLogOfSeveralRunsReplayed()
{
    // Two runs of the panel on one card, each starting on the card as it
    // was found (the simulated one is new, every relay open): replayed on
    // another card, the lines leave it as the second run left its card.
    QTemporaryDir folder;
    const quint16 port = freePort();
    QVERIFY(port != 0);
    const auto start = [&folder, port](QProcess &process, const QStringList &card) {
        process.setProcessEnvironment(programEnvironment(folder, QString(), {}));
        process.start(
            QStringLiteral(SFP_PROGRAM),
            QStringList {"--simulate", "-platform", "offscreen", "--listen", QString::number(port)}
                + card);
        return process.waitForStarted()
            && !identityOnceUp(QHostAddress(QHostAddress::LocalHost), port).isEmpty();
    };
    const QStringList card {"--address", "VXI0::1::INSTR", "--fc", "2"};
    const QByteArray query = "ROUT:CLOS? (@1:4);:ROUT:MODE?";
    QByteArray logged;
    for (const QByteArray &line : {QByteArray("ROUT:CLOS (@1,2);:ROUT:MODE COMM;*OPC?"),
                                   QByteArray("ROUT:CLOS (@3);*OPC?")}) {
        QProcess run;
        QVERIFY(start(run, card));
        QCOMPARE(responseTo(port, line), QByteArray("1\n"));
        logged = responseTo(port, query);
        run.terminate();
        QVERIFY(run.waitForFinished());
    }
    QCOMPARE(logged, QByteArray("0,0,1,0;ASYN\n"));
    const QString log
        = folder.filePath(QStringLiteral("state/qx5170fp/VXI0::1::INSTR%2FFC2/switching.jsonl"));
    const Run scpi = runProgram({"--log-to-scpi", log});
    QCOMPARE(scpi.status, 0);
    QCOMPARE(scpi.out.count("*RST\n"), 2);
    QProcess replayed;
    QVERIFY(start(replayed, {"--address", "VXI0::5::INSTR", "--fc", "3", "--no-log"}));
    for (const QByteArray &line : scpi.out.trimmed().split('\n'))
        QCOMPARE(responseTo(port, line + ";*OPC?"), QByteArray("1\n"));
    QCOMPARE(responseTo(port, query), logged);
    replayed.terminate();
    QVERIFY(replayed.waitForFinished());
}

void tst_CommandLine::switchingLogReplayedOnAnotherCard()
{
    // Two scripts share a card; its log, turned into SCPI lines and sent to
    // a panel on another card, gives that card the same relays, mode and
    // rule through the same driver calls. Its timeline, read by sigrok,
    // shows the logged changes at the logged times.
    QTemporaryDir first;
    QTemporaryDir second;
    const quint16 port = freePort();
    QVERIFY(port != 0);
    const auto start
        = [port](QProcess &process, const QTemporaryDir &folder, const QStringList &card) {
              process.setProcessEnvironment(
                  programEnvironment(folder, folder.filePath(QStringLiteral("trace.txt")), {}));
              process.start(QStringLiteral(SFP_PROGRAM),
                            QStringList {"--simulate", "-platform", "offscreen", "--listen",
                                         QString::number(port)}
                                + card);
              return process.waitForStarted()
                  && !identityOnceUp(QHostAddress(QHostAddress::LocalHost), port).isEmpty();
          };
    QProcess recorded;
    QVERIFY(start(recorded, first, {"--address", "VXI0::1::INSTR", "--fc", "2"}));
    QTcpSocket a;
    QTcpSocket b;
    for (QTcpSocket *client : {&a, &b}) {
        client->connectToHost(QHostAddress::LocalHost, port);
        QVERIFY(client->waitForConnected(5000));
    }
    const auto run = [](QTcpSocket &client, const QByteArray &line) {
        client.write(line + ";*OPC?\n");
        QByteArray answer;
        while (!answer.endsWith('\n') && client.waitForReadyRead(5000))
            answer += client.readAll();
        return answer;
    };
    const QList<QPair<QTcpSocket *, QByteArray>> session {
        {&a, "ROUT:CLOS (@1,2,5)"}, {&b, "ROUT:EXCL ON"},      {&a, "ROUT:CLOS (@6)"},
        {&b, "ROUT:MODE COMM"},     {&a, "ROUT:CLOS (@9,12)"}, {&b, "ROUT:UPD"},
        {&a, "ROUT:MODE TRIG"},     {&b, "ROUT:CLOS (@20)"},   {&a, "*TRG"},
        {&b, "ROUT:OPEN (@1)"},     {&a, "ROUT:MODE ASYN"},    {&b, "ROUT:EXCL OFF"},
        {&a, "ROUT:CLOS (@2)"},     {&b, "ROUT:CLOS (@7)"}};
    for (const auto &[client, line] : session) {
        QCOMPARE(run(*client, line), QByteArray("1\n"));
        QTest::qWait(3);
    }
    const QByteArray query = "ROUT:CLOS? (@1:32);:ROUT:MODE?;:ROUT:EXCL?";
    const QByteArray card = run(a, query);
    QCOMPARE(card.count(','), 31);
    recorded.terminate();
    QVERIFY(recorded.waitForFinished());

    // Each line of the log a whole event, from one of the two scripts.
    const QString log
        = first.filePath(QStringLiteral("state/qx5170fp/VXI0::1::INSTR%2FFC2/switching.jsonl"));
    const QByteArray text = sfptest::fileContents(log);
    int skipped = -1;
    const QList<sfp::SwitchingEvent> events = sfp::switchingLog::read(text, {}, {}, &skipped);
    QCOMPARE(skipped, 0);
    QCOMPARE(events.size(), text.count('\n'));
    QCOMPARE(events.first().kind, sfp::SwitchingEvent::Kind::Start);
    const QString sourceA = QStringLiteral("socket 127.0.0.1:%1").arg(a.localPort());
    const QString sourceB = QStringLiteral("socket 127.0.0.1:%1").arg(b.localPort());
    int withStatus = 0;
    for (const sfp::SwitchingEvent &event : events.mid(1)) {
        QVERIFY2(event.source == sourceA || event.source == sourceB, qPrintable(event.source));
        withStatus += event.status.has_value() ? 1 : 0;
    }
    const QStringList calls = switchingCalls(first.filePath(QStringLiteral("trace.txt")));
    QCOMPARE(withStatus, calls.size());

    // Replayed on FC 3 in slot 9, without a log of its own.
    const Run scpi = runProgram({"--log-to-scpi", log});
    QCOMPARE(scpi.status, 0);
    QCOMPARE(scpi.err, QByteArray());
    QVERIFY(scpi.out.startsWith(
        "*RST\nROUT:CLOS (@1)\nROUT:CLOS (@2)\nROUT:CLOS (@5)\nROUT:EXCL ON\n"));
    QProcess replayed;
    QVERIFY(start(replayed, second, {"--address", "VXI0::5::INSTR", "--fc", "3", "--no-log"}));
    QTcpSocket c;
    c.connectToHost(QHostAddress::LocalHost, port);
    QVERIFY(c.waitForConnected(5000));
    for (const QByteArray &line : scpi.out.trimmed().split('\n'))
        QCOMPARE(run(c, line), QByteArray("1\n"));
    QCOMPARE(run(c, query), card);
    replayed.terminate();
    QVERIFY(replayed.waitForFinished());
    // The start's reset sets the mode the card had at the start once more.
    const QStringList replayedCalls = switchingCalls(second.filePath(QStringLiteral("trace.txt")));
    QCOMPARE(replayedCalls.first(), QString("qx5170_setSwitchingMode(VI, 1, 0) = 0"));
    QCOMPARE(replayedCalls.mid(1), calls);
    // --no-log keeps no log; the relays' counts are kept all the same.
    const QString secondCard
        = second.filePath(QStringLiteral("state/qx5170fp/VXI0::5::INSTR%2FFC3"));
    QVERIFY(!QFileInfo::exists(secondCard + QStringLiteral("/switching.jsonl")));
    QVERIFY(QFileInfo::exists(secondCard + QStringLiteral("/relay-cycles.json")));

    // Only the lines from a time on.
    const QDateTime from = events.at(5).time;
    const Run since
        = runProgram({"--log-to-scpi", log, "--since", from.toString(Qt::ISODateWithMs)});
    QCOMPARE(since.status, 0);
    QVERIFY(scpi.out.endsWith(since.out));
    QVERIFY(since.out.size() < scpi.out.size());

    // The timeline: relay 2 as sigrok reads it, sample by sample (one a
    // millisecond from the first event), changes where the log says.
    const QString vcd = first.filePath(QStringLiteral("card.vcd"));
    const Run dumped = runProgram({"--log-to-vcd", log, vcd});
    QCOMPARE(dumped.status, 0);
    QVERIFY(sfptest::fileContents(vcd).contains("$var wire 1 \" relay2 $end"));
    const QString sigrok = QStandardPaths::findExecutable(QStringLiteral("sigrok-cli"));
    if (sigrok.isEmpty())
        QSKIP("sigrok-cli is not installed (scripts/deps.sh installs it)");
    QProcess reader;
    reader.start(sigrok, {"-I", "vcd", "-i", vcd, "-O", "csv", "-C", "relay2"});
    QVERIFY(reader.waitForFinished(60000));
    QCOMPARE(reader.exitCode(), 0);
    QList<qint64> changes;
    char last = '0';
    qint64 sample = 0;
    for (const QByteArray &row : reader.readAllStandardOutput().split('\n')) {
        if (row.isEmpty() || row.startsWith(';') || !(row.at(0) == '0' || row.at(0) == '1'))
            continue;
        if (row.at(0) != last)
            changes.append(sample);
        last = row.at(0);
        ++sample;
    }
    QList<qint64> logged;
    bool closed = false;
    for (const sfp::SwitchingEvent &event : events) {
        if (event.kind == sfp::SwitchingEvent::Kind::Relay && event.relay == 2
            && event.on != closed) {
            logged.append(events.first().time.msecsTo(event.time));
            closed = event.on;
        }
    }
    QCOMPARE(logged.size(), 3); // closed, opened by the rule, closed again
    QCOMPARE(changes, logged);
}

void tst_CommandLine::switchingLogToolsRefuse_data()
{
    QTest::addColumn<QStringList>("arguments");
    QTest::addColumn<int>("status");
    QTest::addColumn<QByteArray>("error");

    QTest::newRow("no log") << QStringList {"--log-to-scpi", "/nonexistent/switching.jsonl"} << 1
                            << QByteArray("qx5170fp: the log /nonexistent/switching.jsonl cannot "
                                          "be read: there is no such file\n");
    QTest::newRow("a folder") << QStringList {"--log-to-scpi", "/"} << 1
                              << QByteArray("qx5170fp: the log / cannot be read: is not a regular "
                                            "file\n");
    QTest::newRow("no dump file") << QStringList {"--log-to-vcd", "log.jsonl"} << 2
                                  << QByteArray("qx5170fp: --log-to-vcd takes the log and the file "
                                                "to write: --log-to-vcd LOG OUT.vcd.\n");
    QTest::newRow("both tools") << QStringList {"--log-to-scpi", "a", "--log-to-vcd", "b", "c"} << 2
                                << QByteArray("qx5170fp: Choose only one of --log-to-scpi and "
                                              "--log-to-vcd.\n");
    QTest::newRow("a bad time") << QStringList {"--log-to-scpi", "a", "--since", "noon"} << 2
                                << QByteArray("qx5170fp: --since takes a time as ISO 8601 writes "
                                              "it (2026-12-09T14:05:00, with an offset or Z where "
                                              "it is not local time), not 'noon'.\n");
    QTest::newRow("a time alone") << QStringList {"--until", "2026-12-09T14:05:00"} << 2
                                  << QByteArray("qx5170fp: --until is for --log-to-scpi and "
                                                "--log-to-vcd.\n");
    QTest::newRow("a word too many") << QStringList {"--no-log", "out.vcd"} << 2
                                     << QByteArray("qx5170fp: Unexpected argument 'out.vcd'.\n");
}

void tst_CommandLine::switchingLogToolsRefuse()
{
    QFETCH(QStringList, arguments);
    QFETCH(int, status);
    QFETCH(QByteArray, error);

    const Run run = runProgram(arguments);
    QCOMPARE(run.status, status);
    QVERIFY2(run.err.startsWith(error), run.err.constData());
    QCOMPARE(run.out, QByteArray());

    // A log with a line cut short and a line of another program: the
    // rest is read, and the skipped lines are said.
    QTemporaryDir folder;
    const QString log = folder.filePath(QStringLiteral("switching.jsonl"));
    QVERIFY(sfptest::writeFile(
        log,
        "{\"time\":\"2026-12-09T12:00:00.000Z\",\"event\":\"relay\",\"relay\":4,"
        "\"closed\":true}\n"
        "something else\n"
        "{\"time\":\"2026-12-09T12:00:00.005Z\",\"event\":\"update\",\"implied\":true}\n"
        "{\"time\":\"2026-12-09T12:00:00.007Z\",\"event\":\"relay\",\"relay\":4,\"clo"));
    const Run read = runProgram({"--log-to-scpi", log});
    QCOMPARE(read.status, 0);
    QCOMPARE(read.out, QByteArray("ROUT:CLOS (@4)\n"));
    QCOMPARE(read.err,
             "qx5170fp: the log " + log.toUtf8() + ": 2 lines are no switching events, left out\n");
}

void tst_CommandLine::stateThatCannotBeKept()
{
    // A state folder that cannot be made: the panel switches on and says
    // once that it keeps neither the log nor the counts.
    QTemporaryDir folder;
    QVERIFY(sfptest::writeFile(folder.filePath(QStringLiteral("file")), "x"));
    const quint16 port = freePort();
    QVERIFY(port != 0);
    const auto run = [&](const QString &stateHome, const QByteArray &line) {
        QProcess panel;
        panel.setProcessEnvironment(programEnvironment(
            folder, folder.filePath(QStringLiteral("trace.txt")), {"XDG_STATE_HOME=" + stateHome}));
        panel.start(QStringLiteral(SFP_PROGRAM),
                    {"--simulate", "-platform", "offscreen", "--address", "VXI0::1::INSTR", "--fc",
                     "2", "--listen", QString::number(port)});
        if (!panel.waitForStarted()
            || identityOnceUp(QHostAddress(QHostAddress::LocalHost), port).isEmpty())
            return QByteArray("<no panel>");
        const QByteArray answer = responseTo(port, line);
        // Past the second within which the counts are written.
        QTest::qWait(3000);
        responseTo(port, "ROUT:OPEN (@1:32);*OPC?");
        panel.terminate();
        panel.waitForFinished();
        return answer + panel.readAllStandardError();
    };
    const QByteArray unkept
        = run(folder.filePath(QStringLiteral("file/state")), "ROUT:CLOS (@1,2);*OPC?");
    QVERIFY2(unkept.startsWith("1\n"), unkept.constData());
    QCOMPARE(unkept.count("qx5170fp: the switching log is not kept: "), 1);
    QCOMPARE(unkept.count("qx5170fp: relay cycles are not kept: "), 1);
    QVERIFY(unkept.contains(": its folder cannot be made\n"));

    // A counter file that is not one is left as it is; nothing is counted.
    const QString counts
        = folder.filePath(QStringLiteral("state/qx5170fp/VXI0::1::INSTR%2FFC2/relay-cycles.json"));
    QVERIFY(QDir().mkpath(QFileInfo(counts).path()));
    QVERIFY(sfptest::writeFile(counts, "{\"cycles\": 7}"));
    const QByteArray uncounted = run(folder.filePath(QStringLiteral("state")),
                                     "ROUT:CLOS (@1);:DIAG:REL:CYCL? (@1);:SYST:ERR?");
    QVERIFY2(uncounted.startsWith("-300,\"Device-specific error;relay cycles are not counted\"\n"),
             uncounted.constData());
    QVERIFY2(uncounted.contains("qx5170fp: relay cycles are not counted: " + counts.toUtf8()
                                + " is not a counter file: \"cycles\" is not a list of 32 "
                                  "counts\n"),
             uncounted.constData());
    QCOMPARE(sfptest::fileContents(counts), QByteArray("{\"cycles\": 7}"));
    // The log is kept all the same.
    QVERIFY(QFileInfo(QFileInfo(counts).path() + "/switching.jsonl").size() > 0);
}

void tst_CommandLine::switchingLogToolsOnTheirFiles()
{
    QTemporaryDir folder;
    const QString log = folder.filePath(QStringLiteral("switching.jsonl"));
    QVERIFY(sfptest::writeFile(
        log,
        "{\"time\":\"2026-12-09T12:00:00.000Z\",\"card\":\"VXI0::1::INSTR/FC2\","
        "\"source\":\"operator\",\"event\":\"relay\",\"relay\":3,\"closed\":true}\n"
        "not an event\n"));
    const QString vcd = folder.filePath(QStringLiteral("card.vcd"));

    // One line that is no event, said in the singular.
    Run run = runProgram({"--log-to-vcd", log, vcd});
    QCOMPARE(run.status, 0);
    QCOMPARE(run.err,
             "qx5170fp: the log " + log.toUtf8() + ": 1 line is no switching event, left out\n");
    QVERIFY(sfptest::fileContents(vcd).contains("$var wire 1 # relay3 $end"));

    // The card's own fixture names the relays; one that cannot be used
    // leaves them their numbers; a fixture named that is not there is said.
    const QString fixtures = folder.filePath(QStringLiteral("config/qx5170fp/fixtures"));
    QVERIFY(QDir().mkpath(fixtures));
    const QString own = fixtures + QStringLiteral("/VXI0::1::INSTR%2FFC2.json");
    QVERIFY(sfptest::writeFile(own, "{\"labels\": {\"3\": \"PSU rail\"}}"));
    const QString config = "XDG_CONFIG_HOME=" + folder.filePath(QStringLiteral("config"));
    run = runProgram({"--log-to-vcd", log, vcd}, {config});
    QCOMPARE(run.status, 0);
    QVERIFY(sfptest::fileContents(vcd).contains("$var wire 1 # PSU_rail $end"));
    QVERIFY(sfptest::writeFile(own, "{\"labels\": 3}"));
    run = runProgram({"--log-to-vcd", log, vcd}, {config});
    QCOMPARE(run.status, 0);
    QVERIFY2(run.err.contains("qx5170fp: the fixture " + own.toUtf8()
                              + " cannot be used, relays are named by number: /labels: "
                                "\"labels\" is a JSON object\n"),
             run.err.constData());
    QVERIFY(sfptest::fileContents(vcd).contains("$var wire 1 # relay3 $end"));
    const QString none = folder.filePath(QStringLiteral("none.json"));
    run = runProgram({"--log-to-vcd", log, vcd, "--fixture", none});
    QCOMPARE(run.status, 0);
    QVERIFY(
        run.err.contains("qx5170fp: the fixture " + none.toUtf8() + ": there is no such file\n"));

    // A dump that cannot be written, and output that never arrives.
    run = runProgram({"--log-to-vcd", log, "/nonexistent/card.vcd"});
    QCOMPARE(run.status, 1);
    QVERIFY2(run.err.contains("qx5170fp: /nonexistent/card.vcd cannot be written: "),
             run.err.constData());
    QVERIFY(!QFileInfo::exists(QStringLiteral("/nonexistent")));
    // A disk too full for the dump keeps the one before it, and says so.
    const QString small = folder.filePath(QStringLiteral("small"));
    QVERIFY(QDir().mkpath(small));
    if (::geteuid() == 0
        && QProcess::execute(QStringLiteral("mount"),
                             {"-t", "tmpfs", "-o", "size=12k", "tmpfs", small})
            == 0) {
        const auto unmount
            = qScopeGuard([&small] { QProcess::execute(QStringLiteral("umount"), {small}); });
        const QString kept = small + QStringLiteral("/card.vcd");
        QVERIFY(sfptest::writeFile(kept, "the dump before"));
        QVERIFY(sfptest::writeFile(small + QStringLiteral("/filler"), QByteArray(8192, 'f')));
        run = runProgram({"--log-to-vcd", log, kept});
        QCOMPARE(run.status, 1);
        QVERIFY2(run.err.contains("qx5170fp: " + kept.toUtf8() + " cannot be written: "),
                 run.err.constData());
        QCOMPARE(sfptest::fileContents(kept), QByteArray("the dump before"));
    }
    run = runProgram({"--log-to-scpi", log}, {}, QStringLiteral("/dev/full"));
    QCOMPARE(run.status, 1);
    QVERIFY2(run.err.contains("qx5170fp: cannot write to standard output: No space left on "
                              "device\n"),
             run.err.constData());
    run = runProgram({"--log-to-scpi="});
    QCOMPARE(run.status, 2);
    QVERIFY(run.err.startsWith("qx5170fp: --log-to-scpi needs a log file.\n"));
}

SFPTEST_MAIN(tst_CommandLine)
#include "tst_commandline.moc"

void tst_CommandLine::setPassword_data()
{
    QTest::addColumn<bool>("terminal");
    QTest::addColumn<QByteArrayList>("typed");
    QTest::addColumn<int>("status");
    QTest::addColumn<QByteArray>("err"); // after the prompts

    QTest::newRow("standard input")
        << false << QByteArrayList {"correct horse\n"} << 0 << QByteArray();
    QTest::newRow("standard input, no line end")
        << false << QByteArrayList {"correct horse"} << 0 << QByteArray();
    QTest::newRow("standard input, empty line")
        << false << QByteArrayList {"\n"} << 2
        << QByteArray("qx5170fp: an empty password is refused; nothing was written\n");
    QTest::newRow("standard input, nothing")
        << false << QByteArrayList {} << 2
        << QByteArray("qx5170fp: no password was read (one line, at most 4096 bytes)\n");
    QTest::newRow("standard input, too long")
        << false << QByteArrayList {QByteArray(5000, 'p') + '\n'} << 2
        << QByteArray("qx5170fp: no password was read (one line, at most 4096 bytes)\n");
    QTest::newRow("terminal, twice the same")
        << true << QByteArrayList {"correct horse\n", "correct horse\n"} << 0 << QByteArray();
    QTest::newRow("terminal, two different")
        << true << QByteArrayList {"correct horse\n", "correct hose\n"} << 2
        << QByteArray("qx5170fp: the two passwords differ; nothing was written\n");
}

void tst_CommandLine::setPassword()
{
    QFETCH(bool, terminal);
    QFETCH(QByteArrayList, typed);
    QFETCH(int, status);
    QFETCH(QByteArray, err);
    QTemporaryDir folder;
    // An old file readable by all: the new one is its owner's alone.
    const QString path = folder.filePath(QStringLiteral("web.hash"));
    {
        QFile old(path);
        QVERIFY(old.open(QIODevice::WriteOnly));
        old.write("old\n");
    }
    QVERIFY(::chmod(QFile::encodeName(path).constData(), 0644) == 0);

    QProcess process;
    process.setProcessEnvironment(
        programEnvironment(folder, folder.filePath(QStringLiteral("trace.txt")), {}));
    int terminalSide = -1;
    int programSide = -1;
    if (terminal) {
        QVERIFY(::openpty(&terminalSide, &programSide, nullptr, nullptr, nullptr) == 0);
        process.setChildProcessModifier([programSide] { ::dup2(programSide, STDIN_FILENO); });
    }
    const auto closeTerminal = qScopeGuard([&] {
        if (terminalSide >= 0) {
            ::close(terminalSide);
            ::close(programSide);
        }
    });
    process.start(QStringLiteral(SFP_PROGRAM), {QStringLiteral("--set-password"), path});
    QVERIFY(process.waitForStarted());
    QByteArray said;
    if (terminal) {
        // Each line typed once the prompt asks for it: the program sets
        // the terminal's echo off first, and drops what came before.
        for (int i = 0; i < typed.size(); ++i) {
            const QByteArray prompt = i == 0 ? "Password: " : "Again: ";
            QVERIFY(QTest::qWaitFor(
                [&] {
                    process.waitForReadyRead(100);
                    said += process.readAllStandardError();
                    return said.endsWith(prompt);
                },
                30000));
            QCOMPARE(::write(terminalSide, typed.at(i).constData(), size_t(typed.at(i).size())),
                     ssize_t(typed.at(i).size()));
        }
    } else {
        for (const QByteArray &line : typed)
            process.write(line);
        process.closeWriteChannel();
    }
    QVERIFY(process.waitForFinished(30000));
    said += process.readAllStandardError();
    QCOMPARE(process.exitCode(), status);
    QCOMPARE(said, (terminal ? QByteArray("Password: Again: ") : QByteArray()) + err);
    QCOMPARE(process.readAllStandardOutput(), QByteArray());
    if (terminal) {
        // The terminal showed the line ends only, never the password.
        char echoed[256] = {};
        const ssize_t size = ::read(terminalSide, echoed, sizeof echoed);
        QVERIFY(size > 0);
        QVERIFY(!QByteArray(echoed, int(size)).contains("horse"));
    }

    QFile file(path);
    QVERIFY(file.open(QIODevice::ReadOnly));
    const QByteArray written = file.readAll();
    struct stat status0
    { };
    QVERIFY(::stat(QFile::encodeName(path).constData(), &status0) == 0);
    if (status != 0) {
        QCOMPARE(written, QByteArray("old\n"));
        return;
    }
    QCOMPARE(status0.st_mode & 0777, mode_t(0600));
    QVERIFY2(written.startsWith("$y$"), written.constData());
    QVERIFY(written.endsWith('\n'));
    QCOMPARE(written.count('\n'), 1);
    QVERIFY(!written.contains("correct") && !written.contains("horse"));
    const QByteArray hash = written.chopped(1);
    crypt_data data {};
    QCOMPARE(QByteArray(::crypt_r("correct horse", hash.constData(), &data)), hash);
    QVERIFY(QByteArray(::crypt_r("correct hose", hash.constData(), &data)) != hash);
    // The folder holds the file alone: no copy was left beside it.
    QCOMPARE(QDir(folder.path()).entryList(QDir::Files | QDir::Hidden),
             QStringList({QStringLiteral("web.hash")}));

    // A file that cannot be written: one line naming it, status 1.
    if (terminal)
        return;
    const QString under = path + QStringLiteral("/web.hash");
    QProcess failing;
    failing.start(QStringLiteral(SFP_PROGRAM), {QStringLiteral("--set-password"), under});
    QVERIFY(failing.waitForStarted());
    failing.write("correct horse\n");
    failing.closeWriteChannel();
    QVERIFY(failing.waitForFinished(30000));
    QCOMPARE(failing.exitCode(), 1);
    QCOMPARE(QString::fromUtf8(failing.readAllStandardError()),
             QStringLiteral("qx5170fp: the password file %1 cannot be written: its folder cannot "
                            "be made\n")
                 .arg(under));
}

void tst_CommandLine::webFiles()
{
    QTemporaryDir folder;
    for (const char *name : {"one", "two"})
        QVERIFY(sfptest::makeCertificate(folder.path(), QLatin1String(name)));
    const QString hash = folder.filePath(QStringLiteral("web.hash"));
    {
        QFile file(hash);
        QVERIFY(file.open(QIODevice::WriteOnly));
        file.write("$6$saltsalt$qFmFH.bQmmtXzyBY0s9v7Oicd2z4XSIecDzlB5KiA2/"
                   "jctKu9YterLp8wwnSq.qc.eoxqOmSuNp2xS0ktL3nh/\n");
    }
    QVERIFY(::chmod(QFile::encodeName(hash).constData(), 0644) == 0);
    const QString certificate = folder.filePath(QStringLiteral("one.pem"));
    const QString key = folder.filePath(QStringLiteral("one.key"));
    const QString otherKey = folder.filePath(QStringLiteral("two.key"));
    const quint16 port = freePort();
    QVERIFY(port != 0);
    const QStringList http {QStringLiteral("-platform"), QStringLiteral("offscreen"),
                            QStringLiteral("--demo"), QStringLiteral("--http"),
                            QString::number(port)};

    // Each refused in one line, with status 2, before anything listens or
    // the card is connected.
    const QList<std::pair<QStringList, QString>> refused {
        {{QStringLiteral("--password-file"), hash},
         QStringLiteral("qx5170fp: the password file %1 may be read or written by others than "
                        "its owner (chmod 600 it)\n")
             .arg(hash)},
        {{QStringLiteral("--http-certificate"), certificate, QStringLiteral("--http-key"),
          otherKey},
         QStringLiteral("qx5170fp: the key file %1 is not the key of the certificate %2\n")
             .arg(otherKey, certificate)},
    };
    // The toolkit's own note about a missing runtime folder is not ours.
    QTemporaryDir runtime;
    for (const auto &[options, line] : refused) {
        const Run run
            = runProgram(http + options, {QStringLiteral("XDG_RUNTIME_DIR=") + runtime.path()});
        QCOMPARE(run.status, 2);
        QCOMPARE(QString::fromUtf8(run.err), line);
        QCOMPARE(run.trace, QByteArray());
    }

    // With good files the page is served over HTTPS; the line for the
    // admin says who may change what beyond the loopback.
    QVERIFY(::chmod(QFile::encodeName(hash).constData(), 0600) == 0);
    const QString open = QStringLiteral("0.0.0.0:%1").arg(port);
    const QString warning = QStringLiteral(
        "qx5170fp: the web face listens on %1: anyone who can reach it there can see the "
        "relays; %2\n");
    const QStringList tls {QStringLiteral("--http-certificate"), certificate,
                           QStringLiteral("--http-key"), key};
    const QList<std::pair<QStringList, QString>> setUps {
        {{}, QStringLiteral("changes from there are refused without a password (--password-file)")},
        {{QStringLiteral("--password-file"), hash},
         QStringLiteral("changes from there are refused, as the password is taken only over "
                        "HTTPS (--http-certificate)")},
        {QStringList {QStringLiteral("--password-file"), hash} + tls,
         QStringLiteral("changes from there need the password")},
    };
    for (const auto &[options, changes] : setUps) {
        const bool secure = options.contains(QStringLiteral("--http-key"));
        QProcess process;
        startInDemo(process, folder,
                    QStringList {QStringLiteral("--http"), open, QStringLiteral("--allow"),
                                 QStringLiteral("any")}
                        + options);
        QVERIFY(process.waitForStarted());
        const auto stop = qScopeGuard([&process] {
            process.kill();
            process.waitForFinished();
        });
        QByteArray answer;
        QVERIFY(QTest::qWaitFor(
            [&] {
                QSslSocket client;
                client.setPeerVerifyMode(QSslSocket::VerifyNone);
                if (secure) {
                    client.connectToHostEncrypted(QStringLiteral("127.0.0.1"), port);
                    if (!client.waitForEncrypted(2000))
                        return false;
                } else {
                    client.connectToHost(QHostAddress::LocalHost, port);
                    if (!client.waitForConnected(2000))
                        return false;
                }
                client.write("GET /api/card HTTP/1.1\r\nHost: 127.0.0.1\r\n\r\n");
                answer.clear();
                while (!answer.contains("\"relays\"") && client.waitForReadyRead(5000))
                    answer += client.readAll();
                return answer.contains("\"relays\"");
            },
            60000));
        QVERIFY2(answer.startsWith("HTTP/1.1 200 "), answer.constData());
        process.kill();
        QVERIFY(process.waitForFinished());
        QVERIFY2(
            QString::fromUtf8(process.readAllStandardError()).contains(warning.arg(open, changes)),
            qPrintable(changes));
    }
}
