// SPDX-License-Identifier: GPL-3.0-or-later
// A picture over the pixel limit is refused before any pixel memory is
// allocated: files whose headers claim 60000 x 60000 pixels (3.6 billion)
// are read while every allocation is watched.
#include "allocation_watch.h"
#include "photo_support.h"

namespace photo_test {
namespace {

constexpr std::size_t kSmallAllocation = std::size_t{1} << 20;

void Put16BE(std::vector<std::uint8_t>& b, std::size_t at, unsigned v)
{
    b[at] = std::uint8_t(v >> 8), b[at + 1] = std::uint8_t(v);
}

std::vector<std::uint8_t> HugeJpeg(std::vector<std::uint8_t> b)
{
    for (std::size_t i = 2; i + 9 < b.size(); ++i)
        if (b[i] == 0xFF && (b[i + 1] == 0xC0 || b[i + 1] == 0xC1 || b[i + 1] == 0xC2)) {
            Put16BE(b, i + 5, 60000); // height
            Put16BE(b, i + 7, 60000); // width
            return b;
        }
    return {};
}

std::vector<std::uint8_t> HugePng(std::vector<std::uint8_t> b)
{
    for (std::size_t at : {16u, 20u})
        b[at] = 0, b[at + 1] = 0, Put16BE(b, at + 2, 60000);
    const std::uint32_t crc = Crc32(b.data() + 12, 17); // "IHDR" and its 13 bytes
    for (int k = 0; k < 4; ++k)
        b[29 + k] = std::uint8_t(crc >> (24 - 8 * k));
    return b;
}

std::vector<std::uint8_t> HugeGif(std::vector<std::uint8_t> b)
{
    b[6] = b[8] = 0x60, b[7] = b[9] = 0xEA; // the screen: 60000 x 60000
    std::size_t at = 13 + ((b[10] & 0x80) ? 3 * (std::size_t{2} << (b[10] & 7)) : 0);
    while (at < b.size() && b[at] == 0x21) { // extensions: sub-blocks up to a zero
        at += 2;
        while (at < b.size() && b[at] != 0)
            at += b[at] + 1;
        ++at;
    }
    if (at + 9 >= b.size() || b[at] != 0x2C)
        return {};
    b[at + 5] = b[at + 7] = 0x60, b[at + 6] = b[at + 8] = 0xEA; // the frame: the same
    return b;
}

std::vector<std::uint8_t> HugeTiff(std::vector<std::uint8_t> b)
{
    if (b.size() < 8 || b[0] != 'I')
        return {};
    auto u16 = [&](std::size_t at) { return unsigned(b[at] | b[at + 1] << 8); };
    const std::size_t ifd = b[4] | b[5] << 8 | b[6] << 16 | std::size_t(b[7]) << 24;
    for (unsigned e = 0; e < u16(ifd); ++e) {
        const std::size_t entry = ifd + 2 + 12 * e;
        if (u16(entry) == 256 || u16(entry) == 257) { // width, length: written as LONG 60000
            b[entry + 2] = 4, b[entry + 3] = 0;
            b[entry + 8] = 0x60, b[entry + 9] = 0xEA, b[entry + 10] = 0, b[entry + 11] = 0;
        }
    }
    return b;
}

std::vector<std::uint8_t> HugeWebp(std::vector<std::uint8_t> b)
{
    if (b.size() < 30 || std::string(b.begin() + 12, b.begin() + 16) != "VP8X")
        return {};
    for (std::size_t at : {24u, 27u}) // width - 1, height - 1, 24 bits each
        b[at] = 0x5F, b[at + 1] = 0xEA, b[at + 2] = 0;
    return b;
}

class PixelLimit : public ::testing::Test {
protected:
    void SetUp() override
    {
        PHOTO_REQUIRE_CONVERT();
        if (!CanWatchAllocations())
            GTEST_SKIP() << "allocations cannot be watched in this build (sanitizers, or not glibc)";
    }
    // Reads while watching; the largest allocation.
    static std::size_t LargestWhileReading(const std::vector<std::uint8_t>& bytes, Decoded& result)
    {
        StartWatchingAllocations();
        gmem::Handle dib = vistrel::photoload::ReadPhotoFromMemory(bytes.data(), bytes.size());
        const std::size_t largest = StopWatchingAllocations();
        result.dib.reset(dib);
        result.error = dib ? "" : vistrel::photoload::PhotoLastError();
        return largest;
    }
    Workshop shop;
};

TEST_F(PixelLimit, TheWatchSeesAPicturesMemory)
{
    if (!Reads(".png"))
        GTEST_SKIP() << "this build reads no PNG";
    Decoded d;
    const std::size_t largest = LargestWhileReading(ReadBytes(shop.Make("big.png", "-size 1000x1000 xc:gray")), d);
    ASSERT_TRUE(d) << d.error;
    EXPECT_GE(largest, std::size_t{3000000}) << "the DIB itself";
}

TEST_F(PixelLimit, HugeClaimsAreRefusedBeforeAnyPixelMemory)
{
    const std::string picture = "-size 16x16 gradient:red-blue";
    struct Case {
        const char* ending;
        const char* name;
        const char* options;
        std::vector<std::uint8_t> (*patch)(std::vector<std::uint8_t>);
        bool ourMessage; // refused by the pixel limit rather than by the decoder's own checks
    };
    for (const Case& c :
         {Case{".jpg", "small.jpg", "", &HugeJpeg, true},
          Case{".png", "small.png", "-define png:color-type=2", &HugePng, true},
          Case{".gif", "small.gif", "", &HugeGif, true}, Case{".tif", "small.tif", "-compress none", &HugeTiff, true},
          Case{".webp", "small.webp", "-alpha set -channel A -evaluate set 50% +channel", &HugeWebp, false}}) {
        if (!Reads(c.ending))
            continue;
        SCOPED_TRACE(c.name);
        const std::vector<std::uint8_t> huge = c.patch(ReadBytes(shop.Make(c.name, picture + " " + c.options)));
        ASSERT_FALSE(huge.empty()) << "the header was not found to patch";
        Decoded d;
        EXPECT_LT(LargestWhileReading(huge, d), kSmallAllocation);
        EXPECT_FALSE(d);
        if (c.ourMessage)
            EXPECT_NE(d.error.find("more than the 268435456"), std::string::npos) << d.error;
        else
            EXPECT_FALSE(d.error.empty());
    }
}

} // namespace
} // namespace photo_test
