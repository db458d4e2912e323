#!/usr/bin/env bash
# SPDX-FileCopyrightText: 2026 Tarvex
# SPDX-License-Identifier: MIT
# Every file of the repository that takes comments names its licence in an
# SPDX line; pictures, JSON, fuzzing seeds, test data rows (tests/data/),
# the translation catalogues (Qt's lupdate rewrites them whole, comments
# and all), the change log and the copyright file itself are covered by
# packaging/copyright instead.
set -euo pipefail
top=$(cd "$(dirname "$0")/.." && pwd)
cd "$top"
missing=$(git ls-files | grep -Ev '\.(png|bmp|json)$|^translations/.*\.ts$|^tests/fuzz/corpus/|^tests/data/|^LICENSE$|^packaging/(changelog|copyright)$' \
    | while read -r file; do
        [[ -f $file ]] && ! grep -q 'SPDX-License-Identifier: ' "$file" && echo "$file"
    done || true)
if [[ -n $missing ]]; then
    echo "check-licence: no SPDX-License-Identifier line in:" >&2
    echo "$missing" >&2
    exit 1
fi
grep -q '^License: MIT$' packaging/copyright || { echo "check-licence: packaging/copyright names no MIT licence" >&2; exit 1; }
echo "every file names its licence"
