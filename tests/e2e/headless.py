#!/usr/bin/env python3
# SPDX-FileCopyrightText: 2026 Tarvex
# SPDX-License-Identifier: MIT
"""The panel without a window: `qx5170fp --headless` on the simulated card,
with no display of any kind, driven by the clients a lab's machines have
(PyVISA with its pure-Python backend over the socket and over VXI-11, and
lxi-tools' `lxi scpi`), then ended by SIGTERM while a client is connected.
What the card did must show in the switching log, the wear counts and the
platform's trace; the port mapper must no longer list the server.

Runs in a network and mount namespace of its own (in_namespace.sh), with a
port mapper (rpcbind) of its own.

    in_namespace.sh headless.py PROGRAM
"""

import json
import os
import shutil
import signal
import socket
import subprocess
import sys
import tempfile
import time

TIMEOUT = 30
IDENTITY = "Orbelan,5170,VXI0::1::INSTR/FC2,1.4.0"
CORE_PROGRAM = "395183"


class Failure(Exception):
    pass


def expect(condition, message):
    if not condition:
        raise Failure(message)


def wait_for(what, condition):
    deadline = time.monotonic() + TIMEOUT
    while time.monotonic() < deadline:
        if condition():
            return
        time.sleep(0.05)
    raise Failure("timed out waiting for " + what)


def registrations():
    result = subprocess.run(["rpcinfo", "-p", "127.0.0.1"], capture_output=True, text=True,
                            timeout=TIMEOUT, check=False)
    if result.returncode != 0:
        return None
    return [line.split()[:4] for line in result.stdout.splitlines()[1:] if line.split()]


def free_port():
    with socket.socket() as probe:
        probe.bind(("127.0.0.1", 0))
        return probe.getsockname()[1]


class ServerRun:
    """A folder and a port mapper (rpcbind) of the test's own, and the
    headless server on the simulated card once started; all gone at the
    end, the server killed if it is still there."""

    def __init__(self, prefix):
        self.prefix = prefix
        self.folder = None
        self.rpcbind = None
        self.server = None

    def __enter__(self):
        self.folder = tempfile.mkdtemp(prefix=self.prefix)
        self.rpcbind = subprocess.Popen(["rpcbind", "-f"], stdout=subprocess.DEVNULL,
                                        stderr=subprocess.DEVNULL)
        try:
            wait_for("the port mapper", lambda: registrations() is not None)
        except Failure:
            self.__exit__(None, None, None)
            raise
        return self

    def path(self, *names):
        return os.path.join(self.folder, *names)

    def start(self, program, port, trace):
        """The server on the card in slot 5, SCPI on the loopback's port,
        the platform's trace in `trace`, what it says in stderr.txt."""
        environment = {key: value for key, value in os.environ.items()
                       if key not in ("DISPLAY", "WAYLAND_DISPLAY", "QT_QPA_PLATFORM",
                                      "XDG_SESSION_TYPE")}
        environment.update({"SFP_SIM_CONFIG": "", "SFP_SIM_TRACE": trace,
                            "XDG_STATE_HOME": self.path("state"),
                            "XDG_DATA_HOME": self.path("data"),
                            "XDG_CONFIG_HOME": self.path("config")})
        with open(self.path("stderr.txt"), "wb") as errors:
            self.server = subprocess.Popen(
                [program, "--headless", "--simulate", "--address", "VXI0::1::INSTR", "--fc", "2",
                 "--listen", "127.0.0.1:%d" % port], stdout=subprocess.DEVNULL, stderr=errors,
                env=environment)
        return self.server

    def said(self):
        with open(self.path("stderr.txt"), encoding="utf-8") as text:
            return text.read()

    def __exit__(self, *exception):
        if self.server is not None and self.server.poll() is None:
            self.server.kill()
            self.server.wait()
        self.rpcbind.terminate()
        self.rpcbind.wait()
        shutil.rmtree(self.folder, ignore_errors=True)
        return False


def lxi(args):
    result = subprocess.run(["lxi", "scpi", "--address", "127.0.0.1", "--timeout", "20"] + args,
                            capture_output=True, text=True, timeout=TIMEOUT, check=False)
    expect(result.returncode == 0 and result.stderr == "",
           "lxi scpi %r ended with %d: %s" % (args, result.returncode, result.stderr))
    return result.stdout.strip()


