// SPDX-License-Identifier: GPL-3.0-or-later
// DIBs drawn as images: every depth the readers hand out, run-length coded
// pixels with their escapes, and damaged blocks that must give nothing
// rather than a read outside them.
#include "preview/dib_image.h"
#include "vistrel/dib/dib.h"

#include <cstring>
#include <gtest/gtest.h>
#include <string>
#include <vector>

using namespace vistrel;
using namespace vistrel::manager;

namespace {

// A movable DIB block: the header, the table (0x00RRGGBB entries) and the
// pixel bytes as given; `blockBytes` cuts or pads the block.
gmem::Owner MakeDib(int width, int height, int bits, std::uint32_t compression, const std::vector<std::uint32_t>& table,
                    const std::string& pixels, std::size_t blockBytes = 0)
{
    dib::InfoHeader h;
    h.biWidth = width;
    h.biHeight = height;
    h.biBitCount = static_cast<std::uint16_t>(bits);
    h.biCompression = compression;
    h.biClrUsed = static_cast<std::uint32_t>(table.size());
    const std::size_t whole = dib::kInfoHeaderSize + 4 * table.size() + pixels.size();
    const std::size_t size = blockBytes ? blockBytes : whole;
    gmem::Owner block(gmem::Alloc(dib::kImageFlags, size));
    auto* bytes = static_cast<std::uint8_t*>(gmem::Lock(block.get()));
    std::vector<std::uint8_t> all(whole);
    dib::StoreHeader(all.data(), h);
    for (std::size_t i = 0; i < table.size(); ++i)
        dib::StoreU32(all.data() + dib::kInfoHeaderSize + 4 * i, table[i]);
    std::memcpy(all.data() + dib::kInfoHeaderSize + 4 * table.size(), pixels.data(), pixels.size());
    std::memcpy(bytes, all.data(), std::min(size, whole));
    gmem::Unlock(block.get());
    return block;
}

std::string Bytes(std::initializer_list<int> values)
{
    std::string s;
    for (int v : values)
        s += static_cast<char>(v);
    return s;
}

const std::vector<std::uint32_t> kColours = {0x000000, 0xFF0000, 0x00FF00, 0x0000FF};
const QColor kBlack(0, 0, 0), kRed(255, 0, 0), kGreen(0, 255, 0), kBlue(0, 0, 255);

} // namespace

TEST(ImageFromDib, UncompressedDepthsWithTheBottomRowFirst)
{
    // 24 bits: bottom row red, green; top row blue, black (rows padded to 4 bytes).
    QImage rgb = ImageFromDib(
        MakeDib(2, 2, 24, dib::kRgb, {}, Bytes({0, 0, 255, 0, 255, 0, 0, 0, 255, 0, 0, 0, 0, 0, 0, 0})).get());
    ASSERT_EQ(rgb.size(), QSize(2, 2));
    EXPECT_EQ(rgb.pixelColor(0, 1), kRed);
    EXPECT_EQ(rgb.pixelColor(1, 1), kGreen);
    EXPECT_EQ(rgb.pixelColor(0, 0), kBlue);
    EXPECT_EQ(rgb.pixelColor(1, 0), kBlack);

    // 8, 4 and 1 bits through the table.
    QImage eight = ImageFromDib(MakeDib(3, 1, 8, dib::kRgb, kColours, Bytes({1, 2, 3, 0})).get());
    ASSERT_EQ(eight.size(), QSize(3, 1));
    EXPECT_EQ(eight.pixelColor(0, 0), kRed);
    EXPECT_EQ(eight.pixelColor(2, 0), kBlue);
    QImage four = ImageFromDib(MakeDib(3, 1, 4, dib::kRgb, kColours, Bytes({0x12, 0x30, 0, 0})).get());
    EXPECT_EQ(four.pixelColor(0, 0), kRed);
    EXPECT_EQ(four.pixelColor(1, 0), kGreen);
    EXPECT_EQ(four.pixelColor(2, 0), kBlue);
    QImage one = ImageFromDib(MakeDib(9, 1, 1, dib::kRgb, kColours, Bytes({0x80, 0x80, 0, 0})).get());
    EXPECT_EQ(one.pixelColor(0, 0), kRed);
    EXPECT_EQ(one.pixelColor(1, 0), kBlack);
    EXPECT_EQ(one.pixelColor(8, 0), kRed);

    // An index past a short table shows black.
    QImage past = ImageFromDib(MakeDib(1, 1, 8, dib::kRgb, {0xFF0000}, Bytes({7, 0, 0, 0})).get());
    EXPECT_EQ(past.pixelColor(0, 0), kBlack);
}

