// SPDX-License-Identifier: GPL-3.0-or-later
// The file a replacement is written into before it is moved over its
// target, such that a kill at any moment leaves nothing behind for long.
//
// Where the file system allows it, the file has no name while it is written
// (O_TMPFILE): a kill then leaves nothing at all. It gets its temporary name,
// ".<target's name>.XXXXXX", only for the moment between linking it in and
// moving it over the target; elsewhere it has that name from the start. In
// both cases the writer holds a lock on it (flock) until it is moved, so that
// a later save can tell a file left by a killed writer (no lock) from one that
// another program is still writing (locked), and remove only the former.
#pragma once

#include <string>

namespace vistrel::platform::detail {

class ReplacementFile {
public:
    ReplacementFile() = default;
    ~ReplacementFile();
    ReplacementFile(const ReplacementFile&) = delete;
    ReplacementFile& operator=(const ReplacementFile&) = delete;

    // A new, locked, empty file in `folder` for replacing `name` there.
    bool Create(const std::string& folder, const std::string& name, std::string& error);
    int Descriptor() const { return fd_; }
    // Gives the file its temporary name where it has none yet, moves it over
    // `target` and lets the lock go.
    bool MoveOver(const std::string& target, std::string& error);

private:
    bool LinkIn(std::string& error);

    std::string folder_, name_;
    std::string temporary_; // empty while the file has no name
    int fd_ = -1;
};

// Whether `entry` is a temporary name of the replacements of `name`:
// ".<name>." and six letters or digits.
bool IsReplacementName(const std::string& entry, const std::string& name);

// Removes the temporary files of replacements of `name` in `folder` that
// killed writers left: ours (same owner), regular, and locked by nobody.
void RemoveStaleReplacements(const std::string& folder, const std::string& name);

} // namespace vistrel::platform::detail
