#!/usr/bin/env bash
# Builds the fuzzers with clang (preset fuzz) and runs each for a bounded time: the XML reader and
# the PE version reader share FUZZ_SECONDS (60 by default) in equal halves. Each is seeded with the
# inputs of its test suite, the XML reader also with the whole-file tree's generated corpus.
# Non-zero on any finding. The mutation seed is fixed (FUZZ_SEED, 1 by default), so a run repeats
# what an earlier one explored.
set -euo pipefail
cd "$(dirname "$0")/.."
seconds=$(( ${FUZZ_SECONDS:-60} / 2 ))
[ "$seconds" -ge 1 ] || seconds=1
cmake --preset fuzz >/dev/null
cmake --build --preset fuzz

suite_bin=""
for b in build/ci/bin build/dev/bin build/release/bin; do
  if [ -x "$b/datafiles_kiroxml_lesen_test" ] && [ -x "$b/datafiles_verlustfrei_eigenschaft_test" ] &&
     [ -x "$b/foundation_peversion_test" ]; then suite_bin="$b"; break; fi
done
if [ -z "$suite_bin" ]; then
  echo "fuzz: build the tests first (datafiles_kiroxml_lesen_test, datafiles_verlustfrei_eigenschaft_test," \
       "foundation_peversion_test not found)" >&2
  exit 1
fi
mkdir -p build/fuzz/korpus build/fuzz/korpus-pe build/fuzz/funde
KIRO_FUZZ_KORPUS="$PWD/build/fuzz/korpus" QT_QPA_PLATFORM=offscreen LSAN_OPTIONS="suppressions=$PWD/cmake/lsan.supp" \
  "$suite_bin/datafiles_kiroxml_lesen_test" --gtest_filter='*Spurtabelle*:*Tiefe*' >/dev/null
KIRO_FUZZ_KORPUS="$PWD/build/fuzz/korpus" QT_QPA_PLATFORM=offscreen LSAN_OPTIONS="suppressions=$PWD/cmake/lsan.supp" \
  "$suite_bin/datafiles_verlustfrei_eigenschaft_test" >/dev/null
KIRO_FUZZ_PE_KORPUS="$PWD/build/fuzz/korpus-pe" QT_QPA_PLATFORM=offscreen LSAN_OPTIONS="suppressions=$PWD/cmake/lsan.supp" \
  "$suite_bin/foundation_peversion_test" --gtest_filter='PeDateien.VersionAusPe32UndPe32Plus' >/dev/null

# The targets write their input to a file each run: keep that in memory when possible.
tmp=$(mktemp -d "${XDG_RUNTIME_DIR:-/dev/shm}/kiro-fuzz.XXXXXX" 2>/dev/null || mktemp -d)
trap 'rm -rf "$tmp"' EXIT

# fuzz NAME KORPUS MAX_LEN
fuzz() {
  local log="build/fuzz/lauf-$1.log"
  if ! TMPDIR="$tmp" "build/fuzz/bin/$1" -seed="${FUZZ_SEED:-1}" -max_total_time="$seconds" -max_len="$3" \
      -timeout=10 -rss_limit_mb=2048 -artifact_prefix="build/fuzz/funde/$1-" -print_final_stats=1 "$2" \
      >"$log" 2>&1; then
    tail -80 "$log" >&2
    echo "fuzz: $1: finding kept in build/fuzz/funde/" >&2
    exit 1
  fi
  echo "fuzz: $1"
  grep -E '^(Done|stat::number_of_executed_units|stat::new_units_added)' "$log" || true
}
fuzz kiroxml_fuzz build/fuzz/korpus 65536
fuzz peversion_fuzz build/fuzz/korpus-pe 16384
