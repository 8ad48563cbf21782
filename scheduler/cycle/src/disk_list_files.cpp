// SPDX-License-Identifier: GPL-3.0-or-later
#include "vistrel/platform/files.h"
#include "vistrel/scheduler/cycle_ports.h"

#ifdef _WIN32
#include <windows.h>
#endif

namespace vistrel::scheduler {

namespace {

#ifdef _WIN32
// The list manager holds the file while it writes it: opening it then fails
// with a sharing or lock violation, which passes once the writer is done.
bool HeldByAnotherProgram(const std::string& path)
{
    HANDLE file = ::CreateFileW(platform::PathFromUtf8(path).c_str(), GENERIC_READ,
                                FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr, OPEN_EXISTING,
                                FILE_ATTRIBUTE_NORMAL, nullptr);
    if (file != INVALID_HANDLE_VALUE) {
        ::CloseHandle(file);
        return false;
    }
    DWORD error = ::GetLastError();
    return error == ERROR_SHARING_VIOLATION || error == ERROR_LOCK_VIOLATION;
}
#endif

} // namespace

std::int64_t DiskListFiles::LastWriteTime(const std::string& path)
{
    return path.empty() ? 0 : platform::LastWriteTime(path).value_or(0);
}

bool DiskListFiles::Exists(const std::string& path)
{
    return !path.empty() && platform::LastWriteTime(path).has_value();
}

ListRead DiskListFiles::Read(const std::string& path, CWallpaperList& list)
{
    ListRead read;
#ifdef _WIN32
    if (HeldByAnotherProgram(path)) {
        read.busy = true;
        return read;
    }
#endif
    auto before = platform::LastWriteTime(path);
    auto bytes = platform::ReadWholeFile(path, read.detail);
    if (!bytes) {
        read.status = ListLoadStatus::Unreadable;
        return read;
    }
    // Writers that replace the file atomically never show half a file; one
    // that writes in place does, and moves the last-write time while doing so.
    if (platform::LastWriteTime(path) != before) {
        read.busy = true;
        return read;
    }
    read.status = LoadList(list, *bytes, path);
    return read;
}

bool DiskListFiles::Write(const std::string& path, const CWallpaperList& list, std::string& error)
{
    return WriteListFile(path, list, error);
}

} // namespace vistrel::scheduler
