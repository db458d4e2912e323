// SPDX-FileCopyrightText: 2026 Tarvex
// SPDX-License-Identifier: MIT
#include "webface.h"

#include "accessrules.h"
#include "cardscan.h"
#include "cardsession.h"
#include "endpoint.h"
#include "relays.h"
#include "relaywear.h"
#include "scpiparser.h"
#include "switchingmode.h"
#include "translation.h"
#include "webdocuments.h"
#include "webpassword.h"
#include "webserver.h"

#include <QFile>
#include <QHostInfo>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QMessageAuthenticationCode>
#include <QNetworkRequest>
#include <QRandomGenerator>
#include <QWebSocket>

#include <algorithm>
#include <optional>

namespace sfp {

namespace {

using Method = WebRequest::Method;

// How often the pages hear of a card that keeps changing: each change is
// sent at once, the next no sooner than this after it.
constexpr std::chrono::milliseconds broadcastGap {25};
// What a page may leave unread before it is sent only the latest state
// once it has caught up.
constexpr qint64 maxUnread = qint64(64) * 1024;
// How long a WebSocket refused at once is given to take its close.
constexpr std::chrono::seconds refusedCloseTime {5};
// What a page may send us: it sends nothing the face reads.
constexpr qint64 maxPageMessage = qint64(4) * 1024;

constexpr char jsonType[] = "application/json";
constexpr char textType[] = "text/plain; charset=utf-8";

WebReply reply(int status, const QByteArray &contentType, const QByteArray &body)
{
    WebReply answer;
    answer.status = status;
    answer.contentType = contentType;
    answer.body = body;
    return answer;
}

WebReply jsonReply(int status, const QJsonObject &object)
{
    return reply(status, jsonType, QJsonDocument(object).toJson(QJsonDocument::Compact) + '\n');
}

// An error in the shape every error of the face has: the reason in words
// and, where a script over SCPI would have had one, its error.
WebReply errorReply(int status, const QString &reason, const QByteArray &scpiError = {})
{
    QJsonObject body {{QStringLiteral("error"), reason}};
    if (!scpiError.isEmpty())
        body.insert(QStringLiteral("scpiError"), QString::fromUtf8(scpiError));
    return jsonReply(status, body);
}

WebReply notAllowed(const char *allow)
{
    WebReply answer = errorReply(405, QStringLiteral("this method is not taken here"));
    answer.addHeader("Allow", allow);
    return answer;
}

// The session's refusal in HTTP's words, recorded as the remote control
// records a broken rule.
WebReply refusalReply(CardSession *card, const Refusal &refusal, bool locked)
{
    switch (refusal.kind) {
    case Refusal::Kind::None:
        break;
    case Refusal::Kind::BadRequest:
        return errorReply(400, refusal.reason,
                          scpi::errorString(scpi::IllegalParameterValue, refusal.reason));
    case Refusal::Kind::BrokenRule:
        card->recordRefusal(0, refusal.reason, scpi::SettingsConflict);
        return errorReply(locked ? 423 : 409, refusal.reason,
                          scpi::errorString(scpi::SettingsConflict, refusal.reason));
    case Refusal::Kind::FileError:
        return errorReply(500, refusal.reason,
                          scpi::errorString(scpi::DeviceSpecificError, refusal.reason));
    }
    return jsonReply(200, {{QStringLiteral("done"), true}});
}

// Relay n from "/relay/n/value", 0 for another path, -1 for a number that
// names no relay.
int relayOfPath(const QString &path)
{
    static const QString prefix = QStringLiteral("/relay/");
    static const QString suffix = QStringLiteral("/value");
    if (!path.startsWith(prefix) || !path.endsWith(suffix)
        || path.size() <= prefix.size() + suffix.size())
        return 0;
    const QStringView number
        = QStringView(path).mid(prefix.size(), path.size() - prefix.size() - suffix.size());
    if (number.size() > 2
        || !std::all_of(number.begin(), number.end(), [](QChar c) { return c.isDigit(); }))
        return -1;
    const int relay = number.toInt();
    return relay >= 1 && relay <= relayCount ? relay : -1;
}

// The relays of a JSON array, each a whole number of the card; `field`
// names it in the error.
std::optional<QList<int>> relayList(const QJsonValue &value, const QString &field, QString *error)
{
    QList<int> relays;
    if (value.isUndefined())
        return relays;
    if (!value.isArray()) {
        *error = QStringLiteral("\"%1\" is an array of relay numbers").arg(field);
        return std::nullopt;
    }
    const QJsonArray array = value.toArray();
    for (const auto &item : array) {
        const double number = item.toDouble(-1);
        // The range first: a number beyond int's has no int to compare with.
        if (!item.isDouble() || number < 1 || number > relayCount
            || number != double(int(number))) {
            *error = QStringLiteral("\"%1\" holds relay numbers from 1 to %2")
                         .arg(field)
                         .arg(relayCount);
            return std::nullopt;
        }
        relays.append(int(number));
    }
    return relays;
}

// A JSON object body with only the `allowed` keys, or why not.
std::optional<QJsonObject> jsonBody(const WebRequest &request, const QStringList &allowed,
                                    WebReply *refusal)
{
    if (request.contentType != jsonType) {
        *refusal = errorReply(415, QStringLiteral("the body is application/json"));
        return std::nullopt;
    }
    QJsonParseError parseError;
    const QJsonDocument document = QJsonDocument::fromJson(request.body, &parseError);
    if (parseError.error != QJsonParseError::NoError || !document.isObject()) {
        *refusal = errorReply(400, QStringLiteral("the body is a JSON object"));
        return std::nullopt;
    }
    const QJsonObject object = document.object();
    for (auto it = object.begin(); it != object.end(); ++it) {
        if (!allowed.contains(it.key())) {
            *refusal = errorReply(400, QStringLiteral("unknown field \"%1\"").arg(it.key()));
            return std::nullopt;
        }
    }
    return object;
}

// A page in its reader's language says which, and that another reader's
// Accept-Language may get another page.
void addLanguageHeaders(WebReply *answer, const QString &language)
{
    answer->addHeader("Content-Language", language.toLatin1());
    answer->addHeader("Vary", "Accept-Language");
}

QString modeName(SwitchingMode mode)
{
    return QLatin1String(switchingModes::fileNames[size_t(mode)]);
}

// Whether a page of another site sent a request: a browser lets any page
// send one to any address (a WebSocket too), and says which site the page
// is from in `origin`; other clients send none.
bool fromOtherSite(const QByteArray &origin, const QByteArray &host)
{
    return !origin.isEmpty() && origin != "http://" + host && origin != "https://" + host;
}

// Who asks, in the switching log and to the lock: "web 127.0.0.1:40112",
// and the user's name where one was needed: "web 10.1.2.3:40112 alice".
QString sourceName(const WebRequest &request)
{
    QString name
        = QStringLiteral("web ") + endpointText(plainAddress(request.peer), request.peerPort);
    if (!request.user.isEmpty())
        name += QLatin1Char(' ') + request.user;
    return name;
}

// The longest user name kept of what a client gives.
constexpr qsizetype maxUserName = 64;

// A user name as the log and the lines for the admin may show it: its
// printable characters, no blanks, at most maxUserName of them.
QString cleanUserName(const QByteArray &given)
{
    QString name;
    const QString text = QString::fromUtf8(given);
    for (const QChar c : text) {
        if (name.size() >= maxUserName)
            break;
        if (c.isPrint() && !c.isSpace())
            name += c;
    }
    return name.isEmpty() ? QStringLiteral("-") : name;
}

// The user name and password of a "Basic" Authorization header; false
// when it holds none.
bool basicCredentials(const QByteArray &header, QByteArray *user, QByteArray *password)
{
    const QByteArray text = header.trimmed();
    const qsizetype blank = text.indexOf(' ');
    if (blank < 0 || text.left(blank).compare("basic", Qt::CaseInsensitive) != 0)
        return false;
    const auto decoded = QByteArray::fromBase64Encoding(text.mid(blank + 1).trimmed(),
                                                        QByteArray::AbortOnBase64DecodingErrors);
    const qsizetype colon = decoded.decoded.indexOf(':');
    if (!decoded || colon < 0)
        return false;
    *user = decoded.decoded.left(colon);
    *password = decoded.decoded.mid(colon + 1);
    return true;
}

const char noPasswordReason[]
    = "changes from beyond the loopback need a password, and the panel has none "
      "(--password-file): it is read-only here";
const char plainHttpReason[]
    = "the password is taken only over HTTPS: changes from beyond the loopback are refused "
      "over plain HTTP";

} // namespace

// A page that follows the card live.
struct WebFace::Viewer
{
    std::unique_ptr<QWebSocket> socket;
    // Bytes sent and not yet taken by the connection.
    qint64 unread = 0;
    // Whether the state changed while the page could not take it.
    bool behind = false;
};

WebFace::WebFace(QObject *parent)
    : QObject(parent)
    , m_server(std::make_unique<WebServer>(
          [this](const WebRequest &request) { return handle(request); },
          [this](std::unique_ptr<QWebSocket> socket) { join(std::move(socket)); }))
{
    connect(m_server.get(), &WebServer::clientRefused, this, &WebFace::clientRefused);
    connect(m_server.get(), &WebServer::notAllowed, this, [this](const QHostAddress &address) {
        emit clientNotAllowed(QStringLiteral("web"), address, 0);
    });
    m_broadcast.setSingleShot(true);
    connect(&m_broadcast, &QTimer::timeout, this, &WebFace::broadcast);
    m_clock.start();
    m_now = [this] { return m_clock.elapsed(); };
    m_passedKey.resize(32);
    QRandomGenerator::system()->generate(m_passedKey.begin(), m_passedKey.end());
}

WebFace::~WebFace()
{
    // A page's WebSocket says it is gone while it is destroyed with the
    // list of pages: the face must not hear it then.
    for (const auto &viewer : m_viewers)
        viewer->socket->disconnect(this);
}

void WebFace::setAccess(const AccessRules &rules)
{
    m_server->setAccess(rules);
}

void WebFace::setPasswordHash(const QByteArray &hash)
{
    m_passwordHash = hash;
    // What passed the old password does not pass the new one.
    m_passed.clear();
}

void WebFace::setTls(const QSslConfiguration &tls)
{
    m_server->setTls(tls);
}

bool WebFace::isSecure() const
{
    return m_server->isSecure();
}

bool WebFace::listen(const QHostAddress &address, quint16 port)
{
    return m_server->bindTo(address, port);
}

QString WebFace::errorString() const
{
    return m_server->errorString();
}

QHostAddress WebFace::address() const
{
    return m_server->address();
}

quint16 WebFace::port() const
{
    return m_server->port();
}

void WebFace::start(CardSession *card, RelayWear *wear, const WebCard &about)
{
    m_card = card;
    m_wear = wear;
    m_about = about;
    connect(card, &CardSession::relayChanged, this, &WebFace::cardChanged);
    connect(card, &CardSession::modeChanged, this, &WebFace::cardChanged);
    connect(card, &CardSession::exclusiveChanged, this, &WebFace::cardChanged);
    connect(card, &CardSession::synchronizedChanged, this, &WebFace::cardChanged);
    connect(card, &CardSession::labelsChanged, this, &WebFace::cardChanged);
    connect(card, &CardSession::wearChanged, this, &WebFace::cardChanged);
    connect(card->scan(), &CardScan::progressed, this, &WebFace::cardChanged);
}

void WebFace::cardChanged()
{
    m_stateStale = true;
    if (!m_viewers.empty())
        scheduleBroadcast();
}

WebReply WebFace::handle(const WebRequest &request)
{
    WebRequest admittedRequest = request;
    std::optional<WebReply> refused = admitted(request, &admittedRequest.user);
    WebReply answer = refused ? *refused
        : m_card              ? route(admittedRequest)
                              : errorReply(503, QStringLiteral("the card is not connected yet"));
    answer.addHeader("Cache-Control", "no-store");
    answer.addHeader("X-Content-Type-Options", "nosniff");
    return answer;
}

WebReply WebFace::route(const WebRequest &request)
{
    const QString &path = request.path;
    const bool get = request.method == Method::Get;
    const auto page = [&](const char *resource, const char *type) {
        if (!get)
            return notAllowed("GET");
        QFile file {QLatin1String(resource)};
        if (!file.open(QIODevice::ReadOnly))
            return errorReply(500, QStringLiteral("the page is missing from the program"));
        WebReply answer = reply(200, type, file.readAll());
        // Our own scripts and styles, and no one else's.
        answer.addHeader("Content-Security-Policy",
                         "default-src 'self'; connect-src 'self'; img-src 'self' data:; "
                         "frame-ancestors 'none'; base-uri 'none'; form-action 'none'");
        return answer;
    };

    if (path == QLatin1String("/"))
        return get ? welcomePage(request) : notAllowed("GET");
    if (path == QLatin1String("/lxi/identification"))
        return get ? identification(request) : notAllowed("GET");
    if (path == QLatin1String("/panel")) {
        // In the reader's language, as the welcome page.
        WebReply answer = page(":/web/panel.html", "text/html; charset=utf-8");
        if (answer.status == 200) {
            const QString language = translation::languageOf(request.acceptLanguage);
            answer.body = webDocuments::panelPage(answer.body, language);
            addLanguageHeaders(&answer, language);
        }
        return answer;
    }
    if (path == QLatin1String("/panel.css"))
        return page(":/web/panel.css", "text/css; charset=utf-8");
    if (path == QLatin1String("/panel.js"))
        return page(":/web/panel.js", "text/javascript; charset=utf-8");
    if (path == QLatin1String("/api/card")) {
        if (!get)
            return notAllowed("GET");
        QJsonObject card = cardObject();
        // The page shows its controls as read-only, and why.
        if (const QString why = readOnlyReason(request); !why.isEmpty())
            card.insert(QStringLiteral("readOnly"), why);
        return jsonReply(200, card);
    }
    if (path == QLatin1String("/api/events")) {
        if (!get)
            return notAllowed("GET");
        WebReply answer = errorReply(426, QStringLiteral("the card's changes come over WebSocket"));
        answer.addHeader("Upgrade", "websocket");
        return answer;
    }
    if (path == QLatin1String("/api/relays"))
        return request.method == Method::Post ? changeRelays(request) : notAllowed("POST");
    if (path == QLatin1String("/api/mode"))
        return request.method == Method::Put ? changeMode(request) : notAllowed("PUT");
    if (path == QLatin1String("/api/exclusive"))
        return request.method == Method::Put ? changeExclusive(request) : notAllowed("PUT");
    if (path == QLatin1String("/api/update"))
        return request.method == Method::Post ? apply(request, "update") : notAllowed("POST");
    if (path == QLatin1String("/api/trigger"))
        return request.method == Method::Post ? apply(request, "trigger") : notAllowed("POST");
    if (const int relay = relayOfPath(path); relay != 0) {
        if (relay < 0)
            return errorReply(404, QStringLiteral("the card has relays 1 to %1").arg(relayCount));
        if (get || request.method == Method::Put)
            return relayValue(request, relay);
        return notAllowed("GET, PUT");
    }
    return errorReply(404, QStringLiteral("there is nothing at this address"));
}

QString WebFace::readOnlyReason(const WebRequest &request) const
{
    if (plainAddress(request.peer).isLoopback())
        return {};
    if (m_passwordHash.isEmpty())
        return QLatin1String(noPasswordReason);
    if (!request.secure)
        return QLatin1String(plainHttpReason);
    return {};
}

std::optional<WebReply> WebFace::admitted(const WebRequest &request, QString *user)
{
    // The local user may do at the page what the window lets them do.
    const QHostAddress peer = plainAddress(request.peer);
    if (peer.isLoopback())
        return std::nullopt;
    const qint64 now = m_now();
    if (std::optional<WebReply> blocked = blockedReply(peer, now))
        return blocked;
    // HEAD comes as GET: neither changes the card.
    if (request.method == Method::Get)
        return std::nullopt;
    if (const QString why = readOnlyReason(request); !why.isEmpty())
        return errorReply(403, why);
    const auto unauthorized = [](const QString &why) {
        WebReply answer = errorReply(401, why);
        answer.addHeader("WWW-Authenticate", R"(Basic realm="qx5170fp", charset="UTF-8")");
        return answer;
    };
    QByteArray name;
    QByteArray password;
    if (!basicCredentials(request.authorization, &name, &password))
        return unauthorized(
            QStringLiteral("changes from beyond the loopback need the panel's password"));
    if (!passwordGiven(name, password, now)) {
        countFailure(peer, now);
        const QString why
            = QStringLiteral("a wrong password for the user %1").arg(cleanUserName(name));
        emit passwordRefused(endpointText(peer, request.peerPort), why);
        // On record with the card's changes, by address: one who guesses
        // again and again is one stream of refusals there.
        if (m_card != nullptr) {
            const CardSession::Source source(m_card, QStringLiteral("web ") + peer.toString());
            m_card->recordRefusal(0, why, 0);
        }
        return unauthorized(QStringLiteral("the password is wrong"));
    }
    *user = cleanUserName(name);
    return std::nullopt;
}

std::optional<WebReply> WebFace::blockedReply(const QHostAddress &peer, qint64 now) const
{
    const auto found = m_failures.find(peer.toString());
    if (found == m_failures.end() || found->second.blockedUntil <= now)
        return std::nullopt;
    WebReply answer = errorReply(
        429, QStringLiteral("too many wrong passwords from this address: try again later"));
    answer.addHeader("Retry-After",
                     QByteArray::number((found->second.blockedUntil - now + 999) / 1000));
    return answer;
}

bool WebFace::passwordGiven(const QByteArray &user, const QByteArray &password, qint64 now)
{
    // Keyed with this process's own secret, so that the digests kept say
    // nothing of the password to anyone who reads the memory's copy of
    // them alone.
    const QByteArray digest = QMessageAuthenticationCode::hash(user + ':' + password, m_passedKey,
                                                               QCryptographicHash::Sha256);
    m_passed.erase(std::remove_if(m_passed.begin(), m_passed.end(),
                                  [now](const Passed &each) {
                                      return now - each.since >= passedTime.count();
                                  }),
                   m_passed.end());
    bool known = false;
    for (const Passed &each : m_passed)
        known = webPassword::constantTimeEquals(each.digest, digest) || known;
    if (known)
        return true;
    if (!webPassword::matches(password, m_passwordHash))
        return false;
    if (int(m_passed.size()) >= maxPassed)
        m_passed.erase(m_passed.begin());
    m_passed.push_back({digest, now});
    return true;
}

void WebFace::countFailure(const QHostAddress &peer, qint64 now)
{
    const QString key = peer.toString();
    auto found = m_failures.find(key);
    if (found == m_failures.end()) {
        // A client with many addresses cannot grow the table: the address
        // quiet for longest is forgotten.
        if (int(m_failures.size()) >= maxFailingAddresses) {
            const auto quietest = std::min_element(
                m_failures.begin(), m_failures.end(), [](const auto &a, const auto &b) {
                    return a.second.times[size_t(a.second.count - 1)]
                        < b.second.times[size_t(b.second.count - 1)];
                });
            m_failures.erase(quietest);
        }
        found = m_failures.emplace(key, Failures {}).first;
    }
    Failures &failures = found->second;
    if (failures.count == maxFailures) {
        std::rotate(failures.times.begin(), failures.times.begin() + 1, failures.times.end());
        --failures.count;
    }
    failures.times[size_t(failures.count++)] = now;
    if (failures.count == maxFailures && now - failures.times[0] < failureWindow.count())
        failures.blockedUntil = now + blockTime.count();
}

std::optional<WebReply> WebFace::refusedChange(const WebRequest &request) const
{
    // A page of another site may send a browser's request here, but not
    // change the card with it.
    if (fromOtherSite(request.origin, request.host))
        return errorReply(403, QStringLiteral("a change from another site's page is refused"));
    if ((m_operatorAsked && m_operatorAsked()) || m_card->isBusy()) {
        WebReply answer = errorReply(
            503, QStringLiteral("the operator is being asked something at the panel; try again"));
        answer.addHeader("Retry-After", "1");
        return answer;
    }
    return std::nullopt;
}

// The value alone, no line end: labgrid's rest model compares the text
// with "1" as it is.
WebReply WebFace::relayValue(const WebRequest &request, int relay)
{
    // The bare digit: labgrid's rest power model takes the body for the
    // state only when it is exactly "1".
    if (request.method == Method::Get)
        return reply(200, textType, m_card->isClosed(relay) ? "1" : "0");
    const QByteArray value = request.body.trimmed();
    if (value != "0" && value != "1")
        return errorReply(400, QStringLiteral("the value is 0 (open) or 1 (closed)"));
    if (std::optional<WebReply> refused = refusedChange(request))
        return *refused;
    const CardSession::Source source(m_card, sourceName(request));
    const bool locked = !m_card->lockRefusal().isNone();
    const Refusal refusal
        = value == "1" ? m_card->closeRelays({relay}) : m_card->openRelays({relay});
    if (!refusal.isNone())
        return refusalReply(m_card, refusal, locked);
    return reply(200, textType, m_card->isClosed(relay) ? "1" : "0");
}

WebReply WebFace::changeRelays(const WebRequest &request)
{
    WebReply refused;
    const std::optional<QJsonObject> body = jsonBody(
        request, {QStringLiteral("close"), QStringLiteral("open"), QStringLiteral("openAll")},
        &refused);
    if (!body)
        return refused;
    QString error;
    const std::optional<QList<int>> toClose
        = relayList(body->value(QStringLiteral("close")), QStringLiteral("close"), &error);
    const std::optional<QList<int>> toOpen = toClose
        ? relayList(body->value(QStringLiteral("open")), QStringLiteral("open"), &error)
        : std::nullopt;
    const QJsonValue openAll = body->value(QStringLiteral("openAll"));
    if (!toClose || !toOpen)
        return errorReply(400, error);
    if (!openAll.isUndefined() && !openAll.isBool())
        return errorReply(400, QStringLiteral("\"openAll\" is true or false"));
    for (int relay : *toOpen) {
        if (toClose->contains(relay))
            return errorReply(400, QStringLiteral("relay %1 is both opened and closed").arg(relay));
    }
    if (std::optional<WebReply> refusedChange = this->refusedChange(request))
        return *refusedChange;
    const CardSession::Source source(m_card, sourceName(request));
    const bool locked = !m_card->lockRefusal().isNone();
    // One whole change, judged whole before any relay moves: the relays
    // that open go first, so that what closes never meets them.
    const Refusal refusal = !toClose->isEmpty() || openAll.toBool()
        ? m_card->closeRelays(*toClose, openAll.toBool(), *toOpen)
        : m_card->openRelays(*toOpen);
    if (!refusal.isNone())
        return refusalReply(m_card, refusal, locked);
    return jsonReply(200, cardObject());
}

WebReply WebFace::changeMode(const WebRequest &request)
{
    WebReply refused;
    const std::optional<QJsonObject> body = jsonBody(request, {QStringLiteral("mode")}, &refused);
    if (!body)
        return refused;
    const QString name = body->value(QStringLiteral("mode")).toString();
    const auto *const found
        = std::find_if(switchingModes::fileNames.begin(), switchingModes::fileNames.end(),
                       [&name](const char *mode) { return name == QLatin1String(mode); });
    if (found == switchingModes::fileNames.end())
        return errorReply(400,
                          QStringLiteral("\"mode\" is asynchronous, sync-command or "
                                         "sync-trigger"));
    if (std::optional<WebReply> refusedChange = this->refusedChange(request))
        return *refusedChange;
    const CardSession::Source source(m_card, sourceName(request));
    if (const Refusal locked = m_card->lockRefusal(); !locked.isNone())
        return refusalReply(m_card, locked, true);
    m_card->selectMode(SwitchingMode(found - switchingModes::fileNames.begin()));
    return jsonReply(200, cardObject());
}

WebReply WebFace::changeExclusive(const WebRequest &request)
{
    WebReply refused;
    const std::optional<QJsonObject> body
        = jsonBody(request, {QStringLiteral("exclusive")}, &refused);
    if (!body)
        return refused;
    const QJsonValue on = body->value(QStringLiteral("exclusive"));
    if (!on.isBool())
        return errorReply(400, QStringLiteral("\"exclusive\" is true or false"));
    if (std::optional<WebReply> refusedChange = this->refusedChange(request))
        return *refusedChange;
    const CardSession::Source source(m_card, sourceName(request));
    if (const Refusal locked = m_card->lockRefusal(); !locked.isNone())
        return refusalReply(m_card, locked, true);
    m_card->setExclusive(on.toBool());
    return jsonReply(200, cardObject());
}

WebReply WebFace::apply(const WebRequest &request, const char *what)
{
    if (!request.body.isEmpty() && request.body.trimmed() != "{}")
        return errorReply(400, QStringLiteral("an %1 takes no body").arg(QLatin1String(what)));
    if (std::optional<WebReply> refused = refusedChange(request))
        return *refused;
    const CardSession::Source source(m_card, sourceName(request));
    const bool locked = !m_card->lockRefusal().isNone();
    const Refusal refusal
        = qstrcmp(what, "update") == 0 ? m_card->requestUpdate() : m_card->requestTrigger();
    if (!refusal.isNone())
        return refusalReply(m_card, refusal, locked);
    return jsonReply(200, cardObject());
}

QJsonObject WebFace::cardObject() const
{
    webDocuments::Instrument instrument;
    webDocuments::splitIdentity(m_about.identity, &instrument);
    QJsonArray relays;
    const Fixture &fixture = m_card->fixture();
    for (int relay = 1; relay <= relayCount; ++relay) {
        QJsonObject entry {
            {QStringLiteral("relay"), relay},
            {QStringLiteral("pair"), pairOf(relay) + 1},
            {QStringLiteral("side"), relay % 2 == 1 ? QStringLiteral("A") : QStringLiteral("B")},
            {QStringLiteral("closed"), m_card->isClosed(relay)},
            {QStringLiteral("label"), m_card->label(relay)},
        };
        if (m_wear && m_wear->isOpen()) {
            entry.insert(QStringLiteral("closings"), double(m_wear->cycles(relay)));
            static const char *const levels[] = {"fresh", "warning", "worn"};
            entry.insert(QStringLiteral("wear"),
                         QLatin1String(levels[int(m_wear->level(relay, fixture))]));
        }
        relays.append(entry);
    }
    QJsonArray waiting;
    for (int relay : m_card->waitingRelays())
        waiting.append(relay);
    QJsonArray rules;
    for (const FixtureRule &rule : fixture.rules) {
        QJsonArray ruleRelays;
        for (int relay : rule.relays)
            ruleRelays.append(relay);
        rules.append(QJsonObject {
            {QStringLiteral("name"), rule.name},
            {QStringLiteral("kind"),
             rule.kind == FixtureRule::Kind::Mutual ? QStringLiteral("mutual")
                                                    : QStringLiteral("forbidden")},
            {QStringLiteral("relays"), ruleRelays},
        });
    }
    QJsonObject card {
        {QStringLiteral("manufacturer"), instrument.manufacturer},
        {QStringLiteral("model"), instrument.model},
        {QStringLiteral("card"), instrument.serialNumber},
        {QStringLiteral("demo"), m_card->isDemo()},
        {QStringLiteral("description"), fixture.description},
        {QStringLiteral("mode"), modeName(m_card->mode())},
        {QStringLiteral("modeTitle"),
         QLatin1String(switchingModes::titles[size_t(m_card->mode())])},
        {QStringLiteral("exclusive"), m_card->isExclusive()},
        {QStringLiteral("synchronized"), m_card->isSynchronized()},
        {QStringLiteral("waiting"), waiting},
        {QStringLiteral("lockHolder"), m_card->lockHolder()},
        {QStringLiteral("relays"), relays},
        {QStringLiteral("rules"), rules},
    };
    // Only while the card runs a scan or a sequence, so that the document
    // of a card that runs none is what it always was.
    if (const CardScan *scan = m_card->scan(); scan->isRunning()) {
        QJsonObject run {
            {QStringLiteral("step"), scan->step()},
            {QStringLiteral("starter"), scan->starter()},
        };
        if (scan->isScanning()) {
            run.insert(QStringLiteral("sweep"), scan->sweep());
            run.insert(QStringLiteral("waitingForTrigger"), scan->isWaitingForTrigger());
        } else {
            run.insert(QStringLiteral("sequence"), scan->sequenceName());
        }
        card.insert(QStringLiteral("run"), run);
    }
    return card;
}

webDocuments::Instrument WebFace::instrumentFor(const WebRequest &request) const
{
    webDocuments::Instrument instrument;
    webDocuments::splitIdentity(m_about.identity, &instrument);
    instrument.demo = m_card->isDemo();
    if (instrument.demo)
        instrument.userDescription = QLatin1String(webDocuments::demoDescription);
    else
        instrument.userDescription = m_card->fixture().description;
    instrument.driverRevision = m_about.driverRevision;
    instrument.commonRevision = m_about.commonRevision;
    instrument.programVersion = m_about.programVersion;
    instrument.simulated = m_about.simulated;
    instrument.libraryOrigin = m_about.libraryOrigin;
    instrument.hostName = QHostInfo::localHostName();
    const QHostAddress local = plainAddress(request.local);
    instrument.address = local.toString();
    instrument.ipv6 = local.protocol() == QAbstractSocket::IPv6Protocol;
    instrument.urlHost = instrument.ipv6 ? QLatin1Char('[') + instrument.address + QLatin1Char(']')
                                         : instrument.address;
    instrument.webPort = request.localPort;
    // The other faces, where they listen on the address this request came
    // to.
    const QHostAddress socketAddress = plainAddress(m_about.socketAddress);
    const bool reachable = m_about.socketPort != 0
        && (socketAddress == local || socketAddress == QHostAddress::Any
            || socketAddress == QHostAddress::AnyIPv4 || socketAddress == QHostAddress::AnyIPv6);
    if (reachable && m_about.vxi11)
        instrument.addressStrings.append(
            QStringLiteral("TCPIP::%1::INSTR").arg(instrument.address));
    if (reachable)
        instrument.addressStrings.append(QStringLiteral("TCPIP::%1::%2::SOCKET")
                                             .arg(instrument.address)
                                             .arg(m_about.socketPort));
    return instrument;
}

WebReply WebFace::welcomePage(const WebRequest &request) const
{
    const QString language = translation::languageOf(request.acceptLanguage);
    WebReply answer = reply(200, "text/html; charset=utf-8",
                            webDocuments::welcomePage(instrumentFor(request), language));
    answer.addHeader("Content-Security-Policy",
                     "default-src 'self'; frame-ancestors 'none'; base-uri 'none'");
    addLanguageHeaders(&answer, language);
    return answer;
}

WebReply WebFace::identification(const WebRequest &request) const
{
    return reply(200, "text/xml; charset=utf-8",
                 webDocuments::identification(instrumentFor(request)));
}

void WebFace::join(std::unique_ptr<QWebSocket> socket)
{
    if (!m_card || socket->requestUrl().path() != QLatin1String("/api/events")
        || blockedReply(plainAddress(socket->peerAddress()), m_now())
        || fromOtherSite(socket->origin().toUtf8(), socket->request().rawHeader("Host"))) {
        // Closed from the event loop, as Qt's WebSocket server is still
        // reading the handshake's connection when it hands the socket over;
        // kept until the client has taken the close, or has had time
        // enough to, so that the handshake's answer goes out whole.
        QWebSocket *refused = socket.release();
        refused->setParent(this);
        connect(refused, &QWebSocket::disconnected, refused, &QObject::deleteLater);
        QTimer::singleShot(refusedCloseTime, refused, &QObject::deleteLater);
        QMetaObject::invokeMethod(
            refused,
            [refused] {
                refused->close(QWebSocketProtocol::CloseCodePolicyViolated,
                               QStringLiteral("nothing is sent here"));
            },
            Qt::QueuedConnection);
        return;
    }
    auto viewer = std::make_unique<Viewer>();
    viewer->socket = std::move(socket);
    QWebSocket *webSocket = viewer->socket.get();
    webSocket->setMaxAllowedIncomingMessageSize(maxPageMessage);
    webSocket->setMaxAllowedIncomingFrameSize(maxPageMessage);
    Viewer *raw = viewer.get();
    connect(webSocket, &QWebSocket::bytesWritten, this, [this, raw](qint64 written) {
        raw->unread = std::max<qint64>(0, raw->unread - written);
        if (raw->behind && raw->unread < maxUnread / 4)
            send(*raw);
    });
    connect(webSocket, &QWebSocket::disconnected, this, [this, raw] {
        const auto found = std::find_if(m_viewers.begin(), m_viewers.end(),
                                        [raw](const auto &each) { return each.get() == raw; });
        if (found != m_viewers.end()) {
            (*found)->socket.release()->deleteLater();
            m_viewers.erase(found);
        }
    });
    m_viewers.push_back(std::move(viewer));
    send(*raw);
}

void WebFace::scheduleBroadcast()
{
    if (m_broadcast.isActive())
        return;
    const auto since = std::chrono::milliseconds(
        m_sinceBroadcast.isValid() ? m_sinceBroadcast.elapsed() : broadcastGap.count());
    m_broadcast.start(std::max(std::chrono::milliseconds(0), broadcastGap - since));
}

void WebFace::broadcast()
{
    m_sinceBroadcast.start();
    for (const auto &viewer : m_viewers)
        send(*viewer);
}

void WebFace::send(Viewer &viewer)
{
    if (viewer.unread > maxUnread) {
        viewer.behind = true;
        return;
    }
    if (m_stateStale) {
        m_state = QJsonDocument(cardObject()).toJson(QJsonDocument::Compact);
        m_stateStale = false;
    }
    viewer.behind = false;
    viewer.unread += viewer.socket->sendTextMessage(QString::fromUtf8(m_state));
}

} // namespace sfp
