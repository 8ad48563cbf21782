// SPDX-License-Identifier: GPL-3.0-or-later
// The change cycle's rules, driven directly: no timers, no waiting.
#include "cycle_fixture.h"

#include "vistrel/core/list_file.h"
#include "vistrel/core/param_block.h"
#include "vistrel/core/param_chain.h"
#include "vistrel/core/registry_key.h"
#include "vistrel/core/scheduler_settings.h"
#include "vistrel/scheduler/resource_ids.h"
#include "vistrel/scheduler/texts.h"

#include <filesystem>
#ifndef _WIN32
#include <sys/stat.h>
#endif

using namespace vistrel;
using namespace vistrel::scheduler;
using namespace vistrel::scheduler::test;
using vistrel::test::ReadFile;
using vistrel::test::WriteFile;

namespace {

void WriteSchedulerNumber(const char* name, std::uint32_t value)
{
    CRegistryKey key;
    ASSERT_TRUE(key.Create(kSchedulerKey));
    ASSERT_TRUE(key.WriteNumber(name, value));
}

} // namespace

// ---- Loading and the timers ----

TEST_F(CycleTest, WithoutAListItRunsEmptyAndNeverAsksTheExtender)
{
    cycle->LoadAndArm();
    EXPECT_EQ(cycle->List().GetCount(), 0);
    ASSERT_NE(cycle->List().GetSchedulerBlock(), nullptr) << "the first scheduler extender's default block";
    ASSERT_TRUE(host.plan.pollMs.has_value());
    EXPECT_EQ(*host.plan.pollMs, 30000u);
    EXPECT_EQ(host.plan.checkMs, 2u * 60000) << "no Scheduler key: 2 and 60 minutes";
    EXPECT_EQ(host.plan.saveMs, 60u * 60000);
    EXPECT_EQ(host.LastStatus(), std::make_pair(ids::kIconActive, ids::kStrActive));

    cycle->Poll();
    EXPECT_EQ(LastChangeTicks(), 0u) << "DaemonFunction must not be called without a list";
    EXPECT_EQ(cycle->SaveList(), SaveOutcome::NoList);
    EXPECT_EQ(host.Count(HostEvent::Problem), 0);
}

TEST_F(CycleTest, TimerPeriodsFollowTheSettingsAndTheBlock)
{
    UseList(WriteList("a.vist", {"a.bmp"}, false, {}, 1234));
    WriteSchedulerNumber("ChkNewFileInterval", 0);
    WriteSchedulerNumber("SaveFileInterval", 5);
    cycle->LoadAndArm();
    EXPECT_EQ(host.plan.checkMs, 60000u) << "0 minutes becomes 1";
    EXPECT_EQ(host.plan.saveMs, 600000u) << "5 minutes becomes 10";
    EXPECT_EQ(host.plan.pollMs, 1234u) << "the period at offset 44 of the list's block";
    EXPECT_NE(cycle->Module(), nullptr);

    WriteSchedulerNumber("SaveFileInterval", 500);
    cycle->ArmTimers();
    EXPECT_EQ(host.plan.saveMs, 500u * 60000) << "no upper bound";

    // A shortened minute for the program's tests.
    CycleOptions fast;
    fast.minuteMs = 50;
    SchedulerCycle quick(registry, files, host, fast);
    quick.LoadAndArm();
    EXPECT_EQ(host.plan.checkMs, 50u);
    EXPECT_EQ(host.plan.saveMs, 500u * 50);
}

TEST_F(CycleTest, AChangedLastWriteTimeReloadsInsteadOfChanging)
{
    std::string path = WriteList("a.vist", {"a.bmp", "b.bmp"});
    UseList(path);
    cycle->LoadAndArm();
    DuePoll();
    EXPECT_EQ(LastShown(), lists.File("a.bmp"));

    // The list manager saves the list with another first entry.
    WriteList("a.vist", {"c.bmp", "d.bmp"});
    Touch(path);
    int shows = ShowCount();
    DuePoll();
    EXPECT_EQ(ShowCount(), shows) << "the poll that finds a changed list only reloads";
    EXPECT_EQ(Text(0, kColFile), lists.File("c.bmp"));
    EXPECT_EQ(Text(0, kColShown), "0") << "counters of the old list are dropped";
    DuePoll();
    EXPECT_EQ(LastShown(), lists.File("c.bmp"));

    // The check timer notices a change too.
    Touch(path);
    int reads = files.reads;
    cycle->CheckForNewList();
    EXPECT_EQ(files.reads, reads + 1);
    cycle->CheckForNewList();
    EXPECT_EQ(files.reads, reads + 1) << "no change, no reload";
}

