// SPDX-License-Identifier: GPL-3.0-or-later
#include "vistrel/scheduler/change_cycle.h"

#include "vistrel/core/extender_calls.h"
#include "vistrel/core/param_block.h"
#include "vistrel/core/scheduler_settings.h"
#include "vistrel/scheduler/resource_ids.h"
#include "vistrel/scheduler/texts.h"

#include <algorithm>
#include <utility>

namespace vistrel::scheduler {

namespace {

std::string ListManagerPath(const std::string& programDirectory)
{
    std::string path = programDirectory + std::string(texts::kListManagerProgram);
#ifdef _WIN32
    path += ".exe";
#endif
    return path;
}

std::uint32_t TimerPeriod(std::uint64_t ms)
{
    return static_cast<std::uint32_t>(std::clamp<std::uint64_t>(ms, kShortestTimerMs, kLongestTimerMs));
}

} // namespace

// Marks a command as running for its duration; `Entered` is false when
// another command already runs.
class SchedulerCycle::Running {
public:
    explicit Running(bool& busy) : busy_(busy), entered_(!busy) { busy_ = true; }
    ~Running()
    {
        if (entered_)
            busy_ = false;
    }
    Running(const Running&) = delete;
    Running& operator=(const Running&) = delete;
    bool Entered() const { return entered_; }

private:
    bool& busy_;
    bool entered_;
};

SchedulerCycle::SchedulerCycle(const CExtenderRegistry& registry, ListFiles& files, CycleHost& host,
                               CycleOptions options)
    : registry_(registry), files_(files), host_(host), options_(std::move(options)), list_(&registry)
{
    if (options_.clock)
        list_.SetClock(options_.clock);
}

std::uint32_t SchedulerCycle::RefreshActive(bool force)
{
    std::uint32_t active = ReadSchedulerSettings().active;
    if (force || shownActive_ != active) {
        shownActive_ = active;
        if (active)
            host_.ShowStatus(ids::kIconActive, ids::kStrActive);
        else
            host_.ShowStatus(ids::kIconOff, ids::kStrOff);
    }
    return active;
}

bool SchedulerCycle::ListChanged(const std::string& path)
{
    if (path != currentPath_)
        return true;
    return files_.LastWriteTime(path) != storedWriteTime_;
}

bool SchedulerCycle::LoadCurrentList()
{
    host_.ShowStatus(ids::kIconBusy, ids::kStrLoading);
    currentPath_ = ReadCurrentList();
    list_.Reset();
    lastLoad_.reset();
    bool result = false;
    if (currentPath_.empty()) {
        // No list: nothing on disk to compare with either.
        storedWriteTime_ = 0;
    } else {
        // Taken before reading, so that a write during the read shows up as a
        // change at the next check.
        storedWriteTime_ = files_.LastWriteTime(currentPath_);
        ListRead read;
        for (int attempt = 1; attempt <= kLoadAttempts; ++attempt) {
            list_.Reset();
            read = files_.Read(currentPath_, list_);
            if (!read.busy)
                break;
            read.status = ListLoadStatus::Unreadable;
            if (attempt < kLoadAttempts)
                host_.Wait(kBusyRetryWait);
            if (stopRequested_)
                break;
        }
        lastLoad_ = read.status;
        if (LoadedCompletely(read.status)) {
            reported_.clear();
        } else if (read.status != ListLoadStatus::WrongFormat && files_.Exists(currentPath_)) {
            // A missing file needs no word (the list manager may not have
            // saved it yet); a wrong magic has shown its own message.
            std::string why = LoadFailureMessage(read.status, read.detail);
            ReportOnce(std::string(texts::kListNotRead) + currentPath_ + (why.empty() ? "" : " (" + why + ")"));
        }
        result = true;
    }
    RefreshActive(true);
    return result;
}

std::uint32_t SchedulerCycle::Minutes(std::uint32_t minutes) const
{
    return TimerPeriod(std::uint64_t{minutes} * options_.minuteMs);
}

bool SchedulerCycle::ArmTimers()
{
    SchedulerSettings settings = ReadSchedulerSettings();
    TimerPlan plan;
    plan.checkMs = Minutes(settings.checkMinutes);
    plan.saveMs = Minutes(settings.saveMinutes);
    const std::uint8_t* block = list_.GetSchedulerBlock();
    if (!block) {
        module_ = nullptr;
        host_.ArmTimers(plan);
        return false;
    }
    module_ = registry_.FindExtenderById(BlockId(block));
    // A block too short to hold the period polls at the shortest period, as
    // a window timer of period 0 would; such a block is never due anyway.
    std::uint32_t period = BlockSize(block) >= kPollPeriodOffset + 4 ? ReadU32(block + kPollPeriodOffset) : 0;
    plan.pollMs = TimerPeriod(period);
    host_.ArmTimers(plan);
    return true;
}

void SchedulerCycle::LoadAndArm()
{
    Running running(busy_);
    if (!running.Entered())
        return;
    LoadCurrentList();
    ArmTimers();
}

void SchedulerCycle::CheckForNewList()
{
    Running running(busy_);
    if (!running.Entered())
        return;
    if (ListChanged(ReadCurrentList()) && LoadCurrentList())
        ArmTimers();
}

SaveOutcome SchedulerCycle::SaveList()
{
    Running running(busy_);
    if (!running.Entered())
        return SaveOutcome::Busy;
    return Save();
}

SaveOutcome SchedulerCycle::Save()
{
    host_.ShowStatus(ids::kIconBusy, ids::kStrSaving);
    std::string path = ReadCurrentList();
    SaveOutcome outcome = SaveOutcome::NoList;
    if (!path.empty()) {
        bool reloaded = false;
        if (ListChanged(path)) {
            // The file on disk wins: what was counted since the last save is dropped.
            LoadCurrentList();
            ArmTimers();
            reloaded = true;
            outcome = SaveOutcome::Reloaded;
        }
        if (!files_.Exists(path)) {
            // Never bring back a list file the user deleted.
            ReportOnce(std::string(texts::kListMissing) + path);
            outcome = SaveOutcome::Failed;
        } else if (reloaded) {
            // Nothing to write: the list is what the file holds.
        } else if (!lastLoad_ || !LoadedCompletely(*lastLoad_)) {
            // The list in memory is not what the file held; writing it would
            // destroy the user's list.
            outcome = SaveOutcome::Refused;
        } else if (std::string error; !files_.Write(path, list_, error)) {
            ReportOnce(std::string(texts::kSaveFailed) + path + ": " + error);
            outcome = SaveOutcome::Failed;
        } else {
            // Our own write is not a change to reload.
            storedWriteTime_ = files_.LastWriteTime(path);
            reported_.clear();
            outcome = SaveOutcome::Saved;
        }
    }
    RefreshActive(true);
    return outcome;
}

void SchedulerCycle::Poll()
{
    Running running(busy_);
    if (!running.Entered())
        return;
    if (!RefreshActive(false))
        return;
    if (ListChanged(ReadCurrentList())) {
        LoadCurrentList();
        ArmTimers();
        return;
    }
    std::uint8_t* block = list_.GetSchedulerBlock();
    if (!currentPath_.empty() && block && module_ && ext::DaemonFunction(module_, block))
        ChangeWithRetries();
    host_.RefreshTrayIcon();
}

bool SchedulerCycle::TryChange(int index)
{
    host_.ShowStatus(ids::kIconChanging, ids::kStrChanging);
    bool changed = list_.ChangeNow(index);
    if (changed)
        shownFiles_ = list_.LastShownFiles();
    RefreshActive(true);
    return changed;
}

bool SchedulerCycle::ChangeWithRetries(bool asked)
{
    std::string lastError;
    for (int attempt = 0; attempt < kChangeAttempts; ++attempt) {
        int index = list_.PickNext();
        host_.Wait(kChangeWait);
        if (stopRequested_)
            return false; // closing: no more attempts, and no reason to switch off
        if (list_.GetCount() == 0 || index < 0) {
            if (asked)
                host_.ReportProblem(currentPath_.empty()    ? std::string(texts::kNoList)
                                    : list_.GetCount() == 0 ? std::string(texts::kListEmpty) + currentPath_
                                                            : std::string(texts::kNonePickable) + currentPath_);
            return false;
        }
        if (TryChange(index))
            return true;
        lastError = list_.LastChangeError();
        if (list_.LastChangeFailure() == CWallpaperList::Failure::Desktop) {
            // Every other entry would fail the same way: no more attempts,
            // no entry used up, and the scheduler stays on to try again at
            // its next change, when the desktop may be back.
            std::string text = std::string(texts::kDesktopRefused) + lastError + "." + std::string(texts::kTriesAgain);
            if (asked)
                host_.ReportProblem(text);
            else
                ReportOnce(text);
            return false;
        }
    }
    // Nothing in the list can be shown: switch off. Written as 0 rather than
    // toggled, so that a Change Now while off cannot switch the scheduler on.
    const bool wasActive = ReadSchedulerSettings().active != 0;
    WriteActive(0);
    RefreshActive(false);
    // Said once for the whole cycle, not once per attempt.
    std::string text = std::string(texts::kChangeGaveUp) + (lastError.empty() ? "no reason given" : lastError) + ".";
    host_.ReportProblem(text + (wasActive ? std::string(texts::kNowOff) : std::string()));
    return false;
}

void SchedulerCycle::ToggleActive()
{
    Running running(busy_);
    if (!running.Entered())
        return;
    RefreshActive(false);
    vistrel::ToggleActive();
    RefreshActive(false);
}

void SchedulerCycle::ChangeNowCommand()
{
    Running running(busy_);
    if (!running.Entered())
        return;
    if (ListChanged(ReadCurrentList())) {
        LoadCurrentList();
        ArmTimers();
    }
    ChangeWithRetries(true);
}

void SchedulerCycle::OpenListManager()
{
    // The list manager should open the latest counters; it starts even when
    // they could not be saved.
    Running running(busy_);
    if (!running.Entered())
        return;
    Save();
    host_.StartProgram(ListManagerPath(options_.programDirectory));
}

void SchedulerCycle::Redraw()
{
    Running running(busy_);
    if (!running.Entered() || shownFiles_.empty())
        return;
    // A desktop that refuses now is told at the next change.
    list_.Redraw(shownFiles_);
}

void SchedulerCycle::Close() { SaveList(); }

void SchedulerCycle::ReportOnce(const std::string& text)
{
    if (text == reported_)
        return;
    reported_ = text;
    host_.ReportProblem(text);
}

} // namespace vistrel::scheduler
