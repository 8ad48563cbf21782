// SPDX-License-Identifier: GPL-3.0-or-later
// Small pictures drawn as character art: 16 rows of 16 characters, each
// character a colour of the picture's own palette. Extenders hand them out
// through their GetIcon export as 32-bit DIBs.
#pragma once

#include "vistrel/platform/global_memory.h"

#include <array>
#include <cstdint>
#include <span>
#include <string_view>

namespace vistrel::icon_art {

inline constexpr int kEdge = 16;

// One colour of a palette: the character that stands for it and its colour
// as 0xAARRGGBB (straight alpha; 0 alpha is transparent).
struct Ink {
    char key;
    std::uint32_t argb;
};

// A picture, top row first.
struct Art {
    std::array<std::string_view, kEdge> rows;
    std::span<const Ink> palette;
};

// Whether every row is 16 characters long and every character is in the
// palette. Meant for static_assert next to each picture.
constexpr bool IsWellFormed(const Art& art)
{
    for (std::string_view row : art.rows) {
        if (row.size() != static_cast<std::size_t>(kEdge))
            return false;
        for (char c : row) {
            bool known = false;
            for (const Ink& ink : art.palette)
                known = known || ink.key == c;
            if (!known)
                return false;
        }
    }
    return true;
}

// The edge of the picture handed out for a request of `size` pixels: the
// 16-pixel drawing below 24 pixels, its clean double (each pixel a 2 x 2
// block) from 24 on.
int EdgeFor(int size);

// A new movable block with the picture at EdgeFor(size) pixels: a DIB with a
// 40-byte header, 32 bits per pixel, bottom-up rows of blue, green, red and
// straight alpha. Null when memory is short.
gmem::Handle MakeIcon(const Art& art, int size);

} // namespace vistrel::icon_art
