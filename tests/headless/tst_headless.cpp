// SPDX-FileCopyrightText: 2026 Tarvex
// SPDX-License-Identifier: MIT
// `qx5170fp --headless` as a service manager runs it: without a display,
// its lines prefixed for the journal, READY=1 only once its port answers,
// the watchdog kept, STOPPING=1 and status 0 on SIGTERM; SIGHUP reads the
// fixture again and keeps the one in use when the file is broken; a card
// it cannot serve ends it with one line.
#include "cardservice.h"
#include "commandline.h"
#include "journal.h"
#include "programrun.h"
#include "sfptest.h"
#include "webface.h"

#include <QDir>
#include <QFile>
#include <QProcess>
#include <QTcpServer>
#include <QTcpSocket>
#include <QTemporaryDir>
#include <QTest>

#include <poll.h>
#include <signal.h>
#include <sys/socket.h>
#include <sys/stat.h>
#include <sys/un.h>
#include <unistd.h>

#include <algorithm>
#include <cstring>

using Priority = sfp::CardService::Priority;

namespace {

constexpr int waitMs = 20000;

quint16 freePort()
{
    QTcpServer probe;
    return probe.listen(QHostAddress::LocalHost, 0) ? probe.serverPort() : 0;
}

// The service manager's end of NOTIFY_SOCKET: a datagram socket of the
// test's own.
class NotifySocket
{
public:
    explicit NotifySocket(const QString &path)
        : m_fd(::socket(AF_UNIX, SOCK_DGRAM | SOCK_CLOEXEC, 0))
    {
        sockaddr_un address {};
        address.sun_family = AF_UNIX;
        const QByteArray name = QFile::encodeName(path);
        std::memcpy(address.sun_path, name.constData(),
                    std::min(size_t(name.size()), sizeof address.sun_path - 1));
        m_bound = m_fd >= 0
            && ::bind(m_fd, reinterpret_cast<const sockaddr *>(&address), sizeof address) == 0;
    }
    ~NotifySocket()
    {
        if (m_fd >= 0)
            ::close(m_fd);
    }
    NotifySocket(const NotifySocket &) = delete;
    NotifySocket &operator=(const NotifySocket &) = delete;

    bool isBound() const { return m_bound; }

    // The next message, or empty after the wait.
    QByteArray next(int timeoutMs = waitMs)
    {
        pollfd watched {m_fd, POLLIN, 0};
        if (::poll(&watched, 1, timeoutMs) != 1)
            return {};
        char buffer[4096];
        const ssize_t size = ::recv(m_fd, buffer, sizeof buffer, 0);
        return size > 0 ? QByteArray(buffer, qsizetype(size)) : QByteArray();
    }

    // Messages until one holds `wanted`; false when none did.
    bool waitFor(const QByteArray &wanted)
    {
        for (QByteArray message = next(); !message.isEmpty(); message = next()) {
            if (message.split('\n').contains(wanted))
                return true;
        }
        return false;
    }

private:
    int m_fd = -1;
    bool m_bound = false;
};

QByteArray askOnce(quint16 port, const QByteArray &line)
{
    QTcpSocket socket;
    socket.connectToHost(QHostAddress::LocalHost, port);
    if (!socket.waitForConnected(waitMs))
        return {};
    socket.write(line + '\n');
    while (!socket.canReadLine() && socket.waitForReadyRead(waitMs)) { }
    return socket.readLine().trimmed();
}

// The headless server the test runs, killed with the test if still
// running; what it said on standard error so far.
class Server
{
public:
    Server(const QTemporaryDir &folder, const QStringList &arguments,
           const QStringList &environment = {})
    {
        m_process.setProcessEnvironment(
            programEnvironment(folder, folder.filePath(QStringLiteral("trace")), environment));
        m_process.start(QStringLiteral(SFP_PROGRAM),
                        QStringList {QStringLiteral("--headless")} + arguments);
    }
    ~Server()
    {
        m_process.kill();
        m_process.waitForFinished();
    }
    Server(const Server &) = delete;
    Server &operator=(const Server &) = delete;

