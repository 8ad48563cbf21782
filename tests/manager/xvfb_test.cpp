// SPDX-License-Identifier: GPL-3.0-or-later
// The real list manager on a real X server: Vistrel started with a list of
// a few bitmaps shows them with their icons and starts the real scheduler,
// whose tray menu opens from its docked icon. The screenshots are written
// into the build folder (scripts/update-screenshots.sh copies them into
// docs/ for the README).
#include "../scheduler/desktop_session.h"
#include "list/extender_icons.h"
#include "vistrel/core/extender_registry.h"
#include "vistrel/core/list_file.h"
#include "vistrel/core/param_block.h"
#include "vistrel/core/registry_key.h"
#include "vistrel/platform/instance_lock.h"
#include "vistrel/platform/process.h"
#include "vistrel/platform/settings_store.h"

#include <QGuiApplication>
#include <QImage>
#include <QPainter>
#include <algorithm>
#include <csignal>
#include <filesystem>
#include <functional>
#include <gtest/gtest.h>
#include <iostream>
#include <optional>
#include <set>
#include <unistd.h>

using namespace std::chrono_literals;
using namespace vistrel;
using vistrel::scheduler::test::Child;
using vistrel::scheduler::test::DesktopSession;
using vistrel::scheduler::test::Eventually;
using vistrel::test::BinDir;
namespace fs = std::filesystem;

namespace {

// Where a picture is in a screenshot: the top-left corner of the first
// place whose pixels match within `tolerance` per channel.
std::optional<QPoint> Find(const QImage& screen, const QImage& picture, int tolerance = 3)
{
    auto close = [tolerance](QRgb a, QRgb b) {
        return std::abs(qRed(a) - qRed(b)) <= tolerance && std::abs(qGreen(a) - qGreen(b)) <= tolerance &&
               std::abs(qBlue(a) - qBlue(b)) <= tolerance;
    };
    for (int y = 0; y + picture.height() <= screen.height(); ++y)
        for (int x = 0; x + picture.width() <= screen.width(); ++x) {
            bool same = true;
            for (int dy = 0; dy < picture.height() && same; ++dy)
                for (int dx = 0; dx < picture.width() && same; ++dx)
                    same = close(screen.pixel(x + dx, y + dy), picture.pixel(dx, dy));
            if (same)
                return QPoint(x, y);
        }
    return std::nullopt;
}

// An icon as the list draws it: over the list's white.
QImage OverWhite(const QPixmap& icon)
{
    QImage image(icon.size(), QImage::Format_RGB32);
    image.fill(Qt::white);
    QPainter painter(&image);
    painter.drawPixmap(0, 0, icon);
    return image;
}

// Processes whose program is `program` (a path of the test's own).
std::vector<pid_t> ProcessesOf(const fs::path& program)
{
    std::vector<pid_t> found;
    std::error_code error;
    for (const auto& entry : fs::directory_iterator("/proc", error)) {
        std::error_code ignored;
        fs::path exe = fs::read_symlink(entry.path() / "exe", ignored);
        if (!ignored && exe == program)
            found.push_back(static_cast<pid_t>(std::stoi(entry.path().filename().string())));
    }
    return found;
}

std::string Screenshot(const std::string& window, const fs::path& file)
{
    fs::create_directories(file.parent_path());
    std::string output;
    platform::RunProgram("import", {"-display", std::getenv("DISPLAY"), "-window", window, file.string()}, &output);
    return fs::exists(file) ? std::string() : "import wrote no " + file.string() + ": " + output;
}

// How many pixels of `image` pass `test`: the sample pictures are gradients
// of colours the window's own chrome never uses, so a preview of one shows
// as many pixels of its kind.
int CountPixels(const QImage& image, const std::function<bool(int r, int g, int b)>& test)
{
    int count = 0;
    for (int y = 0; y < image.height(); ++y)
        for (int x = 0; x < image.width(); ++x) {
            const QRgb pixel = image.pixel(x, y);
            count += test(qRed(pixel), qGreen(pixel), qBlue(pixel)) ? 1 : 0;
        }
    return count;
}

// The colours of make-sample-pictures.sh's dawn.bmp (red, orange to yellow)
// and sea.bmp (dark blue-green to blue).
bool DawnColour(int r, int g, int b) { return r >= 250 && g >= 120 && b <= 80; }
bool SeaColour(int r, int g, int b) { return r >= 20 && r <= 30 && g <= 105 && b >= 125; }
// A preview fills a pane of a few hundred pixels each way; icons and the
// like are far smaller.
constexpr int kPreviewPixels = 5000;

class ManagerOnADesktop : public ::testing::Test {
protected:
    void SetUp() override
    {
        if (std::string missing = DesktopSession::MissingPieces(); !missing.empty())
            GTEST_SKIP() << "skipped: " << missing;
        for (const char* program : {"import"})
            if (platform::FindOnPath(program).empty())
                GTEST_SKIP() << "skipped: " << program << " (ImageMagick) is not installed";
        if (!fs::exists(BinDir() / "Vistrel"))
            GTEST_SKIP() << "skipped: Vistrel is not built";
        session = std::make_unique<DesktopSession>(1024, 640);
        ASSERT_TRUE(session->Ready()) << "Xvfb or trayer did not come up";
        platform::settings::SetLocation(
            (fs::path(std::getenv("XDG_CONFIG_HOME")) / "Vistrel" / "Vistrel.ini").string());
        ::setenv("VISTREL_SCHEDULER_PICTURE_MS", "300", 1);
        CRegistryKey key;
        ASSERT_TRUE(key.Create("Software\\Vistrel\\Vistrel\\Wallpaper"));
        ASSERT_TRUE(key.WriteText("Backend", "x11"));
        MakeProgramDirectory();
    }

