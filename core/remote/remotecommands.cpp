// SPDX-FileCopyrightText: 2026 Tarvex
// SPDX-License-Identifier: MIT
#include "remotecommands.h"

#include "cardsession.h"
#include "endpoint.h"
#include "relaywear.h"
#include "savedstates.h"
#include "scpiclientstatus.h"
#include "scpiparser.h"
#include "statusreporter.h"
#include "translation.h"

#include <utility>

namespace {

using sfp::scpi::Command;

QByteArray number(int value)
{
    return QByteArray::number(value);
}

QByteArray flag(bool value)
{
    return value ? QByteArrayLiteral("1") : QByteArrayLiteral("0");
}

// The relays that are closed, or those that are open, ascending.
QList<int> relaysThatAre(const sfp::CardSession &card, bool closed)
{
    QList<int> relays;
    for (int relay = 1; relay <= sfp::relayCount; ++relay) {
        if (card.isClosed(relay) == closed)
            relays.append(relay);
    }
    return relays;
}

// What changes the card (its relays, mode or rule) or what is kept of it
// (its saved states, its fixture's states, its counts), refused to all but
// the lock's owner while a client holds it.
bool changesTheCard(Command command)
{
    switch (command) {
    case Command::Rst:
    case Command::Trg:
    case Command::Sav:
    case Command::Rcl:
    case Command::RouteClose:
    case Command::RouteCloseExclusive:
    case Command::RouteOpen:
    case Command::RouteOpenAll:
    case Command::RouteMode:
    case Command::RouteUpdate:
    case Command::RouteExclusive:
    case Command::RouteChannelLabel:
    case Command::RouteChannelLabelClear:
    case Command::MemoryStateDefine:
    case Command::MemoryStateRecall:
    case Command::DiagnosticRelayCyclesClear:
    case Command::RouteScan:
    case Command::RouteChannelDelay:
    case Command::TriggerSource:
    case Command::TriggerTimer:
    case Command::TriggerCount:
    case Command::Initiate:
    case Command::Abort:
    case Command::RouteSequenceDefine:
    case Command::RouteSequenceDelete:
    case Command::RouteSequenceDeleteAll:
    case Command::RouteSequenceTrigger:
        return true;
    default:
        return false;
    }
}

// Lines that must not go on while the card has work of its own pending.
bool waitsForTheRun(Command command)
{
    return command == Command::OpcQuery || command == Command::Wai;
}

} // namespace

namespace sfp {

// While a remote command runs, the driver's reports go to the client's
// error queue instead of to whoever takes them otherwise (the operator's
// message boxes), who takes them again afterwards.
class RemoteCommands::QueueReporter final : public StatusReporter
{
public:
    QueueReporter(CardSession *card, ScpiClientStatus &state)
        : m_card(card)
        , m_state(state)
        , m_previous(card->reporter())
    {
        m_card->setReporter(this);
    }
    ~QueueReporter() override { m_card->setReporter(m_previous); }
    QueueReporter(const QueueReporter &) = delete;
    QueueReporter &operator=(const QueueReporter &) = delete;
    QueueReporter(QueueReporter &&) = delete;
    QueueReporter &operator=(QueueReporter &&) = delete;

    // A script gets what it asked for and the driver's text, not the
    // panel's names of its calls.
    void reportStatus(ViStatus status, const QString & /*text*/, const QString &brief) override
    {
        if (status < 0)
            m_state.pushDeviceError(brief);
        else
            m_state.pushWarning(int(status), brief);
    }

private:
    CardSession *m_card;
    ScpiClientStatus &m_state;
    StatusReporter *m_previous;
};

// The driver's statuses of a run go to the error queue of the client that
// started it, for as long as that client is there.
class RemoteCommands::RunReporter final : public StatusReporter
{
public:
    explicit RunReporter(RemoteCommands *commands)
        : m_commands(commands)
    { }