TEST_F(CycleTest, AnotherFile1SwitchesListsWithoutSavingTheOldOne)
{
    std::string first = WriteList("first.vist", {"a.bmp"});
    std::string second = WriteList("second.vist", {"b.bmp"});
    UseList(first);
    cycle->LoadAndArm();
    DuePoll();
    std::string before = ReadFile(first);

    UseList(second);
    cycle->CheckForNewList();
    EXPECT_EQ(cycle->CurrentPath(), second);
    EXPECT_EQ(Text(0, kColFile), lists.File("b.bmp"));
    EXPECT_EQ(ReadFile(first), before) << "the old list keeps its file as it was";
    EXPECT_EQ(files.writes, 0);
}

TEST_F(CycleTest, ABusyFileIsTriedAgainEveryThreeSeconds)
{
    UseList(WriteList("a.vist", {"a.bmp"}));
    files.busyReads = 3;
    EXPECT_TRUE(cycle->LoadCurrentList());
    EXPECT_EQ(files.reads, 4);
    EXPECT_EQ(host.Count(HostEvent::Wait, 3000), 3);
    EXPECT_EQ(cycle->LastLoad(), ListLoadStatus::Ok);
    EXPECT_EQ(cycle->List().GetCount(), 1);
}

TEST_F(CycleTest, AFileBusyTenTimesIsGivenUpAndNeverWritten)
{
    std::string path = WriteList("a.vist", {"a.bmp"});
    UseList(path);
    std::string bytes = ReadFile(path);
    files.busyReads = 1000;
    cycle->LoadAndArm();
    EXPECT_EQ(files.reads, kLoadAttempts);
    EXPECT_EQ(host.Count(HostEvent::Wait, 3000), kLoadAttempts - 1) << "no wait after the last attempt";
    EXPECT_EQ(cycle->List().GetCount(), 0);
    EXPECT_EQ(cycle->SaveList(), SaveOutcome::Refused);
    EXPECT_EQ(files.writes, 0);
    EXPECT_EQ(ReadFile(path), bytes);

    // Once the writer is done and the file changed, it is picked up.
    files.busyReads = 0;
    Touch(path);
    cycle->Poll();
    EXPECT_EQ(cycle->List().GetCount(), 1);
    EXPECT_EQ(cycle->SaveList(), SaveOutcome::Saved);
}

TEST_F(CycleTest, AMissingFileIsNeverCreatedAndIsPickedUpWhenItComes)
{
    std::string path = lists.File("later.vist");
    UseList(path);
    cycle->LoadAndArm();
    EXPECT_EQ(cycle->List().GetCount(), 0);
    EXPECT_EQ(host.Count(HostEvent::Problem), 0) << "a missing file at loading needs no word";
    EXPECT_TRUE(sink.messages.empty());
    DuePoll();

    EXPECT_EQ(cycle->SaveList(), SaveOutcome::Failed);
    EXPECT_EQ(cycle->SaveList(), SaveOutcome::Failed);
    EXPECT_FALSE(std::filesystem::exists(path)) << "a save must not create the list file";
    EXPECT_EQ(host.Count(HostEvent::Problem), 1) << "told once, not at every save";

    WriteList("later.vist", {"a.bmp"});
    cycle->CheckForNewList();
    EXPECT_EQ(cycle->List().GetCount(), 1);
    DuePoll();
    EXPECT_EQ(LastShown(), lists.File("a.bmp"));
}

TEST_F(CycleTest, AListFileDeletedWhileRunningIsNotRecreated)
{
    std::string path = WriteList("a.vist", {"a.bmp"});
    UseList(path);
    cycle->LoadAndArm();
    DuePoll();
    std::filesystem::remove(path);

    EXPECT_EQ(cycle->SaveList(), SaveOutcome::Failed) << "the file on disk changed (it is gone): reload, no save";
    EXPECT_FALSE(std::filesystem::exists(path));
    EXPECT_EQ(host.Count(HostEvent::Problem), 1);
    cycle->SaveList();
    cycle->Close();
    EXPECT_FALSE(std::filesystem::exists(path));
    EXPECT_EQ(host.Count(HostEvent::Problem), 1);
    EXPECT_EQ(files.writes, 0);
}

