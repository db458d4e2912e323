// SPDX-FileCopyrightText: 2026 Tarvex
// SPDX-License-Identifier: MIT
// The steps every writer here takes to replace a file completely or not at
// all: a copy beside the file, written in full, checked by the writer in
// its own way, and put in the file's place by a rename once it is on the
// disk. The copy never outlives a replacement that does not happen.
#pragma once

#include <QByteArray>
#include <QString>

#include <sys/stat.h>

namespace sfp {

// A name beside `path` that no file has at the moment.
QString unusedNameBeside(const QString &path);

class FileCopy final
{
public:
    // Whose the file is once replaced: the old file's owner and group where
    // the process may set them, or the writer's, as any file it makes.
    enum class Owner { Kept, Writer };

    FileCopy() = default;
    FileCopy(const FileCopy &) = delete;
    FileCopy &operator=(const FileCopy &) = delete;
    ~FileCopy();

    // Makes the copy beside `path` with `mode` (less the process's umask)
    // and writes `bytes` to it in full. Returns 0, or the error number;
    // `*made` says whether the copy was made at all.
    int create(const QString &path, mode_t mode, const QByteArray &bytes, bool *made);

    // Gives the copy the old file's mode (and owner, as `owner` says) when
    // `old` names one, flushes it to the disk and renames it over `path`;
    // the rename then reaches the disk with the folder. Returns 0, or the
    // error number with the copy still beside the file.
    int putInPlace(const QString &path, const struct stat *old, Owner owner);

    // Empty once the copy is in place; a writer may rename the copy and
    // set the new name here.
    QString name;
};

} // namespace sfp
