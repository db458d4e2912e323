// SPDX-FileCopyrightText: 2026 Tarvex
// SPDX-License-Identifier: MIT
// SIGTERM and SIGINT as a request to end: the event loop ends, and the
// program goes on to its normal end, where what it announced to other
// programs (the port mapper's registration, the network's announcements) is
// withdrawn. A signal handler may do almost nothing itself; it only writes
// the signal's number to a socket the event loop watches.
#pragma once

#include <QObject>

class QSocketNotifier;

namespace sfp {

class TerminationSignals final : public QObject
{
    Q_OBJECT
    Q_DISABLE_COPY_MOVE(TerminationSignals)

public:
    // SIGHUP as a request to read again what the program read at its
    // start, with hangUp() (a server's convention), only where asked for.
    enum class HangUp { Ignored, Taken };

    // One at a time; the signals' former handling comes back with its end.
    explicit TerminationSignals(QObject *parent = nullptr, HangUp hangUp = HangUp::Ignored);
    ~TerminationSignals() override;

    // The signal that ended the event loop, or 0.
    int caught() const { return m_caught; }

signals:
    void hangUp();

private:
    void takeSignal();

    QSocketNotifier *m_notifier = nullptr;
    int m_caught = 0;
    bool m_hangUpTaken = false;
};

} // namespace sfp
