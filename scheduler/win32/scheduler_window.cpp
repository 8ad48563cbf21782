// SPDX-License-Identifier: GPL-3.0-or-later
#include "scheduler_window.h"

#include "vistrel/core/message_sink.h"
#include "vistrel/scheduler/resource_ids.h"

#include <algorithm>

namespace vistrel::scheduler::win32 {

namespace {

UINT TimerMs(std::uint32_t ms) { return std::max<UINT>(USER_TIMER_MINIMUM, ms); }

// The About box and the placeholder: OK or Cancel closes them.
INT_PTR CALLBACK PlainDialogProc(HWND dialog, UINT message, WPARAM wParam, LPARAM)
{
    if (message == WM_INITDIALOG)
        return TRUE;
    if (message == WM_COMMAND && (LOWORD(wParam) == IDOK || LOWORD(wParam) == IDCANCEL)) {
        ::EndDialog(dialog, LOWORD(wParam));
        return TRUE;
    }
    return FALSE;
}

} // namespace

bool RegisterSchedulerClass(HINSTANCE instance)
{
    // A dialog of a class of its own: the dialog manager's window procedure
    // with the dialog's extra bytes, the program's icon and a class name
    // that the installer looks for.
    WNDCLASSEXW type{};
    type.cbSize = sizeof type;
    type.style = CS_VREDRAW | CS_HREDRAW | CS_DBLCLKS;
    type.lpfnWndProc = ::DefDlgProcW;
    type.cbWndExtra = DLGWINDOWEXTRA;
    type.hInstance = instance;
    type.hIcon = ::LoadIconW(instance, MAKEINTRESOURCEW(ids::kIconActive));
    type.hCursor = ::LoadCursorW(nullptr, MAKEINTRESOURCEW(32512)); // IDC_ARROW
    type.hbrBackground = reinterpret_cast<HBRUSH>(COLOR_WINDOW + 1);
    type.lpszClassName = kWindowClass;
    if (::RegisterClassExW(&type) != 0 || ::GetLastError() == ERROR_CLASS_ALREADY_EXISTS)
        return true;
    ShowMessage("Failed to register window class!", VISTREL_MB_OK | VISTREL_MB_ICONHAND);
    return false;
}

SchedulerWindow::SchedulerWindow(HINSTANCE instance, const CExtenderRegistry& registry,
                                 const std::string& programDirectory, HostTiming timing)
    : SchedulerHost(registry, programDirectory, timing, tray_), instance_(instance),
      tray_(instance, ids::kMenuTray, ids::kTrayCallbackMessage)
{
}

SchedulerWindow::~SchedulerWindow()
{
    if (background_)
        ::DeleteObject(background_);
}

INT_PTR SchedulerWindow::Run()
{
    return ::DialogBoxParamW(instance_, MAKEINTRESOURCEW(ids::kDialogScheduler), nullptr, &SchedulerWindow::DialogProc,
                             reinterpret_cast<LPARAM>(this));
}

INT_PTR CALLBACK SchedulerWindow::DialogProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam)
{
    if (message == WM_INITDIALOG) {
        auto* self = reinterpret_cast<SchedulerWindow*>(lParam);
        ::SetWindowLongPtrW(window, DWLP_USER, lParam);
        self->window_ = window;
        self->Initialise();
        return TRUE;
    }
    auto* self = reinterpret_cast<SchedulerWindow*>(::GetWindowLongPtrW(window, DWLP_USER));
    return self ? self->Handle(message, wParam, lParam) : FALSE;
}

void SchedulerWindow::Initialise()
{
    // "&About Vistrel_Scheduler..." in the system menu, when its text loads.
    wchar_t about[64] = {};
    if (HMENU system = ::GetSystemMenu(window_, FALSE);
        system && ::LoadStringW(instance_, ids::kStrAbout, about, 64) > 0) {
        ::AppendMenuW(system, MF_SEPARATOR, 0, nullptr);
        ::AppendMenuW(system, MF_STRING, ids::kCmdAbout, about);
    }
    auto icon = [&](int size) {
        return reinterpret_cast<LPARAM>(::LoadImageW(instance_, MAKEINTRESOURCEW(ids::kIconActive), IMAGE_ICON, size,
                                                     size, LR_DEFAULTCOLOR | LR_SHARED));
    };
    ::SendMessageW(window_, WM_SETICON, ICON_BIG, icon(::GetSystemMetrics(SM_CXICON)));
    ::SendMessageW(window_, WM_SETICON, ICON_SMALL, icon(::GetSystemMetrics(SM_CXSMICON)));
    // The picture is drawn on white.
    background_ = ::CreateSolidBrush(RGB(255, 255, 255));
    tray_.Create(window_);
    Start();
    if (started_)
        started_(*this);
}

