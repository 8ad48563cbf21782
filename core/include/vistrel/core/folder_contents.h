// SPDX-License-Identifier: GPL-3.0-or-later
// What the folder tree shows of one folder: its subfolders, then the files a
// reader extender claims, each group sorted by name ignoring case (the order
// Windows users saw), hidden entries never. Read afresh at every call, so a
// folder expanded again shows what was added in between.
#pragma once

#include "vistrel/core/extender_registry.h"
#include "vistrel/platform/files.h"

#include <optional>
#include <string>
#include <vector>

namespace vistrel {

struct FolderContents {
    // Names only; a link to a folder is listed among the folders with isLink set.
    std::vector<platform::FolderEntry> folders;
    std::vector<platform::FolderEntry> files;
};

// Nullopt when the folder cannot be read (a missing folder, no access, an
// empty path).
std::optional<FolderContents> ListFolderContents(const std::string& folder, const CExtenderRegistry& registry);

} // namespace vistrel
