#!/usr/bin/env python3
# SPDX-FileCopyrightText: 2026 Tarvex
# SPDX-License-Identifier: MIT
"""The panel in a browser and to HTTP clients (`--http`), on the simulated
card, end to end:

- headless Chromium through Selenium opens the web front panel, clicks a
  relay, sees a change made over SCPI, a refusal of the fixture's rule, and
  works at a phone's width with the keyboard; once against
  `qx5170fp --headless` and once against the panel with its window (on an
  X display of the test's own);
- labgrid's NetworkPowerDriver with the `rest` model switches a relay, with
  the configuration a labgrid user writes;
- `lxi discover` finds the panel, and the LXI identification document
  follows the identification schema's rules and agrees with *IDN?;
- hostile clients (a flood of connections, a huge request line, a body
  that never ends, paths that climb out, WebSocket clients that never
  read) leave the card, the SCPI socket and the other pages unharmed.

What the card did must show in the platform's trace and the switching log.
Runs in a network and mount namespace of its own (in_namespace.sh), with a
port mapper (rpcbind) and an interface beyond the loopback of its own, so
that the fixed ports below are free and no discovery leaves it.

    in_namespace.sh web.py PROGRAM
"""

import base64
import json
import os
import re
import resource
import select
import shutil
import signal
import socket
import statistics
import struct
import subprocess
import sys
import tempfile
import time
import urllib.error
import urllib.request
import xml.etree.ElementTree as ElementTree

# Generous: a loaded two-core machine, a sanitized build.
TIMEOUT = 40
IDENTITY = "Orbelan,5170,VXI0::1::INSTR/FC2,1.4.0"
CARD = ["--address", "VXI0::1::INSTR", "--fc", "2"]
CARD_FOLDER = "VXI0::1::INSTR%2FFC2"
CORE_PROGRAM = "395183"
SCPI_PORT = 5025
HTTP_PORT = 8099
# What the kernel buffers for a TCP connection's sending, in this namespace.
WMEM = "/proc/sys/net/ipv4/tcp_wmem"
# The namespace's own address beyond the loopback.
LAN_ADDRESS = "10.203.41.1"
LXI = "{http://lxistandard.org/schemas/InstrumentIdentification/2.0}"
DESCRIPTION = "Bench 4: supplies of the DUT"
FIXTURE = {
    "description": DESCRIPTION,
    "labels": {"11": "Supply A", "13": "Supply B"},
    "rules": [{"name": "One supply", "mutual": [11, 13]}],
}
# As a labgrid user writes it (labgrid's Environment reads it).
LABGRID_CONFIG = """\
targets:
  main:
    resources:
      NetworkPowerPort:
        model: rest
        host: 'http://127.0.0.1:8099/relay/{index}/value'
        index: 7
    drivers:
      NetworkPowerDriver: {}
"""


class Failure(Exception):
    pass


def expect(condition, message):
    if not condition:
        raise Failure(message)


def wait_for(what, condition, timeout=TIMEOUT, pause=0.05):
    deadline = time.monotonic() + timeout
    while time.monotonic() < deadline:
        value = condition()
        if value:
            return value
        time.sleep(pause)
    raise Failure("timed out waiting for " + what)


def run(arguments, timeout=TIMEOUT):
    return subprocess.run(arguments, capture_output=True, text=True, timeout=timeout,
                          check=False)


def registrations():
    result = run(["rpcinfo", "-p", "127.0.0.1"])
    if result.returncode != 0:
        return None
    return [line.split()[:4] for line in result.stdout.splitlines()[1:] if line.split()]


def http(method, url, body=None, headers=None):
    """Status, headers and body; an error status is an answer too."""
    request = urllib.request.Request(url, data=body, method=method, headers=headers or {})
    try:
        with urllib.request.urlopen(request, timeout=TIMEOUT) as response:
            return response.status, response.headers, response.read()
    except urllib.error.HTTPError as error:
        return error.code, error.headers, error.read()


class Scpi:
    """A client of the SCPI socket."""

    def __init__(self, address="127.0.0.1"):
        self.connection = socket.create_connection((address, SCPI_PORT), timeout=TIMEOUT)
        self.reader = self.connection.makefile("rb")

    def send(self, line):
        self.connection.sendall(line.encode() + b"\n")

    def ask(self, line):
        self.send(line)
        answer = self.reader.readline()
        expect(answer.endswith(b"\n"), "no answer to %s" % line)
        return answer.decode().strip()

    def close(self):
        self.reader.close()
        self.connection.close()