INT_PTR SchedulerWindow::Handle(UINT message, WPARAM wParam, LPARAM)
{
    switch (message) {
    case WM_COMMAND:
        // Escape (IDCANCEL) does not close the scheduler.
        if (LOWORD(wParam) != IDCANCEL)
            RunCommand(LOWORD(wParam));
        return TRUE;
    case WM_SYSCOMMAND:
        if ((wParam & 0xFFF0) == static_cast<WPARAM>(ids::kCmdAbout)) {
            RunCommand(ids::kCmdAbout);
            return TRUE;
        }
        return FALSE;
    case WM_TIMER: Timer(wParam); return TRUE;
    case WM_CLOSE: return TRUE; // only "Close Scheduler" ends the program
    case WM_DISPLAYCHANGE:
        // A monitor came, went or changed its resolution: the pictures are
        // drawn again for the monitors as they are now, once they settle.
        MonitorsChanged();
        return FALSE;
    case WM_CTLCOLORDLG:
    case WM_CTLCOLORSTATIC:
        ::SetBkColor(reinterpret_cast<HDC>(wParam), RGB(255, 255, 255));
        return reinterpret_cast<INT_PTR>(background_);
    default: return FALSE;
    }
}

void SchedulerWindow::Timer(UINT_PTR id)
{
    switch (id) {
    case ids::kTimerCheckList: RunCommand(ids::kCmdCheckList); return;
    case ids::kTimerSaveList: RunCommand(ids::kCmdSaveList); return;
    case ids::kTimerPoll: Poll(); return;
    default: break;
    }
    ::KillTimer(window_, id);
    if (id == waitTimer_) {
        waitOver_ = true;
    } else if (id == pictureTimer_) {
        pictureTimer_ = 0;
        ::ShowWindow(window_, SW_HIDE);
        RunLater(std::chrono::milliseconds(0), ids::kCmdLoadList);
    } else if (auto found = later_.find(id); found != later_.end()) {
        int command = found->second;
        later_.erase(found);
        RunCommand(command);
    }
}

UINT_PTR SchedulerWindow::NextTimerId()
{
    // Ids of their own, well away from the three timers of the cycle.
    return nextTimer_ = nextTimer_ >= 60000 ? 2000 : nextTimer_ + 1;
}

void SchedulerWindow::HideAfterPicture()
{
    pictureTimer_ =
        ::SetTimer(window_, NextTimerId(), TimerMs(static_cast<std::uint32_t>(Timing().pictureMs)), nullptr);
}

void SchedulerWindow::ShowAboutBox()
{
    ::DialogBoxParamW(instance_, MAKEINTRESOURCEW(ids::kDialogAbout), window_, &PlainDialogProc, 0);
}

void SchedulerWindow::ShowPlaceholderDialog()
{
    ::DialogBoxParamW(instance_, MAKEINTRESOURCEW(ids::kDialogPlaceholder), window_, &PlainDialogProc, 0);
}

void SchedulerWindow::RunLater(std::chrono::milliseconds delay, int commandId)
{
    UINT_PTR id = ::SetTimer(window_, NextTimerId(), TimerMs(static_cast<std::uint32_t>(delay.count())), nullptr);
    if (id)
        later_[id] = commandId;
}

void SchedulerWindow::Quit() { ::EndDialog(window_, 1); }

void SchedulerWindow::ArmTimers(const TimerPlan& plan)
{
    ::KillTimer(window_, ids::kTimerCheckList);
    ::SetTimer(window_, ids::kTimerCheckList, TimerMs(plan.checkMs), nullptr);
    ::KillTimer(window_, ids::kTimerSaveList);
    ::SetTimer(window_, ids::kTimerSaveList, TimerMs(plan.saveMs), nullptr);
    if (plan.pollMs) {
        ::KillTimer(window_, ids::kTimerPoll);
        ::SetTimer(window_, ids::kTimerPoll, TimerMs(*plan.pollMs), nullptr);
    }
}

void SchedulerWindow::Wait(std::chrono::milliseconds duration)
{
    // Waits on a timer with the messages going on, so that the tray menu
    // answers during the 101 attempts of a failing change (about 10 s) and
    // the 3-second waits for a busy list file. Commands arriving meanwhile
    // find the cycle busy; "Close Scheduler" stops it at the end of this wait.
    waitOver_ = false;
    waitTimer_ = ::SetTimer(window_, NextTimerId(), TimerMs(static_cast<std::uint32_t>(duration.count())), nullptr);
    if (!waitTimer_) {
        ::Sleep(static_cast<DWORD>(duration.count()));
        return;
    }
    MSG message;
    while (!waitOver_) {
        BOOL got = ::GetMessageW(&message, nullptr, 0, 0);
        if (got == 0) {
            // The session ends: leave the quit for the dialog's own loop.
            ::PostQuitMessage(static_cast<int>(message.wParam));
            break;
        }
        if (got < 0)
            break;
        if (!::IsDialogMessageW(window_, &message)) {
            ::TranslateMessage(&message);
            ::DispatchMessageW(&message);
        }
    }
    waitTimer_ = 0;
}

} // namespace vistrel::scheduler::win32
