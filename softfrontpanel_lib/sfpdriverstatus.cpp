// SPDX-FileCopyrightText: 2026 Tarvex
// SPDX-License-Identifier: MIT
#include "sfpdriverstatus.h"

#include "sfpmessages.h"

#include <QString>

void sfpReportDriverStatus(ViStatus status, const char *callText,
                           sfp::DriverErrorMessageFunction errorMessage)
{
    if (status < 0)
        sfpErrorMessage(sfp::driverStatusText(status, callText, errorMessage));
    else if (status > 0)
        sfpWarningMessage(sfp::driverStatusText(status, callText, errorMessage));
}