def main(program):
    expect(os.environ.get("SFP_E2E_NAMESPACE") == os.readlink("/proc/self/ns/net"),
           "not in a network namespace of the test's own: run under in_namespace.sh")
    import pyvisa
    with ServerRun("sfp-headless-") as run:
        port = free_port()
        trace = run.path("trace.txt")
        server = run.start(program, port, trace)
        # The registration ends on a thread of its own, before or after the
        # line that says where it serves.
        serving = "serving the card VXI0::1::INSTR/FC2: SCPI on 127.0.0.1:%d" % port
        wait_for("the server to serve and be registered",
                 lambda: server.poll() is None and serving in run.said() and any(
                     row[0] == CORE_PROGRAM for row in registrations() or []))
        with open("/proc/%d/maps" % server.pid, encoding="utf-8") as maps:
            mapped = maps.read()
        expect("libQt6Core" in mapped and "libQt6Gui" not in mapped
               and "libQt6Widgets" not in mapped,
               "the server maps the toolkit's graphical modules, or no Qt at all")

        manager = pyvisa.ResourceManager("@py")
        raw = manager.open_resource("TCPIP::127.0.0.1::%d::SOCKET" % port,
                                    read_termination="\n", write_termination="\n")
        raw.timeout = 20000
        expect(raw.query("*IDN?") == IDENTITY, "*IDN? over the socket")
        raw.write("ROUT:CLOS (@3,7)")
        expect(raw.query("*OPC?") == "1", "*OPC? over the socket")
        link = manager.open_resource("TCPIP::127.0.0.1::INSTR", read_termination="\n",
                                     write_termination="\n")
        link.timeout = 20000
        expect(link.query("ROUT:CLOS? (@3,7,8)") == "1,1,0", "ROUT:CLOS? over VXI-11")
        link.write("ROUT:OPEN (@7)")
        expect(link.query("*OPC?") == "1", "*OPC? over VXI-11")
        expect(lxi(["ROUT:CLOS? (@3,7)"]) == "1,0", "lxi scpi over VXI-11")
        expect(lxi(["--port", str(port), "--raw", "SYST:ERR?"]) == '0,"No error"',
               "lxi scpi over the socket")
        link.close()

        # Ended while a client is connected.
        started = time.monotonic()
        server.send_signal(signal.SIGTERM)
        status = server.wait(timeout=TIMEOUT)
        took = time.monotonic() - started
        raw.close()
        manager.close()
        expect(status == 0, "SIGTERM ended the server with status %d" % status)
        print("headless: SIGTERM ended the server in %.2f s" % took)
        expect("ending on SIGTERM" in run.said(), "no ending line: " + run.said())
        expect(not any(row[0] == CORE_PROGRAM for row in registrations() or []),
               "the port mapper still lists the server")

        card = run.path("state", "qx5170fp", "VXI0::1::INSTR%2FFC2")
        with open(os.path.join(card, "switching.jsonl"), encoding="utf-8") as log:
            events = [json.loads(line) for line in log]
        expect(all(event["source"] != "operator" for event in events),
               "the log names an operator")
        expect(events[0]["event"] == "start" and events[0]["source"] == "headless",
               "the log does not begin with the server's start: %r" % events[0])
        switched = [(event["relay"], event["closed"], event["source"].split()[0])
                    for event in events if event["event"] == "relay"]
        expect(switched == [(3, True, "socket"), (7, True, "socket"), (7, False, "vxi11")],
               "the log's switches: %r" % switched)
        with open(os.path.join(card, "relay-cycles.json"), encoding="utf-8") as counts:
            cycles = json.load(counts)["cycles"]
        expect(cycles[2] == 1 and cycles[6] == 1 and sum(cycles) == 2,
               "the wear counts: %r" % cycles)
        with open(trace, encoding="utf-8") as calls:
            lines = calls.read().splitlines()
        expect(any(line.startswith("qx5170_init(") for line in lines), "no open in the trace")
        expect(lines and lines[-1].startswith("qx5170_close("),
               "the trace does not end with the close: %r" % lines[-3:])
        print("headless: PyVISA, VXI-11 and lxi-tools drove the server; log, counts and trace "
              "agree")
        return 0


if __name__ == "__main__":
    try:
        sys.exit(main(sys.argv[1]))
    except Failure as failure:
        print("headless: FAILED: %s" % failure, file=sys.stderr)
        sys.exit(1)
