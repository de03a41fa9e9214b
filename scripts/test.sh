#!/usr/bin/env bash
# Installs what is missing, builds with AddressSanitizer and UndefinedBehaviorSanitizer, builds the
# two programs once more as a distribution would (no tests, no -Werror), fuzzes the XML reader for a
# bounded time, then runs every test (ctest's summary is the last word; the test "installation"
# installs the build into a temporary prefix and starts the installed programs).
set -euo pipefail
cd "$(dirname "$0")/.."
bash scripts/install-deps.sh
cmake --preset ci >/dev/null
cmake --build --preset ci
bash scripts/ohne-tests.sh .
bash scripts/fuzz.sh
ctest --preset ci
