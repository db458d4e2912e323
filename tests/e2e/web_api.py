#!/usr/bin/env python3
# SPDX-FileCopyrightText: 2026 Tarvex
# SPDX-License-Identifier: MIT
"""The web face against its OpenAPI document (docs/openapi.yaml):
`qx5170fp --headless` on the simulated card with a fixture (a mutual rule,
labels, a description), its web face and socket on loopback. Every path and
method of the document answers with a status the document lists and a body
its schema takes; the methods it does not list answer 405 naming exactly
those it does, the paths it does not list 404. Then what the document
promises of the card: a rule's refusal (409, the SCPI error -221), the
remote lock taken over the socket (423), a foreign Origin (403), a body of
the wrong type (415), the modes with update and trigger, and the switching
log naming each change's web client.

Runs in a network and mount namespace of its own (in_namespace.sh), so that
the panel meets no port mapper but its own namespace's (none).

    in_namespace.sh web_api.py PROGRAM OPENAPI.yaml
"""

import base64
import copy
import http.client
import json
import os
import shutil
import socket
import subprocess
import sys
import tempfile
import time

import jsonschema
import yaml

TIMEOUT = 30
CARD = "VXI0::1::INSTR/FC2"
METHODS = ["GET", "HEAD", "PUT", "POST", "DELETE", "PATCH", "OPTIONS"]
FIXTURE = {
    "description": "Bench 3 power",
    "labels": {"1": "PSU rail", "2": "GND", "9": "DUT reset"},
    "rules": [{"name": "rail or ground", "mutual": [1, 2]}],
}


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


def free_port():
    with socket.socket() as probe:
        probe.bind(("127.0.0.1", 0))
        return probe.getsockname()[1]


class Document:
    """The OpenAPI document, its references resolved."""

    def __init__(self, path):
        with open(path, encoding="utf-8") as text:
            self.raw = yaml.safe_load(text)
        expect(self.raw["openapi"].startswith("3.0."), "not an OpenAPI 3.0 document")
        self.paths = self.resolve(self.raw["paths"])

    def resolve(self, node):
        if isinstance(node, dict):
            if "$ref" in node:
                target = self.raw
                for part in node["$ref"].lstrip("#/").split("/"):
                    target = target[part]
                return self.resolve(copy.deepcopy(target))
            return {key: self.resolve(value) for key, value in node.items()}
        if isinstance(node, list):
            return [self.resolve(item) for item in node]
        return node

    def methods(self, path):
        return sorted(key.upper() for key in self.paths[path] if key.upper() in METHODS)

    def schema(self, name):
        return self.resolve(self.raw["components"]["schemas"][name])


class Answer:
    def __init__(self, status, headers, body, client_port):
        self.status = status
        self.headers = headers
        self.body = body
        self.client_port = client_port

    def header(self, name):
        return self.headers.get(name.lower())

    def json(self):
        return json.loads(self.body)


