// SPDX-FileCopyrightText: 2026 Tarvex
// SPDX-License-Identifier: MIT
// What the web face costs against the SCPI socket of the same program, and
// how soon a page hears of a change. The real program (qx5170fp) runs in a
// process of its own on the simulated card, whose libraries answer without
// delay, with --listen and --http on loopback. One blocking client cycles a
// relay over REST, as labgrid's `rest` power model does (PUT
// /relay/n/value, then GET to read it back, on one kept-alive connection),
// in blocks that take turns with blocks of the socket's ROUT:CLOS
// (@n);*OPC? and ROUT:OPEN (@n);*OPC?: the REST cycle should cost at most
// three times the socket's. Then a WebSocket client (QWebSocket) follows
// /api/events while the socket switches relays, once with the changes
// spaced wider than the face's broadcast gap and once back to back: the
// time from the command's first byte sent to the message that shows the
// change should have a median under 50 ms.
//
//   build/bin/bench_web [--headless]
#include "freeport.h"
#include "loopbacksocket.h"

#include <QCoreApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QProcess>
#include <QProcessEnvironment>
#include <QTemporaryDir>
#include <QThread>
#include <QWebSocket>

#include <arpa/inet.h>
#include <netinet/in.h>
#include <sched.h>
#include <sys/socket.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <chrono>
#include <cmath>
#include <csignal>
#include <cstdio>
#include <string>
#include <vector>

namespace {

const char oneCardSystem[] = R"({"resources": [
    {"descriptor": "VXI0::1::INSTR", "slot": 5, "openTimeMs": 0,
     "motherboard": {"code": "0x0B52", "positions": 4,
                     "cards": [{"position": 2, "code": "0x5170"}]}}]})";

constexpr int relayCount = 32;
constexpr int blockCycles = 50;
constexpr int warmUpBlocks = 2;
constexpr int measuredBlocks = 40;
constexpr int changes = 200;
// Wider than the face's gap between two broadcasts (25 ms).
constexpr int spacingMs = 40;

constexpr double restLimit = 3.0; // x the socket's median
constexpr double pageLimitMs = 50; // the median

constexpr int replyTimeoutSeconds = 30;
constexpr int startTimeoutMs = 60000;

using Clock = std::chrono::steady_clock;

double microsSince(Clock::time_point start)
{
    return std::chrono::duration<double, std::micro>(Clock::now() - start).count();
}

// A plain blocking socket, for the SCPI lines and the HTTP requests alike.
class Client
{
public:
    Client() = default;
    ~Client() { closeSocket(); }
    Client(const Client &) = delete;
    Client &operator=(const Client &) = delete;

    bool connectTo(quint16 port, std::string *error)
    {
        closeSocket();
        m_port = port;
        m_received.clear();
        m_socket = loopbackSocket::connectTo(port, replyTimeoutSeconds, false, error);
        return m_socket >= 0;
    }

    bool send(const std::string &data, std::string *error) const
    {
        return loopbackSocket::sendAll(m_socket, data, error);
    }

    // Everything up to `end` (not kept), or `count` bytes when end is empty.
    bool take(const std::string &end, size_t count, std::string *data, std::string *error)
    {
        while (true) {
            const size_t found = end.empty()
                ? (m_received.size() >= count ? count : std::string::npos)
                : m_received.find(end);
            if (found != std::string::npos) {
                data->assign(m_received, 0, found);
                m_received.erase(0, found + end.size());
                return true;
            }
            char chunk[4096];
            const ssize_t n = ::recv(m_socket, chunk, sizeof chunk, 0);
            if (n < 0 && errno == EINTR)
                continue;
            if (n == 0) {
                *error = "the server closed the connection";
                return false;
            }
            if (n < 0)
                return loopbackSocket::fail("recv", error);
            m_received.append(chunk, size_t(n));
        }
    }

    bool readLine(std::string *line, std::string *error) { return take("\n", 0, line, error); }

