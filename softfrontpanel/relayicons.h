// SPDX-FileCopyrightText: 2026 Tarvex
// SPDX-License-Identifier: MIT
// The contact pictures of a relay button, 19 x 12 pixels, black on
// transparent.
#pragma once

// Relay off: the contact bar lifted at an angle.
extern const char *const relayOpenXpm[];
// Relay on: the contact bar lying flat across both terminals.
extern const char *const relayClosedXpm[];
