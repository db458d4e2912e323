// SPDX-FileCopyrightText: 2026 Tarvex
// SPDX-License-Identifier: MIT
// The relay card's status report after a driver call.
#pragma once

#include "visatype.h"

// Reports a non-zero status of the relay card's driver to the operator, with
// the driver's own text for it; `callText` names the call as written at the
// call site.
void reportDriverStatus(ViStatus status, const char *callText);
