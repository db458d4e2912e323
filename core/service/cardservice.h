// SPDX-FileCopyrightText: 2026 Tarvex
// SPDX-License-Identifier: MIT
// The card served to the network and kept on record, as every face of the
// program does it: the window's run and the headless server each connect
// the card their own way, then hand it here. What is worth saying goes to
// the face's own `Say`, which knows whether a person or a journal reads it.
#pragma once

#include "accessrules.h"
#include "fixture.h"
#include "relaywear.h"
#include "switchinglog.h"

#include <QElapsedTimer>
#include <QHostAddress>
#include <QObject>
#include <QSslConfiguration>
#include <QString>

#include <functional>
#include <memory>

namespace sfp {

class CardSession;
class NetworkAnnouncer;
class RemoteControl;
class WebFace;

class CardService final : public QObject
{
    Q_OBJECT
    Q_DISABLE_COPY_MOVE(CardService)

public:
    // How much a line matters, ranked as syslog ranks it.
    enum class Priority { Error = 3, Warning = 4, Notice = 5, Info = 6 };
    using Say = std::function<void(Priority, const QString &)>;

    explicit CardService(Say say, QObject *parent = nullptr);
    // Withdraws what stopServing() has not.
    ~CardService() override;

    // Reads the fixture at path, saying its warnings. False, with the
    // reason in `fault` (and said), when it cannot be used; a file that is
    // not there is no fixture (`found` stays false), unless it was named.
    // `localFault`, where given, gets the reason in the operator's language.
    static bool readFixture(const QString &path, bool named, const Say &say, Fixture *fixture,
                            bool *found, QString *fault, QString *localFault = nullptr);

    // Who may connect beyond the loopback (by default nobody), to every
    // face; before listen() and listenWeb().
    void setAccess(const AccessRules &rules) { m_access = rules; }

    // Binds the remote control's socket, and the VXI-11 channels where they
    // can be had; false, said, when the socket cannot be. Before anything
    // is connected, so that a port that cannot be had ends the program
    // while nothing depends on it.
    bool listen(const QHostAddress &address, quint16 port, int idleTimeoutSeconds);
    // Null until listen() succeeded, and after stopServing().
    RemoteControl *remote() const { return m_remote.get(); }
    // The web face's password hash and its certificate and key for HTTPS,
    // each empty when not given; false, said, when one cannot be used.
    // Before anything listens.
    bool readWebFiles(const QString &passwordFile, const QString &certificate, const QString &key);
    // Binds the web face's address (--http), said when it cannot be had;
    // like listen(), before anything is connected.
    bool listenWeb(const QHostAddress &address, quint16 port);
    // Null until listenWeb() succeeded, and after stopServing().
    WebFace *web() const { return m_web.get(); }

    // Counts the relays' wear on a card (not in demo mode) and keeps the
    // switching log unless told not to. Empty, or why the wear is not
    // counted (said too).
    QString keepRecords(CardSession *card, const QString &cardId, bool keepLog);
    RelayWear &wear() { return m_wear; }
    SwitchingLog &log() { return m_log; }

    // Clients are served once the card is known, and it is announced where
    // the network reaches it, once the port mapper has answered (or at
    // once, when only the web face listens).
    void serve(CardSession *card, const QString &cardId, const QString &driverRevision);
    // The announcement, the registration and the clients go, before the
    // card they drive.
    void stopServing();

    // A refused client is said at most once in this long, with how many
    // more were refused meanwhile: a flood of connections must not flood
    // the journal.
    static constexpr qint64 refusedLineIntervalMs = 10000;

private:
    // Beyond the loopback, who can reach a face now listening.
    void sayWhoReaches(const QString &face, const QHostAddress &address, quint16 port);
    void sayRefused(const QString &peer, const QString &why);
    // A client the access rules keep out, in the card's switching log.
    void logNotAllowed(const QString &face, const QHostAddress &address, int error);
    void announce(const QString &cardId, const QString &driverRevision, bool vxi11);
    // What the web face's pages say about the card and the other faces.
    void describeToWeb(const QString &cardId, const QString &driverRevision, bool vxi11);

    // A wrong password at the web face, said to the admin no more often
    // than one line a second.
    void sayPasswordRefused(const QString &peer, const QString &why);

    Say m_say;
    AccessRules m_access;
    CardSession *m_card = nullptr;
    QByteArray m_webPasswordHash;
    QSslConfiguration m_webTls;
    QElapsedTimer m_refusedSaid;
    int m_refusedNotSaid = 0;
    QElapsedTimer m_passwordRefusedSaid;
    int m_passwordRefusedNotSaid = 0;
    RelayWear m_wear;
    SwitchingLog m_log;
    std::unique_ptr<RemoteControl> m_remote;
    std::unique_ptr<WebFace> m_web;
    std::unique_ptr<NetworkAnnouncer> m_announcer;
};

} // namespace sfp
