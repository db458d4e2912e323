// Wall time of the resource scan against the physical floor: N network
// resources whose open takes L ms each, examined by at most 128 threads,
// cannot take less than ceil(N / 128) x L.
//
//   QT_QPA_PLATFORM=offscreen build/bin/bench_scan
#include "qx2010fp_fcselect.h"
#include "resourceinfo.h"
#include "sim_control.h"
#include "stubfc.h"

#include "visa.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QThreadPool>
#include <QtConcurrent/QtConcurrentMap>

#include <cstdio>
#include <vector>

namespace {

QString descriptorOf(int i)
{
    return QStringLiteral("TCPIP0::10.%1.%2.%3::INSTR")
        .arg(i / 65536)
        .arg((i / 256) % 256)
        .arg(i % 256);
}

// Relay cards on the first boxes, another model on the rest, so that the
// scan stays below its card limit and shows no message.
constexpr int relayCardBoxes = 200;

std::string networkSystem(int resources, int openTimeMs)
{
    QString text = QStringLiteral("{\"resources\": [");
    for (int i = 0; i < resources; ++i) {
        text += QStringLiteral("%1{\"descriptor\": \"%2\", \"openTimeMs\": %3, "
                               "\"motherboard\": {\"code\": 3394, \"cards\": "
                               "[{\"position\": 1, \"code\": %4}]}}")
                    .arg(i ? "," : "")
                    .arg(descriptorOf(i))
                    .arg(openTimeMs)
                    .arg(i < relayCardBoxes ? 0x5170 : 0x4720);
    }
    return (text + "]}").toStdString();
}

// What a scan that examines one resource after the other would take.
double sequentialExamination(StubFC *fc, int resources)
{
    ViSession rm = VI_NULL;
    viOpenDefaultRM(&rm);
    std::vector<getResourceInfo_params_t> records(static_cast<size_t>(resources));
    QList<getResourceInfo_params_t *> work;
    for (int i = 0; i < resources; ++i) {
        records[static_cast<size_t>(i)].fc = fc;
        records[static_cast<size_t>(i)].defaultRM = rm;
        records[static_cast<size_t>(i)].info.resourceName = descriptorOf(i);
        work.append(&records[static_cast<size_t>(i)]);
    }
    QThreadPool oneThread;
    oneThread.setMaxThreadCount(1);
    QElapsedTimer timer;
    timer.start();
    QtConcurrent::map(&oneThread, work, getResourceInfo).waitForFinished();
    const double ms = static_cast<double>(timer.nsecsElapsed()) / 1e6;
    viClose(rm);
    return ms;
}

} // namespace

int main(int argc, char *argv[])
{
    QApplication app(argc, argv);
    StubFC fc;
    bool allMet = true;

    std::printf("%6s %6s %10s %10s %8s %12s %s\n", "N", "L/ms", "scan/ms", "floor/ms", "ratio",
                "1 thread/ms", "target");
    for (const int latency : {0, 200}) {
        for (const int n : {1, 32, 128, 512}) {
            if (!sfpsim::loadDescription(networkSystem(n, latency)))
                return 2;
            qx2010fp_fcSelect dialog(&fc, 0);
            QElapsedTimer timer;
            timer.start();
            const int found = dialog.findFunctionCards();
            const double ms = static_cast<double>(timer.nsecsElapsed()) / 1e6;
            if (found != qMin(n, relayCardBoxes))
                return 3;

            const double floorMs = ((n + 127) / 128) * static_cast<double>(latency);
            const double limit = latency == 0 && n == 512 ? 150.0 : 1.25 * floorMs + 50.0;
            const bool met = ms <= limit;
            allMet = allMet && met;
            char ratio[16] = "-";
            if (floorMs > 0)
                std::snprintf(ratio, sizeof ratio, "%.3f", ms / floorMs);
            char baseline[16] = "-";
            if (n <= 32)
                std::snprintf(baseline, sizeof baseline, "%.1f", sequentialExamination(&fc, n));
            std::printf("%6d %6d %10.1f %10.0f %8s %12s %s (<= %.0f ms)\n", n, latency, ms, floorMs,
                        ratio, baseline, met ? "met" : "MISSED", limit);
            std::fflush(stdout);
        }
    }
    std::fflush(stdout);
    std::printf("%s\n", allMet ? "all targets met" : "some targets missed");
    return allMet ? 0 : 1;
}
