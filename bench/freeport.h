// SPDX-FileCopyrightText: 2026 Tarvex
// SPDX-License-Identifier: MIT
// A loopback port for a panel that a benchmark starts.
#pragma once

#include <QtGlobal>

// A port nobody listens on now, for a panel to take; 0 when none is found.
quint16 freePort();
