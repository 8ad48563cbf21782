#include "path_insert.h"

#include "vistrel/core/folder_walk.h"
#include "vistrel/platform/files.h"

#include <span>
#include <system_error>

namespace vistrel::manager {

int InsertPathNow(ImageListModel& model, const std::string& path, bool noDuplicates)
{
    CWallpaperList& list = model.List();
    std::error_code error;
    if (!std::filesystem::is_directory(platform::PathFromUtf8(path), error))
        return list.InsertFile(path, noDuplicates) ? 1 : 0;
    // A folder may hold thousands of pictures: one reset of the views
    // instead of a notice per row.
    model.BeginBulk();
    FolderWalk walk;
    walk.onFiles = [&](std::span<const std::string> files) { return list.InsertFiles(files, noDuplicates); };
    walk.Walk(path);
    model.EndBulk();
    return walk.filesAdded;
}

} // namespace vistrel::manager
