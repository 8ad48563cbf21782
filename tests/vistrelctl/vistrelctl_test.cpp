// SPDX-License-Identifier: GPL-3.0-or-later
#include "cli.h"
#include "shipped_fixture.h"
#include "test_support.h"

#include "vistrel/core/scheduler_settings.h"
#include "vistrel/platform/files.h"
#include "vistrel/platform/paths.h"
#include "vistrel/platform/process.h"
#include "vistrel/platform/settings_store.h"

#include "environment.h"

#include <chrono>
#include <gtest/gtest.h>
#include <sstream>

using namespace vistrel;
using namespace vistrel::test;

namespace {

class Vistrelctl : public ::testing::Test {
protected:
    void SetUp() override { programDir.AddStandardFakes(); }

    int Run(std::vector<std::string> args)
    {
        out.str("");
        return vistrelctl::Run(args, programDir.Folder(), out);
    }

    // Picture files below the work folder (the fake reader reads their names).
    std::vector<std::string> Pictures(const std::vector<std::string>& names)
    {
        std::vector<std::string> paths;
        for (const std::string& name : names) {
            std::filesystem::create_directories((work.Path() / name).parent_path());
            WriteFile(work.Path() / name, "x");
            paths.push_back(work.File(name));
        }
        return paths;
    }

    RecordingSink sink;
    PrivateSettings settings;
    ProgramDir programDir;
    TempDir work;
    std::ostringstream out;
};

} // namespace

TEST_F(Vistrelctl, NewWritesTheEmptyListAndRefusesToOverwrite)
{
    std::string list = work.File("L.vist");
    ASSERT_EQ(Run({"new", list}), vistrelctl::kSuccess);
    std::string bytes = ReadFile(list);
    ASSERT_EQ(bytes.size(), 94u);
    EXPECT_EQ(bytes.substr(0, 18), std::string("\x0DVistrelDoc V1\0\0\0\0", 18));
    EXPECT_EQ(bytes.substr(18, 12), std::string("\x40\0\0\0\x40\0\0\0\x64\0\0\0", 12));
    EXPECT_EQ(bytes.substr(86), std::string("\0\0\0\0\x05\0\0\0", 8));
    EXPECT_EQ(Run({"new", list}), vistrelctl::kFailure);
    EXPECT_EQ(ReadFile(list), bytes);
}

TEST_F(Vistrelctl, AddWalksFoldersSkipsHiddenAndCountsWhatWasAdded)
{
    std::string list = work.File("L.vist");
    ASSERT_EQ(Run({"new", list}), 0);
    auto pictures = work.Path() / "pictures";
    std::filesystem::create_directories(pictures / "sub");
    std::filesystem::create_directories(pictures / ".hidden");
    for (const char* name : {"b.bmp", "A.BMP", "notes.txt", ".secret.bmp", "sub/c.bitmap", ".hidden/d.bmp"})
        WriteFile(pictures / name, "x");
    ASSERT_EQ(Run({"add", list, pictures.string()}), 0);
    EXPECT_EQ(out.str(), "3 entries added\n");
    ASSERT_EQ(Run({"add", list, pictures.string()}), 0);
    EXPECT_EQ(out.str(), "0 entries added\n") << "a walk skips duplicates silently";
    EXPECT_TRUE(sink.messages.empty());
    ASSERT_EQ(Run({"add", list, (pictures / "b.bmp").string(), "--allow-duplicates"}), 0);
    EXPECT_EQ(out.str(), "1 entry added\n");

    ASSERT_EQ(Run({"show", list, "--json"}), 0);
    std::string json = out.str();
    EXPECT_NE(json.find("\"random\": 0"), std::string::npos);
    EXPECT_NE(json.find("\"description\": \"Change Wallpaper every 30 mins\""), std::string::npos);
    EXPECT_NE(json.find("\"id\": \"T0001-CLOCKPACE              \", \"size\": 64"), std::string::npos);
    // Depth first in sorted order: A.BMP, b.bmp, then the subfolder's file.
    std::size_t a = json.find("A.BMP"), b = json.find("b.bmp"), c = json.find("c.bitmap");
    EXPECT_TRUE(a < b && b < c) << json;
    EXPECT_NE(json.find("\"priority\": \"50\", \"shown\": \"0\", \"chain\": [{\"id\": \"R0001-FAKEREAD               "
                        "\", \"size\": 44, \"value\": 100}, {\"id\": \"V0001-FAKEVIEW               \", \"size\": 72, "
                        "\"value\": 100}]"),
              std::string::npos)
        << json;
}

