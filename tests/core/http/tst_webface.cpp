// SPDX-FileCopyrightText: 2026 Tarvex
// SPDX-License-Identifier: MIT
// The web face: its routes and the card session's answers in HTTP's words,
// the documents about the instrument, and the server around them (live
// pages, requests too large, connections beyond the limit). Browsers,
// labgrid and hostile clients drive the real program in e2e_web.
#include "cardscan.h"
#include "cardsession.h"
#include "sfpcoretest.h"
#include "switchinglog.h"
#include "translation.h"
#include "webface.h"
#include "webpassword.h"
#include "webserver.h"
#include "webtls.h"

#include <QFile>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QProcess>
#include <QRegularExpression>
#include <QSignalSpy>
#include <QSslSocket>
#include <QTcpSocket>
#include <QTemporaryDir>
#include <QTest>
#include <QWebSocket>

#include <arpa/inet.h>
#include <netinet/in.h>
#include <sys/socket.h>
#include <unistd.h>

#include <algorithm>
#include <crypt.h>
#include <memory>

using sfp::WebReply;
using sfp::WebRequest;

Q_DECLARE_METATYPE(WebRequest::Method)

class tst_WebFace : public QObject
{
    Q_OBJECT

private slots:
    void init();
    void cleanup();
    void routes_data();
    void routes();
    void changesGoThroughTheSession();
    void documentsAboutTheInstrument();
    void pagesInTheReadersLanguage_data();
    void pagesInTheReadersLanguage();
    void livePagesAndLimits();
    void changesBeyondTheLoopback_data();
    void changesBeyondTheLoopback();
    void wrongPasswordsAreLimited();
    void constantTimeEquals_data();
    void constantTimeEquals();
    void passwordFiles();
    void httpsAndItsFiles();

private:
    // A change from beyond the loopback, as a test's client sends it.
    WebReply askFrom(const QString &peer, WebRequest::Method method, const QString &path,
                     const QByteArray &authorization, bool secure = true);
    static QByteArray basic(const QByteArray &user, const QByteArray &password)
    {
        return "Basic " + (user + ':' + password).toBase64();
    }
    static QByteArray passwordHash()
    {
        // Made once: yescrypt takes its time on purpose.
        static const QByteArray hash = [] {
            QString why;
            return sfp::webPassword::newHash("correct horse", &why);
        }();
        return hash;
    }
    WebReply ask(WebRequest::Method method, const QString &path, const QByteArray &body = {},
                 const QByteArray &contentType = "application/json", const QByteArray &origin = {},
                 const QByteArray &acceptLanguage = {});
    static QJsonObject json(const WebReply &reply)
    {
        return QJsonDocument::fromJson(reply.body).object();
    }
    static QByteArray header(const WebReply &reply, const QByteArray &name)
    {
        for (const auto &[key, value] : reply.headers) {
            if (key == name)
                return value;
        }
        return {};
    }

    std::unique_ptr<sfp::CardSession> m_card;
    std::unique_ptr<sfp::SwitchingLog> m_log;
    std::unique_ptr<sfp::WebFace> m_face;
};

void tst_WebFace::init()
{
    m_card = std::make_unique<sfp::CardSession>(0, true);
    sfp::Fixture fixture;
    fixture.rules = {{QStringLiteral("PSU/GND"), sfp::FixtureRule::Kind::Mutual, {3, 5}}};
    fixture.labels[6] = QStringLiteral("DUT power");
    fixture.description = QStringLiteral("rack 2, board tester");
    m_card->setFixture(fixture, QString(), false);
    m_log = std::make_unique<sfp::SwitchingLog>();
    m_card->setLog(m_log.get(), QStringLiteral("DEMO"));
    m_face = std::make_unique<sfp::WebFace>();
    sfp::WebCard about;
    about.identity = "Orbelan,5170,DEMO,1.4.0";
    about.driverRevision = QStringLiteral("1.4.0");
    m_face->start(m_card.get(), nullptr, about);
}

void tst_WebFace::cleanup()
{
    m_face.reset();
    m_card.reset();
    m_log.reset();
}

WebReply tst_WebFace::ask(WebRequest::Method method, const QString &path, const QByteArray &body,
                          const QByteArray &contentType, const QByteArray &origin,
                          const QByteArray &acceptLanguage)
{
    WebRequest request;
    request.method = method;
    request.path = path;
    request.body = body;
    request.contentType = contentType;
    request.host = "127.0.0.1:8080";
    request.origin = origin;
    request.acceptLanguage = acceptLanguage;
    request.peer = QHostAddress(QStringLiteral("::ffff:127.0.0.1"));
    request.peerPort = 40000;
    request.local = QHostAddress::LocalHost;
    request.localPort = 8080;
    return m_face->handle(request);
}

WebReply tst_WebFace::askFrom(const QString &peer, WebRequest::Method method, const QString &path,
                              const QByteArray &authorization, bool secure)
{
    WebRequest request;
    request.method = method;
    request.path = path;
    if (method == WebRequest::Method::Post)
        request.body = R"({"close":[7]})";
    request.contentType = "application/json";
    request.host = "192.0.2.5:8443";
    request.authorization = authorization;
    request.secure = secure;
    request.peer = QHostAddress(peer);
    request.peerPort = 40112;
    request.local = QHostAddress(QStringLiteral("192.0.2.5"));
    request.localPort = 8443;
    return m_face->handle(request);
}

