#!/usr/bin/env python3
# SPDX-FileCopyrightText: 2026 Tarvex
# SPDX-License-Identifier: MIT
"""Scans and stored sequences as a lab's scripts run them: `qx5170fp
--headless` on the simulated card with a fixture rule, driven by PyVISA
with its pure-Python backend over the socket and over VXI-11 (a timed scan
awaited with *OPC?, a bus scan stepped by *TRG and by VXI-11's
device_trigger, ABORt from the owner and from another client, the status
bits, a step that breaks a rule, sequences defined, listed, run and
deleted). What reached the card is read in the platform's trace, who asked
in the switching log.

Runs in a network and mount namespace of its own (in_namespace.sh), with a
port mapper (rpcbind) of its own.

    in_namespace.sh scans.py PROGRAM
"""

import json
import os
import re
import signal
import sys

from headless import Failure, ServerRun, expect, free_port, registrations, wait_for, CORE_PROGRAM

CARD = "VXI0::1::INSTR%2FFC2"
NO_ERROR = '0,"No error"'


def relays_on(trace, start):
    """How often each relay's contact closed in the trace from line `start`."""
    with open(trace, encoding="utf-8") as text:
        lines = text.read().splitlines()[start:]
    closings = {}
    for line in lines:
        found = re.match(r"card VXI0::1::INSTR FC2 relay (\d+) on$", line)
        if found:
            closings[int(found.group(1))] = closings.get(int(found.group(1)), 0) + 1
    return closings


def trace_length(trace):
    with open(trace, encoding="utf-8") as text:
        return len(text.read().splitlines())


def scenarios(raw, other, link, trace, fixture):
    # A timed scan of two sweeps, awaited with *OPC?: each relay closed
    # once a sweep, all open at the end, the sweeping bit's event kept.
    start = trace_length(trace)
    raw.write("ROUT:SCAN (@1:4);:TRIG:SOUR TIM;TIM 0.02;COUN 2;:STAT:OPER:EVEN?")
    raw.read()
    # *OPC sets its bit once the run has nothing pending, not before.
    raw.write("*CLS;INIT;*OPC")
    expect(raw.query("*ESR?") == "0", "*OPC's bit while the scan runs")
    expect(raw.query("*OPC?") == "1", "*OPC? after a timed scan")
    expect(raw.query("*ESR?") == "1", "*OPC's bit after the scan")
    expect(raw.query("ROUT:CLOS?") == "(@)", "relays closed after the timed scan")
    expect(raw.query("STAT:OPER:EVEN?;COND?") == "8;0", "the sweeping bit's event")
    expect(relays_on(trace, start) == {1: 2, 2: 2, 3: 2, 4: 2},
           "the timed scan's closings: %r" % relays_on(trace, start))
    expect(raw.query("ROUT:SCAN?;:TRIG:TIM?;COUN?") == "(@1,2,3,4);0.02;2",
           "the scan's settings read back")

    # A bus scan: VXI-11's device_trigger and the socket's *TRG step it.
    # A trigger while the step settles is ignored.
    raw.write("ROUT:SCAN (@2,(3,6));:ROUT:CHAN:DEL 0.3,(@2);:TRIG:SOUR BUS;COUN 1;:INIT")
    expect(raw.query("STAT:OPER:COND?;:ROUT:SCAN:STAT?") == "40;1,0,1",
           "a bus scan waits for its first trigger")
    link.assert_trigger()
    raw.write("*TRG")
    expect(link.query("*OPC?;:ROUT:CLOS?") == "1;(@2)", "the first step after device_trigger")
    expect(raw.query("SYST:ERR?") == '-211,"Trigger ignored"', "a trigger while a step settles")
    raw.write("*TRG")
    expect(raw.query("*OPC?;:ROUT:CLOS?;:ROUT:SCAN:STAT?") == "1;(@3,6);1,2,1",
           "the second step after *TRG")
    raw.write("*TRG")
    expect(raw.query("*OPC?;:ROUT:CLOS?;:ROUT:SCAN:STAT?;:SYST:ERR?")
           == '1;(@);0,0,0;' + NO_ERROR, "the bus scan's end")
    raw.write("*TRG")
    expect(raw.query("SYST:ERR?") == '-221,"Settings conflict;a trigger is taken in Sync. '
           'Trigger mode only"', "*TRG without a scan is the mode's")

    # Started under the lock, the scan is its owner's: another client's
    # ABORt is refused, first as any change under the lock, then as the
    # owner's run. (Over VXI-11 the lock refuses the other link's writes.)
    expect(raw.query("SYST:LOCK:REQ?") == "1", "the lock")
    raw.write("INIT")
    other.write("ABOR")
    expect(other.query("SYST:ERR?") == '-221,"Settings conflict;another client holds the lock"',
           "ABORt of another client under the lock")
    expect(raw.query("SYST:LOCK:REL;*OPC?") == "1", "the lock released")
    other.write("ABOR")
    error = other.query("SYST:ERR?")
    expect(re.fullmatch(r'-221,"Settings conflict;the run belongs to socket 127\.0\.0\.1:\d+, '
                        r'who started it under the lock"', error) is not None,
           "ABORt of another client: " + error)
    raw.write("ABOR")
    expect(raw.query("ROUT:SCAN:STAT?;:SYST:ERR?") == "0,0,0;" + NO_ERROR, "ABORt of the owner")

    # A step that breaks the fixture's rule ends the scan before it
    # switches anything; the starting client hears why.
    start = trace_length(trace)
    raw.write("ROUT:SCAN (@3,(1,5),7);:TRIG:SOUR IMM;:INIT")
    expect(raw.query("*OPC?;:ROUT:CLOS?") == "1;(@)", "the refused scan's end")
    expect(raw.query("SYST:ERR?") == '-221,"Settings conflict;""meter"" allows one of relays '
           '1, 5"', "the refused step's error")
    expect(relays_on(trace, start) == {3: 1}, "the refused scan's closings: %r"
           % relays_on(trace, start))

    # Sequences kept in the fixture file, run one at a time.
    link.write('ROUT:SEQ:DEF "warm-up","ROUT:CLOS (@8,9);ROUT:SEQ:WAIT 30;ROUT:OPEN (@8)"')
    link.write('ROUT:SEQ:DEF "bad","ROUT:CLOS (@1);ROUT:MODE COMM"')
    expect(link.query("SYST:ERR?") == '-224,"Illegal parameter value;""ROUT:MODE"" is not a '
           'switching command"', "a sequence with a non-switching command")
    expect(link.query("ROUT:SEQ:CAT?") == '"warm-up"', "the sequences' names")
    expect(link.query('ROUT:SEQ:DEF? "warm-up"')
           == '"ROUT:CLOS (@8,9);ROUT:SEQ:WAIT 30;ROUT:OPEN (@8)"', "a sequence read back")
    link.write('ROUT:SEQ:TRIG "warm-up"')
    expect(link.query("ROUT:SEQ:BUSY?;:STAT:OPER:COND?") == "1;16384", "a sequence runs")
    expect(link.query("*OPC?;:ROUT:SEQ:BUSY?;:ROUT:CLOS?") == "1;0;(@9)", "the sequence's end")
    with open(fixture, encoding="utf-8") as text:
        kept = json.load(text)
    expect(kept.get("note") == "kept" and [entry["name"] for entry in kept["sequences"]]
           == ["warm-up"], "the fixture file: %r" % kept)
    link.write('ROUT:SEQ:DEL "warm-up"')
    expect(link.query('ROUT:SEQ:CAT?;:SYST:ERR?') == '"";' + NO_ERROR, "a sequence deleted")