    QProcess &process() { return m_process; }
    const QByteArray &said()
    {
        m_said += m_process.readAllStandardError();
        return m_said;
    }

private:
    QProcess m_process;
    QByteArray m_said;
};

} // namespace

class tst_Headless : public QObject
{
    Q_OBJECT

private slots:
    void journalLines();
    void servedAsTheManagerAsks();
    void fixtureReadAgainOnHangUp();
    void cardsItCannotServe_data();
    void cardsItCannotServe();
    void serverThatIsNotThere();
    void driverFailureSaid();
    void refusedClientsSaidOnce();
    void webFilesAndWrongPasswordsSaid();
};

void tst_Headless::journalLines()
{
    // The priority for the journal, the program's name elsewhere, and one
    // event on one line whatever its text holds.
    QCOMPARE(sfp::journal::line(Priority::Error, QStringLiteral("the card: a\nb"), true),
             QByteArray("<3>the card: a b\n"));
    QCOMPARE(sfp::journal::line(Priority::Info, QStringLiteral("serving"), true),
             QByteArray("<6>serving\n"));
    QCOMPARE(sfp::journal::line(Priority::Warning, QStringLiteral("serving"), false),
             QByteArray("qx5170fp: serving\n"));
    // The packaged example serves demo mode on every address as it is, to
    // its lab's subnets.
    const qx5170fpCommandLine example = qx5170fpParseCommandLine(
        QStringList {QStringLiteral("qx5170fp"), QStringLiteral("--headless"),
                     QStringLiteral("--options-file"), QStringLiteral(SFP_EXAMPLE_OPTIONS)});
    QCOMPARE(example.error, QString());
    QVERIFY(example.headless);
    QCOMPARE(int(example.start.kind), int(sfpStartChoice::Demo));
    QCOMPARE(example.listenAddress, QHostAddress(QHostAddress::Any));
    QCOMPARE(example.listenPort, quint16(5025));
    QVERIFY(example.access.allows(QHostAddress(QStringLiteral("192.168.7.20"))));
    QVERIFY(!example.access.allows(QHostAddress(QStringLiteral("192.168.8.20"))));
}

