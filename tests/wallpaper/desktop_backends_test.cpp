// SPDX-License-Identifier: GPL-3.0-or-later
// The desktop backends against stand-ins for the desktops' tools: the
// stand-ins record every call, so the tests see exactly which programs ran
// with which arguments.
#include "vistrel/wallpaper/installer.h"
#include "vistrel/wallpaper/monitor_pictures.h"
#include "vistrel/wallpaper/wallpaper_file.h"

#include "fresh_copy.h"
#include "sway_command.h"
#include "test_support.h"

#include "vistrel/platform/settings_store.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstring>

namespace vistrel::wallpaper {
namespace {

namespace fs = std::filesystem;
using Call = std::vector<std::string>;

class DesktopToolsTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        fs::create_directories(bin_);
        // A blank in the folder name: it must survive as part of one argument.
        fs::create_directories(wallpaper_.parent_path());
        test::WriteFile(wallpaper_, test::MakeBitmap24(4, 4, test::Pattern));
    }

    // Puts the stand-in on PATH under the names given.
    void Provide(std::initializer_list<const char*> tools)
    {
        for (const char* tool : tools)
            fs::create_symlink(fs::path(VISTREL_WALLPAPER_FAKEBIN) / "desktop-tool", bin_ / tool);
    }

    std::vector<Call> Calls() const
    {
        std::vector<Call> calls;
        std::string log = test::ReadFile(log_);
        std::size_t start = 0;
        for (std::size_t end; (end = log.find('\001', start)) != std::string::npos; start = end + 1) {
            Call call;
            std::string record = log.substr(start, end - start);
            for (std::size_t at = 0, nul; (nul = record.find('\0', at)) != std::string::npos; at = nul + 1)
                call.push_back(record.substr(at, nul - at));
            calls.push_back(call);
        }
        return calls;
    }

    std::vector<std::string> FilesInWallpaperFolder() const
    {
        std::vector<std::string> names;
        for (const auto& entry : fs::directory_iterator(wallpaper_.parent_path()))
            names.push_back(entry.path().filename().string());
        std::sort(names.begin(), names.end());
        return names;
    }

    // Applies through a backend; the result and the error text.
    bool Apply(Backend backend, Style style, std::string& error, const std::string& commandTemplate = {})
    {
        std::unique_ptr<WallpaperInstaller> installer = CreateInstaller(backend, commandTemplate);
        EXPECT_TRUE(installer);
        if (!installer)
            return false;
        EXPECT_EQ(installer->Name(), BackendName(backend));
        EXPECT_TRUE(installer->SetStyle(style));
        EXPECT_TRUE(installer->SetFile(wallpaper_.string()));
        return installer->Apply(error);
    }

    void ApplyOk(Backend backend, Style style)
    {
        std::string error;
        EXPECT_TRUE(Apply(backend, style, error)) << error;
    }

    // The one fresh copy beside the wallpaper file; fails unless exactly one.
    std::string OnlyCopy() const
    {
        std::vector<std::string> names = FilesInWallpaperFolder();
        EXPECT_EQ(names.size(), 2u);
        EXPECT_TRUE(std::count(names.begin(), names.end(), "VistrelImage.bmp"));
        for (const std::string& name : names) {
            if (name != "VistrelImage.bmp") {
                EXPECT_EQ(test::ReadFile(wallpaper_.parent_path() / name), test::ReadFile(wallpaper_));
                return (wallpaper_.parent_path() / name).string();
            }
        }
        return {};
    }

    std::string Url(const std::string& path) const
    {
        std::string url = "file://";
        for (char c : path)
            url += c == ' ' ? std::string("%20") : std::string(1, c);
        return url;
    }

    test::TempFolder folder_;
    fs::path bin_ = folder_.path() / "bin";
    fs::path log_ = folder_.path() / "calls.log";
    fs::path wallpaper_ = folder_.path() / "app data" / "Vistrel" / "VistrelImage.bmp";
    test::ScopedEnvironment path_{"PATH", bin_.string()};
    test::ScopedEnvironment logVariable_{"VISTREL_FAKE_LOG", log_.string()};
    test::ScopedEnvironment fail_{"VISTREL_FAKE_FAIL", std::nullopt};
    // No X server to look for desktop windows on: the tools are trusted.
    test::ScopedEnvironment display_{"DISPLAY", std::nullopt};
};