class Panel:
    """qx5170fp on the simulated card with a home, a trace and an error
    output of its own."""

    def __init__(self, program, folder, name, arguments, environment):
        self.folder = os.path.join(folder, name)
        os.makedirs(self.folder)
        home = os.path.join(self.folder, "home")
        self.trace = os.path.join(self.folder, "trace.txt")
        self.errors = os.path.join(self.folder, "stderr.txt")
        env = dict(environment)
        env.update({"SFP_SIM_CONFIG": "", "SFP_SIM_TRACE": self.trace, "HOME": home,
                    "ALLUSERSPROFILE": home,
                    "XDG_STATE_HOME": os.path.join(home, "state"),
                    "XDG_DATA_HOME": os.path.join(home, "data"),
                    "XDG_CONFIG_HOME": os.path.join(home, "config"),
                    "XDG_CACHE_HOME": os.path.join(home, "cache")})
        self.log = os.path.join(home, "state", "qx5170fp", CARD_FOLDER, "switching.jsonl")
        with open(self.errors, "wb") as errors:
            self.process = subprocess.Popen([program, "--simulate"] + CARD + arguments,
                                            stdout=subprocess.DEVNULL, stderr=errors, env=env)
        self.name = name

    def said(self):
        with open(self.errors, encoding="utf-8", errors="replace") as text:
            return text.read()

    def wait_serving(self):
        """Until the card is connected and the port mapper lists the panel
        (the panel with its window says nothing on its error output)."""
        def serving():
            expect(self.process.poll() is None,
                   "%s ended with %s:\n%s" % (self.name, self.process.returncode, self.said()))
            try:
                connected = http("GET", "http://127.0.0.1:%d/api/card" % HTTP_PORT)[0] == 200
            except OSError:
                return False
            return connected and any(row[0] == CORE_PROGRAM for row in registrations() or [])
        wait_for(self.name + " to serve the card and be registered", serving, pause=0.2)

    def trace_lines(self):
        with open(self.trace, encoding="utf-8") as calls:
            return calls.read().splitlines()

    def switches(self, start=0):
        """(relay, closed) of each driver call from trace line `start` on."""
        found = []
        for line in self.trace_lines()[start:]:
            match = re.match(r"qx5170_switchRelay\(\d+, (\d+), ([01])\) = 0$", line)
            if match:
                found.append((int(match.group(1)), match.group(2) == "1"))
        return found

    def events(self):
        """The log's whole lines."""
        try:
            with open(self.log, encoding="utf-8") as log:
                return [json.loads(line) for line in log if line.endswith("\n")]
        except FileNotFoundError:
            return []

    def relay_events(self, start=0):
        return [(event["relay"], event["closed"], event["source"])
                for event in self.events()[start:] if event["event"] == "relay"]

    def stop(self):
        if self.process.poll() is None:
            self.process.send_signal(signal.SIGTERM)
            try:
                status = self.process.wait(timeout=TIMEOUT)
            except subprocess.TimeoutExpired:
                self.process.kill()
                self.process.wait()
                raise Failure(self.name + " did not end on SIGTERM")
            expect(status == 0, "%s ended with %d on SIGTERM:\n%s"
                   % (self.name, status, self.said()))


# --- the browser -----------------------------------------------------------

def browser(folder):
    from selenium import webdriver
    from selenium.webdriver.chrome.service import Service
    options = webdriver.ChromeOptions()
    options.binary_location = "/usr/bin/chromium"
    for argument in ("--headless=new", "--no-sandbox", "--disable-dev-shm-usage",
                     "--disable-gpu", "--no-first-run", "--disable-extensions",
                     "--disable-background-networking", "--disable-sync",
                     "--user-data-dir=" + os.path.join(folder, "chromium"),
                     "--window-size=1024,768"):
        options.add_argument(argument)
    # The driver named: Selenium looks for none on the network.
    service = Service("/usr/bin/chromedriver",
                      log_path=os.path.join(folder, "chromedriver.log"))
    driver = webdriver.Chrome(service=service, options=options)
    driver.set_page_load_timeout(TIMEOUT)
    driver.set_script_timeout(TIMEOUT)
    return driver


WATCH_SCRIPT = """
const button = document.getElementById(arguments[0]);
const wanted = arguments[1];
if (window.sfpWatcher)
    window.sfpWatcher.disconnect();
window.sfpSeen = null;
window.sfpWatcher = new MutationObserver(() => {
    if (window.sfpSeen === null && button.getAttribute('aria-pressed') === wanted)
        window.sfpSeen = Date.now();
});
window.sfpWatcher.observe(button, {attributes: true, attributeFilter: ['aria-pressed']});
"""


