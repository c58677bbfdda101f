#!/usr/bin/env bash
# Installs what is missing, builds and runs every test headless.
set -euo pipefail
cd "$(dirname "$0")"
tools/ensure-packages.sh dpkg-dev appstream desktop-file-utils \
  clang libclang-rt-14-dev  # the .deb and its checks; libFuzzer
export QT_QPA_PLATFORM=offscreen
cmake --preset dev -G Ninja >/dev/null
cmake --build --preset dev
ctest --preset dev -j2

# The whole suite again with AddressSanitizer and UndefinedBehaviorSanitizer:
# any report ends the test that made it, and so fails the run.
cmake --preset asan -G Ninja >/dev/null
cmake --build --preset asan
ctest --preset asan -j2

# Every fuzz target for a bounded time (clang, libFuzzer).
cmake --preset fuzz -G Ninja >/dev/null
cmake --build --preset fuzz
ctest --preset fuzz -j2
fuzz/run.sh build/fuzz "${CRUMB_FUZZ_SECONDS:-20}"
