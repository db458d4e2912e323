// SPDX-FileCopyrightText: 2026 Tarvex
// SPDX-License-Identifier: MIT
// The relay card served without a window: what `qx5170fp --headless` runs.
// The panel's program hands its command line over unchanged (it replaces
// itself with this one), so that no module of the toolkit's graphical side
// is ever loaded into a server that has no display.
#include "commandline.h"
#include "headlessrun.h"
#include "journal.h"
#include "platformlibraries.h"
#include "translation.h"

#include <QByteArray>
#include <QCoreApplication>
#include <QList>

#include <cstdio>

int main(int argc, char *argv[])
{
    QList<QByteArray> words;
    for (int i = 0; i < argc; ++i)
        words.append(argv[i]);
    const qx5170fpCommandLine commandLine = qx5170fpParseCommandLine(words);
    if (commandLine.action == qx5170fpCommandLine::Error) {
        std::fprintf(stderr, "qx5170fp: %s\n%s\n", qUtf8Printable(commandLine.error),
                     qUtf8Printable(sfp::translate("CommandLine", qx5170fpTryHelp)));
        return qx5170fpUsageExitStatus;
    }
    if (commandLine.action != qx5170fpCommandLine::Run || !commandLine.headless) {
        std::fprintf(stderr, "qx5170fp-headless: %s\n",
                     qUtf8Printable(sfp::translate("CommandLine", "run by 'qx5170fp --headless'")));
        return qx5170fpUsageExitStatus;
    }
    using Priority = sfp::CardService::Priority;
    // Nobody is there to see a notice that no hardware is switched: the
    // simulated platform only where it was asked for, or in demo mode,
    // which switches nothing anyway.
    const sfp::platform::Search search
        = sfp::platform::programSearch(commandLine.libraryPath, commandLine.simulate);
    for (const QString &warning : search.warnings)
        sfp::journal::say(Priority::Warning, warning);
    const sfp::platform::Loaded libraries = sfp::platform::load(search);
    if (!libraries.ok) {
        sfp::journal::say(Priority::Error, libraries.error);
        return qx5170fpFailureExitStatus;
    }
    if (!libraries.fallback.isEmpty()) {
        if (commandLine.start.kind != sfpStartChoice::Demo) {
            sfp::journal::say(Priority::Error,
                              libraries.fallback
                                  + QStringLiteral("; the simulated platform serves a card only "
                                                   "with --simulate"));
            return qx5170fpFailureExitStatus;
        }
        sfp::journal::say(Priority::Notice, libraries.fallback);
    }
    QCoreApplication app(argc, argv);
    sfp::translation::install();
    sfp::HeadlessRun run(commandLine);
    return run.exec();
}
