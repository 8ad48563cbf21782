// SPDX-License-Identifier: GPL-3.0-or-later
// Windows: every display monitor with its work area, and the desktop colour.
#include "vistrel/wallpaper/monitors.h"

#include <windows.h>

#include <string>

namespace vistrel::wallpaper {

namespace {

std::string Narrow(const wchar_t* text)
{
    int size = ::WideCharToMultiByte(CP_UTF8, 0, text, -1, nullptr, 0, nullptr, nullptr);
    if (size <= 1)
        return {};
    std::string narrow(static_cast<std::size_t>(size), '\0');
    ::WideCharToMultiByte(CP_UTF8, 0, text, -1, narrow.data(), size, nullptr, nullptr);
    narrow.pop_back(); // the terminator
    return narrow;
}

BOOL CALLBACK AddMonitor(HMONITOR handle, HDC, LPRECT, LPARAM context)
{
    auto& monitors = *reinterpret_cast<std::vector<Monitor>*>(context);
    MONITORINFOEXW info{};
    info.cbSize = sizeof info;
    if (!::GetMonitorInfoW(handle, &info))
        return TRUE;
    const RECT& r = info.rcMonitor;
    if (r.right <= r.left || r.bottom <= r.top)
        return TRUE;
    Monitor m;
    m.name = Narrow(info.szDevice); // "\\.\DISPLAY1"
    if (m.name.rfind("\\\\.\\", 0) == 0)
        m.name.erase(0, 4);
    if (m.name.empty())
        m.name = "screen " + std::to_string(monitors.size() + 1);
    m.area = {r.left, r.top, r.right - r.left, r.bottom - r.top};
    const RECT& w = info.rcWork;
    if (w.right > w.left && w.bottom > w.top)
        m.workArea = {w.left - r.left, w.top - r.top, w.right - r.left, w.bottom - r.top};
    else
        m.workArea = {0, 0, m.area.width, m.area.height};
    m.primary = (info.dwFlags & MONITORINFOF_PRIMARY) != 0;
    monitors.push_back(std::move(m));
    return TRUE;
}

} // namespace

bool QueryPlatformMonitors(MonitorLayout& layout)
{
    // COLORREF is 0x00BBGGRR.
    DWORD color = ::GetSysColor(COLOR_DESKTOP);
    layout.background = (color & 0xff) << 16 | (color & 0xff00) | (color >> 16 & 0xff);
    layout.backgroundKnown = true;
    std::vector<Monitor> monitors;
    ::EnumDisplayMonitors(nullptr, nullptr, &AddMonitor, reinterpret_cast<LPARAM>(&monitors));
    if (monitors.empty()) {
        // The primary screen alone, as the system metrics give it.
        int width = ::GetSystemMetrics(SM_CXSCREEN);
        int height = ::GetSystemMetrics(SM_CYSCREEN);
        if (width <= 0 || height <= 0)
            return false;
        Monitor m{"DISPLAY1", {0, 0, width, height}, {0, 0, width, height}, true};
        RECT area{};
        if (::SystemParametersInfoW(SPI_GETWORKAREA, 0, &area, 0) && area.right > area.left && area.bottom > area.top)
            m.workArea = {area.left, area.top, area.right, area.bottom};
        monitors.push_back(std::move(m));
    }
    layout.monitors = std::move(monitors);
    layout.from = MonitorSource::Windows;
    return true;
}

} // namespace vistrel::wallpaper