void tst_Headless::servedAsTheManagerAsks()
{
    QTemporaryDir folder;
    NotifySocket manager(folder.filePath(QStringLiteral("notify")));
    QVERIFY(manager.isBound());
    const QString said = folder.filePath(QStringLiteral("said"));
    QVERIFY(sfptest::writeFile(said, {}));
    struct stat status
    { };
    QCOMPARE(::stat(QFile::encodeName(said).constData(), &status), 0);
    const quint16 port = freePort();

    QProcess server;
    server.setProcessEnvironment(programEnvironment(
        folder, folder.filePath(QStringLiteral("trace")),
        {QStringLiteral("NOTIFY_SOCKET=") + folder.filePath(QStringLiteral("notify")),
         QStringLiteral("WATCHDOG_USEC=400000"),
         QStringLiteral("JOURNAL_STREAM=%1:%2").arg(status.st_dev).arg(status.st_ino)}));
    server.setStandardErrorFile(said);
    server.start(QStringLiteral(SFP_PROGRAM),
                 {QStringLiteral("--headless"), QStringLiteral("--demo"),
                  QStringLiteral("--listen"), QStringLiteral("127.0.0.1:%1").arg(port)});
    const auto stop = qScopeGuard([&server] {
        server.kill();
        server.waitForFinished();
    });
    // Ready means served: the port answers at once.
    QVERIFY(manager.waitFor("READY=1"));
    QCOMPARE(askOnce(port, "*IDN?"), QByteArray("Orbelan,5170,DEMO,1.4.0"));
    QVERIFY(manager.waitFor("WATCHDOG=1"));
    QVERIFY(manager.waitFor("WATCHDOG=1"));

    // A client stays connected while the server ends.
    QTcpSocket client;
    client.connectToHost(QHostAddress::LocalHost, port);
    QVERIFY(client.waitForConnected(waitMs));
    ::kill(pid_t(server.processId()), SIGTERM);
    QVERIFY(manager.waitFor("STOPPING=1"));
    QVERIFY(server.waitForFinished(waitMs));
    QCOMPARE(server.exitStatus(), QProcess::NormalExit);
    QCOMPARE(server.exitCode(), 0);
    QTRY_COMPARE_WITH_TIMEOUT(client.state(), QAbstractSocket::UnconnectedState, waitMs);

    // Every line for the journal, with its priority.
    const QList<QByteArray> lines = sfptest::fileContents(said).trimmed().split('\n');
    QVERIFY2(lines.size() >= 3, sfptest::fileContents(said).constData());
    for (const QByteArray &line : lines)
        QVERIFY2(line.size() > 3 && line.at(0) == '<' && line.at(2) == '>', line.constData());
    const auto saysLine = [&lines](const QByteArray &start) {
        return std::any_of(lines.cbegin(), lines.cend(),
                           [&start](const QByteArray &line) { return line.startsWith(start); });
    };
    QVERIFY(saysLine("<6>starting 32-Channel Relay/Switching Function Card"));
    QVERIFY(saysLine("<6>serving demo mode (no card): SCPI on 127.0.0.1:" + QByteArray::number(port)
                     + ", VXI-11 core channel on port "));
    QCOMPARE(lines.constLast(), QByteArray("<6>ending on SIGTERM"));
}

void tst_Headless::fixtureReadAgainOnHangUp()
{
    QTemporaryDir folder;
    const QString fixture = folder.filePath(QStringLiteral("bench.json"));
    QVERIFY(sfptest::writeFile(fixture, R"({"labels": {"3": "PSU rail"}})"));
    const quint16 port = freePort();
    QProcess server;
    server.setProcessEnvironment(
        programEnvironment(folder, folder.filePath(QStringLiteral("trace")), {}));
    server.start(QStringLiteral(SFP_PROGRAM),
                 {QStringLiteral("--headless"), QStringLiteral("--demo"),
                  QStringLiteral("--listen"), QString::number(port), QStringLiteral("--fixture"),
                  fixture});
    const auto stop = qScopeGuard([&server] {
        server.kill();
        server.waitForFinished();
    });
    QByteArray said;
    const auto saidSoFar = [&server, &said] {
        said += server.readAllStandardError();
        return said;
    };
    QTRY_VERIFY_WITH_TIMEOUT(saidSoFar().contains("serving demo mode"), waitMs);
    const QByteArray label = "ROUT:CHAN:LAB? (@3)";
    QCOMPARE(askOnce(port, label), QByteArray("\"PSU rail\""));

    // Broken: one line, and the labels in use stay.
    QVERIFY(sfptest::writeFile(fixture, R"({"labels": {"3": )"));
    ::kill(pid_t(server.processId()), SIGHUP);
    QTRY_VERIFY_WITH_TIMEOUT(saidSoFar().contains("; the one in use stays\n"), waitMs);
    QList<QByteArray> broken;
    for (const QByteArray &line : said.split('\n')) {
        if (line.contains(fixture.toUtf8()))
            broken.append(line);
    }
    QCOMPARE(broken.size(), 1);
    QVERIFY2(broken.constFirst().startsWith("qx5170fp: the fixture " + fixture.toUtf8()
                                            + " cannot be used: "),
             broken.constFirst().constData());
    QCOMPARE(askOnce(port, label), QByteArray("\"PSU rail\""));

    // Mended: taken.
    QVERIFY(sfptest::writeFile(fixture, R"({"labels": {"3": "GND"}})"));
    ::kill(pid_t(server.processId()), SIGHUP);
    QTRY_VERIFY_WITH_TIMEOUT(saidSoFar().contains("is read again"), waitMs);
    QCOMPARE(askOnce(port, label), QByteArray("\"GND\""));

    // SIGINT ends it as SIGTERM does.
    ::kill(pid_t(server.processId()), SIGINT);
    QVERIFY(server.waitForFinished(waitMs));
    QCOMPARE(server.exitStatus(), QProcess::NormalExit);
    QCOMPARE(server.exitCode(), 0);
    QVERIFY(saidSoFar().endsWith("qx5170fp: ending on SIGINT\n"));
}