// Damaged list files: whatever is wrong, the file is never written over, the
// cycle goes on, and a good file is picked up again once it changes.
class DamagedListTest : public CycleTest, public ::testing::WithParamInterface<int> {};

TEST_P(DamagedListTest, IsNeverWrittenOverAndIsPickedUpOnceRepaired)
{
    std::string path = WriteList("a.vist", {"a.bmp", "b.bmp"});
    std::string good = ReadFile(path);
    std::string bad;
    switch (GetParam()) {
    case 0: bad = "\x0dVistrelDoc V2" + good.substr(14); break; // wrong magic
    case 1: bad = good.substr(0, good.size() - 30); break;      // truncated
    case 2:
        bad = good;
        bad[14 + 4] = '\x7f';
        bad[14 + 5] = '\x7f';
        break;                                      // block length damaged
    default: bad = std::string(500, '\xff'); break; // not a list at all
    }
    WriteFile(path, bad);
    UseList(path);
    cycle->LoadAndArm();
    ASSERT_TRUE(cycle->LastLoad().has_value());
    EXPECT_FALSE(LoadedCompletely(*cycle->LastLoad()));
    EXPECT_EQ(cycle->List().GetCount(), 0);
    if (GetParam() == 0) {
        ASSERT_EQ(sink.messages.size(), 1u);
        EXPECT_EQ(sink.messages[0].first, "Wrong File Format (" + path + ")") << "naming the list";
    } else {
        EXPECT_EQ(host.Count(HostEvent::Problem), 1) << "a damaged list is told of once, in the tray";
    }

    for (int i = 0; i < 3; ++i)
        DuePoll();
    EXPECT_EQ(cycle->SaveList(), SaveOutcome::Refused);
    cycle->OpenListManager();
    cycle->Close();
    EXPECT_EQ(files.writes, 0);
    EXPECT_EQ(ReadFile(path), bad) << "the damaged file must stay byte for byte";

    // The user repairs the list: the next poll loads it and saving resumes.
    WriteFile(path, good);
    Touch(path);
    cycle->Poll();
    EXPECT_EQ(cycle->LastLoad(), ListLoadStatus::Ok);
    EXPECT_EQ(cycle->List().GetCount(), 2);
    DuePoll();
    EXPECT_EQ(cycle->SaveList(), SaveOutcome::Saved);
}

INSTANTIATE_TEST_SUITE_P(Kinds, DamagedListTest, ::testing::Values(0, 1, 2, 3));

// ---- Changing ----

TEST_F(CycleTest, SequentialListShowsZeroOneTwoThenZeroAgain)
{
    UseList(WriteList("a.vist", {"0.bmp", "1.bmp", "2.bmp"}));
    cycle->LoadAndArm();
    std::vector<std::string> shown;
    for (int i = 0; i < 4; ++i) {
        DuePoll();
        shown.push_back(LastShown());
    }
    EXPECT_EQ(shown, (std::vector<std::string>{lists.File("0.bmp"), lists.File("1.bmp"), lists.File("2.bmp"),
                                               lists.File("0.bmp")}));
    EXPECT_EQ(Text(0, kColTotal), "2");
    EXPECT_EQ(Text(1, kColTotal), "1");
    EXPECT_EQ(host.Count(HostEvent::Wait, 100), 4) << "100 ms before each attempt";
    EXPECT_EQ(host.Count(HostEvent::TrayRefresh), 4) << "the tray icon is brought back at every active poll";
}

TEST_F(CycleTest, RandomPrioritiesOneAndThreeInOneCycle)
{
    UseList(WriteList("a.vist", {"one.bmp", "three.bmp"}, true, {1, 3}));
    cycle->LoadAndArm();
    int ones = 0, threes = 0;
    for (int i = 0; i < 4; ++i) {
        clockSeconds += 7; // a new seed for every pick
        DuePoll();
        (LastShown() == lists.File("one.bmp") ? ones : threes)++;
    }
    EXPECT_EQ(ones, 1);
    EXPECT_EQ(threes, 3);
    EXPECT_EQ(Text(0, kColShown), "1");
    EXPECT_EQ(Text(1, kColShown), "3");
    clockSeconds += 7;
    DuePoll();
    EXPECT_EQ(Text(0, kColShown) == "1" ? 1 : 0, LastShown() == lists.File("one.bmp") ? 1 : 0)
        << "the fifth change starts a new cycle";
    EXPECT_EQ(std::stoi(Text(0, kColShown)) + std::stoi(Text(1, kColShown)), 1);
}

