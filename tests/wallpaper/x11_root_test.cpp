// SPDX-License-Identifier: GPL-3.0-or-later
// The bare-X11 backend and the X11 geometry against a real X server: Xvfb,
// started for these tests on a display number it picks itself.
#include "vistrel/wallpaper/installer.h"
#include "vistrel/wallpaper/screen.h"
#include "vistrel/wallpaper/x11_root.h"

#include "test_support.h"

#include "vistrel/platform/process.h"
#include "vistrel/platform/settings_store.h"

// GoogleTest before Xlib: Xlib's None and Bool macros would break its names.
#include <gtest/gtest.h>

#include "x_root_test.h"

#include <X11/Xatom.h>
#include <X11/Xlib.h>
#include <X11/Xutil.h>

#include <filesystem>
#include <unistd.h>

namespace vistrel::wallpaper {
namespace {

constexpr int kScreenWidth = 1024;
constexpr int kScreenHeight = 768;

class X11RootTest : public vistrel::test::XRootTest<kScreenWidth, kScreenHeight> {
protected:
    const std::string display_ = DisplayName();

    static Picture MakePicture(int width, int height)
    {
        std::string error;
        std::string bytes = test::MakeBitmap24(width, height, test::Pattern);
        std::optional<Picture> picture =
            ParseBitmap(reinterpret_cast<const std::uint8_t*>(bytes.data()), bytes.size(), error);
        EXPECT_TRUE(picture) << error;
        return picture.value_or(Picture{});
    }
};

TEST_F(X11RootTest, TiledFromTheOrigin)
{
    Picture picture = MakePicture(37, 23);
    std::string error;
    ASSERT_TRUE(SetRootPicture(picture.View(), Style::Tile, {display_, 0x123456}, error)) << error;
    Pixmap pixmap = Property("_XROOTPMAP_ID");
    ASSERT_NE(pixmap, static_cast<Pixmap>(None));
    EXPECT_EQ(Property("ESETROOT_PMAP_ID"), pixmap);
    ExpectScreen(pixmap, [](int x, int y) { return test::Pattern(x % 37, y % 23); });
    // The root window shows it: nothing covers the root on a bare server.
    ExpectScreen(root_, [](int x, int y) { return test::Pattern(x % 37, y % 23); });
}

TEST_F(X11RootTest, CentredOnTheBackgroundRoundingDown)
{
    // 1024 - 101 = 923 and 768 - 77 = 691: half a pixel to round down.
    Picture picture = MakePicture(101, 77);
    std::string error;
    ASSERT_TRUE(SetRootPicture(picture.View(), Style::Center, {display_, 0x123456}, error)) << error;
    ExpectScreen(Property("_XROOTPMAP_ID"), [](int x, int y) {
        int px = x - 461, py = y - 345;
        return px >= 0 && px < 101 && py >= 0 && py < 77 ? test::Pattern(px, py) : 0x123456u;
    });

    // Larger than the screen: the middle of the picture shows, the offset
    // rounded down as well (-3 / 2 gives -2).
    Picture large = MakePicture(kScreenWidth + 3, kScreenHeight + 5);
    ASSERT_TRUE(SetRootPicture(large.View(), Style::Center, {display_, 0}, error)) << error;
    ExpectScreen(Property("_XROOTPMAP_ID"), [](int x, int y) { return test::Pattern(x + 2, y + 3); });
}

TEST_F(X11RootTest, ThePreviousPixmapIsFreedAndTheNewOneOutlivesItsSetter)
{
    Picture picture = MakePicture(8, 8);
    std::string error;
    ASSERT_TRUE(SetRootPicture(picture.View(), Style::Tile, {display_, 0}, error)) << error;
    Pixmap first = Property("_XROOTPMAP_ID");
    // Our setter's connection is closed, yet its pixmap lives on.
    EXPECT_TRUE(PixmapExists(first));

    ASSERT_TRUE(SetRootPicture(picture.View(), Style::Center, {display_, 0}, error)) << error;
    Pixmap second = Property("_XROOTPMAP_ID");
    EXPECT_NE(second, first);
    EXPECT_EQ(Property("ESETROOT_PMAP_ID"), second);
    EXPECT_FALSE(PixmapExists(first));
    EXPECT_TRUE(PixmapExists(second));

    // When another program has taken over _XROOTPMAP_ID, the ESETROOT pixmap
    // may still be in use by it: it is left alone.
    Pixmap foreign = XCreatePixmap(connection_, root_, 4, 4, 24);
    XChangeProperty(connection_, root_, XInternAtom(connection_, "_XROOTPMAP_ID", False), XA_PIXMAP, 32,
                    PropModeReplace, reinterpret_cast<unsigned char*>(&foreign), 1);
    XSync(connection_, False);
    ASSERT_TRUE(SetRootPicture(picture.View(), Style::Tile, {display_, 0}, error)) << error;
    EXPECT_TRUE(PixmapExists(second));
    EXPECT_TRUE(PixmapExists(foreign));
}

TEST_F(X11RootTest, InstallerReadsTheWallpaperFile)
{
    test::TempFolder folder;
    auto file = folder.path() / "VistrelImage.bmp";
    test::WriteFile(file, test::MakeBitmap24(50, 40, test::Pattern));
    test::ScopedEnvironment display("DISPLAY", display_);
    std::unique_ptr<WallpaperInstaller> installer = CreateInstaller(Backend::X11);
    ASSERT_TRUE(installer);
    installer->SetStyle(Style::Tile);
    installer->SetFile(file.string());
    std::string error;
    ASSERT_TRUE(installer->Apply(error)) << error;
    ExpectScreen(Property("_XROOTPMAP_ID"), [](int x, int y) { return test::Pattern(x % 50, y % 40); });

    test::WriteFile(file, "BM not really");
    EXPECT_FALSE(installer->Apply(error));
    EXPECT_NE(error.find("VistrelImage.bmp"), std::string::npos) << error;

    test::ScopedEnvironment noDisplay("DISPLAY", ":9999");
    test::WriteFile(file, test::MakeBitmap24(5, 4, test::Pattern));
    EXPECT_FALSE(installer->Apply(error));
    EXPECT_NE(error.find(":9999"), std::string::npos) << error;
}

// LXQt: "pcmanfm-qt --set-wallpaper" exits 0 and changes nothing when no
// pcmanfm-qt desktop runs. Then the bare root is what shows, and it is drawn;
// once pcmanfm-qt shows its desktop window, the tool is used.
TEST_F(X11RootTest, LxqtWithoutPcmanfmDesktopDrawsTheRoot)
{
    test::TempFolder folder;
    std::filesystem::create_directories(folder.path() / "bin");
    std::filesystem::create_symlink(std::filesystem::path(VISTREL_WALLPAPER_FAKEBIN) / "desktop-tool",
                                    folder.path() / "bin" / "pcmanfm-qt");
    auto file = folder.path() / "VistrelImage.bmp";
    test::WriteFile(file, test::MakeBitmap24(30, 20, test::Pattern));
    auto log = folder.path() / "calls.log";
    test::ScopedEnvironment display("DISPLAY", display_);
    test::ScopedEnvironment wayland("WAYLAND_DISPLAY", std::nullopt);
    test::ScopedEnvironment session("XDG_SESSION_TYPE", "x11");
    test::ScopedEnvironment path("PATH", (folder.path() / "bin").string());
    test::ScopedEnvironment logVariable("VISTREL_FAKE_LOG", log.string());
    auto apply = [&] {
        std::unique_ptr<WallpaperInstaller> installer = CreateInstaller(Backend::Lxqt);
        installer->SetStyle(Style::Tile);
        installer->SetFile(file.string());
        std::string error;
        EXPECT_TRUE(installer->Apply(error)) << error;
    };

    apply();
    EXPECT_FALSE(std::filesystem::exists(log)) << "pcmanfm-qt would have changed nothing";
    ExpectScreen(Property("_XROOTPMAP_ID"), [](int x, int y) { return test::Pattern(x % 30, y % 20); });

    // pcmanfm-qt's desktop: a window of the desktop type with its class.
    Window desktop = XCreateSimpleWindow(connection_, root_, 0, 0, kScreenWidth, kScreenHeight, 0, 0, 0);
    XClassHint hint{const_cast<char*>("pcmanfm-qt"), const_cast<char*>("pcmanfm-qt")};
    XSetClassHint(connection_, desktop, &hint);
    Atom type = XInternAtom(connection_, "_NET_WM_WINDOW_TYPE", False);
    Atom desktopType = XInternAtom(connection_, "_NET_WM_WINDOW_TYPE_DESKTOP", False);
    XChangeProperty(connection_, desktop, type, XA_ATOM, 32, PropModeReplace,
                    reinterpret_cast<unsigned char*>(&desktopType), 1);
    XSync(connection_, False);
    apply();
    EXPECT_FALSE(std::filesystem::exists(log)) << "an unmapped window draws nothing";
    XMapWindow(connection_, desktop);
    XSync(connection_, False);
    apply();
    ASSERT_TRUE(std::filesystem::exists(log));
    EXPECT_EQ(test::ReadFile(log).rfind(std::string("pcmanfm-qt\0--set-wallpaper\0", 27), 0), 0u);
    XDestroyWindow(connection_, desktop);
    XSync(connection_, False);
}

// A desktop program's window over the root: of the desktop type, with its
// WM_CLASS, mapped.
Window ShowDesktopWindow(Display* connection, Window root, const char* wmClass)
{
    Window desktop = XCreateSimpleWindow(connection, root, 0, 0, 64, 64, 0, 0, 0);
    XClassHint hint{const_cast<char*>(wmClass), const_cast<char*>(wmClass)};
    XSetClassHint(connection, desktop, &hint);
    Atom type = XInternAtom(connection, "_NET_WM_WINDOW_TYPE", False);
    Atom desktopType = XInternAtom(connection, "_NET_WM_WINDOW_TYPE_DESKTOP", False);
    XChangeProperty(connection, desktop, type, XA_ATOM, 32, PropModeReplace,
                    reinterpret_cast<unsigned char*>(&desktopType), 1);
    XMapWindow(connection, desktop);
    XSync(connection, False);
    return desktop;
}

// XFCE without a running xfdesktop: xfconf-query takes the picture and
// nothing changes on the screen. The bare root is drawn instead. Bare X11
// under xfdesktop's window: drawing the root would show nothing, so the
// picture goes to xfdesktop; under an unknown desktop window, the change
// fails and says the root is hidden.
TEST_F(X11RootTest, EachDesktopWindowDecidesWhereThePictureGoes)
{
    test::TempFolder folder;
    std::filesystem::create_directories(folder.path() / "bin");
    std::filesystem::create_symlink(std::filesystem::path(VISTREL_WALLPAPER_FAKEBIN) / "desktop-tool",
                                    folder.path() / "bin" / "xfconf-query");
    auto file = folder.path() / "VistrelImage.bmp";
    test::WriteFile(file, test::MakeBitmap24(30, 20, test::Pattern));
    auto log = folder.path() / "calls.log";
    test::ScopedEnvironment display("DISPLAY", display_);
    test::ScopedEnvironment wayland("WAYLAND_DISPLAY", std::nullopt);
    test::ScopedEnvironment session("XDG_SESSION_TYPE", "x11");
    test::ScopedEnvironment path("PATH", (folder.path() / "bin").string());
    test::ScopedEnvironment logVariable("VISTREL_FAKE_LOG", log.string());
    auto apply = [&](Backend backend, std::string& error) {
        std::unique_ptr<WallpaperInstaller> installer = CreateInstaller(backend);
        installer->SetStyle(Style::Tile);
        installer->SetFile(file.string());
        return installer->Apply(error);
    };
    std::string error;

    ASSERT_TRUE(apply(Backend::Xfce, error)) << error;
    EXPECT_FALSE(std::filesystem::exists(log)) << "xfconf-query would have changed nothing";
    ExpectScreen(Property("_XROOTPMAP_ID"), [](int x, int y) { return test::Pattern(x % 30, y % 20); });

    Window xfdesktop = ShowDesktopWindow(connection_, root_, "Xfdesktop");
    ASSERT_TRUE(apply(Backend::X11, error)) << error;
    ASSERT_TRUE(std::filesystem::exists(log)) << "the picture went to xfdesktop";
    EXPECT_EQ(test::ReadFile(log).rfind(std::string("xfconf-query\0-c\0xfce4-desktop\0-l\0", 33), 0), 0u);
    XDestroyWindow(connection_, xfdesktop);

    Window unknown = ShowDesktopWindow(connection_, root_, "Mydesk");
    EXPECT_FALSE(apply(Backend::X11, error));
    EXPECT_NE(error.find("\"Mydesk\" covers the X11 root window"), std::string::npos) << error;
    XDestroyWindow(connection_, unknown);
    XSync(connection_, False);
    EXPECT_TRUE(apply(Backend::X11, error)) << error;
}

TEST_F(X11RootTest, GeometryFromTheServerAndTheWorkArea)
{
    test::ScopedEnvironment display("DISPLAY", display_);
    ScreenGeometry geometry;
    ASSERT_TRUE(QueryPlatformGeometry(geometry));
    EXPECT_EQ(geometry.width, kScreenWidth);
    EXPECT_EQ(geometry.height, kScreenHeight);
    EXPECT_EQ(geometry.workArea.right, kScreenWidth);
    EXPECT_EQ(geometry.workArea.bottom, kScreenHeight);

    // What a window manager with a top and a left panel announces, for two
    // desktops; the second is the current one.
    long area[8] = {0, 0, 1024, 768, 48, 30, 976, 738};
    long current = 1;
    Atom workarea = XInternAtom(connection_, "_NET_WORKAREA", False);
    Atom desktop = XInternAtom(connection_, "_NET_CURRENT_DESKTOP", False);
    XChangeProperty(connection_, root_, workarea, XA_CARDINAL, 32, PropModeReplace,
                    reinterpret_cast<unsigned char*>(area), 8);
    XChangeProperty(connection_, root_, desktop, XA_CARDINAL, 32, PropModeReplace,
                    reinterpret_cast<unsigned char*>(&current), 1);
    XSync(connection_, False);
    ASSERT_TRUE(QueryPlatformGeometry(geometry));
    EXPECT_EQ(geometry.workArea.left, 48);
    EXPECT_EQ(geometry.workArea.top, 30);
    EXPECT_EQ(geometry.workArea.right, 1024);
    EXPECT_EQ(geometry.workArea.bottom, 768);
    XDeleteProperty(connection_, root_, workarea);
    XDeleteProperty(connection_, root_, desktop);
    XSync(connection_, False);

    // Settings override what the server says.
    test::ScopedSettings settings;
    ASSERT_TRUE(platform::settings::CreateKey(kScreenKey));
    ASSERT_TRUE(platform::settings::WriteNumber(kScreenKey, "Background", 0x336699));
    ASSERT_TRUE(platform::settings::WriteNumber(kScreenKey, "WorkHeight", 700));
    ASSERT_TRUE(platform::settings::WriteNumber(kScreenKey, "WorkWidth", 1000));
    geometry = QueryScreenGeometry();
    EXPECT_EQ(geometry.source, GeometrySource::Platform);
    EXPECT_EQ(geometry.width, kScreenWidth);
    EXPECT_EQ(geometry.workArea.right, 1000);
    EXPECT_EQ(geometry.workArea.bottom, 700);
    EXPECT_EQ(geometry.background, 0x336699u);
}

} // namespace
} // namespace vistrel::wallpaper
