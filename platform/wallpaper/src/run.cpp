// SPDX-License-Identifier: GPL-3.0-or-later
#include "run.h"

#include "vistrel/platform/process.h"

namespace vistrel::wallpaper::detail {

namespace {

// The first line the program wrote to its error output, trimmed and cut to
// a length that fits a message.
std::string FirstErrorLine(const std::string& errors)
{
    std::size_t start = 0;
    while (start < errors.size()) {
        std::size_t end = errors.find('\n', start);
        if (end == std::string::npos)
            end = errors.size();
        std::string line = errors.substr(start, end - start);
        while (!line.empty() && (line.back() == '\r' || line.back() == ' ' || line.back() == '\t'))
            line.pop_back();
        std::size_t first = line.find_first_not_of(" \t");
        if (first != std::string::npos) {
            line.erase(0, first);
            return line.size() > 300 ? line.substr(0, 300) + "..." : line;
        }
        start = end + 1;
    }
    return {};
}

} // namespace

bool RunChecked(const std::string& program, const std::vector<std::string>& arguments, std::string& error,
                std::string* output)
{
    // The tool's complaints become part of the reason instead of going to
    // our error output, where a scheduler trying 101 times would repeat them.
    // Its replies on standard output (swaymsg's JSON, dbus-send's "method
    // return") are no business of our user's either: kept for the caller, or
    // for the reason when the error output says nothing.
    std::string errors, replies;
    std::string* out = output ? output : &replies;
    int status = platform::RunProgram(program, arguments, out, &errors);
    if (status == 0)
        return true;
    if (status < 0) {
        error = "Could not run \"" + program + "\"" +
                (platform::FindOnPath(program).empty() ? ": it was not found on PATH" : "");
    } else {
        error = "\"" + program + "\" failed with exit status " + std::to_string(status);
        std::string why = FirstErrorLine(errors);
        if (why.empty())
            why = FirstErrorLine(*out);
        if (!why.empty())
            error += ": " + why;
    }
    return false;
}

} // namespace vistrel::wallpaper::detail
