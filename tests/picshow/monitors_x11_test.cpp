// SPDX-License-Identifier: GPL-3.0-or-later
// Two monitors of different sizes on a real X server (Xvfb, the monitors
// declared as "xrandr --setmonitor" does): the real vistrelctl changes the
// wallpaper with the real reader and viewer, and every monitor must show the
// picture made for it, pixel for pixel, for "same", "each" and "span", with
// either monitor primary. One monitor gives what one screen always gave.
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

#include <cstring>

#include "x_monitors.h"
#include "x_root_test.h"

namespace {

using namespace vistrel;
using namespace vistrel::test;
namespace pt = picshow::test;
namespace fs = std::filesystem;

constexpr int kWidth = 3200;
constexpr int kHeight = 1080;
constexpr std::uint32_t kBackground = 0x123456;

struct Area {
    int x, y, width, height;
};
// The large monitor on the left, the small one on its right, top-aligned;
// the screen's bottom right corner belongs to neither.
constexpr Area kLarge{0, 0, 1920, 1080};
constexpr Area kSmall{1920, 0, 1280, 720};

// Viewer commands of Picshow's menu.
enum Command { kTile = 0, kCenter = 1, kFit = 2, kProportioned = 3, kFreePos = 4 };

class MonitorsOnX11 : public XRootTest<kWidth, kHeight> {
protected:
    void SetUp() override
    {
        XRootTest::SetUp();
        if (IsSkipped() || HasFatalFailure())
            return;
        for (const char* folder : {"home", "data", "config/Vistrel"})
            fs::create_directories(user_.Path() / folder);
        std::vector<std::pair<const char*, std::optional<std::string>>> environment{
            {"HOME", user_.File("home")},
            {"XDG_DATA_HOME", user_.File("data")},
            {"XDG_CONFIG_HOME", user_.File("config")},
            {"DISPLAY", DisplayName()},
            {"VISTREL_SETTINGS", std::nullopt},
            {"XDG_CURRENT_DESKTOP", std::nullopt},
            {"SWAYSOCK", std::nullopt}};
        for (auto& [name, value] : environment)
            scoped_.push_back(std::make_unique<ScopedEnvironment>(name, value));
        Settings([](const std::string& key) {
            ASSERT_TRUE(platform::settings::CreateKey(key));
            ASSERT_TRUE(platform::settings::WriteText(key, "Backend", "x11"));
            ASSERT_TRUE(platform::settings::CreateKey(wallpaper::kScreenKey));
            ASSERT_TRUE(platform::settings::WriteNumber(wallpaper::kScreenKey, "Background", kBackground));
        });
        UseMonitors(true);
    }

    void TearDown() override
    {
        if (connection_)
            SetXMonitors(connection_, {});
        XRootTest::TearDown();
    }

    // The large monitor primary, or the small one.
    void UseMonitors(bool largePrimary)
    {
        ASSERT_TRUE(
            SetXMonitors(connection_, {{"LARGE", kLarge.x, kLarge.y, kLarge.width, kLarge.height, largePrimary},
                                       {"SMALL", kSmall.x, kSmall.y, kSmall.width, kSmall.height, !largePrimary}}));
    }

    template <typename F> void Settings(F&& change)
    {
        platform::settings::SetLocation((user_.Path() / "config" / "Vistrel" / "Vistrel.ini").string());
        change(std::string(wallpaper::kWallpaperKey));
        platform::settings::SetLocation("");
    }

    void Choose(const char* choice)
    {
        Settings([&](const std::string& key) { ASSERT_TRUE(platform::settings::WriteText(key, "Monitors", choice)); });
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
            if (command == kFreePos) {
                // The dialog's command: its default rectangle, written as
                // the dialog would (mode 4, the Free Pos icon).
                const std::uint32_t mode = 4, icon = 1009;
                std::memcpy(viewerBlock + 44, &mode, 4);
                std::memcpy(viewerBlock + 4, &icon, 4);
            } else {
                EXPECT_EQ(ext::RunCommand(viewer, viewerBlock, command), viewerBlock);
            }
            std::size_t bytes = chain.GetLength();
            list.StoreChain(row, chain.Detach(), bytes);
        }
        std::string path = work_.File("list.vist"), error;
        EXPECT_TRUE(WriteListFile(path, list, error)) << error;
        return path;
    }

