// SPDX-FileCopyrightText: 2026 Tarvex
// SPDX-License-Identifier: MIT
// Reading a small file that the user keeps: without waiting on a FIFO in
// its place, and never more than the caller allows.
#pragma once

#include <QByteArray>
#include <QString>

namespace sfp {

// Reads at most maxSize + 1 bytes of a regular file; empty `why` when it
// was read. `absent` is set when there is no such file. `why` completes a
// sentence that names the file: "is not a regular file", "is larger than
// 64 KiB", "cannot be read (Permission denied)". Opened without waiting, so
// that a FIFO in the file's place does not hold the program's start.
QByteArray readSmallFile(const QString &path, qint64 maxSize, bool *absent, QString *why);

// Replaces the file at path with `bytes`, completely or not at all: they
// go to a new file beside it, which is flushed to the disk and read back
// whole before it is renamed over the old one, whose mode it keeps. The
// folder is made when missing. Only a regular file (or none) is replaced:
// a symbolic link, a FIFO or a folder in its place is left as it is.
// Returns empty text, or why nothing was replaced.
QString replaceFile(const QString &path, const QByteArray &bytes);
// The same for a file only its owner may read (mode 0600), whatever mode
// the old one had: the copy is never readable by others either.
QString replacePrivateFile(const QString &path, const QByteArray &bytes);

} // namespace sfp
