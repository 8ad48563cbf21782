// SPDX-License-Identifier: GPL-3.0-or-later
// Bitmap files made in memory for the reader's tests.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace vistrel::bitload::test {

struct Bmp {
    std::string type = "BM";
    std::uint32_t headerSize = 40; // 12: core header
    std::int32_t width = 1, height = 1;
    std::uint16_t planes = 1, bits = 24;
    std::uint32_t compression = 0, sizeImage = 0, clrUsed = 0;
    std::int32_t xPels = 3780, yPels = 3780;
    std::vector<std::uint32_t> masks;       // written after a 40-byte header
    std::vector<std::uint32_t> headerMasks; // inside a longer header, from its byte 40 on
    std::vector<std::uint32_t> colors;      // 0x00RRGGBB, 4 or 3 bytes each
    std::vector<std::uint8_t> pixels;
    std::int64_t offBits = -1; // -1: right after the table

    std::vector<std::uint8_t> Bytes() const
    {
        std::vector<std::uint8_t> f;
        auto u16 = [&](std::uint32_t v) {
            f.push_back(static_cast<std::uint8_t>(v));
            f.push_back(static_cast<std::uint8_t>(v >> 8));
        };
        auto u32 = [&](std::uint32_t v) {
            u16(v & 0xFFFF);
            u16(v >> 16);
        };
        const std::size_t entry = headerSize == 12 ? 3 : 4;
        const std::size_t header = 14 + headerSize + 4 * masks.size();
        const std::size_t off = offBits >= 0 ? static_cast<std::size_t>(offBits) : header + entry * colors.size();
        f.push_back(static_cast<std::uint8_t>(type[0]));
        f.push_back(static_cast<std::uint8_t>(type[1]));
        u32(static_cast<std::uint32_t>(off + pixels.size()));
        u32(0);
        u32(static_cast<std::uint32_t>(off));
        u32(headerSize);
        if (headerSize == 12) {
            u16(static_cast<std::uint32_t>(width));
            u16(static_cast<std::uint32_t>(height));
            u16(planes);
            u16(bits);
        } else {
            for (std::uint32_t v : {std::uint32_t(width), std::uint32_t(height), planes | (std::uint32_t{bits} << 16),
                                    compression, sizeImage, std::uint32_t(xPels), std::uint32_t(yPels), clrUsed, 0u})
                u32(v);
            for (std::uint32_t m : headerMasks)
                u32(m);
            for (std::size_t i = 40 + 4 * headerMasks.size(); i < headerSize; ++i)
                f.push_back(0);
        }
        for (std::uint32_t m : masks)
            u32(m);
        for (std::uint32_t c : colors) {
            f.push_back(static_cast<std::uint8_t>(c));
            f.push_back(static_cast<std::uint8_t>(c >> 8));
            f.push_back(static_cast<std::uint8_t>(c >> 16));
            if (entry == 4)
                f.push_back(0);
        }
        f.resize(std::max(f.size(), off));
        f.insert(f.begin() + static_cast<std::ptrdiff_t>(off), pixels.begin(), pixels.end());
        return f;
    }
};

} // namespace vistrel::bitload::test