    void TearDown() override
    {
        manager.reset();
        ::unsetenv("XDG_DESKTOP_DIR");
        ::unsetenv("XDG_CACHE_HOME");
        if (!pictureFolder.empty()) {
            std::error_code ignored;
            fs::remove_all(pictureFolder, ignored);
        }
        // The scheduler is the list manager's child, not ours: it is found by
        // its program file, which is this test's own copy.
        for (const char* program : {"Vistrel", "Vistrel_Scheduler"})
            for (pid_t pid : ProcessesOf(programs / program))
                ::kill(pid, SIGTERM);
        platform::settings::SetLocation("");
        ::unsetenv("VISTREL_SCHEDULER_PICTURE_MS");
    }

    // The programs with the shipped extenders, as a user has them.
    void MakeProgramDirectory()
    {
        programs = fs::path(session->Home()) / "programs";
        for (const char* kind : {"Read_Expander", "Middle_Expander", "View_Expander", "Scheduler_Expander"})
            fs::create_directories(programs / kind);
        for (const char* file : {"Vistrel", "Vistrel_Scheduler", "vistrelctl"})
            fs::copy_file(BinDir() / file, programs / file);
        for (const char* file :
             {"Read_Expander/Bitload.so", "View_Expander/Picshow.so", "Scheduler_Expander/Clockpace.so"})
            fs::copy_file(BinDir() / file, programs / file);
        fs::create_directories(programs / "Extender_Dialogs");
        for (const char* file : {"Extender_Dialogs/Picshow_Dialogs.so", "Extender_Dialogs/Clockpace_Dialogs.so"})
            fs::copy_file(BinDir() / file, programs / file);
    }

    // The window as it is on the screen now, or a null image.
    QImage ShotOf(const std::string& window, const fs::path& file)
    {
        if (!Screenshot(window, file).empty())
            return {};
        return QImage(QString::fromStdString(file.string())).convertToFormat(QImage::Format_RGB32);
    }

    // The window's size, from the X server.
    std::optional<QSize> SizeOf(const std::string& window)
    {
        std::string output;
        if (platform::RunProgram("xdotool", {"getwindowgeometry", "--shell", window}, &output) != 0)
            return std::nullopt;
        auto number = [&](const std::string& key) {
            const std::size_t at = output.find(key + "=");
            return at == std::string::npos ? 0 : std::atoi(output.c_str() + at + key.size() + 1);
        };
        const QSize size(number("WIDTH"), number("HEIGHT"));
        return size.isEmpty() ? std::nullopt : std::optional<QSize>(size);
    }

