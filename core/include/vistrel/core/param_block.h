// SPDX-License-Identifier: GPL-3.0-or-later
// Reading the common header of an extender's parameter block.
//
// Blocks are plain little-endian byte records (size, extender value, 30-byte
// ID, padding, the extender's own fields); they travel byte for byte through
// chains and list files, so they are read with explicit byte access and never
// cast to structures.
#pragma once

#include "vistrel_extender.h"

#include <cstddef>
#include <cstdint>
#include <cstring>
#include <string>
#include <string_view>

namespace vistrel {

inline constexpr std::uint32_t kBlockHeaderBytes = VISTREL_BLOCK_HEADER_BYTES;
inline constexpr std::size_t kBlockIdOffset = VISTREL_BLOCK_ID_OFFSET;
inline constexpr std::size_t kBlockIdBytes = VISTREL_BLOCK_ID_BYTES;

inline std::uint32_t ReadU32(const void* at)
{
    const auto* b = static_cast<const std::uint8_t*>(at);
    return std::uint32_t{b[0]} | std::uint32_t{b[1]} << 8 | std::uint32_t{b[2]} << 16 | std::uint32_t{b[3]} << 24;
}

inline void WriteU32(void* at, std::uint32_t value)
{
    auto* b = static_cast<std::uint8_t*>(at);
    b[0] = static_cast<std::uint8_t>(value);
    b[1] = static_cast<std::uint8_t>(value >> 8);
    b[2] = static_cast<std::uint8_t>(value >> 16);
    b[3] = static_cast<std::uint8_t>(value >> 24);
}

inline std::uint32_t BlockSize(const void* block) { return ReadU32(block); }

// The block's ID text: the bytes at offset 8 up to the first NUL, at most 30.
inline std::string_view BlockId(const void* block)
{
    const char* id = static_cast<const char*>(block) + kBlockIdOffset;
    std::size_t n = 0;
    while (n < kBlockIdBytes && id[n] != '\0')
        ++n;
    return {id, n};
}

// Whether `bytes` bytes at `block` hold a whole block: a size of at least the
// header that does not run past them.
inline bool BlockFits(const void* block, std::size_t bytes)
{
    if (bytes < kBlockHeaderBytes)
        return false;
    std::uint32_t size = BlockSize(block);
    return size >= kBlockHeaderBytes && size <= bytes;
}

} // namespace vistrel
