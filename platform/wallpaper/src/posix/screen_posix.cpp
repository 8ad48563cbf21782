// SPDX-License-Identifier: GPL-3.0-or-later
// Screen geometry from the X server, background colour from the desktop.
#include "vistrel/wallpaper/installer.h"
#include "vistrel/wallpaper/screen.h"

#include "x11_library.h"

#include "vistrel/platform/paths.h"
#include "vistrel/platform/process.h"

#include <X11/Xatom.h>

#include <algorithm>
#include <optional>

namespace vistrel::wallpaper {

namespace {

// CARDINAL values of a root window property, or empty.
std::vector<long> ReadCardinals(const detail::X11Library& x, Display* display, Window root, const char* name)
{
    std::vector<long> values;
    Atom property = x.XInternAtom(display, name, True);
    if (property == None)
        return values;
    Atom type = None;
    int format = 0;
    unsigned long items = 0, after = 0;
    unsigned char* data = nullptr;
    if (x.XGetWindowProperty(display, root, property, 0, 4096, False, XA_CARDINAL, &type, &format, &items, &after,
                             &data) == Success &&
        data && type == XA_CARDINAL && format == 32) {
        // Xlib hands 32-bit items over as longs.
        const long* items32 = reinterpret_cast<const long*>(data);
        values.assign(items32, items32 + items);
    }
    if (data)
        x.XFree(data);
    return values;
}

bool QueryX11(ScreenGeometry& geometry)
{
    if (platform::Environment("DISPLAY").empty())
        return false;
    std::string error;
    const detail::X11Library* x = detail::LoadX11(error);
    if (!x)
        return false;
    detail::X11ErrorTrap trap(*x);
    Display* display = x->XOpenDisplay(nullptr);
    if (!display)
        return false;
    int screen = x->XDefaultScreen(display);
    Window root = x->XRootWindow(display, screen);
    detail::MonitorRect primary{0, 0, x->XDisplayWidth(display, screen), x->XDisplayHeight(display, screen), true};
    std::vector<detail::MonitorRect> monitors = detail::ListMonitors(*x, display, root);
    // The flagged primary monitor, else the one at the origin, else the first.
    auto chosen = std::find_if(monitors.begin(), monitors.end(), [](const auto& m) { return m.primary; });
    if (chosen == monitors.end())
        chosen = std::find_if(monitors.begin(), monitors.end(), [](const auto& m) { return m.x == 0 && m.y == 0; });
    if (chosen == monitors.end())
        chosen = monitors.begin();
    if (chosen != monitors.end())
        primary = *chosen;

    geometry.width = primary.width;
    geometry.height = primary.height;
    geometry.workArea = {0, 0, primary.width, primary.height};
    // _NET_WORKAREA holds x, y, width, height per desktop, over the whole
    // screen; the current desktop's part on the primary monitor is ours.
    std::vector<long> area = ReadCardinals(*x, display, root, "_NET_WORKAREA");
    std::vector<long> current = ReadCardinals(*x, display, root, "_NET_CURRENT_DESKTOP");
    std::size_t desktop = current.empty() || current[0] < 0 ? 0 : static_cast<std::size_t>(current[0]);
    if (area.size() < (desktop + 1) * 4)
        desktop = 0;
    if (area.size() >= (desktop + 1) * 4) {
        long left = std::max<long>(area[desktop * 4], primary.x);
        long top = std::max<long>(area[desktop * 4 + 1], primary.y);
        long right = std::min<long>(area[desktop * 4] + area[desktop * 4 + 2], primary.x + primary.width);
        long bottom = std::min<long>(area[desktop * 4 + 1] + area[desktop * 4 + 3], primary.y + primary.height);
        if (right > left && bottom > top)
            geometry.workArea = {static_cast<int>(left - primary.x), static_cast<int>(top - primary.y),
                                 static_cast<int>(right - primary.x), static_cast<int>(bottom - primary.y)};
    }
    x->XCloseDisplay(display);
    return geometry.width > 0 && geometry.height > 0;
}

// "'#rrggbb'" (or "#rrrrggggbbbb") as gsettings prints a colour.
std::optional<std::uint32_t> ParseColor(std::string text)
{
    std::erase_if(text, [](char c) { return c == '\'' || c == '"' || c == ' ' || c == '\n' || c == '\r'; });
    if (text.empty() || text[0] != '#' || (text.size() != 7 && text.size() != 13))
        return std::nullopt;
    std::size_t digits = (text.size() - 1) / 3;
    std::uint32_t rgb = 0;
    for (std::size_t channel = 0; channel < 3; ++channel) {
        std::uint32_t value = 0;
        for (std::size_t i = 0; i < 2; ++i) { // the two most significant digits
            char c = text[1 + channel * digits + i];
            int digit = c >= '0' && c <= '9'   ? c - '0'
                        : c >= 'a' && c <= 'f' ? c - 'a' + 10
                        : c >= 'A' && c <= 'F' ? c - 'A' + 10
                                               : -1;
            if (digit < 0)
                return std::nullopt;
            value = value * 16 + static_cast<std::uint32_t>(digit);
        }
        rgb = rgb << 8 | value;
    }
    return rgb;
}

std::optional<std::uint32_t> DesktopBackground()
{
    const char* schema = nullptr;
    switch (DetectBackend([](const char* name) { return platform::Environment(name); })) {
    case Backend::Gnome: schema = "org.gnome.desktop.background"; break;
    case Backend::Cinnamon: schema = "org.cinnamon.desktop.background"; break;
    case Backend::Mate: schema = "org.mate.background"; break;
    default: return std::nullopt;
    }
    std::string output, ignored; // without a session bus it complains at every change
    if (platform::RunProgram("gsettings", {"get", schema, "primary-color"}, &output, &ignored) != 0)
        return std::nullopt;
    return ParseColor(output);
}

} // namespace

bool QueryPlatformGeometry(ScreenGeometry& geometry)
{
    if (std::optional<std::uint32_t> background = DesktopBackground())
        geometry.background = *background;
    return QueryX11(geometry);
}

} // namespace vistrel::wallpaper
