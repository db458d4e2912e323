// The program's own command line: help, version, and how to connect
// without the first question. The toolkit's options (-platform, -style,
// -display, ...) are accepted here and left to the toolkit.
#pragma once

#include "sfpstartchoice.h"

#include <QString>
#include <QStringList>

struct qx5170fpCommandLine
{
    enum Action {
        Run, // start the panel as `start` says
        Help, // print helpText() and end with status 0
        Version, // print the revisions and end with status 0
        Error, // print `error` and the hint, end with exit status 2
    };

    Action action = Run;
    sfpStartChoice start;
    QString error; // one line, without the hint
};

// `arguments` as the process got them, the program's name first.
qx5170fpCommandLine qx5170fpParseCommandLine(const QStringList &arguments);

// The usage text that -h and --help print.
QString qx5170fpHelpText();

// The line that follows an error on standard error.
inline constexpr char qx5170fpTryHelp[] = "Try 'qx5170fp --help' for more information.";

// Exit status of a command line that cannot be understood.
inline constexpr int qx5170fpUsageExitStatus = 2;
