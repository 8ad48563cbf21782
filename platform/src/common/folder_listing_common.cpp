// What folder listings share on every system: the name buffer, the order of
// names and the switch tests use to examine every entry.
#include "vistrel/platform/folder_listing.h"

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
    names_.append(name);
    entries_.push_back(e);
}

void FolderListing::SortByName()
{
    std::sort(entries_.begin(), entries_.end(),
              [this](const Entry& a, const Entry& b) { return LessIgnoringCase(Name(a), Name(b)); });
}

namespace {

constexpr unsigned char FoldAscii(unsigned char c)
{
    return c >= 'A' && c <= 'Z' ? static_cast<unsigned char>(c + 32) : c;
}

} // namespace

int CompareIgnoringCase(std::string_view a, std::string_view b)
{
    const std::size_t n = std::min(a.size(), b.size());
    for (std::size_t i = 0; i < n; ++i) {
        unsigned char x = FoldAscii(static_cast<unsigned char>(a[i]));
        unsigned char y = FoldAscii(static_cast<unsigned char>(b[i]));
        if (x != y)
            return x < y ? -1 : 1;
    }
    return a.size() == b.size() ? 0 : (a.size() < b.size() ? -1 : 1);
}

} // namespace vistrel::platform
