// SPDX-FileCopyrightText: 2026 Tarvex
// SPDX-License-Identifier: MIT
// --set-password: the web face's password read from the user and kept as
// a salted hash, without a display or the card.
#pragma once

struct qx5170fpCommandLine;

// Reads the password (twice, unechoed, from a terminal; else one line of
// standard input) and writes its hash to the file named. Returns the exit
// status.
int qx5170fpSetPassword(const qx5170fpCommandLine &commandLine);
