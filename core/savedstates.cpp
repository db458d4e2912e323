// SPDX-FileCopyrightText: 2026 Tarvex
// SPDX-License-Identifier: MIT
#include "savedstates.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QSaveFile>
#include <QStandardPaths>

#include <cerrno>
#include <cstring>

namespace {

// The mode names of the file, in the order of the panel's mode list.
const char *const modeNames[] = {"asynchronous", "command", "trigger"};

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
    object.insert(QStringLiteral("mode"), QLatin1String(modeNames[int(state.mode)]));
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
    for (int i = 0; i < int(std::size(modeNames)); ++i) {
        if (modeName == QLatin1String(modeNames[i]))
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

} // namespace

namespace sfp::savedStates {

QString defaultFolder()
{
    return QStandardPaths::writableLocation(QStandardPaths::GenericDataLocation)
        + QStringLiteral("/qx5170fp");
}

QString fileName(const QString &folder, int slot)
{
    return QStringLiteral("%1/state-%2.json").arg(folder).arg(slot);
}

QString save(const QString &path, const sfp::CardState &state)
{
    const QString folder = QFileInfo(path).absolutePath();
    if (!QDir().mkpath(folder))
        return QStringLiteral("the folder %1 cannot be made").arg(folder);
    // The new text goes to a file beside the old one, which it replaces by
    // a rename only once it is whole and flushed to the disk. Unbuffered:
    // Qt 6.4's QSaveFile does not notice a buffered write that fails only
    // when it is flushed at the commit (a full disk), and then renames an
    // empty file over the old one.
    QSaveFile file(path);
    if (!file.open(QIODevice::WriteOnly | QIODevice::Unbuffered))
        return file.errorString();
    const QByteArray text = toJson(state);
    errno = 0;
    if (file.write(text) != text.size()) {
        // The toolkit has no text of its own for this failure.
        QString reason
            = errno != 0 ? QString::fromLocal8Bit(std::strerror(errno)) : file.errorString();
        file.cancelWriting();
        return reason;
    }
    if (!file.commit())
        return file.errorString();
    // Read back, as the toolkit's word on a write is not always good.
    QFile written(path);
    if (!written.open(QIODevice::ReadOnly) || written.read(text.size() + 1) != text)
        return QStringLiteral("the file came out incomplete (is the disk full?)");
    return QString();
}

LoadResult load(const QString &path, sfp::CardState *state, QString *reason)
{
    QFile file(path);
    if (!file.exists())
        return LoadResult::Empty;
    const auto damaged = [reason](const QString &why) {
        if (reason)
            *reason = why;
        return LoadResult::Damaged;
    };
    if (!file.open(QIODevice::ReadOnly))
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
