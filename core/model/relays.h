// SPDX-FileCopyrightText: 2026 Tarvex
// SPDX-License-Identifier: MIT
// The relay card's relays and how they are numbered: 32 relays counted from
// 1, in 16 pairs counted from 0, relay A of a pair odd and relay B even.
#pragma once

namespace sfp {

inline constexpr int relayCount = 32;
inline constexpr int pairCount = relayCount / 2;

// Pair p (from 0) holds relay A = 2p+1 and relay B = 2p+2.
constexpr int relayA(int pairNo)
{
    return pairNo * 2 + 1;
}
constexpr int relayB(int pairNo)
{
    return (pairNo + 1) * 2;
}
constexpr int pairOf(int relay)
{
    return (relay - 1) / 2;
}
// The other relay of the relay's pair.
constexpr int partnerOf(int relay)
{
    return relay % 2 == 1 ? relay + 1 : relay - 1;
}

} // namespace sfp