class Server:
    def __init__(self, http_port, document):
        self.port = http_port
        self.document = document

    def ask(self, method, path, body=None, headers=None):
        connection = http.client.HTTPConnection("127.0.0.1", self.port, timeout=TIMEOUT)
        try:
            connection.request(method, path, body=body, headers=headers or {})
            client_port = connection.sock.getsockname()[1]
            response = connection.getresponse()
            data = response.read()
            fields = {name.lower(): value for name, value in response.getheaders()}
            return Answer(response.status, fields, data, client_port)
        finally:
            connection.close()

    def call(self, template, method, path=None, body=None, headers=None):
        """A request on a documented path, its answer checked against the
        document."""
        answer = self.ask(method, path or template, body, headers)
        self.conforms(template, method, answer)
        return answer

    def json(self, template, method, document, path=None, headers=None):
        fields = {"Content-Type": "application/json"}
        fields.update(headers or {})
        return self.call(template, method, path, json.dumps(document).encode(), fields)

    def conforms(self, template, method, answer):
        operation = self.document.paths[template][method.lower()]
        where = "%s %s answered %d" % (method, template, answer.status)
        responses = operation["responses"]
        expect(str(answer.status) in responses, where + ", which the document does not list")
        described = responses[str(answer.status)]
        for name, header in described.get("headers", {}).items():
            if header.get("required"):
                expect(answer.header(name) is not None, where + " without " + name)
        self.body_conforms(described, answer, where)

    @staticmethod
    def body_conforms(described, answer, where):
        content = described.get("content")
        if not content:
            expect(answer.body == b"", where + " with a body the document has none for")
            return
        media = (answer.header("content-type") or "").split(";")[0].strip()
        expect(media in content, where + " with %r, not one of %r" % (media, list(content)))
        schema = content[media].get("schema")
        if schema is None:
            return
        if media == "application/json":
            instance = json.loads(answer.body)
        else:
            instance = answer.body.decode("utf-8")
        try:
            jsonschema.Draft4Validator(schema).validate(instance)
        except jsonschema.ValidationError as error:
            raise Failure("%s with a body its schema refuses: %s\n%s"
                          % (where, error.message, answer.body[:400])) from error


def websocket_first_frame(port, path):
    """A WebSocket handshake by hand and the first frame: the status, the
    frame's first byte (0x81 a whole text message, 0x88 a close) and its
    payload (None when the status is not 101)."""
    key = base64.b64encode(os.urandom(16)).decode()
    with socket.create_connection(("127.0.0.1", port), timeout=TIMEOUT) as connection:
        connection.sendall(("GET %s HTTP/1.1\r\nHost: 127.0.0.1:%d\r\nUpgrade: websocket\r\n"
                            "Connection: Upgrade\r\nSec-WebSocket-Key: %s\r\n"
                            "Sec-WebSocket-Version: 13\r\n\r\n" % (path, port, key)).encode())
        received = b""
        while b"\r\n\r\n" not in received:
            chunk = connection.recv(4096)
            expect(chunk, "the WebSocket handshake ended early")
            received += chunk
        head, _, rest = received.partition(b"\r\n\r\n")
        status = int(head.split(b" ")[1])
        if status != 101:
            return status, None, None

        def take(count):
            nonlocal rest
            while len(rest) < count:
                chunk = connection.recv(65536)
                expect(chunk, "the WebSocket connection ended before its first message")
                rest += chunk
            data, rest = rest[:count], rest[count:]
            return data

        first, second = take(2)
        expect(second & 0x80 == 0, "the server masks its frames")
        length = second & 0x7F
        if length == 126:
            length = int.from_bytes(take(2), "big")
        elif length == 127:
            length = int.from_bytes(take(8), "big")
        return status, first, take(length)


