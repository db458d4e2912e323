#!/usr/bin/env python3
# SPDX-FileCopyrightText: 2026 Tarvex
# SPDX-License-Identifier: MIT
"""How many one-line faults the test suite catches.

Generated mutants: one-line changes of the program, the common library and
the stand-ins, by operator class, on lines the suite runs. A sample is drawn
with a seed; each mutant is put into its file, the build redoes what depends
on that file, and only the tests that run that line are run, the quickest
first, until one fails. Prints every result, the score, each survivor as a
diff and the time taken. Mutants recorded in scripts/mutants-equivalent.txt
(they cannot change what anyone sees) do not count.

The regression list (scripts/mutants.list) runs the same way with --list.

    scripts/mutants.py --seed 1 --count 150
    scripts/mutants.py --list scripts/mutants.list [--only REGEX]
    scripts/mutants.py --seed 1 --count 150 --dry-run   # the sample only

Which test runs which line comes from a coverage build (build-coverage/),
one test at a time; it is measured once and kept in
build-coverage/tests-by-line.json (--remap measures it again). Not part of
CI: a sample of 150 takes about an hour and a half on two cores.
"""
import argparse
import json
import random
import re
import signal
import subprocess
import sys
import time
from pathlib import Path

TOP = Path(__file__).resolve().parent.parent
FOLDERS = ("core", "softfrontpanel", "softfrontpanel_lib", "simulator")
EQUIVALENT = TOP / "scripts" / "mutants-equivalent.txt"


def run(command, **kwargs):
    return subprocess.run(command, stdout=subprocess.PIPE, stderr=subprocess.STDOUT,
                          text=True, **kwargs)


def build_folder(name, *options):
    result = run([str(TOP / "scripts" / "build.sh"), name, *options])
    if result.returncode != 0:
        sys.exit(f"mutants: {name} does not build:\n{result.stdout[-3000:]}")
    return TOP / name


def test_names(build):
    return list(test_targets(build))


# Loaded at run time rather than linked, so a test needs them built too.
RUNTIME_TARGETS = ["qx5170fp", "sfpsim", "visa64", "qx2010_64", "qx5170_64"]


def test_targets(build):
    """{test: the targets it runs}; None for a test that needs everything."""
    listing = run(["ctest", "--test-dir", str(build), "--show-only=json-v1"])
    targets = {}
    for test in json.loads(listing.stdout)["tests"]:
        words = " ".join(test.get("command", []))
        programs = re.findall(re.escape(str(build)) + r"/bin/([\w-]+)", words)
        targets[test["name"]] = programs + RUNTIME_TARGETS if programs else None
    return targets


# --- which test runs which line ---------------------------------------------

def measure_tests_by_line(coverage):
    """{file: {line: [tests]}} and the seconds each test takes."""
    lines, seconds = {}, {}
    names = test_names(coverage)
    for number, name in enumerate(names, 1):
        for counts in coverage.rglob("*.gcda"):
            counts.unlink()
        began = time.monotonic()
        if run(["ctest", "--test-dir", str(coverage), "-R", f"^{re.escape(name)}$"]).returncode:
            sys.exit(f"mutants: {name} fails without any mutant")
        seconds[name] = round(time.monotonic() - began, 2)
        report = coverage / "one-test.json"
        filters = [argument for folder in FOLDERS
                   for argument in ("--filter", str(TOP / folder) + "/")]
        run(["gcovr", "--root", str(TOP), "--object-directory", str(coverage), *filters,
             "-j", "2", "--json", str(report)])
        for source in json.loads(report.read_text())["files"]:
            ran = lines.setdefault(source["file"], {})
            for line in source["lines"]:
                if line["count"] > 0:
                    ran.setdefault(str(line["line_number"]), []).append(name)
        print(f"  mapped {number}/{len(names)} {name} ({seconds[name]} s)", flush=True)
    return {"lines": lines, "seconds": seconds}


def tests_by_line(remap):
    kept = TOP / "build-coverage" / "tests-by-line.json"
    if remap or not kept.exists():
        print("mutants: measuring which test runs which line (once)", flush=True)
        coverage = build_folder("build-coverage", "-DSFP_COVERAGE=ON", "-DCMAKE_BUILD_TYPE=Debug",
                                "-DSFP_BUILD_BENCH=OFF", "-DSFP_BUILD_TOOLS=OFF")
        kept.write_text(json.dumps(measure_tests_by_line(coverage)))
    return json.loads(kept.read_text())