void tst_WebFace::routes_data()
{
    QTest::addColumn<WebRequest::Method>("method");
    QTest::addColumn<QString>("path");
    QTest::addColumn<QByteArray>("contentType");
    QTest::addColumn<QByteArray>("body");
    QTest::addColumn<int>("status");
    // A piece of the body, or the Allow header for 405.
    QTest::addColumn<QByteArray>("expected");

    using M = WebRequest::Method;
    const QByteArray json = "application/json";
    QTest::newRow("welcome") << M::Get << "/" << json << QByteArray() << 200
                             << QByteArray("<h1>Orbelan 5170 DEMO</h1>");
    QTest::newRow("panel") << M::Get << "/panel" << json << QByteArray() << 200
                           << QByteArray("<script src=\"/panel.js\"");
    QTest::newRow("post panel") << M::Post << "/panel" << json << QByteArray() << 405
                                << QByteArray("GET");
    QTest::newRow("script") << M::Get << "/panel.js" << json << QByteArray() << 200
                            << QByteArray("new WebSocket(");
    QTest::newRow("nothing there")
        << M::Get << "/panel.html" << json << QByteArray() << 404 << QByteArray("\"error\"");
    QTest::newRow("dots") << M::Get << "/../../etc/passwd" << json << QByteArray() << 404
                          << QByteArray("\"error\"");
    QTest::newRow("relay 0") << M::Get << "/relay/0/value" << json << QByteArray() << 404
                             << QByteArray("relays 1 to 32");
    QTest::newRow("relay 33") << M::Get << "/relay/33/value" << json << QByteArray() << 404
                              << QByteArray("relays 1 to 32");
    QTest::newRow("relay 007") << M::Get << "/relay/007/value" << json << QByteArray() << 404
                               << QByteArray("relays 1 to 32");
    QTest::newRow("relay x") << M::Get << "/relay/x/value" << json << QByteArray() << 404
                             << QByteArray("relays 1 to 32");
    QTest::newRow("relay value") << M::Get << "/relay/32/value" << json << QByteArray() << 200
                                 << QByteArray("0");
    QTest::newRow("delete relay") << M::Delete << "/relay/7/value" << json << QByteArray() << 405
                                  << QByteArray("GET, PUT");
    QTest::newRow("post card") << M::Post << "/api/card" << json << QByteArray() << 405
                               << QByteArray("GET");
    QTest::newRow("get relays") << M::Get << "/api/relays" << json << QByteArray() << 405
                                << QByteArray("POST");
    QTest::newRow("value 2") << M::Put << "/relay/7/value" << json << QByteArray("2") << 400
                             << QByteArray("0 (open) or 1 (closed)");
    QTest::newRow("not json") << M::Post << "/api/relays" << QByteArray("text/plain")
                              << QByteArray("{\"close\":[1]}") << 415
                              << QByteArray("application/json");
    QTest::newRow("broken json") << M::Post << "/api/relays" << json << QByteArray("{\"close\":[")
                                 << 400 << QByteArray("a JSON object");
    QTest::newRow("relay 33 in a list")
        << M::Post << "/api/relays" << json << QByteArray("{\"close\":[33]}") << 400
        << QByteArray("relay numbers from 1 to 32");
    QTest::newRow("half a relay") << M::Post << "/api/relays" << json
                                  << QByteArray("{\"open\":[1.5]}") << 400
                                  << QByteArray("relay numbers from 1 to 32");
    QTest::newRow("unknown field")
        << M::Post << "/api/relays" << json << QByteArray("{\"close\":[1],\"all\":true}") << 400
        << QByteArray("unknown field \\\"all\\\"");
    QTest::newRow("open and close")
        << M::Post << "/api/relays" << json << QByteArray("{\"close\":[1],\"open\":[1]}") << 400
        << QByteArray("relay 1 is both opened and closed");
    QTest::newRow("no such mode") << M::Put << "/api/mode" << json
                                  << QByteArray("{\"mode\":\"fast\"}") << 400
                                  << QByteArray("asynchronous, sync-command or sync-trigger");
    QTest::newRow("exclusive text")
        << M::Put << "/api/exclusive" << json << QByteArray("{\"exclusive\":\"on\"}") << 400
        << QByteArray("true or false");
    QTest::newRow("update in asynchronous")
        << M::Post << "/api/update" << json << QByteArray() << 409
        << QByteArray(R"("scpiError":"-221,\"Settings conflict;an update is taken in Sync. )"
                      R"(Command mode only\"")");
    QTest::newRow("events without upgrade")
        << M::Get << "/api/events" << json << QByteArray() << 426 << QByteArray("WebSocket");
}

void tst_WebFace::routes()
{
    QFETCH(WebRequest::Method, method);
    QFETCH(QString, path);
    QFETCH(QByteArray, contentType);
    QFETCH(QByteArray, body);
    QFETCH(int, status);
    QFETCH(QByteArray, expected);

    const WebReply reply = ask(method, path, body, contentType);
    QCOMPARE(reply.status, status);
    if (status == 405)
        QCOMPARE(header(reply, "Allow"), expected);
    else
        QVERIFY2(reply.body.contains(expected), reply.body.constData());
    QCOMPARE(header(reply, "Cache-Control"), QByteArray("no-store"));
    // Nothing was switched by any of them.
    for (int relay = 1; relay <= sfp::relayCount; ++relay)
        QVERIFY(!m_card->isClosed(relay));
}

