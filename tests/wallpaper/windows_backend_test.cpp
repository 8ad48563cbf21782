// SPDX-License-Identifier: GPL-3.0-or-later
// The Windows backend through the real system calls (under Wine in CI).
#ifdef _WIN32

#include "vistrel/wallpaper/installer.h"
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
    if (::RegGetValueW(HKEY_CURRENT_USER, L"Control Panel\\Desktop", name, RRF_RT_REG_SZ, nullptr, value,
                       &size) != ERROR_SUCCESS)
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

} // namespace
} // namespace vistrel::wallpaper

#endif
