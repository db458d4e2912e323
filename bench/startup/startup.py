#!/usr/bin/python3
"""Start-up benchmark of the relay card's soft front panel, measured from
outside the program (the program has no hook for it):

- time from process start until the first question box is mapped,
- time from answering "Run In Demo Mode" until the main window is mapped,
- resident memory once the main window is up,

next to the same figures for a bare Qt 6 program that shows one empty
widget. Runs on an Xvfb display of its own; prints its figures and whether
the targets are met (time to the first box and resident memory each within
1.5 x the bare program's). It is a benchmark, not a test: the exit status
says only whether it could measure.

    startup.py --program build/bin/qx5170fp --bare build/bin/bench_bare_window [--runs 10]
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
BARE = "^sfp bare window$"
TARGET_RATIO = 1.5
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
    """Seconds on the monotonic clock when a window whose title matches is mapped."""
    deadline = time.monotonic() + TIMEOUT
    while True:
        if xdotool(display, "search", "--onlyvisible", "--name", pattern).returncode == 0:
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


def measure_panel(program, display, env):
    start = time.monotonic()
    process = subprocess.Popen([program], env=env, stdout=subprocess.DEVNULL,
                               stderr=subprocess.DEVNULL)
    try:
        first_box = wait_mapped(display, QUESTION, process) - start
        # "Auto Find" is the default button: Tab moves to "Run In Demo
        # Mode", the space bar presses it.
        xdotool(display, "key", "Tab", "space")
        answered = time.monotonic()
        main_window = wait_mapped(display, PANEL, process) - answered
        time.sleep(SETTLE)
        return first_box, main_window, resident_kib(process.pid)
    finally:
        stop(process)


def measure_bare(program, display, env):
    start = time.monotonic()
    process = subprocess.Popen([program], env=env, stdout=subprocess.DEVNULL,
                               stderr=subprocess.DEVNULL)
    try:
        window = wait_mapped(display, BARE, process) - start
        time.sleep(SETTLE)
        return window, resident_kib(process.pid)
    finally:
        stop(process)


def summary(values, unit, scale=1.0):
    return "median %8.1f %s  (min %.1f, max %.1f)" % (
        statistics.median(values) * scale, unit, min(values) * scale, max(values) * scale)


def verdict(value, reference):
    ratio = value / reference if reference else float("inf")
    return "%.2f x the bare program: %s" % (
        ratio, "target met" if ratio <= TARGET_RATIO else "TARGET MISSED (at most %.1f x)"
        % TARGET_RATIO)


def main():
    parser = argparse.ArgumentParser(description=__doc__.splitlines()[0])
    parser.add_argument("--program", required=True, help="path of qx5170fp")
    parser.add_argument("--bare", required=True, help="path of bench_bare_window")
    parser.add_argument("--runs", type=int, default=10)
    args = parser.parse_args()
    for tool in ("Xvfb", "xdotool"):
        if not shutil.which(tool):
            sys.exit("startup: %s is missing (scripts/deps.sh installs it)" % tool)

    server, display = start_xvfb()
    folder = tempfile.mkdtemp(prefix="sfp-bench-")
    os.chmod(folder, 0o700)
    env = environment(display, folder)
    try:
        # One run of each first, so that both start from warm caches.
        measure_bare(args.bare, display, env)
        measure_panel(args.program, display, env)
        panel = []
        bare = []
        for _ in range(args.runs):
            bare.append(measure_bare(args.bare, display, env))
            panel.append(measure_panel(args.program, display, env))
    finally:
        stop(server)
        shutil.rmtree(folder, ignore_errors=True)

    first_box = [run[0] for run in panel]
    main_window = [run[1] for run in panel]
    panel_rss = [run[2] for run in panel]
    bare_window = [run[0] for run in bare]
    bare_rss = [run[1] for run in bare]

    print("qx5170fp start-up, %d runs on Xvfb" % args.runs)
    print("  start to first question box   %s" % summary(first_box, "ms", 1000))
    print("  demo answer to main window    %s" % summary(main_window, "ms", 1000))
    print("  resident memory, main window  %s" % summary(panel_rss, "MiB", 1 / 1024))
    print("bare Qt 6 program (one empty QWidget)")
    print("  start to window mapped        %s" % summary(bare_window, "ms", 1000))
    print("  resident memory               %s" % summary(bare_rss, "MiB", 1 / 1024))
    print("targets")
    print("  time to first box:  " + verdict(statistics.median(first_box),
                                             statistics.median(bare_window)))
    print("  resident memory:    " + verdict(statistics.median(panel_rss),
                                             statistics.median(bare_rss)))
    return 0


if __name__ == "__main__":
    sys.exit(main())
