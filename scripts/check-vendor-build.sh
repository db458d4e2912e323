#!/usr/bin/env bash
# SPDX-FileCopyrightText: 2026 Tarvex
# SPDX-License-Identifier: MIT
# Builds the program the way a lab compiles it against the vendor's own C
# headers (here the stand-ins' headers copied into a folder of their own),
# checks that it was compiled against them and links none of the three
# libraries, and that it then runs on a vendor installation wherever one is
# named, and on the stand-ins otherwise (check-vendor-libraries.sh).
#   check-vendor-build.sh <build folder with the stand-ins>
set -euo pipefail
top=$(cd "$(dirname "$0")/.." && pwd)
stand_ins=$(cd "$1" && pwd)/lib
work=$top/build-vendor
fail() { echo "check-vendor-build: $*" >&2; exit 1; }

rm -rf "$work"
mkdir -p "$work/vendor/include"
cp "$top"/external/*.h "$work/vendor/include/"

cmake -S "$top" -B "$work/build" -G Ninja -DSFP_USE_SIMULATOR=OFF \
    -DSFP_VENDOR_INCLUDE_DIR="$work/vendor/include" \
    -DSFP_BUILD_BENCH=OFF -DSFP_BUILD_TOOLS=OFF >"$work/configure.log" \
    || { cat "$work/configure.log"; fail "configuring failed"; }
grep -q "Vendor headers: $work/vendor/include" "$work/configure.log" \
    || fail "configuring did not say that it took the vendor's headers"
cmake --build "$work/build" --target qx5170fp -j "$(nproc)" >/dev/null || fail "building failed"

# Compiled against the headers of that folder, not external/.
grep -q "\-I$work/vendor/include" "$work/build/compile_commands.json" \
    || fail "the program was not compiled against $work/vendor/include"
if grep -q "\-I$top/external " "$work/build/compile_commands.json"; then
    fail "the program was compiled against external/"
fi

# Loaded at run time, never linked.
linked=$(ldd "$work/build/bin/qx5170fp")
if grep -Eq "lib(visa|visa64|qx2010_64|qx5170_64)\.so" <<<"$linked"; then
    fail "the program links a platform library:"$'\n'"$linked"
fi
# The stand-ins where an installation keeps them, beside the program.
cp "$stand_ins"/libvisa64.so "$stand_ins"/libqx2010_64.so "$stand_ins"/libqx5170_64.so \
    "$stand_ins"/libsfpsim.so "$work/build/lib/"
"$top/scripts/check-vendor-libraries.sh" "$work/build/bin/qx5170fp" "$stand_ins"
echo "built against the headers of $work/vendor/include, linking none of the libraries"
