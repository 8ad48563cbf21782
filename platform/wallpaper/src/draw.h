// SPDX-License-Identifier: GPL-3.0-or-later
// Drawing a monitor's picture into a larger canvas (the root window's pixmap,
// the picture of the whole layout): centred in its area with the offset
// rounded down, or tiled from the area's top-left corner, clipped to the area.
#pragma once

#include "vistrel/wallpaper/installer.h"
#include "vistrel/wallpaper/monitors.h"
#include "vistrel/wallpaper/picture.h"

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

namespace vistrel::wallpaper::detail {

// Pixels addressed in the layout's coordinates.
class Canvas {
public:
    virtual ~Canvas() = default;
    // The part of the layout the canvas holds.
    virtual Rect Bounds() const = 0;
    // Copies `count` pixels of the picture's row `sourceY` (counted from the
    // top), from column `sourceX` on, to (x, y) and the pixels right of it.
    // The caller keeps both inside the picture and the canvas.
    virtual void CopySpan(const PictureView& picture, int sourceX, int sourceY, int count, int x, int y) = 0;
};

// Draws the picture into `area` clipped to it and to the canvas; the
// rectangle of the canvas it drew (empty when nothing shows). With
// `twoThreads`, a large picture's rows are shared with a second thread (the
// canvas's CopySpan must then take rows at once from two threads).
Rect DrawPicture(Canvas& canvas, const PictureView& picture, const Rect& area, Style style, bool twoThreads = false);

// 24-bit rows bottom-up, as bitmap files hold them.
class PictureCanvas final : public Canvas {
public:
    // Filled with `background` (0x00RRGGBB); nullopt when the size is
    // beyond what a picture may have.
    static std::optional<PictureCanvas> Make(const Rect& bounds, std::uint32_t background, std::string& error);

    Rect Bounds() const override { return bounds_; }
    void CopySpan(const PictureView& picture, int sourceX, int sourceY, int count, int x, int y) override;
    const Picture& picture() const { return picture_; }
    Picture Take() { return std::move(picture_); }

private:
    PictureCanvas(const Rect& bounds, Picture picture) : bounds_(bounds), picture_(std::move(picture)) {}
    Rect bounds_;
    Picture picture_;
};

// The picture of the whole layout: each wallpaper drawn into its area on the
// background colour.
std::optional<Picture> AssembleLayout(const MonitorLayout& layout, const std::vector<MonitorWallpaper>& wallpapers,
                                      std::string& error);

} // namespace vistrel::wallpaper::detail
