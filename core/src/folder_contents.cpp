// SPDX-License-Identifier: GPL-3.0-or-later
#include "vistrel/core/folder_contents.h"

#include "vistrel/platform/folder_listing.h"

#include <algorithm>

namespace vistrel {

std::optional<FolderContents> ListFolderContents(const std::string& folder, const CExtenderRegistry& registry)
{
    platform::FolderListing listing;
    if (!listing.Read(folder))
        return std::nullopt;
    FolderContents contents;
    for (std::size_t i = 0; i < listing.Size(); ++i) {
        const platform::FolderListing::Entry& e = listing[i];
        if (e.hidden)
            continue;
        std::string_view name = listing.Name(e);
        if (e.isFolder)
            contents.folders.push_back({std::string(name), true, false, e.isLink});
        else if (registry.FindReaderForFile(name))
            contents.files.push_back({std::string(name), false, false, e.isLink});
    }
    // Windows file systems other than NTFS list in no particular order.
    auto byName = [](const platform::FolderEntry& a, const platform::FolderEntry& b) {
        return platform::LessIgnoringCase(a.name, b.name);
    };
    std::stable_sort(contents.folders.begin(), contents.folders.end(), byName);
    std::stable_sort(contents.files.begin(), contents.files.end(), byName);
    return contents;
}

} // namespace vistrel
