// SPDX-FileCopyrightText: 2026 Tarvex
// SPDX-License-Identifier: MIT
// The resource scan without its dialog: every VISA instrument resource
// found, examined (the network ones in parallel) and put in order.
#pragma once

#include "resourceinfo.h"
#include "visatype.h"

#include <QFuture>
#include <QList>
#include <QtGlobal>

#include <vector>

class qx2010fp_genFC;

namespace sfp {

class ResourceScan final
{
    Q_DISABLE_COPY_MOVE(ResourceScan)

public:
    // The parallel part never uses more threads than resources, and at
    // most this many.
    static constexpr int maxThreads = 128;

    // `fc` says which cards are this panel's; it outlives the scan.
    explicit ResourceScan(qx2010fp_genFC *fc);
    // Waits for the examinations still running, then closes VISA's find
    // list and resource manager.
    ~ResourceScan();

    // Finds every instrument resource, examines all but the TCP/IP ones on
    // this thread, and starts the TCP/IP ones in parallel. False when VISA
    // lists nothing (no resource manager, no resource), and then there is
    // nothing to wait for.
    bool start();
    // The parallel part: its progress range and value, and when it is done.
    QFuture<void> future() const { return m_future; }
    // Waits for the parallel part and returns what was learnt of every
    // resource, in order, each LXI system once.
    QList<resourceInfo_t> results();

private:
    void waitForExaminers();

    qx2010fp_genFC *m_fc;
    ViSession m_rm = 0;
    ViFindList m_findList = 0;
    std::vector<getResourceInfo_params_t> m_records;
    QList<getResourceInfo_params_t *> m_work;
    QFuture<void> m_future;
};

} // namespace sfp