    std::string File(const std::string& name, const pt::Picture& picture)
    {
        WriteFile(work_.Path() / name, pt::Bitmap24(picture));
        return work_.File(name);
    }

    // Runs the real vistrelctl next and compares the whole root window.
    void Next(const std::string& list, const pt::Picture& expected)
    {
        std::string output;
        int rc = platform::RunProgram((BinDir() / "vistrelctl").string(), {"next", list}, &output);
        ASSERT_EQ(rc, 0) << output;
        ASSERT_NE(Property("_XROOTPMAP_ID"), static_cast<Pixmap>(None));
        ExpectScreen(root_, [&](int x, int y) { return expected.at(x, y); });
    }

    std::optional<pt::Picture> WallpaperFile(const char* name)
    {
        return pt::ParseBitmap24(ReadFile(user_.Path() / "data" / "Vistrel" / name));
    }

    std::string Totals(const std::string& list)
    {
        CWallpaperList loaded;
        std::string detail, totals;
        EXPECT_EQ(ReadListFile(list, loaded, detail), ListLoadStatus::Ok) << detail;
        for (int row = 0; row < loaded.GetCount(); ++row)
            totals += loaded.GetText(row, kColTotal) + " ";
        return totals;
    }

    TempDir user_;
    TempDir work_;
    std::vector<std::unique_ptr<ScopedEnvironment>> scoped_;
};

pt::Picture Desktop() { return pt::Picture(kWidth, kHeight, kBackground); }

// The picture in the middle of the area (offset rounded down), clipped to it.
void Centre(pt::Picture& screen, const Area& a, const pt::Picture& picture)
{
    auto half = [](int d) { return d >= 0 ? d / 2 : -((1 - d) / 2); };
    const int left = a.x + half(a.width - picture.width), top = a.y + half(a.height - picture.height);
    for (int y = a.y; y < a.y + a.height; ++y)
        for (int x = a.x; x < a.x + a.width; ++x)
            if (x - left >= 0 && x - left < picture.width && y - top >= 0 && y - top < picture.height)
                screen.at(x, y) = picture.at(x - left, y - top);
}

// The picture repeated from the area's top-left corner.
void Tile(pt::Picture& screen, const Area& a, const pt::Picture& tile)
{
    for (int y = a.y; y < a.y + a.height; ++y)
        for (int x = a.x; x < a.x + a.width; ++x)
            screen.at(x, y) = tile.at((x - a.x) % tile.width, (y - a.y) % tile.height);
}

TEST_F(MonitorsOnX11, SameFitsTheEntryToEachMonitor)
{
    // A square of 2160: a half on the large monitor, a third on the small one.
    const pt::Picture square = pt::Patterned(2160, 2160, 1);
    const std::string list = MakeList({File("square.bmp", square)}, kProportioned);
    pt::Picture expected = Desktop();
    Centre(expected, kLarge, pt::BoxShrink(square, 2, 2));
    Centre(expected, kSmall, pt::BoxShrink(square, 3, 3));
    ASSERT_NO_FATAL_FAILURE(Next(list, expected));
    // The primary monitor's picture is the wallpaper file; the other's is beside it.
    EXPECT_EQ(WallpaperFile("VistrelImage.bmp"), pt::BoxShrink(square, 2, 2));
    EXPECT_EQ(WallpaperFile("VistrelImage2.bmp"), pt::BoxShrink(square, 3, 3));
    EXPECT_EQ(Totals(list), "1 ");

    // With the small monitor primary its picture is the wallpaper file.
    UseMonitors(false);
    ASSERT_NO_FATAL_FAILURE(Next(list, expected));
    EXPECT_EQ(WallpaperFile("VistrelImage.bmp"), pt::BoxShrink(square, 3, 3));
    EXPECT_EQ(WallpaperFile("VistrelImage2.bmp"), pt::BoxShrink(square, 2, 2));
}

