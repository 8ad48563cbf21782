// SPDX-License-Identifier: GPL-3.0-or-later
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>

#include "bmp_builder.h"
#include "reader.h"
#include "vistrel/bitload/read_dib.h"
#include "vistrel/dib/convert.h"
#include "vistrel/dib/dib.h"

namespace vistrel::bitload {
namespace {

using test::Bmp;

struct Read {
    gmem::Owner dib;
    dib::InfoHeader header;
    std::vector<std::uint8_t> bytes;
    std::size_t bits = 0; // offset of the pixels
};

Read FromBytes(const std::vector<std::uint8_t>& file)
{
    Read r;
    r.dib.reset(ReadDIBFromMemory(file.data(), file.size()));
    if (r.dib) {
        dib::LockedBlock b(r.dib.get());
        r.bytes.assign(b.bytes(), b.bytes() + b.size());
        r.header = dib::LoadHeader(b.bytes());
        r.bits = 40 + 4 * std::size_t{dib::DIBNumColors(r.header)};
    }
    return r;
}

void ExpectRefused(const std::vector<std::uint8_t>& file, const char* headerStepText)
{
    EXPECT_FALSE(FromBytes(file).dib);
    EXPECT_STREQ(ReadLastError(), "ReadDIB: Can't read BMP info");
    MemorySource source(file.data(), file.size());
    PixelSource pixels;
    EXPECT_EQ(ReadDIBInfo(&source, pixels), nullptr);
    EXPECT_STREQ(ReadLastError(), headerStepText);
}

TEST(ReadDIB, TableSizesFollowTheColourCount)
{
    Bmp rgb;
    rgb.width = 3, rgb.height = 2, rgb.pixels.assign(24, 7);
    Read r = FromBytes(rgb.Bytes());
    ASSERT_TRUE(r.dib);
    EXPECT_EQ(r.header.biClrUsed, 0u);
    EXPECT_EQ(r.header.biSizeImage, 24u); // rows of 9 bytes padded to 12
    EXPECT_EQ(r.bytes.size(), 40u + 24u);

    Bmp pal;
    pal.bits = 8, pal.colors.assign(256, 0x123456), pal.pixels.assign(4, 1);
    r = FromBytes(pal.Bytes());
    EXPECT_EQ(r.header.biClrUsed, 256u);
    EXPECT_EQ(r.bits, 40u + 1024u);
    pal.clrUsed = 20, pal.colors.resize(20);
    r = FromBytes(pal.Bytes());
    EXPECT_EQ(r.header.biClrUsed, 20u);
    EXPECT_EQ(r.bytes.size(), 40u + 80u + 4u);
}

TEST(ReadDIB, CoreHeaderFilesAreRebuilt)
{
    Bmp core;
    core.headerSize = 12, core.bits = 4, core.width = 2, core.height = 2;
    for (std::uint32_t i = 0; i < 16; ++i)
        core.colors.push_back(0x010203 * i);
    core.pixels = {0x1F, 0, 0, 0, 0xE2, 0, 0, 0};
    Read r = FromBytes(core.Bytes());
    ASSERT_TRUE(r.dib);
    EXPECT_EQ(r.header.biSize, 40u);
    EXPECT_EQ(r.header.biXPelsPerMeter, 2953);
    EXPECT_EQ(r.header.biYPelsPerMeter, 2953);
    EXPECT_EQ(r.header.biClrUsed, 16u);
    for (std::uint32_t i = 0; i < 16; ++i)
        EXPECT_EQ(dib::LoadU32(&r.bytes[40 + 4 * i]), 0x010203 * i) << i;
    EXPECT_EQ(r.bytes[r.bits], 0x1F);
    EXPECT_EQ(r.bytes[r.bits + 4], 0xE2);
}

TEST(ReadDIB, UncompressedSizesAreComputedAndShortFilesZeroFilled)
{
    Bmp rgb;
    rgb.width = 3, rgb.height = 2, rgb.sizeImage = 5000;
    rgb.pixels.assign(14, 9); // the second row is cut short
    Read r = FromBytes(rgb.Bytes());
    ASSERT_TRUE(r.dib);
    EXPECT_EQ(r.header.biSizeImage, 24u);
    EXPECT_EQ(r.bytes[r.bits + 13], 9);
    EXPECT_EQ(r.bytes[r.bits + 14], 0);
    EXPECT_EQ(r.bytes.size(), 64u);
}

TEST(ReadDIB, HeaderProblemsAreReportedByBothSteps)
{
    Bmp ba;
    ba.type = "BA";
    ExpectRefused(ba.Bytes(), "ReadDIBInfo: Incorrect type");
    for (std::uint32_t unknown : {16u, 52u, 56u, 64u, 100u, 128u}) {
        Bmp other;
        other.headerSize = unknown;
        ExpectRefused(other.Bytes(), "ReadDIBInfo: Size incorrect");
    }
    std::vector<std::uint8_t> shortFile = Bmp{}.Bytes();
    shortFile.resize(13);
    ExpectRefused(shortFile, "ReadDIBInfo: can't read info");
    shortFile = Bmp{}.Bytes();
    shortFile.resize(53);
    ExpectRefused(shortFile, "ReadDIBInfo: can't read info");
    PixelSource pixels;
    EXPECT_EQ(ReadDIBInfo(nullptr, pixels), nullptr);
    EXPECT_STREQ(ReadLastError(), "ReadDIBInfo: No file");
}

// A header describes no image, or a format nothing downstream can use.
TEST(ReadDIB, RefusesImpossibleSizesAndFormats)
{
    for (auto [w, h] : {std::pair{-127, 64}, std::pair{0, 64}, std::pair{5, 0}, std::pair{5, INT32_MIN}}) {
        Bmp b;
        b.width = w, b.height = h;
        ExpectRefused(b.Bytes(), "ReadDIBInfo: Size incorrect");
    }
    for (auto [bits, compression] : {std::pair{30000, 0}, std::pair{2, 0}, std::pair{0, 4}, std::pair{24, 1},
                                     std::pair{8, 2}, std::pair{24, 3}, std::pair{32, 6}}) {
        Bmp b;
        b.bits = static_cast<std::uint16_t>(bits), b.compression = static_cast<std::uint32_t>(compression);
        ExpectRefused(b.Bytes(), "ReadDIBInfo: Incorrect type");
    }
    Bmp topDownRle;
    topDownRle.bits = 8, topDownRle.compression = 1, topDownRle.height = -2, topDownRle.colors = {0};
    ExpectRefused(topDownRle.Bytes(), "ReadDIBInfo: Incorrect type");
}

// The header's claims never decide what is allocated or read.
TEST(ReadDIB, ClaimsBeyondTheFileAreNotTrusted)
{
    Bmp big; // 3000000 × 2000000 at 24 bits: 18 TB in a 58-byte file
    big.width = 3000000, big.height = 2000000, big.pixels.assign(4, 0);
    EXPECT_FALSE(FromBytes(big.Bytes()).dib);
    EXPECT_STREQ(ReadLastError(), "ReadDIB: Can't alloc DIB");
    Bmp claims; // 16000 × 16000: within the limit, but the file holds 4 bytes of it
    claims.width = 16000, claims.height = 16000, claims.pixels.assign(4, 0);
    EXPECT_FALSE(FromBytes(claims.Bytes()).dib);
    EXPECT_STREQ(ReadLastError(), "ReadDIB: Can't alloc DIB");

    // A colour count of 305 million: the table has at most 256 entries, the
    // pixels are found at bfOffBits.
    Bmp pal;
    pal.bits = 8, pal.clrUsed = 305402420, pal.colors.assign(256, 0xABCDEF), pal.pixels = {5, 0, 0, 0};
    Read r = FromBytes(pal.Bytes());
    ASSERT_TRUE(r.dib);
    EXPECT_EQ(r.header.biClrUsed, 256u);
    EXPECT_EQ(r.bytes.size(), 40u + 1024u + 4u);
    EXPECT_EQ(r.bytes[r.bits], 5);

    // A 24-bit picture needs no colour table; a header claiming one of
    // 8388608 colours that the file does not hold is refused by the reader,
    // saying so, instead of failing later in the viewer's scaling.
    Bmp claimsTable;
    claimsTable.clrUsed = 8388608, claimsTable.offBits = 54, claimsTable.pixels = {1, 2, 3, 0};
    EXPECT_FALSE(FromBytes(claimsTable.Bytes()).dib);
    EXPECT_STREQ(ReadLastError(), "ReadDIB: Can't read BMP info: the header of this 24-bit picture claims a colour "
                                  "table of 8388608 colours, more than the file holds");
    claimsTable.clrUsed = 0;
    ASSERT_TRUE(FromBytes(claimsTable.Bytes()).dib) << "the same picture without the claim";

    // Run-length data claiming 2 GB keeps only what the file holds.
    Bmp rle;
    rle.bits = 8, rle.compression = 1, rle.sizeImage = 0x7FFFFFFF, rle.width = 4, rle.height = 4;
    rle.clrUsed = 2, rle.colors = {0, 0xFFFFFF}, rle.pixels = {4, 1, 0, 1};
    r = FromBytes(rle.Bytes());
    ASSERT_TRUE(r.dib);
    EXPECT_EQ(r.header.biCompression, 1u);
    EXPECT_EQ(r.header.biSizeImage, 4u);
    EXPECT_EQ(r.bytes.size(), 40u + 8u + 4u);

    // Pixels said to lie past the end of the file: the image reads black.
    std::vector<std::uint8_t> far = Bmp{}.Bytes();
    dib::StoreU32(&far[10], 0xFFFFFFF0);
    r = FromBytes(far);
    ASSERT_TRUE(r.dib);
    EXPECT_EQ(r.bytes[r.bits], 0);
}

TEST(ReadDIB, TopDownFilesComeOutBottomUp)
{
    Bmp pal;
    pal.bits = 8, pal.width = 2, pal.height = -3, pal.colors = {0, 0};
    pal.pixels = {1, 1, 0, 0, 2, 2, 0, 0, 3, 3, 0, 0}; // top row first
    Read r = FromBytes(pal.Bytes());
    ASSERT_TRUE(r.dib);
    EXPECT_EQ(r.header.biHeight, 3);
    EXPECT_EQ((std::vector<int>{r.bytes[r.bits], r.bytes[r.bits + 4], r.bytes[r.bits + 8]}),
              (std::vector<int>{3, 2, 1}));
    // Cut short: the missing rows are the bottom ones.
    pal.pixels.resize(4);
    r = FromBytes(pal.Bytes());
    EXPECT_EQ((std::vector<int>{r.bytes[r.bits], r.bytes[r.bits + 4], r.bytes[r.bits + 8]}),
              (std::vector<int>{0, 0, 1}));
}

TEST(ReadDIB, SixteenAndThirtyTwoBitPixelsBecomeTwentyFourBit)
{
    auto pixelsOf = [](const Read& r) { return std::vector<int>(r.bytes.begin() + 40, r.bytes.begin() + 46); };
    Bmp rgb555; // white, pure red
    rgb555.bits = 16, rgb555.width = 2, rgb555.pixels = {0xFF, 0x7F, 0x00, 0x7C};
    Read r = FromBytes(rgb555.Bytes());
    ASSERT_TRUE(r.dib);
    EXPECT_EQ(r.header.biBitCount, 24);
    EXPECT_EQ(r.header.biCompression, 0u);
    EXPECT_EQ(r.header.biClrUsed, 0u);
    EXPECT_EQ(r.header.biSizeImage, 8u);
    EXPECT_EQ(pixelsOf(r), (std::vector<int>{255, 255, 255, 0, 0, 255}));

    Bmp rgb565; // green at full 6-bit strength, then half of blue (16 of 31)
    rgb565.bits = 16, rgb565.compression = 3, rgb565.width = 2, rgb565.masks = {0xF800, 0x07E0, 0x001F};
    rgb565.pixels = {0xE0, 0x07, 0x10, 0x00};
    r = FromBytes(rgb565.Bytes());
    EXPECT_EQ(pixelsOf(r), (std::vector<int>{0, 255, 0, 132, 0, 0}));

    Bmp rgb32; // B G R x, top-down, two rows
    rgb32.bits = 32, rgb32.width = 1, rgb32.height = -2, rgb32.pixels = {1, 2, 3, 0, 4, 5, 6, 0};
    r = FromBytes(rgb32.Bytes());
    EXPECT_EQ((std::vector<int>(r.bytes.begin() + 40, r.bytes.end())), (std::vector<int>{4, 5, 6, 0, 1, 2, 3, 0}));

    Bmp masks32; // red in the low byte, a 10-bit green, no blue mask
    masks32.bits = 32, masks32.compression = 3, masks32.masks = {0xFF, 0xFFC00, 0};
    masks32.pixels = {0x80, 0xFC, 0xFF, 0};
    r = FromBytes(masks32.Bytes());
    EXPECT_EQ((std::vector<int>(r.bytes.begin() + 40, r.bytes.begin() + 43)), (std::vector<int>{0, 255, 0x80}));
}

// The 108- and 124-byte headers that most programs write: read by their
// first 40 bytes, with the masks inside the header; the colour table and
// pixels follow the whole header.
TEST(ReadDIB, LaterHeaderFormsAreReadByTheirLeadingFieldsAndMasks)
{
    for (std::uint32_t size : {108u, 124u}) {
        SCOPED_TRACE(size);
        Bmp pal;
        pal.headerSize = size, pal.bits = 8, pal.width = 2, pal.clrUsed = 2;
        pal.colors = {0x102030, 0xA0B0C0}, pal.pixels = {1, 0, 0, 0};
        Read r = FromBytes(pal.Bytes());
        ASSERT_TRUE(r.dib) << ReadLastError();
        EXPECT_EQ(r.header.biSize, 40u);
        EXPECT_EQ(r.header.biClrUsed, 2u);
        EXPECT_EQ(dib::LoadU32(&r.bytes[40]), 0x102030u);
        EXPECT_EQ(dib::LoadU32(&r.bytes[44]), 0xA0B0C0u);
        EXPECT_EQ(r.bytes[r.bits], 1);

        Bmp xbgr; // red in the low byte: the masks come from the header, not after it
        xbgr.headerSize = size, xbgr.bits = 32, xbgr.compression = 3, xbgr.width = 1;
        xbgr.headerMasks = {0xFF, 0xFF00, 0xFF0000, 0xFF000000};
        xbgr.pixels = {0x11, 0x22, 0x33, 0x44};
        r = FromBytes(xbgr.Bytes());
        ASSERT_TRUE(r.dib) << ReadLastError();
        EXPECT_EQ(r.header.biBitCount, 24);
        EXPECT_EQ((std::vector<int>(r.bytes.begin() + 40, r.bytes.begin() + 43)), (std::vector<int>{0x33, 0x22, 0x11}));

        Bmp cut = pal; // the file ends inside the masks
        std::vector<std::uint8_t> bytes = cut.Bytes();
        bytes.resize(14 + 40 + 8);
        ExpectRefused(bytes, "ReadDIBInfo: can't read info");
    }
}

TEST(ReadDIB, IndicesPastTheTableComeOutBlack)
{
    Bmp pal;
    pal.bits = 8, pal.width = 2, pal.clrUsed = 1, pal.colors = {0xFFFFFF}, pal.pixels = {0, 200, 0, 0};
    Read r = FromBytes(pal.Bytes());
    ASSERT_TRUE(r.dib);
    gmem::Owner rgb(dib::DIBTo24(r.dib.release()));
    dib::LockedBlock b(rgb.get());
    EXPECT_EQ((std::vector<int>(b.bytes() + 40, b.bytes() + 46)), (std::vector<int>{255, 255, 255, 0, 0, 0}));
}

std::string Utf8(const std::filesystem::path& p)
{
    const std::u8string u = p.u8string();
    return std::string(u.begin(), u.end());
}

TEST(ReadDIB, FilesByPathAndTheLastErrorText)
{
    EXPECT_EQ(ReadDIB(nullptr), nullptr);
    EXPECT_STREQ(ReadLastError(), "ReadDIB: No Name");
    const auto dir = std::filesystem::temp_directory_path() / "vistrel-bitload-test";
    std::filesystem::create_directories(dir);
    EXPECT_EQ(ReadDIB(Utf8(dir / "missing.bmp").c_str()), nullptr);
    EXPECT_STREQ(ReadLastError(), "ReadDIB: can't read file");
    EXPECT_EQ(ReadDIB(Utf8(dir).c_str()), nullptr);
    EXPECT_STREQ(ReadLastError(), "ReadDIB: can't read file");

    const auto file = dir / std::filesystem::path(u8"Bl\u00e5.bmp"); // a non-ASCII name
    const std::vector<std::uint8_t> bytes = Bmp{}.Bytes();
    std::ofstream(file, std::ios::binary)
        .write(reinterpret_cast<const char*>(bytes.data()), std::streamsize(bytes.size()));
    gmem::Owner ok(ReadDIB(Utf8(file).c_str()));
    EXPECT_TRUE(ok);
    EXPECT_STREQ(ReadLastError(), "ReadDIB: can't read file"); // a success leaves it
    std::filesystem::remove_all(dir);
}

} // namespace
} // namespace vistrel::bitload
