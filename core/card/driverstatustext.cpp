// SPDX-FileCopyrightText: 2026 Tarvex
// SPDX-License-Identifier: MIT
#include "driverstatustext.h"

#include "translation.h"

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

namespace {

//: A driver call's error; %1 is the call (a function name), %2 the driver's text
const char *const failedText = QT_TRANSLATE_NOOP("DriverStatusText", "%1 failed due to [%2]");
//: A driver call's warning; %1 is the driver's text
const char *const warningText = QT_TRANSLATE_NOOP("DriverStatusText", "Warning: [%1]");

// The programs' English report, or the operator's in the system's language:
// one composition for both, so that they never say different things.
QString statusText(ViStatus status, const char *callText, const QString &driverText,
                   bool translated)
{
    if (status == 0)
        return QString();
    const auto pattern = [translated](const char *source) {
        return translated ? sfp::translate("DriverStatusText", source)
                          : QString::fromLatin1(source);
    };
    if (status < 0)
        return pattern(failedText).arg(QString::fromLatin1(callText ? callText : ""), driverText);
    return pattern(warningText).arg(driverText);
}

} // namespace

QString driverStatusText(ViStatus status, const char *callText, const QString &driverText)
{
    return statusText(status, callText, driverText, false);
}

QString operatorDriverStatusText(ViStatus status, const char *callText, const QString &driverText)
{
    return statusText(status, callText, driverText, true);
}

} // namespace sfp
