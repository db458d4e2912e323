# SPDX-FileCopyrightText: 2026 Tarvex
# SPDX-License-Identifier: MIT
"""Scenarios of the remote control's VXI-11 channels: the real qx5170fp on
the simulated card, found through the port mapper and driven by the
VXI-11 clients an operator's own machine has (PyVISA with its pure-Python
backend on TCPIP::...::INSTR, and lxi-tools' `lxi scpi` without --raw),
while AT-SPI watches the window and the platform's trace shows what
reached the card. e2e.py runs them like its own scenarios.

Each runs in a network and mount namespace of its own (in_namespace.sh)
with a port mapper of its own (rpcbind), which it starts and ends itself:
the panel registers there, and never with the machine's or another test's.
"""

import os
import re
import shutil
import signal
import subprocess
import tempfile

import remote
import sfpdrive as d
from remote import CARD_LINE, IDENTITY, NO_ERROR, UNDEFINED_HEADER

# What PyVISA opens: no port, the client asks the port mapper for the core
# channel's.
RESOURCE = "TCPIP::127.0.0.1::INSTR"
# The core channel's program (0x0607AF) and version as `rpcinfo -p` lists
# them.
CORE_PROGRAM = "395183"
CORE_VERSION = "1"
# The one line on standard error of a panel that no port mapper answers.
NO_PORT_MAPPER = "qx5170fp: VXI-11 clients do not find the panel through the port mapper:"
TRIGGER_CALL = r"qx5170_pulseSynchTrigger\(\d+\) = 0"


def expect(condition, message):
    if not condition:
        raise d.Failure(message)


def own_namespace():
    """The port mapper a scenario starts must meet no other: in_namespace.sh
    names the network namespace it made, and the scenario runs only there."""
    made = os.environ.get("SFP_E2E_NAMESPACE")
    expect(made is not None and made == os.readlink("/proc/self/ns/net"),
           "not in a network namespace of the test's own: run the VXI-11 scenarios "
           "under in_namespace.sh (ctest does)")


def registrations():
    """What the port mapper on the loopback lists, as (program, version,
    protocol, port) rows; None when no port mapper answers."""
    result = subprocess.run(["rpcinfo", "-p", "127.0.0.1"], capture_output=True, text=True,
                            timeout=remote.CLIENT_TIMEOUT_SECONDS + 10, check=False)
    if result.returncode != 0:
        return None
    return [tuple(line.split()[:4]) for line in result.stdout.splitlines()[1:]
            if len(line.split()) >= 4]


def core_registrations():
    """The port mapper's rows of the core channel, TCP or not."""
    rows = registrations()
    expect(rows is not None, "no port mapper answers on 127.0.0.1")
    return [row for row in rows if row[0] == CORE_PROGRAM]


class PortMapper:
    """rpcbind in the foreground (-f: otherwise it leaves as a daemon, and
    nothing ends it with the test), answering once it is started."""

    def __init__(self, desktop):
        own_namespace()
        if not shutil.which("rpcbind") or not shutil.which("rpcinfo"):
            raise d.Failure("rpcbind is missing (Debian package rpcbind; scripts/deps.sh "
                            "installs it)")
        expect(registrations() is None, "a port mapper answers before the test started one")
        self._log = open(os.path.join(desktop.folder, "rpcbind.log"), "ab")
        self.process = subprocess.Popen(["rpcbind", "-f"], stdout=self._log,
                                        stderr=subprocess.STDOUT)

        def answers():
            if self.process.poll() is not None:
                raise d.Failure("rpcbind ended with status %d" % self.process.returncode)
            return registrations() is not None
        try:
            d.wait_for("the port mapper to answer", answers)
        except d.Failure:
            self.close()
            raise

    def close(self):
        d.stop(self.process)
        self._log.close()