// A file named outright is one the user meant: each one left out is named
// with its reason, and nothing added at all is a failure.
TEST_F(Vistrelctl, AddSaysWhyANamedFileWasLeftOut)
{
    std::string list = work.File("L.vist");
    ASSERT_EQ(Run({"new", list}), 0);
    std::string before = ReadFile(list);
    std::vector<std::string> files = Pictures({"a.bmp", "notes.txt"});
    std::filesystem::create_directories(work.Path() / "empty");
    struct Case {
        std::string path, reason;
    };
    for (const Case& c :
         {Case{work.File("typo.bmp"), "no such file"}, Case{files[1], "no reader extender reads files of its kind"}}) {
        sink.messages.clear();
        EXPECT_EQ(Run({"add", list, c.path}), vistrelctl::kFailure) << c.path;
        EXPECT_EQ(out.str(), "0 entries added\n");
        ASSERT_EQ(sink.messages.size(), 1u) << c.path;
        EXPECT_EQ(sink.messages[0].first, c.path + " was not added: " + c.reason);
        EXPECT_EQ(ReadFile(list), before) << "nothing added, nothing written";
    }

    // One good file among bad ones is added; each bad one is still named.
    sink.messages.clear();
    EXPECT_EQ(Run({"add", list, work.File("typo.bmp"), files[0], files[1]}), vistrelctl::kSuccess);
    EXPECT_EQ(out.str(), "1 entry added\n");
    EXPECT_EQ(sink.messages.size(), 2u);

    sink.messages.clear();
    EXPECT_EQ(Run({"add", list, files[0]}), vistrelctl::kFailure);
    ASSERT_EQ(sink.messages.size(), 1u);
    EXPECT_EQ(sink.messages[0].first,
              files[0] + " was not added: it is in the list already (--allow-duplicates adds it again)");

    // An empty folder is no mistake: a walk stays silent.
    sink.messages.clear();
    EXPECT_EQ(Run({"add", list, work.File("empty")}), vistrelctl::kSuccess);
    EXPECT_EQ(out.str(), "0 entries added\n");
    EXPECT_TRUE(sink.messages.empty());
}

// The scheduler waits 100 ms before each of its 101 attempts; a change asked
// for on the command line goes through all of them at once.
TEST_F(Vistrelctl, NextTriesItsAttemptsWithoutWaiting)
{
    std::string list = work.File("L.vist");
    ASSERT_EQ(Run({"new", list}), 0);
    std::vector<std::string> files = Pictures({"unreadable-1.bmp", "unreadable-2.bmp"});
    ASSERT_EQ(Run({"add", list, files[0], files[1]}), 0);
    auto start = std::chrono::steady_clock::now();
    EXPECT_EQ(Run({"next", list}), vistrelctl::kFailure);
    auto took = std::chrono::steady_clock::now() - start;
    EXPECT_LT(took, std::chrono::seconds(5)) << "101 waits of 100 ms would take over 10 s";
}

// A command whose result the file already holds leaves the file alone and
// says so.
TEST_F(Vistrelctl, ACommandThatChangesNothingLeavesTheFileAlone)
{
    std::string list = work.File("L.vist");
    ASSERT_EQ(Run({"new", list}), 0);
    ASSERT_EQ(Run({"add", list, Pictures({"1.bmp"})[0]}), 0);
    ASSERT_EQ(Run({"priority", list, "1", "9"}), 0);
    EXPECT_EQ(out.str(), "");
    const auto old = std::filesystem::last_write_time(list) - std::chrono::hours(5);
    std::filesystem::last_write_time(list, old);
    const std::string nothing = "Nothing changed: " + list + " was left as it is\n";
    for (std::vector<std::string> command : std::vector<std::vector<std::string>>{
             {"priority", list, "1", "9"}, {"reset-shown", list}, {"random", list, "off"}}) {
        EXPECT_EQ(Run(command), 0) << command[0];
        EXPECT_EQ(out.str(), nothing) << command[0];
    }
    EXPECT_EQ(std::filesystem::last_write_time(list), old);
    EXPECT_EQ(Run({"random", list, "on"}), 0);
    EXPECT_EQ(out.str(), "");
    EXPECT_NE(std::filesystem::last_write_time(list), old);
}

