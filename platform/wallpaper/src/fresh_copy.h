// SPDX-License-Identifier: GPL-3.0-or-later
// Fresh file names for desktops that cache pictures by name: handed the same
// name again they keep showing the old picture, so each change gets a copy
// of the wallpaper file under a new name beside it, and older copies go.
#pragma once

#include <optional>
#include <string>

namespace vistrel::wallpaper::detail {

// Copies `file` ("…/VistrelImage.bmp") to "…/VistrelImage-N.bmp" beside it,
// N a decimal number above that of every copy already there and at least the
// current time in milliseconds, so names never repeat. nullopt (and `error`)
// when the copy fails.
std::optional<std::string> MakeFreshCopy(const std::string& file, std::string& error);

// Removes the copies of `file` (names as above) other than `keep`.
void RemoveOtherCopies(const std::string& file, const std::string& keep);

} // namespace vistrel::wallpaper::detail
