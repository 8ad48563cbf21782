// SPDX-License-Identifier: GPL-3.0-or-later
// The paths an image list holds, compared as the list compares File texts:
// the whole text, letter case ignored.
//
// Every file a folder walk offers is looked up here, so lookups fold and hash
// the text in place, eight bytes at a time, without allocating; the table is
// open-addressed (a lookup that misses touches one or two slots) and keeps no
// copies of the paths: a slot holds a row number, and the list tells the
// path of a row. Rows are only ever added; when rows are removed or renamed
// the owner clears the index and adds the rows again.
#pragma once

#include <cstdint>
#include <functional>
#include <string_view>
#include <vector>

namespace vistrel {

class FoldedPathIndex {
public:
    using PathOfRow = std::function<std::string_view(std::uint32_t row)>;

    explicit FoldedPathIndex(PathOfRow pathOf) : pathOf_(std::move(pathOf)) {}

    // Records that `row` holds `path`. A path held already keeps its first row.
    void Add(std::uint32_t row, std::string_view path);
    // The same with the path's Hash computed already.
    void Add(std::uint32_t row, std::string_view path, std::uint64_t hash) { Insert(row, path, hash); }
    // Clears the index and adds rows 0 to rows - 1 (their paths from the
    // owner), each row's slot fetched from memory a few rows ahead.
    void Rebuild(std::uint32_t rows);
    bool Contains(std::string_view path) const;
    bool Contains(std::string_view path, std::uint64_t hash) const;
    // A look-up waits for memory (its slot, then the held row's text) far
    // longer than it computes. For a batch of paths these ask memory for all
    // of it first, in steps: the slot of each hash (see Hash), then, once the
    // slots are at hand, the row a slot holds for the hash (kNoRow if none),
    // whose text the owner asks for; the look-ups afterwards find it all.
    static constexpr std::uint32_t kNoRow = 0xFFFFFFFFu;
    void PrefetchSlot(std::uint64_t hash) const;
    std::uint32_t RowOfSlot(std::uint64_t hash) const;
    void Clear();
    // Room for `paths` distinct paths without growing.
    void Reserve(std::size_t paths);
    // Distinct paths held.
    std::size_t Size() const { return size_; }

    // The hash of the folded text; equal for texts equal but for letter case.
    static std::uint64_t Hash(std::string_view text);
    static bool EqualIgnoringCase(std::string_view a, std::string_view b);

private:
    static constexpr std::uint32_t kEmpty = 0xFFFFFFFFu;
    struct Slot {
        std::uint64_t hash = 0;
        std::uint32_t row = kEmpty;
    };

    // The slot that holds the path, or the empty slot where it would go.
    std::size_t Find(std::string_view path, std::uint64_t hash) const;
    void Insert(std::uint32_t row, std::string_view path, std::uint64_t hash);
    void Rehash(std::size_t slotCount);

    PathOfRow pathOf_;
    std::vector<Slot> slots_; // a power of two in size, at most half full
    std::size_t size_ = 0;
};

} // namespace vistrel
