// SPDX-FileCopyrightText: 2026 Tarvex
// SPDX-License-Identifier: MIT
// What the SCPI remote control costs over what the socket itself costs: the
// same blocking client, in a thread of its own, sends one line and waits for
// one line back, alternately to the remote control and to a bare Qt echo
// server in a process of its own (bench_remote_echo), which does nothing
// else. Then a client that keeps the system's small-packet delay on, as
// most instrument libraries do, times writes followed by a query against
// the query alone: a line without a response must not hold the next one
// back. Last, a pipelined burst of relay commands measures how many the
// panel runs per second, and a 1 ms timer on the GUI thread how long the
// window waits for its turn meanwhile. The panel is the real window,
// connected to a simulated card whose libraries answer without delay, so
// that every command reaches the driver and the window shows it. The
// switching round trips are measured once more with the window hidden,
// which tells the window's share from the remote control's own, and the
// burst in rounds with the switching log and without it, in turns, for
// what the log costs. Everything runs twice: on the machine as it is, then
// with a second program of the benchmark's keeping one core busy.
//
//   build/bin/bench_remote
#include "cardsession.h"
#include "platformlibraries.h"
#include "qx5170_fc.h"
#include "qx5170_sfprelaypair.h"
#include "qx5170fp_app.h"
#include "remotecontrol.h"
#include "sfpstartchoice.h"
#include "sim_control.h"
#include "switchinglog.h"
#include "vxi11roundtrips.h"

#include <QApplication>
#include <QByteArray>
#include <QElapsedTimer>
#include <QEventLoop>
#include <QHostAddress>
#include <QMessageBox>
#include <QProcess>
#include <QPushButton>
#include <QTemporaryDir>
#include <QTimer>

#include <netinet/in.h>
#include <netinet/tcp.h>
#include <sys/socket.h>
#include <sys/time.h>
#include <unistd.h>

#include <algorithm>
#include <atomic>
#include <cerrno>
#include <chrono>
#include <cmath>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <functional>
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

constexpr int relayCount = sfp::relayCount;
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
        m_socket = ::socket(AF_INET, SOCK_STREAM, 0);
        if (m_socket < 0)
            return fail("socket", error);
        // Otherwise a request goes out as soon as it is written.
        const int on = 1;
        if (!smallPacketDelay)
            ::setsockopt(m_socket, IPPROTO_TCP, TCP_NODELAY, &on, sizeof on);
        timeval timeout = {};
        timeout.tv_sec = replyTimeoutSeconds;
        ::setsockopt(m_socket, SOL_SOCKET, SO_RCVTIMEO, &timeout, sizeof timeout);
        sockaddr_in address = {};
        address.sin_family = AF_INET;
        address.sin_port = htons(port);
        address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
        if (::connect(m_socket, reinterpret_cast<const sockaddr *>(&address), sizeof address) != 0)
            return fail("connect", error);
        return true;
    }

    bool send(const std::string &data, std::string *error)
    {
        size_t sent = 0;
        while (sent < data.size()) {
            const ssize_t n
                = ::send(m_socket, data.data() + sent, data.size() - sent, MSG_NOSIGNAL);
            if (n < 0 && errno == EINTR)
                continue;
            if (n <= 0)
                return fail("send", error);
            sent += size_t(n);
        }
        return true;
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
                return fail("recv", error);
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
    bool fail(const char *call, std::string *error)
    {
        *error = std::string(call) + ": " + std::strerror(errno);
        return false;
    }

    int m_socket = -1;
    std::string m_received;
    size_t m_scanned = 0; // how far m_received holds no line end
};

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
    // The switching lines once more with the window hidden: what the window
    // adds to each switch, apart from what the remote control itself costs.
    Series echoHidden;
    Series remoteHidden;
    // *OPC? over the socket and over VXI-11, in turns.
    std::vector<double> socketOpc;
    std::vector<double> vxi11Opc;
    double burstSeconds = 0;
    int burstDriverCalls = 0;
    // The GUI thread's longest wait while a burst ran, and how often it
    // had its turn in the bursts.
    double longestGapMs = 0;
    int ticksInBursts = 0;
    // Bursts with the switching log written and without it, round by
    // round in turns (which goes first alternating), after the first
    // burst: the seconds of each, in the order run.
    std::vector<double> loggedBurstSeconds;
    std::vector<double> plainBurstSeconds;
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

