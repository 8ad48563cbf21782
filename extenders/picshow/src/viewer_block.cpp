// SPDX-License-Identifier: GPL-3.0-or-later
#include "viewer_block.h"

#include <cstring>
#include <iterator>

namespace picshow {

std::uint32_t LoadU32(const std::uint8_t* p)
{
    return std::uint32_t{p[0]} | (std::uint32_t{p[1]} << 8) | (std::uint32_t{p[2]} << 16) | (std::uint32_t{p[3]} << 24);
}

void StoreU32(std::uint8_t* p, std::uint32_t v)
{
    for (int i = 0; i < 4; ++i)
        p[i] = static_cast<std::uint8_t>(v >> (8 * i));
}

bool IsViewerBlock(const std::uint8_t* block) { return block && LoadU32(block) >= kBlockBytes; }

void FillDefaultBlock(std::uint8_t* block)
{
    std::memset(block, 0, kBlockBytes);
    StoreU32(block, kBlockBytes);
    std::memcpy(block + 8, kId, 29); // the 30th byte stays NUL
    StoreU32(block + 40, 1);
    WriteSettings(block, ViewerSettings{});
}

ViewerSettings ReadSettings(const std::uint8_t* block)
{
    ViewerSettings s;
    s.mode = LoadU32(block + kModeOffset);
    s.flags = LoadU32(block + kFlagsOffset);
    s.x = static_cast<std::int32_t>(LoadU32(block + kXOffset));
    s.y = static_cast<std::int32_t>(LoadU32(block + kYOffset));
    s.lx = static_cast<std::int32_t>(LoadU32(block + kLxOffset));
    s.ly = static_cast<std::int32_t>(LoadU32(block + kLyOffset));
    s.border = block[kBorderOffset];
    s.tiles = block[kTilesOffset];
    return s;
}

void WriteSettings(std::uint8_t* block, const ViewerSettings& s)
{
    if (s.mode < std::size(kModeIcons))
        StoreU32(block + 4, kModeIcons[s.mode]);
    StoreU32(block + kModeOffset, s.mode);
    StoreU32(block + kFlagsOffset, s.flags);
    StoreU32(block + kXOffset, static_cast<std::uint32_t>(s.x));
    StoreU32(block + kYOffset, static_cast<std::uint32_t>(s.y));
    StoreU32(block + kLxOffset, static_cast<std::uint32_t>(s.lx));
    StoreU32(block + kLyOffset, static_cast<std::uint32_t>(s.ly));
    block[kBorderOffset] = s.border;
    block[kTilesOffset] = s.tiles;
}

bool SetModeCommand(std::uint8_t* block, int command)
{
    if (command < 0 || command > 3)
        return false;
    StoreU32(block + kModeOffset, static_cast<std::uint32_t>(command));
    StoreU32(block + 4, kModeIcons[command]);
    return true;
}

std::uint32_t MenuFlags(const std::uint8_t* block)
{
    switch (LoadU32(block + kModeOffset)) {
    case kCenter: return 2;
    case kFit: return 4;
    case kProportionedFit: return 8;
    case kFreePos: return 16;
    default: return 1;
    }
}

} // namespace picshow
