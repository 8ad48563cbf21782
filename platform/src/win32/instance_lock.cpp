// SPDX-License-Identifier: GPL-3.0-or-later
// One running copy per program: a named mutex, as Windows programs do. The
// running copy is brought forward by its window, found by the guard name as
// its window class (the programs do that part; see AskHolderToRaise).
#include "vistrel/platform/instance_lock.h"

#include "win32/text.h"

#include <windows.h>

namespace vistrel::platform {

struct InstanceLock::State {
    HANDLE mutex = nullptr;
};

InstanceLock::InstanceLock(std::string name) : name_(std::move(name)), state_(std::make_unique<State>()) {}

InstanceLock::~InstanceLock()
{
    if (state_->mutex) {
        ::ReleaseMutex(state_->mutex);
        ::CloseHandle(state_->mutex);
    }
}

bool InstanceLock::Acquire()
{
    if (state_->mutex)
        return true;
    HANDLE mutex = ::CreateMutexW(nullptr, FALSE, Wide(name_).c_str());
    if (!mutex)
        return false;
    if (::GetLastError() == ERROR_ALREADY_EXISTS) {
        ::CloseHandle(mutex);
        return false;
    }
    state_->mutex = mutex;
    return true;
}

bool InstanceLock::Held() const { return state_->mutex != nullptr; }

bool InstanceLock::AskHolderToRaise() const
{
    HWND window = ::FindWindowExW(nullptr, nullptr, Wide(name_).c_str(), nullptr);
    if (!window)
        return false;
    ::ShowWindow(window, SW_RESTORE);
    ::BringWindowToTop(window);
    ::SetForegroundWindow(window);
    return true;
}

bool InstanceLock::AskHolderToRaise(std::string_view) const { return AskHolderToRaise(); }

int InstanceLock::RaiseRequestDescriptor() const { return -1; }

bool InstanceLock::TakeRaiseRequest() { return false; }

bool InstanceLock::TakeRaiseRequest(std::vector<std::string>&) { return false; }

bool InstanceLock::Listen() { return Held(); }

} // namespace vistrel::platform
