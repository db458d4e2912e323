// SPDX-FileCopyrightText: 2026 Tarvex
// SPDX-License-Identifier: MIT
// The message exchange the driver and the common library use with a
// motherboard over an open VISA session.
#pragma once

#include "visatype.h"

#include <string>

namespace sfpsim {

// Writes one command and reads its answer through the VISA library.
ViStatus queryInstrument(ViSession vi, const std::string &command, std::string *answer);

} // namespace sfpsim
