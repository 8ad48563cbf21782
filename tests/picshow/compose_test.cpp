// SPDX-License-Identifier: GPL-3.0-or-later
// The composition of each mode against pictures computed here. Sizes are
// chosen so that every resampling is an exact integer shrink, whose area
// average is a plain block mean.
#include "compose.h"
#include "fit_size.h"
#include "picture.h"
#include "vistrel/wallpaper/wallpaper_file.h"

#include "vistrel/dib/dib.h"

#include <gtest/gtest.h>

namespace picshow {
namespace {

using test::Picture;

constexpr std::uint32_t kBackground = 0x102030;

// Owns an input image and whatever the composition made.
struct Composed {
    gmem::Owner image;
    Composition result;
    std::string before;

    Composed(gmem::Handle input, const ViewerSettings& settings, const Screen& screen)
        : image(input), before(test::BlockBytes(input))
    {
        result = Compose(image.get(), settings, screen);
    }
    ~Composed()
    {
        if (result.IsNew(image.get()))
            gmem::Free(result.picture);
    }
    std::optional<Picture> picture() const { return test::ReadDIB24(result.picture); }
    // The input is never changed, whatever the mode did.
    bool InputUntouched() const { return test::BlockBytes(image.get()) == before; }
};

ViewerSettings Mode(std::uint32_t mode)
{
    ViewerSettings s;
    s.mode = mode;
    return s;
}

ViewerSettings FreePos(std::uint32_t variant, int x, int y, int lx, int ly, bool preserve = true)
{
    ViewerSettings s = Mode(kFreePos);
    s.flags = variant | (preserve ? kPreserveProportions : 0);
    s.x = x;
    s.y = y;
    s.lx = lx;
    s.ly = ly;
    return s;
}

Screen ScreenOf(int w, int h, int workRight = 0, int workBottom = 0)
{
    return Screen{w, h, workRight ? workRight : w, workBottom ? workBottom : h, kBackground};
}

TEST(FitSize, TheDocumentedExamples)
{
    FitResult fit = FitSize(6000, 4000, 1024, 768);
    EXPECT_EQ(fit.width, 1024);
    EXPECT_EQ(fit.height, 683);
    EXPECT_TRUE(fit.ok);
    FitResult border = WithBorder(fit, 20);
    EXPECT_EQ(border.width, 819);
    EXPECT_EQ(border.height, 546);
    FitResult tile = AsTile(fit, 3);
    EXPECT_EQ(tile.width, 341);
    EXPECT_EQ(tile.height, 228);

    struct Case {
        int sw, sh, W, H, w, h;
    } cases[] = {{640, 480, 1024, 768, 1024, 768}, {300, 900, 1024, 768, 256, 768}, {1, 1, 800, 600, 600, 600}};
    for (const Case& c : cases) {
        FitResult r = FitSize(c.sw, c.sh, c.W, c.H);
        EXPECT_EQ(r.width, c.w) << c.sw << "x" << c.sh;
        EXPECT_EQ(r.height, c.h) << c.sw << "x" << c.sh;
        EXPECT_TRUE(r.ok);
    }
}

TEST(FitSize, SizesOutsideOneToFiveThousandAreNotOk)
{
    EXPECT_FALSE(FitSize(100, 100, 0, 480).ok);
    EXPECT_FALSE(FitSize(100, 100, 640, 0).ok);
    EXPECT_FALSE(FitSize(100, 100, 0, 0).ok);
    EXPECT_FALSE(FitSize(1, 10000, 6000, 6000).ok) << "6000 high";
    EXPECT_TRUE(FitSize(1, 10000, 5000, 5000).ok);
    // Far wider than high: the fitted height would round to 0; it keeps
    // one pixel, so that the picture is still scaled to the screen's width.
    const FitResult panorama = FitSize(20000, 1, 800, 600);
    EXPECT_TRUE(panorama.ok);
    EXPECT_EQ(panorama.width, 800);
    EXPECT_EQ(panorama.height, 1);
    EXPECT_EQ(FitSize(100000, 10, 1920, 1080).height, 1);
    EXPECT_EQ(WithBorder(panorama, 20).height, 1);
    FitResult huge = FitSize(1, 1, 2147483647, 2147483647);
    EXPECT_FALSE(huge.ok);
}

TEST(Compose, TileAndCenterHandOnTheImageAsRead)
{
    // Whatever its depth or coding: a 24-bit, an 8-bit and a run-length image.
    std::vector<gmem::Handle> images = {test::MakeDIB24(test::Patterned(5, 3)),
                                        test::MakeDIB8(3, 2, {0x112233, 0x445566}, {0, 1, 1, 0, 1, 0}),
                                        test::MakeRle8(300, 4)};
    for (gmem::Handle image : images) {
        for (auto [mode, style] : {std::pair{kTile, Style::Tile}, std::pair{kCenter, Style::Center}}) {
            Composition c = Compose(image, Mode(mode), ScreenOf(64, 48));
            EXPECT_EQ(c.picture, image);
            EXPECT_EQ(c.style, style);
        }
        // Free Pos with a border or tile choice of "(Default)" does the same.
        EXPECT_EQ(Compose(image, FreePos(kCentredWithBorder, 0, 0, 640, 480), ScreenOf(64, 48)).picture, image);
        EXPECT_EQ(Compose(image, FreePos(kTiledWithCount, 0, 0, 640, 480), ScreenOf(64, 48)).picture, image);
        gmem::Free(image);
    }
}

TEST(Compose, FitStretchesToTheScreenWithoutKeepingProportions)
{
    Picture source = test::Patterned(8, 12);
    Composed c(test::MakeDIB24(source), Mode(kFit), ScreenOf(4, 3));
    EXPECT_EQ(c.result.style, Style::Center);
    EXPECT_EQ(c.picture(), test::BoxShrink(source, 2, 4));
    EXPECT_TRUE(c.InputUntouched());
}

TEST(Compose, ProportionedFitFillsOneSideOfTheScreen)
{
    Picture wide = test::Patterned(16, 4, 1);
    Composed c(test::MakeDIB24(wide), Mode(kProportionedFit), ScreenOf(8, 8));
    EXPECT_EQ(c.result.style, Style::Center);
    EXPECT_EQ(c.picture(), test::BoxShrink(wide, 2, 2)) << "8 x 2: the width fills the screen";

    Picture tall = test::Patterned(6, 18, 2);
    Composed t(test::MakeDIB24(tall), Mode(kProportionedFit), ScreenOf(10, 6));
    EXPECT_EQ(t.picture(), test::BoxShrink(tall, 3, 3)) << "2 x 6: the height fills the screen";
}

TEST(Compose, PaletteImagesAreWidenedBeforeScaling)
{
    std::vector<std::uint32_t> palette = {0x000000, 0xffffff, 0x804020, 0x10f0a0};
    std::vector<std::uint8_t> indices(8 * 4);
    Picture expected(8, 4);
    for (int i = 0; i < 32; ++i) {
        indices[i] = static_cast<std::uint8_t>((i * 5 + i / 8) % 4);
        expected.pixels[i] = palette[indices[i]];
    }
    Composed c(test::MakeDIB8(8, 4, palette, indices), Mode(kProportionedFit), ScreenOf(4, 4));
    EXPECT_EQ(c.picture(), test::BoxShrink(expected, 2, 2));
    EXPECT_TRUE(c.InputUntouched());
}

TEST(Compose, CentredWithBorderAndTiledWithCount)
{
    Picture source = test::Patterned(16, 16, 3);
    ViewerSettings border = FreePos(kCentredWithBorder, 0, 0, 640, 480);
    border.border = 5; // 50 %: the 8 x 8 fit becomes 4 x 4
    Composed b(test::MakeDIB24(source), border, ScreenOf(8, 8));
    EXPECT_EQ(b.result.style, Style::Center);
    EXPECT_EQ(b.picture(), test::BoxShrink(source, 4, 4));

    ViewerSettings tiles = FreePos(kTiledWithCount, 0, 0, 640, 480);
    tiles.tiles = 1; // 2 tiles across
    Composed t(test::MakeDIB24(source), tiles, ScreenOf(8, 8));
    EXPECT_EQ(t.result.style, Style::Tile);
    EXPECT_EQ(t.picture(), test::BoxShrink(source, 4, 4));

    // Border choices from 10 on and variants no dialog writes leave the image as it is.
    border.border = 10;
    Composed none(test::MakeDIB24(source), border, ScreenOf(8, 8));
    EXPECT_EQ(none.result.picture, none.image.get());
    Composed odd(test::MakeDIB24(source), FreePos(7, 0, 0, 4, 4), ScreenOf(8, 8));
    EXPECT_EQ(odd.result.picture, odd.image.get());
}

TEST(Compose, FreeRectangleOnTheWorkAreaCanvas)
{
    Picture source = test::Patterned(8, 4, 4);
    // Preserve Proportions: 8 x 4 fitted into 4 x 4 is 4 x 2, kept at the
    // rectangle's top-left corner; the canvas is the work area, not the screen.
    Composed c(test::MakeDIB24(source), FreePos(kFreeRectangle, 3, 2, 4, 4), ScreenOf(20, 12, 11, 7));
    EXPECT_EQ(c.result.style, Style::Tile);
    EXPECT_EQ(c.picture(), test::OnCanvas(test::BoxShrink(source, 2, 2), 11, 7, 3, 2, kBackground));
    EXPECT_TRUE(c.InputUntouched());

    // Without it the rectangle is filled: 8 x 4 into 2 x 4.
    Composed s(test::MakeDIB24(source), FreePos(kFreeRectangle, 1, 0, 2, 4, false), ScreenOf(20, 12, 5, 5));
    EXPECT_EQ(s.picture(), test::OnCanvas(test::BoxShrink(source, 4, 1), 5, 5, 1, 0, kBackground));

    // Clipped at every edge of the canvas, negative corners included.
    for (auto [x, y] : {std::pair{-3, -1}, std::pair{9, 5}, std::pair{-10, 0}, std::pair{0, 300}}) {
        Composed k(test::MakeDIB24(source), FreePos(kFreeRectangle, x, y, 8, 4), ScreenOf(20, 12, 11, 7));
        EXPECT_EQ(k.picture(), test::OnCanvas(source, 11, 7, x, y, kBackground)) << x << "," << y;
    }
}

TEST(Compose, FreeRectangleThatCannotBeScaledCopiesTheImageCut)
{
    Picture source = test::Patterned(6, 5, 5);
    // LX 0: nothing is drawn, the canvas stays the background.
    Composed zero(test::MakeDIB24(source), FreePos(kFreeRectangle, 1, 1, 0, 480), ScreenOf(9, 9));
    EXPECT_EQ(zero.picture(), Picture(9, 9, kBackground));
    // A rectangle far beyond what can be scaled to: the image unscaled, and
    // no giant block is made for it.
    Composed big(test::MakeDIB24(source), FreePos(kFreeRectangle, 2, 1, 2000000000, 2000000000, false), ScreenOf(9, 9));
    EXPECT_EQ(big.picture(), test::OnCanvas(source, 9, 9, 2, 1, kBackground));
}

TEST(Compose, AnEightBitImageInTheFreeRectangleIsWidenedFirst)
{
    std::vector<std::uint32_t> palette = {0x0000ff, 0x00ff00};
    std::vector<std::uint8_t> indices = {0, 1, 1, 0};
    Picture expected(2, 2);
    for (int i = 0; i < 4; ++i)
        expected.pixels[i] = palette[indices[i]];
    Composed c(test::MakeDIB8(2, 2, palette, indices), FreePos(kFreeRectangle, 1, 1, 2, 2), ScreenOf(4, 4));
    EXPECT_EQ(c.picture(), test::OnCanvas(expected, 4, 4, 1, 1, kBackground));
}

// Nothing is read or written outside a block, whatever the header says, and
// a mode that cannot make a picture says why and leaves the image alone.
TEST(Compose, BrokenOrRunLengthImagesYieldNoPicture)
{
    for (std::uint32_t mode : {kFit, kProportionedFit}) {
        Composed rle(test::MakeRle8(40, 30), Mode(mode), ScreenOf(16, 12));
        EXPECT_EQ(rle.result.picture, nullptr);
        EXPECT_FALSE(rle.result.error.empty());
        EXPECT_TRUE(rle.InputUntouched());
    }
    Composed rleFree(test::MakeRle8(40, 30), FreePos(kFreeRectangle, 0, 0, 8, 8), ScreenOf(16, 12));
    EXPECT_EQ(rleFree.result.picture, nullptr);

    // A header claiming more rows than the block holds, in every mode.
    gmem::Handle shortBlock = test::MakeDIB24(test::Patterned(4, 4));
    auto* bytes = static_cast<std::uint8_t*>(gmem::Lock(shortBlock));
    bytes[8] = 200; // height 200
    gmem::Unlock(shortBlock);
    gmem::Owner owner(shortBlock);
    for (std::uint32_t mode : {kTile, kCenter, kFit, kProportionedFit, kFreePos}) {
        Composition c = Compose(shortBlock, Mode(mode), ScreenOf(16, 12));
        EXPECT_EQ(c.picture, nullptr) << "mode " << mode;
    }
    // Too small for a header at all.
    gmem::Owner tiny(gmem::Alloc(gmem::kMoveable | gmem::kZeroInit, 12));
    EXPECT_EQ(Compose(tiny.get(), Mode(kTile), ScreenOf(16, 12)).picture, nullptr);
    // An empty work area gives no canvas.
    Composed noArea(test::MakeDIB24(test::Patterned(4, 4)), FreePos(kFreeRectangle, 0, 0, 4, 4), Screen{16, 12});
    EXPECT_EQ(noArea.result.picture, nullptr);
}

TEST(WallpaperFile, HoldsTheBlockBehindAFileHeader)
{
    gmem::Owner image(test::MakeDIB8(3, 1, {0x010203}, {0, 0, 0}));
    std::string bytes = vistrel::wallpaper::BitmapFileBytes(image.get());
    ASSERT_EQ(bytes.size(), 14 + gmem::Size(image.get()));
    EXPECT_EQ(bytes.substr(0, 2), "BM");
    EXPECT_EQ(static_cast<unsigned char>(bytes[10]) | static_cast<unsigned char>(bytes[11]) << 8, 1078);
    EXPECT_EQ(bytes.substr(14), test::BlockBytes(image.get()));
}

} // namespace
} // namespace picshow

