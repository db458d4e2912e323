#!/usr/bin/env bash
# SPDX-FileCopyrightText: 2026 Tarvex
# SPDX-License-Identifier: MIT
# Checks that a built or installed program finds a vendor installation in
# each place it searches, without a rebuild: a folder dressed as one (the
# stand-ins under the names a Linux installation gives them, VISA as
# libvisa.so) named by --library-path, by QX5170FP_LIBRARY_PATH, by the
# configuration file and by the dynamic linker's configuration (ld.so.conf,
# as root only); and that it says "simulated platform" when there is none.
#   check-vendor-libraries.sh <program> <folder with the stand-ins>
set -euo pipefail
program=$1
stand_ins=$(cd "$2" && pwd)
work=$(mktemp -d)
linker_conf=/etc/ld.so.conf.d/zz-qx5170fp-check.conf
cleanup() {
    rm -rf "$work"
    if [[ -f $linker_conf ]]; then
        rm -f "$linker_conf"
        ldconfig
    fi
}
trap cleanup EXIT
fail() { echo "check-vendor-libraries: $*" >&2; exit 1; }

vendor=$work/vendor
mkdir -p "$vendor" "$work/config" "$work/etc"
cp "$stand_ins"/libvisa64.so "$vendor/libvisa.so"
cp "$stand_ins"/libqx2010_64.so "$stand_ins"/libqx5170_64.so "$stand_ins"/libsfpsim.so "$vendor/"
patchelf --set-soname libvisa.so "$vendor/libvisa.so"
for library in "$vendor"/lib*.so; do
    patchelf --replace-needed libvisa64.so libvisa.so --set-rpath '$ORIGIN' "$library"
done

# Nothing named anywhere but where each case names it.
version() {
    env -u DISPLAY -u QT_QPA_PLATFORM -u QX5170FP_LIBRARY_PATH -u LD_LIBRARY_PATH \
        XDG_CONFIG_HOME="$work/config" XDG_CONFIG_DIRS="$work/etc" "$@" --version 2>&1
}
expect_vendor() {
    local how=$1 output=$2
    for library in libvisa.so libqx2010_64.so libqx5170_64.so; do
        grep -qx "  $vendor/$library" <<<"$output" \
            || fail "given by $how, the vendor folder is not taken:"$'\n'"$output"
    done
    ! grep -q "simulated platform" <<<"$output" \
        || fail "given by $how, the simulated platform is still said to be used:"$'\n'"$output"
}

output=$(version "$program")
grep -qx "Libraries: simulated platform" <<<"$output" \
    || fail "without a vendor installation, --version does not say so:"$'\n'"$output"

expect_vendor "--library-path" "$(version "$program" --library-path "$vendor")"
expect_vendor "QX5170FP_LIBRARY_PATH" "$(version env QX5170FP_LIBRARY_PATH="$vendor" "$program")"
mkdir -p "$work/config/qx5170fp"
printf 'LibraryPath=%s\n' "$vendor" >"$work/config/qx5170fp/qx5170fp.conf"
expect_vendor "the configuration file" "$(version "$program")"
rm "$work/config/qx5170fp/qx5170fp.conf"

if [[ $(id -u) -eq 0 ]]; then
    echo "$vendor" >"$linker_conf"
    ldconfig
    expect_vendor "ld.so.conf" "$(version "$program")"
    rm -f "$linker_conf"
    ldconfig
    ways="--library-path, QX5170FP_LIBRARY_PATH, qx5170fp.conf and ld.so.conf"
else
    ways="--library-path, QX5170FP_LIBRARY_PATH and qx5170fp.conf (ld.so.conf needs root)"
fi
echo "$program takes a vendor installation given by $ways, else the simulated platform"
