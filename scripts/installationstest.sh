#!/usr/bin/env bash
# Installs a build into a temporary prefix and runs the installed programs from there: Paketlader
# on Qt's offscreen platform (it must come up, stay up and end on SIGTERM with status 0), and
# Paketstarter, whose Paketlader must come up too. Usage: installationstest.sh BUILD_FOLDER
set -euo pipefail
build=$1
wurzel=$(mktemp -d)
pids=()
aufraeumen() {
  for p in "${pids[@]}"; do kill "$p" 2>/dev/null || true; done
  rm -rf "$wurzel"
}
trap aufraeumen EXIT
prefix=$wurzel/prefix
mkdir -p "$wurzel/tmp" "$wurzel/home"
export TMPDIR=$wurzel/tmp HOME=$wurzel/home QT_QPA_PLATFORM=offscreen
# A port nobody listens on: the server light shows the cross, the window stays.
export KIRO_UPDATE_SERVER=http://127.0.0.1:9

cmake --install "$build" --prefix "$prefix" >/dev/null
for datei in bin/Paketstarter bin/Paketlader; do
  [ -x "$prefix/$datei" ] || { echo "installationstest: $datei is not installed" >&2; exit 1; }
done
[ -f "$prefix/libexec/paketlader/_InstSetup/lib/sevenzip/7z.so" ] ||
  { echo "installationstest: the 7-Zip library is not beside the installed Paketlader" >&2; exit 1; }

# Alive after some seconds, or the reason from its output.
bleibt() {
  local pid=$1 log=$2
  for _ in $(seq 1 30); do
    if ! kill -0 "$pid" 2>/dev/null; then
      echo "installationstest: the installed Paketlader ended at once:" >&2
      tail -n 20 "$log" >&2
      exit 1
    fi
    sleep 0.1
  done
}

"$prefix/bin/Paketlader" >"$wurzel/paketlader.log" 2>&1 &
erster=$!
pids+=("$erster")
bleibt "$erster" "$wurzel/paketlader.log"
echo "installationstest: $prefix/bin/Paketlader runs"
# A logout's SIGTERM ends it the normal way: status 0, and in a sanitizer build no leak report.
kill -TERM "$erster"
status=0
wait "$erster" || status=$?
if [ "$status" -ne 0 ]; then
  echo "installationstest: the installed Paketlader ended with status $status after SIGTERM:" >&2
  tail -n 20 "$wurzel/paketlader.log" >&2
  exit 1
fi
echo "installationstest: $prefix/bin/Paketlader ends on SIGTERM"

ausgabe=$("$prefix/bin/Paketstarter")
echo "$ausgabe"
eigen=$TMPDIR/kiro-$(id -u)
grep -qx "Starting Paketlader (log: $eigen/Paketlader.log)" <<<"$ausgabe" ||
  { echo "installationstest: Paketstarter did not start Paketlader" >&2; exit 1; }
# The Paketlader it started, found by its executable (it runs in a session of its own).
gestartet=""
for _ in $(seq 1 100); do
  for exe in /proc/[0-9]*/exe; do
    if [ "$(readlink "$exe" 2>/dev/null)" = "$eigen/Paketlader" ]; then
      gestartet=${exe#/proc/}
      gestartet=${gestartet%/exe}
    fi
  done
  [ -n "$gestartet" ] && break
  sleep 0.1
done
[ -n "$gestartet" ] || { echo "installationstest: no Paketlader came up:" >&2; tail -n 20 "$eigen/Paketlader.log" >&2; exit 1; }
pids+=("$gestartet")
bleibt "$gestartet" "$eigen/Paketlader.log"
echo "installationstest: the Paketlader that $prefix/bin/Paketstarter started runs"
