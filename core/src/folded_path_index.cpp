// SPDX-License-Identifier: GPL-3.0-or-later
#include "vistrel/core/folded_path_index.h"

#include "vistrel/platform/ascii_fold.h"

namespace vistrel {

namespace {

using platform::ascii::FoldWord;
using platform::ascii::LoadWord;

constexpr std::uint64_t Mix(std::uint64_t h)
{
    h ^= h >> 33;
    h *= 0xFF51AFD7ED558CCDull;
    h ^= h >> 33;
    h *= 0xC4CEB9FE1A85EC53ull;
    h ^= h >> 33;
    return h;
}

} // namespace

std::uint64_t FoldedPathIndex::Hash(std::string_view text)
{
    std::uint64_t h = 0x9E3779B97F4A7C15ull ^ text.size();
    const std::size_t words = (text.size() + 7) / 8;
    for (std::size_t i = 0; i < words; ++i) {
        h ^= FoldWord(LoadWord(text.data(), text.size(), i));
        h *= 0x9FB21C651E98DF25ull;
        h ^= h >> 29;
    }
    return Mix(h);
}

bool FoldedPathIndex::EqualIgnoringCase(std::string_view a, std::string_view b)
{
    if (a.size() != b.size())
        return false;
    const std::size_t words = (a.size() + 7) / 8;
    for (std::size_t i = 0; i < words; ++i)
        if (FoldWord(LoadWord(a.data(), a.size(), i)) != FoldWord(LoadWord(b.data(), b.size(), i)))
            return false;
    return true;
}

std::size_t FoldedPathIndex::Find(std::string_view path, std::uint64_t hash) const
{
    const std::size_t mask = slots_.size() - 1;
    for (std::size_t i = hash & mask;; i = (i + 1) & mask) {
        const Slot& s = slots_[i];
        if (s.row == kEmpty || (s.hash == hash && EqualIgnoringCase(pathOf_(s.row), path)))
            return i;
    }
}

void FoldedPathIndex::Rehash(std::size_t slotCount)
{
    std::vector<Slot> old = std::move(slots_);
    slots_.assign(slotCount, Slot{});
    const std::size_t mask = slotCount - 1;
    for (const Slot& s : old) {
        if (s.row == kEmpty)
            continue;
        std::size_t i = s.hash & mask;
        while (slots_[i].row != kEmpty)
            i = (i + 1) & mask;
        slots_[i] = s;
    }
}

void FoldedPathIndex::Reserve(std::size_t paths)
{
    std::size_t wanted = 16;
    while (wanted < paths * 2)
        wanted *= 2;
    if (wanted > slots_.size())
        Rehash(wanted);
}

void FoldedPathIndex::Insert(std::uint32_t row, std::string_view path, std::uint64_t hash)
{
    if ((size_ + 1) * 2 > slots_.size())
        Rehash(slots_.empty() ? 16 : slots_.size() * 2);
    Slot& s = slots_[Find(path, hash)];
    if (s.row != kEmpty)
        return;
    s = {hash, row};
    ++size_;
}

void FoldedPathIndex::Add(std::uint32_t row, std::string_view path) { Insert(row, path, Hash(path)); }

void FoldedPathIndex::Rebuild(std::uint32_t rows)
{
    Clear();
    Reserve(rows);
    // The paths are read in row order, which memory serves quickly; the
    // slots lie all over the table, so each is asked for ahead of its turn.
    constexpr std::uint32_t kAhead = 16;
    std::vector<std::uint64_t> hashes(rows);
    for (std::uint32_t row = 0; row < rows; ++row)
        hashes[row] = Hash(pathOf_(row));
    const std::size_t mask = slots_.size() - 1;
    for (std::uint32_t row = 0; row < rows; ++row) {
        if (row + kAhead < rows)
            __builtin_prefetch(&slots_[hashes[row + kAhead] & mask]);
        Insert(row, pathOf_(row), hashes[row]);
    }
}

bool FoldedPathIndex::Contains(std::string_view path) const { return Contains(path, Hash(path)); }

bool FoldedPathIndex::Contains(std::string_view path, std::uint64_t hash) const
{
    return size_ != 0 && slots_[Find(path, hash)].row != kEmpty;
}

void FoldedPathIndex::PrefetchSlot(std::uint64_t hash) const
{
    if (!slots_.empty())
        __builtin_prefetch(&slots_[hash & (slots_.size() - 1)]);
}

std::uint32_t FoldedPathIndex::RowOfSlot(std::uint64_t hash) const
{
    if (slots_.empty())
        return kNoRow;
    const Slot& s = slots_[hash & (slots_.size() - 1)];
    return s.row != kEmpty && s.hash == hash ? s.row : kNoRow;
}

void FoldedPathIndex::Clear()
{
    slots_.clear();
    size_ = 0;
}

} // namespace vistrel
