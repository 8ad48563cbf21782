// SPDX-License-Identifier: GPL-3.0-or-later
// A whole wallpaper change on a real X server: the real vistrelctl loads the
// real reader and viewer, changes the wallpaper twice, and the root window
// must show the expected composition pixel for pixel.
#include "environment.h" // shared test support
#include "picture.h"

#include "test_support.h"

#include "vistrel/core/extender_calls.h"
#include "vistrel/core/list_file.h"
#include "vistrel/core/param_block.h"
#include "vistrel/core/param_chain.h"
#include "vistrel/platform/process.h"
#include "vistrel/platform/settings_store.h"
#include "vistrel/wallpaper/installer.h"
#include "vistrel/wallpaper/screen.h"

// GoogleTest before Xlib: Xlib's None and Bool macros would break its names.
#include <gtest/gtest.h>

#include "x_root_test.h"

#include <X11/Xatom.h>
#include <X11/Xlib.h>
#include <X11/Xutil.h>

#include <unistd.h>

namespace picshow::test {
using vistrel::test::ScopedEnvironment;
using vistrel::test::SetEnvironment;
} // namespace picshow::test

namespace {

using namespace vistrel;
using namespace vistrel::test;
namespace pt = picshow::test;
namespace fs = std::filesystem;

constexpr int kWidth = 1024;
constexpr int kHeight = 768;
constexpr std::uint32_t kBackground = 0x123456;

class NextOnX11 : public XRootTest<kWidth, kHeight> {
protected:
    void SetUp() override
    {
        XRootTest::SetUp();
        if (IsSkipped() || HasFatalFailure())
            return;
        const std::string display_ = DisplayName();

        // The user's private folders, and the settings vistrelctl will read:
        // the bare X11 backend and a background colour to centre on.
        for (const char* folder : {"home", "data", "config/Vistrel"})
            fs::create_directories(user_.Path() / folder);
        environment_.emplace_back("HOME", user_.File("home"));
        environment_.emplace_back("XDG_DATA_HOME", user_.File("data"));
        environment_.emplace_back("XDG_CONFIG_HOME", user_.File("config"));
        environment_.emplace_back("DISPLAY", display_);
        environment_.emplace_back("VISTREL_SETTINGS", std::nullopt);
        for (auto& [name, value] : environment_)
            scoped_.push_back(std::make_unique<pt::ScopedEnvironment>(name.c_str(), value));
        platform::settings::SetLocation((user_.Path() / "config" / "Vistrel" / "Vistrel.ini").string());
        ASSERT_TRUE(platform::settings::CreateKey(wallpaper::kWallpaperKey));
        ASSERT_TRUE(platform::settings::WriteText(wallpaper::kWallpaperKey, "Backend", "x11"));
        ASSERT_TRUE(platform::settings::CreateKey(wallpaper::kScreenKey));
        ASSERT_TRUE(platform::settings::WriteNumber(wallpaper::kScreenKey, "Background", kBackground));
        platform::settings::SetLocation("");
    }

    // A list of the files, every entry in the mode of viewer command `command`.
    std::string MakeList(const std::vector<std::string>& files, int command)
    {
        CExtenderRegistry registry;
        EXPECT_TRUE(registry.LoadExtenders((BinDir() / "").string()));
        CWallpaperList list(&registry);
        list.Reset();
        for (const std::string& file : files)
            EXPECT_TRUE(list.InsertFile(file, true)) << file;
        for (int row = 0; row < list.GetCount(); ++row) {
            CParamChain chain;
            EXPECT_TRUE(chain.Attach(list.GetChain(row), list.GetChainBytes(row)));
            std::uint8_t* viewerBlock = chain.GetBlock(chain.GetCount() - 1);
            ExtenderHandle viewer = registry.FindExtenderById(BlockId(viewerBlock));
            EXPECT_STREQ(ext::ShortName(viewer), "Picshow");
            EXPECT_EQ(ext::RunCommand(viewer, viewerBlock, command), viewerBlock);
            std::size_t bytes = chain.GetLength();
            list.StoreChain(row, chain.Detach(), bytes);
        }
        std::string path = work_.File("list.vist"), error;
        EXPECT_TRUE(WriteListFile(path, list, error)) << error;
        return path;
    }

    std::string File(const std::string& name, const std::string& bytes)
    {
        WriteFile(work_.Path() / name, bytes);
        return work_.File(name);
    }

