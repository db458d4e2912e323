// SPDX-FileCopyrightText: 2026 Tarvex
// SPDX-License-Identifier: MIT
// Control interface of the simulated platform, for tests and tools only.
// The program never includes this header: to the program the stand-in
// libraries are the vendor's libraries.
#pragma once

#include "visatype.h"

#include <array>
#include <string>
#include <vector>

#define SFPSIM_API __attribute__((visibility("default")))

namespace sfpsim {

// Replaces the simulated system by the one described in JSON text. On a bad
// description returns false, puts the one-line message into *error (also
// written to standard error) and leaves the platform without resources.
// Sessions, faults and the in-memory trace start afresh either way.
SFPSIM_API bool loadDescription(const std::string &json, std::string *error = nullptr);
SFPSIM_API bool loadDescriptionFile(const std::string &path, std::string *error = nullptr);
// The built-in default system.
SFPSIM_API void loadDefaultSystem();
// The built-in default system's description as JSON text.
SFPSIM_API std::string defaultSystemJson();

// The next `count` outermost calls of `operation` (a function name such as
// "qx5170_switchRelay" or "viOpen") return `status`; count -1 means every
// call until clearFaults(). A negative status means the call does nothing
// else; a positive one (a warning) lets the call do its work first.
SFPSIM_API void injectFault(const std::string &operation, ViStatus status, int count = 1);
SFPSIM_API void clearFaults();

struct CardState
{
    ViUInt16 rawCode = 0; // 0: no card at that position
    int mode = 0; // 1 Asynchronous, 2 Sync. Command, 3 Sync. Trigger
    std::array<bool, 32> applied {}; // relay contacts as they are on the card
    std::array<bool, 32> commanded {}; // last commanded state of each relay
    std::array<bool, 32> pending {}; // commanded but not yet applied
};
// State of the card at `position` (1..8) of the motherboard behind the
// resource `descriptor` (matched as VISA matches descriptors). False when
// there is no such resource, motherboard or card.
SFPSIM_API bool cardState(const std::string &descriptor, int position, CardState *state);

// Every trace line written since the description was loaded or the trace
// cleared, whether or not SFP_SIM_TRACE is set. A process that has called
// none of loadDescription, loadDescriptionFile, loadDefaultSystem,
// traceLines and clearTrace keeps no trace in memory (the program's
// stand-ins would otherwise hold every call of a long run).
SFPSIM_API std::vector<std::string> traceLines();
SFPSIM_API void clearTrace();

// Number of VISA sessions (resource managers, find lists, instruments) open.
SFPSIM_API int openSessionCount();

// The most viOpen calls that were waiting at once for a resource with an
// open time, since the last reset: how far the examinations overlapped.
SFPSIM_API int peakOpensInProgress();
SFPSIM_API void resetPeakOpensInProgress();

} // namespace sfpsim
