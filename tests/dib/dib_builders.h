// SPDX-License-Identifier: GPL-3.0-or-later
// Small DIBs made by hand for the tests of the bitmap routines.
#pragma once

#include <cstdint>
#include <cstring>
#include <functional>
#include <vector>

#include "vistrel/dib/dib.h"

namespace vistrel::dib::test {

// An uncompressed DIB with `colors` table entries (given as 0x00RRGGBB) and
// pixel bytes from `pixel(x, y, channel)`; y counts from the bottom row.
inline gmem::Handle MakeDib(std::uint32_t w, std::uint32_t h, std::uint16_t bits,
                            const std::vector<std::uint32_t>& colors,
                            const std::function<std::uint8_t(std::uint32_t, std::uint32_t)>& rowByte)
{
    gmem::Handle dib = NewDIB(w, h, bits, static_cast<std::uint32_t>(colors.size()), 3780, 3780);
    LockedBlock b(dib);
    for (std::size_t i = 0; i < colors.size(); ++i)
        StoreU32(b.bytes() + kInfoHeaderSize + 4 * i, colors[i]);
    const std::size_t stride = static_cast<std::size_t>(DIBWidthBytes(bits, w));
    std::uint8_t* px = b.bytes() + kInfoHeaderSize + 4 * colors.size();
    const std::size_t used = (std::size_t{bits} * w + 7) / 8;
    for (std::uint32_t y = 0; y < h; ++y)
        for (std::size_t x = 0; x < used; ++x)
            px[y * stride + x] = rowByte(static_cast<std::uint32_t>(x), y);
    return dib;
}

// A 24-bit DIB whose blue, green and red bytes come from `value(x, y, c)`.
inline gmem::Handle Make24(std::uint32_t w, std::uint32_t h,
                           const std::function<std::uint8_t(std::uint32_t, std::uint32_t, int)>& value)
{
    return MakeDib(w, h, 24, {}, [&](std::uint32_t byte, std::uint32_t y) {
        return value(byte / 3, y, static_cast<int>(byte % 3));
    });
}

inline gmem::Handle Uniform24(std::uint32_t w, std::uint32_t h, std::uint8_t v)
{
    return Make24(w, h, [v](std::uint32_t, std::uint32_t, int) { return v; });
}

// The header and pixel bytes of a DIB.
struct View {
    InfoHeader header;
    std::vector<std::uint8_t> bytes; // the whole block
    std::size_t stride = 0;
    std::size_t bits = 0;
    std::uint8_t at(std::uint32_t x, std::uint32_t y, int c) const
    {
        return bytes[bits + y * stride + 3 * std::size_t{x} + static_cast<std::size_t>(c)];
    }
    std::uint8_t raw(std::size_t y, std::size_t i) const { return bytes[bits + y * stride + i]; }
};

inline View Look(gmem::Handle dib)
{
    View v;
    LockedBlock b(dib);
    v.bytes.assign(b.bytes(), b.bytes() + b.size());
    v.header = LoadHeader(b.bytes());
    v.stride = static_cast<std::size_t>(DIBWidthBytes(v.header.biBitCount, static_cast<std::uint32_t>(v.header.biWidth)));
    v.bits = kInfoHeaderSize + 4 * std::size_t{DIBNumColors(v.header)};
    return v;
}

} // namespace vistrel::dib::test
