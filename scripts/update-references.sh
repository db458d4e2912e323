#!/usr/bin/env bash
# SPDX-FileCopyrightText: 2026 Tarvex
# SPDX-License-Identifier: MIT
# Makes the reference pictures of tests/pictures/ again from what the
# program draws now, after a change that is meant to change a picture.
# Never part of a test run: look at every changed picture (git diff shows
# which) before committing it, as at any other change.
#
#   scripts/update-references.sh            every picture that differs
#   scripts/update-references.sh lamps      only those of one test function
set -euo pipefail
top=$(cd "$(dirname "$0")/.." && pwd)
"$top/scripts/deps.sh" >/dev/null
"$top/scripts/build.sh" build -DSFP_BUILD_TESTS=ON >/dev/null
out=$(mktemp -d)
trap 'rm -rf "$out"' EXIT
export QT_QPA_PLATFORM=offscreen SFP_SIM_CONFIG= SFP_SIM_TRACE= SFP_PICTURES_OUT=$out
# A run fails on every picture that differs and writes it to $out; a test
# function stops at its first difference, so run again until none is left.
shopt -s nullglob
changed=0
for _ in 1 2 3 4 5 6 7 8; do
    rm -f "$out"/*.png
    if "$top/build/bin/tst_pictures" "$@" >"$out/run.log" 2>&1; then
        echo "$changed reference pictures updated"
        exit 0
    fi
    pictures=("$out"/*.png)
    [[ ${#pictures[@]} -gt 0 ]] || break
    for picture in "${pictures[@]}"; do
        case $picture in *-diff.png) continue ;; esac
        cp "$picture" "$top/tests/pictures/references/"
        echo "updated tests/pictures/references/$(basename "$picture")"
        changed=$((changed + 1))
    done
done
# Whatever still fails is not a picture: show it.
grep -E '^(FAIL|QFATAL)' "$out/run.log" >&2 || tail -20 "$out/run.log" >&2
exit 1
