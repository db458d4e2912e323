// SPDX-FileCopyrightText: 2026 Tarvex
// SPDX-License-Identifier: MIT
#include "cardheader.h"
#include "platformlibraries.h"
#include "translation.h"

#include "visa.h"

namespace {

// Size of the buffers for VISA's text attributes (VI_FIND_BUFLEN for the
// resource name).
constexpr int attributeTextSize = 256;
static_assert(attributeTextSize >= VI_FIND_BUFLEN);

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

sfp::CardHeader sfp::readCardHeader(ViSession vi, int fcNumber, const QString &chosenDescriptors)
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
        //: Where the card's VXI module sits in the mainframe; %1 is the slot number
        header.moduleText = sfp::translate("CardHeader", "Slot %1").arg(slot);
    }
    header.fcText = QStringLiteral("FC %1").arg(fcNumber);
    // VISA's name is the same however the operator wrote the address
    // ("VXI::1", "vxi0::1::INSTR"), so one card keeps one name.
    header.resourceName = textAttribute(vi, VI_ATTR_RSRC_NAME);
    if (header.resourceName.isEmpty())
        header.resourceName = chosenDescriptors.section(QLatin1Char(','), 0, 0).trimmed();
    return header;
}

QString sfp::cardId(const QString &resourceName, int fcNumber)
{
    QString id = resourceName + QStringLiteral("/FC") + QString::number(fcNumber);
    for (QChar &c : id) {
        if (c.unicode() < 0x21 || c.unicode() > 0x7E || c == QLatin1Char(',')
            || c == QLatin1Char(';'))
            c = QLatin1Char('_');
    }
    return id;
}

QString sfp::panelWindowTitle(const QString &modelText, const QString &hostText)
{
    //: The main window's title; %1 is the card's model number, e.g. 5170
    QString title = sfp::translate("CardHeader", "Orbelan %1 Soft Front Panel").arg(modelText);
    if (hostText.isEmpty())
        return title;
    return title + QStringLiteral(": ") + hostText;
}

QString sfp::panelHeaderText(const QString &modelText, const QString &description)
{
    return QStringLiteral("<html>Orbelan ") + modelText + QStringLiteral("<br>")
        + QStringLiteral("<font size='2'>") + description + QStringLiteral("</font></html>");
}
