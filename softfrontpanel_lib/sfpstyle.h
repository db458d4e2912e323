// SPDX-FileCopyrightText: 2026 Tarvex
// SPDX-License-Identifier: MIT
// The one widget style of every soft front panel window.
#pragma once

// Makes Fusion the application-wide style, so that the panel looks and lays
// out the same on every desktop. Needs the QApplication object; calling it
// again keeps the style already set.
void sfpApplyApplicationStyle();
