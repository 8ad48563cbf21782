// SPDX-License-Identifier: GPL-3.0-or-later
// The scheduler window (dialog 102): the program's main window. It shows the
// start-up picture, hides, and from then on only wires the three timers, the
// hidden buttons and the tray menu to the change cycle.
#pragma once

#include "system_tray.h"
#include "vistrel/scheduler/change_cycle.h"

#include <QDialog>
#include <QTimer>
#include <memory>

namespace vistrel::scheduler {

struct WindowTiming {
    int pictureMs = 2000;           // how long the start-up picture stays
    std::uint32_t minuteMs = 60000; // one minute of the check and save intervals
};

class SchedulerWindow final : public QDialog, private CycleHost {
    Q_OBJECT
public:
    SchedulerWindow(const CExtenderRegistry& registry, const std::string& programDirectory, WindowTiming timing);
    ~SchedulerWindow() override;

    // Runs a command by its id, as the menu and the buttons do.
    void RunCommand(int id);

protected:
    void contextMenuEvent(QContextMenuEvent* event) override;
    void reject() override {} // Escape does not close the scheduler

private:
    // CycleHost
    void ShowStatus(int iconId, int tooltipId) override;
    void RefreshTrayIcon() override;
    void ArmTimers(const TimerPlan& plan) override;
    void Wait(std::chrono::milliseconds duration) override;
    void ReportProblem(const std::string& text) override;
    bool StartProgram(const std::string& path) override;

    void BuildWidgets();
    void HideAfterPicture();

    WindowTiming timing_;
    DiskListFiles files_;
    CSystemTray tray_;
    SchedulerCycle cycle_;
    QTimer checkTimer_; // 1004
    QTimer saveTimer_;  // 1005
    QTimer pollTimer_;  // 1007
    bool closing_ = false;
};

} // namespace vistrel::scheduler
