# SPDX-FileCopyrightText: 2026 Tarvex
# SPDX-License-Identifier: MIT
"""Scenarios of the remote control (--listen): the real qx5170fp on the
simulated card, driven over TCP by the SCPI clients an operator's own
machine has (PyVISA with its pure-Python backend, and lxi-tools' `lxi
scpi`), while AT-SPI watches the window and the platform's trace shows what
reached the card. e2e.py runs them like its own scenarios."""

import os
import re
import socket
import subprocess
import time

import sfpdrive as d

# The card in slot 5 of the default system: not the demo mode, so that
# every switch goes through the driver and shows in the trace.
CARD = ["--address", "VXI0::1::INSTR", "--fc", "2"]
CARD_LINE = "card VXI0::1::INSTR FC2 "
IDENTITY = "Orbelan,5170,VXI0::1::INSTR/FC2,1.4.0"
# The card's folder of saved states under the data folder.
STATES = os.path.join("qx5170fp", "VXI0::1::INSTR%2FFC2")
# A second card of the default system, in slot 9.
OTHER_CARD = ["--address", "VXI0::5::INSTR", "--fc", "3"]
OTHER_CARD_LINE = "card VXI0::5::INSTR FC3 "
OTHER_IDENTITY = "Orbelan,5170,VXI0::5::INSTR/FC3,1.4.0"
OTHER_STATES = os.path.join("qx5170fp", "VXI0::5::INSTR%2FFC3")
NO_ERROR = '0,"No error"'
TRIGGER_REFUSED = '-221,"Settings conflict;a trigger is taken in Sync. Trigger mode only"'
UPDATE_REFUSED = '-221,"Settings conflict;an update is taken in Sync. Command mode only"'
PAIR_1_REFUSED = '-221,"Settings conflict;both relays of pair 1 under the exclusive rule"'
UNDEFINED_HEADER = '-113,"Undefined header"'
OUT_OF_RANGE = '-222,"Data out of range"'

# A client waits this long for an answer; the program built with the
# address sanitizer on a busy machine answers in a small part of it.
CLIENT_TIMEOUT_SECONDS = 20


def expect(condition, message):
    if not condition:
        raise d.Failure(message)


def free_port():
    """A TCP port on the loopback that nobody holds now. Each test asks the
    system for its own, so that tests running in parallel never meet."""
    with socket.socket(socket.AF_INET, socket.SOCK_STREAM) as probe:
        probe.bind(("127.0.0.1", 0))
        return probe.getsockname()[1]


def remote_label(port, clients, locked=False):
    return "Remote: 127.0.0.1:%d, %s%s" % (
        port, "1 client" if clients == 1 else "%d clients" % clients,
        ", locked" if locked else "")


def wait_label(main, text):
    return d.wait_for("the label '%s'" % text, lambda: d.find(main, "label", text))


def start_listening(desktop, program, card=CARD, fresh_trace=True, panel_type=d.Panel):
    """The program on the card with the remote control on a port of its
    own. Another process may take the port between our choice and the
    program's start; the program then ends with status 1 and the run is
    repeated on another port. `fresh_trace`: see sfpdrive.Panel;
    `panel_type`: sfpdrive.Panel or a kind of it."""
    for _ in range(3):
        port = free_port()
        panel = panel_type(desktop, program, arguments=card + ["--listen", str(port)],
                           fresh_trace=fresh_trace)

        def shown_or_ended():
            if not panel.running():
                return "ended"
            return panel.window(d.PANEL_TITLE)
        outcome = d.wait_for("the main window", shown_or_ended)
        if outcome != "ended":
            wait_label(outcome, remote_label(port, 0))
            return panel, outcome, port
        status = panel.process.returncode
        panel.close()
        expect(status == 1, "the program ended with status %s before its window" % status)
    raise d.Failure("the program could not listen on three free ports in a row:\n"
                    + panel.output())


def close_with_yes(panel, main):
    d.answer_close_question(panel, main, "Yes")
    expect(panel.wait_exit() == 0, "exit status %s, not 0" % panel.process.returncode)


def button(main, name):
    found = d.find(main, "check box", name)
    expect(found is not None, "no button '%s'" % name)
    return found


def wait_checked(main, names, state=True):
    for name in names:
        acc = button(main, name)
        d.wait_for("'%s' to be %s" % (name, "checked" if state else "unchecked"),
                   lambda: d.checked(acc) == state)


def enabled(acc):
    return acc.getState().contains(d.atspi().STATE_ENABLED)


