// SPDX-License-Identifier: GPL-3.0-or-later
#include "system_tray.h"

#include "wide_text.h"

#include <iterator>

namespace vistrel::scheduler::win32 {

namespace {

constexpr wchar_t kWindowClass[] = L"Vistrel_Scheduler Tray";

bool RegisterTrayClass(HINSTANCE instance, WNDPROC procedure)
{
    WNDCLASSEXW type{};
    type.cbSize = sizeof type;
    type.lpfnWndProc = procedure;
    type.hInstance = instance;
    type.lpszClassName = kWindowClass;
    return ::RegisterClassExW(&type) != 0 || ::GetLastError() == ERROR_CLASS_ALREADY_EXISTS;
}

} // namespace

CSystemTray::CSystemTray(HINSTANCE instance, int iconId, UINT callbackMessage)
    : instance_(instance), iconId_(iconId), callbackMessage_(callbackMessage)
{
    data_.cbSize = sizeof data_;
    data_.uID = static_cast<UINT>(iconId);
    data_.uCallbackMessage = callbackMessage;
}

CSystemTray::~CSystemTray()
{
    Hide();
    if (window_)
        ::DestroyWindow(window_);
    for (auto& [id, icon] : icons_)
        ::DestroyIcon(icon);
}

bool CSystemTray::Create(HWND target)
{
    target_ = target;
    if (!RegisterTrayClass(instance_, &CSystemTray::WindowProc))
        return false;
    // A top-level pop-up, never shown: the shell's "TaskbarCreated" is
    // broadcast to top-level windows only.
    window_ = ::CreateWindowExW(0, kWindowClass, L"", WS_POPUP, 0, 0, 10, 10, nullptr, nullptr, instance_, this);
    if (!window_)
        return false;
    taskbarCreated_ = ::RegisterWindowMessageW(L"TaskbarCreated");
    data_.hWnd = window_;
    return true;
}

HICON CSystemTray::Icon(int iconId)
{
    auto found = icons_.find(iconId);
    if (found != icons_.end())
        return found->second;
    // The notification area shows small icons; the resource has every size.
    auto icon = static_cast<HICON>(::LoadImageW(instance_, MAKEINTRESOURCEW(iconId), IMAGE_ICON,
                                                ::GetSystemMetrics(SM_CXSMICON), ::GetSystemMetrics(SM_CYSMICON),
                                                LR_DEFAULTCOLOR));
    if (icon)
        icons_.emplace(iconId, icon);
    return icon;
}

bool CSystemTray::Add()
{
    if (!window_)
        return false;
    NOTIFYICONDATAW add = data_;
    add.uFlags = NIF_MESSAGE | NIF_ICON | NIF_TIP;
    ++adds_;
    return ::Shell_NotifyIconW(NIM_ADD, &add) != FALSE;
}

void CSystemTray::SetIcon(int iconId)
{
    HICON icon = Icon(iconId);
    if (!icon)
        return;
    currentIcon_ = iconId;
    data_.hIcon = icon;
    if (hidden_ || !window_)
        return;
    NOTIFYICONDATAW modify = data_;
    modify.uFlags = NIF_ICON;
    ::Shell_NotifyIconW(NIM_MODIFY, &modify);
}

void CSystemTray::SetTooltip(int stringId)
{
    wchar_t text[sizeof(NOTIFYICONDATAW::szTip) / sizeof(wchar_t)] = {};
    if (::LoadStringW(instance_, static_cast<UINT>(stringId), text, static_cast<int>(std::size(text))) <= 0)
        return;
    CopyClipped(data_.szTip, std::size(data_.szTip), text);
    if (hidden_ || !window_)
        return;
    NOTIFYICONDATAW modify = data_;
    modify.uFlags = NIF_TIP;
    ::Shell_NotifyIconW(NIM_MODIFY, &modify);
}

void CSystemTray::Hide()
{
    if (hidden_ || !window_)
        return;
    NOTIFYICONDATAW remove = data_;
    remove.uFlags = 0;
    ::Shell_NotifyIconW(NIM_DELETE, &remove);
    hidden_ = true;
}

void CSystemTray::Show()
{
    if (!hidden_ || !window_)
        return;
    hidden_ = false;
    Add();
}

void CSystemTray::Refresh()
{
    // The shell forgets the icons when the taskbar is restarted, and says so
    // with "TaskbarCreated"; this catches a shell that lost the icon without
    // saying it, and leaves the icon in its place otherwise.
    if (hidden_ || !window_)
        return;
    NOTIFYICONDATAW modify = data_;
    modify.uFlags = NIF_ICON | NIF_TIP;
    if (!::Shell_NotifyIconW(NIM_MODIFY, &modify))
        Add();
}

void CSystemTray::ShowMessage(const std::string& title, const std::string& text)
{
    CopyClipped(data_.szInfoTitle, std::size(data_.szInfoTitle), Wide(title));
    CopyClipped(data_.szInfo, std::size(data_.szInfo), Wide(text));
    if (hidden_ || !window_)
        return;
    NOTIFYICONDATAW balloon = data_;
    balloon.uFlags = NIF_INFO;
    balloon.dwInfoFlags = NIIF_WARNING;
    balloon.uTimeout = 15000;
    ::Shell_NotifyIconW(NIM_MODIFY, &balloon);
}

LRESULT CALLBACK CSystemTray::WindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam)
{
    if (message == WM_NCCREATE) {
        auto* create = reinterpret_cast<CREATESTRUCTW*>(lParam);
        ::SetWindowLongPtrW(window, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(create->lpCreateParams));
    }
    auto* tray = reinterpret_cast<CSystemTray*>(::GetWindowLongPtrW(window, GWLP_USERDATA));
    if (tray && tray->window_ == window)
        return tray->Handle(message, wParam, lParam);
    return ::DefWindowProcW(window, message, wParam, lParam);
}

