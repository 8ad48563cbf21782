// SPDX-License-Identifier: GPL-3.0-or-later
// vistrelctl killed at random moments of its saves of a large list: the list
// is always the old one or the new one, never damaged or mixed, and once a
// save has run to its end nothing of the killed saves is left beside it.
#include "test_support.h"

#include "vistrel/core/extender_registry.h"
#include "vistrel/core/list_file.h"
#include "vistrel/core/wallpaper_list.h"
#include "vistrel/platform/paths.h"

#include <gtest/gtest.h>

#include <chrono>
#include <csignal>
#include <filesystem>
#include <random>
#include <sys/wait.h>
#include <thread>
#include <unistd.h>

using namespace vistrel;
using namespace vistrel::test;

namespace {

constexpr int kEntries = 20000;
constexpr int kKills = 24;
constexpr auto kTimeBudget = std::chrono::seconds(10);

// Runs the real vistrelctl; with a delay, SIGKILLs it after that long.
// Its exit status, or -signal when it was killed.
int RunVistrelctl(const std::vector<std::string>& args, std::optional<std::chrono::microseconds> killAfter = {})
{
    const std::string program = (BinDir() / "vistrelctl").string();
    std::vector<char*> argv{const_cast<char*>(program.c_str())};
    for (const std::string& a : args)
        argv.push_back(const_cast<char*>(a.c_str()));
    argv.push_back(nullptr);
    pid_t child = ::fork();
    if (child == 0) {
        ::execv(program.c_str(), argv.data());
        ::_exit(127);
    }
    if (killAfter) {
        std::this_thread::sleep_for(*killAfter);
        ::kill(child, SIGKILL);
    }
    int status = 0;
    ::waitpid(child, &status, 0);
    return WIFSIGNALED(status) ? -WTERMSIG(status) : WEXITSTATUS(status);
}

std::vector<std::string> Names(const std::filesystem::path& folder)
{
    std::vector<std::string> names;
    for (const auto& entry : std::filesystem::directory_iterator(folder))
        names.push_back(entry.path().filename().string());
    return names;
}

} // namespace

TEST(KilledSaves, LeaveTheOldListOrTheNewAndNothingBeside)
{
    TempDir work;
    PrivateSettings settings;
    const std::string list = work.File("L.vist");
    {
        ProgramDir dir;
        dir.Add("Read_Expander", BinDir() / "Read_Expander" / LibraryFile("Bitload"));
        dir.Add("View_Expander", BinDir() / "View_Expander" / LibraryFile("Picshow"));
        dir.Add("Scheduler_Expander", BinDir() / "Scheduler_Expander" / LibraryFile("Clockpace"));
        CExtenderRegistry registry;
        ASSERT_TRUE(registry.LoadExtenders(dir.Folder()));
        CWallpaperList entries(&registry);
        entries.Reset();
        std::vector<std::string> paths;
        for (int i = 0; i < kEntries; ++i)
            paths.push_back("/pictures/holiday/photo-" + std::to_string(i) + ".bmp");
        ASSERT_EQ(entries.InsertFiles(paths, false), kEntries);
        std::string error;
        ASSERT_TRUE(WriteListFile(list, entries, error)) << error;
    }
    // The two states a save moves between, as their bytes.
    ASSERT_EQ(RunVistrelctl({"priority", list, "all", "20"}), 0);
    const std::string twenty = ReadFile(list);
    const auto started = std::chrono::steady_clock::now();
    ASSERT_EQ(RunVistrelctl({"priority", list, "all", "10"}), 0);
    const auto oneSave = std::chrono::steady_clock::now() - started;
    const std::string ten = ReadFile(list);
    ASSERT_NE(ten, twenty);

    std::mt19937 random(20000);
    const auto window = std::chrono::duration_cast<std::chrono::microseconds>(oneSave) * 12 / 10;
    std::uniform_int_distribution<long> at(0, window.count());
    int killed = 0, leftBehind = 0;
    for (int i = 0; i < kKills && std::chrono::steady_clock::now() - started < kTimeBudget; ++i) {
        const std::string& now = ReadFile(list) == ten ? ten : twenty;
        int status =
            RunVistrelctl({"priority", list, "all", &now == &ten ? "20" : "10"}, std::chrono::microseconds(at(random)));
        killed += status == -SIGKILL;
        const std::string bytes = ReadFile(list);
        ASSERT_TRUE(bytes == ten || bytes == twenty) << "kill " << i << " left a list of " << bytes.size() << " bytes";
        leftBehind = std::max(leftBehind, static_cast<int>(Names(work.Path()).size()) - 1);
    }
    EXPECT_GT(killed, 0) << "no save was killed: the timing tells nothing";

    ASSERT_EQ(RunVistrelctl({"priority", list, "all", "30"}), 0);
    EXPECT_EQ(Names(work.Path()), std::vector<std::string>{"L.vist"}) << "the clean save removed what was left";
    EXPECT_EQ(RunVistrelctl({"show", list}), 0) << "and the list loads";
    std::cout << killed << " saves killed, at most " << leftBehind << " temporary files left between saves\n";
}
