// SPDX-FileCopyrightText: 2026 Tarvex
// SPDX-License-Identifier: MIT
#include "qx2010fp_genfc.h"

qx2010fp_genFC::qx2010fp_genFC(int code)
    : modelCode(code)
{ }

qx2010fp_genFC::~qx2010fp_genFC() = default;