def relay_buttons(main):
    found = [acc for acc in d.find_all(main, "check box")
             if re.fullmatch(r"Pair \d+ relay [AB]", acc.name)]
    expect(len(found) == 32, "%d relay buttons, not 32" % len(found))
    return found


def mode_group(main):
    group = d.find(main, "panel", "Switching Mode Control")
    expect(group is not None, "no group 'Switching Mode Control'")
    return group


def wait_controls_enabled(main, state):
    what = "enabled" if state else "disabled"
    for acc in relay_buttons(main) + [mode_group(main)]:
        d.wait_for("'%s' to be %s" % (acc.name, what), lambda: enabled(acc) == state)


def wait_mode_shown(main, mode):
    d.wait_for("the mode box to show " + mode,
               lambda: d.find(main, "combo box", mode) is not None)


def synchronized_led(main):
    led = next((acc for acc in d.descendants(main) if acc.name == "Synchronized"), None)
    expect(led is not None, "no Synchronized indicator")
    return led


def matching(lines, pattern):
    return [line for line in lines if re.fullmatch(pattern, line)]


def visa_manager():
    try:
        import pyvisa
    except ImportError:
        raise d.Failure("PyVISA is missing (Debian packages python3-pyvisa and "
                        "python3-pyvisa-py; scripts/deps.sh installs them)") from None
    return pyvisa.ResourceManager("@py")


class Visa:
    """One PyVISA session on the program's socket. PyVISA keeps one
    resource manager per backend and closes every session of it with it,
    so sessions share the one they are given and close only themselves."""

    def __init__(self, manager, port):
        self.instrument = manager.open_resource(
            "TCPIP::127.0.0.1::%d::SOCKET" % port, read_termination="\n",
            write_termination="\n", open_timeout=CLIENT_TIMEOUT_SECONDS * 1000)
        self.instrument.timeout = CLIENT_TIMEOUT_SECONDS * 1000

    def ask(self, text):
        return self.instrument.query(text)

    def send(self, text):
        """Writes a command and waits until the program has carried it
        out: the answer to *OPC? comes after every command before it."""
        self.instrument.write(text)
        answer = self.ask("*OPC?")
        expect(answer == "1", "*OPC? after %s answered %r, not 1" % (text, answer))

    def expect_answer(self, query, wanted):
        answer = self.ask(query)
        expect(answer == wanted, "%s answered %r, not %r" % (query, answer, wanted))

    def expect_error(self, wanted):
        self.expect_answer("SYST:ERR?", wanted)

    def close(self):
        self.instrument.close()


