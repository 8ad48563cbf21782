// SPDX-License-Identifier: GPL-3.0-or-later
// The packed device-independent bitmap (DIB): the one in-memory image form of
// the system. A DIB is one movable global memory block holding
//
//   a 40-byte information header (little-endian fields, below),
//   a colour table of DIBNumColors entries of blue, green, red, 0,
//   the pixel rows, bottom row first, each padded to a multiple of 4 bytes
//   (or run-length coded data as it came from a file).
//
// The helpers here read and write the header without assuming anything about
// the alignment of the block, and check that a block really holds what its
// header describes, so that no routine ever reads or writes outside it.
#pragma once

#include <cstddef>
#include <cstdint>

#include "vistrel/platform/global_memory.h"

namespace vistrel::dib {

inline constexpr std::uint32_t kInfoHeaderSize = 40;
inline constexpr std::uint32_t kFileHeaderSize = 14;
inline constexpr std::uint16_t kBitmapType = 0x4D42; // "BM"
inline constexpr std::int32_t kDefaultPelsPerMeter = 2953; // 75 dots per inch

// Compression values as stored in biCompression.
inline constexpr std::uint32_t kRgb = 0;
inline constexpr std::uint32_t kRle8 = 1;
inline constexpr std::uint32_t kRle4 = 2;
inline constexpr std::uint32_t kBitfields = 3;

// The largest pixel data any routine creates or accepts (1 GiB). A header can
// claim gigabytes in a few bytes; nothing that large is a wallpaper, and the
// limit keeps every size computation far away from overflow.
inline constexpr std::uint64_t kMaxPixelBytes = std::uint64_t{1} << 30;

// Movable zero-filled memory: the flags every image block is made with.
inline constexpr unsigned kImageFlags = gmem::kMoveable | gmem::kZeroInit;

struct InfoHeader {
    std::uint32_t biSize = kInfoHeaderSize;
    std::int32_t biWidth = 0;
    std::int32_t biHeight = 0;
    std::uint16_t biPlanes = 1;
    std::uint16_t biBitCount = 0;
    std::uint32_t biCompression = kRgb;
    std::uint32_t biSizeImage = 0;
    std::int32_t biXPelsPerMeter = 0;
    std::int32_t biYPelsPerMeter = 0;
    std::uint32_t biClrUsed = 0;
    std::uint32_t biClrImportant = 0;
};

// Little-endian field access on unaligned bytes.
std::uint16_t LoadU16(const std::uint8_t* p);
std::uint32_t LoadU32(const std::uint8_t* p);
void StoreU16(std::uint8_t* p, std::uint16_t v);
void StoreU32(std::uint8_t* p, std::uint32_t v);

// The header at the start of a DIB's bytes (at least 40 of them).
InfoHeader LoadHeader(const std::uint8_t* bytes);
void StoreHeader(std::uint8_t* bytes, const InfoHeader& header);

// Colour-table entries: biClrUsed when it is not 0; otherwise 2 to the power
// of the bit count for 1, 2, 4 and 8 bits, and none for deeper pixels.
std::uint32_t DIBNumColors(const InfoHeader& header);

// Bytes of one uncompressed row: bits × width rounded up to whole 32-bit
// words. Computed in 64 bits, so it cannot overflow for any 32-bit input.
std::uint64_t DIBWidthBytes(std::uint32_t bitCount, std::uint32_t width);

// Where the parts of a DIB lie, checked against the block that holds it.
struct Layout {
    InfoHeader header;
    std::uint32_t numColors = 0; // colour-table entries
    std::size_t bitsOffset = 0;  // 40 + 4 × numColors
    std::uint32_t width = 0;
    std::uint32_t height = 0;
    std::size_t stride = 0; // bytes per uncompressed row
};

// Describes a locked DIB of `blockSize` bytes. Fails (returns false) when the
// header is not a 40-byte one, the width or height is not positive, or the
// block is too small for the colour table and, for uncompressed pixels, for
// every row of the image.
bool DescribeDIB(const std::uint8_t* bytes, std::size_t blockSize, Layout& layout);

// A new zero-filled DIB block for an uncompressed image of the given size and
// depth with room for `numColors` table entries, its header filled in
// (biClrUsed = numColors, biSizeImage = stride × height, the given
// resolution). Null when the size passes kMaxPixelBytes or memory is short.
gmem::Handle NewDIB(std::uint32_t width, std::uint32_t height, std::uint16_t bitCount,
                    std::uint32_t numColors, std::int32_t xPelsPerMeter, std::int32_t yPelsPerMeter);

// Keeps a movable block locked for a scope.
class LockedBlock {
public:
    explicit LockedBlock(gmem::Handle handle)
        : handle_(handle), bytes_(static_cast<std::uint8_t*>(gmem::Lock(handle)))
    {
    }
    ~LockedBlock()
    {
        if (bytes_)
            gmem::Unlock(handle_);
    }
    LockedBlock(const LockedBlock&) = delete;
    LockedBlock& operator=(const LockedBlock&) = delete;

    std::uint8_t* bytes() const { return bytes_; }
    std::size_t size() const { return gmem::Size(handle_); }
    explicit operator bool() const { return bytes_ != nullptr; }

private:
    gmem::Handle handle_;
    std::uint8_t* bytes_;
};

} // namespace vistrel::dib
