// SPDX-License-Identifier: GPL-3.0-or-later
// The row-by-row scaler must give ScaleDIB's bytes exactly, whatever the
// sizes, and rows that never come must count as black rows of the picture.
#include <gtest/gtest.h>

#include <algorithm>
#include <random>
#include <vector>

#include "dib_builders.h"
#include "vistrel/dib/scale.h"
#include "vistrel/dib/scale_stream.h"

namespace vistrel::dib {
namespace {

constexpr std::size_t kPlenty = std::size_t{64} << 20;

// Streams the top `rows` rows of `src` (a test DIB) and returns the result's
// pixel bytes, laid out as ScaleDIB's.
std::vector<std::uint8_t> Streamed(gmem::Handle src, std::uint32_t dW, std::uint32_t dH, std::uint32_t rows)
{
    const test::View in = test::Look(src);
    const auto sW = static_cast<std::uint32_t>(in.header.biWidth), sH = static_cast<std::uint32_t>(in.header.biHeight);
    const std::size_t stride = DIBWidthBytes(24, dW);
    std::vector<std::uint8_t> out(stride * dH, 0);
    StreamingScaler scaler(sW, sH, out.data(), stride, dW, dH);
    for (std::uint32_t k = 0; k < rows; ++k)
        scaler.Push(in.bytes.data() + in.bits + (sH - 1 - k) * in.stride);
    EXPECT_EQ(scaler.RowsPushed(), std::min(rows, sH));
    scaler.Finish();
    EXPECT_EQ(scaler.RowsPushed(), sH);
    return out;
}

void ExpectSameAsScaleDIB(std::uint32_t sW, std::uint32_t sH, std::uint32_t dW, std::uint32_t dH, unsigned seed,
                          std::uint32_t rowsGiven)
{
    ASSERT_TRUE(StreamingScaler::Streams(sW, sH, dW, dH, kPlenty)) << sW << "x" << sH << " -> " << dW << "x" << dH;
    std::mt19937 rng(seed);
    // Rows past `rowsGiven` (from the top) are black, as a decoder that
    // stopped there leaves them.
    gmem::Owner src(test::Make24(sW, sH, [&](std::uint32_t, std::uint32_t y, int) {
        const std::uint8_t v = static_cast<std::uint8_t>(rng());
        return sH - 1 - y < rowsGiven ? v : std::uint8_t{0};
    }));
    gmem::Owner whole(ScaleDIB(src.get(), dW, dH, kAreaAveraging));
    ASSERT_TRUE(whole);
    const test::View want = test::Look(whole.get());
    const std::vector<std::uint8_t> got = Streamed(src.get(), dW, dH, rowsGiven);
    ASSERT_EQ(got.size(), want.bytes.size() - want.bits);
    auto diff = std::mismatch(got.begin(), got.end(), want.bytes.begin() + static_cast<std::ptrdiff_t>(want.bits));
    ASSERT_TRUE(diff.first == got.end()) << sW << "x" << sH << " -> " << dW << "x" << dH << ": byte "
                                         << (diff.first - got.begin()) << " is " << int(*diff.first)
                                         << ", ScaleDIB made " << int(*diff.second);
}

TEST(StreamingScaler, GivesScaleDIBsBytesAtRandomSizes)
{
    std::mt19937 rng(77);
    for (int n = 0; n < 300; ++n) {
        auto size = [&]() { return static_cast<std::uint32_t>(1 + rng() % (n % 4 == 0 ? 9 : 150)); };
        std::uint32_t sW = size(), sH = size(), dW = size(), dH = size();
        if (dH > sH)
            std::swap(dH, sH); // the height shrinks or stays; the width either way
        ExpectSameAsScaleDIB(sW, sH, dW, dH, static_cast<unsigned>(n), sH);
    }
}

TEST(StreamingScaler, GivesScaleDIBsBytesAtPhotographSizes)
{
    ExpectSameAsScaleDIB(2250, 1500, 1620, 1080, 1, 1500); // a JPEG at 3/8 on 1920 x 1080
    ExpectSameAsScaleDIB(4000, 3000, 1440, 1080, 2, 3000); // a PNG on 1920 x 1080
    ExpectSameAsScaleDIB(1100, 1090, 1080, 1080, 3, 1090); // next to no shrink
    ExpectSameAsScaleDIB(300, 900, 1200, 800, 4, 900);     // wider, lower
    ExpectSameAsScaleDIB(3, 3000, 2, 1080, 5, 3000);       // the drifting row boundary
    ExpectSameAsScaleDIB(2, 40000, 1, 39000, 6, 40000);    // closes late by several rows
}

TEST(StreamingScaler, RowsThatNeverCameAreBlack)
{
    ExpectSameAsScaleDIB(640, 480, 200, 150, 7, 0);
    ExpectSameAsScaleDIB(640, 480, 200, 150, 8, 1);
    ExpectSameAsScaleDIB(640, 480, 200, 150, 9, 301);
    ExpectSameAsScaleDIB(640, 480, 900, 150, 10, 233);
}

TEST(StreamingScaler, ExtraRowsAreIgnored)
{
    gmem::Owner src(test::Uniform24(30, 20, 200));
    const std::vector<std::uint8_t> once = Streamed(src.get(), 10, 10, 20);
    const std::vector<std::uint8_t> more = Streamed(src.get(), 10, 10, 25); // pushes past the height
    EXPECT_EQ(once, more);
}

TEST(StreamingScaler, RefusesGrowingHeightsAndTooLittleMemory)
{
    EXPECT_FALSE(StreamingScaler::Streams(100, 100, 50, 101, kPlenty));
    EXPECT_FALSE(StreamingScaler::Streams(0, 100, 50, 50, kPlenty));
    EXPECT_TRUE(StreamingScaler::Streams(4000, 3000, 1440, 1080, kPlenty));
    // One output row meets every one of a million rows: its sums would not fit.
    EXPECT_FALSE(StreamingScaler::Streams(1000, 1000000, 1000, 1, kPlenty));
}

} // namespace
} // namespace vistrel::dib
