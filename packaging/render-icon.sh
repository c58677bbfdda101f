#!/usr/bin/env bash
# SPDX-License-Identifier: GPL-3.0-or-later
# Redraws the 32 x 32 window icon from crumbwright.svg (run after editing the SVG).
set -euo pipefail
cd "$(dirname "$0")"
../tools/ensure-packages.sh librsvg2-bin
rsvg-convert -w 32 -h 32 crumbwright.svg -o crumbwright-32.png
echo "packaging/crumbwright-32.png redrawn"
