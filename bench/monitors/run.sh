#!/bin/sh
# SPDX-License-Identifier: GPL-3.0-or-later
# A wallpaper change on two monitors against one: the 6000 x 4000 JPEG of
# bench/photo (made there if missing) in Proportioned Fit with "Monitors" set
# to "same", on a 3200 x 1080 Xvfb whose monitors are a 1920 x 1080 and a
# 1280 x 720 one (declared with xrandr --setmonitor), then on the same server
# with one 1920 x 1080 monitor; beside it `xwallpaper --maximize` on the same
# two monitors. The picture is read once for both monitors, so two should
# cost little more than one. Median of RUNS wall-clock times, the tools in
# turn. Run by hand, never as a test:
#
#   bench/monitors/run.sh [BUILD_DIR] [RUNS]
#
# Needs Xvfb, xrandr, python3, ImageMagick and xwallpaper.
set -eu

build=${1:-build}
runs=${2:-7}
bin=$(cd "$build/bin" && pwd)
for tool in Xvfb xrandr python3 xwallpaper /usr/bin/convert; do
    command -v "$tool" >/dev/null || { echo "run.sh: $tool is needed" >&2; exit 2; }
done

cache="$build/bench-photo"
mkdir -p "$cache"
cache=$(cd "$cache" && pwd)
if [ ! -s "$cache/big.jpg" ]; then
    echo "making the picture (once)..." >&2
    /usr/bin/convert -size 6000x4000 -seed 7 plasma:fractal -blur 0x1 -depth 8 "$cache/big.ppm"
    /usr/bin/convert "$cache/big.ppm" -quality 90 "$cache/big.jpg"
    rm -f "$cache/big.ppm"
fi

work=$(mktemp -d)
xvfb=
cleanup() {
    [ -n "$xvfb" ] && kill "$xvfb" 2>/dev/null && wait "$xvfb" 2>/dev/null
    rm -rf "$work"
}
trap cleanup EXIT INT TERM

exec 3>"$work/display"
Xvfb -displayfd 3 -noreset -nolisten tcp -screen 0 3200x1080x24 2>/dev/null &
xvfb=$!
for _ in $(seq 100); do [ -s "$work/display" ] && break; sleep 0.1; done
export DISPLAY=":$(head -n1 "$work/display")"

export HOME="$work/home" XDG_DATA_HOME="$work/data" XDG_CONFIG_HOME="$work/config"
unset VISTREL_SETTINGS XDG_CURRENT_DESKTOP WAYLAND_DISPLAY SWAYSOCK 2>/dev/null || true
mkdir -p "$HOME" "$XDG_DATA_HOME" "$XDG_CONFIG_HOME/Vistrel"
printf '[Software\\Vistrel\\Vistrel\\Wallpaper]\nBackend="x11"\nMonitors="same"\n' >"$XDG_CONFIG_HOME/Vistrel/Vistrel.ini"
"$bin/vistrelctl" new "$work/big.vist" >/dev/null
"$bin/vistrelctl" add "$work/big.vist" "$cache/big.jpg" >/dev/null
"$bin/vistrelctl" mode "$work/big.vist" all proportioned >/dev/null

python3 - "$runs" "$bin/vistrelctl" "$work/big.vist" "$cache/big.jpg" <<'PY'
import os, statistics, subprocess, sys, time
runs, ctl, lst, jpeg = int(sys.argv[1]), *sys.argv[2:]
def monitors(count):
    script = ("xrandr --delmonitor LARGE >/dev/null 2>&1; xrandr --delmonitor SMALL >/dev/null 2>&1; "
              "xrandr --setmonitor LARGE 1920/508x1080/286+0+0 screen >/dev/null")
    if count == 2:
        script += "; xrandr --setmonitor SMALL 1280/338x720/190+1920+0 none >/dev/null"
    subprocess.run(["sh", "-c", script], check=True)
def once(command):
    start = time.perf_counter()
    process = subprocess.Popen(command, stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)
    _, status, usage = os.wait4(process.pid, 0)
    if status != 0:
        raise SystemExit(f"{command[0]} failed")
    return time.perf_counter() - start, usage.ru_maxrss / 1024
cases = [("vistrelctl next, two monitors", 2, [ctl, "next", lst]),
         ("vistrelctl next, one monitor", 1, [ctl, "next", lst]),
         ("xwallpaper --maximize, two monitors", 2, ["xwallpaper", "--maximize", jpeg])]
times = {name: [] for name, _, _ in cases}
peaks = {name: 0.0 for name, _, _ in cases}
for name, count, command in cases:
    monitors(count)
    once(command)  # warm the caches
for _ in range(runs):
    for name, count, command in cases:
        monitors(count)
        t, peak = once(command)
        times[name].append(t)
        peaks[name] = max(peaks[name], peak)
print(f"\nJPEG 6000x4000 q90 in Proportioned Fit, \"same\": median of {runs}, peak resident memory")
two = statistics.median(times[cases[0][0]])
for name, _, _ in cases:
    median = statistics.median(times[name])
    ratio = "" if name == cases[0][0] else f"   two monitors / this = {two / median:.2f}"
    print(f"  {name:38s} {median * 1000:7.0f} ms {peaks[name]:6.0f} MB{ratio}")
PY
