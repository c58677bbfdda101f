#!/usr/bin/env bash
# SPDX-License-Identifier: GPL-3.0-or-later
# Installs what is missing, builds and runs every test headless.
set -euo pipefail
cd "$(dirname "$0")"
tools/ensure-packages.sh dpkg-dev appstream desktop-file-utils \
  clang libclang-rt-14-dev  # the .deb and its checks; libFuzzer
export QT_QPA_PLATFORM=offscreen
log=$(mktemp)
trap 'rm -f "$log"' EXIT
cmake --preset dev -G Ninja >/dev/null
cmake --build --preset dev
ctest --preset dev -j2 | tee -a "$log"

# The whole suite again with AddressSanitizer and UndefinedBehaviorSanitizer:
# any report ends the test that made it, and so fails the run.
cmake --preset asan -G Ninja >/dev/null
cmake --build --preset asan
ctest --preset asan -j2 | tee -a "$log"

# Every fuzz target for a bounded time (clang, libFuzzer).
cmake --preset fuzz -G Ninja >/dev/null
cmake --build --preset fuzz
ctest --preset fuzz -j2 | tee -a "$log"
fuzz/run.sh build/fuzz "${CRUMB_FUZZ_SECONDS:-20}"

# One closing line for the three CTest runs (a failure has ended the script before).
passed=$(grep -oE 'tests failed out of [0-9]+' "$log" | awk '{s += $5} END {print s + 0}')
echo "suite: ${passed} passed, 0 failed"
