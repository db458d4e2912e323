// SPDX-FileCopyrightText: 2026 Tarvex
// SPDX-License-Identifier: MIT
#include "inifilesave.h"

#include "filecopy.h"
#include "systemerror.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QVariantMap>

#include <algorithm>
#include <cerrno>
#include <sys/stat.h>
#include <unistd.h>

namespace sfp::iniFile {

namespace {

const char cannotWrite[] = "the file cannot be written";

SaveResult failure(const QString &reason)
{
    return {false, reason};
}

SaveResult writeFailure(const QString &detail)
{
    return failure(QLatin1String(cannotWrite) + QLatin1String(": ") + detail);
}

// Text in UTF-16 or UTF-32, as some Windows tools write it, and binary
// files hold NUL bytes: QSettings reads those as keys of garbage, mostly
// without a word, and its next write would put them in place of all that
// the file held.
bool isIniText(const QByteArray &content)
{
    return !content.contains('\0');
}

// A key as QSettings writes it: no '/' at its ends, none doubled. A key
// read from a section without a name ("[]") starts with '/', and would be
// written back under [General] as another key.
bool writtenAsRead(const QString &key)
{
    return !key.startsWith(QLatin1Char('/')) && !key.endsWith(QLatin1Char('/'))
        && !key.contains(QLatin1String("//"));
}

QVariantMap keysAndValues(const QSettings &file)
{
    QVariantMap values;
    const QStringList keys = file.allKeys();
    for (const QString &key : keys)
        values.insert(key, file.value(key));
    return values;
}

// A value set as a number or a flag reads back as its text.
bool sameValue(const QVariant &set, const QVariant &read)
{
    return set == read
        || (set.canConvert<QString>() && read.canConvert<QString>()
            && set.toString() == read.toString());
}

bool sameKeysAndValues(const QVariantMap &set, const QVariantMap &read)
{
    if (set.size() != read.size())
        return false;
    for (auto it = set.cbegin(); it != set.cend(); ++it) {
        const auto found = read.constFind(it.key());
        if (found == read.cend() || !sameValue(it.value(), found.value()))
            return false;
    }
    return true;
}

} // namespace

SaveResult save(const QString &path, const std::function<void(QSettings &)> &change)
{
    // A link is followed, so that the file it names is the one replaced.
    const QFileInfo given(path);
    QString target = path;
    if (given.isSymLink())
        target = given.exists() ? given.canonicalFilePath() : given.symLinkTarget();
    const QFileInfo info(target);
    if (!QDir().mkpath(info.absolutePath()))
        return failure(QStringLiteral("its folder cannot be created"));
    if (info.isDir())
        return writeFailure(QStringLiteral("it is a folder"));

    const QByteArray nativeTarget = QFile::encodeName(target);
    struct stat original = {};
    const bool exists = ::stat(nativeTarget.constData(), &original) == 0;
    QByteArray content;
    if (exists) {
        // The copy replaces the file by a rename, which a read-only file
        // would not stop; it must stop the save as it stops any writer.
        if (::access(nativeTarget.constData(), W_OK) != 0)
            return writeFailure(systemError(errno));
        QFile file(target);
        if (!file.open(QIODevice::ReadOnly))
            return failure(QStringLiteral("the file cannot be read: %1").arg(file.errorString()));
        content = file.readAll();
        if (file.error() != QFileDevice::NoError)
            return failure(QStringLiteral("the file cannot be read: %1").arg(file.errorString()));
    }
    const QString notIni = QStringLiteral("it cannot be read as an INI file and was left as it is");
    if (!isIniText(content))
        return failure(notIni);

    // The copy starts as the file's own bytes, so that QSettings treats
    // everything it cannot parse exactly as it would in the file itself.
    // Nobody else reads the copy of an existing file before it has that
    // file's mode; a new file gets the mode any new file of the process
    // gets.
    FileCopy copy;
    bool made = false;
    if (const int error = copy.create(target, exists ? 0600 : 0666, content, &made); error != 0)
        return writeFailure(
            made ? systemError(error)
                 : QStringLiteral("no copy can be made beside it: %1").arg(systemError(error)));

    QVariantMap values;
    {
        QSettings settings(copy.name, QSettings::IniFormat);
        // Sections are parsed when their keys are first asked for; a
        // format error shows only then.
        const QStringList keys = settings.allKeys();
        if (settings.status() == QSettings::FormatError)
            return failure(notIni);
        const auto changed = std::find_if_not(keys.cbegin(), keys.cend(), writtenAsRead);
        if (changed != keys.cend())
            return failure(QStringLiteral("it holds a key that would be written back as another "
                                          "(\"%1\") and was left as it is")
                               .arg(*changed));
        change(settings);
        while (!settings.group().isEmpty())
            settings.endGroup();
        settings.sync();
        if (settings.status() != QSettings::NoError)
            return writeFailure(QStringLiteral("its copy cannot be written"));
        values = keysAndValues(settings);
    }

    // QSettings keeps what it wrote to a path and answers from that as long
    // as the file's size and time stamp stay as it left them, even when the
    // bytes on the disk are fewer; under a new name it must read them.
    const QString checked = unusedNameBeside(target);
    if (::rename(QFile::encodeName(copy.name).constData(), QFile::encodeName(checked).constData())
        != 0)
        return writeFailure(systemError(errno));
    copy.name = checked;
    {
        const QSettings readBack(copy.name, QSettings::IniFormat);
        if (readBack.status() != QSettings::NoError
            || !sameKeysAndValues(values, keysAndValues(readBack)))
            return writeFailure(QStringLiteral("its copy came out incomplete (is the disk full?)"));
    }

    // A new file keeps the mode the copy was made with; QSettings' own
    // rewrite of the copy keeps it too.
    if (const int error
        = copy.putInPlace(target, exists ? &original : nullptr, FileCopy::Owner::Kept);
        error != 0)
        return writeFailure(systemError(error));
    return {true, QString()};
}

QString text(const QSettings &file, const QString &key)
{
    const QVariant value = file.value(key);
    if (value.typeId() == QMetaType::QStringList)
        return value.toStringList().join(QLatin1Char(','));
    return value.toString();
}

} // namespace sfp::iniFile
