// SPDX-FileCopyrightText: 2026 Tarvex
// SPDX-License-Identifier: MIT
// The relay card's three switching modes, one type for every face of the
// card: the panel's mode list, the remote control's ROUTe:MODE, the saved
// states.
#pragma once

namespace sfp {

// In the order of the panel's mode list; the driver counts them from 1.
enum class SwitchingMode { Asynchronous = 0, SyncCommand = 1, SyncTrigger = 2 };

inline constexpr int switchingModeCount = 3;

} // namespace sfp
