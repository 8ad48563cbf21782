// SPDX-License-Identifier: GPL-3.0-or-later
// The size Picshow tells a shrinking reader must be the size its composition
// scales to, mode by mode; and the module's NeededSize export says it.
#include "compose.h"
#include "needed_size.h"

#include "test_support.h"

#include "vistrel/core/extender_calls.h"
#include "vistrel/core/extender_registry.h"
#include "vistrel/dib/dib.h"

#include <gtest/gtest.h>

namespace {

using namespace vistrel;
using picshow::ViewerSettings;

struct Size {
    std::uint32_t width, height;
};

Size PictureSize(gmem::Handle picture)
{
    dib::LockedBlock block(picture);
    const dib::InfoHeader h = dib::LoadHeader(block.bytes());
    return {static_cast<std::uint32_t>(h.biWidth), static_cast<std::uint32_t>(h.biHeight)};
}

// Every mode and variant the commands and the dialog write, over pictures
// that fit, that are far too wide to scale, and that round to nothing.
TEST(NeededSize, IsTheSizeTheCompositionScalesTo)
{
    const picshow::Screen screen{1024, 768, 1024, 740, 0x102030};
    std::vector<ViewerSettings> modes;
    for (std::uint32_t mode : {picshow::kTile, picshow::kCenter, picshow::kFit, picshow::kProportionedFit}) {
        ViewerSettings s;
        s.mode = mode;
        modes.push_back(s);
    }
    for (int border : {0, 3, 9}) {
        ViewerSettings s;
        s.mode = picshow::kFreePos, s.flags = picshow::kCentredWithBorder, s.border = static_cast<std::uint8_t>(border);
        modes.push_back(s);
    }
    for (int tiles : {0, 1, 19}) {
        ViewerSettings s;
        s.mode = picshow::kFreePos, s.flags = picshow::kTiledWithCount, s.tiles = static_cast<std::uint8_t>(tiles);
        modes.push_back(s);
    }
    for (const Size& picture : {Size{640, 480}, Size{300, 900}, Size{1, 1}, Size{7000, 3}, Size{2, 5003}}) {
        gmem::Owner image(dib::NewDIB(picture.width, picture.height, 24, 0, 2953, 2953));
        ASSERT_TRUE(image);
        for (const ViewerSettings& s : modes) {
            SCOPED_TRACE(testing::Message() << picture.width << "x" << picture.height << " mode " << s.mode << " flags "
                                            << s.flags << " border " << int(s.border) << " tiles " << int(s.tiles));
            picshow::Composition c = picshow::Compose(image.get(), s, screen);
            ASSERT_TRUE(c.picture) << c.error;
            gmem::Owner made(c.IsNew(image.get()) ? c.picture : nullptr);
            const Size out = PictureSize(c.picture);
            const auto needed = picshow::NeededSize(s, screen, picture.width, picture.height);
            if (!needed) {
                EXPECT_EQ(out.width, picture.width);
                EXPECT_EQ(out.height, picture.height);
            } else {
                EXPECT_EQ(out.width, needed->width);
                EXPECT_EQ(out.height, needed->height);
            }
        }
    }
}

TEST(NeededSize, TheFreeRectangleIsScaledOnlyWhereItCanBe)
{
    const picshow::Screen screen{1024, 768, 1024, 768, 0};
    ViewerSettings s;
    s.mode = picshow::kFreePos, s.flags = picshow::kFreeRectangle | picshow::kPreserveProportions;
    s.lx = 640, s.ly = 480;
    auto kept = picshow::NeededSize(s, screen, 4000, 1000);
    ASSERT_TRUE(kept);
    EXPECT_EQ(kept->width, 640u);
    EXPECT_EQ(kept->height, 160u);
    s.flags = picshow::kFreeRectangle;
    auto stretched = picshow::NeededSize(s, screen, 4000, 1000);
    ASSERT_TRUE(stretched);
    EXPECT_EQ(stretched->width, 640u);
    EXPECT_EQ(stretched->height, 480u);
    s.lx = 0;
    EXPECT_FALSE(picshow::NeededSize(s, screen, 4000, 1000)) << "a rectangle of no width is not scaled";
    s.lx = 6000;
    EXPECT_FALSE(picshow::NeededSize(s, screen, 4000, 1000));
}

TEST(NeededSize, TheModuleAnswersWithTheSizeAndTheBackground)
{
    test::RecordingSink sink;
    test::ProgramDir dir;
    dir.Add("View_Expander", test::BinDir() / "View_Expander" / test::LibraryFile("Picshow"));
    dir.Add("Scheduler_Expander", test::BinDir() / "Scheduler_Expander" / test::LibraryFile("Clockpace"));
    CExtenderRegistry registry;
    ASSERT_TRUE(registry.LoadExtenders(dir.Folder()));
    ExtenderHandle viewer = registry.Extenders(ExtenderKind::Viewer).at(0);
    auto neededSize = reinterpret_cast<VistrelNeededSizeFn>(ext::Lookup(viewer, "NeededSize"));
    ASSERT_TRUE(neededSize);
    gmem::Owner block(ext::GetDefParams(viewer));
    ASSERT_EQ(ext::RunCommand(viewer, block.get(), 3), block.get()); // Proportioned Fit
    const VistrelScreen screen{1920, 1080, 1920, 1040, 0x336699};
    VistrelNeed need{};
    neededSize(block.get(), &screen, 6000, 4000, &need);
    EXPECT_EQ(need.flags, VISTREL_NEED_SCALED | VISTREL_NEED_BACKGROUND);
    EXPECT_EQ(need.width, 1620u);
    EXPECT_EQ(need.height, 1080u);
    EXPECT_EQ(need.background, 0x336699u);
    ASSERT_EQ(ext::RunCommand(viewer, block.get(), 0), block.get()); // Tile
    neededSize(block.get(), &screen, 6000, 4000, &need);
    EXPECT_EQ(need.flags, VISTREL_NEED_BACKGROUND);
}

} // namespace
