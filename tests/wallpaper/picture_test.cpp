// SPDX-License-Identifier: GPL-3.0-or-later
// Reading the wallpaper bitmap file: what the viewer writes is read exactly,
// anything else is refused without reading past the data.
#include "vistrel/wallpaper/picture.h"

#include "test_support.h"

#include <gtest/gtest.h>

namespace vistrel::wallpaper {
namespace {

std::optional<Picture> Parse(const std::string& bytes, std::string& error)
{
    // A copy of exactly the right size, so sanitizers see any overread.
    std::vector<std::uint8_t> data(bytes.begin(), bytes.end());
    return ParseBitmap(data.data(), data.size(), error);
}

void ExpectPattern(const Picture& picture, int width, int height)
{
    ASSERT_EQ(picture.width, width);
    ASSERT_EQ(picture.height, height);
    PictureView view = picture.View();
    for (int y = 0; y < height; ++y) {
        for (int x = 0; x < width; ++x)
            ASSERT_EQ(view.Pixel(x, y), test::Pattern(x, y)) << x << "," << y;
    }
}

TEST(BitmapReader, ReadsTwentyFourBitFilesBothRowOrders)
{
    for (bool topDown : {false, true}) {
        for (int width : {1, 2, 3, 4, 5, 17}) {
            std::string error;
            std::optional<Picture> picture =
                Parse(test::MakeBitmap24(width, 3, test::Pattern, topDown), error);
            ASSERT_TRUE(picture) << error;
            ExpectPattern(*picture, width, 3);
        }
    }
}

TEST(BitmapReader, FileOnDiskAndMissingFile)
{
    test::TempFolder folder;
    auto path = folder.path() / "VistrelImage.bmp";
    test::WriteFile(path, test::MakeBitmap24(9, 4, test::Pattern));
    std::string error;
    std::optional<Picture> picture = ReadBitmapFile(path.string(), error);
    ASSERT_TRUE(picture) << error;
    ExpectPattern(*picture, 9, 4);

    EXPECT_FALSE(ReadBitmapFile((folder.path() / "none.bmp").string(), error));
    EXPECT_NE(error.find("none.bmp"), std::string::npos) << error;
}

// An 8-bit or 1-bit file with a colour table, as Tile and Center leave the
// reader's image unchanged.
std::string PaletteBitmap(int bits, int width, int height, std::uint32_t colorsUsed,
                          const std::vector<std::uint32_t>& palette,
                          const std::vector<std::string>& rowsBottomUp)
{
    std::uint32_t tableBytes = static_cast<std::uint32_t>(palette.size()) * 4;
    std::string pixels;
    for (const std::string& row : rowsBottomUp)
        pixels += row;
    std::string out = "BM";
    test::PutU32(out, 54 + tableBytes + static_cast<std::uint32_t>(pixels.size()));
    test::PutU32(out, 0);
    test::PutU32(out, 54 + tableBytes);
    test::PutU32(out, 40);
    test::PutU32(out, static_cast<std::uint32_t>(width));
    test::PutU32(out, static_cast<std::uint32_t>(height));
    test::PutU16(out, 1);
    test::PutU16(out, static_cast<std::uint32_t>(bits));
    test::PutU32(out, 0);
    test::PutU32(out, static_cast<std::uint32_t>(pixels.size()));
    test::PutU32(out, 0);
    test::PutU32(out, 0);
    test::PutU32(out, colorsUsed);
    test::PutU32(out, 0);
    for (std::uint32_t color : palette)
        test::PutU32(out, color);
    return out + pixels;
}

TEST(BitmapReader, ColourTablesBecomeColours)
{
    std::string error;
    // 8 bits, 3 colours; index 7 lies past the table and reads as black.
    std::optional<Picture> eight =
        Parse(PaletteBitmap(8, 3, 2, 3, {0x112233, 0x445566, 0x778899},
                            {std::string("\x00\x01\x02\x00", 4), std::string("\x02\x07\x00\x00", 4)}),
              error);
    ASSERT_TRUE(eight) << error;
    EXPECT_EQ(eight->View().Pixel(0, 1), 0x112233u);
    EXPECT_EQ(eight->View().Pixel(2, 1), 0x778899u);
    EXPECT_EQ(eight->View().Pixel(0, 0), 0x778899u);
    EXPECT_EQ(eight->View().Pixel(1, 0), 0u);

    // 1 bit, 10 pixels wide: bits run from the most significant one.
    std::optional<Picture> one =
        Parse(PaletteBitmap(1, 10, 1, 0, {0x000000, 0xffffff}, {std::string("\xa0\x40\x00\x00", 4)}), error);
    ASSERT_TRUE(one) << error;
    std::string bits;
    for (int x = 0; x < 10; ++x)
        bits += one->View().Pixel(x, 0) == 0xffffff ? '1' : '0';
    EXPECT_EQ(bits, "1010000001");
}

TEST(BitmapReader, RefusesWhatItCannotReadSafely)
{
    std::string good = test::MakeBitmap24(4, 4, test::Pattern);
    auto refused = [](std::string bytes, const char* expected) {
        std::string error;
        EXPECT_FALSE(Parse(bytes, error)) << expected;
        EXPECT_NE(error.find(expected), std::string::npos) << error;
    };
    refused("", "Not a Windows bitmap");
    refused("BA" + good.substr(2), "Not a Windows bitmap");
    refused(good.substr(0, good.size() - 5), "cut short");
    refused(good.substr(0, 60), "cut short");

    std::string rle = good;
    rle[30] = 1; // BI_RLE8
    refused(rle, "Compressed");
    std::string bits32 = good;
    bits32[28] = 32;
    refused(bits32, "32 bits");
    std::string huge = good;
    huge[18] = huge[19] = huge[20] = '\x7f'; // width 0x007f7f7f
    refused(huge, "not supported");
    std::string zero = good;
    zero[22] = zero[23] = zero[24] = zero[25] = 0;
    refused(zero, "not supported");
    std::string offset = good;
    offset[10] = offset[11] = offset[12] = '\xff';
    refused(offset, "cut short");
    std::string header = good;
    header[14] = 12; // the old core header
    refused(header, "header");
    std::string table = PaletteBitmap(8, 1, 1, 300, {}, {std::string(4, '\0')});
    refused(table, "colour table");
    refused(PaletteBitmap(8, 1, 1, 200, {}, {std::string(4, '\0')}), "colour table is cut short");

    // The last row's padding may be missing.
    std::string error;
    std::string odd = test::MakeBitmap24(3, 2, test::Pattern);
    EXPECT_TRUE(Parse(odd.substr(0, odd.size() - 3), error)) << error;
}

TEST(BitmapReader, CheckPictureGuardsTheBufferOverload)
{
    std::vector<std::uint8_t> rows(PictureView::RowStride(5) * 3);
    std::string error;
    EXPECT_TRUE(CheckPicture({5, 3, rows.data(), rows.size()}, error)) << error;
    EXPECT_FALSE(CheckPicture({5, 3, rows.data(), rows.size() - 1}, error));
    EXPECT_FALSE(CheckPicture({5, 3, nullptr, rows.size()}, error));
    EXPECT_FALSE(CheckPicture({0, 3, rows.data(), rows.size()}, error));
    EXPECT_FALSE(CheckPicture({kMaxPictureSide + 1, 1, rows.data(), rows.size()}, error));
}

} // namespace
} // namespace vistrel::wallpaper
