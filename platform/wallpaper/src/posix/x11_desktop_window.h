// SPDX-License-Identifier: GPL-3.0-or-later
// Whether a desktop program draws the desktop of an X11 session: such
// programs show a window of type _NET_WM_WINDOW_TYPE_DESKTOP over the root.
#pragma once

#include <memory>
#include <string>

namespace vistrel::wallpaper::detail {

enum class DesktopWindow {
    Drawn,   // a viewable desktop window of that program is there
    Missing, // the X server answered, and there is none
    Unknown, // no X server to ask (no $DISPLAY, no libX11, refused)
};

// Looks for a viewable desktop window whose WM_CLASS class is `wmClass`
// among the root window's children and their children (a reparenting window
// manager puts a frame around it). `display` empty: $DISPLAY.
DesktopWindow FindDesktopWindow(const std::string& wmClass, const std::string& display = {});

// The same for any program: Drawn with `wmClass` set to the WM_CLASS class
// of the first viewable desktop window found. `connection`: a monitor
// layout's open connection to the display, asked instead of a new one.
DesktopWindow FindAnyDesktopWindow(std::string& wmClass, const std::string& display = {},
                                   const std::shared_ptr<void>& connection = nullptr);

} // namespace vistrel::wallpaper::detail