class ApartPanel(d.Panel):
    """A panel whose standard output and standard error go to files of
    their own, so that a scenario sees which of them a line went to, and
    not another panel's. Once the program has ended, both are added to the
    log, where the failure report and the sanitizer check of e2e.py read
    them."""

    def __init__(self, desktop, program, config=None, arguments=(), simulate=True,
                 fresh_trace=True):
        # As sfpdrive.Panel, only with the two outputs apart, in files of
        # this panel's own: two may run at once.
        self.desktop = desktop
        self.trace_path = os.path.join(desktop.folder, "trace.txt")
        if fresh_trace and os.path.exists(self.trace_path):
            os.remove(self.trace_path)
        self.log_path = os.path.join(desktop.folder, "program.log")
        outputs = [tempfile.mkstemp(prefix="program-", suffix=suffix, dir=desktop.folder)
                   for suffix in (".out", ".err")]
        (out, self.output_path), (err, self.error_path) = outputs
        self._log = os.fdopen(out, "wb")
        self._error = os.fdopen(err, "wb")
        chosen = ["--simulate"] if simulate else []
        self.process = subprocess.Popen([program, *chosen, *arguments],
                                        env=desktop.environment(config),
                                        stdout=self._log, stderr=self._error)

    @staticmethod
    def _text(path):
        with open(path, "rb") as output:
            return output.read().decode(errors="replace")

    def standard_output(self):
        return self._text(self.output_path)

    def errors(self):
        return self._text(self.error_path)

    def output(self):
        return self.standard_output() + self.errors()

    def close(self):
        if self._error.closed:
            return
        super().close()
        self._error.close()
        with open(self.log_path, "a") as log:
            log.write(self.output())


class Link(remote.Visa):
    """One PyVISA session on the VXI-11 core channel: a link of its own,
    with its own error queue and status, as a socket client has. The
    resource names no port: PyVISA asks the port mapper."""

    # Not remote.Visa's own: that opens a socket session on a port.
    def __init__(self, manager):
        self.instrument = manager.open_resource(
            RESOURCE, read_termination="\n", write_termination="\n",
            open_timeout=remote.CLIENT_TIMEOUT_SECONDS * 1000)
        self.instrument.timeout = remote.CLIENT_TIMEOUT_SECONDS * 1000

    def expect_status_byte(self, wanted, when):
        value = self.instrument.read_stb()
        expect(value == wanted, "read_stb() %s gave %r, not %r" % (when, value, wanted))

    def refused_write(self, text):
        """True when the write ends with PyVISA's I/O error, as a write on a
        device that another link has locked does."""
        import pyvisa
        try:
            self.instrument.write(text)
        except pyvisa.errors.VisaIOError:
            return True
        return False


def lxi_vxi11(command):
    """`lxi scpi` over VXI-11, its default: the port mapper tells it the
    core channel's port. Returns its status and what it printed."""
    result = subprocess.run(
        ["lxi", "scpi", "--address", "127.0.0.1", "--timeout",
         str(remote.CLIENT_TIMEOUT_SECONDS), command],
        capture_output=True, text=True, timeout=remote.CLIENT_TIMEOUT_SECONDS + 10,
        check=False)
    return result.returncode, result.stdout, result.stderr


def lxi_vxi11_answer(command):
    status, out, err = lxi_vxi11(command)
    expect(status == 0 and err == "",
           "lxi scpi %r over VXI-11 ended with status %d: %s" % (command, status, err.strip()))
    return out


def port_mapper_lines(panel):
    return [line for line in panel.errors().splitlines() if line.startswith(NO_PORT_MAPPER)]


def expect_registered(panel):
    """The panel found the port mapper: nothing about it on standard error,
    and the port mapper lists the core channel once. Returns its port."""
    expect(port_mapper_lines(panel) == [],
           "the panel did not register with the port mapper: %r" % panel.errors())
    registered = core_registrations()
    expect([row[:3] for row in registered] == [(CORE_PROGRAM, CORE_VERSION, "tcp")],
           "the port mapper lists for the core channel %s, not one row of version 1 tcp"
           % registered)
    return registered[0][3]


def expect_one_line(panel, when):
    """One line on standard error, and nothing of it on standard output."""
    d.wait_for("the line about the port mapper on standard error",
               lambda: port_mapper_lines(panel))
    said = port_mapper_lines(panel)
    expect(len(said) == 1 and said[0][len(NO_PORT_MAPPER):].strip(),
           "%s: not one line that says why: %r" % (when, panel.errors()))
    expect(NO_PORT_MAPPER not in panel.standard_output(),
           "%s: the line about the port mapper went to standard output" % when)


def switches(lines):
    return remote.matching(lines, r"qx5170_switchRelay\(\d+, \d+, \d\) = 0")


