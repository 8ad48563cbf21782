// SPDX-License-Identifier: GPL-3.0-or-later
#include "list_io.h"

#include "cli.h"

#include "vistrel/core/list_file.h"
#include "vistrel/core/message_sink.h"

#include <ostream>

namespace vistrelctl {

using namespace vistrel;

int Load(const std::string& path, CWallpaperList& list)
{
    std::string detail;
    ListLoadStatus status = ReadListFile(path, list, detail);
    if (LoadedCompletely(status))
        return kSuccess;
    if (std::string message = LoadFailureMessage(status, detail); !message.empty())
        ShowMessage(message + (status == ListLoadStatus::Unreadable ? "" : " (" + path + ")"),
                    VISTREL_MB_OK | VISTREL_MB_ICONEXCLAMATION);
    return kDamagedList;
}

int Save(const std::string& path, const CWallpaperList& list, std::ostream& out, bool* unchanged)
{
    std::string error;
    const ListSave saved = SaveListFile(path, list, error);
    if (unchanged)
        *unchanged = saved == ListSave::Unchanged;
    switch (saved) {
    case ListSave::Written: return kSuccess;
    case ListSave::Unchanged: out << "Nothing changed: " << path << " was left as it is\n"; return kSuccess;
    case ListSave::Failed: break;
    }
    ShowMessage("The list was not saved: " + error, VISTREL_MB_OK | VISTREL_MB_ICONEXCLAMATION);
    return kFailure;
}

} // namespace vistrelctl
