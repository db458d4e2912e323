#!/usr/bin/python3
# SPDX-FileCopyrightText: 2026 Tarvex
# SPDX-License-Identifier: MIT
"""The panel found on a network the way a test engineer finds LAN
instruments: `lxi discover` (a VXI-11 broadcast to the port mappers) and
`lxi discover -m` (multicast DNS, through Avahi), from a second host.

The network is the test's own: two network namespaces (the panel's host
and the engineer's) joined by a veth pair, each with its own loopback, its
own port mapper (rpcbind), its own D-Bus system bus and Avahi daemon, and
its own /run; no discovery traffic leaves them. Needs root (CI has it);
without the right to make namespaces the test says so and is skipped.

    discovery.py --program PATH

Exit status 0 when it passed, 1 when it failed, 77 when skipped.
"""

import argparse
import os
import re
import signal
import subprocess
import sys
import tempfile
import time

SKIPPED = 77
# The card in slot 5 of the default system, on the simulated platform.
CARD = ["--address", "VXI0::1::INSTR", "--fc", "2"]
IDENTITY = "Orbelan,5170,VXI0::1::INSTR/FC2,1.4.0"
NAME = "Orbelan 5170 VXI0::1::INSTR/FC2"
# Long enough for a program built with the address sanitizer on a busy
# machine.
TIMEOUT = 60.0

BUS_CONFIG = """<!DOCTYPE busconfig PUBLIC "-//freedesktop//DTD D-Bus Bus Configuration 1.0//EN"
 "http://www.freedesktop.org/standards/dbus/1.0/busconfig.dtd">
<busconfig>
  <type>system</type>
  <listen>unix:path=/run/dbus/system_bus_socket</listen>
  <auth>EXTERNAL</auth>
  <policy context="default">
    <allow user="*"/>
    <allow own="*"/>
    <allow send_destination="*"/>
    <allow receive_sender="*"/>
  </policy>
</busconfig>
"""

# Run inside a host's namespaces: a /run of its own, then its system bus,
# its Avahi daemon (on the veth only, with a host name of its own) and,
# unless told otherwise, its port mapper; then the command. The daemon
# publishes no IPv6 address records: the veth's link-local address comes
# a moment after the link, and a resolver would then take either address.
HOST_SCRIPT = r"""
set -e
host=$1; interface=$2; services=$3; shift 3
mount -t tmpfs tmpfs /run
mkdir -p /run/dbus /run/avahi-daemon /run/rpcbind
cat > /run/avahi.conf <<EOF
[server]
host-name=$host
use-ipv4=yes
use-ipv6=no
allow-interfaces=$interface
enable-dbus=yes
[publish]
publish-aaaa-on-ipv4=no
publish-hinfo=no
publish-workstation=no
[wide-area]
enable-wide-area=no
EOF
case $services in *dbus*)
    dbus-daemon --config-file="$SFP_BUS_CONFIG" --fork --nopidfile ;;
esac
case $services in *avahi*)
    avahi-daemon --no-drop-root --no-chroot --no-rlimits -f /run/avahi.conf -D
    for i in $(seq 100); do avahi-daemon -c -f /run/avahi.conf && break; sleep 0.1; done ;;
esac
case $services in *rpcbind*)
    rpcbind ;;
esac
exec "$@"
"""


class Failure(Exception):
    pass


def expect(condition, message):
    if not condition:
        raise Failure(message)


def run(arguments, check=True, **kwargs):
    result = subprocess.run(arguments, stdout=subprocess.PIPE, stderr=subprocess.STDOUT,
                            text=True, **kwargs)
    if check and result.returncode != 0:
        raise Failure("%s: status %d\n%s" % (" ".join(arguments), result.returncode,
                                             result.stdout))
    return result


