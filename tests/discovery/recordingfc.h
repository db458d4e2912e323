// SPDX-FileCopyrightText: 2026 Tarvex
// SPDX-License-Identifier: MIT
// A function-card object for discovery tests: accepts the relay card's model
// and records every code it was asked about, and on which thread.
#pragma once

#include "stubfc.h"

#include <QList>
#include <QMutex>
#include <QThread>

class RecordingFC final : public StubFC
{
public:
    RecordingFC() = default;

    bool isModelSupported(ViUInt16 code) const override
    {
        QMutexLocker lock(&m_mutex);
        m_codes.append(code);
        m_threads.append(QThread::currentThread());
        return code == 0x5170;
    }

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
