#!/usr/bin/python3
# SPDX-FileCopyrightText: 2026 Tarvex
# SPDX-License-Identifier: MIT
"""Runs the README's examples that talk to the panel, as they are written:

    in_namespace.sh /usr/bin/python3 readme_examples.py --readme README.md \\
        --bin build/bin

Which blocks run: every fenced block marked ```sh, ```console or ```python
between the README's "## Remote control" heading and the next "## " heading
(its "###" sections included); nothing else in the README runs here (the
build, the package, a replay to a lab's own machine). A block that would
install or needs root (sudo, apt-get) fails without being run. A ```python
block runs with python3; the others with bash, stopping at the first command
that fails. A block may be followed, with at most one paragraph of prose between,
by a ```text block: what the example prints, which its standard output must
be, line for line.

Each block runs on its own, in a folder and a home of its own, with the
built qx5170fp first in PATH (the simulated platform stands in for the
vendor libraries), no display (QT_QPA_PLATFORM=offscreen) and the Debian
system's python3 and tools. The whole run is inside a network namespace of
its own (in_namespace.sh), with a port mapper (rpcbind) of its own, so that
the ports the examples name (5025) are free and VXI-11 finds the panel
there. What a block leaves running (the panel it started with "&") is ended
after it.

Exit status 0 when every block ran as written, 1 when one did not, 77 when
skipped (no namespace).
"""

import argparse
import os
import re
import shutil
import signal
import subprocess
import sys
import tempfile
import time

SKIPPED = 77
BLOCK_TIMEOUT = 180
RUNNERS = {"sh": "bash", "console": "bash", "python": "python3"}


class Failure(Exception):
    pass


def examples(readme):
    """(language, first line number, code, expected output or None) of
    every block of the "Remote control" section."""
    lines = readme.split("\n")
    found = []
    inside = False
    i = 0
    while i < len(lines):
        line = lines[i]
        if line.startswith("## "):
            inside = line.strip() == "## Remote control"
        fence = re.match(r"^```(\w*)\s*$", line)
        if not fence:
            i += 1
            continue
        language = fence.group(1)
        end = i + 1
        while end < len(lines) and not lines[end].startswith("```"):
            end += 1
        code = "\n".join(lines[i + 1:end]) + "\n"
        if inside and language in RUNNERS:
            expected = None
            after = end + 1
            paragraphs = 0
            while after < len(lines) and not lines[after].startswith("```"):
                if lines[after].strip() and not lines[after - 1].strip():
                    paragraphs += 1
                after += 1
            if after < len(lines) and lines[after] == "```text" and paragraphs <= 1:
                close = after + 1
                while close < len(lines) and not lines[close].startswith("```"):
                    close += 1
                expected = "\n".join(lines[after + 1:close]) + "\n"
            found.append((language, i + 1, code, expected))
        i = end + 1
    return found


def start_port_mapper(folder):
    if not shutil.which("rpcbind") or not shutil.which("rpcinfo"):
        raise Failure("rpcbind is missing (Debian package rpcbind; scripts/deps.sh installs it)")
    log = open(os.path.join(folder, "rpcbind.log"), "ab")
    process = subprocess.Popen(["rpcbind", "-f"], stdout=log, stderr=subprocess.STDOUT)
    deadline = time.monotonic() + 30
    while subprocess.run(["rpcinfo", "-p", "127.0.0.1"], stdout=subprocess.DEVNULL,
                         stderr=subprocess.DEVNULL).returncode != 0:
        if process.poll() is not None or time.monotonic() > deadline:
            raise Failure("the port mapper does not answer")
        time.sleep(0.1)
    return process


def end_group(process):
    """Ends what the block left running: its whole process group."""
    for sig, wait in ((signal.SIGTERM, 10), (signal.SIGKILL, 10)):
        try:
            os.killpg(process.pid, sig)
        except ProcessLookupError:
            return
        deadline = time.monotonic() + wait
        while time.monotonic() < deadline:
            try:
                os.killpg(process.pid, 0)
            except ProcessLookupError:
                return
            time.sleep(0.1)


