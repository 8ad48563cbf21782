// SPDX-License-Identifier: GPL-3.0-or-later
// 1 bit to 4 bits: every pixel becomes a nibble holding its index 0 or 1, so
// the palette stays valid and the next step (4 to 8 bits) can take over.
#include <algorithm>
#include <cstring>

#include "last_error.h"
#include "vistrel/dib/convert.h"
#include "vistrel/dib/dib.h"

namespace vistrel::dib {

gmem::Handle DIB1To4(gmem::Handle dib)
{
    LockedBlock src(dib);
    if (!src || src.size() < kInfoHeaderSize) {
        SetDibError("DIB1To4: No DIB");
        return nullptr;
    }
    InfoHeader h = LoadHeader(src.bytes());
    if (h.biSize != kInfoHeaderSize) {
        SetDibError("DIB1To4: Can't Understand OS/2-Bitmaps!");
        return nullptr;
    }
    if (h.biBitCount != 1) {
        SetDibError("DIB1To4: Source isn't 1-Bit-DIB");
        return nullptr;
    }
    // The pixels are read as uncompressed rows whatever biCompression says, so
    // the block must hold every row.
    Layout in;
    if (!DescribeDIB(src.bytes(), src.size(), in) ||
        std::uint64_t{in.stride} * in.height > src.size() - in.bitsOffset) {
        SetDibError("DIB1To4: No DIB");
        return nullptr;
    }
    gmem::Handle out = NewDIB(in.width, in.height, 4, 16, h.biXPelsPerMeter, h.biYPelsPerMeter);
    if (!out) {
        SetDibError("DIB1To4: Can't create New DIB");
        return nullptr;
    }
    LockedBlock dst(out);
    std::uint8_t* d = dst.bytes();
    StoreU32(d + 36, in.numColors); // biClrImportant: the colours the source had
    std::memcpy(d + kInfoHeaderSize, src.bytes() + kInfoHeaderSize, 4 * std::min<std::size_t>(in.numColors, 16));

    // Each source byte gives four destination bytes, leftmost pixel in the
    // high nibble; 4 × (bytes per source row) is exactly the 4-bit stride.
    const std::size_t rowBytes = (std::size_t{in.width} + 7) / 8;
    const std::size_t dstStride = static_cast<std::size_t>(DIBWidthBytes(4, in.width));
    const std::uint8_t* s = src.bytes() + in.bitsOffset;
    std::uint8_t* o = d + kInfoHeaderSize + 16 * 4;
    for (std::uint32_t y = 0; y < in.height; ++y) {
        const std::uint8_t* sr = s + std::size_t{y} * in.stride;
        std::uint8_t* dr = o + std::size_t{y} * dstStride;
        for (std::size_t x = 0; x < rowBytes; ++x) {
            unsigned b = sr[x];
            dr[4 * x + 0] = static_cast<std::uint8_t>(((b >> 7) & 1) << 4 | ((b >> 6) & 1));
            dr[4 * x + 1] = static_cast<std::uint8_t>(((b >> 5) & 1) << 4 | ((b >> 4) & 1));
            dr[4 * x + 2] = static_cast<std::uint8_t>(((b >> 3) & 1) << 4 | ((b >> 2) & 1));
            dr[4 * x + 3] = static_cast<std::uint8_t>(((b >> 1) & 1) << 4 | (b & 1));
        }
    }
    return out;
}

} // namespace vistrel::dib
