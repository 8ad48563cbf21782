#include "vistrel/core/folder_walk.h"

#include "vistrel/platform/files.h"
#include "vistrel/platform/paths.h"

namespace vistrel {

bool FolderWalk::Walk(const std::string& folder)
{
    auto entries = platform::ListFolder(folder);
    if (!entries)
        return true;
    std::string base = folder;
    const char separator = platform::PathSeparator();
    if (!base.empty() && base.back() != separator && base.back() != '/')
        base += separator;
    for (const platform::FolderEntry& entry : *entries) {
        if (!entry.hidden) {
            std::string path = base + entry.name;
            if (entry.isFolder) {
                if (!entry.isLink) {
                    ++foldersEntered;
                    if (onFolder)
                        onFolder(path);
                    if (!Walk(path))
                        return false;
                }
            } else if (onFile && onFile(path)) {
                ++filesAdded;
            }
        }
        if (cancelled && cancelled())
            return false;
    }
    return true;
}

} // namespace vistrel
