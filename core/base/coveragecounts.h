// SPDX-FileCopyrightText: 2026 Tarvex
// SPDX-License-Identifier: MIT
// A coverage build (SFP_COVERAGE) counts what ran and writes the counts
// when the process ends normally. A process that replaces itself with
// another program (execv) or ends at once (_Exit) skips that end, and what
// it ran would look untested: it writes them here first, and counts from
// zero again, so that a process that goes on (an execv that failed) adds
// only what it runs afterwards at its end. Nothing in any other build.
#pragma once

#ifdef SFP_COVERAGE
extern "C" void __gcov_dump(void); // NOLINT(bugprone-reserved-identifier): gcov's own
extern "C" void __gcov_reset(void); // NOLINT(bugprone-reserved-identifier): gcov's own
#endif

namespace sfp {

inline void writeCoverageCounts()
{
#ifdef SFP_COVERAGE
    __gcov_dump();
    __gcov_reset();
#endif
}

} // namespace sfp
