// SPDX-License-Identifier: GPL-3.0-or-later
// A few thousand accelerated polls, saves and changes while another thread
// keeps replacing the list file and moving its last-write time, as a list
// manager saving again and again would. Meant to run under ASan/LSan too:
// no crash, no leak, and the list file loads completely at every moment.
#include "cycle_fixture.h"

#include "vistrel/core/list_file.h"
#include "vistrel/core/scheduler_settings.h"
#include "vistrel/platform/files.h"

#include <atomic>
#include <cstdio>
#include <filesystem>
#include <thread>

using namespace vistrel;
using namespace vistrel::scheduler;
using namespace vistrel::scheduler::test;

TEST_F(CycleTest, SoakWhileAnotherProgramKeepsSavingTheList)
{
    host.keepEvents = false;
    std::string path = WriteList("soak.vist", {"a.bmp", "b.bmp", "c.bmp"});
    std::vector<std::string> versions{vistrel::test::ReadFile(path)};
    WriteList("other.vist", {"d.bmp", "e.bmp", "unreadable.bmp", "f.bmp"}, true, {1, 3, 2, 5});
    versions.push_back(vistrel::test::ReadFile(lists.File("other.vist")));
    UseList(path);
    cycle->LoadAndArm();

    std::atomic<bool> stop{false};
    std::atomic<int> rewrites{0};
    std::thread writer([&] {
        for (int i = 0; !stop; ++i) {
            std::string error;
            if (i % 3 == 2) {
                std::error_code ec;
                std::filesystem::last_write_time(path, std::filesystem::file_time_type::clock::now(), ec);
            } else {
                EXPECT_TRUE(platform::ReplaceFileAtomically(path, versions[static_cast<std::size_t>(i) % 2], error))
                    << error;
            }
            ++rewrites;
            std::this_thread::sleep_for(std::chrono::microseconds(700));
        }
    });

    int polls = 0, incomplete = 0;
    auto end = std::chrono::steady_clock::now() + std::chrono::seconds(4);
    while (polls < 5000 && std::chrono::steady_clock::now() < end) {
        DuePoll();
        if (polls % 7 == 0)
            cycle->SaveList();
        if (polls % 31 == 0)
            cycle->ChangeNowCommand();
        if (polls % 53 == 0)
            cycle->CheckForNewList();
        if (cycle->LastLoad() && !LoadedCompletely(*cycle->LastLoad()))
            ++incomplete;
        ++polls;
    }
    stop = true;
    writer.join();

    std::printf("%d polls, %d rewrites of the list file\n", polls, rewrites.load());
    EXPECT_GT(polls, 1000);
    EXPECT_GT(rewrites.load(), 100);
    EXPECT_EQ(incomplete, 0) << "a list that is only ever replaced as a whole always loads";
    CWallpaperList final(&registry);
    std::string detail;
    EXPECT_EQ(ReadListFile(path, final, detail), ListLoadStatus::Ok) << detail;
    EXPECT_GT(ShowCount(), 0);
    EXPECT_EQ(ReadSchedulerSettings().active, 1u);
    // No temporary files of the atomic saves are left behind.
    int leftovers = 0;
    for (const auto& entry : std::filesystem::directory_iterator(lists.Path()))
        leftovers += entry.path().filename().string().rfind(".soak", 0) == 0 ? 1 : 0;
    EXPECT_EQ(leftovers, 0);
}
