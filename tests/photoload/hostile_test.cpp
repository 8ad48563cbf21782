// SPDX-License-Identifier: GPL-3.0-or-later
// Damaged and truncated files: every cut and every damage gives a clear
// error or the part that decoded, never a crash or a read outside a buffer
// (the sanitizer builds run these too).
#include "photo_support.h"

#include <cstring>

#include <random>

namespace photo_test {
namespace {

struct Sample {
    std::string ending;
    std::vector<std::uint8_t> bytes;
};

class Hostile : public ::testing::Test {
protected:
    static void SetUpTestSuite()
    {
        shop_ = new Workshop;
        samples_ = new std::vector<Sample>;
        if (!HaveConvert())
            return;
        const fs::path source = shop_->Make("source.png", "-size 80x60 -seed 2 plasma:fractal -depth 8");
        const std::pair<const char*, const char*> made[] = {
            {"a.jpg", "-quality 90"},
            {"p.jpg", "-quality 90 -interlace JPEG"},
            {"a.png", ""},
            {"i.png", "-interlace PNG"},
            {"a.webp", "-quality 80"},
            {"l.webp", "-define webp:lossless=true"},
            {"a.gif", ""},
            {"a.tif", "-compress lzw"},
            {"a.heic", "-quality 80"},
            {"a.avif", "-quality 80"},
        };
        for (const auto& [name, options] : made) {
            const std::string ending = fs::path(name).extension().string();
            if (!Reads(ending))
                continue;
            const fs::path file = shop_->Make(name, Quoted(source) + " " + options);
            if (fs::exists(file) && fs::file_size(file) > 0)
                samples_->push_back({ending, ReadBytes(file)});
        }
        const fs::path jxl = shop_->File("a.jxl");
        if (Reads(".jxl") && HaveProgram("/usr/bin/vips") &&
            RunCommand("/usr/bin/vips copy " + Quoted(source) + " " + Quoted(jxl.string() + "[Q=80]")))
            samples_->push_back({".jxl", ReadBytes(jxl)});
    }
    static void TearDownTestSuite()
    {
        delete samples_;
        delete shop_;
        samples_ = nullptr;
        shop_ = nullptr;
    }
    void SetUp() override { PHOTO_REQUIRE_CONVERT(); }

    // Either an error in words or a picture no larger than the file's.
    static void ExpectErrorOrPicture(const std::vector<std::uint8_t>& bytes)
    {
        Decoded d = DecodeBytes(bytes);
        if (d) {
            // A damaged header may claim any size up to the limit.
            EXPECT_GE(d.rgb.width, 1u);
            EXPECT_LE(std::uint64_t{d.rgb.width} * d.rgb.height, vistrel::photoload::kMaxPixels);
        } else {
            EXPECT_GE(d.error.size(), 10u) << "an error in words";
        }
    }

