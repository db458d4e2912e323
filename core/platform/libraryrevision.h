// SPDX-FileCopyrightText: 2026 Tarvex
// SPDX-License-Identifier: MIT
// The platform libraries' own texts: the common library's revision, as the
// About box and --version show it, VISA's maker and revision, and the
// common library's message for a status.
#pragma once

#include "visatype.h"

#include <QByteArray>
#include <QString>

namespace sfp {

// What qx2010_library_revision writes, up to its terminator; empty when it
// writes nothing. Never reads past the library's buffer.
QByteArray libraryRevision();

// VISA's maker and the revision of its implementation (major, minor and
// sub-minor number, as VISA packs them), or "unknown" when VISA says
// neither.
QString visaRevision();

// The common library's text for a status, empty when it has none.
QString commonLibraryMessage(ViStatus status);

} // namespace sfp
