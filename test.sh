#!/usr/bin/env bash
# SPDX-License-Identifier: GPL-3.0-or-later
# Installs what is missing, builds and runs every test headless: the plain build,
# the same suite with AddressSanitizer and UndefinedBehaviorSanitizer, the fuzz
# targets, and the Windows build's suite under Wine (with the Windows zip). Ends
# with one line counting the cases of all runs.
# CRUMB_WINDOWS=0 leaves the Windows part out.
set -uo pipefail
cd "$(dirname "$0")"
tools/ensure-packages.sh dpkg-dev appstream desktop-file-utils lintian shared-mime-info \
  libglib2.0-bin python3-gi gir1.2-gnomedesktop-3.0 bubblewrap bash-completion \
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

# Windows: a static Qt built once from Debian's source package (cached outside
# the repository), the cross build, its suite under Wine, and the zip.
if [ "${CRUMB_WINDOWS:-1}" != 0 ]; then
  echo "== windows =="
  if tools/ensure-packages.sh g++-mingw-w64-x86-64-posix mingw-w64-tools wine wine64 \
       fonts-wine librsvg2-bin icoutils zip \
     && CRUMB_QT_WINDOWS=$(tools/build-qt-windows.sh); then
    export CRUMB_QT_WINDOWS
    run_suite windows
    (cd build/windows && cpack -G ZIP >/dev/null && echo "Windows zip: $(ls "$PWD"/crumbwright-*.zip)") \
      || { echo "the Windows zip could not be made"; status=1; extra_failed=$((extra_failed + 1)); }
  else
    echo "the Qt for Windows could not be built"
    status=1
    extra_failed=$((extra_failed + 1))
  fi
fi

read -r passed failed skipped < <(tools/count-tests.sh "$results"/*.xml)
passed=$((passed + fuzzed))
failed=$((failed + extra_failed + 1 - fuzzed))
echo "suite: ${passed} passed, ${failed} failed, ${skipped} skipped"
exit $status
