# SPDX-FileCopyrightText: 2026 Tarvex
# SPDX-License-Identifier: MIT
"""Drives the real qx5170fp the way a screen reader or an automation tool
does: on its own Xvfb display, through the Linux accessibility interface
(AT-SPI), finding windows, buttons, labels and tree items by role and name.

Run everything that uses this module inside its own D-Bus session
(dbus-run-session), so that parallel runs never meet on one accessibility
bus; each Desktop starts its own X server on a display number that the
server picks itself (-displayfd), so parallel runs never meet there either.
"""

import os
import re
import select
import shutil
import signal
import subprocess
import tempfile
import time

PROGRAM_NAME = "qx5170fp"
QUESTION_TITLE = "Orbelan 5170 SFP: Select Function Card"
QUESTION_TEXT = "How to connect to 5170 Function Card?"
ADDRESS_TITLE = "Orbelan 5170 SFP: Enter Function Card Address"
PANEL_TITLE = "Orbelan 5170 Soft Front Panel"
ABOUT_TITLE = "About Orbelan 5170 Soft Front Panel"
CLOSE_QUESTION_TITLE = "Orbelan  SFP"
CLOSE_QUESTION_TEXT = "Do you really want to exit?"
SIMULATED_LINE = "Simulated platform: no hardware is switched"
SPLASH_SIZE = (520, 400)
SCREEN_SIZE = (1280, 1024)

# Long enough for a program built with the address sanitizer on a busy
# machine; a run that works takes a fraction of it.
TIMEOUT = 60.0
POLL = 0.05

_pyatspi = None


def atspi():
    """pyatspi, imported only once the accessibility bus of this session
    runs: the library finds the bus when it is first loaded."""
    global _pyatspi
    if _pyatspi is None:
        import pyatspi
        _pyatspi = pyatspi
    return _pyatspi


class Failure(Exception):
    """What the program did differs from what the test expects."""


def wait_for(what, probe, timeout=TIMEOUT):
    """Polls probe() until it returns something true and returns that.
    Objects of a window that is going away raise while they are asked:
    that counts as "not yet"."""
    deadline = time.monotonic() + timeout
    while True:
        try:
            result = probe()
        except Exception:  # noqa: BLE001 - any D-Bus error means "ask again"
            result = None
        if result:
            return result
        if time.monotonic() > deadline:
            raise Failure("timed out waiting for " + what)
        time.sleep(POLL)


def role(acc):
    return acc.getRoleName()


def showing(acc):
    return acc.getState().contains(atspi().STATE_SHOWING)


def children(acc):
    return [child for child in acc if child is not None]


def descendants(acc, depth=12):
    """Every object below acc, depth first, in the order the window lists them."""
    found = []
    if depth == 0:
        return found
    for child in children(acc):
        found.append(child)
        found.extend(descendants(child, depth - 1))
    return found


def find(acc, role_name, name=None):
    """The first object below acc with that role (and name), or None."""
    for candidate in descendants(acc):
        if role(candidate) == role_name and (name is None or candidate.name == name):
            return candidate
    return None


def find_all(acc, role_name, name=None):
    return [c for c in descendants(acc)
            if role(c) == role_name and (name is None or c.name == name)]


def do_action(acc, action):
    actions = acc.queryAction()
    for i in range(actions.nActions):
        if actions.getName(i) == action:
            actions.doAction(i)
            return
    raise Failure("%s '%s' has no action %s" % (role(acc), acc.name, action))


def press(acc):
    do_action(acc, "Press")


def toggle(acc):
    do_action(acc, "Toggle")


def checked(acc):
    return acc.getState().contains(atspi().STATE_CHECKED)


def extents(acc):
    """Position and size of a window on the screen: x, y, width, height."""
    box = acc.queryComponent().getExtents(atspi().DESKTOP_COORDS)
    return box.x, box.y, box.width, box.height


def accessibility_bus_named():
    from gi.repository import Gio, GLib
    session = Gio.bus_get_sync(Gio.BusType.SESSION, None)
    reply = session.call_sync("org.freedesktop.DBus", "/org/freedesktop/DBus",
                              "org.freedesktop.DBus", "NameHasOwner",
                              GLib.Variant("(s)", ("org.a11y.Bus",)), None,
                              Gio.DBusCallFlags.NONE, -1, None)
    return reply.unpack()[0]


