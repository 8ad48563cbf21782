// SPDX-License-Identifier: GPL-3.0-or-later
// Reading and checking the DIB layout. Every routine of the library goes
// through DescribeDIB before it touches pixels, so a header that promises more
// than its block holds is refused in one place.
#include "vistrel/dib/dib.h"

#include <cstring>

namespace vistrel::dib {

std::uint16_t LoadU16(const std::uint8_t* p) { return static_cast<std::uint16_t>(p[0] | (p[1] << 8)); }

std::uint32_t LoadU32(const std::uint8_t* p)
{
    return std::uint32_t{p[0]} | (std::uint32_t{p[1]} << 8) | (std::uint32_t{p[2]} << 16) |
           (std::uint32_t{p[3]} << 24);
}

void StoreU16(std::uint8_t* p, std::uint16_t v)
{
    p[0] = static_cast<std::uint8_t>(v);
    p[1] = static_cast<std::uint8_t>(v >> 8);
}

void StoreU32(std::uint8_t* p, std::uint32_t v)
{
    for (int i = 0; i < 4; ++i)
        p[i] = static_cast<std::uint8_t>(v >> (8 * i));
}

InfoHeader LoadHeader(const std::uint8_t* b)
{
    InfoHeader h;
    h.biSize = LoadU32(b);
    h.biWidth = static_cast<std::int32_t>(LoadU32(b + 4));
    h.biHeight = static_cast<std::int32_t>(LoadU32(b + 8));
    h.biPlanes = LoadU16(b + 12);
    h.biBitCount = LoadU16(b + 14);
    h.biCompression = LoadU32(b + 16);
    h.biSizeImage = LoadU32(b + 20);
    h.biXPelsPerMeter = static_cast<std::int32_t>(LoadU32(b + 24));
    h.biYPelsPerMeter = static_cast<std::int32_t>(LoadU32(b + 28));
    h.biClrUsed = LoadU32(b + 32);
    h.biClrImportant = LoadU32(b + 36);
    return h;
}

void StoreHeader(std::uint8_t* b, const InfoHeader& h)
{
    StoreU32(b, h.biSize);
    StoreU32(b + 4, static_cast<std::uint32_t>(h.biWidth));
    StoreU32(b + 8, static_cast<std::uint32_t>(h.biHeight));
    StoreU16(b + 12, h.biPlanes);
    StoreU16(b + 14, h.biBitCount);
    StoreU32(b + 16, h.biCompression);
    StoreU32(b + 20, h.biSizeImage);
    StoreU32(b + 24, static_cast<std::uint32_t>(h.biXPelsPerMeter));
    StoreU32(b + 28, static_cast<std::uint32_t>(h.biYPelsPerMeter));
    StoreU32(b + 32, h.biClrUsed);
    StoreU32(b + 36, h.biClrImportant);
}

std::uint32_t DIBNumColors(const InfoHeader& header)
{
    if (header.biClrUsed != 0)
        return header.biClrUsed;
    // A 16- or 32-bit image would claim 65536 or 2^32 entries by the power
    // rule; such pixels carry their colours themselves and have no table.
    if (header.biBitCount >= 1 && header.biBitCount <= 8)
        return std::uint32_t{1} << header.biBitCount;
    return 0;
}

std::uint64_t DIBWidthBytes(std::uint32_t bitCount, std::uint32_t width)
{
    return (std::uint64_t{bitCount} * width + 31) / 32 * 4;
}

bool DescribeDIB(const std::uint8_t* bytes, std::size_t blockSize, Layout& layout)
{
    if (!bytes || blockSize < kInfoHeaderSize)
        return false;
    layout.header = LoadHeader(bytes);
    const InfoHeader& h = layout.header;
    if (h.biSize != kInfoHeaderSize || h.biWidth <= 0 || h.biHeight <= 0 || h.biBitCount == 0)
        return false;
    layout.numColors = DIBNumColors(h);
    std::uint64_t bitsOffset = kInfoHeaderSize + std::uint64_t{4} * layout.numColors;
    if (bitsOffset > blockSize)
        return false;
    layout.bitsOffset = static_cast<std::size_t>(bitsOffset);
    layout.width = static_cast<std::uint32_t>(h.biWidth);
    layout.height = static_cast<std::uint32_t>(h.biHeight);
    std::uint64_t stride = DIBWidthBytes(h.biBitCount, layout.width);
    layout.stride = static_cast<std::size_t>(stride);
    if (h.biCompression != kRgb)
        return true; // run-length data: only its own routines may read it
    std::uint64_t pixels = stride * layout.height; // < 2^32 · 2^35: no overflow
    return pixels <= blockSize - bitsOffset;
}

gmem::Handle NewDIB(std::uint32_t width, std::uint32_t height, std::uint16_t bitCount,
                    std::uint32_t numColors, std::int32_t xPelsPerMeter, std::int32_t yPelsPerMeter)
{
    if (width == 0 || height == 0 || width > INT32_MAX || height > INT32_MAX || numColors > 256)
        return nullptr;
    std::uint64_t pixels = DIBWidthBytes(bitCount, width) * height;
    if (pixels > kMaxPixelBytes)
        return nullptr;
    std::size_t tableBytes = std::size_t{4} * numColors;
    gmem::Handle handle = gmem::Alloc(kImageFlags, kInfoHeaderSize + tableBytes + pixels);
    if (!handle)
        return nullptr;
    InfoHeader h;
    h.biWidth = static_cast<std::int32_t>(width);
    h.biHeight = static_cast<std::int32_t>(height);
    h.biBitCount = bitCount;
    h.biSizeImage = static_cast<std::uint32_t>(pixels);
    h.biXPelsPerMeter = xPelsPerMeter;
    h.biYPelsPerMeter = yPelsPerMeter;
    h.biClrUsed = numColors;
    LockedBlock block(handle);
    StoreHeader(block.bytes(), h);
    return handle;
}

} // namespace vistrel::dib
