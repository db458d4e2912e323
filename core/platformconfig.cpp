// SPDX-FileCopyrightText: 2026 Tarvex
// SPDX-License-Identifier: MIT
#include "platformconfig.h"

#include "inifilesave.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QSettings>

#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace {

constexpr char configName[] = "qx5170fp/qx5170fp.conf";
constexpr char libraryPathKey[] = "LibraryPath";

QString systemError(int error)
{
    return QString::fromLocal8Bit(std::strerror(error));
}

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

// Reads at most maxFileSize + 1 bytes of a regular file; empty `why` when
// it was read. Opened without waiting, so that a FIFO in the file's place
// does not hold the program's start.
QByteArray readSmallFile(const QString &path, bool *absent, QString *why)
{
    const QByteArray name = QFile::encodeName(path);
    const int fd = ::open(name.constData(), O_RDONLY | O_NONBLOCK | O_CLOEXEC);
    if (fd < 0) {
        const int error = errno;
        *absent = error == ENOENT || error == ENOTDIR;
        *why = QStringLiteral("cannot be read (%1)").arg(systemError(error));
        return {};
    }
    QByteArray bytes;
    struct stat status
    { };
    if (::fstat(fd, &status) != 0) {
        *why = QStringLiteral("cannot be read (%1)").arg(systemError(errno));
    } else if (!S_ISREG(status.st_mode)) {
        *why = QStringLiteral("is not a regular file");
    } else if (status.st_size > sfp::platformConfig::maxFileSize) {
        *why = QStringLiteral("is larger than 64 KiB");
    } else {
        QFile file;
        if (file.open(fd, QIODevice::ReadOnly, QFileDevice::DontCloseHandle))
            bytes = file.read(sfp::platformConfig::maxFileSize + 1);
        if (!file.isOpen() || file.error() != QFileDevice::NoError)
            *why = QStringLiteral("cannot be read (%1)").arg(file.errorString());
        else if (bytes.size() > sfp::platformConfig::maxFileSize) // grown since measured
            *why = QStringLiteral("is larger than 64 KiB");
    }
    ::close(fd);
    return bytes;
}

} // namespace

namespace sfp::platformConfig {

QStringList files()
{
    QString home = qEnvironmentVariable("XDG_CONFIG_HOME");
    if (!usable(home))
        home = QDir::homePath() + QStringLiteral("/.config");
    QStringList folders {home};
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
    const QByteArray bytes = readSmallFile(path, &absent, &why);
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
