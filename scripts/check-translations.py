#!/usr/bin/env python3
# SPDX-FileCopyrightText: 2026 Tarvex
# SPDX-License-Identifier: MIT
"""Fails when a catalogue lags behind the sources or is not complete.

Runs Qt's lupdate over the sources the build names (its lupdate project
file) into copies of translations/*.ts and compares them with the committed
ones: a source text added, changed or removed without
`cmake --build build --target update_translations` shows as a difference.
Then every message must be translated: no unfinished, vanished or obsolete
entry, and every numerus form filled in.

Usage: check-translations.py BUILD_FOLDER
"""
import difflib
import json
import pathlib
import shutil
import subprocess
import sys
import tempfile
import xml.etree.ElementTree as ElementTree

LUPDATE = "/usr/lib/qt6/bin/lupdate"
# Turns the project description that configuring writes into lupdate's JSON
# project file; the build writes that file only when update_translations
# runs, so a fresh build folder has none.
GENERATE_PROJECT = "/usr/lib/x86_64-linux-gnu/cmake/Qt6LinguistTools/GenerateLUpdateProject.cmake"
# As core/base/CMakeLists.txt gives them.
OPTIONS = ["-no-obsolete", "-locations", "none", "-silent"]


def incomplete(catalogue):
    """The source texts of a catalogue's messages that lack a translation."""
    missing = []
    for message in ElementTree.parse(catalogue).getroot().iter("message"):
        translation = message.find("translation")
        forms = translation.findall("numerusform")
        texts = [form.text for form in forms] if forms else [translation.text]
        if translation.get("type") is not None or not all(texts):
            missing.append(message.findtext("source"))
    return missing


def main():
    build = pathlib.Path(sys.argv[1]).resolve()
    description = build / "core/base/.lupdate/sfp_base_project.cmake"
    failed = False
    with tempfile.TemporaryDirectory() as scratch:
        project_file = pathlib.Path(scratch) / "configured.json"
        subprocess.run(["cmake", f"-DIN_FILE={description}", f"-DOUT_FILE={project_file}", "-P",
                        GENERATE_PROJECT], check=True, cwd=description.parent.parent)
        project = json.loads(project_file.read_text())
        copies = {}
        for committed in project["translations"]:
            copy = pathlib.Path(scratch) / pathlib.Path(committed).name
            shutil.copyfile(committed, copy)
            copies[committed] = copy
        project["translations"] = [str(copy) for copy in copies.values()]
        scratch_project = pathlib.Path(scratch) / "project.json"
        scratch_project.write_text(json.dumps(project))
        subprocess.run([LUPDATE, "-project", str(scratch_project)] + OPTIONS, check=True,
                       stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)
        for committed, copy in copies.items():
            before = pathlib.Path(committed).read_text().splitlines(keepends=True)
            after = copy.read_text().splitlines(keepends=True)
            if before != after:
                failed = True
                print(f"{committed} is not up to date with the sources; run "
                      "cmake --build build --target update_translations:")
                sys.stdout.writelines(list(difflib.unified_diff(before, after, "committed",
                                                                "from the sources"))[:60])
            for source in incomplete(copy):
                failed = True
                print(f"{committed}: not translated: {source!r}")
    if not failed:
        print(f"{len(copies)} catalogues up to date and complete")
    return 1 if failed else 0


if __name__ == "__main__":
    sys.exit(main())
