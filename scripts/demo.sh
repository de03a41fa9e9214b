#!/usr/bin/env bash
# Installs what is missing, builds, and starts the demo.
set -euo pipefail
cd "$(dirname "$0")/.."
bash scripts/install-deps.sh
cmake --preset dev >/dev/null
cmake --build --preset dev
if [ -x build/dev/bin/demo ]; then
  exec build/dev/bin/demo
fi
# Until Paketlader exists, the demo is the test suite of what is built.
ctest --preset dev
