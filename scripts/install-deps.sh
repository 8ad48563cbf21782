#!/usr/bin/env bash
# SPDX-License-Identifier: GPL-3.0-or-later
# Installs what Vistrel needs on Debian 12.
#   install-deps.sh          to build and run the programs (with the platform
#                            themes that give the list manager the desktop's
#                            own file dialogs)
#   install-deps.sh --tests  also what every test leg needs (Windows
#                            cross-build with Wine and NSIS, X server, tray
#                            host, a desktop portal with its GTK back-end,
#                            clang, Debian's and AppStream's checkers)
#   install-deps.sh --windows
#                            also what the Windows installer needs
#                            (scripts/build-windows.sh: MinGW-w64, NSIS)
#   install-deps.sh --virtual-display
#                            also a virtual X display and screenshots (for
#                            start.sh on a machine without a desktop)
set -euo pipefail

packages=(
  build-essential cmake ninja-build pkg-config python3
  libgtest-dev googletest
  libx11-dev libxrandr-dev libxext-dev libx11-6 libxrandr2 libxext6
  qt6-base-dev libgl-dev qt6-wayland
  qt6-xdgdesktopportal-platformtheme qt6-gtk-platformtheme
  dpkg-dev file
  libjpeg62-turbo-dev libspng-dev zlib1g-dev libwebp-dev libgif-dev libtiff-dev libheif-dev libde265-dev libjxl-dev
  libexif-dev liblcms2-dev nlohmann-json3-dev
)
if [[ "${1:-}" == "--tests" ]]; then
  packages+=(
    xvfb xdotool trayer x11-utils x11-xserver-utils xauth
    xserver-xorg-core xserver-xorg-video-dummy xfdesktop4 xfwm4 xfconf dbus
    clang libclang-rt-14-dev
    g++-mingw-w64-x86-64 mingw-w64-tools wine wine64 nsis
    desktop-file-utils shared-mime-info xdg-utils libfile-mimeinfo-perl
    imagemagick libvips-tools
    lintian appstream bash-completion python3-debian groff-base man-db
    sway swaybg grim
    dbus-daemon xdg-desktop-portal xdg-desktop-portal-gtk
  )
fi
if [[ "${1:-}" == "--windows" ]]; then
  packages+=(g++-mingw-w64-x86-64 mingw-w64-tools nsis)
fi
if [[ "${1:-}" == "--virtual-display" ]]; then
  packages+=(xvfb xdotool imagemagick)
fi

missing=()
for p in "${packages[@]}"; do
  dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed" || missing+=("$p")
done
if ((${#missing[@]} == 0)); then
  exit 0
fi

sudo=()
if [[ $(id -u) -ne 0 ]]; then
  sudo=(sudo)
fi
echo "Installing: ${missing[*]}"
"${sudo[@]}" apt-get update -qq
DEBIAN_FRONTEND=noninteractive "${sudo[@]}" apt-get install -y -qq --no-install-recommends "${missing[@]}" >/dev/null
