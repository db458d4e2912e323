// SPDX-FileCopyrightText: 2026 Tarvex
// SPDX-License-Identifier: MIT
// The switching log's tools on the command line: its changes as SCPI
// lines, and its relays as a Value Change Dump. They read a file and end,
// without a display or the card.
#pragma once

struct qx5170fpCommandLine;

// --log-to-scpi: the SCPI lines on standard output. Returns the exit
// status.
int qx5170fpLogToScpi(const qx5170fpCommandLine &commandLine);
// --log-to-vcd: the dump written to the file named. Returns the exit
// status.
int qx5170fpLogToVcd(const qx5170fpCommandLine &commandLine);