TEST_F(CycleTest, HundredAndOneFailuresSwitchItOff)
{
    UseList(WriteList("a.vist", {"unreadable-1.bmp", "unreadable-2.bmp"}));
    cycle->LoadAndArm();
    host.Clear();
    DuePoll();
    EXPECT_EQ(host.Count(HostEvent::Wait, 100), kChangeAttempts);
    EXPECT_EQ(host.Count(HostEvent::Status, ids::kIconChanging), kChangeAttempts);
    EXPECT_EQ(ReadSchedulerSettings().active, 0u) << "\"Active\" 0 written";
    EXPECT_EQ(host.LastStatus(), std::make_pair(ids::kIconOff, ids::kStrOff));
    EXPECT_EQ(ShowCount(), 0);
    // Told once, with the picture that failed last and that it is now off.
    EXPECT_EQ(host.Problems(),
              std::vector<std::string>{std::string(texts::kChangeGaveUp) + lists.File("unreadable-1.bmp") +
                                       " could not be read: there is no such file." + std::string(texts::kNowOff)});

    host.Clear();
    DuePoll();
    EXPECT_EQ(host.Count(HostEvent::Wait), 0) << "an Off scheduler does not change";
    EXPECT_EQ(host.Count(HostEvent::TrayRefresh), 0);
}

TEST_F(CycleTest, AFailedChangeNowSaysWhyOnce)
{
    UseList(WriteList("a.vist", {"unreadable.bmp"}));
    ASSERT_TRUE(WriteActive(0));
    cycle->LoadAndArm();
    host.Clear();
    cycle->ChangeNowCommand();
    EXPECT_EQ(host.Problems(),
              std::vector<std::string>{std::string(texts::kChangeGaveUp) + lists.File("unreadable.bmp") +
                                       " could not be read: there is no such file."})
        << "already off: nothing is said of switching off";

    // Nothing to change to: a poll stays silent, a Change Now says so.
    std::string empty = WriteList("empty.vist", {});
    UseList(empty);
    ASSERT_TRUE(WriteActive(1));
    cycle->LoadAndArm();
    host.Clear();
    DuePoll();
    EXPECT_TRUE(host.Problems().empty());
    cycle->ChangeNowCommand();
    EXPECT_EQ(host.Problems(), std::vector<std::string>{std::string(texts::kListEmpty) + empty});
    EXPECT_EQ(ReadSchedulerSettings().active, 1u) << "an empty list does not switch it off";
}

// The program waits with its event loop running, so "Close Scheduler" can
// arrive between two attempts: the attempts stop there, the scheduler is not
// switched off, and the close saves the list.
TEST_F(CycleTest, AStopBetweenAttemptsEndsTheChangeAndClosesWithASave)
{
    std::string path = WriteList("a.vist", {"unreadable-1.bmp", "unreadable-2.bmp"});
    UseList(path);
    cycle->LoadAndArm();
    host.Clear();
    int waits = 0;
    host.onWait = [&] {
        if (++waits == 5) {
            EXPECT_TRUE(cycle->Busy());
            cycle->RequestStop();
        }
    };
    cycle->ChangeNowCommand();
    host.onWait = nullptr;
    EXPECT_EQ(host.Count(HostEvent::Wait, 100), 5) << "no attempt after the stop";
    EXPECT_EQ(host.Count(HostEvent::Status, ids::kIconChanging), 4);
    EXPECT_EQ(ReadSchedulerSettings().active, 1u);
    EXPECT_TRUE(host.Problems().empty());
    EXPECT_FALSE(cycle->Busy());
    int writes = files.writes;
    cycle->Close();
    EXPECT_EQ(files.writes, writes + 1) << "the close still saves";
}

TEST_F(CycleTest, AStopEndsTheWaitsForABusyFile)
{
    UseList(WriteList("a.vist", {"a.bmp"}));
    files.busyReads = 1000;
    host.onWait = [&] { cycle->RequestStop(); };
    cycle->LoadAndArm();
    EXPECT_EQ(files.reads, 1);
    EXPECT_EQ(host.Count(HostEvent::Wait, 3000), 1);
}