TEST_F(DesktopToolsTest, GnomeGetsAFreshFileEachTime)
{
    Provide({"gsettings"});
    ApplyOk(Backend::Gnome, Style::Tile);
    std::string first = OnlyCopy();
    const std::string schema = "org.gnome.desktop.background";
    EXPECT_EQ(Calls(), (std::vector<Call>{
                           {"gsettings", "set", schema, "picture-options", "'wallpaper'"},
                           {"gsettings", "set", schema, "picture-uri", "'" + Url(first) + "'"},
                           {"gsettings", "set", schema, "picture-uri-dark", "'" + Url(first) + "'"},
                       }));

    fs::remove(log_);
    ApplyOk(Backend::Gnome, Style::Center);
    std::string second = OnlyCopy();
    EXPECT_NE(second, first);
    EXPECT_FALSE(fs::exists(first));
    ASSERT_EQ(Calls().size(), 3u);
    EXPECT_EQ(Calls()[0].back(), "'centered'");
    EXPECT_EQ(Calls()[1].back(), "'" + Url(second) + "'");
}

TEST_F(DesktopToolsTest, CinnamonAndMateUseTheirOwnSchemas)
{
    Provide({"gsettings"});
    ApplyOk(Backend::Cinnamon, Style::Center);
    std::string copy = OnlyCopy();
    const std::string cinnamon = "org.cinnamon.desktop.background";
    EXPECT_EQ(Calls(), (std::vector<Call>{
                           {"gsettings", "set", cinnamon, "picture-options", "'centered'"},
                           {"gsettings", "set", cinnamon, "picture-uri", "'" + Url(copy) + "'"},
                       }));

    fs::remove(log_);
    ApplyOk(Backend::Mate, Style::Tile);
    copy = OnlyCopy();
    EXPECT_EQ(Calls(), (std::vector<Call>{
                           {"gsettings", "set", "org.mate.background", "picture-options", "'wallpaper'"},
                           {"gsettings", "set", "org.mate.background", "picture-filename", "'" + copy + "'"},
                       }));
}

TEST_F(DesktopToolsTest, KdeEvaluatesAScriptThroughWhicheverToolExists)
{
    Provide({"dbus-send"});
    ApplyOk(Backend::Kde, Style::Tile);
    std::string copy = OnlyCopy();
    std::vector<Call> calls = Calls();
    ASSERT_EQ(calls.size(), 1u);
    ASSERT_EQ(calls[0].size(), 8u);
    EXPECT_EQ(Call(calls[0].begin(), calls[0].end() - 1),
              (Call{"dbus-send", "--session", "--print-reply", "--type=method_call", "--dest=org.kde.plasmashell",
                    "/PlasmaShell", "org.kde.PlasmaShell.evaluateScript"}));
    const std::string& script = calls[0].back();
    EXPECT_EQ(script.rfind("string:", 0), 0u);
    EXPECT_NE(script.find("wallpaperPlugin = \"org.kde.image\""), std::string::npos) << script;
    EXPECT_NE(script.find("\"Wallpaper\", \"org.kde.image\", \"General\""), std::string::npos) << script;
    EXPECT_NE(script.find("writeConfig(\"FillMode\", 3)"), std::string::npos) << script;
    EXPECT_NE(script.find("writeConfig(\"Image\", \"" + Url(copy) + "\")"), std::string::npos) << script;

    // qdbus is preferred when present, the Plasma 6 one first.
    fs::remove(log_);
    Provide({"qdbus"});
    ApplyOk(Backend::Kde, Style::Center);
    calls = Calls();
    ASSERT_EQ(calls.size(), 1u);
    ASSERT_EQ(calls[0].size(), 5u);
    EXPECT_EQ(Call(calls[0].begin(), calls[0].end() - 1),
              (Call{"qdbus", "org.kde.plasmashell", "/PlasmaShell", "org.kde.PlasmaShell.evaluateScript"}));
    EXPECT_NE(calls[0].back().find("writeConfig(\"FillMode\", 6)"), std::string::npos);
    EXPECT_NE(calls[0].back().find(Url(OnlyCopy())), std::string::npos);

    fs::remove(log_);
    Provide({"qdbus6"});
    ApplyOk(Backend::Kde, Style::Center);
    ASSERT_EQ(Calls().size(), 1u);
    EXPECT_EQ(Calls()[0][0], "qdbus6");
}

