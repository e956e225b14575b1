#!/usr/bin/env bash
# Builds the fuzz targets of the file readers, the CP932 text helpers and the
# CSV writer natively (clang, libFuzzer, AddressSanitizer,
# UndefinedBehaviorSanitizer) into <build>/fuzz and runs them.
#
#   scripts/fuzz.sh                 every target for a fixed number of runs (a check
#                                   that takes seconds; scripts/test.sh runs this)
#   scripts/fuzz.sh --long [SECS]   every target for SECS seconds (default 300),
#                                   keeping what it learns in <build>/fuzz/corpus/
#   ... [TARGET...]                 only these targets (LineBufferFuzz, OldSettingsFuzz,
#                                   RecordsFuzz, SettingsIniFuzz, Cp932Fuzz,
#                                   CsvFuzz, RunJournalFuzz)
#
# An input that fails a check, crashes, leaks, runs longer than 10 s or needs more
# than 512 MB is written to <build>/fuzz/artifacts/ and the script fails. Inputs
# worth keeping go into tests/fuzz/corpus/<target>/ by hand, with a test under
# tests/store/ for any fault they found.
set -euo pipefail
. "$(dirname "$0")/paths.sh"

long=0
seconds=300
runs=${VANTRY_FUZZ_RUNS:-20000}
if [ "${1:-}" = "--long" ]; then
  long=1
  shift
  if [[ "${1:-}" =~ ^[0-9]+$ ]]; then seconds=$1; shift; fi
fi
targets=("$@")
[ ${#targets[@]} -gt 0 ] ||
  targets=(LineBufferFuzz OldSettingsFuzz RecordsFuzz SettingsIniFuzz Cp932Fuzz CsvFuzz
           RunJournalFuzz)

out="$build/fuzz"
if [ ! -f "$out/build.ninja" ]; then
  CXX=${VANTRY_FUZZ_CXX:-clang++} cmake -S "$root/tests/fuzz" -B "$out" -G Ninja \
    -DCMAKE_BUILD_TYPE=RelWithDebInfo >/dev/null
fi
cmake --build "$out" -- -j"$(nproc)" >/dev/null

mkdir -p "$out/artifacts"
# Leaks are faults too. A smaller quarantine keeps the sanitizer's own memory
# well below the limit, which is there for the readers'.
export ASAN_OPTIONS=${ASAN_OPTIONS:-detect_leaks=1:quarantine_size_mb=64}
failed=()
for target in "${targets[@]}"; do
  seeds="$root/tests/fuzz/corpus/$target"
  dict=()
  [ "$target" = SettingsIniFuzz ] && dict=(-dict="$root/tests/fuzz/SettingsIni.dict")
  if [ $long -eq 1 ]; then
    work="$out/corpus/$target"
    limits=(-max_total_time="$seconds" -max_len=65536 -print_final_stats=1)
  else
    work=$(mktemp -d "$out/run.XXXXXX")
    limits=(-runs="$runs" -max_len=8192 -seed=1)
  fi
  mkdir -p "$work"
  log="$out/$target.log"
  echo "fuzz: $target"
  if "$out/$target" "${limits[@]}" "${dict[@]}" -rss_limit_mb=512 -timeout=10 \
       -artifact_prefix="$out/artifacts/$target-" "$work" "$seeds" >"$log" 2>&1; then
    grep -E '^(Done|stat::number_of_executed_units|stat::peak_rss_mb)' "$log" | sed 's/^/  /' || true
  else
    failed+=("$target")
    echo "fuzz: $target FAILED (log $log)"
    grep -E 'check failed|ERROR|SUMMARY|Test unit written' "$log" | head -10 | sed 's/^/  /'
  fi
  [ $long -eq 1 ] || rm -rf "$work"
done

if [ ${#failed[@]} -gt 0 ]; then
  echo "fuzz: failed: ${failed[*]}"
  exit 1
fi