# --- the mutants ------------------------------------------------------------

def code_only(line):
    """The line with string and character literals and comments blanked, so
    that operators are looked for in code only (same length as the line)."""
    out, i, quote = [], 0, None
    while i < len(line):
        c = line[i]
        if quote:
            if c == "\\":
                out.append("  ")
                i += 2
                continue
            out.append(" ")
            if c == quote:
                quote = None
        elif c in "\"'":
            quote = c
            out.append(" ")
        elif line.startswith("//", i):
            out.append(" " * (len(line) - i))
            break
        else:
            out.append(c)
        i += 1
    return "".join(out)[:len(line)]


SWAPS = {
    "relational": {" < ": " <= ", " <= ": " < ", " > ": " >= ", " >= ": " > ",
                   " == ": " != ", " != ": " == "},
    "logical": {" && ": " || ", " || ": " && "},
}
CALL = re.compile(r"^(emit\s+)?[A-Za-z_][\w:]*(\(\))?((\.|->|::)[A-Za-z_]\w*(\(\))?)*\(.*\);$")
NOT_CALLS = ("return", "delete", "Q_UNUSED", "Q_ASSERT", "Q_OBJECT", "static_assert", "throw")


def closing_paren(code, opening):
    depth = 0
    for i in range(opening, len(code)):
        depth += {"(": 1, ")": -1}.get(code[i], 0)
        if depth == 0:
            return i
    return -1


def mutations(line):
    """(class, mutated line) for one line of source."""
    code = code_only(line)
    stripped = code.strip()
    if not stripped or stripped.startswith("#") or stripped.startswith("*"):
        return
    for kind, table in SWAPS.items():
        for original, replacement in table.items():
            for match in re.finditer(re.escape(original), code):
                at = match.start()
                yield kind, line[:at] + replacement + line[at + len(original):]
    for match in re.finditer(r"\b(if|while) \(", code):
        opening = match.end() - 1
        closing = closing_paren(code, opening)
        if closing > 0:
            inner = line[opening + 1:closing]
            yield "negated", f"{line[:opening + 1]}!({inner}){line[closing:]}"
    for match in re.finditer(r"\b(true|false)\b", code):
        other = "false" if match.group() == "true" else "true"
        yield "boolean", line[:match.start()] + other + line[match.end():]
    for match in re.finditer(r"(?<![\w.])\d+(?![\w.'])", code):
        value = int(match.group())
        for changed in (value + 1, value - 1):
            if changed >= 0:
                yield "constant", line[:match.start()] + str(changed) + line[match.end():]
    if CALL.match(stripped) and not stripped.startswith(NOT_CALLS) and " = " not in code:
        indent = line[:len(line) - len(line.lstrip())]
        yield "call removed", indent + ";"
    returned = re.match(r"^(\s*)return (.+);$", line)
    if returned and returned.group(2) not in ("{}", "true", "false", "nullptr"):
        yield "return value", f"{returned.group(1)}return {{}};"


def generate(covered):
    mutants = []
    for folder in FOLDERS:
        for path in sorted((TOP / folder).rglob("*.cpp")):
            relative = str(path.relative_to(TOP))
            ran = covered.get(relative, {})
            for number, line in enumerate(path.read_text().split("\n"), 1):
                if str(number) not in ran:
                    continue
                for kind, mutated in mutations(line):
                    mutants.append({"file": relative, "line": number, "kind": kind,
                                    "original": line, "mutated": mutated})
    return mutants


# Values that are their type's default: returning {} instead changes nothing.
# ({}, true, false and nullptr never get a "return value" mutant at all.)
DEFAULT_VALUES = ("VI_SUCCESS", "VI_NULL", "NoError", "0", "0U", "QString()", "std::string()")


def plainly_equivalent(mutant):
    returned = re.match(r"\s*return (.+);$", mutant.get("original", ""))
    return (mutant["kind"] == "return value" and returned is not None
            and returned.group(1) in DEFAULT_VALUES)


