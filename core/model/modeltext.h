// SPDX-FileCopyrightText: 2026 Tarvex
// SPDX-License-Identifier: MIT
#pragma once

#include <QString>

// A card model as titles and messages show it: the model code in
// hexadecimal, four places wide, padded with blanks ("5170").
namespace sfp {

QString modelText(int modelCode);

} // namespace sfp