def check_document_paths(server, document, http_port):
    """Every documented path and method, as a client would use it."""
    examples = {
        ("/api/relays", "POST"): {"close": [3]},
        ("/api/mode", "PUT"): {"mode": "asynchronous"},
        ("/api/exclusive", "PUT"): {"exclusive": False},
    }
    for template in document.paths:
        path = template.replace("{n}", "7")
        for method in document.methods(template):
            if (template, method) in examples:
                answer = server.json(template, method, examples[(template, method)], path)
            elif template == "/relay/{n}/value" and method == "PUT":
                answer = server.call(template, method, path, b"1")
            else:
                answer = server.call(template, method, path)
            expect(answer.status in (200, 409, 426),
                   "%s %s answered %d" % (method, path, answer.status))
    # Only the update and trigger that the asynchronous mode takes none of
    # are refused.
    expect(server.call("/api/update", "POST").status == 409, "an update in asynchronous mode")
    expect(server.call("/api/trigger", "POST").status == 409, "a trigger in asynchronous mode")

    events = server.call("/api/events", "GET")
    expect(events.status == 426 and events.header("upgrade") == "websocket",
           "/api/events without an upgrade: %d %r" % (events.status, events.header("upgrade")))
    status, kind, payload = websocket_first_frame(http_port, "/api/events")
    expect(status == 101, "the WebSocket upgrade answered %d" % status)
    expect(kind == 0x81, "the first frame is not one whole text message: %#x" % kind)
    state = json.loads(payload)
    jsonschema.Draft4Validator(document.schema("Card")).validate(state)
    expect(state["relays"][2]["closed"] and state["relays"][6]["closed"],
           "the WebSocket's first state lacks relays 3 and 7")

    # Nothing is sent on any other path: closed at once as a policy's breach.
    # Pages that come and go, on both paths: the server keeps serving.
    for _ in range(10):
        status, kind, payload = websocket_first_frame(http_port, "/api/card")
        expect(status == 101 and kind == 0x88 and payload[:2] == (1008).to_bytes(2, "big"),
               "a WebSocket on /api/card: %d %r %r" % (status, kind, payload))
        status, kind, payload = websocket_first_frame(http_port, "/api/events")
        expect(status == 101 and kind == 0x81, "a WebSocket on /api/events again: %d %r"
               % (status, kind))

    card = server.call("/api/card", "GET").json()
    expect(card["card"] == CARD and not card["demo"], "the card: %r" % card["card"])
    expect(card["description"] == "Bench 3 power", "the description: %r" % card["description"])
    expect([relay["label"] for relay in card["relays"][:3]] == ["PSU rail", "GND", ""]
           and card["relays"][8]["label"] == "DUT reset", "the labels")
    expect(card["rules"] == [{"name": "rail or ground", "kind": "mutual", "relays": [1, 2]}],
           "the rules: %r" % card["rules"])
    expect([relay["relay"] for relay in card["relays"]] == list(range(1, 33))
           and card["relays"][9]["pair"] == 5 and card["relays"][9]["side"] == "B",
           "the relays' numbering")
    expect(all(relay["wear"] == "fresh" for relay in card["relays"])
           and card["relays"][6]["closings"] == 1, "the wear counts")
    expect(server.call("/relay/{n}/value", "GET", "/relay/7/value").body == b"1",
           "relay 7 after its PUT")


def check_methods_and_paths(server, document):
    """405 with Allow for the methods a path does not take, 404 for the
    paths not given."""
    error = document.schema("Error")
    for template in document.paths:
        path = template.replace("{n}", "12")
        allowed = document.methods(template)
        for method in METHODS:
            if method in allowed:
                continue
            answer = server.ask(method, path, b"1" if method in ("PUT", "POST", "PATCH") else None)
            where = "%s %s" % (method, path)
            if method == "HEAD" and "GET" in allowed:
                # GET's answer without its body.
                get = server.ask("GET", path)
                expect(answer.status == get.status and answer.body == b""
                       and answer.header("content-type") == get.header("content-type")
                       and answer.header("content-length") == str(len(get.body)),
                       "%s answered %d %r, GET %d %r" % (where, answer.status, answer.headers,
                                                         get.status, get.headers))
                continue
            expect(answer.status == 405, "%s answered %d, not 405" % (where, answer.status))
            named = sorted(word.strip() for word in (answer.header("allow") or "").split(","))
            expect(named == allowed, "%s: Allow names %r, not %r" % (where, named, allowed))
            if method != "HEAD":
                jsonschema.Draft4Validator(error).validate(answer.json())
    for path in ["/nothing", "/api", "/api/card/", "/api/relay", "/panel.html", "/relay",
                 "/relay/33/value", "/relay/0/value", "/relay/007/value", "/relay/x/value",
                 "/relay/7", "/relay/7/value/", "/lxi", "/%2e%2e/%2e%2e/etc/passwd",
                 "/web/panel.js", "/RELAY/7/VALUE"]:
        for method in ("GET", "PUT"):
            answer = server.ask(method, path, b"1" if method == "PUT" else None)
            expect(answer.status == 404, "%s %s answered %d, not 404"
                   % (method, path, answer.status))
            jsonschema.Draft4Validator(error).validate(answer.json())
    expect(server.call("/relay/{n}/value", "GET", "/relay/12/value").body == b"0",
           "a refused method switched relay 12")
    # Answers without a body keep a kept-alive connection in step.
    connection = http.client.HTTPConnection("127.0.0.1", server.port, timeout=TIMEOUT)
    try:
        for method, path, status in [("HEAD", "/api/card", 200), ("HEAD", "/api/mode", 405),
                                     ("HEAD", "/nothing", 404), ("GET", "/relay/12/value", 200)]:
            connection.request(method, path)
            response = connection.getresponse()
            body = response.read()
            expect(response.status == status, "%s %s on a kept connection answered %d"
                   % (method, path, response.status))
        expect(body == b"0", "GET after HEADs on one connection read %r" % body)
    except http.client.HTTPException as error:
        raise Failure("HEAD put the kept connection out of step: %r" % error) from error
    finally:
        connection.close()