    void reportStatus(ViStatus status, const QString & /*text*/, const QString &brief) override
    {
        const auto client = m_commands->m_clients.find(m_commands->m_runClient);
        if (client == m_commands->m_clients.end())
            return;
        if (status < 0)
            client->second.pushDeviceError(brief);
        else
            client->second.pushWarning(int(status), brief);
    }

private:
    RemoteCommands *m_commands;
};

RemoteCommands::RemoteCommands(QByteArray identity, QString stateFolder, QObject *parent)
    : QObject(parent)
    , m_identity(std::move(identity))
    , m_stateFolder(std::move(stateFolder))
    , m_server(this)
    , m_vxi11(this)
    , m_runReporter(std::make_unique<RunReporter>(this))
{
    connect(&m_server, &ScpiServer::clientCountChanged, this,
            [this] { emit infoChanged(infoText()); });
    connect(&m_server, &ScpiServer::clientRefused, this, &RemoteCommands::clientRefused);
    connect(&m_vxi11, &Vxi11Server::clientRefused, this, &RemoteCommands::clientRefused);
    connect(&m_server, &ScpiServer::notAllowed, this, [this](const QHostAddress &address) {
        emit clientNotAllowed(QStringLiteral("socket"), address, scpi::CommandProtected);
    });
    connect(&m_vxi11, &Vxi11Server::notAllowed, this, [this](const QHostAddress &address) {
        emit clientNotAllowed(QStringLiteral("vxi11"), address, 0);
    });
    connect(&m_vxi11, &Vxi11Server::linkCountChanged, this,
            [this] { emit infoChanged(infoText()); });
    connect(&m_registration, &PortMapperRegistration::finished, this,
            &RemoteCommands::vxi11Registered);
}

RemoteCommands::~RemoteCommands() = default;

bool RemoteCommands::listen(const QHostAddress &address, quint16 port)
{
    return m_server.listen(address, port);
}

QString RemoteCommands::errorString() const
{
    return m_server.errorString();
}

void RemoteCommands::registerVxi11()
{
    if (m_vxi11.port() != 0)
        m_registration.start(Vxi11Server::coreProgram, Vxi11Server::coreVersion, m_vxi11.port());
}

bool RemoteCommands::listenVxi11()
{
    return m_vxi11.listen(m_server.address());
}

void RemoteCommands::start(CardSession *card)
{
    m_card = card;
    connect(m_card, &CardSession::wearChanged, this, &RemoteCommands::updateQuestionable);
    followRun(m_card->scan());
    m_server.start();
    m_vxi11.start();
    emit infoChanged(infoText());
}

QString RemoteCommands::infoText() const
{
    // The panel's line for the operator. English has its two forms here;
    // each other language's catalogue has its own plural forms of both.
    const int clients = clientCount();
    QString text;
    if (clients == 1)
        //: The panel's remote line: %1 is where it listens
        text = sfp::translate("RemoteCommands", "Remote: %1, %n client", nullptr, clients);
    else
        //: The panel's remote line: %1 is where it listens
        text = sfp::translate("RemoteCommands", "Remote: %1, %n clients", nullptr, clients);
    text = text.arg(endpointText(m_server.address(), m_server.port()));
    if (isLocked())
        //: Added to the remote line while a client holds the remote lock
        text += sfp::translate("RemoteCommands", ", locked");
    return text;
}

bool RemoteCommands::isReady() const
{
    // A remote command never runs inside an operation of the panel, nor
    // while the operator is asked something: it waits, in order.
    return !m_card->isBusy() && !(m_operatorAsked && m_operatorAsked());
}

void RemoteCommands::clientJoined(quint64 client)
{
    m_clients[client] = ScpiClientStatus();
    m_clients[client].setQuestionableCondition(questionableCondition());
    m_clients[client].setOperationCondition(operationCondition());
}

QString RemoteCommands::sourceName(quint64 client) const
{
    const QString peer = m_server.peerName(client);
    if (!peer.isEmpty())
        return QStringLiteral("socket ") + peer;
    return linkName(client);
}

const QString &RemoteCommands::sourceNameOf(quint64 client)
{
    // Asked for at the client's first line, not when it joins: a VXI-11
    // link is known by its connection only once it is made.
    QString &name = m_sourceNames[client];
    if (name.isEmpty())
        name = sourceName(client);
    return name;
}

QString RemoteCommands::linkName(quint64 client) const
{
    return QStringLiteral("vxi11 %1 link %2")
        .arg(m_vxi11.peerName(client))
        .arg(client - Vxi11Server::firstClient);
}

int RemoteCommands::questionableCondition() const
{
    return m_card && m_card->wear() ? m_card->wear()->questionableCondition(m_card->fixture()) : 0;
}

void RemoteCommands::updateQuestionable()
{
    const int condition = questionableCondition();
    for (auto &[client, state] : m_clients)
        state.setQuestionableCondition(condition);
}

void RemoteCommands::clientLeft(quint64 client)
{
    // The count changed when the client left; its lock goes only now that
    // its last line has run.
    m_clients.erase(client);
    m_sourceNames.erase(client);
    m_held.erase(client);
    m_operationsWaiting.erase(client);
    if (m_runClient == client)
        m_runClient = 0;
    if (m_lockOwner == client)
        setLock(0);
}

QByteArray RemoteCommands::execute(quint64 client, QByteArrayView line)
{
    emit commandArriving();
    Held held;
    held.units = scpi::parseLine(line);
    return runUnits(client, std::move(held));
}

QByteArray RemoteCommands::runUnits(quint64 client, Held held)
{
    ScpiClientStatus &state = m_clients[client];
    const QueueReporter reports(m_card, state);
    const CardSession::Source source(m_card, sourceNameOf(client));
    for (; held.next < held.units.size(); ++held.next) {
        const scpi::Unit &unit = held.units[held.next];
        if (unit.error != scpi::NoError) {
            state.pushError(unit.error);
            break;
        }
        if (waitsForTheRun(unit.command) && m_card->scan()->isPending()) {
            m_held[client] = std::move(held);
            return QByteArray();
        }
        const QByteArray response = run(client, state, unit);
        if (!response.isNull())
            held.responses.append(response);
    }
    // The responses of one line form one response message.
    return held.responses.isEmpty() ? QByteArray() : held.responses.join(';') + '\n';
}

void RemoteCommands::clearErrors(quint64 client)
{
    // A device clear ends the client's wait as well.
    m_clients[client].clearErrors();
    m_held.erase(client);
}

void RemoteCommands::lineTooLong(quint64 client)
{
    m_clients[client].pushError(scpi::TooMuchData);
}

QByteArray RemoteCommands::run(quint64 client, ScpiClientStatus &state, const scpi::Unit &unit)
{
    // While a client holds the lock, the card is its alone: the others'
    // commands that would change it are refused, their queries answered.
    // The session refuses its own changes so; what the remote control
    // keeps itself (the *SAV slots) gets the same answer here, first.
    if (changesTheCard(unit.command)) {
        const Refusal locked = m_card->lockRefusal();
        if (!locked.isNone()) {
            refuse(state, locked);
            return QByteArray();
        }
    }
    switch (unit.command) {
    case Command::None:
        break;
    case Command::IdnQuery:
        return m_identity;
    case Command::Rst: {
        // The card's own run ends first: a reset card scans nothing.
        if (const Refusal refusal = m_card->scan()->stop(); !refusal.isNone()) {
            refuse(state, refusal);
            break;
        }
        const CardSession::Source reset(m_card, QStringLiteral("*RST"), m_card->source());
        m_card->reset();
        refuse(state, m_card->scan()->setSettings(ScanSettings()));
        break;
    }
    case Command::Cls:
        state.clear();
        break;
    case Command::Ese:
        state.setEventEnable(unit.number);
        break;
    case Command::EseQuery:
        return number(state.eventEnable());
    case Command::EsrQuery:
        return number(state.takeEventStatus());
    case Command::Sre:
        state.setServiceRequestEnable(unit.number);
        break;
    case Command::SreQuery:
        return number(state.serviceRequestEnable());
    case Command::StbQuery:
        return number(state.statusByte());
    case Command::Opc:
        // Complete once the card's run has no work pending.
        if (m_card->scan()->isPending())
            m_operationsWaiting.insert(client);
        else
            state.setOperationComplete();
        break;
    case Command::OpcQuery:
        return QByteArrayLiteral("1");
    case Command::Wai:
        break;
    case Command::TstQuery:
    case Command::OptQuery:
        // The self-test passes; the card has no options to report.
        return QByteArrayLiteral("0");
    case Command::Trg:
        // A bus scan takes the trigger as its next step; a card that scans
        // no such list takes it as the mode's.
        if (m_card->scan()->isScanning()
            && m_card->scan()->settings().trigger == ScanTrigger::Bus) {
            if (!m_card->scan()->trigger())
                state.pushError(scpi::TriggerIgnored);
        } else {
            refuse(state, m_card->requestTrigger());
        }
        break;
    case Command::Sav:
        save(state, unit.number);
        break;
    case Command::Rcl:
        recall(state, unit.number);
        break;
    case Command::RouteClose:
        refuse(state, m_card->closeRelays(unit.channels));
        break;
    case Command::RouteOpen:
        refuse(state, m_card->openRelays(unit.channels));
        break;
    case Command::RouteCloseQuery:
    case Command::RouteOpenQuery: {
        const bool closed = unit.command == Command::RouteCloseQuery;
        QByteArrayList answers;
        for (int channel : unit.channels)
            answers.append(flag(m_card->isClosed(channel) == closed));
        return answers.join(',');
    }
    case Command::RouteCloseAllowedQuery: {
        QByteArrayList answers;
        for (int channel : unit.channels)
            answers.append(flag(m_card->mayClose(channel)));
        return answers.join(',');
    }
    case Command::RouteChannelLabel:
    case Command::RouteChannelLabelClear:
        refuse(
            state,
            m_card->setLabels(unit.channels,
                              unit.command == Command::RouteChannelLabel ? unit.text : QString()),
            QStringLiteral("labels not changed"));
        break;
    case Command::MemoryStateDefine:
        refuse(state, m_card->defineState(unit.text, unit.channels),
               QStringLiteral("state not kept"));
        break;
    case Command::MemoryStateRecall: {
        const CardSession::Source recalled(
            m_card, QStringLiteral("fixture state \"%1\"").arg(unit.text), m_card->source());
        refuse(state, m_card->recallState(unit.text));
        break;
    }
    case Command::MemoryStateCatalogQuery: {
        QByteArrayList names;
        for (const QString &name : m_card->stateNames())
            names.append(scpi::stringData(name));
        return names.isEmpty() ? QByteArrayLiteral("\"\"") : names.join(',');
    }
    case Command::DiagnosticRelayCyclesQuery:
    case Command::DiagnosticRelayCyclesClear: {
        RelayWear *wear = m_card->wear();
        if (!wear || !wear->isOpen()) {
            // Demo mode, or a counter file that could not be read.
            state.pushDeviceError(QStringLiteral("relay cycles are not counted"));
            break;
        }
        if (unit.command == Command::DiagnosticRelayCyclesClear) {
            const QString why = wear->clear(unit.channels);
            if (!why.isEmpty())
                state.pushDeviceError(QStringLiteral("the relay cycles cannot be written: ") + why);
            break;
        }
        QByteArrayList answers;
        for (int channel : unit.channels)
            answers.append(QByteArray::number(wear->cycles(channel)));
        return answers.join(',');
    }
    case Command::RouteChannelLabelQuery: {
        QByteArrayList answers;
        for (int channel : unit.channels)
            answers.append(scpi::stringData(m_card->label(channel)));
        return answers.join(',');
    }
    case Command::RouteCloseListQuery:
    case Command::RouteOpenListQuery:
        return scpi::channelList(
            relaysThatAre(*m_card, unit.command == Command::RouteCloseListQuery));
    case Command::RouteCloseExclusive:
        // Every other relay opens before any of the list closes.
        refuse(state, m_card->closeRelays(unit.channels, true));
        break;
    case Command::RouteOpenAll:
        refuse(state, m_card->openAllRelays());
        break;
    case Command::RouteMode:
        m_card->selectMode(unit.mode);
        break;
    case Command::RouteModeQuery:
        return switchingModes::scpiNames[size_t(m_card->mode())];
    case Command::RouteUpdate:
        refuse(state, m_card->requestUpdate());
        break;
    case Command::RouteExclusive:
        m_card->setExclusive(unit.flag);
        break;
    case Command::RouteExclusiveQuery:
        return flag(m_card->isExclusive());
    case Command::RouteSynchronizedQuery:
        return flag(m_card->isSynchronized());
    case Command::SystemErrorNextQuery:
        return state.takeError();
    case Command::SystemErrorCountQuery:
        return number(state.errorCount());
    case Command::SystemErrorAllQuery:
        return state.takeAllErrors();
    case Command::SystemVersionQuery:
        return QByteArrayLiteral("1999.0");
    case Command::SystemRwLock:
    case Command::SystemLockRequestQuery: {
        // One lock, however it is asked for; never taken from its owner.
        const bool granted = m_lockOwner == 0 || m_lockOwner == client;
        if (granted)
            setLock(client);
        if (unit.command == Command::SystemLockRequestQuery)
            return flag(granted);
        if (!granted)
            refuseLocked(state);
        break;
    }
    case Command::SystemLocal:
    case Command::SystemLockRelease:
        // Only its owner lets the lock go.
        if (m_lockOwner == client)
            setLock(0);
        else if (m_lockOwner != 0)
            refuseLocked(state);
        break;
    case Command::SystemLockOwnerQuery: {
        if (m_lockOwner == 0)
            return QByteArrayLiteral("NONE");
        // A link is named as the switching log names it: several links
        // may share one connection.
        QString owner = m_server.peerName(m_lockOwner);
        if (owner.isEmpty())
            owner = linkName(m_lockOwner);
        return '"' + owner.toLatin1() + '"';
    }
    case Command::StatusOperationEventQuery:
        return number(state.takeOperationEvent());
    case Command::StatusOperationConditionQuery:
        return number(state.operationCondition());
    case Command::StatusQuestionableEventQuery:
        return number(state.takeQuestionableEvent());
    case Command::StatusQuestionableConditionQuery:
        return number(state.questionableCondition());
    case Command::StatusOperationEnable:
        state.setOperationEnable(unit.number);
        break;
    case Command::StatusOperationEnableQuery:
        return number(state.operationEnable());
    case Command::StatusQuestionableEnable:
        state.setQuestionableEnable(unit.number);
        break;
    case Command::StatusQuestionableEnableQuery:
        return number(state.questionableEnable());
    case Command::StatusPreset:
        state.presetStatus();
        break;
    case Command::RouteScan:
    case Command::RouteScanQuery:
    case Command::RouteScanStateQuery:
    case Command::RouteChannelDelay:
    case Command::RouteChannelDelayQuery:
    case Command::TriggerSource:
    case Command::TriggerSourceQuery:
    case Command::TriggerTimer:
    case Command::TriggerTimerQuery:
    case Command::TriggerCount:
    case Command::TriggerCountQuery:
    case Command::Initiate:
    case Command::Abort:
    case Command::RouteSequenceDefine:
    case Command::RouteSequenceDefineQuery:
    case Command::RouteSequenceCatalogQuery:
    case Command::RouteSequenceDelete:
    case Command::RouteSequenceDeleteAll:
    case Command::RouteSequenceTrigger:
    case Command::RouteSequenceBusyQuery:
    case Command::RouteSequenceWait:
        return runScanCommand(client, state, unit);
    }
    return QByteArray();
}

void RemoteCommands::refuse(ScpiClientStatus &state, const Refusal &refusal, const QString &notDone)
{
    switch (refusal.kind) {
    case Refusal::Kind::None:
        break;
    case Refusal::Kind::BadRequest:
        state.pushError(scpi::IllegalParameterValue,
                        scpi::errorString(scpi::IllegalParameterValue, refusal.reason));
        break;
    case Refusal::Kind::BrokenRule:
        m_card->recordRefusal(0, refusal.reason, scpi::SettingsConflict);
        state.pushError(scpi::SettingsConflict,
                        scpi::errorString(scpi::SettingsConflict, refusal.reason));
        break;
    case Refusal::Kind::FileError:
        state.pushDeviceError(notDone.isEmpty() ? refusal.reason
                                                : notDone + QStringLiteral(": ") + refusal.reason);
        break;
    }
}

void RemoteCommands::refuseLocked(ScpiClientStatus &state)
{
    state.pushError(
        scpi::SettingsConflict,
        scpi::errorString(scpi::SettingsConflict, QStringLiteral("another client holds the lock")));
}

// The client is told the slot and the reason, never where the server keeps
// its files.
void RemoteCommands::save(ScpiClientStatus &state, int slot)
{
    const CardState saved = m_card->state();
    const QString reason = savedStates::save(savedStates::fileName(m_stateFolder, slot), saved);
    if (!reason.isEmpty())
        state.pushDeviceError(
            QStringLiteral("state %1 could not be saved: %2").arg(QString::number(slot), reason));
}

void RemoteCommands::recall(ScpiClientStatus &state, int slot)
{
    CardState saved;
    QString reason;
    switch (savedStates::load(savedStates::fileName(m_stateFolder, slot), &saved, &reason)) {
    case savedStates::LoadResult::Empty:
        state.pushError(scpi::IllegalParameterValue,
                        scpi::errorString(scpi::IllegalParameterValue).chopped(1)
                            + ";nothing saved as " + number(slot) + '"');
        return;
    case savedStates::LoadResult::Damaged:
        state.pushDeviceError(
            QStringLiteral("state %1 cannot be read: %2").arg(QString::number(slot), reason));
        return;
    case savedStates::LoadResult::Loaded:
        break;
    }

    // A state saved before the fixture's rules were written may break one;
    // the refusal is the client's, not the recall's.
    Refusal refusal;
    {
        const CardSession::Source recalled(m_card, QStringLiteral("*RCL %1").arg(slot),
                                           m_card->source());
        refusal = m_card->restore(saved);
    }
    refuse(state, refusal, QStringLiteral("state %1 cannot be brought back").arg(slot));
}

bool RemoteCommands::takeLock(quint64 client)
{
    if (isLockedByOther(client))
        return false;
    if (m_lockOwner != client)
        setLock(client);
    return true;
}

bool RemoteCommands::releaseLock(quint64 client)
{
    if (m_lockOwner != client)
        return false;
    setLock(0);
    return true;
}

void RemoteCommands::queryInterrupted(quint64 client)
{
    m_clients[client].pushError(scpi::QueryInterrupted);
}

void RemoteCommands::setLock(quint64 owner)
{
    const bool wasLocked = isLocked();
    m_lockOwner = owner;
    if (m_card)
        m_card->setLockHolder(owner == 0 ? QString() : sourceNameOf(owner));
    if (wasLocked != isLocked())
        emit lockChanged(isLocked());
    emit infoChanged(infoText());
}

} // namespace sfp
