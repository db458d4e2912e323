#!/usr/bin/env bash
# SPDX-FileCopyrightText: 2026 Tarvex
# SPDX-License-Identifier: MIT
# Draws docs/architecture.svg, the program's targets and their links, from
# a configured build folder (default build/) with CMake's --graphviz and
# Graphviz's dot. Run it after a change of the rooms and commit the picture.
set -euo pipefail
top=$(cd "$(dirname "$0")/.." && pwd)
build=${1:-$top/build}
out=$(mktemp -d)
trap 'rm -rf "$out"' EXIT
cmake --graphviz="$out/targets.dot" "$build" >/dev/null
dot -Tsvg "$out/targets.dot" -o "$out/architecture.svg"
# The picture is ours, under the project's licence, and says so as every
# file that takes comments does.
{
    sed -n '1p' "$out/architecture.svg"
    echo '<!-- SPDX-FileCopyrightText: 2026 Tarvex -->'
    echo '<!-- SPDX-License-Identifier: MIT -->'
    sed '1d' "$out/architecture.svg"
} >"$top/docs/architecture.svg"
echo "docs/architecture.svg drawn from $build"
