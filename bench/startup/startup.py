#!/usr/bin/python3
# SPDX-FileCopyrightText: 2026 Tarvex
# SPDX-License-Identifier: MIT
"""Start-up benchmark of the relay card's soft front panel, measured from
outside the program (the program has no hook for it), against a bare Qt 6
program that does the same job up to the first question: the same style, a
splash of the same size with a line of text, then the same question box.

For both it measures, per run, from process start:
- the end of a run that stops before the toolkit starts (the panel with
  --help, the bare program with --exit): library loading and static
  start-up, the panel's compiled-in resources among it,
- the splash on screen (the program's first mapped window),
- the first question box on screen,
- resident memory with the box up;
and for the panel also the time from answering "Run In Demo Mode" to the
main window and its resident memory then. It prints the medians stage by
stage with the difference, so that it shows where the extra time goes, and
whether the targets are met: time to the first box within 1.05 x and
resident memory within 1.15 x the bare program's. It runs on an Xvfb display
of its own. It is a benchmark, not a test: the exit status says only
whether it could measure.

    startup.py --program build/bin/qx5170fp --bare build/bin/bench_same_job [--runs 20]
"""

import argparse
import os
import select
import shutil
import statistics
import subprocess
import sys
import tempfile
import time

QUESTION = "^Orbelan 5170 SFP: Select Function Card$"
PANEL = "^Orbelan 5170 Soft Front Panel$"
TIME_RATIO = 1.05
MEMORY_RATIO = 1.15
TIMEOUT = 60.0
# xdotool's own "search --sync" looks only every half second, far too
# coarse for times of this size; asking again every few milliseconds keeps
# the error of each figure to about the cost of one xdotool call.
POLL = 0.002
# Time for the window to be painted before its memory is read.
SETTLE = 0.5


def start_xvfb():
    read_end, write_end = os.pipe()
    # -noreset: by default the server starts afresh whenever its last client
    # goes, and refuses the next program that connects meanwhile.
    server = subprocess.Popen(
        ["Xvfb", "-displayfd", str(write_end), "-screen", "0", "1280x1024x24", "-noreset",
         "-nolisten", "tcp"],
        pass_fds=[write_end], stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)
    os.close(write_end)
    number = b""
    while not number.endswith(b"\n"):
        ready, _, _ = select.select([read_end], [], [], TIMEOUT)
        if not ready:
            sys.exit("startup: Xvfb did not start")
        number += os.read(read_end, 16)
    os.close(read_end)
    return server, ":" + number.decode().strip()


def xdotool(display, *args):
    return subprocess.run(["xdotool"] + list(args), env=dict(os.environ, DISPLAY=display),
                          stdout=subprocess.PIPE, stderr=subprocess.DEVNULL)


def wait_mapped(display, pattern, process):
    """Seconds on the monotonic clock when a window whose title matches is
    mapped; pattern None: any window of the process."""
    deadline = time.monotonic() + TIMEOUT
    query = (["--name", pattern] if pattern else ["--pid", str(process.pid)])
    while True:
        if xdotool(display, "search", "--onlyvisible", *query).returncode == 0:
            return time.monotonic()
        if process.poll() is not None:
            sys.exit("startup: the program ended before showing '%s'" % pattern)
        if time.monotonic() > deadline:
            sys.exit("startup: no window '%s' within %d s" % (pattern, TIMEOUT))
        time.sleep(POLL)


def resident_kib(pid):
    with open("/proc/%d/status" % pid) as status:
        for line in status:
            if line.startswith("VmRSS:"):
                return int(line.split()[1])
    return 0


def environment(display, folder):
    env = dict(os.environ)
    env.update({
        "DISPLAY": display,
        "QT_QPA_PLATFORM": "xcb",
        "SFP_SIM_CONFIG": "",
        "SFP_SIM_TRACE": "",
        "ALLUSERSPROFILE": folder,
        "XDG_CONFIG_HOME": folder,
        "XDG_STATE_HOME": folder,
        "XDG_RUNTIME_DIR": folder,
    })
    env.pop("QT_LINUX_ACCESSIBILITY_ALWAYS_ON", None)
    return env


def stop(process):
    process.terminate()
    try:
        process.wait(timeout=10)
    except subprocess.TimeoutExpired:
        process.kill()
        process.wait()


def run_to_exit(command, env):
    """Seconds from start to exit of a run that ends by itself."""
    start = time.monotonic()
    subprocess.run(command, env=env, stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL,
                   check=True)
    return time.monotonic() - start


