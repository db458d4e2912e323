// SPDX-FileCopyrightText: 2026 Tarvex
// SPDX-License-Identifier: MIT
// The SCPI remote control of the relay card, as the faces that start it see
// it: where it listens, which card it serves, what it tells the operator.
// The transports (the socket server, VXI-11, the port mapper) stay inside
// the remote control's room.
#pragma once

#include "accessrules.h"
#include "clienttimeouts.h"

#include <QByteArray>
#include <QHostAddress>
#include <QObject>
#include <QString>

#include <functional>
#include <memory>

namespace sfp {

class CardSession;
class RemoteCommands;

class RemoteControl final : public QObject
{
    Q_OBJECT
    Q_DISABLE_COPY_MOVE(RemoteControl)

public:
    // `identity` is the *IDN? answer; `stateFolder` holds the *SAV slots.
    RemoteControl(QByteArray identity, QString stateFolder, QObject *parent = nullptr);
    ~RemoteControl() override;

    // The *IDN? answer of a card: "Orbelan,5170,<card id>,<driver
    // revision>", the card id as sfp::cardId gives it (or "DEMO").
    static QByteArray identity(const QString &cardId, const QString &driverRevision);

    // Binds the address; clients are taken only after start(), which names
    // the card they drive. The card outlives the remote control.
    bool listen(const QHostAddress &address, quint16 port);
    QString errorString() const;
    // Also binds the VXI-11 channels to free ports of the address that
    // listen() bound. False, with vxi11ErrorString() saying why, when they
    // cannot be had; the socket still serves.
    bool listenVxi11();
    QString vxi11ErrorString() const;
    // The core channel's port, 0 when it does not listen.
    quint16 vxi11Port() const;
    // Registers the core channel with the system's port mapper, where
    // VXI-11 clients ask for it, without waiting: vxi11Registered() tells
    // how it went. The registration is withdrawn with the remote control.
    void registerVxi11();
    bool isVxi11Registered() const;
    // The address and port the socket listens on; the port bound, also
    // when listen() was asked for any free one (0).
    QHostAddress address() const;
    quint16 port() const;
    // How long silent and vanished clients are kept; before start().
    void setClientTimeouts(const ClientTimeouts &timeouts);
    // Who may connect beyond the loopback, to the socket and to VXI-11;
    // before start().
    void setAccess(const AccessRules &rules);
    void setIdentity(const QByteArray &identity);
    // The folder of the card's own slots (userFolders::cardFolder), known
    // once the panel is connected; set before start().
    void setStateFolder(const QString &folder);
    void start(CardSession *card);
    // Whether the operator is being asked something (a modal box is open):
    // commands wait meanwhile, in order.
    void setOperatorAsked(std::function<bool()> asked);

    // "Remote: 127.0.0.1:5025, 1 client", with ", locked" under
    // SYSTem:RWLock; VXI-11 links are clients too.
    QString infoText() const;
    bool isLocked() const;

signals:
    void infoChanged(const QString &text);
    // The operator's controls are locked (SYSTem:RWLock) or free again.
    void lockChanged(bool locked);
    // A client's line is about to run.
    void commandArriving();
    // Empty when the core channel is registered with the port mapper,
    // else why not.
    void vxi11Registered(const QString &why);
    // A socket client refused before it reached the card (all places
    // taken): its address and port, and why.
    void clientRefused(const QString &peer, const QString &why);
    // Of those, one whose address the access rules do not allow: the face
    // ("socket", "vxi11"), the address, and the SCPI error the client got
    // (0 for none).
    void clientNotAllowed(const QString &face, const QHostAddress &address, int error);

private:
    std::unique_ptr<RemoteCommands> m_commands;
};

} // namespace sfp
