#!/usr/bin/env bash
# Installs what is missing, builds with AddressSanitizer and UndefinedBehaviorSanitizer, fuzzes the
# XML reader for a bounded time, then runs every test (ctest's summary is the last word).
set -euo pipefail
cd "$(dirname "$0")/.."
bash scripts/install-deps.sh
cmake --preset ci >/dev/null
cmake --build --preset ci
bash scripts/fuzz.sh
ctest --preset ci
