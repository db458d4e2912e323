// SPDX-FileCopyrightText: 2026 Tarvex
// SPDX-License-Identifier: MIT
// What the benchmarks that run the card in their own process share: the
// simulated platform's stand-ins, loaded as the program loads them (from
// SFP_STAND_IN_DIR, which their build defines), and the median of their
// figures.
#pragma once

#include "platformlibraries.h"

#include <algorithm>
#include <cstdio>
#include <vector>

namespace bench {

inline bool loadStandIns(const char *name)
{
    sfp::platform::Search search;
    search.simulate = true;
    search.simulatedFolders = {QStringLiteral(SFP_STAND_IN_DIR)};
    const sfp::platform::Loaded platform = sfp::platform::load(search);
    if (!platform.ok)
        std::fprintf(stderr, "%s: %s\n", name, qPrintable(platform.error));
    return platform.ok;
}

// The middle value; for an even count, the mean of the two middle ones.
inline double median(std::vector<double> values)
{
    std::sort(values.begin(), values.end());
    const size_t middle = values.size() / 2;
    return values.size() % 2 ? values[middle] : (values[middle - 1] + values[middle]) / 2;
}

} // namespace bench
