#!/usr/bin/env bash
# Installs what Vistrel needs, builds it, and starts it.
set -euo pipefail

root=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)
cd "$root"
"$root/scripts/install-deps.sh"
cmake -S . -B build -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo -DVISTREL_TESTS=OFF >/dev/null
ninja -C build >/dev/null

bin="$root/build/bin"
if [[ -x "$bin/Vistrel_Scheduler" ]]; then
  exec "$bin/Vistrel_Scheduler"
fi

# No window yet in this build: show what vistrelctl does on a sample list.
demo=$(mktemp -d)
trap 'rm -rf "$demo"' EXIT
"$root/scripts/make-sample-pictures.sh" "$demo/pictures"
set -x
"$bin/vistrelctl" new "$demo/sample.vist"
"$bin/vistrelctl" add "$demo/sample.vist" "$demo/pictures"
"$bin/vistrelctl" priority "$demo/sample.vist" 1 80
"$bin/vistrelctl" random "$demo/sample.vist" on
"$bin/vistrelctl" show "$demo/sample.vist"
