#!/usr/bin/env bash
# SPDX-License-Identifier: GPL-3.0-or-later
# Builds the Debian package, unpacks it into a scratch root, checks what it declares
# and installs, and starts the installed program headless through its launcher in a
# fresh per-user working folder.
#   test-install.sh BUILD_DIR SCRATCH_DIR
set -euo pipefail
build=$1
scratch=$2

fail() {
  echo "FAIL: $*" >&2
  exit 1
}

rm -rf "$scratch"
mkdir -p "$scratch"
cpack -G DEB --config "$build/CPackConfig.cmake" -B "$scratch/pkg" >"$scratch/cpack.log" 2>&1 ||
  { cat "$scratch/cpack.log"; fail "cpack could not build the package"; }
debs=("$scratch"/pkg/*.deb)
[ ${#debs[@]} -eq 1 ] && [ -f "${debs[0]}" ] || fail "cpack made no single .deb"
deb=${debs[0]}
echo "package: $(basename "$deb")"

# What the package declares.
[ "$(dpkg-deb -f "$deb" Package)" = crumbwright ] || fail "package name"
depends=$(dpkg-deb -f "$deb" Depends)
echo "Depends: $depends"
for p in libqt6widgets6 libqt6gui6 libqt6core6 fonts-ipafont-gothic fonts-ipafont-mincho; do
  grep -qE "(^|, )$p( |,|$)" <<<"$depends" || fail "Depends lacks $p"
done

# What it installs.
root=$scratch/root
dpkg-deb -x "$deb" "$root"
share=$root/usr/share
desktop=$share/applications/crumbwright.desktop
metainfo=$share/metainfo/org.example.crumbwright.metainfo.xml
for f in "$root/usr/bin/crumbwright" "$root/usr/bin/crumbwright-cli" \
         "$root/usr/bin/crumbwright-launch" "$desktop" "$metainfo" \
         "$share/icons/hicolor/scalable/apps/crumbwright.svg" \
         "$share/icons/hicolor/32x32/apps/crumbwright.png" \
         "$share/crumbwright/cookenv.ini" "$share/crumbwright/Foodtype.ini" \
         "$share/crumbwright/sound.ini" "$share/doc/crumbwright/copyright" \
         "$share/doc/crumbwright/changelog.gz" "$share/mime/packages/crumbwright.xml" \
         "$share/thumbnailers/crumbwright.thumbnailer" \
         "$share/icons/hicolor/scalable/mimetypes/application-x-postpet-snack.svg" \
         "$share/icons/hicolor/32x32/mimetypes/application-x-postpet-snack.png" \
         "$share/bash-completion/completions/crumbwright-cli"; do
  [ -f "$f" ] || fail "the package lacks ${f#"$root"}"
done
[ -x "$root/usr/bin/crumbwright-launch" ] || fail "the launcher is not executable"
# The PNG's size stands in its IHDR chunk: width and height, 4 bytes each.
size=$(od -An -tx1 -j16 -N8 "$share/icons/hicolor/32x32/apps/crumbwright.png" | tr -d ' \n')
[ "$size" = 0000002000000020 ] || fail "the PNG icon is not 32 x 32 ($size)"
grep -qx 'License: GPL-3.0-or-later' "$share/doc/crumbwright/copyright" || fail "copyright: licence"
grep -q '<project_license>GPL-3.0-or-later</project_license>' "$metainfo" || fail "metainfo: licence"
grep -qx 'Exec=crumbwright-launch %f' "$desktop" || fail "desktop entry: Exec"
grep -qx 'MimeType=application/x-postpet-snack;' "$desktop" || fail "desktop entry: MimeType"
grep -q '<mediatype>application/x-postpet-snack</mediatype>' "$metainfo" || fail "metainfo: mediatype"
for page in crumbwright crumbwright-launch crumbwright-cli; do
  for dir in man1 ja/man1; do
    gzip -t "$share/man/$dir/$page.1.gz" 2>/dev/null || fail "no manual page $dir/$page.1.gz"
  done
done
grep -qx 'Icon=crumbwright' "$desktop" || fail "desktop entry: Icon"
# Qt names the X11 window class after the application name, Wayland's app id after
# the desktop file name (QApplication::setDesktopFileName in ui::setUpApplication).
grep -qx 'StartupWMClass=Crumbwright' "$desktop" || fail "desktop entry: StartupWMClass"
grep -q 'setDesktopFileName(QStringLiteral("crumbwright"))' "$(dirname "$0")/../src/ui/look.cpp" ||
  fail "ui/look.cpp no longer names the desktop file crumbwright"

if command -v desktop-file-validate >/dev/null; then
  desktop-file-validate "$desktop" || fail "desktop-file-validate"
  echo "desktop-file-validate: ok"
else
  echo "desktop-file-validate not installed: skipped"
fi
if command -v appstreamcli >/dev/null; then
  appstreamcli validate --no-net --pedantic "$metainfo" || fail "appstreamcli validate"
else
  echo "appstreamcli not installed: skipped"
fi

# First start from the desktop: the launcher makes the working folder and the
# program comes up in it (a settings file missing from its working folder would
# stop it on a message box, and the timeout would fail the test).
export QT_QPA_PLATFORM=offscreen CRUMBWRIGHT_QUIT_WHEN_IDLE=1
home=$scratch/home
mkdir -p "$home"
launch() { timeout 60 env "$@" "$root/usr/bin/crumbwright-launch"; }
launch -u XDG_DATA_HOME HOME="$home" || fail "first start ended with status $?"
work=$home/.local/share/crumbwright
cmp <(printf 'NONE\r\n') "$work/cookenv.ini" || fail "cookenv.ini of a first start"
for f in Foodtype.ini sound.ini; do
  cmp "$share/crumbwright/$f" "$work/$f" || fail "$f of a first start"
done
[ -d "$work/おやつ工場" ] || fail "no factory folder"
grep -q $'\r$' "$work/Foodtype.ini" || fail "Foodtype.ini lines do not end in CR LF"

# Later starts keep what the user has: a chosen snack folder, own name files.
printf '%s/snacks/\r\n' "$scratch" >"$work/cookenv.ini"
printf '001 mine\r\n' >"$work/Foodtype.ini"
rm "$work/sound.ini"
cp "$work/cookenv.ini" "$scratch/cookenv.expected"
launch -u XDG_DATA_HOME HOME="$home" || fail "second start ended with status $?"
cmp "$scratch/cookenv.expected" "$work/cookenv.ini" || fail "the launcher replaced cookenv.ini"
cmp <(printf '001 mine\r\n') "$work/Foodtype.ini" || fail "the launcher replaced Foodtype.ini"
cmp "$share/crumbwright/sound.ini" "$work/sound.ini" || fail "a missing sound.ini was not restored"

# XDG_DATA_HOME is used when it is an absolute path, and ignored otherwise.
launch XDG_DATA_HOME="$scratch/xdg" HOME="$home/nowhere" || fail "start with XDG_DATA_HOME"
cmp <(printf 'NONE\r\n') "$scratch/xdg/crumbwright/cookenv.ini" || fail "XDG_DATA_HOME not used"
(cd "$scratch" && launch XDG_DATA_HOME=relative HOME="$home") || fail "start with a relative XDG_DATA_HOME"
[ ! -e "$scratch/relative" ] || fail "a relative XDG_DATA_HOME was used"

# The command-line program runs without a display.
cli() { env -u QT_QPA_PLATFORM -u DISPLAY -u WAYLAND_DISPLAY "$root/usr/bin/crumbwright-cli" "$@"; }
[ "$(cli --version)" = "crumbwright-cli $(dpkg-deb -f "$deb" Version)" ] || fail "crumbwright-cli --version"
grep -q best_before <<<"$(cli help set)" || fail "crumbwright-cli help set"


# Snack files in the file manager. The package's MIME database alone, beside
# the system's; a snack is told from a proxy auto-config script by its content.
demo=$scratch/demo
"$build/crumbwright-demo" "$demo" || fail "crumbwright-demo"
snack=$demo/snacks/ichigo.pac
xdg=$scratch/xdg-data
mkdir -p "$xdg/mime/packages"
cp "$share/mime/packages/crumbwright.xml" "$xdg/mime/packages/"
if command -v update-mime-database >/dev/null && command -v gio >/dev/null; then
  update-mime-database "$xdg/mime" >/dev/null || fail "update-mime-database"
  mimetype() {
    env XDG_DATA_HOME="$scratch/xdg-home" XDG_DATA_DIRS="$xdg:/usr/share" \
      gio info -a standard::content-type "$1" | sed -n 's/^ *standard::content-type: //p'
  }
  # A proxy script of more than 904 bytes, with "BM" in it past that offset.
  proxy=$scratch/proxy.pac
  {
    echo 'function FindProxyForURL(url, host) {'
    for i in $(seq 40); do echo "  if (shExpMatch(host, \"*.ibm$i.example\")) return \"PROXY BM:80\";"; done
    echo '  return "DIRECT";'
    echo '}'
  } >"$proxy"
  cp "$snack" "$scratch/Snack With Upper.PAC"
  [ "$(mimetype "$snack")" = application/x-postpet-snack ] || fail "MIME type of a snack: $(mimetype "$snack")"
  [ "$(mimetype "$scratch/Snack With Upper.PAC")" = application/x-postpet-snack ] || fail "MIME type of a .PAC snack"
  [ "$(mimetype "$proxy")" != application/x-postpet-snack ] || fail "a proxy script got the snack type"
  echo "MIME types: snack $(mimetype "$snack"), proxy script $(mimetype "$proxy")"
else
  echo "update-mime-database or gio not installed: MIME check skipped"
fi

# The thumbnailer as the file manager runs it: its Exec line with %s (size),
# %i (input path) and %o (output path) filled in, the program found on PATH.
entry=$share/thumbnailers/crumbwright.thumbnailer
grep -qx 'MimeType=application/x-postpet-snack;' "$entry" || fail "thumbnailer: MimeType"
exec_line=$(sed -n 's/^Exec=//p' "$entry")
thumb=$scratch/thumb.png
read -r -a argv <<<"$exec_line"
for i in "${!argv[@]}"; do
  case ${argv[i]} in
    %s) argv[i]=256 ;;
    %i) argv[i]=$snack ;;
    %o) argv[i]=$thumb ;;
  esac
done
env -u QT_QPA_PLATFORM -u DISPLAY PATH="$root/usr/bin:$PATH" "${argv[@]}" || fail "thumbnailer: ${argv[*]}"
[ "$(od -An -tx1 -N8 "$thumb" | tr -d ' \n')" = 89504e470d0a1a0a ] || fail "the thumbnail is not a PNG"
echo "thumbnailer: $(od -An -tu1 -j16 -N8 "$thumb" | awk '{print ($1*2^24+$2*2^16+$3*2^8+$4) " x " ($5*2^24+$6*2^16+$7*2^8+$8)}') PNG"
# GNOME's thumbnail factory, as GNOME Files uses it: it runs the thumbnailer in
# a bubblewrap sandbox that shows it only /usr, so the package's /usr is laid
# over the system's (a read-only overlay in a mount namespace of its own, which
# leaves the machine as it is), as if the package were installed.
factory=$(dirname "$0")/gnome-thumbnail.py
if [ "$(id -u)" = 0 ] && command -v unshare >/dev/null && command -v bwrap >/dev/null &&
   /usr/bin/python3 -c 'import gi; gi.require_version("GnomeDesktop", "3.0")' 2>/dev/null; then
  rm -f "$scratch/gnome-thumb.png"
  unshare -m /bin/sh -c 'mount -t overlay overlay -o "lowerdir=$1/usr:/usr" /usr || exit 3
    exec env XDG_DATA_HOME="$2/xdg-home" XDG_DATA_DIRS="$3:/usr/share" HOME="$2/home" \
      XDG_CACHE_HOME="$2/cache" /usr/bin/python3 "$4" "$5" "$2/gnome-thumb.png"' \
    sh "$root" "$scratch" "$xdg" "$factory" "$snack"
  case $? in
    0) [ -s "$scratch/gnome-thumb.png" ] || fail "GNOME's thumbnail factory wrote nothing"
       echo "GNOME thumbnail factory: ok" ;;
    3) echo "no overlay mount here: GNOME's thumbnail factory not tried" ;;
    *) fail "GNOME's thumbnail factory" ;;
  esac
else
  echo "not root, or no bubblewrap or gnome-desktop bindings: GNOME's thumbnail factory not tried"
fi

# Bash completion, through bash-completion's own loader when it is installed.
if [ -f /usr/share/bash-completion/bash_completion ]; then
  complete_words() {
    bash -c 'source /usr/share/bash-completion/bash_completion
             source "$1"; shift
             COMP_WORDS=("$@"); COMP_CWORD=$(($# - 1))
             COMP_LINE="$*"; COMP_POINT=${#COMP_LINE}
             cd "$0" && _crumbwright_cli crumbwright-cli "${COMP_WORDS[-1]}" "${COMP_WORDS[-2]}"
             printf "%s\n" "${COMPREPLY[@]}" | sort | tr "\n" " "' \
      "$demo/snacks" "$share/bash-completion/completions/crumbwright-cli" "$@" 2>/dev/null
  }
  [ "$(complete_words crumbwright-cli re)" = "refresh " ] || fail "completion: subcommand"
  [ "$(complete_words crumbwright-cli set ichigo.pac best)" = "best_before= " ] || fail "completion: set keys"
  [ "$(complete_words crumbwright-cli show i)" = "ichigo.pac " ] || fail "completion: .pac files"
  [ "$(complete_words crumbwright-cli thumbnail -)" = "--help -s " ] || fail "completion: thumbnail options"
  [ "$(complete_words crumbwright-cli --work)" = "--workdir= " ] || fail "completion: --workdir"
  [ "$(complete_words crumbwright-cli help th)" = "thumbnail " ] || fail "completion: help"
  echo "bash completion: ok"
else
  echo "bash-completion not installed: completion check skipped"
fi

# The package as Debian's checker sees it: no error, no warning.
if command -v lintian >/dev/null; then
  report=$(lintian --fail-on error,warning "$deb" 2>&1) || { echo "$report"; fail "lintian"; }
  echo "lintian: ok"
else
  echo "lintian not installed: skipped"
fi

echo "install test: ok"