    // Runs the real vistrelctl next and checks what the root window shows.
    void Next(const std::string& list, const pt::Picture& expected)
    {
        std::string output;
        int rc = platform::RunProgram((BinDir() / "vistrelctl").string(), {"next", list}, &output);
        ASSERT_EQ(rc, 0) << output;
        Pixmap pixmap = Property("_XROOTPMAP_ID");
        ASSERT_NE(pixmap, static_cast<Pixmap>(None));
        EXPECT_EQ(Property("ESETROOT_PMAP_ID"), pixmap);
        ExpectScreen(root_, [&](int x, int y) { return expected.at(x, y); });
        EXPECT_TRUE(fs::is_regular_file(user_.Path() / "data" / "Vistrel" / "VistrelImage.bmp"));
        pixmaps_.push_back(pixmap);
    }

    // Two changes in a row: each shows its picture, and the second frees
    // the pixmap of the first.
    void ChangeTwice(const std::string& list, const pt::Picture& first, const pt::Picture& second)
    {
        ASSERT_NO_FATAL_FAILURE(Next(list, first));
        ASSERT_NO_FATAL_FAILURE(Next(list, second));
        EXPECT_NE(pixmaps_[0], pixmaps_[1]);
        EXPECT_FALSE(PixmapExists(pixmaps_[0])) << "the previous pixmap is freed";
        EXPECT_TRUE(PixmapExists(pixmaps_[1]));

        CWallpaperList loaded;
        std::string detail;
        ASSERT_EQ(ReadListFile(list, loaded, detail), ListLoadStatus::Ok) << detail;
        EXPECT_EQ(loaded.GetText(0, kColTotal), "1");
        EXPECT_EQ(loaded.GetText(1, kColTotal), "1");
    }

