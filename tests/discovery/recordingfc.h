// A function-card object for discovery tests: accepts the relay card's model
// and records every code it was asked about, and on which thread.
#pragma once

#include "qx2010fp_genfc.h"

#include <QList>
#include <QMutex>
#include <QThread>

class RecordingFC final : public qx2010fp_genFC
{
public:
    RecordingFC()
        : qx2010fp_genFC(0x5170)
    {
    }

    bool isModelSupported(ViUInt16 code) const override
    {
        QMutexLocker lock(&m_mutex);
        m_codes.append(code);
        m_threads.append(QThread::currentThread());
        return code == 0x5170;
    }
    QString description() const override { return {}; }
    QString legalNotice() const override { return {}; }
    QString version() const override { return {}; }
    QString driverRevision() const override { return {}; }
    QString errorMessage(ViStatus) const override { return {}; }
    ViStatus open(ViRsrc, const ViInt16 *, ViBoolean, ViBoolean, ViSession *) override { return -1; }
    ViStatus openAndStore(ViRsrc, const ViInt16 *, ViInt16, ViBoolean, ViBoolean, ViSession *) override
    {
        return -1;
    }
    ViStatus reopen(ViSession *) override { return -1; }
    ViStatus close(ViSession) override { return -1; }

    QList<ViUInt16> codes() const
    {
        QMutexLocker lock(&m_mutex);
        return m_codes;
    }
    QList<QThread *> threads() const
    {
        QMutexLocker lock(&m_mutex);
        return m_threads;
    }
    void clear()
    {
        QMutexLocker lock(&m_mutex);
        m_codes.clear();
        m_threads.clear();
    }

private:
    mutable QMutex m_mutex;
    mutable QList<ViUInt16> m_codes;
    mutable QList<QThread *> m_threads;
};
