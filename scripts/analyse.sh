#!/usr/bin/env bash
# SPDX-FileCopyrightText: 2026 Tarvex
# SPDX-License-Identifier: MIT
# Static analysis of our own code, every warning an error:
#   - the whole project built with clazy (Qt's checks of levels 0 and 1) as
#     the compiler, in build-analysis/;
#   - the fuzzers' sources, which only a fuzzing configuration compiles,
#     through clazy-standalone (build-analysis-fuzz/ is configured, not built);
#   - clang-tidy with the checks of .clang-tidy over every translation unit
#     of ours in both folders.
# The toolkit's headers are system headers and stay out, and so do the files
# that moc, rcc and CMake generate. Exits non-zero on any finding.
set -uo pipefail
top=$(cd "$(dirname "$0")/.." && pwd)
"$top/scripts/deps.sh" || exit 1

build=$top/build-analysis
fuzz=$top/build-analysis-fuzz
jobs=2
ours='core|softfrontpanel|softfrontpanel_lib|headless|simulator|tests|bench|tools'
topPattern=$(sed 's/[][\.|$(){}?+*^]/\\&/g' <<<"$top")

export CLAZY_CHECKS=level0,level1
# Generated files (moc_*, qrc_*, *_autogen/) live in the build folders.
export CLAZY_IGNORE_DIRS="$topPattern/build-analysis(-fuzz)?/.*"

# Clang through clazy, without optimisation or debug information: the
# warnings are the same and the build takes half the time. -Werror makes
# clazy's warnings errors too, as well as those of the project's own
# warning options (sfp_warnings).
configure() {
    local folder=$1
    shift
    cmake -S "$top" -B "$folder" -G Ninja -DCMAKE_C_COMPILER=clang -DCMAKE_CXX_COMPILER=clazy \
        -DCMAKE_BUILD_TYPE=None -DCMAKE_C_FLAGS=-Werror -DCMAKE_CXX_FLAGS=-Werror "$@" >/dev/null
}

# clang-tidy over the files of a compilation database that match a pattern,
# without its count of the warnings it dropped (those of the toolkit's
# headers and of checks not enabled), which says nothing about our code.
tidy() {
    local folder=$1 files=$2
    python3 - "$folder/compile_commands.json" "$files" <<'EOF' \
        | xargs -0 -r -n 1 -P "$jobs" clang-tidy -p "$folder" --quiet --warnings-as-errors='*' \
            "--header-filter=^$topPattern/($ours|external)/" 2>&1 \
        | { grep -v -E '^[0-9]+ warnings?( and [0-9]+ errors?)? generated\.$' || true; }
import json, re, sys
entries = json.load(open(sys.argv[1]))
for name in sorted({e["file"] for e in entries if re.search(sys.argv[2], e["file"])}):
    sys.stdout.write(name + "\0")
EOF
}

status=0
echo "clazy: building $build"
if ! configure "$build" -DSFP_BUILD_TESTS=ON -DSFP_BUILD_BENCH=ON -DSFP_BUILD_TOOLS=ON; then
    echo "analyse: configuring $build failed" >&2
    exit 1
fi
# Keep going after a finding, so that one run lists them all.
cmake --build "$build" -j "$jobs" -- -k 0 >"$build/clazy.log" 2>&1 || status=1
grep -v -e '^\[[0-9]*/[0-9]*\] ' -e '^ninja: ' "$build/clazy.log" || true

echo "clazy: the fuzzers' sources"
if ! configure "$fuzz" -DSFP_FUZZ=ON -DSFP_BUILD_BENCH=OFF -DSFP_BUILD_TOOLS=OFF; then
    echo "analyse: configuring $fuzz failed" >&2
    exit 1
fi
# The headers that rpcgen makes are all the fuzzers' sources need built.
if ! cmake --build "$fuzz" --target sfp_vxi11_xdr >/dev/null; then
    echo "analyse: generating the VXI-11 headers in $fuzz failed" >&2
    status=1
fi
clazy-standalone -p "$fuzz" "$top"/tests/fuzz/*.cpp || status=1

echo "clang-tidy: $(clang-tidy --version | sed -n 's/.*LLVM version \(.*\)/\1/p')"
tidy "$build" "^$topPattern/($ours)/" || status=1
tidy "$fuzz" "^$topPattern/tests/fuzz/" || status=1

if [[ $status -eq 0 ]]; then
    echo "static analysis: no findings"
else
    echo "static analysis: findings above" >&2
fi
exit "$status"