    // Whether the tray's menu (a white panel: the wallpapers of the sample
    // pictures have no white) is up in the screen's top-right corner, where
    // the tray is.
    bool TrayMenuShows()
    {
        const int width = std::min(session->ScreenWidth(), 480), height = std::min(session->ScreenHeight(), 300);
        const std::vector<std::uint32_t> corner = session->RootPixels(session->ScreenWidth() - width, 0, width, height);
        return std::count(corner.begin(), corner.end(), 0xFFFFFFu) >= 5000;
    }

    // Right-clicks the docked icon until its menu shows. A menu closed very
    // soon after it opened can leave the next click to close what is no
    // longer there, so one click is not always enough.
    bool OpenTrayMenu(const std::pair<int, int>& icon)
    {
        return Eventually(
            [&] {
                session->XDoTool({"mousemove", std::to_string(icon.first), std::to_string(icon.second)});
                session->XDoTool({"click", "3"});
                return Eventually([&] { return TrayMenuShows(); }, 3s);
            },
            15s);
    }

    std::string Ctl(const std::vector<std::string>& arguments)
    {
        std::string output;
        int status = platform::RunProgram((programs / "vistrelctl").string(), arguments, &output);
        EXPECT_EQ(status, 0) << output;
        return output;
    }

    std::unique_ptr<DesktopSession> session;
    fs::path programs;
    fs::path pictureFolder;
    std::optional<Child> manager;
};

} // namespace