def scpi_error(answer, expected):
    body = answer.json()
    expect(body.get("scpiError", "").startswith(expected),
           "the SCPI error %r does not begin with %r" % (body.get("scpiError"), expected))
    return body


def check_refusals(server, socket_port):
    """The rule, the lock, another site, the wrong media type."""
    relay = "/relay/{n}/value"
    expect(server.call(relay, "PUT", "/relay/1/value", b"1").body == b"1", "closing relay 1")
    refused = server.call(relay, "PUT", "/relay/2/value", b"1")
    expect(refused.status == 409, "the rule's refusal answered %d" % refused.status)
    body = scpi_error(refused, '-221,"Settings conflict;')
    expect("rail or ground" in body["error"] and "rail or ground" in body["scpiError"],
           "the refusal does not name the rule: %r" % body)
    together = server.json("/api/relays", "POST", {"close": [2]})
    expect(together.status == 409, "a list that breaks the rule answered %d" % together.status)
    scpi_error(together, '-221,"Settings conflict;')
    expect(server.call(relay, "GET", "/relay/2/value").body == b"0", "relay 2 closed anyway")
    # Refused whole: what the list opens stays closed too.
    expect(server.call(relay, "PUT", "/relay/3/value", b"1").status == 200, "closing relay 3")
    whole = server.json("/api/relays", "POST", {"open": [3], "close": [2]})
    expect(whole.status == 409, "a list that breaks the rule answered %d" % whole.status)
    expect(server.call(relay, "GET", "/relay/3/value").body == b"1",
           "a refused list opened relay 3")
    # Judged whole: relay 1 opens in the change that closes relay 2.
    card = server.json("/api/relays", "POST", {"open": [1, 3], "close": [2]}).json()
    closed = [entry["relay"] for entry in card["relays"] if entry["closed"]]
    expect(2 in closed and 1 not in closed and 3 not in closed, "the whole change left %r" % closed)
    card = server.json("/api/relays", "POST", {"open": [2], "close": [1]}).json()
    expect(card["relays"][0]["closed"] and not card["relays"][1]["closed"], "back to relay 1")

    for document, why in [({"close": [33]}, "relay 33"), ({"close": [1.5]}, "a fraction"),
                          ({"open": [4], "close": [4]}, "both ways"), ({"shut": [4]}, "a field"),
                          ({"openAll": 1}, "openAll a number"), ([4], "an array")]:
        answer = server.json("/api/relays", "POST", document)
        expect(answer.status == 400, "%s answered %d, not 400" % (why, answer.status))
    for body in (b"2", b"on", b"", b"10"):
        answer = server.call(relay, "PUT", "/relay/4/value", body)
        expect(answer.status == 400, "PUT %r answered %d, not 400" % (body, answer.status))
    bad_json = server.call("/api/mode", "PUT", None, b"{mode",
                           {"Content-Type": "application/json"})
    expect(bad_json.status == 400, "malformed JSON answered %d" % bad_json.status)
    bad_mode = server.json("/api/mode", "PUT", {"mode": "fast"})
    expect(bad_mode.status == 400, "an unknown mode answered %d" % bad_mode.status)

    # A body of another type than JSON, whatever it holds.
    for template, method, document in [("/api/relays", "POST", {"close": [4]}),
                                       ("/api/mode", "PUT", {"mode": "sync-command"}),
                                       ("/api/exclusive", "PUT", {"exclusive": True})]:
        for fields in ({"Content-Type": "text/plain"}, {}):
            answer = server.call(template, method, None, json.dumps(document).encode(), fields)
            expect(answer.status == 415, "%s %s with %r answered %d, not 415"
                   % (method, template, fields, answer.status))
    expect(server.call(relay, "GET", "/relay/4/value").body == b"0", "relay 4 switched")

    # A page of another site asks; the panel's own page may.
    for origin in ("http://evil.example", "null", "http://127.0.0.1:%d.evil" % server.port):
        answer = server.call(relay, "PUT", "/relay/5/value", b"1", {"Origin": origin})
        expect(answer.status == 403, "Origin %s answered %d, not 403" % (origin, answer.status))
        answer = server.json("/api/exclusive", "PUT", {"exclusive": True}, None,
                             {"Origin": origin})
        expect(answer.status == 403, "Origin %s answered %d, not 403" % (origin, answer.status))
    expect(server.call(relay, "GET", "/relay/5/value").body == b"0", "relay 5 switched")
    own = "http://127.0.0.1:%d" % server.port
    expect(server.call(relay, "PUT", "/relay/5/value", b"1", {"Origin": own}).status == 200,
           "the panel's own origin refused")

    # The lock, held over the socket.
    with socket.create_connection(("127.0.0.1", socket_port), timeout=TIMEOUT) as scpi:
        lines = scpi.makefile("rwb", buffering=0)
        lines.write(b"SYST:RWL;*OPC?\n")
        expect(lines.readline() == b"1\n", "SYST:RWL over the socket")
        holder = "socket 127.0.0.1:%d" % scpi.getsockname()[1]
        expect(server.call("/api/card", "GET").json()["lockHolder"] == holder,
               "the lock's holder is not %s" % holder)
        for template, method, path, body, fields in [
                (relay, "PUT", "/relay/6/value", b"1", {}),
                ("/api/relays", "POST", None, b'{"open":[5]}', {"Content-Type": "application/json"}),
                ("/api/mode", "PUT", None, b'{"mode":"sync-trigger"}',
                 {"Content-Type": "application/json"}),
                ("/api/exclusive", "PUT", None, b'{"exclusive":true}',
                 {"Content-Type": "application/json"}),
                ("/api/update", "POST", None, None, {})]:
            answer = server.call(template, method, path, body, fields)
            expect(answer.status == 423, "%s %s under the lock answered %d, not 423"
                   % (method, path or template, answer.status))
            scpi_error(answer, '-221,"Settings conflict;')
        card = server.call("/api/card", "GET").json()
        expect(card["mode"] == "asynchronous" and not card["exclusive"]
               and not card["relays"][5]["closed"] and card["relays"][4]["closed"],
               "a change went through the lock")
        lines.write(b"SYST:LOC;*OPC?\n")
        expect(lines.readline() == b"1\n", "SYST:LOC over the socket")
    expect(server.call("/api/card", "GET").json()["lockHolder"] == "", "the lock stays")
    answer = server.call(relay, "PUT", "/relay/6/value", b"1")
    expect(answer.status == 200 and answer.body == b"1", "relay 6 after the lock")


