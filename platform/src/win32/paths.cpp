// SPDX-License-Identifier: GPL-3.0-or-later
#include "vistrel/platform/paths.h"

#include "win32/text.h"

#include <windows.h>

namespace vistrel::platform {

namespace {

std::string WithBackslash(std::string folder)
{
    if (folder.empty() || (folder.back() != '\\' && folder.back() != '/'))
        folder += '\\';
    return folder;
}

} // namespace

std::string Environment(const char* name)
{
    std::wstring wideName = Wide(name);
    DWORD n = ::GetEnvironmentVariableW(wideName.c_str(), nullptr, 0);
    if (n == 0)
        return {};
    std::wstring value(n, L'\0');
    n = ::GetEnvironmentVariableW(wideName.c_str(), value.data(), n);
    value.resize(n);
    return Utf8(value);
}

char PathSeparator() { return '\\'; }

std::string ExecutableDirectory()
{
    std::wstring buffer(32768, L'\0');
    DWORD n = ::GetModuleFileNameW(nullptr, buffer.data(), static_cast<DWORD>(buffer.size()));
    buffer.resize(n);
    std::string path = Utf8(buffer);
    return path.substr(0, path.find_last_of("\\/") + 1);
}

std::string ProgramDirectory()
{
    std::string fromCommandLine = ProgramDirectoryFromCommandLine(Utf8(::GetCommandLineW()));
    // A bare program name would make every extender folder relative to the
    // current directory; the executable's own folder is the safe answer.
    return fromCommandLine.empty() ? ExecutableDirectory() : fromCommandLine;
}

std::string ApplicationDataFolder()
{
    std::string appData = Environment("APPDATA");
    return WithBackslash(appData.empty() ? ExecutableDirectory() : appData);
}

std::string ConfigFolder() { return ApplicationDataFolder(); }

std::string RuntimeFolder()
{
    wchar_t buffer[MAX_PATH + 1];
    DWORD n = ::GetTempPathW(MAX_PATH + 1, buffer);
    return WithBackslash(Utf8(std::wstring_view(buffer, n)));
}

} // namespace vistrel::platform