TEST_F(Vistrelctl, RowCommandsEditTheList)
{
    std::string list = work.File("L.vist");
    ASSERT_EQ(Run({"new", list}), 0);
    std::vector<std::string> files = Pictures({"p/1.bmp", "p/2.bmp", "p/3.bmp"});
    ASSERT_EQ(Run({"add", list, files[0], files[1], work.File("p/../p/3.bmp")}), 0);
    EXPECT_EQ(Run({"priority", list, "2", "3", "7"}), 0);
    EXPECT_EQ(Run({"priority", list, "1", "101"}), vistrelctl::kUsage);
    EXPECT_EQ(Run({"priority", list, "9", "5"}), vistrelctl::kUsage);
    EXPECT_EQ(Run({"remove", list, "1"}), 0);
    EXPECT_EQ(Run({"random", list, "on"}), 0);
    EXPECT_EQ(Run({"random", list, "maybe"}), vistrelctl::kUsage);
    ASSERT_EQ(Run({"show", list}), 0);
    EXPECT_NE(out.str().find("Random: on (1)"), std::string::npos);
    // Paths are stored absolute and without "..".
    std::string second = platform::Utf8FromPath(std::filesystem::absolute(files[1]).lexically_normal());
    EXPECT_NE(out.str().find("1. " + second + "\n   Type: image  Total: 0  Priority: 7  Shown: 0"), std::string::npos)
        << out.str();
    EXPECT_NE(out.str().find("2. " + platform::Utf8FromPath(std::filesystem::path(files[2]).lexically_normal())),
              std::string::npos)
        << out.str();
    EXPECT_EQ(out.str().find("1.bmp"), std::string::npos);
    EXPECT_EQ(Run({"reset-totals", list}), 0);
    EXPECT_EQ(Run({"reset-shown", list, "all"}), 0);
    EXPECT_EQ(Run({"bogus", list}), vistrelctl::kUsage);
    EXPECT_EQ(Run({"show"}), vistrelctl::kUsage);
}

TEST_F(Vistrelctl, DamagedListsAreReportedAndNeverWritten)
{
    struct Case {
        const char* what;
        std::string bytes;
        const char* message;
    };
    std::string good;
    {
        std::string list = work.File("good.vist");
        ASSERT_EQ(Run({"new", list}), 0);
        ASSERT_EQ(Run({"add", list, Pictures({"p/1.bmp"})[0]}), 0);
        good = ReadFile(list);
    }
    std::string lying = good;
    lying[94] = '\xFF'; // the File text's length now claims 0xFFFF.. bytes
    lying[95] = '\xFF';
    lying[96] = '\xFF';
    for (const Case& c : {Case{"wrong magic", "\x0DVistrelDoc V9" + good.substr(14), "Wrong File Format"},
                          Case{"truncated", good.substr(0, good.size() - 10), "Unexpected file format."},
                          Case{"lying lengths", lying, "Unexpected file format."}}) {
        std::string list = work.File("damaged.vist");
        WriteFile(list, c.bytes);
        sink.messages.clear();
        for (std::vector<std::string> command : {std::vector<std::string>{"show", list},
                                                 {"add", list, "/p/2.bmp"},
                                                 {"random", list, "on"},
                                                 {"priority", list, "all", "3"},
                                                 {"remove", list, "1"},
                                                 {"use", list}}) {
            EXPECT_EQ(Run(command), vistrelctl::kDamagedList) << c.what << " " << command[0];
        }
        ASSERT_FALSE(sink.messages.empty()) << c.what;
        EXPECT_EQ(sink.messages[0].first.rfind(c.message, 0), 0u) << c.what << ": " << sink.messages[0].first;
        EXPECT_EQ(ReadFile(list), c.bytes) << c.what << ": the file is left byte for byte";
    }
    EXPECT_EQ(ReadCurrentList(), "") << "a damaged list never becomes the current one";
}

TEST_F(Vistrelctl, UseMakesTheListTheCurrentOne)
{
    std::string first = work.File("first.vist"), second = work.File("second.vist");
    ASSERT_EQ(Run({"new", first}), 0);
    ASSERT_EQ(Run({"new", second}), 0);
    EXPECT_EQ(Run({"current"}), vistrelctl::kFailure) << "no current list yet";
    ASSERT_EQ(Run({"use", first}), 0);
    ASSERT_EQ(Run({"use", second}), 0);
    EXPECT_EQ(ReadCurrentList(), second);
    ASSERT_EQ(Run({"current"}), 0);
    EXPECT_EQ(out.str(), second + "\n");
    RecentFileList recent;
    recent.Load();
    EXPECT_EQ(recent.Names(), (std::vector<std::string>{second, first}));
}

// The scheduler reads "File1" into 200 bytes: a list of a longer name would
// never be run, so it is refused, and the current list stays as it was.
TEST_F(Vistrelctl, UseRefusesANameTheSchedulerCannotRead)
{
    std::string first = work.File("first.vist");
    ASSERT_EQ(Run({"new", first}), 0);
    ASSERT_EQ(Run({"use", first}), 0);
    const std::size_t base = work.Path().string().size();
    ASSERT_LT(base, 170u);
    std::filesystem::path folder = work.Path() / std::string(180 - base, 'f');
    std::filesystem::create_directories(folder);
    std::string name(200 - folder.string().size() - 1, 'x'); // the path is exactly 200 bytes
    std::string list = (folder / name).string();
    ASSERT_EQ(list.size(), 200u);
    ASSERT_EQ(Run({"new", list}), 0);
    sink.messages.clear();
    EXPECT_EQ(Run({"use", list}), vistrelctl::kFailure);
    ASSERT_EQ(sink.messages.size(), 1u);
    EXPECT_NE(sink.messages[0].first.find("shorter than 200 bytes"), std::string::npos) << sink.messages[0].first;
    EXPECT_EQ(ReadCurrentList(), first);
    RecentFileList recent;
    recent.Load();
    EXPECT_EQ(recent.Names(), std::vector<std::string>{first});

    // One byte less is read by the scheduler.
    std::string shorter = (folder / name.substr(1)).string();
    ASSERT_EQ(Run({"new", shorter}), 0);
    EXPECT_EQ(Run({"use", shorter}), 0);
    EXPECT_EQ(ReadCurrentList(), shorter);
}

