// SPDX-FileCopyrightText: 2026 Tarvex
// SPDX-License-Identifier: MIT
// A stored sequence as a script writes it, in the card's own SCPI
// switching commands ("ROUT:CLOS (@1);ROUT:SEQ:WAIT 100;ROUT:OPEN (@1)"),
// read into the fixture's steps and written back.
#pragma once

#include "fixture.h"

#include <QList>
#include <QString>

namespace sfp::sequenceText {

// The steps the commands give. Only switching commands may stand in a
// sequence: ROUTe:CLOSe, ROUTe:CLOSe:EXCLusive, ROUTe:OPEN, ROUTe:OPEN:ALL,
// ROUTe:UPDate and *TRG (the mode's update), ROUTe:SEQuence:WAIT. Anything
// else, or a command the parser refuses, leaves the steps empty and says
// why in `error`, naming the command as it was written.
QList<SequenceStep> parse(const QString &commands, QString *error);

// The steps as commands that parse() reads back to the same steps.
QString text(const QList<SequenceStep> &steps);

} // namespace sfp::sequenceText
