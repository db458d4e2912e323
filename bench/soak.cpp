// SPDX-FileCopyrightText: 2026 Tarvex
// SPDX-License-Identifier: MIT
// A panel left switching for weeks must not grow: the real program, its
// window shown on the offscreen platform, connected to the simulated card
// and keeping its switching log, takes two million relay switches over the
// SCPI socket on loopback, in pipelined blocks each closed by *OPC?. Its
// resident memory is read from /proc after every 100,000; the target is
// that the last reading stays within 5 MB of the first.
//
//   build/bin/bench_soak [SWITCHES]
#include "freeport.h"

#include <QByteArray>
#include <QElapsedTimer>
#include <QFile>
#include <QProcess>
#include <QProcessEnvironment>
#include <QTemporaryDir>
#include <QThread>

#include <arpa/inet.h>
#include <netinet/in.h>
#include <netinet/tcp.h>
#include <sys/socket.h>
#include <sys/time.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <csignal>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

namespace {

constexpr long defaultSwitches = 2000000;
constexpr long readingEvery = 100000;
constexpr int blockSwitches = 500; // commands sent before each *OPC?
constexpr double growthLimitMb = 5;
constexpr int relayCount = 32;
constexpr int replyTimeoutSeconds = 60;

int failed(const std::string &why)
{
    std::fprintf(stderr, "bench_soak: %s\n", why.c_str());
    return 2;
}

int connectTo(quint16 port)
{
    const int fd = ::socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
    if (fd < 0)
        return -1;
    sockaddr_in address {};
    address.sin_family = AF_INET;
    address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    address.sin_port = htons(port);
    if (::connect(fd, reinterpret_cast<sockaddr *>(&address), sizeof address) != 0) {
        ::close(fd);
        return -1;
    }
    const int on = 1;
    ::setsockopt(fd, IPPROTO_TCP, TCP_NODELAY, &on, sizeof on);
    timeval timeout {};
    timeout.tv_sec = replyTimeoutSeconds;
    ::setsockopt(fd, SOL_SOCKET, SO_RCVTIMEO, &timeout, sizeof timeout);
    return fd;
}

bool sendAll(int fd, const std::string &text)
{
    size_t sent = 0;
    while (sent < text.size()) {
        const ssize_t written = ::send(fd, text.data() + sent, text.size() - sent, MSG_NOSIGNAL);
        if (written < 0 && errno == EINTR)
            continue;
        if (written <= 0)
            return false;
        sent += size_t(written);
    }
    return true;
}

// One line, without its end; empty when none came in time.
std::string readLine(int fd, std::string *pending)
{
    for (;;) {
        const size_t end = pending->find('\n');
        if (end != std::string::npos) {
            std::string line = pending->substr(0, end);
            pending->erase(0, end + 1);
            return line;
        }
        char chunk[256];
        const ssize_t got = ::recv(fd, chunk, sizeof chunk, 0);
        if (got < 0 && errno == EINTR)
            continue;
        if (got <= 0)
            return {};
        pending->append(chunk, size_t(got));
    }
}

// Resident memory of a process in KiB, from /proc; -1 when not readable.
long residentKiB(qint64 pid)
{
    QFile status(QStringLiteral("/proc/%1/status").arg(pid));
    if (!status.open(QIODevice::ReadOnly))
        return -1;
    for (const QByteArray &line : status.readAll().split('\n')) {
        if (line.startsWith("VmRSS:"))
            return line.mid(6).trimmed().split(' ').value(0).toLong();
    }
    return -1;
}

} // namespace

