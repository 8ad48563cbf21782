// Walking a folder tree to insert every file a reader claims: depth first,
// each folder in the order users see it, hidden entries skipped at every
// level, links to folders not entered (so a walk always ends).
#pragma once

#include <functional>
#include <string>

namespace vistrel {

struct FolderWalk {
    // Called with each file's full path; returns whether it was added.
    std::function<bool(const std::string& path)> onFile;
    // Called after each subfolder is entered (the starting folder is not counted).
    std::function<void(const std::string& path)> onFolder;
    // Polled after every entry; true stops the walk.
    std::function<bool()> cancelled;

    int foldersEntered = 0;
    int filesAdded = 0;

    // True when the walk ran to the end, false when it was cancelled. A
    // folder that cannot be read adds nothing.
    bool Walk(const std::string& folder);
};

} // namespace vistrel
