// SPDX-FileCopyrightText: 2026 Tarvex
// SPDX-License-Identifier: MIT
#include "remotecontrol.h"

#include "cardsession.h"
#include "savedstates.h"
#include "scpiparser.h"

#include <QApplication>

#include <utility>

namespace {

using sfpScpi::Command;

// Standard event status register bits (IEEE 488.2).
enum EventBit : int {
    OperationComplete = 1,
    QueryError = 4,
    DeviceError = 8,
    ExecutionError = 16,
    CommandErrorBit = 32,
};

// Status byte bits.
enum StatusBit : int {
    ErrorAvailable = 4,
    EventSummary = 32,
    MasterSummary = 64,
};

int eventBitOf(int error)
{
    if (error <= -100 && error > -200)
        return CommandErrorBit;
    if (error <= -200 && error > -300)
        return ExecutionError;
    if (error <= -400 && error > -500)
        return QueryError;
    return DeviceError;
}

// A text as a SCPI string's contents: quotes doubled, so that the entry
// stays one string.
QByteArray quoted(const QString &text)
{
    return text.toLatin1().replace('"', "\"\"");
}

QByteArray number(int value)
{
    return QByteArray::number(value);
}

QByteArray flag(bool value)
{
    return value ? QByteArrayLiteral("1") : QByteArrayLiteral("0");
}

// While a remote command runs, the driver's reports go to the client's
// error queue instead of the operator's message boxes.
class ReportToQueue
{
public:
    ReportToQueue(qx5170_cardSession *card, qx5170_cardSession::Report report)
        : m_card(card)
    {
        m_card->setReport(std::move(report));
    }
    ~ReportToQueue() { m_card->setReport(nullptr); }
    ReportToQueue(const ReportToQueue &) = delete;
    ReportToQueue &operator=(const ReportToQueue &) = delete;

private:
    qx5170_cardSession *m_card;
};

} // namespace

qx5170_remoteControl::qx5170_remoteControl(QByteArray identity, QString stateFolder,
                                           QObject *parent)
    : QObject(parent)
    , m_identity(std::move(identity))
    , m_stateFolder(std::move(stateFolder))
    , m_server(this)
{
    connect(&m_server, &sfpScpiServer::clientCountChanged, this,
            [this] { emit infoChanged(infoText()); });
}

qx5170_remoteControl::~qx5170_remoteControl() = default;

bool qx5170_remoteControl::listen(const QHostAddress &address, quint16 port)
{
    return m_server.listen(address, port);
}

QString qx5170_remoteControl::errorString() const
{
    return m_server.errorString();
}

void qx5170_remoteControl::start(qx5170_cardSession *card)
{
    m_card = card;
    m_server.start();
    emit infoChanged(infoText());
}

QString qx5170_remoteControl::infoText() const
{
    const int clients = m_server.clientCount();
    QString text = QStringLiteral("Remote: %1, %2 %3")
                       .arg(sfpScpiEndpoint(m_server.address(), m_server.port()))
                       .arg(clients)
                       .arg(clients == 1 ? QStringLiteral("client") : QStringLiteral("clients"));
    if (isLocked())
        text += QStringLiteral(", locked");
    return text;
}

bool qx5170_remoteControl::isReady() const
{
    // A remote command never runs inside an operation of the panel, nor
    // while the operator is asked something: it waits, in order.
    return !m_card->isBusy() && QApplication::activeModalWidget() == nullptr;
}

void qx5170_remoteControl::clientJoined(quint64 client)
{
    m_clients[client] = ClientState();
}

void qx5170_remoteControl::clientLeft(quint64 client)
{
    // The count changed when the client left; its lock goes only now that
    // its last line has run.
    m_clients.erase(client);
    if (m_lockOwner == client)
        setLock(0);
}

QByteArray qx5170_remoteControl::execute(quint64 client, QByteArrayView line)
{
    emit commandArriving();
    ClientState &state = m_clients[client];
    const ReportToQueue reports(m_card, [this, &state](ViStatus status, const QString &text) {
        if (status < 0)
            pushDeviceError(state, text);
        else
            pushError(state, int(status), number(int(status)) + ",\"" + quoted(text) + '"');
    });

    QByteArrayList responses;
    for (const sfpScpi::Unit &unit : sfpScpi::parseLine(line)) {
        if (unit.error != sfpScpi::NoError) {
            pushError(state, unit.error);
            break;
        }
        const QByteArray response = run(client, state, unit);
        if (!response.isNull())
            responses.append(response);
    }
    // The responses of one line form one response message.
    return responses.isEmpty() ? QByteArray() : responses.join(';') + '\n';
}