def pressed(driver, relay):
    return driver.find_element("id", "relay-%d" % relay).get_attribute("aria-pressed")


def browser_scenario(driver, panel, label):
    """The web front panel against `panel`; SCPI to page latencies."""
    from selenium.webdriver.common.keys import Keys
    driver.set_window_size(1024, 768)
    driver.get("http://127.0.0.1:%d/panel" % HTTP_PORT)
    wait_for("the page to follow the card",
             lambda: driver.find_element("id", "connection").text == "Connected"
             and driver.find_element("id", "relay-5").is_enabled())
    expect(driver.find_element("id", "relay-11").get_attribute("aria-label")
           == "Pair 6 relay A, Supply A", "the fixture's label is not the button's name")
    trace_start = len(panel.trace_lines())
    log_start = len(panel.events())

    # A click on relay A of pair 3.
    driver.find_element("id", "relay-5").click()
    wait_for("relay-5 pressed", lambda: pressed(driver, 5) == "true")
    wait_for("the driver call for relay 5", lambda: panel.switches(trace_start) == [(5, True)])
    # The log is written behind the switching.
    switched = wait_for("the log of the click", lambda: panel.relay_events(log_start))
    expect(len(switched) == 1 and switched[0][:2] == (5, True)
           and re.fullmatch(r"web 127\.0\.0\.1:\d+", switched[0][2]),
           "the log of the click: %r" % switched)

    # Changes over SCPI reach the page: the time from the command to the
    # page's attribute, on the page's own clock.
    scpi = Scpi()
    latencies = []
    for closed in (True, False, True, False, True):
        # Apart, so that each change is the first the pages hear of for a
        # while, as an operator's is.
        time.sleep(0.1)
        driver.execute_script(WATCH_SCRIPT, "relay-9", "true" if closed else "false")
        sent = time.time() * 1000
        scpi.send("ROUT:%s (@9)" % ("CLOS" if closed else "OPEN"))
        seen = wait_for("the page to show relay 9 %s" % ("closed" if closed else "open"),
                        lambda: driver.execute_script("return window.sfpSeen;"), pause=0.002)
        latencies.append(seen - sent)
    print("web (%s): SCPI change to page: median %.0f ms, max %.0f ms, each %s"
          % (label, statistics.median(latencies), max(latencies),
             ", ".join("%.0f" % latency for latency in latencies)))

    # The fixture's rule refuses a click, and the page says why.
    expect(scpi.ask("ROUT:CLOS (@13);*OPC?") == "1", "ROUT:CLOS (@13)")
    wait_for("relay-13 pressed", lambda: pressed(driver, 13) == "true")
    driver.find_element("id", "relay-11").click()
    refusal = wait_for("the refusal on the page",
                       lambda: driver.find_element("id", "refusal").text)
    expect(refusal.startswith("Refused: ") and '"One supply" allows one of relays' in refusal,
           "the refusal line: %r" % refusal)
    expect(pressed(driver, 11) == "false", "the refused relay shows closed")

    # At a phone's width: nothing to scroll sideways, and the keyboard
    # reaches and switches the relays.
    driver.set_window_size(375, 740)
    wait_for("the phone's width", lambda: driver.execute_script(
        "return window.innerWidth;") <= 375)
    widths = driver.execute_script(
        "return [document.documentElement.scrollWidth, window.innerWidth];")
    expect(widths[0] <= widths[1], "the page scrolls sideways at a phone's width: %r" % widths)
    # From the first control of the page, whatever was clicked last.
    driver.execute_script("window.scrollTo(0, 0); document.getElementById('mode').focus();")
    focused = None
    for _ in range(40):
        driver.switch_to.active_element.send_keys(Keys.TAB)
        focused = driver.execute_script("return document.activeElement.id;")
        if focused.startswith("relay-"):
            break
    expect(focused and focused.startswith("relay-"), "Tab does not reach a relay button")
    relay = int(focused[len("relay-"):])
    expect(relay == 1, "Tab from the mode reached relay %d first, not relay 1" % relay)
    before = pressed(driver, relay)
    keyboard_start = len(panel.trace_lines())
    driver.switch_to.active_element.send_keys(Keys.ENTER)
    wait_for("Enter to switch relay %d" % relay, lambda: pressed(driver, relay) != before)
    driver.switch_to.active_element.send_keys(Keys.SPACE)
    wait_for("Space to switch relay %d back" % relay, lambda: pressed(driver, relay) == before)
    wait_for("the keyboard's driver calls", lambda: panel.switches(keyboard_start) == [
        (relay, before == "false"), (relay, before == "true")])

    # Everything the card did, and nothing else.
    expect(panel.switches(trace_start) == [
        (5, True), (9, True), (9, False), (9, True), (9, False), (9, True), (13, True),
        (relay, before == "false"), (relay, before == "true")],
        "the trace: %r" % panel.switches(trace_start))
    scpi.close()
    print("web (%s): the browser's panel switched, followed and refused as the card did"
          % label)