    TempDir user_;
    TempDir work_;
    std::vector<std::pair<std::string, std::optional<std::string>>> environment_;
    std::vector<std::unique_ptr<pt::ScopedEnvironment>> scoped_;
    std::vector<Pixmap> pixmaps_;
};

pt::Picture Tiled(const pt::Picture& tile)
{
    pt::Picture screen(kWidth, kHeight);
    for (int y = 0; y < kHeight; ++y)
        for (int x = 0; x < kWidth; ++x)
            screen.at(x, y) = tile.at(x % tile.width, y % tile.height);
    return screen;
}

// The desktop centres a picture with the offset rounded down.
pt::Picture Centred(const pt::Picture& picture)
{
    auto half = [](int d) { return d >= 0 ? d / 2 : -((1 - d) / 2); };
    return pt::OnCanvas(picture, kWidth, kHeight, half(kWidth - picture.width), half(kHeight - picture.height),
                        kBackground);
}

TEST_F(NextOnX11, TileShowsTheImagesAsRead)
{
    pt::Picture first = pt::Patterned(37, 23);
    std::vector<std::uint32_t> palette;
    for (std::uint32_t i = 0; i < 256; ++i)
        palette.push_back(i * 0x010305u & 0xffffff);
    std::vector<std::uint8_t> indices(50 * 40);
    pt::Picture second(50, 40);
    for (int i = 0; i < 50 * 40; ++i) {
        indices[i] = static_cast<std::uint8_t>(i * 7 + i / 50);
        second.pixels[i] = palette[indices[i]];
    }
    std::string list =
        MakeList({File("a.bmp", pt::Bitmap24(first)), File("b.bmp", pt::Bitmap8(50, 40, palette, indices))}, 0);
    ChangeTwice(list, Tiled(first), Tiled(second));
}

TEST_F(NextOnX11, CenterShowsTheImagesInTheMiddle)
{
    pt::Picture small = pt::Patterned(101, 77, 1);
    pt::Picture large = pt::Patterned(kWidth + 6, kHeight + 2, 2);
    std::string list = MakeList({File("s.bmp", pt::Bitmap24(small)), File("l.bmp", pt::Bitmap24(large))}, 1);
    ChangeTwice(list, Centred(small), Centred(large));
}

// Tile and Center install the reader's picture as read, run-length coded
// included: the root shows it decoded.
TEST_F(NextOnX11, RunLengthPicturesAreShownDecoded)
{
    const std::vector<std::uint32_t> palette = {0x102030, 0xF0E0D0, 0x00FF00, 0xFF00FF, 0x0000FF};
    auto indices = [](int w, int h, int colours) {
        std::vector<std::uint8_t> out(std::size_t(w) * h);
        for (int y = 0; y < h; ++y)
            for (int x = 0; x < w; ++x)
                out[std::size_t(y) * w + x] = static_cast<std::uint8_t>((x / 3 + y / 2) % colours);
        return out;
    };
    auto picture = [&](int w, int h, const std::vector<std::uint8_t>& index) {
        pt::Picture p(w, h);
        for (int i = 0; i < w * h; ++i)
            p.pixels[i] = palette[index[i]];
        return p;
    };
    const std::vector<std::uint8_t> eight = indices(61, 27, 5), four = indices(300, 9, 4);
    std::string tiled = MakeList({File("rle8.bmp", pt::BitmapRunLength(8, 61, 27, palette, eight)),
                                  File("rle4.bmp", pt::BitmapRunLength(4, 300, 9, palette, four))},
                                 0);
    ChangeTwice(tiled, Tiled(picture(61, 27, eight)), Tiled(picture(300, 9, four)));
}

TEST_F(NextOnX11, RunLengthPicturesAreCentredDecoded)
{
    const std::vector<std::uint32_t> palette = {0xABCDEF, 0x010203, 0x808080};
    std::vector<std::uint8_t> eight(77 * 50), four(1030 * 20);
    for (std::size_t i = 0; i < eight.size(); ++i)
        eight[i] = static_cast<std::uint8_t>(i / 7 % 3);
    for (std::size_t i = 0; i < four.size(); ++i)
        four[i] = static_cast<std::uint8_t>(i / 300 % 3);
    auto picture = [&](int w, int h, const std::vector<std::uint8_t>& index) {
        pt::Picture p(w, h);
        for (int i = 0; i < w * h; ++i)
            p.pixels[i] = palette[index[i]];
        return p;
    };
    std::string centred = MakeList({File("c8.bmp", pt::BitmapRunLength(8, 77, 50, palette, eight)),
                                    File("c4.bmp", pt::BitmapRunLength(4, 1030, 20, palette, four))},
                                   1);
    ChangeTwice(centred, Centred(picture(77, 50, eight)), Centred(picture(1030, 20, four)));
}

TEST_F(NextOnX11, ProportionedFitScalesToTheScreen)
{
    // Twice the screen, and a square twice the screen's height: both are
    // halved, which area averaging makes the mean of each 2 x 2 block.
    pt::Picture wide = pt::Patterned(2 * kWidth, 2 * kHeight, 3);
    pt::Picture square = pt::Patterned(2 * kHeight, 2 * kHeight, 4);
    std::string list = MakeList({File("w.bmp", pt::Bitmap24(wide)), File("q.bmp", pt::Bitmap24(square))}, 3);
    ChangeTwice(list, pt::BoxShrink(wide, 2, 2), Centred(pt::BoxShrink(square, 2, 2)));
}

} // namespace

namespace {

// One monitor: "same", "each" and "span" are one, and give the picture a
// composition for the screen always gave, byte for byte.
TEST_F(NextOnX11, OneMonitorGivesTheSameBytesWhateverTheChoice)
{
    const pt::Picture wide = pt::Patterned(1500, 1000, 5);
    const std::string picture = File("w.bmp", pt::Bitmap24(wide));
    const std::string composed = work_.File("composed.bmp");
    std::string output;
    ASSERT_EQ(platform::RunProgram((BinDir() / "vistrelctl").string(),
                                   {"compose", picture, "-o", composed, "--mode", "proportioned", "--screen",
                                    "1024x768", "--background", "123456"},
                                   &output),
              0)
        << output;
    const std::string expected = ReadFile(composed);
    const std::string list = MakeList({picture}, 3);
    for (const char* choice : {"same", "each", "span"}) {
        platform::settings::SetLocation((user_.Path() / "config" / "Vistrel" / "Vistrel.ini").string());
        ASSERT_TRUE(platform::settings::WriteText(wallpaper::kWallpaperKey, "Monitors", choice));
        platform::settings::SetLocation("");
        ASSERT_NO_FATAL_FAILURE(Next(list, Centred(*pt::ParseBitmap24(expected)))) << choice;
        EXPECT_EQ(ReadFile(user_.Path() / "data" / "Vistrel" / "VistrelImage.bmp"), expected) << choice;
        EXPECT_FALSE(fs::exists(user_.Path() / "data" / "Vistrel" / "VistrelImage2.bmp")) << choice;
    }
}

} // namespace