class Network:
    """Two hosts, the panel's and the engineer's, on a cable of their own."""

    def __init__(self, folder):
        tag = str(os.getpid() % 100000)
        self.server = "sfpds" + tag
        self.client = "sfpdc" + tag
        self.server_interface = "sds" + tag
        self.client_interface = "sdc" + tag
        self.server_address = "10.201.77.1"
        self.client_address = "10.201.77.2"
        self.folder = folder
        self.script = os.path.join(folder, "host.sh")
        with open(self.script, "w") as out:
            out.write(HOST_SCRIPT)
        self.bus_config = os.path.join(folder, "bus.conf")
        with open(self.bus_config, "w") as out:
            out.write(BUS_CONFIG)
        self.made = []

    def make(self):
        """False, and why on standard error, when the namespaces cannot be
        made here."""
        for name in (self.server, self.client):
            result = run(["ip", "netns", "add", name], check=False)
            if result.returncode != 0:
                print("discovery: cannot make a network namespace (%s); skipped"
                      % result.stdout.strip(), file=sys.stderr)
                return False
            self.made.append(name)
        run(["ip", "link", "add", self.server_interface, "type", "veth", "peer", "name",
             self.client_interface])
        for name, interface, address in (
                (self.server, self.server_interface, self.server_address),
                (self.client, self.client_interface, self.client_address)):
            run(["ip", "link", "set", interface, "netns", name])
            # With its broadcast address: the VXI-11 discovery broadcasts.
            run(["ip", "-n", name, "addr", "add", address + "/24", "brd", "+", "dev",
                 interface])
            run(["ip", "-n", name, "link", "set", interface, "up"])
            run(["ip", "-n", name, "link", "set", "lo", "up"])
        return True

    def host_command(self, namespace, host, interface, services, command):
        return ["ip", "netns", "exec", namespace, "unshare", "--mount", "--propagation",
                "private", "/bin/sh", self.script, host, interface, services] + command

    def on_client(self, command, services="dbus,avahi"):
        return run(self.host_command(self.client, "sfp-engineer", self.client_interface,
                                     services, command),
                   check=False, env=dict(os.environ, SFP_BUS_CONFIG=self.bus_config),
                   timeout=TIMEOUT * 2)

    def start_panel(self, program, services, port=5025, beside=None, more=(), allow=None,
                    more_environment=None, listen=None):
        """The panel on the server host; its output goes to a file.
        `beside`: a panel already running there, whose /run (its system
        bus and port mapper) this one shares. `allow`: who may connect
        besides the loopback; by default the engineer's host. `listen`:
        where the remote control listens; by default the server's
        address and `port`."""
        log = open(os.path.join(self.folder, "panel-%s-%d.log"
                                % (services.replace(",", "-"), port)), "w")
        home = os.path.join(self.folder, "home")
        environment = dict(os.environ, SFP_BUS_CONFIG=self.bus_config,
                           QT_QPA_PLATFORM="offscreen", SFP_SIM_CONFIG="", SFP_SIM_TRACE="",
                           HOME=home, ALLUSERSPROFILE=home,
                           XDG_CONFIG_HOME=os.path.join(home, ".config"),
                           XDG_DATA_HOME=os.path.join(home, ".local", "share"),
                           XDG_STATE_HOME=os.path.join(home, ".local", "state"))
        environment.update(more_environment or {})
        command = [program, "--simulate"] + CARD + [
            "--listen", listen or "%s:%d" % (self.server_address, port),
            "--allow", allow or self.client_address] + list(more)
        if beside is None:
            command = self.host_command(self.server, "sfp-panel", self.server_interface,
                                        services, command)
        else:
            command = ["nsenter", "--target", str(beside.pid), "--mount", "--net", "--"] + command
        process = subprocess.Popen(
            command,
            stdout=log, stderr=subprocess.STDOUT, env=environment, start_new_session=True)
        return process, log.name

    def on_server(self, command):
        return run(["ip", "netns", "exec", self.server] + command, check=False)

    def end_processes(self, name):
        """Ends what still runs in a namespace: the daemons a host started."""
        for _ in range(50):
            pids = run(["ip", "netns", "pids", name], check=False).stdout.split()
            if not pids:
                return
            for pid in pids:
                try:
                    os.kill(int(pid), signal.SIGKILL)
                except (ProcessLookupError, ValueError):
                    pass
            time.sleep(0.1)

    def remove(self):
        for name in self.made:
            self.end_processes(name)
        for name in self.made:
            run(["ip", "netns", "delete", name], check=False)


