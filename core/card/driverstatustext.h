// SPDX-FileCopyrightText: 2026 Tarvex
// SPDX-License-Identifier: MIT
// The text of the report after an instrument driver's call, the same for
// every card panel.
#pragma once

#include "visatype.h"

#include <QString>

namespace sfp {

// The shape of every instrument driver's error-message operation: session
// (always VI_NULL here), status, and a 1024-byte text buffer. Passed in, so
// that the text stays free of any one card's driver.
using DriverErrorMessageFunction
    = ViStatus(_VI_FUNC *)(ViSession vi, ViStatus status, ViChar message[]);

// Size of the text buffer handed to the error-message operation.
inline constexpr int driverErrorMessageSize = 1024;

// The driver's own text for a status, empty when it has none.
QString driverMessage(ViStatus status, DriverErrorMessageFunction errorMessage);

// "<callText> failed due to [<driver text>]" for a negative status,
// "Warning: [<driver text>]" for a positive one; empty for status 0.
QString driverStatusText(ViStatus status, const char *callText,
                         DriverErrorMessageFunction errorMessage);
// The same with the driver's text already asked for.
QString driverStatusText(ViStatus status, const char *callText, const QString &driverText);
// The same in the operator's language, for a message box; what programs
// read (a log, an error queue) takes the English one above.
QString operatorDriverStatusText(ViStatus status, const char *callText, const QString &driverText);

} // namespace sfp
