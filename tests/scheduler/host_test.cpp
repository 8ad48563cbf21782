// SPDX-License-Identifier: GPL-3.0-or-later
// What the Qt and the Win32 scheduler share around the cycle: the commands
// by id, a close during a running command, the tray status and messages,
// starting the list manager, the timing from the environment.
#include "environment.h"
#include "test_support.h"
#include "vistrel/core/list_file.h"
#include "vistrel/core/scheduler_settings.h"
#include "vistrel/scheduler/resource_ids.h"
#include "vistrel/scheduler/scheduler_host.h"
#include "vistrel/scheduler/texts.h"

#include <algorithm>
#include <filesystem>
#include <functional>
#include <gtest/gtest.h>
#include <string>
#include <vector>

using namespace vistrel;
using namespace vistrel::scheduler;
using namespace std::chrono_literals;

namespace {

class RecordingTray final : public StatusTray {
public:
    void SetIcon(int iconId) override { icon = iconId; }
    void SetTooltip(int stringId) override { tooltip = stringId; }
    void Hide() override { shown = false; }
    void Show() override { shown = true; }
    void Refresh() override { ++refreshes; }
    void ShowMessage(const std::string& title, const std::string& text) override
    {
        messages.push_back(title + "|" + text);
    }
    int icon = 0, tooltip = 0, refreshes = 0;
    bool shown = false;
    std::vector<std::string> messages;
};

// The program's own parts, recorded; `onWait` runs inside the cycle's waits,
// as the menu's commands do in a program's.
class RecordingProgram final : public SchedulerHost {
public:
    RecordingProgram(const CExtenderRegistry& registry, const std::string& dir, RecordingTray& tray)
        : SchedulerHost(registry, dir, HostTiming{}, tray)
    {
    }
    std::vector<std::string> calls;
    std::vector<std::pair<long, int>> later;
    std::function<void()> onWait;

private:
    void HideAfterPicture() override { calls.push_back("hide"); }
    void ShowAboutBox() override { calls.push_back("about"); }
    void ShowPlaceholderDialog() override { calls.push_back("placeholder"); }
    void RunLater(std::chrono::milliseconds delay, int id) override { later.emplace_back(delay.count(), id); }
    void Quit() override { calls.push_back("quit"); }
    void ArmTimers(const TimerPlan&) override { calls.push_back("arm"); }
    void Wait(std::chrono::milliseconds) override
    {
        if (onWait)
            onWait();
    }
};

class HostTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        dir.AddStandardFakes();
        ASSERT_TRUE(registry.LoadExtenders(dir.Folder()));
    }
    // A list of files the fake reader cannot read, made the current list.
    std::string UnreadableList()
    {
        CWallpaperList entries(&registry);
        entries.Reset();
        for (const char* name : {"unreadable-1.bmp", "unreadable-2.bmp", "unreadable-3.bmp"})
            EXPECT_TRUE(entries.InsertFile(lists.File(name), false));
        std::string path = lists.File("a.vist"), error;
        EXPECT_TRUE(WriteListFile(path, entries, error)) << error;
        RecentFileList recent;
        recent.Add(path);
        EXPECT_TRUE(recent.Save());
        return path;
    }

    test::PrivateSettings settings;
    test::RecordingSink sink;
    test::ProgramDir dir;
    test::TempDir lists;
    CExtenderRegistry registry;
    RecordingTray tray;
};

std::string ListManagerFile(const std::string& dir)
{
#ifdef _WIN32
    return dir + "Vistrel.exe";
#else
    return dir + "Vistrel";
#endif
}

} // namespace

TEST_F(HostTest, StartShowsTheIconWithItsStatusThenHidesThroughTheEventLoop)
{
    RecordingProgram program(registry, dir.Folder(), tray);
    program.Start();
    EXPECT_TRUE(tray.shown);
    EXPECT_EQ(tray.icon, ids::kIconActive);
    EXPECT_EQ(tray.tooltip, ids::kStrActive);
    EXPECT_EQ(program.later, (std::vector<std::pair<long, int>>{{0, ids::kCmdHide}}));
    EXPECT_TRUE(program.calls.empty()) << "nothing is hidden or loaded before the event loop runs";

    for (int id : {ids::kCmdHide, ids::kCmdAbout, ids::kCmdMoreOptions, 4242})
        program.RunCommand(id);
    program.RunCommand(ids::kCmdLoadList);
    EXPECT_EQ(program.calls, (std::vector<std::string>{"hide", "about", "placeholder", "arm"}));

    program.RunCommand(ids::kCmdToggleActive);
    EXPECT_EQ(ReadSchedulerSettings().active, 0u);
    EXPECT_EQ(tray.icon, ids::kIconOff);
    EXPECT_EQ(tray.tooltip, ids::kStrOff);
}

