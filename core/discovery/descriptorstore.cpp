// SPDX-FileCopyrightText: 2026 Tarvex
// SPDX-License-Identifier: MIT
#include "descriptorstore.h"

#include "inifilesave.h"

#include <QCoreApplication>
#include <QDir>
#include <QFileInfo>
#include <QStandardPaths>

#include <cstdio>

namespace sfp::descriptorStore {

namespace {

const char fileName[] = "DefaultInstrDescr.ini";
const char makerFolder[] = "Tarvex";

void reportWriteFailure(const QString &path, const QString &reason)
{
    std::fprintf(stderr, "%s: the typed addresses could not be saved in %s: %s\n",
                 qUtf8Printable(QCoreApplication::applicationName()),
                 qUtf8Printable(QDir::toNativeSeparators(path)), qUtf8Printable(reason));
    std::fflush(stderr);
}

} // namespace

QString descriptorKey(int row, int position)
{
    return QStringLiteral("%1.%2.Descriptor").arg(row).arg(position);
}

QString fcNumberKey(int row)
{
    return QStringLiteral("%1.FC_Number").arg(row);
}

QString windowsIniFilePath(const QString &allUsersProfile)
{
    const QString folder
        = allUsersProfile.isEmpty() ? QStringLiteral("c:\\vxipnp") : allUsersProfile;
    return folder + QLatin1Char('\\') + QLatin1String(makerFolder) + QLatin1Char('\\')
        + QLatin1String(fileName);
}

QString otherSystemsIniFilePath(const QString &allUsersProfile, const QString &userConfigFolder)
{
    // Backslashes would end up in the file's name here, and a fixed folder
    // in the working directory; the user's configuration folder is where
    // such a file belongs when no common folder is named.
    QString folder = allUsersProfile;
    if (folder.isEmpty())
        folder = userConfigFolder;
    if (folder.isEmpty())
        folder = QDir::homePath() + QLatin1String("/.config");
    return QDir::toNativeSeparators(QDir::cleanPath(folder + QLatin1Char('/')
                                                    + QLatin1String(makerFolder) + QLatin1Char('/')
                                                    + QLatin1String(fileName)));
}

QString iniFilePath()
{
    const QString allUsersProfile = qEnvironmentVariable("ALLUSERSPROFILE");
#ifdef Q_OS_WIN
    return windowsIniFilePath(allUsersProfile);
#else
    return otherSystemsIniFilePath(
        allUsersProfile, QStandardPaths::writableLocation(QStandardPaths::GenericConfigLocation));
#endif
}

QStringList history(const QString &current, const QStringList &entries)
{
    QStringList list;
    list.append(current);
    for (const QString &entry : entries) {
        if (list.size() == historyLength)
            break;
        if (!list.contains(entry, Qt::CaseSensitive))
            list.append(entry);
    }
    return list;
}

int storedNumber(const QSettings &file, const QString &key, int defaultValue)
{
    if (!file.contains(key))
        return defaultValue;
    // QVariant's own conversion would wrap a number beyond the int range
    // into some other number; such a value is no number at all.
    bool ok = false;
    const int number = file.value(key).toString().toInt(&ok, 10);
    return ok ? number : 0;
}

int fcNumberIndex(int storedNumber)
{
    // A number the box does not offer would leave it without a valid entry
    // and let an invalid card number past the checks.
    return storedNumber >= 0 && storedNumber <= maxRows ? storedNumber : 0;
}

int countIndex(int storedCount, int entries)
{
    // Compared before subtracting: the stored count may be INT_MIN.
    return storedCount >= 1 && storedCount <= entries ? storedCount - 1 : 0;
}

bool save(const QString &path, const std::function<void(QSettings &)> &change)
{
    const sfp::iniFile::SaveResult result = sfp::iniFile::save(path, change);
    if (!result.saved)
        reportWriteFailure(path, result.reason);
    return result.saved;
}

} // namespace sfp::descriptorStore
