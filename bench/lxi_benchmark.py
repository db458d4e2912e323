#!/usr/bin/python3
# SPDX-FileCopyrightText: 2026 Tarvex
# SPDX-License-Identifier: MIT
"""`lxi benchmark -r` (lxi-tools: *IDN? over a raw socket, one request after
the other) against the panel in demo mode, listening on the loopback, and
against bench_remote_echo, a bare Qt echo server in a process of its own.
The two take turns round by round, so that both see the same machine; it
prints the median requests per second of each and whether the panel reaches
the target share of the echo's. Then the same once more with a second
program keeping one core busy. It is a benchmark, not a test: the exit
status says only whether it could measure.

    lxi_benchmark.py --program build/bin/qx5170fp --echo build/bin/bench_remote_echo
"""

import argparse
import os
import re
import socket
import statistics
import subprocess
import sys
import tempfile
import time

TARGET = 2 / 3  # of the echo's requests per second
RATE = re.compile(r"([0-9.]+) requests/second")


def free_port():
    with socket.socket() as probe:
        probe.bind(("127.0.0.1", 0))
        return probe.getsockname()[1]


def wait_for_port(port, process, seconds=30):
    end = time.monotonic() + seconds
    while time.monotonic() < end:
        if process.poll() is not None:
            sys.exit(f"lxi_benchmark: the panel ended with status {process.returncode}")
        try:
            with socket.create_connection(("127.0.0.1", port), timeout=1):
                return
        except OSError:
            time.sleep(0.1)
    sys.exit(f"lxi_benchmark: nothing listens on port {port}")


def requests_per_second(port, count):
    run = subprocess.run(["lxi", "benchmark", "-a", "127.0.0.1", "-p", str(port), "-r",
                          "-c", str(count)], capture_output=True, text=True, timeout=300)
    found = RATE.search(run.stdout + run.stderr)
    if not found:
        sys.exit(f"lxi_benchmark: lxi gave no rate: {run.stdout}{run.stderr}")
    return float(found.group(1))


def measure(panel_port, echo_port, rounds, count):
    panel, echo = [], []
    for _ in range(rounds):
        panel.append(requests_per_second(panel_port, count))
        echo.append(requests_per_second(echo_port, count))
    return statistics.median(panel), statistics.median(echo)


def main():
    parser = argparse.ArgumentParser(description=__doc__.splitlines()[0])
    parser.add_argument("--program", required=True, help="the panel, qx5170fp")
    parser.add_argument("--echo", required=True, help="bench_remote_echo")
    parser.add_argument("--rounds", type=int, default=7)
    parser.add_argument("--count", type=int, default=2000)
    args = parser.parse_args()

    with tempfile.TemporaryDirectory() as home:
        # The panel reads and writes its files in a profile of the run's
        # own, never the user's.
        env = dict(os.environ, HOME=home, XDG_CONFIG_HOME=f"{home}/config",
                   XDG_STATE_HOME=f"{home}/state", XDG_DATA_HOME=f"{home}/data",
                   ALLUSERSPROFILE=f"{home}/profile")
        env.setdefault("QT_QPA_PLATFORM", "offscreen")
        port = free_port()
        panel = subprocess.Popen([args.program, "--demo", "--listen", f"127.0.0.1:{port}"],
                                 env=env, stdin=subprocess.DEVNULL,
                                 stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)
        echo = subprocess.Popen([args.echo], stdin=subprocess.PIPE, stdout=subprocess.PIPE,
                                text=True)
        busy = None
        try:
            echo_port = int(echo.stdout.readline())
            wait_for_port(port, panel)
            print(f"lxi benchmark -r -c {args.count} (*IDN?), {args.rounds} rounds in turns; "
                  "medians in requests per second")
            print(f"{'':40} {'panel':>9} {'echo':>9} {'ratio':>6}  target")
            all_met = True
            for loaded in (False, True):
                if loaded:
                    busy = subprocess.Popen([sys.executable, "-c", "while True: pass"])
                on_panel, on_echo = measure(port, echo_port, args.rounds, args.count)
                ratio = on_panel / on_echo
                met = ratio >= TARGET
                all_met = all_met and met
                name = "one core kept busy" if loaded else "quiet"
                print(f"{name:40} {on_panel:9.0f} {on_echo:9.0f} {ratio:6.2f}  "
                      f"{'met' if met else 'NOT met'} (>= {TARGET:.2f} x the echo)")
            print("all targets met" if all_met else "some targets NOT met")
        finally:
            if busy:
                busy.kill()
                busy.wait()
            panel.terminate()
            try:
                panel.wait(10)
            except subprocess.TimeoutExpired:
                panel.kill()
                panel.wait()
            echo.stdin.close()
            echo.wait(10)
    return 0


if __name__ == "__main__":
    sys.exit(main())