def wait_for(what, probe, timeout=TIMEOUT):
    deadline = time.monotonic() + timeout
    while time.monotonic() < deadline:
        value = probe()
        if value:
            return value
        time.sleep(0.2)
    raise Failure("no %s within %d s" % (what, timeout))


def panel_answers(network):
    """The panel has connected and serves: its port mapper names the
    VXI-11 core channel."""
    listing = network.on_server(["rpcinfo", "-p", "127.0.0.1"]).stdout
    return re.search(r"^\s*395183\s+1\s+tcp\s+\d+", listing, re.M)


def stop_panel(process):
    os.killpg(process.pid, signal.SIGTERM)
    try:
        return process.wait(timeout=TIMEOUT)
    except subprocess.TimeoutExpired:
        os.killpg(process.pid, signal.SIGKILL)
        raise Failure("the panel did not end on SIGTERM")


def found(network):
    """Both discoveries from the engineer's host, in one run of its daemons."""
    result = network.on_client(["/bin/sh", "-c", "lxi discover; echo '-- mDNS'; lxi discover -m"])
    return result.stdout


def scenario(program, folder):
    network = Network(folder)
    try:
        if not network.make():
            return SKIPPED
        panel, log = network.start_panel(program, "dbus,avahi,rpcbind")
        try:
            wait_for("registration with the port mapper", lambda: panel_answers(network))
            output = found(network)
            broadcast, _, mdns = output.partition("-- mDNS")
            # The broadcast finds the port mapper, and the panel answers
            # *IDN? over VXI-11 on the address it listens on.
            expect('Found "%s" on address %s' % (IDENTITY, network.server_address) in broadcast,
                   "lxi discover did not find the panel:\n" + output)
            # Multicast DNS: the three services, under the instrument's name.
            for service, port in (("vxi-11", 111), ("lxi", 111), ("scpi-raw", 5025)):
                expect(re.search(r'Found "%s" on address %s\s+%s service on port %d'
                                 % (re.escape(NAME), re.escape(network.server_address),
                                    service, port), mdns),
                       "lxi discover -m did not find the %s service:\n%s" % (service, output))

            # A second panel of the same card: its name is taken, so it is
            # announced as "... #2", with a line that says so; it has no
            # VXI-11 registration (the first holds it), so only its socket.
            second, second_log = network.start_panel(program, "", port=5026, beside=panel)
            try:
                renamed = 'the name "%s" is taken on the network; announced as "%s #2"' % (
                    NAME, NAME)

                def said_renamed():
                    with open(second_log) as text:
                        return renamed in text.read()
                wait_for("the second panel's new name", said_renamed)
                mdns = network.on_client(["lxi", "discover", "-m"]).stdout
                expect(re.search(r'Found "%s #2" on address %s\s+scpi-raw service on port 5026'
                                 % (re.escape(NAME), re.escape(network.server_address)), mdns),
                       "lxi discover -m did not find the second panel:\n" + mdns)
                expect(not re.search(r'Found "%s #2"[^\n]*\n\s+(vxi-11|lxi) service'
                                     % re.escape(NAME), mdns),
                       "the second panel announced VXI-11:\n" + mdns)
            finally:
                stop_panel(second)

            # The Avahi daemon goes: one line, and the panel serves on.
            run(["nsenter", "--target", str(panel.pid), "--mount", "--net", "--", "avahi-daemon",
                 "-k"])

            def said_gone():
                with open(log) as text:
                    return "the Avahi daemon went away" in text.read()
            wait_for("the line about the Avahi daemon", said_gone)
            answer = network.on_client(["lxi", "scpi", "-a", network.server_address, "-r", "-p",
                                        "5025", "*IDN?"], services="")
            expect(IDENTITY in answer.stdout, "the socket did not answer:\n" + answer.stdout)
        finally:
            status = stop_panel(panel)
        expect(status == 0, "the panel ended with status %s on SIGTERM" % status)
        # Withdrawn at the end, after a signal too.
        expect(not panel_answers(network), "the port mapper still names the panel")
        with open(log) as text:
            lines = text.read()
        expect("not announced" not in lines and "port mapper:" not in lines,
               "the panel complained:\n" + lines)
        expect(lines.count("the Avahi daemon went away") == 1,
               "not one line about the Avahi daemon's end:\n" + lines)

        # Without a port mapper and without Avahi: one line each, and the
        # socket still serves.
        network.end_processes(network.server)
        panel, log = network.start_panel(program, "")
        try:
            def said_both():
                with open(log) as text:
                    lines = text.read()
                return ("port mapper:" in lines and "not announced" in lines) and lines
            lines = wait_for("the panel's two lines", said_both)
            expect(re.search(r"^qx5170fp: VXI-11 clients do not find the panel through the port "
                             r"mapper: no port mapper \(rpcbind\) answers on this machine; the "
                             r"core channel listens on port \d+$", lines, re.M),
                   "no port mapper line:\n" + lines)
            expect(re.search(r"^qx5170fp: the panel is not announced on the network: no Avahi "
                             r"daemon answers \(.+\)$", lines, re.M),
                   "no Avahi line:\n" + lines)
            answer = network.on_client(["lxi", "scpi", "-a", network.server_address, "-r", "-p",
                                        "5025", "*IDN?"], services="")
            expect(IDENTITY in answer.stdout, "the socket did not answer:\n" + answer.stdout)
        finally:
            status = stop_panel(panel)
        expect(status == 0, "the panel ended with status %s on SIGTERM" % status)

        # With the web face beyond the loopback, the LXI record names the
        # web server, as an LXI instrument's does, and the web server is
        # announced too, each with the identity's fields.
        network.end_processes(network.server)
        panel, log = network.start_panel(
            program, "dbus,avahi,rpcbind", more=["--http", "%s:8080" % network.server_address])
        try:
            wait_for("registration with the port mapper", lambda: panel_answers(network))
            listing = ""
            for service in ("_lxi._tcp", "_http._tcp", "_vxi-11._tcp"):
                def resolved(service=service):
                    result = network.on_client(["avahi-browse", "-rptk", service])
                    return "=;" in result.stdout and result.stdout
                listing += wait_for("the %s record" % service, resolved)
            for service, port in (("_lxi._tcp", 8080), ("_http._tcp", 8080),
                                  ("_vxi-11._tcp", 111)):
                expect(re.search(r"^=;[^;]*;IPv4;[^;]*;%s;local;[^;]*;%s;%d;"
                                 % (re.escape(service), re.escape(network.server_address), port),
                                 listing, re.M),
                       "%s is not announced on port %d:\n%s" % (service, port, listing))
            expect(listing.count('"Manufacturer=Orbelan"') >= 3 and '"Model=5170"' in listing
                   and '"SerialNumber=VXI0::1::INSTR/FC2"' in listing
                   and '"FirmwareVersion=1.4.0"' in listing,
                   "the records lack the identity's fields:\n" + listing)
        finally:
            status = stop_panel(panel)
        expect(status == 0, "the panel ended with status %s on SIGTERM" % status)
        return 0
    finally:
        network.remove()


def main_of(name, scenario):
    """Runs scenario(program, folder) as a test of its own: the exit status,
    and on a failure why, with the panels' output."""
    parser = argparse.ArgumentParser()
    parser.add_argument("--program", required=True)
    args = parser.parse_args()
    if os.geteuid() != 0:
        print("%s: network namespaces need root; skipped" % name, file=sys.stderr)
        return SKIPPED
    with tempfile.TemporaryDirectory(prefix="sfp-%s-" % name) as folder:
        try:
            return scenario(os.path.abspath(args.program), folder)
        except Failure as failure:
            print("FAILED: %s" % failure, file=sys.stderr)
            for log in sorted(os.listdir(folder)):
                if log.endswith(".log"):
                    with open(os.path.join(folder, log)) as text:
                        print("--- %s\n%s" % (log, text.read()), file=sys.stderr)
            return 1


if __name__ == "__main__":
    sys.exit(main_of("discovery", scenario))
