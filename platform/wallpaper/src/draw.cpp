// SPDX-License-Identifier: GPL-3.0-or-later
#include "draw.h"

#include <algorithm>
#include <cstring>
#include <functional>
#include <thread>

namespace vistrel::wallpaper::detail {

namespace {

// Rounds half of `difference` down, also when it is negative (a picture
// larger than its area), so the offset matches the left/top bias of an
// integer division on non-negative values.
int HalfDown(int difference) { return difference >= 0 ? difference / 2 : -((1 - difference) / 2); }

} // namespace

Rect DrawPicture(Canvas& canvas, const PictureView& picture, const Rect& area, Style style, bool twoThreads)
{
    const Rect clip = Intersect(area, canvas.Bounds());
    if (clip.Empty() || picture.width < 1 || picture.height < 1)
        return {};
    Rect drawn;
    // Where a centred picture's top-left corner lies.
    const Rect placed{area.x + HalfDown(area.width - picture.width), area.y + HalfDown(area.height - picture.height),
                      picture.width, picture.height};
    std::function<void(int, int)> rows; // draws the rows [first, end)
    if (style == Style::Tile) {
        drawn = clip;
        rows = [&](int first, int end) {
            for (int y = first; y < end; ++y) {
                const int sourceY = (y - area.y) % picture.height;
                for (int x = clip.x; x < clip.Right();) {
                    const int sourceX = (x - area.x) % picture.width;
                    const int count = std::min(picture.width - sourceX, clip.Right() - x);
                    canvas.CopySpan(picture, sourceX, sourceY, count, x, y);
                    x += count;
                }
            }
        };
    } else {
        drawn = Intersect(placed, clip);
        if (drawn.Empty())
            return {};
        rows = [&](int first, int end) {
            for (int y = first; y < end; ++y)
                canvas.CopySpan(picture, drawn.x - placed.x, y - placed.y, drawn.width, drawn.x, y);
        };
    }
    // Below a quarter of a megapixel a second thread costs more than it saves.
    if (twoThreads && std::int64_t{drawn.width} * drawn.height >= 1 << 18) {
        const int middle = drawn.y + drawn.height / 2;
        std::thread other(rows, middle, drawn.Bottom());
        rows(drawn.y, middle);
        other.join();
    } else {
        rows(drawn.y, drawn.Bottom());
    }
    return drawn;
}

std::optional<PictureCanvas> PictureCanvas::Make(const Rect& bounds, std::uint32_t background, std::string& error)
{
    if (bounds.width < 1 || bounds.height < 1 || bounds.width > kMaxPictureSide || bounds.height > kMaxPictureSide ||
        std::int64_t{bounds.width} * bounds.height > kMaxPicturePixels) {
        error = "The monitors' layout of " + std::to_string(bounds.width) + " x " + std::to_string(bounds.height) +
                " pixels is too large for one picture";
        return std::nullopt;
    }
    Picture picture;
    picture.width = bounds.width;
    picture.height = bounds.height;
    const std::size_t stride = PictureView::RowStride(bounds.width);
    picture.rows.assign(stride * static_cast<std::size_t>(bounds.height), 0);
    std::uint8_t* first = picture.rows.data();
    for (int x = 0; x < bounds.width; ++x) {
        first[3 * x] = static_cast<std::uint8_t>(background);
        first[3 * x + 1] = static_cast<std::uint8_t>(background >> 8);
        first[3 * x + 2] = static_cast<std::uint8_t>(background >> 16);
    }
    for (int y = 1; y < bounds.height; ++y)
        std::memcpy(first + stride * static_cast<std::size_t>(y), first, 3 * static_cast<std::size_t>(bounds.width));
    return PictureCanvas(bounds, std::move(picture));
}

void PictureCanvas::CopySpan(const PictureView& picture, int sourceX, int sourceY, int count, int x, int y)
{
    const std::uint8_t* from =
        picture.rows + static_cast<std::size_t>(picture.height - 1 - sourceY) * PictureView::RowStride(picture.width) +
        3 * static_cast<std::size_t>(sourceX);
    std::uint8_t* to = picture_.rows.data() +
                       static_cast<std::size_t>(bounds_.Bottom() - 1 - y) * PictureView::RowStride(picture_.width) +
                       3 * static_cast<std::size_t>(x - bounds_.x);
    std::memcpy(to, from, 3 * static_cast<std::size_t>(count));
}

std::optional<Picture> AssembleLayout(const MonitorLayout& layout, const std::vector<MonitorWallpaper>& wallpapers,
                                      std::string& error)
{
    std::optional<PictureCanvas> canvas = PictureCanvas::Make(layout.Bounds(), layout.background, error);
    if (!canvas)
        return std::nullopt;
    for (const MonitorWallpaper& w : wallpapers) {
        if (!CheckPicture(w.pixels, error))
            return std::nullopt;
        DrawPicture(*canvas, w.pixels, w.area, w.style);
    }
    return canvas->Take();
}

} // namespace vistrel::wallpaper::detail