TEST_F(DesktopToolsTest, XfceSetsEveryMonitorAndWorkspace)
{
    Provide({"xfconf-query"});
    ApplyOk(Backend::Xfce, Style::Tile);
    std::string copy = OnlyCopy();
    std::vector<Call> expected{{"xfconf-query", "-c", "xfce4-desktop", "-l"}};
    for (const char* base : {"/backdrop/screen0/monitorHDMI-1/workspace0", "/backdrop/screen0/monitorHDMI-1/workspace1",
                             "/backdrop/screen0/monitoreDP-1/workspace0"}) {
        std::string b = base;
        expected.push_back(
            {"xfconf-query", "-c", "xfce4-desktop", "-p", b + "/image-style", "-n", "-t", "int", "-s", "2"});
        expected.push_back(
            {"xfconf-query", "-c", "xfce4-desktop", "-p", b + "/last-image", "-n", "-t", "string", "-s", copy});
    }
    EXPECT_EQ(Calls(), expected);

    fs::remove(log_);
    ApplyOk(Backend::Xfce, Style::Center);
    std::vector<Call> calls = Calls();
    ASSERT_EQ(calls.size(), 7u);
    EXPECT_EQ(calls[1].back(), "1");
    EXPECT_EQ(calls[2].back(), OnlyCopy());
}

TEST_F(DesktopToolsTest, LxqtAndSway)
{
    Provide({"pcmanfm-qt", "swaymsg"});
    ApplyOk(Backend::Lxqt, Style::Center);
    std::string copy = OnlyCopy();
    EXPECT_EQ(Calls(), (std::vector<Call>{{"pcmanfm-qt", "--set-wallpaper", copy, "--wallpaper-mode=center"}}));

    // sway reloads the file itself. The wallpaper file's name holds a blank,
    // which sway's command reader would change: sway gets a link of a plain
    // name in the session's runtime folder.
    fs::remove(log_);
    test::TempFolder runtime;
    test::ScopedEnvironment runtimeDir("XDG_RUNTIME_DIR", runtime.path().string());
    const fs::path link = runtime.path() / "vistrel-wallpaper.bmp";
    ::testing::internal::CaptureStdout();
    ApplyOk(Backend::Sway, Style::Tile);
    EXPECT_EQ(::testing::internal::GetCapturedStdout(), "") << "swaymsg's JSON reply is not ours to print";
    EXPECT_EQ(Calls(), (std::vector<Call>{{"swaymsg", "output", "*", "bg", link.string(), "tile"}}));
    EXPECT_EQ(fs::read_symlink(link), wallpaper_);
    EXPECT_EQ(OnlyCopy(), copy); // sway made no copy and removed none

    // A name sway takes as it is goes as it is.
    fs::remove(log_);
    const fs::path plain = runtime.path() / "plain" / "VistrelImage.bmp";
    fs::create_directories(plain.parent_path());
    fs::copy_file(wallpaper_, plain);
    std::unique_ptr<WallpaperInstaller> sway = CreateInstaller(Backend::Sway);
    sway->SetFile(plain.string());
    std::string error;
    EXPECT_TRUE(sway->Apply(error)) << error;
    EXPECT_EQ(Calls(), (std::vector<Call>{{"swaymsg", "output", "*", "bg", plain.string(), "tile"}}));

    // sway's refusal comes with its reason in the reply.
    test::ScopedEnvironment fail("VISTREL_FAKE_FAIL", "swaymsg");
    EXPECT_FALSE(sway->Apply(error));
    EXPECT_EQ(error, "sway refused the wallpaper " + plain.string() + ": Invalid syntax (/x/\"y\")");

    // Without a runtime folder to link from, such a name is refused, not mangled.
    test::ScopedEnvironment noRuntime("XDG_RUNTIME_DIR", std::nullopt);
    EXPECT_FALSE(Apply(Backend::Sway, Style::Tile, error));
    EXPECT_NE(error.find("XDG_RUNTIME_DIR"), std::string::npos) << error;
}