void tst_WebFace::changesGoThroughTheSession()
{
    using M = WebRequest::Method;
    // labgrid's rest model: PUT 1, GET, PUT 0.
    QCOMPARE(ask(M::Put, QStringLiteral("/relay/7/value"), "1", QByteArray()).body,
             QByteArray("1"));
    QVERIFY(m_card->isClosed(7));
    QCOMPARE(ask(M::Get, QStringLiteral("/relay/7/value")).body, QByteArray("1"));
    QCOMPARE(m_log->recent().back().source, QStringLiteral("web 127.0.0.1:40000"));
    QCOMPARE(ask(M::Put, QStringLiteral("/relay/7/value"), "0\n", QByteArray()).body,
             QByteArray("0"));
    QVERIFY(!m_card->isClosed(7));

    // The fixture's rule, in the session's words and the error a script
    // would have had; recorded, and nothing switched.
    QCOMPARE(ask(M::Post, QStringLiteral("/api/relays"), R"({"close":[3]})").status, 200);
    const WebReply refused = ask(M::Post, QStringLiteral("/api/relays"), R"({"close":[5]})");
    QCOMPARE(refused.status, 409);
    QCOMPARE(json(refused).value(QStringLiteral("error")).toString(),
             QStringLiteral("\"PSU/GND\" allows one of relays 3, 5"));
    QCOMPARE(json(refused).value(QStringLiteral("scpiError")).toString(),
             QStringLiteral(R"(-221,"Settings conflict;""PSU/GND"" allows one of relays 3, 5")"));
    QVERIFY(!m_card->isClosed(5));
    QCOMPARE(m_log->recent().back().kind, sfp::SwitchingEvent::Kind::Refusal);
    QCOMPARE(m_log->recent().back().source, QStringLiteral("web 127.0.0.1:40000"));
    // Several at once: what opens goes first.
    const WebReply both
        = ask(M::Post, QStringLiteral("/api/relays"), R"({"open":[3],"close":[5,8]})");
    QCOMPARE(both.status, 200);
    QVERIFY(!m_card->isClosed(3) && m_card->isClosed(5) && m_card->isClosed(8));
    QCOMPARE(json(both).value(QStringLiteral("relays")).toArray().at(4)[QStringLiteral("closed")],
             QJsonValue(true));
    QCOMPARE(ask(M::Post, QStringLiteral("/api/relays"), R"({"openAll":true})").status, 200);
    QVERIFY(!m_card->isClosed(5) && !m_card->isClosed(8));

    // Another client's lock: 423, and the card as it was.
    m_card->setLockHolder(QStringLiteral("socket 127.0.0.1:5000"));
    for (const auto &[method, path, body] : {std::tuple {M::Put, "/relay/9/value", "1"},
                                             {M::Put, "/api/mode", R"({"mode":"sync-trigger"})"},
                                             {M::Put, "/api/exclusive", R"({"exclusive":true})"}}) {
        const WebReply locked = ask(method, QLatin1String(path), body);
        QCOMPARE(locked.status, 423);
        QCOMPARE(json(locked).value(QStringLiteral("error")).toString(),
                 QStringLiteral("another client holds the lock"));
    }
    QVERIFY(!m_card->isClosed(9));
    QCOMPARE(m_card->mode(), sfp::SwitchingMode::Asynchronous);
    QVERIFY(!m_card->isExclusive());
    QCOMPARE(json(ask(M::Get, QStringLiteral("/api/card")))[QStringLiteral("lockHolder")],
             QJsonValue(QStringLiteral("socket 127.0.0.1:5000")));
    m_card->setLockHolder(QString());

    // A synchronous mode: what waits, and the update that applies it.
    QCOMPARE(ask(M::Put, QStringLiteral("/api/mode"), R"({"mode":"sync-command"})").status, 200);
    QCOMPARE(ask(M::Put, QStringLiteral("/relay/10/value"), "1", QByteArray()).status, 200);
    QJsonObject card = json(ask(M::Get, QStringLiteral("/api/card")));
    QCOMPARE(card[QStringLiteral("waiting")].toArray(), QJsonArray({10}));
    QCOMPARE(card[QStringLiteral("synchronized")], QJsonValue(false));
    QCOMPARE(ask(M::Post, QStringLiteral("/api/trigger")).status, 409);
    QCOMPARE(ask(M::Post, QStringLiteral("/api/update")).status, 200);
    card = json(ask(M::Get, QStringLiteral("/api/card")));
    QCOMPARE(card[QStringLiteral("waiting")].toArray(), QJsonArray());
    QCOMPARE(card[QStringLiteral("synchronized")], QJsonValue(true));
    QCOMPARE(card[QStringLiteral("mode")], QJsonValue(QStringLiteral("sync-command")));

    // The exclusive rule: both relays of a pair in one list have no answer.
    QCOMPARE(ask(M::Put, QStringLiteral("/api/exclusive"), R"({"exclusive":true})").status, 200);
    QVERIFY(m_card->isExclusive());
    QCOMPARE(ask(M::Post, QStringLiteral("/api/relays"), R"({"close":[1,2]})").status, 409);

    // A page of another site, and a question the operator is answering.
    QCOMPARE(ask(M::Put, QStringLiteral("/relay/11/value"), "1", QByteArray(),
                 "http://elsewhere.example")
                 .status,
             403);
    QCOMPARE(
        ask(M::Put, QStringLiteral("/relay/11/value"), "1", QByteArray(), "http://127.0.0.1:8080")
            .status,
        200);
    // The card's own run shows while it goes, and only then.
    QVERIFY(!card.contains(QStringLiteral("run")));
    sfp::ScanSettings settings;
    settings.steps = {{20}, {22}};
    settings.trigger = sfp::ScanTrigger::Bus;
    QCOMPARE(m_card->scan()->setSettings(settings).reason, QString());
    QCOMPARE(m_card->scan()->start().reason, QString());
    QVERIFY(m_card->scan()->trigger());
    QCOMPARE(json(ask(M::Get, QStringLiteral("/api/card")))[QStringLiteral("run")],
             QJsonValue(QJsonObject(
                 {{"step", 1}, {"sweep", 1}, {"waitingForTrigger", true}, {"starter", "demo"}})));
    QCOMPARE(m_card->scan()->stop().reason, QString());
    QVERIFY(!json(ask(M::Get, QStringLiteral("/api/card"))).contains(QStringLiteral("run")));

    m_face->setOperatorAsked([] { return true; });
    const WebReply asked = ask(M::Put, QStringLiteral("/relay/12/value"), "1", QByteArray());
    QCOMPARE(asked.status, 503);
    QCOMPARE(header(asked, "Retry-After"), QByteArray("1"));
    QVERIFY(!m_card->isClosed(12));
}

void tst_WebFace::documentsAboutTheInstrument()
{
    sfp::WebCard about;
    about.identity = "Orbelan,5170,VXI0::1::INSTR/FC2,1.4.0";
    about.socketAddress = QHostAddress::Any;
    about.socketPort = 5025;
    about.vxi11 = true;
    m_face->setCard(about);
    const QByteArray document
        = ask(WebRequest::Method::Get, QStringLiteral("/lxi/identification")).body;
    for (const char *part :
         {"<LXIDevice xmlns=\"http://lxistandard.org/schemas/InstrumentIdentification/2.0\">",
          "<Manufacturer>Orbelan</Manufacturer>", "<Model>5170</Model>",
          "<SerialNumber>VXI0::1::INSTR/FC2</SerialNumber>",
          "<FirmwareRevision>1.4.0</FirmwareRevision>",
          "<UserDescription>Demo mode: no card is switched</UserDescription>",
          "<IdentificationURL>http://127.0.0.1:8080/lxi/identification</IdentificationURL>",
          "<Interface InterfaceType=\"LXI\" IPType=\"IPv4\">",
          "<InstrumentAddressString>TCPIP::127.0.0.1::INSTR</InstrumentAddressString>",
          "<InstrumentAddressString>TCPIP::127.0.0.1::5025::SOCKET</InstrumentAddressString>",
          "<IPAddress>127.0.0.1</IPAddress>", "<LXIVersion>1.6</LXIVersion>"})
        QVERIFY2(document.contains(part), part);

    // The other faces listen on the loopback only: a request that came to
    // another address is not told of them.
    about.socketAddress = QHostAddress::LocalHost;
    m_face->setCard(about);
    WebRequest elsewhere;
    elsewhere.path = QStringLiteral("/lxi/identification");
    elsewhere.local = QHostAddress(QStringLiteral("fd00::2"));
    elsewhere.localPort = 80;
    const QByteArray remote = m_face->handle(elsewhere).body;
    QVERIFY(!remote.contains("InstrumentAddressString"));
    QVERIFY(remote.contains("<IdentificationURL>http://[fd00::2]:80/lxi/identification"));
    QVERIFY(remote.contains("IPType=\"IPv6\""));

    // A card's own description, escaped on the welcome page.
    sfp::CardSession card(0, false);
    sfp::Fixture fixture;
    fixture.description = QStringLiteral("<b>rack 2</b> & co");
    card.setFixture(fixture, QString(), false);
    sfp::WebFace face;
    face.start(&card, nullptr, about);
    WebRequest welcome;
    welcome.path = QStringLiteral("/");
    welcome.local = QHostAddress::LocalHost;
    const QByteArray page = face.handle(welcome).body;
    QVERIFY2(page.contains("<td>&lt;b&gt;rack 2&lt;/b&gt; &amp; co</td>"), page.constData());
    welcome.path = QStringLiteral("/lxi/identification");
    QVERIFY(face.handle(welcome).body.contains(
        "<UserDescription>&lt;b&gt;rack 2&lt;/b&gt; &amp; co</UserDescription>"));
}

