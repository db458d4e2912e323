#!/usr/bin/python3
# SPDX-FileCopyrightText: 2026 Tarvex
# SPDX-License-Identifier: MIT
"""End-to-end tests of the relay card's soft front panel: the real program
on the simulated platform, under Xvfb, driven through AT-SPI.

    dbus-run-session -- /usr/bin/python3 e2e.py --program PATH SCENARIO

Exit status 0 when the scenario passed, 1 when it failed (with the reason,
the program's output and the platform's trace on standard error).
"""

import argparse
import json
import os
import re
import shutil
import sys
import time

sys.path.insert(0, os.path.dirname(os.path.abspath(__file__)))

import remote  # noqa: E402
import scan  # noqa: E402
import sfpdrive as d  # noqa: E402
import vxi11  # noqa: E402


def expect(condition, message):
    if not condition:
        raise d.Failure(message)


def close_with_yes(panel, main):
    """Close, then Yes in the close question: the program ends with status 0."""
    d.answer_close_question(panel, main, "Yes")
    expect(panel.wait_exit() == 0, "exit status %s, not 0" % panel.process.returncode)


# Where the stand-ins were built (--stand-ins), for a folder dressed as the
# vendor's installation.
STAND_INS = None

SIMULATED_REVISIONS = ("1.4.0 (simulated)", "2.7.3 (simulated)")
PLAIN_REVISIONS = ("1.4.0", "2.7.3")


def expect_platform_line(main, shown):
    """The line under the card's that says the platform is simulated: there
    when `shown`, else nowhere in the window."""
    if shown:
        d.wait_for("the line '%s'" % d.SIMULATED_LINE,
                   lambda: d.find(main, "label", d.SIMULATED_LINE))
    else:
        # Present or not from the window's start: the relays on screen
        # show that the window is complete.
        d.wait_for("the relay buttons", lambda: d.find(main, "check box"))
        expect(d.find(main, "label", d.SIMULATED_LINE) is None,
               "the window shows '%s'" % d.SIMULATED_LINE)


def expect_about_revisions(panel, main, revisions):
    """Opens the About box and finds the driver's and the common library's
    revisions as given; puts the box away again."""
    d.press(d.find(main, "push button", "About"))
    about = panel.wait_window(d.ABOUT_TITLE)
    for revision in revisions:
        expect(d.find(about, "label", revision) is not None,
               "the About box shows no revision '%s': %s"
               % (revision, [acc.name for acc in d.find_all(about, "label")]))
    d.press(d.find(about, "push button", "OK"))
    panel.wait_gone(about)


def only_sessionless_calls(panel, traced=True):
    """Without a card the program may ask only for the revisions that the
    About box shows; nothing that takes a session. `traced`: those queries
    must be there, which shows that the trace works."""
    calls = panel.calls()
    if traced:
        expect(calls, "the trace is empty: SFP_SIM_TRACE did not reach the platform")
    for line in calls:
        expect(line.startswith("qx5170_revision_query(0)")
               or line.startswith("qx2010_library_revision("),
               "a call beyond the revision queries: " + line)


