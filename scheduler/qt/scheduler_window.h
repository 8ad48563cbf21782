// SPDX-License-Identifier: GPL-3.0-or-later
// The scheduler window (dialog 102): the program's main window. It shows the
// start-up picture, hides, and from then on wires the three timers, the
// hidden buttons and the tray menu to the commands the two scheduler
// programs share (SchedulerHost).
#pragma once

#include "system_tray.h"
#include "vistrel/scheduler/scheduler_host.h"

#include <QDialog>
#include <QTimer>

namespace vistrel::scheduler {

using WindowTiming = HostTiming;

class SchedulerWindow final : public QDialog, public SchedulerHost {
    Q_OBJECT
public:
    SchedulerWindow(const CExtenderRegistry& registry, const std::string& programDirectory, WindowTiming timing);
    ~SchedulerWindow() override;

protected:
    void contextMenuEvent(QContextMenuEvent* event) override;
    void reject() override {} // Escape does not close the scheduler

private:
    // SchedulerHost
    void HideAfterPicture() override;
    void ShowAboutBox() override;
    void ShowPlaceholderDialog() override;
    void RunLater(std::chrono::milliseconds delay, int commandId) override;
    void Quit() override;
    void ArmTimers(const TimerPlan& plan) override;
    void Wait(std::chrono::milliseconds duration) override;

    void BuildWidgets();
    void WatchScreens();

    CSystemTray tray_;
    QTimer checkTimer_; // 1004
    QTimer saveTimer_;  // 1005
    QTimer pollTimer_;  // 1007
};

} // namespace vistrel::scheduler
