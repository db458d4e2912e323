#!/usr/bin/python3
# SPDX-FileCopyrightText: 2026 Tarvex
# SPDX-License-Identifier: MIT
"""The switching log the real program writes, checked line by line against
the JSON Schema that ships with it: a panel on the simulated card takes
commands of every kind over SCPI (relays, modes, the exclusive rule, an
update, a trigger pulse, *RST and *RCL, refusals by a fixture's rule and
by another client's lock, some of them counted in one line), and every
line of its log must be valid.

    switching_log_schema.py TOP PROGRAM"""
import json
import os
import pathlib
import socket
import subprocess
import sys
import tempfile
import time

import jsonschema

top = pathlib.Path(sys.argv[1])
program = sys.argv[2]
schema = json.loads((top / "docs" / "switching-log.schema.json").read_text())
jsonschema.Draft202012Validator.check_schema(schema)
validator = jsonschema.Draft202012Validator(schema)


def free_port():
    with socket.socket() as probe:
        probe.bind(("127.0.0.1", 0))
        return probe.getsockname()[1]


class Client:
    def __init__(self, port):
        deadline = time.monotonic() + 60
        while True:
            try:
                self.socket = socket.create_connection(("127.0.0.1", port), timeout=10)
                break
            except OSError:
                if time.monotonic() > deadline:
                    raise
                time.sleep(0.1)
        self.lines = self.socket.makefile("rwb")

    def ask(self, line):
        self.lines.write(line.encode() + b"\n")
        self.lines.flush()
        return self.lines.readline().decode().strip()


with tempfile.TemporaryDirectory() as folder:
    fixture = os.path.join(folder, "fixture.json")
    with open(fixture, "w", encoding="utf-8") as out:
        out.write('{"labels": {"3": "PSU \\"rail\\""}, '
                  '"rules": [{"name": "HV \\"31\\"", "forbidden": [31]}]}')
    port = free_port()
    environment = dict(os.environ, QT_QPA_PLATFORM="offscreen", SFP_SIM_TRACE="",
                       SFP_SIM_CONFIG="", HOME=folder, XDG_STATE_HOME=os.path.join(folder, "state"),
                       XDG_CONFIG_HOME=os.path.join(folder, "config"),
                       XDG_DATA_HOME=os.path.join(folder, "data"))
    panel = subprocess.Popen([program, "--simulate", "--address", "VXI0::1::INSTR", "--fc", "2",
                              "--listen", str(port), "--fixture", fixture], env=environment,
                             stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)
    try:
        one = Client(port)
        other = Client(port)
        for line in ["ROUT:CLOS (@1,2,3)", "ROUT:EXCL ON", "ROUT:CLOS (@31)",
                     "ROUT:MODE COMM", "ROUT:CLOS (@9)", "ROUT:UPD", "ROUT:MODE TRIG",
                     "ROUT:CLOS (@10)", "*TRG", "*SAV 1", "*RST", "*RCL 1", "ROUT:MODE ASYN"]:
            assert one.ask(line + ";*OPC?") == "1", line
        assert other.ask("SYST:LOCK:REQ?") == "1"
        # Refused again and again: counted in one line.
        for _ in range(5):
            one.ask("ROUT:OPEN (@1);*OPC?")
    finally:
        panel.terminate()
        panel.wait(timeout=60)
    log = pathlib.Path(folder, "state", "qx5170fp", "VXI0::1::INSTR%2FFC2", "switching.jsonl")
    lines = log.read_text(encoding="utf-8").splitlines()

failures = []
kinds = set()
for number, line in enumerate(lines, 1):
    entry = json.loads(line)
    kinds.add(entry["event"])
    errors = list(validator.iter_errors(entry))
    if errors:
        failures.append(f"line {number}: {errors[0].message}: {line}")
if not any("count" in json.loads(line) for line in lines):
    failures.append("no line counts refusals")
missing = {"start", "relay", "mode", "exclusive", "update", "trigger", "refusal"} - kinds
if missing:
    failures.append(f"no line of {sorted(missing)}")
for failure in failures:
    print(failure)
print(f"{len(lines)} lines of the switching log checked, {len(failures)} faults")
sys.exit(1 if failures else 0)