TEST(SwayCommand, NamesSwayTakesAndItsReplies)
{
    using detail::SwayFailure;
    using detail::SwayTakesAsItIs;
    EXPECT_TRUE(SwayTakesAsItIs("/home/ann/.local/share/Vistrel/VistrelImage-12.bmp"));
    EXPECT_TRUE(SwayTakesAsItIs("/home/Zoë/pic+1.bmp"));
    for (const char* odd : {"/o'brien/a.bmp", "/d$HOME/a.bmp", "/a b/c.bmp", "~/a.bmp", "/a,b.bmp", "/a;b.bmp",
                            "/a\"b.bmp", "/a*.bmp", "/a\\b.bmp", "/a`b`.bmp", ""})
        EXPECT_FALSE(SwayTakesAsItIs(odd)) << odd;

    EXPECT_EQ(SwayFailure("[\n  {\n    \"success\": true\n  }\n]\n"), std::nullopt);
    EXPECT_EQ(
        SwayFailure("[ { \"success\": true }, { \"success\": false, \"error\": \"Unknown\\/bad \\u0027x\\u0027\" } ]"),
        "Unknown/bad 'x'");
    EXPECT_EQ(SwayFailure("[{\"error\":\"first\",\"success\":false}]"), "first") << "in either order";
    EXPECT_EQ(SwayFailure("[{\"success\":false}]"), "no reason given");
    EXPECT_EQ(SwayFailure(""), std::nullopt);
}

TEST_F(DesktopToolsTest, ToolsRepliesStayOffOurOutput)
{
    Provide({"dbus-send"});
    ::testing::internal::CaptureStdout();
    ApplyOk(Backend::Kde, Style::Tile);
    EXPECT_EQ(::testing::internal::GetCapturedStdout(), "") << "dbus-send's \"method return\" line";
}

TEST_F(DesktopToolsTest, FailuresAreReportedAndKeepTheShownCopy)
{
    Provide({"gsettings"});
    ApplyOk(Backend::Gnome, Style::Tile);
    std::string shown = OnlyCopy();

    test::ScopedEnvironment fail("VISTREL_FAKE_FAIL", "gsettings");
    std::string error;
    // The tool's complaint is the reason given, and never reaches our own
    // error output, where 101 attempts would repeat it.
    ::testing::internal::CaptureStderr();
    EXPECT_FALSE(Apply(Backend::Gnome, Style::Tile, error));
    EXPECT_EQ(::testing::internal::GetCapturedStderr(), "");
    EXPECT_EQ(error, "\"gsettings\" failed with exit status 3: gsettings: refused by the test");
    EXPECT_EQ(OnlyCopy(), shown);

    // A tool that is not there at all.
    EXPECT_FALSE(Apply(Backend::Lxqt, Style::Tile, error));
    EXPECT_NE(error.find("pcmanfm-qt"), std::string::npos) << error;
    EXPECT_NE(error.find("not found"), std::string::npos) << error;
    EXPECT_FALSE(Apply(Backend::Kde, Style::Tile, error));
    EXPECT_NE(error.find("qdbus"), std::string::npos) << error;
    EXPECT_EQ(OnlyCopy(), shown);

    std::unique_ptr<WallpaperInstaller> installer = CreateInstaller(Backend::Sway);
    EXPECT_FALSE(installer->SetFile(""));
    EXPECT_FALSE(installer->Apply(error));
    EXPECT_NE(error.find("No wallpaper file"), std::string::npos) << error;
    // A missing file is reported before any tool runs.
    Provide({"swaymsg"});
    fs::remove(log_);
    EXPECT_TRUE(installer->SetFile((folder_.path() / "gone.bmp").string()));
    EXPECT_FALSE(installer->Apply(error));
    EXPECT_NE(error.find("gone.bmp\" does not exist"), std::string::npos) << error;
    EXPECT_FALSE(fs::exists(log_));
}

