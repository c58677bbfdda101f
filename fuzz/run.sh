#!/usr/bin/env bash
# SPDX-License-Identifier: GPL-3.0-or-later
# Runs every fuzz target of a "fuzz" build for a bounded time, starting from the
# seeds our generator writes, the corpus of earlier runs and the kept
# regressions. Fails on any crash, hang, leak or sanitizer report; the input
# that caused it is left in BUILD/fuzz/artifacts/TARGET/ (copy it to
# fuzz/regressions/TARGET/ once mended, so CTest replays it from then on).
# Usage: fuzz/run.sh [BUILD_DIR] [SECONDS_PER_TARGET]
set -uo pipefail
src=$(cd "$(dirname "$0")" && pwd)
build=$(cd "${1:-$src/../build/fuzz}" && pwd)/fuzz
seconds=${2:-20}
declare -A max_len=([header]=2048 [name_table]=4096 [snack_folder]=1024 [fields]=2048
  [picture]=16384 [templates]=16384 [collection_row]=16384)
export ASAN_OPTIONS=${ASAN_OPTIONS:-halt_on_error=1:detect_leaks=1}
export UBSAN_OPTIONS=${UBSAN_OPTIONS:-halt_on_error=1:print_stacktrace=1}

"$build/fuzz_write_seeds" "$build/seeds" || exit 1
status=0
total_runs=0
printf '%-14s %12s %10s %8s\n' target runs exec/s corpus
for t in header name_table snack_folder fields picture templates collection_row; do
  corpus=$build/corpus/$t
  artifacts=$build/artifacts/$t
  log=$build/$t.log
  mkdir -p "$corpus" "$artifacts"
  # libFuzzer's own limits: -timeout per input (a hang), -rss_limit_mb; the
  # outer timeout catches a run that never ends.
  timeout $((seconds + 120)) "$build/fuzz_$t" -max_total_time="$seconds" -timeout=10 \
    -rss_limit_mb=2048 -max_len="${max_len[$t]}" -print_final_stats=1 \
    -artifact_prefix="$artifacts/" "$corpus" "$build/seeds/$t" "$src/regressions/$t" \
    >"$log" 2>&1
  rc=$?
  runs=$(sed -n 's/^stat::number_of_executed_units: *//p' "$log")
  rate=$(sed -n 's/^stat::average_exec_per_sec: *//p' "$log")
  printf '%-14s %12s %10s %8s\n' "$t" "${runs:-?}" "${rate:-?}" "$(ls "$corpus" | wc -l)"
  total_runs=$((total_runs + ${runs:-0}))
  if [ $rc -ne 0 ] || grep -qE 'ERROR: (AddressSanitizer|LeakSanitizer|libFuzzer)|runtime error:|invariant failed' "$log"; then
    status=1
    echo "fuzz_$t failed (exit $rc); the end of its log ($log):"
    tail -n 40 "$log"
    echo "the input is in $artifacts/"
  fi
done
echo "total executions: $total_runs"
exit $status
