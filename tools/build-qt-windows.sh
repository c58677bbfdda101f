#!/usr/bin/env bash
# SPDX-License-Identifier: GPL-3.0-or-later
# Builds a static Qt for 64-bit Windows (Core, Gui, Widgets, Test) from Debian's own
# qt6-base source package with Debian's MinGW-w64, once, and keeps it in a cache outside
# the repository. Prints the folder of the finished build (its CMAKE_PREFIX_PATH).
#
# The cache is keyed by the versions of qt6-base-dev-tools (its host tools build for the
# target) and of the MinGW compiler, and by this script's options: a changed key builds anew.
# A build is moved into its keyed folder only when complete, so a half-built one is never used.
set -euo pipefail
here=$(cd "$(dirname "$0")/.." && pwd)
toolchain="$here/cmake/mingw-w64-x86_64.cmake"

options=(-static -static-runtime -release -qt-host-path /usr
         -no-opengl -no-dbus -no-icu -no-glib -qt-libjpeg
         -no-feature-tabletevent
         -no-feature-sql -no-feature-network -no-feature-printsupport -no-feature-xml
         -no-feature-concurrent -no-feature-vulkan -no-zstd
         -qt-zlib -qt-pcre -qt-libpng -qt-harfbuzz -qt-freetype -qt-doubleconversion
         -nomake examples -nomake tests)

version_of() { dpkg-query -W -f='${Version}' "$1" 2>/dev/null || echo none; }
key_text="qt6-base-dev-tools=$(version_of qt6-base-dev-tools)
g++-mingw-w64-x86-64-posix=$(version_of g++-mingw-w64-x86-64-posix)
options=${options[*]}
toolchain=$(sha256sum < "$toolchain" | cut -c1-16)"
key=$(printf '%s' "$key_text" | sha256sum | cut -c1-16)
home=${HOME:-$(getent passwd "$(id -u)" | cut -d: -f6)}
cache="${XDG_CACHE_HOME:-$home/.cache}/crumbwright"
prefix="$cache/qt6-windows-$key"

if [ -f "$prefix/.complete" ]; then
  echo "$prefix"
  exit 0
fi

# Debian's source package needs a deb-src entry beside the existing deb entry.
if ! apt-get source --print-uris -qq qt6-base >/dev/null 2>&1 \
   || [ -z "$(apt-get source --print-uris -qq qt6-base 2>/dev/null)" ]; then
  echo "Adding a deb-src entry for Debian's source packages" >&2
  cat > /etc/apt/sources.list.d/crumbwright-debian-src.sources <<'SRC'
Types: deb-src
URIs: http://deb.debian.org/debian
Suites: bookworm bookworm-updates
Components: main
Signed-By: /usr/share/keyrings/debian-archive-keyring.gpg
SRC
  apt-get update -qq
fi

echo "Building Qt for Windows once into $prefix" >&2
echo "(the first build takes about 25 to 40 minutes on 2 cores; later runs reuse it)" >&2
mkdir -p "$cache"
work=$(mktemp -d "$cache/build.XXXXXX")
trap 'rm -rf "$work"' EXIT
cd "$work"
apt-get source -qq qt6-base >/dev/null 2>&1 || { echo "apt-get source qt6-base failed" >&2; exit 1; }
src=$(find . -maxdepth 1 -type d -name 'qt6-base-*' | head -n1)
[ -n "$src" ] || { echo "no qt6-base source folder" >&2; exit 1; }
mkdir build
cd build
"../$src/configure" -prefix "$work/install" "${options[@]}" -- \
  -G Ninja -DCMAKE_TOOLCHAIN_FILE="$toolchain" -DQT_BUILD_TOOLS_WHEN_CROSSCOMPILING=OFF \
  -DQT_HOST_PATH_CMAKE_DIR=/usr/lib/x86_64-linux-gnu/cmake \
  > "$work/configure.log" 2>&1 || { tail -n 40 "$work/configure.log" >&2; exit 1; }
echo "Configured; building (ninja prints its progress)" >&2
started=$(date +%s)
cmake --build . --parallel "$(nproc)" >&2
cmake --install . > "$work/install.log" 2>&1
echo "Built in $(( ($(date +%s) - started) / 60 )) minutes" >&2
# Qt's licence texts and where this Qt's source comes from, for the Windows zip.
licences="$work/install/crumbwright-qt-licences"
mkdir -p "$licences"
cp "../$src/LICENSES/LGPL-3.0-only.txt" "../$src/LICENSES/GPL-3.0-only.txt" "$licences/"
# The JPEG reader (Qt's bundled libjpeg-turbo) asks for its licence to go with it.
cat "../$src/src/3rdparty/libjpeg/LICENSE" "../$src/src/3rdparty/libjpeg/ijg-license.txt" \
  > "$licences/libjpeg.txt"
cat > "$licences/SOURCE.txt" <<SOURCE
crumbwright.exe links Qt $(sed -n 's/^Version: //p' ../*.dsc | cut -d+ -f1) statically, under the
GNU Lesser General Public License 3.0 (LICENSE-Qt-LGPL-3.0.txt).

Its source is Debian's source package qt6-base, version $(sed -n 's/^Version: //p' ../*.dsc)
(Debian 12 "bookworm"): with a deb-src line for Debian in the APT sources,
  apt-get source qt6-base=$(sed -n 's/^Version: //p' ../*.dsc)
It was built for x86_64-w64-mingw32 with Debian's MinGW-w64 (g++-mingw-w64-x86-64-posix
$(version_of g++-mingw-w64-x86-64-posix)) by tools/build-qt-windows.sh of the Crumbwright
sources, configured with:
  ${options[*]}
To relink crumbwright.exe with another Qt, build Crumbwright from its sources
(CMake preset "windows") against that Qt.
SOURCE
printf '%s\n' "$key_text" > "$work/install/.key"
touch "$work/install/.complete"
rm -rf "$prefix"
mv "$work/install" "$prefix"
echo "$prefix"
