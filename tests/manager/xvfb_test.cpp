// The real list manager on a real X server: Vistrel started with a list of
// a few bitmaps shows them with their icons and starts the real scheduler,
// whose tray menu opens from its docked icon. The screenshots are written
// into the build folder (scripts/update-screenshots.sh copies them into
// docs/ for the README).
#include "../scheduler/desktop_session.h"
#include "extender_icons.h"
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
#include <csignal>
#include <filesystem>
#include <gtest/gtest.h>
#include <iostream>
#include <optional>
#include <set>
#include <thread>
#include <unistd.h>

using namespace std::chrono_literals;
using namespace vistrel;
using vistrel::scheduler::test::Child;
using vistrel::scheduler::test::DesktopSession;
using vistrel::scheduler::test::Eventually;
using vistrel::test::BinDir;
using vistrel::test::FakesDir;
using vistrel::test::LibraryFile;
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

    // The programs with the shipped extenders, and the fakes with pictures
    // beside them, so that rows show icons whatever the shipped ones offer.
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
        fs::copy_file(FakesDir() / LibraryFile("FakeIconReader"), programs / "Read_Expander" / "FakeIconReader.so");
        fs::copy_file(FakesDir() / LibraryFile("FakeIconViewer"), programs / "View_Expander" / "FakeIconViewer.so");
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
    // A short folder, so that the screenshot shows whole names.
    const fs::path pictures = fs::path("/tmp") / ("Pictures-" + std::to_string(::getpid()));
    pictureFolder = pictures;
    ASSERT_EQ(platform::RunProgram("bash", {VISTREL_SOURCE_DIR "/scripts/make-sample-pictures.sh", pictures.string()}),
              0);
    vistrel::test::WriteFile(pictures / "scan.pic", "a picture of the fake reader's kind");
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

    std::this_thread::sleep_for(1s); // the first paint settles
    const fs::path shots = VISTREL_SCREENSHOT_DIR;
    const fs::path windowShot = shots / "list-manager.png";
    ASSERT_EQ(Screenshot(window, windowShot), "");
    QImage screen(QString::fromStdString(windowShot.string()));
    ASSERT_FALSE(screen.isNull());
    screen = screen.convertToFormat(QImage::Format_RGB32);

    // Every block's icon, as the extenders hand them out, is on screen.
    CExtenderRegistry registry;
    ASSERT_TRUE(registry.LoadExtenders(programs.string() + "/"));
    CWallpaperList rows(&registry);
    std::string detail;
    ASSERT_EQ(ReadListFile(list, rows, detail), ListLoadStatus::Ok);
    ASSERT_EQ(rows.GetCount(), 4);
    manager::ExtenderIconCache icons(registry);
    std::set<std::pair<std::string, int>> looked;
    for (int row = 0; row < rows.GetCount(); ++row)
        for (const std::uint8_t* block : manager::ChainBlocks(rows.GetChain(row), rows.GetChainBytes(row))) {
            const std::string id(BlockId(block));
            const int resource = static_cast<int>(ReadU32(block + 4) & 0xFFFF);
            const QPixmap& icon = icons.IconOf(block);
            if (icon.isNull() || !looked.insert({id, resource}).second)
                continue; // no picture (yet), or looked for already
            EXPECT_TRUE(Find(screen, OverWhite(icon))) << id << " icon " << resource << " is not in " << windowShot;
        }
    const std::size_t iconsLookedFor = looked.size();
    EXPECT_GE(iconsLookedFor, 2u) << "the fakes' reader and viewer icons at least";
    EXPECT_GE(screen.width(), 400);

    // The tray menu, opened from the docked icon, over the wallpaper the
    // scheduler put up (the window, which covers the small screen, goes).
    ASSERT_TRUE(session->XDoTool({"windowunmap", "--sync", window}));
    auto icon = session->DockedTrayIcon();
    ASSERT_TRUE(icon.has_value());
    ASSERT_TRUE(session->XDoTool({"mousemove", std::to_string(icon->first), std::to_string(icon->second)}));
    ASSERT_TRUE(session->XDoTool({"click", "3"}));
    std::this_thread::sleep_for(800ms);
    const fs::path trayShot = shots / "tray-menu.png";
    ASSERT_EQ(Screenshot("root", trayShot), "");
    QImage withMenu(QString::fromStdString(trayShot.string()));
    EXPECT_FALSE(withMenu.isNull());
    session->XDoTool({"key", "Escape"});

    // With the list manager closed, the tray's "Open List Manager" starts it
    // again, on the scheduler's list.
    manager.reset();
    ASSERT_TRUE(Eventually([&] { return ProcessesOf(programs / "Vistrel").empty(); }, 5s));
    ASSERT_TRUE(session->XDoTool({"mousemove", std::to_string(icon->first), std::to_string(icon->second)}));
    ASSERT_TRUE(session->XDoTool({"click", "3"}));
    std::this_thread::sleep_for(700ms);
    ASSERT_TRUE(session->XDoTool({"key", "--delay", "100", "Down", "Down", "Return"}));
    EXPECT_TRUE(Eventually(
        [&] {
            std::string output;
            return platform::RunProgram("xdotool", {"search", "--name", "First list.vist - Vistrel"}, &output) == 0 &&
                   !output.empty();
        },
        20s))
        << "\"Open List Manager\" brought no list manager up";
    std::cout << "screenshots: " << windowShot << " " << trayShot << "\n";
}

int main(int argc, char** argv)
{
    ::testing::InitGoogleTest(&argc, argv);
    // Reading the screenshots needs no display.
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QGuiApplication app(argc, argv);
    return RUN_ALL_TESTS();
}