class Desktop:
    """An X server and an accessibility bus of our own, and a folder for
    everything the program writes."""

    def __init__(self, keep_folder=False):
        self.folder = tempfile.mkdtemp(prefix="sfp-e2e-")
        self.keep_folder = keep_folder
        self.display = None
        self._xvfb = None
        self._bus = None

    def __enter__(self):
        self._start_x()
        self._start_bus()
        return self

    def __exit__(self, *exc):
        for process in (self._bus, self._xvfb):
            stop(process)
        if not self.keep_folder:
            shutil.rmtree(self.folder, ignore_errors=True)
        return False

    def _start_x(self):
        if not shutil.which("Xvfb"):
            raise Failure("Xvfb is missing (Debian package xvfb; scripts/deps.sh installs it)")
        read_end, write_end = os.pipe()
        log = open(os.path.join(self.folder, "xvfb.log"), "wb")
        # -noreset: by default the server starts afresh whenever its last
        # client goes, and refuses the next program that connects meanwhile.
        self._xvfb = subprocess.Popen(
            ["Xvfb", "-displayfd", str(write_end), "-screen", "0", "%dx%dx24" % SCREEN_SIZE,
             "-noreset", "-nolisten", "tcp"],
            pass_fds=[write_end], stdout=subprocess.DEVNULL, stderr=log)
        os.close(write_end)
        number = b""
        deadline = time.monotonic() + TIMEOUT
        while not number.endswith(b"\n"):
            remaining = deadline - time.monotonic()
            ready, _, _ = select.select([read_end], [], [], max(remaining, 0))
            if not ready:
                raise Failure("Xvfb did not say which display it took")
            chunk = os.read(read_end, 16)
            if not chunk:
                raise Failure("Xvfb ended before it took a display")
            number += chunk
        os.close(read_end)
        self.display = ":" + number.decode().strip()
        os.environ["DISPLAY"] = self.display

    def _start_bus(self):
        if "DBUS_SESSION_BUS_ADDRESS" not in os.environ:
            raise Failure("no D-Bus session: run this under dbus-run-session")
        launcher = "/usr/libexec/at-spi-bus-launcher"
        if not os.path.exists(launcher):
            raise Failure("the AT-SPI bus launcher is missing (Debian package at-spi2-core)")
        self._bus = subprocess.Popen([launcher, "--launch-immediately"],
                                     stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)
        # pyatspi asks for the bus once, when it is loaded: wait until the
        # launcher has its name on the session bus.
        wait_for("the accessibility bus launcher", accessibility_bus_named)
        wait_for("the accessibility bus", lambda: atspi().Registry.getDesktop(0) is not None)

    def environment(self, config=None, language="C.UTF-8"):
        """The program's environment: our display, accessibility on, the
        simulated platform's trace, no folder of the real user's, and the
        locale `language` alone (LANG), whatever the machine's is."""
        env = {name: value for name, value in os.environ.items()
               if name not in ("LANGUAGE", "LC_ALL", "LC_MESSAGES")}
        env["LANG"] = language
        home = os.path.join(self.folder, "home")
        runtime = os.path.join(self.folder, "runtime")
        for folder in (home, runtime):
            os.makedirs(folder, mode=0o700, exist_ok=True)
        env.update({
            "DISPLAY": self.display,
            "QT_QPA_PLATFORM": "xcb",
            "QT_LINUX_ACCESSIBILITY_ALWAYS_ON": "1",
            "SFP_SIM_TRACE": os.path.join(self.folder, "trace.txt"),
            "SFP_SIM_CONFIG": config or "",
            "ALLUSERSPROFILE": home,
            "HOME": home,
            "XDG_CONFIG_HOME": os.path.join(home, "config"),
            "XDG_CACHE_HOME": os.path.join(home, "cache"),
            "XDG_DATA_HOME": os.path.join(home, "data"),
            "XDG_STATE_HOME": os.path.join(home, "state"),
            "XDG_RUNTIME_DIR": runtime,
        })
        return env


def stop(process):
    if process is None or process.poll() is not None:
        return
    process.send_signal(signal.SIGTERM)
    try:
        process.wait(timeout=10)
    except subprocess.TimeoutExpired:
        process.kill()
        process.wait()


