# SPDX-FileCopyrightText: 2026 Tarvex
# SPDX-License-Identifier: MIT
"""The scan as the operator runs it from the window: the real qx5170fp on
the simulated card, its "Scan" window opened from the relay area's menu and
driven through AT-SPI, the platform's trace showing what reached the card,
and a script on the remote control's socket taking the card's lock.
e2e.py runs them like its own scenarios."""

import socket
import subprocess

import remote
import sfpdrive as d

expect = remote.expect
CARD_LINE = remote.CARD_LINE


def click(acc, button=1):
    """A real click of the pointer at the middle of an object."""
    x, y, width, height = d.extents(acc)
    d.xdotool("mousemove", str(x + width // 2), str(y + height // 2), "click", str(button))


def visible_windows():
    """The program's X windows on screen, popups among them."""
    found = subprocess.run(["xdotool", "search", "--onlyvisible", "--classname", d.PROGRAM_NAME],
                           check=False, capture_output=True, text=True).stdout
    return set(found.split())


def open_scan_window(panel, main):
    """Right-clicks the relay area beside pair 1's buttons and chooses
    "Scan..." in its menu with the keys a person presses. The toolkit keeps
    a popup menu out of the accessible tree, so the menu is seen as the
    X window it opens; without a fixture file "Scan..." is its last entry,
    the one that Up reaches first."""
    pair = d.find(main, "panel", "Pair 1")
    expect(pair is not None, "no relay pair 'Pair 1'")
    x, y, _, _ = d.extents(pair)
    before = visible_windows()
    d.xdotool("mousemove", str(x + 4), str(y + 4), "click", "3")
    d.wait_for("the relay area's menu", lambda: visible_windows() - before)
    d.key("Up")
    d.key("Return")
    return panel.wait_window("Scan", content="push button")


def control(window, role_name, name):
    found = d.wait_for("%s '%s'" % (role_name, name), lambda: d.find(window, role_name, name))
    return found


def wait_progress(window, text):
    d.wait_for("the progress line '%s'" % text, lambda: d.find(window, "label", text))


def wait_enabled(acc, state):
    d.wait_for("'%s' to be %s" % (acc.name, "enabled" if state else "disabled"),
               lambda: remote.enabled(acc) == state)


def relay_on(panel, relay, state=True):
    line = CARD_LINE + "relay %d %s" % (relay, "on" if state else "off")
    return line in panel.trace()


def start_bus_scan(window, channels):
    """Writes the channel list, chooses the Step button as the trigger (a
    real click on the list and the keys a person presses) and starts."""
    text = control(window, "text", "Channels:")
    text.queryEditableText().setTextContents(channels)
    d.wait_for("the list to be taken", lambda: remote.enabled(control(window, "push button",
                                                                      "Start")))
    trigger = d.find(window, "combo box", "Immediate") or d.find(window, "combo box",
                                                                 "Step button")
    expect(trigger is not None, "no trigger list showing 'Immediate'")
    if trigger.name != "Step button":
        click(trigger)
        d.key("Down")
        d.key("Return")
        d.wait_for("the trigger list to show 'Step button'",
                   lambda: d.find(window, "combo box", "Step button"))
    d.press(control(window, "push button", "Start"))


class Script:
    """A script on the remote control's socket, a plain TCP connection."""

    def __init__(self, port):
        self.connection = socket.create_connection(("127.0.0.1", port),
                                                   timeout=remote.CLIENT_TIMEOUT_SECONDS)
        self.answers = self.connection.makefile("rb")

    def ask(self, line):
        self.connection.sendall(line.encode() + b"\n")
        return self.answers.readline().decode().rstrip("\n")

    def send(self, line):
        answer = self.ask(line + ";*OPC?")
        expect(answer == "1", "%s;*OPC? answered %r" % (line, answer))

    def close(self):
        self.answers.close()
        self.connection.close()


def scan_window(desktop, program):
    """The operator opens Scan from the relay area's menu, starts a scan
    stepped by the Step button, steps it twice while the relays' buttons
    follow the card and those it uses take no click, and stops it; then the
    same Stop ends a scan while a script holds the card's lock."""
    panel, main, port = remote.start_listening(desktop, program)
    script = None
    try:
        window = open_scan_window(panel, main)
        start_bus_scan(window, "1,(3,4),6")
        wait_progress(window, "Waiting for the first Step")
        step = control(window, "push button", "Step")
        d.press(step)
        wait_progress(window, "Step 1 of 3, sweep 1 of 1. Waiting for Step")
        d.wait_for("relay 1 to reach the card", lambda: relay_on(panel, 1))
        remote.wait_checked(main, ["Pair 1 relay A"])
        for name in ("Pair 1 relay A", "Pair 2 relay A", "Pair 2 relay B", "Pair 3 relay B"):
            wait_enabled(remote.button(main, name), False)
        for name in ("Pair 1 relay B", "Pair 3 relay A"):
            expect(remote.enabled(remote.button(main, name)), "'%s' is disabled" % name)
        stop = control(window, "push button", "Stop")
        start = control(window, "push button", "Start")
        expect(not remote.enabled(start), "Start takes a click while the scan runs")

        d.press(step)
        wait_progress(window, "Step 2 of 3, sweep 1 of 1. Waiting for Step")
        remote.wait_checked(main, ["Pair 2 relay A", "Pair 2 relay B"])
        remote.wait_checked(main, ["Pair 1 relay A"], False)
        d.press(step)
        wait_progress(window, "Step 3 of 3, sweep 1 of 1. Waiting for Step")
        remote.wait_checked(main, ["Pair 3 relay B"])
        remote.wait_checked(main, ["Pair 2 relay A", "Pair 2 relay B"], False)
        steps = [line[len(CARD_LINE):] for line in panel.trace() if line.startswith(CARD_LINE)
                 and " relay " in line]
        expect(steps == ["relay 1 on", "relay 1 off", "relay 3 on", "relay 4 on",
                         "relay 3 off", "relay 4 off", "relay 6 on"],
               "the card saw %s" % steps)

        d.press(stop)
        wait_progress(window, "Stopped")
        remote.wait_checked(main, ["Pair 3 relay B"], False)
        d.wait_for("relay 6 to open on the card", lambda: relay_on(panel, 6, False))
        remote.wait_controls_enabled(main, True)
        wait_enabled(start, True)

        # Started again; a script takes the lock. The operator's controls
        # are locked, Step too; Stop still ends the scan.
        d.press(start)
        wait_progress(window, "Waiting for the first Step")
        d.press(step)
        wait_progress(window, "Step 1 of 3, sweep 1 of 1. Waiting for Step")
        script = Script(port)
        script.send("SYST:RWL")
        remote.wait_label(main, remote.remote_label(port, 1, locked=True))
        remote.wait_controls_enabled(main, False)
        wait_enabled(step, False)
        expect(remote.enabled(stop), "Stop is disabled under the script's lock")
        mark = len(panel.trace())
        d.press(stop)
        wait_progress(window, "Stopped")
        d.wait_for("relay 1 to open on the card",
                   lambda: CARD_LINE + "relay 1 off" in panel.trace()[mark:])
        remote.wait_checked(main, ["Pair 1 relay A"], False)
        expect(script.ask("ROUT:CLOS?") == "(@)", "the script sees relays closed")
        script.send("SYST:LOC")
        remote.wait_controls_enabled(main, True)
        wait_enabled(start, True)
        script.close()
        script = None

        d.press(control(window, "push button", "Close"))
        panel.wait_gone(window)
        remote.close_with_yes(panel, main)
    finally:
        if script is not None:
            script.close()
        panel.close()
    return panel


SCENARIOS = {
    "scan_window": scan_window,
}