    // One HTTP/1.1 request and its answer's status and body. A server that
    // ends the connection after an answer is connected to again, as any
    // client does, in the time of the next request.
    bool http(const std::string &method, const std::string &path, const std::string &body,
              int *status, std::string *answer, std::string *error)
    {
        const std::string request = method + ' ' + path
            + " HTTP/1.1\r\nHost: 127.0.0.1:" + std::to_string(m_port)
            + "\r\nContent-Length: " + std::to_string(body.size()) + "\r\n\r\n" + body;
        if (m_socket < 0 && !connectTo(m_port, error))
            return false;
        std::string head;
        if (!send(request, error) || !take("\r\n\r\n", 0, &head, error))
            return false;
        *status = std::atoi(head.c_str() + head.find(' ') + 1);
        std::string lower = head;
        std::transform(lower.begin(), lower.end(), lower.begin(),
                       [](unsigned char c) { return char(std::tolower(c)); });
        const size_t length = lower.find("\r\ncontent-length:");
        const size_t bytes
            = length == std::string::npos ? 0 : size_t(std::atol(lower.c_str() + length + 17));
        if (!take({}, bytes, answer, error))
            return false;
        if (lower.find("\r\nconnection: close") != std::string::npos) {
            closeSocket();
            ++reconnections;
        }
        return true;
    }

    int reconnections = 0;

private:
    void closeSocket()
    {
        if (m_socket >= 0)
            ::close(m_socket);
        m_socket = -1;
    }

    int m_socket = -1;
    quint16 m_port = 0;
    std::string m_received;
};

double percentile(std::vector<double> values, double fraction)
{
    if (values.empty())
        return 0;
    std::sort(values.begin(), values.end());
    const size_t rank = size_t(std::ceil(fraction * double(values.size())));
    return values[std::max<size_t>(rank, 1) - 1];
}

struct Program
{
    QProcess process;
    QString errorFile;
    quint16 socketPort = 0;
    quint16 webPort = 0;
};

bool start(Program *program, const QString &profile, const QString &system, bool headless,
           std::string *error)
{
    QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
    for (const char *name : {"ALLUSERSPROFILE", "XDG_CONFIG_HOME", "XDG_DATA_HOME",
                             "XDG_STATE_HOME", "XDG_CACHE_HOME"})
        environment.insert(QLatin1String(name), profile + QLatin1Char('/') + QLatin1String(name));
    if (environment.value(QStringLiteral("QT_QPA_PLATFORM")).isEmpty())
        environment.insert(QStringLiteral("QT_QPA_PLATFORM"), QStringLiteral("offscreen"));
    environment.insert(QStringLiteral("SFP_SIM_CONFIG"), system);
    environment.remove(QStringLiteral("SFP_SIM_TRACE"));
    environment.remove(QStringLiteral("QX5170FP_LIBRARY_PATH"));
    program->socketPort = freePort();
    program->webPort = freePort();
    if (program->socketPort == 0 || program->webPort == 0
        || program->socketPort == program->webPort) {
        *error = "no free ports on loopback";
        return false;
    }
    QDir().mkpath(profile);
    program->errorFile = profile + QStringLiteral("/stderr.txt");
    program->process.setProcessEnvironment(environment);
    program->process.setStandardErrorFile(program->errorFile);
    program->process.setStandardOutputFile(QProcess::nullDevice());
    QStringList arguments {QStringLiteral("--simulate"),
                           QStringLiteral("--address"),
                           QStringLiteral("VXI0::1::INSTR"),
                           QStringLiteral("--fc"),
                           QStringLiteral("2"),
                           QStringLiteral("--listen"),
                           QStringLiteral("127.0.0.1:%1").arg(program->socketPort),
                           QStringLiteral("--http"),
                           QStringLiteral("127.0.0.1:%1").arg(program->webPort)};
    arguments += hundredNetworksAllowed();
    if (headless)
        arguments.append(QStringLiteral("--headless"));
    program->process.start(QStringLiteral(SFP_PROGRAM), arguments);
    if (!program->process.waitForStarted(startTimeoutMs)) {
        *error = "the program does not start: " + program->process.errorString().toStdString();
        return false;
    }
    // It listens before it has opened the card; the first answer comes once
    // it has.
    QElapsedTimer waited;
    waited.start();
    while (true) {
        Client client;
        std::string why;
        std::string answer;
        if (client.connectTo(program->socketPort, &why) && client.send("*OPC?\n", &why)
            && client.readLine(&answer, &why) && answer == "1")
            return true;
        if (waited.elapsed() > startTimeoutMs || program->process.state() != QProcess::Running) {
            *error = "the program does not answer on port " + std::to_string(program->socketPort);
            return false;
        }
        QThread::msleep(50);
    }
}

