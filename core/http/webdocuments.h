// SPDX-FileCopyrightText: 2026 Tarvex
// SPDX-License-Identifier: MIT
// The web face's documents about the instrument: the LXI identification
// document (LXI Identification Schema 2.0) and the welcome page, made for
// the address a request came in on, and the live panel's page. The pages
// are in their reader's language; the identification document is read by
// programs and stays English.
#pragma once

#include <QByteArray>
#include <QString>
#include <QStringList>

namespace sfp::webDocuments {

struct Instrument
{
    // The four fields of *IDN?, as it answers them.
    QString manufacturer;
    QString model;
    QString serialNumber;
    QString firmwareRevision;
    QString userDescription; // empty: none
    // Whether the description is the demo mode's: the welcome page says
    // it in its reader's language.
    bool demo = false;
    QString driverRevision;
    QString commonRevision;
    QString programVersion;
    // The simulated platform, or the vendor's libraries from this origin.
    bool simulated = false;
    QString libraryOrigin;
    // Where the request came in: this machine's name, the address as a URL
    // holds it ("192.168.7.2", "[fd00::2]") and as text, the web port.
    QString hostName;
    QString urlHost;
    QString address;
    bool ipv6 = false;
    quint16 webPort = 0;
    // The VISA address strings of the faces that listen there.
    QStringList addressStrings;
};

// The four fields of an *IDN? answer; a serial number holding commas
// keeps them, as the first two fields and the last have none.
void splitIdentity(const QByteArray &identity, Instrument *instrument);

// What a card in demo mode describes itself as, in English.
extern const char demoDescription[];

QByteArray identification(const Instrument &instrument);
// In `language`, one of sfp::translation::languages().
QByteArray welcomePage(const Instrument &instrument, const QString &language);
// The panel page `html` in `language`: each "{{text}}" of it, a text of
// the page, translated, and the script's texts handed to it in a data
// block, as the script itself is the same in every language. In English
// the page reads as it was written, with no such block.
QByteArray panelPage(const QByteArray &html, const QString &language);

} // namespace sfp::webDocuments