TEST_F(ManagerOnADesktop, ShowsTheListWithItsIconsAndStartsTheScheduler)
{
    // A Pictures folder on a desktop of its own (the folder tree's third
    // root), in a short folder, so that the screenshot shows whole names.
    pictureFolder = fs::path("/tmp") / ("vistrel-" + std::to_string(::getpid()));
    const fs::path desktop = pictureFolder / "Desktop";
    const fs::path pictures = desktop / "Pictures";
    fs::create_directories(desktop);
    ::setenv("XDG_DESKTOP_DIR", desktop.c_str(), 1);
    // The thumbnails' cache, in the session's home.
    ::setenv("XDG_CACHE_HOME", (fs::path(session->Home()) / ".cache").c_str(), 1);
    ASSERT_EQ(platform::RunProgram("bash", {VISTREL_SOURCE_DIR "/scripts/make-sample-pictures.sh", pictures.string()}),
              0);
    const std::string list = (fs::path(session->Home()) / "First list.vist").string();
    Ctl({"new", list});
    Ctl({"add", list, pictures.string()});
    Ctl({"mode", list, "all", "proportioned"});
    Ctl({"use", list});

    manager.emplace((programs / "Vistrel").string(), std::vector<std::string>{list});
    std::string window;
    ASSERT_TRUE(Eventually(
        [&] {
            std::string output;
            if (platform::RunProgram("xdotool", {"search", "--name", "First list.vist - Vistrel"}, &output) != 0)
                return false;
            window = output.substr(0, output.find('\n'));
            return !window.empty();
        },
        20s))
        << "no window titled after the list";

    // The scheduler was started: its single-instance lock is taken.
    EXPECT_TRUE(Eventually(
        [] {
            platform::InstanceLock probe(" Class");
            return !probe.Acquire();
        },
        10s))
        << "the scheduler is not running";
    EXPECT_TRUE(Eventually([&] { return !ProcessesOf(programs / "Vistrel_Scheduler").empty(); }, 5s));
    EXPECT_TRUE(Eventually([&] { return session->DockedTrayIcon().has_value(); }, 15s)) << "its tray icon docked";

    const fs::path shots = VISTREL_SCREENSHOT_DIR;
    const fs::path windowShot = shots / "list-manager.png";

    // Every block's icon, as the extenders hand them out, is to be on screen.
    CExtenderRegistry registry;
    ASSERT_TRUE(registry.LoadExtenders(programs.string() + "/"));
    CWallpaperList rows(&registry);
    std::string detail;
    ASSERT_EQ(ReadListFile(list, rows, detail), ListLoadStatus::Ok);
    ASSERT_EQ(rows.GetCount(), 3);
    ASSERT_EQ(rows.GetText(2, kColFile), (pictures / "sea.bmp").string()) << "the row End picks";
    manager::ExtenderIconCache icons(registry);
    std::vector<std::pair<std::string, QImage>> wanted; // what to find, and which icon it is
    std::set<std::pair<std::string, int>> looked;
    for (int row = 0; row < rows.GetCount(); ++row)
        for (const std::uint8_t* block : manager::ChainBlocks(rows.GetChain(row), rows.GetChainBytes(row))) {
            const std::string id(BlockId(block));
            const int resource = static_cast<int>(ReadU32(block + 4) & 0xFFFF);
            const QPixmap& icon = icons.IconOf(block);
            if (icon.isNull() || !looked.insert({id, resource}).second)
                continue; // no picture, or looked for already
            wanted.emplace_back(id + " icon " + std::to_string(resource), OverWhite(icon));
        }

    auto iconsMissingFrom = [&](const QImage& screen) {
        std::vector<std::string> missing;
        for (const auto& [what, icon] : wanted)
            if (!Find(screen, icon))
                missing.push_back(what + " is not shown");
        return missing;
    };
    // The window is up and painted once its rows show their icons.
    EXPECT_TRUE(Eventually([&] { return iconsMissingFrom(ShotOf(window, windowShot)).empty(); }, 15s))
        << "the list's icons never showed in " << windowShot;

    // In use: the folder tree opened down to the pictures, as the keys do
    // it. The window gets the keyboard (there is no window manager to give
    // it), a click into the tree's empty part gives it to the tree and
    // leaves no item current; Home makes the first one current, End goes on
    // to the desktop, Right opens it and goes to its Pictures folder, whose
    // first picture Down picks, and the pane previews it.
    const std::optional<QSize> size = SizeOf(window);
    ASSERT_TRUE(size.has_value()) << "no geometry of the window";
    ASSERT_TRUE(session->XDoTool({"windowfocus", "--sync", window}));
    ASSERT_TRUE(session->XDoTool({"mousemove", "--window", window, std::to_string(size->width() / 10),
                                  std::to_string(size->height() * 2 / 5), "click", "1"}));
    ASSERT_TRUE(session->XDoTool({"key", "--delay", "150", "Home", "End", "Right", "Right", "Right", "Down"}));
    if (!Eventually([&] { return CountPixels(ShotOf(window, windowShot), DawnColour) >= kPreviewPixels; }, 15s)) {
        fs::copy_file(windowShot, shots / "list-manager-tree.png", fs::copy_options::overwrite_existing);
        ADD_FAILURE() << "the tree's first picture (dawn.bmp) was not previewed; see "
                      << shots / "list-manager-tree.png";
    }
    // Back up to the folder, whose pictures stay in sight; F6 twice goes on
    // to the image list, where End picks the last row, and the pane
    // previews that row's picture.
    ASSERT_TRUE(session->XDoTool({"key", "--delay", "150", "Left", "F6", "F6", "End"}));

    // The shot is taken once the window shows all of it: the last row's
    // picture in the pane (and the tree's no more), and every icon.
    QImage screen;
    std::vector<std::string> missing;
    const bool complete = Eventually(
        [&] {
            screen = ShotOf(window, windowShot);
            missing.clear();
            if (screen.isNull())
                return false;
            if (CountPixels(screen, SeaColour) < kPreviewPixels)
                missing.push_back("the row picked (sea.bmp) is not previewed");
            if (CountPixels(screen, DawnColour) >= kPreviewPixels)
                missing.push_back("the tree's preview (dawn.bmp) is still shown");
            for (const std::string& what : iconsMissingFrom(screen))
                missing.push_back(what);
            return missing.empty();
        },
        15s);
    ASSERT_FALSE(screen.isNull()) << "no screenshot of the window";
    for (const std::string& what : missing)
        ADD_FAILURE() << what << " in " << windowShot;
    EXPECT_TRUE(complete);
    const std::size_t iconsLookedFor = looked.size();
    EXPECT_GE(iconsLookedFor, 2u) << "the reader's and the viewer's icons at least";
    EXPECT_GE(screen.width(), 400);

    // View > Thumbnails by its keys: the same list as a grid of pictures,
    // made by the readers and kept in the session's thumbnail cache.
    const fs::path gridShot = shots / "list-manager-thumbnails.png";
    ASSERT_TRUE(session->XDoTool({"key", "--delay", "200", "alt+v", "t"}));
    EXPECT_TRUE(
        Eventually([&] { return CountPixels(ShotOf(window, gridShot), DawnColour) >= kPreviewPixels / 2; }, 20s))
        << "the thumbnails never showed in " << gridShot;
    // The keys armed the preview again: the shot waits for the row's picture
    // to come back into the pane beside the grid.
    const int seaInGrid = CountPixels(ShotOf(window, gridShot), SeaColour);
    EXPECT_TRUE(
        Eventually([&] { return CountPixels(ShotOf(window, gridShot), SeaColour) >= seaInGrid + kPreviewPixels; }, 15s))
        << "the picked row's preview did not come back in " << gridShot;
    EXPECT_TRUE(fs::exists(fs::path(session->Home()) / ".cache" / "thumbnails" / "normal"))
        << "the thumbnails went into the desktop's cache";
    ASSERT_TRUE(session->XDoTool({"key", "--delay", "200", "alt+v", "t"})); // back to the rows

    // The tray menu, opened from the docked icon, over a wallpaper of the
    // list (the window, which covers the small screen, goes).
    Ctl({"next", list});
    ASSERT_TRUE(session->XDoTool({"windowunmap", "--sync", window}));
    auto icon = session->DockedTrayIcon();
    ASSERT_TRUE(icon.has_value());
    ASSERT_TRUE(OpenTrayMenu(*icon)) << "no tray menu came up";
    const fs::path trayShot = shots / "tray-menu.png";
    ASSERT_EQ(Screenshot("root", trayShot), "");
    QImage withMenu(QString::fromStdString(trayShot.string()));
    ASSERT_FALSE(withMenu.isNull());
    // The corner with the tray and its menu is what the README shows.
    const int cornerWidth = std::min(withMenu.width(), 480);
    const int cornerHeight = std::min(withMenu.height(), 300);
    EXPECT_TRUE(withMenu.copy(withMenu.width() - cornerWidth, 0, cornerWidth, cornerHeight)
                    .save(QString::fromStdString(trayShot.string())));
    // Escape closes the menu; it is sent until the menu has gone.
    EXPECT_TRUE(Eventually(
        [&] {
            session->XDoTool({"key", "Escape"});
            return !TrayMenuShows();
        },
        10s))
        << "Escape did not close the tray menu";

    // With the list manager closed, the tray's "Open List Manager" starts it
    // again, on the scheduler's list.
    manager.reset();
    ASSERT_TRUE(Eventually([&] { return ProcessesOf(programs / "Vistrel").empty(); }, 5s));
    ASSERT_TRUE(OpenTrayMenu(*icon)) << "no tray menu the second time";
    ASSERT_TRUE(session->XDoTool({"key", "--delay", "100", "Down", "Down", "Return"}));
    EXPECT_TRUE(Eventually(
        [&] {
            std::string output;
            return platform::RunProgram("xdotool", {"search", "--name", "First list.vist - Vistrel"}, &output) == 0 &&
                   !output.empty();
        },
        20s))
        << "\"Open List Manager\" brought no list manager up";
    std::cout << "screenshots: " << windowShot << " " << gridShot << " " << trayShot << "\n";
}

int main(int argc, char** argv)
{
    ::testing::InitGoogleTest(&argc, argv);
    // Reading the screenshots needs no display.
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QGuiApplication app(argc, argv);
    return RUN_ALL_TESTS();
}
