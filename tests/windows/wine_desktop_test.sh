#!/usr/bin/env bash
# SPDX-License-Identifier: GPL-3.0-or-later
# Vistrel on Windows as a user meets it, under Wine on a virtual X display:
# Wine's desktop with its taskbar and notification area, a fresh Wine prefix
# as the user's machine, the real installer, programs and extenders.
#   wine_desktop_test.sh BUILD     (a MinGW build folder, `cpack` done)
#
# 1. The Win32 scheduler's in-process tests, whose windows need a display.
# 2. A silent per-machine install puts the files, the Start-menu folder, the
#    login entry, the file type and the uninstaller in place.
# 3. A list made with the installed vistrelctl; at the next login (a new Wine
#    session) the scheduler starts by itself, shows its icon in the
#    notification area and changes the wallpaper (the registry names the
#    file, the desktop shows it); a second copy ends at once; the icon's menu,
#    driven by mouse clicks, changes the wallpaper now, the double-click
#    switches the scheduler off and "Close Scheduler" saves the list. The
#    README's screenshot is left in BUILD/tests/wine-desktop.png.
# 4. Installing again and a silent uninstall close the running scheduler;
#    the uninstall removes all of it and keeps the user's lists and
#    settings; a per-user install and uninstall do the same for the user.
# Ends with "N passed, M failed"; exit status 77 when a tool is missing.
set -uo pipefail

build=$(cd "$1" && pwd)
installer=$(ls "$build"/vistrel-*-win64.exe 2>/dev/null | head -1)
unit_tests=$build/tests/scheduler_win32_tests.exe
for tool in Xvfb xdotool wine wineserver wineboot import python3; do
  command -v "$tool" >/dev/null || { echo "skipped: $tool is missing"; exit 77; }
done
[[ -x /usr/bin/convert ]] || { echo "skipped: ImageMagick is missing"; exit 77; }
[[ -n "$installer" ]] || { echo "skipped: no installer in $build (run cpack there)"; exit 77; }

work=$(mktemp -d /tmp/vistrel-wine-desktop.XXXXXX)
# No .NET or Gecko prompts, and no menu entries on the host for the
# installer's shortcuts.
export WINEPREFIX=$work/prefix WINEDEBUG=-all WINEARCH=win64 WINEDLLOVERRIDES="mscoree,mshtml=;winemenubuilder.exe=d"
xvfb=
cleanup() {
  wineserver -k >/dev/null 2>&1
  [[ -n "$xvfb" ]] && kill "$xvfb" 2>/dev/null
  if [[ -n "${VISTREL_KEEP_WINE_DESKTOP:-}" ]]; then
    echo "kept: $work"
  else
    rm -rf "$work"
  fi
}
trap cleanup EXIT
passed=0
failed=0
check() {
  local what=$1
  shift
  if "$@"; then
    passed=$((passed + 1))
    echo "ok: $what"
  else
    failed=$((failed + 1))
    echo "FAILED: $what"
  fi
}
# Runs the command until it succeeds, for at most $1 seconds.
eventually() {
  local end=$((SECONDS + $1))
  shift
  until "$@"; do
    ((SECONDS < end)) || return 1
    sleep 0.3
  done
}

# A display of our own.
display=
for n in $(seq $((300 + RANDOM % 400)) 999); do
  if [[ ! -e /tmp/.X$n-lock && ! -e /tmp/.X11-unix/X$n ]]; then
    display=$n
    break
  fi
done
Xvfb ":$display" -screen 0 1024x768x24 -nolisten tcp >/dev/null 2>&1 &
xvfb=$!
export DISPLAY=":$display"
eventually 10 test -e "/tmp/.X11-unix/X$display" || { echo "FAILED: Xvfb did not start"; exit 1; }

