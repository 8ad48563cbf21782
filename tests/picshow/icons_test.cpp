// SPDX-License-Identifier: GPL-3.0-or-later
// The extenders' pictures as the list manager gets them: GetIcon of the real
// modules, loaded by the real loader from the build tree.
#include "test_support.h"

#include "vistrel/core/extender_calls.h"
#include "vistrel/core/extender_registry.h"
#include "vistrel/dib/dib.h"
#include "vistrel/platform/paths.h"

#include <gtest/gtest.h>

#include <set>
#include <string>
#include <vector>

namespace {

using namespace vistrel;
using namespace vistrel::test;

// The picture's pixels, top row first, as 0xAARRGGBB; empty when the block is
// not a square 32-bit bottom-up DIB of `edge` pixels.
std::vector<std::uint32_t> Pixels(gmem::Handle icon, int edge)
{
    std::vector<std::uint32_t> out;
    dib::LockedBlock block(icon);
    dib::Layout layout;
    if (!block.bytes() || !dib::DescribeDIB(block.bytes(), gmem::Size(icon), layout))
        return out;
    if (layout.header.biBitCount != 32 || layout.header.biCompression != dib::kRgb || layout.numColors != 0 ||
        layout.header.biWidth != edge || layout.header.biHeight != edge)
        return out;
    for (int y = edge - 1; y >= 0; --y) {
        const std::uint8_t* row = block.bytes() + layout.bitsOffset + static_cast<std::size_t>(y) * layout.stride;
        for (int x = 0; x < edge; ++x)
            out.push_back(dib::LoadU32(row + 4 * x));
    }
    return out;
}

class ExtenderIcons : public ::testing::Test {
protected:
    void SetUp() override
    {
        ASSERT_TRUE(registry.LoadExtenders(BinDir().string() + platform::PathSeparator()));
        reader = registry.FindExtenderById("R0001-BITLOAD                ");
        viewer = registry.FindExtenderById("V0001-PICSHOW                ");
        ASSERT_TRUE(reader && viewer);
    }

    // The picture at `size`, checked for shape; empty when there is none.
    std::vector<std::uint32_t> Icon(ExtenderHandle h, int resource, int size, int edge)
    {
        gmem::Owner icon(ext::GetIcon(h, resource, size));
        if (!icon)
            return {};
        EXPECT_TRUE(gmem::IsMoveable(icon.get())) << "images are movable blocks";
        std::vector<std::uint32_t> pixels = Pixels(icon.get(), edge);
        EXPECT_FALSE(pixels.empty()) << resource << " at " << size << " is not a " << edge << " pixel 32-bit DIB";
        return pixels;
    }

