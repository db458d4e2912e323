// SPDX-FileCopyrightText: 2026 Tarvex
// SPDX-License-Identifier: MIT
#include "cardsession.h"

#include "driverstatustext.h"
#include "platformlibraries.h"
#include "statusreporter.h"

#include "qx5170.h"

#include <QDebug>

namespace sfp {

// Marks the session busy for the length of one operation, reports included.
class CardSession::BusyScope
{
public:
    explicit BusyScope(CardSession *session)
        : m_session(session)
    {
        ++m_session->m_busy;
    }
    ~BusyScope() { --m_session->m_busy; }
    BusyScope(const BusyScope &) = delete;
    BusyScope &operator=(const BusyScope &) = delete;
    BusyScope(BusyScope &&) = delete;
    BusyScope &operator=(BusyScope &&) = delete;

private:
    CardSession *m_session;
};

CardSession::CardSession(ViSession vi, bool demo, StatusReporter *reporter, QObject *parent)
    : QObject(parent)
    , m_vi(vi)
    , m_demo(demo)
    , m_reporter(reporter)
{ }

CardSession::~CardSession() = default;

bool CardSession::isClosed(int relay) const
{
    return relay >= 1 && relay <= relayCount && m_closed[size_t(relay - 1)];
}

CardState CardSession::state() const
{
    CardState state;
    state.closed = m_closed;
    state.mode = m_mode;
    state.exclusive = m_exclusive;
    return state;
}

void CardSession::setRelay(int relay, bool closed)
{
    // The card is told only what changes it: a click on a button always
    // does, a script may ask for what is there already.
    if (relay < 1 || relay > relayCount || isClosed(relay) == closed)
        return;
    switchRelay(relay, closed);
}

void CardSession::switchRelay(int relay, bool closed)
{
    const BusyScope busy(this);
    m_closed[size_t(relay - 1)] = closed;
    // The picture follows the command even when the driver call fails:
    // nothing is read back from the card.
    emit relayChanged(relay, closed);
    if (!m_demo) {
        const ViStatus status = libraries().qx5170_switchRelay(m_vi, relay, closed);
        // The report names the call as the pair widget makes it.
        report(status,
               relay % 2 == 1 ? "qx5170_switchRelay(m_vi, m_pairNo*2+1, relayAbtn->isChecked())"
                              : "qx5170_switchRelay(m_vi, (m_pairNo+1)*2, relayBbtn->isChecked())");
    }
    // Only a synchronous mode leaves a switched relay waiting on the card.
    if (m_mode != SwitchingMode::Asynchronous)
        setSynchronized(false);
    emit relaySwitched(relay);

    // The relay just closed wins; its partner is opened the same way,
    // completely, before this one's switch is counted once more.
    const int partner = partnerOf(relay);
    if (m_exclusive && closed && isClosed(partner)) {
        switchRelay(partner, false);
        if (m_mode != SwitchingMode::Asynchronous)
            setSynchronized(false);
        emit relaySwitched(relay);
    }
}

void CardSession::setExclusive(bool on)
{
    // While the rule holds no pair has both relays closed, so setting it
    // again has nothing to do.
    if (m_exclusive == on)
        return;
    const BusyScope busy(this);
    m_exclusive = on;
    emit exclusiveChanged(on);
    // Relay A wins: B is opened as a click on it would open it, pair by
    // pair from the first.
    for (int pairNo = 0; on && pairNo < pairCount; ++pairNo) {
        if (isClosed(relayA(pairNo)) && isClosed(relayB(pairNo)))
            switchRelay(relayB(pairNo), false);
    }
}

void CardSession::selectMode(SwitchingMode mode, bool onlyIfWaiting)
{
    const int modeIndex = int(mode);
    if (modeIndex < 0 || modeIndex >= switchingModeCount)
        return;
    const BusyScope busy(this);
    // Relay states still waiting from a synchronous mode are applied the way
    // that mode applies them before the card goes back to applying each
    // command at once.
    if (mode == SwitchingMode::Asynchronous && !(onlyIfWaiting && m_synchronized)) {
        if (m_mode == SwitchingMode::SyncCommand)
            update();
        else if (m_mode == SwitchingMode::SyncTrigger)
            trigger();
    }
    m_mode = mode;
    emit modeChanged(mode);
    if (!m_demo)
        report(libraries().qx5170_setSwitchingMode(m_vi, modeIndex + 1, qx5170_ITRIG_NONE),
               "qx5170_setSwitchingMode(d_vi, indx+1, qx5170_ITRIG_NONE)");
}

void CardSession::update()
{
    const BusyScope busy(this);
    if (!m_demo)
        report(libraries().qx5170_updateRelaysState(m_vi), "qx5170_updateRelaysState(d_vi)");
    // The update was given; whether the card took it is in the report.
    setSynchronized(true);
}

void CardSession::trigger()
{
    const BusyScope busy(this);
    if (!m_demo)
        report(libraries().qx5170_pulseSynchTrigger(m_vi), "qx5170_pulseSynchTrigger (d_vi)");
    setSynchronized(true);
}

void CardSession::reset()
{
    const BusyScope busy(this);
    setExclusive(false);
    selectMode(SwitchingMode::Asynchronous);
    for (int relay = 1; relay <= relayCount; ++relay)
        setRelay(relay, false);
}

bool CardSession::restore(const CardState &state)
{
    if (state.pairBreakingExclusiveRule() != 0)
        return false;
    const BusyScope busy(this);
    // No rule and no mode of the old state may switch anything on the way:
    // the relays are set while everything waits for one update.
    setExclusive(false);
    selectMode(SwitchingMode::SyncCommand);
    for (int relay = 1; relay <= relayCount; ++relay)
        setRelay(relay, state.closed[size_t(relay - 1)]);
    update();
    // Nothing waits after the update: going back to Asynchronous needs no
    // second one.
    if (state.mode != SwitchingMode::SyncCommand)
        selectMode(state.mode, true);
    setExclusive(state.exclusive);
    return true;
}

void CardSession::report(ViStatus status, const char *callText)
{
    if (status == 0)
        return;
    const QString text = driverStatusText(status, callText, libraries().qx5170_error_message);
    if (m_reporter)
        m_reporter->reportStatus(status, text);
    else
        qWarning().noquote() << text;
}

void CardSession::setSynchronized(bool synchronized)
{
    m_synchronized = synchronized;
    // Sent also when unchanged: the lamp is set again after every switch,
    // as before the remote control existed.
    emit synchronizedChanged(synchronized);
}

} // namespace sfp