TEST_F(VistrelctlMode, RunsTheViewersCommandsOnTheRowsGiven)
{
    ASSERT_NO_FATAL_FAILURE(MakeList({"1.bmp", "2.bmp", "3.bmp"}));
    ASSERT_EQ(Run({"mode", list, "1", "3", "Proportioned"}), 0);
    EXPECT_EQ(out.str(), "2 entries changed\n");
    ASSERT_EQ(Run({"mode", list, "1", "3", "Proportioned"}), 0); // as they are: no count of changes
    EXPECT_EQ(out.str(), "Nothing changed: " + list + " was left as it is\n");
    ASSERT_EQ(Run({"mode", list, "2", "center"}), 0);
    EXPECT_EQ(Run({"mode", list, "1", "nonsense"}), vistrelctl::kUsage);
    ASSERT_EQ(Run({"show", list, "--json"}), 0);
    // The viewer's block carries the icon of its mode: 1008 centred, 1007 proportioned.
    std::string json = out.str();
    std::size_t first = json.find("\"value\": 1007"), second = json.find("\"value\": 1008");
    std::size_t third = json.find("\"value\": 1007", first + 1);
    EXPECT_TRUE(first != std::string::npos && second != std::string::npos && third != std::string::npos &&
                first < second && second < third)
        << json;
}

TEST(VistrelctlProgram, RunsFromTheBuildTreeWithItsOwnExtenders)
{
    TempDir work;
    std::filesystem::path program = BinDir() / "vistrelctl";
#ifdef _WIN32
    program += ".exe";
#endif
    std::string list = work.File("L.vist");
    EXPECT_EQ(platform::RunProgram(program.string(), {"new", list}), 0);
    EXPECT_EQ(ReadFile(list).size(), 94u);
    std::string output;
    EXPECT_EQ(platform::RunProgram(program.string(), {"show", list, "--json"}, &output), 0);
    EXPECT_NE(output.find("Change Wallpaper every 30 mins"), std::string::npos) << output;
    WriteFile(list, "\x05hello");
    EXPECT_EQ(platform::RunProgram(program.string(), {"show", list}), 3);
    EXPECT_EQ(platform::RunProgram(program.string(), {}), 2);
}

TEST_F(Vistrelctl, MonitorsWithNothingToAskAndFromTheSettings)
{
#ifndef _WIN32
    ScopedEnvironment display("DISPLAY", std::nullopt);
    ScopedEnvironment desktop("XDG_CURRENT_DESKTOP", std::nullopt);
    ScopedEnvironment sway("SWAYSOCK", std::nullopt);
    ASSERT_EQ(Run({"monitors"}), vistrelctl::kSuccess);
    EXPECT_EQ(out.str(), "screen 1 1920x1080+0+0 primary work 1920x1080+0+0\n");
#endif
    ASSERT_TRUE(platform::settings::CreateKey("Software\\Vistrel\\Vistrel\\Screen"));
    ASSERT_TRUE(platform::settings::WriteNumber("Software\\Vistrel\\Vistrel\\Screen", "WorkWidth", 1000));
    ASSERT_TRUE(platform::settings::WriteNumber("Software\\Vistrel\\Vistrel\\Screen", "WorkHeight", 700));
    ASSERT_TRUE(platform::settings::CreateKey("Software\\Vistrel\\Vistrel\\Wallpaper"));
    ASSERT_TRUE(platform::settings::WriteText("Software\\Vistrel\\Vistrel\\Wallpaper", "Monitors", "span"));
    ASSERT_EQ(Run({"monitors", "--json"}), vistrelctl::kSuccess);
    EXPECT_NE(out.str().find("\"choice\": \"span\""), std::string::npos) << out.str();
    EXPECT_NE(out.str().find("\"primary\": true, \"workarea\": {\"x\": 0, \"y\": 0, \"width\": 1000, \"height\": 700}"),
              std::string::npos)
        << out.str();
    EXPECT_EQ(Run({"monitors", "extra"}), vistrelctl::kUsage);
}
