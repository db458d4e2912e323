// SPDX-FileCopyrightText: 2026 Tarvex
// SPDX-License-Identifier: MIT
// What the card-bound window writes into the frame's header: which system,
// slot or LAN module and which function card it is connected to; and the
// name that tells this card from every other one.
#pragma once

#include "visatype.h"

#include <QString>

namespace sfp {

struct CardHeader
{
    bool lxi = false; // the system answered as a LAN (LXI) device
    QString moduleText; // "Slot 5", or the LAN device name
    QString hostText; // LAN host name; empty for VXI or when it cannot be read
    QString fcText; // "FC 2"
    // VISA's own name of the resource ("VXI0::1::INSTR"), else the
    // descriptor the operator chose.
    QString resourceName;
};

// Asks the VISA session vi where the card sits. A session without a slot is
// taken to be a LAN device; a LAN text that cannot be read stays empty.
// `chosenDescriptors` is what the operator chose, one descriptor or several
// separated by commas; the first one names the resource when VISA does
// not.
CardHeader readCardHeader(ViSession vi, int fcNumber, const QString &chosenDescriptors = QString());

// The card's name for remote clients and its saved states: the resource,
// "/FC" and the card's position, "VXI0::1::INSTR/FC2". Commas, semicolons
// and every character outside printable ASCII become '_', so that the name
// fits in one field of an *IDN? answer.
QString cardId(const QString &resourceName, int fcNumber);

// "Orbelan 5170 Soft Front Panel", followed by ": " and the host name when
// there is one.
QString panelWindowTitle(const QString &modelText, const QString &hostText);
// Rich text of the header's title: the model, and the card's description in
// small print below it.
QString panelHeaderText(const QString &modelText, const QString &description);

} // namespace sfp