def check_modes(server, trace):
    """Mode, exclusive rule, update and trigger."""
    relay = "/relay/{n}/value"
    card = server.json("/api/mode", "PUT", {"mode": "sync-command"}).json()
    expect(card["mode"] == "sync-command" and card["modeTitle"] == "Sync. Command",
           "the mode: %r" % card["mode"])
    with open(trace, encoding="utf-8") as calls:
        before = len(calls.read())
    expect(server.call(relay, "PUT", "/relay/9/value", b"1").status == 200, "relay 9")
    card = server.call("/api/card", "GET").json()
    expect(card["waiting"] == [9] and not card["synchronized"],
           "waiting: %r, synchronized %r" % (card["waiting"], card["synchronized"]))
    refused = server.call("/api/trigger", "POST")
    expect(refused.status == 409, "a trigger in Sync. Command answered %d" % refused.status)
    scpi_error(refused, '-221,"Settings conflict;')
    card = server.call("/api/update", "POST", None, b"{}",
                       {"Content-Type": "application/json"}).json()
    expect(card["waiting"] == [] and card["synchronized"] and card["relays"][8]["closed"],
           "the update left %r" % card["waiting"])
    with open(trace, encoding="utf-8") as calls:
        applied = calls.read()[before:]
    expect("card VXI0::1::INSTR FC2 relay 9 on" in applied, "the update did not reach the card")
    expect(server.call("/api/update", "POST", None, b'{"now":1}').status == 400,
           "an update with a body")

    card = server.json("/api/mode", "PUT", {"mode": "sync-trigger"}).json()
    expect(card["mode"] == "sync-trigger" and card["modeTitle"] == "Sync. Trigger", "trigger mode")
    expect(server.call(relay, "PUT", "/relay/9/value", b"0").status == 200, "relay 9 open")
    expect(server.call("/api/update", "POST").status == 409, "an update in Sync. Trigger")
    card = server.call("/api/trigger", "POST").json()
    expect(card["synchronized"] and not card["relays"][8]["closed"], "the trigger")
    card = server.json("/api/mode", "PUT", {"mode": "asynchronous"}).json()
    expect(card["mode"] == "asynchronous", "back to asynchronous")

    # Both relays of pair 8 closed, then the exclusive rule opens relay B.
    card = server.json("/api/relays", "POST", {"close": [15, 16]}).json()
    expect(card["relays"][14]["closed"] and card["relays"][15]["closed"], "pair 8 closed")
    card = server.json("/api/exclusive", "PUT", {"exclusive": True}).json()
    expect(card["exclusive"] and card["relays"][14]["closed"] and not card["relays"][15]["closed"],
           "the exclusive rule left pair 8 as %r" % card["relays"][14:16])
    card = server.json("/api/exclusive", "PUT", {"exclusive": False}).json()
    expect(not card["exclusive"], "the exclusive rule stays")
    card = server.json("/api/relays", "POST", {"close": [20], "openAll": True}).json()
    closed = [relay["relay"] for relay in card["relays"] if relay["closed"]]
    expect(closed == [20], "openAll left %r closed" % closed)


