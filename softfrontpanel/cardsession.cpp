// SPDX-FileCopyrightText: 2026 Tarvex
// SPDX-License-Identifier: MIT
#include "cardsession.h"
#include "platformlibraries.h"

#include "driverstatus.h"
#include "qx5170.h"

// Marks the session busy for the length of one operation, reports included.
class BusyScope
{
public:
    explicit BusyScope(qx5170_cardSession *session)
        : m_session(session)
    {
        ++m_session->m_busy;
    }
    ~BusyScope() { --m_session->m_busy; }
    BusyScope(const BusyScope &) = delete;
    BusyScope &operator=(const BusyScope &) = delete;

private:
    qx5170_cardSession *m_session;
};

namespace {

int partnerOf(int relay)
{
    return relay % 2 == 1 ? relay + 1 : relay - 1;
}

} // namespace

qx5170_cardSession::qx5170_cardSession(ViSession vi, bool demo, QObject *parent)
    : QObject(parent)
    , m_vi(vi)
    , m_demo(demo)
{ }

qx5170_cardSession::~qx5170_cardSession() = default;

bool qx5170_cardSession::isClosed(int relay) const
{
    return relay >= 1 && relay <= relayCount && m_closed[size_t(relay - 1)];
}

void qx5170_cardSession::switchRelay(int relay, bool closed)
{
    if (relay < 1 || relay > relayCount)
        return;
    const BusyScope busy(this);
    m_closed[size_t(relay - 1)] = closed;
    // The picture follows the command even when the driver call fails:
    // nothing is read back from the card.
    emit relayChanged(relay, closed);
    if (!m_demo) {
        const ViStatus status = sfpLibraries().qx5170_switchRelay(m_vi, relay, closed);
        // The report names the call as the pair widget makes it.
        report(status,
               relay % 2 == 1 ? "qx5170_switchRelay(m_vi, m_pairNo*2+1, relayAbtn->isChecked())"
                              : "qx5170_switchRelay(m_vi, (m_pairNo+1)*2, relayBbtn->isChecked())");
    }
    // Only a synchronous mode leaves a switched relay waiting on the card.
    if (m_mode != Asynchronous)
        setSynchronized(false);
    emit relaySwitched(relay);

    // The relay just closed wins; its partner is opened the same way,
    // completely, before this one's switch is counted once more.
    const int partner = partnerOf(relay);
    if (m_exclusive && closed && isClosed(partner)) {
        switchRelay(partner, false);
        if (m_mode != Asynchronous)
            setSynchronized(false);
        emit relaySwitched(relay);
    }
}

void qx5170_cardSession::setExclusive(bool on)
{
    const BusyScope busy(this);
    for (int pairNo = 0; pairNo < relayCount / 2; ++pairNo)
        setPairExclusive(pairNo, on);
}

void qx5170_cardSession::setPairExclusive(int pairNo, bool on)
{
    const BusyScope busy(this);
    if (m_exclusive != on) {
        m_exclusive = on;
        emit exclusiveChanged(on);
    }
    applyExclusiveRule(pairNo);
}

void qx5170_cardSession::applyExclusiveRule(int pairNo)
{
    // Relay A wins: B is opened as a click on it would open it.
    const int relayA = pairNo * 2 + 1;
    if (m_exclusive && isClosed(relayA) && isClosed(relayA + 1))
        switchRelay(relayA + 1, false);
}

void qx5170_cardSession::selectMode(int mode, bool onlyIfWaiting)
{
    if (mode < Asynchronous || mode > SyncTrigger)
        return;
    const BusyScope busy(this);
    // Relay states still waiting from a synchronous mode are applied the way
    // that mode applies them before the card goes back to applying each
    // command at once.
    if (mode == Asynchronous && !(onlyIfWaiting && m_synchronized)) {
        if (m_mode == SyncCommand)
            update();
        else if (m_mode == SyncTrigger)
            trigger();
    }
    m_mode = mode;
    emit modeChanged(mode);
    if (!m_demo)
        report(sfpLibraries().qx5170_setSwitchingMode(m_vi, mode + 1, qx5170_ITRIG_NONE),
               "qx5170_setSwitchingMode(d_vi, indx+1, qx5170_ITRIG_NONE)");
}

void qx5170_cardSession::update()
{
    const BusyScope busy(this);
    if (!m_demo)
        report(sfpLibraries().qx5170_updateRelaysState(m_vi), "qx5170_updateRelaysState(d_vi)");
    // The update was given; whether the card took it is in the report.
    setSynchronized(true);
}

void qx5170_cardSession::trigger()
{
    const BusyScope busy(this);
    if (!m_demo)
        report(sfpLibraries().qx5170_pulseSynchTrigger(m_vi), "qx5170_pulseSynchTrigger (d_vi)");
    setSynchronized(true);
}

void qx5170_cardSession::report(ViStatus status, const char *callText)
{
    if (status == 0)
        return;
    if (m_report)
        m_report(status, driverStatusText(status, callText));
    else
        reportDriverStatus(status, callText);
}

void qx5170_cardSession::setSynchronized(bool synchronized)
{
    m_synchronized = synchronized;
    // Sent also when unchanged: the lamp is set again after every switch,
    // as before the remote control existed.
    emit synchronizedChanged(synchronized);
}
