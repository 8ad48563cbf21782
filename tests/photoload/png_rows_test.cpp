// SPDX-License-Identifier: GPL-3.0-or-later
// The rows of the common PNGs read on two cores against libspng's own decode:
// pictures written here with every row filter, in grey, RGB and RGBA, whole
// and damaged in every way the image data can be, must give the same picture
// or the same error both ways, and the right pixels.
#include "photo_support.h"

#include <zlib.h>

#include <cstring>
#include <random>

namespace photo_test {
namespace {

using vistrel::photoload::ReadRequest;

void Put32(std::vector<std::uint8_t>& out, std::uint32_t v)
{
    for (int shift = 24; shift >= 0; shift -= 8)
        out.push_back(static_cast<std::uint8_t>(v >> shift));
}

void Chunk(std::vector<std::uint8_t>& png, const char* type, const std::uint8_t* data, std::size_t size)
{
    Put32(png, static_cast<std::uint32_t>(size));
    const std::size_t start = png.size();
    png.insert(png.end(), type, type + 4);
    png.insert(png.end(), data, data + size);
    Put32(png, Crc32(png.data() + start, size + 4));
}

// A picture's samples, `channels` per pixel, the same every run.
struct Picture {
    std::uint32_t width, height;
    int colourType; // 0 grey, 2 RGB, 6 RGBA
    std::vector<std::uint8_t> samples;
    int Channels() const { return colourType == 0 ? 1 : colourType == 2 ? 3 : 4; }
};

Picture MakePicture(std::uint32_t width, std::uint32_t height, int colourType, unsigned seed)
{
    Picture p{width, height, colourType, {}};
    std::mt19937 random(seed);
    p.samples.resize(std::size_t{width} * height * p.Channels());
    // Smooth ramps with noise, so that every filter has something to
    // predict, and every third row noise alone, for the predictors' ties.
    const std::size_t rowBytes = std::size_t{width} * p.Channels();
    for (std::size_t i = 0; i < p.samples.size(); ++i)
        p.samples[i] = static_cast<std::uint8_t>(i / rowBytes % 3 == 2 ? random() : i * 7 / 5 + random() % 9);
    return p;
}

std::uint8_t Predict(int filter, int a, int b, int c)
{
    switch (filter) {
    case 1: return static_cast<std::uint8_t>(a);
    case 2: return static_cast<std::uint8_t>(b);
    case 3: return static_cast<std::uint8_t>((a + b) / 2);
    case 4: {
        const int p = a + b - c, pa = std::abs(p - a), pb = std::abs(p - b), pc = std::abs(p - c);
        return static_cast<std::uint8_t>(pa <= pb && pa <= pc ? a : pb <= pc ? b : c);
    }
    default: return 0;
    }
}

// The filtered rows: row y with filter filters[y % size], each row led by
// its filter byte.
std::vector<std::uint8_t> Filtered(const Picture& p, const std::vector<int>& filters)
{
    const std::size_t bpp = p.Channels(), rowBytes = p.width * bpp;
    std::vector<std::uint8_t> out;
    for (std::uint32_t y = 0; y < p.height; ++y) {
        const int filter = filters[y % filters.size()];
        out.push_back(static_cast<std::uint8_t>(filter));
        const std::uint8_t* row = &p.samples[y * rowBytes];
        const std::uint8_t* above = y ? row - rowBytes : nullptr;
        for (std::size_t i = 0; i < rowBytes; ++i) {
            const int a = i >= bpp ? row[i - bpp] : 0, b = above ? above[i] : 0,
                      c = above && i >= bpp ? above[i - bpp] : 0;
            out.push_back(static_cast<std::uint8_t>(row[i] - Predict(filter, a, b, c)));
        }
    }
    return out;
}

// A PNG of the picture, its compressed data in IDAT chunks of `piece` bytes.
std::vector<std::uint8_t> Encode(const Picture& p, const std::vector<int>& filters, std::size_t piece = 1 << 20,
                                 const std::vector<std::uint8_t>* rawOverride = nullptr)
{
    const std::vector<std::uint8_t> raw = rawOverride ? *rawOverride : Filtered(p, filters);
    uLongf size = compressBound(static_cast<uLong>(raw.size()));
    std::vector<std::uint8_t> packed(size);
    EXPECT_EQ(compress2(packed.data(), &size, raw.data(), static_cast<uLong>(raw.size()), 6), Z_OK);
    packed.resize(size);
    std::vector<std::uint8_t> png = {0x89, 'P', 'N', 'G', '\r', '\n', 0x1A, '\n'};
    std::vector<std::uint8_t> ihdr;
    Put32(ihdr, p.width);
    Put32(ihdr, p.height);
    ihdr.insert(ihdr.end(), {8, static_cast<std::uint8_t>(p.colourType), 0, 0, 0});
    Chunk(png, "IHDR", ihdr.data(), ihdr.size());
    for (std::size_t at = 0; at < packed.size(); at += piece)
        Chunk(png, "IDAT", packed.data() + at, std::min(piece, packed.size() - at));
    Chunk(png, "IEND", nullptr, 0);
    return png;
}

// A viewer that wants the picture at half its size, so the rows go through
// the canvas's second thread.
void Half(void*, std::uint32_t width, std::uint32_t height, VistrelNeed* need)
{
    need->flags = VISTREL_NEED_SCALED;
    need->width = std::max(1u, width / 2);
    need->height = std::max(1u, height / 2);
}

const ReadRequest kWhole{};
const ReadRequest kHalf{&Half, nullptr};

class PngRowsTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        if (!Reads(".png"))
            GTEST_SKIP() << "this build reads no PNG";
    }
    static void ExpectSameBothWays(const std::vector<std::uint8_t>& png)
    {
        EXPECT_EQ(PngWaysDiffer(png, kWhole), "");
        EXPECT_EQ(PngWaysDiffer(png, kHalf), "");
    }
};

