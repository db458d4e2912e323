// SPDX-FileCopyrightText: 2026 Tarvex
// SPDX-License-Identifier: MIT
// What the headless server says, one line per event worth an admin's
// attention. Under a service manager whose journal takes standard error,
// each line carries its syslog priority ("<3>" an error ... "<6>" for
// information), which the journal reads off and keeps; elsewhere the line
// is the program's usual "qx5170fp: ...".
#pragma once

#include "cardservice.h"

#include <QByteArray>
#include <QString>

namespace sfp::journal {

// Whether standard error is the stream JOURNAL_STREAM names (its device
// and inode): a variable inherited by a child that writes elsewhere does
// not count.
bool standardErrorIsJournal();

// The line as written, its end included.
QByteArray line(CardService::Priority priority, const QString &text, bool toJournal);

// Writes the line to standard error.
void say(CardService::Priority priority, const QString &text);

} // namespace sfp::journal