void tst_Headless::cardsItCannotServe_data()
{
    QTest::addColumn<QByteArray>("system"); // the simulated platform's, SFP_SIM_CONFIG
    QTest::addColumn<QStringList>("card");
    QTest::addColumn<QByteArray>("fixture"); // the card's own, where one is written
    QTest::addColumn<int>("status");
    QTest::addColumn<QString>("line"); // the last on standard error

    const QByteArray two = R"({"resources": [
        {"descriptor": "VXI0::1::INSTR", "slot": 5, "motherboard": {"code": "0x0B52",
         "positions": 4, "cards": [{"position": 2, "code": "0x5170"}]}},
        {"descriptor": "VXI0::4::INSTR", "slot": 6, "motherboard": {"code": "0x0B52",
         "positions": 4, "cards": [{"position": 1, "code": "0x5170"}]}}]})";
    const QStringList simulated {QStringLiteral("--simulate")};
    const QStringList first {"--address", "VXI0::1::INSTR", "--fc", "2"};
    QTest::newRow("none found") << QByteArray(R"({"resources": []})")
                                << simulated + QStringList {"--scan"} << QByteArray() << 1
                                << "qx5170fp: --scan found no 5170 Function Card";
    QTest::newRow("two found") << two << simulated + QStringList {"--scan"} << QByteArray() << 1
                               << "qx5170fp: --scan found 2 5170 Function Cards (VXI0::1::INSTR "
                                  "FC 2, VXI0::4::INSTR FC 1): choose one with --address and --fc";
    QTest::newRow("not there") << two
                               << simulated
            + QStringList {"--address", "VXI0::9::INSTR", "--fc", "2"}
                               << QByteArray() << 1
                               << "qx5170fp: the card VXI0::9::INSTR FC 2 cannot be opened: ";
    // Nobody would see that no hardware is switched.
    QTest::newRow("simulated, not asked for")
        << two << first << QByteArray() << 1
        << "; the simulated platform serves a card only with --simulate";
    // Said before the open resets the card.
    QTest::newRow("the card's fixture broken")
        << two << simulated + first << QByteArray(R"({"labels": )") << 2
        << "qx5170fp: the fixture ";
}

void tst_Headless::cardsItCannotServe()
{
    QFETCH(QByteArray, system);
    QFETCH(QStringList, card);
    QFETCH(QByteArray, fixture);
    QFETCH(int, status);
    QFETCH(QString, line);
    QTemporaryDir folder;
    const QString fixtures = folder.filePath(QStringLiteral("config/qx5170fp/fixtures"));
    if (!fixture.isEmpty()) {
        QVERIFY(QDir().mkpath(fixtures));
        QVERIFY(
            sfptest::writeFile(fixtures + QStringLiteral("/VXI0::1::INSTR%2FFC2.json"), fixture));
    }
    const QString systemFile = folder.filePath(QStringLiteral("system.json"));
    QVERIFY(sfptest::writeFile(systemFile, system));
    QProcess server;
    server.setProcessEnvironment(
        programEnvironment(folder, folder.filePath(QStringLiteral("trace")),
                           {QStringLiteral("SFP_SIM_CONFIG=") + systemFile}));
    server.start(QStringLiteral(SFP_PROGRAM),
                 QStringList {QStringLiteral("--headless"), QStringLiteral("--listen"),
                              QString::number(freePort())}
                     + card);
    QVERIFY(server.waitForFinished(waitMs));
    QCOMPARE(server.exitCode(), status);
    const QByteArray said = server.readAllStandardError();
    const QString last = QString::fromUtf8(said.trimmed().split('\n').constLast());
    QVERIFY2(line.startsWith(QLatin1Char(';')) ? last.endsWith(line) : last.startsWith(line),
             said.constData());
    // Nothing was served; a fixture's fault came before the card's reset.
    QVERIFY2(!said.contains("serving"), said.constData());
    if (!fixture.isEmpty())
        QVERIFY(!sfptest::fileContents(folder.filePath(QStringLiteral("trace")))
                     .contains("qx5170_init"));
}

