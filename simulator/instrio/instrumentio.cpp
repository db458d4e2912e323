// SPDX-FileCopyrightText: 2026 Tarvex
// SPDX-License-Identifier: MIT
#include "instrumentio.h"

#include "visa.h"

namespace sfpsim {

ViStatus queryInstrument(ViSession vi, const std::string &command, std::string *answer)
{
    ViUInt32 count = 0;
    ViStatus status = viWrite(vi, reinterpret_cast<ViConstBuf>(command.data()),
                              static_cast<ViUInt32>(command.size()), &count);
    if (status < 0)
        return status;
    char buffer[256] = {};
    status = viRead(vi, reinterpret_cast<ViPBuf>(buffer), sizeof buffer - 1, &count);
    if (status < 0)
        return status;
    answer->assign(buffer, count);
    return VI_SUCCESS;
}

} // namespace sfpsim