void tst_WebFace::pagesInTheReadersLanguage_data()
{
    QTest::addColumn<QByteArray>("acceptLanguage");
    QTest::addColumn<QByteArray>("language");
    // The welcome page's link to the panel, and the panel's Update button.
    QTest::addColumn<QByteArray>("link");
    QTest::addColumn<QByteArray>("button");

    const QByteArray de = "de";
    const QByteArray fr = "fr";
    const QByteArray en = "en";
    QTest::newRow("Swiss German") << QByteArray("de-CH,de;q=0.9") << de
                                  << QByteArray("Frontplatte öffnen") << QByteArray("Update");
    QTest::newRow("French") << QByteArray("fr") << fr << QByteArray("Ouvrir la face avant")
                            << QByteArray("Appliquer");
    QTest::newRow("English first") << QByteArray("en-US,de;q=0.5") << en
                                   << QByteArray("Open the front panel") << QByteArray("Update");
    QTest::newRow("any") << QByteArray("*") << en << QByteArray("Open the front panel")
                         << QByteArray("Update");
    QTest::newRow("none") << QByteArray() << en << QByteArray("Open the front panel")
                          << QByteArray("Update");
    QTest::newRow("unknown, then French")
        << QByteArray("xx, fr;q=0.1") << fr << QByteArray("Ouvrir la face avant")
        << QByteArray("Appliquer");
    // A weight's name is "q" in either case.
    QTest::newRow("capital Q") << QByteArray("fr;Q=0.1, de;q=0.5") << de
                               << QByteArray("Frontplatte öffnen") << QByteArray("Update");
    QTest::newRow("German refused")
        << QByteArray("de;q=0") << en << QByteArray("Open the front panel") << QByteArray("Update");
}

void tst_WebFace::pagesInTheReadersLanguage()
{
    QFETCH(QByteArray, acceptLanguage);
    QFETCH(QByteArray, language);
    QFETCH(QByteArray, link);
    QFETCH(QByteArray, button);

    sfp::WebCard about;
    about.identity = "Orbelan,5170,DEMO,1.4.0";
    about.libraryOrigin = QStringLiteral("/opt/orbelan");
    m_face->setCard(about);
    using M = WebRequest::Method;
    const WebReply welcome = ask(M::Get, QStringLiteral("/"), {}, {}, {}, acceptLanguage);
    const WebReply panel = ask(M::Get, QStringLiteral("/panel"), {}, {}, {}, acceptLanguage);
    for (const WebReply &page : {welcome, panel}) {
        QCOMPARE(page.status, 200);
        QVERIFY2(page.body.contains("<html lang=\"" + language + "\">"), page.body.constData());
        QCOMPARE(header(page, "Content-Language"), language);
        QCOMPARE(header(page, "Vary"), QByteArray("Accept-Language"));
        // Every text of the page was looked up.
        QVERIFY2(!page.body.contains("{{"), page.body.constData());
    }
    // Not executed: the panel's policy allows no inline script, and needs
    // to allow none for the script's texts.
    QCOMPARE(header(panel, "Content-Security-Policy"),
             QByteArray("default-src 'self'; connect-src 'self'; img-src 'self' data:; "
                        "frame-ancestors 'none'; base-uri 'none'; form-action 'none'"));
    if (language == "en") {
        // Today's pages, with no texts for the script.
        QCOMPARE(welcome.body, ask(M::Get, QStringLiteral("/")).body);
        QVERIFY(!panel.body.contains("<script type=\"application/json\""));
        QVERIFY(panel.body.contains("<label>Mode\n"));
        QVERIFY(welcome.body.contains("<td>the vendor's libraries (/opt/orbelan)</td>"));
        // A text the page marks but the program does not know stays
        // marked, for the check above to find.
        QCOMPARE(sfp::webDocuments::panelPage("<p>{{Update}}, {{Not a text}}</p>", "en"),
                 QByteArray("<p>Update, {{Not a text}}</p>"));
    } else {
        QVERIFY(panel.body.contains("<script type=\"application/json\" id=\"texts\">{"));
    }
    // The script finds each of its texts in that block by the English it
    // looks up.
    const QByteArray script = ask(M::Get, QStringLiteral("/panel.js")).body;
    for (const char *text : {"Connected", "Connection lost: reconnecting…", "Refused: %1",
                             "Pair %1 relay %2", "Synchronized: no", "Remote lock: %1"})
        QVERIFY2(script.contains("tr('" + QByteArray(text) + "'"), text);

    // What programs read stays English: the API's errors, the
    // identification document, the card's state.
    const WebReply refused = ask(M::Put, QStringLiteral("/relay/7/value"), "2", "application/json",
                                 {}, acceptLanguage);
    QCOMPARE(json(refused)[QStringLiteral("error")].toString(),
             QStringLiteral("the value is 0 (open) or 1 (closed)"));
    QCOMPARE(header(refused, "Content-Language"), QByteArray());
    const QByteArray identification
        = ask(M::Get, QStringLiteral("/lxi/identification"), {}, {}, {}, acceptLanguage).body;
    QVERIFY(identification.contains(
        "<ManufacturerDescription>Orbelan 5170 32-channel relay card</ManufacturerDescription>"));
    QVERIFY(identification.contains(
        "<UserDescription>Demo mode: no card is switched</UserDescription>"));
    QCOMPARE(json(ask(M::Get, QStringLiteral("/api/card"), {}, {}, {},
                      acceptLanguage))[QStringLiteral("modeTitle")]
                 .toString(),
             QStringLiteral("Asynchronous"));

    if (language != "en"
        && sfp::translation::translateIn(QString::fromLatin1(language), "WebWelcomePage",
                                         "Open the front panel")
            == QLatin1String("Open the front panel"))
        QSKIP("the program's catalogues do not hold the web pages' texts yet");
    QVERIFY2(welcome.body.contains("<a href=\"/panel\">" + link + "</a>"),
             welcome.body.constData());
    QVERIFY2(panel.body.contains("id=\"update\" disabled>" + button + "</button>"),
             panel.body.constData());
    // What the face itself says of the card: the demo mode, the platform.
    if (language == "de") {
        QVERIFY(panel.body.contains(R"("Connected":"Verbunden")"));
        QVERIFY(welcome.body.contains("<td>Demo-Modus: Es wird keine Karte geschaltet</td>"));
        QVERIFY(welcome.body.contains("<td>die Bibliotheken des Herstellers (/opt/orbelan)</td>"));
        about.simulated = true;
        m_face->setCard(about);
        QVERIFY(ask(M::Get, QStringLiteral("/"), {}, {}, {}, acceptLanguage)
                    .body.contains("<td>die mitgelieferte simulierte Plattform: Es wird keine "
                                   "Hardware geschaltet</td>"));
    }
}