def check_log(folder, server):
    """Each change in the switching log, under its web client's name."""
    answer = server.call("/relay/{n}/value", "PUT", "/relay/11/value", b"1")
    expect(answer.status == 200, "relay 11")
    source = "web 127.0.0.1:%d" % answer.client_port
    log = os.path.join(folder, "state", "qx5170fp", CARD.replace("/", "%2F"), "switching.jsonl")

    def logged():
        with open(log, encoding="utf-8") as lines:
            return [json.loads(line) for line in lines]
    wait_for("relay 11 in the switching log",
             lambda: any(event.get("relay") == 11 for event in logged()))
    events = logged()
    eleven = [event for event in events if event.get("relay") == 11]
    expect(eleven[-1]["source"] == source and eleven[-1]["closed"],
           "relay 11 logged as %r, not from %s" % (eleven[-1], source))
    web = [event for event in events if event["source"].startswith("web ")]
    expect(all(event["source"].startswith("web 127.0.0.1:") for event in web),
           "a web source without its address: %r" % [event["source"] for event in web])
    kinds = {event["event"] for event in web}
    expect({"relay", "refusal", "mode", "exclusive"} <= kinds,
           "the web's entries in the log are only %r" % sorted(kinds))
    refusals = [event for event in web if event["event"] == "refusal"]
    expect(any("rail or ground" in event["reason"] for event in refusals)
           and any(event["reason"] == "another client holds the lock" for event in refusals),
           "the refusals logged: %r" % [event["reason"] for event in refusals])


