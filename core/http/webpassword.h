// SPDX-FileCopyrightText: 2026 Tarvex
// SPDX-License-Identifier: MIT
// The web face's password, kept as the system's crypt(3) keeps a login's
// (yescrypt, salted) in a file only its owner reads; the password itself
// is never stored.
#pragma once

#include <QByteArray>
#include <QByteArrayView>
#include <QString>

namespace sfp::webPassword {

// Whether a and b hold the same bytes, in a time that depends on their
// lengths only, never on where they first differ.
bool constantTimeEquals(QByteArrayView a, QByteArrayView b);

// A new salted hash of `password`; empty, with `why`, when the system
// cannot make one.
QByteArray newHash(const QByteArray &password, QString *why);
// Whether `password` is the one `hash` was made from.
bool matches(const QByteArray &password, const QByteArray &hash);
// Whether `text` is a hash crypt(3) takes: one of its "$id$" forms, which
// it makes again in the same form.
bool isHash(const QByteArray &text);

// The hash in a password file; empty, with `why` completing a sentence
// that names the file ("is readable by others"), when it cannot be used.
QByteArray readFile(const QString &path, QString *why);

} // namespace sfp::webPassword
