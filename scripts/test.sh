#!/usr/bin/env bash
# Installs what is missing, builds with AddressSanitizer and UndefinedBehaviorSanitizer, runs every test,
# then fuzzes the XML reader for a bounded time.
set -euo pipefail
cd "$(dirname "$0")/.."
bash scripts/install-deps.sh
cmake --preset ci >/dev/null
cmake --build --preset ci
ctest --preset ci
bash scripts/fuzz.sh
