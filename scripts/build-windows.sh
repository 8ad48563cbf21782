#!/usr/bin/env bash
# SPDX-License-Identifier: GPL-3.0-or-later
# Builds the Windows installer on Debian: installs what it needs (MinGW-w64,
# NSIS), cross-builds Vistrel for 64-bit Windows and packs
# build/windows/vistrel-<version>-win64.exe.
#   scripts/build-windows.sh [BUILD_FOLDER]
set -euo pipefail
root=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)
build=${1:-$root/build/windows}
"$root/scripts/install-deps.sh" --windows
cmake -S "$root" -B "$build" -G Ninja -DCMAKE_TOOLCHAIN_FILE="$root/cmake/mingw-w64.cmake" \
  -DCMAKE_BUILD_TYPE=Release -DVISTREL_GUI=OFF -DVISTREL_TESTS=OFF -DVISTREL_BENCH=OFF >/dev/null
cmake --build "$build"
(cd "$build" && cpack -G NSIS >/dev/null)
ls "$build"/vistrel-*-win64.exe
