// SPDX-FileCopyrightText: 2026 Tarvex
// SPDX-License-Identifier: MIT
#include "resourcescan.h"

#include "descriptorordering.h"
#include "platformlibraries.h"

#include "visa.h"

#include <QThread>
#include <QThreadPool>
#include <QtConcurrent/QtConcurrentMap>

namespace {

// Removes all but the first resource of each LXI address, keeping the
// discovery order; resources whose address is unknown all stay.
QList<resourceInfo_t> withoutDuplicateLxiSystems(const QList<resourceInfo_t> &resources)
{
    QList<resourceInfo_t> kept;
    for (const resourceInfo_t &resource : resources) {
        bool duplicate = false;
        if (!resource.lxiAddress.isEmpty()) {
            for (const resourceInfo_t &other : kept)
                duplicate = duplicate || other.lxiAddress == resource.lxiAddress;
        }
        if (!duplicate)
            kept.append(resource);
    }
    return kept;
}

// The examinations run in a pool of their own, never used for anything
// else, so that a scan does not depend on what other work the global pool
// was doing when it started: a worker of an earlier job still counts as
// active there for a moment after its job is reported finished, leaves one
// thread fewer, and makes a whole round of opens wait. Kept for the whole
// run, so that a scan after "Try Again" reuses the threads of the last one.
QThreadPool &examinerPool()
{
    static QThreadPool *pool = new QThreadPool;
    return *pool;
}

} // namespace

namespace sfp {

ResourceScan::ResourceScan(qx2010fp_genFC *fc)
    : m_fc(fc)
{ }

ResourceScan::~ResourceScan()
{
    waitForExaminers();
    if (m_findList != VI_NULL)
        libraries().viClose(m_findList);
    if (m_rm != VI_NULL)
        libraries().viClose(m_rm);
}

bool ResourceScan::start()
{
    const PlatformFunctions &visa = libraries();
    ViSession rm = VI_NULL;
    if (visa.viOpenDefaultRM(&rm) != VI_SUCCESS) {
        visa.viClose(rm);
        return false;
    }
    ViFindList findList = VI_NULL;
    ViUInt32 count = 0;
    char descriptor[VI_FIND_BUFLEN] = {};
    if (visa.viFindRsrc(rm, "?*INSTR", &findList, &count, descriptor) != VI_SUCCESS) {
        visa.viClose(rm);
        return false;
    }
    if (count == 0) {
        visa.viClose(findList);
        visa.viClose(rm);
        return false;
    }
    m_rm = rm;
    m_findList = findList;

    QList<resourceInfo_t> resources;
    ViStatus status = VI_SUCCESS;
    do {
        descriptor[VI_FIND_BUFLEN - 1] = '\0';
        resourceInfo_t resource;
        resource.resourceName = QString::fromLatin1(descriptor);
        resources.append(resource);
        --count;
        status = visa.viFindNext(findList, descriptor);
    } while (status == VI_SUCCESS && count > 0);

    // Examination: everything but TCP/IP on this thread first, then the
    // network resources in parallel.
    const qsizetype n = resources.size();
    m_records.resize(static_cast<size_t>(n));
    const int threads = static_cast<int>(qBound<qsizetype>(1, n, qsizetype(maxThreads)));
    QThreadPool::globalInstance()->setMaxThreadCount(threads);
    QThreadPool &examiners = examinerPool();
    examiners.setMaxThreadCount(threads);

    for (qsizetype i = 0; i < n; ++i) {
        getResourceInfo_params_t &record = m_records[static_cast<size_t>(i)];
        record.fc = m_fc;
        record.defaultRM = rm;
        record.info = resources.at(i);
        record.done = false;
        if (!record.info.resourceName.contains(QLatin1String("TCPIP"), Qt::CaseInsensitive)) {
            getResourceInfo(&record);
            record.done = true;
        }
        m_work.append(&record);
    }
    m_future = QtConcurrent::map(&examiners, m_work, getResourceInfo);
    return true;
}

QList<resourceInfo_t> ResourceScan::results()
{
    waitForExaminers();
    QList<resourceInfo_t> resources;
    for (const getResourceInfo_params_t &record : m_records)
        resources.append(record.info);
    resources = withoutDuplicateLxiSystems(resources);
    if (!resources.isEmpty())
        sortResources(resources);
    return resources;
}

void ResourceScan::waitForExaminers()
{
    m_future.waitForFinished();
    // The future is finished a moment before its last worker is back in the
    // pool; the next scan must find every thread free. (waitForDone would
    // also end the idle threads, which the next scan would have to start
    // again.)
    while (examinerPool().activeThreadCount() > 0)
        QThread::yieldCurrentThread();
}

} // namespace sfp