// "Close Scheduler" while a failing change waits between its attempts: the
// attempts stop, the close comes back after a while, saves and ends; nothing
// runs after it.
TEST_F(HostTest, CloseDuringAChangeStopsItAndClosesOnceItHasStopped)
{
    std::string list = UnreadableList();
    RecordingProgram program(registry, dir.Folder(), tray);
    program.RunCommand(ids::kCmdLoadList);
    int waits = 0;
    program.onWait = [&] {
        if (++waits == 2)
            program.RunCommand(ids::kCmdClose);
    };
    program.RunCommand(ids::kCmdChangeNow);
    EXPECT_EQ(waits, 2) << "no attempt after the close asked to stop";
    EXPECT_EQ(program.later.back(), std::make_pair(static_cast<long>(kCloseRetry.count()), ids::kCmdClose));
    EXPECT_EQ(std::count(program.calls.begin(), program.calls.end(), "quit"), 0);
    EXPECT_TRUE(tray.messages.empty()) << "closing is no failed change";

    program.RunCommand(ids::kCmdClose);
    EXPECT_EQ(program.calls.back(), "quit");
    EXPECT_FALSE(tray.shown) << "the icon goes with the program";
    CWallpaperList saved;
    std::string detail;
    ASSERT_EQ(ReadListFile(list, saved, detail), ListLoadStatus::Ok) << detail;
    EXPECT_EQ(saved.GetText(0, kColShown), "50") << "the close saved the first attempt (used up)";
    EXPECT_EQ(ReadSchedulerSettings().active, 1u);

    program.RunCommand(ids::kCmdChangeNow);
    program.Poll();
    EXPECT_EQ(std::count(program.calls.begin(), program.calls.end(), "quit"), 1);
    EXPECT_EQ(waits, 2) << "no command runs once closing";
}

TEST_F(HostTest, AFailedChangeIsToldInTheTrayUnderTheProgramsName)
{
    UnreadableList();
    RecordingProgram program(registry, dir.Folder(), tray);
    program.RunCommand(ids::kCmdLoadList);
    program.RunCommand(ids::kCmdChangeNow);
    ASSERT_EQ(tray.messages.size(), 1u);
    EXPECT_EQ(tray.messages[0].rfind("Vistrel_Scheduler|" + std::string(texts::kChangeGaveUp), 0), 0u)
        << tray.messages[0];
    EXPECT_NE(tray.messages[0].find("unreadable-"), std::string::npos) << "names the picture";
    EXPECT_EQ(tray.icon, ids::kIconOff);
}

TEST_F(HostTest, OpenListManagerSaysWhenTheListManagerIsMissingOrDoesNotStart)
{
    UnreadableList();
    RecordingProgram program(registry, dir.Folder(), tray);
    program.RunCommand(ids::kCmdLoadList);
    program.RunCommand(ids::kCmdOpenManager);
    ASSERT_EQ(tray.messages.size(), 1u);
    EXPECT_EQ(tray.messages[0],
              "Vistrel_Scheduler|" + std::string(texts::kManagerNotInstalled) + ListManagerFile(dir.Folder()));

    // A file of that name that is no program.
    test::WriteFile(ListManagerFile(dir.Folder()), "not a program");
    program.RunCommand(ids::kCmdOpenManager);
    ASSERT_EQ(tray.messages.size(), 2u);
    EXPECT_EQ(tray.messages[1],
              "Vistrel_Scheduler|" + std::string(texts::kManagerNotStarted) + ListManagerFile(dir.Folder()));
    // A program there starts, and nothing is said.
    std::filesystem::path real = test::BinDir() / "vistrelctl";
#ifdef _WIN32
    real += ".exe";
#endif
    std::filesystem::copy_file(real, ListManagerFile(dir.Folder()), std::filesystem::copy_options::overwrite_existing);
    std::filesystem::permissions(ListManagerFile(dir.Folder()), std::filesystem::perms::owner_all,
                                 std::filesystem::perm_options::add);
    program.RunCommand(ids::kCmdOpenManager);
    EXPECT_EQ(tray.messages.size(), 2u);
}

TEST(HostTiming, TestsShortenTheWaitsWithPositiveNumbersOnly)
{
    {
        test::ScopedEnvironment minute("VISTREL_SCHEDULER_MINUTE_MS", "20");
        test::ScopedEnvironment picture("VISTREL_SCHEDULER_PICTURE_MS", "150");
        HostTiming timing = TimingFromEnvironment();
        EXPECT_EQ(timing.minuteMs, 20u);
        EXPECT_EQ(timing.pictureMs, 150);
    }
    for (const char* bad : {"0", "-5", "12x", ""}) {
        test::ScopedEnvironment minute("VISTREL_SCHEDULER_MINUTE_MS", std::string(bad));
        test::ScopedEnvironment picture("VISTREL_SCHEDULER_PICTURE_MS", std::string(bad));
        HostTiming timing = TimingFromEnvironment();
        EXPECT_EQ(timing.minuteMs, 60000u) << bad;
        EXPECT_EQ(timing.pictureMs, 2000) << bad;
    }
}
