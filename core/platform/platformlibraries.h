// SPDX-FileCopyrightText: 2026 Tarvex
// SPDX-License-Identifier: MIT
// The three platform libraries (VISA, the maker's common library and the
// card's instrument driver), loaded at start-up from the vendor's
// installation or from the simulated platform that ships with the program,
// and every function the program calls resolved once into one table. The
// same program thus runs on either without a rebuild; nothing calls a
// library function by its link name.
#pragma once

#include "qx2010.h"
#include "qx5170.h"
#include "visa.h"

#include <QString>
#include <QStringList>

// The functions the program calls, with the signatures of the headers.
namespace sfp {

struct PlatformFunctions
{
    decltype(&::viOpenDefaultRM) viOpenDefaultRM = nullptr;
    decltype(&::viFindRsrc) viFindRsrc = nullptr;
    decltype(&::viFindNext) viFindNext = nullptr;
    decltype(&::viOpen) viOpen = nullptr;
    decltype(&::viClose) viClose = nullptr;
    decltype(&::viGetAttribute) viGetAttribute = nullptr;

    decltype(&::qx2010_mb_open) qx2010_mb_open = nullptr;
    decltype(&::qx2010_mb_close) qx2010_mb_close = nullptr;
    decltype(&::qx2010_error_message) qx2010_error_message = nullptr;
    decltype(&::qx2010_library_revision) qx2010_library_revision = nullptr;

    decltype(&::qx5170_init) qx5170_init = nullptr;
    decltype(&::qx5170_close) qx5170_close = nullptr;
    decltype(&::qx5170_error_message) qx5170_error_message = nullptr;
    decltype(&::qx5170_revision_query) qx5170_revision_query = nullptr;
    decltype(&::qx5170_switchRelay) qx5170_switchRelay = nullptr;
    decltype(&::qx5170_setSwitchingMode) qx5170_setSwitchingMode = nullptr;
    decltype(&::qx5170_updateRelaysState) qx5170_updateRelaysState = nullptr;
    decltype(&::qx5170_pulseSynchTrigger) qx5170_pulseSynchTrigger = nullptr;
};

// The loaded table. Ends the process with a message when nothing was
// loaded: every caller needs the libraries.
const PlatformFunctions &libraries();

} // namespace sfp

namespace sfp::platform {

// Where to look. A place the user named (the option, else the variable,
// else the first configuration file that sets LibraryPath) is the only
// place searched: it gives a complete set (all three libraries load and
// every function resolves) or the search fails. Without one, the dynamic
// linker's search, then the simulated platform.
struct Search
{
    QString option; // --library-path, a folder
    bool simulate = false; // --simulate: the simulated platform at once
    QString environment; // QX5170FP_LIBRARY_PATH, folders separated by ':'
    QString configFile; // the configuration file that set LibraryPath
    QStringList configured; // its folders
    bool linker = true; // the dynamic linker's own search
    QStringList simulatedFolders; // where the simulated platform may be
    // One line for each configuration file passed over, and why.
    QStringList warnings;
};

// The search as the program makes it: the option and --simulate as given,
// the variable, the configuration files (read only when neither the option
// nor the variable names a place), the linker, and the program's private
// folder of stand-ins.
Search programSearch(const QString &option, bool simulate);

struct Loaded
{
    bool ok = false;
    // When not ok: one line naming the place and why it gave no set.
    QString error;
    // When the simulated platform was taken because nothing else was
    // found: one line naming each candidate tried and why it was passed
    // over.
    QString fallback;
    bool simulated = false;
    QString origin; // e.g. "--library-path", "the dynamic linker"
    QString visaPath;
    QString commonPath;
    QString driverPath;
};

// Searches and loads; once a set is loaded, later calls return it again.
Loaded load(const Search &search);

// What load() gave, for --version and the tests.
const Loaded &loaded();

} // namespace sfp::platform
