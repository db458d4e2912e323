// SPDX-FileCopyrightText: 2026 Tarvex
// SPDX-License-Identifier: MIT
// The file DefaultInstrDescr.ini, in which the address entry dialog keeps
// the descriptors and function-card numbers typed for each card model
// between runs. One file serves the panels of every model, each in a
// section of its own; other programs and people may read or prepare it.
// The dialog reads and writes it through QSettings; this holds the rules
// around that: where the file lives, the keys, the history of a row, and
// how stored numbers are read.
#pragma once

#include <QSettings>
#include <QString>
#include <QStringList>

#include <functional>

namespace sfp::descriptorStore {

// Rows of the address entry dialog, history entries per row.
inline constexpr int maxRows = 8;
inline constexpr int historyLength = 5;
// What row 1 offers when the file has nothing for it.
inline constexpr char defaultDescriptor[] = "TCPIP::192.168.2.100::INSTR";

// Keys of the file inside a model's section: "r.k.Descriptor",
// "r.FC_Number" and "FC_Count".
QString descriptorKey(int row, int position);
QString fcNumberKey(int row);
inline constexpr char countKey[] = "FC_Count";

// Full path of the file. On Windows the common application-data folder of
// all users (ALLUSERSPROFILE, else "c:\vxipnp"), then "Tarvex". Elsewhere
// ALLUSERSPROFILE when it is set and not empty, else the user's
// configuration folder, then "Tarvex".
QString iniFilePath();
// The two rules apart, so that each can be checked on any system.
QString windowsIniFilePath(const QString &allUsersProfile);
QString otherSystemsIniFilePath(const QString &allUsersProfile, const QString &userConfigFolder);

// A row's history as it is stored: the current text first, then the
// entries of the row's list, each text once (the first occurrence kept,
// compared exactly), at most historyLength of them.
QStringList history(const QString &current, const QStringList &entries);

// The integer that `key` holds: `defaultValue` when the key is missing, 0
// when its value is not a decimal number that fits an int.
int storedNumber(const QSettings &file, const QString &key, int defaultValue);

// Index of the function-card number box for a stored "r.FC_Number": the
// number itself when it is one of the box's entries 0 ("Select") to 8,
// else 0.
int fcNumberIndex(int storedNumber);
// Index of the count box for a stored "FC_Count": count - 1 when the count
// is 1 to `entries`, else 0 (one row in use).
int countIndex(int storedCount, int entries = maxRows);

// Sets keys through `change` and writes the file, creating its folder
// first; the file is replaced only by a complete copy. When that fails,
// says so in one line on standard error, naming the file and the reason,
// and returns false; the operator is not troubled with it.
bool save(const QString &path, const std::function<void(QSettings &)> &change);

} // namespace sfp::descriptorStore
