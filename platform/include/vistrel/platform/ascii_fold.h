// SPDX-License-Identifier: GPL-3.0-or-later
// Letter case folded eight bytes at a time, for comparing and hashing names
// and paths without copying them. Only ASCII letters fold; every other byte
// (UTF-8 sequences included) stays as it is, which is how the C library
// folds in the C and UTF-8 locales.
#pragma once

#include <cstddef>
#include <cstdint>
#include <cstring>

namespace vistrel::platform::ascii {

constexpr std::uint64_t EveryByte(std::uint8_t b) { return 0x0101010101010101ull * b; }

// ASCII capitals to small letters in all eight bytes of a word.
constexpr std::uint64_t FoldWord(std::uint64_t x)
{
    const std::uint64_t low7 = x & EveryByte(0x7F);
    const std::uint64_t atLeastA = low7 + EveryByte(0x80 - 'A');
    const std::uint64_t pastZ = low7 + EveryByte(0x80 - 'Z' - 1);
    const std::uint64_t capital = (atLeastA ^ pastZ) & ~x & EveryByte(0x80);
    return x | (capital >> 2);
}

static_assert(FoldWord(0x4142'5A5B'6061'7A40ull) == 0x6162'7A5B'6061'7A40ull);
static_assert(FoldWord(EveryByte(0xC1)) == EveryByte(0xC1), "bytes above 127 are not letters");

// Bytes [8i, 8i + 8) of a text of `length` bytes, the missing ones zero, in
// memory order (the first byte lowest on little-endian machines).
inline std::uint64_t LoadWord(const char* text, std::size_t length, std::size_t i)
{
    std::uint64_t word = 0;
    const std::size_t at = i * 8;
    if (length - at >= 8)
        std::memcpy(&word, text + at, 8); // one load, not a call
    else
        std::memcpy(&word, text + at, length - at);
    return word;
}

// The word with its first byte most significant, so that words compare as
// their bytes do, one after the other.
inline std::uint64_t InReadingOrder(std::uint64_t word)
{
#if defined(__BYTE_ORDER__) && __BYTE_ORDER__ == __ORDER_BIG_ENDIAN__
    return word;
#else
    return __builtin_bswap64(word);
#endif
}

} // namespace vistrel::platform::ascii
