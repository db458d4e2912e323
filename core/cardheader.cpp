// SPDX-FileCopyrightText: 2026 Tarvex
// SPDX-License-Identifier: MIT
#include "cardheader.h"
#include "platformlibraries.h"

#include "visa.h"

namespace {

// Size of the buffers for VISA's TCP/IP text attributes.
constexpr int attributeTextSize = 256;

// A text attribute counts only when VISA reports plain success. The buffer
// is cleared and read no further than its end, so that a library that
// leaves it untouched or unterminated cannot put stray bytes on screen.
QString textAttribute(ViSession vi, ViAttr attribute)
{
    char text[attributeTextSize] = {};
    if (sfp::libraries().viGetAttribute(vi, attribute, text) != VI_SUCCESS)
        return QString();
    return QString::fromLatin1(text, qsizetype(qstrnlen(text, sizeof text)));
}

} // namespace

sfp::CardHeader sfp::readCardHeader(ViSession vi, int fcNumber)
{
    sfp::CardHeader header;
    ViInt16 slot = 0;
    // Warnings still mean that the device has a slot: only an error says it
    // has none, which is how a LAN box answers.
    if (sfp::libraries().viGetAttribute(vi, VI_ATTR_SLOT, &slot) < VI_SUCCESS) {
        header.lxi = true;
        header.moduleText = textAttribute(vi, VI_ATTR_TCPIP_DEVICE_NAME);
        header.hostText = textAttribute(vi, VI_ATTR_TCPIP_HOSTNAME);
    } else {
        header.lxi = false;
        header.moduleText = QStringLiteral("Slot %1").arg(slot);
    }
    header.fcText = QStringLiteral("FC %1").arg(fcNumber);
    return header;
}

QString sfp::panelWindowTitle(const QString &modelText, const QString &hostText)
{
    QString title = QStringLiteral("Orbelan ") + modelText + QStringLiteral(" Soft Front Panel");
    if (hostText.isEmpty())
        return title;
    return title + QStringLiteral(": ") + hostText;
}

QString sfp::panelHeaderText(const QString &modelText, const QString &description)
{
    return QStringLiteral("<html>Orbelan ") + modelText + QStringLiteral("<br>")
        + QStringLiteral("<font size='2'>") + description + QStringLiteral("</font></html>");
}
