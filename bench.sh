#!/usr/bin/env bash
# SPDX-License-Identifier: GPL-3.0-or-later
# Builds in release mode and runs every benchmark against its floor, side by
# side in the same run, on data our generator writes into a temporary folder.
# Prints one table. Extra arguments go to the runner (e.g. --only listing).
set -euo pipefail
cd "$(dirname "$0")"
tools/ensure-packages.sh
cmake --preset release -G Ninja -DCRUMB_BENCH=ON -DBUILD_TESTING=OFF >/dev/null
cmake --build --preset release --target crumbwright crumb-bench crumb-same-pixels crumb-floor-window \
  crumb-child-stats >/dev/null
work=$(mktemp -d "${TMPDIR:-/tmp}/crumb-bench.XXXXXX")
trap 'rm -rf "$work"' EXIT
if [ -z "${XDG_RUNTIME_DIR:-}" ]; then
  export XDG_RUNTIME_DIR="$work/runtime"
  mkdir -m 700 "$XDG_RUNTIME_DIR"
fi
run=(build/release/bench/crumb-bench --work "$work" --app "$PWD/build/release/crumbwright"
     --same-pixels "$PWD/build/release/bench/crumb-same-pixels"
     --floor-window "$PWD/build/release/bench/crumb-floor-window" "$@")
# Under Xvfb as well when it is installed: the runner then also starts both
# programs on the X server.
if command -v xvfb-run >/dev/null; then
  xvfb-run -a -s "-screen 0 1280x1024x24 -nolisten tcp" "${run[@]}"
else
  "${run[@]}"
fi
