// SPDX-FileCopyrightText: 2026 Tarvex
// SPDX-License-Identifier: MIT
// The card in a browser and to HTTP clients: the LXI welcome page and
// identification document, a live front panel, REST for scripts and
// labgrid and a JSON API for the whole card. Every change goes through the
// card session as any client's does, under the name "web <address>:<port>";
// the face only says the session's answer in HTTP's words. Live updates go
// to the panel pages over WebSocket, no more often than a page can follow.
#pragma once

#include "webdocuments.h"
#include "webrequest.h"

#include <QByteArray>
#include <QElapsedTimer>
#include <QHostAddress>
#include <QObject>
#include <QSslConfiguration>
#include <QString>
#include <QTimer>

#include <array>
#include <chrono>
#include <functional>
#include <map>
#include <memory>
#include <optional>
#include <vector>

QT_BEGIN_NAMESPACE
class QJsonObject;
class QWebSocket;
QT_END_NAMESPACE

namespace sfp {

class AccessRules;
class CardSession;
class RelayWear;
class WebServer;

// What the pages say about the card and the other ways to it.
struct WebCard
{
    QByteArray identity; // the *IDN? answer: its four fields are the document's
    QString driverRevision;
    QString commonRevision;
    QString programVersion;
    // Which libraries drive the card: the simulated platform's, or the
    // vendor's from `libraryOrigin`; the welcome page says it in words.
    bool simulated = false;
    QString libraryOrigin;
    // Where the socket listens (port 0: it does not) and whether VXI-11
    // clients find the card through the port mapper.
    QHostAddress socketAddress;
    quint16 socketPort = 0;
    bool vxi11 = false;
};

class WebFace final : public QObject
{
    Q_OBJECT
    Q_DISABLE_COPY_MOVE(WebFace)

public:
    explicit WebFace(QObject *parent = nullptr);
    ~WebFace() override;

    // Changes from beyond the loopback: with failures this many within
    // failureWindow from one address, it is turned away for blockTime.
    static constexpr int maxFailures = 5;
    static constexpr std::chrono::milliseconds failureWindow {60000};
    static constexpr std::chrono::milliseconds blockTime {60000};
    // Addresses whose failures are kept; beyond, the longest quiet goes.
    static constexpr int maxFailingAddresses = 1024;
    // Credentials that passed, kept this long so that each click does not
    // pay the hash again.
    static constexpr std::chrono::milliseconds passedTime {60000};
    static constexpr int maxPassed = 32;

    // Serve HTTPS with this set-up; before listen().
    void setTls(const QSslConfiguration &tls);
    bool isSecure() const;
    // The hash of the password that changes from beyond the loopback
    // need; empty: such changes are refused.
    void setPasswordHash(const QByteArray &hash);
    // The face's clock, in milliseconds that only grow: for the tests.
    void setClock(std::function<qint64()> now) { m_now = std::move(now); }

    // Binds the address; requests are answered only after start().
    bool listen(const QHostAddress &address, quint16 port);
    // Who may connect (by default the loopback only).
    void setAccess(const AccessRules &rules);
    QString errorString() const;
    QHostAddress address() const;
    quint16 port() const;

    // The card the face drives, outliving it; `wear` may be null (demo
    // mode, or wear not counted).
    void start(CardSession *card, RelayWear *wear, const WebCard &about);
    void setCard(const WebCard &about) { m_about = about; }
    // Whether the operator is being asked something (a modal box is open):
    // changes are refused meanwhile, as the operator's answer may change
    // the card.
    void setOperatorAsked(std::function<bool()> asked) { m_operatorAsked = std::move(asked); }
    // Something the pages show changed outside the card session (the
    // remote lock).
    void cardChanged();

    // The routes, without the server: for the server and the tests.
    WebReply handle(const WebRequest &request);

    // How many pages follow the card live.
    int viewerCount() const { return int(m_viewers.size()); }

signals:
    void clientRefused(const QString &peer, const QString &why);
    // Of those, one whose address the access rules do not allow: the face
    // ("web"), the address, and the SCPI error the client got (none).
    void clientNotAllowed(const QString &face, const QHostAddress &address, int error);
    // A change refused for a wrong password: where from, and for whom.
    void passwordRefused(const QString &peer, const QString &why);

private:
    struct Viewer;
    struct Failures
    {
        // The latest failures' times, oldest first.
        std::array<qint64, maxFailures> times {};
        int count = 0;
        qint64 blockedUntil = 0;
    };
    struct Passed
    {
        QByteArray digest;
        qint64 since = 0;
    };

    // Whether the request may go on: nothing for one that may (`user`
    // set to the name it gave, when it gave one), else the answer.
    std::optional<WebReply> admitted(const WebRequest &request, QString *user);
    std::optional<WebReply> blockedReply(const QHostAddress &peer, qint64 now) const;
    bool passwordGiven(const QByteArray &user, const QByteArray &password, qint64 now);
    void countFailure(const QHostAddress &peer, qint64 now);
    // Why a change from `request` would be refused for who sends it.
    QString readOnlyReason(const WebRequest &request) const;

    WebReply route(const WebRequest &request);
    WebReply welcomePage(const WebRequest &request) const;
    WebReply identification(const WebRequest &request) const;
    WebReply relayValue(const WebRequest &request, int relay);
    WebReply changeRelays(const WebRequest &request);
    WebReply changeMode(const WebRequest &request);
    WebReply changeExclusive(const WebRequest &request);
    WebReply apply(const WebRequest &request, const char *what);
    // A change from `request` refused before it reached the card: the
    // lock, the operator's question, a request from another site.
    std::optional<WebReply> refusedChange(const WebRequest &request) const;
    QJsonObject cardObject() const;
    // The instrument as a request that came in at its local address sees it.
    webDocuments::Instrument instrumentFor(const WebRequest &request) const;

    void join(std::unique_ptr<QWebSocket> socket);
    void scheduleBroadcast();
    void broadcast();
    void send(Viewer &viewer);

    std::unique_ptr<WebServer> m_server;
    CardSession *m_card = nullptr;
    RelayWear *m_wear = nullptr;
    WebCard m_about;
    std::function<bool()> m_operatorAsked;
    std::vector<std::unique_ptr<Viewer>> m_viewers;
    // The card's state as the pages have it, made again after a change.
    QByteArray m_state;
    bool m_stateStale = true;
    QTimer m_broadcast;
    QElapsedTimer m_sinceBroadcast;
    QByteArray m_passwordHash;
    QElapsedTimer m_clock;
    std::function<qint64()> m_now;
    // By address, as text.
    std::map<QString, Failures> m_failures;
    std::vector<Passed> m_passed;
    // The key of the passed credentials' digests, new in each process.
    QByteArray m_passedKey;
};

} // namespace sfp