    RecordingSink sink;
    CExtenderRegistry registry;
    ExtenderHandle reader = nullptr;
    ExtenderHandle viewer = nullptr;
};

bool Opaque(std::uint32_t argb) { return (argb >> 24) == 0xFF; }

// Each 16-pixel picture is drawn upright with a see-through background, and
// the 32-pixel one is its clean double.
void ExpectUprightAndDoubled(const std::vector<std::uint32_t>& small, const std::vector<std::uint32_t>& large)
{
    ASSERT_EQ(small.size(), 256u);
    ASSERT_EQ(large.size(), 1024u);
    EXPECT_FALSE(Opaque(small[0])) << "top-left corner is transparent";
    EXPECT_EQ(small[0] & 0xFF000000u, 0u);
    EXPECT_TRUE(Opaque(small[7 * 16 + 7])) << "the middle is drawn";
    for (int y = 0; y < 32; ++y)
        for (int x = 0; x < 32; ++x)
            ASSERT_EQ(large[static_cast<std::size_t>(y * 32 + x)], small[static_cast<std::size_t>(y / 2 * 16 + x / 2)])
                << x << "," << y;
}

TEST_F(ExtenderIcons, PicshowDrawsOnePictureForEachMode)
{
    std::set<std::vector<std::uint32_t>> seen;
    for (int resource : {1005, 1006, 1007, 1008, 1009}) {
        SCOPED_TRACE(resource);
        std::vector<std::uint32_t> small = Icon(viewer, resource, 16, 16);
        ExpectUprightAndDoubled(small, Icon(viewer, resource, 32, 32));
        // A monitor on its stand: the stand's foot (row 14) is drawn, the row
        // below it is empty; a picture upside down would show it the other way.
        EXPECT_TRUE(Opaque(small[14 * 16 + 7]));
        EXPECT_FALSE(Opaque(small[15 * 16 + 7]));
        seen.insert(small);
    }
    EXPECT_EQ(seen.size(), 5u) << "the five modes look different";

    for (int resource : {0, 100, 1004, 1010, 1005 + 0x10000, -1})
        EXPECT_EQ(ext::GetIcon(viewer, resource, 16), nullptr) << resource;
}

TEST_F(ExtenderIcons, EveryViewerBlockNamesAPictureOfItsMode)
{
    void* block = ext::GetDefParams(viewer);
    ASSERT_TRUE(block);
    std::set<std::uint32_t> values;
    for (int command : {-1, 0, 1, 2, 3}) {
        if (command >= 0)
            ext::RunCommand(viewer, block, command);
        std::uint32_t value = dib::LoadU32(static_cast<std::uint8_t*>(block) + 4) & 0xFFFF;
        values.insert(value);
        gmem::Owner icon(ext::GetIcon(viewer, static_cast<int>(value), 16));
        EXPECT_TRUE(icon) << "command " << command << " value " << value;
    }
    EXPECT_EQ(values, (std::set<std::uint32_t>{1005, 1006, 1007, 1008})) << "the default is Tile's";
    gmem::Free(block);
}

TEST_F(ExtenderIcons, BitloadDrawsItsOwnPictureForItsBlocks)
{
    void* block = ext::GetDefParams(reader);
    ASSERT_TRUE(block);
    int value = static_cast<int>(dib::LoadU32(static_cast<std::uint8_t*>(block) + 4) & 0xFFFF);
    gmem::Free(block);
    EXPECT_EQ(value, VISTREL_ICON_OWN);
    ExpectUprightAndDoubled(Icon(reader, value, 16, 16), Icon(reader, value, 32, 32));
    EXPECT_NE(Icon(reader, value, 16, 16), Icon(viewer, 1005, 16, 16));
    for (int resource : {0, 101, 1005})
        EXPECT_EQ(ext::GetIcon(reader, resource, 16), nullptr) << resource;
}

// Photo rows get a picture of their own reader, not Bitload's and not none.
TEST_F(ExtenderIcons, PhotoloadDrawsAPictureOfItsOwnForItsBlocks)
{
    ExtenderHandle photos = registry.FindExtenderById("R0002-PHOTOLOAD              ");
    if (!photos)
        GTEST_SKIP() << "Photoload is not built";
    void* block = ext::GetDefParams(photos);
    ASSERT_TRUE(block);
    int value = static_cast<int>(dib::LoadU32(static_cast<std::uint8_t*>(block) + 4) & 0xFFFF);
    gmem::Free(block);
    EXPECT_EQ(value, VISTREL_ICON_OWN) << "what lists written so far carry";
    std::vector<std::uint32_t> small = Icon(photos, value, 16, 16);
    ExpectUprightAndDoubled(small, Icon(photos, value, 32, 32));
    EXPECT_NE(small, Icon(reader, VISTREL_ICON_OWN, 16, 16));
    for (int resource : {0, 101, 1005, 100 + 0x10000})
        EXPECT_EQ(ext::GetIcon(photos, resource, 16), nullptr) << resource;
}

TEST_F(ExtenderIcons, TheClosestSizeIsHandedOutAndAMissingExportGivesNone)
{
    for (auto [size, edge] : {std::pair{0, 16}, {8, 16}, {23, 16}, {24, 32}, {48, 32}, {-5, 16}})
        EXPECT_FALSE(Icon(viewer, 1009, size, edge).empty()) << size;
    // Clockpace has no pictures: its blocks are never drawn.
    ExtenderHandle scheduler = registry.FirstScheduler();
    ASSERT_TRUE(scheduler);
    EXPECT_EQ(ext::Lookup(scheduler, "GetIcon"), nullptr);
    EXPECT_EQ(ext::GetIcon(scheduler, VISTREL_ICON_OWN, 16), nullptr);
    EXPECT_TRUE(sink.messages.empty());
}

} // namespace
