// SPDX-License-Identifier: GPL-3.0-or-later
// The scheduler window (dialog 102 of the resources): the program's main
// window, run modally. It shows the start-up picture for its while, hides,
// and from then on turns its window timers 1004, 1005 and 1007, its hidden
// buttons, the tray menu's commands and WM_DISPLAYCHANGE into the commands
// the two scheduler programs share (SchedulerHost). Its waits run the message loop, so that
// the tray menu answers while a change makes its attempts.
#pragma once

#include "system_tray.h"
#include "vistrel/scheduler/scheduler_host.h"

#include <map>
#include <windows.h>

namespace vistrel::scheduler::win32 {

// The window class of the scheduler window, registered before it is made.
inline constexpr wchar_t kWindowClass[] = L"Vistrel_Scheduler";

// Registers kWindowClass; false (and a message) when that fails.
bool RegisterSchedulerClass(HINSTANCE instance);

class SchedulerWindow final : public SchedulerHost {
public:
    SchedulerWindow(HINSTANCE instance, const CExtenderRegistry& registry, const std::string& programDirectory,
                    HostTiming timing);
    ~SchedulerWindow() override;

    // Makes the window and runs it until "Close Scheduler"; the dialog's result.
    INT_PTR Run();

    HWND Window() const { return window_; }
    CSystemTray& Tray() { return tray_; }
    // Called with the window once it is made, before the start-up picture
    // goes; tests drive the program from here.
    void OnStarted(std::function<void(SchedulerWindow&)> started) { started_ = std::move(started); }

private:
    // SchedulerHost
    void HideAfterPicture() override;
    void ShowAboutBox() override;
    void ShowPlaceholderDialog() override;
    void RunLater(std::chrono::milliseconds delay, int commandId) override;
    void Quit() override;
    void ArmTimers(const TimerPlan& plan) override;
    void Wait(std::chrono::milliseconds duration) override;

    static INT_PTR CALLBACK DialogProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam);
    INT_PTR Handle(UINT message, WPARAM wParam, LPARAM lParam);
    void Initialise();
    void Timer(UINT_PTR id);
    UINT_PTR NextTimerId();

    HINSTANCE instance_;
    HWND window_ = nullptr;
    CSystemTray tray_;
    HBRUSH background_ = nullptr;
    // Timers of RunLater, the start-up picture and the waits, by their ids.
    std::map<UINT_PTR, int> later_;
    UINT_PTR pictureTimer_ = 0;
    UINT_PTR waitTimer_ = 0;
    bool waitOver_ = false;
    UINT_PTR nextTimer_ = 2000;
    std::function<void(SchedulerWindow&)> started_;
};

} // namespace vistrel::scheduler::win32