int main(int argc, char *argv[])
{
    const long switches = argc > 1 ? std::strtol(argv[1], nullptr, 10) : defaultSwitches;
    if (switches < readingEvery)
        return failed("at least " + std::to_string(readingEvery) + " switches");

    // Every file the panel keeps goes to a profile of the run's own.
    QTemporaryDir profile;
    if (!profile.isValid())
        return failed("no temporary folder");
    QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
    for (const char *name : {"ALLUSERSPROFILE", "XDG_CONFIG_HOME", "XDG_DATA_HOME",
                             "XDG_STATE_HOME", "XDG_CACHE_HOME"})
        environment.insert(QLatin1String(name), profile.filePath(QLatin1String(name)));
    environment.insert(QStringLiteral("QT_QPA_PLATFORM"), QStringLiteral("offscreen"));
    environment.remove(QStringLiteral("SFP_SIM_TRACE"));
    environment.remove(QStringLiteral("SFP_SIM_CONFIG"));

    const quint16 port = freePort();
    if (port == 0)
        return failed("no free port on loopback");
    QProcess panel;
    panel.setProcessEnvironment(environment);
    panel.setProcessChannelMode(QProcess::ForwardedErrorChannel);
    panel.start(QStringLiteral(SFP_PROGRAM),
                {QStringLiteral("--simulate"), QStringLiteral("--address"),
                 QStringLiteral("VXI0::1::INSTR"), QStringLiteral("--fc"), QStringLiteral("2"),
                 QStringLiteral("--listen"), QStringLiteral("127.0.0.1:%1").arg(port)});
    if (!panel.waitForStarted(10000))
        return failed("the panel does not start: " + panel.errorString().toStdString());
    const qint64 pid = panel.processId();

    int fd = -1;
    QElapsedTimer waited;
    waited.start();
    while (fd < 0 && waited.elapsed() < 60000 && panel.state() == QProcess::Running) {
        fd = connectTo(port);
        if (fd < 0)
            QThread::msleep(100);
    }
    if (fd < 0) {
        panel.kill();
        panel.waitForFinished();
        return failed("the panel does not listen on port " + std::to_string(port));
    }

    struct Reading
    {
        long switches;
        long kib;
        double seconds;
    };
    std::vector<Reading> readings;
    std::string pending;
    QElapsedTimer clock;
    clock.start();
    long done = 0;
    std::string error;
    while (done < switches && error.empty()) {
        std::string block;
        const long count = std::min<long>(blockSwitches, switches - done);
        for (long i = 0; i < count; ++i) {
            // Each relay in turn, closed on one round and opened on the
            // next: every command switches one.
            const long n = done + i;
            const int relay = int(n % relayCount) + 1;
            block += (n / relayCount) % 2 == 0 ? "ROUT:CLOS (@" : "ROUT:OPEN (@";
            block += std::to_string(relay) + ")\n";
        }
        block += "*OPC?\n";
        if (!sendAll(fd, block)) {
            error = "the panel closed the connection";
            break;
        }
        const std::string answer = readLine(fd, &pending);
        if (answer != "1") {
            error = "*OPC? answered \"" + answer + "\" after " + std::to_string(done) + " switches";
            break;
        }
        done += count;
        if (done % readingEvery == 0)
            readings.push_back({done, residentKiB(pid), double(clock.elapsed()) / 1000});
    }
    if (error.empty()) {
        if (!sendAll(fd, "SYST:ERR?\n"))
            error = "the panel closed the connection";
        else if (const std::string answer = readLine(fd, &pending); answer != "0,\"No error\"")
            error = "the panel reports " + answer;
    }
    ::close(fd);
    ::kill(pid_t(pid), SIGTERM);
    if (!panel.waitForFinished(30000)) {
        panel.kill();
        panel.waitForFinished();
    }
    if (!error.empty())
        return failed(error);

    std::printf("The panel (window shown, offscreen platform, simulated card, switching log "
                "kept) takes\n%ld relay switches over the SCPI socket on loopback, in blocks "
                "of %d closed by *OPC?.\nResident memory after every %ld:\n\n",
                switches, blockSwitches, readingEvery);
    std::printf("%10s %12s %10s %14s\n", "switches", "resident/MB", "time/s", "since first/MB");
    for (const Reading &reading : readings)
        std::printf("%10ld %12.1f %10.1f %+14.2f\n", reading.switches, double(reading.kib) / 1024.0,
                    reading.seconds, double(reading.kib - readings.front().kib) / 1024.0);
    const double growthMb = double(readings.back().kib - readings.front().kib) / 1024.0;
    const bool met = readings.front().kib > 0 && growthMb <= growthLimitMb;
    std::printf("\n%.0f switches per second; resident memory %+.2f MB from %ld to %ld switches, "
                "%s (<= %.0f MB)\n",
                double(switches) / (double(clock.elapsed()) / 1000), growthMb,
                readings.front().switches, readings.back().switches, met ? "met" : "NOT met",
                growthLimitMb);
    std::printf("%s\n", met ? "all targets met" : "some targets NOT met");
    return 0;
}
