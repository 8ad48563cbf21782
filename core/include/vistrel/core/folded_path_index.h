// The set of paths an image list holds, compared as the list compares File
// texts: the whole text, letter case ignored. It counts how many rows hold
// each path, since a list may hold a path more than once.
//
// Every file a folder walk offers is looked up here, so lookups fold and hash
// the text in place, eight bytes at a time, without allocating, and the
// table is open-addressed: a lookup that misses touches one or two slots.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace vistrel {

class FoldedPathIndex {
public:
    void Add(std::string_view path);
    // Forgets one row's path; a path that no row holds is ignored.
    void Remove(std::string_view path);
    bool Contains(std::string_view path) const;
    // How many rows hold the path.
    std::uint32_t Count(std::string_view path) const;
    void Clear();
    // Room for `paths` distinct paths without growing.
    void Reserve(std::size_t paths);
    // Distinct paths held.
    std::size_t Size() const { return size_; }

    // The hash of the folded text; equal for texts equal but for letter case.
    static std::uint64_t Hash(std::string_view text);
    static bool EqualIgnoringCase(std::string_view a, std::string_view b);

private:
    struct Slot {
        std::uint64_t hash = 0;
        std::uint32_t entry = 0; // 0: empty; else entries_[entry - 1]
    };
    struct Entry {
        std::string path; // as first added; any spelling stands for all
        std::uint32_t count = 0;
    };

    // The slot that holds the path, or the empty slot where it would go.
    std::size_t Find(std::string_view path, std::uint64_t hash) const;
    void Rehash(std::size_t slotCount);
    void EraseSlot(std::size_t slot);

    std::vector<Slot> slots_; // a power of two in size, at most half full
    std::vector<Entry> entries_;
    std::vector<std::uint32_t> freeEntries_;
    std::size_t size_ = 0;
};

} // namespace vistrel
