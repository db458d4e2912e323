// SPDX-FileCopyrightText: 2026 Tarvex
// SPDX-License-Identifier: MIT
// A request of the web face as its routes see it, and their answer, apart
// from the HTTP server that carries them: the routes can be driven (and
// fuzzed) without a socket.
#pragma once

#include <QByteArray>
#include <QHostAddress>
#include <QList>
#include <QPair>
#include <QString>

namespace sfp {

struct WebRequest
{
    enum class Method { Other, Get, Head, Put, Post, Delete, Options, Patch };

    Method method = Method::Get;
    QString path; // decoded, as the URL gives it: "/relay/7/value"
    QByteArray body;
    QByteArray contentType; // the media type only, lower case: "application/json"
    QByteArray host; // the Host header, as sent
    QByteArray origin; // the Origin header, empty when none came
    QByteArray authorization; // the Authorization header, as sent
    QByteArray acceptLanguage; // the Accept-Language header, as sent: the pages' language
    // Whether it came over TLS (HTTPS).
    bool secure = false;
    QHostAddress peer;
    quint16 peerPort = 0;
    // The address and port the request came in on.
    QHostAddress local;
    quint16 localPort = 0;
    // The user name of the credentials that let the request change the
    // card, set by the face; empty when none were needed.
    QString user;
};

struct WebReply
{
    int status = 200;
    QByteArray contentType;
    QByteArray body;
    QList<QPair<QByteArray, QByteArray>> headers;

    void addHeader(const QByteArray &name, const QByteArray &value)
    {
        headers.append(qMakePair(name, value));
    }
};

} // namespace sfp
