// SPDX-FileCopyrightText: 2026 Tarvex
// SPDX-License-Identifier: MIT
#include "driverstatus.h"
#include "platformlibraries.h"

#include "qx5170.h"
#include "sfpdriverstatus.h"

void reportDriverStatus(ViStatus status, const char *callText)
{
    static_assert(qx5170_ERROR_MESSAGE_BUFLEN == sfpDriverErrorMessageSize,
                  "the report's buffer is the size the driver writes into");
    sfpReportDriverStatus(status, callText, sfpLibraries().qx5170_error_message);
}

QString driverStatusText(ViStatus status, const char *callText)
{
    return sfpDriverStatusText(status, callText, sfpLibraries().qx5170_error_message);
}
