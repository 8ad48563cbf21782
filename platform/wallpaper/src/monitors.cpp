// SPDX-License-Identifier: GPL-3.0-or-later
// The monitor layout as the composition uses it: the platform's, the primary
// monitor overridden from the settings value by value, with a fixed fallback;
// and the user's "Monitors" choice.
#include "vistrel/wallpaper/monitors.h"

#include "vistrel/platform/settings_store.h"
#include "vistrel/wallpaper/installer.h"

#include <algorithm>
#include <cctype>
#include <optional>

namespace vistrel::wallpaper {

namespace {

std::optional<int> ReadSize(const char* name)
{
    std::optional<std::uint32_t> value = platform::settings::ReadNumber(kScreenKey, name);
    // Zero or absurd sizes are ignored rather than producing empty canvases.
    if (!value || *value == 0 || *value > 65535)
        return std::nullopt;
    return static_cast<int>(*value);
}

// The settings key's values over the primary monitor: each present value
// wins on its own; a work size without a screen size, or a screen size
// without a work size, is completed from the other.
void ApplyScreenSettings(MonitorLayout& layout)
{
    Monitor& primary = layout.monitors.front();
    std::optional<int> width = ReadSize("Width");
    std::optional<int> height = ReadSize("Height");
    std::optional<int> workWidth = ReadSize("WorkWidth");
    std::optional<int> workHeight = ReadSize("WorkHeight");
    if (width && height) {
        primary.area.width = *width;
        primary.area.height = *height;
        layout.source = GeometrySource::Settings;
        if (!workWidth || !workHeight)
            primary.workArea = {0, 0, *width, *height};
    }
    if (workWidth && workHeight) {
        primary.workArea = {0, 0, *workWidth, *workHeight};
        // A work area alone tells the screen is at least that large.
        if ((!width || !height) && layout.source == GeometrySource::Fallback) {
            primary.area.width = *workWidth;
            primary.area.height = *workHeight;
            layout.source = GeometrySource::Settings;
        }
    }
    if (std::optional<std::uint32_t> background = platform::settings::ReadNumber(kScreenKey, "Background"))
        layout.background = *background & 0xffffffu;
}

std::string Lower(std::string text)
{
    std::transform(text.begin(), text.end(), text.begin(),
                   [](unsigned char c) { return static_cast<char>(std::tolower(c)); });
    return text;
}

} // namespace

Rect Intersect(const Rect& a, const Rect& b)
{
    int left = std::max(a.x, b.x);
    int top = std::max(a.y, b.y);
    int right = std::min(a.Right(), b.Right());
    int bottom = std::min(a.Bottom(), b.Bottom());
    return {left, top, std::max(0, right - left), std::max(0, bottom - top)};
}

Rect MonitorLayout::Bounds() const
{
    Rect bounds = monitors.front().area;
    for (const Monitor& m : monitors) {
        int right = std::max(bounds.Right(), m.area.Right());
        int bottom = std::max(bounds.Bottom(), m.area.Bottom());
        bounds.x = std::min(bounds.x, m.area.x);
        bounds.y = std::min(bounds.y, m.area.y);
        bounds.width = right - bounds.x;
        bounds.height = bottom - bounds.y;
    }
    return bounds;
}

std::string_view MonitorSourceName(MonitorSource source)
{
    switch (source) {
    case MonitorSource::Fallback: return "fallback";
    case MonitorSource::X11: return "x11";
    case MonitorSource::Sway: return "sway";
    case MonitorSource::Kde: return "kde";
    case MonitorSource::Windows: return "windows";
    }
    return "fallback";
}

void OrderMonitors(std::vector<Monitor>& monitors)
{
    if (monitors.empty())
        return;
    auto primary = std::find_if(monitors.begin(), monitors.end(), [](const Monitor& m) { return m.primary; });
    if (primary == monitors.end())
        primary = std::find_if(monitors.begin(), monitors.end(),
                               [](const Monitor& m) { return m.area.x == 0 && m.area.y == 0; });
    if (primary == monitors.end())
        primary = monitors.begin();
    std::rotate(monitors.begin(), primary, primary + 1);
    std::stable_sort(monitors.begin() + 1, monitors.end(), [](const Monitor& a, const Monitor& b) {
        return a.area.x != b.area.x ? a.area.x < b.area.x : a.area.y < b.area.y;
    });
    for (std::size_t i = 0; i < monitors.size(); ++i)
        monitors[i].primary = i == 0;
}

MonitorLayout QueryMonitors()
{
    MonitorLayout layout;
    MonitorLayout platform;
    if (QueryPlatformMonitors(platform) && !platform.monitors.empty()) {
        layout = std::move(platform);
        OrderMonitors(layout.monitors);
        layout.source = GeometrySource::Platform;
    } else {
        layout.background = platform.background;
        layout.connection = std::move(platform.connection);
    }
    ApplyScreenSettings(layout);
    return layout;
}

ScreenGeometry QueryScreenGeometry()
{
    MonitorLayout layout = QueryMonitors();
    const Monitor& primary = layout.Primary();
    ScreenGeometry geometry;
    geometry.width = primary.area.width;
    geometry.height = primary.area.height;
    geometry.workArea = primary.workArea;
    geometry.background = layout.background;
    geometry.source = layout.source;
    return geometry;
}

bool QueryPlatformGeometry(ScreenGeometry& geometry)
{
    MonitorLayout layout;
    if (!QueryPlatformMonitors(layout) || layout.monitors.empty()) {
        if (layout.backgroundKnown)
            geometry.background = layout.background;
        return false;
    }
    OrderMonitors(layout.monitors);
    const Monitor& primary = layout.Primary();
    geometry.width = primary.area.width;
    geometry.height = primary.area.height;
    geometry.workArea = primary.workArea;
    if (layout.backgroundKnown)
        geometry.background = layout.background;
    return true;
}

MonitorChoice ReadMonitorChoice()
{
    std::string value = Lower(platform::settings::ReadText(kWallpaperKey, "Monitors").value_or("same"));
    if (value == "each")
        return MonitorChoice::Each;
    if (value == "span")
        return MonitorChoice::Span;
    return MonitorChoice::Same;
}

bool WriteMonitorChoice(MonitorChoice choice)
{
    return platform::settings::CreateKey(kWallpaperKey) &&
           platform::settings::WriteText(kWallpaperKey, "Monitors", std::string(MonitorChoiceName(choice)));
}

std::string_view MonitorChoiceName(MonitorChoice choice)
{
    switch (choice) {
    case MonitorChoice::Same: return "same";
    case MonitorChoice::Each: return "each";
    case MonitorChoice::Span: return "span";
    }
    return "same";
}

} // namespace vistrel::wallpaper
