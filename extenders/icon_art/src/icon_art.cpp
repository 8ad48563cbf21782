// SPDX-License-Identifier: GPL-3.0-or-later
#include "vistrel/icon_art/icon_art.h"

#include "vistrel/dib/dib.h"

namespace vistrel::icon_art {

int EdgeFor(int size) { return size >= 24 ? 2 * kEdge : kEdge; }

namespace {

std::uint32_t ColourOf(const Art& art, char key)
{
    for (const Ink& ink : art.palette)
        if (ink.key == key)
            return ink.argb;
    return 0; // not reached for well-formed art: transparent
}

} // namespace

gmem::Handle MakeIcon(const Art& art, int size)
{
    const int edge = EdgeFor(size);
    const int scale = edge / kEdge;
    gmem::Handle icon = dib::NewDIB(static_cast<std::uint32_t>(edge), static_cast<std::uint32_t>(edge), 32, 0, 0, 0);
    if (!icon)
        return nullptr;
    dib::LockedBlock block(icon);
    std::uint8_t* pixels = block.bytes() + dib::kInfoHeaderSize;
    const std::size_t stride = static_cast<std::size_t>(edge) * 4;
    for (int y = 0; y < edge; ++y) {
        // Bottom-up: the picture's top row is the last one in memory.
        std::uint8_t* row = pixels + static_cast<std::size_t>(edge - 1 - y) * stride;
        std::string_view line = art.rows[static_cast<std::size_t>(y / scale)];
        for (int x = 0; x < edge; ++x) {
            std::uint32_t argb = ColourOf(art, line[static_cast<std::size_t>(x / scale)]);
            std::uint8_t* px = row + static_cast<std::size_t>(x) * 4;
            px[0] = static_cast<std::uint8_t>(argb);
            px[1] = static_cast<std::uint8_t>(argb >> 8);
            px[2] = static_cast<std::uint8_t>(argb >> 16);
            px[3] = static_cast<std::uint8_t>(argb >> 24);
        }
    }
    return icon;
}

} // namespace vistrel::icon_art
