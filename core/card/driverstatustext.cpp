// SPDX-FileCopyrightText: 2026 Tarvex
// SPDX-License-Identifier: MIT
#include "driverstatustext.h"

namespace sfp {

QString driverMessage(ViStatus status, DriverErrorMessageFunction errorMessage)
{
    // Cleared, so that a driver that has no text for the status (or fails)
    // leaves empty brackets rather than stack garbage. The driver's own
    // status is not inspected: the report is shown either way.
    char text[driverErrorMessageSize] = {};
    if (errorMessage)
        errorMessage(VI_NULL, status, text);
    // A driver that fills the whole buffer leaves no terminator; never read
    // past the buffer.
    return QString::fromLatin1(text, qsizetype(qstrnlen(text, sizeof text)));
}

QString driverStatusText(ViStatus status, const char *callText,
                         DriverErrorMessageFunction errorMessage)
{
    if (status == 0)
        return QString();
    return driverStatusText(status, callText, driverMessage(status, errorMessage));
}

QString driverStatusText(ViStatus status, const char *callText, const QString &driverText)
{
    if (status == 0)
        return QString();
    if (status < 0) {
        return QStringLiteral("%1 failed due to [%2]")
            .arg(QString::fromLatin1(callText ? callText : ""), driverText);
    }
    return QStringLiteral("Warning: [%1]").arg(driverText);
}

} // namespace sfp
