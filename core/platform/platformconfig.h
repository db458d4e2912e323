// SPDX-FileCopyrightText: 2026 Tarvex
// SPDX-License-Identifier: MIT
// The configuration file that names the vendor's library folders once for a
// lab: qx5170fp/qx5170fp.conf, the user's before the system's, with the key
// LibraryPath. Written by hand and shared between users, so every way it can
// be unusable is said in one line, and a file that cannot be used is passed
// over as if it were absent rather than read in part.
#pragma once

#include <QString>
#include <QStringList>

namespace sfp::platformConfig {

// Larger than any configuration a person writes; a larger file is not one.
inline constexpr qint64 maxFileSize = qint64(64) * 1024;

// The files in the order they are read: in $XDG_CONFIG_HOME (by default
// ~/.config), then in each folder of $XDG_CONFIG_DIRS (by default
// /etc/xdg). Relative folders in either variable are ignored.
QStringList files();

struct Reading
{
    bool set = false; // the file holds LibraryPath (perhaps empty)
    // Its folders, separated by ':' in the file: "~/" is the home folder,
    // and a relative folder is taken from the file's own folder.
    QStringList folders;
    // Why the file is passed over, naming it; empty when it is absent,
    // holds nothing, or was read.
    QString warning;
};

Reading read(const QString &path);

} // namespace sfp::platformConfig
