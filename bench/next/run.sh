#!/bin/sh
# SPDX-License-Identifier: GPL-3.0-or-later
# End-to-end wallpaper change: `vistrelctl next` on a list of one 6000 x 4000
# 24-bit bitmap in Proportioned Fit, on a 1920 x 1080 Xvfb with the bare X11
# backend, against the same picture through `vips thumbnail` and
# `xwallpaper --center`. Run by hand, never as a test:
#
#   bench/next/run.sh [BUILD_DIR] [RUNS]
#
# Needs Xvfb, python3, vips (libvips-tools) and xwallpaper.
set -eu

build=${1:-build}
runs=${2:-5}
bin=$(cd "$build/bin" && pwd)
for tool in Xvfb python3 vips xwallpaper; do
    command -v "$tool" >/dev/null || { echo "run.sh: $tool is needed" >&2; exit 2; }
done

work=$(mktemp -d)
xvfb=
cleanup() {
    [ -n "$xvfb" ] && kill "$xvfb" 2>/dev/null && wait "$xvfb" 2>/dev/null
    rm -rf "$work"
}
trap cleanup EXIT INT TERM

# The picture: 6000 x 4000, 24 bits, a pattern that differs in every row.
python3 - "$work/big.bmp" "$work/big.ppm" <<'PY'
import struct, sys
w, h = 6000, 4000
stride = w * 3  # 18000: already a multiple of 4
base = bytes((i * 7 + i // 3) & 255 for i in range(stride + 1024))
rows = [base[(y * 5) % 1024:(y * 5) % 1024 + stride] for y in range(h)]
with open(sys.argv[1], "wb") as f:
    f.write(b"BM" + struct.pack("<IHHI", 54 + stride * h, 0, 0, 54))
    f.write(struct.pack("<IiiHHIIiiII", 40, w, h, 1, 24, 0, stride * h, 2835, 2835, 0, 0))
    for row in rows:  # bottom-up
        f.write(row)
# The same pixels for vips, which has no bitmap loader of its own: rows
# top-down, red-green-blue.
with open(sys.argv[2], "wb") as f:
    f.write(b"P6\n%d %d\n255\n" % (w, h))
    for row in reversed(rows):
        rgb = bytearray(row)
        rgb[0::3], rgb[2::3] = row[2::3], row[0::3]
        f.write(rgb)
PY

# Xvfb on a free display.
exec 3>"$work/display"
Xvfb -displayfd 3 -noreset -nolisten tcp -screen 0 1920x1080x24 2>/dev/null &
xvfb=$!
for _ in $(seq 100); do [ -s "$work/display" ] && break; sleep 0.1; done
export DISPLAY=":$(head -n1 "$work/display")"

# A private user with the bare X11 backend.
export HOME="$work/home" XDG_DATA_HOME="$work/data" XDG_CONFIG_HOME="$work/config"
unset VISTREL_SETTINGS XDG_CURRENT_DESKTOP WAYLAND_DISPLAY 2>/dev/null || true
mkdir -p "$HOME" "$XDG_DATA_HOME" "$XDG_CONFIG_HOME/Vistrel"
printf '[Software\\Vistrel\\Vistrel\\Wallpaper]\nBackend="x11"\n' >"$XDG_CONFIG_HOME/Vistrel/Vistrel.ini"

# The list, its viewer block switched to Proportioned Fit (mode 3, icon 1007).
"$bin/vistrelctl" new "$work/L.vist" >/dev/null
"$bin/vistrelctl" add "$work/L.vist" "$work/big.bmp" >/dev/null
python3 - "$work/L.vist" <<'PY'
import struct, sys
data = bytearray(open(sys.argv[1], "rb").read())
block = data.index(b"V0001-PICSHOW") - 8
struct.pack_into("<I", data, block + 4, 1007)
struct.pack_into("<I", data, block + 44, 3)
open(sys.argv[1], "wb").write(data)
PY

now() { python3 -c 'import time; print(time.monotonic())'; }
# Best of RUNS, in seconds.
best() {
    best=
    for _ in $(seq "$runs"); do
        start=$(now)
        "$@" >/dev/null
        end=$(now)
        best=$(python3 -c "t = $end - $start; b = '$best'; print(t if not b else min(t, float(b)))")
    done
    echo "$best"
}

vistrel=$(best "$bin/vistrelctl" next "$work/L.vist")
reference=$(best sh -c "vips thumbnail '$work/big.ppm' '$work/thumb.png[compression=1]' 1920 --height 1080 &&
    xwallpaper --center '$work/thumb.png'")
python3 - "$vistrel" "$reference" <<'PY'
import sys
v, r = float(sys.argv[1]), float(sys.argv[2])
print(f"vistrelctl next:               {v * 1000:7.0f} ms")
print(f"vips thumbnail + xwallpaper:   {r * 1000:7.0f} ms")
print(f"ratio:                         {v / r:7.2f}")
PY
