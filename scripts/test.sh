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

# Each stage says how long it took, and the run ends with the list of
# them: where CI's time goes is there to read, stage by stage.
stages=()
failed=0
stage() {
    local name=$1 started=$SECONDS status took
    shift
    echo "== $name"
    "$@"
    status=$?
    took=$((SECONDS - started))
    stages+=("$(printf '%-58s %3d:%02d  %s' "$name" $((took / 60)) $((took % 60)) \
        "$([[ $status -eq 0 ]] && echo passed || echo FAILED)")")
    echo "== $name: $((took / 60)) min $((took % 60)) s"
    [[ $status -eq 0 ]] || failed=1
    return "$status"
}
summary() {
    echo "== Stages (minutes:seconds), $((SECONDS / 60)) min $((SECONDS % 60)) s in all"
    printf '%s\n' "${stages[@]}"
}

# The run command builds the same folder without tests; ask for them here.
# A build that fails ends the run: nothing after it could pass.
stage "Build (normal)" "$top/scripts/build.sh" build -DSFP_BUILD_TESTS=ON -DSFP_BUILD_BENCH=ON \
    || { summary; exit 1; }
stage "Build (fuzzers)" env CC=clang CXX=clang++ "$top/scripts/build.sh" build-fuzz -DSFP_FUZZ=ON \
    -DSFP_BUILD_BENCH=OFF -DSFP_BUILD_TOOLS=OFF || { summary; exit 1; }
stage "Build (AddressSanitizer + UndefinedBehaviorSanitizer)" "$top/scripts/build.sh" build-asan \
    -DSFP_SANITIZE=ON -DSFP_BUILD_BENCH=OFF -DSFP_BUILD_TOOLS=OFF || { summary; exit 1; }

stage "Fuzzers (libFuzzer, a bounded run each)" \
    ctest --test-dir "$top/build-fuzz" --output-on-failure --no-tests=error -j 2
stage "Test suite (normal build)" \
    ctest --test-dir "$top/build" --output-on-failure --no-tests=error -j 2
stage "Test suite (AddressSanitizer + UndefinedBehaviorSanitizer)" \
    ctest --test-dir "$top/build-asan" --output-on-failure --no-tests=error -j 2
stage "Debian package: lintian, install, run, remove" "$top/scripts/check-package.sh" "$top/build"
stage "Build against vendor libraries and headers" \
    "$top/scripts/check-vendor-build.sh" "$top/build"
stage "Licence: an SPDX line in every file that takes comments" "$top/scripts/check-licence.sh"
stage "Translations: catalogues up to date and complete" \
    python3 "$top/scripts/check-translations.py" "$top/build"
stage "Static analysis (clazy, clang-tidy)" "$top/scripts/analyse.sh"
# The figures per folder; the core, the widgets and the program must keep
# their floors.
stage "Coverage (gcovr, against the floors)" \
    "$top/scripts/coverage.sh" --check
summary
[[ $failed -eq 0 ]]
