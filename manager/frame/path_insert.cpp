// SPDX-License-Identifier: GPL-3.0-or-later
#include "frame/path_insert.h"

#include "dialogs/recursive_insert_dialog.h"
#include "vistrel/platform/files.h"

#include <filesystem>
#include <system_error>

namespace vistrel::manager {

int InsertBatch(ImageListModel& model, std::span<const std::string> files, bool noDuplicates)
{
    model.BeginAppend();
    const int added = model.List().InsertFiles(files, noDuplicates);
    model.EndAppend();
    return added;
}

int InsertPath(QWidget* parent, ImageListModel& model, const std::string& path, bool noDuplicates)
{
    std::error_code error;
    if (!path.empty() && !std::filesystem::is_directory(platform::PathFromUtf8(path), error))
        return model.List().InsertFile(path, noDuplicates) ? 1 : 0;
    CRecursiveInsertDlg dialog(
        model.List().Registry(),
        [&model, noDuplicates](std::span<const std::string> files) { return InsertBatch(model, files, noDuplicates); },
        parent);
    dialog.Run(path);
    return dialog.FilesAdded();
}

} // namespace vistrel::manager