class Panel:
    """One run of the program on a Desktop. `simulate`: started with
    --simulate; without it the arguments say where the libraries are.
    `fresh_trace`: the trace of an earlier run is removed first; a second
    panel running beside the first keeps it, and both write to it."""

    def __init__(self, desktop, program, config=None, arguments=(), simulate=True,
                 fresh_trace=True, language="C.UTF-8"):
        self.desktop = desktop
        self.trace_path = os.path.join(desktop.folder, "trace.txt")
        if fresh_trace and os.path.exists(self.trace_path):
            os.remove(self.trace_path)
        self.log_path = os.path.join(desktop.folder, "program.log")
        self._log = open(self.log_path, "ab")
        # The stand-ins, chosen as an operator chooses them, whatever else
        # the machine has installed.
        chosen = ["--simulate"] if simulate else []
        self.process = subprocess.Popen([program, *chosen, *arguments],
                                        env=desktop.environment(config, language),
                                        stdout=self._log, stderr=subprocess.STDOUT)

    def close(self):
        stop(self.process)
        self._log.close()

    def output(self):
        with open(self.log_path, "rb") as log:
            return log.read().decode(errors="replace")

    def running(self):
        return self.process.poll() is None

    def wait_exit(self, timeout=TIMEOUT):
        try:
            return self.process.wait(timeout=timeout)
        except subprocess.TimeoutExpired:
            raise Failure("the program did not end") from None

    def application(self):
        desktop = atspi().Registry.getDesktop(0)
        for app in children(desktop):
            if app.name == PROGRAM_NAME and app.get_process_id() == self.process.pid:
                return app
        return None

    def windows(self):
        app = self.application()
        return children(app) if app is not None else []

    def window(self, title, role_name=None):
        """The window with that title now on screen, or None."""
        for window in self.windows():
            if window.name == title and showing(window) and (
                    role_name is None or role(window) == role_name):
                return window
        return None

    def wait_window(self, title, role_name=None, content=None):
        """Waits for the window with that title (holding an object of role
        `content` when given) to be on screen."""
        def probe():
            window = self.window(title, role_name)
            if window is None:
                return None
            if content is not None and find(window, content) is None:
                return None
            return window
        return wait_for("window '%s'" % title, probe)

    def wait_gone(self, window):
        wait_for("window '%s' to go" % window.name, lambda: not showing(window))

    def trace(self):
        if not os.path.exists(self.trace_path):
            return []
        with open(self.trace_path, encoding="utf-8", errors="replace") as trace:
            return [line.rstrip("\n") for line in trace]

    def calls(self):
        """The trace without the card's own lines: the calls the program made."""
        return [line for line in self.trace() if not line.startswith("card ")]


def splash_window(panel):
    """The splash on screen: the one top-level window without a title, of
    the splash picture's size; None when there is none."""
    for window in panel.windows():
        if window.name == "" and showing(window) and extents(window)[2:] == SPLASH_SIZE:
            return window
    return None


def answer_close_question(panel, main_window, answer):
    """Presses "Close" in the main window and answers the exit question."""
    press(find(main_window, "push button", "Close"))
    question = panel.wait_window(CLOSE_QUESTION_TITLE)
    if find(question, "label", CLOSE_QUESTION_TEXT) is None:
        raise Failure("the close question does not ask '%s'" % CLOSE_QUESTION_TEXT)
    press(find(question, "push button", answer))
    panel.wait_gone(question)


def choose_card(panel, system_prefix, card):
    """In the selection tree, selects the card item named `card` (e.g.
    "FC 2") of the system whose item starts with `system_prefix`, and
    presses OK."""
    dialog = panel.wait_window(QUESTION_TITLE, "dialog", content="tree")
    tree = find(dialog, "tree")
    system = None
    target = None
    for cell in children(tree):
        if role(cell) != "table cell":
            continue
        if cell.name.startswith(system_prefix):
            system = cell
        elif system is not None and cell.name == card:
            target = cell
            break
    if target is None:
        raise Failure("no item %s under a system '%s...' in the tree" % (card, system_prefix))
    # A tree cell's own Toggle action selects by the item's row among its
    # siblings, which in Qt 6.4 picks the wrong line of a tree; the tree's
    # table interface selects by the line the operator sees.
    table = tree.queryTable()
    table.addRowSelection(table.getRowAtIndex(target.getIndexInParent()))
    wait_for("the card item to be selected",
             lambda: target.getState().contains(atspi().STATE_SELECTED))
    press(find(dialog, "push button", "OK"))
    return dialog


