#!/usr/bin/env bash
# Builds the program the way a lab with the real vendor libraries does, with
# stand-ins dressed as such an installation: the VISA library as libvisa.so
# (its Linux name), the other two under their own names, all in one folder,
# and the vendor's C headers in another. Then checks that the program takes
# the three libraries from that folder.
#   check-vendor-build.sh <build folder with the stand-ins>
set -euo pipefail
top=$(cd "$(dirname "$0")/.." && pwd)
stand_ins=$(cd "$1" && pwd)/lib
work=$top/build-vendor
fail() { echo "check-vendor-build: $*" >&2; exit 1; }

rm -rf "$work"
mkdir -p "$work/vendor/lib" "$work/vendor/include"
cp "$stand_ins"/libvisa64.so "$work/vendor/lib/libvisa.so"
cp "$stand_ins"/libqx2010_64.so "$stand_ins"/libqx5170_64.so "$stand_ins"/libsfpsim.so \
    "$work/vendor/lib/"
patchelf --set-soname libvisa.so "$work/vendor/lib/libvisa.so"
for library in "$work"/vendor/lib/lib*.so; do
    patchelf --replace-needed libvisa64.so libvisa.so --set-rpath '$ORIGIN' "$library"
done
cp "$top"/external/*.h "$work/vendor/include/"

cmake -S "$top" -B "$work/build" -G Ninja -DSFP_USE_SIMULATOR=OFF \
    -DSFP_VENDOR_LIB_DIR="$work/vendor/lib" -DSFP_VENDOR_INCLUDE_DIR="$work/vendor/include" \
    -DSFP_BUILD_BENCH=OFF -DSFP_BUILD_TOOLS=OFF >"$work/configure.log" \
    || { cat "$work/configure.log"; fail "configuring failed"; }
grep -q "Vendor library visa64: $work/vendor/lib/libvisa.so" "$work/configure.log" \
    || fail "configuring did not say that it took libvisa.so"
cmake --build "$work/build" --target qx5170fp -j "$(nproc)" >/dev/null || fail "building failed"

# Compiled against the headers of that folder, not external/.
grep -q "\-I$work/vendor/include" "$work/build/compile_commands.json" \
    || fail "the program was not compiled against $work/vendor/include"
if grep -q "\-I$top/external " "$work/build/compile_commands.json"; then
    fail "the program was compiled against external/"
fi

linked=$(ldd "$work/build/bin/qx5170fp")
for library in libvisa.so libqx2010_64.so libqx5170_64.so; do
    grep -q "$library => $work/vendor/lib/$library" <<<"$linked" \
        || fail "$library does not come from $work/vendor/lib:"$'\n'"$linked"
done
env -u DISPLAY -u QT_QPA_PLATFORM "$work/build/bin/qx5170fp" --version >/dev/null \
    || fail "the program built against the vendor folder does not run"
echo "built against $work/vendor: libvisa.so, libqx2010_64.so, libqx5170_64.so taken from there"
