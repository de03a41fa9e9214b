#!/usr/bin/env bash
# Installs what is missing, builds, and starts the demo: a local update server on 127.0.0.1 with
# generated content, and Paketstarter pointed at it. Closing Paketlader's window ends the demo.
set -euo pipefail
cd "$(dirname "$0")/.."
bash scripts/install-deps.sh
cmake --preset dev >/dev/null
cmake --build --preset dev
if [ -z "${DISPLAY:-}" ] && [ -z "${WAYLAND_DISPLAY:-}" ]; then
  echo "demo: no display found; running Paketlader on a virtual X display (Xvfb). Stop with Ctrl+C." >&2
  exec xvfb-run -a build/dev/bin/demo
fi
exec build/dev/bin/demo
