// SPDX-License-Identifier: GPL-3.0-or-later
// The monitors of the desktop as Vistrel composes for them: each one's place
// in the desktop's layout, its size and its work area; and the user's choice
// of what the monitors show ("Monitors": same, each or span).
#pragma once

#include "vistrel/wallpaper/screen.h"

#include <cstdint>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

namespace vistrel::wallpaper {

struct Rect {
    int x = 0;
    int y = 0;
    int width = 0;
    int height = 0;

    int Right() const { return x + width; }
    int Bottom() const { return y + height; }
    bool Empty() const { return width <= 0 || height <= 0; }
    bool operator==(const Rect&) const = default;
};

// The part both rectangles cover (empty when they do not meet).
Rect Intersect(const Rect& a, const Rect& b);

struct Monitor {
    std::string name; // the output's own name ("HDMI-1", "eDP-1", ...), or "screen N" where there is none
    Rect area{0, 0, kFallbackWidth, kFallbackHeight}; // in the desktop's layout coordinates
    // Relative to the monitor's top-left corner, right and bottom exclusive.
    WorkArea workArea{0, 0, kFallbackWidth, kFallbackHeight};
    bool primary = false;
};

// Where the monitors were read from, as `vistrelctl monitors` names it.
enum class MonitorSource { Fallback, X11, Sway, Kde, Windows };
std::string_view MonitorSourceName(MonitorSource source);

struct MonitorLayout {
    // Never empty: the primary monitor first, then the others left to right,
    // top to bottom.
    std::vector<Monitor> monitors{
        Monitor{"screen 1", {0, 0, kFallbackWidth, kFallbackHeight}, {0, 0, kFallbackWidth, kFallbackHeight}, true}};
    std::uint32_t background = 0;                     // 0x00RRGGBB; black where it cannot be read
    bool backgroundKnown = false;                     // the desktop said which colour it is
    GeometrySource source = GeometrySource::Fallback; // of the primary monitor's size
    MonitorSource from = MonitorSource::Fallback;
    // The connection the platform was asked through, kept so that the same
    // change installs the wallpaper over it (X11: the display connection;
    // null elsewhere). Shared by copies of the layout.
    std::shared_ptr<void> connection;

    const Monitor& Primary() const { return monitors.front(); }
    // The rectangle that holds every monitor.
    Rect Bounds() const;
};

// The monitors of the running desktop: on Windows EnumDisplayMonitors; under
// sway (and other wlroots compositors) "swaymsg -t get_outputs"; under KDE
// Plasma the screens plasmashell's scripts see; otherwise the X server's
// RandR 1.5 monitors (including those made with "xrandr --setmonitor") with
// the work areas the window manager publishes. The settings key kScreenKey
// overrides the primary monitor's size and work area as in
// QueryScreenGeometry; with nothing to read, one 1920 x 1080 monitor.
MonitorLayout QueryMonitors();

// The platform's answer only (no settings, no fallback); false when there is
// none. The background colour is set where the desktop has one.
bool QueryPlatformMonitors(MonitorLayout& layout);

// Puts the primary monitor first (the flagged one, else the one at the
// origin, else the first given), then the others by their left edges, then
// their top edges; exactly one is flagged primary afterwards.
void OrderMonitors(std::vector<Monitor>& monitors);

// The user's choice, the text value "Monitors" of kWallpaperKey: "same" (also
// for a missing or unknown value), "each" or "span".
enum class MonitorChoice { Same, Each, Span };
MonitorChoice ReadMonitorChoice();
bool WriteMonitorChoice(MonitorChoice choice);
std::string_view MonitorChoiceName(MonitorChoice choice);

} // namespace vistrel::wallpaper
