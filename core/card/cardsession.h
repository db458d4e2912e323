// SPDX-FileCopyrightText: 2026 Tarvex
// SPDX-License-Identifier: MIT
// The one owner of the relay card's driver session and of every rule of the
// card: what has been commanded (the card reports nothing back), the
// exclusive rule, the switching mode and what waits for an update. The
// relay pair widgets, the mode controls and the remote control are its
// clients; it has no widgets and shows nothing itself.
#pragma once

#include "cardstate.h"
#include "fixture.h"
#include "relays.h"
#include "switchinglog.h"
#include "switchingmode.h"
#include "visatype.h"

#include <QList>
#include <QObject>
#include <QString>
#include <QStringList>

#include <array>
#include <optional>
#include <utility>

namespace sfp {

class CardScan;
class RelayWear;
class StatusReporter;
class SwitchingLog;

// Why the card session did not do what was asked, in words: a request that
// names nothing it can do (no such state, a text that cannot be a
// name or a label), a rule the result would break (the fixture's, the
// exclusive rule, the mode's), a file that cannot be written or holds what
// the card cannot take. Every whole change answers in this one shape,
// before any driver call: a refused change leaves the card as it was.
struct Refusal
{
    enum class Kind { None, BadRequest, BrokenRule, FileError };

    Refusal() = default;
    Refusal(Kind refusalKind, QString english, QString local = QString())
        : kind(refusalKind)
        , reason(std::move(english))
        , localReason(std::move(local))
    { }

    Kind kind = Kind::None;
    // In English: what programs read (an SCPI error, the switching log).
    QString reason;
    // The same in the operator's language, where a window says it; empty
    // where the reason never reaches one.
    QString localReason;

    bool isNone() const { return kind == Kind::None; }
    // What a window or a box says to the operator.
    QString operatorReason() const { return localReason.isEmpty() ? reason : localReason; }
};

// Under the exclusive rule, closing a relay opens its partner. A click
// closes the relay first and then opens the partner, as the panel always
// has; break-before-make opens the partner first, so that the two are
// never closed together, even for the time of one driver call.
enum class SwitchOrder { ClickOrder, BreakBeforeMake };

class CardSession final : public QObject
{
    Q_OBJECT
    Q_DISABLE_COPY_MOVE(CardSession)

public:
    // The card starts with every relay open, in Asynchronous mode, without
    // the exclusive rule (connecting resets it). With demo set nothing calls
    // the driver. Statuses go to `reporter` (see setReporter).
    CardSession(ViSession vi, bool demo, StatusReporter *reporter = nullptr,
                QObject *parent = nullptr);
    ~CardSession() override;

    ViSession vi() const { return m_vi; }
    bool isDemo() const { return m_demo; }

    // Relays count from 1; any other number is open.
    bool isClosed(int relay) const;
    SwitchingMode mode() const { return m_mode; }
    bool isExclusive() const { return m_exclusive; }
    // False from a switch in a synchronous mode until the update or trigger
    // that applies it: the panel's "Synchronized" lamp.
    bool isSynchronized() const { return m_synchronized; }
    // The relays switched in a synchronous mode that wait for the update
    // or trigger that applies them, ascending; none when synchronized.
    QList<int> waitingRelays() const;
    // True while an operation runs, also while a report it made waits for
    // the operator: nothing else may switch the card then.
    bool isBusy() const { return m_busy > 0; }
    CardState state() const;

    // Where each non-zero driver status goes, with its report's text; the
    // reporter outlives its installation. Without one, a status is written
    // to the toolkit's warning output.
    void setReporter(StatusReporter *reporter) { m_reporter = reporter; }
    StatusReporter *reporter() const { return m_reporter; }

    // The order of the operator's clicks (setRelay without an order); the
    // click order unless the program was told otherwise.
    void setClickOrder(SwitchOrder order) { m_clickOrder = order; }
    SwitchOrder clickOrder() const { return m_clickOrder; }

