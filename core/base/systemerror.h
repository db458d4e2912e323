// SPDX-FileCopyrightText: 2026 Tarvex
// SPDX-License-Identifier: MIT
// The system's words for an error number, as every message of a file or a
// socket that failed quotes them.
#pragma once

#include <QString>

namespace sfp {

// "No space left on device" for ENOSPC, in the system's language.
QString systemError(int error);

} // namespace sfp
