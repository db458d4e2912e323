// SPDX-FileCopyrightText: 2026 Tarvex
// SPDX-License-Identifier: MIT
#include "webdocuments.h"

#include <QXmlStreamWriter>

namespace sfp::webDocuments {

namespace {

// The version of the LXI standard whose identification document this is.
constexpr char lxiVersion[] = "1.6";
constexpr char lxiNamespace[] = "http://lxistandard.org/schemas/InstrumentIdentification/2.0";

QString escaped(const QString &text)
{
    return text.toHtmlEscaped();
}

} // namespace

void splitIdentity(const QByteArray &identity, Instrument *instrument)
{
    const QString text = QString::fromUtf8(identity).trimmed();
    const qsizetype first = text.indexOf(QLatin1Char(','));
    const qsizetype second = first < 0 ? -1 : text.indexOf(QLatin1Char(','), first + 1);
    const qsizetype last = text.lastIndexOf(QLatin1Char(','));
    if (second < 0 || last <= second) {
        instrument->manufacturer = text;
        return;
    }
    instrument->manufacturer = text.left(first);
    instrument->model = text.mid(first + 1, second - first - 1);
    instrument->serialNumber = text.mid(second + 1, last - second - 1);
    instrument->firmwareRevision = text.mid(last + 1);
}

QByteArray identification(const Instrument &instrument)
{
    QByteArray document;
    QXmlStreamWriter xml(&document);
    xml.setAutoFormatting(true);
    xml.writeStartDocument();
    xml.writeDefaultNamespace(QLatin1String(lxiNamespace));
    xml.writeStartElement(QLatin1String(lxiNamespace), QStringLiteral("LXIDevice"));
    // In the schema's order.
    xml.writeTextElement(QStringLiteral("Manufacturer"), instrument.manufacturer);
    xml.writeTextElement(QStringLiteral("Model"), instrument.model);
    xml.writeTextElement(QStringLiteral("SerialNumber"), instrument.serialNumber);
    xml.writeTextElement(QStringLiteral("FirmwareRevision"), instrument.firmwareRevision);
    xml.writeTextElement(QStringLiteral("ManufacturerDescription"),
                         QStringLiteral("%1 %2 32-channel relay card")
                             .arg(instrument.manufacturer, instrument.model));
    if (!instrument.userDescription.isEmpty())
        xml.writeTextElement(QStringLiteral("UserDescription"), instrument.userDescription);
    xml.writeTextElement(QStringLiteral("IdentificationURL"),
                         QStringLiteral("http://%1:%2/lxi/identification")
                             .arg(instrument.urlHost)
                             .arg(instrument.webPort));
    xml.writeStartElement(QStringLiteral("Interface"));
    xml.writeAttribute(QStringLiteral("InterfaceType"), QStringLiteral("LXI"));
    xml.writeAttribute(QStringLiteral("IPType"),
                       instrument.ipv6 ? QStringLiteral("IPv6") : QStringLiteral("IPv4"));
    for (const QString &addressString : instrument.addressStrings)
        xml.writeTextElement(QStringLiteral("InstrumentAddressString"), addressString);
    xml.writeTextElement(QStringLiteral("Hostname"), instrument.hostName);
    xml.writeTextElement(QStringLiteral("IPAddress"), instrument.address);
    xml.writeEndElement();
    xml.writeTextElement(QStringLiteral("LXIVersion"), QLatin1String(lxiVersion));
    xml.writeEndElement();
    xml.writeEndDocument();
    return document;
}

QByteArray welcomePage(const Instrument &instrument)
{
    QString rows;
    const auto row = [&rows](const QString &name, const QString &value) {
        rows += QStringLiteral("<tr><th scope=\"row\">%1</th><td>%2</td></tr>\n")
                    .arg(name, escaped(value));
    };
    row(QStringLiteral("Model"), instrument.model);
    row(QStringLiteral("Manufacturer"), instrument.manufacturer);
    row(QStringLiteral("Serial number (card id)"), instrument.serialNumber);
    row(QStringLiteral("Description"),
        instrument.userDescription.isEmpty() ? QStringLiteral("%1 %2 32-channel relay card")
                                                   .arg(instrument.manufacturer, instrument.model)
                                             : instrument.userDescription);
    row(QStringLiteral("Firmware revision"), instrument.firmwareRevision);
    row(QStringLiteral("Instrument driver revision"), instrument.driverRevision);
    if (!instrument.commonRevision.isEmpty())
        row(QStringLiteral("Common library revision"), instrument.commonRevision);
    if (!instrument.programVersion.isEmpty())
        row(QStringLiteral("Soft front panel"), instrument.programVersion);
    row(QStringLiteral("Platform"), instrument.platform);
    row(QStringLiteral("Host name"), instrument.hostName);
    row(QStringLiteral("IP address"), instrument.address);
    for (const QString &addressString : instrument.addressStrings)
        row(QStringLiteral("VISA address"), addressString);
    const QString page
        = QStringLiteral("<!DOCTYPE html>\n<html lang=\"en\">\n<head>\n<meta charset=\"utf-8\">\n"
                         "<meta name=\"viewport\" content=\"width=device-width, "
                         "initial-scale=1\">\n<title>%1 %2 %3</title>\n"
                         "<link rel=\"stylesheet\" href=\"/panel.css\">\n</head>\n<body>\n"
                         "<main>\n<h1>%1 %2 %3</h1>\n<table class=\"about\">\n%4</table>\n"
                         "<p><a href=\"/panel\">Open the front panel</a> · "
                         "<a href=\"/lxi/identification\">LXI identification</a></p>\n"
                         "</main>\n</body>\n</html>\n")
              .arg(escaped(instrument.manufacturer), escaped(instrument.model),
                   escaped(instrument.serialNumber), rows);
    return page.toUtf8();
}

} // namespace sfp::webDocuments
