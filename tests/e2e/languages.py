#!/usr/bin/python3
# SPDX-FileCopyrightText: 2026 Tarvex
# SPDX-License-Identifier: MIT
"""The panel in the operator's language, read through the accessibility
bus as a screen reader reads it: the first box with the toolkit's own
button, the address dialog, the relay panel's controls, the About box and
the exit question.

    dbus-run-session -- /usr/bin/python3 languages.py --program PATH LOCALE

LOCALE is the LANG the program runs with: C and en_US.UTF-8 show the
English texts character for character, de_DE.UTF-8 German, fr_FR.UTF-8
French. Exit status 0 when every text was found.
"""

import argparse
import os
import sys

sys.path.insert(0, os.path.dirname(os.path.abspath(__file__)))

import sfpdrive as d  # noqa: E402

ENGLISH = {
    "question title": d.QUESTION_TITLE,
    "question": d.QUESTION_TEXT,
    "auto find": "Auto Find",
    "demo": "Run In Demo Mode",
    "enter address": "Enter Address",
    "cancel": "Cancel",
    "address title": d.ADDRESS_TITLE,
    "ok": "OK",
    "panel title": d.PANEL_TITLE,
    "mode group": "Switching Mode Control",
    "asynchronous": "Asynchronous",
    "exclusive": "Exclusive",
    "about": "About",
    "close": "Close",
    "about title": d.ABOUT_TITLE,
    "close title": d.CLOSE_QUESTION_TITLE,
    "close question": d.CLOSE_QUESTION_TEXT,
    "yes": "Yes",
    "no": "No",
}

TEXTS = {
    "C": ENGLISH,
    "en_US.UTF-8": ENGLISH,
    "de_DE.UTF-8": {
        "question title": "Orbelan 5170 SFP: Funktionskarte auswählen",
        "question": "Wie soll die Verbindung zur Funktionskarte 5170 hergestellt werden?",
        "auto find": "Automatisch suchen",
        "demo": "Im Demo-Modus starten",
        "enter address": "Adresse eingeben",
        "cancel": "Abbrechen",
        "address title": "Orbelan 5170 SFP: Adresse der Funktionskarte eingeben",
        "ok": "OK",
        "panel title": d.PANEL_TITLE,
        "mode group": "Schaltmodus",
        "asynchronous": "Asynchron",
        "exclusive": "Exklusiv",
        "about": "Info",
        "close": "Schließen",
        "about title": "Über Orbelan 5170 Soft Front Panel",
        "close title": d.CLOSE_QUESTION_TITLE,
        "close question": "Möchten Sie das Programm wirklich beenden?",
        "yes": "Ja",
        "no": "Nein",
    },
    "fr_FR.UTF-8": {
        "question title": "Orbelan 5170 SFP : sélectionner la carte de fonction",
        "question": "Comment se connecter à la carte de fonction 5170 ?",
        "auto find": "Recherche auto",
        "demo": "Lancer en mode démo",
        "enter address": "Saisir l'adresse",
        "cancel": "Annuler",
        "address title": "Orbelan 5170 SFP : saisir l'adresse de la carte de fonction",
        "ok": "OK",
        "panel title": d.PANEL_TITLE,
        "mode group": "Mode de commutation",
        "asynchronous": "Asynchrone",
        "exclusive": "Exclusif",
        "about": "À propos",
        "close": "Fermer",
        "about title": "À propos d'Orbelan 5170 Soft Front Panel",
        "close title": d.CLOSE_QUESTION_TITLE,
        "close question": "Voulez-vous vraiment quitter ?",
        "yes": "Oui",
        "no": "Non",
    },
}


def expect(condition, message):
    if not condition:
        raise d.Failure(message)


def names(window, role_name):
    return sorted(acc.name for acc in d.find_all(window, role_name))


def find(window, role_name, name):
    found = d.find(window, role_name, name)
    expect(found is not None, "no %s '%s' in '%s' (there are %s)"
           % (role_name, name, window.name, names(window, role_name)))
    return found


def run(desktop, program, language):
    text = TEXTS[language]
    panel = d.Panel(desktop, program, language=language)
    try:
        question = panel.wait_window(text["question title"], "alert")
        find(question, "label", text["question"])
        for button in ("auto find", "demo", "enter address", "cancel"):
            find(question, "push button", text[button])

        d.press(find(question, "push button", text["enter address"]))
        address = panel.wait_window(text["address title"])
        find(address, "push button", text["ok"])
        d.press(find(address, "push button", text["cancel"]))
        panel.wait_gone(address)

        question = panel.wait_window(text["question title"], "alert")
        d.press(find(question, "push button", text["demo"]))
        main = panel.wait_window(text["panel title"])
        find(main, "panel", text["mode group"])
        find(main, "combo box", text["asynchronous"])
        find(main, "check box", text["exclusive"])

        d.press(find(main, "push button", text["about"]))
        about = panel.wait_window(text["about title"])
        d.press(find(about, "push button", text["ok"]))
        panel.wait_gone(about)

        d.press(find(main, "push button", text["close"]))
        close = panel.wait_window(text["close title"])
        find(close, "label", text["close question"])
        find(close, "push button", text["no"])
        d.press(find(close, "push button", text["yes"]))
        status = panel.wait_exit()
        expect(status == 0, "exit status %s, not 0" % status)
    except d.Failure:
        sys.stderr.write("---- program output\n" + panel.output())
        raise
    finally:
        panel.close()


def main():
    parser = argparse.ArgumentParser(description=__doc__.splitlines()[0])
    parser.add_argument("--program", required=True, help="path of qx5170fp")
    parser.add_argument("language", choices=sorted(TEXTS))
    args = parser.parse_args()
    with d.Desktop() as desktop:
        try:
            run(desktop, os.path.abspath(args.program), args.language)
        except d.Failure as failure:
            print("FAIL: %s: %s" % (args.language, failure), file=sys.stderr)
            return 1
    print("PASS: %s" % args.language)
    return 0


if __name__ == "__main__":
    sys.exit(main())
