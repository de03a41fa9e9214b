#!/usr/bin/env bash
# Screenshots of Paketlader's main window under Xvfb, German and English, taken by a small test
# tool (the window grabs itself) against a loopback update server (the main window also under a
# dark palette), then of the info window in both languages (with the whole screen, to show where
# it opened) and of a sheet with every image of its collections. PNGs go to build/screenshots/.
set -euo pipefail
cd "$(dirname "$0")/.."
cmake --preset dev >/dev/null
cmake --build --preset dev -j6 --target paketlader_bildschirmfoto >/dev/null
out=build/screenshots
mkdir -p "$out"
for edition in "${@:-LehrStick}"; do
  for sprache in Deutsch English; do
    xvfb-run -a -s "-screen 0 1280x1024x24 -dpi 96" \
      build/dev/bin/paketlader_bildschirmfoto --screenshot "$out/paketlader-$edition-$sprache.png" \
      --sprache "$sprache" --edition "$edition"
    echo "$out/paketlader-$edition-$sprache.png"
    # The same under a dark desktop palette.
    xvfb-run -a -s "-screen 0 1280x1024x24 -dpi 96" \
      build/dev/bin/paketlader_bildschirmfoto --screenshot "$out/paketlader-$edition-$sprache-dunkel.png" \
      --sprache "$sprache" --edition "$edition" --palette dunkel
    echo "$out/paketlader-$edition-$sprache-dunkel.png"
  done
done
for sprache in Deutsch English; do
  xvfb-run -a -s "-screen 0 1280x1024x24 -dpi 96" \
    build/dev/bin/paketlader_bildschirmfoto --screenshot "$out/paketlader-info-$sprache.png" --fenster info \
    --sprache "$sprache"
  echo "$out/paketlader-info-$sprache.png"
done
xvfb-run -a -s "-screen 0 1280x1024x24 -dpi 96" \
  build/dev/bin/paketlader_bildschirmfoto --screenshot "$out/paketlader-bilder.png" --fenster bilder
echo "$out/paketlader-bilder.png"

# The header dialogs (author, category choice, file information and its file menu), filled with
# a plausible header and drawn with the application's images.
dialogfotos() {
  cmake --build --preset dev -j6 --target components_dialogfotos >/dev/null
  xvfb-run -a -s "-screen 0 1280x1024x24 -dpi 96" build/dev/bin/components_dialogfotos "$out"
}
dialogfotos
