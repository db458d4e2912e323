// SPDX-FileCopyrightText: 2026 Tarvex
// SPDX-License-Identifier: MIT
// The web face's certificate and private key (PEM files), checked before
// anything listens: readable, one certificate and its own key, the key
// kept from others.
#pragma once

#include <QSslConfiguration>
#include <QString>

namespace sfp::webTls {

// The server's TLS set-up from the two files; false, with `why` one line
// that names the file at fault, when they cannot serve.
bool load(const QString &certificatePath, const QString &keyPath, QSslConfiguration *configuration,
          QString *why);

} // namespace sfp::webTls
