// SPDX-FileCopyrightText: 2026 Tarvex
// SPDX-License-Identifier: MIT
// Where the program keeps the user's files: the folders of the XDG base
// directory specification, and one card's folder within them.
#pragma once

#include <QString>

namespace sfp::userFolders {

// $XDG_CONFIG_HOME, $XDG_DATA_HOME, $XDG_STATE_HOME when they hold an
// absolute path, else ~/.config, ~/.local/share, ~/.local/state: a relative
// path is to be ignored, which Qt 6.4 does not do.
QString configHome();
QString dataHome();
QString stateHome();

// The folder of one card's files in root: the card id (sfp::cardId)
// percent-encoded, so that no id reaches outside root or into another
// card's folder ("VXI0::1::INSTR/FC2" gives "VXI0::1::INSTR%2FFC2").
QString cardFolder(const QString &root, const QString &cardId);

} // namespace sfp::userFolders
