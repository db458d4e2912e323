// SPDX-FileCopyrightText: 2026 Tarvex
// SPDX-License-Identifier: MIT
#include "savedstates.h"

#include "smallfile.h"
#include "systemerror.h"

#include "userfolders.h"

#include <QDir>
#include <QFile>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QScopeGuard>

#include <cerrno>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace {

// A state file is a few hundred bytes; anything much larger is not one.
constexpr qint64 maxFileSize = qint64(64) * 1024;

QByteArray toJson(const sfp::CardState &state)
{
    QJsonArray closed;
    for (int relay = 1; relay <= int(state.closed.size()); ++relay) {
        if (state.closed[size_t(relay - 1)])
            closed.append(relay);
    }
    QJsonObject object;
    object.insert(QStringLiteral("closed"), closed);
    object.insert(QStringLiteral("mode"),
                  QLatin1String(sfp::switchingModes::savedStateNames[size_t(state.mode)]));
    object.insert(QStringLiteral("exclusive"), state.exclusive);
    return QJsonDocument(object).toJson();
}

// Empty when the object is a state, else why not.
QString fromJson(const QJsonObject &object, sfp::CardState *state)
{
    const QJsonValue closed = object.value(QStringLiteral("closed"));
    const QJsonValue mode = object.value(QStringLiteral("mode"));
    const QJsonValue exclusive = object.value(QStringLiteral("exclusive"));
    if (!closed.isArray() || !mode.isString() || !exclusive.isBool())
        return QStringLiteral(
            "\"closed\", \"mode\" or \"exclusive\" is missing or of the wrong type");

    sfp::CardState result;
    const QJsonArray relays = closed.toArray();
    for (const auto &value : relays) {
        const double relay = value.toDouble(-1);
        if (!value.isDouble() || relay < 1 || relay > double(result.closed.size())
            || relay != double(int(relay)))
            return QStringLiteral("\"closed\" holds something other than relays 1 to 32");
        result.closed[size_t(int(relay) - 1)] = true;
    }
    const QString modeName = mode.toString();
    int modeIndex = -1;
    for (int i = 0; i < sfp::switchingModeCount; ++i) {
        if (modeName == QLatin1String(sfp::switchingModes::savedStateNames[size_t(i)]))
            modeIndex = i;
    }
    if (modeIndex < 0)
        return QStringLiteral("\"mode\" is none of asynchronous, command and trigger");
    result.mode = sfp::SwitchingMode(modeIndex);
    result.exclusive = exclusive.toBool();
    // Under the exclusive rule no pair has both relays closed; bringing such
    // a state back would switch a relay the file says is closed.
    if (const int pair = result.pairBreakingExclusiveRule(); pair != 0)
        return QStringLiteral("both relays of pair %1 are closed under the exclusive rule")
            .arg(pair);
    *state = result;
    return QString();
}

// What stands in a slot's place, for a reason.
QString kindOf(mode_t mode)
{
    if (S_ISLNK(mode))
        return QStringLiteral("a symbolic link");
    if (S_ISDIR(mode))
        return QStringLiteral("a folder");
    if (S_ISFIFO(mode))
        return QStringLiteral("a FIFO");
    if (S_ISCHR(mode) || S_ISBLK(mode))
        return QStringLiteral("a device");
    if (S_ISSOCK(mode))
        return QStringLiteral("a socket");
    return QStringLiteral("something else");
}

} // namespace

namespace sfp::savedStates {

QString defaultFolder()
{
    return QDir::cleanPath(userFolders::dataHome() + QStringLiteral("/qx5170fp"));
}

QString fileName(const QString &folder, int slot)
{
    // Not with arg() after arg(): the "%2" of an encoded card id would take
    // the slot's number.
    return folder + QStringLiteral("/state-") + QString::number(slot) + QStringLiteral(".json");
}

QString save(const QString &path, const sfp::CardState &state)
{
    // Only a file of ours is replaced: the rename at the end would put the
    // state in place of a symbolic link, a FIFO or a device just as well,
    // and whatever the operator keeps there would be gone. The reasons
    // reach remote clients, so they name no path.
    const QByteArray name = QFile::encodeName(path);
    struct stat status
    { };
    if (::lstat(name.constData(), &status) == 0) {
        if (!S_ISREG(status.st_mode))
            return QStringLiteral("its file is %1, not a regular file, and was left as it is")
                .arg(kindOf(status.st_mode));
        // A rename would replace a read-only file all the same; it stops
        // the save as it stops any writer.
        if (::access(name.constData(), W_OK) != 0)
            return systemError(errno);
    }
    return replaceFile(path, toJson(state));
}

LoadResult load(const QString &path, sfp::CardState *state, QString *reason)
{
    const auto damaged = [reason](const QString &why) {
        if (reason)
            *reason = why;
        return LoadResult::Damaged;
    };
    // Anything but a regular file is refused before it is opened: opening a
    // FIFO waits for a writer, and a device may act on being opened.
    const QByteArray name = QFile::encodeName(path);
    struct stat status
    { };
    if (::stat(name.constData(), &status) != 0) {
        const int error = errno;
        if (error == ENOENT || error == ENOTDIR)
            return LoadResult::Empty;
        return damaged(systemError(error));
    }
    if (!S_ISREG(status.st_mode))
        return damaged(
            QStringLiteral("its file is %1, not a regular file").arg(kindOf(status.st_mode)));
    // Without waiting, and checked once more, in case something else took
    // the file's place meanwhile.
    const int fd = ::open(name.constData(), O_RDONLY | O_NONBLOCK | O_CLOEXEC);
    if (fd < 0)
        return damaged(systemError(errno));
    if (::fstat(fd, &status) != 0 || !S_ISREG(status.st_mode)) {
        ::close(fd);
        return damaged(QStringLiteral("its file is not a regular file"));
    }
    const auto closeHandle = qScopeGuard([fd] { ::close(fd); });
    QFile file;
    if (!file.open(fd, QIODevice::ReadOnly, QFileDevice::DontCloseHandle))
        return damaged(file.errorString());
    const QByteArray text = file.read(maxFileSize + 1);
    if (text.size() > maxFileSize)
        return damaged(QStringLiteral("the file is too large"));
    QJsonParseError error {};
    const QJsonDocument document = QJsonDocument::fromJson(text, &error);
    if (error.error != QJsonParseError::NoError)
        return damaged(
            QStringLiteral("no JSON at byte %1: %2").arg(error.offset).arg(error.errorString()));
    if (!document.isObject())
        return damaged(QStringLiteral("no JSON object"));
    const QString why = fromJson(document.object(), state);
    if (!why.isEmpty())
        return damaged(why);
    return LoadResult::Loaded;
}

} // namespace sfp::savedStates
