// SPDX-License-Identifier: GPL-3.0-or-later
// What sway makes of a picture's name, and what its reply says.
//
// sway does not take a file name as it is: swaymsg joins its arguments into
// one command, which sway splits at blanks, commas and semicolons, strips of
// its quotes and then expands as a shell would ("$HOME", "~", "*", quotes,
// backslashes). No quoting survives every one of these steps in every sway
// version, so sway is only ever given a name that none of them changes.
#pragma once

#include <optional>
#include <string>

namespace vistrel::wallpaper::detail {

// Whether sway takes `path` as it is: only letters, digits, "/", ".", "_",
// "-", "+" and bytes of UTF-8 sequences.
bool SwayTakesAsItIs(const std::string& path);

// `path` itself when sway takes it as it is; otherwise a symbolic link to it
// of a name sway takes, in `linkFolder` (the session's private runtime
// folder), made afresh under `linkName` (one per monitor's picture). Nullopt
// with `error` when there is no such folder.
std::optional<std::string> PathForSway(const std::string& path, const std::string& linkFolder, std::string& error,
                                       const std::string& linkName = "vistrel-wallpaper.bmp");

// Nullopt when every command of swaymsg's JSON reply succeeded; otherwise the
// first failed command's "error" text (or "no reason given").
std::optional<std::string> SwayFailure(const std::string& reply);

} // namespace vistrel::wallpaper::detail
