// SPDX-License-Identifier: GPL-3.0-or-later
// The programs' fixed-text tables: lookups by number and the check that no
// number is filed twice.
#include "vistrel/core/text_table.h"

#include <array>
#include <gtest/gtest.h>

using namespace vistrel;

namespace {

constexpr std::array<TextEntry, 3> kTable{{{57600, "&New\tCtrl+N"}, {1, "OK"}, {0, "zero"}}};

} // namespace

TEST(TextTable, FindsByNumberAndGivesNothingForOthers)
{
    static_assert(FindText(kTable, 1) == "OK", "looked up when compiled as well");
    EXPECT_EQ(FindText(kTable, 57600), "&New\tCtrl+N");
    EXPECT_EQ(FindText(kTable, 0), "zero") << "0 is a number like any other";
    EXPECT_TRUE(FindText(kTable, 2).empty());
    EXPECT_TRUE(FindText(kTable, -1).empty());
    EXPECT_TRUE(FindText({}, 1).empty());
}

TEST(TextTable, ANumberFiledTwiceIsFound)
{
    static_assert(IdsAreUnique(kTable));
    constexpr std::array<TextEntry, 3> twice{{{5, "a"}, {6, "b"}, {5, "c"}}};
    static_assert(!IdsAreUnique(twice));
    EXPECT_EQ(FindText(twice, 5), "a") << "the second entry is never reached, which the check prevents";
    EXPECT_TRUE(IdsAreUnique({}));
}
