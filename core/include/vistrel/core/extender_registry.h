// SPDX-License-Identifier: GPL-3.0-or-later
// Finding, loading and looking up extenders.
//
// Extenders live in four folders below the program directory, one per kind,
// and are loaded once at start-up in the order reader, middle, viewer,
// scheduler, each folder in listing order. Every operation is looked up by its
// exported name at the moment of the call (see extender_calls.h).
#pragma once

#include "vistrel/platform/dynamic_library.h"

#include <array>
#include <string>
#include <string_view>
#include <vector>

namespace vistrel {

using ExtenderHandle = platform::LibraryHandle;

enum class ExtenderKind { Reader = 0, Middle = 1, Viewer = 2, Scheduler = 3 };

// "Read_Expander", "Middle_Expander", "View_Expander", "Scheduler_Expander".
std::string_view ExtenderFolderName(ExtenderKind kind);
// ".so" or ".dll": the ending the loader looks for.
std::string_view ExtenderFileEnding();

class CExtenderRegistry {
public:
    CExtenderRegistry() = default;
    ~CExtenderRegistry();
    CExtenderRegistry(const CExtenderRegistry&) = delete;
    CExtenderRegistry& operator=(const CExtenderRegistry&) = delete;

    // Loads all four folders below `programDirectory` (which ends with a
    // separator). False, after the message, when no scheduler extender loaded.
    bool LoadExtenders(const std::string& programDirectory);
    // Loads every library of one folder into the kind's array; a library that
    // will not load is reported with "Can't Open DLL: " and skipped.
    void LoadExtenderDirectory(const std::string& folder, ExtenderKind kind);
    void UnloadExtenders();

    // Searches reader, middle, viewer and scheduler arrays in that order.
    ExtenderHandle FindExtenderById(std::string_view id) const;
    // The first reader, in load order, with an ending that ends the path
    // (letter case ignored). Each reader's endings are read once, when it is
    // loaded (an extender's texts are fixed), so this is cheap enough to ask
    // for every file of a folder walk, and safe from any thread.
    ExtenderHandle FindReaderForFile(std::string_view path) const;

    bool IsReader(ExtenderHandle h) const { return Contains(ExtenderKind::Reader, h); }
    bool IsMiddle(ExtenderHandle h) const { return Contains(ExtenderKind::Middle, h); }
    bool IsViewer(ExtenderHandle h) const { return Contains(ExtenderKind::Viewer, h); }
    bool IsScheduler(ExtenderHandle h) const { return Contains(ExtenderKind::Scheduler, h); }

    const std::vector<ExtenderHandle>& Extenders(ExtenderKind kind) const
    {
        return arrays_[static_cast<std::size_t>(kind)];
    }
    // The first scheduler extender, or null.
    ExtenderHandle FirstScheduler() const;
    // The full path each loaded library came from.
    std::string PathOf(ExtenderHandle h) const;

private:
    bool Contains(ExtenderKind kind, ExtenderHandle h) const;

    struct ReaderEndings {
        ExtenderHandle reader;
        std::vector<std::string> endings; // letters in lower case
    };

    std::array<std::vector<ExtenderHandle>, 4> arrays_;
    std::vector<ReaderEndings> readerEndings_; // in load order
    std::vector<std::pair<ExtenderHandle, std::string>> paths_;
};

// Whether `path` ends with one of the backslash-separated endings (at most
// the first 499 characters of the list count), letter case ignored.
bool MatchesExtensionList(std::string_view path, std::string_view extensions);
// The endings of such a list, in order, empty ones left out, letters in lower case.
std::vector<std::string> SplitExtensionList(std::string_view extensions);

} // namespace vistrel