TEST_F(CycleTest, OneGoodEntryAmongFailuresIsFoundAndKeepsItOn)
{
    UseList(WriteList("a.vist", {"unreadable-1.bmp", "good.bmp", "unreadable-2.bmp"}));
    cycle->LoadAndArm();
    DuePoll();
    EXPECT_EQ(LastShown(), lists.File("good.bmp"));
    EXPECT_EQ(Text(0, kColShown), "50") << "a failed entry is used up like a shown one";
    EXPECT_EQ(Text(0, kColTotal), "0");
    EXPECT_EQ(ReadSchedulerSettings().active, 1u);
}

TEST_F(CycleTest, ChangeNowWhileOffChangesAndLeavesItOff)
{
    UseList(WriteList("a.vist", {"a.bmp", "b.bmp"}));
    ASSERT_TRUE(WriteActive(0));
    cycle->LoadAndArm();
    std::uint64_t ticks = LastChangeTicks();
    cycle->ChangeNowCommand();
    EXPECT_EQ(LastShown(), lists.File("a.bmp"));
    EXPECT_EQ(LastChangeTicks(), ticks) << "Change Now does not move the extender's own timing";
    EXPECT_EQ(ReadSchedulerSettings().active, 0u);
    EXPECT_EQ(host.LastStatus(), std::make_pair(ids::kIconOff, ids::kStrOff));

    DuePoll();
    EXPECT_EQ(LastShown(), lists.File("a.bmp")) << "polls while Off change nothing";
}

TEST_F(CycleTest, ChangeNowWhileOffWithNothingShowableStaysOff)
{
    UseList(WriteList("a.vist", {"unreadable.bmp"}));
    ASSERT_TRUE(WriteActive(0));
    cycle->LoadAndArm();
    cycle->ChangeNowCommand();
    EXPECT_EQ(ReadSchedulerSettings().active, 0u) << "switching off must not toggle an Off scheduler on";
}

TEST_F(CycleTest, ChangeNowPicksUpAChangedListFirst)
{
    std::string path = WriteList("a.vist", {"a.bmp"});
    UseList(path);
    cycle->LoadAndArm();
    WriteList("a.vist", {"z.bmp"});
    Touch(path);
    cycle->ChangeNowCommand();
    EXPECT_EQ(LastShown(), lists.File("z.bmp"));
}

TEST_F(CycleTest, ToggleWritesActiveAndShowsIt)
{
    cycle->LoadAndArm();
    cycle->ToggleActive();
    EXPECT_EQ(ReadSchedulerSettings().active, 0u);
    EXPECT_EQ(host.LastStatus(), std::make_pair(ids::kIconOff, ids::kStrOff));
    cycle->ToggleActive();
    EXPECT_EQ(ReadSchedulerSettings().active, 1u);
    EXPECT_EQ(host.LastStatus(), std::make_pair(ids::kIconActive, ids::kStrActive));

    // The list manager's options dialog switches it too; the next poll shows it.
    ASSERT_TRUE(WriteActive(0));
    cycle->Poll();
    EXPECT_EQ(host.LastStatus(), std::make_pair(ids::kIconOff, ids::kStrOff));
}

TEST_F(CycleTest, CommandsArrivingWhileAChangeRunsAreDropped)
{
    // A message box in the middle of a change runs the event loop, where the
    // timers fire. Had the nested poll reloaded the shorter list, the running
    // change would use a row that no longer exists.
    std::string path = WriteList("a.vist", {"0.bmp", "1.bmp", "2.bmp"});
    UseList(path);
    cycle->LoadAndArm();
    DuePoll();
    DuePoll();
    int nested = 0;
    host.onStatus = [&](int icon) {
        if (icon != ids::kIconChanging || nested++ > 0)
            return;
        WriteList("a.vist", {"only.bmp"});
        Touch(path);
        EXPECT_TRUE(cycle->Busy());
        cycle->Poll();
        cycle->CheckForNewList();
        EXPECT_EQ(cycle->SaveList(), SaveOutcome::Busy);
        cycle->ChangeNowCommand();
        cycle->ToggleActive();
        cycle->Close();
    };
    DuePoll();
    host.onStatus = nullptr;
    EXPECT_EQ(nested, 1);
    EXPECT_EQ(LastShown(), lists.File("2.bmp"));
    EXPECT_EQ(ReadSchedulerSettings().active, 1u);
    EXPECT_FALSE(cycle->Busy());
    cycle->Poll();
    EXPECT_EQ(cycle->List().GetCount(), 1) << "the next tick picks the change up";
}