void tst_WebFace::livePagesAndLimits()
{
    QVERIFY(m_face->listen(QHostAddress::LocalHost, 0));
    const QString base = QStringLiteral("ws://127.0.0.1:%1").arg(m_face->port());

    // A page follows the card: the whole state at once, then each change.
    QWebSocket page;
    QSignalSpy states(&page, &QWebSocket::textMessageReceived);
    page.open(QUrl(base + QStringLiteral("/api/events")));
    QTRY_COMPARE_WITH_TIMEOUT(states.count(), 1, 10000);
    m_card->setRelay(13, true);
    QTRY_VERIFY_WITH_TIMEOUT(states.count() >= 2, 10000);
    const QJsonObject state
        = QJsonDocument::fromJson(states.constLast().constFirst().toString().toUtf8()).object();
    QCOMPARE(state[QStringLiteral("relays")].toArray().at(12)[QStringLiteral("closed")],
             QJsonValue(true));
    QCOMPARE(m_face->viewerCount(), 1);
    // Nothing else is a page's address.
    QWebSocket stray;
    QSignalSpy strayClosed(&stray, &QWebSocket::disconnected);
    stray.open(QUrl(base + QStringLiteral("/panel")));
    QTRY_COMPARE_WITH_TIMEOUT(strayClosed.count(), 1, 10000);
    QCOMPARE(m_face->viewerCount(), 1);
    page.close();
    QTRY_COMPARE_WITH_TIMEOUT(m_face->viewerCount(), 0, 10000);

    // A request larger than a request may be is answered and dropped,
    // without the toolkit's complaints about a socket read once closed.
    QTest::failOnWarning(QRegularExpression(QStringLiteral("device not open")));
    QTcpSocket large;
    large.connectToHost(QHostAddress::LocalHost, m_face->port());
    QVERIFY(large.waitForConnected(10000));
    large.write("GET /" + QByteArray(sfp::WebServer::maxRequestBytes + 1, 'a') + " HTTP/1.1\r\n");
    QTRY_VERIFY_WITH_TIMEOUT(
        large.state() == QAbstractSocket::UnconnectedState || large.bytesAvailable() > 0, 10000);
    QVERIFY(large.readAll().startsWith("HTTP/1.1 413 "));
    // At once, not when the connection's time for a request runs out.
    QTRY_COMPARE_WITH_TIMEOUT(large.state(), QAbstractSocket::UnconnectedState, 6000);

    // At most 64 header fields, in a request and in a page's handshake.
    const QByteArray handshake = "Upgrade: websocket\r\nConnection: Upgrade\r\n"
                                 "Sec-WebSocket-Key: dGhlIHNhbXBsZSBub25jZQ==\r\n"
                                 "Sec-WebSocket-Version: 13\r\n";
    const struct
    {
        QByteArray path;
        QByteArray fields; // besides Host
        int given;
        QByteArray status;
    } bounds[] = {
        {"/api/card", {}, 64, "HTTP/1.1 200 "},
        {"/api/card", {}, 65, "HTTP/1.1 431 "},
        {"/api/events", handshake, 64, "HTTP/1.1 101 "},
        {"/api/events", handshake, 65, "HTTP/1.1 404 "},
    };
    for (const auto &bound : bounds) {
        QByteArray request
            = "GET " + bound.path + " HTTP/1.1\r\nHost: 127.0.0.1\r\n" + bound.fields;
        for (int field = int(bound.fields.count('\n')) + 1; field < bound.given; ++field)
            request += "X-Field-" + QByteArray::number(field) + ": x\r\n";
        QTcpSocket client;
        client.connectToHost(QHostAddress::LocalHost, m_face->port());
        QVERIFY(client.waitForConnected(10000));
        client.write(request + "\r\n");
        QByteArray answer;
        QTRY_VERIFY_WITH_TIMEOUT((answer += client.readAll()).contains("\r\n\r\n"), 10000);
        QVERIFY2(answer.startsWith(bound.status), answer.constData());
    }
    // The server hands the face the reader's language.
    QTcpSocket reader;
    reader.connectToHost(QHostAddress::LocalHost, m_face->port());
    QVERIFY(reader.waitForConnected(10000));
    reader.write("GET / HTTP/1.1\r\nHost: 127.0.0.1\r\nAccept-Language: fr-CA\r\n\r\n");
    QByteArray welcome;
    QTRY_VERIFY_WITH_TIMEOUT((welcome += reader.readAll()).contains("</html>"), 10000);
    QVERIFY2(welcome.contains("<html lang=\"fr\">"), welcome.constData());

    // Connections beyond the limit are turned away, said once each.
    QSignalSpy refused(m_face.get(), &sfp::WebFace::clientRefused);
    std::vector<int> held;
    sockaddr_in server {};
    server.sin_family = AF_INET;
    server.sin_port = htons(m_face->port());
    server.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    for (int i = 0; i <= sfp::WebServer::maxConnections; ++i) {
        held.push_back(::socket(AF_INET, SOCK_STREAM | SOCK_NONBLOCK, 0));
        // Connecting goes on in the background (EINPROGRESS).
        (void)::connect(held.back(), reinterpret_cast<const sockaddr *>(&server), sizeof server);
        // As clients come, not all in one instant: the kernel holds only
        // so many connections that the server has not taken yet.
        if (i % 16 == 15)
            QTest::qWait(50);
    }
    QTRY_VERIFY_WITH_TIMEOUT(!refused.isEmpty(), 20000);
    QCOMPARE(refused.constFirst().at(1).toString(), QStringLiteral("too many connections"));
    QVERIFY(refused.constFirst().at(0).toString().startsWith(QLatin1String("127.0.0.1:")));
    // The one turned away was told so.
    const auto toldSo = [&held] {
        return std::any_of(held.begin(), held.end(), [](int socket) {
            char answer[13] = {};
            return ::recv(socket, answer, sizeof answer, MSG_PEEK) == sizeof answer
                && QByteArray(answer, sizeof answer) == "HTTP/1.1 503 ";
        });
    };
    QTRY_VERIFY_WITH_TIMEOUT(toldSo(), 10000);
    for (int socket : held)
        ::close(socket);
    // And once they went, a request is answered again.
    QTcpSocket later;
    QByteArray answer;
    bool sent = false;
    const auto answered = [&] {
        if (later.state() == QAbstractSocket::UnconnectedState) {
            answer.clear();
            sent = false;
            later.connectToHost(QHostAddress::LocalHost, m_face->port());
        }
        if (later.state() == QAbstractSocket::ConnectedState && !sent)
            sent = later.write("GET /relay/13/value HTTP/1.1\r\nHost: x\r\n\r\n") > 0;
        answer += later.readAll();
        return answer.startsWith("HTTP/1.1 200 ");
    };
    QTRY_VERIFY_WITH_TIMEOUT(answered(), 20000);
    QVERIFY(answer.endsWith("\r\n\r\n1"));
}