# The user's machine: a fresh prefix whose desktop is explorer's "shell"
# desktop, which has a taskbar with a notification area.
wineboot -i >/dev/null 2>&1
wine reg add 'HKCU\Software\Wine\Explorer' /v Desktop /d shell /f >/dev/null 2>&1
wine reg add 'HKCU\Software\Wine\Explorer\Desktops' /v shell /d 800x600 /f >/dev/null 2>&1
drive_c=$WINEPREFIX/drive_c
user=$(ls "$drive_c/users" | grep -v -x Public | head -1)
home=$drive_c/users/$user
# Wine links the user's Documents, Pictures, ... to the home folder of the
# machine; the test's files stay inside the prefix.
for folder in "$home"/*; do
  if [[ -L "$folder" ]]; then
    rm "$folder"
    mkdir "$folder"
  fi
done

screen=$work/screen.png
shoot() { import -window root "$screen" 2>/dev/null; }
pixel() { /usr/bin/convert "$screen" -format "%[hex:p{$1,$2}]" info: 2>/dev/null; }
# How far apart two colours (RRGGBB) are, in the channel furthest apart.
distance() {
  python3 -c "import sys; a,b=(int(x,16) for x in sys.argv[1:]); print(max(abs((a>>s&255)-(b>>s&255)) for s in (0,8,16)))" "$1" "$2"
}
near() { [[ $(distance "$1" "$2") -lt 24 ]]; }
# The registry value's data (REG_SZ, REG_DWORD as 0x...), empty when
# missing; no name: the key's default value.
reg_value() {
  if [[ -z "${2:-}" ]]; then
    wine reg query "$1" /ve 2>/dev/null | tr -d '\r' | sed -n "s/^ *(Default) *REG_[A-Z_]* *//p"
  else
    wine reg query "$1" /v "$2" 2>/dev/null | tr -d '\r' | sed -n "s/^ *$2 *REG_[A-Z_]* *//p"
  fi
}
winpath() { winepath -w "$1" 2>/dev/null; }

# The taskbar runs along the bottom of the 800 by 600 desktop; its
# notification area is at its right end, the scheduler's icon the last one.
icon_x=790
icon_y=590
taskbar_up() { shoot && near "$(pixel 400 595)" "$(pixel 120 595)" && ! near "$(pixel 400 595)" "$(pixel 400 300)"; }

echo "--- the Win32 scheduler in-process"
check "the Win32 scheduler's own tests" bash -c "cd '$build' && wine '$unit_tests' >'$work/unit.log' 2>&1" ||
  cat "$work/unit.log"
check "Wine's desktop shows a taskbar" eventually 20 taskbar_up
shoot
taskbar_colour=$(pixel 400 595)
desktop_colour=$(pixel 400 300)
tray_empty() { shoot && near "$(pixel $icon_x $icon_y)" "$taskbar_colour" && near "$(pixel $((icon_x - 4)) $((icon_y + 3)))" "$taskbar_colour"; }
tray_shows_icon() { shoot && ! tray_empty; }

echo "--- silent per-machine install"
check "the installer runs silently and succeeds" wine "$(winpath "$installer")" /S
programs="$drive_c/Program Files/Vistrel"
files_in_place() {
  local f
  for f in Vistrel_Scheduler.exe vistrelctl.exe Uninstall.exe vistrel.ico LICENSE.txt Read_Expander/Bitload.dll \
    Read_Expander/Photoload.dll View_Expander/Picshow.dll Scheduler_Expander/Clockpace.dll; do
    [[ -f "$1/$f" ]] || { echo "missing: $1/$f"; return 1; }
  done
}
check "the programs and the extender folders are in Program Files\\Vistrel" files_in_place "$programs"
check "beside LICENSE.txt, the notices of winpthreads and GCC's runtime, which the programs link" bash -c \
  "grep -q 'mingw-w64-libraries/winpthreads' '$programs/THIRD-PARTY-NOTICES.txt' &&
   grep -q 'GCC RUNTIME LIBRARY EXCEPTION' '$programs/THIRD-PARTY-NOTICES.txt'"
menu="$drive_c/ProgramData/Microsoft/Windows/Start Menu/Programs/Vistrel"
check "the Start menu has the scheduler" test -f "$menu/Vistrel Scheduler.lnk"
run_key='Software\Microsoft\Windows\CurrentVersion\Run'
check "the scheduler starts at every login" \
  test "$(reg_value "HKLM\\$run_key" "Vistrel Scheduler")" = '"C:\Program Files\Vistrel\Vistrel_Scheduler.exe"'
check "\".vist\" files are Vistrel lists" test "$(reg_value 'HKLM\Software\Classes\.vist' '')" = Vistrel.Document
check "Vistrel lists have the Vistrel icon" \
  test "$(reg_value 'HKLM\Software\Classes\Vistrel.Document\DefaultIcon' '')" = '"C:\Program Files\Vistrel\vistrel.ico"'
