#!/usr/bin/env bash
# SPDX-FileCopyrightText: 2026 Tarvex
# SPDX-License-Identifier: MIT
# Installs what is missing, builds, and runs the whole test suite headless:
# the fuzzers for a bounded time, then the suite once in a normal build and
# once with AddressSanitizer and UndefinedBehaviorSanitizer; then the package
# and vendor build checks, the static analysis of our code, and the suite's
# coverage of the production code.
set -uo pipefail
top=$(cd "$(dirname "$0")/.." && pwd)
"$top/scripts/deps.sh" || exit 1

export QT_QPA_PLATFORM=offscreen
export UBSAN_OPTIONS=print_stacktrace=1:halt_on_error=1
export ASAN_OPTIONS=detect_leaks=1:abort_on_error=0
# intercept_tls_get_addr=0: the leak checker of GCC 12 (and Clang up to 16)
# takes a thread's dynamic TLS block for an old glibc's when its address
# falls on one offset in a page, reads a length from before it and crashes
# its own tracer ("Tracer caught signal 11") at exit. Where blocks fall
# depends on the allocations before them, down to the length of this
# folder's path; without interception those blocks are not scanned.
export LSAN_OPTIONS=suppressions=$top/tests/lsan.supp:print_suppressions=0:intercept_tls_get_addr=0

# The run command builds the same folder without tests; ask for them here.
"$top/scripts/build.sh" build -DSFP_BUILD_TESTS=ON -DSFP_BUILD_BENCH=ON || exit 1
CC=clang CXX=clang++ "$top/scripts/build.sh" build-fuzz -DSFP_FUZZ=ON -DSFP_BUILD_BENCH=OFF -DSFP_BUILD_TOOLS=OFF || exit 1
"$top/scripts/build.sh" build-asan -DSFP_SANITIZE=ON -DSFP_BUILD_BENCH=OFF -DSFP_BUILD_TOOLS=OFF || exit 1

echo "== Fuzzers (libFuzzer, a bounded run each)"
ctest --test-dir "$top/build-fuzz" --output-on-failure --no-tests=error -j 2
fuzzed=$?
echo "== Test suite (normal build)"
ctest --test-dir "$top/build" --output-on-failure --no-tests=error -j 2
normal=$?
echo "== Test suite (AddressSanitizer + UndefinedBehaviorSanitizer)"
ctest --test-dir "$top/build-asan" --output-on-failure --no-tests=error -j 2
sanitized=$?
echo "== Debian package: lintian, install, run, remove"
"$top/scripts/check-package.sh" "$top/build"
packaged=$?
echo "== Build against vendor libraries and headers"
"$top/scripts/check-vendor-build.sh" "$top/build"
vendor=$?
echo "== Licence: an SPDX line in every file that takes comments"
"$top/scripts/check-licence.sh"
licensed=$?
echo "== Static analysis (clazy, clang-tidy)"
"$top/scripts/analyse.sh"
analysed=$?
# The figures per folder; the core, the widgets and the program must keep
# their floors.
echo "== Coverage (gcovr over the core, the widgets, the program and the stand-ins)"
"$top/scripts/coverage.sh" --check
covered=$?
[[ $fuzzed -eq 0 && $normal -eq 0 && $sanitized -eq 0 && $packaged -eq 0 && $vendor -eq 0
    && $licensed -eq 0 && $analysed -eq 0 && $covered -eq 0 ]]
