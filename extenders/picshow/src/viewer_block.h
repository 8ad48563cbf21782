// SPDX-License-Identifier: GPL-3.0-or-later
// The viewer block: Picshow's parameter block, 72 bytes, kept in each image
// entry's chain and in list files. Little-endian fields:
//
//   0  size (72)               48  flags: bits 0-3 free-position variant
//   4  icon of the mode            (0 rectangle, 1 centred with border,
//   8  ID, NUL-padded              2 tiled with count); bit 4 "Tiled" (kept
//  38  padding                     only); bit 5 Preserve Proportions
//  40  1                       52  X   56  Y   60  LX   64  LY (signed)
//  44  mode (0 Tile, 1 Center, 68  border choice (0, or 1-9 for 10-90 %)
//      2 Fit, 3 Proportioned   69  tile choice (0, or i for i + 1 tiles)
//      Fit, 4 Free Pos)        70  zero
#pragma once

#include <cstddef>
#include <cstdint>

namespace picshow {

inline constexpr const char* kId = "V0001-PICSHOW                ";
inline constexpr std::uint32_t kBlockBytes = 72;

inline constexpr std::size_t kModeOffset = 44;
inline constexpr std::size_t kFlagsOffset = 48;
inline constexpr std::size_t kXOffset = 52;
inline constexpr std::size_t kYOffset = 56;
inline constexpr std::size_t kLxOffset = 60;
inline constexpr std::size_t kLyOffset = 64;
inline constexpr std::size_t kBorderOffset = 68;
inline constexpr std::size_t kTilesOffset = 69;

enum Mode : std::uint32_t { kTile = 0, kCenter = 1, kFit = 2, kProportionedFit = 3, kFreePos = 4 };

enum Variant : std::uint32_t { kFreeRectangle = 0, kCentredWithBorder = 1, kTiledWithCount = 2 };

inline constexpr std::uint32_t kVariantMask = 0x0F;
inline constexpr std::uint32_t kTiledFlag = 0x10;
inline constexpr std::uint32_t kPreserveProportions = 0x20;

// Icon resource numbers of the five modes, stored as the block's extender value.
inline constexpr std::uint32_t kModeIcons[] = {1005, 1008, 1006, 1007, 1009};

// The command texts, separated by two backslashes each.
inline constexpr const char* kMenuDefinition = "Tile\\\\Center\\\\Fit\\\\Proportioned Fit\\\\Free Pos...";
inline constexpr const char* kUndefinedCommand = "ERROR - RunCommand: iCommand not Defined";

// A copy of the fields, read from a block without trusting its alignment.
struct ViewerSettings {
    std::uint32_t mode = kTile;
    std::uint32_t flags = kPreserveProportions;
    std::int32_t x = 0;
    std::int32_t y = 0;
    std::int32_t lx = 640;
    std::int32_t ly = 480;
    std::uint8_t border = 0;
    std::uint8_t tiles = 0;

    std::uint32_t Variant() const { return flags & kVariantMask; }
};

// Whether `block` is long enough (by its own size field) to be a viewer block.
bool IsViewerBlock(const std::uint8_t* block);

void FillDefaultBlock(std::uint8_t* block);
ViewerSettings ReadSettings(const std::uint8_t* block);
// Writes every field of `settings` and the mode's icon into the block.
void WriteSettings(std::uint8_t* block, const ViewerSettings& settings);

// Commands 0-3: the mode and its icon; every other field stays. False for any
// other command (the block is then unchanged).
bool SetModeCommand(std::uint8_t* block, int command);

// The bit of the block's mode: 1 for Tile (and unknown modes), 2, 4, 8, 16.
std::uint32_t MenuFlags(const std::uint8_t* block);

std::uint32_t LoadU32(const std::uint8_t* p);
void StoreU32(std::uint8_t* p, std::uint32_t v);

} // namespace picshow
