#!/usr/bin/env bash
# Long fuzzing of every reader of outside bytes: builds the fuzz targets in build-fuzz (clang,
# sanitizers) and runs each for MINUTES (default 20), one after another, one process at a time.
#
#   scripts/fuzz.sh [MINUTES] [TARGET...]
#
# Each target starts from its seeds in tests/fuzz and a work corpus that grows across runs in
# build-fuzz/fuzz-long/TARGET/corpus. A failing input is kept in build-fuzz/fuzz-long/TARGET/
# artifacts. Prints per target the inputs run and the crashes; exits 1 if any target crashed.
# libFuzzer also keeps there any input that took over 10 s ("slow-unit-..."): a process the
# machine starved of time leaves those too, so they are counted apart and do not fail the run
# (run one alone to time it: build-fuzz/bin/TARGET FILE).
set -euo pipefail

minutes=${1:-20}
[[ $# -gt 0 ]] && shift
if ! [[ $minutes =~ ^[0-9]+$ ]] || ((minutes < 1)); then
  echo "usage: $0 [MINUTES] [TARGET...]" >&2
  exit 2
fi

root=$(cd "$(dirname "$0")/.." && pwd)
build=$root/build-fuzz
seeds=$root/tests/fuzz

# Target, seed folder, longest input, AddressSanitizer options ("-" for the defaults), further
# libFuzzer flags.
# The settings reader's inputs go through QSettings, whose cache of files read keeps one more
# allocation after each input than before it; libFuzzer then runs a leak scan after every
# input, which made the target twenty times slower, so its campaign goes without (leaks are
# still checked at exit). Its pages are large allocations of many sizes: with the default
# 256 MB quarantine of freed memory the process grew past libFuzzer's 2 GB limit within 300,000
# inputs, with 16 MB it stays near 100 MB.
all_targets=(
  "vecg_reader_fuzz vecg-seeds 22000 -"
  "stream_decoder_fuzz stream-seeds 8192 -"
  "settings_reader_fuzz settings-seeds 4096 quarantine_size_mb=16 -detect_leaks=0"
)
selected=()
for entry in "${all_targets[@]}"; do
  read -r name _ _ <<<"$entry"
  if [[ $# -eq 0 ]] || [[ " $* " == *" $name "* ]]; then
    selected+=("$entry")
  fi
done
if [[ ${#selected[@]} -eq 0 ]]; then
  echo "no such target: $*" >&2
  exit 2
fi

cmake -S "$root" -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=Debug -DZM540_SANITIZE=ON \
  -DCMAKE_CXX_COMPILER=clang++ -DZM540_BUILD_BENCH=OFF >/dev/null
names=()
for entry in "${selected[@]}"; do
  read -r name _ _ <<<"$entry"
  names+=("$name")
done
cmake --build "$build" --target "${names[@]}"

export QT_QPA_PLATFORM=offscreen
summary=()
failed=0
# Inputs kept in the target's artifacts folder ($dir): what failed, and what was only slow.
failures() { find "$dir/artifacts" -type f ! -name 'slow-unit-*' | wc -l; }
slow() { find "$dir/artifacts" -type f -name 'slow-unit-*' | wc -l; }
for entry in "${selected[@]}"; do
  read -r name seed_dir max_len asan flags <<<"$entry"
  dir=$build/fuzz-long/$name
  mkdir -p "$dir/corpus" "$dir/artifacts"
  before=$(failures)
  slow_before=$(slow)
  echo "== $name: $minutes min"
  started=$(date +%s)
  # -jobs=1 runs one fuzzing process and writes its output to fuzz-0.log in the folder.
  [[ $asan == - ]] && asan=${ASAN_OPTIONS:-}
  (cd "$dir" && rm -f fuzz-0.log &&
    ASAN_OPTIONS=$asan "$build/bin/$name" -jobs=1 -workers=1 -print_final_stats=1 -max_len="$max_len" ${flags:-} \
      -max_total_time=$((minutes * 60)) -artifact_prefix="$dir/artifacts/" \
      "$dir/corpus" "$seeds/$seed_dir" >/dev/null 2>&1) || true
  elapsed=$(($(date +%s) - started))
  runs=$(sed -n 's/^stat::number_of_executed_units: *//p' "$dir/fuzz-0.log" | tail -1)
  crashes=$(($(failures) - before))
  slow_units=$(($(slow) - slow_before))
  summary+=("$(printf '%-22s inputs %12s  time %5ss  crashes %d  slow units %d' "$name" \
    "${runs:-?}" "$elapsed" "$crashes" "$slow_units")")
  if ((crashes > 0)); then
    failed=1
    summary+=("    kept in $dir/artifacts; the report is in $dir/fuzz-0.log")
  fi
done

echo
printf '%s\n' "${summary[@]}"
exit $failed
