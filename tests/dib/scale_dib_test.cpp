// SPDX-License-Identifier: GPL-3.0-or-later
#include <gtest/gtest.h>

#include <random>
#include <string>
#include <vector>

#include "dib_builders.h"
#include "vistrel/dib/scale.h"

namespace vistrel::dib {
namespace {

using test::Look;
using test::Make24;
using test::Uniform24;

struct Recorded {
    std::string text, caption;
    unsigned style = 0;
};
std::vector<Recorded> g_messages;
int Record(const char* text, const char* caption, unsigned style)
{
    g_messages.push_back({text, caption, style});
    return 1;
}

// Scales a 24-bit image of w × h grey values (one per pixel, all channels
// alike) and returns the output values of channel 0, bottom row first.
std::vector<int> ScaleGrey(std::uint32_t w, std::uint32_t h, const std::vector<int>& grey, std::uint32_t dW,
                           std::uint32_t dH, int mode = kAreaAveraging)
{
    gmem::Owner src(Make24(w, h, [&](std::uint32_t x, std::uint32_t y, int) {
        return static_cast<std::uint8_t>(grey[y * w + x]);
    }));
    gmem::Owner out(ScaleDIB(src.get(), dW, dH, mode));
    test::View v = Look(out.get());
    std::vector<int> values;
    for (std::uint32_t y = 0; y < dH; ++y)
        for (std::uint32_t x = 0; x < dW; ++x)
            values.push_back(v.at(x, y, 0));
    return values;
}

TEST(ScaleDIB, RefusesWhatItCannotScaleWithItsMessages)
{
    ScaleHooks hooks;
    hooks.message = Record;
    auto failsWith = [&](gmem::Handle src, std::uint32_t dW, std::uint32_t dH, const char* text) {
        g_messages.clear();
        EXPECT_EQ(ScaleDIB(src, dW, dH, kAreaAveraging, hooks), nullptr);
        ASSERT_EQ(g_messages.size(), 1u);
        EXPECT_EQ(g_messages[0].text, text);
        EXPECT_EQ(g_messages[0].caption, "S_W");
        EXPECT_EQ(g_messages[0].style, 0x30u);
    };
    failsWith(nullptr, 4, 4, "ScaleDIB: invalid source DIB");

    gmem::Owner good(Uniform24(4, 4, 9));
    auto patched = [&](std::size_t offset, std::uint32_t value) {
        gmem::Handle copy = gmem::Alloc(kImageFlags, gmem::Size(good.get()));
        LockedBlock from(good.get()), to(copy);
        std::memcpy(to.bytes(), from.bytes(), from.size());
        StoreU32(to.bytes() + offset, value);
        return gmem::Owner(copy);
    };
    failsWith(patched(0, 12).get(), 4, 4, "ScaleDIB: I don't support OS/2-Bitmaps!");
    failsWith(patched(16, kRle8).get(), 4, 4, "ScaleDIB: I don't support RLE-Bitmaps!");
    failsWith(patched(32, 2).get(), 4, 4, "ScaleDIB: I support only 24-Bit DIBs!"); // carries a colour table
    gmem::Owner eight(test::MakeDib(4, 4, 8, {0, 0xFFFFFF}, [](std::uint32_t, std::uint32_t) { return 1; }));
    failsWith(eight.get(), 4, 4, "ScaleDIB: I support only 24-Bit DIBs!");
    const char* zero = "ScaleDIB: Source-Lx or Source-Ly or Dest-Lx or Dest-Ly is Zero";
    failsWith(good.get(), 0, 4, zero);
    failsWith(good.get(), 4, 0, zero);
    failsWith(patched(4, 0).get(), 4, 4, zero);
    // A header that promises more rows than the block holds is not read.
    failsWith(patched(8, 5000).get(), 4, 4, "ScaleDIB: invalid source DIB");
    failsWith(patched(4, 0xFFFFFFFF).get(), 4, 4, "ScaleDIB: invalid source DIB"); // width -1
    // 100000 × 100000 pixels would be 30 GB: refused, not attempted.
    failsWith(good.get(), 100000, 100000, "ScaleDIB: Can't create (GlobalAlloc) Destination DIB");

    // Without a message sink failures are silent.
    g_messages.clear();
    EXPECT_EQ(ScaleDIB(good.get(), 0, 1, kNearestPixel), nullptr);
    EXPECT_TRUE(g_messages.empty());
}

TEST(ScaleDIB, SameSizeReproducesTheSourceInBothModes)
{
    for (std::uint32_t w : {1u, 2u, 3u, 5u, 17u}) {
        gmem::Owner src(Make24(w, 3, [](std::uint32_t x, std::uint32_t y, int c) {
            return static_cast<std::uint8_t>(x * 37 + y * 91 + c * 13);
        }));
        for (int mode : {kNearestPixel, kAreaAveraging}) {
            gmem::Owner out(ScaleDIB(src.get(), w, 3, mode));
            test::View a = Look(src.get()), b = Look(out.get());
            EXPECT_EQ(b.header.biXPelsPerMeter, 2953);
            EXPECT_EQ(b.header.biSizeImage, a.header.biSizeImage);
            EXPECT_TRUE(std::equal(a.bytes.begin() + 40, a.bytes.end(), b.bytes.begin() + 40)) << w << " " << mode;
        }
    }
}

TEST(ScaleDIB, AreaAveragingExamples)
{
    // Halving: each channel is the mean of its 2 × 2 block, rounded half up.
    EXPECT_EQ(ScaleGrey(4, 2, {10, 11, 0, 0, 12, 13, 0, 0}, 2, 1), (std::vector<int>{12, 0}));
    // Widening interpolates between pixel centres over each output footprint.
    EXPECT_EQ(ScaleGrey(2, 1, {0, 100}, 4, 1), (std::vector<int>{0, 25, 75, 100}));
    EXPECT_EQ(ScaleGrey(1, 2, {0, 100}, 1, 4), (std::vector<int>{0, 25, 75, 100}));
    // The first and last output rows straddle a row centre.
    EXPECT_EQ(ScaleGrey(1, 3, {0, 100, 200}, 1, 4), (std::vector<int>{4, 63, 138, 196}));
    // One pixel widened repeats in every column.
    EXPECT_EQ(ScaleGrey(1, 1, {77}, 5, 1), (std::vector<int>(5, 77)));
    // Wider and lower: each output row is the stretched copy of the source
    // row that closes it; rows are not averaged.
    EXPECT_EQ(ScaleGrey(2, 4, {0, 100, 50, 50, 90, 90, 10, 10}, 4, 2),
              (std::vector<int>{50, 50, 50, 50, 10, 10, 10, 10}));
}

TEST(ScaleDIB, NearestPixelTakesThePixelAtEachStep)
{
    EXPECT_EQ(ScaleGrey(4, 1, {1, 2, 3, 4}, 2, 1, kNearestPixel), (std::vector<int>{1, 3}));
    EXPECT_EQ(ScaleGrey(2, 1, {1, 2}, 5, 1, kNearestPixel), (std::vector<int>{1, 1, 1, 2, 2}));
    EXPECT_EQ(ScaleGrey(1, 3, {1, 2, 3}, 1, 2, kNearestPixel), (std::vector<int>{1, 2}));
}

TEST(ScaleDIB, PaddingBytesOfTheResultAreZero)
{
    gmem::Owner src(Uniform24(7, 5, 200));
    for (std::uint32_t w : {1u, 2u, 3u, 5u})
        for (int mode : {kNearestPixel, kAreaAveraging}) {
            gmem::Owner out(ScaleDIB(src.get(), w, 3, mode));
            test::View v = Look(out.get());
            ASSERT_EQ(v.bytes.size(), 40 + v.stride * 3);
            for (std::size_t y = 0; y < 3; ++y)
                for (std::size_t i = 0; i < v.stride; ++i)
                    EXPECT_EQ(v.raw(y, i), i < 3 * w ? 200 : 0) << w << " " << y << " " << i;
        }
}

// The row boundary of the height-shrinking pass runs in single precision and
// drifts. Every output row must still be closed once: a uniform image stays
// uniform, the top row included, and nothing is written past the result.
TEST(ScaleDIB, EveryOutputRowIsClosedExactlyOnce)
{
    const std::pair<std::uint32_t, std::uint32_t> heights[] = {
        {3000, 1080}, {1080, 772}, {4000, 1080}, {2160, 1080}, {12001, 12000}, {12000, 7}, {20000, 1080},
        {16411, 16000}, {30000, 29999}, {40000, 39000}, {50000, 1080}};
    for (auto [sH, dH] : heights) {
        gmem::Owner src(Uniform24(2, sH, 255));
        gmem::Owner out(ScaleDIB(src.get(), 1, dH, kAreaAveraging));
        test::View v = Look(out.get());
        ASSERT_EQ(v.bytes.size(), 40 + 4 * std::size_t{dH});
        for (std::uint32_t y = 0; y < dH; ++y)
            ASSERT_EQ(v.at(0, y, 1), 255) << sH << " -> " << dH << " row " << y;
    }
    // The same across the width, where the boundary runs in double precision
    // but still drifts for very wide rows.
    for (auto [sW, dW] : {std::pair{40000u, 1080u}, std::pair{33333u, 33332u}}) {
        gmem::Owner src(Uniform24(sW, 1, 255));
        gmem::Owner out(ScaleDIB(src.get(), dW, 1, kAreaAveraging));
        test::View v = Look(out.get());
        for (std::uint32_t x = 0; x < dW; ++x)
            ASSERT_EQ(v.at(x, 0, 2), 255) << sW << " -> " << dW << " column " << x;
    }
}

TEST(ScaleDIB, UniformImagesStayUniformAtManySizes)
{
    std::mt19937 rng(7);
    auto next = [&rng]() { return static_cast<std::uint32_t>(1 + rng() % 300); };
    for (int n = 0; n < 300; ++n) {
        std::uint32_t sW = next(), sH = next(), dW = next(), dH = next();
        gmem::Owner src(Uniform24(sW, sH, 255));
        gmem::Owner out(ScaleDIB(src.get(), dW, dH, kAreaAveraging));
        test::View v = Look(out.get());
        for (std::uint32_t y = 0; y < dH; ++y)
            for (std::uint32_t x = 0; x < dW; ++x)
                ASSERT_EQ(v.at(x, y, 0), 255) << sW << "x" << sH << " -> " << dW << "x" << dH << " at " << x << "," << y;
    }
}

} // namespace
} // namespace vistrel::dib
