// SPDX-License-Identifier: GPL-3.0-or-later
// The Windows command-line rule for the program's folder: a pure function,
// so every platform builds and tests it.
#include "vistrel/platform/paths.h"

namespace vistrel::platform {

std::string ProgramDirectoryFromCommandLine(std::string_view commandLine)
{
    if (commandLine.empty())
        return {};
    std::string_view program;
    if (commandLine.front() == '"') {
        std::size_t close = commandLine.find('"', 1);
        if (close == std::string_view::npos)
            return {};
        program = commandLine.substr(1, close - 1);
    } else {
        program = commandLine.substr(0, commandLine.find(' '));
    }
    std::size_t last = program.rfind('\\');
    return last == std::string_view::npos ? std::string() : std::string(program.substr(0, last + 1));
}

} // namespace vistrel::platform
