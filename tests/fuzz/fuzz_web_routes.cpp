// SPDX-FileCopyrightText: 2026 Tarvex
// SPDX-License-Identifier: MIT
// Fuzzes the web face's routes without a socket: each input is one request
// on a demo card with a fixture (a mutual rule, labels, a description).
// The first byte chooses the method, the second the Origin header, the
// content type, whether another client holds the lock and whether the
// operator is being asked something; then the path, up to the first line
// end, and the body. The face answers every request with one of the
// statuses its document lists, never crashes, and every JSON body it gives
// parses: an error's as an object with the reason, a 405's with the Allow
// header beside it.
#include "cardsession.h"
#include "fixture.h"
#include "webface.h"
#include "webrequest.h"

#include <QCoreApplication>
#include <QJsonDocument>
#include <QJsonObject>

#include <algorithm>
#include <array>
#include <cstdint>
#include <cstdlib>

namespace {

using Method = sfp::WebRequest::Method;

constexpr std::array<Method, 8> methods {Method::Get,   Method::Head,   Method::Put,
                                         Method::Post,  Method::Delete, Method::Options,
                                         Method::Patch, Method::Other};
constexpr std::array<int, 11> documented {200, 400, 403, 404, 405, 409, 415, 423, 426, 500, 503};

void require(bool condition)
{
    if (!condition)
        std::abort();
}

QByteArray header(const sfp::WebReply &reply, const QByteArray &name)
{
    for (const auto &[key, value] : reply.headers) {
        if (key.compare(name, Qt::CaseInsensitive) == 0)
            return value;
    }
    return {};
}

struct Fixture
{
    Fixture()
    {
        static int argc = 1;
        static char name[] = "fuzz_web_routes";
        static char *argv[] = {name, nullptr};
        app = new QCoreApplication(argc, argv);
        card = new sfp::CardSession(0, true);
        sfp::Fixture wiring;
        wiring.description = QStringLiteral("Bench 3 power");
        wiring.labels[0] = QStringLiteral("PSU rail");
        wiring.labels[1] = QStringLiteral("GND");
        wiring.rules.append(
            {QStringLiteral("rail or ground"), sfp::FixtureRule::Kind::Mutual, {1, 2}});
        card->setFixture(wiring, QString(), false);
        face = new sfp::WebFace;
        face->setOperatorAsked([this] { return operatorAsked; });
        sfp::WebCard about;
        about.identity = "Orbelan,5170,DEMO,1.4.0";
        about.simulated = true;
        face->start(card, nullptr, about);
        // A face whose card is not connected yet.
        idle = new sfp::WebFace;
    }

    // The card as each input finds it: asynchronous, every relay open, no
    // exclusive rule, no lock.
    void reset() const
    {
        card->setLockHolder(QString());
        card->selectMode(sfp::SwitchingMode(0));
        card->setExclusive(false);
        card->closeRelays({}, true);
    }

    QCoreApplication *app;
    sfp::CardSession *card;
    sfp::WebFace *face;
    sfp::WebFace *idle;
    bool operatorAsked = false;
};

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    static Fixture fixture;
    if (size < 2)
        return 0;
    fixture.reset();

    sfp::WebRequest request;
    request.method = methods[data[0] % methods.size()];
    const uint8_t flags = data[1];
    const QByteArray rest(reinterpret_cast<const char *>(data + 2), qsizetype(size - 2));
    const qsizetype lineEnd = rest.indexOf('\n');
    request.path = QString::fromUtf8(lineEnd < 0 ? rest : rest.left(lineEnd));
    request.body = lineEnd < 0 ? QByteArray() : rest.mid(lineEnd + 1);
    request.host = "127.0.0.1:8080";
    static const std::array<QByteArray, 4> origins {QByteArray(), "http://127.0.0.1:8080",
                                                    "http://evil.example", "null"};
    request.origin = origins[flags & 3];
    static const std::array<QByteArray, 4> types {"application/json", QByteArray(), "text/plain",
                                                  "application/x-www-form-urlencoded"};
    request.contentType = types[(flags >> 2) & 3];
    request.peer = QHostAddress::LocalHost;
    request.peerPort = 40000;
    request.local = QHostAddress::LocalHost;
    request.localPort = 8080;
    if (flags & 0x10)
        fixture.card->setLockHolder(QStringLiteral("socket 127.0.0.1:40001"));
    fixture.operatorAsked = (flags & 0x20) != 0;
    const bool idle = (flags & 0xC0) == 0xC0;

    const sfp::CardState before = fixture.card->state();
    const sfp::WebReply reply = (idle ? fixture.idle : fixture.face)->handle(request);
    fixture.operatorAsked = false;

    // A refused request changes nothing; a reading changes nothing either.
    if (reply.status != 200 || request.method == Method::Get)
        require(fixture.card->state() == before);
    require(reply.status != 423 || (flags & 0x10) != 0);

    require(std::find(documented.begin(), documented.end(), reply.status) != documented.end());
    require(!idle || reply.status == 503);
    require(header(reply, "Cache-Control") == "no-store");
    if (reply.status == 405)
        require(!header(reply, "Allow").isEmpty());
    if (reply.contentType == "application/json") {
        QJsonParseError error;
        const QJsonDocument document = QJsonDocument::fromJson(reply.body, &error);
        require(error.error == QJsonParseError::NoError && document.isObject());
        if (reply.status >= 400) {
            const QJsonObject object = document.object();
            require(object.value(QStringLiteral("error")).isString());
            require(!object.value(QStringLiteral("error")).toString().isEmpty());
            for (auto it = object.begin(); it != object.end(); ++it)
                require(it.key() == QLatin1String("error")
                        || it.key() == QLatin1String("scpiError"));
        }
    } else {
        // Only the pages, the identification and the relay's value are
        // not JSON, and those are never errors.
        require(reply.status == 200);
    }
    if (reply.status == 423 || reply.status == 409)
        require(request.method != Method::Get);
    return 0;
}
