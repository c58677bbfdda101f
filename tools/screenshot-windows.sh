#!/usr/bin/env bash
# SPDX-License-Identifier: GPL-3.0-or-later
# A screenshot of the Windows build's main window under Wine, with Qt's real
# "windows" platform, on the demo workspace (under Xvfb):
#   tools/screenshot-windows.sh [BUILD_DIR [OUT_FILE]]
# BUILD_DIR defaults to build/windows, OUT_FILE to docs/screenshots/windows-main.png.
# Qt's default font engine (GDI) draws the desktop font "MS Shell Dlg", which Wine
# maps to Tahoma: Debian's fonts-wine brings it. Without it Qt falls back to the
# first font the machine has, whose line metrics may push the text out of the
# boxes. CRUMB_SHOTS_ARGS passes other options (-platform windows:fontengine=freetype).
set -euo pipefail
cd "$(dirname "$0")/.."
build=$(realpath "${1:-build/windows}")
out=$(realpath -m "${2:-docs/screenshots/windows-main.png}")

if [ -z "${CRUMB_SHOTS_DISPLAY:-}" ]; then
  tools/ensure-packages.sh xdotool imagemagick fonts-wine
  [ -f "$build/crumbwright.exe" ] && [ -f "$build/crumbwright-demo.exe" ] ||
    { echo "build first: cmake --build --preset windows (or give the build folder)" >&2; exit 1; }
  exec xvfb-run -a -s "-screen 0 1024x768x24 -nolisten tcp" \
    env CRUMB_SHOTS_DISPLAY=1 "$0" "$build" "$out"
fi

ws=$(mktemp -d)
app=
export WINEPREFIX=${CRUMB_WINEPREFIX:-$PWD/build/wineprefix}
trap 'kill "$app" 2>/dev/null || true; wineserver -k 2>/dev/null || true; rm -rf "$ws"' EXIT
unset QT_QPA_PLATFORM
repo=$PWD
tools/wine-run.sh "$build/crumbwright-demo.exe" "Z:${ws//\//\\}" >/dev/null 2>&1
(cd "$ws" && exec "$repo/tools/wine-run.sh" "$build/crumbwright.exe" ${CRUMB_SHOTS_ARGS:-}) >/dev/null 2>&1 &
app=$!
for _ in $(seq 60); do
  win=$(xdotool search --name 'Crumbwright for POSTPET' 2>/dev/null | head -n1 || true)
  [ -n "$win" ] && break
  sleep 1
done
[ -n "$win" ] || { echo "the main window did not appear" >&2; exit 1; }
sleep 3
mkdir -p "$(dirname "$out")"
import -window "$win" "$out"
echo "$out"
