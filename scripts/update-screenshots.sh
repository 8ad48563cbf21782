#!/usr/bin/env bash
# SPDX-License-Identifier: GPL-3.0-or-later
# Runs the list manager's test on a virtual X display, which writes the
# README's screenshots into the build folder, and copies them into docs/.
#   scripts/update-screenshots.sh [BUILD_FOLDER]   (default: build)
set -euo pipefail
root=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)
build=${1:-$root/build}
ninja -C "$build" manager_xvfb_tests >/dev/null
"$build/tests/manager_xvfb_tests" >/dev/null
mkdir -p "$root/docs"
for shot in list-manager list-manager-thumbnails tray-menu; do
  cp "$build/screenshots/$shot.png" "$root/docs/$shot.png"
  echo "docs/$shot.png"
done
