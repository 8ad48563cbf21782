// SPDX-License-Identifier: GPL-3.0-or-later
// The real Vistrel_Scheduler while monitors come and go (declared with
// "xrandr --setmonitor" on Xvfb): the picture it shows is composed again for
// the new layout, and the list does not move on for it.
#include "desktop_session.h"

#include "vistrel/core/param_block.h"
#include "vistrel/core/registry_key.h"
#include "vistrel/platform/process.h"
#include "vistrel/platform/settings_store.h"

#include <cstdlib>
#include <filesystem>
#include <gtest/gtest.h>

using namespace vistrel;
using namespace vistrel::scheduler::test;
using namespace std::chrono_literals;
namespace fs = std::filesystem;

namespace {

std::string Bin(const char* name) { return (vistrel::test::BinDir() / name).string(); }

// A square bitmap of one colour (0xRRGGBB).
std::string SolidSquare(int side, std::uint32_t rgb)
{
    const std::size_t stride = (static_cast<std::size_t>(side) * 3 + 3) / 4 * 4;
    std::string pixels(stride * static_cast<std::size_t>(side), '\0');
    for (int y = 0; y < side; ++y)
        for (int x = 0; x < side; ++x) {
            char* p = pixels.data() + static_cast<std::size_t>(y) * stride + static_cast<std::size_t>(x) * 3;
            p[0] = static_cast<char>(rgb & 0xFF);
            p[1] = static_cast<char>(rgb >> 8 & 0xFF);
            p[2] = static_cast<char>(rgb >> 16 & 0xFF);
        }
    std::string file(54, '\0');
    file[0] = 'B';
    file[1] = 'M';
    WriteU32(file.data() + 2, static_cast<std::uint32_t>(54 + pixels.size()));
    WriteU32(file.data() + 10, 54);
    WriteU32(file.data() + 14, 40);
    WriteU32(file.data() + 18, static_cast<std::uint32_t>(side));
    WriteU32(file.data() + 22, static_cast<std::uint32_t>(side));
    file[26] = 1;
    file[28] = 24;
    WriteU32(file.data() + 34, static_cast<std::uint32_t>(pixels.size()));
    return file + pixels;
}

class SchedulerMonitors : public ::testing::Test {
protected:
    void SetUp() override
    {
        if (std::string missing = DesktopSession::MissingPieces(); !missing.empty())
            GTEST_SKIP() << "scheduler test skipped: " << missing;
        if (platform::FindOnPath("xrandr").empty())
            GTEST_SKIP() << "scheduler test skipped: xrandr (x11-xserver-utils) is not installed";
        session = std::make_unique<DesktopSession>(kWidth, kHeight);
        ASSERT_TRUE(session->Ready()) << "Xvfb or trayer did not come up";
        platform::settings::SetLocation(
            (fs::path(std::getenv("XDG_CONFIG_HOME")) / "Vistrel" / "Vistrel.ini").string());
        ::unsetenv("VISTREL_SCHEDULER_MINUTE_MS");
    }
    void TearDown() override { platform::settings::SetLocation(""); }

    static bool XRandR(const std::vector<std::string>& arguments)
    {
        std::string ignored;
        return platform::RunProgram("xrandr", arguments, &ignored, &ignored) == 0;
    }

    // Two colours in Proportioned Fit, polled every 300 ms and due once a
    // minute: the first poll shows the first, and nothing else changes it.
    void MakeList()
    {
        fs::path pictures = fs::path(session->Home()) / "Pictures";
        fs::create_directories(pictures);
        vistrel::test::WriteFile(pictures / "a.bmp", SolidSquare(120, kFirst));
        vistrel::test::WriteFile(pictures / "b.bmp", SolidSquare(120, kSecond));
        const std::string list = (fs::path(session->Home()) / "all.vist").string();
        ASSERT_EQ(platform::RunProgram(Bin("vistrelctl"), {"new", list}), 0);
        ASSERT_EQ(platform::RunProgram(Bin("vistrelctl"), {"add", list, pictures.string()}), 0);
        ASSERT_EQ(platform::RunProgram(Bin("vistrelctl"), {"mode", list, "all", "proportioned"}), 0);
        ASSERT_EQ(platform::RunProgram(Bin("vistrelctl"), {"use", list}), 0);
        std::string bytes = vistrel::test::ReadFile(list);
        const std::size_t block = 14 + 4 + 4;     // magic, random flag, block length
        WriteU32(bytes.data() + block + 44, 300); // poll period
        WriteU32(bytes.data() + block + 56, 0);   // hours
        WriteU32(bytes.data() + block + 60, 1);   // minutes
        vistrel::test::WriteFile(list, bytes);
        CRegistryKey key;
        ASSERT_TRUE(key.Create("Software\\Vistrel\\Vistrel\\Wallpaper"));
        ASSERT_TRUE(key.WriteText("Backend", "x11"));
    }

    bool Shows(int x, int y, std::uint32_t rgb)
    {
        auto pixel = session->RootPixel(x, y);
        return pixel && *pixel == rgb;
    }

    static constexpr int kWidth = 1000, kHeight = 400;
    static constexpr std::uint32_t kFirst = 0xE02020, kSecond = 0x20C040;
    std::unique_ptr<DesktopSession> session;
};

TEST_F(SchedulerMonitors, AMonitorAddedResizedAndRemovedIsRedrawnWithoutMovingOn)
{
    // A 600 x 400 monitor with a 400 x 200 one right of it, top-aligned.
    ASSERT_TRUE(XRandR({"--setmonitor", "LEFT", "600/160x400/106+0+0", "screen"}));
    ASSERT_TRUE(XRandR({"--setmonitor", "RIGHT", "400/106x200/53+600+0", "none"}));
    MakeList();
    ::setenv("VISTREL_SCHEDULER_PICTURE_MS", "300", 1);
    Child scheduler(Bin("Vistrel_Scheduler"), {});

    // The square fitted to each: 400 x 400 in the middle of the left one,
    // 200 x 200 in the middle of the right one (x 700 to 900).
    EXPECT_TRUE(Eventually([&] { return Shows(300, 200, kFirst); }, 15s)) << "the first poll shows the first entry";
    EXPECT_TRUE(Shows(800, 100, kFirst));
    EXPECT_FALSE(Shows(650, 100, kFirst));

    // The right monitor grows to 400 x 400: its square fills it.
    ASSERT_TRUE(XRandR({"--delmonitor", "RIGHT"}));
    ASSERT_TRUE(XRandR({"--setmonitor", "RIGHT", "400/106x400/106+600+0", "none"}));
    EXPECT_TRUE(Eventually([&] { return Shows(650, 300, kFirst); }, 10s)) << "the resized monitor is redrawn";
    EXPECT_TRUE(Shows(300, 200, kFirst)) << "the same entry, not the next one";

    // Without the right monitor only the left one shows a picture.
    ASSERT_TRUE(XRandR({"--delmonitor", "RIGHT"}));
    EXPECT_TRUE(Eventually([&] { return !Shows(650, 300, kFirst); }, 10s)) << "the removed monitor is left out";
    EXPECT_TRUE(Shows(300, 200, kFirst));
    EXPECT_FALSE(Shows(300, 200, kSecond));
}

} // namespace
