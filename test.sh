#!/usr/bin/env bash
# SPDX-License-Identifier: GPL-3.0-or-later
# Installs what is missing, builds and runs every test headless: the plain build,
# the same suite with AddressSanitizer and UndefinedBehaviorSanitizer, and the
# fuzz targets. Ends with one line counting the cases of all runs.
set -uo pipefail
cd "$(dirname "$0")"
tools/ensure-packages.sh dpkg-dev appstream desktop-file-utils \
  clang libclang-rt-14-dev || exit 1  # the .deb and its checks; libFuzzer
export QT_QPA_PLATFORM=offscreen
results=$(mktemp -d)
trap 'rm -rf "$results"' EXIT
status=0
extra_failed=0

# Builds a preset and runs its CTest suite; the cases are counted from JUnit files.
run_suite() {
  local preset=$1
  echo "== $preset =="
  if ! cmake --preset "$preset" -G Ninja >/dev/null || ! cmake --build --preset "$preset"; then
    echo "build of preset $preset failed"
    status=1
    extra_failed=$((extra_failed + 1))
    return
  fi
  ctest --preset "$preset" -j2 --test-output-size-passed 1000000 \
    --test-output-size-failed 1000000 --output-junit "$results/$preset.xml" || status=1
}

run_suite dev
# Any sanitizer report ends the test that made it, and so fails the run.
run_suite asan
run_suite fuzz
echo "== fuzzing =="
if fuzz/run.sh build/fuzz "${CRUMB_FUZZ_SECONDS:-20}"; then fuzzed=1; else fuzzed=0; status=1; fi

read -r passed failed skipped < <(tools/count-tests.sh "$results"/*.xml)
passed=$((passed + fuzzed))
failed=$((failed + extra_failed + 1 - fuzzed))
echo "suite: ${passed} passed, ${failed} failed, ${skipped} skipped"
exit $status
