// SPDX-License-Identifier: GPL-3.0-or-later
// The rules of the "Free Pos..." dialog that need no window: what it shows
// of a block, what OK writes, how far the arrows go and how a dragged
// rectangle is brought inside the work area.
#pragma once

#include "free_pos_fields.h"

#include <cstdint>

namespace picshow {

// The arrows' bounds: X and LX 0 to 1600, Y and LY 0 to 1200.
inline constexpr std::int32_t kMaxFreeX = 1600;
inline constexpr std::int32_t kMaxFreeY = 1200;

// Entries of the border list ("(Default)", 10 % to 90 %) and the tile list
// ("(Default)", 2 to 20).
inline constexpr int kBorderChoices = 10;
inline constexpr int kTileChoices = 20;

// The block's fields as the dialog starts with them (the work area is left 0).
PicshowFreePosFields LoadFreePosFields(const std::uint8_t* block);

// OK: mode Free Pos and its icon, the rectangle, flag bits 0-5 from the
// fields (the other flag bits stay), the two choices.
void StoreFreePosFields(std::uint8_t* block, const PicshowFreePosFields& fields);

// One press of an arrow: `value` one step towards `delta` (+1 or -1), unless
// that would pass 0 or `high`. A value outside (from a damaged list file)
// comes to the nearer bound instead, whichever arrow was pressed.
std::int32_t StepWithin(std::int32_t value, int delta, std::int32_t high);

struct DragRectangle {
    std::int32_t x = 0, y = 0, cx = 0, cy = 0;
};

// The rectangle when the button is released: a drag to the left or upwards
// starts at the release point with a positive size; the start is kept at or
// right of / below 0, and the size shrinks so that it ends inside the work
// area (0, 0)-(right, bottom).
DragRectangle NormaliseDrag(DragRectangle r, std::int32_t right, std::int32_t bottom);

} // namespace picshow
