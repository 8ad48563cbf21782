// SPDX-License-Identifier: GPL-3.0-or-later
#include "plasma_script.h"

#include "../run.h"

#include "vistrel/platform/process.h"

namespace vistrel::wallpaper::detail {

namespace {

// dbus-send prints the reply as `method return ...` and then `   string "..."`;
// the text between the first `string "` and the last quote is the reply.
std::string ReplyOfDbusSend(const std::string& output)
{
    std::size_t start = output.find("string \"");
    std::size_t end = output.rfind('"');
    if (start == std::string::npos || end == std::string::npos || end < start + 8)
        return {};
    return output.substr(start + 8, end - start - 8);
}

} // namespace

bool RunPlasmaScript(const std::string& script, std::string& error, std::string* printed)
{
    std::string output;
    for (const char* qdbus : {"qdbus6", "qdbus-qt6", "qdbus", "qdbus-qt5"}) {
        if (platform::FindOnPath(qdbus).empty())
            continue;
        if (!RunChecked(qdbus, {"org.kde.plasmashell", "/PlasmaShell", "org.kde.PlasmaShell.evaluateScript", script},
                        error, &output))
            return false;
        if (printed)
            *printed = output;
        return true;
    }
    if (!platform::FindOnPath("dbus-send").empty()) {
        if (!RunChecked("dbus-send",
                        {"--session", "--print-reply", "--type=method_call", "--dest=org.kde.plasmashell",
                         "/PlasmaShell", "org.kde.PlasmaShell.evaluateScript", "string:" + script},
                        error, &output))
            return false;
        if (printed)
            *printed = ReplyOfDbusSend(output);
        return true;
    }
    error = "Neither qdbus nor dbus-send was found on PATH to reach plasmashell";
    return false;
}

} // namespace vistrel::wallpaper::detail
