// SPDX-License-Identifier: GPL-3.0-or-later
#include "sway_command.h"

#include <cstdio>
#include <filesystem>
#include <system_error>

namespace vistrel::wallpaper::detail {

namespace fs = std::filesystem;

bool SwayTakesAsItIs(const std::string& path)
{
    if (path.empty())
        return false;
    for (char c : path) {
        auto u = static_cast<unsigned char>(c);
        bool plain = (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z') || (c >= '0' && c <= '9') || c == '/' ||
                     c == '.' || c == '_' || c == '-' || c == '+' || u >= 0x80;
        if (!plain)
            return false;
    }
    return true;
}

std::optional<std::string> PathForSway(const std::string& path, const std::string& linkFolder, std::string& error,
                                       const std::string& linkName)
{
    if (SwayTakesAsItIs(path))
        return path;
    std::error_code ec;
    if (linkFolder.empty() || linkFolder.front() != '/' || !SwayTakesAsItIs(linkFolder) ||
        !fs::is_directory(linkFolder, ec)) {
        error = "The wallpaper file's name \"" + path +
                "\" holds characters that sway's command reader changes, and there is no runtime folder "
                "(XDG_RUNTIME_DIR) of a plain name to link it from";
        return std::nullopt;
    }
    // A new link moved over the old one: swaybg never finds the name missing.
    const std::string link = linkFolder + "/" + linkName;
    const std::string fresh = link + ".new";
    fs::remove(fresh, ec);
    fs::create_symlink(path, fresh, ec);
    if (!ec)
        fs::rename(fresh, link, ec);
    if (ec) {
        fs::remove(fresh, ec);
        error = "The wallpaper file could not be linked as " + link + " for sway: " + ec.message();
        return std::nullopt;
    }
    return link;
}

namespace {

// The JSON string that starts at `at` (at its opening quote), unescaped as
// far as sway escapes (\" \\ \/ \n \t and \uXXXX of ASCII).
std::string JsonStringAt(const std::string& text, std::size_t at)
{
    std::string value;
    for (std::size_t i = at + 1; i < text.size() && text[i] != '"'; ++i) {
        if (text[i] != '\\' || i + 1 >= text.size()) {
            value += text[i];
            continue;
        }
        char c = text[++i];
        if (c == 'n')
            value += '\n';
        else if (c == 't')
            value += '\t';
        else if (c == 'u' && i + 4 < text.size()) {
            unsigned code = 0;
            if (std::sscanf(text.substr(i + 1, 4).c_str(), "%4x", &code) == 1 && code < 0x80)
                value += static_cast<char>(code);
            i += 4;
        } else
            value += c;
    }
    return value;
}

// Where the value of "key" begins after `from` (past the colon and blanks),
// or npos.
std::size_t ValueOf(const std::string& text, const std::string& key, std::size_t from)
{
    std::size_t at = text.find("\"" + key + "\"", from);
    if (at == std::string::npos)
        return at;
    at = text.find(':', at);
    if (at == std::string::npos)
        return at;
    return text.find_first_not_of(" \t\r\n", at + 1);
}

} // namespace

std::optional<std::string> SwayFailure(const std::string& reply)
{
    for (std::size_t at = 0; (at = ValueOf(reply, "success", at)) != std::string::npos;) {
        if (reply.compare(at, 5, "false") != 0)
            continue;
        // This command's object ends at the next closing brace.
        const std::size_t end = reply.find('}', at);
        std::size_t error = ValueOf(reply, "error", reply.rfind('{', at));
        if (error != std::string::npos && error < end && reply[error] == '"')
            return JsonStringAt(reply, error);
        return std::string("no reason given");
    }
    return std::nullopt;
}

} // namespace vistrel::wallpaper::detail
