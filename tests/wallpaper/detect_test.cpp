// SPDX-License-Identifier: GPL-3.0-or-later
// Which backend a session gets: from its environment, and from the settings.
#include "vistrel/wallpaper/installer.h"

#include "test_support.h"

#include "vistrel/platform/settings_store.h"

#include <gtest/gtest.h>

#include <map>

namespace vistrel::wallpaper {
namespace {

// DetectBackend takes a plain function, so the table it reads is global.
std::map<std::string, std::string> environment;

std::string Lookup(const char* name)
{
    auto it = environment.find(name);
    return it == environment.end() ? std::string() : it->second;
}

Backend Detect(std::map<std::string, std::string> variables)
{
    environment = std::move(variables);
    return DetectBackend(&Lookup);
}

#ifndef _WIN32

TEST(DetectBackend, CurrentDesktopNamesTheBackend)
{
    EXPECT_EQ(Detect({{"XDG_CURRENT_DESKTOP", "GNOME"}}), Backend::Gnome);
    EXPECT_EQ(Detect({{"XDG_CURRENT_DESKTOP", "ubuntu:GNOME"}}), Backend::Gnome);
    EXPECT_EQ(Detect({{"XDG_CURRENT_DESKTOP", "Budgie:GNOME"}}), Backend::Gnome);
    EXPECT_EQ(Detect({{"XDG_CURRENT_DESKTOP", "Unity"}}), Backend::Gnome);
    EXPECT_EQ(Detect({{"XDG_CURRENT_DESKTOP", "X-Cinnamon"}}), Backend::Cinnamon);
    EXPECT_EQ(Detect({{"XDG_CURRENT_DESKTOP", "MATE"}}), Backend::Mate);
    EXPECT_EQ(Detect({{"XDG_CURRENT_DESKTOP", "KDE"}}), Backend::Kde);
    EXPECT_EQ(Detect({{"XDG_CURRENT_DESKTOP", "XFCE"}}), Backend::Xfce);
    EXPECT_EQ(Detect({{"XDG_CURRENT_DESKTOP", "LXQt"}}), Backend::Lxqt);
    EXPECT_EQ(Detect({{"XDG_CURRENT_DESKTOP", "sway"}}), Backend::Sway);
    // The first name we know wins, whatever follows.
    EXPECT_EQ(Detect({{"XDG_CURRENT_DESKTOP", "Pantheon:KDE:GNOME"}}), Backend::Kde);
    // The desktop beats the bare X display it runs on.
    EXPECT_EQ(Detect({{"XDG_CURRENT_DESKTOP", "XFCE"}, {"DISPLAY", ":0"}}), Backend::Xfce);
}

TEST(DetectBackend, OtherVariablesWhenTheDesktopIsUnknown)
{
    EXPECT_EQ(Detect({{"XDG_CURRENT_DESKTOP", "Hyprland"}, {"SWAYSOCK", "/run/user/1/sway.sock"}}),
              Backend::Sway);
    EXPECT_EQ(Detect({{"KDE_SESSION_VERSION", "6"}, {"DISPLAY", ":0"}}), Backend::Kde);
    EXPECT_EQ(Detect({{"DESKTOP_SESSION", "mate"}}), Backend::Mate);
    EXPECT_EQ(Detect({{"DESKTOP_SESSION", "/usr/share/xsessions/plasma"}}), Backend::Kde);
    EXPECT_EQ(Detect({{"DESKTOP_SESSION", "cinnamon"}}), Backend::Cinnamon);
}

TEST(DetectBackend, BareX11OnlyOutsideWayland)
{
    EXPECT_EQ(Detect({{"DISPLAY", ":0"}}), Backend::X11);
    EXPECT_EQ(Detect({{"DISPLAY", ":0"}, {"XDG_SESSION_TYPE", "x11"}, {"DESKTOP_SESSION", "i3"}}),
              Backend::X11);
    // XWayland's root window is not what an unknown Wayland desktop shows.
    EXPECT_EQ(Detect({{"DISPLAY", ":0"}, {"XDG_SESSION_TYPE", "wayland"}}), Backend::None);
    EXPECT_EQ(Detect({{"DISPLAY", ":0"}, {"WAYLAND_DISPLAY", "wayland-0"}}), Backend::None);
    EXPECT_EQ(Detect({}), Backend::None);
    // A known desktop under Wayland still has its backend.
    EXPECT_EQ(Detect({{"XDG_CURRENT_DESKTOP", "GNOME"}, {"XDG_SESSION_TYPE", "wayland"}}), Backend::Gnome);
}

#else

TEST(DetectBackend, WindowsIsAlwaysWindows)
{
    EXPECT_EQ(Detect({{"XDG_CURRENT_DESKTOP", "GNOME"}, {"DISPLAY", ":0"}}), Backend::Windows);
}

#endif

class ChooseBackendTest : public ::testing::Test {
protected:
    void SetUp() override { ASSERT_TRUE(platform::settings::CreateKey(kWallpaperKey)); }

    test::ScopedSettings settings_;
};

TEST_F(ChooseBackendTest, SettingsOverrideDetection)
{
    test::ScopedEnvironment desktop("XDG_CURRENT_DESKTOP", "GNOME");
    ASSERT_TRUE(platform::settings::WriteText(kWallpaperKey, "Backend", "xfce"));
    BackendChoice choice = ChooseBackend();
    EXPECT_EQ(choice.backend, Backend::Xfce);
    EXPECT_TRUE(choice.error.empty());

    ASSERT_TRUE(platform::settings::WriteText(kWallpaperKey, "Backend", "command"));
    ASSERT_TRUE(platform::settings::WriteText(kWallpaperKey, "Command", "feh --bg-tile %f"));
    choice = ChooseBackend();
    EXPECT_EQ(choice.backend, Backend::Command);
    EXPECT_EQ(choice.commandTemplate, "feh --bg-tile %f");
}

TEST_F(ChooseBackendTest, NoValueOrAutoDetects)
{
    test::ScopedEnvironment desktop("XDG_CURRENT_DESKTOP", "KDE");
#ifdef _WIN32
    const Backend expected = Backend::Windows;
#else
    const Backend expected = Backend::Kde;
#endif
    EXPECT_EQ(ChooseBackend().backend, expected);
    ASSERT_TRUE(platform::settings::WriteText(kWallpaperKey, "Backend", "Auto"));
    EXPECT_EQ(ChooseBackend().backend, expected);
}

TEST_F(ChooseBackendTest, BadSettingsAreErrorsNotGuesses)
{
    ASSERT_TRUE(platform::settings::WriteText(kWallpaperKey, "Backend", "enlightenment"));
    BackendChoice choice = ChooseBackend();
    EXPECT_EQ(choice.backend, Backend::None);
    EXPECT_NE(choice.error.find("enlightenment"), std::string::npos) << choice.error;

    ASSERT_TRUE(platform::settings::WriteText(kWallpaperKey, "Backend", "command"));
    choice = ChooseBackend();
    EXPECT_EQ(choice.backend, Backend::None);
    EXPECT_NE(choice.error.find("Command"), std::string::npos) << choice.error;

    std::string error;
    EXPECT_FALSE(InstallWallpaper("/nowhere/VistrelImage.bmp", Style::Tile, error));
    EXPECT_NE(error.find("Command"), std::string::npos) << error;
}

} // namespace
} // namespace vistrel::wallpaper
