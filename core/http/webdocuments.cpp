// SPDX-FileCopyrightText: 2026 Tarvex
// SPDX-License-Identifier: MIT
#include "webdocuments.h"

#include "translation.h"

#include <QJsonDocument>
#include <QJsonObject>
#include <QXmlStreamWriter>

#include <algorithm>
#include <iterator>

namespace sfp::webDocuments {

namespace {

// The version of the LXI standard whose identification document this is.
constexpr char lxiVersion[] = "1.6";
constexpr char lxiNamespace[] = "http://lxistandard.org/schemas/InstrumentIdentification/2.0";

constexpr QLatin1String english("en");

QString escaped(const QString &text)
{
    return text.toHtmlEscaped();
}

// The panel page's texts ("{{text}}" in the page), and those the script
// shows, which it looks up by their English.
constexpr const char *panelTexts[] = {
    QT_TRANSLATE_NOOP("WebPanel", "Orbelan 5170 front panel"),
    //: The page's first line until the live connection stands.
    QT_TRANSLATE_NOOP("WebPanel", "Connecting…"),
    //: The accessible name of the group of the switching controls.
    QT_TRANSLATE_NOOP("WebPanel", "Switching"),
    //: The switching mode's list.
    QT_TRANSLATE_NOOP("WebPanel", "Mode"),
    QT_TRANSLATE_NOOP("WebPanel", "Asynchronous"),
    QT_TRANSLATE_NOOP("WebPanel", "Sync. Command"),
    QT_TRANSLATE_NOOP("WebPanel", "Sync. Trigger"),
    //: A button: applies the pending relay states (Sync. Command mode).
    QT_TRANSLATE_NOOP("WebPanel", "Update"),
    //: A button: triggers the card (Sync. Trigger mode).
    QT_TRANSLATE_NOOP("WebPanel", "Trigger"),
    //: A lamp: the card's relays are as commanded.
    QT_TRANSLATE_NOOP("WebPanel", "Synchronized"),
    //: A check box: at most one relay of a pair closed.
    QT_TRANSLATE_NOOP("WebPanel", "Exclusive"),
    //: A user name, to log in.
    QT_TRANSLATE_NOOP("WebPanel", "User"),
    QT_TRANSLATE_NOOP("WebPanel", "Password"),
    QT_TRANSLATE_NOOP("WebPanel", "Log in"),
    //: The accessible name of the group of the 16 relay pairs.
    QT_TRANSLATE_NOOP("WebPanel", "Relay pairs"),
    //: A link to the welcome page.
    QT_TRANSLATE_NOOP("WebPanel", "About this instrument"),
};
constexpr const char *scriptTexts[] = {
    //: The accessible name of the lamp.
    QT_TRANSLATE_NOOP("WebPanel", "Synchronized: yes"),
    QT_TRANSLATE_NOOP("WebPanel", "Synchronized: no"),
    QT_TRANSLATE_NOOP("WebPanel", "Remote lock: nobody"),
    //: %1: who holds the lock, e.g. "web 10.1.2.3:40112 alice".
    QT_TRANSLATE_NOOP("WebPanel", "Remote lock: %1"),
    //: Where the card's scan stands: %1 its step, %2 its sweep.
    QT_TRANSLATE_NOOP("WebPanel", "Scan: step %1, sweep %2"),
    //: The same while the scan waits for a trigger (*TRG).
    QT_TRANSLATE_NOOP("WebPanel", "Scan: step %1, sweep %2, waiting for a trigger"),
    //: %1: the name of the stored sequence that runs, %2 its step.
    QT_TRANSLATE_NOOP("WebPanel", "Sequence \"%1\": step %2"),
    //: After the card's title when no card is switched.
    QT_TRANSLATE_NOOP("WebPanel", "(demo)"),
    //: %1: the pair's number, 1 to 16.
    QT_TRANSLATE_NOOP("WebPanel", "Pair %1"),
    //: %1: the pair's number, %2: the relay of the pair, A or B.
    QT_TRANSLATE_NOOP("WebPanel", "Pair %1 relay %2"),
    //: %1: the relay of the pair, A or B; %2: how often it has closed.
    QT_TRANSLATE_NOOP("WebPanel", "Relay %1 worn (%2 closings)"),
    //: %1: the relay of the pair, A or B; %2: how often it has closed.
    QT_TRANSLATE_NOOP("WebPanel", "Relay %1 wearing (%2 closings)"),
    //: %1: the server's reason, in English.
    QT_TRANSLATE_NOOP("WebPanel", "Refused: %1"),
    QT_TRANSLATE_NOOP("WebPanel", "Not sent: the panel cannot be reached"),
    //: %1: why this page may not change the card, in English.
    QT_TRANSLATE_NOOP("WebPanel", "Read-only: %1"),
    //: The live connection to the panel stands.
    QT_TRANSLATE_NOOP("WebPanel", "Connected"),
    QT_TRANSLATE_NOOP("WebPanel", "Connection lost: reconnecting…"),
};

// The text of either table that reads `source`, or null.
const char *panelTextOf(const QByteArray &source)
{
    const auto same = [&source](const char *text) { return source == text; };
    if (const auto *found = std::find_if(std::begin(panelTexts), std::end(panelTexts), same);
        found != std::end(panelTexts))
        return *found;
    if (const auto *found = std::find_if(std::begin(scriptTexts), std::end(scriptTexts), same);
        found != std::end(scriptTexts))
        return *found;
    return nullptr;
}

QString panelText(const QString &language, const char *source)
{
    return translation::translateIn(language, "WebPanel", source);
}

QString welcomeText(const QString &language, const char *source)
{
    return translation::translateIn(language, "WebWelcomePage", source);
}

// The welcome page's words for the libraries that drive the card.
constexpr char simulatedPlatform[] = QT_TRANSLATE_NOOP(
    "WebWelcomePage", "the simulated platform that comes with the panel: no hardware is switched");
//: %1: the folder or installation the vendor's libraries were loaded from.
constexpr char vendorLibraries[]
    = QT_TRANSLATE_NOOP("WebWelcomePage", "the vendor's libraries (%1)");

} // namespace

const char demoDescription[]
    = QT_TRANSLATE_NOOP("WebWelcomePage", "Demo mode: no card is switched");

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

QByteArray welcomePage(const Instrument &instrument, const QString &language)
{
    QString rows;
    const auto row = [&rows, &language](const char *name, const QString &value) {
        rows += QStringLiteral("<tr><th scope=\"row\">%1</th><td>%2</td></tr>\n")
                    .arg(escaped(welcomeText(language, name)), escaped(value));
    };
    //: A row of the instrument's table; the value is its model number.
    row(QT_TRANSLATE_NOOP("WebWelcomePage", "Model"), instrument.model);
    row(QT_TRANSLATE_NOOP("WebWelcomePage", "Manufacturer"), instrument.manufacturer);
    row(QT_TRANSLATE_NOOP("WebWelcomePage", "Serial number (card id)"), instrument.serialNumber);
    QString description = instrument.userDescription;
    if (instrument.demo)
        description = welcomeText(language, demoDescription);
    else if (description.isEmpty())
        //: %1: the manufacturer, %2: the model number.
        description
            = welcomeText(language,
                          QT_TRANSLATE_NOOP("WebWelcomePage", "%1 %2 32-channel relay card"))
                  .arg(instrument.manufacturer, instrument.model);
    row(QT_TRANSLATE_NOOP("WebWelcomePage", "Description"), description);
    row(QT_TRANSLATE_NOOP("WebWelcomePage", "Firmware revision"), instrument.firmwareRevision);
    row(QT_TRANSLATE_NOOP("WebWelcomePage", "Instrument driver revision"),
        instrument.driverRevision);
    if (!instrument.commonRevision.isEmpty())
        row(QT_TRANSLATE_NOOP("WebWelcomePage", "Common library revision"),
            instrument.commonRevision);
    if (!instrument.programVersion.isEmpty())
        //: The program's name; the value is its version.
        row(QT_TRANSLATE_NOOP("WebWelcomePage", "Soft front panel"), instrument.programVersion);
    const QString platform = instrument.simulated
        ? welcomeText(language, simulatedPlatform)
        : welcomeText(language, vendorLibraries).arg(instrument.libraryOrigin);
    //: Which libraries drive the card: the vendor's or the simulated ones.
    row(QT_TRANSLATE_NOOP("WebWelcomePage", "Platform"), platform);
    row(QT_TRANSLATE_NOOP("WebWelcomePage", "Host name"), instrument.hostName);
    row(QT_TRANSLATE_NOOP("WebWelcomePage", "IP address"), instrument.address);
    for (const QString &addressString : instrument.addressStrings)
        row(QT_TRANSLATE_NOOP("WebWelcomePage", "VISA address"), addressString);
    const QString page
        = QStringLiteral("<!DOCTYPE html>\n<html lang=\"%5\">\n<head>\n<meta charset=\"utf-8\">\n"
                         "<meta name=\"viewport\" content=\"width=device-width, "
                         "initial-scale=1\">\n<title>%1 %2 %3</title>\n"
                         "<link rel=\"stylesheet\" href=\"/panel.css\">\n</head>\n<body>\n"
                         "<main>\n<h1>%1 %2 %3</h1>\n<table class=\"about\">\n%4</table>\n"
                         "<p><a href=\"/panel\">%6</a> · "
                         "<a href=\"/lxi/identification\">%7</a></p>\n"
                         "</main>\n</body>\n</html>\n")
              .arg(escaped(instrument.manufacturer), escaped(instrument.model),
                   escaped(instrument.serialNumber), rows, language,
                   escaped(welcomeText(
                       language, QT_TRANSLATE_NOOP("WebWelcomePage", "Open the front panel"))),
                   escaped(welcomeText(language,
                                       QT_TRANSLATE_NOOP("WebWelcomePage", "LXI identification"))));
    return page.toUtf8();
}

QByteArray panelPage(const QByteArray &html, const QString &language)
{
    const QString page = QString::fromUtf8(html);
    QString translated;
    translated.reserve(page.size());
    qsizetype from = 0;
    for (;;) {
        const qsizetype open = page.indexOf(QLatin1String("{{"), from);
        const qsizetype close = open < 0 ? -1 : page.indexOf(QLatin1String("}}"), open + 2);
        if (close < 0)
            break;
        const QByteArray source = QStringView(page).mid(open + 2, close - open - 2).toUtf8();
        const char *const known = panelTextOf(source);
        translated += QStringView(page).mid(from, open - from);
        // A text the tables lack would never be translated: it stays as it
        // is, braces and all, for the tests to see.
        translated += known != nullptr ? escaped(panelText(language, known))
                                       : page.mid(open, close + 2 - open);
        from = close + 2;
    }
    translated += QStringView(page).mid(from);
    translated.replace(QLatin1String("<html lang=\"en\">"),
                       QStringLiteral("<html lang=\"%1\">").arg(language));
    if (language != english) {
        // Not executed, so the page's policy lets it be: the script reads
        // its texts from it.
        QJsonObject texts;
        for (const char *source : scriptTexts)
            texts.insert(QString::fromUtf8(source), panelText(language, source));
        const QString block
            = QStringLiteral("<script type=\"application/json\" id=\"texts\">%1</script>\n")
                  .arg(QString::fromUtf8(QJsonDocument(texts).toJson(QJsonDocument::Compact))
                           .replace(QLatin1Char('<'), QLatin1String("\\u003c")));
        translated.replace(QLatin1String("</head>"), block + QLatin1String("</head>"));
    }
    return translated.toUtf8();
}

} // namespace sfp::webDocuments
