#!/bin/sh
# SPDX-License-Identifier: GPL-3.0-or-later
# A wallpaper change to a photograph, whole process, against the tools people
# use instead: a 6000 x 4000 JPEG at quality 90 shown proportioned on a
# 1920 x 1080 Xvfb with the bare X11 backend (`vistrelctl next` against
# `xwallpaper --maximize`, `feh --bg-max` and `vips thumbnail` + `xwallpaper`),
# then a 4000 x 3000 PNG (against xwallpaper) and HEIC (against vips
# thumbnail + xwallpaper). Median of RUNS wall-clock times and the largest
# peak resident memory, every tool run in turn so that the machine's load
# falls on all alike. Run by hand, never as a test:
#
#   bench/photo/run.sh [BUILD_DIR] [RUNS] [DISPLAY_NUMBER]
#
# The pictures are made once (ImageMagick's plasma: detail at every scale,
# like a photograph) and kept in BUILD_DIR/bench-photo. Needs Xvfb, python3,
# ImageMagick, vips (libvips-tools), xwallpaper and feh.
set -eu

build=${1:-build}
runs=${2:-5}
number=${3:-}
bin=$(cd "$build/bin" && pwd)
for tool in Xvfb python3 vips xwallpaper feh /usr/bin/convert; do
    command -v "$tool" >/dev/null || { echo "run.sh: $tool is needed" >&2; exit 2; }
done

cache="$build/bench-photo"
mkdir -p "$cache"
cache=$(cd "$cache" && pwd)
if [ ! -s "$cache/big.jpg" ]; then
    echo "making the pictures (once)..." >&2
    /usr/bin/convert -size 6000x4000 -seed 7 plasma:fractal -blur 0x1 -depth 8 "$cache/big.ppm"
    /usr/bin/convert "$cache/big.ppm" -quality 90 "$cache/big.jpg"
    /usr/bin/convert "$cache/big.ppm" -resize 4000x3000! "$cache/medium.png"
    /usr/bin/convert "$cache/medium.png" -quality 80 "$cache/medium.heic"
    rm -f "$cache/big.ppm"
fi

work=$(mktemp -d)
xvfb=
cleanup() {
    [ -n "$xvfb" ] && kill "$xvfb" 2>/dev/null && wait "$xvfb" 2>/dev/null
    rm -rf "$work"
}
trap cleanup EXIT INT TERM

if [ -n "$number" ]; then
    Xvfb ":$number" -noreset -nolisten tcp -screen 0 1920x1080x24 2>/dev/null &
    xvfb=$!
    export DISPLAY=":$number"
    sleep 1
else
    exec 3>"$work/display"
    Xvfb -displayfd 3 -noreset -nolisten tcp -screen 0 1920x1080x24 2>/dev/null &
    xvfb=$!
    for _ in $(seq 100); do [ -s "$work/display" ] && break; sleep 0.1; done
    export DISPLAY=":$(head -n1 "$work/display")"
fi

# A private user with the bare X11 backend.
export HOME="$work/home" XDG_DATA_HOME="$work/data" XDG_CONFIG_HOME="$work/config"
unset VISTREL_SETTINGS XDG_CURRENT_DESKTOP WAYLAND_DISPLAY 2>/dev/null || true
mkdir -p "$HOME" "$XDG_DATA_HOME" "$XDG_CONFIG_HOME/Vistrel"
printf '[Software\\Vistrel\\Vistrel\\Wallpaper]\nBackend="x11"\n' >"$XDG_CONFIG_HOME/Vistrel/Vistrel.ini"

# One list per picture, its entry in Proportioned Fit.
for picture in big.jpg medium.png medium.heic; do
    "$bin/vistrelctl" new "$work/$picture.vist" >/dev/null
    "$bin/vistrelctl" add "$work/$picture.vist" "$cache/$picture" >/dev/null
    "$bin/vistrelctl" mode "$work/$picture.vist" all proportioned >/dev/null
done
# The thumbnails vips makes, as the other tools would show them.
thumb() { echo "vips thumbnail '$cache/$1' '$work/thumb.png[compression=1]' 1920 --height 1080 && xwallpaper --center '$work/thumb.png'"; }

python3 - "$runs" "$bin" "$work" "$cache" "$(thumb big.jpg)" "$(thumb medium.heic)" <<'PY'
import os, statistics, subprocess, sys, time
runs, bin, work, cache, thumb_jpeg, thumb_heic = int(sys.argv[1]), *sys.argv[2:]
ctl = os.path.join(bin, "vistrelctl")
cases = [
    ("JPEG 6000x4000 q90", [
        ("vistrelctl next", [ctl, "next", f"{work}/big.jpg.vist"]),
        ("xwallpaper --maximize", ["xwallpaper", "--maximize", f"{cache}/big.jpg"]),
        ("feh --bg-max", ["feh", "--bg-max", "--no-fehbg", f"{cache}/big.jpg"]),
        ("vips thumbnail + xwallpaper", ["sh", "-c", thumb_jpeg]),
    ]),
    ("PNG 4000x3000", [
        ("vistrelctl next", [ctl, "next", f"{work}/medium.png.vist"]),
        ("xwallpaper --maximize", ["xwallpaper", "--maximize", f"{cache}/medium.png"]),
    ]),
    ("HEIC 4000x3000", [
        ("vistrelctl next", [ctl, "next", f"{work}/medium.heic.vist"]),
        ("vips thumbnail + xwallpaper", ["sh", "-c", thumb_heic]),
    ]),
]

def once(command):
    start = time.perf_counter()
    process = subprocess.Popen(command, stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)
    _, status, usage = os.wait4(process.pid, 0)
    elapsed = time.perf_counter() - start
    if status != 0:
        raise SystemExit(f"{command[0]} failed")
    return elapsed, usage.ru_maxrss / 1024  # MB

for title, tools in cases:
    times = {name: [] for name, _ in tools}
    peaks = {name: 0.0 for name, _ in tools}
    for name, command in tools:  # once each to warm the caches
        once(command)
    for _ in range(runs):
        for name, command in tools:
            t, peak = once(command)
            times[name].append(t)
            peaks[name] = max(peaks[name], peak)
    ours = statistics.median(times["vistrelctl next"])
    print(f"\n{title}: median of {runs}, peak resident memory")
    for name, _ in tools:
        median = statistics.median(times[name])
        ratio = "" if name == "vistrelctl next" else f"   vistrelctl next / this = {ours / median:.2f}"
        print(f"  {name:30s} {median * 1000:7.0f} ms {peaks[name]:6.0f} MB{ratio}")
PY
