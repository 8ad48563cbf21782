// SPDX-License-Identifier: GPL-3.0-or-later
// What folder listings share on every system: the name buffer, the order of
// names and the switch tests use to examine every entry.
#include "vistrel/platform/folder_listing.h"

#include "vistrel/platform/ascii_fold.h"

#include <algorithm>

namespace vistrel::platform {

std::atomic<bool> FolderListing::trustEntryTypes_{true};

void FolderListing::SetTrustEntryTypes(bool trust) { trustEntryTypes_.store(trust, std::memory_order_relaxed); }

void FolderListing::Add(std::string_view name, bool isFolder, bool hidden, bool isLink)
{
    Entry e;
    e.nameOffset = static_cast<std::uint32_t>(names_.size());
    e.nameLength = static_cast<std::uint32_t>(name.size());
    e.isFolder = isFolder;
    e.hidden = hidden;
    e.isLink = isLink;
    e.sortKey =
        ascii::InReadingOrder(ascii::FoldWord(ascii::LoadWord(name.data(), std::min<std::size_t>(name.size(), 8), 0)));
    names_.append(name);
    entries_.push_back(e);
}

void FolderListing::SortByName()
{
    std::sort(entries_.begin(), entries_.end(), [this](const Entry& a, const Entry& b) {
        // Names have no zero bytes, so a short name's padding sorts it first, as it should.
        if (a.sortKey != b.sortKey)
            return a.sortKey < b.sortKey;
        return LessIgnoringCase(Name(a), Name(b));
    });
}

int CompareIgnoringCase(std::string_view a, std::string_view b)
{
    // Eight bytes at a time: listings sort every folder a walk reads.
    const std::size_t common = std::min(a.size(), b.size());
    const std::size_t words = (common + 7) / 8;
    for (std::size_t i = 0; i < words; ++i) {
        std::uint64_t x = ascii::InReadingOrder(ascii::FoldWord(ascii::LoadWord(a.data(), common, i)));
        std::uint64_t y = ascii::InReadingOrder(ascii::FoldWord(ascii::LoadWord(b.data(), common, i)));
        if (x != y)
            return x < y ? -1 : 1;
    }
    return a.size() == b.size() ? 0 : (a.size() < b.size() ? -1 : 1);
}

} // namespace vistrel::platform
