// SPDX-FileCopyrightText: 2026 Tarvex
// SPDX-License-Identifier: MIT
// The simulated instruments behind a VISA resource: a motherboard that
// answers a small command set and routes card commands to its positions.
#pragma once

#include "system.h"

#include <optional>
#include <string>

namespace sfpsim {

// Commands the motherboard understands, one per write:
//   *IDN?              identity
//   MB:INFO?           "code,N,c1,...,cN": raw codes of the board and positions
//   MB:WORD? p,offset  a 16-bit word of the card at position p
//   FCn:ID?            raw code of the card at position n (0: empty)
//   FCn:REV?           firmware revision of the relay card at n
//   FCn:RST            reset: every relay open, Asynchronous mode
//   FCn:REL r,s        command relay r (1..32) on (1) or off (0)
//   FCn:UPD            update command
//   FCn:TRIG           synchronization trigger
//   FCn:MODE m         switching mode 1..3
// Card commands answer "OK" or "ERR <reason>". Returns the answer.
std::string handleMotherboardCommand(Motherboard &board, const std::string &command);

} // namespace sfpsim
