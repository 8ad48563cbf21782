// SPDX-License-Identifier: GPL-3.0-or-later
// UTF-8 to UTF-16 for the Win32 calls, and a copy into a fixed buffer of
// the shell's records that never writes past it.
#pragma once

#include <cstddef>
#include <cwchar>
#include <string>
#include <string_view>
#include <windows.h>

namespace vistrel::scheduler::win32 {

inline std::wstring Wide(std::string_view text)
{
    if (text.empty())
        return {};
    int n = ::MultiByteToWideChar(CP_UTF8, 0, text.data(), static_cast<int>(text.size()), nullptr, 0);
    std::wstring wide(static_cast<std::size_t>(n > 0 ? n : 0), L'\0');
    if (n > 0)
        ::MultiByteToWideChar(CP_UTF8, 0, text.data(), static_cast<int>(text.size()), wide.data(), n);
    return wide;
}

// Copies `text` into `buffer` of `size` characters with its terminating
// zero; a text too long ends in "..." instead of being cut off unmarked.
inline void CopyClipped(wchar_t* buffer, std::size_t size, const std::wstring& text)
{
    if (size == 0)
        return;
    if (text.size() < size) {
        std::wmemcpy(buffer, text.c_str(), text.size() + 1);
        return;
    }
    std::size_t keep = size > 4 ? size - 4 : size - 1;
    std::wmemcpy(buffer, text.c_str(), keep);
    std::wstring_view tail = size > 4 ? L"..." : L"";
    std::wmemcpy(buffer + keep, tail.data(), tail.size());
    buffer[keep + tail.size()] = L'\0';
}

} // namespace vistrel::scheduler::win32