void stop(Program *program)
{
    if (program->process.state() == QProcess::NotRunning)
        return;
    ::kill(pid_t(program->process.processId()), SIGTERM);
    if (!program->process.waitForFinished(30000)) {
        program->process.kill();
        program->process.waitForFinished();
    }
}

// REST cycles and socket round trips, block by block in turns. Each cycle
// switches relay n (1..32 in turn), closing it in one round and opening
// it in the next.
bool restAgainstSocket(Client &web, Client &scpi, std::vector<double> *rest,
                       std::vector<double> *socket, std::string *error)
{
    int turn = 0;
    for (int round = 0; round < warmUpBlocks + measuredBlocks; ++round) {
        const bool keep = round >= warmUpBlocks;
        for (int i = 0; i < blockCycles; ++i, ++turn) {
            const int relay = turn % relayCount + 1;
            const bool close = (turn / relayCount) % 2 == 0;
            const std::string path = "/relay/" + std::to_string(relay) + "/value";
            const std::string value = close ? "1" : "0";
            const Clock::time_point begin = Clock::now();
            int status = 0;
            std::string answer;
            if (!web.http("PUT", path, value, &status, &answer, error))
                return false;
            if (status != 200 || answer != value) {
                *error = "PUT " + path + " answered " + std::to_string(status);
                return false;
            }
            if (!web.http("GET", path, {}, &status, &answer, error))
                return false;
            if (status != 200 || answer != value) {
                *error = "GET " + path + " answered " + std::to_string(status);
                return false;
            }
            if (keep)
                rest->push_back(microsSince(begin));
        }
        for (int i = 0; i < blockCycles; ++i, ++turn) {
            const int relay = turn % relayCount + 1;
            const bool close = (turn / relayCount) % 2 == 0;
            const Clock::time_point begin = Clock::now();
            std::string answer;
            if (!scpi.send(std::string(close ? "ROUT:CLOS" : "ROUT:OPEN") + " (@"
                               + std::to_string(relay) + ");*OPC?\n",
                           error)
                || !scpi.readLine(&answer, error))
                return false;
            if (answer != "1") {
                *error = "*OPC? answered " + answer;
                return false;
            }
            if (keep)
                socket->push_back(microsSince(begin));
        }
    }
    return true;
}

// The page's view: the latest state the WebSocket brought.
class Page
{
public:
    bool open(quint16 port, std::string *error)
    {
        QObject::connect(
            &m_socket, &QWebSocket::textMessageReceived, &m_socket, [this](const QString &message) {
                const QJsonArray relays = QJsonDocument::fromJson(message.toUtf8())
                                              .object()
                                              .value(QStringLiteral("relays"))
                                              .toArray();
                for (int relay = 1; relay <= relayCount && relay <= relays.size(); ++relay)
                    m_closed[size_t(relay - 1)]
                        = relays.at(relay - 1).toObject().value(QStringLiteral("closed")).toBool();
                ++m_messages;
            });
        m_socket.open(QUrl(QStringLiteral("ws://127.0.0.1:%1/api/events").arg(port)));
        if (!waitFor([this] { return m_messages > 0; })) {
            *error = "the WebSocket brought no state: " + m_socket.errorString().toStdString();
            return false;
        }
        return true;
    }

    // Runs the event loop until the condition holds; false after the
    // reply time.
    template<typename Condition>
    bool waitFor(Condition condition)
    {
        QElapsedTimer timer;
        timer.start();
        while (!condition()) {
            if (timer.elapsed() > qint64(replyTimeoutSeconds) * 1000)
                return false;
            QCoreApplication::processEvents(QEventLoop::AllEvents, 1);
        }
        return true;
    }

