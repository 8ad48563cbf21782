// SPDX-License-Identifier: GPL-3.0-or-later
// The monitors of a Linux desktop: sway's outputs, Plasma's screens or the X
// server's RandR monitors with their work areas; the background colour from
// the desktop's settings.
#include "vistrel/wallpaper/installer.h"
#include "vistrel/wallpaper/monitors.h"

#include "../run.h"
#include "plasma_script.h"
#include "sway_outputs.h"
#include "x11_library.h"

#include "vistrel/platform/paths.h"
#include "vistrel/platform/process.h"

#include <nlohmann/json.hpp>

#include <X11/Xatom.h>

#include <algorithm>
#include <optional>
#include <sstream>

namespace vistrel::wallpaper {

namespace {

// CARDINAL values of a root window property, or empty.
std::vector<long> ReadCardinals(const detail::X11Library& x, Display* display, Window root, const std::string& name)
{
    std::vector<long> values;
    Atom property = x.XInternAtom(display, name.c_str(), True);
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

// Rectangles of x, y, width, height quadruples.
std::vector<Rect> Rectangles(const std::vector<long>& values)
{
    std::vector<Rect> rects;
    for (std::size_t i = 0; i + 4 <= values.size(); i += 4)
        rects.push_back({static_cast<int>(values[i]), static_cast<int>(values[i + 1]), static_cast<int>(values[i + 2]),
                         static_cast<int>(values[i + 3])});
    return rects;
}

WorkArea RelativeTo(const Rect& monitor, const Rect& area)
{
    return {area.x - monitor.x, area.y - monitor.y, area.Right() - monitor.x, area.Bottom() - monitor.y};
}

// Each monitor's work area from what the window manager publishes for the
// current desktop: GTK's per-monitor list where there is one (the rectangle
// that covers most of the monitor is that monitor's), else the one
// _NET_WORKAREA rectangle over the whole screen, clipped to each monitor.
void ReadWorkAreas(const detail::X11Library& x, Display* display, Window root, std::vector<Monitor>& monitors)
{
    std::vector<long> current = ReadCardinals(x, display, root, "_NET_CURRENT_DESKTOP");
    std::size_t desktop = current.empty() || current[0] < 0 ? 0 : static_cast<std::size_t>(current[0]);
    std::vector<Rect> perMonitor =
        Rectangles(ReadCardinals(x, display, root, "_GTK_WORKAREAS_D" + std::to_string(desktop)));
    std::vector<Rect> whole = Rectangles(ReadCardinals(x, display, root, "_NET_WORKAREA"));
    if (desktop >= whole.size())
        desktop = 0;
    for (Monitor& m : monitors) {
        m.workArea = {0, 0, m.area.width, m.area.height};
        Rect best;
        for (const Rect& r : perMonitor) {
            Rect part = Intersect(r, m.area);
            if (!part.Empty() && std::int64_t{part.width} * part.height > std::int64_t{best.width} * best.height)
                best = part;
        }
        if (best.Empty() && desktop < whole.size())
            best = Intersect(whole[desktop], m.area);
        if (!best.Empty())
            m.workArea = RelativeTo(m.area, best);
    }
}

bool QueryX11(MonitorLayout& layout)
{
    if (platform::Environment("DISPLAY").empty())
        return false;
    std::string error;
    std::shared_ptr<detail::X11Connection> connection = detail::X11Connection::Open({}, error);
    if (!connection)
        return false;
    const detail::X11Library& x = connection->x();
    Display* display = connection->get();
    detail::X11ErrorTrap trap(x);
    int screen = x.XDefaultScreen(display);
    Window root = x.XRootWindow(display, screen);
    std::vector<Monitor> monitors;
    for (const detail::MonitorRect& m : detail::ListMonitors(x, display, root))
        monitors.push_back({m.name, {m.x, m.y, m.width, m.height}, {}, m.primary});
    if (monitors.empty()) {
        // Without RandR the whole screen is one monitor.
        int width = x.XDisplayWidth(display, screen), height = x.XDisplayHeight(display, screen);
        if (width <= 0 || height <= 0)
            return false;
        monitors.push_back({"screen", {0, 0, width, height}, {}, true});
    }
    for (std::size_t i = 0; i < monitors.size(); ++i)
        if (monitors[i].name.empty())
            monitors[i].name = "screen " + std::to_string(i + 1);
    ReadWorkAreas(x, display, root, monitors);
    layout.monitors = std::move(monitors);
    layout.from = MonitorSource::X11;
    layout.connection = std::move(connection);
    return true;
}

} // namespace

namespace detail {

std::optional<std::vector<Monitor>> ParseSwayOutputs(const std::string& text)
{
    nlohmann::json outputs = nlohmann::json::parse(text, nullptr, false);
    if (!outputs.is_array())
        return std::nullopt;
    std::vector<Monitor> monitors;
    for (const nlohmann::json& output : outputs) {
        // Every field is checked for its type: value() would throw on another.
        auto flag = [&](const char* key) {
            auto it = output.find(key);
            return it != output.end() && it->is_boolean() && it->get<bool>();
        };
        if (!output.is_object() || !flag("active") || !output.contains("rect"))
            continue;
        const nlohmann::json& rect = output["rect"];
        auto number = [&](const char* key) {
            const nlohmann::json* value = rect.is_object() && rect.contains(key) ? &rect[key] : nullptr;
            return value && value->is_number_integer() ? value->get<int>() : 0;
        };
        Monitor m;
        m.name = output.contains("name") && output["name"].is_string() ? output["name"].get<std::string>() : "";
        m.area = {number("x"), number("y"), number("width"), number("height")};
        if (m.area.Empty())
            continue;
        m.workArea = {0, 0, m.area.width, m.area.height};
        m.primary = flag("primary");
        monitors.push_back(std::move(m));
    }
    return monitors;
}

} // namespace detail

namespace {

bool QuerySway(MonitorLayout& layout)
{
    std::string output, error;
    if (!detail::RunChecked("swaymsg", {"-r", "-t", "get_outputs"}, error, &output))
        return false;
    std::optional<std::vector<Monitor>> monitors = detail::ParseSwayOutputs(output);
    if (!monitors || monitors->empty())
        return false;
    for (std::size_t i = 0; i < monitors->size(); ++i)
        if ((*monitors)[i].name.empty())
            (*monitors)[i].name = "output " + std::to_string(i + 1);
    layout.monitors = std::move(*monitors);
    layout.from = MonitorSource::Sway;
    return true;
}

// Plasma's screens: the screen of every desktop containment and its
// geometry, as "screen x y width height" lines. Screen 0 is the primary.
constexpr const char* kPlasmaScreensScript = "var all = desktops();\n"
                                             "var lines = \"\";\n"
                                             "for (var i = 0; i < all.length; i++) {\n"
                                             "    var s = all[i].screen;\n"
                                             "    if (s < 0) continue;\n"
                                             "    var g = screenGeometry(s);\n"
                                             "    lines += s + \" \" + g.x + \" \" + g.y + \" \" + g.width + \" \" + "
                                             "g.height + \"\\n\";\n"
                                             "}\n"
                                             "print(lines);\n";

bool QueryKde(MonitorLayout& layout, const MonitorLayout* x11)
{
    std::string printed, error;
    if (!detail::RunPlasmaScript(kPlasmaScreensScript, error, &printed))
        return false;
    std::vector<Monitor> monitors;
    std::istringstream lines(printed);
    for (std::string line; std::getline(lines, line);) {
        std::istringstream words(line);
        int screen = 0;
        Rect area;
        if (!(words >> screen >> area.x >> area.y >> area.width >> area.height) || area.Empty() || screen < 0)
            continue;
        if (std::any_of(monitors.begin(), monitors.end(), [&](const Monitor& m) { return m.area == area; }))
            continue;
        Monitor m{"screen " + std::to_string(screen), area, {0, 0, area.width, area.height}, screen == 0};
        // The X server knows the same monitor by its output's name, and its
        // work area.
        if (x11)
            for (const Monitor& known : x11->monitors)
                if (known.area == area) {
                    m.name = known.name;
                    m.workArea = known.workArea;
                }
        monitors.push_back(std::move(m));
    }
    if (monitors.empty())
        return false;
    layout.monitors = std::move(monitors);
    layout.from = MonitorSource::Kde;
    return true;
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

bool QueryPlatformMonitors(MonitorLayout& layout)
{
    if (std::optional<std::uint32_t> background = DesktopBackground()) {
        layout.background = *background;
        layout.backgroundKnown = true;
    }
    const Backend backend = ChooseBackend().backend;
    // sway needs no X server to tell its outputs.
    if ((backend == Backend::Sway || !platform::Environment("SWAYSOCK").empty()) && QuerySway(layout))
        return true;
    MonitorLayout x11;
    const bool haveX11 = QueryX11(x11);
    if (backend == Backend::Kde && QueryKde(layout, haveX11 ? &x11 : nullptr)) {
        layout.connection = std::move(x11.connection);
        return true;
    }
    if (!haveX11)
        return false;
    layout.monitors = std::move(x11.monitors);
    layout.from = x11.from;
    layout.connection = std::move(x11.connection);
    return true;
}

} // namespace vistrel::wallpaper
