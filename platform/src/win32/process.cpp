#include "vistrel/platform/process.h"

#include "win32/text.h"

#include <windows.h>

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

int RunProgram(const std::string& program, const std::vector<std::string>& arguments, std::string* output)
{
    std::string file = FindOnPath(program);
    if (file.empty())
        return -1;
    SECURITY_ATTRIBUTES inherit{sizeof(SECURITY_ATTRIBUTES), nullptr, TRUE};
    HANDLE readEnd = nullptr, writeEnd = nullptr;
    if (output && !::CreatePipe(&readEnd, &writeEnd, &inherit, 0))
        return -1;
    if (output)
        ::SetHandleInformation(readEnd, HANDLE_FLAG_INHERIT, 0);
    std::wstring line = CommandLine(file, arguments);
    STARTUPINFOW startup{};
    startup.cb = sizeof startup;
    if (output) {
        startup.dwFlags = STARTF_USESTDHANDLES;
        startup.hStdOutput = writeEnd;
        startup.hStdError = ::GetStdHandle(STD_ERROR_HANDLE);
        startup.hStdInput = ::GetStdHandle(STD_INPUT_HANDLE);
    }
    PROCESS_INFORMATION info{};
    BOOL started = ::CreateProcessW(Wide(file).c_str(), line.data(), nullptr, nullptr, output ? TRUE : FALSE,
                                    CREATE_NO_WINDOW, nullptr, nullptr, &startup, &info);
    if (output)
        ::CloseHandle(writeEnd);
    if (!started) {
        if (output)
            ::CloseHandle(readEnd);
        return -1;
    }
    if (output) {
        char buffer[4096];
        DWORD n = 0;
        while (::ReadFile(readEnd, buffer, sizeof buffer, &n, nullptr) && n > 0)
            output->append(buffer, n);
        ::CloseHandle(readEnd);
    }
    ::WaitForSingleObject(info.hProcess, INFINITE);
    DWORD code = 0;
    ::GetExitCodeProcess(info.hProcess, &code);
    ::CloseHandle(info.hThread);
    ::CloseHandle(info.hProcess);
    return static_cast<int>(code);
}

} // namespace vistrel::platform
