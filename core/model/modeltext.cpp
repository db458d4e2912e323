// SPDX-FileCopyrightText: 2026 Tarvex
// SPDX-License-Identifier: MIT
#include "modeltext.h"

QString sfp::modelText(int modelCode)
{
    return QStringLiteral("%1").arg(modelCode, 4, 16, QLatin1Char(' '));
}
