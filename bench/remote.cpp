// SPDX-FileCopyrightText: 2026 Tarvex
// SPDX-License-Identifier: MIT
// What the SCPI remote control costs over what the socket itself costs: the
// same blocking client sends one line and waits for one line back,
// alternately to the panel and to a bare Qt echo server (bench_remote_echo),
// which does nothing else. Both servers run as processes of their own, as an
// operator's script and the panel do: the panel is the real program
// (qx5170fp), on the simulated card whose libraries answer without delay,
// listening on loopback for the socket and VXI-11. Then a client that keeps
// the system's small-packet delay on, as most instrument libraries do, times
// writes followed by a query against the query alone: a line without a
// response must not hold the next one back. Last, a pipelined burst of relay
// commands measures how many the panel runs per second, and a second client
// that asks *OPC? every millisecond meanwhile how long the panel's event
// loop, the window's too, leaves new input waiting. A second panel started
// with --no-log takes bursts in turns with the first, which keeps its
// switching log as by default: what the log costs. Everything runs three
// times: quiet, with the benchmark held on the first CPU and the servers on
// the second; with a second program of the benchmark's keeping one core
// busy; and with the benchmark, the echo and the panels held on one CPU.
// Quiet, the servers are held because an idle virtual machine's scheduler
// wakes a server now beside its client, now on the other, idle CPU, which
// costs some 50 µs a round trip whatever the server (a client of its own
// against the echo shows it): left free, the pass compared where each
// server happened to wake rather than what it does. Before that, a third
// panel with the simulator's trace takes one burst: every command must
// have reached the driver.
//
//   build/bin/bench_remote [--headless]
//
// With --headless the panels are started as `qx5170fp --headless`: the
// card served without a window, whose figures must meet the same targets.
#include "freeport.h"
#include "loopbacksocket.h"
#include "vxi11roundtrips.h"

#include <QByteArray>
#include <QCoreApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QFileInfo>
#include <QProcess>
#include <QProcessEnvironment>
#include <QSet>
#include <QTemporaryDir>
#include <QThread>

#include <arpa/inet.h>
#include <netinet/in.h>
#include <sched.h>
#include <sys/socket.h>
#include <unistd.h>

#include <algorithm>
#include <atomic>
#include <cerrno>
#include <chrono>
#include <cmath>
#include <condition_variable>
#include <csignal>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <functional>
#include <memory>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

namespace {

const char cardDescriptor[] = "VXI0::1::INSTR";
constexpr int cardPosition = 2;

// One relay card behind one motherboard, opened at once: the stand-ins add
// nothing to what the program itself costs.
const char oneCardSystem[] = R"({"resources": [
    {"descriptor": "VXI0::1::INSTR", "slot": 5, "openTimeMs": 0,
     "motherboard": {"code": "0x0B52", "positions": 4,
                     "cards": [{"position": 2, "code": "0x5170"}]}}]})";

constexpr int relayCount = 32;
constexpr int blockRoundTrips = 100;
constexpr int warmUpBlocks = 2;
constexpr int measuredBlocks = 50;
constexpr int burstPairs = 10000;
constexpr int burstCommands = 2 * burstPairs;
// Rounds of one burst with the switching log and one without.
constexpr int logRounds = 7;

constexpr double opcLimit = 1.5; // x the echo's median
constexpr double closeLimit = 2.0; // x the echo's median
constexpr double writesLimit = 2.0; // x the query cycle's median, both on the panel
constexpr double commandsPerSecondLimit = 20000;
constexpr double guiGapLimitMs = 50;
// Writing the switching log may cost the burst this share of its time.
constexpr double logCostLimit = 0.05;
constexpr double vxi11Limit = 2.0; // x the socket's median, both on the panel

// A reply that does not come within this time fails the run instead of
// hanging it.
constexpr int replyTimeoutSeconds = 30;
// A panel that does not answer within this time after its start fails the
// run: on a loaded machine the start takes a few seconds.
constexpr int startTimeoutMs = 60000;

using Clock = std::chrono::steady_clock;

// Relays 17 to 32 are closed before the burst and opened then closed again
// in it, relays 1 to 16 the other way round: every command switches a relay,
// and the end shows whether each one ran in its place.
bool closedAroundBurst(int relay)
{
    return relay > relayCount / 2;
}

std::string expectedStates()
{
    std::string states;
    for (int relay = 1; relay <= relayCount; ++relay) {
        if (relay > 1)
            states += ',';
        states += closedAroundBurst(relay) ? '1' : '0';
    }
    return states;
}

// A plain blocking socket: nothing of Qt's event machinery on the client's
// side, so that both servers are measured through the same few system calls.
class LineClient
{
public:
    LineClient() = default;
    ~LineClient()
    {
        if (m_socket >= 0)
            ::close(m_socket);
    }
    LineClient(const LineClient &) = delete;
    LineClient &operator=(const LineClient &) = delete;

    // `smallPacketDelay` keeps the system's default, in which a small
    // packet waits until what went before it is acknowledged.
    bool connectTo(quint16 port, std::string *error, bool smallPacketDelay = false)
    {
        m_socket = loopbackSocket::connectTo(port, replyTimeoutSeconds, smallPacketDelay, error);
        return m_socket >= 0;
    }

    bool send(const std::string &data, std::string *error) const
    {
        return loopbackSocket::sendAll(m_socket, data, error);
    }

