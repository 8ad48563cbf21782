// SPDX-License-Identifier: GPL-3.0-or-later
#include "vistrel/platform/process.h"

#include "win32/text.h"

#include <windows.h>

#include <algorithm>
#include <thread>

namespace vistrel::platform {

namespace {

// Quotes one argument by the rules the C runtime uses to split command lines.
std::wstring QuoteArgument(const std::wstring& argument)
{
    if (!argument.empty() && argument.find_first_of(L" \t\"") == std::wstring::npos)
        return argument;
    std::wstring out = L"\"";
    std::size_t slashes = 0;
    for (wchar_t c : argument) {
        if (c == L'\\') {
            ++slashes;
            continue;
        }
        out.append(c == L'"' ? slashes * 2 + 1 : slashes, L'\\');
        slashes = 0;
        out += c;
    }
    out.append(slashes * 2, L'\\');
    return out + L"\"";
}

std::wstring CommandLine(const std::string& program, const std::vector<std::string>& arguments)
{
    std::wstring line = QuoteArgument(Wide(program));
    for (const std::string& a : arguments)
        line += L" " + QuoteArgument(Wide(a));
    return line;
}

} // namespace

std::string FindOnPath(const std::string& program)
{
    wchar_t buffer[MAX_PATH];
    DWORD n = ::SearchPathW(nullptr, Wide(program).c_str(), L".exe", MAX_PATH, buffer, nullptr);
    return n > 0 && n < MAX_PATH ? Utf8(std::wstring_view(buffer, n)) : std::string();
}

bool StartProgram(const std::string& program, const std::vector<std::string>& arguments)
{
    std::wstring line = CommandLine(program, arguments);
    STARTUPINFOW startup{};
    startup.cb = sizeof startup;
    PROCESS_INFORMATION info{};
    if (!::CreateProcessW(Wide(program).c_str(), line.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr, &startup,
                          &info))
        return false;
    ::CloseHandle(info.hThread);
    ::CloseHandle(info.hProcess);
    return true;
}

namespace {

// Reads a pipe to its end; at most `limit` bytes are kept.
void ReadAll(HANDLE pipe, std::string& sink, std::size_t limit)
{
    char buffer[4096];
    DWORD n = 0;
    while (::ReadFile(pipe, buffer, sizeof buffer, &n, nullptr) && n > 0)
        sink.append(buffer, std::min<std::size_t>(n, limit - std::min(limit, sink.size())));
}

} // namespace

int RunProgram(const std::string& program, const std::vector<std::string>& arguments, std::string* output,
               std::string* errors)
{
    std::string file = FindOnPath(program);
    if (file.empty())
        return -1;
    SECURITY_ATTRIBUTES inherit{sizeof(SECURITY_ATTRIBUTES), nullptr, TRUE};
    HANDLE outRead = nullptr, outWrite = nullptr, errRead = nullptr, errWrite = nullptr;
    auto closeAll = [&] {
        for (HANDLE h : {outRead, outWrite, errRead, errWrite})
            if (h)
                ::CloseHandle(h);
    };
    if ((output && !::CreatePipe(&outRead, &outWrite, &inherit, 0)) ||
        (errors && !::CreatePipe(&errRead, &errWrite, &inherit, 0))) {
        closeAll();
        return -1;
    }
    if (outRead)
        ::SetHandleInformation(outRead, HANDLE_FLAG_INHERIT, 0);
    if (errRead)
        ::SetHandleInformation(errRead, HANDLE_FLAG_INHERIT, 0);
    const bool capture = output || errors;
    std::wstring line = CommandLine(file, arguments);
    STARTUPINFOW startup{};
    startup.cb = sizeof startup;
    if (capture) {
        startup.dwFlags = STARTF_USESTDHANDLES;
        startup.hStdOutput = output ? outWrite : ::GetStdHandle(STD_OUTPUT_HANDLE);
        startup.hStdError = errors ? errWrite : ::GetStdHandle(STD_ERROR_HANDLE);
        startup.hStdInput = ::GetStdHandle(STD_INPUT_HANDLE);
    }
    PROCESS_INFORMATION info{};
    BOOL started = ::CreateProcessW(Wide(file).c_str(), line.data(), nullptr, nullptr, capture ? TRUE : FALSE,
                                    CREATE_NO_WINDOW, nullptr, nullptr, &startup, &info);
    // Our copies of the write ends go, so that the reads end with the program.
    for (HANDLE* end : {&outWrite, &errWrite})
        if (*end) {
            ::CloseHandle(*end);
            *end = nullptr;
        }
    if (!started) {
        closeAll();
        return -1;
    }
    {
        // Both pipes at once, so that neither fills up while the other is read.
        std::thread errorReader;
        if (errors)
            errorReader = std::thread([&] { ReadAll(errRead, *errors, 64 * 1024); });
        if (output)
            ReadAll(outRead, *output, std::string::npos);
        if (errorReader.joinable())
            errorReader.join();
    }
    closeAll();
    ::WaitForSingleObject(info.hProcess, INFINITE);
    DWORD code = 0;
    ::GetExitCodeProcess(info.hProcess, &code);
    ::CloseHandle(info.hThread);
    ::CloseHandle(info.hProcess);
    return static_cast<int>(code);
}

} // namespace vistrel::platform