def main(program):
    expect(os.environ.get("SFP_E2E_NAMESPACE") == os.readlink("/proc/self/ns/net"),
           "not in a network namespace of the test's own: run under in_namespace.sh")
    import pyvisa
    with ServerRun("sfp-scans-") as run:
        fixtures = run.path("config", "qx5170fp", "fixtures")
        os.makedirs(fixtures)
        fixture = os.path.join(fixtures, CARD + ".json")
        with open(fixture, "w", encoding="utf-8") as text:
            text.write('{"rules": [{"name": "meter", "mutual": [1, 5]}], "note": "kept"}\n')
        port = free_port()
        trace = run.path("trace.txt")
        server = run.start(program, port, trace)
        wait_for("the server to be registered",
                 lambda: server.poll() is None and any(
                     row[0] == CORE_PROGRAM for row in registrations() or []))
        manager = pyvisa.ResourceManager("@py")
        raw = manager.open_resource("TCPIP::127.0.0.1::%d::SOCKET" % port,
                                    read_termination="\n", write_termination="\n")
        link = manager.open_resource("TCPIP::127.0.0.1::INSTR", read_termination="\n",
                                     write_termination="\n")
        other = manager.open_resource("TCPIP::127.0.0.1::%d::SOCKET" % port,
                                      read_termination="\n", write_termination="\n")
        raw.timeout = other.timeout = link.timeout = 20000
        scenarios(raw, other, link, trace, fixture)
        # Stopped while a scan without end runs: the server ends as on any
        # SIGTERM, and the step's relays do not stay closed.
        raw.write("ROUT:SCAN (@2,3);:TRIG:SOUR TIM;TIM 0.01;COUN INF;:INIT")
        expect(raw.query("ROUT:SCAN:STAT?").startswith("1,"), "the scan without end runs")
        other.close()
        raw.close()
        link.close()
        manager.close()
        server.send_signal(signal.SIGTERM)
        expect(server.wait(timeout=30) == 0, "SIGTERM during a scan: status %r" % server.returncode)
        with open(trace, encoding="utf-8") as text:
            contacts = {}
            for line in text:
                found = re.match(r"card VXI0::1::INSTR FC2 relay (\d+) (on|off)$", line.strip())
                if found:
                    contacts[int(found.group(1))] = found.group(2)
        expect(contacts.get(2) == "off" and contacts.get(3) == "off",
               "the scan's relays at the end: %r" % contacts)

        log = run.path("state", "qx5170fp", CARD, "switching.jsonl")
        with open(log, encoding="utf-8") as text:
            events = [json.loads(line) for line in text]
        sources = {event["source"] for event in events if event["event"] == "relay"}
        expect({"scan", 'sequence "warm-up"'} <= sources, "the log's sources: %r" % sources)
        refusals = [event for event in events if event["event"] == "refusal"
                    and event["source"] == "scan"]
        expect(len(refusals) == 1, "the scan's refusal in the log: %r" % refusals)
        print("scans: timed and bus scans, their owner, a rule's refusal and sequences over "
              "PyVISA's socket and VXI-11; trace and log agree")
        return 0


if __name__ == "__main__":
    try:
        sys.exit(main(sys.argv[1]))
    except Failure as failure:
        print("scans: FAILED: %s" % failure, file=sys.stderr)
        sys.exit(1)
