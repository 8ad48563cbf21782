// SPDX-License-Identifier: GPL-3.0-or-later
// Loading and saving list files for the commands: a list that failed to load
// is never written back.
#pragma once

#include "vistrel/core/wallpaper_list.h"

#include <iosfwd>
#include <string>

namespace vistrelctl {

// Loads a list; shows the reason and returns kDamagedList when the list
// must not be used (and so never written back), else kSuccess.
int Load(const std::string& path, vistrel::CWallpaperList& list);

// Replaces the file atomically with the list; kFailure after a message. A
// list the file already holds is not written again: `out` is told so, and
// so is `unchanged` when given.
int Save(const std::string& path, const vistrel::CWallpaperList& list, std::ostream& out, bool* unchanged = nullptr);

} // namespace vistrelctl