def end_with_sigterm(panel):
    """SIGTERM, as a service manager stops the panel: it ends cleanly, with
    status 0 and the card closed once."""
    panel.process.send_signal(signal.SIGTERM)
    status = panel.wait_exit()
    expect(status == 0, "exit status %s after SIGTERM, not 0" % status)
    closes = [line for line in panel.calls() if line.startswith("qx5170_close(")]
    expect(len(closes) == 1, "not exactly one close of the card after SIGTERM: %s" % closes)


def vxi11_pyvisa(desktop, program):
    """PyVISA drives the card over VXI-11: the panel registered with the
    port mapper while it runs; identity, a close the window shows and the
    driver gets in the list's order, the error queue and the status byte
    of the link, device clear, the trigger as the Trigger button gives it,
    the device lock between two links (released by unlock and by close),
    the links counted with the socket's clients; gone from the port mapper
    after SIGTERM, with exit status 0."""
    mapper = PortMapper(desktop)
    panel = None
    manager = None
    try:
        panel, main, port = remote.start_listening(desktop, program, panel_type=ApartPanel)
        core_port = expect_registered(panel)
        expect(core_port not in ("111", str(port)),
               "the core channel is registered on port %s" % core_port)

        manager = remote.visa_manager()
        link = Link(manager)
        remote.wait_label(main, remote.remote_label(port, 1))
        link.expect_answer("*IDN?", IDENTITY)

        # Two relays in one list, in the list's order, as over the socket.
        mark = len(panel.trace())
        link.send("ROUT:CLOS (@1,3)")
        switched = switches(panel.trace()[mark:])
        expect([line.split(", ")[1:] for line in switched]
               == [["1", "1) = 0"], ["3", "1) = 0"]],
               "ROUT:CLOS (@1,3) gave the driver %s" % switched)
        expect({CARD_LINE + "relay 1 on", CARD_LINE + "relay 3 on"} <= set(panel.trace()[mark:]),
               "relays 1 and 3 did not reach the card: %s" % panel.trace()[mark:])
        remote.wait_checked(main, ["Pair 1 relay A", "Pair 2 relay A"])
        remote.wait_checked(main, ["Pair 1 relay B", "Pair 2 relay B"], False)
        link.expect_answer("ROUT:CLOS? (@1:4)", "1,0,1,0")

        # The link's error queue, and the status byte that tells of it: 4
        # while an error waits, 0 once it is read.
        link.instrument.write("ROUT:BOGUS (@1)")
        link.expect_status_byte(4, "with an error in the queue")
        link.expect_error(UNDEFINED_HEADER)
        link.expect_status_byte(0, "after the error was read")
        link.expect_error(NO_ERROR)

        # Sync. Trigger: a close waits for the trigger, which the VXI-11
        # trigger gives as the panel's Trigger button does.
        led = remote.synchronized_led(main)
        link.send("ROUT:MODE TRIG")
        remote.wait_mode_shown(main, "Sync. Trigger")
        mark = len(panel.trace())
        link.send("ROUT:CLOS (@7)")
        remote.wait_checked(main, ["Pair 4 relay A"])
        link.expect_answer("ROUT:SYNC?", "0")
        d.wait_for("the Synchronized LED to turn red", lambda: led.description == "lit")
        expect(CARD_LINE + "relay 7 on" not in panel.trace()[mark:],
               "relay 7 reached the card before the trigger")
        mark = len(panel.trace())
        link.instrument.assert_trigger()
        d.wait_for("the trigger to reach the card",
                   lambda: CARD_LINE + "relay 7 on" in panel.trace()[mark:])
        triggered = panel.trace()[mark:]
        expect(len(triggered) == 2 and re.fullmatch(TRIGGER_CALL, triggered[0])
               and triggered[1] == CARD_LINE + "relay 7 on",
               "assert_trigger() did not pulse the trigger alone: %s" % triggered)
        link.expect_answer("ROUT:SYNC?", "1")
        d.wait_for("the Synchronized LED to turn green", lambda: led.description == "unlit")
        # The same close again, now triggered from the window.
        link.send("ROUT:OPEN (@7)")
        link.instrument.assert_trigger()
        remote.wait_checked(main, ["Pair 4 relay A"], False)
        link.send("ROUT:CLOS (@7)")
        trigger_button = d.find(main, "push button", "Trigger")
        expect(trigger_button is not None, "no button 'Trigger'")
        mark = len(panel.trace())
        d.press(trigger_button)
        d.wait_for("the Trigger button's pulse to reach the card",
                   lambda: CARD_LINE + "relay 7 on" in panel.trace()[mark:])
        pressed = panel.trace()[mark:]
        expect(pressed == triggered,
               "the Trigger button gave %s, assert_trigger() %s" % (pressed, triggered))
        link.expect_answer("ROUT:SYNC?", "1")
        link.send("ROUT:MODE ASYN")
        remote.wait_mode_shown(main, "Asynchronous")
        link.send("ROUT:OPEN:ALL")
        remote.wait_checked(main, ["Pair 1 relay A", "Pair 2 relay A", "Pair 4 relay A"], False)
        link.expect_error(NO_ERROR)

        # A second link and a socket client: the window counts them all.
        second = Link(manager)
        remote.wait_label(main, remote.remote_label(port, 2))
        second.expect_answer("*IDN?", IDENTITY)
        socket_client = remote.Visa(manager, port)
        remote.wait_label(main, remote.remote_label(port, 3))
        socket_client.expect_answer("*IDN?", IDENTITY)
        socket_client.close()
        remote.wait_label(main, remote.remote_label(port, 2))

        # Device clear empties the queue of its own link only.
        link.instrument.write("ROUT:BOGUS (@1)")
        second.instrument.write("ROUT:BOGUS (@1)")
        link.expect_status_byte(4, "with an error in the queue")
        link.instrument.clear()
        link.expect_status_byte(0, "after clear()")
        link.expect_error(NO_ERROR)
        second.expect_error(UNDEFINED_HEADER)
        second.expect_error(NO_ERROR)

        # The device lock: the other link's switching is refused before the
        # driver, until unlock().
        relay_5 = remote.button(main, "Pair 3 relay A")
        link.instrument.lock_excl(remote.CLIENT_TIMEOUT_SECONDS * 1000)
        mark = len(panel.trace())
        expect(second.refused_write("ROUT:CLOS (@5)"),
               "a write of the second link went through the first's lock")
        link.expect_answer("ROUT:CLOS? (@5)", "0")
        expect(panel.trace()[mark:] == [],
               "the refused write reached the platform: %s" % panel.trace()[mark:])
        expect(not d.checked(relay_5), "relay 5 shows closed after the refused write")
        link.instrument.unlock()
        mark = len(panel.trace())
        second.send("ROUT:CLOS (@5)")
        expect([line.split(", ")[1:] for line in switches(panel.trace()[mark:])]
               == [["5", "1) = 0"]],
               "after unlock() ROUT:CLOS (@5) gave the driver %s" % panel.trace()[mark:])
        remote.wait_checked(main, ["Pair 3 relay A"])
        second.send("ROUT:OPEN (@5)")
        remote.wait_checked(main, ["Pair 3 relay A"], False)

        # A link that goes while it holds the lock gives it back.
        link.instrument.lock_excl(remote.CLIENT_TIMEOUT_SECONDS * 1000)
        mark = len(panel.trace())
        expect(second.refused_write("ROUT:CLOS (@5)"),
               "a write of the second link went through the first's lock")
        expect(panel.trace()[mark:] == [],
               "the refused write reached the platform: %s" % panel.trace()[mark:])
        link.close()
        remote.wait_label(main, remote.remote_label(port, 1))
        mark = len(panel.trace())
        second.send("ROUT:CLOS (@5)")
        expect([line.split(", ")[1:] for line in switches(panel.trace()[mark:])]
               == [["5", "1) = 0"]],
               "after the locking link's close ROUT:CLOS (@5) gave the driver %s"
               % panel.trace()[mark:])
        remote.wait_checked(main, ["Pair 3 relay A"])
        second.expect_error(NO_ERROR)
        second.close()
        remote.wait_label(main, remote.remote_label(port, 0))

        # Registered while the panel runs, gone once SIGTERM has ended it.
        expect(len(core_registrations()) == 1,
               "the core channel's registration went while the panel runs")
        end_with_sigterm(panel)
        left = core_registrations()
        expect(left == [], "the port mapper still lists the core channel: %s" % left)
    finally:
        if manager is not None:
            manager.close()
        if panel is not None:
            panel.close()
        mapper.close()
    return panel