void tst_Headless::serverThatIsNotThere()
{
    // The panel's program alone, without the server it would become: one
    // line naming where the server was looked for first, exit status 1.
    QTemporaryDir folder;
    const QString alone = folder.filePath(QStringLiteral("qx5170fp"));
    QVERIFY(QFile::copy(QStringLiteral(SFP_PROGRAM), alone));
    QProcess program;
    program.setProcessEnvironment(
        programEnvironment(folder, folder.filePath(QStringLiteral("trace")), {}));
    program.start(alone,
                  {QStringLiteral("--headless"), QStringLiteral("--demo"),
                   QStringLiteral("--listen"), QString::number(freePort())});
    QVERIFY(program.waitForFinished(waitMs));
    QCOMPARE(program.exitCode(), 1);
    QCOMPARE(QString::fromUtf8(program.readAllStandardError()),
             QStringLiteral("qx5170fp: the headless server cannot be run: %1-headless: No such "
                            "file or directory\n")
                 .arg(alone));
}

void tst_Headless::driverFailureSaid()
{
    // A client's switch that the driver refuses: the client's error, and
    // one line for the admin.
    QTemporaryDir folder;
    const QString systemFile = folder.filePath(QStringLiteral("system.json"));
    QVERIFY(sfptest::writeFile(systemFile, R"({"resources": [
        {"descriptor": "VXI0::1::INSTR", "slot": 5, "motherboard": {"code": "0x0B52",
         "positions": 4, "cards": [{"position": 2, "code": "0x5170"}]},
         "faults": [{"operation": "qx5170_switchRelay", "status": "0xBFFF00A6", "count": 1}]}]})"));
    const quint16 port = freePort();
    Server server(folder,
                  {QStringLiteral("--simulate"), QStringLiteral("--address"),
                   QStringLiteral("VXI0::1::INSTR"), QStringLiteral("--fc"), QStringLiteral("2"),
                   QStringLiteral("--listen"), QString::number(port)},
                  {QStringLiteral("SFP_SIM_CONFIG=") + systemFile});
    QTRY_VERIFY_WITH_TIMEOUT(server.said().contains("serving the card"), waitMs);
    QTcpSocket client;
    client.connectToHost(QHostAddress::LocalHost, port);
    QVERIFY(client.waitForConnected(waitMs));
    client.write("ROUT:CLOS (@3)\nSYST:ERR?\n");
    QTRY_VERIFY_WITH_TIMEOUT(client.canReadLine(), waitMs);
    QVERIFY(client.readLine().startsWith("-300,\"Device-specific error;channel 3: "));
    QTRY_VERIFY_WITH_TIMEOUT(server.said().contains("qx5170fp: the card's driver: channel 3: "),
                             waitMs);
}

