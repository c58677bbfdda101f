#!/usr/bin/env bash
# SPDX-License-Identifier: GPL-3.0-or-later
# Installs what is missing, builds, prepares the demo workspace and opens the editor in it.
set -euo pipefail
cd "$(dirname "$0")"
tools/ensure-packages.sh
cmake --preset dev -G Ninja >/dev/null
cmake --build --preset dev
demo="$PWD/demo"
if [ ! -f "$demo/cookenv.ini" ]; then
  ./build/dev/crumbwright-demo "$demo"
  echo "Demo workspace written to $demo"
fi
if [ -z "${DISPLAY:-}" ] && [ -z "${WAYLAND_DISPLAY:-}" ] && [ -z "${QT_QPA_PLATFORM:-}" ]; then
  echo "No display found: run it under a virtual one with  xvfb-run -a ./run.sh"
  exit 0
fi
cd "$demo"
exec ../build/dev/crumbwright
