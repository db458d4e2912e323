// SPDX-FileCopyrightText: 2026 Tarvex
// SPDX-License-Identifier: MIT
// The card states that remote clients keep with *SAV and bring back with
// *RCL: one small JSON file per slot, in a folder of the card's own under
// the user's data folder.
#pragma once

#include "cardstate.h"

#include <QString>

namespace sfp::savedStates {

inline constexpr int slotCount = 10;

// The folder of the cards' folders: qx5170fp in the user's data folder
// ($XDG_DATA_HOME when it is an absolute path, else ~/.local/share).
QString defaultFolder();

// The file of slot 0..9 in folder.
QString fileName(const QString &folder, int slot);

// Writes the state to path, completely or not at all: the old file stays
// until the new one is read back whole and is on the disk, and keeps its
// mode. Only a regular file the process may write, or no file, is
// replaced; a symbolic link, a FIFO, a device or a folder in the slot's
// place is left as it is and refused. Returns empty text, or why the state
// could not be written, in words that name no path.
QString save(const QString &path, const CardState &state);

enum class LoadResult { Loaded, Empty, Damaged };

// Reads a slot's file. Empty when there is no file; Damaged, with `reason`
// saying why (naming no path), when it is not a state this program wrote
// or not a regular file (the file is left as it is, and a FIFO is never
// waited on).
LoadResult load(const QString &path, CardState *state, QString *reason);

} // namespace sfp::savedStates
