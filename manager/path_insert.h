// Inserting a dropped or chosen path at once: a file by itself, a folder
// with every file below it that a reader claims (hidden entries skipped,
// links to folders not followed). The Recursive Insert dialog, which walks
// on a thread of its own with live counters and Cancel, takes this over.
#pragma once

#include "image_list_model.h"

#include <string>

namespace vistrel::manager {

// Returns how many entries were added.
int InsertPathNow(ImageListModel& model, const std::string& path, bool noDuplicates);

} // namespace vistrel::manager
