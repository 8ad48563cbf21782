// SPDX-License-Identifier: GPL-3.0-or-later
#include "vistrel/platform/input_file.h"

#include <algorithm>
#include <filesystem>
#include <windows.h>

namespace vistrel::platform {

namespace {

std::wstring WidePath(const std::string& utf8)
{
    return std::filesystem::path(std::u8string(utf8.begin(), utf8.end())).wstring();
}

} // namespace

bool InputFile::Open(const std::string& utf8Path, std::string& why, bool allowEmpty)
{
    Close();
    const std::wstring path = WidePath(utf8Path);
    const DWORD attributes = ::GetFileAttributesW(path.c_str());
    if (attributes == INVALID_FILE_ATTRIBUTES) {
        const DWORD error = ::GetLastError();
        if (error == ERROR_FILE_NOT_FOUND || error == ERROR_PATH_NOT_FOUND || error == ERROR_INVALID_NAME) {
            why = "there is no such file";
            return false;
        }
    } else if (attributes & FILE_ATTRIBUTE_DIRECTORY) {
        why = "it is a folder";
        return false;
    }
    HANDLE handle = ::CreateFileW(path.c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
                                  nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (handle == INVALID_HANDLE_VALUE) {
        const DWORD error = ::GetLastError();
        why = error == ERROR_FILE_NOT_FOUND || error == ERROR_PATH_NOT_FOUND
                  ? "there is no such file"
                  : "it cannot be opened (error " + std::to_string(error) + ")";
        return false;
    }
    // A named pipe or a device reads like a file but never ends or waits.
    LARGE_INTEGER size{};
    if (::GetFileType(handle) != FILE_TYPE_DISK || !::GetFileSizeEx(handle, &size)) {
        why = "it is a device or a pipe, not a file";
        ::CloseHandle(handle);
        return false;
    }
    if (size.QuadPart == 0 && !allowEmpty) {
        why = "it is empty";
        ::CloseHandle(handle);
        return false;
    }
    handle_ = handle;
    size_ = static_cast<std::uint64_t>(size.QuadPart);
    return true;
}

bool InputFile::IsOpen() const { return handle_ != nullptr; }

std::size_t InputFile::ReadAt(std::uint64_t offset, void* into, std::size_t bytes) const
{
    std::size_t got = 0;
    auto* p = static_cast<char*>(into);
    while (handle_ && got < bytes) {
        OVERLAPPED at{};
        const std::uint64_t position = offset + got;
        at.Offset = static_cast<DWORD>(position);
        at.OffsetHigh = static_cast<DWORD>(position >> 32);
        const DWORD ask = static_cast<DWORD>(std::min<std::size_t>(bytes - got, 1u << 30));
        DWORD n = 0;
        if (!::ReadFile(static_cast<HANDLE>(handle_), p + got, ask, &n, &at) || n == 0)
            break;
        got += n;
    }
    return got;
}

void InputFile::Close()
{
    if (handle_)
        ::CloseHandle(static_cast<HANDLE>(handle_));
    handle_ = nullptr;
    size_ = 0;
}

std::string WhyUnreadable(const std::string& utf8Path, bool allowEmpty)
{
    InputFile file;
    std::string why;
    return file.Open(utf8Path, why, allowEmpty) ? std::string() : why;
}

std::string WhyNotAFile(const std::string& utf8Path)
{
    const DWORD attributes = ::GetFileAttributesW(WidePath(utf8Path).c_str());
    if (attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY))
        return "it is a folder";
    return {};
}

} // namespace vistrel::platform
