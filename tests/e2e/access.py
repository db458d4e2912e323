#!/usr/bin/python3
# SPDX-FileCopyrightText: 2026 Tarvex
# SPDX-License-Identifier: MIT
"""Who may switch: the panel on one host of a network of the test's own,
an engineer's host beside it with two IPv4 and two IPv6 addresses, one of
each allowed (--allow) and one not. The allowed address switches through
the socket, VXI-11 (PyVISA with pyvisa-py, lxi-tools) and reads over
HTTP; the other is refused on each, nothing it sends reaches the card
(the driver's trace does not grow), and the admin's line and the
switching log name it. Then web changes from the subnet behind a
password over HTTPS (`--set-password`, a certificate made with openssl),
refused over plain HTTP. Last every address (`[::]`) with IPv4 and IPv6
clients, with `any` and with a list.

    access.py --program PATH

Exit status 0 when it passed, 1 when it failed, 77 when skipped (no
right to make network namespaces).
"""

import glob
import json
import os
import subprocess
import sys

sys.path.insert(0, os.path.dirname(os.path.abspath(__file__)))
from discovery import (IDENTITY, SKIPPED, Failure, Network, expect, main_of,  # noqa: E402
                       panel_answers, run, stop_panel, wait_for)

ALLOWED = "10.201.77.2"
STRANGER = "10.201.77.3"
SERVER6 = "fd77::1"
ALLOWED6 = "fd77::2"
STRANGER6 = "fd77::3"

# A client's exchange on the engineer's host, as JSON on standard output.
SOCKET_CLIENT = r"""
import json, socket, sys
host, port, lines = sys.argv[1], int(sys.argv[2]), sys.argv[3:]
try:
    connection = socket.create_connection((host, port), timeout=20)
except OSError as error:
    print(json.dumps({"answers": [], "rest": "error: %s" % error}))
    sys.exit(0)
answers = []
stream = connection.makefile("rb")
for line in lines:
    try:
        connection.sendall(line.encode() + b"\n")
    except OSError:
        break
    if line.endswith("?") or "?" in line.split()[0]:
        answers.append(stream.readline().decode().strip())
# What a refused client still reads before the end of its connection.
rest = None
if any(answer.startswith("-203") for answer in answers):
    connection.settimeout(10)
    try:
        rest = stream.read().decode()
    except OSError as error:
        rest = "error: %s" % error
print(json.dumps({"answers": answers, "rest": rest}))
"""

VISA_CLIENT = r"""
import json, sys, pyvisa
manager = pyvisa.ResourceManager("@py")
try:
    card = manager.open_resource("TCPIP::%s::INSTR" % sys.argv[1], open_timeout=20000)
    card.timeout = 20000
    answers = [card.query(line) if "?" in line else str(card.write(line)) for line in sys.argv[2:]]
    card.close()
    print(json.dumps({"answers": answers}))
except Exception as error:
    print(json.dumps({"error": "%s: %s" % (type(error).__name__, error)}))
"""

# HTTP_CLIENT URL [METHOD BODY [USER:PASSWORD]]; HTTPS without checking
# the certificate (the test's own).
HTTP_CLIENT = r"""
import base64, json, ssl, sys, urllib.error, urllib.request
url = sys.argv[1]
method = sys.argv[2] if len(sys.argv) > 2 else "GET"
body = sys.argv[3].encode() if len(sys.argv) > 3 else None
request = urllib.request.Request(url, data=body, method=method)
if len(sys.argv) > 4:
    request.add_header("Authorization", "Basic " + base64.b64encode(sys.argv[4].encode()).decode())
context = ssl._create_unverified_context()
try:
    with urllib.request.urlopen(request, timeout=20, context=context) as answer:
        print(json.dumps({"status": answer.status, "body": answer.read().decode()}))
except urllib.error.HTTPError as error:
    print(json.dumps({"status": error.code, "body": error.read().decode()}))
except Exception as error:
    print(json.dumps({"status": 0, "body": "%s: %s" % (type(error).__name__, error)}))
"""


class Engineer:
    """The engineer's host, whose clients leave from the address chosen."""

    def __init__(self, network):
        self.network = network
        for address in (STRANGER + "/24", ALLOWED6 + "/64", STRANGER6 + "/64"):
            run(["ip", "-n", network.client, "addr", "add", address, "dev",
                 network.client_interface, "nodad"])
        run(["ip", "-n", network.server, "addr", "add", SERVER6 + "/64", "dev",
             network.server_interface, "nodad"])

    def leave_from(self, ipv4, ipv6):
        """The addresses the engineer's clients leave from from now on."""
        run(["ip", "-n", self.network.client, "route", "replace", "10.201.77.0/24", "dev",
             self.network.client_interface, "src", ipv4])
        # The kernel's own IPv6 route has metric 256: replaced, not joined.
        run(["ip", "-n", self.network.client, "-6", "route", "replace", "fd77::/64", "dev",
             self.network.client_interface, "src", ipv6, "metric", "256"])

    def python(self, script, *arguments):
        result = self.network.on_client([sys.executable, "-c", script] + list(arguments),
                                        services="")
        try:
            return json.loads(result.stdout.strip().splitlines()[-1])
        except (ValueError, IndexError):
            raise Failure("a client on the engineer's host failed:\n" + result.stdout)

    def lxi(self, command):
        return self.network.on_client(["lxi", "scpi", "-a", self.network.server_address,
                                       "--timeout", "20", command], services="").stdout


