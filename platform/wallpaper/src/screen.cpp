// SPDX-License-Identifier: GPL-3.0-or-later
// The geometry the composition uses: the platform's, overridden value by
// value from the settings, with a fixed fallback.
#include "vistrel/wallpaper/screen.h"

#include "vistrel/platform/settings_store.h"

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

} // namespace

ScreenGeometry QueryScreenGeometry()
{
    ScreenGeometry geometry;
    if (QueryPlatformGeometry(geometry))
        geometry.source = GeometrySource::Platform;

    std::optional<int> width = ReadSize("Width");
    std::optional<int> height = ReadSize("Height");
    std::optional<int> workWidth = ReadSize("WorkWidth");
    std::optional<int> workHeight = ReadSize("WorkHeight");
    if (width && height) {
        geometry.width = *width;
        geometry.height = *height;
        geometry.source = GeometrySource::Settings;
        if (!workWidth || !workHeight)
            geometry.workArea = {0, 0, *width, *height};
    }
    if (workWidth && workHeight) {
        geometry.workArea = {0, 0, *workWidth, *workHeight};
        if (!width || !height) {
            // A work area alone tells the screen is at least that large.
            if (geometry.source == GeometrySource::Fallback) {
                geometry.width = *workWidth;
                geometry.height = *workHeight;
                geometry.source = GeometrySource::Settings;
            }
        }
    }
    if (std::optional<std::uint32_t> background = platform::settings::ReadNumber(kScreenKey, "Background"))
        geometry.background = *background & 0xffffffu;
    return geometry;
}

} // namespace vistrel::wallpaper
