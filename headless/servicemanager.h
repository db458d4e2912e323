// SPDX-FileCopyrightText: 2026 Tarvex
// SPDX-License-Identifier: MIT
// What the service manager (systemd) is told, where it asks to be: that the
// server is ready (the card connected, every socket bound), that it is
// stopping, and that it is alive, as often as the manager's watchdog asks.
// Without NOTIFY_SOCKET every call does nothing.
#pragma once

#include <QObject>
#include <QString>
#include <QTimer>

namespace sfp {

class ServiceManager final : public QObject
{
    Q_OBJECT
    Q_DISABLE_COPY_MOVE(ServiceManager)

public:
    explicit ServiceManager(QObject *parent = nullptr);

    // READY=1 with a status line; starts the watchdog's keep-alive where
    // WATCHDOG_USEC asks for one.
    void ready(const QString &status);
    // STOPPING=1; the keep-alive ends.
    void stopping();

private:
    QTimer m_watchdog;
};

} // namespace sfp
