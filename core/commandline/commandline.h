// SPDX-FileCopyrightText: 2026 Tarvex
// SPDX-License-Identifier: MIT
// The program's own command line: help, version, and how to connect
// without the first question. The toolkit's options (-platform, -style,
// -display, ...) are accepted here and left to the toolkit.
#pragma once

#include "accessrules.h"
#include "sfpstartchoice.h"

#include <QByteArray>
#include <QDateTime>
#include <QHostAddress>
#include <QList>
#include <QProcessEnvironment>
#include <QString>
#include <QStringList>

struct qx5170fpCommandLine
{
    enum Action {
        Run, // start the panel as `start` says
        Help, // print helpText() and end with status 0
        Version, // print the revisions and end with status 0
        Error, // print `error` and the hint, end with exit status 2
        LogToScpi, // print the SCPI lines of the switching log `log`
        LogToVcd, // write the switching log `log` as a Value Change Dump to `vcd`
        SetPassword, // write the hash of a password read to `passwordFile`
    };

    Action action = Run;
    sfpStartChoice start;
    QString error; // one line, without the hint; control characters written as C escapes
    QString help; // the usage text, for Help

    // The arguments to hand to the toolkit: the program's name, then each
    // of the toolkit's options in the order given, in the form the toolkit
    // reads (-platform NAME, also when given as --platform=NAME), byte for
    // byte as given, without ours. For Run.
    QList<QByteArray> toolkitArguments;

    // What the toolkit is told about where to show the panel: the values of
    // -platform and -display, empty when not given.
    QString platform;
    QString display;

    // Where the platform libraries are searched first (--library-path), or
    // that the simulated platform is used at once (--simulate).
    QString libraryPath;
    bool simulate = false;

    // Where the SCPI remote control listens (--listen): the loopback
    // interface unless an address was named.
    bool listen = false;
    QHostAddress listenAddress;
    quint16 listenPort = 0;
    bool listenAddressNamed = false;
    // Where the web face listens (--http), as --listen reads it.
    bool http = false;
    QHostAddress httpAddress;
    quint16 httpPort = 0;
    // Who may connect to --listen and --http beyond the loopback (--allow):
    // by default nobody, and an address beyond it needs the option.
    sfp::AccessRules access;
    // The web face's password hash (--password-file, or the file that
    // --set-password writes), and its certificate and key for HTTPS
    // (--http-certificate, --http-key): empty when not given.
    QString passwordFile;
    QString httpCertificate;
    QString httpKey;
    // How long a remote client may send nothing before it is dropped
    // (--idle-timeout); zero: as long as it likes.
    int idleTimeoutSeconds = 0;

    // Under the exclusive rule, the operator's clicks open the partner
    // first (--break-before-make); otherwise the clicked relay closes first.
    bool breakBeforeMake = false;

    // The fixture file named with --fixture; empty: the card's own file, if
    // there is one.
    QString fixture;
    // --no-log: no switching log is kept.
    bool noLog = false;
    // --headless: the card served without a window (with a card to connect
    // to, and --listen or --http).
    bool headless = false;
    // The switching log's tools: the log to read, the dump to write, and
    // the times of the first and last change taken (invalid: no bound).
    QString log;
    QString vcd;
    QDateTime since;
    QDateTime until;
};

// The words as the process got them, byte for byte, the program's name
// first.
qx5170fpCommandLine qx5170fpParseCommandLine(const QList<QByteArray> &words);
// The same for words as text, each written in the system's encoding.
qx5170fpCommandLine qx5170fpParseCommandLine(const QStringList &arguments);

// Whether the panel would have nowhere to be shown: every platform that the
// toolkit may choose (from -platform, else QT_QPA_PLATFORM, else its
// default) needs an X11 or Wayland display, and `environment` and the
// command line name none.
bool qx5170fpLacksDisplay(const qx5170fpCommandLine &commandLine,
                          const QProcessEnvironment &environment);

// Whether a box the program shows is seen by anyone: not on the platforms
// that draw into memory only (offscreen, minimal). The first form asks
// before the toolkit starts, for the platform it would choose first.
bool qx5170fpShowsBoxes(const QString &platformName);
bool qx5170fpShowsBoxes(const qx5170fpCommandLine &commandLine,
                        const QProcessEnvironment &environment);

// One line on standard error: "qx5170fp: " and `text`.
void qx5170fpSay(const QString &text);

// The line that follows an error on standard error (in the system's
// language: sfp::translate("CommandLine", qx5170fpTryHelp)).
inline constexpr char qx5170fpTryHelp[]
    = QT_TRANSLATE_NOOP("CommandLine", "Try 'qx5170fp --help' for more information.");

// The line (after "qx5170fp: ") when qx5170fpLacksDisplay says so, to be
// looked up as qx5170fpTryHelp is.
inline constexpr char qx5170fpNoDisplayError[] = QT_TRANSLATE_NOOP(
    "CommandLine",
    "no display to show the panel on: set DISPLAY, or choose a platform with -platform or "
    "QT_QPA_PLATFORM (offscreen, vnc)");

// Exit status when there is no display for the panel, or when help or the
// version could not be written.
inline constexpr int qx5170fpFailureExitStatus = 1;

// Exit status of a command line that cannot be understood.
inline constexpr int qx5170fpUsageExitStatus = 2;

// Exit status when the card's fixture file cannot be used: the panel does
// not run with a fixture's rules half applied.
inline constexpr int qx5170fpFixtureExitStatus = 2;
