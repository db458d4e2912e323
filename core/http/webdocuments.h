// SPDX-FileCopyrightText: 2026 Tarvex
// SPDX-License-Identifier: MIT
// The web face's documents about the instrument: the LXI identification
// document (LXI Identification Schema 2.0) and the welcome page, made for
// the address a request came in on.
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
    QString driverRevision;
    QString commonRevision;
    QString programVersion;
    QString platform;
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

QByteArray identification(const Instrument &instrument);
QByteArray welcomePage(const Instrument &instrument);

} // namespace sfp::webDocuments