SFPTEST_CORE_MAIN(tst_WebFace)
#include "tst_webface.moc"

void tst_WebFace::changesBeyondTheLoopback_data()
{
    QTest::addColumn<QString>("peer");
    QTest::addColumn<bool>("password");
    QTest::addColumn<bool>("secure");
    QTest::addColumn<QByteArray>("authorization");
    QTest::addColumn<int>("status");
    // The error's reason, or for a change made, the log's source.
    QTest::addColumn<QString>("said");

    const QString noPassword
        = QStringLiteral("changes from beyond the loopback need a password, and the panel has none "
                         "(--password-file): it is read-only here");
    const QString plainHttp = QStringLiteral(
        "the password is taken only over HTTPS: changes from beyond the loopback are refused "
        "over plain HTTP");
    const QString needed
        = QStringLiteral("changes from beyond the loopback need the panel's password");
    const QString wrong = QStringLiteral("the password is wrong");
    const QByteArray right = basic("alice", "correct horse");
    const QString remote = QStringLiteral("10.201.77.2");

    QTest::newRow("loopback, as today")
        << "127.0.0.1" << false << false << QByteArray() << 200 << "web 127.0.0.1:40112";
    QTest::newRow("IPv4-mapped loopback")
        << "::ffff:127.0.0.1" << true << true << QByteArray() << 200 << "web 127.0.0.1:40112";
    QTest::newRow("IPv6 loopback")
        << "::1" << true << false << QByteArray() << 200 << "web [::1]:40112";
    QTest::newRow("no password file")
        << remote << false << false << QByteArray() << 403 << noPassword;
    QTest::newRow("no password file, HTTPS, credentials")
        << remote << false << true << right << 403 << noPassword;
    QTest::newRow("IPv4-mapped, no password file")
        << "::ffff:10.201.77.2" << false << true << right << 403 << noPassword;
    QTest::newRow("plain HTTP, right password")
        << remote << true << false << right << 403 << plainHttp;
    QTest::newRow("HTTPS, no credentials")
        << remote << true << true << QByteArray() << 401 << needed;
    QTest::newRow("HTTPS, not Basic")
        << remote << true << true << QByteArray("Bearer abc") << 401 << needed;
    QTest::newRow("HTTPS, not base64")
        << remote << true << true << QByteArray("Basic %%%") << 401 << needed;
    QTest::newRow("HTTPS, no colon")
        << remote << true << true << QByteArray("Basic " + QByteArray("alice").toBase64()) << 401
        << needed;
    QTest::newRow("HTTPS, wrong password")
        << remote << true << true << basic("alice", "wrong") << 401 << wrong;
    QTest::newRow("HTTPS, right password")
        << remote << true << true << right << 200 << "web 10.201.77.2:40112 alice";
    QTest::newRow("HTTPS, right password, any user")
        << "2001:db8::7" << true << true << basic("", "correct horse") << 200
        << "web [2001:db8::7]:40112 -";
    QTest::newRow("user name made printable and short")
        << remote << true << true
        << basic("bob\x1b]0;owned\x07 the " + QByteArray(100, 'x'), "correct horse") << 200
        << "web 10.201.77.2:40112 bob]0;ownedthe" + QString(50, QLatin1Char('x'));
}

void tst_WebFace::changesBeyondTheLoopback()
{
    QFETCH(QString, peer);
    QFETCH(bool, password);
    QFETCH(bool, secure);
    QFETCH(QByteArray, authorization);
    QFETCH(int, status);
    QFETCH(QString, said);
    using M = WebRequest::Method;
    if (password)
        m_face->setPasswordHash(passwordHash());
    const WebReply change
        = askFrom(peer, M::Post, QStringLiteral("/api/relays"), authorization, secure);
    QCOMPARE(change.status, status);
    QCOMPARE(m_card->isClosed(7), status == 200);
    QCOMPARE(header(change, "WWW-Authenticate"),
             status == 401 ? QByteArray(R"(Basic realm="qx5170fp", charset="UTF-8")")
                           : QByteArray());
    if (status == 200)
        QCOMPARE(m_log->recent().back().source, said);
    else
        QCOMPARE(json(change).value(QStringLiteral("error")).toString(), said);

    // Reading is for everyone; a page learns why it may not change the
    // card.
    const WebReply card = askFrom(peer, M::Get, QStringLiteral("/api/card"), {}, secure);
    QCOMPARE(card.status, 200);
    QCOMPARE(json(card).value(QStringLiteral("readOnly")).toString(),
             status == 403 ? said : QString());
    QCOMPARE(askFrom(peer, M::Get, QStringLiteral("/relay/7/value"), {}, secure).body,
             status == 200 ? QByteArray("1") : QByteArray("0"));
    // Every method that may change the card goes through the same rule,
    // the routes that take none too.
    const WebReply put = askFrom(peer, M::Put, QStringLiteral("/api/card"), authorization, secure);
    QCOMPARE(put.status, status == 200 ? 405 : status);
}