def demo_close(desktop, program):
    """The splash under the first box; Run In Demo Mode: the main window
    centred and the splash gone; Close, No: still running; Close, Yes: exit
    status 0."""
    panel = d.Panel(desktop, program)
    try:
        question = panel.wait_window(d.QUESTION_TITLE, "alert")
        expect(d.find(question, "label", d.QUESTION_TEXT) is not None,
               "the first box does not ask '%s'" % d.QUESTION_TEXT)
        expect(d.splash_window(panel) is not None, "no splash while the first box is up")
        d.press(d.find(question, "push button", "Run In Demo Mode"))

        main = panel.wait_window(d.PANEL_TITLE)
        d.wait_for("the splash to close", lambda: d.splash_window(panel) is None)
        expect_platform_line(main, False)
        # Centred on the screen, which under Xvfb is all available area.
        x, y, width, height = d.extents(main)
        screen_width, screen_height = d.SCREEN_SIZE
        expect((x, y) == ((screen_width - width) // 2, (screen_height - height) // 2),
               "the main window (%d x %d) is at %d, %d, not centred" % (width, height, x, y))
        d.answer_close_question(panel, main, "No")
        time.sleep(0.5)
        expect(panel.running(), "the program ended although the operator answered No")
        expect(d.showing(main), "the main window went although the operator answered No")

        close_with_yes(panel, main)
        only_sessionless_calls(panel)
    finally:
        panel.close()
    return panel


def autofind_switch(desktop, program):
    """Auto Find on the default system, pick FC 2 in slot 5, switch relay A
    of pair 3, close: init, the switch and exactly one close reach the card."""
    panel = d.Panel(desktop, program)
    try:
        question = panel.wait_window(d.QUESTION_TITLE, "alert")
        d.press(d.find(question, "push button", "Auto Find"))
        d.choose_card(panel, "Slot 5", "FC 2")

        main = panel.wait_window(d.PANEL_TITLE)
        expect(d.find(main, "label", "Slot 5") is not None, "the header does not show Slot 5")
        expect(d.find(main, "label", "FC 2") is not None, "the header does not show FC 2")
        expect_platform_line(main, True)
        expect_about_revisions(panel, main, SIMULATED_REVISIONS)
        relay_a, relay_b = d.relay_buttons(main, 3)
        expect(not d.checked(relay_a) and not d.checked(relay_b), "relays start switched on")
        d.toggle(relay_a)
        d.wait_for("relay A of pair 3 to be on", lambda: d.checked(relay_a))
        d.wait_for("the switch to reach the card",
                   lambda: "card VXI0::1::INSTR FC2 relay 5 on" in panel.trace())

        close_with_yes(panel, main)

        calls = [line for line in panel.calls() if line.startswith("qx5170_")]
        opens = [i for i, line in enumerate(calls)
                 if line == 'qx5170_init("VXI0::1::INSTR", 2, 1, 1) = 0']
        switches = [i for i, line in enumerate(calls)
                    if re.fullmatch(r"qx5170_switchRelay\(\d+, 5, 1\) = 0", line)]
        closes = [i for i, line in enumerate(calls) if line.startswith("qx5170_close(")]
        expect(len(opens) == 1, "not one init of FC 2 in slot 5: %s" % calls)
        expect(len(switches) == 1, "not one switch of relay 5: %s" % calls)
        expect(len(closes) == 1, "not exactly one close: %s" % calls)
        expect(opens[0] < switches[0] < closes[0], "init, switch and close out of order")
        session = re.fullmatch(r"qx5170_switchRelay\((\d+), .*", calls[switches[0]]).group(1)
        expect(calls[closes[0]] == "qx5170_close(%s) = 0" % session,
               "the close is not that of the session switched: " + calls[closes[0]])
    finally:
        panel.close()
    return panel


def break_before_make(desktop, program):
    """--break-before-make: under the exclusive rule a click on a relay
    whose partner is closed opens the partner before the relay closes; a
    panel without the option closes first, as it always has."""
    for option, order in ((["--break-before-make"], ["relay 5 off", "relay 6 on"]),
                          ([], ["relay 6 on", "relay 5 off"])):
        panel = d.Panel(desktop, program, arguments=["--address", "VXI0::1::INSTR", "--fc", "2"]
                        + option)
        try:
            main = panel.wait_window(d.PANEL_TITLE)
            exclusive = d.find(main, "check box", "Exclusive")
            expect(exclusive is not None, "no check box 'Exclusive'")
            d.toggle(exclusive)
            d.wait_for("Exclusive to be checked", lambda: d.checked(exclusive))
            relay_a, relay_b = d.relay_buttons(main, 3)
            d.toggle(relay_a)
            d.wait_for("relay 5 to reach the card",
                       lambda: "card VXI0::1::INSTR FC2 relay 5 on" in panel.trace())
            mark = len(panel.trace())
            d.toggle(relay_b)
            d.wait_for("relay A of pair 3 to open", lambda: not d.checked(relay_a))
            d.wait_for("both switches to reach the card",
                       lambda: len([line for line in panel.trace()[mark:]
                                    if " relay " in line]) == 2)
            switched = [line.split(" FC2 ")[1] for line in panel.trace()[mark:]
                        if " relay " in line]
            expect(switched == order, "%s: the card saw %s, not %s" % (option, switched, order))
            close_with_yes(panel, main)
        finally:
            panel.close()
    return panel


def cancel(desktop, program):
    """Cancel in the first box: exit status 0, no main window ever."""
    panel = d.Panel(desktop, program)
    try:
        question = panel.wait_window(d.QUESTION_TITLE, "alert")
        d.press(d.find(question, "push button", "Cancel"))

        def ended():
            try:
                shown = panel.window(d.PANEL_TITLE) is not None
            except Exception:  # noqa: BLE001 - the program is going away
                shown = False
            expect(not shown, "a main window was shown")
            return not panel.running()
        deadline = time.monotonic() + d.TIMEOUT
        while not ended():
            expect(time.monotonic() < deadline, "the program did not end")
            time.sleep(d.POLL)
        expect(panel.process.returncode == 0,
               "exit status %s, not 0" % panel.process.returncode)
        # Cancelled before the window existed: not even the About box asked.
        only_sessionless_calls(panel, traced=False)
    finally:
        panel.close()
    return panel


def option_demo(desktop, program):
    """--demo: no first box, the main window in demo mode at once; Close,
    Yes: exit status 0, nothing but the revision queries reached the
    libraries."""
    panel = d.Panel(desktop, program, arguments=["--demo"])
    try:
        main = panel.wait_window(d.PANEL_TITLE)
        expect(panel.window(d.QUESTION_TITLE, "alert") is None, "the first box was shown")
        d.wait_for("the splash to close", lambda: d.splash_window(panel) is None)
        expect_platform_line(main, False)
        expect_about_revisions(panel, main, PLAIN_REVISIONS)
        close_with_yes(panel, main)
        only_sessionless_calls(panel)
    finally:
        panel.close()
    return panel


def option_address(desktop, program):
    """--address VXI0::1::INSTR --fc 2: no first box, the card in slot 5
    opened with ID query and reset, nothing stored for the operator, one
    close after Close and Yes."""
    panel = d.Panel(desktop, program, arguments=["--address", "VXI0::1::INSTR", "--fc", "2"])
    try:
        main = panel.wait_window(d.PANEL_TITLE)
        expect(panel.window(d.QUESTION_TITLE, "alert") is None, "the first box was shown")
        expect(d.find(main, "label", "Slot 5") is not None, "the header does not show Slot 5")
        expect(d.find(main, "label", "FC 2") is not None, "the header does not show FC 2")
        expect_platform_line(main, True)
        close_with_yes(panel, main)

        calls = [line for line in panel.calls() if line.startswith("qx5170_")]
        inits = [line for line in calls if line.startswith("qx5170_init(")]
        expect(inits == ['qx5170_init("VXI0::1::INSTR", 2, 1, 1) = 0'],
               "not one init of FC 2 with ID query and reset: %s" % calls)
        expect(len([line for line in calls if line.startswith("qx5170_close(")]) == 1,
               "not exactly one close: %s" % calls)
        ini = os.path.join(desktop.folder, "home", "Tarvex", "DefaultInstrDescr.ini")
        expect(not os.path.exists(ini), "the descriptor was written to " + ini)
    finally:
        panel.close()
    return panel


def vendor_folder(desktop, program):
    """The stand-ins copied into a folder under the vendor's file names and
    named with --library-path, as a vendor's installation is: the card
    connects as before, yet nothing on screen says "simulated"."""
    expect(STAND_INS is not None, "no --stand-ins folder given")
    folder = os.path.join(desktop.folder, "vendor")
    os.makedirs(folder)
    for built, named in (("libvisa64.so", "libvisa.so"), ("libqx2010_64.so", "libqx2010_64.so"),
                         ("libqx5170_64.so", "libqx5170_64.so")):
        shutil.copy(os.path.join(STAND_INS, built), os.path.join(folder, named))
    panel = d.Panel(desktop, program, simulate=False,
                    arguments=["--library-path", folder, "--address", "VXI0::1::INSTR",
                               "--fc", "2"])
    try:
        main = panel.wait_window(d.PANEL_TITLE)
        expect(d.find(main, "label", "Slot 5") is not None, "the header does not show Slot 5")
        expect(d.find(main, "label", "FC 2") is not None, "the header does not show FC 2")
        expect_platform_line(main, False)
        expect_about_revisions(panel, main, PLAIN_REVISIONS)
        close_with_yes(panel, main)
        expect('qx5170_init("VXI0::1::INSTR", 2, 1, 1) = 0' in panel.calls(),
               "the card was not opened through the folder's libraries: %s" % panel.calls())
    finally:
        panel.close()
    return panel


def enter_address(desktop, program):
    """Enter Address with the default descriptor and FC 1: the LXI card,
    its host name in the title, one close at the end."""
    panel = d.Panel(desktop, program)
    try:
        question = panel.wait_window(d.QUESTION_TITLE, "alert")
        d.press(d.find(question, "push button", "Enter Address"))
        descriptor = d.enter_address(panel, "FC 1")
        expect(descriptor == "TCPIP::192.168.2.100::INSTR",
               "the descriptor offered first is '%s'" % descriptor)

        main = panel.wait_window(d.PANEL_TITLE + ": lxi-5170.lab.local")
        expect(d.find(main, "label", "inst0") is not None,
               "the header does not show the LAN device inst0")
        expect(d.find(main, "label", "FC 1") is not None, "the header does not show FC 1")

        close_with_yes(panel, main)
        calls = [line for line in panel.calls() if line.startswith("qx5170_")]
        expect('qx5170_init("TCPIP::192.168.2.100::INSTR", 1, 1, 1) = 0' in calls,
               "the typed address was not opened: %s" % calls)
        expect(len([line for line in calls if line.startswith("qx5170_close(")]) == 1,
               "not exactly one close: %s" % calls)
    finally:
        panel.close()
    return panel


def keyboard_only(desktop, program):
    """The whole run without a mouse: Enter Address in the first box, the
    number FC 1 in the address dialog, relays switched with Tab and Space,
    Sync. Command chosen in the combo box with Down, Update pressed, Close
    and the exit question answered with Return. AT-SPI only watches."""
    panel = d.Panel(desktop, program)
    try:
        question = panel.wait_window(d.QUESTION_TITLE, "alert")
        start = d.wait_for("the first box to have the keyboard focus",
                           lambda: d.focused(question))
        expect(d.role(start) == "push button" and start.name == "Auto Find",
               "the first box starts with the focus on %s, not on its default button Auto Find"
               % d.describe(start))
        d.tab_to(question, "push button", "Enter Address")
        d.key("space")

        dialog = panel.wait_window(d.ADDRESS_TITLE)
        d.wait_for("the address dialog to have the keyboard focus", lambda: d.focused(dialog))
        d.tab_to(dialog, "combo box", "Select")
        d.key("Down")
        d.wait_for("the number box to show FC 1",
                   lambda: d.find(dialog, "combo box", "FC 1") is not None)
        d.tab_to(dialog, "push button", "OK")
        d.key("space")

        title = d.PANEL_TITLE + ": lxi-5170.lab.local"
        main = panel.wait_window(title)
        d.focus_window(title)
        # The window opens on the first relay, and Tab reads the pairs in
        # order, relay A before relay B.
        path = d.tab_to(main, "check box", "Pair 3 relay A")
        expect(path == ["Pair 1 relay A", "Pair 1 relay B", "Pair 2 relay A", "Pair 2 relay B",
                        "Pair 3 relay A"],
               "Tab from the window's start went through %s" % path)
        relay_5 = d.focused(main)
        d.key("space")
        d.wait_for("relay A of pair 3 to be on", lambda: d.checked(relay_5))
        d.wait_for("relay 5 to reach the card",
                   lambda: any(re.fullmatch(r"card \S+ FC1 relay 5 on", line)
                               for line in panel.trace()))

        # The mode box follows the last pair; Down chooses the next mode.
        path = d.tab_to(main, "combo box", "Asynchronous")
        expect(path[-2] == "Pair 16 relay B",
               "the mode box does not follow the last relay: %s" % path)
        d.key("Down")
        d.wait_for("the mode box to show Sync. Command",
                   lambda: d.find(main, "combo box", "Sync. Command") is not None)
        d.tab_to(main, "check box", "Pair 16 relay B", backwards=True)
        relay_32 = d.focused(main)
        d.key("space")
        d.wait_for("relay B of pair 16 to be on", lambda: d.checked(relay_32))
        led = next((acc for acc in d.descendants(main) if acc.name == "Synchronized"), None)
        expect(led is not None, "no Synchronized indicator")
        d.wait_for("the Synchronized LED to light", lambda: led.description == "lit")
        expect(not any(line.endswith("relay 32 on") for line in panel.trace()),
               "relay 32 reached the card before Update")

        d.tab_to(main, "push button", "Update")
        d.key("space")
        d.wait_for("relay 32 to reach the card on Update",
                   lambda: any(line.endswith("relay 32 on") for line in panel.trace()))
        d.wait_for("the Synchronized LED to go out", lambda: led.description == "unlit")

        d.tab_to(main, "push button", "Close")
        d.key("space")
        close_question = panel.wait_window(d.CLOSE_QUESTION_TITLE)
        expect(d.find(close_question, "label", d.CLOSE_QUESTION_TEXT) is not None,
               "the close question does not ask '%s'" % d.CLOSE_QUESTION_TEXT)
        answer = d.wait_for("the close question to have the keyboard focus",
                            lambda: d.focused(close_question))
        expect(d.role(answer) == "push button" and answer.name == "Yes",
               "the close question starts with the focus on %s, not on Yes" % d.describe(answer))
        d.key("Return")
        expect(panel.wait_exit() == 0, "exit status %s, not 0" % panel.process.returncode)

        calls = [line for line in panel.calls() if line.startswith("qx5170_")]
        wanted = [r'qx5170_init\("TCPIP::192\.168\.2\.100::INSTR", 1, 1, 1\) = 0',
                  r"qx5170_switchRelay\((\d+), 5, 1\) = 0",
                  r"qx5170_setSwitchingMode\((\d+), 2, 0\) = 0",
                  r"qx5170_switchRelay\((\d+), 32, 1\) = 0",
                  r"qx5170_updateRelaysState\((\d+)\) = 0",
                  r"qx5170_close\((\d+)\) = 0"]
        # The About box's revision query is the only other call the panel makes.
        made = [line for line in calls if not line.startswith("qx5170_revision_query(")]
        expect(len(made) == len(wanted)
               and all(re.fullmatch(pattern, line) for pattern, line in zip(wanted, made)),
               "the driver calls differ from init, switch, mode, switch, update, one close: %s"
               % made)
        sessions = {re.fullmatch(pattern, line).group(1)
                    for pattern, line in zip(wanted[1:], made[1:])}
        expect(len(sessions) == 1, "the calls went to more than one session: %s" % made)
    finally:
        panel.close()
    return panel


# What the sanitizers of a sanitized build write when they find something.
# A leak found at exit also makes the exit status non-zero (1 under
# AddressSanitizer, 23 under LeakSanitizer alone), which every scenario that
# ends the program normally checks; reading the log as well
# names the cause, and catches reports that leave the status alone.
SANITIZER_REPORT = re.compile(r"ERROR: (Leak|Address)Sanitizer|runtime error:")


def sanitizer_reports(desktop):
    path = os.path.join(desktop.folder, "program.log")
    if not os.path.exists(path):
        return
    with open(path, errors="replace") as log:
        for line in log:
            expect(not SANITIZER_REPORT.search(line), "a sanitizer report: " + line.strip())


def fixture_rules_and_labels(desktop, program):
    """--fixture: labelled relays are found by their labels; a click that
    would break the fixture's rule leaves the button open, says why in the
    panel without a box, and nothing of it reaches the card. A relay whose
    closing reaches its rated life's warning share says so to the
    operator."""
    fixture = os.path.join(desktop.folder, "fixture.json")
    with open(fixture, "w", encoding="utf-8") as out:
        out.write('{"labels": {"3": "PSU rail", "7": "GND"},'
                  ' "rules": [{"name": "PSU/GND", "mutual": [3, 7]}],'
                  ' "life": {"cycles": 1000}}')
    # Relay 3 has closed 799 times on this card: the next closing is 80 %.
    counts = os.path.join(desktop.environment()["XDG_STATE_HOME"], "qx5170fp",
                          "VXI0::1::INSTR%2FFC2")
    os.makedirs(counts)
    with open(os.path.join(counts, "relay-cycles.json"), "w", encoding="utf-8") as out:
        out.write('{"cycles": [0,0,799%s]}' % (",0" * 29))
    panel = d.Panel(desktop, program,
                    arguments=["--address", "VXI0::1::INSTR", "--fc", "2", "--fixture", fixture])
    try:
        main = panel.wait_window(d.PANEL_TITLE)
        psu = d.wait_for("the button of relay 3 by its label",
                         lambda: d.find(main, "check box", "Pair 2 relay A: PSU rail"))
        gnd = d.find(main, "check box", "Pair 4 relay A: GND")
        expect(gnd is not None, "no button 'Pair 4 relay A: GND'")
        expect("Wearing" not in psu.description, "relay 3 is marked at 799 closings")
        d.toggle(psu)
        d.wait_for("relay 3 to reach the card",
                   lambda: "card VXI0::1::INSTR FC2 relay 3 on" in panel.trace())
        d.wait_for("relay 3 marked as wearing",
                   lambda: "Wearing: closed 800 times of a rated 1000" in psu.description)
        mark = len(panel.trace())
        d.toggle(gnd)
        d.wait_for("the refusal in the panel",
                   lambda: d.find(main, "label",
                                  'Refused: "PSU/GND" allows one of relays 3, 7'))
        expect(not d.checked(gnd), "relay 7's button stayed closed")
        expect(panel.window("Error", "alert") is None, "a box was shown")
        switched = [line for line in panel.trace()[mark:] if "switchRelay" in line
                    or " relay " in line]
        expect(switched == [], "the card saw %s" % switched)
        close_with_yes(panel, main)
    finally:
        panel.close()
    return panel


def switching_log(desktop, program):
    """The operator's clicks are in the card's switching log, as the
    operator's, one line per driver call; Ctrl+L opens the "Switching log"
    window, which shows them."""
    panel = d.Panel(desktop, program, arguments=["--address", "VXI0::1::INSTR", "--fc", "2"])
    try:
        main = panel.wait_window(d.PANEL_TITLE)
        button = d.relay_buttons(main, 3)[1]
        d.toggle(button)
        d.wait_for("relay 6 to reach the card",
                   lambda: "card VXI0::1::INSTR FC2 relay 6 on" in panel.trace())
        d.focus_window(d.PANEL_TITLE)
        d.key("ctrl+l")
        view = panel.wait_window("Switching log")
        table = d.wait_for("the log's table", lambda: d.find(view, "table", "Switching log"))
        d.wait_for("the click in the log window",
                   lambda: d.find(table, "table cell", "relay 6 closed") is not None)
        # Asked for again from the panel, the open log window comes back to
        # the front with the keyboard, not left behind the panel.
        d.focus_window(d.PANEL_TITLE)
        d.wait_for("the panel to have the keyboard",
                   lambda: main.getState().contains(d.atspi().STATE_ACTIVE))
        d.key("ctrl+l")
        d.wait_for("the log window to have the keyboard again",
                   lambda: view.getState().contains(d.atspi().STATE_ACTIVE))
        d.press(d.find(view, "push button", "Close"))
        panel.wait_gone(view)
        close_with_yes(panel, main)
    finally:
        panel.close()
    log = os.path.join(desktop.environment()["XDG_STATE_HOME"], "qx5170fp",
                       "VXI0::1::INSTR%2FFC2", "switching.jsonl")
    with open(log, encoding="utf-8") as lines:
        events = [json.loads(line) for line in lines]
    switches = [event for event in events if event.get("event") == "relay"]
    expect([(event["source"], event["relay"], event["closed"], event.get("status"))
            for event in switches] == [("operator", 6, True, 0)],
           "the log holds %s" % switches)
    calls = [line for line in panel.trace() if line.startswith("qx5170_switchRelay(")]
    expect(len(calls) == 1, "the card saw %s" % calls)
    return panel


def fixture_fault_box(desktop, program):
    """A fixture that cannot be used is said in a box as well as on standard
    error: one named with --fixture before anything else is shown, and the
    card's own, found by its address, before the card is opened. OK ends the
    program with status 2; the card was never opened."""
    named = os.path.join(desktop.folder, "named.json")
    own_folder = os.path.join(desktop.environment()["XDG_CONFIG_HOME"], "qx5170fp", "fixtures")
    os.makedirs(own_folder)
    own = os.path.join(own_folder, "VXI0::1::INSTR%2FFC2.json")
    for path in (named, own):
        with open(path, "w", encoding="utf-8") as out:
            out.write('{"labels": {"3": "PSU rail"')
    for arguments, path in ((["--demo", "--fixture", named], named),
                            (["--address", "VXI0::1::INSTR", "--fc", "2"], own)):
        panel = d.Panel(desktop, program, arguments=arguments)
        try:
            box = panel.wait_window("Orbelan 5170 SFP", "alert")
            said = "The fixture %s cannot be used:" % path
            expect(any(label.name.startswith(said) for label in d.find_all(box, "label")),
                   "the box does not begin with '%s'" % said)
            expect(d.splash_window(panel) is None, "the splash hides the box")
            expect(panel.window(d.PANEL_TITLE) is None, "the panel opened")
            d.press(d.find(box, "push button", "OK"))
            expect(panel.wait_exit() == 2, "exit status %s, not 2" % panel.process.returncode)
            expect(("the fixture %s cannot be used" % path) in panel.output(),
                   "standard error does not name the fixture")
            inits = [line for line in panel.calls() if line.startswith("qx5170_init(")]
            expect(inits == [], "the card was opened: %s" % inits)
        finally:
            panel.close()
    return panel


SCENARIOS = {
    "demo_close": demo_close,
    "autofind_switch": autofind_switch,
    "cancel": cancel,
    "enter_address": enter_address,
    "option_demo": option_demo,
    "option_address": option_address,
    "keyboard_only": keyboard_only,
    "vendor_folder": vendor_folder,
    "break_before_make": break_before_make,
    "fixture_rules_and_labels": fixture_rules_and_labels,
    "switching_log": switching_log,
    "fixture_fault_box": fixture_fault_box,
    **remote.SCENARIOS,
    **scan.SCENARIOS,
    **vxi11.SCENARIOS,
}


# LeakSanitizer's own tracer sometimes crashes while it stops the threads of
# a busy machine to look for leaks ("Tracer caught signal 11"); then it has
# found nothing either way. Such a run is repeated once; a leak it does find
# is reported as ever.
SANITIZER_CRASH = "LeakSanitizer has encountered a fatal error"


def run_once(args):
    """0 when the scenario passed, 1 when it failed, None when the leak
    checker itself broke down."""
    with d.Desktop() as desktop:
        try:
            SCENARIOS[args.scenario](desktop, os.path.abspath(args.program))
            sanitizer_reports(desktop)
        except d.Failure as failure:
            log_path = os.path.join(desktop.folder, "program.log")
            if os.path.exists(log_path):
                with open(log_path, errors="replace") as log:
                    if SANITIZER_CRASH in log.read():
                        print("note: %s: the leak checker broke down (%s); once more"
                              % (args.scenario, failure), file=sys.stderr)
                        return None
            print("FAIL: %s: %s" % (args.scenario, failure), file=sys.stderr)
            for name in ("program.log", "trace.txt"):
                path = os.path.join(desktop.folder, name)
                if os.path.exists(path):
                    print("---- %s" % name, file=sys.stderr)
                    with open(path, errors="replace") as text:
                        sys.stderr.write(text.read())
            return 1
    return 0


def main():
    global STAND_INS
    parser = argparse.ArgumentParser(description=__doc__.splitlines()[0])
    parser.add_argument("--program", required=True, help="path of qx5170fp")
    parser.add_argument("--stand-ins", help="folder of the built stand-in libraries")
    parser.add_argument("scenario", choices=sorted(SCENARIOS))
    args = parser.parse_args()
    STAND_INS = args.stand_ins

    status = run_once(args)
    if status is None:
        status = run_once(args)
    if status is None:
        print("FAIL: %s: the leak checker broke down twice" % args.scenario, file=sys.stderr)
        status = 1
    if status == 0:
        print("PASS: %s" % args.scenario)
    return status


if __name__ == "__main__":
    sys.exit(main())
