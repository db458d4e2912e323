// SPDX-FileCopyrightText: 2026 Tarvex
// SPDX-License-Identifier: MIT
// What the panel has commanded of the relay card, whole: what a saved state
// keeps and what the card session restores.
#pragma once

#include "relays.h"
#include "switchingmode.h"

#include <array>

namespace sfp {

struct CardState
{
    std::array<bool, relayCount> closed = {}; // relay n at n - 1
    SwitchingMode mode = SwitchingMode::Asynchronous;
    bool exclusive = false;

    friend bool operator==(const CardState &a, const CardState &b)
    {
        return a.closed == b.closed && a.mode == b.mode && a.exclusive == b.exclusive;
    }
    friend bool operator!=(const CardState &a, const CardState &b) { return !(a == b); }

    // The first pair (1..16) with both relays closed although the state's
    // exclusive rule holds, else 0: such a state cannot be brought back.
    int pairBreakingExclusiveRule() const;
};

} // namespace sfp