TEST_F(DesktopToolsTest, CommandTemplateFromTheSettings)
{
    Provide({"set-background"});
    test::ScopedSettings settings;
    ASSERT_TRUE(platform::settings::CreateKey(kWallpaperKey));
    ASSERT_TRUE(platform::settings::WriteText(kWallpaperKey, "Backend", "command"));
    ASSERT_TRUE(
        platform::settings::WriteText(kWallpaperKey, "Command", "set-background --mode=%s %f 'two words' 100%%"));
    std::string error;
    EXPECT_TRUE(InstallWallpaper(wallpaper_.string(), Style::Center, error)) << error;
    EXPECT_EQ(Calls(),
              (std::vector<Call>{{"set-background", "--mode=center", wallpaper_.string(), "two words", "100%"}}));

    ASSERT_TRUE(platform::settings::WriteText(kWallpaperKey, "Command", "set-background \"%f"));
    EXPECT_FALSE(InstallWallpaper(wallpaper_.string(), Style::Tile, error));
    EXPECT_NE(error.find("quote"), std::string::npos) << error;
}

TEST(FreshCopy, NamesNeverRepeatAndOnlyCopiesAreRemoved)
{
    test::TempFolder folder;
    fs::path file = folder.path() / "VistrelImage.bmp";
    test::WriteFile(file, "picture");
    // Neighbours that merely look alike stay.
    for (const char* other : {"VistrelImage-x1.bmp", "VistrelImage-.bmp", "VistrelImage-5.png", "Other-5.bmp"})
        test::WriteFile(folder.path() / other, "other");
    // A copy numbered in the far future: new copies must count on from it.
    test::WriteFile(folder.path() / "VistrelImage-99999999999999.bmp", "old");

    std::string error;
    std::optional<std::string> copy = detail::MakeFreshCopy(file.string(), error);
    ASSERT_TRUE(copy) << error;
    EXPECT_EQ(fs::path(*copy).filename(), "VistrelImage-100000000000000.bmp");
    EXPECT_EQ(test::ReadFile(*copy), "picture");
    detail::RemoveOtherCopies(file.string(), *copy);
    std::vector<std::string> names;
    for (const auto& entry : fs::directory_iterator(folder.path()))
        names.push_back(entry.path().filename().string());
    std::sort(names.begin(), names.end());
    EXPECT_EQ(names, (std::vector<std::string>{"Other-5.bmp", "VistrelImage-.bmp", "VistrelImage-100000000000000.bmp",
                                               "VistrelImage-5.png", "VistrelImage-x1.bmp", "VistrelImage.bmp"}));

    EXPECT_FALSE(detail::MakeFreshCopy((folder.path() / "missing.bmp").string(), error));
    EXPECT_NE(error.find("missing.bmp"), std::string::npos) << error;
}

} // namespace
} // namespace vistrel::wallpaper

namespace vistrel::wallpaper {
namespace {

// Two monitors: "HDMI-1" (8 x 6, primary) and "eDP-1" (4 x 4) right of it,
// each with its own picture beside the wallpaper file.
class MonitorDesktopsTest : public DesktopToolsTest {
protected:
    void SetUp() override
    {
        DesktopToolsTest::SetUp();
        test::WriteFile(second_, test::MakeBitmap24(4, 4, Other));
        layout_.monitors = {{"HDMI-1", {0, 0, 8, 6}, {0, 0, 8, 6}, true}, {"eDP-1", {8, 0, 4, 4}, {0, 0, 4, 4}, false}};
        layout_.background = 0x102030;
        std::string error;
        for (const fs::path& file : {wallpaper_, second_}) {
            std::string bytes = test::ReadFile(file);
            pictures_.push_back(*ParseBitmap(reinterpret_cast<const std::uint8_t*>(bytes.data()), bytes.size(), error));
        }
        wallpapers_ = {{{0, 0, 8, 6}, "HDMI-1", wallpaper_.string(), Style::Center, pictures_[0].View()},
                       {{8, 0, 4, 4}, "eDP-1", second_.string(), Style::Tile, pictures_[1].View()}};
    }

    static std::uint32_t Other(int x, int y) { return 0x800000u | static_cast<std::uint32_t>(x * 16 + y); }

    bool ApplyMonitors(Backend backend, std::string& error)
    {
        std::unique_ptr<WallpaperInstaller> installer = CreateInstaller(backend);
        return installer && installer->ApplyMonitors(layout_, wallpapers_, error);
    }

    // The fresh copy of `file` ("<stem>-N.bmp") in the folder.
    std::string CopyOf(const fs::path& file) const
    {
        const std::string prefix = file.stem().string() + "-";
        for (const std::string& name : FilesInWallpaperFolder())
            if (name.rfind(prefix, 0) == 0)
                return (file.parent_path() / name).string();
        return {};
    }

