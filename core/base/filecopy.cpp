// SPDX-FileCopyrightText: 2026 Tarvex
// SPDX-License-Identifier: MIT
#include "filecopy.h"

#include <QFile>
#include <QFileInfo>
#include <QRandomGenerator>

#include <cerrno>
#include <fcntl.h>
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

} // namespace

QString unusedNameBeside(const QString &path)
{
    for (;;) {
        QString name = QStringLiteral("%1.%2").arg(
            path, QString::number(QRandomGenerator::global()->generate(), 36));
        if (!QFileInfo::exists(name))
            return name;
    }
}

FileCopy::~FileCopy()
{
    if (!name.isEmpty())
        QFile::remove(name);
}

int FileCopy::create(const QString &path, mode_t mode, const QByteArray &bytes, bool *made)
{
    int fd = -1;
    do {
        name = unusedNameBeside(path);
        fd = ::open(QFile::encodeName(name).constData(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC,
                    mode);
    } while (fd < 0 && errno == EEXIST);
    *made = fd >= 0;
    if (fd < 0) {
        name.clear();
        return errno;
    }
    const bool written = writeAll(fd, bytes);
    const int writeError = errno;
    if (::close(fd) != 0 || !written)
        return written ? errno : writeError;
    return 0;
}

int FileCopy::putInPlace(const QString &path, const struct stat *old, Owner owner)
{
    const QByteArray copy = QFile::encodeName(name);
    const int fd = ::open(copy.constData(), O_RDONLY | O_CLOEXEC);
    if (fd < 0)
        return errno;
    // A new file keeps the mode the copy was made with.
    bool kept = true;
    if (old) {
        // Before the mode: a change of owner clears its set-user-ID bit.
        if (owner == Owner::Kept && ::fchown(fd, old->st_uid, old->st_gid) != 0
            && ::fchown(fd, static_cast<uid_t>(-1), old->st_gid) != 0) {
            // Neither is allowed: the file becomes the writer's all the same.
        }
        kept = ::fchmod(fd, old->st_mode & 07777) == 0;
    }
    const bool synced = kept && ::fsync(fd) == 0;
    const int syncError = errno;
    ::close(fd);
    if (!synced)
        return syncError;
    if (::rename(copy.constData(), QFile::encodeName(path).constData()) != 0)
        return errno;
    name.clear();

    // The rename itself reaches the disk with the folder. Some file systems
    // refuse to sync a folder; the file is in place by then.
    const int folderFd = ::open(QFile::encodeName(QFileInfo(path).absolutePath()).constData(),
                                O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (folderFd >= 0) {
        ::fsync(folderFd);
        ::close(folderFd);
    }
    return 0;
}

} // namespace sfp