    // The next line, without its line end.
    bool readLine(std::string *line, std::string *error)
    {
        while (true) {
            const size_t end = m_received.find('\n', m_scanned);
            if (end != std::string::npos) {
                line->assign(m_received, 0, end);
                m_received.erase(0, end + 1);
                m_scanned = 0;
                return true;
            }
            m_scanned = m_received.size();
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

    // One line out, one line back; the time between them in microseconds.
    bool roundTrip(const std::string &line, std::string *answer, double *micros, std::string *error)
    {
        const Clock::time_point start = Clock::now();
        if (!send(line + '\n', error) || !readLine(answer, error))
            return false;
        *micros = std::chrono::duration<double, std::micro>(Clock::now() - start).count();
        return true;
    }

private:
    int m_socket = -1;
    std::string m_received;
    size_t m_scanned = 0; // how far m_received holds no line end
};

// Round trip times in microseconds, per line.

// Round trip times in microseconds, per line.
struct Series
{
    std::vector<double> opc; // *OPC?
    std::vector<double> close; // ROUT:CLOS (@n);*OPC?
    std::vector<double> open; // ROUT:OPEN (@n);*OPC?
};

// The cycles of the client with its small-packet delay on, in microseconds.
struct DelayedSeries
{
    std::vector<double> query; // *OPC?
    std::vector<double> writes; // ROUT:CLOS (@n), ROUT:OPEN (@n), then *OPC?
};

struct Figures
{
    Series echo;
    Series remote;
    DelayedSeries delayed;
    // *OPC? over the socket and over VXI-11, in turns.
    std::vector<double> socketOpc;
    std::vector<double> vxi11Opc;
    double burstSeconds = 0;
    // The longest round trip of a second client's *OPC? while a burst ran,
    // and how many it made in the bursts.
    double longestProbeMs = 0;
    int probes = 0;
    // Bursts on the panel that keeps its switching log and on the one
    // started without it, round by round in turns (which goes first
    // alternating), after a first burst on each: the seconds of each, in
    // the order run.
    std::vector<double> loggedBurstSeconds;
    std::vector<double> plainBurstSeconds;
    // The panels' GUI threads' processor time in the same bursts, and
    // their whole processes' (the log writes its file on a thread of its
    // own).
    std::vector<double> loggedBurstGuiSeconds;
    std::vector<double> plainBurstGuiSeconds;
    std::vector<double> loggedBurstCpuSeconds;
    std::vector<double> plainBurstCpuSeconds;
    std::string error; // empty when the run itself went right
};

// One round trip, its answer checked: the echo gives back the line, the
// remote control the "1" of its *OPC?.
bool exchange(LineClient &client, bool echoes, const std::string &line, double *micros,
              std::string *error)
{
    std::string answer;
    if (!client.roundTrip(line, &answer, micros, error))
        return false;
    const std::string expected = echoes ? line : std::string("1");
    if (answer != expected) {
        *error = std::string(echoes ? "the echo" : "the remote control") + " answered \"" + answer
            + "\" to \"" + line + "\", not \"" + expected + '"';
        return false;
    }
    return true;
}

// Back-to-back round trips to one server: *OPC? alone, or a relay closed
// and opened again with n cycling 1..32, so that every line switches it.
// Whatever the event loop does after a response (the window's repaint after
// a switch) delays the next request: a block keeps it with the server that
// caused it, and its first, unkept round trip waits out what the block
// before it left.
bool block(LineClient &client, bool echoes, bool switching, bool keep, Series *series,
           std::string *error)
{
    double micros = 0;
    if (!exchange(client, echoes, "*OPC?", &micros, error))
        return false;
    for (int i = 0; i < blockRoundTrips; ++i) {
        if (!switching) {
            if (!exchange(client, echoes, "*OPC?", &micros, error))
                return false;
            if (keep)
                series->opc.push_back(micros);
            continue;
        }
        const std::string channel = " (@" + std::to_string(i % relayCount + 1) + ");*OPC?";
        if (!exchange(client, echoes, "ROUT:CLOS" + channel, &micros, error))
            return false;
        if (keep)
            series->close.push_back(micros);
        if (!exchange(client, echoes, "ROUT:OPEN" + channel, &micros, error))
            return false;
        if (keep)
            series->open.push_back(micros);
    }
    return true;
}

bool roundTrips(LineClient &echo, LineClient &remote, bool switchingOnly, Series *echoSeries,
                Series *remoteSeries, std::string *error)
{
    // The two servers take turns block by block, so that both see the same
    // conditions throughout the run.
    for (int round = 0; round < warmUpBlocks + measuredBlocks; ++round) {
        const bool keep = round >= warmUpBlocks;
        for (const bool switching : {false, true}) {
            if (switchingOnly && !switching)
                continue;
            if (!block(echo, true, switching, keep, echoSeries, error)
                || !block(remote, false, switching, keep, remoteSeries, error))
                return false;
        }
    }
    return true;
}

bool expectAnswer(LineClient &remote, const std::string &line, const std::string &expected,
                  std::string *error)
{
    std::string answer;
    double micros = 0;
    if (!remote.roundTrip(line, &answer, &micros, error))
        return false;
    if (answer != expected) {
        *error = "\"" + line + "\" answered \"" + answer + "\", not \"" + expected + '"';
        return false;
    }
    return true;
}

// The processor time of a process, in seconds: of its main thread (the
// panel's GUI thread), and of all its threads. The system counts it in
// nanoseconds (a clock tick would be a third of a burst).
struct ProcessorTime
{
    double mainThread = 0;
    double all = 0;
};

ProcessorTime processorTime(qint64 pid)
{
    const QDir tasks(QStringLiteral("/proc/%1/task").arg(pid));
    ProcessorTime time;
    for (const QString &task : tasks.entryList(QDir::Dirs | QDir::NoDotAndDotDot)) {
        QFile file(tasks.filePath(task + QStringLiteral("/schedstat")));
        if (!file.open(QIODevice::ReadOnly))
            continue;
        const double seconds = double(file.readAll().split(' ').value(0).toLongLong()) / 1e9;
        time.all += seconds;
        if (task.toLongLong() == pid)
            time.mainThread = seconds;
    }
    return time;
}

// The times of one burst.
struct BurstTimes
{
    double seconds = 0; // from the first byte sent to the answer
    // The panel's processor time meanwhile, when asked.
    ProcessorTime panel;
};

// A second client on each measured panel that, while a burst runs there,
// asks *OPC? and waits for its answer, again a millisecond after each: the
// server runs one line of each client in turn, so the longest of these
// round trips is the longest time the panel's event loop, the one its
// window paints and takes the operator's input in, left new input waiting.
class Probe
{
public:
    Probe() = default;
    ~Probe() { stop(); }
    Probe(const Probe &) = delete;
    Probe &operator=(const Probe &) = delete;

    bool open(quint16 loggedPort, quint16 plainPort, std::string *error)
    {
        if (!m_clients[0].connectTo(loggedPort, error) || !m_clients[1].connectTo(plainPort, error))
            return false;
        m_thread = std::thread([this] { run(); });
        return true;
    }

    // The panel whose burst runs now (0 the logged one, 1 the other), or
    // -1 for none.
    void watch(int panel)
    {
        {
            const std::lock_guard<std::mutex> lock(m_mutex);
            m_panel = panel;
        }
        m_changed.notify_one();
    }

    void stop()
    {
        if (!m_thread.joinable())
            return;
        {
            const std::lock_guard<std::mutex> lock(m_mutex);
            m_quit = true;
        }
        m_changed.notify_one();
        m_thread.join();
    }

    // The longest round trip in milliseconds and the count of them since
    // the last call, between bursts; false, and why, when one failed.
    bool takeFigures(double *longestMs, int *count, std::string *error)
    {
        const std::lock_guard<std::mutex> lock(m_mutex);
        *longestMs = m_longestMicros / 1e3;
        *count = m_count;
        m_longestMicros = 0;
        m_count = 0;
        *error = m_error;
        return m_error.empty();
    }

private:
    void run()
    {
        while (true) {
            int panel = -1;
            {
                std::unique_lock<std::mutex> lock(m_mutex);
                m_changed.wait(lock, [this] { return m_quit || m_panel >= 0; });
                if (m_quit)
                    return;
                panel = m_panel;
            }
            double micros = 0;
            std::string error;
            const bool answered = exchange(m_clients[panel], false, "*OPC?", &micros, &error);
            {
                const std::lock_guard<std::mutex> lock(m_mutex);
                if (!answered) {
                    m_error = error;
                    return;
                }
                m_longestMicros = std::max(m_longestMicros, micros);
                ++m_count;
            }
            std::this_thread::sleep_for(std::chrono::milliseconds(1));
        }
    }

    LineClient m_clients[2];
    std::thread m_thread;
    std::mutex m_mutex;
    std::condition_variable m_changed;
    int m_panel = -1; // guarded by m_mutex
    bool m_quit = false; // guarded by m_mutex
    double m_longestMicros = 0; // guarded by m_mutex
    int m_count = 0; // guarded by m_mutex
    std::string m_error; // guarded by m_mutex
};

// 20,000 relay commands pipelined, then *OPC?, on one panel. `beforeSend`,
// when given, runs once the relays are set for it; `probe`, when given,
// asks on the other connection to the same panel (`panel`) meanwhile; the
// panel's processor time is read when its process (`panelPid`) is named.
bool burst(LineClient &remote, Probe *probe, int panel, qint64 panelPid, BurstTimes *times,
           std::string *error, const std::function<void()> &beforeSend = {})
{
    const std::string closeUpperHalf = "ROUT:CLOS (@" + std::to_string(relayCount / 2 + 1) + ':'
        + std::to_string(relayCount) + ");*OPC?";
    if (!expectAnswer(remote, closeUpperHalf, "1", error))
        return false;

    std::string commands;
    commands.reserve(size_t(burstCommands) * 20);
    for (int pair = 0; pair < burstPairs; ++pair) {
        const int relay = pair % relayCount + 1;
        const std::string channel = " (@" + std::to_string(relay) + ")\n";
        const bool closedBefore = closedAroundBurst(relay);
        commands += (closedBefore ? "ROUT:OPEN" : "ROUT:CLOS") + channel;
        commands += (closedBefore ? "ROUT:CLOS" : "ROUT:OPEN") + channel;
    }
    commands += "*OPC?\n";

    if (beforeSend)
        beforeSend();
    const ProcessorTime before = panelPid > 0 ? processorTime(panelPid) : ProcessorTime();
    if (probe)
        probe->watch(panel);
    const Clock::time_point start = Clock::now();
    std::string answer;
    const bool sent = remote.send(commands, error) && remote.readLine(&answer, error);
    times->seconds = std::chrono::duration<double>(Clock::now() - start).count();
    if (probe)
        probe->watch(-1);
    if (panelPid > 0) {
        const ProcessorTime after = processorTime(panelPid);
        times->panel.mainThread = after.mainThread - before.mainThread;
        times->panel.all = after.all - before.all;
    }
    if (!sent)
        return false;
    if (answer != "1") {
        *error = "*OPC? after the burst answered \"" + answer + "\", not \"1\"";
        return false;
    }
    return expectAnswer(remote, "ROUT:CLOS? (@1:32)", expectedStates(), error)
        && expectAnswer(remote, "SYST:ERR?", "0,\"No error\"", error);
}

// One cycle of the client with its small-packet delay on: the query alone,
// or two writes that have no response, each sent on its own as a VISA
// library's write sends it, then the query.
bool delayedCycle(LineClient &client, bool writes, int relay, double *micros, std::string *error)
{
    const std::string channel = " (@" + std::to_string(relay) + ")\n";
    const Clock::time_point start = Clock::now();
    if (writes
        && (!client.send("ROUT:CLOS" + channel, error)
            || !client.send("ROUT:OPEN" + channel, error)))
        return false;
    std::string answer;
    if (!client.send("*OPC?\n", error) || !client.readLine(&answer, error))
        return false;
    *micros = std::chrono::duration<double, std::micro>(Clock::now() - start).count();
    if (answer != "1") {
        *error = "*OPC? after " + std::string(writes ? "two writes" : "nothing") + " answered \""
            + answer + "\", not \"1\"";
        return false;
    }
    return true;
}

bool delayedCycles(LineClient &client, DelayedSeries *series, std::string *error)
{
    // The two kinds take turns block by block, as the servers do above.
    for (int round = 0; round < warmUpBlocks + measuredBlocks; ++round) {
        const bool keep = round >= warmUpBlocks;
        for (const bool writes : {false, true}) {
            for (int i = 0; i < blockRoundTrips; ++i) {
                double micros = 0;
                if (!delayedCycle(client, writes, i % relayCount + 1, &micros, error))
                    return false;
                if (keep)
                    (writes ? series->writes : series->query).push_back(micros);
            }
        }
    }
    return true;
}

// The same query over the socket and over VXI-11, block by block in turns.
bool vxi11RoundTrips(LineClient &remote, quint16 vxi11Port, Figures *figures)
{
    std::string *error = &figures->error;
    Vxi11RoundTrips vxi11;
    if (!vxi11.open(vxi11Port, error))
        return false;
    for (int round = 0; round < warmUpBlocks + measuredBlocks; ++round) {
        const bool keep = round >= warmUpBlocks;
        for (int i = 0; i < blockRoundTrips; ++i) {
            double micros = 0;
            if (!exchange(remote, false, "*OPC?", &micros, error))
                return false;
            if (keep)
                figures->socketOpc.push_back(micros);
        }
        for (int i = 0; i < blockRoundTrips; ++i) {
            double micros = 0;
            if (!vxi11.roundTrip(&micros, error))
                return false;
            if (keep)
                figures->vxi11Opc.push_back(micros);
        }
    }
    return true;
}

// The measured panels' ports.
struct PanelPorts
{
    quint16 logged = 0; // the panel as started by default, keeping its switching log
    quint16 loggedVxi11 = 0; // its VXI-11 core channel
    quint16 plain = 0; // the panel started with --no-log
    qint64 loggedPid = 0;
    qint64 plainPid = 0;
};

// The benchmark's connections, the same through both runs: a panel takes
// only a few clients at once, and forgets one that has left only once it
// has seen it go.
struct Clients
{
    LineClient echo;
    LineClient remote; // to the logged panel
    LineClient delayed; // to the logged panel, its small-packet delay on
    LineClient plain; // to the panel without the log
    Probe probe;

    bool connect(quint16 echoPort, const PanelPorts &ports, std::string *error)
    {
        return echo.connectTo(echoPort, error) && remote.connectTo(ports.logged, error)
            && delayed.connectTo(ports.logged, error, true) && plain.connectTo(ports.plain, error)
            && probe.open(ports.logged, ports.plain, error);
    }
};

void runClient(Clients &clients, const PanelPorts &ports, Figures *figures)
{
    LineClient &echo = clients.echo;
    LineClient &remote = clients.remote;
    LineClient &delayed = clients.delayed;
    LineClient &plain = clients.plain;
    Probe &probe = clients.probe;
    std::string *error = &figures->error;
    if (!roundTrips(echo, remote, false, &figures->echo, &figures->remote, error))
        return;
    if (!delayedCycles(delayed, &figures->delayed, error))
        return;
    if (!vxi11RoundTrips(remote, ports.loggedVxi11, figures))
        return;
    BurstTimes times;
    if (!burst(remote, &probe, 0, 0, &times, error))
        return;
    figures->burstSeconds = times.seconds;
    // The first burst on the other panel too, before the rounds: what a
    // first burst costs once (the first paints, the first entries) is in
    // neither side of them.
    if (!burst(plain, &probe, 1, 0, &times, error))
        return;
    // A single pair of bursts says more about what else the machine did
    // meanwhile than about the log: the cost is the median over rounds of
    // one logged burst against the plain one next to it.
    for (int round = 0; round < logRounds; ++round) {
        for (const bool logged : {round % 2 == 0, round % 2 != 0}) {
            if (!burst(logged ? remote : plain, &probe, logged ? 0 : 1,
                       logged ? ports.loggedPid : ports.plainPid, &times, error))
                return;
            (logged ? figures->loggedBurstSeconds : figures->plainBurstSeconds)
                .push_back(times.seconds);
            (logged ? figures->loggedBurstGuiSeconds : figures->plainBurstGuiSeconds)
                .push_back(times.panel.mainThread);
            (logged ? figures->loggedBurstCpuSeconds : figures->plainBurstCpuSeconds)
                .push_back(times.panel.all);
        }
    }
    std::string probeError;
    if (!probe.takeFigures(&figures->longestProbeMs, &figures->probes, &probeError))
        *error = "the second client: " + probeError;
}

// The echo server in its process of its own; the port it listens on, or 0.
quint16 startEcho(QProcess *echo, std::string *error)
{
    echo->setProgram(QStringLiteral(SFP_ECHO_SERVER));
    echo->setProcessChannelMode(QProcess::ForwardedErrorChannel);
    echo->start();
    if (!echo->waitForStarted()) {
        *error = "the echo server did not start: " + echo->errorString().toStdString();
        return 0;
    }
    while (!echo->canReadLine()) {
        if (!echo->waitForReadyRead(replyTimeoutSeconds * 1000)) {
            *error = "the echo server named no port";
            return 0;
        }
    }
    bool isNumber = false;
    const uint port = echo->readLine().trimmed().toUInt(&isNumber);
    if (!isNumber || port == 0 || port > 65535) {
        *error = "the echo server named no port";
        return 0;
    }
    return quint16(port);
}

double percentile(std::vector<double> values, double fraction)
{
    std::sort(values.begin(), values.end());
    // Nearest rank: the smallest value with at least `fraction` of all at or
    // below it.
    const size_t rank = size_t(std::ceil(fraction * double(values.size())));
    return values[std::max<size_t>(rank, 1) - 1];
}

// One table row; true when the target is met (always without a limit).
bool printRoundTrips(const char *line, const std::vector<double> &echo,
                     const std::vector<double> &remote, double limit)
{
    const double echoMedian = percentile(echo, 0.5);
    const double remoteMedian = percentile(remote, 0.5);
    const double echoP90 = percentile(echo, 0.9);
    const double remoteP90 = percentile(remote, 0.9);
    const double ratio = remoteMedian / echoMedian;
    const bool met = limit <= 0 || ratio <= limit;
    char target[48] = "(no target)";
    if (limit > 0)
        std::snprintf(target, sizeof target, "%s (<= %.1f x)", met ? "met" : "NOT met", limit);
    std::printf("%-24s %8.1f %8.1f %9.1f %8.1f %7.2f %7.2f  %s\n", line, echoMedian, echoP90,
                remoteMedian, remoteP90, ratio, remoteP90 / echoP90, target);
    return met;
}

// The table of the client with its small-packet delay on; true when the
// target is met.
bool printDelayedCycles(const DelayedSeries &series)
{
    const double queryMedian = percentile(series.query, 0.5);
    const double writesMedian = percentile(series.writes, 0.5);
    const double ratio = writesMedian / queryMedian;
    const bool met = ratio <= writesLimit;
    std::printf("\nA client with the system's small-packet delay on (no TCP_NODELAY), against "
                "the panel;\n%d cycles of each kind, in blocks of %d that take turns. "
                "Times in microseconds.\n\n",
                measuredBlocks * blockRoundTrips, blockRoundTrips);
    std::printf("%-40s %8s %8s %7s  %s\n", "cycle", "median", "p90", "ratio",
                "target (on the median)");
    std::printf("%-40s %8.1f %8.1f\n", "*OPC?", queryMedian, percentile(series.query, 0.9));
    std::printf("%-40s %8.1f %8.1f %7.2f  %s (<= %.1f x the query)\n",
                "ROUT:CLOS (@n), ROUT:OPEN (@n), *OPC?", writesMedian,
                percentile(series.writes, 0.9), ratio, met ? "met" : "NOT met", writesLimit);
    return met;
}

// The median of values (the lower of the two middle ones for an even
// count).
double median(const std::vector<double> &values)
{
    return percentile(values, 0.5);
}

// The log's cost in each round: the logged burst against the plain one of
// the same round.
std::vector<double> logCosts(const std::vector<double> &logged, const std::vector<double> &plain)
{
    std::vector<double> costs;
    const size_t rounds = std::min(logged.size(), plain.size());
    for (size_t round = 0; round < rounds; ++round)
        costs.push_back(logged[round] / plain[round] - 1);
    return costs;
}

// All tables of one run; true when every target is met.
bool printFigures(const Figures &figures)
{
    std::printf("SCPI remote control of the panel (the program, in a process of its own) against "
                "a bare Qt echo\nserver on loopback, in a process of its own too; one blocking "
                "client, one line out and one\nback, %d round trips of each line to each, in "
                "blocks of %d that take turns (after %d blocks\nof warm-up). Times in "
                "microseconds; ratio = remote / echo.\n\n",
                measuredBlocks * blockRoundTrips, blockRoundTrips, warmUpBlocks);
    std::printf("%-24s %8s %8s %9s %8s %7s %7s  %s\n", "line", "echo", "echo", "remote", "remote",
                "ratio", "ratio", "target (on the median)");
    std::printf("%-24s %8s %8s %9s %8s %7s %7s\n", "", "median", "p90", "median", "p90", "median",
                "p90");
    bool allMet = printRoundTrips("*OPC?", figures.echo.opc, figures.remote.opc, opcLimit);
    allMet = printRoundTrips("ROUT:CLOS (@n);*OPC?", figures.echo.close, figures.remote.close,
                             closeLimit)
        && allMet;
    printRoundTrips("ROUT:OPEN (@n);*OPC?", figures.echo.open, figures.remote.open, 0);
    allMet = printDelayedCycles(figures.delayed) && allMet;

    std::printf("\nVXI-11 (device_write, device_read through libtirpc) against the socket, "
                "in turns:\n");
    std::printf("%-24s %8s %8s %9s %8s %7s %7s  %s\n", "line", "socket", "socket", "VXI-11",
                "VXI-11", "ratio", "ratio", "target (on the median)");
    allMet = printRoundTrips("*OPC?", figures.socketOpc, figures.vxi11Opc, vxi11Limit) && allMet;

    const double perSecond = burstCommands / figures.burstSeconds;
    const bool throughputMet = perSecond >= commandsPerSecondLimit;
    std::printf("\nBurst: %d ROUT:CLOS / ROUT:OPEN commands pipelined, then *OPC?: %.1f ms,\n%.0f "
                "commands per second, %s (>= %.0f per second)\n",
                burstCommands, figures.burstSeconds * 1e3, perSecond,
                throughputMet ? "met" : "NOT met", commandsPerSecondLimit);
    const bool gapMet = figures.longestProbeMs < guiGapLimitMs;
    std::printf("The panel's event loop during the bursts: a second client's *OPC?, one a "
                "millisecond after\nanother, longest round trip %.1f ms (%d in the bursts), %s "
                "(< %.0f ms)\n",
                figures.longestProbeMs, figures.probes, gapMet ? "met" : "NOT met", guiGapLimitMs);
    // The burst's own time swings with where and when the system runs the
    // two panels, processes of their own; the processor time each panel's
    // GUI thread, which runs the commands, spent on its burst does not, and
    // is what the log takes from the throughput. The log's file is written
    // on a thread of its own, on the other core while there is one free:
    // the whole process's time says what that adds.
    const std::vector<double> costs
        = logCosts(figures.loggedBurstSeconds, figures.plainBurstSeconds);
    const std::vector<double> guiCosts
        = logCosts(figures.loggedBurstGuiSeconds, figures.plainBurstGuiSeconds);
    const std::vector<double> cpuCosts
        = logCosts(figures.loggedBurstCpuSeconds, figures.plainBurstCpuSeconds);
    const double logCost = median(guiCosts);
    const bool logMet = logCost < logCostLimit;
    std::printf("Switching log: %d rounds of one burst on the panel that keeps it and one on "
                "the panel started\nwith --no-log, in turns; medians with and without, and the "
                "log's cost (median of the rounds'\ncosts, their range):\n",
                int(costs.size()));
    const auto costLine = [](const char *what, const std::vector<double> &logged,
                             const std::vector<double> &plain, const std::vector<double> &rounds) {
        std::printf("  %-36s %6.1f ms %6.1f ms %6.1f %% (%.1f to %.1f %%)", what,
                    median(logged) * 1e3, median(plain) * 1e3, median(rounds) * 100,
                    *std::min_element(rounds.begin(), rounds.end()) * 100,
                    *std::max_element(rounds.begin(), rounds.end()) * 100);
    };
    costLine("burst time", figures.loggedBurstSeconds, figures.plainBurstSeconds, costs);
    std::printf("\n");
    costLine("GUI thread's processor time", figures.loggedBurstGuiSeconds,
             figures.plainBurstGuiSeconds, guiCosts);
    std::printf("  %s (< %.0f %%)\n", logMet ? "met" : "NOT met", logCostLimit * 100);
    costLine("whole panel's processor time", figures.loggedBurstCpuSeconds,
             figures.plainBurstCpuSeconds, cpuCosts);
    std::printf("\n");
    return allMet && throughputMet && gapMet && logMet;
}

// A panel: the real program in a process of its own, on the simulated card.
struct Panel
{
    QProcess process;
    QString errorFile; // what it wrote on standard error
    quint16 port = 0;
    quint16 vxi11Port = 0;
};

// The IPv4 ports a process listens on, from /proc: its sockets' inodes, then
// the system's table of TCP sockets.
QSet<quint16> listeningPorts(qint64 pid)
{
    QSet<QByteArray> inodes;
    const QDir fds(QStringLiteral("/proc/%1/fd").arg(pid));
    for (const QString &fd : fds.entryList(QDir::System | QDir::NoDotAndDotDot)) {
        // Not QFile::symLinkTarget(): it makes "socket:[N]" a path.
        char target[64] = {};
        const ssize_t length = ::readlink(QFile::encodeName(fds.filePath(fd)).constData(), target,
                                          sizeof target - 1);
        const QByteArray link(target, int(std::max<ssize_t>(length, 0)));
        if (link.startsWith("socket:[") && link.endsWith(']'))
            inodes.insert(link.mid(8).chopped(1));
    }
    QSet<quint16> ports;
    QFile table(QStringLiteral("/proc/net/tcp"));
    if (!table.open(QIODevice::ReadOnly))
        return ports;
    for (const QByteArray &line : table.readAll().split('\n')) {
        const QList<QByteArray> fields = line.simplified().split(' ');
        // local address, state 0A (listening), inode
        if (fields.size() < 10 || fields.at(3) != "0A" || !inodes.contains(fields.at(9)))
            continue;
        ports.insert(quint16(fields.at(1).split(':').value(1).toUInt(nullptr, 16)));
    }
    return ports;
}

// The panel's VXI-11 core channel: of the ports it listens on besides the
// socket's, the one whose link names the other as its abort channel. The
// port mapper may not run (it does not here), and two panels would
// register the same program with it.
quint16 findVxi11Port(const Panel &panel)
{
    QSet<quint16> candidates = listeningPorts(panel.process.processId());
    candidates.remove(panel.port);
    for (const quint16 port : std::as_const(candidates)) {
        Vxi11RoundTrips link;
        std::string ignored;
        if (link.open(port, &ignored) && link.abortPort() != port
            && candidates.contains(link.abortPort()))
            return port;
    }
    return 0;
}

// Starts a panel in the profile folder `profile` (every file it keeps goes
// there), with `extra` on its command line; `trace`, when not empty, is
// the simulator's trace file. Returns once it answers.
// Whether the panels are started with --headless.
bool panelsHeadless = false;

bool startPanel(Panel *panel, const QString &profile, const QString &system,
                const QStringList &extra, const QString &trace, std::string *error)
{
    QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
    for (const char *name : {"ALLUSERSPROFILE", "XDG_CONFIG_HOME", "XDG_DATA_HOME",
                             "XDG_STATE_HOME", "XDG_CACHE_HOME"})
        environment.insert(QLatin1String(name), profile + QLatin1Char('/') + QLatin1String(name));
    if (environment.value(QStringLiteral("QT_QPA_PLATFORM")).isEmpty())
        environment.insert(QStringLiteral("QT_QPA_PLATFORM"), QStringLiteral("offscreen"));
    environment.insert(QStringLiteral("SFP_SIM_CONFIG"), system);
    // A trace file adds a write to every driver call: only where asked.
    if (trace.isEmpty())
        environment.remove(QStringLiteral("SFP_SIM_TRACE"));
    else
        environment.insert(QStringLiteral("SFP_SIM_TRACE"), trace);
    environment.remove(QStringLiteral("QX5170FP_LIBRARY_PATH"));

    panel->port = freePort();
    if (panel->port == 0) {
        *error = "no free port on loopback";
        return false;
    }
    panel->errorFile = profile + QStringLiteral("/stderr.txt");
    if (!QDir().mkpath(profile)) {
        *error = "no profile folder";
        return false;
    }
    panel->process.setProcessEnvironment(environment);
    panel->process.setStandardErrorFile(panel->errorFile);
    panel->process.setStandardOutputFile(QProcess::nullDevice());
    panel->process.start(
        QStringLiteral(SFP_PROGRAM),
        QStringList {QStringLiteral("--simulate"), QStringLiteral("--address"),
                     QString::fromLatin1(cardDescriptor), QStringLiteral("--fc"),
                     QString::number(cardPosition), QStringLiteral("--listen"),
                     QStringLiteral("127.0.0.1:%1").arg(panel->port)}
            + hundredNetworksAllowed()
            + (panelsHeadless ? QStringList {QStringLiteral("--headless")} : QStringList())
            + extra);
    if (!panel->process.waitForStarted(startTimeoutMs)) {
        *error = "the panel does not start: " + panel->process.errorString().toStdString();
        return false;
    }
    // It listens before it has opened the card; the first answer comes once
    // it has, and its window is shown.
    std::unique_ptr<LineClient> client;
    QElapsedTimer waited;
    waited.start();
    while (true) {
        client = std::make_unique<LineClient>();
        std::string why;
        if (client->connectTo(panel->port, &why))
            break;
        if (waited.elapsed() > startTimeoutMs || panel->process.state() != QProcess::Running) {
            *error = "the panel does not listen on port " + std::to_string(panel->port);
            return false;
        }
        QThread::msleep(50);
    }
    if (!expectAnswer(*client, "*OPC?", "1", error))
        return false;
    panel->vxi11Port = findVxi11Port(*panel);
    if (panel->vxi11Port == 0) {
        *error = "the panel's VXI-11 core channel is not found";
        return false;
    }
    return true;
}

// What the panel wrote on standard error, for a run that failed.
void showErrors(const Panel &panel)
{
    QFile file(panel.errorFile);
    if (file.open(QIODevice::ReadOnly))
        std::fprintf(stderr, "%s", file.readAll().constData());
}

void stopPanel(Panel *panel)
{
    if (panel->process.state() == QProcess::NotRunning)
        return;
    ::kill(pid_t(panel->process.processId()), SIGTERM);
    if (!panel->process.waitForFinished(30000)) {
        panel->process.kill();
        panel->process.waitForFinished();
    }
}

// The simulator's trace of the checked panel: from `from` (bytes) on, the
// driver calls that switch a relay; over the whole trace, the card's mode
// and the relays' states at the end.
bool checkTrace(const QString &path, qint64 from, int *switchCalls, std::string *error)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly)) {
        *error = "the simulator's trace cannot be read";
        return false;
    }
    const QByteArray trace = file.readAll();
    const QByteArray card
        = QByteArray("card ") + cardDescriptor + " FC" + QByteArray::number(cardPosition) + ' ';
    std::vector<bool> closed(relayCount, false);
    int mode = -1;
    qint64 offset = 0;
    *switchCalls = 0;
    for (const QByteArray &line : trace.split('\n')) {
        if (offset >= from && line.startsWith("qx5170_switchRelay("))
            ++*switchCalls;
        offset += line.size() + 1;
        if (!line.startsWith(card))
            continue;
        const QList<QByteArray> words = line.mid(card.size()).split(' ');
        if (words.size() == 2 && words.at(0) == "mode") {
            mode = words.at(1).toInt();
        } else if (words.size() == 3 && words.at(0) == "relay") {
            const int relay = words.at(1).toInt();
            if (relay >= 1 && relay <= relayCount)
                closed[size_t(relay - 1)] = words.at(2) == "on";
        }
    }
    if (*switchCalls != burstCommands) {
        *error = "the burst made " + std::to_string(*switchCalls)
            + " driver calls that switch a relay, not " + std::to_string(burstCommands);
        return false;
    }
    for (int relay = 1; relay <= relayCount; ++relay) {
        if (mode != 1 || closed[size_t(relay - 1)] != closedAroundBurst(relay)) {
            *error = "the card does not hold the states the commands gave";
            return false;
        }
    }
    return true;
}

