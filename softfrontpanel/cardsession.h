// SPDX-FileCopyrightText: 2026 Tarvex
// SPDX-License-Identifier: MIT
// The one owner of the relay card's driver session: what the panel has
// commanded (the card reports nothing back) and every call that switches
// the card. The relay pair widgets, the mode controls and the remote
// control are its clients; it has no widgets of its own.
#pragma once

#include "visatype.h"

#include <QObject>
#include <QString>

#include <array>
#include <functional>

class qx5170_cardSession final : public QObject
{
    Q_OBJECT
    Q_DISABLE_COPY_MOVE(qx5170_cardSession)

public:
    static constexpr int relayCount = 32;

    // The switching modes in the order of the panel's mode list; the driver
    // counts them from 1.
    enum Mode { Asynchronous = 0, SyncCommand = 1, SyncTrigger = 2 };

    // The card starts with every relay open, in Asynchronous mode, without
    // the exclusive rule (connecting resets it). With demo set nothing calls
    // the driver.
    explicit qx5170_cardSession(ViSession vi, bool demo, QObject *parent = nullptr);
    ~qx5170_cardSession() override;

    ViSession vi() const { return m_vi; }
    bool isDemo() const { return m_demo; }

    // Relays count from 1; pair p (from 0) holds relays 2p+1 (A) and 2p+2 (B).
    bool isClosed(int relay) const;
    int mode() const { return m_mode; }
    bool isExclusive() const { return m_exclusive; }
    // False from a switch in a synchronous mode until the update or trigger
    // that applies it: the panel's "Synchronized" lamp.
    bool isSynchronized() const { return m_synchronized; }
    // True while an operation runs, also while a report it opened waits for
    // the operator: nothing else may switch the card then.
    bool isBusy() const { return m_busy > 0; }

    // Switches a relay as a click on its button does: the driver call, then,
    // when the exclusive rule holds and the relay closed, its partner opened.
    void switchRelay(int relay, bool closed);
    // Sets the exclusive rule; turned on, it opens relay B of every pair
    // whose both relays are closed, pair by pair.
    void setExclusive(bool on);
    // The rule for one pair only, for a pair widget of its own.
    void setPairExclusive(int pairNo, bool on);
    // Selects a switching mode as the mode list does: leaving a synchronous
    // mode for Asynchronous first applies what waits, the way that mode
    // applies it. With onlyIfWaiting set it does so only when something
    // waits.
    void selectMode(int mode, bool onlyIfWaiting = false);
    void update();
    void trigger();

    // Where the driver's reports go: the operator's message boxes by
    // default. While a report function is set, each non-zero status goes to
    // it with the text the box would show, and no box opens.
    using Report = std::function<void(ViStatus status, const QString &text)>;
    void setReport(Report report) { m_report = std::move(report); }

signals:
    // Sent before the driver is called, so that the panel shows the command
    // even while a report about it waits.
    void relayChanged(int relay, bool closed);
    // Sent after each switch's driver call, where the pair widgets tell the
    // window that a button was clicked.
    void relaySwitched(int relay);
    void modeChanged(int mode);
    void exclusiveChanged(bool on);
    void synchronizedChanged(bool synchronized);

private:
    void report(ViStatus status, const char *callText);
    void setSynchronized(bool synchronized);
    void applyExclusiveRule(int pairNo);

    ViSession m_vi;
    bool m_demo;
    std::array<bool, relayCount> m_closed = {};
    int m_mode = Asynchronous;
    bool m_exclusive = false;
    bool m_synchronized = true;
    int m_busy = 0;
    Report m_report;

    friend class BusyScope;
};
