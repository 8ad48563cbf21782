#!/usr/bin/env bash
# SPDX-License-Identifier: GPL-3.0-or-later
# Renders the program icon vistrel.svg into the PNGs next to it
# (vistrel-<size>.png), which are kept in the repository so that building
# needs no SVG renderer. Needs rsvg-convert (Debian: librsvg2-bin).
set -euo pipefail
cd "$(dirname "$0")"
for size in 16 32 48 64 128 256; do
  rsvg-convert -w "$size" -h "$size" vistrel.svg -o "vistrel-$size.png"
done
