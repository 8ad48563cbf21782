# SPDX-License-Identifier: GPL-3.0-or-later
# `cpack -G DEB` in the build folder makes vistrel_<version>_<arch>.deb of
# everything `cmake --install` puts in place, for the prefix /usr: programs
# and extenders in /usr/lib/vistrel, links in /usr/bin, the scheduler's login
# entry in /etc/xdg/autostart, the menu entry, file type and icons in
# /usr/share. Debian's own triggers refresh the desktop, file-type and icon
# caches when it is installed, so the package needs no scripts.
# The maintainer (VISTREL_PACKAGE_MAINTAINER) is set beside the changelog
# it signs, in dist/CMakeLists.txt.
set(CPACK_GENERATOR DEB)
set(CPACK_PACKAGE_NAME vistrel)
set(CPACK_PACKAGE_VENDOR "Vistrel developers")
set(CPACK_PACKAGE_VERSION ${PROJECT_VERSION})
set(CPACK_PACKAGE_CONTACT ${VISTREL_PACKAGE_MAINTAINER})
set(CPACK_DEBIAN_PACKAGE_MAINTAINER ${VISTREL_PACKAGE_MAINTAINER})
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "automatic desktop wallpaper changer")
# Debian shows the description as it is: lines of at most 79 columns (dpkg
# indents each by one more).
set(CPACK_PACKAGE_DESCRIPTION "Vistrel changes the desktop wallpaper by itself. You keep an image list -
picture files, each with a priority and two counters - in a list file
(.vist); the tray scheduler changes the wallpaper to the next picture
whenever the list's schedule says so, in each picture's own mode (tile,
centre, fit, proportioned fit, free position). The list manager Vistrel
edits the lists, vistrelctl works on them from the command line. Pictures
are read, composed and installed by plug-in extenders. Works on bare X11
and on GNOME, Cinnamon, MATE, KDE Plasma, Xfce, LXQt and sway.")
# Install rules that write absolute places (/etc/xdg/autostart) need the
# staging folder as DESTDIR and the real prefix, whatever prefix the build
# was configured with.
set(CPACK_SET_DESTDIR ON)
set(CPACK_INSTALL_PREFIX /usr)
set(CPACK_PACKAGING_INSTALL_PREFIX /usr)
set(CPACK_STRIP_FILES ON)

set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_DEBIAN_PACKAGE_SECTION graphics)
set(CPACK_DEBIAN_PACKAGE_PRIORITY optional)
# The libraries the programs and extenders link (Qt, X11, libc, ...), as
# dpkg-shlibdeps finds them; the tools the desktops' wallpaper backends call
# come with those desktops.
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
# The scheduler's login entry is configuration: kept as the administrator
# changed it. (A build without the GUI has no scheduler, and no entry.)
if(TARGET Vistrel_Scheduler)
  # Qt finds its Wayland platform plugin at run time, so no library names
  # it: without it (and without Xwayland) the programs cannot start on a
  # Wayland desktop.
  set(CPACK_DEBIAN_PACKAGE_DEPENDS "qt6-wayland")
  # The list manager's Open and Save As are the desktop's own dialogs
  # through these platform themes, which Qt also finds only at run time:
  # the XDG desktop portal's, and GTK's for GNOME-like desktops. Without
  # them the dialogs are Qt's own.
  if(TARGET Vistrel)
    set(CPACK_DEBIAN_PACKAGE_RECOMMENDS "qt6-xdgdesktopportal-platformtheme, qt6-gtk-platformtheme")
  endif()
  file(WRITE ${CMAKE_BINARY_DIR}/cpack/conffiles "/etc/xdg/autostart/vistrel-scheduler.desktop\n")
  set(CPACK_DEBIAN_PACKAGE_CONTROL_EXTRA ${CMAKE_BINARY_DIR}/cpack/conffiles)
else()
  file(REMOVE ${CMAKE_BINARY_DIR}/cpack/conffiles)
endif()
set(CPACK_DEBIAN_PACKAGE_CONTROL_STRICT_PERMISSION ON)

include(CPack)