def remote_pyvisa(desktop, program):
    """PyVISA drives the card: identity, the status enables, switching (the
    same driver calls as a click), the closed and open channels as lists,
    the synchronous modes, the trigger, the exclusive rule with numeric
    booleans, saved states, the error queue (one entry, its count, all at
    once), and the lock that keeps the operator out."""
    panel, main, port = start_listening(desktop, program)
    manager = None
    try:
        manager = visa_manager()
        visa = Visa(manager, port)
        wait_label(main, remote_label(port, 1))
        visa.expect_answer("*IDN?", IDENTITY)
        visa.expect_answer("*OPT?", "0")

        # The operation and questionable status: nothing of the card sets a
        # condition, and the enable registers hold what the client sets
        # until STATus:PRESet.
        visa.expect_answer("STAT:OPER:COND?;:STAT:QUES:COND?", "0;0")
        visa.expect_answer("STAT:OPER:ENAB?;:STAT:QUES:ENAB?", "0;0")
        visa.send("STAT:OPER:ENAB 65535;:STATUS:QUESTIONABLE:ENABLE 512")
        visa.expect_answer("STATus:OPERation:ENABle?;:stat:ques:enab?", "65535;512")
        visa.expect_answer("STAT:OPER:COND?;EVEN?;:STAT:QUES:COND?;EVEN?", "0;0;0;0")
        visa.send("STAT:PRES")
        visa.expect_answer("STAT:OPER:ENAB?;:STAT:QUES:ENAB?", "0;0")

        # A remote switch and a click on the same relay reach the driver
        # with the same calls.
        relay_3 = button(main, "Pair 2 relay A")
        mark = len(panel.trace())
        visa.send("ROUT:CLOS (@3)")
        remote_on = panel.trace()[mark:]
        expect(len(remote_on) == 2
               and re.fullmatch(r"qx5170_switchRelay\(\d+, 3, 1\) = 0", remote_on[0])
               and remote_on[1] == CARD_LINE + "relay 3 on",
               "ROUT:CLOS (@3) did not switch relay 3 on alone: %s" % remote_on)
        wait_checked(main, ["Pair 2 relay A"])
        visa.expect_answer("ROUT:CLOS? (@3)", "1")
        visa.expect_answer("ROUT:OPEN? (@3)", "0")
        mark = len(panel.trace())
        visa.send("ROUT:OPEN (@3)")
        remote_off = panel.trace()[mark:]
        expect(len(remote_off) == 2
               and re.fullmatch(r"qx5170_switchRelay\(\d+, 3, 0\) = 0", remote_off[0])
               and remote_off[1] == CARD_LINE + "relay 3 off",
               "ROUT:OPEN (@3) did not switch relay 3 off alone: %s" % remote_off)
        wait_checked(main, ["Pair 2 relay A"], False)

        mark = len(panel.trace())
        d.toggle(relay_3)
        d.wait_for("the click to reach the card",
                   lambda: CARD_LINE + "relay 3 on" in panel.trace()[mark:])
        clicked_on = panel.trace()[mark:]
        expect(clicked_on == remote_on,
               "a click gave %s, the remote close %s" % (clicked_on, remote_on))
        # What the operator switched, the client reads.
        visa.expect_answer("ROUT:CLOS? (@3)", "1")
        visa.expect_answer("ROUT:CLOS?", "(@3)")
        mark = len(panel.trace())
        d.toggle(relay_3)
        d.wait_for("the second click to reach the card",
                   lambda: CARD_LINE + "relay 3 off" in panel.trace()[mark:])
        clicked_off = panel.trace()[mark:]
        expect(clicked_off == remote_off,
               "a click gave %s, the remote open %s" % (clicked_off, remote_off))
        visa.expect_answer("ROUT:CLOS? (@3)", "0")

        # Several channels in one list, in the list's order.
        mark = len(panel.trace())
        visa.send("ROUT:CLOS (@1,6,32)")
        switched = matching(panel.trace()[mark:], r"qx5170_switchRelay\(\d+, \d+, \d\) = 0")
        expect([line.split(", ")[1:] for line in switched]
               == [["1", "1) = 0"], ["6", "1) = 0"], ["32", "1) = 0"]],
               "ROUT:CLOS (@1,6,32) gave the driver %s" % switched)
        wait_checked(main, ["Pair 1 relay A", "Pair 3 relay B", "Pair 16 relay B"])
        wait_checked(main, ["Pair 1 relay B", "Pair 3 relay A"], False)
        visa.expect_answer("ROUT:CLOS? (@1,2,6,32)", "1,0,1,1")
        visa.expect_answer("ROUT:OPEN? (@1,2,6,32)", "0,1,0,0")
        # Without a list: the closed (or open) channels, runs as ranges.
        visa.expect_answer("ROUT:CLOS?", "(@1,6,32)")
        visa.expect_answer("ROUT:OPEN?", "(@2:5,7:31)")
        visa.expect_answer("ROUTE:CLOSE:STATE?", "(@1,6,32)")
        visa.send("ROUT:OPEN:ALL")
        wait_checked(main, ["Pair 1 relay A", "Pair 3 relay B", "Pair 16 relay B"], False)
        visa.expect_answer("ROUT:CLOS? (@1,6,32)", "0,0,0")
        visa.expect_answer("ROUT:CLOS?;OPEN?;CLOS:STAT?", "(@);(@1:32);(@)")
        visa.send("ROUT:CLOS (@1:32)")
        wait_checked(main, ["Pair 1 relay A", "Pair 16 relay B"])
        visa.expect_answer("ROUT:CLOS?;OPEN?", "(@1:32);(@)")
        visa.send("ROUT:OPEN:ALL")
        wait_checked(main, ["Pair 1 relay A", "Pair 16 relay B"], False)
        visa.expect_error(NO_ERROR)

        # Sync. Command: a switch waits for the update.
        led = synchronized_led(main)
        visa.expect_answer("ROUT:MODE?", "ASYN")
        mark = len(panel.trace())
        visa.send("ROUT:MODE COMM")
        wait_mode_shown(main, "Sync. Command")
        visa.expect_answer("ROUT:MODE?", "COMM")
        expect(matching(panel.trace()[mark:], r"qx5170_setSwitchingMode\(\d+, 2, 0\) = 0"),
               "ROUT:MODE COMM did not set the mode: %s" % panel.trace()[mark:])
        visa.expect_answer("ROUT:SYNC?", "1")
        mark = len(panel.trace())
        visa.send("ROUT:CLOS (@5)")
        visa.expect_answer("ROUT:SYNC?", "0")
        wait_checked(main, ["Pair 3 relay A"])
        d.wait_for("the Synchronized LED to turn red", lambda: led.description == "lit")
        expect(CARD_LINE + "relay 5 on" not in panel.trace()[mark:],
               "relay 5 reached the card before the update")
        visa.send("ROUT:UPD")
        visa.expect_answer("ROUT:SYNC?", "1")
        after = panel.trace()[mark:]
        expect(matching(after, r"qx5170_updateRelaysState\(\d+\) = 0")
               and CARD_LINE + "relay 5 on" in after,
               "ROUT:UPD did not update the card: %s" % after)
        d.wait_for("the Synchronized LED to turn green", lambda: led.description == "unlit")

        # Sync. Trigger: a switch waits for *TRG; the update belongs to the
        # other mode.
        mark = len(panel.trace())
        visa.send("ROUT:MODE TRIG")
        wait_mode_shown(main, "Sync. Trigger")
        visa.expect_answer("ROUT:MODE?", "TRIG")
        expect(matching(panel.trace()[mark:], r"qx5170_setSwitchingMode\(.*\) = 0"),
               "ROUT:MODE TRIG did not set the mode: %s" % panel.trace()[mark:])
        mark = len(panel.trace())
        visa.send("ROUT:CLOS (@7)")
        visa.expect_answer("ROUT:SYNC?", "0")
        wait_checked(main, ["Pair 4 relay A"])
        visa.send("ROUT:UPD")
        visa.expect_error(UPDATE_REFUSED)
        expect(not matching(panel.trace()[mark:], r"qx5170_updateRelaysState\(.*"),
               "ROUT:UPD in Sync. Trigger mode reached the driver: %s" % panel.trace()[mark:])
        expect(CARD_LINE + "relay 7 on" not in panel.trace()[mark:],
               "relay 7 reached the card before the trigger")
        visa.send("*TRG")
        visa.expect_answer("ROUT:SYNC?", "1")
        after = panel.trace()[mark:]
        expect(matching(after, r"qx5170_pulseSynchTrigger\(\d+\) = 0")
               and CARD_LINE + "relay 7 on" in after,
               "*TRG did not trigger the card: %s" % after)
        d.wait_for("the Synchronized LED to turn green", lambda: led.description == "unlit")
        visa.expect_error(NO_ERROR)

        # Outside Sync. Trigger mode *TRG is refused before the driver.
        visa.send("ROUT:MODE ASYN")
        wait_mode_shown(main, "Asynchronous")
        visa.send("ROUT:OPEN:ALL")
        wait_checked(main, ["Pair 3 relay A", "Pair 4 relay A"], False)
        mark = len(panel.trace())
        visa.send("*TRG")
        visa.expect_error(TRIGGER_REFUSED)
        visa.expect_error(NO_ERROR)
        expect(panel.trace()[mark:] == [],
               "*TRG in Asynchronous mode reached the platform: %s" % panel.trace()[mark:])

        # The exclusive rule refuses a list with both relays of a pair whole.
        exclusive = d.find(main, "check box", "Exclusive")
        expect(exclusive is not None, "no check box 'Exclusive'")
        # A number is rounded, and anything but 0 is ON.
        for value, on in (("2", True), ("0.4", False), ("-1", True), ("0", False),
                          ("0.5", True), ("OFF", False)):
            visa.send("ROUT:EXCL " + value)
            d.wait_for("Exclusive to be %s after ROUT:EXCL %s"
                       % ("checked" if on else "unchecked", value),
                       lambda: d.checked(exclusive) == on)
            visa.expect_answer("ROUT:EXCL?", "1" if on else "0")
        visa.send("ROUT:EXCL ON")
        d.wait_for("Exclusive to be checked", lambda: d.checked(exclusive))
        visa.expect_answer("ROUT:EXCL?", "1")
        mark = len(panel.trace())
        visa.send("ROUT:CLOS (@1,2)")
        visa.expect_error(PAIR_1_REFUSED)
        visa.expect_answer("ROUT:CLOS? (@1,2)", "0,0")
        expect(not matching(panel.trace()[mark:], r"qx5170_switchRelay\(.*"),
               "the refused list reached the driver: %s" % panel.trace()[mark:])
        expect(not d.checked(button(main, "Pair 1 relay A"))
               and not d.checked(button(main, "Pair 1 relay B")),
               "a relay of pair 1 shows closed after the refused list")

        # A saved state comes back whole after *RST.
        visa.send("ROUT:CLOS (@3,6,32)")
        visa.send("ROUT:MODE TRIG")
        wait_mode_shown(main, "Sync. Trigger")
        visa.send("*SAV 3")
        saved = os.path.join(desktop.folder, "home", "data", STATES, "state-3.json")
        expect(os.path.isfile(saved), "*SAV 3 wrote no " + saved)
        visa.send("*RST")
        wait_mode_shown(main, "Asynchronous")
        d.wait_for("Exclusive to be unchecked", lambda: not d.checked(exclusive))
        wait_checked(main, ["Pair 2 relay A", "Pair 3 relay B", "Pair 16 relay B"], False)
        visa.expect_answer("ROUT:MODE?", "ASYN")
        visa.expect_answer("ROUT:EXCL?", "0")
        visa.expect_answer("ROUT:CLOS? (@3,6,32)", "0,0,0")
        for relay in (3, 6, 32):
            expect("%srelay %d off" % (CARD_LINE, relay) in panel.trace(),
                   "*RST did not open relay %d on the card" % relay)
        visa.send("*RCL 3")
        wait_mode_shown(main, "Sync. Trigger")
        d.wait_for("Exclusive to be checked", lambda: d.checked(exclusive))
        wait_checked(main, ["Pair 2 relay A", "Pair 3 relay B", "Pair 16 relay B"])
        wait_checked(main, ["Pair 2 relay B", "Pair 3 relay A", "Pair 16 relay A"], False)
        visa.expect_answer("ROUT:MODE?", "TRIG")
        visa.expect_answer("ROUT:EXCL?", "1")
        visa.expect_answer("ROUT:CLOS? (@3,4,5,6,31,32)", "1,0,0,1,0,1")
        visa.expect_error(NO_ERROR)

        visa.send("*RCL 7")
        answer = visa.ask("SYST:ERR?")
        expect(answer.startswith("-224,"), "*RCL 7 of an empty slot gave %r, not -224" % answer)
        visa.expect_error(NO_ERROR)
        visa.send("ROUT:BOGUS (@1)")
        visa.expect_error(UNDEFINED_HEADER)

        # The whole queue: its count, then every entry at once, oldest
        # first.
        visa.expect_answer("SYST:ERR:COUN?", "0")
        visa.expect_answer("SYST:ERR:ALL?", NO_ERROR)
        visa.send("ROUT:BOGUS (@1)")
        visa.send("*ESE 300")
        visa.expect_answer("SYSTEM:ERROR:COUNT?", "2")
        visa.expect_answer("SYST:ERR:ALL?", UNDEFINED_HEADER + "," + OUT_OF_RANGE)
        visa.expect_answer("SYST:ERR:COUN?", "0")
        visa.expect_error(NO_ERROR)
        # Overflowing: 20 entries, the newest of them -350.
        for value in range(300, 325):
            visa.instrument.write("*ESE %d" % value)
        visa.expect_answer("SYST:ERR:COUN?", "20")
        visa.expect_answer("SYST:ERR:ALL?",
                           ",".join([OUT_OF_RANGE] * 19 + ['-350,"Queue overflow"']))
        visa.expect_answer("SYST:ERR:COUN?;ALL?", "0;" + NO_ERROR)

        # The lock keeps the operator's hands off, not the client's.
        visa.send("SYST:RWL")
        wait_label(main, remote_label(port, 1, locked=True))
        wait_controls_enabled(main, False)
        visa.send("ROUT:MODE ASYN")
        visa.send("ROUT:CLOS (@8)")
        wait_checked(main, ["Pair 4 relay B"])
        expect(not enabled(button(main, "Pair 4 relay B")),
               "a switch of the locking client enabled its button")
        # More clients: the count follows them, up to four.
        second = Visa(manager, port)
        others = []
        try:
            wait_label(main, remote_label(port, 2, locked=True))
            second.expect_answer("*IDN?", IDENTITY)
            # The lock is the first client's: the second is told so, may
            # ask, and its switching is refused without a driver call.
            second.expect_answer("SYST:LOCK:REQ?", "0")
            owner = second.ask("SYST:LOCK:OWN?")
            expect(owner.startswith('"127.0.0.1:') and owner.endswith('"'),
                   "SYST:LOCK:OWN? answered %r" % owner)
            visa.expect_answer("SYST:LOCK:OWN?", owner)
            visa.expect_answer("SYST:LOCK:REQ?", "1")
            second.send("ROUT:CLOS (@9)")
            second.expect_error('-221,"Settings conflict;another client holds the lock"')
            second.expect_answer("ROUT:CLOS? (@8,9)", "1,0")
            for _ in range(2):
                others.append(socket.create_connection(("127.0.0.1", port),
                                                       timeout=CLIENT_TIMEOUT_SECONDS))
            wait_label(main, remote_label(port, 4, locked=True))
            fifth = socket.create_connection(("127.0.0.1", port),
                                             timeout=CLIENT_TIMEOUT_SECONDS)
            others.append(fifth)
            fifth.sendall(b"*IDN?\n")
            # Once the first client has its answer, the program has seen the
            # fifth connection, which came before.
            visa.expect_answer("*IDN?", IDENTITY)
            fifth.settimeout(5)
            # Shut out: one line that says why, then the end of the
            # connection; its question is never answered.
            refused = b""
            while True:
                chunk = fifth.recv(100)
                if not chunk:
                    break
                refused += chunk
            expect(refused == b'-310,"System error;too many clients"\n',
                   "a fifth client read %r" % refused)
            expect(d.find(main, "label", remote_label(port, 4, locked=True)) is not None,
                   "with a fifth client trying, the label shows %s"
                   % [acc.name for acc in d.find_all(main, "label")
                      if acc.name.startswith("Remote")])
        finally:
            second.close()
            for other in others:
                other.close()
        wait_label(main, remote_label(port, 1, locked=True))
        visa.send("SYST:LOC")
        wait_label(main, remote_label(port, 1))
        wait_controls_enabled(main, True)
        # A client that leaves while it holds the lock gives it back.
        visa.send("SYST:RWL")
        wait_label(main, remote_label(port, 1, locked=True))
        wait_controls_enabled(main, False)
        visa.close()
        wait_label(main, remote_label(port, 0))
        wait_controls_enabled(main, True)

        close_with_yes(panel, main)
    finally:
        if manager is not None:
            manager.close()
        panel.close()
    return panel


