// SPDX-FileCopyrightText: 2026 Tarvex
// SPDX-License-Identifier: MIT
#include "smallfile.h"

#include "filecopy.h"
#include "systemerror.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>

#include <cerrno>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace sfp {

QByteArray readSmallFile(const QString &path, qint64 maxSize, bool *absent, QString *why)
{
    *absent = false;
    why->clear();
    const QString tooLarge = QStringLiteral("is larger than %1 KiB").arg(maxSize / 1024);
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
    } else if (status.st_size > maxSize) {
        *why = tooLarge;
    } else {
        QFile file;
        if (file.open(fd, QIODevice::ReadOnly, QFileDevice::DontCloseHandle))
            bytes = file.read(maxSize + 1);
        if (!file.isOpen() || file.error() != QFileDevice::NoError)
            *why = QStringLiteral("cannot be read (%1)").arg(file.errorString());
        else if (bytes.size() > maxSize) // grown since measured
            *why = tooLarge;
    }
    ::close(fd);
    if (!why->isEmpty())
        bytes.clear();
    return bytes;
}

namespace {

QString replace(const QString &path, const QByteArray &bytes, bool ownerOnly)
{
    if (!QDir().mkpath(QFileInfo(path).absolutePath()))
        return QStringLiteral("its folder cannot be made");
    struct stat old
    { };
    const bool exists = ::lstat(QFile::encodeName(path).constData(), &old) == 0;
    if (exists && !S_ISREG(old.st_mode))
        return QStringLiteral("it is not a regular file, and was left as it is");
    // Nobody else reads the copy of an old file before it has that file's
    // mode; a new file gets the mode any new file of the process gets.
    FileCopy copy;
    bool made = false;
    if (const int error = copy.create(path, exists || ownerOnly ? 0600 : 0666, bytes, &made);
        error != 0)
        return made ? systemError(error)
                    : QStringLiteral("no copy can be made beside it: %1").arg(systemError(error));
    // Read back: the system's word on a write is not always good.
    bool absent = false;
    QString why;
    if (readSmallFile(copy.name, qint64(bytes.size()), &absent, &why) != bytes)
        return QStringLiteral("the copy came out incomplete (is the disk full?)");
    if (const int error
        = copy.putInPlace(path, exists && !ownerOnly ? &old : nullptr, FileCopy::Owner::Writer);
        error != 0)
        return systemError(error);
    return {};
}

} // namespace

QString replaceFile(const QString &path, const QByteArray &bytes)
{
    return replace(path, bytes, false);
}

QString replacePrivateFile(const QString &path, const QByteArray &bytes)
{
    return replace(path, bytes, true);
}

} // namespace sfp