void tst_WebFace::wrongPasswordsAreLimited()
{
    using M = WebRequest::Method;
    qint64 now = 1000000;
    m_face->setClock([&now] { return now; });
    m_face->setPasswordHash(passwordHash());
    QSignalSpy failures(m_face.get(), &sfp::WebFace::passwordRefused);
    const QString mallory = QStringLiteral("10.0.0.66");
    const QString alice = QStringLiteral("::ffff:10.0.0.7");
    const QByteArray right = basic("alice", "correct horse");
    const QByteArray wrong = basic("mallory", "guess");
    const QString path = QStringLiteral("/api/relays");

    // Five failures, each a second apart, each said.
    for (int i = 0; i < 5; ++i) {
        QCOMPARE(askFrom(mallory, M::Post, path, wrong).status, 401);
        now += 1000;
    }
    QCOMPARE(failures.count(), 5);
    QCOMPARE(failures.constFirst().at(0).toString(), QStringLiteral("10.0.0.66:40112"));
    QCOMPARE(failures.constFirst().at(1).toString(),
             QStringLiteral("a wrong password for the user mallory"));
    // Then every request from there, the right password and reading too,
    // until a minute after the fifth.
    for (const auto &[method, authorization] :
         {std::pair {M::Post, right}, std::pair {M::Get, QByteArray()}}) {
        const WebReply blocked = askFrom(mallory, method, path, authorization);
        QCOMPARE(blocked.status, 429);
        QCOMPARE(header(blocked, "Retry-After"), QByteArray("59"));
        QCOMPARE(json(blocked).value(QStringLiteral("error")).toString(),
                 QStringLiteral("too many wrong passwords from this address: try again later"));
    }
    QVERIFY(!m_card->isClosed(7));
    QCOMPARE(failures.count(), 5);
    // Another address is not held with it.
    QCOMPARE(askFrom(alice, M::Post, path, right).status, 200);
    QCOMPARE(m_log->recent().back().source, QStringLiteral("web 10.0.0.7:40112 alice"));
    // Nor is the loopback ever.
    QCOMPARE(askFrom(QStringLiteral("127.0.0.1"), M::Get, path, {}).status, 405);
    now += 58999;
    QCOMPARE(askFrom(mallory, M::Get, QStringLiteral("/api/card"), {}).status, 429);
    now += 1;
    QCOMPARE(askFrom(mallory, M::Get, QStringLiteral("/api/card"), {}).status, 200);
    QCOMPARE(askFrom(mallory, M::Post, path, right).status, 200);

    // Five failures spread over more than a minute hold nobody; the
    // sixth, within a minute of the second, does.
    const QString slow = QStringLiteral("10.0.0.67");
    const qint64 start = now;
    for (const qint64 at : {0, 20000, 40000, 60000, 61000}) {
        now = start + at;
        QCOMPARE(askFrom(slow, M::Post, path, wrong).status, 401);
    }
    QCOMPARE(askFrom(slow, M::Get, QStringLiteral("/api/card"), {}).status, 200);
    now = start + 62000;
    QCOMPARE(askFrom(slow, M::Post, path, wrong).status, 401);
    QCOMPARE(askFrom(slow, M::Get, QStringLiteral("/api/card"), {}).status, 429);

    // A new password: what passed the old one no longer does.
    QCOMPARE(askFrom(alice, M::Post, path, right).status, 200);
    QString why;
    m_face->setPasswordHash(sfp::webPassword::newHash("another", &why));
    QCOMPARE(askFrom(alice, M::Post, path, right).status, 401);
}

void tst_WebFace::constantTimeEquals_data()
{
    QTest::addColumn<QByteArray>("a");
    QTest::addColumn<QByteArray>("b");
    QTest::addColumn<bool>("equal");
    QTest::newRow("equal") << QByteArray("$y$j9T$salt$hash") << QByteArray("$y$j9T$salt$hash")
                           << true;
    QTest::newRow("both empty") << QByteArray() << QByteArray() << true;
    QTest::newRow("first byte") << QByteArray("Xy$j9T$salt$hash") << QByteArray("$y$j9T$salt$hash")
                                << false;
    QTest::newRow("last byte") << QByteArray("$y$j9T$salt$hasX") << QByteArray("$y$j9T$salt$hash")
                               << false;
    QTest::newRow("one longer") << QByteArray("$y$j9T$salt$hash") << QByteArray("$y$j9T$salt$hash!")
                                << false;
    QTest::newRow("shorter, zeros after") << QByteArray("ab") << QByteArray("ab\0", 3) << false;
    QTest::newRow("one empty") << QByteArray() << QByteArray("a") << false;
}

void tst_WebFace::constantTimeEquals()
{
    QFETCH(QByteArray, a);
    QFETCH(QByteArray, b);
    QFETCH(bool, equal);
    QCOMPARE(sfp::webPassword::constantTimeEquals(a, b), equal);
    QCOMPARE(sfp::webPassword::constantTimeEquals(b, a), equal);
}

void tst_WebFace::passwordFiles()
{
    const QByteArray hash = passwordHash();
    QVERIFY(hash.startsWith("$y$"));
    QVERIFY(!hash.contains("correct horse"));
    QVERIFY(sfp::webPassword::matches("correct horse", hash));
    QVERIFY(!sfp::webPassword::matches("correct horse ", hash));
    QVERIFY(!sfp::webPassword::matches("correct horse", "not a hash"));

    QTemporaryDir folder;
    const auto file = [&folder](const char *name, const QByteArray &text, QFile::Permissions mode) {
        QString path = folder.filePath(QLatin1String(name));
        QFile out(path);
        if (out.open(QIODevice::WriteOnly))
            out.write(text);
        out.close();
        out.setPermissions(mode);
        return path;
    };
    const QFile::Permissions own = QFile::ReadOwner | QFile::WriteOwner;
    struct Case
    {
        QString path;
        QByteArray hash; // empty: refused
        QString why;
    };
    const QList<Case> cases {
        {file("good", hash + '\n', own), hash, {}},
        {file("no-newline", hash, own), hash, {}},
        // Another of crypt's forms (SHA-512) serves as well.
        {file("sha512",
              "$6$saltsalt$qFmFH.bQmmtXzyBY0s9v7Oicd2z4XSIecDzlB5KiA2/"
              "jctKu9YterLp8wwnSq.qc.eoxqOmSuNp2xS0ktL3nh/\n",
              own),
         "$6$saltsalt$qFmFH.bQmmtXzyBY0s9v7Oicd2z4XSIecDzlB5KiA2/"
         "jctKu9YterLp8wwnSq.qc.eoxqOmSuNp2xS0ktL3nh/",
         {}},
        {file("others-read", hash + '\n', own | QFile::ReadOther),
         {},
         QStringLiteral("may be read or written by others than its owner (chmod 600 it)")},
        {file("group-writes", hash + '\n', own | QFile::WriteGroup),
         {},
         QStringLiteral("may be read or written by others than its owner (chmod 600 it)")},
        {file("password", "correct horse\n", own),
         {},
         QStringLiteral("holds no password hash (make one with --set-password)")},
        {file("two-lines", hash + '\n' + hash + '\n', own),
         {},
         QStringLiteral("holds no password hash (make one with --set-password)")},
        {file("old-des", "abJnggxhB/yWI\n", own),
         {},
         QStringLiteral("holds no password hash (make one with --set-password)")},
        {file("cut", hash.left(hash.size() - 3) + '\n', own),
         {},
         QStringLiteral("holds no password hash (make one with --set-password)")},
        {file("unknown-form", "$zz$abc$def\n", own),
         {},
         QStringLiteral("holds no password hash (make one with --set-password)")},
        {file("empty", "", own),
         {},
         QStringLiteral("holds no password hash (make one with --set-password)")},
        {folder.filePath(QStringLiteral("missing")), {}, QStringLiteral("does not exist")},
        {file("large", QByteArray(2000, '$'), own), {}, QStringLiteral("is larger than 1 KiB")},
    };
    for (const Case &each : cases) {
        QString why;
        QCOMPARE(sfp::webPassword::readFile(each.path, &why), each.hash);
        QCOMPARE(why, each.why);
    }
}