def remote_two_cards(desktop, program):
    """Two panels on two cards, each with its own port, sharing one data
    folder: each answers *IDN? with its own card, and *SAV 2 on both then
    *RCL 2 on each brings back that card's own relays."""
    first, first_main, first_port = start_listening(desktop, program)
    second = None
    manager = None
    try:
        second, second_main, second_port = start_listening(
            desktop, program, card=OTHER_CARD, fresh_trace=False)
        manager = visa_manager()
        first_visa = Visa(manager, first_port)
        second_visa = Visa(manager, second_port)
        first_visa.expect_answer("*IDN?", IDENTITY)
        second_visa.expect_answer("*IDN?", OTHER_IDENTITY)

        first_visa.send("ROUT:CLOS (@1,4)")
        second_visa.send("ROUT:CLOS (@2,31)")
        first_visa.send("*SAV 2")
        second_visa.send("*SAV 2")
        data = os.path.join(desktop.folder, "home", "data")
        for states in (STATES, OTHER_STATES):
            saved = os.path.join(data, states, "state-2.json")
            expect(os.path.isfile(saved), "*SAV 2 wrote no " + saved)
        first_visa.send("*RST")
        second_visa.send("*RST")
        first_visa.expect_answer("ROUT:CLOS? (@1,2,4,31)", "0,0,0,0")
        second_visa.expect_answer("ROUT:CLOS? (@1,2,4,31)", "0,0,0,0")

        mark = len(first.trace())
        first_visa.send("*RCL 2")
        second_visa.send("*RCL 2")
        first_visa.expect_answer("ROUT:CLOS? (@1,2,4,31)", "1,0,1,0")
        second_visa.expect_answer("ROUT:CLOS? (@1,2,4,31)", "0,1,0,1")
        first_visa.expect_error(NO_ERROR)
        second_visa.expect_error(NO_ERROR)
        wait_checked(first_main, ["Pair 1 relay A", "Pair 2 relay B"])
        wait_checked(first_main, ["Pair 1 relay B", "Pair 16 relay A"], False)
        wait_checked(second_main, ["Pair 1 relay B", "Pair 16 relay A"])
        wait_checked(second_main, ["Pair 1 relay A", "Pair 2 relay B"], False)
        recalled = set(first.trace()[mark:])
        wanted = {CARD_LINE + "relay 1 on", CARD_LINE + "relay 4 on",
                  OTHER_CARD_LINE + "relay 2 on", OTHER_CARD_LINE + "relay 31 on"}
        expect(wanted <= recalled, "the recalls did not reach the cards: %s" % sorted(recalled))
        for line in (CARD_LINE + "relay 31 on", OTHER_CARD_LINE + "relay 1 on"):
            expect(line not in recalled, "a recall switched the other card's relay: " + line)

        first_visa.close()
        second_visa.close()
        close_with_yes(first, first_main)
        close_with_yes(second, second_main)
    finally:
        if manager is not None:
            manager.close()
        first.close()
        if second is not None:
            second.close()
    return first