check "the uninstaller is registered" \
  test "$(reg_value 'HKLM\Software\Microsoft\Windows\CurrentVersion\Uninstall\Vistrel' QuietUninstallString)" = \
  '"C:\Program Files\Vistrel\Uninstall.exe" /S'

echo "--- a list made with vistrelctl, the scheduler after the next login"
pictures=$home/Pictures
mkdir -p "$pictures"
colours=(E02020 20C040)
for i in 0 1; do
  /usr/bin/convert -size 64x64 "xc:#${colours[$i]}" "BMP3:$pictures/pic$i.bmp"
done
# And a landscape in JPEG for the screenshot, read by Photoload.
/usr/bin/convert -size 800x600 gradient:'#3d7fd6'-'#cfe6ff' -fill '#ffd23c' -draw 'circle 620,130 620,172' \
  -fill '#3f9c48' -draw 'ellipse 180,640 560,260 180,360' -fill '#2f7f3a' -draw 'ellipse 700,680 460,250 180,360' \
  "$pictures/pic2.jpg"
list=$home/Documents/mine.vist
mkdir -p "$home/Documents"
ctl() { wine "C:\\Program Files\\Vistrel\\vistrelctl.exe" "$@"; }
check "vistrelctl makes the list and makes it the current one" bash -c "
  $(declare -f ctl); ctl new '$(winpath "$list")' >/dev/null && ctl add '$(winpath "$list")' '$(winpath "$pictures")' >/dev/null &&
  ctl use '$(winpath "$list")' >/dev/null"
# Polled every 300 ms and due once a minute: the first poll changes the
# wallpaper, later changes come from the menu.
python3 - "$list" <<'PY'
import struct, sys
path = sys.argv[1]
data = bytearray(open(path, "rb").read())
block = 14 + 4 + 4  # magic, random flag, block length
struct.pack_into("<II", data, block + 56, 0, 1)  # hours, minutes
struct.pack_into("<I", data, block + 44, 300)         # poll period
open(path, "wb").write(data)
PY
wineserver -k # the session ends: the user logs off
export VISTREL_SCHEDULER_PICTURE_MS=300
# The next login: Wine's start-up of a session runs the login entries.
wineboot >/dev/null 2>&1
# A scheduler of this prefix (another test may run its own elsewhere).
scheduler_running() {
  local pid
  for pid in $(pgrep -f 'Vistrel\\Vistrel_Scheduler.exe'); do
    tr '\0' '\n' <"/proc/$pid/environ" 2>/dev/null | grep -qxF "WINEPREFIX=$WINEPREFIX" && return 0
  done
  return 1
}
check "the scheduler started at login" eventually 30 scheduler_running
check "its icon is in the notification area" eventually 20 tray_shows_icon
showing() { shoot && near "$(pixel 400 300)" "${colours[$1]}"; }
wallpaper_named() { [[ "$(reg_value 'HKCU\Control Panel\Desktop' Wallpaper)" == *'\Vistrel\VistrelImage.bmp' ]]; }
check "the first poll names the new wallpaper in the registry" eventually 20 wallpaper_named
check "and the desktop shows the first picture" eventually 10 showing 0
check "a second copy ends at once" timeout 20 wine "C:\\Program Files\\Vistrel\\Vistrel_Scheduler.exe"
check "and the first one goes on" scheduler_running