void tst_Headless::refusedClientsSaidOnce()
{
    // Four clients that have spoken hold every place; the next ones are
    // refused, and a burst of them is one line for the admin.
    QTemporaryDir folder;
    const quint16 port = freePort();
    Server server(folder,
                  {QStringLiteral("--demo"), QStringLiteral("--listen"), QString::number(port)});
    QTRY_VERIFY_WITH_TIMEOUT(server.said().contains("serving demo mode"), waitMs);
    std::vector<std::unique_ptr<QTcpSocket>> clients;
    for (int i = 0; i < 4; ++i) {
        clients.push_back(std::make_unique<QTcpSocket>());
        clients.back()->connectToHost(QHostAddress::LocalHost, port);
        QVERIFY(clients.back()->waitForConnected(waitMs));
        clients.back()->write("*OPC?\n");
        QTRY_VERIFY_WITH_TIMEOUT(clients.back()->canReadLine(), waitMs);
    }
    for (int i = 0; i < 3; ++i) {
        QTcpSocket refused;
        refused.connectToHost(QHostAddress::LocalHost, port);
        QVERIFY(refused.waitForConnected(waitMs));
        QTRY_VERIFY_WITH_TIMEOUT(refused.canReadLine(), waitMs);
        QCOMPARE(refused.readLine(), QByteArray("-310,\"System error;too many clients\"\n"));
    }
    ::kill(pid_t(server.process().processId()), SIGTERM);
    QVERIFY(server.process().waitForFinished(waitMs));
    const QByteArray said = server.said();
    QCOMPARE(said.count("is refused"), 1);
    QVERIFY2(said.contains("qx5170fp: a client at 127.0.0.1:"), said.constData());
    QVERIFY2(said.contains(" is refused: too many clients\n"), said.constData());
}

void tst_Headless::webFilesAndWrongPasswordsSaid()
{
    QList<std::pair<Priority, QString>> lines;
    const auto say = [&lines](Priority priority, const QString &line) {
        lines.append({priority, line});
    };
    QTemporaryDir folder;
    const QString missing = folder.filePath(QStringLiteral("missing"));
    // A file that cannot be used: one line naming it.
    {
        sfp::CardService service(say);
        QVERIFY(!service.readWebFiles(missing, {}, {}));
        QVERIFY(!service.readWebFiles({}, missing, missing));
    }
    QCOMPARE(
        lines,
        (QList<std::pair<Priority, QString>> {
            {Priority::Error, QStringLiteral("the password file %1 does not exist").arg(missing)},
            {Priority::Error,
             QStringLiteral("the certificate file %1 does not exist").arg(missing)}}));
    lines.clear();

    // Wrong passwords at the web face: one line a second at most, the
    // rest counted in the next.
    sfp::CardService service(say);
    QVERIFY(service.readWebFiles({}, {}, {}));
    QVERIFY(service.listenWeb(QHostAddress::LocalHost, 0));
    QVERIFY(lines.isEmpty());
    sfp::WebFace *web = service.web();
    emit web->passwordRefused(QStringLiteral("10.0.0.66:40112"),
                              QStringLiteral("a wrong password for the user mallory"));
    emit web->passwordRefused(QStringLiteral("10.0.0.66:40113"),
                              QStringLiteral("a wrong password for the user mallory"));
    emit web->passwordRefused(QStringLiteral("10.0.0.66:40114"),
                              QStringLiteral("a wrong password for the user mallory"));
    QTest::qWait(1100);
    emit web->passwordRefused(QStringLiteral("10.0.0.67:40115"),
                              QStringLiteral("a wrong password for the user eve"));
    QCOMPARE(lines,
             (QList<std::pair<Priority, QString>> {
                 {Priority::Warning,
                  QStringLiteral("the web face refused a change from 10.0.0.66:40112: a wrong "
                                 "password for the user mallory")},
                 {Priority::Warning,
                  QStringLiteral("the web face refused a change from 10.0.0.67:40115: a wrong "
                                 "password for the user eve (and 2 more since the last such "
                                 "line)")}}));
}

QTEST_GUILESS_MAIN(tst_Headless)
#include "tst_headless.moc"