# --- labgrid ---------------------------------------------------------------

def labgrid_scenario(panel, folder):
    from labgrid import Environment
    config = os.path.join(folder, "labgrid.yaml")
    with open(config, "w", encoding="utf-8") as out:
        out.write(LABGRID_CONFIG)
    trace_start = len(panel.trace_lines())
    log_start = len(panel.events())
    target = Environment(config).get_target("main")
    power = target.get_driver("NetworkPowerDriver")
    power.on()
    expect(power.get() is True, "labgrid reads relay 7 as off after on()")
    power.off()
    expect(power.get() is False, "labgrid reads relay 7 as on after off()")
    target.deactivate_all_drivers()
    expect(panel.switches(trace_start) == [(7, True), (7, False)],
           "the trace of labgrid's switching: %r" % panel.switches(trace_start))
    switched = wait_for("the log of labgrid's switching",
                        lambda: len(panel.relay_events(log_start)) >= 2
                        and panel.relay_events(log_start))
    expect([event[:2] for event in switched] == [(7, True), (7, False)]
           and all(event[2].startswith("web 127.0.0.1:") for event in switched),
           "the log of labgrid's switching: %r" % switched)
    print("web: labgrid's NetworkPowerDriver (rest) switched relay 7 on and off")


# --- discovery and identification -------------------------------------------

# The order of the identification schema's elements.
DEVICE_ORDER = re.compile(
    r"Manufacturer Model SerialNumber FirmwareRevision ManufacturerDescription "
    r"(HomepageURL )?(DriverURL )*(ConnectedDevices )?(UserDescription )?"
    r"(IdentificationURL )?(Interface )*(IVISoftwareModuleName )*(Subinstruments )?"
    r"(Extension )?(LXIClass )?(Domain )?LXIVersion (LXIExtendedFunctions )?")
INTERFACE_ORDER = re.compile(
    r"(InstrumentAddressString )*(Hostname )?(IPAddress )*(SubnetMask )?(MACAddress )?"
    r"(Gateway )?(DHCPEnabled )?(AutoIPEnabled )?")


def identification_scenario(panel):
    result = run(["lxi", "discover", "--timeout", "5"], timeout=TIMEOUT * 2)
    expect('Found "%s" on address %s' % (IDENTITY, LAN_ADDRESS) in result.stdout,
           "lxi discover did not list the panel:\n%s%s" % (result.stdout, result.stderr))

    scpi = Scpi()
    fields = scpi.ask("*IDN?").split(",")
    scpi.close()
    expect(len(fields) == 4, "*IDN? answers %r" % fields)
    for address in ("127.0.0.1", LAN_ADDRESS):
        status, headers, body = http("GET", "http://%s:%d/lxi/identification"
                                     % (address, HTTP_PORT))
        expect(status == 200 and headers.get_content_type() in ("text/xml", "application/xml"),
               "GET /lxi/identification on %s: %d %s" % (address, status,
                                                          headers.get_content_type()))
        root = ElementTree.fromstring(body)
        expect(root.tag == LXI + "LXIDevice", "the root is %s" % root.tag)
        names = []
        for child in root:
            expect(child.tag.startswith(LXI), "%s is outside the LXI namespace" % child.tag)
            names.append(child.tag[len(LXI):])
        expect(DEVICE_ORDER.fullmatch(" ".join(names) + " "),
               "the elements are not in the schema's order: %r" % names)
        text = {name: root.find(LXI + name).text for name in names if name != "Interface"}
        expect([text["Manufacturer"], text["Model"], text["SerialNumber"],
                text["FirmwareRevision"]] == fields,
               "the document's four fields differ from *IDN? %r: %r" % (fields, text))
        expect(text.get("UserDescription") == DESCRIPTION,
               "UserDescription: %r" % text.get("UserDescription"))
        expect(text["IdentificationURL"]
               == "http://%s:%d/lxi/identification" % (address, HTTP_PORT),
               "IdentificationURL: %r" % text["IdentificationURL"])
        interfaces = root.findall(LXI + "Interface")
        expect(len(interfaces) == 1, "%d Interface elements" % len(interfaces))
        interface = interfaces[0]
        expect(interface.get("InterfaceType") == "LXI"
               and interface.get("IPType", "IPv4") in ("IPv4", "IPv6")
               and set(interface.attrib) <= {"InterfaceType", "InterfaceName", "IPType"},
               "the Interface's attributes: %r" % interface.attrib)
        inner = [child.tag[len(LXI):] for child in interface]
        expect(INTERFACE_ORDER.fullmatch(" ".join(inner) + " " if inner else ""),
               "the Interface's elements are not in the schema's order: %r" % inner)
        strings = [child.text for child in interface.findall(LXI + "InstrumentAddressString")]
        expect(strings == ["TCPIP::%s::INSTR" % address,
                           "TCPIP::%s::%d::SOCKET" % (address, SCPI_PORT)],
               "the address strings on %s: %r" % (address, strings))
        expect(interface.find(LXI + "IPAddress").text == address,
               "IPAddress on %s: %r" % (address, interface.find(LXI + "IPAddress").text))
    print("web: lxi discover lists the panel; its identification follows the schema's rules")


