// SPDX-FileCopyrightText: 2026 Tarvex
// SPDX-License-Identifier: MIT
// The pace of a timed scan on the simulated card: each step's start
// against its place on the scan's clock (k x the interval), at 10 ms and at
// 1 ms, the whole scan's time against its nominal time (steps x interval),
// and the event loop's longest gap while the scan runs.
//
//   build/bin/bench_steps [steps]
#include "benchsupport.h"
#include "cardscan.h"
#include "cardsession.h"

#include "qx5170.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QEventLoop>
#include <QTimer>

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <vector>

namespace {

struct Pace
{
    double medianErrorMs = 0;
    double worstErrorMs = 0;
    double totalMs = 0;
    double longestGapMs = 0;
};

Pace timedScan(sfp::CardSession *card, int steps, int intervalMs)
{
    sfp::ScanSettings settings;
    for (int i = 0; i < steps; ++i)
        settings.steps.append(QList<int>({1 + i % 32}));
    settings.trigger = sfp::ScanTrigger::Timer;
    settings.intervalMilliseconds = intervalMs;
    sfp::CardScan *scan = card->scan();
    if (!scan->setSettings(settings).isNone())
        std::exit(2);

    // The event loop's turns, seen by a 1 ms timer beside the scan, and
    // each step's start against its place on the scan's clock.
    struct Watch
    {
        QElapsedTimer clock;
        qint64 lastTurn = 0;
        qint64 longestGap = 0;
        std::vector<double> errors;
        int taken = 0;
    } watch;
    Watch *const w = &watch;
    QTimer probe;
    probe.setTimerType(Qt::PreciseTimer);
    probe.setInterval(1);
    QObject::connect(&probe, &QTimer::timeout, &probe, [w] {
        const qint64 now = w->clock.nsecsElapsed();
        w->longestGap = std::max(w->longestGap, now - w->lastTurn);
        w->lastTurn = now;
    });
    QEventLoop loop;
    QObject::connect(scan, &sfp::CardScan::progressed, &loop, [w, scan, intervalMs] {
        if (!scan->isRunning() || scan->step() == w->taken)
            return;
        w->taken = scan->step();
        const double due = double(w->taken - 1) * intervalMs;
        w->errors.push_back(std::abs(double(w->clock.nsecsElapsed()) / 1e6 - due));
    });
    QObject::connect(scan, &sfp::CardScan::finished, &loop, &QEventLoop::quit);
    watch.clock.start();
    probe.start();
    if (!scan->start().isNone())
        std::exit(3);
    loop.exec();
    Pace pace;
    pace.totalMs = double(watch.clock.nsecsElapsed()) / 1e6;
    pace.medianErrorMs = bench::median(watch.errors);
    pace.worstErrorMs = *std::max_element(watch.errors.begin(), watch.errors.end());
    pace.longestGapMs = double(watch.longestGap) / 1e6;
    return pace;
}

} // namespace

int main(int argc, char *argv[])
{
    if (!bench::loadStandIns("bench_steps"))
        return 1;
    QCoreApplication app(argc, argv);
    const int steps = argc > 1 ? std::atoi(argv[1]) : 1000;
    ViSession vi = VI_NULL;
    char descriptor[] = "VXI0::1::INSTR";
    if (sfp::libraries().qx5170_init(descriptor, 2, VI_TRUE, VI_TRUE, &vi) != VI_SUCCESS)
        return 1;
    sfp::CardSession card(vi, false);

    std::printf("Timed scans of %d steps on the simulated card: each step's start against "
                "k x interval,\nthe scan's time against steps x interval, the event loop's "
                "longest gap (1 ms probe).\n\n",
                steps);
    std::printf("%9s %15s %14s %10s %11s %10s %s\n", "interval", "median err/ms", "worst err/ms",
                "total/ms", "nominal/ms", "gap/ms", "targets");
    bool allMet = true;
    for (const int interval : {10, 1}) {
        const Pace pace = timedScan(&card, steps, interval);
        // The scan ends when its last step's interval has passed.
        const double nominal = double(steps) * interval;
        const bool totalMet = std::abs(pace.totalMs - nominal) <= nominal / 100;
        const bool errorMet = interval != 10 || pace.medianErrorMs < 1.0;
        const bool gapMet = pace.longestGapMs < 50;
        allMet = allMet && totalMet && errorMet && gapMet;
        std::printf("%6d ms %15.3f %14.3f %10.1f %11.0f %10.1f median %s%s, total %s (1 %%), "
                    "gap %s (< 50 ms)\n",
                    interval, pace.medianErrorMs, pace.worstErrorMs, pace.totalMs, nominal,
                    pace.longestGapMs, interval == 10 ? (errorMet ? "met" : "MISSED") : "-",
                    interval == 10 ? " (< 1 ms)" : "", totalMet ? "met" : "MISSED",
                    gapMet ? "met" : "MISSED");
        std::fflush(stdout);
    }
    sfp::libraries().qx5170_close(vi);
    std::printf("%s\n", allMet ? "all targets met" : "some targets missed");
    return allMet ? 0 : 1;
}
