#!/usr/bin/env python3
# SPDX-FileCopyrightText: 2026 Tarvex
# SPDX-License-Identifier: MIT
"""Fails when an include crosses a room's boundary the wrong way.

A room is a folder with a CMake target of its own: each of core/'s
sub-folders (target sfp_<folder>), softfrontpanel_lib/ and softfrontpanel/.
A source file may include the headers of its own room and of the rooms its
target links directly (PUBLIC or PRIVATE, as its CMakeLists.txt says),
never those of a room it reaches only through another; and the rooms'
links must not run in a circle. The targets' links are the one statement
of who may use whom: this check reads them and holds every include to them.
And the card's driver is called in the card's room alone (the platform
room only loads it).

    scripts/check-rooms.py [TOP]
"""

import re
import sys
from pathlib import Path

TOP = Path(sys.argv[1] if len(sys.argv) > 1 else Path(__file__).resolve().parent.parent)
WIDGET_ROOMS = {
    "softfrontpanel_lib": "softfrontpanel_lib",
    "softfrontpanel": "qx5170fp_lib",
    "headless": "qx5170fp_headless_lib",
}
# Headers generated in a room's build folder, named after the room that
# makes them.
GENERATED = {"vxi11.h": "vxi11"}
# The card's driver: its header and its functions, reached through the
# loaded platform.
DRIVER = re.compile(r'#\s*include\s+"qx5170\.h"|\bqx5170_[a-z_]+\s*\(')
DRIVER_ROOMS = {"card", "platform"}


def rooms():
    """{room: (folder, target)} for every room."""
    found = {}
    for folder in sorted((TOP / "core").iterdir()):
        if (folder / "CMakeLists.txt").exists():
            found[folder.name] = (folder, "sfp_" + folder.name)
    for name, target in WIDGET_ROOMS.items():
        found[name] = (TOP / name, target)
    return found


def links(folder, target, targets):
    """The rooms whose targets `target` links directly in its folder's
    CMakeLists.txt."""
    text = (folder / "CMakeLists.txt").read_text()
    linked = set()
    for call in re.finditer(r"target_link_libraries\(\s*(\S+)(.*?)\)", text, re.S):
        if call.group(1) != target:
            continue
        for word in call.group(2).split():
            if word in targets:
                linked.add(targets[word])
    return linked


def main():
    found = rooms()
    targets = {target: room for room, (_, target) in found.items()}
    allowed = {room: links(folder, target, targets) for room, (folder, target) in found.items()}
    owner = dict(GENERATED)
    for room, (folder, _) in found.items():
        for header in folder.glob("*.h"):
            if header.name in owner and owner[header.name] != room:
                print(f"check-rooms: {header.name} is in both {owner[header.name]} and {room}")
                return 1
            owner[header.name] = room

    faults = []
    for room, (folder, _) in found.items():
        for source in sorted(folder.glob("*.[ch]*")):
            for number, line in enumerate(source.read_text().splitlines(), 1):
                if room not in DRIVER_ROOMS and DRIVER.search(line.split("//")[0]):
                    faults.append(f"{source.relative_to(TOP)}:{number}: calls the card's "
                                  f"driver outside the card's room")
                included = re.match(r'\s*#\s*include\s+"([^"]+)"', line)
                if not included:
                    continue
                other = owner.get(Path(included.group(1)).name)
                if other is None or other == room or other in allowed[room]:
                    continue
                faults.append(f"{source.relative_to(TOP)}:{number}: includes "
                              f"{included.group(1)} of room '{other}', which "
                              f"'{room}' does not link")

    # Links in a circle would make two rooms one.
    state = {}

    def visit(room, path):
        state[room] = "open"
        for other in sorted(allowed[room]):
            if state.get(other) == "open":
                faults.append("rooms in a circle: " + " -> ".join(path + [room, other]))
            elif other not in state:
                visit(other, path + [room])
        state[room] = "done"

    for room in found:
        if room not in state:
            visit(room, [])

    for fault in faults:
        print("check-rooms: " + fault)
    if faults:
        return 1
    print(f"check-rooms: {len(found)} rooms, every include within its room's links")
    return 0


if __name__ == "__main__":
    sys.exit(main())