namespace picshow {
namespace {

// A picture the reader already scaled to the fitted size is handed on as it
// is, but only where ScaleDIB would have made the very same bytes of it.
TEST(Compose, APictureAtTheFittedSizeIsShownAsItIsWhereScalingWouldCopyIt)
{
    namespace dib = vistrel::dib;
    auto make = [](std::int32_t pelsPerMeter, std::uint8_t padding) {
        gmem::Handle h = dib::NewDIB(7, 5, 24, 0, pelsPerMeter, pelsPerMeter);
        dib::LockedBlock block(h);
        std::uint8_t* px = block.bytes() + dib::kInfoHeaderSize;
        for (std::size_t i = 0; i < 24 * 5; ++i)
            px[i] = i % 24 < 21 ? static_cast<std::uint8_t>(i * 7) : padding;
        return h;
    };
    Composed same(make(dib::kDefaultPelsPerMeter, 0), Mode(kProportionedFit), ScreenOf(14, 5));
    EXPECT_EQ(same.result.picture, same.image.get());
    Composed otherHeader(make(1000, 0), Mode(kProportionedFit), ScreenOf(14, 5));
    ASSERT_TRUE(otherHeader.result.IsNew(otherHeader.image.get()));
    EXPECT_EQ(test::BlockBytes(otherHeader.result.picture), test::BlockBytes(same.result.picture));
    Composed dirtyPadding(make(dib::kDefaultPelsPerMeter, 9), Mode(kFit), ScreenOf(7, 5));
    ASSERT_TRUE(dirtyPadding.result.IsNew(dirtyPadding.image.get()));
    EXPECT_EQ(test::BlockBytes(dirtyPadding.result.picture), test::BlockBytes(same.result.picture));
    Composed stretched(make(dib::kDefaultPelsPerMeter, 0), Mode(kFit), ScreenOf(7, 5));
    EXPECT_EQ(stretched.result.picture, stretched.image.get());
}

} // namespace
} // namespace picshow
