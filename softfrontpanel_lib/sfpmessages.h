// SPDX-FileCopyrightText: 2026 Tarvex
// SPDX-License-Identifier: MIT
// The three message boxes through which every operator-visible message of a
// soft front panel goes.
#pragma once

#include <QString>

// Inserted into the titles of the library's dialogs, between "Orbelan " and
// the kind of the dialog. Empty unless a card program names itself.
extern QString qx2010fp_sfpName;

// Modal boxes over the active window (or without a parent when no window is
// active); each returns when the operator has answered.
void sfpInfoMessage(const QString &message);
void sfpWarningMessage(const QString &message);
// Asks below the message whether to exit; Yes ends the process at once with
// exit status 0, any other answer returns.
void sfpErrorMessage(const QString &message);
