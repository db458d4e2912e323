// SPDX-FileCopyrightText: 2026 Tarvex
// SPDX-License-Identifier: MIT
// Saving keys into an INI file that other programs and people share, so
// that the file is never left emptied, cut or garbled.
//
// QSettings (Qt 6.4) writes a whole new file and renames it over the old
// one even when the write failed (a full disk, a file size limit), and it
// rewrites a file it could not parse into something else entirely. Here
// QSettings writes a copy beside the file instead; the copy replaces the
// original only once it has been read back whole, with every key holding
// the value that was set or kept, and flushed to the disk. Otherwise the
// original stays as it was and the copy is removed.
#pragma once

#include <QSettings>
#include <QString>

#include <functional>

namespace sfp::iniFile {

// Why a save did not happen; the texts name the cause for a message line.
struct SaveResult
{
    bool saved = false;
    QString reason; // empty when saved
};

// Sets keys through `change` on the INI file at `path` (created, with its
// folder, when missing) and replaces the file with the result. Every key
// that `change` does not set keeps its value. The file keeps its mode, and
// its owner and group where the process may set them. A file that is not
// INI text QSettings can read (a format error, NUL bytes as in UTF-16 text),
// or that holds a key QSettings would write back as another (one read from
// a section without a name, "[]"), is not rewritten.
SaveResult save(const QString &path, const std::function<void(QSettings &)> &change);

// The text that `key` holds, empty when there is none. QSettings reads a
// value with an unquoted comma, as other programs write it, as a list;
// such a value is the one text it was written as.
QString text(const QSettings &file, const QString &key);

} // namespace sfp::iniFile