def main(program, openapi):
    expect(os.environ.get("SFP_E2E_NAMESPACE") == os.readlink("/proc/self/ns/net"),
           "not in a network namespace of the test's own: run under in_namespace.sh")
    document = Document(openapi)
    folder = tempfile.mkdtemp(prefix="sfp-web-api-")
    server = None
    try:
        fixture = os.path.join(folder, "fixture.json")
        with open(fixture, "w", encoding="utf-8") as text:
            json.dump(FIXTURE, text)
        socket_port = free_port()
        http_port = free_port()
        trace = os.path.join(folder, "trace.txt")
        environment = {key: value for key, value in os.environ.items()
                       if key not in ("DISPLAY", "WAYLAND_DISPLAY", "QT_QPA_PLATFORM")}
        environment.update({"SFP_SIM_CONFIG": "", "SFP_SIM_TRACE": trace,
                            "HOME": folder,
                            "XDG_STATE_HOME": os.path.join(folder, "state"),
                            "XDG_DATA_HOME": os.path.join(folder, "data"),
                            "XDG_CONFIG_HOME": os.path.join(folder, "config")})
        errors = open(os.path.join(folder, "stderr.txt"), "wb")
        server = subprocess.Popen(
            [program, "--headless", "--simulate", "--address", "VXI0::1::INSTR", "--fc", "2",
             "--fixture", fixture, "--listen", "127.0.0.1:%d" % socket_port,
             "--http", "127.0.0.1:%d" % http_port],
            stdout=subprocess.DEVNULL, stderr=errors, env=environment)

        def said():
            with open(os.path.join(folder, "stderr.txt"), encoding="utf-8") as text:
                return text.read()
        wait_for("the server to serve the web face",
                 lambda: server.poll() is not None
                 or "web on 127.0.0.1:%d" % http_port in said())
        expect(server.poll() is None, "the server ended: " + said())

        web = Server(http_port, document)
        check_document_paths(web, document, http_port)
        check_methods_and_paths(web, document)
        check_refusals(web, socket_port)
        check_modes(web, trace)
        check_log(folder, web)
        expect(server.poll() is None, "the server ended: " + said())
        # Ended as a service manager ends it; a sanitized build's leak check
        # speaks through the exit status.
        server.terminate()
        status = server.wait(timeout=TIMEOUT)
        expect(status == 0, "SIGTERM ended the server with status %d: %s" % (status, said()))
        print("web_api: %d paths and %d operations answer as docs/openapi.yaml says; rules, "
              "lock, origin, media type, modes and the log agree"
              % (len(document.paths), sum(len(document.methods(path))
                                          for path in document.paths)))
        return 0
    finally:
        if server is not None and server.poll() is None:
            server.terminate()
            try:
                server.wait(timeout=TIMEOUT)
            except subprocess.TimeoutExpired:
                server.kill()
                server.wait()
        shutil.rmtree(folder, ignore_errors=True)


if __name__ == "__main__":
    try:
        sys.exit(main(sys.argv[1], sys.argv[2]))
    except (Failure, jsonschema.ValidationError) as failure:
        print("web_api: FAILED: %s" % failure, file=sys.stderr)
        sys.exit(1)
