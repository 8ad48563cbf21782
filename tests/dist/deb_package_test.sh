#!/usr/bin/env bash
# SPDX-License-Identifier: GPL-3.0-or-later
# `cpack -G DEB` makes a package that installs everything a desktop needs:
# programs, extenders and their dialogs, the links, the login entry, the
# menu entry, the file type and the icons; with sensible metadata and what
# a distribution asks for besides: the copyright file (naming the licence of
# every library the package depends on), the changelog, a manual page for
# every program and valid AppStream metadata.
#   deb_package_test.sh BUILD_DIR PACKAGE_DIR EXPECTED_PATH...
# The package stays in PACKAGE_DIR for the tests that check it further.
set -euo pipefail
build=$1
out=$2
shift 2
for tool in cpack dpkg-deb dpkg-shlibdeps desktop-file-validate; do
  command -v "$tool" >/dev/null || { echo "SKIP: $tool is not installed"; exit 77; }
done

rm -rf "$out"
mkdir -p "$out"
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
cpack -G DEB --config "$build/CPackConfig.cmake" -B "$out" >"$work/cpack.log" 2>&1 || {
  cat "$work/cpack.log" >&2
  exit 1
}
rm -rf "$out/_CPack_Packages"
shopt -s nullglob
debs=("$out"/vistrel_*.deb)
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
$gui && libraries+=(libqt6widgets6 qt6-wayland)
for library in "${libraries[@]}"; do
  [[ $depends == *"$library"* ]] || { echo "Depends lacks $library: $depends" >&2; exit 1; }
done
# The list manager's file dialogs are the desktop's through the platform
# themes, which no library names either.
recommends=$(field Recommends)
if grep -qx /usr/lib/vistrel/Vistrel "$work/contents"; then
  for theme in qt6-xdgdesktopportal-platformtheme qt6-gtk-platformtheme; do
    [[ $recommends == *"$theme"* ]] || { echo "Recommends lacks $theme: $recommends" >&2; exit 1; }
  done
fi
dpkg-deb --ctrl-tarfile "$deb" | tar -xO ./conffiles >"$work/conffiles" 2>/dev/null || true
if $gui; then
  grep -qx /etc/xdg/autostart/vistrel-scheduler.desktop "$work/conffiles"
fi
# Every file named configuration is in the package.
while IFS= read -r conffile; do
  grep -qx -- "$conffile" "$work/contents" || { echo "conffile $conffile is not in the package" >&2; exit 1; }
done <"$work/conffiles"

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

# The maintainer is a person or team with an address, never a made-up host.
maintainer=$(field Maintainer)
[[ $maintainer =~ ^[^\<]+\ \<[^@\ ]+@[^@\ ]+\.[a-z]+\>$ && $maintainer != *@invalid* ]] ||
  { echo "Maintainer is \"$maintainer\"" >&2; exit 1; }
# Debian shows the long description as it is: no line wider than 80 columns.
awk 'length > 80 { print "a description line is " length " columns wide: " $0; bad = 1 } END { exit bad }' \
  <<<"$(field Description)" >&2

doc=$work/root/usr/share/doc/vistrel
[[ -f $doc/copyright ]] || { echo "no /usr/share/doc/vistrel/copyright" >&2; exit 1; }
head -1 "$doc/copyright" | grep -q '^Format: https://www.debian.org/doc/packaging-manuals/copyright-format/1.0/$'
# Every library package the programs and extenders link, and every package
# recommended, is named in the copyright file with its licence.
for library in $(tr ',|' '\n\n' <<<"$depends, $recommends" | sed 's/^ *//; s/[ (].*//'); do
  [[ -n $library ]] || continue
  grep -q "[( ]$library[,)]" "$doc/copyright" ||
    { echo "the copyright file does not name $library, which the package depends on or recommends" >&2; exit 1; }
done
# The changelog is Debian's format, of this version, compressed.
gzip -t "$doc/changelog.gz"
[[ $(zcat "$doc/changelog.gz" | dpkg-parsechangelog -l - -S Version) == "$(field Version)" ]] ||
  { echo "the changelog's newest version is not $(field Version)" >&2; exit 1; }

# A manual page for every program in /usr/bin, and the completion.
for program in "$work"/root/usr/bin/*; do
  page=$work/root/usr/share/man/man1/$(basename "$program").1.gz
  [[ -f $page ]] || { echo "no manual page for $(basename "$program")" >&2; exit 1; }
  gzip -t "$page"
done
[[ -f $work/root/usr/share/bash-completion/completions/vistrelctl ]]
if $gui && [[ -f $work/root/usr/share/applications/vistrel.desktop ]]; then
  metainfo=("$work"/root/usr/share/metainfo/*.metainfo.xml)
  [[ ${#metainfo[@]} -eq 1 ]] || { echo "expected one metainfo file: ${metainfo[*]:-none}" >&2; exit 1; }
  grep -q '<launchable type="desktop-id">vistrel.desktop</launchable>' "${metainfo[0]}"
  if command -v appstreamcli >/dev/null; then
    # The metadata with the desktop entry and icon it names, as installed.
    appstreamcli validate-tree --no-net "$work/root" >"$work/appstream.log" 2>&1 ||
      { cat "$work/appstream.log" >&2; exit 1; }
  fi
fi
echo "ok: $(basename "$deb"), $(wc -l <"$work/contents") entries"
