// SPDX-License-Identifier: GPL-3.0-or-later
// The scheduler's change cycle: keeps an image list in step with the list
// file named by "File1", asks the list's scheduler extender at every poll
// whether a change is due, has the next entry read and shown, and writes the
// counters back into the list file.
//
// Plain C++: the program's window only wires its timers and tray menu to
// these calls, and tests call them directly with their own host and files.
#pragma once

#include "vistrel/core/extender_registry.h"
#include "vistrel/core/list_file.h"
#include "vistrel/core/wallpaper_list.h"
#include "vistrel/scheduler/cycle_ports.h"

#include <chrono>
#include <cstdint>
#include <functional>
#include <optional>
#include <string>
#include <vector>

namespace vistrel::scheduler {

inline constexpr int kLoadAttempts = 10;
inline constexpr std::chrono::milliseconds kBusyRetryWait{3000};
inline constexpr int kChangeAttempts = 101;
inline constexpr std::chrono::milliseconds kChangeWait{100};
inline constexpr std::size_t kPollPeriodOffset = 44;
// What a window timer does with periods it cannot take.
inline constexpr std::uint32_t kShortestTimerMs = 10;
inline constexpr std::uint32_t kLongestTimerMs = 0x7FFFFFFF;

struct CycleOptions {
    // The program directory, with its trailing separator: the list manager
    // is started from there.
    std::string programDirectory;
    // How long one minute of "ChkNewFileInterval" and "SaveFileInterval" lasts.
    std::uint32_t minuteMs = 60000;
    // Seconds since 1970 for the random pick; the system clock when empty.
    std::function<std::int64_t()> clock;
};

enum class SaveOutcome {
    Saved,
    NoList,   // no list path: nothing to save
    Reloaded, // the file on disk had changed: it was loaded instead
    Refused,  // the list did not load completely from this file
    Failed,   // the file is gone or could not be written
    Busy,     // another command was running: nothing was done
};

class SchedulerCycle {
public:
    SchedulerCycle(const CExtenderRegistry& registry, ListFiles& files, CycleHost& host, CycleOptions options);
    SchedulerCycle(const SchedulerCycle&) = delete;
    SchedulerCycle& operator=(const SchedulerCycle&) = delete;

    // Commands of the scheduler window.
    void LoadAndArm();       // 1006, once at start-up
    void CheckForNewList();  // 1004 and its timer
    SaveOutcome SaveList();  // 1005 and its timer
    void Poll();             // timer 1007
    void ToggleActive();     // 32772
    void ChangeNowCommand(); // 32774
    void OpenListManager();  // 32773
    // 1008: the monitors changed. The pictures this scheduler showed last are
    // composed again for the monitors as they are now; the list does not
    // move on and nothing is counted. Nothing happens before the first change.
    void Redraw();
    void Close(); // 1: saves; the caller ends the program whatever came of it
    // Whether a command is running (the caller may try again later).
    bool Busy() const { return busy_; }
    // Asks a running command to end at its next wait, trying nothing more:
    // the program is about to close. The scheduler is not switched off for it.
    void RequestStop() { stopRequested_ = true; }
    bool StopRequested() const { return stopRequested_; }

    // The steps the commands are made of.
    bool LoadCurrentList();
    bool ArmTimers();
    bool ListChanged(const std::string& path);
    // Up to 101 attempts; after the last failure the scheduler switches
    // itself off and says why. `asked`: a Change Now of the user, who is also
    // told when there is nothing to change to.
    bool ChangeWithRetries(bool asked = false);
    // Reads "Active"; shows its idle status when it differs from the one
    // shown or when forced.
    std::uint32_t RefreshActive(bool force);

    const CWallpaperList& List() const { return list_; }
    CWallpaperList& List() { return list_; }
    const std::string& CurrentPath() const { return currentPath_; }
    std::int64_t StoredWriteTime() const { return storedWriteTime_; }
    // How the last load ended; saving into the file is allowed only when it
    // loaded completely.
    std::optional<ListLoadStatus> LastLoad() const { return lastLoad_; }
    ExtenderHandle Module() const { return module_; }

private:
    class Running;
    SaveOutcome Save();
    bool TryChange(int index);
    // Tells the user of a problem once: the same text is not repeated until
    // a load or a save has gone well again.
    void ReportOnce(const std::string& text);
    std::uint32_t Minutes(std::uint32_t minutes) const;

    const CExtenderRegistry& registry_;
    ListFiles& files_;
    CycleHost& host_;
    CycleOptions options_;
    CWallpaperList list_;
    std::string currentPath_;
    std::int64_t storedWriteTime_ = 0;
    std::optional<std::uint32_t> shownActive_;
    std::optional<ListLoadStatus> lastLoad_;
    ExtenderHandle module_ = nullptr;
    std::vector<std::string> shownFiles_; // what the monitors show, from the last change
    std::string reported_;
    bool busy_ = false;
    bool stopRequested_ = false;
};

} // namespace vistrel::scheduler