def lxi(port, command):
    """`lxi scpi` on the program's raw socket: one connection per command.
    Returns what it printed."""
    # lxi's own timeout is the time it waits for an answer; ours on the
    # process only keeps a hanging client from holding up the suite.
    result = subprocess.run(
        ["lxi", "scpi", "--address", "127.0.0.1", "--port", str(port), "--raw",
         "--timeout", str(CLIENT_TIMEOUT_SECONDS), command],
        capture_output=True, text=True, timeout=CLIENT_TIMEOUT_SECONDS + 10, check=False)
    expect(result.returncode == 0 and result.stderr == "",
           "lxi scpi %r ended with status %d: %s" % (command, result.returncode,
                                                     result.stderr.strip()))
    return result.stdout


def remote_lxi(desktop, program):
    """lxi-tools' `lxi scpi` drives the card: identity, a close the window
    shows, queries with and without a list, the error queue, the status
    enables, numeric booleans; and a click the client reads back."""
    panel, main, port = start_listening(desktop, program)
    try:
        expect(lxi(port, "*IDN?") == IDENTITY + "\n", "*IDN? over lxi answered wrong")

        mark = len(panel.trace())
        expect(lxi(port, "ROUT:CLOS (@9,12)") == "", "lxi printed an answer to ROUT:CLOS")
        wait_checked(main, ["Pair 5 relay A", "Pair 6 relay B"])
        wait_checked(main, ["Pair 5 relay B", "Pair 6 relay A"], False)
        d.wait_for("relays 9 and 12 to reach the card",
                   lambda: {CARD_LINE + "relay 9 on", CARD_LINE + "relay 12 on"}
                   <= set(panel.trace()[mark:]))
        answer = lxi(port, "ROUT:CLOS? (@9,10,12)")
        expect(answer == "1,0,1\n", "ROUT:CLOS? (@9,10,12) over lxi answered %r" % answer)
        for query, wanted in (("ROUT:CLOS?", "(@9,12)"), ("ROUT:OPEN?", "(@1:8,10:11,13:32)"),
                              ("ROUT:CLOS:STAT?", "(@9,12)")):
            answer = lxi(port, query)
            expect(answer == wanted + "\n", "%s over lxi answered %r" % (query, answer))
        answer = lxi(port, "SYST:ERR?")
        expect(answer == NO_ERROR + "\n", "SYST:ERR? over lxi answered %r" % answer)
        # Each lxi call is a connection of its own, and the error queue is
        # that connection's: the refused command and the query go in one
        # message.
        answer = lxi(port, "*TRG;:SYST:ERR?")
        expect(answer == TRIGGER_REFUSED + "\n",
               "*TRG;:SYST:ERR? in Asynchronous mode over lxi answered %r" % answer)
        command = "*TRG;:ROUT:UPD;:SYST:ERR:COUN?;ALL?;COUN?"
        answer = lxi(port, command)
        expect(answer == "2;%s,%s;0\n" % (TRIGGER_REFUSED, UPDATE_REFUSED),
               "%s over lxi answered %r" % (command, answer))
        answer = lxi(port, "SYST:ERR:ALL?")
        expect(answer == NO_ERROR + "\n", "SYST:ERR:ALL? over lxi answered %r" % answer)

        # The lock: granted to the connection that asks, and gone with it.
        command = "SYST:LOCK:OWN?;REQ?;OWN?;REL;OWN?"
        answer = lxi(port, command)
        parts = answer.rstrip("\n").split(";")
        expect(len(parts) == 4 and parts[0] == "NONE" and parts[1] == "1"
               and parts[2].startswith('"127.0.0.1:') and parts[3] == "NONE",
               "%s over lxi answered %r" % (command, answer))
        answer = lxi(port, "SYST:LOCK:REQ?")
        expect(answer == "1\n", "SYST:LOCK:REQ? over lxi answered %r" % answer)
        # The server learns of the end of that connection on its own time.
        d.wait_for("the lock to go with its connection",
                   lambda: lxi(port, "SYST:LOCK:OWN?") == "NONE\n")

        # The status enables are the connection's own.
        command = "STAT:OPER:ENAB 255;ENAB?;COND?;:STAT:QUES:ENAB 16;ENAB?;COND?"
        answer = lxi(port, command)
        expect(answer == "255;0;16;0\n", "%s over lxi answered %r" % (command, answer))
        answer = lxi(port, "STAT:OPER:ENAB?;:STAT:QUES:ENAB?")
        expect(answer == "0;0\n", "a new connection's enables over lxi were %r" % answer)

        # Numeric booleans, rounded.
        exclusive = d.find(main, "check box", "Exclusive")
        expect(exclusive is not None, "no check box 'Exclusive'")
        for value, on in (("0.5", True), ("0.4", False), ("2", True), ("0", False)):
            answer = lxi(port, "ROUT:EXCL %s;EXCL?" % value)
            expect(answer == ("1\n" if on else "0\n"),
                   "ROUT:EXCL %s;EXCL? over lxi answered %r" % (value, answer))
            d.wait_for("Exclusive to be %s" % ("checked" if on else "unchecked"),
                       lambda: d.checked(exclusive) == on)

        relay_19 = button(main, "Pair 10 relay A")
        d.toggle(relay_19)
        d.wait_for("the click to reach the card",
                   lambda: CARD_LINE + "relay 19 on" in panel.trace())
        answer = lxi(port, "ROUT:CLOS? (@19)")
        expect(answer == "1\n", "ROUT:CLOS? (@19) after the click answered %r" % answer)
        answer = lxi(port, "ROUT:CLOS?")
        expect(answer == "(@9,12,19)\n", "ROUT:CLOS? after the click answered %r" % answer)
        wait_label(main, remote_label(port, 0))

        close_with_yes(panel, main)
    finally:
        panel.close()
    return panel


