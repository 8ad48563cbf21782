#!/usr/bin/env bash
# SPDX-License-Identifier: GPL-3.0-or-later
# Installs what Vistrel needs, builds it, and starts it.
#
# On a desktop this starts the list manager, Vistrel, which starts the
# scheduler; a first start gets a sample list. On a machine without a
# desktop both programs run on a virtual X display for a moment, and the
# script writes screenshots of the list manager and of the desktop the
# scheduler changed.
set -euo pipefail

root=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)
cd "$root"
desktop=false
[[ -n "${DISPLAY:-}" || -n "${WAYLAND_DISPLAY:-}" ]] && desktop=true
if $desktop; then
  "$root/scripts/install-deps.sh"
else
  "$root/scripts/install-deps.sh" --virtual-display
fi
# VISTREL_BUILD_DIR: a build folder to use instead of build/ (one that is
# configured already is only brought up to date).
build=${VISTREL_BUILD_DIR:-$root/build}
if [[ ! -f "$build/CMakeCache.txt" ]]; then
  cmake -S . -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo -DVISTREL_TESTS=OFF >/dev/null
fi
ninja -C "$build" >/dev/null
bin="$build/bin"

# A sample list from a few generated pictures, made the current list.
make_sample() {
  local sample=$1
  "$root/scripts/make-sample-pictures.sh" "$sample/pictures"
  [[ -f "$sample/Sample.vist" ]] || "$bin/vistrelctl" new "$sample/Sample.vist" >/dev/null
  "$bin/vistrelctl" add "$sample/Sample.vist" "$sample/pictures" >/dev/null
  "$bin/vistrelctl" mode "$sample/Sample.vist" all proportioned >/dev/null
  "$bin/vistrelctl" use "$sample/Sample.vist"
}

if $desktop; then
  # A first start has no list yet.
  if ! "$bin/vistrelctl" current >/dev/null 2>&1; then
    make_sample "${XDG_DATA_HOME:-$HOME/.local/share}/Vistrel/Sample"
  fi
  echo "Vistrel opens your list; its scheduler runs in the notification area and changes the wallpaper."
  exec "$bin/Vistrel"
fi

# No desktop: a virtual one, with settings and files of its own.
demo=$(mktemp -d)
shots="$build/screenshots"
mkdir -p "$shots" "$demo/config" "$demo/data" "$demo/runtime"
chmod 700 "$demo/runtime"
export XDG_CONFIG_HOME="$demo/config" XDG_DATA_HOME="$demo/data" XDG_RUNTIME_DIR="$demo/runtime"
unset WAYLAND_DISPLAY DBUS_SESSION_BUS_ADDRESS
export QT_QPA_PLATFORM=xcb
exec {fd}<> <(:)
Xvfb -displayfd "$fd" -nolisten tcp -screen 0 1024x640x24 >/dev/null 2>&1 &
xvfb=$!
read -r -t 20 number <&"$fd" || { echo "Xvfb did not start" >&2; exit 1; }
export DISPLAY=":$number"
manager=
stop() {
  [[ -n "$manager" ]] && kill "$manager" 2>/dev/null || true
  # The scheduler is the list manager's child: it is the one whose
  # environment names this run's folder.
  for environ in /proc/[0-9]*/environ; do
    if grep -qsz "^XDG_RUNTIME_DIR=$demo/runtime$" "$environ"; then
      pid=${environ#/proc/}; pid=${pid%/environ}
      [[ "$pid" != "$$" && "$pid" != "$xvfb" ]] && kill "$pid" 2>/dev/null || true
    fi
  done
  kill "$xvfb" 2>/dev/null || true
  rm -rf "$demo"
}
trap stop EXIT

echo "No desktop session here: running Vistrel and its scheduler on a virtual display ($DISPLAY)."
make_sample "$demo/Sample"
"$bin/Vistrel" &
manager=$!
for _ in $(seq 100); do
  window=$(xdotool search --name "Sample.vist - Vistrel" 2>/dev/null | head -1) && [[ -n "$window" ]] && break
  sleep 0.2
done
[[ -n "${window:-}" ]] || { echo "the list manager's window did not come up" >&2; exit 1; }

# The scheduler changes the wallpaper at its first poll, half a minute on.
echo "Waiting for the scheduler's first change of the wallpaper (about 30 seconds)..."
wallpaper="$XDG_DATA_HOME/Vistrel/VistrelImage.bmp"
for _ in $(seq 90); do
  [[ -f "$wallpaper" ]] && break
  sleep 1
done
sleep 1
# Now, with the scheduler's start-up picture long gone from the screen.
import -window "$window" "$shots/start-list-manager.png"
xdotool windowunmap --sync "$window"
import -window root "$shots/start-desktop.png"
"$bin/vistrelctl" show "$demo/Sample/Sample.vist" | head -3
if [[ -f "$wallpaper" ]]; then
  echo "The scheduler changed the wallpaper."
else
  echo "The scheduler did not change the wallpaper within 90 seconds." >&2
fi
echo "Screenshots: $shots/start-list-manager.png (the list manager) and $shots/start-desktop.png (the desktop)"