void qx5170_remoteControl::lineTooLong(quint64 client)
{
    pushError(m_clients[client], sfpScpi::TooMuchData);
}

QByteArray qx5170_remoteControl::run(quint64 client, ClientState &state, const sfpScpi::Unit &unit)
{
    using Mode = qx5170_cardSession::Mode;
    switch (unit.command) {
    case Command::None:
        break;
    case Command::IdnQuery:
        return m_identity;
    case Command::Rst:
        reset();
        break;
    case Command::Cls:
        state.errors.clear();
        state.esr = 0;
        break;
    case Command::Ese:
        state.ese = unit.number;
        break;
    case Command::EseQuery:
        return number(state.ese);
    case Command::EsrQuery: {
        const int esr = state.esr;
        state.esr = 0;
        return number(esr);
    }
    case Command::Sre:
        // Bit 6 is the summary itself and cannot be enabled.
        state.sre = unit.number & ~MasterSummary;
        break;
    case Command::SreQuery:
        return number(state.sre);
    case Command::StbQuery:
        return number(statusByte(state));
    case Command::Opc:
        // Every command is complete when the next one is read.
        state.esr |= OperationComplete;
        break;
    case Command::OpcQuery:
        return QByteArrayLiteral("1");
    case Command::Wai:
        break;
    case Command::TstQuery:
        return QByteArrayLiteral("0");
    case Command::Trg:
        // The panel's Trigger button is disabled outside Sync. Trigger.
        if (m_card->mode() != Mode::SyncTrigger)
            pushError(state, sfpScpi::SettingsConflict);
        else
            m_card->trigger();
        break;
    case Command::Sav:
        save(state, unit.number);
        break;
    case Command::Rcl:
        recall(state, unit.number);
        break;
    case Command::RouteClose:
        closeRelays(state, unit.channels);
        break;
    case Command::RouteOpen:
        openRelays(unit.channels);
        break;
    case Command::RouteCloseQuery:
    case Command::RouteOpenQuery: {
        const bool closed = unit.command == Command::RouteCloseQuery;
        QByteArrayList answers;
        for (int channel : unit.channels)
            answers.append(flag(m_card->isClosed(channel) == closed));
        return answers.join(',');
    }
    case Command::RouteOpenAll:
        openAllRelays();
        break;
    case Command::RouteMode:
        m_card->selectMode(int(unit.mode));
        break;
    case Command::RouteModeQuery: {
        static const QByteArray names[] = {"ASYN", "COMM", "TRIG"};
        return names[m_card->mode()];
    }
    case Command::RouteUpdate:
        // The panel's Update button is disabled outside Sync. Command.
        if (m_card->mode() != Mode::SyncCommand)
            pushError(state, sfpScpi::SettingsConflict);
        else
            m_card->update();
        break;
    case Command::RouteExclusive:
        m_card->setExclusive(unit.flag);
        break;
    case Command::RouteExclusiveQuery:
        return flag(m_card->isExclusive());
    case Command::RouteSynchronizedQuery:
        return flag(m_card->isSynchronized());
    case Command::SystemErrorNextQuery: {
        if (state.errors.empty())
            return sfpScpi::errorString(sfpScpi::NoError);
        QByteArray entry = state.errors.front();
        state.errors.pop_front();
        return entry;
    }
    case Command::SystemVersionQuery:
        return QByteArrayLiteral("1999.0");
    case Command::SystemLocal:
        setLock(0);
        break;
    case Command::SystemRwLock:
        setLock(client);
        break;
    case Command::StatusOperationEventQuery:
    case Command::StatusQuestionableEventQuery:
        // Nothing of the card sets these events.
        return QByteArrayLiteral("0");
    case Command::StatusPreset:
        break;
    }
    return QByteArray();
}

void qx5170_remoteControl::closeRelays(ClientState &state, const QList<int> &channels)
{
    // Under the exclusive rule a list that closes both relays of a pair has
    // no answer the card can give: refused whole. One relay whose partner is
    // closed is a click: it closes, and the partner opens.
    if (m_card->isExclusive()) {
        for (int channel : channels) {
            const int partner = channel % 2 == 1 ? channel + 1 : channel - 1;
            if (channels.contains(partner)) {
                pushError(state, sfpScpi::SettingsConflict);
                return;
            }
        }
    }
    for (int channel : channels) {
        if (!m_card->isClosed(channel))
            m_card->switchRelay(channel, true);
    }
}

