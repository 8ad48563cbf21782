// SPDX-License-Identifier: GPL-3.0-or-later
// The real Vistrel_Scheduler on a real X server with a real XEmbed tray
// (trayer), the real reader and viewer, and the x11 wallpaper backend: what
// a user sees on the screen and does with the mouse.
#include "desktop_session.h"

#include "vistrel/core/list_file.h"
#include "vistrel/core/param_block.h"
#include "vistrel/core/registry_key.h"
#include "vistrel/core/scheduler_settings.h"
#include "vistrel/platform/process.h"
#include "vistrel/platform/settings_store.h"

#include <cstdlib>
#include <filesystem>
#include <gtest/gtest.h>
#include <thread>

using namespace vistrel;
using namespace vistrel::scheduler::test;
using namespace std::chrono_literals;
namespace fs = std::filesystem;

namespace {

// A 64 by 64 bitmap of one colour (0xRRGGBB).
std::string SolidBitmap(std::uint32_t rgb)
{
    const int w = 64, h = 64;
    std::string pixels;
    for (int i = 0; i < w * h; ++i) {
        pixels += static_cast<char>(rgb & 0xFF);
        pixels += static_cast<char>((rgb >> 8) & 0xFF);
        pixels += static_cast<char>((rgb >> 16) & 0xFF);
    }
    std::string file(54, '\0');
    auto put32 = [&](std::size_t at, std::uint32_t v) { WriteU32(file.data() + at, v); };
    file[0] = 'B';
    file[1] = 'M';
    put32(2, static_cast<std::uint32_t>(54 + pixels.size()));
    put32(10, 54);
    put32(14, 40);
    put32(18, w);
    put32(22, h);
    file[26] = 1;
    file[28] = 24;
    put32(34, static_cast<std::uint32_t>(pixels.size()));
    return file + pixels;
}

// How far apart two colours are, channel by channel.
int Distance(std::uint32_t a, std::uint32_t b)
{
    int d = 0;
    for (int shift : {0, 8, 16})
        d = std::max(d, std::abs(static_cast<int>((a >> shift) & 0xFF) - static_cast<int>((b >> shift) & 0xFF)));
    return d;
}

std::string Bin(const char* name) { return (vistrel::test::BinDir() / name).string(); }

} // namespace

class SchedulerOnADesktop : public ::testing::Test {
protected:
    void SetUp() override
    {
        if (std::string missing = DesktopSession::MissingPieces(); !missing.empty())
            GTEST_SKIP() << "end-to-end test skipped: " << missing;
        session = std::make_unique<DesktopSession>();
        ASSERT_TRUE(session->Ready()) << "Xvfb or trayer did not come up";
        settingsFile = fs::path(std::getenv("XDG_CONFIG_HOME")) / "Vistrel" / "Vistrel.ini";
        platform::settings::SetLocation(settingsFile.string());
        ::unsetenv("VISTREL_SCHEDULER_MINUTE_MS");
    }
    void TearDown() override { platform::settings::SetLocation(""); }

    // A list of three bitmaps made with vistrelctl, polled every 300 ms and
    // due once a minute, so that the first poll changes the wallpaper and
    // later changes come only from the menu.
    void MakeList()
    {
        fs::path pictures = fs::path(session->Home()) / "Pictures";
        fs::create_directories(pictures);
        for (std::size_t i = 0; i < colours.size(); ++i)
            vistrel::test::WriteFile(pictures / ("pic" + std::to_string(i) + ".bmp"), SolidBitmap(colours[i]));
        list = (fs::path(session->Home()) / "all.vist").string();
        ASSERT_EQ(platform::RunProgram(Bin("vistrelctl"), {"new", list}), 0);
        ASSERT_EQ(platform::RunProgram(Bin("vistrelctl"), {"add", list, pictures.string()}), 0);
        ASSERT_EQ(platform::RunProgram(Bin("vistrelctl"), {"use", list}), 0);
        std::string bytes = vistrel::test::ReadFile(list);
        const std::size_t block = 14 + 4 + 4; // magic, random flag, block length
        ASSERT_GT(bytes.size(), block + 64);
        WriteU32(bytes.data() + block + 44, 300); // poll period
        WriteU32(bytes.data() + block + 56, 0);   // hours
        WriteU32(bytes.data() + block + 60, 1);   // minutes
        vistrel::test::WriteFile(list, bytes);

        CRegistryKey key;
        ASSERT_TRUE(key.Create("Software\\Vistrel\\Vistrel\\Wallpaper"));
        ASSERT_TRUE(key.WriteText("Backend", "x11"));
    }

    Child StartScheduler() { return Child(Bin("Vistrel_Scheduler"), {}); }

    // Which of the list's colours the middle of the screen shows, or -1.
    int Showing()
    {
        auto pixel = session->RootPixel(session->ScreenWidth() / 2, session->ScreenHeight() / 2);
        if (!pixel)
            return -1;
        for (std::size_t i = 0; i < colours.size(); ++i)
            if (Distance(*pixel, colours[i]) < 16)
                return static_cast<int>(i);
        return -1;
    }

