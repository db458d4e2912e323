// SPDX-FileCopyrightText: 2026 Tarvex
// SPDX-License-Identifier: MIT
// Fuzzes the simulator's system description reader: any bytes give either a
// system or one message naming where the description is wrong.
#include "system.h"

#include <cstdint>
#include <cstdlib>
#include <string>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    sfpsim::System system;
    std::string error;
    const bool ok = sfpsim::parseSystem(std::string(reinterpret_cast<const char *>(data), size),
                                        &system, &error);
    if (ok == !error.empty() || error.find('\n') != std::string::npos)
        std::abort(); // one line when refused, none when taken
    if (!ok && !system.resources.empty())
        std::abort(); // refused means no resources at all
    for (const sfpsim::Resource &resource : system.resources) {
        if (resource.motherboard >= static_cast<int>(system.motherboards.size()))
            std::abort();
    }
    for (const sfpsim::Motherboard &board : system.motherboards) {
        if (board.positions < 0 || board.positions > sfpsim::maxPositions)
            std::abort();
    }
    return 0;
}
