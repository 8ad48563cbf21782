#include "vistrel/core/folded_path_index.h"

#include <cstring>

namespace vistrel {

namespace {

constexpr std::uint64_t kBytes(std::uint8_t b) { return 0x0101010101010101ull * b; }

// ASCII capitals to small letters in all eight bytes at once; every other
// byte (UTF-8 sequences included) stays as it is.
constexpr std::uint64_t FoldWord(std::uint64_t x)
{
    const std::uint64_t low7 = x & kBytes(0x7F);
    const std::uint64_t atLeastA = low7 + kBytes(0x80 - 'A');
    const std::uint64_t pastZ = low7 + kBytes(0x80 - 'Z' - 1);
    const std::uint64_t capital = (atLeastA ^ pastZ) & ~x & kBytes(0x80);
    return x | (capital >> 2);
}

static_assert(FoldWord(0x4142'5A5B'6061'7A40ull) == 0x6162'7A5B'6061'7A40ull);
static_assert(FoldWord(kBytes(0xC1)) == kBytes(0xC1), "bytes above 127 are not letters");

// Word `i` of the text; the last one padded with zero bytes.
std::uint64_t LoadWord(const char* text, std::size_t length, std::size_t i)
{
    std::uint64_t word = 0;
    const std::size_t at = i * 8;
    std::memcpy(&word, text + at, length - at < 8 ? length - at : 8);
    return word;
}

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
        if (s.entry == 0 || (s.hash == hash && EqualIgnoringCase(entries_[s.entry - 1].path, path)))
            return i;
    }
}

void FoldedPathIndex::Rehash(std::size_t slotCount)
{
    std::vector<Slot> old = std::move(slots_);
    slots_.assign(slotCount, Slot{});
    const std::size_t mask = slotCount - 1;
    for (const Slot& s : old) {
        if (s.entry == 0)
            continue;
        std::size_t i = s.hash & mask;
        while (slots_[i].entry != 0)
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
    entries_.reserve(paths);
}

void FoldedPathIndex::Add(std::string_view path)
{
    if ((size_ + 1) * 2 > slots_.size())
        Rehash(slots_.empty() ? 16 : slots_.size() * 2);
    const std::uint64_t hash = Hash(path);
    Slot& s = slots_[Find(path, hash)];
    if (s.entry != 0) {
        ++entries_[s.entry - 1].count;
        return;
    }
    std::uint32_t entry;
    if (!freeEntries_.empty()) {
        entry = freeEntries_.back();
        freeEntries_.pop_back();
        entries_[entry - 1] = {std::string(path), 1};
    } else {
        entries_.push_back({std::string(path), 1});
        entry = static_cast<std::uint32_t>(entries_.size());
    }
    s = {hash, entry};
    ++size_;
}

void FoldedPathIndex::EraseSlot(std::size_t slot)
{
    // Backward-shift deletion: later members of the same run move up so
    // every lookup still meets them before an empty slot.
    const std::size_t mask = slots_.size() - 1;
    std::size_t hole = slot;
    for (std::size_t i = (hole + 1) & mask; slots_[i].entry != 0; i = (i + 1) & mask) {
        const std::size_t home = slots_[i].hash & mask;
        // Move i into the hole unless its home lies cyclically in (hole, i].
        const bool homeBetween = hole <= i ? (home > hole && home <= i) : (home > hole || home <= i);
        if (!homeBetween) {
            slots_[hole] = slots_[i];
            hole = i;
        }
    }
    slots_[hole] = Slot{};
}

void FoldedPathIndex::Remove(std::string_view path)
{
    if (size_ == 0)
        return;
    const std::size_t i = Find(path, Hash(path));
    const std::uint32_t entry = slots_[i].entry;
    if (entry == 0)
        return;
    Entry& e = entries_[entry - 1];
    if (--e.count > 0)
        return;
    e.path = std::string();
    freeEntries_.push_back(entry);
    EraseSlot(i);
    --size_;
}

std::uint32_t FoldedPathIndex::Count(std::string_view path) const
{
    if (size_ == 0)
        return 0;
    const std::uint32_t entry = slots_[Find(path, Hash(path))].entry;
    return entry == 0 ? 0 : entries_[entry - 1].count;
}

bool FoldedPathIndex::Contains(std::string_view path) const { return Count(path) > 0; }

void FoldedPathIndex::Clear()
{
    slots_.clear();
    entries_.clear();
    freeEntries_.clear();
    size_ = 0;
}

} // namespace vistrel
