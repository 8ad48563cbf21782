// SPDX-License-Identifier: GPL-3.0-or-later
#include "vistrel/platform/files.h"

#include "win32/text.h"

#include <filesystem>
#include <windows.h>

namespace vistrel::platform {

std::filesystem::path PathFromUtf8(const std::string& text) { return std::filesystem::path(Wide(text)); }

bool IsAbsolutePath(const std::string& path)
{
    // "C:\..." or "\\server\...": never a drive-relative or current-folder path.
    return (path.size() >= 3 && std::isalpha(static_cast<unsigned char>(path[0])) && path[1] == ':' &&
            (path[2] == '\\' || path[2] == '/')) ||
           (path.size() >= 2 && (path[0] == '\\' || path[0] == '/') && (path[1] == '\\' || path[1] == '/'));
}

std::vector<std::string> ListFiles(const std::string& folder, std::string_view ending)
{
    std::vector<std::string> names;
    std::string pattern = folder;
    if (!pattern.empty() && pattern.back() != '\\' && pattern.back() != '/')
        pattern += '\\';
    pattern += '*';
    WIN32_FIND_DATAW data;
    HANDLE find = ::FindFirstFileW(Wide(pattern).c_str(), &data);
    if (find == INVALID_HANDLE_VALUE)
        return names;
    do {
        if (data.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY)
            continue;
        std::string name = Utf8(data.cFileName);
        if (name.size() >= ending.size() &&
            ::_strnicmp(name.c_str() + name.size() - ending.size(), ending.data(), ending.size()) == 0)
            names.push_back(name);
    } while (::FindNextFileW(find, &data));
    ::FindClose(find);
    return names;
}

std::optional<std::int64_t> LastWriteTime(const std::string& path)
{
    WIN32_FILE_ATTRIBUTE_DATA data;
    if (!::GetFileAttributesExW(Wide(path).c_str(), GetFileExInfoStandard, &data))
        return std::nullopt;
    ULARGE_INTEGER t;
    t.LowPart = data.ftLastWriteTime.dwLowDateTime;
    t.HighPart = data.ftLastWriteTime.dwHighDateTime;
    return static_cast<std::int64_t>(t.QuadPart) * 100;
}

bool ReplaceFileAtomically(const std::string& path, std::string_view bytes, std::string& error, Durability durability)
{
    return ReplaceFileAtomically(path, {bytes}, error, durability);
}

bool ReplaceFileAtomically(const std::string& path, std::initializer_list<std::string_view> pieces, std::string& error,
                           Durability durability)
{
    std::wstring target = Wide(path);
    std::wstring temporary = target + L".vistrel-new";
    HANDLE file =
        ::CreateFileW(temporary.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (file == INVALID_HANDLE_VALUE) {
        error = "cannot create a file beside " + path + ": " + SystemErrorText(::GetLastError());
        return false;
    }
    bool ok = true;
    for (std::string_view bytes : pieces) {
        const char* p = bytes.data();
        std::size_t left = bytes.size();
        while (ok && left > 0) {
            DWORD chunk = left > (1u << 30) ? (1u << 30) : static_cast<DWORD>(left);
            DWORD written = 0;
            ok = ::WriteFile(file, p, chunk, &written, nullptr) && written == chunk;
            p += written;
            left -= written;
        }
    }
    ok = ok && (durability == Durability::kReplaceOnly || ::FlushFileBuffers(file));
    DWORD code = ok ? 0 : ::GetLastError();
    ::CloseHandle(file);
    if (ok) {
        ok = ::MoveFileExW(temporary.c_str(), target.c_str(),
                           MOVEFILE_REPLACE_EXISTING |
                               (durability == Durability::kFlushed ? MOVEFILE_WRITE_THROUGH : 0));
        code = ok ? 0 : ::GetLastError();
    }
    if (!ok) {
        ::DeleteFileW(temporary.c_str());
        error = "cannot write " + path + ": " + SystemErrorText(code);
    }
    return ok;
}

} // namespace vistrel::platform