    // The name, in the switching log and to the lock, of what the card
    // does on nobody's command (taking the card, a fixture's state): a
    // server without a window has no operator.
    void setOwnName(const QString &name) { m_ownName = name; }

    // The fixture the card is wired into: its rules, which every change of
    // the card obeys, whoever asks for it, and its labels. `path` is the
    // fixture's file, where changed labels are written (made when there is
    // none); `fromFile` says whether the fixture was read from it. No rules
    // and no labels until it is set.
    void setFixture(const Fixture &fixture, const QString &path, bool fromFile);
    const Fixture &fixture() const { return m_fixture; }
    // Whether the card has a fixture file: read at the start, or written
    // since. Without one the panel offers nothing of fixtures.
    bool hasFixtureFile() const { return m_hasFixtureFile; }
    void setRules(const QList<FixtureRule> &rules) { m_fixture.rules = rules; }
    const QList<FixtureRule> &rules() const { return m_fixture.rules; }
    // The relay's label, empty when it has none.
    QString label(int relay) const;
    // Gives each of `relays` the label `text` (empty text takes it away)
    // and writes the fixture file. Refused: a text that cannot be a label
    // (never cut), a file that cannot be written.
    Refusal setLabels(const QList<int> &relays, const QString &text);
    // The fixture's named states, in its order.
    QStringList stateNames() const;
    // Keeps `relays` closed, with the card's mode and exclusive rule, as
    // the state `name` of the fixture (replacing one of that name) and
    // writes the fixture file. A state that could never be brought back
    // (breaking its own exclusive rule or the fixture's rules) is refused.
    Refusal defineState(const QString &name, const QList<int> &relays);
    // Brings back the named state as restore() brings back any state.
    Refusal recallState(const QString &name);
    // The fixture's sequences' names, in its order.
    QStringList sequenceNames() const;
    // The fixture's sequence `name`, or nullptr when it has none; good
    // until its sequences change (sequencesChanged).
    const FixtureSequence *sequence(const QString &name) const;
    // Keeps `sequence` in the fixture (in the place of one of its name, else
    // last) and writes the fixture file. Refused: a name that cannot be
    // one, a sequence the file could not keep (no steps, more than
    // Fixture::maxSequenceSteps, a relay that is none of the card's, a wait
    // too long), another client's lock, a file that cannot be written. The
    // fixture's rules are not judged here but at each step that runs: they
    // may change before it does.
    Refusal defineSequence(const FixtureSequence &sequence);
    // Takes the sequence `name` out of the fixture and its file.
    Refusal deleteSequence(const QString &name);
    // The relays closed as they would be after closing `relays` (and,
    // with openOthers, opening every other relay), the exclusive rule's
    // partners opened: what the card holds once the change is applied.
    std::array<bool, relayCount> closedAfter(const QList<int> &relays,
                                             bool openOthers = false) const;
    // The fixture's rule that relays closed as in `closed` break, in words,
    // or empty text.
    QString refusal(const std::array<bool, relayCount> &closed) const;
    bool mayClose(int relay) const;

    // Where the closings that reach the card's contacts are counted; the
    // counter outlives its installation. Without one (and in demo mode)
    // nothing is counted.
    void setWear(RelayWear *wear);
    RelayWear *wear() const { return m_wear; }

    // Where each change the session makes or refuses is recorded, with
    // who asked for it; the log outlives its installation. Set, it first
    // records the card as the session has it, under `cardId`.
    void setLog(SwitchingLog *log, const QString &cardId);
    SwitchingLog *log() const { return m_log; }
    // Who asks for the changes made while it lives: "socket
    // 127.0.0.1:40112", or a command ("*RCL 2") with the `client` that
    // gave it. Without one, the operator asks ("demo" in demo mode).
    class Source
    {
    public:
        Source(CardSession *card, const QString &source, const QString &client = QString());
        ~Source();
        Source(const Source &) = delete;
        Source &operator=(const Source &) = delete;
        Source(Source &&) = delete;
        Source &operator=(Source &&) = delete;

