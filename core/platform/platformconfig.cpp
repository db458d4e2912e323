// SPDX-FileCopyrightText: 2026 Tarvex
// SPDX-License-Identifier: MIT
#include "platformconfig.h"

#include "inifilesave.h"
#include "smallfile.h"
#include "userfolders.h"

#include <QDir>
#include <QFileInfo>
#include <QSettings>

namespace {

constexpr char configName[] = "qx5170fp/qx5170fp.conf";
constexpr char libraryPathKey[] = "LibraryPath";

// A folder of an XDG variable: only absolute folders count.
bool usable(const QString &folder)
{
    return QDir::isAbsolutePath(folder);
}

QString folderOf(const QString &entry, const QString &fileFolder)
{
    if (entry == QLatin1String("~"))
        return QDir::homePath();
    if (entry.startsWith(QLatin1String("~/")))
        return QDir::cleanPath(QDir::homePath() + entry.mid(1));
    return QDir::cleanPath(QDir(fileFolder).absoluteFilePath(entry));
}

} // namespace

namespace sfp::platformConfig {

QStringList files()
{
    QStringList folders {userFolders::configHome()};
    QStringList system;
    const QStringList listed
        = qEnvironmentVariable("XDG_CONFIG_DIRS").split(QLatin1Char(':'), Qt::SkipEmptyParts);
    for (const QString &folder : listed) {
        if (usable(folder))
            system.append(folder);
    }
    if (system.isEmpty())
        system.append(QStringLiteral("/etc/xdg"));
    folders += system;

    QStringList result;
    for (const QString &folder : std::as_const(folders))
        result.append(QDir::cleanPath(folder + QLatin1Char('/') + QLatin1String(configName)));
    return result;
}

Reading read(const QString &path)
{
    Reading reading;
    const auto passedOver = [&](const QString &why) {
        reading.warning = QStringLiteral("%1 is ignored: it %2").arg(path, why);
        return reading;
    };

    bool absent = false;
    QString why;
    const QByteArray bytes
        = sfp::readSmallFile(path, sfp::platformConfig::maxFileSize, &absent, &why);
    if (absent)
        return reading;
    if (!why.isEmpty())
        return passedOver(why);
    if (bytes.contains('\0'))
        return passedOver(QStringLiteral("is not text (it holds NUL bytes, as UTF-16 text does)"));

    const QSettings settings(path, QSettings::IniFormat);
    if (settings.status() != QSettings::NoError)
        return passedOver(QStringLiteral("is not an INI file"));
    const QStringList keys = settings.allKeys();
    if (keys.isEmpty())
        return reading;
    const QString wanted = QLatin1String(libraryPathKey);
    if (!settings.contains(wanted)) {
        // The key in another case or in a section is the usual slip.
        QStringList near;
        for (const QString &key : keys) {
            if (key.section(QLatin1Char('/'), -1).compare(wanted, Qt::CaseInsensitive) == 0)
                near.append(key);
        }
        return passedOver(near.isEmpty() ? QStringLiteral("holds no LibraryPath key")
                                         : QStringLiteral("holds no LibraryPath key (only %1)")
                                               .arg(near.join(QLatin1String(", "))));
    }

    reading.set = true;
    const QString fileFolder = QFileInfo(path).absolutePath();
    const QStringList entries
        = sfp::iniFile::text(settings, wanted).split(QLatin1Char(':'), Qt::SkipEmptyParts);
    for (const QString &entry : entries)
        reading.folders.append(folderOf(entry, fileFolder));
    return reading;
}

} // namespace sfp::platformConfig