# --- hostile clients ---------------------------------------------------------

def raw_request(request, timeout=TIMEOUT):
    """The whole answer to one request on a connection of its own."""
    with socket.create_connection(("127.0.0.1", HTTP_PORT), timeout=timeout) as connection:
        connection.sendall(request)
        answer = b""
        while True:
            chunk = connection.recv(65536)
            if not chunk:
                return answer
            answer += chunk
            head, _, rest = answer.partition(b"\r\n\r\n")
            length = re.search(rb"(?im)^content-length:\s*(\d+)", head)
            if length and len(rest) >= int(length.group(1)):
                return answer


def flood():
    """1,000 connections opened at once and dropped."""
    soft, hard = resource.getrlimit(resource.RLIMIT_NOFILE)
    if soft < 2048 <= hard or (soft < 2048 and hard == resource.RLIM_INFINITY):
        resource.setrlimit(resource.RLIMIT_NOFILE, (2048, hard))
    connections = []
    for _ in range(1000):
        connection = socket.socket()
        connection.setblocking(False)
        connection.connect_ex(("127.0.0.1", HTTP_PORT))
        connections.append(connection)
    # Some have been taken, some wait in the backlog: all go, some with
    # a reset.
    for number, connection in enumerate(connections):
        if number % 2:
            connection.setsockopt(socket.SOL_SOCKET, socket.SO_LINGER, struct.pack("ii", 1, 0))
        connection.close()


def huge_request_line():
    """A request line of 1 MB is answered 413 as soon as it is too long,
    not left to the request's deadline; the answer comes before the
    connection's end, which the kernel keeps for the reader."""
    connection = socket.create_connection(("127.0.0.1", HTTP_PORT), timeout=TIMEOUT)
    started = time.monotonic()
    try:
        try:
            connection.sendall(b"GET /" + b"a" * (1 << 20) + b" HTTP/1.1\r\nHost: x\r\n\r\n")
        except (BrokenPipeError, ConnectionResetError):
            pass
        try:
            answer = connection.recv(65536)
        except ConnectionResetError:
            answer = b"(reset)"
        except socket.timeout:
            raise Failure("a 1 MB request line hangs the connection")
        expect(answer.startswith(b"HTTP/1.1 413 "), "a 1 MB request line: %r" % answer[:80])
    finally:
        connection.close()
    return time.monotonic() - started


def endless_body():
    """A body that never ends is cut off."""
    connection = socket.create_connection(("127.0.0.1", HTTP_PORT), timeout=TIMEOUT)
    started = time.monotonic()
    try:
        connection.sendall(b"PUT /relay/3/value HTTP/1.1\r\nHost: x\r\n"
                           b"Content-Length: 100000000000\r\n\r\n")
        chunk = b"1" * 4096
        while True:
            expect(time.monotonic() < started + TIMEOUT,
                   "a body that never ends is taken for ever")
            try:
                connection.sendall(chunk)
            except (BrokenPipeError, ConnectionResetError):
                return time.monotonic() - started
            except socket.timeout:
                raise Failure("a body that never ends leaves the connection hanging")
            # An answer (413) or the end: either way it is cut off.
            ready, _, _ = select.select([connection], [], [], 0)
            if ready:
                return time.monotonic() - started
    finally:
        connection.close()


