// SPDX-FileCopyrightText: 2026 Tarvex
// SPDX-License-Identifier: MIT
#include "sfpdriverstatus.h"

#include "messageboxreporter.h"

void sfpReportDriverStatus(ViStatus status, const char *callText,
                           sfp::DriverErrorMessageFunction errorMessage)
{
    // For success there is no text (the driver is not asked for one) and no
    // box.
    if (status == 0)
        return;
    sfp::MessageBoxReporter().reportStatus(
        status,
        sfp::operatorDriverStatusText(status, callText, sfp::driverMessage(status, errorMessage)),
        QString());
}
