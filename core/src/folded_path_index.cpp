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

void FoldedPathIndex::Add(std::uint32_t row, std::string_view path)
{
    if ((size_ + 1) * 2 > slots_.size())
        Rehash(slots_.empty() ? 16 : slots_.size() * 2);
    const std::uint64_t hash = Hash(path);
    Slot& s = slots_[Find(path, hash)];
    if (s.row != kEmpty)
        return;
    s = {hash, row};
    ++size_;
}

bool FoldedPathIndex::Contains(std::string_view path) const
{
    return size_ != 0 && slots_[Find(path, Hash(path))].row != kEmpty;
}

void FoldedPathIndex::Clear()
{
    slots_.clear();
    size_ = 0;
}

} // namespace vistrel