LRESULT CSystemTray::Handle(UINT message, WPARAM wParam, LPARAM lParam)
{
    if (message == callbackMessage_) {
        if (wParam == static_cast<WPARAM>(iconId_))
            Notify(lParam);
        return 0;
    }
    if (taskbarCreated_ != 0 && message == taskbarCreated_) {
        // A new taskbar has none of the old one's icons.
        if (!hidden_)
            Add();
        return 0;
    }
    return ::DefWindowProcW(window_, message, wParam, lParam);
}

void CSystemTray::Notify(LPARAM mouseMessage)
{
    if (mouseMessage != WM_RBUTTONUP && mouseMessage != WM_LBUTTONDBLCLK)
        return;
    HMENU menu = ::LoadMenuW(instance_, MAKEINTRESOURCEW(iconId_));
    if (!menu)
        return;
    HMENU popup = ::GetSubMenu(menu, 0);
    if (popup && mouseMessage == WM_RBUTTONUP) {
        // The first item is the default, drawn in bold.
        ::SetMenuDefaultItem(popup, 0, TRUE);
        POINT cursor{};
        ::GetCursorPos(&cursor);
        // The menu closes when the user clicks elsewhere only if its owner
        // is the foreground window; the null message afterwards lets the
        // second opening of the menu work at once.
        ::SetForegroundWindow(target_);
        ::TrackPopupMenu(popup, TPM_LEFTALIGN | TPM_LEFTBUTTON, cursor.x, cursor.y, 0, target_, nullptr);
        ::PostMessageW(target_, WM_NULL, 0, 0);
    } else if (popup) {
        ::SetForegroundWindow(target_);
        UINT command = ::GetMenuItemID(popup, 0);
        if (command != static_cast<UINT>(-1))
            ::SendMessageW(target_, WM_COMMAND, MAKEWPARAM(command, 0), 0);
    }
    ::DestroyMenu(menu);
}

} // namespace vistrel::scheduler::win32