// Holds every thread of the process `pid` (0: this one), or only its main
// thread, on the CPUs given, all of them for none; threads started later
// inherit it.
enum class Threads { All, Main };
bool holdOn(qint64 pid, std::initializer_list<int> cpus, Threads which = Threads::All)
{
    cpu_set_t set;
    CPU_ZERO(&set);
    const long online = ::sysconf(_SC_NPROCESSORS_ONLN);
    for (int cpu = 0; cpu < online; ++cpu) {
        if (cpus.size() == 0 || std::find(cpus.begin(), cpus.end(), cpu) != cpus.end())
            CPU_SET(cpu, &set);
    }
    const QString tasks = QStringLiteral("/proc/%1/task")
                              .arg(pid == 0 ? QStringLiteral("self") : QString::number(pid));
    const QStringList threads = which == Threads::Main
        ? QStringList {QString::number(pid == 0 ? ::getpid() : pid)}
        : QDir(tasks).entryList(QDir::Dirs | QDir::NoDotAndDotDot);
    bool held = !threads.isEmpty();
    for (const QString &thread : threads)
        held = ::sched_setaffinity(thread.toInt(), sizeof set, &set) == 0 && held;
    return held;
}

// The benchmark started as the program that keeps one core busy.
constexpr char busyArgument[] = "--keep-a-core-busy";

