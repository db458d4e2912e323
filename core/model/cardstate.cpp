// SPDX-FileCopyrightText: 2026 Tarvex
// SPDX-License-Identifier: MIT
#include "cardstate.h"

#include <cstddef>

namespace sfp {

int CardState::pairBreakingExclusiveRule() const
{
    for (std::size_t relayA = 0; exclusive && relayA < closed.size(); relayA += 2) {
        if (closed[relayA] && closed[relayA + 1])
            return int(relayA / 2) + 1;
    }
    return 0;
}

} // namespace sfp
