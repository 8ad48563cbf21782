// SPDX-License-Identifier: GPL-3.0-or-later
// Free Pos, variant 0: the image placed in the free rectangle of a canvas as
// large as the work area, the rest in the desktop's background colour; the
// desktop then tiles the canvas. Composed in DIB form directly: the canvas is
// a 24-bit DIB, so no colour passes through a display depth.
#include "dib_steps.h"
#include "fit_size.h"

#include <algorithm>
#include <cstring>

namespace picshow {

using namespace vistrel::dib;

namespace {

Composition Fail(std::string error)
{
    Composition c;
    c.style = Style::Tile;
    c.error = std::move(error);
    return c;
}

void FillCanvas(std::uint8_t* pixels, const Layout& canvas, std::uint32_t rgb)
{
    const auto blue = static_cast<std::uint8_t>(rgb), green = static_cast<std::uint8_t>(rgb >> 8),
               red = static_cast<std::uint8_t>(rgb >> 16);
    std::uint8_t* row = pixels;
    for (std::uint32_t x = 0; x < canvas.width; ++x) {
        row[3 * x] = blue;
        row[3 * x + 1] = green;
        row[3 * x + 2] = red;
    }
    for (std::uint32_t y = 1; y < canvas.height; ++y)
        std::memcpy(pixels + y * canvas.stride, row, 3 * std::size_t{canvas.width});
}

// Copies the top-left w x h pixels of the source (clipped to the source) to
// (left, top) of the canvas (clipped to the canvas). Both are bottom-up.
void CopyInto(const std::uint8_t* source, const Layout& from, std::int64_t w, std::int64_t h, std::uint8_t* canvas,
              const Layout& to, std::int64_t left, std::int64_t top)
{
    w = std::min<std::int64_t>(w, from.width);
    h = std::min<std::int64_t>(h, from.height);
    const std::int64_t firstColumn = std::max<std::int64_t>(0, -left);
    const std::int64_t endColumn = std::min<std::int64_t>(w, std::int64_t{to.width} - left);
    if (firstColumn >= endColumn)
        return;
    const auto bytes = static_cast<std::size_t>(3 * (endColumn - firstColumn));
    for (std::int64_t dy = 0; dy < h; ++dy) {
        const std::int64_t y = top + dy;
        if (y < 0 || y >= to.height)
            continue;
        const std::uint8_t* src = source + static_cast<std::size_t>(from.height - 1 - dy) * from.stride +
                                  static_cast<std::size_t>(3 * firstColumn);
        std::uint8_t* dst = canvas + static_cast<std::size_t>(to.height - 1 - y) * to.stride +
                            static_cast<std::size_t>(3 * (left + firstColumn));
        std::memcpy(dst, src, bytes);
    }
}

} // namespace

Composition ComposeFreePos(gmem::Handle image, const ViewerSettings& s, const Screen& screen, const ScaleHooks& hooks)
{
    std::string error;
    Step wide(To24(image, error), image);
    if (!wide.get())
        return Fail(error);
    Layout layout;
    if (!IsSoundDIB(wide.get(), &layout) || layout.header.biBitCount != 24 || layout.header.biCompression != kRgb)
        return Fail("Free Pos needs an uncompressed picture of 24 bits");

    // The size of the picture in the rectangle, and whether it is scaled to
    // it; a size that cannot be scaled to copies the image as it is, cut to
    // that size (nothing when a side is 0).
    std::int64_t w = s.lx, h = s.ly;
    bool scale = w >= 1 && w <= kMaxFitSide && h >= 1 && h <= kMaxFitSide;
    if (s.flags & kPreserveProportions) {
        FitResult fit = FitSize(layout.width, layout.height, s.lx, s.ly);
        w = fit.width;
        h = fit.height;
        scale = fit.ok;
    }
    gmem::Owner scaled;
    if (scale) {
        scaled.reset(Scale(wide.get(), w, h, hooks, error));
        if (!scaled)
            return Fail(error);
        if (!IsSoundDIB(scaled.get(), &layout))
            return Fail("ScaleDIB made no complete picture");
    }
    const gmem::Handle source = scaled ? scaled.get() : wide.get();

    if (screen.workRight < 1 || screen.workBottom < 1)
        return Fail("The work area is empty");
    gmem::Owner canvas(NewDIB(static_cast<std::uint32_t>(screen.workRight),
                              static_cast<std::uint32_t>(screen.workBottom), 24, 0, kDefaultPelsPerMeter,
                              kDefaultPelsPerMeter));
    Layout canvasLayout;
    if (!canvas || !IsSoundDIB(canvas.get(), &canvasLayout))
        return Fail("No memory for a canvas of " + std::to_string(screen.workRight) + " x " +
                    std::to_string(screen.workBottom) + " pixels");
    {
        LockedBlock from(source);
        LockedBlock to(canvas.get());
        FillCanvas(to.bytes() + canvasLayout.bitsOffset, canvasLayout, screen.background);
        CopyInto(from.bytes() + layout.bitsOffset, layout, w, h, to.bytes() + canvasLayout.bitsOffset, canvasLayout,
                 s.x, s.y);
    }
    Composition c;
    c.style = Style::Tile;
    c.picture = canvas.release();
    return c;
}

} // namespace picshow