def side_by_side(desktop, program):
    """One panel, both ways in: `lxi scpi` over VXI-11 and over the raw
    socket give the same identity, and what one switches the other reads.
    Then a second panel beside it finds the first registered: it says so
    in its line and serves its socket, and the first keeps its
    registration; SIGINT ends the first and withdraws it."""
    panel, main, port = remote.start_listening(desktop, program, panel_type=ApartPanel)
    other = None
    try:
        core_port = expect_registered(panel)
        answer = lxi_vxi11_answer("*IDN?")
        expect(answer == IDENTITY + "\n", "*IDN? over VXI-11 answered %r" % answer)
        answer = remote.lxi(port, "*IDN?")
        expect(answer == IDENTITY + "\n", "*IDN? over the raw socket answered %r" % answer)

        mark = len(panel.trace())
        expect(lxi_vxi11_answer("ROUT:CLOS (@10)") == "",
               "lxi printed an answer to ROUT:CLOS over VXI-11")
        remote.wait_checked(main, ["Pair 5 relay B"])
        expect(CARD_LINE + "relay 10 on" in panel.trace()[mark:],
               "relay 10 did not reach the card: %s" % panel.trace()[mark:])
        answer = remote.lxi(port, "ROUT:CLOS? (@9,10)")
        expect(answer == "0,1\n", "ROUT:CLOS? (@9,10) over the raw socket answered %r" % answer)
        expect(remote.lxi(port, "ROUT:OPEN (@10)") == "",
               "lxi printed an answer to ROUT:OPEN over the raw socket")
        remote.wait_checked(main, ["Pair 5 relay B"], False)
        answer = lxi_vxi11_answer("ROUT:CLOS? (@9,10)")
        expect(answer == "0,0\n", "ROUT:CLOS? (@9,10) over VXI-11 answered %r" % answer)
        # Each lxi call is a link of its own, gone when it ends.
        remote.wait_label(main, remote.remote_label(port, 0))

        # A second panel: the port mapper names the first.
        other, other_main, other_port = remote.start_listening(
            desktop, program, card=remote.OTHER_CARD, fresh_trace=False, panel_type=ApartPanel)
        expect_one_line(other, "beside a registered panel")
        answer = remote.lxi(other_port, "*IDN?")
        expect(answer == remote.OTHER_IDENTITY + "\n",
               "*IDN? over the second panel's raw socket answered %r" % answer)
        expect([row[3] for row in core_registrations()] == [core_port],
               "the second panel changed the first's registration: %s" % core_registrations())
        answer = lxi_vxi11_answer("*IDN?")
        expect(answer == IDENTITY + "\n",
               "*IDN? over VXI-11 beside the second panel answered %r" % answer)

        # The second panel ends: the first one's registration stays.
        remote.close_with_yes(other, other_main)
        expect([row[3] for row in core_registrations()] == [core_port],
               "the second panel's end took the first's registration: %s"
               % core_registrations())
        expect(lxi_vxi11_answer("*IDN?") == IDENTITY + "\n",
               "the first panel is not found over VXI-11 after the second ended")

        panel.process.send_signal(signal.SIGINT)
        status = panel.wait_exit()
        expect(status == 0, "exit status %s after SIGINT, not 0" % status)
        left = core_registrations()
        expect(left == [], "the port mapper still lists the core channel after SIGINT: %s"
               % left)
    finally:
        panel.close()
        if other is not None:
            other.close()


