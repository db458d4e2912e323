// SPDX-FileCopyrightText: 2026 Tarvex
// SPDX-License-Identifier: MIT
// Inside the remote control (remotecontrol.h): runs the commands of remote
// clients on the card session the panel drives, so that a script and the
// operator share the card and both see every change. Clients come over a
// plain socket (SCPI-RAW) or as links of the VXI-11 protocol; both kinds
// share the client limit and the lock. Only the remote control's room sees
// it, and through it the transports.
#pragma once

#include "cardscan.h"
#include "portmapperregistration.h"
#include "scpiclientstatus.h"
#include "scpiparser.h"
#include "scpiserver.h"
#include "vxi11server.h"

#include <QByteArray>
#include <QObject>
#include <QString>

#include <functional>
#include <map>
#include <memory>
#include <set>
#include <utility>

namespace sfp {

class CardSession;
class StatusReporter;
struct Refusal;

class RemoteCommands final : public QObject, private Vxi11Handler
{
    Q_OBJECT
    Q_DISABLE_COPY_MOVE(RemoteCommands)

public:
    // The error queue of each client holds this many entries, the last one
    // becoming -350 "Queue overflow" when more come.
    static constexpr size_t errorQueueSize = ScpiClientStatus::errorQueueSize;

    // `identity` is the *IDN? answer; `stateFolder` holds the *SAV slots.
    RemoteCommands(QByteArray identity, QString stateFolder, QObject *parent = nullptr);
    ~RemoteCommands() override;

    // Binds the address; clients are taken only after start(), which names
    // the card they drive. The card outlives the remote control.
    bool listen(const QHostAddress &address, quint16 port);
    QString errorString() const;
    // Also binds the VXI-11 channels to free ports of the address that
    // listen() bound. False, with vxi11ErrorString() saying why, when they
    // cannot be had; the socket still serves.
    bool listenVxi11();
    QString vxi11ErrorString() const { return m_vxi11.errorString(); }
    // The core channel's port, 0 when it does not listen.
    quint16 vxi11Port() const { return m_vxi11.port(); }
    // Registers the core channel with the system's port mapper, where
    // VXI-11 clients ask for it, without waiting: vxi11Registered() tells
    // how it went. The registration is withdrawn with the remote control.
    void registerVxi11();
    bool isVxi11Registered() const { return m_registration.isRegistered(); }
    // The address and port the socket listens on.
    QHostAddress address() const { return m_server.address(); }
    // How long silent and vanished clients are kept; before start().
    void setClientTimeouts(const ClientTimeouts &timeouts)
    {
        m_server.setClientTimeouts(timeouts);
        m_vxi11.setIdleTimeout(timeouts.idle);
    }
    // Who may connect, to the socket and to VXI-11; before start().
    void setAccess(const AccessRules &rules)
    {
        m_server.setAccess(rules);
        m_vxi11.setAccess(rules);
    }
    void setIdentity(const QByteArray &identity) { m_identity = identity; }
    // The folder of the card's own slots (userFolders::cardFolder), known
    // once the panel is connected; set before start().
    void setStateFolder(const QString &folder) { m_stateFolder = folder; }
    // The port bound, also when listen() was asked for any free one (0).
    quint16 port() const { return m_server.port(); }
    void start(CardSession *card);
    // Whether the operator is being asked something (a modal box is open):
    // commands wait meanwhile, in order.
    void setOperatorAsked(std::function<bool()> asked) { m_operatorAsked = std::move(asked); }

    // "Remote: 127.0.0.1:5025, 1 client", with ", locked" under
    // SYSTem:RWLock; VXI-11 links are clients too.
    QString infoText() const;
    bool isLocked() const { return m_lockOwner != 0; }

signals:
    void infoChanged(const QString &text);
    // A client refused before it reached the card: where from, and why.
    void clientRefused(const QString &peer, const QString &why);
    // Of those, one whose address the access rules do not allow: the face
    // ("socket", "vxi11"), the address, and the SCPI error the client got
    // (0 for none).
    void clientNotAllowed(const QString &face, const QHostAddress &address, int error);
    // The operator's controls are locked (SYSTem:RWLock) or free again.
    void lockChanged(bool locked);
    // A client's line is about to run.
    void commandArriving();
    // Empty when the core channel is registered with the port mapper,
    // else why not.
    void vxi11Registered(const QString &why);

private:
    class QueueReporter;
    class RunReporter;
    // A line that waits for the card's run to end, from the unit that
    // waits on, with the responses of the units before it.
    struct Held
    {
        QList<scpi::Unit> units;
        qsizetype next = 0;
        QByteArrayList responses;
    };

