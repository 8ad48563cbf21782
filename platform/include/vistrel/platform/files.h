// SPDX-License-Identifier: GPL-3.0-or-later
// Files and folders as the system needs them: listings in a stable order,
// last-write times, and whole-file replacement that never leaves a broken file.
#pragma once

#include <cstdint>
#include <filesystem>
#include <initializer_list>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace vistrel::platform {

// Names (not paths) of the regular files in `folder` whose names end with
// `ending` (letter case ignored). Windows lists in the file system's order;
// elsewhere the names are sorted case-insensitively so users see the same
// order everywhere. An unreadable folder gives an empty list.
std::vector<std::string> ListFiles(const std::string& folder, std::string_view ending);

// Nanoseconds since an arbitrary fixed epoch, comparable between calls;
// nullopt when the file does not exist or cannot be examined.
std::optional<std::int64_t> LastWriteTime(const std::string& path);

// Replaces `path` with `bytes` atomically: a temporary file in the same
// folder is written, flushed to disk and renamed over the target, so readers
// and crashes see either the old file or the new one. On failure the old file
// is untouched, the temporary file is removed, `error` says why and false is
// returned. A target that is a symbolic link is followed: the link stays.
// kReplaceOnly skips the flushes, for files that are made again whenever
// needed (the wallpaper picture): the replacement stays atomic for readers,
// but after a crash the file may be the old one.
enum class Durability { kFlushed, kReplaceOnly };
bool ReplaceFileAtomically(const std::string& path, std::string_view bytes, std::string& error,
                           Durability durability = Durability::kFlushed);
// The same with the file's bytes in pieces, written one after the other
// (a header and a block it heads, without copying them together first).
bool ReplaceFileAtomically(const std::string& path, std::initializer_list<std::string_view> pieces, std::string& error,
                           Durability durability = Durability::kFlushed);

// Reads a whole file; nullopt (and `error`) when it cannot be opened or read.
// A file larger than `limit` bytes is refused.
std::optional<std::string> ReadWholeFile(const std::string& path, std::string& error,
                                         std::uint64_t limit = std::uint64_t{1} << 32);

// Creates `folder` and its parents; true when it exists afterwards.
bool MakeFolders(const std::string& folder);

bool IsAbsolutePath(const std::string& path);

// Paths are UTF-8 text throughout the system; these cross to and from the
// standard library's paths (wide on Windows).
std::filesystem::path PathFromUtf8(const std::string& text);
std::string Utf8FromPath(const std::filesystem::path& path);

struct FolderEntry {
    std::string name;
    bool isFolder = false;
    // Hidden or system entries (on Linux: names starting with a dot) are
    // skipped by folder walks.
    bool hidden = false;
    // A symbolic link or junction to a folder: not entered, so walks end.
    bool isLink = false;
};

// Every entry of a folder except "." and ".." (and, elsewhere than on
// Windows, FIFOs, sockets, devices and links to them), in the order users see them
// (the file system's on Windows, sorted case-insensitively elsewhere);
// nullopt when the folder cannot be read.
std::optional<std::vector<FolderEntry>> ListFolder(const std::string& folder);

} // namespace vistrel::platform
