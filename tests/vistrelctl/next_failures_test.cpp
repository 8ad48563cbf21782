// SPDX-License-Identifier: GPL-3.0-or-later
// `next` on the shipped extenders when a change fails: every failure names
// the file and the reason, a name that is no file (a FIFO, a folder, a link
// to a device, an empty or missing file) never blocks the change, and a
// desktop that refuses a good picture uses up no entry.
#include "environment.h"
#include "shipped_fixture.h"

#include "vistrel/platform/settings_store.h"
#include "vistrel/wallpaper/installer.h"
#include "vistrel/wallpaper/screen.h"

#include <filesystem>
#include <fstream>
#ifndef _WIN32
#include <sys/stat.h>
#endif

using namespace vistrel;
using namespace vistrel::test;

namespace {

// A 1 x 1 24-bit bitmap file.
std::string TinyBitmap()
{
    std::string bytes = "BM";
    auto u32 = [&](std::uint32_t v) {
        for (int i = 0; i < 4; ++i)
            bytes += static_cast<char>(v >> (8 * i));
    };
    auto u16 = [&](std::uint16_t v) {
        bytes += static_cast<char>(v);
        bytes += static_cast<char>(v >> 8);
    };
    u32(58), u32(0), u32(54);                 // file size, reserved, pixel offset
    u32(40), u32(1), u32(1), u16(1), u16(24); // header, width, height, planes, bits
    u32(0), u32(4), u32(0), u32(0), u32(0), u32(0);
    bytes += std::string("\x20\x40\x80\x00", 4); // one pixel and its padding
    return bytes;
}

class NextFailures : public VistrelctlMode {
protected:
    // The user's command as the desktop: "true" takes every picture.
    void SetUp() override
    {
        ASSERT_TRUE(platform::settings::CreateKey(wallpaper::kWallpaperKey));
        ASSERT_TRUE(platform::settings::CreateKey(wallpaper::kScreenKey));
        for (auto [name, value] : {std::pair{"Width", 8}, {"Height", 8}, {"WorkWidth", 8}, {"WorkHeight", 8}})
            ASSERT_TRUE(platform::settings::WriteNumber(wallpaper::kScreenKey, name, value));
        UseCommand("true %f");
    }

    static void UseCommand(const std::string& command)
    {
        ASSERT_TRUE(platform::settings::WriteText(wallpaper::kWallpaperKey, "Backend", "command"));
        ASSERT_TRUE(platform::settings::WriteText(wallpaper::kWallpaperKey, "Command", command));
    }

    // A list of good bitmaps with these names, in order.
    void MakePictures(const std::vector<std::string>& names)
    {
        std::filesystem::remove(work.File("L.vist"));
        MakeList(names);
        for (const std::string& name : names)
            WriteFile(work.Path() / name, TinyBitmap());
    }

    std::string LastMessage() const { return sink.messages.empty() ? "" : sink.messages.back().first; }

    TempDir appData;
    ScopedEnvironment dataHome{"XDG_DATA_HOME", appData.Path().string()};
    // The viewer keeps its own copy of the settings store, which finds the
    // file through the environment.
    ScopedEnvironment settingsFile{"VISTREL_SETTINGS", settings.Location()};
    ScopedEnvironment noDisplay{"DISPLAY", std::nullopt};
};

} // namespace

#ifndef _WIN32
TEST_F(NextFailures, NamesTheFileAndWhyItIsNoPicture)
{
    const std::pair<std::string, std::string> cases[] = {{"gone.bmp", "there is no such file"},
                                                         {"folder.bmp", "it is a folder"},
                                                         {"empty.bmp", "it is empty"},
                                                         {"zero.bmp", "it is a device, not a file"},
                                                         {"fifo.bmp", "it is a FIFO, not a file"}};
    for (const auto& [name, why] : cases) {
        MakePictures({name});
        const std::string path = work.File(name);
        std::filesystem::remove(path);
        if (name == "folder.bmp") {
            std::filesystem::create_directory(path);
        } else if (name == "empty.bmp") {
            std::ofstream{path};
        } else if (name == "zero.bmp") {
            std::filesystem::create_symlink("/dev/zero", path);
        } else if (name == "fifo.bmp") {
            ASSERT_EQ(::mkfifo(path.c_str(), 0600), 0);
        }
        EXPECT_EQ(Run({"next", list}), 1) << name;
        EXPECT_EQ(LastMessage(), "The wallpaper was not changed: " + path + " could not be read: " + why);
        std::filesystem::remove_all(path);
    }
}

TEST_F(NextFailures, AFifoBeforeAGoodPictureBlocksNothing)
{
    MakePictures({"fifo.png", "fifo.bmp", "good.bmp"});
    for (const char* name : {"fifo.png", "fifo.bmp"}) {
        std::filesystem::remove(work.File(name));
        ASSERT_EQ(::mkfifo(work.File(name).c_str(), 0600), 0);
    }
    EXPECT_EQ(Run({"next", list}), 0) << LastMessage();
    EXPECT_EQ(out.str(), "Wallpaper changed to " + work.File("good.bmp") + "\n");
}

TEST_F(NextFailures, ARefusingDesktopStopsAtOnceAndUsesNothingUp)
{
    UseCommand("false %f");
    MakePictures({"a.bmp", "b.bmp"});
    EXPECT_EQ(Run({"next", list}), 1);
    EXPECT_EQ(LastMessage(), "The wallpaper was not changed: " + work.File("a.bmp") +
                                 " could not be made the wallpaper: \"false\" failed with exit status 1");
    ASSERT_EQ(Run({"show", list, "--json"}), 0);
    EXPECT_EQ(out.str().find("\"shown\": \"50\""), std::string::npos) << out.str();
    EXPECT_EQ(out.str().find("\"total\": \"1\""), std::string::npos) << out.str();

    UseCommand("true %f");
    EXPECT_EQ(Run({"next", list}), 0);
    EXPECT_EQ(out.str(), "Wallpaper changed to " + work.File("a.bmp") + "\n") << "the round goes on where it was";
}
#endif
