#!/usr/bin/env bash
# SPDX-FileCopyrightText: 2026 Tarvex
# SPDX-License-Identifier: MIT
# How much of the production code the test suite runs: a build with gcov's
# counters (build-coverage/), the suite, then gcovr over the program, the
# widgets, the core and the stand-ins only. Prints line and branch coverage per
# folder and writes an HTML report (build-coverage/coverage/index.html).
# Branches are counted without the edges of exceptions and without those the
# compiler proves unreachable.
#
#   scripts/coverage.sh            report only
#   scripts/coverage.sh --check    also fail when core/, softfrontpanel/ or
#                                  softfrontpanel_lib/ drops below 97 % of
#                                  lines or 85 % of branches
set -uo pipefail
top=$(cd "$(dirname "$0")/.." && pwd)
build=$top/build-coverage
line_floor=97
branch_floor=85
check=0
[[ ${1:-} == --check ]] && check=1

"$top/scripts/deps.sh" || exit 1
"$top/scripts/build.sh" build-coverage -DSFP_COVERAGE=ON -DCMAKE_BUILD_TYPE=Debug \
    -DSFP_BUILD_BENCH=OFF -DSFP_BUILD_TOOLS=OFF >/dev/null || exit 1
# Counts of an earlier run would add to this one's.
find "$build" -name '*.gcda' -delete
ctest --test-dir "$build" --output-on-failure --no-tests=error -j 2 >"$build/coverage-ctest.log" 2>&1
suite=$?
if [[ $suite -ne 0 ]]; then
    # What the failing tests printed, not only their names: this stage runs
    # last, and its log is all that is left of a run on another machine.
    sed -n '/^[0-9]*\/[0-9]* Test *#[0-9]*: .*\*\*\*/,/^ *Start /p' "$build/coverage-ctest.log" \
        | grep -v '^ *Start ' | tail -400
    tail -30 "$build/coverage-ctest.log"
    # A disk that filled up during the run fails tests of every kind at once.
    df -h "$build" "${TMPDIR:-/tmp}"
    # The normal and the sanitized runs before this one judge the tests and
    # are not repeated. Here a test that failed gets one more run, alone, so
    # that a moment of load on the machine does not cost the figures; a
    # test that fails again fails this stage.
    echo "coverage: the suite failed; its failed tests run once more, one at a time" >&2
    ctest --test-dir "$build" --rerun-failed --output-on-failure >"$build/coverage-rerun.log" 2>&1
    suite=$?
    tail -40 "$build/coverage-rerun.log"
    [[ $suite -eq 0 ]] && echo "coverage: the failed tests passed when run again (see above)" >&2 \
        || echo "coverage: the suite failed" >&2
fi

mkdir -p "$build/coverage"
# One summary in JSON for the figures per folder, one HTML report to read.
gcovr --root "$top" --object-directory "$build" \
    --filter "$top/core/" --filter "$top/softfrontpanel/" --filter "$top/softfrontpanel_lib/" \
    --filter "$top/headless/" \
    --filter "$top/simulator/" \
    --exclude-unreachable-branches --exclude-throw-branches \
    --json-summary "$build/coverage/summary.json" \
    --html-details "$build/coverage/index.html" >/dev/null || exit 1

python3 - "$build/coverage/summary.json" "$check" "$line_floor" "$branch_floor" <<'PY'
import json, sys
summary, check = json.load(open(sys.argv[1])), sys.argv[2] == "1"
line_floor, branch_floor = float(sys.argv[3]), float(sys.argv[4])
folders = {}
for f in summary["files"]:
    folder = f["filename"].split("/")[0]
    if folder == "simulator":
        folder = "simulator (stand-ins)"
    t = folders.setdefault(folder, [0, 0, 0, 0])
    t[0] += f["line_covered"]; t[1] += f["line_total"]
    t[2] += f["branch_covered"]; t[3] += f["branch_total"]
def percent(done, total):
    return 100.0 * done / total if total else 100.0
print(f"{'folder':24} {'lines':>15} {'':>7} {'branches':>15} {'':>7}")
failed = []
for folder in sorted(folders):
    lc, lt, bc, bt = folders[folder]
    lp, bp = percent(lc, lt), percent(bc, bt)
    print(f"{folder:24} {lc:>7}/{lt:<7} {lp:6.1f}% {bc:>7}/{bt:<7} {bp:6.1f}%")
    if folder in ("core", "softfrontpanel", "softfrontpanel_lib"):
        if lp < line_floor:
            failed.append(f"{folder}: lines {lp:.1f} % < {line_floor:g} %")
        if bp < branch_floor:
            failed.append(f"{folder}: branches {bp:.1f} % < {branch_floor:g} %")
print(f"{'total':24} {summary['line_covered']:>7}/{summary['line_total']:<7} "
      f"{summary['line_percent']:6.1f}% {summary['branch_covered']:>7}/{summary['branch_total']:<7} "
      f"{summary['branch_percent']:6.1f}%")
if failed:
    print("below the floor: " + "; ".join(failed))
sys.exit(1 if check and failed else 0)
PY
figures=$?
echo "report: $build/coverage/index.html"
[[ $suite -eq 0 && $figures -eq 0 ]]