def enter_address(panel, fc_item):
    """In the address entry dialog, keeps the descriptor shown, picks the
    function-card number `fc_item` (e.g. "FC 1") and presses OK. Returns
    the descriptor that was shown."""
    dialog = panel.wait_window(ADDRESS_TITLE)
    number = find(dialog, "combo box", "Select")
    if number is None:
        raise Failure("the address dialog shows no 'Select' number box")
    editable = [box for box in find_all(dialog, "combo box") if find(box, "text") is not None]
    if not editable:
        raise Failure("the address dialog shows no descriptor box")
    text = find(editable[0], "text")
    descriptor = text.queryText().getText(0, -1)
    # Qt's accessibility bridge can open a combo box's list but not choose
    # an entry in it, so the number is chosen the way a keyboard user does:
    # from the descriptor box, Tab to the number box, Down to the next entry.
    items = [item.name for item in find_all(number, "list item")]
    steps = items.index(fc_item) if fc_item in items else -1
    if steps <= 0:
        raise Failure("the number box has no entry %s after 'Select': %s" % (fc_item, items))
    do_action(text, "SetFocus")
    xdotool("key", "Tab")
    for _ in range(steps):
        xdotool("key", "Down")
    wait_for("the number box to show " + fc_item,
             lambda: find(dialog, "combo box", fc_item) is not None)
    press(find(dialog, "push button", "OK"))
    return descriptor


def xdotool(*args):
    subprocess.run(["xdotool"] + list(args), check=True)


def key(*names):
    """Presses and releases keys on the display, one after the other, as
    the operator's keyboard does (X key names: "Tab", "shift+Tab", "space")."""
    xdotool("key", "--clearmodifiers", *names)


def focus_window(title):
    """Gives the keyboard focus to the window with that title, as a window
    manager does with a window that comes up; Xvfb runs none. Not an input
    to the program: no key and no pointer event reaches it."""
    found = subprocess.run(["xdotool", "search", "--name", "^%s$" % re.escape(title)],
                           check=False, capture_output=True, text=True).stdout.split()
    if not found:
        raise Failure("no X window is named '%s'" % title)
    for window in found:
        subprocess.run(["xdotool", "windowfocus", "--sync", window], check=False,
                       stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)


# Roles of the objects that can hold the keyboard focus in our windows.
FOCUSABLE_ROLES = ("push button", "check box", "combo box", "text", "tree", "list")


def focused(acc):
    """The object below acc that has the keyboard focus, or None."""
    for candidate in descendants(acc):
        if role(candidate) in FOCUSABLE_ROLES and candidate.getState().contains(
                atspi().STATE_FOCUSED):
            return candidate
    return None


def describe(acc):
    return "%s '%s'" % (role(acc), acc.name) if acc is not None else "nothing"


def tab_to(window, role_name, name, limit=60, backwards=False):
    """Presses Tab (Shift+Tab when backwards) until the object with that
    role and name has the keyboard focus; AT-SPI only watches where the
    focus goes. Returns the names of the objects the focus passed through,
    the one it started on first and the wanted one last."""
    def matches(acc):
        return acc is not None and role(acc) == role_name and acc.name == name
    now = wait_for("an object of '%s' to have the keyboard focus" % window.name,
                   lambda: focused(window))
    path = [now.name]
    for _ in range(limit):
        if matches(now):
            return path
        before = now
        key("shift+Tab" if backwards else "Tab")
        now = wait_for("the focus to leave " + describe(before),
                       lambda: (lambda f: f if f is not None and f != before else None)(
                           focused(window)))
        path.append(now.name)
    raise Failure("%s %s '%s' not reached by Tab; the focus went through %s"
                  % ("Shift+Tab" if backwards else "Tab", role_name, name, path))


def relay_buttons(main_window, pair_number):
    """The buttons of relay A and relay B of pair `pair_number` (1 to 16)."""
    pair = find(main_window, "panel", "Pair %d" % pair_number)
    if pair is None:
        raise Failure("no relay pair 'Pair %d'" % pair_number)
    buttons = []
    for relay in ("A", "B"):
        button = find(pair, "check box", "Pair %d relay %s" % (pair_number, relay))
        if button is None:
            raise Failure("pair %d has no button 'Pair %d relay %s'"
                          % (pair_number, pair_number, relay))
        buttons.append(button)
    return buttons