bool burst(LineClient &remote, std::atomic<bool> *burstRunning, Figures *figures)
{
    std::string *error = &figures->error;
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

    // Only calls of the burst are counted; the client is the card's only
    // user now.
    sfpsim::clearTrace();
    burstRunning->store(true);
    const Clock::time_point start = Clock::now();
    std::string answer;
    const bool sent = remote.send(commands, error) && remote.readLine(&answer, error);
    figures->burstSeconds = std::chrono::duration<double>(Clock::now() - start).count();
    burstRunning->store(false);
    if (!sent)
        return false;
    if (answer != "1") {
        *error = "*OPC? after the burst answered \"" + answer + "\", not \"1\"";
        return false;
    }

    for (const std::string &line : sfpsim::traceLines()) {
        if (line.rfind("qx5170_switchRelay(", 0) == 0)
            ++figures->burstDriverCalls;
    }
    if (figures->burstDriverCalls != burstCommands) {
        *error = "the burst made " + std::to_string(figures->burstDriverCalls)
            + " driver calls that switch a relay, not " + std::to_string(burstCommands);
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

// `showWindow` shows or hides the panel window and returns once it has;
// `logSwitching` starts or ends the card's switching log.
void runClient(quint16 echoPort, quint16 remotePort, quint16 vxi11Port,
               const std::function<void(bool)> &showWindow,
               const std::function<void(bool)> &logSwitching, std::atomic<bool> *burstRunning,
               Figures *figures)
{
    LineClient echo;
    LineClient remote;
    LineClient delayed;
    std::string *error = &figures->error;
    if (!echo.connectTo(echoPort, error) || !remote.connectTo(remotePort, error)
        || !delayed.connectTo(remotePort, error, true))
        return;
    if (!roundTrips(echo, remote, false, &figures->echo, &figures->remote, error))
        return;
    if (!delayedCycles(delayed, &figures->delayed, error))
        return;
    if (!vxi11RoundTrips(remote, vxi11Port, figures))
        return;
    showWindow(false);
    const bool hiddenDone
        = roundTrips(echo, remote, true, &figures->echoHidden, &figures->remoteHidden, error);
    showWindow(true);
    if (!hiddenDone || !burst(remote, burstRunning, figures))
        return;
    // A single pair of bursts says more about what else the machine did
    // meanwhile than about the log: the cost is the median over rounds of
    // one logged burst against the plain one next to it.
    for (int round = 0; round < logRounds; ++round) {
        for (const bool logged : {round % 2 == 0, round % 2 != 0}) {
            logSwitching(logged);
            Figures again;
            const bool done = burst(remote, burstRunning, &again);
            logSwitching(false);
            if (!done) {
                figures->error = again.error;
                return;
            }
            (logged ? figures->loggedBurstSeconds : figures->plainBurstSeconds)
                .push_back(again.burstSeconds);
        }
    }
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

// The longest time between two runs of a 1 ms timer on the GUI thread, over
// the gaps that touch the burst: one that begins before the burst and ends
// in it was spent on the burst too.
class GuiGapProbe final : public QObject
{
public:
    explicit GuiGapProbe(const std::atomic<bool> *burstRunning)
        : m_burstRunning(burstRunning)
    {
        m_timer.setInterval(1);
        m_timer.setTimerType(Qt::PreciseTimer);
        connect(&m_timer, &QTimer::timeout, this, [this] { tick(); });
        m_clock.start();
        m_timer.start();
    }

    double longestGapMs() const { return double(m_longestNs) / 1e6; }
    int ticksInBurst() const { return m_ticksInBurst; }

private:
    void tick()
    {
        const qint64 now = m_clock.nsecsElapsed();
        const bool running = m_burstRunning->load();
        if (running || m_lastRunning)
            m_longestNs = qMax(m_longestNs, now - m_last);
        if (running)
            ++m_ticksInBurst;
        m_last = now;
        m_lastRunning = running;
    }

    const std::atomic<bool> *m_burstRunning;
    QTimer m_timer;
    QElapsedTimer m_clock;
    qint64 m_last = 0;
    bool m_lastRunning = false;
    qint64 m_longestNs = 0;
    int m_ticksInBurst = 0;
};

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
std::vector<double> logCosts(const Figures &figures)
{
    std::vector<double> costs;
    const size_t rounds
        = std::min(figures.loggedBurstSeconds.size(), figures.plainBurstSeconds.size());
    for (size_t round = 0; round < rounds; ++round)
        costs.push_back(figures.loggedBurstSeconds[round] / figures.plainBurstSeconds[round] - 1);
    return costs;
}

// All tables of one run; true when every target is met.
bool printFigures(const Figures &figures)
{
    std::printf("SCPI remote control against a bare Qt echo server on loopback, in a process "
                "of its own;\none blocking client, one line out and one back, %d round trips of "
                "each line to each,\nin blocks of %d that take turns (after %d blocks of "
                "warm-up). Times in microseconds;\nratio = remote / echo.\n\n",
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
    std::printf("the window hidden:\n");
    printRoundTrips("ROUT:CLOS (@n);*OPC?", figures.echoHidden.close, figures.remoteHidden.close,
                    0);
    printRoundTrips("ROUT:OPEN (@n);*OPC?", figures.echoHidden.open, figures.remoteHidden.open, 0);
    allMet = printDelayedCycles(figures.delayed) && allMet;

    std::printf("\nVXI-11 (device_write, device_read through libtirpc) against the socket, "
                "in turns:\n");
    std::printf("%-24s %8s %8s %9s %8s %7s %7s  %s\n", "line", "socket", "socket", "VXI-11",
                "VXI-11", "ratio", "ratio", "target (on the median)");
    allMet = printRoundTrips("*OPC?", figures.socketOpc, figures.vxi11Opc, vxi11Limit) && allMet;

    const double perSecond = burstCommands / figures.burstSeconds;
    const bool throughputMet = perSecond >= commandsPerSecondLimit;
    std::printf("\nBurst: %d ROUT:CLOS / ROUT:OPEN commands (%d driver calls) pipelined, then "
                "*OPC?: %.1f ms,\n%.0f commands per second, %s (>= %.0f per second)\n",
                burstCommands, figures.burstDriverCalls, figures.burstSeconds * 1e3, perSecond,
                throughputMet ? "met" : "NOT met", commandsPerSecondLimit);
    const bool gapMet = figures.longestGapMs < guiGapLimitMs;
    std::printf("GUI thread during the bursts: longest gap between two runs of a 1 ms timer "
                "%.1f ms\n(%d timer runs in the bursts), %s (< %.0f ms)\n",
                figures.longestGapMs, figures.ticksInBursts, gapMet ? "met" : "NOT met",
                guiGapLimitMs);
    const std::vector<double> costs = logCosts(figures);
    const double logCost = median(costs);
    const bool logMet = logCost < logCostLimit;
    std::printf("Switching log: %d rounds of one burst with it and one without, in turns; "
                "medians %.1f ms with,\n%.1f ms without; logging costs %.1f %% of the "
                "throughput (median of the rounds' costs,\n%.1f to %.1f %%), %s (< %.0f %%)\n",
                int(costs.size()), median(figures.loggedBurstSeconds) * 1e3,
                median(figures.plainBurstSeconds) * 1e3, logCost * 100,
                *std::min_element(costs.begin(), costs.end()) * 100,
                *std::max_element(costs.begin(), costs.end()) * 100, logMet ? "met" : "NOT met",
                logCostLimit * 100);
    return allMet && throughputMet && gapMet && logMet;
}

// The window shows what the card was told, relay by relay.
bool windowShowsStates(const qx5170fp_App &window)
{
    QList<qx5170_sfpRelayPair *> pairs = window.findChildren<qx5170_sfpRelayPair *>();
    if (pairs.size() != qx5170fp_App::pairCount)
        return false;
    return std::all_of(pairs.cbegin(), pairs.cend(), [](const qx5170_sfpRelayPair *pair) {
        const int relayA = pair->pairNo() * 2 + 1;
        return pair->relayAButton()->isChecked() == closedAroundBurst(relayA)
            && pair->relayBButton()->isChecked() == closedAroundBurst(relayA + 1);
    });
}

bool cardHoldsStates()
{
    sfpsim::CardState card;
    if (!sfpsim::cardState(cardDescriptor, cardPosition, &card) || card.mode != 1)
        return false;
    for (int relay = 1; relay <= relayCount; ++relay) {
        if (card.applied.at(size_t(relay - 1)) != closedAroundBurst(relay))
            return false;
    }
    return true;
}

// The port the system chose: the remote control names it only in its
// information line, "Remote: 127.0.0.1:PORT, N clients".
quint16 listeningPort(const sfp::RemoteControl &remote)
{
    const QString endpoint = remote.infoText().section(QLatin1Char(','), 0, 0);
    return quint16(endpoint.section(QLatin1Char(':'), -1).toUInt());
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
    // A trace file would add a write and a flush to every driver call.
    qunsetenv("SFP_SIM_TRACE");
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    // The panel reads and may write its files in a profile of the run's own,
    // never the user's.
    QTemporaryDir profile;
    if (!profile.isValid())
        return failed("no temporary folder");
    qputenv("ALLUSERSPROFILE", profile.path().toLocal8Bit());
    qputenv("XDG_CONFIG_HOME", profile.path().toLocal8Bit());

    sfp::platform::Search search;
    search.simulate = true;
    search.linker = false;
    search.simulatedFolders = {QStringLiteral(SFP_STAND_IN_DIR)};
    const sfp::platform::Loaded platform = sfp::platform::load(search);
    if (!platform.ok) {
        std::fprintf(stderr, "bench_remote: %s\n", qPrintable(platform.error));
        return 2;
    }
    QApplication app(argc, argv);
    std::string descriptionError;
    if (!sfpsim::loadDescription(oneCardSystem, &descriptionError))
        return failed(descriptionError.c_str());

    // A question of the panel (a failed open, a driver report) would wait
    // for an operator forever; it ends the run instead.
    QTimer modalGuard;
    QObject::connect(&modalGuard, &QTimer::timeout, &app, [] {
        if (QWidget *modal = QApplication::activeModalWidget()) {
            const auto *box = qobject_cast<QMessageBox *>(modal);
            std::fprintf(stderr, "bench_remote: the panel asks the operator: %s\n",
                         qPrintable(box ? box->text() : modal->windowTitle()));
            std::exit(2);
        }
    });
    modalGuard.start(100);

    qx5170_fc fc;
    sfpStartChoice start;
    start.kind = sfpStartChoice::Address;
    start.descriptor = QString::fromLatin1(cardDescriptor);
    start.fcNumber = cardPosition;
    qx5170fp_App window(&fc, start);
    if (!window.card() || window.card()->isDemo())
        return failed("the panel did not connect to the simulated card");
    window.adjustSize();
    window.show();

    QTemporaryDir stateFolder;
    if (!stateFolder.isValid())
        return failed("no temporary folder");
    // Destroyed before the window, as the program does: the remote control
    // goes before the card it drives.
    sfp::RemoteControl remote(QByteArrayLiteral("Orbelan,5170,0,bench"), stateFolder.path());
    if (!remote.listen(QHostAddress::LocalHost, 0))
        return failed(qPrintable(remote.errorString()));
    if (!remote.listenVxi11())
        return failed(qPrintable(remote.vxi11ErrorString()));
    window.followRemote(&remote);
    remote.start(window.card());

    // Its standard input closes with this process, and it ends with it.
    QProcess echo;
    std::string echoError;
    const quint16 echoPort = startEcho(&echo, &echoError);
    if (echoPort == 0)
        return failed(echoError.c_str());

    std::atomic<bool> burstRunning(false);
    const quint16 remotePort = listeningPort(remote);
    if (remotePort == 0)
        return failed(qPrintable("no port in \"" + remote.infoText() + '"'));
    const auto showWindow = [&window](bool shown) {
        QMetaObject::invokeMethod(
            &window, [&window, shown] { window.setVisible(shown); }, Qt::BlockingQueuedConnection);
    };
    QTemporaryDir logFolder;
    sfp::SwitchingLog log;
    log.setPath(sfp::SwitchingLog::fileName(logFolder.path(), window.cardId()));
    const auto logSwitching = [&window, &log](bool on) {
        QMetaObject::invokeMethod(
            &window,
            [&window, &log, on] {
                log.flush();
                window.card()->setLog(on ? &log : nullptr, window.cardId());
            },
            Qt::BlockingQueuedConnection);
    };
    // The same figures twice: on the machine as it is, then with a second
    // program of the benchmark's own spinning on one of its cores, as an
    // operator's machine busy with other work would be.
    std::vector<Figures> runs(2);
    QProcess busy;
    for (size_t run = 0; run < runs.size(); ++run) {
        if (run == 1) {
            busy.setProgram(QCoreApplication::applicationFilePath());
            busy.setArguments({QString::fromLatin1(busyArgument)});
            busy.start();
            if (!busy.waitForStarted())
                return failed("the busy program did not start");
        }
        Figures &figures = runs[run];
        const GuiGapProbe probe(&burstRunning);
        // A loop of its own: quitting the application would first ask the
        // window to close, and the panel answers that with its exit
        // question.
        QEventLoop running;
        std::thread client([&] {
            runClient(echoPort, remotePort, remote.vxi11Port(), showWindow, logSwitching,
                      &burstRunning, &figures);
            QMetaObject::invokeMethod(&running, &QEventLoop::quit, Qt::QueuedConnection);
        });
        running.exec();
        client.join();
        figures.longestGapMs = probe.longestGapMs();
        figures.ticksInBursts = probe.ticksInBurst();
        if (!figures.error.empty())
            return failed(figures.error.c_str());
        if (!cardHoldsStates())
            return failed("the card does not hold the states the commands gave");
        if (!windowShowsStates(window))
            return failed("the window does not show the states the commands gave");
    }
    busy.kill();
    busy.waitForFinished(5000);
    echo.closeWriteChannel();
    if (!echo.waitForFinished(5000))
        echo.kill();

    bool allMet = true;
    for (size_t run = 0; run < runs.size(); ++run) {
        std::printf("%s== %s ==\n\n", run == 0 ? "" : "\n",
                    run == 0 ? "Quiet: nothing else started by the benchmark"
                             : "Loaded: a second program of the benchmark's keeps one core busy");
        allMet = printFigures(runs[run]) && allMet;
    }
    std::printf("\n%s\n", allMet ? "all targets met" : "some targets NOT met");
    return 0;
}
