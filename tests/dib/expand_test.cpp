// SPDX-License-Identifier: GPL-3.0-or-later
// Expanding what a reader hands over into 24-bit pixels for a display: the
// run-length codes by hand, hostile codes that must stay inside the picture,
// and the plain forms.
#include <gtest/gtest.h>

#include "dib_builders.h"
#include "vistrel/dib/convert.h"
#include "vistrel/dib/expand.h"

#include <string>
#include <thread>

namespace vistrel::dib::test {
namespace {

// A run-length coded DIB of w x h with a 4-entry table: 0 red, 1 green,
// 2 blue, 3 white (and no more, so higher indices are past the table).
gmem::Handle MakeRunLength(std::uint32_t w, std::uint32_t h, bool fourBits, const std::vector<std::uint8_t>& codes)
{
    const std::uint32_t colors[] = {0xFF0000, 0x00FF00, 0x0000FF, 0xFFFFFF};
    gmem::Handle dib = gmem::Alloc(kImageFlags, kInfoHeaderSize + 16 + codes.size());
    LockedBlock b(dib);
    InfoHeader header;
    header.biWidth = static_cast<std::int32_t>(w);
    header.biHeight = static_cast<std::int32_t>(h);
    header.biBitCount = fourBits ? 4 : 8;
    header.biCompression = fourBits ? kRle4 : kRle8;
    header.biSizeImage = static_cast<std::uint32_t>(codes.size());
    header.biClrUsed = 4;
    StoreHeader(b.bytes(), header);
    for (int i = 0; i < 4; ++i)
        StoreU32(b.bytes() + kInfoHeaderSize + 4 * i, colors[i]);
    if (!codes.empty())
        std::memcpy(b.bytes() + kInfoHeaderSize + 16, codes.data(), codes.size());
    return dib;
}

// The expanded picture as letters, top row first: r g b w for the table's
// colours, '.' for black.
std::vector<std::string> Letters(gmem::Handle dib)
{
    gmem::Owner expanded(ExpandDIBTo24(dib));
    EXPECT_TRUE(expanded) << DibLastError();
    if (!expanded)
        return {};
    View v = Look(expanded.get());
    EXPECT_EQ(v.header.biBitCount, 24);
    EXPECT_EQ(v.header.biCompression, kRgb);
    std::vector<std::string> rows;
    for (std::uint32_t y = static_cast<std::uint32_t>(v.header.biHeight); y-- > 0;) {
        std::string row;
        for (std::uint32_t x = 0; x < static_cast<std::uint32_t>(v.header.biWidth); ++x) {
            const std::uint32_t rgb = std::uint32_t{v.at(x, y, 2)} << 16 | v.at(x, y, 1) << 8 | v.at(x, y, 0);
            row += rgb == 0xFF0000   ? 'r'
                   : rgb == 0x00FF00 ? 'g'
                   : rgb == 0x0000FF ? 'b'
                   : rgb == 0xFFFFFF ? 'w'
                   : rgb == 0        ? '.'
                                     : '?';
        }
        rows.push_back(row);
    }
    return rows;
}

using Rows = std::vector<std::string>;

TEST(ExpandDIBTo24, RunLength8RunsLiteralsDeltasAndEnds)
{
    gmem::Owner dib(MakeRunLength(6, 3, false,
                                  {
                                      3, 1, 0, 3, 2, 0, 3, 0, // bottom row: 3 green, literal b r w, padding
                                      0, 0,                   // end of line
                                      0, 2, 2, 0,             // delta: two to the right
                                      2, 3,                   // 2 white
                                      0, 0,                   // end of line
                                      6, 0,                   // top row all red
                                      0, 1,                   // end of picture
                                      5, 1,                   // never reached
                                  }));
    EXPECT_EQ(Letters(dib.get()), (Rows{"rrrrrr", "..ww..", "gggbrw"}));
    EXPECT_EQ(GetDIBBitPerPixel(dib.get()), 8u) << "the input stays as it was";
}

TEST(ExpandDIBTo24, RunLength4TakesHighNibbleFirst)
{
    gmem::Owner dib(MakeRunLength(5, 2, true,
                                  {
                                      5,
                                      0x12, // g b g b g
                                      0,
                                      0, // end of line
                                      0,
                                      3,
                                      0x30,
                                      0x10, // literal w r g, padded to 16 bits
                                      2,
                                      0x00, // r r
                                      0,
                                      1,
                                  }));
    EXPECT_EQ(Letters(dib.get()), (Rows{"wrgrr", "gbgbg"}));
}

// Codes made to write past the picture: runs beyond the row's end, deltas
// beyond the picture, indices past the table, literals and deltas cut off by
// the end of the data. Everything stays inside, skipped pixels are black.
TEST(ExpandDIBTo24, HostileCodesStayInsideThePicture)
{
    struct Case {
        const char* what;
        std::vector<std::uint8_t> codes;
        Rows expected;
    };
    for (const Case& c : {
             Case{"run past the row", {255, 1, 0, 0, 9, 2}, {"bbbb", "gggg"}},
             Case{"delta past the right edge", {0, 2, 200, 0, 3, 1}, {"....", "...."}},
             Case{"delta past the top", {0, 2, 0, 250, 4, 1, 0, 0, 4, 1}, {"....", "...."}},
             Case{"index past the table", {2, 7, 2, 3}, {"....", "..ww"}},
             Case{"literal cut short", {0, 4, 1, 2}, {"....", "gb.."}},
             Case{"delta cut short", {1, 3, 0, 2, 1}, {"....", "w..."}},
             Case{"no end codes at all", {}, {"....", "...."}},
             Case{"a lone byte", {4}, {"....", "...."}},
             Case{"endless ends of line", std::vector<std::uint8_t>(4000, 0), {"....", "...."}},
         }) {
        SCOPED_TRACE(c.what);
        gmem::Owner dib(MakeRunLength(4, 2, false, c.codes));
        EXPECT_EQ(Letters(dib.get()), c.expected);
    }
    gmem::Owner four(MakeRunLength(3, 1, true, {0, 9, 0x12, 0x30, 0x12}));
    EXPECT_EQ(Letters(four.get()), Rows{"gbw"}) << "a literal longer than the row";
}

TEST(ExpandDIBTo24, PlainFormsAndRefusals)
{
    gmem::Owner one(MakeDib(10, 2, 1, {0x000000, 0xFFFFFF}, [](std::uint32_t x, std::uint32_t y) {
        return static_cast<std::uint8_t>(y == 0 ? 0xAA : (x == 0 ? 0x80 : 0));
    }));
    EXPECT_EQ(Letters(one.get()), (Rows{"w.........", "w.w.w.w.w."}));
    gmem::Owner eight(MakeDib(2, 1, 8, {0x0000FF}, [](std::uint32_t x, std::uint32_t) {
        return static_cast<std::uint8_t>(x == 0 ? 0 : 200); // 200 is past the table
    }));
    EXPECT_EQ(Letters(eight.get()), Rows{"b."});
    gmem::Owner wide(MakeDib(2, 1, 32, {}, [](std::uint32_t byte, std::uint32_t) {
        return static_cast<std::uint8_t>(byte < 4 ? (byte == 2 ? 0xFF : 0) : 0xFF); // red, white
    }));
    EXPECT_EQ(Letters(wide.get()), Rows{"rw"});

    gmem::Owner sixteen(MakeDib(2, 1, 16, {}, [](std::uint32_t, std::uint32_t) { return std::uint8_t{0}; }));
    EXPECT_EQ(ExpandDIBTo24(sixteen.get()), nullptr);
    EXPECT_EQ(std::string(DibLastError()), "ExpandDIBTo24: Unsupported pixel format");
    EXPECT_EQ(ExpandDIBTo24(nullptr), nullptr);
}

TEST(ExpandDIBTo24, EachThreadReadsItsOwnFailure)
{
    // The list manager's preview worker expands pictures while its window
    // may fail a conversion of its own.
    gmem::Owner sixteen(MakeDib(2, 1, 16, {}, [](std::uint32_t, std::uint32_t) { return std::uint8_t{0}; }));
    ASSERT_EQ(ExpandDIBTo24(sixteen.get()), nullptr);
    std::string workersMessage;
    std::thread worker([&] {
        workersMessage = DibLastError();
        ExpandDIBTo24(nullptr);
    });
    worker.join();
    EXPECT_EQ(workersMessage, "") << "no failure on that thread yet";
    EXPECT_EQ(std::string(DibLastError()), "ExpandDIBTo24: Unsupported pixel format");
}

} // namespace
} // namespace vistrel::dib::test
