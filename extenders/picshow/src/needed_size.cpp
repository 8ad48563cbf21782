// SPDX-License-Identifier: GPL-3.0-or-later
#include "needed_size.h"

#include "fit_size.h"

#include <algorithm>

namespace picshow {
namespace {

ScaledSize AtLeastOne(const FitResult& size)
{
    // As Compose does: a border or a tile count can round a tiny fit to 0.
    return {static_cast<std::uint32_t>(std::max<std::int64_t>(size.width, 1)),
            static_cast<std::uint32_t>(std::max<std::int64_t>(size.height, 1))};
}

// The proportional fit to the screen with a border, or divided into tiles.
std::optional<ScaledSize> FitToScreen(std::uint32_t width, std::uint32_t height, const Screen& screen, int percent,
                                      int tiles)
{
    FitResult fit = FitSize(width, height, screen.width, screen.height);
    if (!fit.ok)
        return std::nullopt;
    return AtLeastOne(tiles > 0 ? AsTile(fit, tiles) : WithBorder(fit, percent));
}

std::optional<ScaledSize> FreeRectangle(const ViewerSettings& s, std::uint32_t width, std::uint32_t height)
{
    if (s.flags & kPreserveProportions) {
        FitResult fit = FitSize(width, height, s.lx, s.ly);
        if (!fit.ok)
            return std::nullopt;
        return ScaledSize{static_cast<std::uint32_t>(fit.width), static_cast<std::uint32_t>(fit.height)};
    }
    if (s.lx < 1 || s.lx > kMaxFitSide || s.ly < 1 || s.ly > kMaxFitSide)
        return std::nullopt;
    return ScaledSize{static_cast<std::uint32_t>(s.lx), static_cast<std::uint32_t>(s.ly)};
}

} // namespace

std::optional<ScaledSize> NeededSize(const ViewerSettings& settings, const Screen& screen, std::uint32_t width,
                                     std::uint32_t height)
{
    if (width == 0 || height == 0 || width > INT32_MAX || height > INT32_MAX)
        return std::nullopt;
    switch (settings.mode) {
    case kFit:
        if (screen.width < 1 || screen.height < 1)
            return std::nullopt;
        return ScaledSize{static_cast<std::uint32_t>(screen.width), static_cast<std::uint32_t>(screen.height)};
    case kProportionedFit: return FitToScreen(width, height, screen, 0, 0);
    case kFreePos:
        switch (settings.Variant()) {
        case kFreeRectangle: return FreeRectangle(settings, width, height);
        case kCentredWithBorder:
            if (settings.border >= 1 && settings.border <= 9)
                return FitToScreen(width, height, screen, 10 * settings.border, 0);
            return std::nullopt;
        case kTiledWithCount:
            if (settings.tiles != 0)
                return FitToScreen(width, height, screen, 0, settings.tiles + 1);
            return std::nullopt;
        default: return std::nullopt;
        }
    default: // Tile, Center and modes no command writes: the picture as it is
        return std::nullopt;
    }
}

} // namespace picshow
