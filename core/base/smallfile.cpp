// SPDX-FileCopyrightText: 2026 Tarvex
// SPDX-License-Identifier: MIT
#include "smallfile.h"

#include "systemerror.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QRandomGenerator>

#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace sfp {

namespace {

bool writeAll(int fd, const QByteArray &bytes)
{
    const char *data = bytes.constData();
    auto left = static_cast<size_t>(bytes.size());
    while (left > 0) {
        const ssize_t written = ::write(fd, data, left);
        if (written < 0 && errno == EINTR)
            continue;
        if (written <= 0)
            return false;
        data += written;
        left -= static_cast<size_t>(written);
    }
    return true;
}

// The new file's name beside the old one, made so that no other has it.
int createCopy(const QString &path, mode_t mode, QByteArray *name)
{
    for (;;) {
        *name = QFile::encodeName(QStringLiteral("%1.%2").arg(
            path, QString::number(QRandomGenerator::global()->generate(), 36)));
        const int fd = ::open(name->constData(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, mode);
        if (fd >= 0 || errno != EEXIST)
            return fd;
    }
}

} // namespace

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

QString replaceFile(const QString &path, const QByteArray &bytes)
{
    const QString folder = QFileInfo(path).absolutePath();
    if (!QDir().mkpath(folder))
        return QStringLiteral("its folder cannot be made");
    const QByteArray name = QFile::encodeName(path);
    struct stat status
    { };
    mode_t mode = 0666; // less the umask, as any new file
    if (::lstat(name.constData(), &status) == 0) {
        if (!S_ISREG(status.st_mode))
            return QStringLiteral("it is not a regular file, and was left as it is");
        mode = status.st_mode & 07777;
    }
    QByteArray copyName;
    const int fd = createCopy(path, mode, &copyName);
    if (fd < 0)
        return QStringLiteral("no copy can be made beside it: %1").arg(systemError(errno));
    bool written = writeAll(fd, bytes);
    int error = errno;
    if (written && ::fsync(fd) != 0) {
        written = false;
        error = errno;
    }
    ::close(fd);
    // Read back: the system's word on a write is not always good.
    bool absent = false;
    QString why;
    if (written
        && readSmallFile(QFile::decodeName(copyName), qint64(bytes.size()), &absent, &why)
            != bytes) {
        written = false;
        error = 0;
    }
    if (!written) {
        ::unlink(copyName.constData());
        return error != 0 ? systemError(error)
                          : QStringLiteral("the copy came out incomplete (is the disk full?)");
    }
    if (::rename(copyName.constData(), name.constData()) != 0) {
        error = errno;
        ::unlink(copyName.constData());
        return systemError(error);
    }
    // The rename itself reaches the disk with the folder.
    const int folderFd = ::open(QFile::encodeName(folder).constData(), O_RDONLY | O_CLOEXEC);
    if (folderFd >= 0) {
        ::fsync(folderFd);
        ::close(folderFd);
    }
    return {};
}

} // namespace sfp
