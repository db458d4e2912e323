#!/usr/bin/python3
# SPDX-FileCopyrightText: 2026 Tarvex
# SPDX-License-Identifier: MIT
"""Runs the real panel on the simulated platform under Xvfb and saves
screenshots of what the operator sees into a folder (the README shows them):

    dbus-run-session -- /usr/bin/python3 screenshots.py \\
        --program build/bin/qx5170fp --grab build/bin/sfp_screengrab --out docs

The program is driven through the accessibility interface, with the helpers
of the end-to-end tests.
"""

import argparse
import os
import socket
import subprocess
import sys
import time

HERE = os.path.dirname(os.path.abspath(__file__))
sys.path.insert(0, os.path.join(HERE, "..", "tests", "e2e"))

import languages  # noqa: E402
import sfpdrive as d  # noqa: E402

# Time for the window system and the program to finish painting what was
# just shown.
SETTLE = 0.8


def free_port():
    with socket.socket() as probe:
        probe.bind(("127.0.0.1", 0))
        return probe.getsockname()[1]


class Camera:
    def __init__(self, desktop, grab, folder):
        self.desktop = desktop
        self.grab = grab
        self.folder = folder

    def shoot(self, accessible, name):
        # The pointer goes into the screen's far corner, out of the picture.
        d.xdotool("mousemove", "1279", "1023")
        time.sleep(SETTLE)
        x, y, width, height = d.extents(accessible)
        path = os.path.join(self.folder, name)
        subprocess.run([self.grab, path, str(x), str(y), str(width), str(height)], check=True,
                       env=self.desktop.environment())
        print(path)


def connected_vxi(desktop, program, camera):
    panel = d.Panel(desktop, program)
    try:
        question = panel.wait_window(d.QUESTION_TITLE, "alert")
        camera.shoot(question, "connect-question.png")
        # Move the question aside for a clear view of the splash beneath it.
        splash = d.wait_for("the splash", lambda: d.splash_window(panel))
        d.xdotool("search", "--sync", "--onlyvisible", "--name",
                  "^%s$" % d.QUESTION_TITLE, "windowmove", "0", "0")
        camera.shoot(splash, "splash.png")

        d.press(d.find(question, "push button", "Auto Find"))
        tree = panel.wait_window(d.QUESTION_TITLE, "dialog", content="tree")
        camera.shoot(tree, "select-card.png")
        d.choose_card(panel, "Slot 5", "FC 2")

        main = panel.wait_window(d.PANEL_TITLE)
        for pair, relay in ((1, 0), (2, 1), (6, 0), (6, 1), (11, 0), (16, 1)):
            button = d.relay_buttons(main, pair)[relay]
            d.toggle(button)
            d.wait_for("the relay to be on", lambda button=button: d.checked(button))
        camera.shoot(main, "panel-vxi.png")

        d.press(d.find(main, "push button", "About"))
        about = panel.wait_window(d.ABOUT_TITLE)
        camera.shoot(about, "panel-about.png")
        d.press(d.find(about, "push button", "OK"))
        panel.wait_gone(about)
        d.answer_close_question(panel, main, "Yes")
        panel.wait_exit()
    finally:
        panel.close()


def connected_lxi(desktop, program, camera):
    panel = d.Panel(desktop, program)
    try:
        question = panel.wait_window(d.QUESTION_TITLE, "alert")
        d.press(d.find(question, "push button", "Enter Address"))
        d.enter_address(panel, "FC 1")
        main = panel.wait_window(d.PANEL_TITLE + ": lxi-5170.lab.local")
        camera.shoot(main, "panel-lxi.png")
        d.answer_close_question(panel, main, "Yes")
        panel.wait_exit()
    finally:
        panel.close()


def fixture(desktop, program, camera):
    """Labels, a refused click, and relays near and past their rated life."""
    path = os.path.join(desktop.folder, "fixture.json")
    with open(path, "w", encoding="utf-8") as out:
        out.write('{"labels": {"3": "PSU rail", "4": "Load", "7": "GND", "8": "Sense -",'
                  ' "11": "DUT pin 4"},'
                  ' "rules": [{"name": "PSU/GND", "mutual": [3, 7]}],'
                  ' "life": {"cycles": 1000000, "relays": {"11": 100000}}}')
    counts = os.path.join(desktop.environment()["XDG_STATE_HOME"], "qx5170fp",
                          "VXI0::1::INSTR%2FFC2")
    os.makedirs(counts, exist_ok=True)
    with open(os.path.join(counts, "relay-cycles.json"), "w", encoding="utf-8") as out:
        out.write('{"cycles": [0,0,850000,0,0,0,12%s,100000%s]}' % (",0" * 3, ",0" * 21))
    port = free_port()
    panel = d.Panel(desktop, program,
                    arguments=["--address", "VXI0::1::INSTR", "--fc", "2", "--fixture", path,
                               "--listen", str(port)])
    try:
        main = panel.wait_window(d.PANEL_TITLE)
        psu = d.wait_for("relay 3 by its label",
                         lambda: d.find(main, "check box", "Pair 2 relay A: PSU rail"))
        d.toggle(psu)
        d.wait_for("relay 3 closed", lambda: d.checked(psu))
        d.toggle(d.find(main, "check box", "Pair 4 relay A: GND"))
        d.wait_for("the refusal", lambda: d.find(
            main, "label", 'Refused: "PSU/GND" allows one of relays 3, 7'))
        camera.shoot(main, "panel-fixture.png")
        # A script's changes beside the operator's, then the log window.
        remote_session(port)
        d.focus_window(d.PANEL_TITLE)
        d.key("ctrl+l")
        view = panel.wait_window("Switching log")
        table = d.wait_for("the log's table", lambda: d.find(view, "table", "Switching log"))
        d.wait_for("the script's changes in the log window",
                   lambda: d.find(table, "table cell", "relay 12 closed") is not None)
        camera.shoot(view, "switching-log.png")
        d.press(d.find(view, "push button", "Close"))
        panel.wait_gone(view)
        d.answer_close_question(panel, main, "Yes")
        panel.wait_exit()
    finally:
        panel.close()
    timeline(desktop, program, camera, path)


