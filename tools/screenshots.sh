#!/usr/bin/env bash
# SPDX-License-Identifier: GPL-3.0-or-later
# Screenshots of the five windows on the demo workspace, taken under Xvfb with the
# openbox window manager, as a user reaches them (keyboard shortcuts and clicks
# through xdotool):
#   tools/screenshots.sh [BUILD_DIR [OUT_DIR [SCALES]]]
# BUILD_DIR defaults to build/dev, OUT_DIR to docs/screenshots, SCALES to "1 2"
# (values of QT_SCALE_FACTOR). Writes main, file-selection, folder-selection,
# refresh and about, each as NAME-SCALEx.png, and at scale 1 preview.png: the file
# selection with the strawberry cake selected, collection.png: the collection
# window with an opened snack selected, and picture.png: a new snack from the
# demo's cake.png.
set -euo pipefail
cd "$(dirname "$0")/.."
root=$PWD
build=$(realpath "${1:-build/dev}")
out=$(realpath -m "${2:-docs/screenshots}")
scales=${3:-1 2}

if [ -z "${CRUMB_SHOTS_DISPLAY:-}" ]; then
  tools/ensure-packages.sh xdotool imagemagick openbox
  [ -x "$build/crumbwright" ] && [ -x "$build/crumbwright-demo" ] ||
    { echo "build first: cmake --build --preset dev (or give the build folder)" >&2; exit 1; }
  exec xvfb-run -a -s "-screen 0 1600x1200x24 -nolisten tcp" \
    env CRUMB_SHOTS_DISPLAY=1 "$0" "$build" "$out" "$scales"
fi

tmp=$(mktemp -d)
pids=()
cleanup() {
  for p in "${pids[@]}"; do kill "$p" 2>/dev/null || true; done
  rm -rf "$tmp" "$ws"
}
trap cleanup EXIT
export XDG_RUNTIME_DIR=$tmp/runtime XDG_CONFIG_HOME=$tmp/config
mkdir -m 700 "$XDG_RUNTIME_DIR"
unset QT_QPA_PLATFORM
export QT_QPA_PLATFORM=xcb
# The program runs as on a Japanese desktop (fonts are chosen for the language);
# CRUMB_SHOTS_LANG=C.UTF-8 shows it as on any other.
lang=${CRUMB_SHOTS_LANG:-ja_JP.UTF-8}
openbox >/dev/null 2>&1 &
pids+=($!)
sleep 1
mkdir -p "$out"

app=
# Starts the program on a fresh demo workspace and waits for the main window.
# The workspace has a fixed path, so that the folder selection shows the same
# folder on every run.
ws=/tmp/crumbwright-demo
start() {
  rm -rf "$ws"
  "$build/crumbwright-demo" "$ws"
  (cd "$ws" && LANG=$lang exec "$build/crumbwright") >/dev/null 2>&1 &
  app=$!
  pids+=("$app")
  main=$(wait_window 'Crumbwright for POSTPET')
}
stop() {
  kill "$app" 2>/dev/null || true
  wait "$app" 2>/dev/null || true
}
# Prints the id of the program's visible window whose title begins with $1, once it
# is there. (Titles are compared here: xdotool's --name does not match every
# Japanese title.)
wait_window() {
  local id
  for _ in $(seq 100); do
    for id in $(xdotool search --onlyvisible --classname '^crumbwright$' 2>/dev/null); do
      if [[ "$(xdotool getwindowname "$id")" == "$1"* ]]; then
        sleep 0.7  # let it paint
        echo "$id"
        return
      fi
    done
    sleep 0.1
  done
  echo "window '$1' did not appear" >&2
  exit 1
}
# Clicks at x, y given in pixels at scale 1 within a window.
click() {
  local s=$1 win=$2 x=$3 y=$4 repeat=${5:-1}
  xdotool mousemove --window "$win" "$(awk "BEGIN{print int($x*$s)}")" \
    "$(awk "BEGIN{print int($y*$s)}")" click --repeat "$repeat" --delay 120 1
}
shot() {
  [ -n "$1" ] || exit 1
  import -window "$1" -frame -strip "$out/$2"
  echo "$out/$2"
}
key() { xdotool windowactivate --sync "$1" key --clearmodifiers "$2"; }

for s in $scales; do
  export QT_SCALE_FACTOR=$s

  # Main window with an opened demo snack loaded: Ctrl+L, the second file, Apply.
  start
  key "$main" ctrl+l
  form3=$(wait_window 'おやつファイル選択')
  click "$s" "$form3" 60 40       # the first file in the list
  xdotool key Down                # houjicha.pac
  click "$s" "$form3" 184 188     # 適　用
  main=$(wait_window 'Crumbwright for POSTPET')
  shot "$main" "main-${s}x.png"
  # Refresh confirmation: double-click on the opened state in the date frame.
  height=$(xdotool getwindowgeometry --shell "$main" | sed -n 's/^HEIGHT=//p')
  xdotool mousemove --window "$main" "$(awk "BEGIN{print int(236*$s)}")" \
    "$(awk "BEGIN{print int($height-91*$s)}")" click --repeat 2 --delay 80 1
  shot "$(wait_window 'リフレッシュ（未開封）処理')" "refresh-${s}x.png"
  stop

  start
  key "$main" ctrl+a
  shot "$(wait_window 'このプログラムについて')" "about-${s}x.png"
  stop

  start
  key "$main" ctrl+l
  form3=$(wait_window 'おやつファイル選択')
  click "$s" "$form3" 60 40
  shot "$form3" "file-selection-${s}x.png"
  if [ "$s" = 1 ]; then
    xdotool key Down Down         # ichigo.pac
    sleep 0.5
    shot "$form3" "preview.png"
  fi
  stop

  if [ "$s" = 1 ]; then
    # A new snack from a picture: Ctrl+M, the picture's path typed, Enter.
    start
    key "$main" ctrl+m
    form6=$(wait_window '絵からおやつを作る')
    xdotool type --delay 20 "$ws/cake.png"
    xdotool key Return
    sleep 0.7
    shot "$form6" "picture.png"
    stop
  fi

  start
  key "$main" ctrl+o
  shot "$(wait_window 'フォルダ選択')" "folder-selection-${s}x.png"
  stop

  if [ "$s" = 1 ]; then
    start
    key "$main" ctrl+i
    form7=$(wait_window 'おやつの一覧')
    click "$s" "$form7" 200 108   # houjicha.pac, the second row
    sleep 0.5
    shot "$form7" "collection.png"
    stop
  fi
done
