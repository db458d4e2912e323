#!/usr/bin/env bash
# SPDX-FileCopyrightText: 2026 Tarvex
# SPDX-License-Identifier: MIT
# Installs what is missing, builds, and saves screenshots of the panel on the
# simulated platform into docs/ (run under Xvfb, no display needed).
set -euo pipefail
top=$(cd "$(dirname "$0")/.." && pwd)
"$top/scripts/deps.sh"
# PulseView draws the switching log's timeline; the tests need only sigrok-cli.
command -v pulseview > /dev/null || DEBIAN_FRONTEND=noninteractive apt-get install -y \
    --no-install-recommends pulseview
"$top/scripts/build.sh" build
exec dbus-run-session -- /usr/bin/python3 "$top/scripts/screenshots.py" \
    --program "$top/build/bin/qx5170fp" --grab "$top/build/bin/sfp_screengrab" \
    --out "${1:-$top/docs}"
