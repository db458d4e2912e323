#!/usr/bin/env bash
# SPDX-FileCopyrightText: 2026 Tarvex
# SPDX-License-Identifier: MIT
# Puts each one-line fault of a list into the program in turn, rebuilds only
# what changed, runs the test suite, restores the file (also when
# interrupted) and says whether the suite caught the fault. Ends with
# "N caught, M missed"; exit status 0 only when every fault was caught.
# Not part of CI: with about fifty faults it takes the better part of an hour.
#
#   scripts/mutants.sh [list]        default list: scripts/mutants.list
#   MUTANTS_ONLY=regex scripts/mutants.sh   only faults whose line matches
set -uo pipefail
top=$(cd "$(dirname "$0")/.." && pwd)
list=${1:-$top/scripts/mutants.list}
build=$top/build-mutants
export QT_QPA_PLATFORM=offscreen

"$top/scripts/deps.sh" || exit 1
"$top/scripts/build.sh" build-mutants -DSFP_BUILD_TESTS=ON -DSFP_BUILD_BENCH=OFF \
    -DSFP_BUILD_TOOLS=OFF >/dev/null || exit 1
run_suite() {
    ctest --test-dir "$build" -j 2 --stop-on-failure --no-tests=error >"$build/mutant.log" 2>&1
}
if ! run_suite; then
    echo "mutants: the suite fails without any fault; see $build/mutant.log" >&2
    exit 1
fi

current_file=""
backup=$(mktemp)
restore() {
    if [[ -n $current_file ]]; then
        cp -p "$backup" "$top/$current_file"
        touch "$top/$current_file"
        current_file=""
    fi
}
trap 'restore; rm -f "$backup"' EXIT
trap 'echo "mutants: interrupted; $current_file restored" >&2; exit 130' INT TERM

# Replaces the one occurrence of a text in a file; status 3 when the text is
# not there exactly once (the list is out of date).
apply_fault() {
    python3 - "$@" <<'PY'
import sys
path, original, replacement = sys.argv[1:4]
def unescape(text):
    out, i = [], 0
    while i < len(text):
        if text[i] == "\\" and i + 1 < len(text):
            out.append({"n": "\n", "t": "\t", "\\": "\\"}.get(text[i + 1], "\\" + text[i + 1]))
            i += 2
        else:
            out.append(text[i])
            i += 1
    return "".join(out)
original, replacement = unescape(original), unescape(replacement)
with open(path, encoding="utf-8") as f:
    source = f.read()
if source.count(original) != 1:
    sys.exit(3)
with open(path, "w", encoding="utf-8") as f:
    f.write(source.replace(original, replacement, 1))
PY
}

caught=0
missed=0
number=0
while IFS=$'\t' read -r -u 3 file original replacement what; do
    [[ -z $file || $file == \#* ]] && continue
    if [[ -n ${MUTANTS_ONLY:-} ]] && ! grep -qE -- "$MUTANTS_ONLY" <<<"$file $what"; then
        continue
    fi
    number=$((number + 1))
    if [[ -z $what ]]; then
        # Consecutive tabs count as one: an empty field shifts the others.
        printf '%3d  %-60s %s\n' "$number" "$file" "MISSED (a field of this line is empty)"
        missed=$((missed + 1))
        continue
    fi
    cp -p "$top/$file" "$backup"
    current_file=$file
    apply_fault "$top/$file" "$original" "$replacement"
    applied=$?
    if [[ $applied -ne 0 ]]; then
        verdict="MISSED (the text is not in $file once; the list is out of date)"
        missed=$((missed + 1))
    elif ! cmake --build "$build" >"$build/mutant-build.log" 2>&1; then
        verdict="MISSED (does not build: not a fault the suite can judge)"
        missed=$((missed + 1))
    elif run_suite; then
        verdict="MISSED"
        missed=$((missed + 1))
    else
        failed=$(grep -oE '[0-9]+ - [A-Za-z0-9_]+' "$build/mutant.log" | head -1 | sed 's/^[0-9]* - //')
        verdict="caught${failed:+ by $failed}"
        caught=$((caught + 1))
    fi
    restore
    printf '%3d  %-60s %s\n' "$number" "$what" "$verdict"
done 3<"$list"

cmake --build "$build" >/dev/null 2>&1
echo "$caught caught, $missed missed"
[[ $missed -eq 0 ]]