def stale_registration(desktop, program):
    """A panel that was killed leaves its registration behind; the next
    panel finds nothing on that port and takes the registration over."""
    panel, main, port = remote.start_listening(desktop, program, panel_type=ApartPanel)
    try:
        stale_port = expect_registered(panel)
        panel.process.kill()
        panel.wait_exit()
    finally:
        panel.close()
    expect([row[3] for row in core_registrations()] == [stale_port],
           "the killed panel's registration is not left behind: %s" % core_registrations())
    panel, main, port = remote.start_listening(desktop, program, panel_type=ApartPanel)
    try:
        core_port = expect_registered(panel)
        expect(core_port != stale_port,
               "the port mapper still names the killed panel's port %s" % stale_port)
        answer = lxi_vxi11_answer("*IDN?")
        expect(answer == IDENTITY + "\n",
               "*IDN? over VXI-11 after the take-over answered %r" % answer)
        remote.wait_label(main, remote.remote_label(port, 0))
        remote.close_with_yes(panel, main)
        left = core_registrations()
        expect(left == [], "the port mapper still lists the core channel after Close: %s"
               % left)
    finally:
        panel.close()


def without_port_mapper(desktop, program):
    """No port mapper runs: the panel says so in one line on standard
    error, a VXI-11 client does not find it, the raw socket serves as
    ever."""
    expect(registrations() is None, "a port mapper answers after rpcbind ended")
    panel, main, port = remote.start_listening(desktop, program, panel_type=ApartPanel)
    try:
        expect_one_line(panel, "without a port mapper")
        status, out, err = lxi_vxi11("*IDN?")
        expect(status != 0 and out == "" and err.strip(),
               "lxi over VXI-11 without a port mapper: status %d, printed %r, %r"
               % (status, out, err))
        answer = remote.lxi(port, "*IDN?")
        expect(answer == IDENTITY + "\n",
               "*IDN? over the raw socket without a port mapper answered %r" % answer)
        remote.wait_label(main, remote.remote_label(port, 0))
        remote.close_with_yes(panel, main)
        expect(len(port_mapper_lines(panel)) == 1, "%d lines about the port mapper by the end: %r"
               % (len(port_mapper_lines(panel)), panel.errors()))
    finally:
        panel.close()
    return panel