TEST(ImageFromDib, RunLengthCodesWithTheirEscapes)
{
    // RLE8, 4 x 3: the bottom row a run of 4 red; end of line; 3 pixels as
    // they are (green, blue, green) and their padding byte; end of line; a
    // move 1 right; one green; end of the picture.
    QImage eight = ImageFromDib(MakeDib(4, 3, 8, dib::kRle8, kColours,
                                        Bytes({4, 1, 0, 0, 0, 3, 2, 3, 2, 0, 0, 0, 0, 2, 1, 0, 1, 2, 0, 1, 9, 9}))
                                    .get());
    ASSERT_EQ(eight.size(), QSize(4, 3));
    for (int x = 0; x < 4; ++x)
        EXPECT_EQ(eight.pixelColor(x, 2), kRed) << x;
    EXPECT_EQ(eight.pixelColor(0, 1), kGreen);
    EXPECT_EQ(eight.pixelColor(1, 1), kBlue);
    EXPECT_EQ(eight.pixelColor(2, 1), kGreen);
    EXPECT_EQ(eight.pixelColor(3, 1), kBlack) << "the rest of a row ended early stays black";
    EXPECT_EQ(eight.pixelColor(0, 0), kBlack);
    EXPECT_EQ(eight.pixelColor(1, 0), kGreen);
    EXPECT_EQ(eight.pixelColor(2, 0), kBlack) << "nothing after the end of the picture";

    // A move up and right from the first pixel.
    QImage moved = ImageFromDib(MakeDib(3, 2, 8, dib::kRle8, kColours, Bytes({0, 2, 1, 1, 1, 3, 0, 1})).get());
    EXPECT_EQ(moved.pixelColor(1, 0), kBlue);
    EXPECT_EQ(moved.pixelColor(0, 1), kBlack);

    // RLE4: a run alternates its two nibbles; 3 pixels as they are.
    QImage four =
        ImageFromDib(MakeDib(5, 2, 4, dib::kRle4, kColours, Bytes({5, 0x12, 0, 0, 0, 3, 0x31, 0x20, 0, 1})).get());
    ASSERT_EQ(four.size(), QSize(5, 2));
    EXPECT_EQ(four.pixelColor(0, 1), kRed);
    EXPECT_EQ(four.pixelColor(1, 1), kGreen);
    EXPECT_EQ(four.pixelColor(4, 1), kRed);
    EXPECT_EQ(four.pixelColor(0, 0), kBlue);
    EXPECT_EQ(four.pixelColor(1, 0), kRed);
    EXPECT_EQ(four.pixelColor(2, 0), kGreen);
}

TEST(ImageFromDib, DamagedBlocksGiveNothingOrStayInside)
{
    EXPECT_TRUE(ImageFromDib(nullptr).isNull());
    // Rows the block does not hold.
    EXPECT_TRUE(ImageFromDib(MakeDib(100, 100, 24, dib::kRgb, {}, std::string(30, '\0')).get()).isNull());
    // A header cut short.
    EXPECT_TRUE(ImageFromDib(MakeDib(2, 2, 24, dib::kRgb, {}, std::string(16, '\0'), 20).get()).isNull());
    // Depths and codings that are not drawn.
    EXPECT_TRUE(ImageFromDib(MakeDib(2, 2, 16, dib::kRgb, {}, std::string(16, '\0')).get()).isNull());
    EXPECT_TRUE(ImageFromDib(MakeDib(2, 2, 24, dib::kRle8, {}, Bytes({0, 1})).get()).isNull());
    // A few bytes claiming a huge picture allocate nothing.
    EXPECT_TRUE(ImageFromDib(MakeDib(60000, 60000, 8, dib::kRle8, kColours, Bytes({0, 1})).get()).isNull());

    // Runs past the row's end, moves past the top and cut-off data stay
    // inside the picture.
    QImage clipped =
        ImageFromDib(MakeDib(2, 2, 8, dib::kRle8, kColours, Bytes({200, 1, 0, 0, 0, 2, 0, 9, 0, 5, 1, 2})).get());
    ASSERT_EQ(clipped.size(), QSize(2, 2));
    EXPECT_EQ(clipped.pixelColor(1, 1), kRed);
    QImage cut = ImageFromDib(MakeDib(4, 1, 8, dib::kRle8, kColours, Bytes({0, 4, 1, 2})).get());
    ASSERT_EQ(cut.size(), QSize(4, 1));
    // As on the desktop: the indices the data holds are drawn, nothing past them is read.
    EXPECT_EQ(cut.pixelColor(0, 0), kRed);
    EXPECT_EQ(cut.pixelColor(1, 0), kGreen);
    EXPECT_EQ(cut.pixelColor(2, 0), kBlack) << "an absolute run longer than the data is not read past its end";
    EXPECT_EQ(cut.pixelColor(3, 0), kBlack);
}
