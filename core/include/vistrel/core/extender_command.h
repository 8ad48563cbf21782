// SPDX-License-Identifier: GPL-3.0-or-later
// Running a viewer's or middle extender's menu command on entries: the
// command changes the entry's block of that extender in place (a default
// block is made first when the entry has none), and every further entry of
// the same type gets a copy of the first entry's result.
#pragma once

#include "vistrel/core/wallpaper_list.h"

#include <string>
#include <string_view>
#include <vector>

namespace vistrel {

// The texts of an extender's menu commands (its MenuDefinition split at each
// pair of backslashes); empty when it has none.
std::vector<std::string> MenuCommands(ExtenderHandle extender);

// Applies command `command` of `extender` (a viewer or middle extender of the
// registry) to the rows, which are in ascending order; rows whose type is not
// the extender's are passed over. Returns how many rows changed.
int ApplyExtenderCommand(CWallpaperList& list, const CExtenderRegistry& registry, ExtenderHandle extender, int command,
                         const std::vector<int>& rows);

} // namespace vistrel
