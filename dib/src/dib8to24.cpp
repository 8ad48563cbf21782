// SPDX-License-Identifier: GPL-3.0-or-later
// 8 bits to 24 bits: each index is replaced by its colour-table entry.
#include <cstring>

#include "last_error.h"
#include "vistrel/dib/convert.h"
#include "vistrel/dib/dib.h"

namespace vistrel::dib {

gmem::Handle DIB8To24(gmem::Handle dib)
{
    LockedBlock src(dib);
    if (!src || src.size() < kInfoHeaderSize) {
        SetDibError("DIB8To24: Keine DIB vorhanden!");
        return nullptr;
    }
    InfoHeader h = LoadHeader(src.bytes());
    if (h.biSize != kInfoHeaderSize) {
        SetDibError("DIB8To24: Keine Unterst\xC3\xBCtzung f\xC3\xBCr OS/2-Bitmaps!");
        return nullptr;
    }
    if (h.biBitCount != 8) {
        SetDibError("DIB8To24: Es liegt keine 8-Bit-DIB vor!");
        return nullptr;
    }
    if (h.biCompression != kRgb) {
        SetDibError("DIB8To24: Es liegt eine RLE-DIB vor!");
        return nullptr;
    }
    Layout in;
    if (!DescribeDIB(src.bytes(), src.size(), in)) {
        SetDibError("DIB8To24: Keine DIB vorhanden!");
        return nullptr;
    }
    gmem::Handle out = NewDIB(in.width, in.height, 24, 0, h.biXPelsPerMeter, h.biYPelsPerMeter);
    if (!out) {
        SetDibError("DIB8To24: Zu wenig Speicher f\xC3\xBCr DIB vorhanden!");
        return nullptr;
    }

    // A lookup of all 256 possible indices: those past the end of the table
    // (a file may use more indices than it has colours) come out black
    // instead of reading whatever follows the table.
    std::uint8_t lut[256][3] = {};
    const std::uint8_t* table = src.bytes() + kInfoHeaderSize;
    for (std::uint32_t i = 0; i < 256 && i < in.numColors; ++i)
        std::memcpy(lut[i], table + 4 * i, 3);

    LockedBlock dst(out);
    const std::size_t dstStride = static_cast<std::size_t>(DIBWidthBytes(24, in.width));
    const std::uint8_t* s = src.bytes() + in.bitsOffset;
    std::uint8_t* o = dst.bytes() + kInfoHeaderSize;
    for (std::uint32_t y = 0; y < in.height; ++y) {
        const std::uint8_t* sr = s + std::size_t{y} * in.stride;
        std::uint8_t* dr = o + std::size_t{y} * dstStride;
        for (std::uint32_t x = 0; x < in.width; ++x) {
            const std::uint8_t* c = lut[sr[x]];
            dr[3 * x] = c[0];
            dr[3 * x + 1] = c[1];
            dr[3 * x + 2] = c[2];
        }
    }
    return out;
}

} // namespace vistrel::dib
