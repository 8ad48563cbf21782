// SPDX-License-Identifier: GPL-3.0-or-later
// 4 bits to 8 bits: one byte per pixel, palette copied, so that 8-bit lookup
// can finish the widening to 24 bits.
#include <algorithm>
#include <cstring>

#include "last_error.h"
#include "vistrel/dib/convert.h"
#include "vistrel/dib/dib.h"

namespace vistrel::dib {

gmem::Handle DIB4To8(gmem::Handle dib)
{
    LockedBlock src(dib);
    if (!src || src.size() < kInfoHeaderSize) {
        SetDibError("DIB4To8: No DIB");
        return nullptr;
    }
    InfoHeader h = LoadHeader(src.bytes());
    if (h.biSize != kInfoHeaderSize) {
        SetDibError("DIB4To8: Can't Understand OS/2-Bitmaps");
        return nullptr;
    }
    if (h.biBitCount != 4) {
        SetDibError("DIB4To8: Source isn't 4-Bit-DIB");
        return nullptr;
    }
    if (h.biCompression != kRgb) {
        SetDibError("DIB4to8: No support to RLE-DIB");
        return nullptr;
    }
    Layout in;
    if (!DescribeDIB(src.bytes(), src.size(), in)) {
        SetDibError("DIB4To8: No DIB");
        return nullptr;
    }
    gmem::Handle out = NewDIB(in.width, in.height, 8, 256, h.biXPelsPerMeter, h.biYPelsPerMeter);
    if (!out) {
        SetDibError("DIB4To8: can't create destination DIB");
        return nullptr;
    }
    LockedBlock dst(out);
    std::uint8_t* d = dst.bytes();
    StoreU32(d + 36, in.numColors);
    std::memcpy(d + kInfoHeaderSize, src.bytes() + kInfoHeaderSize, 4 * std::min<std::size_t>(in.numColors, 256));

    const std::size_t rowBytes = (std::size_t{in.width} + 1) / 2;
    const std::size_t dstStride = static_cast<std::size_t>(DIBWidthBytes(8, in.width));
    const std::uint8_t* s = src.bytes() + in.bitsOffset;
    std::uint8_t* o = d + kInfoHeaderSize + 256 * 4;
    for (std::uint32_t y = 0; y < in.height; ++y) {
        const std::uint8_t* sr = s + std::size_t{y} * in.stride;
        std::uint8_t* dr = o + std::size_t{y} * dstStride;
        for (std::size_t x = 0; x < rowBytes; ++x) {
            dr[2 * x] = static_cast<std::uint8_t>(sr[x] >> 4);
            dr[2 * x + 1] = static_cast<std::uint8_t>(sr[x] & 0x0F);
        }
    }
    return out;
}

} // namespace vistrel::dib
