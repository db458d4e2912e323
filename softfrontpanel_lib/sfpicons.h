// SPDX-FileCopyrightText: 2026 Tarvex
// SPDX-License-Identifier: MIT
// Small icons of the common windows, compiled in as XPM images.
#pragma once

#include <QPixmap>

namespace sfpIcons {

QPixmap panel(); // 16 x 16 window icon of every soft front panel window
QPixmap whatsThis(); // 20 x 17, help button
QPixmap singleShotStart(); // 12 x 12, idle single-shot acquisition button
QPixmap repetitiveStart(); // 12 x 12, idle repetitive acquisition button
QPixmap stop(); // 12 x 12, acquisition button while running

} // namespace sfpIcons
