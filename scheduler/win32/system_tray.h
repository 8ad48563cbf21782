// SPDX-License-Identifier: GPL-3.0-or-later
// CSystemTray: the scheduler's icon in the taskbar's notification area,
// through Shell_NotifyIconW. An invisible pop-up window of its own receives
// the icon's mouse messages (callback message 1034, icon identifier 129) and
// the shell's "TaskbarCreated", after which the icon is added again. A right
// click opens menu 129 from the resources with its first item as the
// default, a double-click sends that item's command; both go to the target
// window, the scheduler window. Icons and tooltips are taken by resource
// number and kept while the icon is hidden.
#pragma once

#include "vistrel/scheduler/status_tray.h"

#include <map>
#include <string>
#include <windows.h>

#include <shellapi.h>

namespace vistrel::scheduler::win32 {

class CSystemTray final : public StatusTray {
public:
    CSystemTray(HINSTANCE instance, int iconId, UINT callbackMessage);
    ~CSystemTray() override;
    CSystemTray(const CSystemTray&) = delete;
    CSystemTray& operator=(const CSystemTray&) = delete;

    // Creates the notification window; `target` receives the commands. False
    // when the window could not be made (nothing works then).
    bool Create(HWND target);

    void SetIcon(int iconId) override;
    void SetTooltip(int stringId) override;
    void Hide() override;
    void Show() override;
    void Refresh() override;
    void ShowMessage(const std::string& title, const std::string& text) override;

    HWND Window() const { return window_; }
    int IconId() const { return iconId_; }
    int CurrentIcon() const { return currentIcon_; }
    bool Hidden() const { return hidden_; }
    // What the shell was last given, for tests: the tooltip and the balloon.
    std::wstring Tooltip() const { return data_.szTip; }
    std::wstring BalloonTitle() const { return data_.szInfoTitle; }
    std::wstring BalloonText() const { return data_.szInfo; }
    // How often the icon was added to the notification area.
    int Adds() const { return adds_; }

private:
    static LRESULT CALLBACK WindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam);
    LRESULT Handle(UINT message, WPARAM wParam, LPARAM lParam);
    void Notify(LPARAM mouseMessage);
    bool Add();
    HICON Icon(int iconId);

    HINSTANCE instance_;
    int iconId_;
    UINT callbackMessage_;
    UINT taskbarCreated_ = 0;
    HWND window_ = nullptr;
    HWND target_ = nullptr;
    NOTIFYICONDATAW data_{};
    std::map<int, HICON> icons_;
    int currentIcon_ = 0;
    bool hidden_ = true;
    int adds_ = 0;
};

} // namespace vistrel::scheduler::win32
