// SPDX-License-Identifier: GPL-3.0-or-later
// List files (".vist"): one image list with its random flag, scheduler block,
// the five texts of every entry and every entry's chain.
//
// A list that failed to load must never be written over the file it came
// from: callers keep the status and save such a list only under a new name.
#pragma once

#include "vistrel/core/wallpaper_list.h"

#include <string>
#include <string_view>

namespace vistrel {

inline constexpr std::string_view kListMagic = "VistrelDoc V1";
inline constexpr std::string_view kListFileExtension = ".vist";

enum class ListLoadStatus {
    Ok,
    Empty,       // a zero-length file: an empty list, no message
    WrongFormat, // "Wrong File Format" was shown; an empty list
    EndOfFile,   // the file ends before something it still owes
    Damaged,     // a length or a block that cannot be right
    NoMemory,
    Unreadable, // the file could not be opened or read
};

// Whether the list now holds what the file held (Ok or Empty), so that saving
// back into that file is safe.
inline bool LoadedCompletely(ListLoadStatus s) { return s == ListLoadStatus::Ok || s == ListLoadStatus::Empty; }

// The message a program shows for a failed load (empty for the cases that
// have shown theirs or need none).
std::string LoadFailureMessage(ListLoadStatus status, const std::string& detail = {});

// Fills a list that was just Reset from the bytes of a list file. On a wrong
// magic the list stays empty with the default scheduler block and the random
// flag that followed the magic; on any other failure it is left as Reset left
// it. Bytes after the last chain are ignored. The wrong magic's message names
// `path` when given.
ListLoadStatus LoadList(CWallpaperList& list, std::string_view bytes, std::string_view path = {});

// The bytes of a list file for the list.
std::string StoreList(const CWallpaperList& list);

// Resets the list and loads the file; `detail` says why a file was unreadable.
ListLoadStatus ReadListFile(const std::string& path, CWallpaperList& list, std::string& detail);

// Replaces the file atomically with the list; false with `error` when the old
// file had to be kept. A file that already holds exactly the list's bytes is
// left as it is, its last-write time too.
bool WriteListFile(const std::string& path, const CWallpaperList& list, std::string& error);

// WriteListFile, saying whether the file was written or already held the list.
enum class ListSave { Written, Unchanged, Failed };
ListSave SaveListFile(const std::string& path, const CWallpaperList& list, std::string& error);

} // namespace vistrel