def frames(buffer):
    """Whole server frames at the start of `buffer`: (opcode, payload)
    each, and what is left."""
    found = []
    while len(buffer) >= 2:
        opcode = buffer[0] & 0x0f
        length = buffer[1] & 0x7f
        at = 2
        if length == 126:
            if len(buffer) < 4:
                break
            length = struct.unpack(">H", buffer[2:4])[0]
            at = 4
        elif length == 127:
            if len(buffer) < 10:
                break
            length = struct.unpack(">Q", buffer[2:10])[0]
            at = 10
        if len(buffer) < at + length:
            break
        found.append((buffer[0] & 0x80, opcode, buffer[at:at + length]))
        buffer = buffer[at + length:]
    return found, buffer


class WebSocketClient:
    """The client side of a WebSocket, by hand: the handshake, then the
    server's text messages. A client that never reads takes in as little
    as the kernel lets it."""

    def __init__(self, reads, origin=None):
        self.connection = socket.socket()
        if not reads:
            self.connection.setsockopt(socket.SOL_SOCKET, socket.SO_RCVBUF, 4096)
        self.connection.settimeout(TIMEOUT)
        self.connection.connect(("127.0.0.1", HTTP_PORT))
        key = base64.b64encode(os.urandom(16))
        self.connection.sendall(
            b"GET /api/events HTTP/1.1\r\nHost: 127.0.0.1:%d\r\nUpgrade: websocket\r\n"
            b"Connection: Upgrade\r\nSec-WebSocket-Key: %s\r\nSec-WebSocket-Version: 13\r\n%s\r\n"
            % (HTTP_PORT, key, b"Origin: %s\r\n" % origin.encode() if origin else b""))
        self.buffer = b""
        while b"\r\n\r\n" not in self.buffer:
            chunk = self.connection.recv(4096)
            expect(chunk, "the WebSocket handshake was not answered")
            self.buffer += chunk
        head, _, self.buffer = self.buffer.partition(b"\r\n\r\n")
        expect(head.startswith(b"HTTP/1.1 101"), "the handshake: %r" % head[:60])
        self.messages = []
        self.partial = b""

    def read(self):
        """What has come, without waiting."""
        self.connection.setblocking(False)
        try:
            while True:
                chunk = self.connection.recv(1 << 16)
                if not chunk:
                    raise Failure("a reading WebSocket client was dropped")
                self.buffer += chunk
        except BlockingIOError:
            pass
        found, self.buffer = frames(self.buffer)
        for final, opcode, payload in found:
            if opcode in (1, 0):
                self.partial += payload
                if final:
                    self.messages.append(json.loads(self.partial))
                    self.partial = b""

    def until_closed(self):
        """The opcodes of the frames up to the connection's end."""
        self.connection.settimeout(TIMEOUT)
        while True:
            try:
                chunk = self.connection.recv(1 << 16)
            except socket.timeout:
                raise Failure("a WebSocket that should be closed stays open")
            if not chunk:
                return [opcode for _, opcode, _ in frames(self.buffer)[0]]
            self.buffer += chunk

    def latest(self):
        return self.messages[-1] if self.messages else None

    def close(self):
        self.connection.close()


def closed_relays(state):
    return {relay["relay"] for relay in state["relays"] if relay["closed"]}


def taken_again():
    """Whether the server takes a new connection again: the flood's are let
    go only as it hears of their end, which a busy machine may delay."""
    try:
        answer = raw_request(b"GET /relay/1/value HTTP/1.1\r\nHost: x\r\n\r\n")
    except OSError:
        return False
    return answer.startswith(b"HTTP/1.1 200 ")


