// SPDX-License-Identifier: GPL-3.0-or-later
// The change cycle with the real core, fake extenders, a private settings
// store, list files in a temporary folder, a host that records instead of
// waiting, and files that can be made busy or full on demand.
#pragma once

#include "test_support.h"

#include "vistrel/core/extender_calls.h"
#include "vistrel/core/wallpaper_list.h"
#include "vistrel/scheduler/change_cycle.h"

#include <functional>
#include <gtest/gtest.h>
#include <memory>
#include <string>
#include <vector>

namespace vistrel::scheduler::test {

struct HostEvent {
    enum Kind { Status, TrayRefresh, Arm, Wait, Problem, Start } kind;
    int a = 0, b = 0;
    std::string text;
};

class RecordingHost final : public CycleHost {
public:
    void ShowStatus(int iconId, int tooltipId) override
    {
        Add({HostEvent::Status, iconId, tooltipId, {}});
        if (onStatus)
            onStatus(iconId);
    }
    void RefreshTrayIcon() override { Add({HostEvent::TrayRefresh, 0, 0, {}}); }
    void ArmTimers(const TimerPlan& p) override
    {
        plan = p;
        Add({HostEvent::Arm, 0, 0, {}});
    }
    void Wait(std::chrono::milliseconds d) override
    {
        Add({HostEvent::Wait, static_cast<int>(d.count()), 0, {}});
        if (onWait)
            onWait();
    }
    void ReportProblem(const std::string& text) override { Add({HostEvent::Problem, 0, 0, text}); }
    bool StartProgram(const std::string& path) override
    {
        Add({HostEvent::Start, 0, 0, path});
        if (onStart)
            onStart(path);
        return startSucceeds;
    }

    int Count(HostEvent::Kind kind, int a = -1) const;
    // The last status shown, as {icon, tooltip}.
    std::pair<int, int> LastStatus() const;
    void Clear() { events.clear(); }

    std::vector<HostEvent> events;
    TimerPlan plan;
    bool startSucceeds = true;
    std::function<void(const std::string&)> onStart;
    // Runs inside ShowStatus, as timers do inside a message box's event loop.
    std::function<void(int)> onStatus;
    // Runs inside Wait, as the menu's commands do in the program's waits.
    std::function<void()> onWait;
    // The texts of the problems reported, in order.
    std::vector<std::string> Problems() const
    {
        std::vector<std::string> texts;
        for (const auto& e : events)
            if (e.kind == HostEvent::Problem)
                texts.push_back(e.text);
        return texts;
    }
    // Long runs count events instead of keeping them.
    bool keepEvents = true;
    long eventCount = 0;

private:
    void Add(HostEvent e)
    {
        ++eventCount;
        if (keepEvents)
            events.push_back(std::move(e));
    }
};

// The real disk files with failures on demand.
class TestFiles final : public ListFiles {
public:
    std::int64_t LastWriteTime(const std::string& path) override { return disk.LastWriteTime(path); }
    bool Exists(const std::string& path) override { return disk.Exists(path); }
    ListRead Read(const std::string& path, CWallpaperList& list) override;
    bool Write(const std::string& path, const CWallpaperList& list, std::string& error) override;

    DiskListFiles disk;
    int busyReads = 0;      // this many reads find the file busy
    std::string writeError; // non-empty: writes fail with it
    int reads = 0;
    int writes = 0;
};

class CycleTest : public ::testing::Test {
protected:
    void SetUp() override;

    // Writes a list file of entries (".bmp" paths the fake reader turns into
    // their own text) with a Clockpace block that is due at every poll.
    std::string WriteList(const std::string& name, const std::vector<std::string>& files, bool random = false,
                          const std::vector<int>& priorities = {}, std::uint32_t pollMs = 30000);
    void UseList(const std::string& path);
    // Moves the file's last-write time by `seconds`, as another program's
    // save would.
    void Touch(const std::string& path, int seconds = 5);
    // Makes the next DaemonFunction due: "never changed" in the block.
    void MakeDue();
    std::uint64_t LastChangeTicks() const;
    std::string LastShown() const;
    int ShowCount() const;
    std::string Text(int row, int column) const { return cycle->List().GetText(row, column); }
    // A poll that is due.
    void DuePoll()
    {
        MakeDue();
        cycle->Poll();
    }
    void MakeCycle();

    vistrel::test::PrivateSettings settings;
    vistrel::test::RecordingSink sink;
    vistrel::test::ProgramDir dir;
    vistrel::test::TempDir lists;
    CExtenderRegistry registry;
    RecordingHost host;
    TestFiles files;
    std::unique_ptr<SchedulerCycle> cycle;
    std::int64_t clockSeconds = 1000000;
};

} // namespace vistrel::scheduler::test
