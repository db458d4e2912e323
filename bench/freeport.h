// SPDX-FileCopyrightText: 2026 Tarvex
// SPDX-License-Identifier: MIT
// A loopback port for a panel that a benchmark starts, and the access
// rules it is started with.
#pragma once

#include <QStringList>
#include <QtGlobal>

// A port nobody listens on now, for a panel to take; 0 when none is found.
quint16 freePort();

// --allow with a list of 100 networks, as a lab with many subnets gives it:
// the panel's figures must meet their targets with the rules in place.
QStringList hundredNetworksAllowed();