TEST_F(PngRowsTest, EveryFilterOfEveryFormGivesThePixels)
{
    const std::vector<std::vector<int>> filterSets = {{0}, {1}, {2}, {3}, {4}, {4, 3, 2, 1, 0}};
    for (int colourType : {0, 2, 6}) {
        for (auto [w, h] : {std::pair{1u, 1u}, {1u, 9u}, {9u, 1u}, {37u, 23u}}) {
            const Picture p = MakePicture(w, h, colourType, w * 31 + h);
            for (const std::vector<int>& filters : filterSets) {
                SCOPED_TRACE("colour type " + std::to_string(colourType) + ", " + std::to_string(w) + " x " +
                             std::to_string(h) + ", first filter " + std::to_string(filters[0]));
                const std::vector<std::uint8_t> png = Encode(p, filters, 61);
                ExpectSameBothWays(png);
                const Decoded d = DecodeBytes(png);
                ASSERT_TRUE(d) << d.error;
                ASSERT_EQ(d.rgb.width, w);
                // Grey spreads to red, green and blue; alpha lies over black.
                for (std::uint32_t y = 0; y < h; ++y)
                    for (std::uint32_t x = 0; x < w; ++x) {
                        const std::uint8_t* s = &p.samples[(std::size_t{y} * w + x) * p.Channels()];
                        const int alpha = colourType == 6 ? s[3] : 255;
                        for (int c = 0; c < 3; ++c) {
                            const int sample = colourType == 0 ? s[0] : s[c];
                            ASSERT_EQ(d.rgb.At(x, y)[c], (sample * alpha + 127) / 255) << x << "," << y;
                        }
                    }
            }
        }
    }
}

// The image data cut short or damaged anywhere: the same rows and the same
// error both ways.
TEST_F(PngRowsTest, DamagedImageDataStopsWhereLibspngStops)
{
    const Picture p = MakePicture(29, 17, 2, 5);
    const std::vector<std::uint8_t> png = Encode(p, {4, 1, 2, 3, 0}, 97);
    std::size_t firstIdat = 0;
    while (std::memcmp(png.data() + firstIdat + 4, "IDAT", 4) != 0)
        firstIdat += firstIdat ? 12 + (std::size_t{png[firstIdat]} << 24 | png[firstIdat + 1] << 16 |
                                       png[firstIdat + 2] << 8 | png[firstIdat + 3])
                               : 8;
    for (std::size_t cut = firstIdat; cut < png.size(); cut += 3) {
        SCOPED_TRACE("cut at " + std::to_string(cut));
        ExpectSameBothWays(std::vector<std::uint8_t>(png.begin(), png.begin() + static_cast<long>(cut)));
    }
    std::mt19937 random(17);
    for (std::size_t at = firstIdat; at < png.size(); ++at) {
        std::vector<std::uint8_t> damaged = png;
        damaged[at] ^= static_cast<std::uint8_t>(1 + random() % 255);
        SCOPED_TRACE("damaged at " + std::to_string(at));
        ExpectSameBothWays(damaged);
    }
}

// What a sound checksum does not catch: a filter type that does not exist,
// image data that ends early or goes on, empty and foreign chunks among the
// IDAT chunks.
TEST_F(PngRowsTest, OddImageDataWithSoundChecksums)
{
    const Picture p = MakePicture(13, 11, 6, 9);
    std::vector<std::uint8_t> raw = Filtered(p, {1, 4});
    const std::size_t scanline = 13 * 4 + 1;
    for (std::uint32_t row : {0u, 5u, 10u}) {
        std::vector<std::uint8_t> bad = raw;
        bad[row * scanline] = 5;
        SCOPED_TRACE("filter 5 in row " + std::to_string(row));
        ExpectSameBothWays(Encode(p, {}, 40, &bad));
    }
    std::vector<std::uint8_t> shortData(raw.begin(), raw.end() - 20), longData = raw;
    longData.insert(longData.end(), 300, 7);
    ExpectSameBothWays(Encode(p, {}, 33, &shortData));
    ExpectSameBothWays(Encode(p, {}, 33, &longData));

    // An empty IDAT chunk, then a tEXt chunk, among the image data.
    const std::vector<std::uint8_t> png = Encode(p, {1, 4}, 50);
    std::size_t second = 8 + 25; // after IHDR
    second += 12 + 50;           // after the first IDAT
    std::vector<std::uint8_t> empty(png.begin(), png.begin() + static_cast<long>(second)), text = empty;
    Chunk(empty, "IDAT", nullptr, 0);
    const std::uint8_t words[] = {'a', 0, 'b'};
    Chunk(text, "tEXt", words, sizeof words);
    for (std::vector<std::uint8_t>* with : {&empty, &text}) {
        with->insert(with->end(), png.begin() + static_cast<long>(second), png.end());
        ExpectSameBothWays(*with);
    }
    EXPECT_TRUE(DecodeBytes(empty)); // an empty chunk is no damage
}

} // namespace
} // namespace photo_test
