#!/usr/bin/env bash
# Installs what is missing, builds and runs every test headless.
set -euo pipefail
cd "$(dirname "$0")"
tools/ensure-packages.sh dpkg-dev appstream desktop-file-utils  # the .deb and its checks
export QT_QPA_PLATFORM=offscreen
cmake --preset dev -G Ninja >/dev/null
cmake --build --preset dev
ctest --preset dev -j2