    bool isReady() const override;
    void clientJoined(quint64 client) override;
    void clientLeft(quint64 client) override;
    QByteArray execute(quint64 client, QByteArrayView line) override;
    void lineTooLong(quint64 client) override;
    int clientsElsewhere() const override { return m_vxi11.linkCount(); }
    bool hasRoomForClient() override
    {
        return clientCount() < ScpiServer::maxClients || m_server.dropSilentClient();
    }
    bool takeLock(quint64 client) override;
    bool releaseLock(quint64 client) override;
    bool isLockedByOther(quint64 client) const override
    {
        return m_lockOwner != 0 && m_lockOwner != client;
    }
    void clearErrors(quint64 client) override;
    bool isHeld(quint64 client) const override;
    QByteArray resume(quint64 client) override;
    void queryInterrupted(quint64 client) override;
    int statusByte(quint64 client, bool messageAvailable) override
    {
        return m_clients[client].statusByte(messageAvailable);
    }

    int clientCount() const { return m_server.clientCount() + m_vxi11.linkCount(); }
    // Who a client is in the switching log: "socket 127.0.0.1:40112",
    // "vxi11 127.0.0.1:40114 link 3".
    QString sourceName(quint64 client) const;
    // The same, made once per client: a client's address and link stay
    // what they were while it lasts, and making the text again for every
    // line cost as much as running a short one.
    const QString &sourceNameOf(quint64 client);
    // A VXI-11 link's name, "vxi11 127.0.0.1:40114 link 3".
    QString linkName(quint64 client) const;
    // STATus:QUEStionable's condition: whether a relay is worn.
    int questionableCondition() const;
    void updateQuestionable();

    // The unit's response, or a null array for a unit without one.
    QByteArray run(quint64 client, ScpiClientStatus &state, const scpi::Unit &unit);
    // Runs a line's units from where it was held, and holds it again at a
    // unit that waits for the card's run; the line's response message
    // once all have run.
    QByteArray runUnits(quint64 client, Held held);
    // The commands of scans and sequences (scancommands.cpp).
    QByteArray runScanCommand(quint64 client, ScpiClientStatus &state, const scpi::Unit &unit);
    // A run that started belongs to `client`, which hears of its end;
    // one refused is refused to it.
    void startRun(quint64 client, ScpiClientStatus &state, const Refusal &refusal);
    void followRun(CardScan *scan);
    void runProgressed();
    // STATus:OPERation's condition: whether the card scans, waits for a
    // trigger, runs a sequence.
    int operationCondition() const;
    void refuseLocked(ScpiClientStatus &state);
    // The one way a refusal of the card session reaches a client's queue:
    // -224 for a request that names nothing the card has, -221 for a rule
    // (recorded in the switching log with that error), -300 for what could
    // not be done, after `notDone` ("labels not changed").
    void refuse(ScpiClientStatus &state, const Refusal &refusal,
                const QString &notDone = QString());
    void save(ScpiClientStatus &state, int slot);
    void recall(ScpiClientStatus &state, int slot);
    void setLock(quint64 owner);

    CardSession *m_card = nullptr;
    QByteArray m_identity;
    QString m_stateFolder;
    ScpiServer m_server;
    Vxi11Server m_vxi11;
    PortMapperRegistration m_registration;
    std::map<quint64, ScpiClientStatus> m_clients;
    std::map<quint64, QString> m_sourceNames;
    quint64 m_lockOwner = 0;
    std::function<bool()> m_operatorAsked;
    std::map<quint64, Held> m_held;
    // Clients whose *OPC waits for the card's run to end.
    std::set<quint64> m_operationsWaiting;
    // The client that started the card's run, 0 for none (or one gone).
    quint64 m_runClient = 0;
    // Where a run's driver statuses go: the starting client's queue.
    std::unique_ptr<StatusReporter> m_runReporter;
};

} // namespace sfp