    static Workshop* shop_;
    static std::vector<Sample>* samples_;
};

Workshop* Hostile::shop_ = nullptr;
std::vector<Sample>* Hostile::samples_ = nullptr;

TEST_F(Hostile, TruncatedFilesOfEveryFormat)
{
    ASSERT_GE(samples_->size(), 5u);
    for (const Sample& s : *samples_) {
        const std::size_t size = s.bytes.size();
        for (std::size_t cut : {std::size_t{0}, std::size_t{1}, std::size_t{4}, std::size_t{12}, std::size_t{30},
                                std::size_t{100}, size / 4, size / 2, size * 3 / 4, size - 1}) {
            if (cut >= size)
                continue;
            SCOPED_TRACE(s.ending + " cut to " + std::to_string(cut) + " of " + std::to_string(size));
            ExpectErrorOrPicture(std::vector<std::uint8_t>(s.bytes.begin(), s.bytes.begin() + std::ptrdiff_t(cut)));
        }
    }
}

// A file cut in its pixel data still shows what decoded: the picture at its
// full size, the missing part filled; its top rows as in the whole file.
TEST_F(Hostile, ACutPictureShowsThePartThatDecoded)
{
    const fs::path source = shop_->Make("large.png", "-size 400x300 -seed 3 plasma:fractal -depth 8");
    for (const char* name : {"cut.jpg", "cut.png", "cut.gif"}) {
        if (!Reads(fs::path(name).extension().string()))
            continue;
        SCOPED_TRACE(name);
        const std::vector<std::uint8_t> whole = ReadBytes(shop_->Make(name, Quoted(source)));
        Decoded full = DecodeBytes(whole);
        Decoded cut =
            DecodeBytes(std::vector<std::uint8_t>(whole.begin(), whole.begin() + std::ptrdiff_t(whole.size() * 2 / 3)));
        ASSERT_TRUE(full) << full.error;
        ASSERT_TRUE(cut) << cut.error;
        ASSERT_EQ(cut.rgb.width, 400u);
        ASSERT_EQ(cut.rgb.height, 300u);
        EXPECT_TRUE(std::equal(cut.rgb.pixels.begin(), cut.rgb.pixels.begin() + 400 * 3 * 50, full.rgb.pixels.begin()));
    }
}

// A plain PNG's image data with a wrong chunk checksum, a chunk length past
// the end of the file, or damaged compressed data: an error, or the rows
// before the damage, and never a read outside the file.
TEST_F(Hostile, DamagedImageDataOfAPlainPng)
{
    if (!Reads(".png"))
        GTEST_SKIP() << "this build reads no PNG";
    const fs::path source = shop_->Make("plain.png", "-size 200x150 -seed 4 plasma:fractal -depth 8 -quality 95");
    const std::vector<std::uint8_t> whole = ReadBytes(source);
    std::size_t idat = 0;
    for (std::size_t i = 8; i + 8 < whole.size(); ++i)
        if (std::memcmp(whole.data() + i, "IDAT", 4) == 0) {
            idat = i - 4;
            break;
        }
    ASSERT_GT(idat, 0u);
    std::vector<std::uint8_t> badSum = whole;
    badSum[idat + 8 + 100] ^= 0x40; // the chunk's checksum no longer matches
    ExpectErrorOrPicture(badSum);

    std::vector<std::uint8_t> longChunk = whole; // a length past the end of the file
    longChunk[idat] = 0x7F;
    EXPECT_FALSE(DecodeBytes(longChunk));

    // Damaged compressed data with its checksum made to match: an error or
    // the rows before the damage, never anything outside the picture.
    std::mt19937 random(99);
    for (int round = 0; round < 30; ++round) {
        std::vector<std::uint8_t> damaged = whole;
        const std::size_t length = (std::size_t{damaged[idat]} << 24) | (std::size_t{damaged[idat + 1]} << 16) |
                                   (std::size_t{damaged[idat + 2]} << 8) | damaged[idat + 3];
        damaged[idat + 8 + random() % length] = static_cast<std::uint8_t>(random());
        const std::uint32_t crc = Crc32(damaged.data() + idat + 4, length + 4);
        for (int k = 0; k < 4; ++k)
            damaged[idat + 8 + length + k] = static_cast<std::uint8_t>(crc >> (24 - 8 * k));
        SCOPED_TRACE("round " + std::to_string(round));
        ExpectErrorOrPicture(damaged);
    }
}

TEST_F(Hostile, DamagedBytesOfEveryFormat)
{
    std::mt19937 random(1234);
    for (const Sample& s : *samples_) {
        for (int round = 0; round < 40; ++round) {
            std::vector<std::uint8_t> damaged = s.bytes;
            const int changes = 1 + round % 8;
            for (int k = 0; k < changes; ++k)
                damaged[random() % damaged.size()] = static_cast<std::uint8_t>(random());
            SCOPED_TRACE(s.ending + " round " + std::to_string(round));
            ExpectErrorOrPicture(damaged);
        }
    }
}

} // namespace
} // namespace photo_test