// Spins until its parent, the benchmark, is gone (it is killed at the end,
// but a benchmark that crashes must not leave it behind).
int spin()
{
    const pid_t parent = ::getppid();
    std::uint64_t turns = 0;
    volatile std::uint64_t sink = 0;
    while (true) {
        sink = sink + turns;
        if (++turns % (std::uint64_t(1) << 24) == 0 && ::getppid() != parent)
            return 0;
    }
}

int failed(const char *why)
{
    std::fprintf(stderr, "bench_remote: %s\n", why);
    return 2;
}

} // namespace

int main(int argc, char *argv[])
{
    if (argc == 2 && std::strcmp(argv[1], busyArgument) == 0)
        return spin();
    if (argc == 2 && std::strcmp(argv[1], "--headless") == 0)
        panelsHeadless = true;
    else if (argc != 1)
        return failed("usage: bench_remote [--headless]");
    QCoreApplication app(argc, argv);
    // The panels keep their files in profiles of the run's own, never the
    // user's.
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

    // The checked panel: every command of a burst reaches the driver, and
    // the card ends in the states the commands gave. Its trace costs a
    // write per driver call, so it is measured for nothing else.
    {
        Panel checked;
        const QString trace = work.filePath(QStringLiteral("trace.txt"));
        if (!startPanel(&checked, work.filePath(QStringLiteral("checked")), system, {}, trace,
                        &error)) {
            showErrors(checked);
            return failed(error.c_str());
        }
        LineClient client;
        qint64 traceStart = 0;
        BurstTimes times;
        int switchCalls = 0;
        const bool done = client.connectTo(checked.port, &error)
            && burst(client, nullptr, 0, 0, &times, &error,
                     [&trace, &traceStart] { traceStart = QFileInfo(trace).size(); });
        stopPanel(&checked);
        if (!done || !checkTrace(trace, traceStart, &switchCalls, &error)) {
            showErrors(checked);
            return failed(error.c_str());
        }
    }

    // Its standard input closes with this process, and it ends with it.
    QProcess echo;
    const quint16 echoPort = startEcho(&echo, &error);
    if (echoPort == 0)
        return failed(error.c_str());
    Panel logged;
    Panel plain;
    if (!startPanel(&logged, work.filePath(QStringLiteral("logged")), system, {}, {}, &error)
        || !startPanel(&plain, work.filePath(QStringLiteral("plain")), system,
                       {QStringLiteral("--no-log")}, {}, &error)) {
        showErrors(logged);
        showErrors(plain);
        return failed(error.c_str());
    }
    PanelPorts ports;
    ports.logged = logged.port;
    ports.loggedVxi11 = logged.vxi11Port;
    ports.plain = plain.port;
    ports.loggedPid = logged.process.processId();
    ports.plainPid = plain.process.processId();

    // The same figures twice: on the machine as it is, then with a second
    // program of the benchmark's own spinning on one of its cores, as an
    // operator's machine busy with other work would be.
    std::vector<Figures> runs(3);
    Clients clients;
    if (!clients.connect(echoPort, ports, &error))
        return failed(error.c_str());
    QProcess busy;
    const std::array<qint64, 3> servers
        = {echo.processId(), logged.process.processId(), plain.process.processId()};
    const auto holdAll
        = [&servers](std::initializer_list<int> client, std::initializer_list<int> server,
                     Threads serverThreads = Threads::All) {
              bool held = holdOn(0, client);
              for (qint64 pid : servers)
                  held = holdOn(pid, server, serverThreads) && held;
              return held;
          };
    const bool twoCpus = ::sysconf(_SC_NPROCESSORS_ONLN) >= 2;
    for (size_t run = 0; run < runs.size(); ++run) {
        // The log's thread of the panel that keeps it stays free, as on a
        // machine that nobody holds.
        if (run == 0 && twoCpus && !holdAll({0}, {1}, Threads::Main))
            return failed("the processes cannot be held on their CPUs");
        if (run == 1) {
            if (!holdAll({}, {}))
                return failed("the processes cannot be let go of their CPUs");
            busy.setProgram(QCoreApplication::applicationFilePath());
            busy.setArguments({QString::fromLatin1(busyArgument)});
            busy.start();
            if (!busy.waitForStarted())
                return failed("the busy program did not start");
        }
        if (run == 2) {
            busy.kill();
            busy.waitForFinished(5000);
            if (!holdAll({0}, {0}))
                return failed("the processes cannot be held on one CPU");
        }
        Figures &figures = runs[run];
        runClient(clients, ports, &figures);
        if (!figures.error.empty()) {
            showErrors(logged);
            showErrors(plain);
            return failed(figures.error.c_str());
        }
    }
    stopPanel(&logged);
    stopPanel(&plain);
    echo.closeWriteChannel();
    if (!echo.waitForFinished(5000))
        echo.kill();

    std::printf("%s\n\n",
                !panelsHeadless
                    ? "The panels with their window (offscreen unless QT_QPA_PLATFORM says)."
                    : "The panels headless (qx5170fp --headless): no window, no display.");
    std::printf("A panel with the simulator's trace took a burst: %d driver calls that switch a "
                "relay, the card\nin the states the commands gave.\n\n",
                burstCommands);
    bool allMet = true;
    for (size_t run = 0; run < runs.size(); ++run) {
        const char *const titles[]
            = {"Quiet: the benchmark on the first CPU, the echo and the panels on the second",
               "Loaded: a second program of the benchmark's keeps one core busy",
               "One CPU: the benchmark, the echo and the panels held on the first CPU"};
        std::printf("%s== %s ==\n\n", run == 0 ? "" : "\n", titles[run]);
        allMet = printFigures(runs[run]) && allMet;
    }
    std::printf("\n%s\n", allMet ? "all targets met" : "some targets NOT met");
    return 0;
}
