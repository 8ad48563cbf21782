// SPDX-License-Identifier: GPL-3.0-or-later
// The Windows backend through the real system calls (under Wine in CI).
#ifdef _WIN32

#include "vistrel/wallpaper/installer.h"
#include "vistrel/wallpaper/monitors.h"
#include "vistrel/wallpaper/screen.h"

#include "test_support.h"

#include <windows.h>

#include <gtest/gtest.h>

namespace vistrel::wallpaper {
namespace {

std::wstring DesktopText(const wchar_t* name)
{
    wchar_t value[64] = {};
    DWORD size = sizeof value;
    if (::RegGetValueW(HKEY_CURRENT_USER, L"Control Panel\\Desktop", name, RRF_RT_REG_SZ, nullptr, value, &size) !=
        ERROR_SUCCESS)
        return L"<missing>";
    return value;
}

std::wstring CurrentWallpaper()
{
    wchar_t path[MAX_PATH] = {};
    EXPECT_TRUE(::SystemParametersInfoW(SPI_GETDESKWALLPAPER, MAX_PATH, path, 0));
    return path;
}

TEST(WindowsWallpaper, SetsFileAndStyle)
{
    // The user's wallpaper comes back at the end, should this run on a real
    // desktop.
    std::wstring before = CurrentWallpaper();
    test::TempFolder folder;
    std::filesystem::path file = folder.path() / "VistrelImage.bmp";
    test::WriteFile(file, test::MakeBitmap24(16, 8, test::Pattern));

    std::unique_ptr<WallpaperInstaller> installer = CreateInstaller(Backend::Windows);
    ASSERT_TRUE(installer);
    EXPECT_EQ(installer->Name(), "windows");
    ASSERT_TRUE(installer->SetFile(file.string()));
    ASSERT_TRUE(installer->SetStyle(Style::Tile));
    std::string error;
    ASSERT_TRUE(installer->Apply(error)) << error;
    EXPECT_EQ(CurrentWallpaper(), file.wstring());
    EXPECT_EQ(DesktopText(L"TileWallpaper"), L"1");
    EXPECT_EQ(DesktopText(L"WallpaperStyle"), L"0");

    ASSERT_TRUE(installer->SetStyle(Style::Center));
    ASSERT_TRUE(installer->Apply(error)) << error;
    EXPECT_EQ(DesktopText(L"TileWallpaper"), L"0");

    ::SystemParametersInfoW(SPI_SETDESKWALLPAPER, 0, before.data(), SPIF_UPDATEINIFILE | SPIF_SENDCHANGE);
}

TEST(WindowsWallpaper, GeometryFromTheSystem)
{
    ScreenGeometry geometry;
    ASSERT_TRUE(QueryPlatformGeometry(geometry));
    EXPECT_EQ(geometry.width, ::GetSystemMetrics(SM_CXSCREEN));
    EXPECT_EQ(geometry.height, ::GetSystemMetrics(SM_CYSCREEN));
    EXPECT_GE(geometry.workArea.left, 0);
    EXPECT_LE(geometry.workArea.right, geometry.width);
    EXPECT_LE(geometry.workArea.bottom, geometry.height);
    EXPECT_LT(geometry.workArea.left, geometry.workArea.right);
    EXPECT_EQ(geometry.background >> 24, 0u);
}

TEST(WindowsWallpaper, MonitorsAreReadPrimaryFirst)
{
    MonitorLayout layout;
    ASSERT_TRUE(QueryPlatformMonitors(layout));
    EXPECT_EQ(layout.from, MonitorSource::Windows);
    ASSERT_FALSE(layout.monitors.empty());
    OrderMonitors(layout.monitors);
    const Monitor& primary = layout.monitors.front();
    EXPECT_TRUE(primary.primary);
    EXPECT_EQ(primary.area.width, ::GetSystemMetrics(SM_CXSCREEN));
    EXPECT_EQ(primary.area.height, ::GetSystemMetrics(SM_CYSCREEN));
    EXPECT_LE(primary.workArea.right, primary.area.width);
    EXPECT_FALSE(primary.name.empty());
}

// Where the shell's desktop wallpaper object is missing (Wine, Windows 7),
// two monitors get one picture of the layout, spanned.
TEST(WindowsWallpaper, SeveralMonitorsWithoutTheShellsObjectAreSpanned)
{
    std::wstring before = CurrentWallpaper();
    test::TempFolder folder;
    test::ScopedEnvironment appData("APPDATA", folder.path().string());
    std::filesystem::create_directories(folder.path() / "Vistrel");
    const std::filesystem::path left = folder.path() / "Vistrel" / "VistrelImage.bmp",
                                right = folder.path() / "Vistrel" / "VistrelImage2.bmp";
    test::WriteFile(left, test::MakeBitmap24(6, 4, test::Pattern));
    test::WriteFile(right, test::MakeBitmap24(3, 3, test::Pattern));
    std::string error;
    std::vector<Picture> pictures;
    for (const auto& file : {left, right})
        pictures.push_back(*ReadBitmapFile(file.string(), error));
    MonitorLayout layout;
    layout.monitors = {{"DISPLAY1", {0, 0, 6, 4}, {0, 0, 6, 4}, true}, {"DISPLAY2", {6, 0, 3, 3}, {0, 0, 3, 3}, false}};
    const std::vector<MonitorWallpaper> wallpapers{
        {{0, 0, 6, 4}, "DISPLAY1", left.string(), Style::Center, pictures[0].View()},
        {{6, 0, 3, 3}, "DISPLAY2", right.string(), Style::Center, pictures[1].View()}};
    std::unique_ptr<WallpaperInstaller> installer = CreateInstaller(Backend::Windows);
    ASSERT_TRUE(installer->ApplyMonitors(layout, wallpapers, error)) << error;
    const std::filesystem::path whole = folder.path() / "Vistrel" / "VistrelImageAll.bmp";
    EXPECT_EQ(CurrentWallpaper(), whole.wstring());
    EXPECT_EQ(DesktopText(L"WallpaperStyle"), L"22");
    EXPECT_EQ(DesktopText(L"TileWallpaper"), L"0");
    std::optional<Picture> spanned = ReadBitmapFile(whole.string(), error);
    ASSERT_TRUE(spanned) << error;
    EXPECT_EQ(spanned->width, 9);
    EXPECT_EQ(spanned->height, 4);
    EXPECT_EQ(spanned->View().Pixel(7, 1), test::Pattern(1, 1));
    ::SystemParametersInfoW(SPI_SETDESKWALLPAPER, 0, before.data(), SPIF_UPDATEINIFILE | SPIF_SENDCHANGE);
}

} // namespace
} // namespace vistrel::wallpaper

#endif
