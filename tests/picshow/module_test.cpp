// SPDX-License-Identifier: GPL-3.0-or-later
// The Picshow module as the programs see it: loaded by the real loader from
// a program directory, every operation bound by name.
#include "environment.h" // shared test support
#include "picture.h"

#include "test_support.h"

#include "vistrel/core/extender_calls.h"
#include "vistrel/core/extender_registry.h"
#include "vistrel/platform/files.h"
#include "vistrel/platform/settings_store.h"
#include "vistrel/wallpaper/installer.h"
#include "vistrel/wallpaper/screen.h"

#include <gtest/gtest.h>

#include <cstring>
#include <filesystem>

namespace picshow::test {
using vistrel::test::ScopedEnvironment;
using vistrel::test::SetEnvironment;
} // namespace picshow::test

namespace {

using namespace vistrel;
using namespace vistrel::test;
namespace fs = std::filesystem;
namespace pt = picshow::test;

constexpr const char* kViewerId = "V0001-PICSHOW                ";

std::uint32_t U32(const std::uint8_t* p) { return p[0] | p[1] << 8 | p[2] << 16 | std::uint32_t(p[3]) << 24; }

class Picshow : public ::testing::Test {
protected:
    // The module keeps its own copy of the settings store, which takes its
    // place from VISTREL_SETTINGS once: one private place for the whole suite.
    static void SetUpTestSuite()
    {
        settingsDir_ = new TempDir;
#ifdef _WIN32
        location_ = "Software\\VistrelTests\\picshow-" + std::to_string(::_getpid());
#else
        location_ = settingsDir_->File("Vistrel.ini");
#endif
        pt::SetEnvironment("VISTREL_SETTINGS", location_);
    }
    static void TearDownTestSuite()
    {
        delete settingsDir_;
        settingsDir_ = nullptr;
    }

    void SetUp() override
    {
        platform::settings::SetLocation(location_);
        ASSERT_TRUE(platform::settings::CreateKey(wallpaper::kWallpaperKey));
        ASSERT_TRUE(platform::settings::CreateKey(wallpaper::kScreenKey));
        for (auto [name, value] : {std::pair{"Width", 8}, {"Height", 8}, {"WorkWidth", 8}, {"WorkHeight", 8}})
            ASSERT_TRUE(platform::settings::WriteNumber(wallpaper::kScreenKey, name, value));
        UseBackend(
#ifdef _WIN32
            "windows"
#else
            "command", "true %f"
#endif
        );
        programDir.Add("View_Expander", BinDir() / "View_Expander" / LibraryFile("Picshow"));
        programDir.Add("Scheduler_Expander", BinDir() / "Scheduler_Expander" / LibraryFile("Clockpace"));
        ASSERT_TRUE(registry.LoadExtenders(programDir.Folder()));
        ASSERT_EQ(registry.Extenders(ExtenderKind::Viewer).size(), 1u);
        viewer = registry.Extenders(ExtenderKind::Viewer)[0];
        block = static_cast<std::uint8_t*>(ext::GetDefParams(viewer));
        ASSERT_TRUE(block);
    }

    void TearDown() override
    {
        gmem::Free(block);
        platform::settings::SetLocation("");
    }

    static void UseBackend(const std::string& backend, const std::string& command = {})
    {
        ASSERT_TRUE(platform::settings::WriteText(wallpaper::kWallpaperKey, "Backend", backend));
        ASSERT_TRUE(platform::settings::WriteText(wallpaper::kWallpaperKey, "Command", command));
    }

    fs::path WallpaperFile() const { return appData.Path() / "Vistrel" / "VistrelImage.bmp"; }

    std::string ViewerError()
    {
        using Fn = const char* (*)();
        auto getError = reinterpret_cast<Fn>(ext::Lookup(viewer, "getError"));
        return getError ? getError() : "";
    }

    static TempDir* settingsDir_;
    static std::string location_;

