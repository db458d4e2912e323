// SPDX-FileCopyrightText: 2026 Tarvex
// SPDX-License-Identifier: MIT
// The platform's trace: one line per outermost call into the stand-ins and
// one per change a simulated instrument applies.
#pragma once

#include <string>
#include <vector>

namespace sfpsim {

// Opens the trace file named by SFP_SIM_TRACE, once.
void openTraceFileFromEnvironment();

// Appends lines to the in-memory trace and the trace file, together, so that
// the lines of one call stay next to each other whatever other threads do.
void writeTraceLines(std::vector<std::string> lines);

// The in-memory trace. It is kept from the first call of either on: the
// lines before are only in the trace file.
std::vector<std::string> traceSnapshot();
void clearTraceMemory();

} // namespace sfpsim