    fs::path second_ = wallpaper_.parent_path() / "VistrelImage2.bmp";
    test::ScopedEnvironment data_{"XDG_DATA_HOME", (folder_.path() / "app data").string()};
    MonitorLayout layout_;
    std::vector<Picture> pictures_;
    std::vector<MonitorWallpaper> wallpapers_;
};

TEST_F(MonitorDesktopsTest, GnomeShowsTheLayoutsPictureSpanned)
{
    Provide({"gsettings"});
    std::string error;
    ASSERT_TRUE(ApplyMonitors(Backend::Gnome, error)) << error;
    const fs::path whole = wallpaper_.parent_path() / "VistrelImageAll.bmp";
    const std::string copy = CopyOf(whole);
    ASSERT_FALSE(copy.empty());
    const std::string schema = "org.gnome.desktop.background";
    EXPECT_EQ(Calls(), (std::vector<Call>{
                           {"gsettings", "set", schema, "picture-options", "'spanned'"},
                           {"gsettings", "set", schema, "picture-uri", "'" + Url(copy) + "'"},
                           {"gsettings", "set", schema, "picture-uri-dark", "'" + Url(copy) + "'"},
                       }));
    // 12 x 6: the 4 x 4 pattern centred on the left monitor, the other tiled
    // on the right one, the background below it.
    std::string bytes = test::ReadFile(whole);
    std::optional<Picture> layout =
        ParseBitmap(reinterpret_cast<const std::uint8_t*>(bytes.data()), bytes.size(), error);
    ASSERT_TRUE(layout) << error;
    ASSERT_EQ(layout->width, 12);
    ASSERT_EQ(layout->height, 6);
    const PictureView view = layout->View();
    EXPECT_EQ(view.Pixel(0, 0), 0x102030u);
    EXPECT_EQ(view.Pixel(2, 1), test::Pattern(0, 0));
    EXPECT_EQ(view.Pixel(5, 4), test::Pattern(3, 3));
    EXPECT_EQ(view.Pixel(9, 2), Other(1, 2));
    EXPECT_EQ(view.Pixel(11, 3), Other(3, 3));
    EXPECT_EQ(view.Pixel(10, 5), 0x102030u);
}

TEST_F(MonitorDesktopsTest, XfceKdeAndSwayGiveEachMonitorItsOwn)
{
    Provide({"xfconf-query", "qdbus", "swaymsg"});
    std::string error;
    ASSERT_TRUE(ApplyMonitors(Backend::Xfce, error)) << error;
    const std::string first = CopyOf(wallpaper_), second = CopyOf(second_);
    ASSERT_FALSE(first.empty() || second.empty());
    std::vector<Call> calls = Calls();
    ASSERT_EQ(calls.size(), 7u);
    EXPECT_EQ(calls[2],
              (Call{"xfconf-query", "-c", "xfce4-desktop", "-p",
                    "/backdrop/screen0/monitorHDMI-1/workspace0/last-image", "-n", "-t", "string", "-s", first}));
    EXPECT_EQ(calls[1].back(), "1") << "centred";
    EXPECT_EQ(calls[4].back(), first) << "every workspace of the monitor";
    EXPECT_EQ(calls[6],
              (Call{"xfconf-query", "-c", "xfce4-desktop", "-p", "/backdrop/screen0/monitoreDP-1/workspace0/last-image",
                    "-n", "-t", "string", "-s", second}));
    EXPECT_EQ(calls[5].back(), "2") << "tiled";

    fs::remove(log_);
    ASSERT_TRUE(ApplyMonitors(Backend::Kde, error)) << error;
    EXPECT_FALSE(fs::exists(first)) << "the copies shown before are removed";
    calls = Calls();
    ASSERT_EQ(calls.size(), 1u);
    const std::string& script = calls[0].back();
    EXPECT_NE(script.find("[0, 0, 8, 6, \"" + Url(CopyOf(wallpaper_)) + "\", 6]"), std::string::npos) << script;
    EXPECT_NE(script.find("[8, 0, 4, 4, \"" + Url(CopyOf(second_)) + "\", 3]"), std::string::npos) << script;
    EXPECT_NE(script.find("screenGeometry(d.screen)"), std::string::npos) << script;

    fs::remove(log_);
    test::TempFolder runtime;
    test::ScopedEnvironment runtimeDir("XDG_RUNTIME_DIR", runtime.path().string());
    ASSERT_TRUE(ApplyMonitors(Backend::Sway, error)) << error;
    const fs::path link1 = runtime.path() / "vistrel-wallpaper.bmp", link2 = runtime.path() / "vistrel-wallpaper2.bmp";
    EXPECT_EQ(Calls(), (std::vector<Call>{{"swaymsg", "output", "HDMI-1", "bg", link1.string(), "center"},
                                          {"swaymsg", "output", "eDP-1", "bg", link2.string(), "tile"}}));
    EXPECT_EQ(fs::read_symlink(link1), wallpaper_);
    EXPECT_EQ(fs::read_symlink(link2), second_);

    // A refusal keeps the copies the desktop shows.
    fs::remove(log_);
    const std::string shown = CopyOf(wallpaper_);
    test::ScopedEnvironment fail("VISTREL_FAKE_FAIL", "qdbus");
    EXPECT_FALSE(ApplyMonitors(Backend::Kde, error));
    EXPECT_EQ(CopyOf(wallpaper_), shown);
}

TEST_F(MonitorDesktopsTest, TheCommandGetsTheLayoutsPicture)
{
    Provide({"setter"});
    std::unique_ptr<WallpaperInstaller> installer = CreateInstaller(Backend::Command, "setter %f %s");
    std::string error;
    ASSERT_TRUE(installer->ApplyMonitors(layout_, wallpapers_, error)) << error;
    EXPECT_EQ(Calls(),
              (std::vector<Call>{{"setter", (wallpaper_.parent_path() / "VistrelImageAll.bmp").string(), "tile"}}));
}

} // namespace
} // namespace vistrel::wallpaper

