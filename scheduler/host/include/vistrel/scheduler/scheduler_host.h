// SPDX-License-Identifier: GPL-3.0-or-later
// What the scheduler's two programs, the Qt one and the Win32 one, have in
// common around the change cycle: the commands of the scheduler window by
// their ids, the tray status, the problems told in a tray message and on the
// error output, starting the list manager, and the timing tests shorten.
// Each program adds its window, its timers, its waits and its dialogs.
#pragma once

#include "vistrel/scheduler/change_cycle.h"
#include "vistrel/scheduler/status_tray.h"

#include <chrono>
#include <cstdint>
#include <string>

namespace vistrel::scheduler {

struct HostTiming {
    int pictureMs = 2000;           // how long the start-up picture stays
    std::uint32_t minuteMs = 60000; // one minute of the check and save intervals
};

// The timing, shortened for tests by two environment variables:
//   VISTREL_SCHEDULER_MINUTE_MS   milliseconds of one minute of
//                                 "ChkNewFileInterval" and "SaveFileInterval"
//   VISTREL_SCHEDULER_PICTURE_MS  how long the start-up picture stays
// Anything but a positive number keeps the default.
HostTiming TimingFromEnvironment();

// How long a close waits for a running command to stop before it tries again.
inline constexpr std::chrono::milliseconds kCloseRetry{200};
// How long the monitors must stay as they are before the pictures are redrawn:
// plugging a monitor in sends several changes.
inline constexpr std::chrono::milliseconds kRedrawDelay{500};

class SchedulerHost : private CycleHost {
public:
    SchedulerHost(const CExtenderRegistry& registry, const std::string& programDirectory, HostTiming timing,
                  StatusTray& tray);
    ~SchedulerHost() override;
    SchedulerHost(const SchedulerHost&) = delete;
    SchedulerHost& operator=(const SchedulerHost&) = delete;

    // Runs a command by its id, as the menu, the window's buttons and the
    // timers 1004 and 1005 do. Nothing runs once the program is closing.
    void RunCommand(int id);
    // Timer 1007.
    void Poll();
    // The program saw the monitors change (Qt's screen signals, Windows'
    // WM_DISPLAYCHANGE). The pictures are redrawn once the changes have
    // settled (kRedrawDelay after the last), or after a running command.
    void MonitorsChanged();
    // The start of the window's life: the tray icon comes up with the first
    // status, and the hide after the start-up picture is on its way.
    void Start();

    SchedulerCycle& Cycle() { return cycle_; }
    const HostTiming& Timing() const { return timing_; }
    bool Closing() const { return closing_; }

protected:
    // The program's own parts: the start-up picture's while, then hide the
    // window and run command 1006 (command 1002); the About box (16); the
    // placeholder dialog (32771); a command run after a while, from the
    // program's event loop; and the end of that loop, after a close.
    virtual void HideAfterPicture() = 0;
    virtual void ShowAboutBox() = 0;
    virtual void ShowPlaceholderDialog() = 0;
    virtual void RunLater(std::chrono::milliseconds delay, int commandId) = 0;
    virtual void Quit() = 0;
    // Still the program's, from CycleHost: ArmTimers and Wait.

private:
    void ShowStatus(int iconId, int tooltipId) override;
    void RefreshTrayIcon() override;
    void ReportProblem(const std::string& text) override;
    bool StartProgram(const std::string& path) override;

    StatusTray& tray_;
    HostTiming timing_;
    DiskListFiles files_;
    SchedulerCycle cycle_;
    bool closing_ = false;
    int redrawsPending_ = 0; // MonitorsChanged calls not redrawn yet
};

} // namespace vistrel::scheduler
