#!/usr/bin/env bash
# SPDX-FileCopyrightText: 2026 Tarvex
# SPDX-License-Identifier: MIT
# Installs what is missing, builds, and starts the relay card's soft front
# panel on the simulated platform (SFP_SIM_CONFIG, SFP_SIM_TRACE apply).
set -euo pipefail
top=$(cd "$(dirname "$0")/.." && pwd)

"$top/scripts/deps.sh"
"$top/scripts/build.sh" build -DSFP_BUILD_TESTS=OFF -DSFP_BUILD_BENCH=OFF

# Without a display the panel cannot show itself: say so in one line, with
# the way to use it from a VNC viewer (Qt's VNC platform comes with Debian's
# qt6-qpa-plugins).
if [[ -z "${DISPLAY:-}" && -z "${WAYLAND_DISPLAY:-}" && -z "${QT_QPA_PLATFORM:-}" ]]; then
    echo "No display found: start it as QT_QPA_PLATFORM=vnc scripts/run.sh" \
        "and connect a VNC viewer to port 5900." >&2
    exit 1
fi
exec "$top/build/bin/qx5170fp" --simulate "$@"
