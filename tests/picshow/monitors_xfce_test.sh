#!/usr/bin/env bash
# SPDX-License-Identifier: GPL-3.0-or-later
# Two real RandR outputs (Xorg with the dummy video driver) under XFCE's own
# desktop (xfwm4 and xfdesktop, with their settings daemon on a private
# session bus): `vistrelctl next` sets each monitor's own backdrop property,
# and each monitor shows its picture, fitted to it.
#
#   monitors_xfce_test.sh BIN_DIR
#
# Exit status 77 (skipped) when a piece is missing or Xorg cannot start here.
set -u

bin=$1
skip() { echo "skipped: $*"; exit 77; }
for tool in Xorg xrandr xwininfo xfdesktop xfwm4 xfconf-query dbus-daemon /usr/bin/convert import; do
  command -v "$tool" >/dev/null || skip "$tool is not installed"
done
[[ -f /usr/lib/xorg/modules/drivers/dummy_drv.so ]] || skip "the dummy video driver (xserver-xorg-video-dummy) is not installed"

work=$(mktemp -d)
pids=()
cleanup() {
  for ((i = ${#pids[@]} - 1; i >= 0; i--)); do kill "${pids[i]}" 2>/dev/null; done
  wait 2>/dev/null
  rm -rf "$work"
}
trap cleanup EXIT
fail() { echo "FAILED: $*"; [[ -n ${VISTREL_TEST_SHOT:-} ]] && import -window root "$VISTREL_TEST_SHOT" 2>/dev/null; [[ -f $work/xfdesktop.log ]] && tail -5 "$work/xfdesktop.log"; exit 1; }

cat >"$work/xorg.conf" <<'EOF'
Section "Device"
    Identifier "dummy"
    Driver "dummy"
    VideoRam 65536
EndSection
Section "Monitor"
    Identifier "monitor"
    HorizSync 5.0 - 1000.0
    VertRefresh 5.0 - 200.0
EndSection
Section "Screen"
    Identifier "screen"
    Device "dummy"
    Monitor "monitor"
    DefaultDepth 24
    SubSection "Display"
        Depth 24
        Virtual 1600 600
    EndSubSection
EndSection
EOF
exec 3>"$work/display"
Xorg -displayfd 3 -noreset -nolisten tcp -config "$work/xorg.conf" -configdir "$work/none" \
  -logfile "$work/xorg.log" >/dev/null 2>&1 &
pids+=($!)
for _ in $(seq 100); do [[ -s $work/display ]] && break; sleep 0.1; done
[[ -s $work/display ]] || skip "Xorg with the dummy driver did not start here (see its log: $(tail -1 "$work/xorg.log" 2>/dev/null))"
export DISPLAY=":$(head -n1 "$work/display")"

# Two outputs of the dummy driver: 1024 x 600 and, right of it, 576 x 360.
xrandr --newmode 576x360 16.5 576 600 656 736 360 363 368 376 >/dev/null 2>&1
xrandr --newmode 1024x600 49 1024 1072 1168 1312 600 603 613 624 >/dev/null 2>&1
xrandr --addmode DUMMY0 1024x600 && xrandr --addmode DUMMY1 576x360 &&
  xrandr --output DUMMY0 --mode 1024x600 --pos 0x0 --primary --output DUMMY1 --mode 576x360 --pos 1024x0 ||
  fail "the dummy driver's second output could not be switched on"
xrandr >/dev/null # a query probes the outputs, which settles what xfdesktop then reads
sleep 1

# A private user of XFCE.
export HOME=$work/home XDG_CONFIG_HOME=$work/home/config XDG_DATA_HOME=$work/home/data XDG_CACHE_HOME=$work/home/cache
export XDG_CURRENT_DESKTOP=XFCE XDG_RUNTIME_DIR=$work/run
unset VISTREL_SETTINGS WAYLAND_DISPLAY SWAYSOCK XDG_SESSION_TYPE
mkdir -p "$XDG_CONFIG_HOME" "$XDG_DATA_HOME" "$XDG_RUNTIME_DIR"
chmod 700 "$XDG_RUNTIME_DIR"
dbus-daemon --session --fork --print-address=1 --print-pid=1 >"$work/bus"
pids+=("$(sed -n 2p "$work/bus")")
export DBUS_SESSION_BUS_ADDRESS=$(head -n1 "$work/bus")
# xfdesktop first: it waits for the window manager, and then spans the
# whole screen (started after xfwm4 its window is held to the first monitor).
xfdesktop --disable-wm-check >"$work/xfdesktop.log" 2>&1 &
pids+=($!)
sleep 1
xfwm4 --compositor=off >"$work/xfwm4.log" 2>&1 &
pids+=($!)
# xfdesktop is up once it has the first monitor's backdrop; the second
# monitor's properties are made by the change.
for _ in $(seq 100); do
  xfconf-query -c xfce4-desktop -l 2>/dev/null | grep -q monitorDUMMY0/workspace0/last-image && break
  sleep 0.1
done
xfconf-query -c xfce4-desktop -l | grep -q monitorDUMMY0/workspace0/last-image || fail "xfdesktop did not start"
# ... and shows its desktop window once the window manager is there.
viewable() {
  local window
  window=$(xwininfo -root -tree | grep '"Desktop": ("xfdesktop"' | awk '{print $1}' | head -n1)
  [[ -n $window ]] && xwininfo -id "$window" | grep -q IsViewable
}
for _ in $(seq 100); do viewable && break; sleep 0.1; done
viewable || fail "xfdesktop shows no desktop window"

# One square in Proportioned Fit.
/usr/bin/convert -size 600x600 xc:'#d02060' "$work/square.bmp"
list=$work/square.vist
"$bin/vistrelctl" new "$list" >/dev/null && "$bin/vistrelctl" add "$list" "$work/square.bmp" >/dev/null &&
  "$bin/vistrelctl" mode "$list" all proportioned >/dev/null || fail "the list could not be made"
"$bin/vistrelctl" monitors | grep -qx "DUMMY1 576x360+1024+0 work 576x360+1024+0" ||
  fail "vistrelctl monitors: $("$bin/vistrelctl" monitors)"
"$bin/vistrelctl" next "$list" || fail "vistrelctl next failed"

# Each monitor's property names its own picture, a fresh copy of its file.
first=$(xfconf-query -c xfce4-desktop -p /backdrop/screen0/monitorDUMMY0/workspace0/last-image)
second=$(xfconf-query -c xfce4-desktop -p /backdrop/screen0/monitorDUMMY1/workspace0/last-image)
[[ $first == "$XDG_DATA_HOME"/Vistrel/VistrelImage-*.bmp ]] || fail "DUMMY0 shows $first"
[[ $second == "$XDG_DATA_HOME"/Vistrel/VistrelImage2-*.bmp ]] || fail "DUMMY1 shows $second"
size() { /usr/bin/convert "$1" -format '%wx%h' info:; }
[[ $(size "$first") == 600x600 ]] || fail "DUMMY0's picture is $(size "$first")"
[[ $(size "$second") == 360x360 ]] || fail "DUMMY1's picture is $(size "$second")"

# What xfdesktop shows: the 600 x 600 square fills the first monitor's height
# (x 212 to 812), the 360 x 360 one the second's (x 1132 to 1492).
pixel() { import -window root -crop "1x1+$1+$2" -depth 8 txt:- 2>/dev/null | grep -o '#[0-9A-F]\{6\}' | head -n1; }
shown=
for _ in $(seq 50); do
  [[ $(pixel 512 300) == "#D02060" && $(pixel 1312 180) == "#D02060" ]] && shown=1 && break
  sleep 0.2
done
[[ -n $shown ]] || fail "$(xwininfo -root -tree | grep -i desktop | tr "\n" " ") the monitors show $(pixel 512 300) and $(pixel 1312 180), not the picture"
[[ $(pixel 200 300) != "#D02060" ]] || fail "the first monitor's picture is wider than its height"
[[ $(pixel 1120 180) != "#D02060" && $(pixel 1312 400) != "#D02060" ]] ||
  fail "the second monitor's picture is larger than its height"
echo "passed: xfdesktop shows each monitor's own picture"
