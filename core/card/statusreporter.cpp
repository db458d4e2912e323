// SPDX-FileCopyrightText: 2026 Tarvex
// SPDX-License-Identifier: MIT
#include "statusreporter.h"

namespace sfp {

StatusReporter::~StatusReporter() = default;

} // namespace sfp