TEST_F(MonitorsOnX11, SameInFitCentreTileAndFreePos)
{
    const pt::Picture wide = pt::Patterned(3840, 2160, 2);
    pt::Picture expected = Desktop();
    Centre(expected, kLarge, pt::BoxShrink(wide, 2, 2));
    Centre(expected, kSmall, pt::BoxShrink(wide, 3, 3));
    ASSERT_NO_FATAL_FAILURE(Next(MakeList({File("wide.bmp", wide)}, kFit), expected));

    const pt::Picture small = pt::Patterned(301, 199, 3);
    expected = Desktop();
    Centre(expected, kLarge, small);
    Centre(expected, kSmall, small);
    ASSERT_NO_FATAL_FAILURE(Next(MakeList({File("small.bmp", small)}, kCenter), expected));

    expected = Desktop();
    Tile(expected, kLarge, small);
    Tile(expected, kSmall, small);
    ASSERT_NO_FATAL_FAILURE(Next(MakeList({File("tile.bmp", small)}, kTile), expected));

    // Free Pos with its defaults: fitted into 640 x 480 at the top-left
    // corner of a canvas as large as each monitor's work area, tiled. The
    // position is the monitor's own.
    const pt::Picture photo = pt::Patterned(1280, 960, 4);
    auto canvas = [&](const Area& a) {
        return pt::OnCanvas(pt::BoxShrink(photo, 2, 2), a.width, a.height, 0, 0, kBackground);
    };
    expected = Desktop();
    Tile(expected, kLarge, canvas(kLarge));
    Tile(expected, kSmall, canvas(kSmall));
    ASSERT_NO_FATAL_FAILURE(Next(MakeList({File("free.bmp", photo)}, kFreePos), expected));
}

TEST_F(MonitorsOnX11, EachGivesEveryMonitorTheNextEntry)
{
    Choose("each");
    const pt::Picture first = pt::Patterned(2160, 2160, 5), second = pt::Patterned(2560, 1440, 6),
                      third = pt::Patterned(1280, 720, 7);
    const std::string list =
        MakeList({File("first.bmp", first), File("second.bmp", second), File("third.bmp", third)}, kProportioned);
    pt::Picture expected = Desktop();
    Centre(expected, kLarge, pt::BoxShrink(first, 2, 2));
    Centre(expected, kSmall, pt::BoxShrink(second, 2, 2));
    ASSERT_NO_FATAL_FAILURE(Next(list, expected));
    EXPECT_EQ(Totals(list), "1 1 0 ");

    // The small monitor primary: it gets the next entry, the large one the
    // one after (the round begins again).
    UseMonitors(false);
    expected = Desktop();
    Centre(expected, kSmall, third);
    Centre(expected, kLarge, pt::BoxShrink(first, 2, 2));
    ASSERT_NO_FATAL_FAILURE(Next(list, expected));
    EXPECT_EQ(Totals(list), "2 1 1 ");
}

TEST_F(MonitorsOnX11, SpanSpreadsOnePictureAcrossBothMonitors)
{
    Choose("span");
    // Fit to the 3200 x 1080 that holds both monitors: each shows its part,
    // and the corner below the small monitor is nobody's.
    const pt::Picture panorama = pt::Patterned(6400, 2160, 8);
    const pt::Picture whole = pt::BoxShrink(panorama, 2, 2);
    pt::Picture expected = Desktop();
    for (const Area& a : {kLarge, kSmall})
        for (int y = a.y; y < a.y + a.height; ++y)
            for (int x = a.x; x < a.x + a.width; ++x)
                expected.at(x, y) = whole.at(x, y);
    ASSERT_NO_FATAL_FAILURE(Next(MakeList({File("panorama.bmp", panorama)}, kFit), expected));
    std::optional<pt::Picture> primary = WallpaperFile("VistrelImage.bmp");
    ASSERT_TRUE(primary);
    EXPECT_EQ(primary->width, kLarge.width);
    EXPECT_EQ(primary->at(5, 7), whole.at(5, 7));

    // Centred across both: a small picture in the middle of the layout,
    // cut by the monitors' edge.
    const pt::Picture small = pt::Patterned(401, 301, 9);
    expected = Desktop();
    Centre(expected, {0, 0, kWidth, kHeight}, small);
    for (int y = kSmall.height; y < kHeight; ++y)
        for (int x = kSmall.x; x < kWidth; ++x)
            expected.at(x, y) = kBackground;
    ASSERT_NO_FATAL_FAILURE(Next(MakeList({File("small.bmp", small)}, kCenter), expected));
}

} // namespace
