// SPDX-FileCopyrightText: 2026 Tarvex
// SPDX-License-Identifier: MIT
// VISA resource descriptors as the simulated VISA library reads them.
#pragma once

#include "visatype.h"

#include <optional>
#include <string>

namespace sfpsim {

struct ParsedDescriptor
{
    std::string interfaceWord; // upper case: VXI, GPIB-VXI, TCPIP, ASRL, ...
    unsigned board = 0;
    std::string rest; // the parts after the board, upper case, without "::INSTR"
    ViUInt16 interfaceType = 0;
};

// Parses a descriptor the way VISA reads it: the interface word in any case,
// a missing board number meaning 0 ("TCPIP" is "TCPIP0"), and an optional
// "::INSTR" at the end. Returns nothing for a name that is not well formed.
std::optional<ParsedDescriptor> parseDescriptor(const std::string &descriptor);

// The form two descriptors naming the same resource share.
std::string canonicalDescriptor(const ParsedDescriptor &parsed);

// VISA's resource expression match ("?*INSTR"): '?' any one character, '*'
// and '+' repeat what precedes them, "[...]" and "[^...]" character lists,
// '\' escapes; characters compare without regard to case. Returns nothing
// when the expression itself is malformed.
std::optional<bool> matchesExpression(const std::string &expression, const std::string &text);

} // namespace sfpsim