def equivalents():
    known = set()
    if EQUIVALENT.exists():
        for entry in EQUIVALENT.read_text().split("\n"):
            fields = entry.split("\t")
            if len(fields) == 4 and not entry.startswith("#"):
                known.add((fields[0], fields[1].strip(), fields[2].strip()))
    return known


def unescape(text):
    return re.sub(r"\\(.)", lambda m: {"n": "\n", "t": "\t"}.get(m.group(1), m.group(1)), text)


def listed(path, only):
    """The regression list's faults as mutants; a fault whose text is not in
    its file once is reported, not tried."""
    mutants = []
    for entry in Path(path).read_text().split("\n"):
        if not entry or entry.startswith("#"):
            continue
        fields = entry.split("\t")
        if len(fields) != 4 or not all(fields):
            print(f"mutants: not four fields: {entry[:80]}")
            continue
        file, original, replacement, what = fields
        if only and not re.search(only, f"{file} {what}"):
            continue
        original, replacement = unescape(original), unescape(replacement)
        source = (TOP / file).read_text()
        if source.count(original) != 1:
            print(f"mutants: out of date, not once in {file}: {what}")
            continue
        line = source[:source.index(original)].count("\n") + 1
        mutants.append({"file": file, "line": line, "kind": what,
                        "text": source.replace(original, replacement, 1)})
    return mutants


# --- trying one mutant ------------------------------------------------------

class Mutant:
    """Puts a mutant into its file and takes it out again, also when the run
    is interrupted."""

    def __init__(self, mutant):
        self.path = TOP / mutant["file"]
        self.source = self.path.read_text()
        if "text" in mutant:
            self.text = mutant["text"]
        else:
            lines = self.source.split("\n")
            lines[mutant["line"] - 1] = mutant["mutated"]
            self.text = "\n".join(lines)

    def __enter__(self):
        self.path.write_text(self.text)
        return self

    def __exit__(self, *exception):
        self.path.write_text(self.source)


def try_mutant(mutant, build, mapping, targets, limit):
    """'killed by NAME', 'survived', 'does not build' or 'killed by the time limit'."""
    seconds = mapping["seconds"]
    tests = mapping["lines"].get(mutant["file"], {}).get(str(mutant["line"]))
    if not tests:  # a listed fault on a line no test runs
        tests = list(seconds)
    tests = sorted(set(tests), key=lambda name: seconds.get(name, 60))
    needed = [targets.get(name) for name in tests]
    chosen = [] if None in needed else ["--target", *sorted(set(sum(needed, [])))]
    with Mutant(mutant):
        built = run(["cmake", "--build", str(build), *chosen])
        if built.returncode != 0:
            return "does not build"
        began = time.monotonic()
        # The quickest test alone, then the others two at a time.
        for group in (tests[:1], tests[1:]):
            if not group:
                continue
            pattern = "^(" + "|".join(re.escape(name) for name in group) + ")$"
            left = max(10, limit - (time.monotonic() - began))
            try:
                result = run(["ctest", "--test-dir", str(build), "-j", "2", "--stop-on-failure",
                              "--timeout", str(int(left)), "-R", pattern], timeout=left + 30)
            except subprocess.TimeoutExpired:
                return "killed by the time limit"
            if result.returncode != 0:
                failed = re.findall(r"\d+ - (\S+) \(", result.stdout)
                return "killed by " + (failed[0] if failed else "the suite")
    return "survived"


def diff(mutant):
    if "mutated" not in mutant:
        return f"--- {mutant['file']}:{mutant['line']}  {mutant['kind']}"
    return (f"--- {mutant['file']}:{mutant['line']}  ({mutant['kind']})\n"
            f"-{mutant['original']}\n+{mutant['mutated']}")


