// SPDX-FileCopyrightText: 2026 Tarvex
// SPDX-License-Identifier: MIT
#include "scpihandler.h"

namespace sfp {

ScpiHandler::~ScpiHandler() = default;

} // namespace sfp