    // Opens the tray menu with a right click on the icon and chooses an item
    // with the keys given.
    void ChooseFromTrayMenu(const std::vector<std::string>& keys)
    {
        auto icon = session->DockedTrayIcon();
        ASSERT_TRUE(icon.has_value());
        ASSERT_TRUE(session->XDoTool({"mousemove", std::to_string(icon->first), std::to_string(icon->second)}));
        ASSERT_TRUE(session->XDoTool({"click", "3"}));
        std::this_thread::sleep_for(700ms); // the menu comes up
        std::vector<std::string> arguments{"key", "--delay", "100"};
        arguments.insert(arguments.end(), keys.begin(), keys.end());
        ASSERT_TRUE(session->XDoTool(arguments));
    }

    std::unique_ptr<DesktopSession> session;
    fs::path settingsFile;
    std::string list;
    const std::vector<std::uint32_t> colours{0xE02020, 0x20C040, 0x2040E0};
};

TEST_F(SchedulerOnADesktop, ChangesDocksObeysItsMenuAndSavesOnClose)
{
    MakeList();
    ::setenv("VISTREL_SCHEDULER_PICTURE_MS", "300", 1);
    Child scheduler = StartScheduler();

    EXPECT_TRUE(Eventually([&] { return session->DockedTrayIcon().has_value(); }, 15s))
        << "the tray icon is docked in trayer";
    EXPECT_TRUE(Eventually([&] { return Showing() == 0; }, 15s)) << "the first poll shows the first entry";
    if (auto icon = session->DockedTrayIcon()) {
        // The icon's transparent corner shows the tray's own background (an
        // XEmbed tray without an alpha visual), not a black square.
        auto corner = session->RootPixel(icon->first - 11, icon->second - 11);
        auto other = session->RootPixel(icon->first + 10, icon->second - 11);
        ASSERT_TRUE(corner && other);
        EXPECT_NE(*corner, 0u);
        EXPECT_EQ(*corner, *other);
    }

    // A second start ends at once and leaves the first running.
    Child second = StartScheduler();
    EXPECT_EQ(second.WaitFor(5s), std::optional<int>(0));
    EXPECT_TRUE(scheduler.Running());

    // "Change Now" (the item above "Close Scheduler").
    ChooseFromTrayMenu({"Up", "Up", "Return"});
    EXPECT_TRUE(Eventually([&] { return Showing() == 1; }, 10s)) << "Change Now shows the next entry";

    // "Scheduler ON/OFF" (the first item) writes "Active" 0.
    ChooseFromTrayMenu({"Down", "Return"});
    EXPECT_TRUE(Eventually([&] { return ReadSchedulerSettings().active == 0; }, 10s));

    // "Close Scheduler" (the last item) saves the counters and ends.
    ChooseFromTrayMenu({"Up", "Return"});
    EXPECT_TRUE(scheduler.WaitFor(10s).has_value()) << "Close Scheduler ends the program";
    EXPECT_FALSE(session->DockedTrayIcon().has_value()) << "the tray icon goes with it";

    CWallpaperList saved;
    std::string detail;
    ASSERT_EQ(ReadListFile(list, saved, detail), ListLoadStatus::Ok) << detail;
    ASSERT_EQ(saved.GetCount(), 3);
    EXPECT_EQ(saved.GetText(0, kColTotal), "1");
    EXPECT_EQ(saved.GetText(1, kColTotal), "1");
    EXPECT_EQ(saved.GetText(2, kColTotal), "0");
}

TEST_F(SchedulerOnADesktop, NeverWritesIntoADamagedListAndPicksItUpWhenRepaired)
{
    MakeList();
    std::string good = vistrel::test::ReadFile(list);
    std::string damaged = good.substr(0, good.size() - 40);
    vistrel::test::WriteFile(list, damaged);
    ::setenv("VISTREL_SCHEDULER_PICTURE_MS", "100", 1);
    ::setenv("VISTREL_SCHEDULER_MINUTE_MS", "20", 1); // saves every 200 ms
    Child scheduler = StartScheduler();
    EXPECT_TRUE(Eventually([&] { return session->DockedTrayIcon().has_value(); }, 15s));
    std::this_thread::sleep_for(1500ms); // several polls, checks and saves
    EXPECT_EQ(vistrel::test::ReadFile(list), damaged);

    // The repaired list is loaded at the next poll, shown and saved again.
    vistrel::test::WriteFile(list, good);
    EXPECT_TRUE(Eventually([&] { return Showing() == 0; }, 15s));
    EXPECT_TRUE(Eventually(
        [&] {
            CWallpaperList saved;
            std::string detail;
            return ReadListFile(list, saved, detail) == ListLoadStatus::Ok && saved.GetCount() == 3 &&
                   saved.GetText(0, kColTotal) == "1";
        },
        15s));
}
