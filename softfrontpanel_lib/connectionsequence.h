// SPDX-FileCopyrightText: 2026 Tarvex
// SPDX-License-Identifier: MIT
// The plain parts of the connection sequence (qx2010fp_fcSelect::connectFc):
// the checks of typed addresses and the texts of a failed open.
#pragma once

#include "visatype.h"

#include <QList>
#include <QString>
#include <QStringList>

class qx2010fp_genFC;

namespace sfpConnection {

// The warning for the descriptors and card numbers of the address rows in
// use, or empty text when every row names a descriptor and a card number
// (the number 0 is "Select": none chosen).
QString typedAddressWarning(const QStringList &descriptors, const QList<int> &fcNumbers);

// The driver's text for the status of a failed open, or, when the driver
// has none, the common library's.
QString openErrorText(const qx2010fp_genFC &fc, ViStatus status);

// What the operator is told when the chosen card(s) could not be opened.
QString unavailableText(const QString &modelText, int fcCount, const QString &errorText);

} // namespace sfpConnection