// ---- Saving ----

TEST_F(CycleTest, ASaveWithNothingChangedOnDiskDoesNotTriggerAReload)
{
    std::string path = WriteList("a.vist", {"a.bmp", "b.bmp"});
    UseList(path);
    cycle->LoadAndArm();
    DuePoll();
    EXPECT_EQ(cycle->SaveList(), SaveOutcome::Saved);
    int reads = files.reads;
    DuePoll();
    EXPECT_EQ(files.reads, reads) << "our own save is not a change";
    EXPECT_EQ(LastShown(), lists.File("b.bmp"));
    EXPECT_EQ(cycle->SaveList(), SaveOutcome::Saved);

    CWallpaperList saved(&registry);
    std::string detail;
    ASSERT_EQ(ReadListFile(path, saved, detail), ListLoadStatus::Ok);
    EXPECT_EQ(saved.GetText(0, kColTotal), "1");
    EXPECT_EQ(saved.GetText(1, kColTotal), "1");
    EXPECT_NE(ReadU32(saved.GetSchedulerBlock() + 48), 0u) << "the extender's block is saved with its last change";
}

TEST_F(CycleTest, TheFileOnDiskWinsOverUnsavedCounters)
{
    std::string path = WriteList("a.vist", {"a.bmp"});
    UseList(path);
    cycle->LoadAndArm();
    DuePoll();
    WriteList("a.vist", {"x.bmp", "y.bmp"});
    Touch(path);
    std::string edited = ReadFile(path);
    EXPECT_EQ(cycle->SaveList(), SaveOutcome::Reloaded);
    EXPECT_EQ(ReadFile(path), edited);
    EXPECT_EQ(cycle->List().GetCount(), 2);
}

#ifndef _WIN32
TEST_F(CycleTest, SavesReplaceTheFileInsteadOfRewritingIt)
{
    // A second name for the same bytes sees an in-place rewrite but not a
    // replacement: so a crash or logout in the middle of a save can never
    // leave half a list behind.
    std::string path = WriteList("a.vist", {"a.bmp"});
    std::string link = lists.File("old.vist");
    std::filesystem::create_hard_link(path, link);
    std::string before = ReadFile(path);
    UseList(path);
    cycle->LoadAndArm();
    DuePoll();
    ASSERT_EQ(cycle->SaveList(), SaveOutcome::Saved);
    EXPECT_NE(ReadFile(path), before);
    EXPECT_EQ(ReadFile(link), before);
}
#endif

TEST_F(CycleTest, AFailedSaveIsToldOnceAndCloseAndOpenListManagerStillComplete)
{
    std::string path = WriteList("a.vist", {"a.bmp"});
    UseList(path);
    std::string before = ReadFile(path);
    cycle->LoadAndArm();
    DuePoll();
    files.writeError = "No space left on device";
    EXPECT_EQ(cycle->SaveList(), SaveOutcome::Failed);
    EXPECT_EQ(cycle->SaveList(), SaveOutcome::Failed);
    ASSERT_EQ(host.Count(HostEvent::Problem), 1);
    for (const auto& e : host.events) {
        if (e.kind != HostEvent::Problem)
            continue;
        EXPECT_NE(e.text.find(path), std::string::npos) << "the message names the file";
        EXPECT_NE(e.text.find("No space left on device"), std::string::npos);
    }
    EXPECT_EQ(host.LastStatus(), std::make_pair(ids::kIconActive, ids::kStrActive)) << "the idle status comes back";
    EXPECT_EQ(ReadFile(path), before);

    cycle->OpenListManager();
    EXPECT_EQ(host.Count(HostEvent::Start), 1) << "the list manager starts even when the save failed";
    cycle->Close();
    EXPECT_EQ(ReadFile(path), before);

    // Once saving works again it saves, and a later failure is told again.
    files.writeError.clear();
    EXPECT_EQ(cycle->SaveList(), SaveOutcome::Saved);
    files.writeError = "Permission denied";
    cycle->SaveList();
    EXPECT_EQ(host.Count(HostEvent::Problem), 2);
}

