// SPDX-FileCopyrightText: 2026 Tarvex
// SPDX-License-Identifier: MIT
// The common library's revision text, as the About box and --version show it.
#pragma once

#include <QByteArray>

// What qx2010_library_revision writes, up to its terminator; empty when it
// writes nothing. Never reads past the library's buffer.
namespace sfp {

QByteArray libraryRevision();

} // namespace sfp
