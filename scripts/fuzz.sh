#!/usr/bin/env bash
# Builds the XML reader's fuzzer with clang (preset fuzz) and runs it for a bounded time (FUZZ_SECONDS, 60 by
# default), seeded with the inputs of the reader's trace suite. Non-zero on any finding. The
# mutation seed is fixed (FUZZ_SEED, 1 by default), so a run repeats what an earlier one explored.
set -euo pipefail
cd "$(dirname "$0")/.."
seconds=${FUZZ_SECONDS:-60}
cmake --preset fuzz >/dev/null
cmake --build --preset fuzz
fuzzer=build/fuzz/bin/kiroxml_fuzz

korpus=build/fuzz/korpus
mkdir -p "$korpus"
suite=""
for b in build/ci/bin build/dev/bin build/release/bin; do
  if [ -x "$b/datafiles_kiroxml_lesen_test" ]; then suite="$b/datafiles_kiroxml_lesen_test"; break; fi
done
if [ -z "$suite" ]; then
  echo "fuzz: build the tests first (datafiles_kiroxml_lesen_test not found)" >&2
  exit 1
fi
KIRO_FUZZ_KORPUS="$PWD/$korpus" QT_QPA_PLATFORM=offscreen ASAN_OPTIONS=detect_leaks=0 \
  "$suite" --gtest_filter='*Spurtabelle*:*Tiefe*' >/dev/null

# The target writes its input to a file each run: keep that in memory when possible.
tmp=$(mktemp -d "${XDG_RUNTIME_DIR:-/dev/shm}/kiroxml-fuzz.XXXXXX" 2>/dev/null || mktemp -d)
trap 'rm -rf "$tmp"' EXIT
mkdir -p build/fuzz/funde
log=build/fuzz/lauf.log
if ! TMPDIR="$tmp" "$fuzzer" -seed="${FUZZ_SEED:-1}" -max_total_time="$seconds" -max_len=65536 -timeout=10 \
    -rss_limit_mb=2048 -artifact_prefix=build/fuzz/funde/ -print_final_stats=1 "$korpus" >"$log" 2>&1; then
  tail -80 "$log" >&2
  echo "fuzz: finding kept in build/fuzz/funde/" >&2
  exit 1
fi
grep -E '^(Done|stat::number_of_executed_units|stat::new_units_added)' "$log" || true