namespace vistrel::wallpaper {
namespace {

// The files of a change on two monitors: written while the desktop gets the
// pictures, and as they were before when the desktop refuses.
TEST_F(MonitorDesktopsTest, RefusedPicturesLeaveTheFilesAsTheyWere)
{
    Provide({"setter"});
    test::ScopedSettings settings;
    ASSERT_TRUE(platform::settings::CreateKey(kWallpaperKey));
    ASSERT_TRUE(platform::settings::WriteText(kWallpaperKey, "Backend", "command"));
    ASSERT_TRUE(platform::settings::WriteText(kWallpaperKey, "Command", "setter %f"));
    const std::string before = test::ReadFile(wallpaper_), beforeSecond = test::ReadFile(second_);
    std::vector<gmem::Owner> dibs;
    std::vector<MonitorPicture> pictures;
    for (int side : {5, 3}) {
        std::string file = test::MakeBitmap24(side, side, Other);
        gmem::Owner dib(gmem::Alloc(gmem::kMoveable, file.size() - 14));
        std::memcpy(gmem::Lock(dib.get()), file.data() + 14, file.size() - 14);
        gmem::Unlock(dib.get());
        pictures.push_back({dib.get(), Style::Center});
        dibs.push_back(std::move(dib));
    }
    MonitorPictureInstaller installer;
    std::string error;
    {
        test::ScopedEnvironment fail("VISTREL_FAKE_FAIL", "setter");
        EXPECT_FALSE(installer.Install(layout_, pictures, error));
    }
    EXPECT_NE(error.find("setter"), std::string::npos) << error;
    EXPECT_EQ(test::ReadFile(wallpaper_), before);
    EXPECT_EQ(test::ReadFile(second_), beforeSecond);
    EXPECT_FALSE(fs::exists(wallpaper_.string() + ".previous"));

    ASSERT_TRUE(installer.Install(layout_, pictures, error)) << error;
    EXPECT_EQ(test::ReadFile(wallpaper_).substr(14), test::MakeBitmap24(5, 5, Other).substr(14));
    EXPECT_EQ(test::ReadFile(second_).substr(14), test::MakeBitmap24(3, 3, Other).substr(14));
    EXPECT_FALSE(fs::exists(wallpaper_.string() + ".previous")) << "nothing is left beside the files";
    EXPECT_TRUE(fs::exists(wallpaper_.parent_path() / "VistrelImageAll.bmp"));
}

} // namespace
} // namespace vistrel::wallpaper
