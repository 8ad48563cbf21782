// SPDX-License-Identifier: GPL-3.0-or-later
// Reading one folder's entries fast, in the order users see them.
//
// Folder walks read thousands of folders, so a listing keeps every name of a
// folder back to back in one buffer and is reused from folder to folder: once
// its buffers have grown, reading a folder allocates nothing. Entry types come
// from the folder read itself where the file system records them; an entry is
// examined on its own only when its type is unknown or it is a symbolic link.
// Only folders and regular files are listed (and links to them): a FIFO, a
// socket or a device is neither a picture nor a folder, and a reader that
// opened one would wait for ever or read without end.
#pragma once

#include <atomic>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace vistrel::platform {

class FolderListing {
public:
    struct Entry {
        std::uint32_t nameOffset = 0;
        std::uint32_t nameLength = 0;
        bool isFolder = false;
        // Hidden or system entries (on Linux: names starting with a dot).
        bool hidden = false;
        // A symbolic link (or a Windows reparse point). `isFolder` tells what
        // it leads to; a link that leads nowhere is not listed.
        bool isLink = false;
        // The name's first eight bytes with case folded, in reading order:
        // most names differ there, so sorting rarely compares more.
        std::uint64_t sortKey = 0;
    };

    // Reads every entry of `folder` except "." and "..", sorted by name
    // ignoring case (on Windows: in the file system's order). False, with an
    // empty listing, when the folder cannot be read. A folder that can be read
    // but not searched lists nothing, since none of its entries can be
    // examined.
    bool Read(const std::string& folder);

    std::size_t Size() const { return entries_.size(); }
    const Entry& operator[](std::size_t i) const { return entries_[i]; }
    std::string_view Name(std::size_t i) const { return Name(entries_[i]); }
    std::string_view Name(const Entry& e) const { return std::string_view(names_).substr(e.nameOffset, e.nameLength); }

    // Whether reads take entry types from the folder read (the default) or
    // examine every entry, as they must on file systems that record no types.
    // Tests switch it off to exercise that path; it applies to every listing.
    static void SetTrustEntryTypes(bool trust);

private:
    void Add(std::string_view name, bool isFolder, bool hidden, bool isLink);
    void SortByName();

    static std::atomic<bool> trustEntryTypes_;

    std::vector<Entry> entries_;
    std::string names_;
};

// The order of names in listings: letter case ignored (ASCII letters; other
// bytes as they are), and names equal but for case ordered by their bytes.
int CompareIgnoringCase(std::string_view a, std::string_view b);
inline bool LessIgnoringCase(std::string_view a, std::string_view b)
{
    int c = CompareIgnoringCase(a, b);
    return c != 0 ? c < 0 : a < b;
}

} // namespace vistrel::platform
