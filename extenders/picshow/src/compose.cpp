// SPDX-License-Identifier: GPL-3.0-or-later
// The five modes. Tile and Center hand the reader's image on as it is; the
// fits widen it to 24 bits and resample it; Free Pos draws it on a canvas.
#include "compose.h"

#include "dib_steps.h"
#include "fit_size.h"

#include <algorithm>

namespace picshow {
namespace {

using vistrel::dib::ScaleHooks;

Composition Unchanged(gmem::Handle image, Style style)
{
    Composition c;
    c.style = style;
    c.picture = image;
    return c;
}

Composition Fail(Style style, std::string error)
{
    Composition c;
    c.style = style;
    c.error = std::move(error);
    return c;
}

// Scales a 24-bit image to exactly W x H, proportions not kept.
Composition Stretch(gmem::Handle image, const Screen& screen, const ScaleHooks& hooks)
{
    std::string error;
    Step wide(To24(image, error), image);
    if (!wide.get())
        return Fail(Style::Center, error);
    if (ScaleWouldCopy(wide.get(), screen.width, screen.height))
        return Unchanged(wide.release(), Style::Center);
    gmem::Handle scaled = Scale(wide.get(), screen.width, screen.height, hooks, error);
    if (!scaled)
        return Fail(Style::Center, error);
    return Unchanged(scaled, Style::Center);
}

// The proportional fit with a border of `percent` %, or (tiles > 0) the fit
// divided into that many tiles.
Composition FitToScreen(gmem::Handle image, const Screen& screen, int percent, int tiles, Style style,
                        const ScaleHooks& hooks)
{
    std::string error;
    Step wide(To24(image, error), image);
    if (!wide.get())
        return Fail(style, error);
    vistrel::dib::Layout layout;
    if (!IsSoundDIB(wide.get(), &layout))
        return Fail(style, "The image is not a complete bitmap");
    FitResult fit = FitSize(layout.width, layout.height, screen.width, screen.height);
    if (!fit.ok) // too large or too small to scale: shown as it is
        return Unchanged(wide.release(), style);
    FitResult size = tiles > 0 ? AsTile(fit, tiles) : WithBorder(fit, percent);
    // A border or a tile count can round a tiny fit down to nothing.
    const std::int64_t width = std::max<std::int64_t>(size.width, 1), height = std::max<std::int64_t>(size.height, 1);
    if (ScaleWouldCopy(wide.get(), width, height))
        return Unchanged(wide.release(), style);
    gmem::Handle scaled = Scale(wide.get(), width, height, hooks, error);
    if (!scaled)
        return Fail(style, error);
    return Unchanged(scaled, style);
}

} // namespace

Composition Compose(gmem::Handle image, const ViewerSettings& settings, const Screen& screen, const ScaleHooks& hooks)
{
    // Every later step trusts the header's sizes; a block that cannot hold
    // what its header describes is refused here, before anything reads it.
    if (!IsSoundDIB(image))
        return Fail(settings.mode == kCenter ? Style::Center : Style::Tile, "The image is not a complete bitmap");
    switch (settings.mode) {
    case kTile: return Unchanged(image, Style::Tile);
    case kCenter: return Unchanged(image, Style::Center);
    case kFit: return Stretch(image, screen, hooks);
    case kProportionedFit: return FitToScreen(image, screen, 0, 0, Style::Center, hooks);
    case kFreePos:
        switch (settings.Variant()) {
        case kFreeRectangle: return ComposeFreePos(image, settings, screen, hooks);
        case kCentredWithBorder:
            if (settings.border >= 1 && settings.border <= 9)
                return FitToScreen(image, screen, 10 * settings.border, 0, Style::Center, hooks);
            return Unchanged(image, Style::Center);
        case kTiledWithCount:
            if (settings.tiles != 0)
                return FitToScreen(image, screen, 0, settings.tiles + 1, Style::Tile, hooks);
            return Unchanged(image, Style::Tile);
        default: // variants no dialog writes
            return Unchanged(image, Style::Tile);
        }
    default: // modes no command writes
        return Unchanged(image, Style::Tile);
    }
}

} // namespace picshow