    bool isClosed(int relay) const { return m_closed[size_t(relay - 1)]; }
    int messages() const { return m_messages; }

private:
    QWebSocket m_socket;
    bool m_closed[relayCount] = {};
    int m_messages = 0;
};

// From an SCPI command's first byte to the page's message that shows it,
// in milliseconds; `spacing` between one change shown and the next sent.
bool pageLatencies(Client &scpi, Page &page, int spacing, std::vector<double> *latencies,
                   std::string *error)
{
    for (int i = 0; i < changes; ++i) {
        const int relay = i % relayCount + 1;
        const bool close = !page.isClosed(relay);
        const Clock::time_point begin = Clock::now();
        if (!scpi.send(std::string(close ? "ROUT:CLOS" : "ROUT:OPEN") + " (@"
                           + std::to_string(relay) + ")\n",
                       error))
            return false;
        if (!page.waitFor([&page, relay, close] { return page.isClosed(relay) == close; })) {
            *error = "the page never showed relay " + std::to_string(relay);
            return false;
        }
        latencies->push_back(microsSince(begin) / 1e3);
        if (spacing > 0) {
            const Clock::time_point until = Clock::now() + std::chrono::milliseconds(spacing);
            page.waitFor([until] { return Clock::now() >= until; });
        }
    }
    std::string answer;
    if (!scpi.send("SYST:ERR?\n", error) || !scpi.readLine(&answer, error))
        return false;
    if (answer != "0,\"No error\"") {
        *error = "SYST:ERR? answered " + answer;
        return false;
    }
    return true;
}

// Holds every thread of the process `pid` (0: this one) on the CPUs
// given; threads started later inherit it.
bool holdOn(qint64 pid, std::initializer_list<int> cpus)
{
    cpu_set_t set;
    CPU_ZERO(&set);
    for (int cpu : cpus)
        CPU_SET(cpu, &set);
    const QString tasks = QStringLiteral("/proc/%1/task")
                              .arg(pid == 0 ? QStringLiteral("self") : QString::number(pid));
    const QStringList threads = QDir(tasks).entryList(QDir::Dirs | QDir::NoDotAndDotDot);
    bool held = !threads.isEmpty();
    for (const QString &thread : threads)
        held = ::sched_setaffinity(thread.toInt(), sizeof set, &set) == 0 && held;
    return held;
}

// The figures of one placement of the processes on the CPUs.
struct Figures
{
    std::vector<double> rest;
    std::vector<double> socket;
    std::vector<double> spaced;
    std::vector<double> backToBack;
};

// Prints one placement's tables; true when its targets are met.
bool printFigures(const Figures &figures)
{
    const double restMedian = percentile(figures.rest, 0.5);
    const double socketMedian = percentile(figures.socket, 0.5);
    const double ratio = restMedian / socketMedian;
    const bool restMet = ratio <= restLimit;
    std::printf("%-34s %8s %8s %9s %8s %7s  %s\n", "cycle (microseconds)", "socket", "socket",
                "REST", "REST", "ratio", "target (on the median)");
    std::printf("%-34s %8s %8s %9s %8s\n", "", "median", "p90", "median", "p90");
    std::printf("%-34s %8.1f %8.1f %9.1f %8.1f %7.2f  %s (<= %.1f x)\n", "relay n, then read back",
                socketMedian, percentile(figures.socket, 0.9), restMedian,
                percentile(figures.rest, 0.9), ratio, restMet ? "met" : "NOT met", restLimit);
    std::printf("\n%-34s %8s %8s %8s  %s\n", "SCPI change to page (milliseconds)", "median", "p90",
                "max", "target (on the median)");
    bool pageMet = true;
    for (const auto &[title, values] : {std::pair<const char *, const std::vector<double> &>(
                                            "changes spaced 40 ms apart", figures.spaced),
                                        std::pair<const char *, const std::vector<double> &>(
                                            "changes back to back", figures.backToBack)}) {
        const double median = percentile(values, 0.5);
        const bool met = median < pageLimitMs;
        pageMet = pageMet && met;
        std::printf("%-34s %8.2f %8.2f %8.2f  %s (< %.0f ms)\n", title, median,
                    percentile(values, 0.9), percentile(values, 1.0), met ? "met" : "NOT met",
                    pageLimitMs);
    }
    return restMet && pageMet;
}

