#!/usr/bin/env bash
# SPDX-License-Identifier: GPL-3.0-or-later
# Resident memory and CPU time of the idle scheduler.
#
# Starts the real Vistrel_Scheduler on Xvfb (1920x1080) with the trayer tray,
# a private home and a list of three generated bitmaps with the default
# schedule (poll every 30 s, change every 30 minutes), waits for the first
# change (the first poll, 30 s after start), then measures:
#   - resident memory (VmRSS) after the first change; goal: under 40 MB;
#   - CPU time (user + system) over an idle period of IDLE_SECONDS (default
#     120), extrapolated to ten minutes; goal: as little as possible.
#
# Usage: bench/scheduler_idle.sh [BIN_DIR]     (default: build/bin)
#        IDLE_SECONDS=600 bench/scheduler_idle.sh build/bin   for the full ten minutes
set -euo pipefail

bin=$(realpath "${1:-build/bin}")
idle=${IDLE_SECONDS:-120}
for need in Xvfb trayer; do
    command -v "$need" >/dev/null || { echo "$need is not installed" >&2; exit 2; }
done
for file in Vistrel_Scheduler vistrelctl Read_Expander/Bitload.so View_Expander/Picshow.so; do
    [[ -e $bin/$file ]] || { echo "$bin/$file is not built" >&2; exit 2; }
done

work=$(mktemp -d)
pids=()
cleanup() {
    for pid in "${pids[@]}"; do kill "$pid" 2>/dev/null || true; done
    wait 2>/dev/null || true
    rm -rf "$work"
}
trap cleanup EXIT

export HOME=$work/home XDG_CONFIG_HOME=$work/config XDG_DATA_HOME=$work/data XDG_RUNTIME_DIR=$work/runtime
mkdir -p "$HOME/Pictures" "$XDG_CONFIG_HOME/Vistrel" "$XDG_DATA_HOME" "$XDG_RUNTIME_DIR"
chmod 700 "$XDG_RUNTIME_DIR"
unset DBUS_SESSION_BUS_ADDRESS WAYLAND_DISPLAY VISTREL_SETTINGS
display=:$((200 + $$ % 100))
export DISPLAY=$display QT_QPA_PLATFORM=xcb

Xvfb "$display" -noreset -nolisten tcp -screen 0 1920x1080x24 >/dev/null 2>&1 &
pids+=($!)
sleep 1
trayer --edge top --align right --widthtype pixel --width 150 --height 24 >/dev/null 2>&1 &
pids+=($!)
sleep 1

"$(dirname "$0")/../scripts/make-sample-pictures.sh" "$HOME/Pictures" >/dev/null
list=$HOME/all.vist
"$bin/vistrelctl" new "$list" >/dev/null
"$bin/vistrelctl" add "$list" "$HOME/Pictures" >/dev/null
"$bin/vistrelctl" use "$list" >/dev/null
printf '\n[Software\\Vistrel\\Vistrel\\Wallpaper]\nBackend="x11"\n' >>"$XDG_CONFIG_HOME/Vistrel/Vistrel.ini"

"$bin/Vistrel_Scheduler" >"$work/scheduler.log" 2>&1 &
scheduler=$!
pids+=("$scheduler")
wallpaper=$XDG_DATA_HOME/Vistrel/VistrelImage.bmp
echo "waiting for the first change (the first poll comes after 30 s)..."
for _ in $(seq 1 90); do
    [[ -s $wallpaper ]] && break
    sleep 1
done
[[ -s $wallpaper ]] || { echo "no wallpaper change within 90 s" >&2; cat "$work/scheduler.log" >&2; exit 1; }
sleep 2

# CPU time in seconds: nanoseconds on the CPU from schedstat where the kernel
# keeps it, else user + system clock ticks (10 ms steps).
cpu() {
    if [[ -r /proc/$scheduler/schedstat ]]; then
        awk '{printf "%.6f", $1 / 1e9}' "/proc/$scheduler/schedstat"
    else
        awk -v hz="$(getconf CLK_TCK)" '{printf "%.6f", ($14 + $15) / hz}' "/proc/$scheduler/stat"
    fi
}
rss() { awk '/^VmRSS/ {print $2}' "/proc/$scheduler/status"; }

rss_after_change=$(rss)
cpu_start=$(cpu)
echo "idle for $idle s..."
sleep "$idle"
cpu_end=$(cpu)
rss_end=$(rss)

awk -v rss1="$rss_after_change" -v rss2="$rss_end" -v c0="$cpu_start" -v c1="$cpu_end" -v idle="$idle" 'BEGIN {
    used = c1 - c0
    printf "resident memory after the first change: %.1f MB (goal: under 40 MB)\n", rss1 / 1024
    printf "resident memory after %d s idle:         %.1f MB\n", idle, rss2 / 1024
    printf "CPU time over %d s idle:                 %.4f s\n", idle, used
    printf "extrapolated to ten minutes:             %.4f s (%.4f%% of one core)\n", used * 600 / idle, 100 * used / idle
}'
