// SPDX-FileCopyrightText: 2026 Tarvex
// SPDX-License-Identifier: MIT
#include "smallfile.h"

#include <QFile>

#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace sfp {

namespace {

QString systemError(int error)
{
    return QString::fromLocal8Bit(std::strerror(error));
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

} // namespace sfp
