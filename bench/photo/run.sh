#!/bin/sh
# SPDX-License-Identifier: GPL-3.0-or-later
# A wallpaper change to a photograph, whole process, against the tools people
# use instead: a 6000 x 4000 JPEG at quality 90 shown proportioned on a
# 1920 x 1080 Xvfb with the bare X11 backend (`vistrelctl next` against
# `xwallpaper --maximize`, `feh --bg-max` and `vips thumbnail` + `xwallpaper`),
# then a 4000 x 3000 PNG (against xwallpaper) and HEIC (against vips
# thumbnail + xwallpaper). Median of RUNS wall-clock times and the largest
# peak resident memory, every tool run in turn so that the machine's load
# falls on all alike. Then, in the same run, what each decoder alone must do
# (the floor: `djpeg -scale 3/8`, and vistrel_bench_floor's inflate of the
# PNG's image data and libheif's decode), and where the time of each change
# goes, stage by stage (vistrel_bench_change, medians of RUNS processes).
# Run by hand, never as a test:
#
#   bench/photo/run.sh [BUILD_DIR] [RUNS] [DISPLAY_NUMBER] [BEFORE_BUILD_DIR]
#
# With BEFORE_BUILD_DIR (a build of an earlier version with the same bench/),
# its `vistrelctl next` takes its turn beside the others and its stages are
# shown beside this build's, so that before and after come from one run.
#
# The pictures are made once (ImageMagick's plasma: detail at every scale,
# like a photograph) and kept in BUILD_DIR/bench-photo. Needs Xvfb, python3,
# ImageMagick, vips (libvips-tools), xwallpaper, feh and djpeg
# (libjpeg-turbo-progs).
set -eu

build=${1:-build}
runs=${2:-7}
number=${3:-}
before=${4:-}
[ -z "$before" ] || before=$(cd "$before" && pwd)
bin=$(cd "$build/bin" && pwd)
bench=$(cd "$build/bench" && pwd)
for tool in Xvfb python3 vips xwallpaper feh djpeg /usr/bin/convert "$bench/vistrel_bench_change" \
    "$bench/vistrel_bench_floor"; do
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

python3 - "$runs" "$bin" "$bench" "$work" "$cache" "$(thumb big.jpg)" "$(thumb medium.heic)" "$before" <<'PY'
import os, statistics, subprocess, sys, time
runs, bin, bench, work, cache, thumb_jpeg, thumb_heic, before = int(sys.argv[1]), *sys.argv[2:]
ctl = os.path.join(bin, "vistrelctl")
pictures = [("JPEG 6000x4000 q90", "big.jpg"), ("PNG 4000x3000", "medium.png"), ("HEIC 4000x3000", "medium.heic")]
others = {
    "big.jpg": [
        ("xwallpaper --maximize", ["xwallpaper", "--maximize", f"{cache}/big.jpg"]),
        ("feh --bg-max", ["feh", "--bg-max", "--no-fehbg", f"{cache}/big.jpg"]),
        ("vips thumbnail + xwallpaper", ["sh", "-c", thumb_jpeg]),
    ],
    "medium.png": [("xwallpaper --maximize", ["xwallpaper", "--maximize", f"{cache}/medium.png"])],
    "medium.heic": [("vips thumbnail + xwallpaper", ["sh", "-c", thumb_heic])],
}
# The decoder alone, as a whole process.
floors = {"big.jpg": [("djpeg -scale 3/8", ["djpeg", "-scale", "3/8", "-outfile", os.devnull, f"{cache}/big.jpg"])]}


def once(command, capture=False):
    start = time.perf_counter()
    process = subprocess.Popen(command, stdout=subprocess.PIPE if capture else subprocess.DEVNULL,
                               stderr=subprocess.DEVNULL)
    out = process.stdout.read().decode() if capture else ""
    _, status, usage = os.wait4(process.pid, 0)
    elapsed = time.perf_counter() - start
    if status != 0:
        raise SystemExit(f"{command[0]} failed")
    return elapsed, usage.ru_maxrss / 1024, out  # s, MB, output


def stages_of(text):
    """vistrel_bench_change's lines: name, ms, MB."""
    rows = []
    for line in text.splitlines():
        name, rest = line[:24].strip(), line[24:].split()
        rows.append((name, float(rest[0]), float(rest[2])))
    return rows


builds = [("", bin, bench)] + ([(" (before)", f"{before}/bin", f"{before}/bench")] if before else [])


def stage_table(stage_runs, stage_wall, stage_peak):
    """Medians of each stage: name -> (ms, MB), with the process's start and exit and the whole."""
    table = {}
    for i, (name, _, _) in enumerate(stage_runs[0]):
        table[name] = (statistics.median(r[i][1] for r in stage_runs), max(r[i][2] for r in stage_runs))
    table["start and exit of the process"] = (
        statistics.median(w * 1000 - sum(ms for _, ms, _ in r) for w, r in zip(stage_wall, stage_runs)), None)
    table["the whole process"] = (statistics.median(stage_wall) * 1000, stage_peak)
    return table


for title, picture in pictures:
    tools = [("vistrelctl next" + label, [f"{b}/vistrelctl", "next", f"{work}/{picture}.vist"]) for label, b, _ in builds]
    tools += others[picture] + floors.get(picture, [])
    stage_commands = [(label, [f"{bb}/vistrel_bench_change", b, f"{work}/{picture}.vist"]) for label, b, bb in builds]
    times = {name: [] for name, _ in tools}
    peaks = {name: 0.0 for name, _ in tools}
    stages = {label: ([], [], 0.0) for label, _ in stage_commands}
    for name, command in tools:  # once each to warm the caches
        once(command)
    for _, command in stage_commands:
        once(command)
    for _ in range(runs):
        for name, command in tools:
            t, peak, _ = once(command)
            times[name].append(t)
            peaks[name] = max(peaks[name], peak)
        for label, command in stage_commands:
            t, peak, out = once(command, capture=True)
            runs_, walls, top = stages[label]
            runs_.append(stages_of(out))
            walls.append(t)
            stages[label] = (runs_, walls, max(top, peak))
    ours = statistics.median(times["vistrelctl next"])
    print(f"\n{title}: median of {runs}, peak resident memory")
    for name, _ in tools:
        median = statistics.median(times[name])
        ratio = "" if name == "vistrelctl next" else f"   vistrelctl next / this = {ours / median:.2f}"
        print(f"  {name:30s} {median * 1000:7.0f} ms {peaks[name]:6.0f} MB{ratio}")
    floor = {"big.jpg": ["jpeg", "3"], "medium.png": ["png"], "medium.heic": ["heif"]}[picture]
    out = subprocess.run([f"{bench}/vistrel_bench_floor", floor[0], f"{cache}/{picture}", str(runs)] + floor[1:],
                         capture_output=True, text=True, check=True).stdout
    print(f"  the decoder alone (in memory, best of {runs}):")
    for line in out.splitlines():
        print("    " + line)
    print(f"  the stages of the change (vistrel_bench_change, medians of {runs}; peak memory after the stage):")
    tables = {label: stage_table(*stages[label]) for label, _ in stage_commands}
    if before:
        print(f"    {'':30s} {'before':>18s} {'now':>18s}")
    for name in tables[""]:
        cells = ""
        for label, _ in reversed(stage_commands):
            ms, mb = tables[label].get(name, (0.0, None))
            cells += f" {ms:8.1f} ms" + (f" {mb:5.1f} MB" if mb is not None else " " * 9)
        print(f"    {name:30s}{cells}")
PY