class SilentPortMapper:
    """Takes the port mapper's places (its local socket, TCP and UDP port
    111 on the loopback) and answers nothing: a port mapper that hangs."""

    def __init__(self):
        import socket
        import threading
        own_namespace()
        self.sockets = []
        # The socket file the real port mapper left behind.
        if os.path.exists("/run/rpcbind.sock"):
            os.unlink("/run/rpcbind.sock")
        local = socket.socket(socket.AF_UNIX, socket.SOCK_STREAM)
        local.bind("/run/rpcbind.sock")
        local.listen(16)
        tcp = socket.socket(socket.AF_INET, socket.SOCK_STREAM)
        tcp.setsockopt(socket.SOL_SOCKET, socket.SO_REUSEADDR, 1)
        tcp.bind(("127.0.0.1", 111))
        tcp.listen(16)
        udp = socket.socket(socket.AF_INET, socket.SOCK_DGRAM)
        udp.bind(("127.0.0.1", 111))
        self.sockets = [local, tcp, udp]
        self.accepted = []

        def take(listener):
            while True:
                try:
                    connection, _ = listener.accept()
                except OSError:
                    return
                self.accepted.append(connection)
        for listener in (local, tcp):
            threading.Thread(target=take, args=(listener,), daemon=True).start()

    def close(self):
        import socket
        # A listener closed while a thread waits in accept() would go on
        # listening until that accept returns: shut down first.
        for each in self.sockets + self.accepted:
            try:
                each.shutdown(socket.SHUT_RDWR)
            except OSError:
                pass
            each.close()
        os.unlink("/run/rpcbind.sock")


def silent_port_mapper(desktop, program):
    """A port mapper that takes calls and never answers (the library's
    client waits a minute for each): the panel's window, its socket and
    its end do not wait for it."""
    silent = SilentPortMapper()
    try:
        panel, main, port = remote.start_listening(desktop, program, panel_type=ApartPanel)
        try:
            answer = remote.lxi(port, "*IDN?")
            expect(answer == IDENTITY + "\n",
                   "*IDN? over the raw socket beside a silent port mapper answered %r" % answer)
            end_with_sigterm(panel)
        finally:
            panel.close()
    finally:
        silent.close()


def vxi11_lxi(desktop, program):
    """lxi-tools' `lxi scpi` over VXI-11 (its default) and over the raw
    socket: side by side on one panel, beside a second panel, after a
    panel that was killed; then beside a port mapper that never answers,
    and while no port mapper runs."""
    mapper = PortMapper(desktop)
    try:
        side_by_side(desktop, program)
        stale_registration(desktop, program)
    finally:
        mapper.close()
    silent_port_mapper(desktop, program)
    return without_port_mapper(desktop, program)


SCENARIOS = {
    "vxi11_pyvisa": vxi11_pyvisa,
    "vxi11_lxi": vxi11_lxi,
}
