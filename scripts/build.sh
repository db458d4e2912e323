#!/usr/bin/env bash
# SPDX-FileCopyrightText: 2026 Tarvex
# SPDX-License-Identifier: MIT
# Configures and builds one build folder: build.sh <folder> [cmake options...]
set -euo pipefail
top=$(cd "$(dirname "$0")/.." && pwd)
dir=$1
shift
cmake -S "$top" -B "$top/$dir" -G Ninja "$@" >/dev/null
cmake --build "$top/$dir" -j "$(nproc)"
