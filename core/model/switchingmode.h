// SPDX-FileCopyrightText: 2026 Tarvex
// SPDX-License-Identifier: MIT
// The relay card's three switching modes, one type for every face of the
// card: the panel's mode list, the remote control's ROUTe:MODE, the saved
// states; and their names in each of the card's vocabularies.
#pragma once

#include <array>

namespace sfp {

// In the order of the panel's mode list; the driver counts them from 1.
enum class SwitchingMode { Asynchronous = 0, SyncCommand = 1, SyncTrigger = 2 };

inline constexpr int switchingModeCount = 3;

// The modes' names, each table in the modes' order. (What SCPI reads, with
// its long and short forms, is the parser's grammar.)
namespace switchingModes {

using Names = std::array<const char *, switchingModeCount>;

// As the panel's mode list, the log window and the messages say them.
inline constexpr Names titles = {"Asynchronous", "Sync. Command", "Sync. Trigger"};
// As ROUTe:MODE? answers: SCPI's short forms.
inline constexpr Names scpiNames = {"ASYN", "COMM", "TRIG"};
// As the fixture file and the switching log write them.
inline constexpr Names fileNames = {"asynchronous", "sync-command", "sync-trigger"};
// As a state kept with *SAV writes them, as such files always have.
inline constexpr Names savedStateNames = {"asynchronous", "command", "trigger"};

} // namespace switchingModes

} // namespace sfp