# The menu opens above the icon; its items from the bottom: "Close
# Scheduler", then "Change Now" one item and a separator higher.
open_menu() {
  xdotool mousemove "$icon_x" "$icon_y" click 3
  sleep 0.8
}
choose() {
  xdotool mousemove 703 "$1" click 1
  sleep 0.3
}
open_menu
choose 542
check "\"Change Now\" shows the next picture" eventually 10 showing 1
open_menu
choose 542
photo() { shoot && ! near "$(pixel 400 300)" "${colours[1]}" && ! near "$(pixel 400 300)" "$desktop_colour"; }
check "and then the photograph" eventually 10 photo
# The screenshot of the README: the menu over the photograph, the pointer
# on "Change Now". Left in the build folder. (Wine draws the taskbar's
# buttons again when the pointer passes.)
xdotool mousemove 30 590
sleep 0.3
open_menu
xdotool mousemove 703 542
sleep 0.5
shoot
/usr/bin/convert "$screen" -crop 800x600+0+0 +repage "$build/tests/wine-desktop.png"
xdotool key Escape mousemove 400 300 click 1
sleep 0.3
active() { [[ "$(reg_value 'HKCU\Software\Vistrel\Vistrel\Scheduler' Active)" == "$1" ]]; }
xdotool mousemove "$icon_x" "$icon_y" click 1 sleep 0.05 click 1
check "a double-click switches the scheduler off" eventually 10 active 0x0
open_menu
choose 568
gone() { ! scheduler_running; }
check "\"Close Scheduler\" ends it" eventually 10 gone
check "and takes its icon away" eventually 10 tray_empty
totals() { ctl show "$(winpath "$list")" --json | tr -d '\r' | python3 -c "
import json, sys
print(' '.join(r['total'] for r in json.load(sys.stdin)['rows']))"; }
check "the list was saved on close: each picture shown once" test "$(totals)" = "1 1 1"

echo "--- installing again, silent uninstall"
# As after a login, the scheduler runs while the installer and the
# uninstaller do their work: they close it first.
wine "C:\\Program Files\\Vistrel\\Vistrel_Scheduler.exe" >/dev/null 2>&1 &
check "the scheduler runs again" eventually 20 tray_shows_icon
check "installing again over it succeeds" wine "$(winpath "$installer")" /S
check "and closed it first" gone
cp "$list" "$programs/kept.vist"
wine "C:\\Program Files\\Vistrel\\Vistrel_Scheduler.exe" >/dev/null 2>&1 &
check "the reinstalled scheduler runs" eventually 20 tray_shows_icon
check "the uninstaller runs silently" wine "C:\\Program Files\\Vistrel\\Uninstall.exe" /S
# The uninstaller goes on from a copy of itself; its last step is its entry.
uninstall_key='HKLM\Software\Microsoft\Windows\CurrentVersion\Uninstall\Vistrel'
uninstalled() { [[ -z "$(reg_value "$uninstall_key" DisplayName)" ]]; }
check "the uninstaller finishes" eventually 30 uninstalled
check "it closed the running scheduler" gone
check "the programs are removed" test ! -e "$programs/Vistrel_Scheduler.exe" -a ! -e "$programs/Uninstall.exe"
check "the extender folders are removed" bash -c "! ls -d '$programs'/*_Expander 2>/dev/null"
check "a list the user kept in the folder stays" test -f "$programs/kept.vist"
check "the Start-menu folder is removed" test ! -e "$menu"
check "the login entry is removed" test -z "$(reg_value "HKLM\\$run_key" "Vistrel Scheduler")"
check "the file type is removed" test -z "$(reg_value 'HKLM\Software\Classes\.vist' '')"
check "the user's list stays and loads" bash -c "$(declare -f ctl); cp '$list' '$work/check.vist';
  wine '$(winpath "$build")\\bin\\vistrelctl.exe' show '$(winpath "$work/check.vist")' >/dev/null"
check "the user's settings stay" test -n "$(reg_value 'HKCU\Software\Vistrel\Vistrel\Recent File List' File1)"

echo "--- per-user install and uninstall"
check "the installer runs silently for the user" wine "$(winpath "$installer")" /S /CurrentUser
mine=$home/AppData/Local/Programs/Vistrel
check "the programs are in the user's Programs folder" files_in_place "$mine"
check "the login entry is the user's" \
  test "$(reg_value "HKCU\\$run_key" "Vistrel Scheduler")" = "\"$(winpath "$mine")\\Vistrel_Scheduler.exe\""
check "the file type is the user's" test "$(reg_value 'HKCU\Software\Classes\.vist' '')" = Vistrel.Document
check "the Start menu is the user's" \
  test -f "$home/AppData/Roaming/Microsoft/Windows/Start Menu/Programs/Vistrel/Vistrel Scheduler.lnk"
check "nothing went to the machine" test -z "$(reg_value "HKLM\\$run_key" "Vistrel Scheduler")"
check "the user's uninstaller runs silently" wine "$(winpath "$mine")\\Uninstall.exe" /S
mine_gone() { [[ ! -e "$mine" && -z "$(reg_value "${uninstall_key/HKLM/HKCU}" DisplayName)" ]]; }
check "the user's installation is removed" eventually 30 mine_gone
check "with its login entry and file type" test -z "$(reg_value "HKCU\\$run_key" "Vistrel Scheduler")$(reg_value 'HKCU\Software\Classes\.vist' '')"

echo "desktop: $passed passed, $failed failed"
[[ $failed -eq 0 ]]
