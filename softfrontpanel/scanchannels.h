// SPDX-FileCopyrightText: 2026 Tarvex
// SPDX-License-Identifier: MIT
// A scan's channel list as the operator types it, the way a script writes
// it inside "(@ )": "1,3:5,(7,9)". A channel alone is a step; a range is
// one step per channel, in its order (5:3 runs down); channels in
// parentheses are one step, closed together.
#pragma once

#include <QList>
#include <QString>

namespace sfp::scanChannels {

struct Reading
{
    // The relays each step closes together, in the list's order.
    QList<QList<int>> steps;
    // What is wrong with the text, in the operator's language; empty when
    // the text is a list (an empty text is one without steps).
    QString error;
};

Reading read(const QString &text);
// The steps as a list that read() gives back: runs of single channels
// written as ranges, as the card's lists are written to scripts.
QString write(const QList<QList<int>> &steps);

} // namespace sfp::scanChannels
