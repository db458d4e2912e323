// SPDX-FileCopyrightText: 2026 Tarvex
// SPDX-License-Identifier: MIT
// The relay card's status report after a driver call.
#pragma once

#include "visatype.h"

#include <QString>

// Reports a non-zero status of the relay card's driver to the operator, with
// the driver's own text for it; `callText` names the call as written at the
// call site.
void reportDriverStatus(ViStatus status, const char *callText);

// The text that report shows for a non-zero status, for reports that go
// elsewhere than to a message box (a remote client's error queue).
QString driverStatusText(ViStatus status, const char *callText);
