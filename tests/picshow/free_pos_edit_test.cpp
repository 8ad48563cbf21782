// SPDX-License-Identifier: GPL-3.0-or-later
// The Free Pos dialog's rules that need no window, in every build.
#include "free_pos_edit.h"
#include "viewer_block.h"

#include <gtest/gtest.h>

#include <cstring>

namespace {

using namespace picshow;

TEST(FreePosEdit, OkWritesTheFreePosModeAndOnlyTheFlagBitsItOwns)
{
    std::uint8_t block[kBlockBytes];
    FillDefaultBlock(block);
    StoreU32(block + kFlagsOffset, 0xA5C0 | kTiledFlag | 1); // foreign bits, "Tiled", Centre
    PicshowFreePosFields f = LoadFreePosFields(block);
    EXPECT_EQ(f.variant, 1);
    EXPECT_EQ(f.tiled, 1);
    EXPECT_EQ(f.preserveProportions, 0);
    EXPECT_EQ(f.lx, 640);

    f = {-3, 1200, 5, 6, 2, 0, 1, 9, 19, 1600, 1200};
    std::uint8_t before[kBlockBytes];
    std::memcpy(before, block, kBlockBytes);
    StoreFreePosFields(block, f);
    EXPECT_EQ(LoadU32(block + 4), 1009u);
    EXPECT_EQ(LoadU32(block + kModeOffset), 4u);
    EXPECT_EQ(LoadU32(block + kFlagsOffset), 0xA5C0u | kPreserveProportions | 2);
    EXPECT_EQ(static_cast<std::int32_t>(LoadU32(block + kXOffset)), -3);
    EXPECT_EQ(LoadU32(block + kYOffset), 1200u);
    EXPECT_EQ(block[kBorderOffset], 9);
    EXPECT_EQ(block[kTilesOffset], 19);
    // Header, ID and the bytes past the fields are left alone.
    EXPECT_EQ(std::memcmp(block + 8, before + 8, 36), 0);
    EXPECT_EQ(std::memcmp(block + 70, before + 70, 2), 0);
}

TEST(FreePosEdit, ArrowsStopAtTheirBoundsAndTheFirstPressBringsAStrayValueInside)
{
    EXPECT_EQ(StepWithin(1600, +1, kMaxFreeX), 1600);
    EXPECT_EQ(StepWithin(1599, +1, kMaxFreeX), 1600);
    EXPECT_EQ(StepWithin(0, -1, kMaxFreeY), 0);
    EXPECT_EQ(StepWithin(1, -1, kMaxFreeY), 0);
    EXPECT_EQ(StepWithin(7, +1, kMaxFreeY), 8);
    // A value from a damaged list file lands on the nearer bound at the first
    // press of either arrow, instead of creeping back a pixel at a time.
    EXPECT_EQ(StepWithin(-5, -1, kMaxFreeX), 0);
    EXPECT_EQ(StepWithin(-5, +1, kMaxFreeX), 0);
    EXPECT_EQ(StepWithin(99999, -1, kMaxFreeY), kMaxFreeY);
    EXPECT_EQ(StepWithin(99999, +1, kMaxFreeY), kMaxFreeY);
    EXPECT_EQ(StepWithin(INT32_MIN, -1, kMaxFreeX), 0);
    EXPECT_EQ(StepWithin(INT32_MAX, +1, kMaxFreeX), kMaxFreeX);
}

TEST(FreePosEdit, ADraggedRectangleIsTurnedAroundAndBroughtInside)
{
    auto same = [](DragRectangle a, DragRectangle b) {
        return a.x == b.x && a.y == b.y && a.cx == b.cx && a.cy == b.cy;
    };
    EXPECT_TRUE(same(NormaliseDrag({900, 700, -600, -400}, 1600, 1200), {300, 300, 600, 400}));
    EXPECT_TRUE(same(NormaliseDrag({800, 600, 1000, 900}, 1600, 1200), {800, 600, 800, 600}));
    // Past the top-left corner the start is held at 0 (the size is kept).
    EXPECT_TRUE(same(NormaliseDrag({100, 50, -300, -80}, 1600, 1200), {0, 0, 300, 80}));
    EXPECT_TRUE(same(NormaliseDrag({10, 10, 0, 0}, 1600, 1200), {10, 10, 0, 0}));
}

} // namespace
