#!/usr/bin/env bash
# SPDX-License-Identifier: GPL-3.0-or-later
# Runs a Windows program of the cross build under Wine, headless: the emulator
# CMake runs the Windows tests and build steps through.
#
# Wine hides every variable that begins with QT_ from the Windows side; it passes
# WINEQT_X on as QT_X, so each QT_ variable is handed over that way. The offscreen
# platform reads its fonts from QT_QPA_FONTDIR: a folder of links to the IPA fonts.
set -euo pipefail
here=$(cd "$(dirname "$0")/.." && pwd)
export HOME=${HOME:-$(getent passwd "$(id -u)" | cut -d: -f6)}
export WINEPREFIX=${CRUMB_WINEPREFIX:-$here/build/wineprefix}
export WINEDEBUG=${WINEDEBUG:--all}
export WINEDLLOVERRIDES="mscoree,mshtml="
export WINEARCH=win64

# One prefix, made once; parallel tests wait for it. "wine-run.sh --prepare"
# only makes and settles it (the test the others wait for).
mkdir -p "$(dirname "$WINEPREFIX")"
(
  flock 9
  if [ ! -f "$WINEPREFIX/.crumbwright-ready" ]; then
    # A new prefix goes on starting its services after wineboot returns; programs
    # run before that settles may hang at their exit. Wait for it.
    wineboot -i >/dev/null 2>&1 || true
    wineserver -w || true
    wine cmd.exe /c exit >/dev/null 2>&1 || true
    wineserver -w || true
    mkdir -p "$WINEPREFIX/crumbwright-fonts"
    ln -sf /usr/share/fonts/opentype/ipafont-gothic/*.ttf \
      /usr/share/fonts/opentype/ipafont-mincho/*.ttf "$WINEPREFIX/crumbwright-fonts/" 2>/dev/null || true
    touch "$WINEPREFIX/.crumbwright-ready"
  fi
) 9>"$WINEPREFIX.lock"
if [ "${1:-}" = --prepare ]; then
  wineserver -w || true
  exit 0
fi

if [[ "${QT_QPA_PLATFORM:-}" == offscreen* ]] && [ -z "${QT_QPA_FONTDIR:-}" ]; then
  export QT_QPA_FONTDIR="Z:${WINEPREFIX//\//\\}\\crumbwright-fonts"
fi
while IFS='=' read -r name _; do
  case $name in QT_*) export "WINE$name=${!name}" ;; esac
done < <(env)
exec wine "$@"