def watch_until_exit(desktop, process, timeout=d.TIMEOUT):
    """Waits for the process to end; any window of it that comes on screen
    meanwhile fails the test."""
    deadline = time.monotonic() + timeout
    while process.poll() is None:
        try:
            for app in d.children(d.atspi().Registry.getDesktop(0)):
                if app.get_process_id() == process.pid:
                    shown = [w.name for w in d.children(app) if d.showing(w)]
                    expect(not shown, "the program showed %s" % shown)
        except d.Failure:
            raise
        except Exception:  # noqa: BLE001 - the program is going away
            pass
        if time.monotonic() > deadline:
            process.kill()
            process.wait()
            raise d.Failure("the program did not end by itself")
        time.sleep(d.POLL)
    return process.returncode


def run_refused(desktop, program, listen):
    """Runs the program with --listen `listen` and no card given: were it
    to go on, it would stay at the first box. Returns the exit status and
    what it wrote on standard output and standard error."""
    outputs = [open(os.path.join(desktop.folder, name), "w+b") for name in ("out", "err")]
    try:
        process = subprocess.Popen([program, "--simulate", "--listen", listen],
                                   env=desktop.environment(),
                                   stdout=outputs[0], stderr=outputs[1])
        try:
            status = watch_until_exit(desktop, process)
        finally:
            d.stop(process)
        texts = []
        for output in outputs:
            output.seek(0)
            texts.append(output.read().decode(errors="replace"))
        # Kept for the failure report of e2e.py.
        with open(os.path.join(desktop.folder, "program.log"), "a") as log:
            log.write("--listen %s: status %d\n%s%s" % (listen, status, *texts))
        return status, texts[0], texts[1]
    finally:
        for output in outputs:
            output.close()


def remote_refused(desktop, program):
    """A port the test already holds: one line on standard error, exit
    status 1, nothing shown. A port that is no number: exit status 2."""
    with socket.socket(socket.AF_INET, socket.SOCK_STREAM) as holder:
        holder.bind(("127.0.0.1", 0))
        holder.listen(1)
        port = holder.getsockname()[1]
        status, out, err = run_refused(desktop, program, str(port))
        expect(status == 1, "--listen on a held port: exit status %d, not 1" % status)
        lines = err.splitlines()
        expect(len(lines) == 1 and err.endswith("\n") and lines[0].strip(),
               "--listen on a held port: not one line on standard error: %r" % err)
        expect(str(port) in lines[0],
               "the line does not name the port %d: %r" % (port, lines[0]))
        expect(out == "", "--listen on a held port wrote on standard output: %r" % out)

    status, out, err = run_refused(desktop, program, "abc")
    expect(status == 2, "--listen abc: exit status %d, not 2" % status)
    expect(err.strip(), "--listen abc: nothing on standard error")
    return None


SCENARIOS = {
    "remote_pyvisa": remote_pyvisa,
    "remote_lxi": remote_lxi,
    "remote_refused": remote_refused,
    "remote_two_cards": remote_two_cards,
}
