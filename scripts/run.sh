#!/usr/bin/env bash
# Installs what is missing, builds, and starts the relay card's soft front
# panel on the simulated platform (SFP_SIM_CONFIG, SFP_SIM_TRACE apply).
set -euo pipefail
top=$(cd "$(dirname "$0")/.." && pwd)
"$top/scripts/deps.sh"
"$top/scripts/build.sh" build -DSFP_BUILD_TESTS=OFF -DSFP_BUILD_BENCH=OFF

if [[ -z "${DISPLAY:-}" && -z "${WAYLAND_DISPLAY:-}" && -z "${QT_QPA_PLATFORM:-}" ]]; then
    echo "No display found: run with QT_QPA_PLATFORM=vnc to use the panel from a VNC viewer (port 5900)." >&2
    exit 1
fi
exec "$top/build/bin/qx5170fp" "$@"
