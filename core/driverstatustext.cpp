// SPDX-FileCopyrightText: 2026 Tarvex
// SPDX-License-Identifier: MIT
#include "driverstatustext.h"

namespace sfp {

QString driverStatusText(ViStatus status, const char *callText,
                         DriverErrorMessageFunction errorMessage)
{
    if (status == 0)
        return QString();

    // Cleared, so that a driver that has no text for the status (or fails)
    // leaves empty brackets rather than stack garbage. The driver's own
    // status is not inspected: the report is shown either way.
    char text[driverErrorMessageSize] = {};
    if (errorMessage)
        errorMessage(VI_NULL, status, text);
    // A driver that fills the whole buffer leaves no terminator; never read
    // past the buffer.
    const QString statusText = QString::fromLatin1(text, qsizetype(qstrnlen(text, sizeof text)));

    if (status < 0) {
        return QStringLiteral("%1 failed due to [%2]")
            .arg(QString::fromLatin1(callText ? callText : ""), statusText);
    }
    return QStringLiteral("Warning: [%1]").arg(statusText);
}

} // namespace sfp
