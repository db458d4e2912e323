// SPDX-FileCopyrightText: 2026 Tarvex
// SPDX-License-Identifier: MIT
#include "servicemanager.h"

#include <systemd/sd-daemon.h>

#include <algorithm>

namespace sfp {

ServiceManager::ServiceManager(QObject *parent)
    : QObject(parent)
{
    connect(&m_watchdog, &QTimer::timeout, this, [] { sd_notify(0, "WATCHDOG=1"); });
}

void ServiceManager::ready(const QString &status)
{
    const QByteArray message = "READY=1\nSTATUS=" + status.toUtf8();
    sd_notify(0, message.constData());
    // Twice per period, as the manager advises: one late turn of the event
    // loop must not look like a hung server.
    uint64_t period = 0;
    if (sd_watchdog_enabled(0, &period) > 0 && period > 0) {
        m_watchdog.start(int(std::max<uint64_t>(1, period / 2000)));
        sd_notify(0, "WATCHDOG=1");
    }
}

void ServiceManager::stopping()
{
    m_watchdog.stop();
    sd_notify(0, "STOPPING=1");
}

} // namespace sfp
