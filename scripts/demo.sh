#!/usr/bin/env bash
# Installs what is missing, builds, and starts the demo: a local update server on 127.0.0.1 with
# generated content, and Paketstarter pointed at it. Closing Paketlader's window ends the demo.
# Without a display the demo drives the real window itself: it runs the stick build against
# the local server, prints each log line, saves screenshots in both languages to build/demo/
# screenshots/, and ends with the build's exit status.
set -euo pipefail
cd "$(dirname "$0")/.."
bash scripts/install-deps.sh
cmake --preset dev >/dev/null
cmake --build --preset dev
if [ -z "${DISPLAY:-}" ] && [ -z "${WAYLAND_DISPLAY:-}" ]; then
  echo "demo: no display found; the demo drives Paketlader's window on Qt's offscreen platform." >&2
  QT_QPA_PLATFORM=offscreen exec build/dev/bin/demo --ohne-anzeige build/demo
fi
exec build/dev/bin/demo