def run_to_box(program, display, env, answer_demo):
    """Splash, first box and memory from one start; with answer_demo also
    the time from the answer to the main window and the memory then."""
    start = time.monotonic()
    # The panel on the stand-ins that ship with it, as an operator without
    # a vendor installation runs it.
    command = [program, "--simulate"] if answer_demo else [program]
    process = subprocess.Popen(command, env=env, stdout=subprocess.DEVNULL,
                               stderr=subprocess.DEVNULL)
    try:
        run = {"splash": wait_mapped(display, None, process) - start,
               "box": wait_mapped(display, QUESTION, process) - start}
        time.sleep(SETTLE)
        run["box_rss"] = resident_kib(process.pid)
        if answer_demo:
            # "Auto Find" is the default button: Tab moves to "Run In Demo
            # Mode", the space bar presses it.
            xdotool(display, "key", "Tab", "space")
            answered = time.monotonic()
            run["main_window"] = wait_mapped(display, PANEL, process) - answered
            time.sleep(SETTLE)
            run["main_rss"] = resident_kib(process.pid)
        return run
    finally:
        stop(process)


def median(runs, key, scale=1.0):
    return statistics.median(run[key] for run in runs) * scale


def verdict(value, reference, target):
    ratio = value / reference if reference else float("inf")
    return "%.3f x the bare program: %s (at most %.2f x)" % (
        ratio, "target met" if ratio <= target else "TARGET MISSED", target)


def report(panel, bare, runs):
    print("Start-up, %d runs each on Xvfb, medians in ms from process start" % runs)
    print("%-52s %9s %9s %9s" % ("", "qx5170fp", "same job", "extra"))
    rows = [
        ("libraries, static start-up (run that ends at once)", "exit"),
        ("... splash on screen", "splash"),
        ("... first question box on screen", "box"),
    ]
    for label, key in rows:
        ours, theirs = median(panel, key, 1000), median(bare, key, 1000)
        print("%-52s %9.1f %9.1f %+9.1f" % (label, ours, theirs, ours - theirs))
    print("where the extra time goes (difference of each stage's share)")
    stages = [
        ("library loading, resource registration", None, "exit"),
        ("application object, style, splash composition and window", "exit", "splash"),
        ("splash to box (panel: frame, selection and address dialogs)", "splash", "box"),
    ]
    for label, begin, end in stages:
        def share(runs):
            return median(runs, end, 1000) - (median(runs, begin, 1000) if begin else 0.0)
        ours, theirs = share(panel), share(bare)
        print("  %-60s %7.1f %7.1f %+7.1f" % (label, ours, theirs, ours - theirs))
    print("resident memory with the first box up: %.1f MiB against %.1f MiB"
          % (median(panel, "box_rss", 1 / 1024), median(bare, "box_rss", 1 / 1024)))
    print("panel only: demo answer to main window %.1f ms, resident memory then %.1f MiB"
          % (median(panel, "main_window", 1000), median(panel, "main_rss", 1 / 1024)))
    print("targets")
    print("  time to first box:  " + verdict(median(panel, "box"), median(bare, "box"),
                                             TIME_RATIO))
    print("  resident memory:    " + verdict(median(panel, "box_rss"), median(bare, "box_rss"),
                                             MEMORY_RATIO))


def main():
    parser = argparse.ArgumentParser(description=__doc__.splitlines()[0])
    parser.add_argument("--program", required=True, help="path of qx5170fp")
    parser.add_argument("--bare", required=True, help="path of bench_same_job")
    parser.add_argument("--runs", type=int, default=20)
    args = parser.parse_args()
    for tool in ("Xvfb", "xdotool"):
        if not shutil.which(tool):
            sys.exit("startup: %s is missing (scripts/deps.sh installs it)" % tool)

    server, display = start_xvfb()
    folder = tempfile.mkdtemp(prefix="sfp-bench-")
    os.chmod(folder, 0o700)
    env = environment(display, folder)
    try:
        # One run of each first, so that both start from warm caches; then
        # the two alternate, so that drift hits both alike. The runs that
        # end at once go separately: right after a windowed run the display
        # server is still busy with the closed windows.
        run_to_box(args.bare, display, env, False)
        run_to_box(args.program, display, env, True)
        panel = []
        bare = []
        for _ in range(args.runs):
            bare.append(run_to_box(args.bare, display, env, False))
            panel.append(run_to_box(args.program, display, env, True))
        time.sleep(SETTLE)
        for i in range(args.runs):
            bare[i]["exit"] = run_to_exit([args.bare, "--exit"], env)
            panel[i]["exit"] = run_to_exit([args.program, "--help"], env)
    finally:
        stop(server)
        shutil.rmtree(folder, ignore_errors=True)
    report(panel, bare, args.runs)
    return 0


if __name__ == "__main__":
    sys.exit(main())
