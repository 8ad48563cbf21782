// SPDX-License-Identifier: GPL-3.0-or-later
#include "vistrel/wallpaper/screen.h"

#include <windows.h>

namespace vistrel::wallpaper {

bool QueryPlatformGeometry(ScreenGeometry& geometry)
{
    int width = ::GetSystemMetrics(SM_CXSCREEN);
    int height = ::GetSystemMetrics(SM_CYSCREEN);
    if (width <= 0 || height <= 0)
        return false;
    geometry.width = width;
    geometry.height = height;
    RECT area{};
    if (::SystemParametersInfoW(SPI_GETWORKAREA, 0, &area, 0) && area.right > area.left &&
        area.bottom > area.top)
        geometry.workArea = {area.left, area.top, area.right, area.bottom};
    else
        geometry.workArea = {0, 0, width, height};
    // COLORREF is 0x00BBGGRR.
    DWORD color = ::GetSysColor(COLOR_DESKTOP);
    geometry.background = (color & 0xff) << 16 | (color & 0xff00) | (color >> 16 & 0xff);
    return true;
}

} // namespace vistrel::wallpaper
