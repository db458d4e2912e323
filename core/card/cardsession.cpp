// SPDX-FileCopyrightText: 2026 Tarvex
// SPDX-License-Identifier: MIT
#include "cardsession.h"

#include "cardscan.h"
#include "cardsessionwords.h"
#include "driverstatustext.h"
#include "platformlibraries.h"
#include "relaywear.h"
#include "statusreporter.h"
#include "translation.h"

#include "qx5170.h"

#include <algorithm>
#include <utility>

#include <QDebug>

namespace sfp {

using cardSessionWords::refused;
using cardSessionWords::said;

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

// Within reset and restore, the changes one level down are commands of
// their own, as a script would give them.
class CardSession::ExplicitDepth
{
public:
    explicit ExplicitDepth(CardSession *session)
        : m_session(session)
        , m_depth(session->m_explicitDepth)
    {
        m_session->m_explicitDepth = m_session->m_busy + 1;
    }
    ~ExplicitDepth() { m_session->m_explicitDepth = m_depth; }
    ExplicitDepth(const ExplicitDepth &) = delete;
    ExplicitDepth &operator=(const ExplicitDepth &) = delete;
    ExplicitDepth(ExplicitDepth &&) = delete;
    ExplicitDepth &operator=(ExplicitDepth &&) = delete;

private:
    CardSession *m_session;
    int m_depth;
};

CardSession::CardSession(ViSession vi, bool demo, StatusReporter *reporter, QObject *parent)
    : QObject(parent)
    , m_vi(vi)
    , m_demo(demo)
    , m_reporter(reporter)
    , m_scan(new CardScan(this))
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

std::array<bool, sfp::relayCount> CardSession::closedAfter(const QList<int> &relays,
                                                           bool openOthers) const
{
    std::array<bool, relayCount> closed = {};
    if (!openOthers)
        closed = m_closed;
    for (int relay : relays) {
        if (relay < 1 || relay > relayCount)
            continue;
        closed[size_t(relay - 1)] = true;
        if (m_exclusive)
            closed[size_t(partnerOf(relay) - 1)] = false;
    }
    return closed;
}

void CardSession::setFixture(const Fixture &fixture, const QString &path, bool fromFile)
{
    m_fixture = fixture;
    m_fixturePath = path;
    m_hasFixtureFile = fromFile;
    emit labelsChanged();
    emit sequencesChanged();
}

void CardSession::setWear(RelayWear *wear)
{
    if (m_wear)
        disconnect(m_wear, nullptr, this, nullptr);
    m_wear = wear;
    if (m_wear)
        connect(m_wear, &RelayWear::cyclesChanged, this, &CardSession::wearChanged);
    // The counts read from the card's file may already say a relay is worn.
    for (int relay = 1; relay <= relayCount; ++relay)
        emit wearChanged(relay);
}

void CardSession::setLog(SwitchingLog *log, const QString &cardId)
{
    m_log = log;
    m_cardId = cardId;
    SwitchingEvent start;
    start.kind = SwitchingEvent::Kind::Start;
    start.closed = m_closed;
    start.mode = m_mode;
    start.exclusive = m_exclusive;
    record(start);
}

CardSession::Source::Source(CardSession *card, const QString &source, const QString &client)
    : m_card(card)
    , m_source(card->m_source)
    , m_client(card->m_client)
{
    m_card->m_source = source;
    m_card->m_client = client;
}

CardSession::Source::~Source()
{
    m_card->m_source = m_source;
    m_card->m_client = m_client;
}

QString CardSession::source() const
{
    return m_source.isEmpty() ? operatorName() : m_source;
}

QString CardSession::operatorName() const
{
    if (!m_ownName.isEmpty())
        return m_ownName;
    return m_demo ? QStringLiteral("demo") : QStringLiteral("operator");
}

bool CardSession::isOperatorAsking() const
{
    // A command made of others ("*RCL 2", a fixture's state) is asked for
    // by its client, which may be the operator.
    return m_source.isEmpty() || (m_client.isEmpty() ? m_source : m_client) == operatorName();
}

Refusal CardSession::lockRefusal() const
{
    if (m_lockHolder.isEmpty() || isOperatorAsking())
        return {};
    if ((m_client.isEmpty() ? m_source : m_client) == m_lockHolder)
        return {};
    return {Refusal::Kind::BrokenRule, QStringLiteral("another client holds the lock")};
}

void CardSession::recordRefusal(int relay, const QString &reason, int error)
{
    SwitchingEvent refusal;
    refusal.kind = SwitchingEvent::Kind::Refusal;
    refusal.relay = relay;
    refusal.reason = reason;
    refusal.error = error;
    record(refusal);
}

namespace {

// Makes `kept` the text `text` is, unless it already shares its characters.
void keepText(QString &kept, const QString &text)
{
    if (kept.constData() != text.constData() || kept.size() != text.size())
        kept = text;
}

} // namespace

void CardSession::record(SwitchingEvent &event, std::optional<ViStatus> status)
{
    if (!m_log)
        return;
    // The names are lent to the event and taken back rather than copied
    // into it: a copy's count, up with the copy and down with the event,
    // cost a burst of switching about as much as the rest of its line.
    keepText(m_loggedNames.card, m_cardId);
    keepText(m_loggedNames.source, m_source.isEmpty() ? operatorName() : m_source);
    keepText(m_loggedNames.client, m_client);
    event.card.swap(m_loggedNames.card);
    event.source.swap(m_loggedNames.source);
    event.client.swap(m_loggedNames.client);
    event.implied = m_busy > m_explicitDepth;
    if (status.has_value())
        event.status = int(*status);
    event.synchronized = m_synchronized;
    m_log->append(event);
    event.card.swap(m_loggedNames.card);
    event.source.swap(m_loggedNames.source);
    event.client.swap(m_loggedNames.client);
}

QString CardSession::refusal(const std::array<bool, relayCount> &closed) const
{
    return brokenRule(m_fixture.rules, closed);
}

bool CardSession::mayClose(int relay) const
{
    return relay >= 1 && relay <= relayCount && refusal(closedAfter({relay})).isEmpty();
}

void CardSession::setRelay(int relay, bool closed, SwitchOrder order)
{
    // The card is told only what changes it: a click on a button always
    // does, a script may ask for what is there already.
    if (relay < 1 || relay > relayCount || isClosed(relay) == closed)
        return;
    // Opening never breaks a rule; what a closing would break is checked
    // on the card as the next update leaves it.
    if (closed) {
        const Said reason = brokenRuleSaid(m_fixture.rules, closedAfter({relay}));
        if (!reason.isEmpty()) {
            recordRefusal(relay, reason.english, 0);
            emit changeRefused(relay, reason.english, reason.local);
            return;
        }
        // Closing first would hold both relays of the pair for a moment:
        // where a rule forbids that, the partner opens first.
        std::array<bool, relayCount> both = m_closed;
        both[size_t(relay - 1)] = true;
        if (!refusal(both).isEmpty())
            order = SwitchOrder::BreakBeforeMake;
    }
    switchRelay(relay, closed, order);
}

void CardSession::setRelayOfState(int relay, bool closed)
{
    if (isClosed(relay) != closed)
        switchRelay(relay, closed, m_clickOrder);
}

void CardSession::switchRelay(int relay, bool closed, SwitchOrder order)
{
    const BusyScope busy(this);
    const int partner = partnerOf(relay);
    const bool opensPartner = m_exclusive && closed && isClosed(partner);
    if (opensPartner && order == SwitchOrder::BreakBeforeMake)
        switchRelay(partner, false, order);

    m_closed[size_t(relay - 1)] = closed;
    if (m_mode == SwitchingMode::Asynchronous)
        m_applied[size_t(relay - 1)] = closed;
    // The picture follows the command even when the driver call fails:
    // nothing is read back from the card.
    emit relayChanged(relay, closed);
    SwitchingEvent event;
    event.kind = SwitchingEvent::Kind::Relay;
    event.relay = relay;
    event.on = closed;
    std::optional<ViStatus> called;
    if (!m_demo) {
        const ViStatus status = libraries().qx5170_switchRelay(m_vi, relay, closed);
        called = status;
        if (status >= VI_SUCCESS) {
            m_taken[size_t(relay - 1)] = closed;
            if (m_takenMode == SwitchingMode::Asynchronous)
                contactsFollow(relay);
        }
        // The report names the call as the pair widget makes it. Its text
        // is made only for a status to report: a switch is the card's most
        // frequent work, and nearly always succeeds.
        if (status != VI_SUCCESS)
            report(status,
                   relay % 2 == 1
                       ? "qx5170_switchRelay(m_vi, m_pairNo*2+1, relayAbtn->isChecked())"
                       : "qx5170_switchRelay(m_vi, (m_pairNo+1)*2, relayBbtn->isChecked())",
                   QStringLiteral("channel %1").arg(relay));
    }
    // Only a synchronous mode leaves a switched relay waiting on the card.
    if (m_mode != SwitchingMode::Asynchronous)
        m_synchronized = false;
    record(event, called);
    if (m_mode != SwitchingMode::Asynchronous)
        setSynchronized(false);
    emit relaySwitched(relay);

    // The relay just closed wins; its partner is opened the same way,
    // completely, before this one's switch is counted once more.
    if (opensPartner && order == SwitchOrder::ClickOrder) {
        switchRelay(partner, false, order);
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
    SwitchingEvent event;
    event.kind = SwitchingEvent::Kind::Exclusive;
    event.on = on;
    record(event);
    emit exclusiveChanged(on);
    // Relay A wins: B is opened as a click on it would open it, pair by
    // pair from the first.
    for (int pairNo = 0; on && pairNo < pairCount; ++pairNo) {
        if (isClosed(relayA(pairNo)) && isClosed(relayB(pairNo)))
            switchRelay(relayB(pairNo), false, m_clickOrder);
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
    SwitchingEvent event;
    event.kind = SwitchingEvent::Kind::Mode;
    event.mode = mode;
    if (m_demo) {
        record(event);
    } else {
        const ViStatus status
            = libraries().qx5170_setSwitchingMode(m_vi, modeIndex + 1, qx5170_ITRIG_NONE);
        // Back in Asynchronous mode, the card applies whatever still waits.
        if (status >= VI_SUCCESS) {
            m_takenMode = mode;
            if (mode == SwitchingMode::Asynchronous)
                contactsFollowAll();
        }
        record(event, status);
        report(status, "qx5170_setSwitchingMode(d_vi, indx+1, qx5170_ITRIG_NONE)",
               QStringLiteral("switching mode %1").arg(modeIndex + 1));
    }
}

void CardSession::update()
{
    const BusyScope busy(this);
    SwitchingEvent event;
    event.kind = SwitchingEvent::Kind::Update;
    // The update was given; whether the card took it is in the report.
    m_synchronized = true;
    if (m_demo) {
        record(event);
    } else {
        const ViStatus status = libraries().qx5170_updateRelaysState(m_vi);
        // The card takes an update in Sync. Command mode only.
        if (status >= VI_SUCCESS && m_takenMode == SwitchingMode::SyncCommand)
            contactsFollowAll();
        record(event, status);
        report(status, "qx5170_updateRelaysState(d_vi)", QStringLiteral("update"));
    }
    setSynchronized(true);
}

void CardSession::trigger()
{
    const BusyScope busy(this);
    SwitchingEvent event;
    event.kind = SwitchingEvent::Kind::Trigger;
    m_synchronized = true;
    if (m_demo) {
        record(event);
    } else {
        const ViStatus status = libraries().qx5170_pulseSynchTrigger(m_vi);
        // And a trigger pulse in Sync. Trigger mode only.
        if (status >= VI_SUCCESS && m_takenMode == SwitchingMode::SyncTrigger)
            contactsFollowAll();
        record(event, status);
        report(status, "qx5170_pulseSynchTrigger (d_vi)", QStringLiteral("trigger"));
    }
    setSynchronized(true);
}

void CardSession::applyWaiting()
{
    if (m_mode == SwitchingMode::SyncCommand)
        update();
    else if (m_mode == SwitchingMode::SyncTrigger)
        trigger();
}

void CardSession::reset()
{
    const BusyScope busy(this);
    const ExplicitDepth commands(this);
    // What waited to close now waits to open, and is applied so, before
    // the mode changes: leaving a synchronous mode applies what waits.
    if (m_mode != SwitchingMode::Asynchronous) {
        for (int relay = 1; relay <= relayCount; ++relay)
            setRelay(relay, false);
        if (!m_synchronized)
            applyWaiting();
    }
    setExclusive(false);
    selectMode(SwitchingMode::Asynchronous, true);
    for (int relay = 1; relay <= relayCount; ++relay)
        setRelay(relay, false);
}

Refusal CardSession::restore(const CardState &state)
{
    if (Refusal locked = lockRefusal(); !locked.isNone())
        return locked;
    if (const Said broken = brokenRuleSaid(m_fixture.rules, state.closed); !broken.isEmpty())
        return {Refusal::Kind::BrokenRule, broken.english, broken.local};
    if (state.pairBreakingExclusiveRule() != 0)
        return refused(
            Refusal::Kind::FileError,
            said(QT_TRANSLATE_NOOP("CardSession",
                                   "both relays of a pair are closed under the exclusive rule")));
    const BusyScope busy(this);
    // A relay that closes while its partner opens would, at one update,
    // close before the partner has opened.
    bool swaps = false;
    for (int relay = 1; relay <= relayCount; ++relay) {
        const int partner = partnerOf(relay);
        swaps = swaps
            || (state.closed[size_t(relay - 1)] && !isClosed(relay) && isClosed(partner)
                && !state.closed[size_t(partner - 1)]);
    }
    const bool breakFirst = swaps && (m_exclusive || state.exclusive);
    const ExplicitDepth commands(this);
    // No rule and no mode of the old state may switch anything on the way:
    // the relays are set while everything waits for one update. The
    // fixture's rules hold for the state as a whole, checked above, not
    // for the order in which its relays are set.
    setExclusive(false);
    selectMode(SwitchingMode::SyncCommand);
    if (breakFirst) {
        for (int relay = 1; relay <= relayCount; ++relay) {
            if (!state.closed[size_t(relay - 1)])
                setRelayOfState(relay, false);
        }
        update();
    }
    for (int relay = 1; relay <= relayCount; ++relay)
        setRelayOfState(relay, state.closed[size_t(relay - 1)]);
    update();
    // Nothing waits after the update: going back to Asynchronous needs no
    // second one.
    if (state.mode != SwitchingMode::SyncCommand)
        selectMode(state.mode, true);
    setExclusive(state.exclusive);
    return {};
}

Refusal CardSession::closeRefusal(const QList<int> &relays, bool openOthers,
                                  const QList<int> &opened) const
{
    if (Refusal locked = lockRefusal(); !locked.isNone())
        return locked;
    // Said in the operator's language too: a scan's or a sequence's step
    // that is refused ends in the window.
    if (m_exclusive) {
        for (int relay : relays) {
            if (relays.contains(partnerOf(relay)))
                //: %1 is a pair's number
                return refused(
                    Refusal::Kind::BrokenRule,
                    said(QT_TRANSLATE_NOOP("CardSession",
                                           "both relays of pair %1 under the exclusive rule")),
                    QString::number(pairOf(relay) + 1));
        }
    }
    const Said broken = brokenRuleSaid(m_fixture.rules, afterClosing(relays, openOthers, opened));
    if (!broken.isEmpty())
        return {Refusal::Kind::BrokenRule, broken.english, broken.local};
    return {};
}

std::array<bool, relayCount> CardSession::afterClosing(const QList<int> &relays, bool openOthers,
                                                       const QList<int> &opened) const
{
    std::array<bool, relayCount> after = closedAfter(relays, openOthers);
    for (int relay : opened) {
        if (relay >= 1 && relay <= relayCount && !relays.contains(relay))
            after[size_t(relay - 1)] = false;
    }
    return after;
}

Refusal CardSession::closeRelays(const QList<int> &relays, bool openOthers,
                                 const QList<int> &opened)
{
    if (Refusal refused = closeRefusal(relays, openOthers, opened); !refused.isNone())
        return refused;
    const std::array<bool, relayCount> after = afterClosing(relays, openOthers, opened);
    const BusyScope busy(this);
    const ExplicitDepth commands(this);
    // With the fixture's rules, every relay that opens does so before any
    // closes: each step then holds part of what the whole list leaves, and
    // breaks no rule that the whole does not.
    const bool openFirst = openOthers || !opened.isEmpty() || !m_fixture.rules.isEmpty();
    for (int relay = 1; openFirst && relay <= relayCount; ++relay) {
        if (!after[size_t(relay - 1)])
            setRelay(relay, false);
    }
    for (int relay : relays)
        setRelay(relay, true, SwitchOrder::BreakBeforeMake);
    return {};
}

Refusal CardSession::openRelays(const QList<int> &relays)
{
    if (Refusal locked = lockRefusal(); !locked.isNone())
        return locked;
    const BusyScope busy(this);
    const ExplicitDepth commands(this);
    for (int relay : relays)
        setRelay(relay, false);
    return {};
}

Refusal CardSession::openAllRelays()
{
    QList<int> all;
    for (int relay = 1; relay <= relayCount; ++relay)
        all.append(relay);
    return openRelays(all);
}

Refusal CardSession::requestUpdate()
{
    if (Refusal locked = lockRefusal(); !locked.isNone())
        return locked;
    if (m_mode != SwitchingMode::SyncCommand)
        return {Refusal::Kind::BrokenRule,
                QStringLiteral("an update is taken in Sync. Command mode only")};
    update();
    return {};
}

Refusal CardSession::requestTrigger()
{
    if (Refusal locked = lockRefusal(); !locked.isNone())
        return locked;
    if (m_mode != SwitchingMode::SyncTrigger)
        return {Refusal::Kind::BrokenRule,
                QStringLiteral("a trigger is taken in Sync. Trigger mode only")};
    trigger();
    return {};
}

void CardSession::report(ViStatus status, const char *callText, const QString &subject)
{
    if (status == 0)
        return;
    const QString driverText = driverMessage(status, libraries().qx5170_error_message);
    const QString brief = subject + QStringLiteral(": ") + driverText;
    emit driverStatus(int(status), brief);
    if (m_reporter)
        m_reporter->reportStatus(status, operatorDriverStatusText(status, callText, driverText),
                                 brief);
    else
        qWarning().noquote() << driverStatusText(status, callText, driverText);
}

void CardSession::contactsFollow(int relay)
{
    const size_t index = size_t(relay - 1);
    if (m_taken[index] && !m_contacts[index] && m_wear)
        m_wear->countClosing(relay);
    m_contacts[index] = m_taken[index];
}

void CardSession::contactsFollowAll()
{
    for (int relay = 1; relay <= relayCount; ++relay)
        contactsFollow(relay);
}

QList<int> CardSession::waitingRelays() const
{
    QList<int> waiting;
    for (int relay = 1; !m_synchronized && relay <= relayCount; ++relay) {
        if (m_closed[size_t(relay - 1)] != m_applied[size_t(relay - 1)])
            waiting.append(relay);
    }
    return waiting;
}

void CardSession::setSynchronized(bool synchronized)
{
    m_synchronized = synchronized;
    if (synchronized)
        m_applied = m_closed;
    // Sent also when unchanged: the lamp is set again after every switch,
    // as before the remote control existed.
    emit synchronizedChanged(synchronized);
}

} // namespace sfp