def main():
    parser = argparse.ArgumentParser(description=__doc__.split("\n")[0])
    parser.add_argument("--seed", type=int, default=1)
    parser.add_argument("--count", type=int, default=150)
    parser.add_argument("--folder", action="append", help="only mutants under these folders or in these files")
    parser.add_argument("--list", help="a regression list instead of generated mutants")
    parser.add_argument("--only", help="only faults whose file:line (or, with --list, file or text) match")
    parser.add_argument("--limit", type=float, default=240, help="seconds of tests per mutant")
    parser.add_argument("--remap", action="store_true", help="measure the tests' lines again")
    parser.add_argument("--dry-run", action="store_true", help="print the sample, try nothing")
    parser.add_argument("--from", dest="first", type=int, default=1,
                        help="go on with an interrupted run at this mutant of the sample")
    options = parser.parse_args()
    began = time.monotonic()
    mapping = tests_by_line(options.remap)

    if options.list:
        sample, generated = listed(options.list, options.only), None
    else:
        everything = generate(mapping["lines"])
        if options.folder:
            everything = [m for m in everything
                          if m["file"] in options.folder
                          or m["file"].startswith(tuple(f.rstrip("/") + "/" for f in options.folder))]
        generated = len(everything)
        sample = random.Random(options.seed).sample(everything, min(options.count, generated))
        sample.sort(key=lambda m: (m["file"], m["line"]))
        if options.only:
            sample = [m for m in sample if re.search(options.only, f"{m['file']}:{m['line']}")]
    known = equivalents()
    if options.dry_run:
        for mutant in sample:
            print(diff(mutant))
        return 0

    # Neither optimised nor with debugging information, and programs not
    # linked again when only a stand-in library changed: a mutant costs a
    # compile and a link or two. Array indexes and the standard library's
    # use, and C++ casts, are checked, as in the sanitized suite: an index
    # one past an array's end is a fault even where it only overwrites the
    # member after it, an empty optional taken is one even where it reads as
    # no match, and so is an event taken for a key press that is none.
    bounds = "-fsanitize=bounds -fno-sanitize-recover=bounds -D_GLIBCXX_ASSERTIONS"
    casts = "-fsanitize=vptr -fno-sanitize-recover=vptr"
    build = build_folder("build-mutants", "-DSFP_BUILD_TESTS=ON", "-DSFP_BUILD_BENCH=OFF",
                         "-DSFP_BUILD_TOOLS=OFF", "-DCMAKE_BUILD_TYPE=Debug",
                         "-DCMAKE_CXX_FLAGS_DEBUG=", "-DCMAKE_C_FLAGS_DEBUG=",
                         f"-DCMAKE_CXX_FLAGS={bounds} {casts}", f"-DCMAKE_C_FLAGS={bounds}",
                         "-DCMAKE_LINK_DEPENDS_NO_SHARED=ON")
    targets = test_targets(build)
    # Ctrl-C takes the mutant out of its file before the run ends.
    signal.signal(signal.SIGTERM, lambda *_: sys.exit(130))
    tally = {"killed": 0, "survived": 0, "equivalent": 0, "does not build": 0}
    survivors = []
    for number, mutant in enumerate(sample, 1):
        if number < options.first:
            continue
        key = (f"{mutant['file']}:{mutant['line']}", mutant.get("original", "").strip(),
               mutant.get("mutated", "").strip())
        started = time.monotonic()
        if key in known or plainly_equivalent(mutant):
            verdict = "equivalent"
        else:
            verdict = try_mutant(mutant, build, mapping, targets, options.limit)
        kind = "killed" if verdict.startswith("killed") else verdict
        tally[kind] += 1
        if kind == "survived":
            survivors.append(mutant)
        print(f"{number:4}/{len(sample)}  {mutant['file']}:{mutant['line']}  {mutant['kind']}: "
              f"{verdict} ({time.monotonic() - started:.0f} s)", flush=True)
    run(["cmake", "--build", str(build)])

    judged = tally["killed"] + tally["survived"]
    minutes = (time.monotonic() - began) / 60
    print()
    for mutant in survivors:
        print(diff(mutant))
    print()
    if generated is not None:
        print(f"seed {options.seed}: {generated} mutants generated on covered lines, "
              f"{len(sample)} sampled")
    print(f"{tally['killed']} killed, {tally['survived']} survived, {tally['equivalent']} "
          f"equivalent, {tally['does not build']} do not build; score "
          f"{100.0 * tally['killed'] / judged if judged else 100.0:.1f} % in {minutes:.1f} minutes")
    return 0 if not survivors else 1


if __name__ == "__main__":
    try:
        sys.exit(main())
    except KeyboardInterrupt:
        sys.exit(130)