def remote_session(port):
    """A script's few changes, a moment apart, for the log and its timeline."""
    with socket.create_connection(("127.0.0.1", port), timeout=10) as client:
        lines = client.makefile("rwb")
        for line in ("ROUT:MODE COMM", "ROUT:CLOS (@4,12)", "ROUT:UPD", "ROUT:OPEN (@3)",
                     "ROUT:CLOS (@7)", "ROUT:UPD", "ROUT:MODE ASYN", "ROUT:OPEN (@12)"):
            lines.write(line.encode() + b";*OPC?\n")
            lines.flush()
            lines.readline()
            time.sleep(0.15)


def timeline(desktop, program, camera, fixture_path):
    """The card's switching log as PulseView shows it."""
    log = os.path.join(desktop.environment()["XDG_STATE_HOME"], "qx5170fp",
                       "VXI0::1::INSTR%2FFC2", "switching.jsonl")
    vcd = os.path.join(desktop.folder, "card.vcd")
    subprocess.run([program, "--log-to-vcd", log, vcd, "--fixture", fixture_path], check=True,
                   env=desktop.environment())
    viewer = subprocess.Popen(["pulseview", "-i", vcd, "-I", "vcd"], env=desktop.environment(),
                              stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)
    try:
        window = d.wait_for("PulseView's window", lambda: subprocess.run(
            ["xdotool", "search", "--onlyvisible", "--name", "PulseView"], check=False,
            capture_output=True, text=True, env=desktop.environment()).stdout.split())
        time.sleep(4)
        d.xdotool("windowsize", window[0], "1200", "700")
        d.xdotool("windowmove", window[0], "0", "0")
        time.sleep(2)
        path = os.path.join(camera.folder, "switching-timeline.png")
        subprocess.run([camera.grab, path, "0", "0", "1200", "700"], check=True,
                       env=desktop.environment())
        print(path)
    finally:
        viewer.terminate()
        viewer.wait()


def demo(desktop, program, camera):
    panel = d.Panel(desktop, program)
    try:
        question = panel.wait_window(d.QUESTION_TITLE, "alert")
        d.press(d.find(question, "push button", "Run In Demo Mode"))
        main = panel.wait_window(d.PANEL_TITLE)
        camera.shoot(main, "panel-demo.png")
        d.answer_close_question(panel, main, "Yes")
        panel.wait_exit()
    finally:
        panel.close()


def german(desktop, program, camera):
    """The first box and the panel in a German session."""
    text = languages.TEXTS["de_DE.UTF-8"]
    panel = d.Panel(desktop, program, language="de_DE.UTF-8")
    try:
        question = panel.wait_window(text["question title"], "alert")
        camera.shoot(question, "connect-question-de.png")
        d.press(d.find(question, "push button", text["demo"]))
        main = panel.wait_window(text["panel title"])
        for pair, relay in ((1, "A"), (2, "B"), (6, "A"), (11, "A")):
            button = d.find(main, "check box", "Paar %d Relais %s" % (pair, relay))
            d.toggle(button)
            d.wait_for("the relay to be on", lambda button=button: d.checked(button))
        camera.shoot(main, "panel-de.png")
        d.press(d.find(main, "push button", text["close"]))
        close = panel.wait_window(text["close title"])
        d.press(d.find(close, "push button", text["yes"]))
        panel.wait_exit()
    finally:
        panel.close()


def main():
    parser = argparse.ArgumentParser(description=__doc__.splitlines()[0])
    parser.add_argument("--program", required=True, help="path of qx5170fp")
    parser.add_argument("--grab", required=True, help="path of sfp_screengrab")
    parser.add_argument("--out", required=True, help="folder for the pictures")
    args = parser.parse_args()
    os.makedirs(args.out, exist_ok=True)
    program = os.path.abspath(args.program)
    with d.Desktop() as desktop:
        camera = Camera(desktop, os.path.abspath(args.grab), os.path.abspath(args.out))
        try:
            for run in (connected_vxi, connected_lxi, fixture, demo, german):
                run(desktop, program, camera)
        except d.Failure as failure:
            print("screenshots: %s" % failure, file=sys.stderr)
            return 1
    return 0


if __name__ == "__main__":
    sys.exit(main())
