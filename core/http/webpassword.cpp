// SPDX-FileCopyrightText: 2026 Tarvex
// SPDX-License-Identifier: MIT
#include "webpassword.h"

#include "smallfile.h"
#include "systemerror.h"

#include <QFile>

#include <crypt.h>
#include <memory>
#include <sys/stat.h>

namespace sfp::webPassword {

namespace {

// A hash line is short; a file much larger is no password file.
constexpr qint64 maxFileSize = 1024;

// crypt_r's answer, empty when it refuses (it answers "*0" or "*1" then).
QByteArray crypted(const QByteArray &password, const QByteArray &setting)
{
    // Some 32 KiB: kept off the stack.
    auto data = std::make_unique<crypt_data>();
    const char *const hash = ::crypt_r(password.constData(), setting.constData(), data.get());
    if (!hash || *hash == '*')
        return {};
    QByteArray result(hash);
    // What was worked out from the password goes with the answer.
    ::explicit_bzero(data.get(), sizeof(crypt_data));
    return result;
}

} // namespace

bool constantTimeEquals(QByteArrayView a, QByteArrayView b)
{
    const qsizetype length = std::max(a.size(), b.size());
    unsigned difference = a.size() == b.size() ? 0U : 1U;
    for (qsizetype i = 0; i < length; ++i) {
        const auto left = static_cast<unsigned char>(i < a.size() ? a[i] : 0);
        const auto right = static_cast<unsigned char>(i < b.size() ? b[i] : 0);
        difference |= unsigned(left ^ right);
    }
    return difference == 0;
}

QByteArray newHash(const QByteArray &password, QString *why)
{
    // The system's default cost for yescrypt, and a salt from its own
    // source of randomness.
    char *const setting = ::crypt_gensalt_ra("$y$", 0, nullptr, 0);
    if (!setting) {
        *why = QStringLiteral("no salt can be made: %1").arg(systemError(errno));
        return {};
    }
    QByteArray hash = crypted(password, QByteArray(setting));
    ::free(setting);
    if (hash.isEmpty())
        *why = QStringLiteral("the system cannot make a yescrypt hash");
    return hash;
}

bool matches(const QByteArray &password, const QByteArray &hash)
{
    const QByteArray made = crypted(password, hash);
    return !made.isEmpty() && constantTimeEquals(made, hash);
}

bool isHash(const QByteArray &text)
{
    // DES's old form, without "$", takes eight characters of a password.
    if (text.size() < 4 || !text.startsWith('$'))
        return false;
    for (const char c : text) {
        if (c <= ' ' || c > '~')
            return false;
    }
    // crypt(3) makes a hash of the same form, with the same salt, from any
    // password when the text is one of its hashes.
    const QByteArray made = crypted("-", text);
    const qsizetype saltEnd = text.lastIndexOf('$');
    return made.size() == text.size() && saltEnd > 0 && made.left(saltEnd) == text.left(saltEnd);
}

QByteArray readFile(const QString &path, QString *why)
{
    struct stat status
    { };
    if (::stat(QFile::encodeName(path).constData(), &status) == 0
        && (status.st_mode & (S_IRWXG | S_IRWXO)) != 0) {
        *why = QStringLiteral("may be read or written by others than its owner (chmod 600 it)");
        return {};
    }
    bool absent = false;
    QByteArray text = readSmallFile(path, maxFileSize, &absent, why);
    if (absent) {
        *why = QStringLiteral("does not exist");
        return {};
    }
    if (!why->isEmpty())
        return {};
    if (text.endsWith('\n'))
        text.chop(1);
    if (!isHash(text)) {
        *why = QStringLiteral("holds no password hash (make one with --set-password)");
        return {};
    }
    return text;
}

} // namespace sfp::webPassword