void tst_WebFace::httpsAndItsFiles()
{
    QTemporaryDir folder;
    QVERIFY(sfptest::makeCertificate(folder.path(), QStringLiteral("one")));
    QVERIFY(sfptest::makeCertificate(folder.path(), QStringLiteral("two")));
    const QString certificate = folder.filePath(QStringLiteral("one.pem"));
    const QString key = folder.filePath(QStringLiteral("one.key"));
    const QString openKey = folder.filePath(QStringLiteral("open.key"));
    QVERIFY(QFile::copy(key, openKey));
    QFile::setPermissions(openKey, QFile::ReadOwner | QFile::WriteOwner | QFile::ReadGroup);
    const QString notPem = folder.filePath(QStringLiteral("not.pem"));
    {
        QFile text(notPem);
        QVERIFY(text.open(QIODevice::WriteOnly));
        text.write("hello\n");
    }
    QFile::setPermissions(notPem, QFile::ReadOwner | QFile::WriteOwner);

    // What cannot serve, each named.
    const QList<std::tuple<QString, QString, QString>> refused {
        {folder.filePath(QStringLiteral("none.pem")), key,
         QStringLiteral("the certificate file %1 does not exist")
             .arg(folder.filePath(QStringLiteral("none.pem")))},
        {notPem, key,
         QStringLiteral("the certificate file %1 holds no PEM certificate").arg(notPem)},
        {certificate, folder.filePath(QStringLiteral("none.key")),
         QStringLiteral("the key file %1 does not exist")
             .arg(folder.filePath(QStringLiteral("none.key")))},
        {certificate, notPem,
         QStringLiteral("the key file %1 holds no unencrypted PEM private key (RSA, EC or DSA)")
             .arg(notPem)},
        {certificate, openKey,
         QStringLiteral("the key file %1 may be read or written by others than its owner (chmod "
                        "600 it)")
             .arg(openKey)},
        {certificate, folder.filePath(QStringLiteral("two.key")),
         QStringLiteral("the key file %1 is not the key of the certificate %2")
             .arg(folder.filePath(QStringLiteral("two.key")), certificate)},
    };
    for (const auto &[certificatePath, keyPath, why] : refused) {
        QSslConfiguration tls;
        QString said;
        QVERIFY(!sfp::webTls::load(certificatePath, keyPath, &tls, &said));
        QCOMPARE(said, why);
        QVERIFY(tls.isNull());
    }

    QSslConfiguration tls;
    QString why;
    QVERIFY2(sfp::webTls::load(certificate, key, &tls, &why), qPrintable(why));
    QVERIFY(!m_face->isSecure());
    m_face->setTls(tls);
    QVERIFY(m_face->isSecure());
    QVERIFY(m_face->listen(QHostAddress::LocalHost, 0));
    // A client that starts no handshake is dropped when a request's time
    // runs out.
    QTcpSocket silent;
    silent.connectToHost(QHostAddress::LocalHost, m_face->port());
    QVERIFY(silent.waitForConnected(10000));
    // GET over TLS, the certificate taken as it is.
    QSslSocket client;
    client.setPeerVerifyMode(QSslSocket::VerifyNone);
    client.connectToHostEncrypted(QStringLiteral("127.0.0.1"), m_face->port());
    QTRY_VERIFY_WITH_TIMEOUT(client.isEncrypted(), 20000);
    QCOMPARE(client.peerCertificate(), QSslCertificate::fromPath(certificate).constFirst());
    client.write("GET /api/card HTTP/1.1\r\nHost: 127.0.0.1\r\n\r\n");
    QByteArray answer;
    QTRY_VERIFY_WITH_TIMEOUT((answer += client.readAll()).contains("\"relays\""), 20000);
    QVERIFY2(answer.startsWith("HTTP/1.1 200 "), answer.constData());
    // The live page's WebSocket over TLS too.
    QWebSocket page;
    QSslConfiguration trusting = QSslConfiguration::defaultConfiguration();
    trusting.setPeerVerifyMode(QSslSocket::VerifyNone);
    page.setSslConfiguration(trusting);
    QSignalSpy states(&page, &QWebSocket::textMessageReceived);
    page.open(QUrl(QStringLiteral("wss://127.0.0.1:%1/api/events").arg(m_face->port())));
    QTRY_COMPARE_WITH_TIMEOUT(states.count(), 1, 20000);
    QVERIFY(states.constFirst().constFirst().toString().contains(QLatin1String("\"relays\"")));
    // Plain HTTP on the port has no answer: nothing is said in the clear.
    QTcpSocket plain;
    plain.connectToHost(QHostAddress::LocalHost, m_face->port());
    QVERIFY(plain.waitForConnected(10000));
    plain.write("GET /api/card HTTP/1.1\r\nHost: 127.0.0.1\r\n\r\n");
    QTRY_COMPARE_WITH_TIMEOUT(plain.state(), QAbstractSocket::UnconnectedState, 30000);
    QVERIFY(!plain.readAll().contains("relays"));
    QTRY_COMPARE_WITH_TIMEOUT(silent.state(), QAbstractSocket::UnconnectedState, 30000);
}
