#!/usr/bin/env bash
# The two programs as a distribution builds them: a plain configure (no preset, so no -Werror)
# with BUILD_TESTING=OFF, where the test packages may be missing. Usage:
# ohne-tests.sh SOURCE_FOLDER [--nur-konfigurieren]
set -euo pipefail
quelle=$1
ordner=$(mktemp -d)
trap 'rm -rf "$ordner"' EXIT
# GoogleTest counts as missing: the configure must not look for it.
cmake -S "$quelle" -B "$ordner" -G Ninja -DCMAKE_BUILD_TYPE=Release -DBUILD_TESTING=OFF \
  -DCMAKE_DISABLE_FIND_PACKAGE_GTest=ON >"$ordner/konfiguration.log" 2>&1 ||
  { cat "$ordner/konfiguration.log" >&2; echo "ohne-tests: the configure without tests failed" >&2; exit 1; }
if grep -q -- "-Werror" "$ordner/compile_commands.json"; then
  echo "ohne-tests: -Werror is on outside the dev and ci presets" >&2
  exit 1
fi
ziele=$(cmake --build "$ordner" --target help)
for ziel in Paketlader Paketstarter; do
  grep -q "^$ziel:" <<<"$ziele" || { echo "ohne-tests: no target $ziel" >&2; exit 1; }
done
if grep -E -q "^[a-z_]+_test:|^kiro_testsupport:|^demo:" <<<"$ziele"; then
  echo "ohne-tests: test targets are built with BUILD_TESTING=OFF" >&2
  exit 1
fi
[ "${2:-}" = "--nur-konfigurieren" ] && exit 0
cmake --build "$ordner" --target Paketstarter >"$ordner/bau.log" 2>&1 ||
  { tail -n 30 "$ordner/bau.log" >&2; echo "ohne-tests: the build of the two programs failed" >&2; exit 1; }
echo "ohne-tests: Paketlader and Paketstarter build without the tests"