def switched(path, relays):
    """The trace's driver calls that switch any of the relays."""
    if not os.path.exists(path):
        return []
    with open(path) as text:
        return [line for line in text if line.startswith("qx5170_switchRelay(")
                and int(line.split(",")[1]) in relays]


def log_lines(folder):
    lines = []
    for path in glob.glob(os.path.join(folder, "home", ".local", "state", "**",
                                       "switching.jsonl"), recursive=True):
        with open(path) as text:
            lines += [json.loads(line) for line in text if line.strip()]
    return lines


def one_address(program, network, engineer, folder):
    trace = os.path.join(folder, "trace.txt")
    panel, log = network.start_panel(
        program, "rpcbind", allow=ALLOWED,
        more=["--http", "%s:8080" % network.server_address],
        more_environment={"SFP_SIM_TRACE": trace})
    try:
        wait_for("registration with the port mapper", lambda: panel_answers(network))
        server = network.server_address

        # The allowed address switches through every face.
        engineer.leave_from(ALLOWED, ALLOWED6)
        answer = engineer.python(SOCKET_CLIENT, server, "5025", "ROUT:CLOS (@1)",
                                 "ROUT:CLOS? (@1)")
        expect(answer["answers"] == ["1"], "the socket did not switch: %s" % answer)
        answer = engineer.python(VISA_CLIENT, server, "*IDN?", "ROUT:CLOS (@2)",
                                 "ROUT:CLOS? (@2)")
        expect(answer.get("answers", [None])[0].strip() == IDENTITY
               and answer["answers"][2].strip() == "1",
               "PyVISA over VXI-11 did not switch: %s" % answer)
        expect(IDENTITY in engineer.lxi("*IDN?"), "lxi scpi did not reach the panel")
        answer = engineer.python(HTTP_CLIENT, "http://%s:8080/relay/2/value" % server)
        expect(answer == {"status": 200, "body": "1"}, "HTTP did not read: %s" % answer)

        # The other is refused on each, and nothing it sends reaches the card.
        wait_for("the trace", lambda: switched(trace, (1, 2)))
        engineer.leave_from(STRANGER, STRANGER6)
        answer = engineer.python(SOCKET_CLIENT, server, "5025", "ROUT:CLOS (@5)", "*IDN?")
        expect(answer["answers"] == ['-203,"Command protected;not allowed from %s"' % STRANGER]
               and answer["rest"] == "",
               "the socket did not refuse the stranger: %s" % answer)
        answer = engineer.python(VISA_CLIENT, server, "ROUT:CLOS (@6)")
        expect("error" in answer, "PyVISA made a link from the stranger: %s" % answer)
        expect(IDENTITY not in engineer.lxi("*IDN?"), "lxi scpi reached the panel from the "
               "stranger")
        answer = engineer.python(HTTP_CLIENT, "http://%s:8080/relay/1/value" % server)
        expect(answer == {"status": 403, "body": "not allowed from %s\n" % STRANGER},
               "HTTP did not refuse the stranger: %s" % answer)

        engineer.leave_from(ALLOWED, ALLOWED6)
        answer = engineer.python(SOCKET_CLIENT, server, "5025", "ROUT:CLOS? (@1:6)")
        expect(answer["answers"] == ["1,1,0,0,0,0"], "the relays changed: %s" % answer)
        expect(switched(trace, (3, 4, 5, 6)) == [], "the stranger reached the driver: %s"
               % switched(trace, (3, 4, 5, 6)))

        # The admin reads it, and the switching log keeps each face's refusal.
        def refusals():
            found = {entry["source"] for entry in log_lines(folder)
                     if entry.get("reason") == "not allowed from %s" % STRANGER}
            return found == {"socket " + STRANGER, "vxi11 " + STRANGER, "web " + STRANGER}
        wait_for("the refusals in the switching log", refusals)
    finally:
        status = stop_panel(panel)
    expect(status == 0, "the panel ended with status %s" % status)
    with open(log) as text:
        said = text.read()
    expect("a client at %s:" % STRANGER in said
           and "is refused: its address is not allowed (--allow)" in said,
           "the admin was not told:\n" + said)


