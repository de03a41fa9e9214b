#!/usr/bin/env bash
# Builds the reader's libFuzzer target with clang: build/fuzz/kiroxml_fuzz.
set -euo pipefail
cd "$(dirname "$0")/../.."
out=build/fuzz
mkdir -p "$out"
src=(
  datafiles/fuzz/kiroxml_fuzz.cpp datafiles/src/*.cpp datafiles/tests/support/TextDouble.cpp
  foundation/src/Protokoll.cpp foundation/src/Formatieren.cpp foundation/src/Ordner.cpp
  foundation/src/Ansi.cpp foundation/src/Meldung.cpp foundation/src/SystemFehlertext.cpp
  foundation/core/src/Kern.cpp
)
# shellcheck disable=SC2046
clang++ -std=c++20 -g -O1 -fPIC -fsanitize=fuzzer,address -Wall -Wextra \
  -Idatafiles/include -Ifoundation/include -Ifoundation/core/include \
  $(pkg-config --cflags Qt6Core) "${src[@]}" $(pkg-config --libs Qt6Core) -o "$out/kiroxml_fuzz"
echo "$out/kiroxml_fuzz"
