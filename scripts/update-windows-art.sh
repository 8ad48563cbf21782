#!/usr/bin/env bash
# SPDX-License-Identifier: GPL-3.0-or-later
# Makes the Win32 scheduler's icons and start-up picture from the Qt
# program's drawings, and the list file type's icon from the program icon,
# so that both programs show the same pictures. The results are kept in the
# repository (scheduler/win32/res/, dist/icons/vistrel.ico), so that the
# Windows build needs neither Qt nor ImageMagick.
#   scripts/update-windows-art.sh [BUILD]   (BUILD: a GUI build, default build/dev)
set -euo pipefail
root=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)
build=${1:-$root/build/dev}
convert=/usr/bin/convert
ninja -C "$build" vistrel_scheduler_artwork >/dev/null
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
QT_QPA_PLATFORM=offscreen "$build/tools/vistrel_scheduler_artwork" "$work"
res="$root/scheduler/win32/res"
for icon in 128:active 131:off 133:changing 134:busy; do
  id=${icon%%:*}
  "$convert" "$work/icon-$id-16.png" "$work/icon-$id-20.png" "$work/icon-$id-24.png" \
    "$work/icon-$id-32.png" "$work/icon-$id-48.png" "$res/${icon#*:}.ico"
done
"$convert" "$work/picture.png" -type TrueColor "BMP3:$res/picture.bmp"
icons="$root/dist/icons"
"$convert" "$icons/vistrel-16.png" "$icons/vistrel-32.png" "$icons/vistrel-48.png" "$icons/vistrel-256.png" \
  "$icons/vistrel.ico"
