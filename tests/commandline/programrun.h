// SPDX-FileCopyrightText: 2026 Tarvex
// SPDX-License-Identifier: MIT
// The real program run without a display, with the simulated platform's
// trace on and no platform libraries named but where a test names them.
#pragma once

#include <QByteArray>
#include <QProcessEnvironment>
#include <QString>
#include <QStringList>

class QTemporaryDir;

struct Run
{
    int status = -1;
    QByteArray out;
    QByteArray err;
    QByteArray trace;
};

// How the program finds its platform libraries in a run.
enum class Libraries {
    Simulated, // --simulate: the stand-ins, chosen explicitly
    Searched, // as the arguments and the environment say
};

// Where and as whom the program runs, when not as the test does.
struct RunPlace
{
    QString workingFolder;
    QStringList wrapper; // a command that runs the program, e.g. setpriv
};

QProcessEnvironment programEnvironment(const QTemporaryDir &folder, const QString &tracePath,
                                       const QStringList &changes);

// `environment` adds or replaces variables ("NAME=value"); standard output
// goes to `outputFile` when one is given.
Run runProgram(const QStringList &arguments, const QStringList &environment = {},
               const QString &outputFile = {}, Libraries libraries = Libraries::Simulated,
               const RunPlace &place = {});

// A folder dressed as a vendor installation: the stand-ins copied, VISA
// under its Linux name.
bool dressVendorFolder(const QString &folder);

// The end of --version for a set loaded from `folder` (dressed as above),
// found by `from`.
QString librariesOf(const QString &folder, const QString &from);
