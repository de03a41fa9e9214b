#!/usr/bin/env bash
# Runs one test program as a screen reader meets it: under Xvfb on the xcb platform, with a
# session bus of its own and the accessibility bus that at-spi2-core's launcher starts on it.
# Exits 77 (a skipped test for ctest) when Xvfb, the session bus or the launcher cannot start.
set -uo pipefail

if [ "${KIRO_ATSPI_INNEN:-}" = 1 ]; then
  adresse=$(dbus-send --session --print-reply=literal --reply-timeout=20000 --dest=org.a11y.Bus \
    /org/a11y/bus org.a11y.Bus.GetAddress 2>/dev/null | tr -d ' ')
  if [ -z "$adresse" ]; then
    echo "atspi-bus: the accessibility bus did not start" >&2
    exit 77
  fi
  # Qt finds the bus through the launcher, as it does on a desktop.
  export QT_QPA_PLATFORM=xcb QT_LINUX_ACCESSIBILITY_ALWAYS_ON=1
  unset KIRO_ATSPI_INNEN
  exec "$@"
fi

for p in xvfb-run dbus-run-session dbus-send /usr/libexec/at-spi-bus-launcher; do
  if ! command -v "$p" >/dev/null; then
    echo "atspi-bus: $p is missing" >&2
    exit 77
  fi
done
# The launcher keeps its socket below XDG_RUNTIME_DIR; one folder per run keeps parallel runs apart.
laufzeit=$(mktemp -d)
trap 'rm -rf "$laufzeit"' EXIT
export XDG_RUNTIME_DIR="$laufzeit" KIRO_ATSPI_INNEN=1
xvfb-run -a -s "-screen 0 1280x1024x24 -dpi 96" dbus-run-session -- bash "$0" "$@"
