// SPDX-FileCopyrightText: 2026 Tarvex
// SPDX-License-Identifier: MIT
// Reporting an instrument driver's status to the operator, the same after
// every driver call of every card panel.
#pragma once

#include "driverstatustext.h"
#include "visatype.h"

// Status 0 reports nothing. A negative status shows "<callText> failed due to
// [<driver text>]" in the error box (which offers to exit), a positive one
// "Warning: [<driver text>]" in the warning box. Returns when the operator
// has answered, unless the operator chose to exit.
void sfpReportDriverStatus(ViStatus status, const char *callText,
                           sfp::DriverErrorMessageFunction errorMessage);
