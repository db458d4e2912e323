// SPDX-FileCopyrightText: 2026 Tarvex
// SPDX-License-Identifier: MIT
#include "sfpdriverstatus.h"

#include "messageboxreporter.h"

void sfpReportDriverStatus(ViStatus status, const char *callText,
                           sfp::DriverErrorMessageFunction errorMessage)
{
    // Success has no text: the driver is not even asked for one.
    if (status == 0)
        return;
    sfp::MessageBoxReporter().reportStatus(status,
                                           sfp::driverStatusText(status, callText, errorMessage));
}