int failed(const std::string &why, const Program *program = nullptr)
{
    if (program) {
        QFile file(program->errorFile);
        if (file.open(QIODevice::ReadOnly))
            std::fprintf(stderr, "%s", file.readAll().constData());
    }
    std::fprintf(stderr, "bench_web: %s\n", why.c_str());
    return 2;
}

} // namespace

int main(int argc, char *argv[])
{
    const bool headless = argc == 2 && std::strcmp(argv[1], "--headless") == 0;
    if (argc != 1 && !headless)
        return failed("usage: bench_web [--headless]");
    QCoreApplication app(argc, argv);
    QTemporaryDir work;
    if (!work.isValid())
        return failed("no temporary folder");
    const QString system = work.filePath(QStringLiteral("system.json"));
    {
        QFile file(system);
        if (!file.open(QIODevice::WriteOnly) || file.write(oneCardSystem) < 0 || !file.flush())
            return failed("the simulated system cannot be written");
    }
    std::string error;
    Program program;
    if (!start(&program, work.filePath(QStringLiteral("profile")), system, headless, &error))
        return failed(error, &program);

    Client web;
    Client scpi;
    Page page;
    if (!scpi.connectTo(program.socketPort, &error) || !page.open(program.webPort, &error)) {
        stop(&program);
        return failed(error, &program);
    }
    // An idle virtual machine's scheduler wakes a server now beside its
    // client, now on the other CPU, which costs tens of microseconds a
    // round trip whatever the server: each run holds the processes where
    // it says, so that REST and the socket meet the same placement.
    const bool twoCpus = ::sysconf(_SC_NPROCESSORS_ONLN) >= 2;
    const char *const titles[]
        = {"Apart: the benchmark on the first CPU, the program on the second",
           "Together: the benchmark and the program on the first CPU"};
    std::vector<Figures> runs(twoCpus ? 2 : 1);
    for (size_t run = 0; run < runs.size(); ++run) {
        const bool held
            = twoCpus && holdOn(0, {0}) && holdOn(program.process.processId(), {run == 0 ? 1 : 0});
        if (twoCpus && !held) {
            stop(&program);
            return failed("the processes cannot be held on their CPUs", &program);
        }
        Figures &figures = runs[run];
        // The face drops a connection silent for long: the page's changes
        // of the run before took that long.
        if (!web.connectTo(program.webPort, &error)
            || !restAgainstSocket(web, scpi, &figures.rest, &figures.socket, &error)
            || !pageLatencies(scpi, page, spacingMs, &figures.spaced, &error)
            || !pageLatencies(scpi, page, 0, &figures.backToBack, &error)) {
            stop(&program);
            return failed(error, &program);
        }
    }
    stop(&program);

    std::printf("%s\n\n",
                headless ? "The program headless (qx5170fp --headless)."
                         : "The program with its window (offscreen unless "
                           "QT_QPA_PLATFORM says).");
    std::printf(
        "REST: PUT /relay/n/value, then GET, on one kept-alive connection, against the "
        "socket's\nROUT:CLOS|OPEN (@n);*OPC?, %d cycles of each in blocks of %d that take "
        "turns; ratio = REST / socket.\nThe page: from an SCPI ROUT:CLOS|OPEN on the socket "
        "to a WebSocket client of /api/events\nreceiving the state that shows it, %d "
        "changes each.\n",
        measuredBlocks * blockCycles, blockCycles, changes);
    if (web.reconnections > 0)
        std::printf("The server closed the REST connection %d times.\n", web.reconnections);
    bool allMet = true;
    for (size_t run = 0; run < runs.size(); ++run) {
        std::printf("\n== %s ==\n\n", twoCpus ? titles[run] : "One CPU");
        allMet = printFigures(runs[run]) && allMet;
    }
    std::printf("\n%s\n", allMet ? "all targets met" : "some targets NOT met");
    return 0;
}
