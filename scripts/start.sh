#!/usr/bin/env bash
# Installs what Vistrel needs, builds it, and starts it.
set -euo pipefail

root=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)
cd "$root"
"$root/scripts/install-deps.sh"
cmake -S . -B build -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo -DVISTREL_TESTS=OFF >/dev/null
ninja -C build >/dev/null

bin="$root/build/bin"
if [[ -x "$bin/Vistrel_Scheduler" && ( -n "${DISPLAY:-}" || -n "${WAYLAND_DISPLAY:-}" ) ]]; then
  # A first start has no list yet: make a sample one from a few generated
  # pictures and make it the current list, so the wallpaper starts changing.
  if ! "$bin/vistrelctl" current >/dev/null 2>&1; then
    sample="${XDG_DATA_HOME:-$HOME/.local/share}/Vistrel/Sample"
    "$root/scripts/make-sample-pictures.sh" "$sample/pictures"
    [[ -f "$sample/Sample.vist" ]] || "$bin/vistrelctl" new "$sample/Sample.vist"
    "$bin/vistrelctl" add "$sample/Sample.vist" "$sample/pictures" >/dev/null
    "$bin/vistrelctl" mode "$sample/Sample.vist" all proportioned >/dev/null
    "$bin/vistrelctl" use "$sample/Sample.vist"
  fi
  echo "Vistrel's scheduler runs in the notification area; its menu changes the wallpaper now, pauses or closes it."
  exec "$bin/Vistrel_Scheduler"
fi

# No desktop to show a wallpaper on: show what vistrelctl does on a sample list.
echo "No desktop session (DISPLAY or WAYLAND_DISPLAY) here: this is what vistrelctl does on a sample list."
demo=$(mktemp -d)
trap 'rm -rf "$demo"' EXIT
"$root/scripts/make-sample-pictures.sh" "$demo/pictures"
set -x
"$bin/vistrelctl" new "$demo/sample.vist"
"$bin/vistrelctl" add "$demo/sample.vist" "$demo/pictures"
"$bin/vistrelctl" priority "$demo/sample.vist" 1 80
"$bin/vistrelctl" random "$demo/sample.vist" on
"$bin/vistrelctl" show "$demo/sample.vist"
