// SPDX-License-Identifier: GPL-3.0-or-later
#include <gtest/gtest.h>

#include <string>

#include "dib_builders.h"
#include "vistrel/dib/convert.h"

namespace vistrel::dib {
namespace {

using test::Look;
using test::MakeDib;

gmem::Handle OneByteRows(std::uint32_t w, std::uint16_t bits, std::vector<std::uint32_t> colors,
                         std::vector<std::uint8_t> row)
{
    return MakeDib(w, 1, bits, colors, [&](std::uint32_t x, std::uint32_t) { return x < row.size() ? row[x] : 0; });
}

TEST(DIB1To4, SpreadsEachBitIntoANibble)
{
    gmem::Owner src(OneByteRows(8, 1, {0x000000, 0xFFFFFF}, {0xB2}));
    gmem::Owner out(DIB1To4(src.get()));
    test::View v = Look(out.get());
    EXPECT_EQ(v.header.biBitCount, 4);
    EXPECT_EQ(v.header.biClrUsed, 16u);
    EXPECT_EQ(v.header.biClrImportant, 2u);
    EXPECT_EQ(v.header.biSizeImage, 4u);
    EXPECT_EQ(v.header.biXPelsPerMeter, 3780);
    EXPECT_EQ(LoadU32(&v.bytes[44]), 0xFFFFFFu);
    EXPECT_EQ(LoadU32(&v.bytes[48]), 0u); // entries past the source's stay empty
    EXPECT_EQ((std::vector<int>{v.raw(0, 0), v.raw(0, 1), v.raw(0, 2), v.raw(0, 3)}),
              (std::vector<int>{0x10, 0x11, 0x00, 0x10}));
}

TEST(DIB1To4, NinePixelRowsSkipTheSourcePadding)
{
    // Two rows of 9 pixels: 2 bytes used and 2 padding bytes per source row.
    gmem::Owner src(MakeDib(9, 2, 1, {0, 0xFFFFFF}, [](std::uint32_t x, std::uint32_t y) {
        return static_cast<std::uint8_t>(x == 0 ? (y == 0 ? 0x80 : 0x01) : 0x80);
    }));
    gmem::Owner out(DIB1To4(src.get()));
    test::View v = Look(out.get());
    ASSERT_EQ(v.stride, 8u);
    EXPECT_EQ(v.raw(0, 0), 0x10);
    EXPECT_EQ(v.raw(0, 4), 0x10);
    EXPECT_EQ(v.raw(1, 0), 0x00);
    EXPECT_EQ(v.raw(1, 3), 0x01);
    EXPECT_EQ(v.raw(1, 4), 0x10);
}

TEST(DIB4To8, WritesTheLastNibblePairIntoTheStride)
{
    gmem::Owner src(OneByteRows(3, 4, std::vector<std::uint32_t>(16, 0), {0x12, 0x34}));
    gmem::Owner out(DIB4To8(src.get()));
    test::View v = Look(out.get());
    EXPECT_EQ(v.header.biClrUsed, 256u);
    EXPECT_EQ(v.header.biClrImportant, 16u);
    EXPECT_EQ(v.stride, 4u);
    EXPECT_EQ((std::vector<int>{v.raw(0, 0), v.raw(0, 1), v.raw(0, 2), v.raw(0, 3)}), (std::vector<int>{1, 2, 3, 4}));
}

TEST(DIB8To24, LooksUpEachIndexAndBlackensIndicesPastTheTable)
{
    gmem::Owner src(OneByteRows(2, 8, {0, 0, 0x1E140A}, {2, 200}));
    gmem::Owner out(DIB8To24(src.get()));
    test::View v = Look(out.get());
    EXPECT_EQ(v.header.biBitCount, 24);
    EXPECT_EQ(v.header.biClrUsed, 0u);
    EXPECT_EQ(v.bytes.size(), 48u);
    EXPECT_EQ((std::vector<int>(v.bytes.begin() + 40, v.bytes.end())), (std::vector<int>{10, 20, 30, 0, 0, 0, 0, 0}));
}

TEST(DIBTo24, WidensEveryPaletteDepthToTheTableColours)
{
    const std::uint32_t red = 0xFF0000, blue = 0x0000FF;
    // 1 bit: pixels 0 1; 4 bits: 1 0; 8 bits: 0 1.
    for (auto [bits, byte] : {std::pair{1, 0x40}, std::pair{4, 0x10}, std::pair{8, 0}}) {
        gmem::Handle src = MakeDib(2, 1, static_cast<std::uint16_t>(bits), {red, blue}, [&](std::uint32_t x, std::uint32_t) {
            return static_cast<std::uint8_t>(bits == 8 ? x : byte);
        });
        gmem::Owner out(DIBTo24(src)); // consumes the source
        test::View v = Look(out.get());
        ASSERT_EQ(v.header.biBitCount, 24) << bits;
        EXPECT_EQ(DIBNumColors(v.header), 0u);
        std::vector<int> px(v.bytes.begin() + 40, v.bytes.begin() + 46);
        if (bits == 4)
            EXPECT_EQ(px, (std::vector<int>{255, 0, 0, 0, 0, 255})) << bits;
        else
            EXPECT_EQ(px, (std::vector<int>{0, 0, 255, 255, 0, 0})) << bits;
    }
    gmem::Handle deep = test::Uniform24(1, 1, 5);
    EXPECT_EQ(DIBTo24(deep), deep);
    gmem::Free(deep);
}

TEST(Conversions, RefuseWithTheirMessagesAndLeaveTheSourceAlone)
{
    gmem::Owner rgb(test::Uniform24(2, 2, 1));
    std::vector<std::uint8_t> before = Look(rgb.get()).bytes;
    EXPECT_EQ(DIB8To24(rgb.get()), nullptr);
    EXPECT_STREQ(DibLastError(), "DIB8To24: Es liegt keine 8-Bit-DIB vor!");
    EXPECT_EQ(Look(rgb.get()).bytes, before);
    EXPECT_EQ(DIB1To4(rgb.get()), nullptr);
    EXPECT_STREQ(DibLastError(), "DIB1To4: Source isn't 1-Bit-DIB");
    EXPECT_EQ(DIB4To8(rgb.get()), nullptr);
    EXPECT_STREQ(DibLastError(), "DIB4To8: Source isn't 4-Bit-DIB");

    struct Null {
        gmem::Handle (*fn)(gmem::Handle);
        const char* text;
    };
    for (Null n : {Null{DIB1To4, "DIB1To4: No DIB"}, Null{DIB4To8, "DIB4To8: No DIB"},
                   Null{DIB8To24, "DIB8To24: Keine DIB vorhanden!"}, Null{DIB1To24, "DIB1To24: Keine DIB vorhanden!"},
                   Null{DIB4To24, "DIB4To24: Keine DIB vorhanden!"}}) {
        EXPECT_EQ(n.fn(nullptr), nullptr);
        EXPECT_STREQ(DibLastError(), n.text);
    }
    EXPECT_EQ(GetDIBBitPerPixel(nullptr), 0u);
    EXPECT_STREQ(DibLastError(), "GetDIBBitPerPixel: No DIB");

    gmem::Owner os2(OneByteRows(2, 8, {0}, {0, 0}));
    StoreU32(static_cast<std::uint8_t*>(gmem::Lock(os2.get())), 12);
    gmem::Unlock(os2.get());
    EXPECT_EQ(DIB8To24(os2.get()), nullptr);
    EXPECT_STREQ(DibLastError(), "DIB8To24: Keine Unterst\xC3\xBCtzung f\xC3\xBCr OS/2-Bitmaps!");

    gmem::Owner rle(OneByteRows(2, 4, {0}, {0}));
    StoreU32(static_cast<std::uint8_t*>(gmem::Lock(rle.get())) + 16, kRle4);
    gmem::Unlock(rle.get());
    EXPECT_EQ(DIB4To24(rle.get()), nullptr);
    EXPECT_STREQ(DibLastError(), "DIB4to8: No support to RLE-DIB");
}

// A header may promise more than its block holds (a hand-made block, or
// run-length data labelled as rows): nothing past the block is read.
TEST(Conversions, RefuseBlocksThatDoNotHoldTheirRows)
{
    for (auto [bits, fn, text] :
         {std::tuple{1, &DIB1To4, "DIB1To4: No DIB"}, std::tuple{4, &DIB4To8, "DIB4To8: No DIB"},
          std::tuple{8, &DIB8To24, "DIB8To24: Keine DIB vorhanden!"}}) {
        gmem::Owner src(OneByteRows(4, static_cast<std::uint16_t>(bits), {0, 0}, {1}));
        StoreU32(static_cast<std::uint8_t*>(gmem::Lock(src.get())) + 8, 1000); // 1000 rows claimed
        gmem::Unlock(src.get());
        EXPECT_EQ(fn(src.get()), nullptr);
        EXPECT_STREQ(DibLastError(), text);
    }
    // A colour count beyond the block.
    gmem::Owner src(OneByteRows(4, 8, {0, 0}, {1}));
    StoreU32(static_cast<std::uint8_t*>(gmem::Lock(src.get())) + 32, 0x7FFFFFFF);
    gmem::Unlock(src.get());
    EXPECT_EQ(DIB8To24(src.get()), nullptr);
    // A 1-bit image labelled as run-length coded is still read as rows, and
    // only when the block holds them.
    gmem::Owner odd(OneByteRows(8, 1, {0, 0xFFFFFF}, {0xFF}));
    StoreU32(static_cast<std::uint8_t*>(gmem::Lock(odd.get())) + 16, kRle8);
    gmem::Unlock(odd.get());
    gmem::Owner out(DIB1To24(odd.get()));
    EXPECT_TRUE(out);
}

TEST(Conversions, RefuseImagesTooLargeToWiden)
{
    // 40000 × 30000 at 8 bits is 1.2 GB; 24 bits would be 3.6 GB.
    gmem::Handle big = gmem::Alloc(kImageFlags, 40 + 4 * 256 + std::size_t{40000} * 30000);
    ASSERT_TRUE(big);
    InfoHeader h;
    h.biWidth = 40000;
    h.biHeight = 30000;
    h.biBitCount = 8;
    StoreHeader(static_cast<std::uint8_t*>(gmem::Lock(big)), h);
    gmem::Unlock(big);
    EXPECT_EQ(DIB8To24(big), nullptr);
    EXPECT_STREQ(DibLastError(), "DIB8To24: Zu wenig Speicher f\xC3\xBCr DIB vorhanden!");
    gmem::Free(big);
}

} // namespace
} // namespace vistrel::dib