def hostile_scenario(panel):
    trace_start = len(panel.trace_lines())
    flood()
    wait_for("the server to take connections again after the flood", taken_again)
    print("web: a 1 MB request line answered 413 in %.0f ms; a body that never ends cut off "
          "in %.0f ms" % (huge_request_line() * 1000, endless_body() * 1000))
    for path in (b"/..%2f..%2fetc/passwd", b"/%2e%2e/%2e%2e/etc/passwd",
                 b"/../../etc/passwd"):
        answer = raw_request(b"GET " + path + b" HTTP/1.1\r\nHost: x\r\n\r\n")
        expect(answer.startswith(b"HTTP/1.1 404") and b"root:" not in answer,
               "GET %s: %r" % (path.decode(), answer[:200]))
    expect(panel.switches(trace_start) == [],
           "hostile requests switched: %r" % panel.switches(trace_start))
    # A page of another site may not follow the card: closed at once.
    stranger = WebSocketClient(reads=True, origin="http://elsewhere.example")
    opcodes = stranger.until_closed()
    stranger.close()
    expect(opcodes == [8], "a page of another site's WebSocket had frames %r" % opcodes)

    # 64 pages at once, half of which never read, while a script switches
    # in bursts. The kernel of this namespace buffers little for a
    # connection (it would otherwise take megabytes for a page that never
    # reads), so that such pages fall behind within the bursts.
    with open(WMEM, encoding="ascii") as buffers:
        kernel_buffers = buffers.read()
    with open(WMEM, "w", encoding="ascii") as buffers:
        buffers.write("4096 16384 32768")
    try:
        many_pages(panel)
    finally:
        with open(WMEM, "w", encoding="ascii") as buffers:
            buffers.write(kernel_buffers)
    status, _, body = http("GET", "http://127.0.0.1:%d/" % HTTP_PORT)
    expect(status == 200 and b"Orbelan 5170" in body, "GET / afterwards: %d" % status)
    # The panel's own lines only, none of the toolkit's.
    strays = [line for line in panel.said().splitlines() if not line.startswith("qx5170fp: ")]
    expect(not strays, "the server's error output has lines not its own: %r" % strays)
    print("web: hostile clients left the card, the socket and the pages unharmed")


def many_pages(panel):
    """64 WebSocket clients, half of which never read, and SCPI bursts."""
    trace_start = len(panel.trace_lines())
    before = closed_relays(json.loads(http("GET", "http://127.0.0.1:%d/api/card"
                                           % HTTP_PORT)[2]))
    clients = [WebSocketClient(reads=number % 2 == 0) for number in range(64)]
    readers = clients[::2]
    scpi = Scpi()
    slowest = 0.0
    # Long enough for the pages that never read to fall behind.
    bursts = 0
    until = time.monotonic() + 3
    while bursts < 40 or time.monotonic() < until:
        bursts += 1
        started = time.monotonic()
        scpi.send("ROUT:CLOS (@17,19,21)")
        scpi.send("ROUT:OPEN (@17,19,21)")
        expect(scpi.ask("*IDN?") == IDENTITY, "*IDN? during the bursts")
        slowest = max(slowest, time.monotonic() - started)
        expect(slowest < 5, "*IDN? took %.1f s under 64 WebSocket clients" % slowest)
        for client in readers:
            client.read()
        # A script's pace, not a busy loop's: the machine is shared.
        time.sleep(0.002)
    expect(scpi.ask("ROUT:CLOS (@21);*OPC?") == "1", "the last ROUT:CLOS")
    wanted = before | {21}

    def all_caught_up():
        for client in readers:
            client.read()
        return all(client.latest() and closed_relays(client.latest()) == wanted
                   for client in readers)
    wait_for("the reading WebSocket clients to get the latest state", all_caught_up)
    print("web: 64 WebSocket clients, half never reading: %d bursts, slowest %.0f ms"
          % (bursts, slowest * 1000))
    for client in clients:
        client.close()
    scpi.close()
    # Pages come and go: those gone no longer count against the limit of
    # connections at once.
    for _ in range(140):
        client = WebSocketClient(reads=True)
        wait_for("the state on a new WebSocket", lambda: client.read() or client.latest())
        client.close()

    asked = [(relay, closed) for _ in range(bursts) for relay, closed in (
        (17, True), (19, True), (21, True), (17, False), (19, False), (21, False))] + [(21, True)]
    expect(panel.switches(trace_start) == asked,
           "the trace shows switching nobody asked for: %r"
           % [each for each in panel.switches(trace_start) if each[0] not in (17, 19, 21)])


# --- the runs --------------------------------------------------------------

def start_x(folder):
    """An X display of the namespace's own for the panel's window."""
    read_end, write_end = os.pipe()
    log = open(os.path.join(folder, "xvfb.log"), "wb")
    xvfb = subprocess.Popen(["Xvfb", "-displayfd", str(write_end), "-screen", "0",
                             "1280x1024x24", "-noreset", "-nolisten", "tcp"],
                            pass_fds=[write_end], stdout=subprocess.DEVNULL, stderr=log)
    os.close(write_end)
    number = b""
    deadline = time.monotonic() + TIMEOUT
    while not number.endswith(b"\n"):
        ready, _, _ = select.select([read_end], [], [], max(deadline - time.monotonic(), 0))
        expect(ready, "Xvfb did not say which display it took")
        chunk = os.read(read_end, 16)
        expect(chunk, "Xvfb ended before it took a display")
        number += chunk
    os.close(read_end)
    return xvfb, ":" + number.decode().strip()