    RecordingSink sink;
    TempDir appData;
#ifdef _WIN32
    pt::ScopedEnvironment dataHome{"APPDATA", appData.Path().string()};
#else
    pt::ScopedEnvironment dataHome{"XDG_DATA_HOME", appData.Path().string()};
    pt::ScopedEnvironment noDisplay{"DISPLAY", std::nullopt};
#endif
    ProgramDir programDir;
    CExtenderRegistry registry;
    ExtenderHandle viewer = nullptr;
    std::uint8_t* block = nullptr;
};

TempDir* Picshow::settingsDir_ = nullptr;
std::string Picshow::location_;

TEST_F(Picshow, NamesAndTheDefaultBlock)
{
    EXPECT_STREQ(ext::ID(viewer), kViewerId);
    EXPECT_STREQ(ext::Version(viewer), "5.1.0.81 [Apr 25 2000]");
    EXPECT_STREQ(ext::ShortName(viewer), "Picshow");
    EXPECT_STREQ(ext::ReturnType(viewer), "image");
    std::string description = ext::Description(viewer);
    EXPECT_EQ(description.substr(0, description.find("\r\n")), "Standard Image Wallpaper Viewer - Extender");
    EXPECT_EQ(registry.FindExtenderById(kViewerId), viewer);

    ASSERT_EQ(gmem::Size(block), 72u);
    std::uint8_t expected[72] = {72, 0, 0, 0, 0xED, 0x03}; // 1005: the Tile icon
    std::memcpy(expected + 8, kViewerId, 29);
    expected[40] = 1;
    expected[48] = 0x20; // Preserve Proportions
    expected[60] = 0x80; // LX 640
    expected[61] = 0x02;
    expected[64] = 0xE0; // LY 480
    expected[65] = 0x01;
    EXPECT_EQ(std::memcmp(block, expected, 72), 0);
}

TEST_F(Picshow, MenuCommandsSetTheModeAndKeepTheRest)
{
    std::string menu = ext::MenuDefinition(viewer);
    EXPECT_EQ(menu.size(), 48u);
    std::vector<std::string> texts;
    for (std::size_t start = 0;;) {
        std::size_t end = menu.find("\\\\", start);
        texts.push_back(menu.substr(start, end - start));
        if (end == std::string::npos)
            break;
        start = end + 2;
    }
    EXPECT_EQ(texts, (std::vector<std::string>{"Tile", "Center", "Fit", "Proportioned Fit", "Free Pos..."}));

    struct {
        int command;
        std::uint32_t icon, flags;
    } expected[] = {{2, 1006, 4}, {3, 1007, 8}, {1, 1008, 2}, {0, 1005, 1}};
    for (auto e : expected) {
        std::string before(reinterpret_cast<char*>(block), 72);
        EXPECT_EQ(ext::RunCommand(viewer, block, e.command), block);
        EXPECT_EQ(U32(block + 44), static_cast<std::uint32_t>(e.command));
        EXPECT_EQ(U32(block + 4), e.icon);
        EXPECT_EQ(ext::MenuFlagsPosition(viewer, block), e.flags);
        // Only the mode and its icon change: flags, rectangle and choices stay.
        before.replace(4, 4, reinterpret_cast<char*>(block) + 4, 4);
        before.replace(44, 4, reinterpret_cast<char*>(block) + 44, 4);
        EXPECT_EQ(std::string(reinterpret_cast<char*>(block), 72), before);
    }
    block[44] = 4;
    EXPECT_EQ(ext::MenuFlagsPosition(viewer, block), 16u);
    block[44] = 9;
    EXPECT_EQ(ext::MenuFlagsPosition(viewer, block), 1u);
    EXPECT_TRUE(sink.messages.empty());
}

TEST_F(Picshow, FreePosWithoutTheDialogAndUnknownCommandsLeaveTheBlock)
{
    std::string before(reinterpret_cast<char*>(block), 72);
    EXPECT_EQ(ext::RunCommand(viewer, block, 4), block);
    EXPECT_EQ(std::string(reinterpret_cast<char*>(block), 72), before);
    EXPECT_TRUE(sink.messages.empty());

    for (int command : {5, -1}) {
        EXPECT_EQ(ext::RunCommand(viewer, block, command), block);
        EXPECT_EQ(std::string(reinterpret_cast<char*>(block), 72), before);
    }
    ASSERT_EQ(sink.messages.size(), 2u);
    EXPECT_EQ(sink.messages[0].first, "ERROR - RunCommand: iCommand not Defined");
}

TEST_F(Picshow, ShowWritesTheComposedPictureAndReleasesTheImage)
{
    ext::RunCommand(viewer, block, 2); // Fit to the 8 x 8 screen of the settings
    pt::Picture source = pt::Patterned(16, 32);
    gmem::Handle image = pt::MakeDIB24(source);
    ASSERT_TRUE(ext::Show(viewer, image, block)) << ViewerError();
    EXPECT_EQ(pt::ParseBitmap24(ReadFile(WallpaperFile())), pt::BoxShrink(source, 2, 4));
    // Nothing but the wallpaper file is left in its folder.
    EXPECT_EQ(std::distance(fs::directory_iterator(WallpaperFile().parent_path()), fs::directory_iterator()), 1);
}

// A show that cannot put a new picture on the desktop says so: the image is
// still the caller's and intact, the previous wallpaper file is whole.
TEST_F(Picshow, ShowThatCannotComposeFailsAndKeepsTheImage)
{
    fs::create_directories(WallpaperFile().parent_path());
    WriteFile(WallpaperFile(), "the previous wallpaper");
    for (int command : {2, 3}) {
        ext::RunCommand(viewer, block, command);
        gmem::Handle rle = pt::MakeRle8(20, 10);
        std::string bytes = pt::BlockBytes(rle);
        EXPECT_FALSE(ext::Show(viewer, rle, block));
        EXPECT_FALSE(ViewerError().empty());
        EXPECT_EQ(pt::BlockBytes(rle), bytes);
        gmem::Free(rle);
    }
    EXPECT_EQ(ReadFile(WallpaperFile()), "the previous wallpaper");
    EXPECT_EQ(std::distance(fs::directory_iterator(WallpaperFile().parent_path()), fs::directory_iterator()), 1);
}

TEST_F(Picshow, ShowThatCannotWriteTheFileFails)
{
    // The file's name is taken by a folder: the new picture cannot replace it.
    fs::create_directories(WallpaperFile());
    gmem::Handle image = pt::MakeDIB24(pt::Patterned(3, 3));
    std::string bytes = pt::BlockBytes(image);
    EXPECT_FALSE(ext::Show(viewer, image, block));
    EXPECT_EQ(pt::BlockBytes(image), bytes);
    EXPECT_TRUE(fs::is_directory(WallpaperFile()));
    gmem::Free(image);
}

TEST_F(Picshow, ShowWithoutADesktopWritesNothing)
{
    UseBackend("no-such-desktop");
    gmem::Handle image = pt::MakeDIB24(pt::Patterned(3, 3));
    EXPECT_FALSE(ext::Show(viewer, image, block));
    EXPECT_NE(ViewerError().find("no-such-desktop"), std::string::npos) << ViewerError();
    EXPECT_FALSE(fs::exists(WallpaperFile()));
    gmem::Free(image);
}

#ifndef _WIN32
TEST_F(Picshow, ShowThatTheDesktopRefusesFails)
{
    UseBackend("command", "false %f");
    gmem::Handle image = pt::MakeDIB24(pt::Patterned(3, 3));
    EXPECT_FALSE(ext::Show(viewer, image, block));
    EXPECT_TRUE(pt::ReadDIB24(image)) << "the image is still the caller's";
    gmem::Free(image);
}

// The desktop still shows the previous picture after a refusal, and reads
// the wallpaper file again at the next login: the file must hold that
// picture, not the refused one.
TEST_F(Picshow, ARefusedPictureLeavesThePreviousWallpaperFile)
{
    UseBackend("command", "false %f");
    gmem::Handle image = pt::MakeDIB24(pt::Patterned(3, 3));
    EXPECT_FALSE(ext::Show(viewer, image, block));
    EXPECT_FALSE(fs::exists(WallpaperFile())) << "no file before, none after";

    WriteFile(WallpaperFile(), "the previous wallpaper");
    EXPECT_FALSE(ext::Show(viewer, image, block));
    EXPECT_EQ(ReadFile(WallpaperFile()), "the previous wallpaper");
    EXPECT_EQ(std::distance(fs::directory_iterator(WallpaperFile().parent_path()), fs::directory_iterator()), 1);

    UseBackend("command", "true %f");
    ASSERT_TRUE(ext::Show(viewer, image, block)) << ViewerError();
    EXPECT_NE(ReadFile(WallpaperFile()), "the previous wallpaper");
}
#endif

} // namespace
