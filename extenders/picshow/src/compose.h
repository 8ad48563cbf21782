// SPDX-License-Identifier: GPL-3.0-or-later
// The composition: turns the image a reader produced into the wallpaper
// picture for one screen, by the viewer block's mode. Plain data work on DIBs;
// nothing here touches the desktop, so vistrelctl and the tests use exactly
// what the viewer module uses.
#pragma once

#include "viewer_block.h"

#include "vistrel/dib/scale.h"
#include "vistrel/platform/global_memory.h"

#include <cstdint>
#include <string>

namespace picshow {

namespace gmem = vistrel::gmem;

// How the desktop is asked to show the picture (the desktop's style values).
enum class Style { Center = 0, Tile = 1 };

struct Screen {
    int width = 0; // the screen, for Fit and the proportional fits
    int height = 0;
    int workRight = 0;            // the work area's right and bottom edges: the free-
    int workBottom = 0;           // position canvas covers (0,0)-(right,bottom)
    std::uint32_t background = 0; // 0x00RRGGBB around the free rectangle
};

struct Composition {
    // The picture: the image itself when the mode leaves it unchanged, else a
    // new DIB the caller owns; null when the mode yielded no picture.
    gmem::Handle picture = nullptr;
    Style style = Style::Tile;
    std::string error; // why there is no picture
    bool IsNew(gmem::Handle image) const { return picture && picture != image; }
};

// Composes `image` by `settings` for `screen`. The image is never changed or
// released; every intermediate made on the way is released before returning.
// `hooks` receive ScaleDIB's messages.
Composition Compose(gmem::Handle image, const ViewerSettings& settings, const Screen& screen,
                    const vistrel::dib::ScaleHooks& hooks = {});

} // namespace picshow
