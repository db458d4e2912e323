// SPDX-FileCopyrightText: 2026 Tarvex
// SPDX-License-Identifier: MIT
// What the card-bound window writes into the frame's header: which system,
// slot or LAN module and which function card it is connected to.
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
};

// Asks the VISA session vi where the card sits. A session without a slot is
// taken to be a LAN device; a LAN text that cannot be read stays empty.
CardHeader readCardHeader(ViSession vi, int fcNumber);

// "Orbelan 5170 Soft Front Panel", followed by ": " and the host name when
// there is one.
QString panelWindowTitle(const QString &modelText, const QString &hostText);
// Rich text of the header's title: the model, and the card's description in
// small print below it.
QString panelHeaderText(const QString &modelText, const QString &description);

} // namespace sfp