def behind_a_password(program, network, engineer, folder):
    """Web changes from the lab's subnet, with the password over HTTPS."""
    key = os.path.join(folder, "key.pem")
    certificate = os.path.join(folder, "certificate.pem")
    run(["openssl", "req", "-x509", "-newkey", "ec", "-pkeyopt", "ec_paramgen_curve:P-256",
         "-nodes", "-days", "1", "-subj", "/CN=sfp-panel", "-keyout", key, "-out", certificate])
    os.chmod(key, 0o600)
    hashed = os.path.join(folder, "web.hash")
    written = subprocess.run([program, "--set-password", hashed], input="s3cret-Relay\n",
                             capture_output=True, text=True, timeout=60)
    expect(written.returncode == 0, "--set-password failed: %s" % written.stderr)
    with open(hashed) as text:
        content = text.read()
    expect(content.startswith("$y$") and "s3cret" not in content
           and os.stat(hashed).st_mode & 0o777 == 0o600,
           "the password file is not a private yescrypt hash: %r" % content)
    server = network.server_address
    panel, log = network.start_panel(
        program, "", allow="10.201.77.0/24",
        more=["--http", "%s:8443" % server, "--http-certificate", certificate, "--http-key", key,
              "--password-file", hashed])
    try:
        url = "https://%s:8443/relay/3/value" % server
        engineer.leave_from(ALLOWED, ALLOWED6)
        # 503 until the card is connected.
        answer = wait_for("the web face", lambda: engineer.python(HTTP_CLIENT, url)["status"]
                          not in (0, 503) and engineer.python(HTTP_CLIENT, url))
        expect(answer == {"status": 200, "body": "0"}, "HTTPS did not read: %s" % answer)
        for credentials, status in ((None, 401), ("alice:guess", 401),
                                    ("alice:s3cret-Relay", 200)):
            answer = engineer.python(HTTP_CLIENT, url, "PUT", "1",
                                     *([credentials] if credentials else []))
            expect(answer["status"] == status, "PUT with %s: %s" % (credentials, answer))
        expect(answer["body"] == "1", "relay 3 did not close: %s" % answer)
        # Five wrong guesses within a minute: every request from there is
        # held, the right password too; the subnet's other address is not.
        for _ in range(4):
            engineer.python(HTTP_CLIENT, url, "PUT", "0", "alice:guess")
        answer = engineer.python(HTTP_CLIENT, url, "PUT", "0", "alice:s3cret-Relay")
        expect(answer["status"] == 429, "the guesser was not held: %s" % answer)
        engineer.leave_from(STRANGER, STRANGER6)
        answer = engineer.python(HTTP_CLIENT, url, "PUT", "0", "bob:s3cret-Relay")
        expect(answer == {"status": 200, "body": "0"}, "another address was held: %s" % answer)

        def named():
            sources = {entry["source"].split(" ")[0] + " " + entry["source"].split(" ")[-1]
                       for entry in log_lines(folder) if entry.get("relay") == 3
                       and entry.get("event") != "refusal"}
            return {"web alice", "web bob"} <= sources
        wait_for("the user names in the switching log", named)
    finally:
        stop_panel(panel)
    # Over plain HTTP the password is never taken beyond the loopback.
    panel, _ = network.start_panel(
        program, "", allow="10.201.77.0/24",
        more=["--http", "%s:8080" % server, "--password-file", hashed])
    try:
        url = "http://%s:8080/relay/3/value" % server
        wait_for("the web face", lambda: engineer.python(HTTP_CLIENT, url)["status"]
                 not in (0, 503))
        answer = engineer.python(HTTP_CLIENT, url, "PUT", "1", "alice:s3cret-Relay")
        expect(answer["status"] == 403 and "HTTPS" in answer["body"],
               "a change over plain HTTP was not refused: %s" % answer)
    finally:
        stop_panel(panel)


def every_address(program, network, engineer):
    # [::] with `any`: IPv4 and IPv6 clients, from any of their addresses.
    for allow, allowed, refused in (
            ("any", (STRANGER, STRANGER6), ()),
            ("%s,%s" % (ALLOWED, ALLOWED6), (ALLOWED, ALLOWED6), (STRANGER, STRANGER6))):
        panel, _ = network.start_panel(program, "", allow=allow, listen="[::]:5025")
        try:
            for source in allowed + refused:
                ipv6 = ":" in source
                engineer.leave_from(source if not ipv6 else ALLOWED, source if ipv6 else ALLOWED6)
                target = SERVER6 if ipv6 else network.server_address
                answer = wait_for("the panel", lambda: engineer.python(
                    SOCKET_CLIENT, target, "5025", "*IDN?")["answers"])
                expected = IDENTITY if source in allowed else \
                    '-203,"Command protected;not allowed from %s"' % source
                expect(answer == [expected], "--allow %s, client %s: %s" % (allow, source, answer))
        finally:
            stop_panel(panel)


def scenario(program, folder):
    network = Network(folder)
    try:
        if not network.make():
            return SKIPPED
        engineer = Engineer(network)
        one_address(program, network, engineer, folder)
        behind_a_password(program, network, engineer, folder)
        every_address(program, network, engineer)
    finally:
        network.remove()
    print("access: passed")
    return 0


if __name__ == "__main__":
    sys.exit(main_of("access", scenario))
