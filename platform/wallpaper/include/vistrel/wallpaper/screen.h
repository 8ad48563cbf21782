// SPDX-License-Identifier: GPL-3.0-or-later
// The primary screen's geometry and the desktop's background colour, as the
// wallpaper composition needs them.
#pragma once

#include <cstdint>
#include <string>

namespace vistrel::wallpaper {

// Settings key whose values override what the platform reports (useful where
// nothing can be read, e.g. under Wayland without X): "Width", "Height",
// "WorkWidth", "WorkHeight" (numbers) and "Background" (number 0x00RRGGBB).
// Each value present wins on its own; a work size without a screen size, or a
// screen size without a work size, is completed from the other.
inline constexpr const char* kScreenKey = "Software\\Vistrel\\Vistrel\\Screen";

// Used when neither the platform nor the settings give a size.
inline constexpr int kFallbackWidth = 1920;
inline constexpr int kFallbackHeight = 1080;

struct WorkArea {
    // Relative to the primary screen's top-left corner, right and bottom
    // exclusive; a canvas of right x bottom pixels covers it from (0,0).
    int left = 0;
    int top = 0;
    int right = 0;
    int bottom = 0;
};

enum class GeometrySource { Platform, Settings, Fallback };

struct ScreenGeometry {
    int width = kFallbackWidth;
    int height = kFallbackHeight;
    WorkArea workArea{0, 0, kFallbackWidth, kFallbackHeight};
    std::uint32_t background = 0; // 0x00RRGGBB; black when it cannot be read
    GeometrySource source = GeometrySource::Fallback; // where the screen size came from
};

// Windows: GetSystemMetrics, SPI_GETWORKAREA, GetSysColor(COLOR_DESKTOP).
// Elsewhere, when $DISPLAY names a reachable X server: the primary RandR
// monitor (else the whole screen), _NET_WORKAREA of the current desktop
// clipped to it (else the whole screen); the background colour of GNOME,
// Cinnamon and MATE from their settings, else black. Then the settings
// override; then the fallback 1920 x 1080, whole screen, black.
ScreenGeometry QueryScreenGeometry();

// The platform's answer only (no settings, no fallback); false when there is
// none. `geometry.background` is left alone when the colour cannot be read.
bool QueryPlatformGeometry(ScreenGeometry& geometry);

} // namespace vistrel::wallpaper