    private:
        CardSession *m_card;
        QString m_source;
        QString m_client;
    };
    QString source() const;
    QString client() const { return m_client; }

    // The lock one remote client takes against the others: while `holder`
    // (a source's name, "socket 127.0.0.1:40112") holds it, every whole
    // change that another client asks for is refused, naming the lock.
    // The operator is never refused: the window locks its own controls.
    void setLockHolder(const QString &holder) { m_lockHolder = holder; }
    const QString &lockHolder() const { return m_lockHolder; }
    // The lock's refusal for the one who asks now, or none.
    Refusal lockRefusal() const;
    // Whether the operator asks now (no source, or a command made of
    // others that the operator gave).
    bool isOperatorAsking() const;
    // Records a change refused before it reached the session (a remote
    // list, another client's lock): `relay` 0 for a whole list, `error`
    // the SCPI error the client got.
    void recordRefusal(int relay, const QString &reason, int error);

    // Commands a relay as a click on its button does, when that changes it
    // (nothing happens otherwise): the driver call and, when the exclusive
    // rule holds and the relay closes, its partner opened the same way,
    // after it or (break-before-make) before it. A closing that would
    // break a rule of the fixture is refused before any driver call
    // (changeRefused).
    void setRelay(int relay, bool closed) { setRelay(relay, closed, m_clickOrder); }
    void setRelay(int relay, bool closed, SwitchOrder order);
    // Sets the exclusive rule for the whole card, when that changes it;
    // turned on, it opens relay B of every pair whose both relays are
    // closed, pair by pair.
    void setExclusive(bool on);
    // Selects a switching mode as the mode list does, also the mode already
    // selected: leaving a synchronous mode for Asynchronous first applies
    // what waits, the way that mode applies it. With onlyIfWaiting set it
    // does so only when something waits.
    void selectMode(SwitchingMode mode, bool onlyIfWaiting = false);
    void update();
    void trigger();
    // The card's state as reset leaves it: no exclusive rule, Asynchronous,
    // every relay open; only what differs is switched. In a synchronous
    // mode every relay is first set open in that mode and applied, so that
    // a relay that only waited to close never closes.
    void reset();
    // Brings back a whole state: all relays change at one update, so that
    // the device under test never sees an in-between combination, then the
    // state's mode and rule are set. Under the exclusive rule (of the card
    // or of the state), when a relay closes whose partner opens, the
    // relays that open are applied first, at an update of their own. A
    // state that breaks a rule of the fixture (one kept before the rule
    // was written) is refused by that rule; one that breaks its own
    // exclusive rule can only come from a damaged file (FileError).
    Refusal restore(const CardState &state);

    // Whole changes as a script asks for them, checked whole before any
    // relay of them moves; like the changes above they are refused to all
    // but the lock's holder. Closes `relays`; with openOthers every other
    // relay opens first. Under the exclusive rule a list that closes both
    // relays of a pair has no answer the card can give and is refused; one
    // relay whose partner is closed closes once the partner has opened, so
    // that a script may rely on the rule to keep two sources apart. A list
    // whose result breaks a rule of the fixture is refused. The relays in
    // `opened` open in the same change, first, and are judged with it.
    Refusal closeRelays(const QList<int> &relays, bool openOthers = false,
                        const QList<int> &opened = {});
    // What closeRelays() would answer, switching nothing.
    Refusal closeRefusal(const QList<int> &relays, bool openOthers = false,
                         const QList<int> &opened = {}) const;
    // Opening breaks no rule. Numbers that are no relay of the card are
    // passed over, in every whole change.
    Refusal openRelays(const QList<int> &relays);
    Refusal openAllRelays();
    // An update or a trigger asked for where no button says whether it may
    // be given: refused outside the mode that takes it, as the panel's
    // buttons are disabled there.
    Refusal requestUpdate();
    Refusal requestTrigger();

