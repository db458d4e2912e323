// SPDX-FileCopyrightText: 2026 Tarvex
// SPDX-License-Identifier: MIT
#include "userfolders.h"

#include <QByteArray>
#include <QDir>

namespace {

QString home(const char *variable, const QString &fallback)
{
    const QString named = qEnvironmentVariable(variable);
    return QDir::isAbsolutePath(named) ? named : QDir::homePath() + fallback;
}

} // namespace

namespace sfp::userFolders {

QString configHome()
{
    return home("XDG_CONFIG_HOME", QStringLiteral("/.config"));
}

QString dataHome()
{
    return home("XDG_DATA_HOME", QStringLiteral("/.local/share"));
}

QString stateHome()
{
    return home("XDG_STATE_HOME", QStringLiteral("/.local/state"));
}

QString cardFolder(const QString &root, const QString &cardId)
{
    // '/' and '%' are encoded, so an id is one folder name and two ids never
    // meet in one; the colons of VISA's names stay readable.
    QByteArray name = cardId.toUtf8().toPercentEncoding(":");
    // Nothing, or dots alone, would name root itself or the folder above
    // it. A lone '%' is the name of no encoded id.
    if (name.count('.') == name.size())
        name = name.isEmpty() ? QByteArray("%") : cardId.toUtf8().toPercentEncoding(":", ".");
    return root + QLatin1Char('/') + QString::fromLatin1(name);
}

} // namespace sfp::userFolders
