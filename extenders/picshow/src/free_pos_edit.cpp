// SPDX-License-Identifier: GPL-3.0-or-later
#include "free_pos_edit.h"

#include "viewer_block.h"

namespace picshow {

PicshowFreePosFields LoadFreePosFields(const std::uint8_t* block)
{
    ViewerSettings s = ReadSettings(block);
    PicshowFreePosFields f{};
    f.x = s.x;
    f.y = s.y;
    f.lx = s.lx;
    f.ly = s.ly;
    f.variant = static_cast<std::int32_t>(s.Variant());
    f.tiled = (s.flags & kTiledFlag) ? 1 : 0;
    f.preserveProportions = (s.flags & kPreserveProportions) ? 1 : 0;
    f.border = s.border;
    f.tiles = s.tiles;
    return f;
}

void StoreFreePosFields(std::uint8_t* block, const PicshowFreePosFields& f)
{
    ViewerSettings s = ReadSettings(block);
    s.mode = kFreePos; // WriteSettings gives it the Free Pos icon, 1009
    s.x = f.x;
    s.y = f.y;
    s.lx = f.lx;
    s.ly = f.ly;
    std::uint32_t own = kVariantMask | kTiledFlag | kPreserveProportions;
    s.flags = (s.flags & ~own) | (static_cast<std::uint32_t>(f.variant) & kVariantMask) | (f.tiled ? kTiledFlag : 0u) |
              (f.preserveProportions ? kPreserveProportions : 0u);
    s.border = static_cast<std::uint8_t>(f.border);
    s.tiles = static_cast<std::uint8_t>(f.tiles);
    WriteSettings(block, s);
}

std::int32_t StepWithin(std::int32_t value, int delta, std::int32_t high)
{
    if (value < 0)
        return 0;
    if (value > high)
        return high;
    if (delta > 0)
        return value < high ? value + 1 : value;
    return value > 0 ? value - 1 : value;
}

DragRectangle NormaliseDrag(DragRectangle r, std::int32_t right, std::int32_t bottom)
{
    if (r.cx < 0) {
        r.x += r.cx;
        r.cx = -r.cx;
    }
    if (r.cy < 0) {
        r.y += r.cy;
        r.cy = -r.cy;
    }
    if (r.x < 0)
        r.x = 0;
    if (r.y < 0)
        r.y = 0;
    if (r.x + r.cx > right)
        r.cx = right > r.x ? right - r.x : 0;
    if (r.y + r.cy > bottom)
        r.cy = bottom > r.y ? bottom - r.y : 0;
    return r;
}

} // namespace picshow
