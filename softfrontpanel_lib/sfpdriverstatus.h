// SPDX-FileCopyrightText: 2026 Tarvex
// SPDX-License-Identifier: MIT
// Reporting an instrument driver's status to the operator, the same after
// every driver call of every card panel.
#pragma once

#include "visatype.h"

#include <QString>

// The shape of every instrument driver's error-message operation: session
// (always VI_NULL here), status, and a 1024-byte text buffer. The library
// takes it as an argument so that it stays free of any one card's driver.
typedef ViStatus(_VI_FUNC *sfpDriverErrorMessageFunction)(ViSession vi, ViStatus status,
                                                          ViChar message[]);

// Size of the text buffer handed to the error-message operation.
inline constexpr int sfpDriverErrorMessageSize = 1024;

// The report's text for a non-zero status: "<callText> failed due to
// [<driver text>]" for a negative status, "Warning: [<driver text>]" for a
// positive one. Empty for status 0.
QString sfpDriverStatusText(ViStatus status, const char *callText,
                            sfpDriverErrorMessageFunction errorMessage);

// Status 0 reports nothing. A negative status shows "<callText> failed due to
// [<driver text>]" in the error box (which offers to exit), a positive one
// "Warning: [<driver text>]" in the warning box. Returns when the operator
// has answered, unless the operator chose to exit.
void sfpReportDriverStatus(ViStatus status, const char *callText,
                           sfpDriverErrorMessageFunction errorMessage);
