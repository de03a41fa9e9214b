#!/usr/bin/env bash
# Installs every Debian 12 package the build, the tests and the demo use.
# Idempotent: quiet and quick when everything is already there.
set -euo pipefail

packages=(
  build-essential g++ cmake ninja-build pkg-config
  clang libclang-rt-14-dev
  qt6-base-dev libqt6gui6 libqt6widgets6 qt6-qpa-plugins libgl-dev qt6-svg-dev
  qt6-translations-l10n  # Qt's own dialogs in German
  fonts-liberation2 fonts-dejavu-core
  libgtest-dev libgmock-dev
  libexpat1-dev libarchive-dev zlib1g-dev libisal-dev
  libcurl4-openssl-dev libcpp-httplib-dev libudev-dev libssl-dev
  curl ca-certificates openssl
  p7zip-full dosfstools dbus-daemon dbus-bin xvfb xauth
  at-spi2-core  # the accessibility bus the screen-reader tests read
  dbus-x11  # the session bus Qt starts under a bare xvfb-run, as the demo's test meets it
  subversion
  locales
  binutils-mingw-w64-i686 binutils-mingw-w64-x86-64  # windres and ld make the test PE files
)

missing=()
for p in "${packages[@]}"; do
  if ! dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q 'install ok installed'; then
    missing+=("$p")
  fi
done

if [ ${#missing[@]} -gt 0 ]; then
  if [ "$(id -u)" -ne 0 ]; then
    echo "install-deps: missing packages: ${missing[*]} (run as root)" >&2
    exit 1
  fi
  export DEBIAN_FRONTEND=noninteractive
  apt-get update -qq
  apt-get install -y -qq --no-install-recommends "${missing[@]}" >/dev/null
fi

# The tests pack and unpack under a Latin-1 locale, too.
if ! locale -a 2>/dev/null | grep -qx 'de_DE.iso88591'; then
  if [ "$(id -u)" -eq 0 ]; then
    localedef -i de_DE -f ISO-8859-1 de_DE.ISO-8859-1
  else
    echo "install-deps: locale de_DE.ISO-8859-1 is missing (run as root)" >&2
  fi
fi

# The 7-Zip library must be the current code (7-Zip 26), not the old p7zip 16.02.
ver=$(dpkg-query -W -f='${Version}' p7zip-full)
if ! dpkg --compare-versions "$ver" ge "16.02+really26.02"; then
  echo "install-deps: p7zip-full $ver is too old; need 16.02+really26.02 or later" >&2
  exit 1
fi