void qx5170_remoteControl::openAllRelays()
{
    // Only relays that change are switched.
    for (int relay = 1; relay <= qx5170_cardSession::relayCount; ++relay) {
        if (m_card->isClosed(relay))
            m_card->switchRelay(relay, false);
    }
}

void qx5170_remoteControl::openRelays(const QList<int> &channels)
{
    for (int channel : channels) {
        if (m_card->isClosed(channel))
            m_card->switchRelay(channel, false);
    }
}

void qx5170_remoteControl::reset()
{
    m_card->setExclusive(false);
    m_card->selectMode(qx5170_cardSession::Asynchronous);
    openAllRelays();
}

void qx5170_remoteControl::save(ClientState &state, int slot)
{
    qx5170_savedState saved;
    for (int relay = 1; relay <= qx5170_cardSession::relayCount; ++relay)
        saved.closed[size_t(relay - 1)] = m_card->isClosed(relay);
    saved.mode = m_card->mode();
    saved.exclusive = m_card->isExclusive();
    const QString path = qx5170_savedStates::fileName(m_stateFolder, slot);
    const QString reason = qx5170_savedStates::save(path, saved);
    if (!reason.isEmpty())
        pushDeviceError(
            state,
            QStringLiteral("state %1 could not be saved in %2: %3").arg(slot).arg(path, reason));
}

void qx5170_remoteControl::recall(ClientState &state, int slot)
{
    const QString path = qx5170_savedStates::fileName(m_stateFolder, slot);
    qx5170_savedState saved;
    QString reason;
    switch (qx5170_savedStates::load(path, &saved, &reason)) {
    case qx5170_savedStates::LoadResult::Empty:
        pushError(state, sfpScpi::IllegalParameterValue,
                  sfpScpi::errorString(sfpScpi::IllegalParameterValue).chopped(1)
                      + ";nothing saved as " + number(slot) + '"');
        return;
    case qx5170_savedStates::LoadResult::Damaged:
        pushDeviceError(
            state, QStringLiteral("state %1 in %2 cannot be read: %3").arg(slot).arg(path, reason));
        return;
    case qx5170_savedStates::LoadResult::Loaded:
        break;
    }

    // All 32 relays change at one update, so that the device under test
    // never sees an in-between combination: no rule and no mode of the old
    // state may switch anything on the way.
    m_card->setExclusive(false);
    m_card->selectMode(qx5170_cardSession::SyncCommand);
    for (int relay = 1; relay <= qx5170_cardSession::relayCount; ++relay) {
        const bool closed = saved.closed[size_t(relay - 1)];
        if (m_card->isClosed(relay) != closed)
            m_card->switchRelay(relay, closed);
    }
    m_card->update();
    // Nothing waits after the update: going back to Asynchronous needs no
    // second one.
    if (saved.mode != qx5170_cardSession::SyncCommand)
        m_card->selectMode(saved.mode, true);
    m_card->setExclusive(saved.exclusive);
}

void qx5170_remoteControl::setLock(quint64 owner)
{
    const bool wasLocked = isLocked();
    m_lockOwner = owner;
    if (wasLocked != isLocked())
        emit lockChanged(isLocked());
    emit infoChanged(infoText());
}

void qx5170_remoteControl::pushError(ClientState &state, int number, const QByteArray &entry)
{
    state.esr |= eventBitOf(number);
    if (state.errors.size() < errorQueueSize) {
        state.errors.push_back(entry);
        return;
    }
    // A full queue keeps its oldest entries; the newest says what was lost.
    state.errors.back() = sfpScpi::errorString(sfpScpi::QueueOverflow);
}

void qx5170_remoteControl::pushError(ClientState &state, int number)
{
    pushError(state, number, sfpScpi::errorString(number));
}

void qx5170_remoteControl::pushDeviceError(ClientState &state, const QString &text)
{
    pushError(state, sfpScpi::DeviceSpecificError,
              sfpScpi::errorString(sfpScpi::DeviceSpecificError).chopped(1) + ';' + quoted(text)
                  + '"');
}

int qx5170_remoteControl::statusByte(const ClientState &state)
{
    int stb = 0;
    if (!state.errors.empty())
        stb |= ErrorAvailable;
    if ((state.esr & state.ese) != 0)
        stb |= EventSummary;
    if ((stb & state.sre) != 0)
        stb |= MasterSummary;
    return stb;
}
