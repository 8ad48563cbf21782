#!/usr/bin/env bash
# SPDX-License-Identifier: GPL-3.0-or-later
# `cpack -G DEB` makes a package that installs everything a desktop needs:
# programs, extenders and their dialogs, the links, the login entry, the
# menu entry, the file type and the icons; with sensible metadata.
#   deb_package_test.sh BUILD_DIR EXPECTED_PATH...
set -euo pipefail
build=$1
shift
for tool in cpack dpkg-deb dpkg-shlibdeps desktop-file-validate; do
  command -v "$tool" >/dev/null || { echo "SKIP: $tool is not installed"; exit 77; }
done

work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
cpack -G DEB --config "$build/CPackConfig.cmake" -B "$work" >"$work/cpack.log" 2>&1 || {
  cat "$work/cpack.log" >&2
  exit 1
}
shopt -s nullglob
debs=("$work"/vistrel_*.deb)
[[ ${#debs[@]} -eq 1 ]] || { echo "expected one vistrel_*.deb, found: ${debs[*]:-none}" >&2; exit 1; }
deb=${debs[0]}

dpkg-deb -c "$deb" >"$work/listing"
awk '{print $6}' "$work/listing" | sed 's|^\./|/|; s|/$||' >"$work/contents"
missing=0
for path in "$@"; do
  grep -qx -- "$path" "$work/contents" || { echo "missing from the package: $path" >&2; missing=1; }
done
[[ $missing -eq 0 ]] || { echo "the package holds:" >&2; cat "$work/contents" >&2; exit 1; }
# The links in /usr/bin point at the programs beside their extender folders.
grep -q '\./usr/bin/vistrelctl -> \.\./lib/vistrel/vistrelctl$' "$work/listing" || {
  echo "/usr/bin/vistrelctl is not a link to ../lib/vistrel/vistrelctl" >&2
  exit 1
}

field() { dpkg-deb -f "$deb" "$1"; }
[[ $(field Package) == vistrel ]]
[[ -n $(field Version) && -n $(field Maintainer) && -n $(field Description) ]]
[[ $(field Section) == graphics ]]
# Without the GUI the package holds no Qt program, so neither the Qt
# libraries nor the scheduler's login entry belong in it.
gui=false
grep -qx /usr/lib/vistrel/Vistrel_Scheduler "$work/contents" && gui=true
depends=$(field Depends)
libraries=(libc6 libstdc++6)
$gui && libraries+=(libqt6widgets6)
for library in "${libraries[@]}"; do
  [[ $depends == *"$library"* ]] || { echo "Depends lacks $library: $depends" >&2; exit 1; }
done
if $gui; then
  dpkg-deb --ctrl-tarfile "$deb" | tar -xO ./conffiles >"$work/conffiles"
  grep -qx /etc/xdg/autostart/vistrel-scheduler.desktop "$work/conffiles"
fi

# The installed entries are valid and start the installed programs.
dpkg-deb -x "$deb" "$work/root"
for entry in "$work/root/usr/share/applications/vistrel.desktop" \
  "$work/root/etc/xdg/autostart/vistrel-scheduler.desktop"; do
  [[ -f $entry ]] || continue
  desktop-file-validate "$entry"
done
if [[ -f $work/root/usr/share/applications/vistrel.desktop ]]; then
  grep -qx 'Exec=/usr/lib/vistrel/Vistrel %f' "$work/root/usr/share/applications/vistrel.desktop"
fi
if $gui; then
  grep -qx 'Exec=/usr/lib/vistrel/Vistrel_Scheduler' "$work/root/etc/xdg/autostart/vistrel-scheduler.desktop"
fi
echo "ok: $(basename "$deb"), $(wc -l <"$work/contents") entries"