def run_block(language, line, code, expected, bin_folder):
    where = "README.md line %d (```%s)" % (line, language)
    # The test runs as root: a block that installs or changes the machine is
    # not run, it fails; such steps belong in the prose around the example.
    if re.search(r"\b(sudo|apt-get|apt|dpkg)\b", code):
        raise Failure("%s: installs or needs root; say such steps in the prose, not in an "
                      "example that is run" % where)
    with tempfile.TemporaryDirectory(prefix="readme-example-") as folder:
        home = os.path.join(folder, "home")
        work = os.path.join(folder, "work")
        os.makedirs(home)
        os.makedirs(work)
        environment = {
            key: value for key, value in os.environ.items()
            if not key.startswith(("XDG_CONFIG", "XDG_DATA", "XDG_STATE", "SFP_SIM_",
                                   "QX5170FP_", "PYTHON", "VIRTUAL_ENV", "PYENV"))
            and key not in ("ALLUSERSPROFILE", "DISPLAY", "WAYLAND_DISPLAY")
        }
        environment.update({
            "HOME": home,
            "PATH": os.pathsep.join([bin_folder, "/usr/sbin", "/usr/bin", "/sbin", "/bin"]),
            "QT_QPA_PLATFORM": "offscreen",
        })
        script = os.path.join(folder, "example")
        with open(script, "w") as file:
            file.write(code)
        command = ["bash", "-e", script] if RUNNERS[language] == "bash" else ["python3", script]
        out_path = os.path.join(folder, "out")
        err_path = os.path.join(folder, "err")
        # Files, not pipes: the panel a block leaves running keeps them open.
        with open(out_path, "wb") as out, open(err_path, "wb") as err:
            process = subprocess.Popen(command, cwd=work, env=environment, stdout=out,
                                       stderr=err, stdin=subprocess.DEVNULL,
                                       start_new_session=True)
            try:
                status = process.wait(BLOCK_TIMEOUT)
            except subprocess.TimeoutExpired:
                status = None
            end_group(process)
        with open(out_path, encoding="utf-8", errors="replace") as file:
            printed = file.read()
        with open(err_path, encoding="utf-8", errors="replace") as file:
            said = file.read()
        report = "\n--- standard output:\n%s--- standard error:\n%s" % (printed, said)
        if status is None:
            raise Failure("%s: still running after %d s%s" % (where, BLOCK_TIMEOUT, report))
        if status != 0:
            raise Failure("%s: ended with status %d%s" % (where, status, report))
        if expected is not None and printed != expected:
            raise Failure("%s: printed other than the README shows:\n--- README:\n%s%s"
                          % (where, expected, report))
        print("%s: ran as written%s" % (where, "" if expected is None else
                                        ", printed what the README shows"))


def main():
    parser = argparse.ArgumentParser(description=__doc__.splitlines()[0])
    parser.add_argument("--readme", required=True, help="path of README.md")
    parser.add_argument("--bin", required=True, help="folder of the built qx5170fp")
    args = parser.parse_args()
    if "SFP_E2E_NAMESPACE" not in os.environ:
        print("readme_examples: not in a namespace of its own (run it through in_namespace.sh)",
              file=sys.stderr)
        return SKIPPED
    with open(args.readme, encoding="utf-8") as file:
        blocks = examples(file.read())
    mapper = None
    try:
        if not blocks:
            raise Failure("no example in the README's \"Remote control\" section")
        with tempfile.TemporaryDirectory(prefix="readme-mapper-") as folder:
            mapper = start_port_mapper(folder)
            for language, line, code, expected in blocks:
                run_block(language, line, code, expected, os.path.abspath(args.bin))
    except Failure as failure:
        print("readme_examples: %s" % failure, file=sys.stderr)
        return 1
    finally:
        if mapper is not None:
            mapper.terminate()
            mapper.wait(10)
    return 0


if __name__ == "__main__":
    sys.exit(main())
