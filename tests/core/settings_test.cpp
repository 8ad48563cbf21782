// SPDX-License-Identifier: GPL-3.0-or-later
#include "test_support.h"

#include "vistrel/core/instance_guard.h"
#include "vistrel/core/registry_key.h"
#include "vistrel/core/scheduler_settings.h"
#include "vistrel/platform/settings_store.h"

#include <gtest/gtest.h>
#include <thread>

using namespace vistrel;
using namespace vistrel::test;

TEST(SchedulerSettings, DefaultsWithoutAKeyAndBoundsWithOne)
{
    PrivateSettings settings;
    SchedulerSettings s = ReadSchedulerSettings();
    EXPECT_EQ(s.checkMinutes, 2u);
    EXPECT_EQ(s.saveMinutes, 60u);
    EXPECT_EQ(s.active, 1u);

    CRegistryKey key;
    ASSERT_TRUE(key.Create(kSchedulerKey));
    s = ReadSchedulerSettings();
    EXPECT_EQ(s.checkMinutes, 1u) << "a missing value counts as 0, then the lower bound";
    EXPECT_EQ(s.saveMinutes, 10u);
    EXPECT_EQ(s.active, 0u);

    key.WriteNumber("SaveFileInterval", 5);
    key.WriteNumber("ChkNewFileInterval", 0);
    key.WriteNumber("Active", 1);
    s = ReadSchedulerSettings();
    EXPECT_EQ(s.saveMinutes, 10u);
    EXPECT_EQ(s.checkMinutes, 1u);
    key.WriteNumber("SaveFileInterval", 45);
    EXPECT_EQ(ReadSchedulerSettings().saveMinutes, 45u);
}

TEST(SchedulerSettings, ToggleActiveCreatesTheKey)
{
    PrivateSettings settings;
    EXPECT_EQ(ToggleActive(), 0u);
    EXPECT_EQ(ReadSchedulerSettings().active, 0u);
    EXPECT_EQ(ReadSchedulerSettings().checkMinutes, 1u) << "only Active was written";
    EXPECT_EQ(ToggleActive(), 1u);
}

TEST(RegistryKey, TextsAndFailuresKeepTheDestination)
{
    PrivateSettings settings;
    CRegistryKey key;
    EXPECT_FALSE(key.Open(kRecentFileListKey));
    EXPECT_EQ(key.LastResult(), CRegistryKey::kFileNotFound);
    ASSERT_TRUE(key.Create(kRecentFileListKey));
    std::string text = "unchanged";
    std::uint32_t number = 42;
    EXPECT_FALSE(key.ReadText("File1", text));
    EXPECT_FALSE(key.ReadNumber("File1", number));
    EXPECT_EQ(text, "unchanged");
    EXPECT_EQ(number, 42u);
    ASSERT_TRUE(key.WriteText("File1", std::string(200, 'a')));
    EXPECT_FALSE(key.ReadText("File1", text)) << "with its terminator it does not fit 200 bytes";
    EXPECT_EQ(ReadCurrentList(), "");
    ASSERT_TRUE(key.WriteText("File1", std::string(199, 'a')));
    EXPECT_EQ(ReadCurrentList().size(), 199u);
    ASSERT_TRUE(key.WriteText("File1", "/home/u/Pictures/a \"list\".vist"));
    EXPECT_EQ(ReadCurrentList(), "/home/u/Pictures/a \"list\".vist");
}

TEST(RecentFileList, KeepsTenNamesMostRecentFirst)
{
    PrivateSettings settings;
    RecentFileList recent;
    for (int i = 1; i <= 12; ++i)
        recent.Add("/lists/" + std::to_string(i) + ".vist");
    recent.Add("/LISTS/5.vist");
    ASSERT_TRUE(recent.Save());
    RecentFileList loaded;
    loaded.Load();
    ASSERT_EQ(loaded.Names().size(), 10u);
    EXPECT_EQ(loaded.Names()[0], "/LISTS/5.vist");
    EXPECT_EQ(loaded.Names()[1], "/lists/12.vist");
    EXPECT_EQ(ReadCurrentList(), "/LISTS/5.vist");
}

// The 200-byte limit is the scheduler's reading of "File1" alone: the recent
// list keeps every name it holds, and a save writes them all back.
TEST(RecentFileList, KeepsNamesTooLongForTheScheduler)
{
    PrivateSettings settings;
    const std::string longName = "/lists/" + std::string(213, 'n') + ".vist"; // 224 bytes
    RecentFileList recent;
    recent.Add(longName);
    recent.Add("/lists/short.vist");
    ASSERT_TRUE(recent.Save());

    RecentFileList loaded;
    loaded.Load();
    EXPECT_EQ(loaded.Names(), (std::vector<std::string>{"/lists/short.vist", longName}));
    loaded.Add("/lists/other.vist");
    ASSERT_TRUE(loaded.Save());
    RecentFileList again;
    again.Load();
    EXPECT_EQ(again.Names(), (std::vector<std::string>{"/lists/other.vist", "/lists/short.vist", longName}));

    again.Add(longName);
    ASSERT_TRUE(again.Save());
    EXPECT_EQ(ReadCurrentList(), "") << "the scheduler cannot read it as File1";
    EXPECT_FALSE(FitsCurrentList(longName));
    EXPECT_FALSE(FitsCurrentList(std::string(200, 'a')));
    EXPECT_TRUE(FitsCurrentList(std::string(199, 'a')));
}

TEST(SettingsStore, TwoWritersAtOnceKeepEachOthersValues)
{
    PrivateSettings settings;
    ASSERT_TRUE(platform::settings::CreateKey(kSchedulerKey));
    auto writer = [](const char* name) {
        for (std::uint32_t i = 0; i < 40; ++i)
            platform::settings::WriteNumber(kSchedulerKey, name, i);
    };
    std::thread a(writer, "A"), b(writer, "B");
    a.join();
    b.join();
    EXPECT_EQ(platform::settings::ReadNumber(kSchedulerKey, "A"), 39u);
    EXPECT_EQ(platform::settings::ReadNumber(kSchedulerKey, "B"), 39u);
}

TEST(InstanceGuard, SecondCopyIsRefusedAndTheProgramsNeverBlockEachOther)
{
    std::string unique =
        "GuardTest" + std::to_string(std::hash<std::thread::id>{}(std::this_thread::get_id()) % 100000);
    EXPECT_EQ(CInstanceGuard::GuardName(kDocumentString), "Vistrel Class");
    EXPECT_EQ(CInstanceGuard::GuardName(""), " Class");

    CInstanceGuard manager, scheduler;
    ASSERT_TRUE(manager.Acquire(unique + "\nrest of the string"));
    ASSERT_TRUE(scheduler.Acquire(unique + "Scheduler"));
    CInstanceGuard second;
    EXPECT_FALSE(second.Acquire(unique + "\n"));
    EXPECT_EQ(second.Name(), unique + " Class");
}