    // The card's scans and stored sequences, which switch it step by step
    // through the changes above.
    CardScan *scan() const { return m_scan; }

signals:
    // Sent before the driver is called, so that the panel shows the command
    // even while a report about it waits.
    void relayChanged(int relay, bool closed);
    // Sent after each switch's driver call, where the pair widgets tell the
    // window that a button was clicked.
    void relaySwitched(int relay);
    // A relay that stays as it was, because closing it would break the
    // fixture's rule that `reason` names in English and `localReason` in
    // the operator's language.
    void changeRefused(int relay, const QString &reason, const QString &localReason);
    void labelsChanged();
    // A relay's count of closings changed (or was started again).
    void wearChanged(int relay);
    void statesChanged();
    // The fixture's sequences changed: one defined or deleted, or another
    // fixture set.
    void sequencesChanged();
    void modeChanged(sfp::SwitchingMode mode);
    void exclusiveChanged(bool on);
    // Sent also when unchanged: after every switch and every update.
    void synchronizedChanged(bool synchronized);
    // A driver call's status other than success, whoever asked for the
    // call, before the reporter hears of it: `brief` says what was asked and
    // the driver's text ("channel 3: <driver text>"). For a record of the
    // card's own, such as a server's journal.
    void driverStatus(int status, const QString &brief);

private:
    class BusyScope;
    class ExplicitDepth;

    // Writes the fixture file as `changed` and, once it is written, takes
    // it; keepSequences() then says the sequences changed.
    Refusal keepFixture(const Fixture &changed);
    Refusal keepSequences(const Fixture &changed);
    void switchRelay(int relay, bool closed, SwitchOrder order);
    // The relays closed after closeRelays() with these arguments.
    std::array<bool, relayCount> afterClosing(const QList<int> &relays, bool openOthers,
                                              const QList<int> &opened) const;
    // A relay set while a whole state is brought back (checked whole).
    void setRelayOfState(int relay, bool closed);
    void applyWaiting();
    // `subject` says in a script's words what was asked of the card.
    void report(ViStatus status, const char *callText, const QString &subject);
    void setSynchronized(bool synchronized);
    // Who asks when no source is set: "operator", "demo" in demo mode, or
    // the name setOwnName() gave.
    QString operatorName() const;
    // The contacts follow what the driver took: one relay, or every relay
    // that waits. A contact that closes is one cycle of its relay.
    void contactsFollow(int relay);
    void contactsFollowAll();
    // Records a change just made, completing the event with who made it;
    // `status` is the driver's, where it was called.
    void record(SwitchingEvent &event, std::optional<ViStatus> status = std::nullopt);

    ViSession m_vi;
    bool m_demo;
    StatusReporter *m_reporter;
    std::array<bool, relayCount> m_closed = {};
    SwitchingMode m_mode = SwitchingMode::Asynchronous;
    bool m_exclusive = false;
    bool m_synchronized = true;
    SwitchOrder m_clickOrder = SwitchOrder::ClickOrder;
    int m_busy = 0;
    Fixture m_fixture;
    QString m_fixturePath;
    bool m_hasFixtureFile = false;
    // What the driver took (the relays and the mode), and what the
    // contacts hold after it as the card applies commands in each mode;
    // the panel's picture may differ where a driver call failed.
    std::array<bool, relayCount> m_taken = {};
    SwitchingMode m_takenMode = SwitchingMode::Asynchronous;
    std::array<bool, relayCount> m_contacts = {};
    // The relays as commanded when the card was last synchronized.
    std::array<bool, relayCount> m_applied = {};
    RelayWear *m_wear = nullptr;
    SwitchingLog *m_log = nullptr;
    QString m_cardId;
    QString m_source; // empty: the operator
    QString m_client;
    QString m_lockHolder; // empty: nobody holds the lock
    QString m_ownName; // empty: the operator's
    // The card, source and client of the latest event logged.
    struct
    {
        QString card;
        QString source;
        QString client;
    } m_loggedNames;
    // Changes deeper than this in one operation follow from the one that
    // holds them (a partner the rule opens) and have no command of their
    // own; reset and restore are made of commands one level down.
    int m_explicitDepth = 1;
    CardScan *m_scan;
};

} // namespace sfp