TEST_F(CycleTest, OpenListManagerSavesFirstThenStartsVistrelFromTheProgramDirectory)
{
    std::string path = WriteList("a.vist", {"a.bmp"});
    UseList(path);
    cycle->LoadAndArm();
    DuePoll();
    std::string totalAtStart;
    host.onStart = [&](const std::string&) {
        CWallpaperList saved(&registry);
        std::string detail;
        if (ReadListFile(path, saved, detail) == ListLoadStatus::Ok)
            totalAtStart = saved.GetText(0, kColTotal);
    };
    host.startSucceeds = false; // a failure to start is ignored
    cycle->OpenListManager();
    EXPECT_EQ(totalAtStart, "1") << "the list file is written before the list manager starts";
    ASSERT_EQ(host.Count(HostEvent::Start), 1);
    std::string expected = dir.Folder() + "Vistrel";
#ifdef _WIN32
    expected += ".exe";
#endif
    for (const auto& e : host.events) {
        if (e.kind == HostEvent::Start) {
            EXPECT_EQ(e.text, expected);
        }
    }
    EXPECT_EQ(host.Count(HostEvent::Problem), 0);
}

// ---- Failures told truthfully ----

namespace {

// Makes the fake viewer of every row refuse as a desktop that is down would.
void RefuseEveryShow(CWallpaperList& list)
{
    for (int row = 0; row < list.GetCount(); ++row) {
        CParamChain chain;
        ASSERT_TRUE(chain.Attach(list.GetChain(row), list.GetChainBytes(row)));
        WriteU32(chain.GetBlock(chain.GetCount() - 1) + 44, 0xDE5C);
        chain.Detach();
    }
}

} // namespace

TEST_F(CycleTest, ARefusingDesktopStopsAtOnceAndUsesNothingUp)
{
    UseList(WriteList("a.vist", {"a.bmp", "b.bmp"}));
    cycle->LoadAndArm();
    RefuseEveryShow(cycle->List());
    host.Clear();
    DuePoll();
    EXPECT_EQ(host.Count(HostEvent::Wait, 100), 1) << "one attempt, not 101";
    EXPECT_EQ(Text(0, kColShown), "0");
    EXPECT_EQ(Text(1, kColShown), "0");
    EXPECT_EQ(Text(0, kColTotal), "0");
    EXPECT_EQ(ReadSchedulerSettings().active, 1u) << "it stays on, to try again at the next change";
    const std::string told = std::string(texts::kDesktopRefused) + lists.File("a.bmp") +
                             " could not be made the wallpaper: the desktop is not running." +
                             std::string(texts::kTriesAgain);
    EXPECT_EQ(host.Problems(), std::vector<std::string>{told});

    host.Clear();
    DuePoll();
    EXPECT_TRUE(host.Problems().empty()) << "said once, not at every change";
    EXPECT_EQ(Text(0, kColShown), "0");
    cycle->ChangeNowCommand();
    EXPECT_EQ(host.Problems(), std::vector<std::string>{told}) << "a Change Now is always answered";
}

#ifndef _WIN32
TEST_F(CycleTest, SpecialFilesAreUsedUpWithTheirReason)
{
    const std::string fifo = lists.File("fifo.bmp"), folder = lists.File("folder.bmp");
    ASSERT_EQ(::mkfifo(fifo.c_str(), 0600), 0);
    std::filesystem::create_directory(folder);
    UseList(WriteList("a.vist", {"fifo.bmp", "folder.bmp", "good.bmp"}));
    ASSERT_TRUE(WriteActive(0));
    cycle->LoadAndArm();
    host.Clear();
    cycle->ChangeNowCommand();
    EXPECT_EQ(LastShown(), lists.File("good.bmp")) << "the FIFO blocked nothing";
    EXPECT_EQ(Text(0, kColShown), "50");
    EXPECT_EQ(Text(1, kColShown), "50");

    UseList(WriteList("b.vist", {"folder.bmp"}));
    cycle->LoadAndArm();
    host.Clear();
    cycle->ChangeNowCommand();
    EXPECT_EQ(host.Problems(), std::vector<std::string>{std::string(texts::kChangeGaveUp) + folder +
                                                        " could not be read: it is a folder."});
}
#endif
