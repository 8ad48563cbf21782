#!/usr/bin/env bash
# SPDX-License-Identifier: GPL-3.0-or-later
# The desktop files as shipped: both menu entries pass desktop-file-validate,
# and once the file type is known to shared-mime-info (in a private data
# folder), xdg-mime names it for a ".vist" file.
#   desktop_files_test.sh SOURCE_DIR
set -euo pipefail
src=$1
for tool in desktop-file-validate update-mime-database xdg-mime; do
  command -v "$tool" >/dev/null || { echo "SKIP: $tool is not installed"; exit 77; }
done

for entry in "$src/dist/vistrel.desktop" "$src/dist/vistrel-scheduler.desktop"; do
  desktop-file-validate "$entry"
done
grep -qx 'MimeType=application/x-vistrel-list;' "$src/dist/vistrel.desktop"

work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
mkdir -p "$work/data/mime/packages"
cp "$src/dist/vistrel-list.xml" "$work/data/mime/packages/vistrel.xml"
XDG_DATA_HOME="$work/data" update-mime-database "$work/data/mime"
printf 'not a list at all' >"$work/some.vist"
printf 'plain text\n' >"$work/other.txt"
# No desktop session: xdg-mime asks shared-mime-info itself, in the private
# folder first and the system's after.
type=$(env -u XDG_CURRENT_DESKTOP -u DESKTOP_SESSION -u KDE_FULL_SESSION -u GNOME_DESKTOP_SESSION_ID \
  XDG_DATA_HOME="$work/data" XDG_DATA_DIRS=/usr/local/share:/usr/share xdg-mime query filetype "$work/some.vist")
if [[ $type != application/x-vistrel-list ]]; then
  echo "some.vist is \"$type\", not application/x-vistrel-list" >&2
  exit 1
fi
other=$(env -u XDG_CURRENT_DESKTOP XDG_DATA_HOME="$work/data" xdg-mime query filetype "$work/other.txt")
[[ $other != application/x-vistrel-list ]] || { echo "other files are taken for lists" >&2; exit 1; }
grep -q '<comment>Vistrel image list</comment>' "$work/data/mime/application/x-vistrel-list.xml"
echo "ok: entries valid, some.vist is $type"