def main(program):
    expect(os.environ.get("SFP_E2E_NAMESPACE") == os.readlink("/proc/self/ns/net"),
           "not in a network namespace of the test's own: run under in_namespace.sh")
    for path, package in (("/usr/bin/chromium", "chromium"),
                          ("/usr/bin/chromedriver", "chromium-driver"),
                          ("/usr/bin/lxi", "lxi-tools"), ("/usr/bin/Xvfb", "xvfb")):
        expect(os.path.exists(path), "%s is missing (Debian package %s; scripts/deps.sh "
               "installs it)" % (path, package))
    for module, package in (("selenium", "python3-selenium"), ("labgrid", "python3-labgrid")):
        try:
            __import__(module)
        except ImportError:
            raise Failure("Python's %s is missing (Debian package %s; scripts/deps.sh "
                          "installs it)" % (module, package))
    folder = tempfile.mkdtemp(prefix="sfp-web-")
    # An interface beyond the loopback, for the broadcast and for an
    # address that is not the loopback's.
    # (A veth pair: its far end has no address and answers nothing.)
    for command in (["ip", "link", "add", "sfplan", "type", "veth", "peer", "name", "sfpfar"],
                    ["ip", "link", "set", "sfpfar", "up"],
                    ["ip", "addr", "add", LAN_ADDRESS + "/24", "brd", "+", "dev", "sfplan"],
                    ["ip", "link", "set", "sfplan", "up"]):
        result = run(command)
        expect(result.returncode == 0, "%s: %s" % (" ".join(command), result.stderr))
    fixture = os.path.join(folder, "fixture.json")
    with open(fixture, "w", encoding="utf-8") as out:
        json.dump(FIXTURE, out)
    rpcbind = subprocess.Popen(["rpcbind", "-f"], stdout=subprocess.DEVNULL,
                               stderr=subprocess.DEVNULL)
    environment = {key: value for key, value in os.environ.items()
                   if key not in ("DISPLAY", "WAYLAND_DISPLAY", "QT_QPA_PLATFORM",
                                  "XDG_SESSION_TYPE")}
    panels = []
    driver = None
    xvfb = None
    try:
        wait_for("the port mapper", lambda: registrations() is not None)
        driver = browser(folder)

        # Without a window, on every address of the namespace.
        headless = Panel(program, folder, "headless", [
            "--headless", "--fixture", fixture, "--listen", "0.0.0.0:%d" % SCPI_PORT,
            "--http", "0.0.0.0:%d" % HTTP_PORT, "--allow", "any"], environment)
        panels.append(headless)
        headless.wait_serving()
        browser_scenario(driver, headless, "--headless")
        labgrid_scenario(headless, folder)
        identification_scenario(headless)
        hostile_scenario(headless)
        headless.stop()
        # The browser's page lost its server: it says so.
        wait_for("the page to say the connection is lost", lambda: driver.find_element(
            "id", "connection").text.startswith("Connection lost"))

        # With its window, on an X display of the test's own.
        xvfb, display = start_x(folder)
        windowed_environment = dict(environment, DISPLAY=display, QT_QPA_PLATFORM="xcb")
        windowed = Panel(program, folder, "window", [
            "--fixture", fixture, "--listen", "127.0.0.1:%d" % SCPI_PORT,
            "--http", "127.0.0.1:%d" % HTTP_PORT], windowed_environment)
        panels.append(windowed)
        windowed.wait_serving()
        # The page of the ended server finds the new one by itself.
        wait_for("the page to reconnect", lambda: driver.find_element(
            "id", "connection").text == "Connected")
        browser_scenario(driver, windowed, "window")
        windowed.stop()
        return 0
    except Failure:
        for panel in panels:
            print("--- %s said:\n%s" % (panel.name, panel.said()), file=sys.stderr)
        raise
    finally:
        if driver is not None:
            driver.quit()
        for panel in panels:
            if panel.process.poll() is None:
                panel.process.kill()
                panel.process.wait()
        for process in (xvfb, rpcbind):
            if process is not None:
                process.terminate()
                process.wait()
        shutil.rmtree(folder, ignore_errors=True)


if __name__ == "__main__":
    try:
        sys.exit(main(sys.argv[1]))
    except Failure as failure:
        print("web: FAILED: %s" % failure, file=sys.stderr)
        sys.exit(1)
