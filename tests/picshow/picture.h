// SPDX-License-Identifier: GPL-3.0-or-later
// Pictures for the viewer's tests: plain pixel grids, made into DIBs and
// bitmap files, and the expected compositions computed here, independently
// of the code under test.
#pragma once

#include "vistrel/platform/global_memory.h"

#include <cstdint>
#include <cstdlib>
#include <optional>
#include <string>
#include <vector>

namespace picshow::test {

namespace gmem = vistrel::gmem;

// Pixels from the top-left corner, row by row, as 0x00RRGGBB.
struct Picture {
    int width = 0;
    int height = 0;
    std::vector<std::uint32_t> pixels;

    Picture() = default;
    Picture(int w, int h, std::uint32_t fill = 0) : width(w), height(h), pixels(std::size_t(w) * h, fill) {}
    std::uint32_t& at(int x, int y) { return pixels[std::size_t(y) * width + x]; }
    std::uint32_t at(int x, int y) const { return pixels[std::size_t(y) * width + x]; }
    bool operator==(const Picture&) const = default;
};

// Neighbouring pixels and rows all differ; `seed` makes another picture.
std::uint32_t Pattern(int x, int y, int seed = 0);
Picture Patterned(int width, int height, int seed = 0);

// A 24-bit DIB in a movable block.
gmem::Handle MakeDIB24(const Picture& picture);
// An 8-bit DIB with a 256-entry table: index i is the colour `palette[i]`
// (missing entries black), pixels given as indices from the top-left.
gmem::Handle MakeDIB8(int width, int height, const std::vector<std::uint32_t>& palette,
                      const std::vector<std::uint8_t>& indices);
// A run-length coded 8-bit DIB of the given size (all pixels index 1).
gmem::Handle MakeRle8(int width, int height);

// The pixels of a 24-bit uncompressed DIB; nullopt for anything else or a
// block too small for its header's rows.
std::optional<Picture> ReadDIB24(gmem::Handle dib);
// The same from a bitmap file's bytes (24-bit, bottom-up, 54-byte header).
std::optional<Picture> ParseBitmap24(const std::string& file);

// Bitmap files: 24-bit, and 8-bit with a table.
std::string Bitmap24(const Picture& picture);
std::string Bitmap8(int width, int height, const std::vector<std::uint32_t>& palette,
                    const std::vector<std::uint8_t>& indices);
// A run-length coded bitmap file of 8 or 4 bits: runs of equal indices,
// each row ended by its own code.
std::string BitmapRunLength(int bits, int width, int height, const std::vector<std::uint32_t>& palette,
                            const std::vector<std::uint8_t>& indices);

// Each fx x fy block of pixels averaged per channel, rounded half up: what
// an exact integer shrink by area averaging gives.
Picture BoxShrink(const Picture& picture, int fx, int fy);

// `picture` drawn with its top-left corner at (left, top) on a canvas of
// w x h in `background`, clipped to the canvas.
Picture OnCanvas(const Picture& picture, int w, int h, int left, int top, std::uint32_t background);

// The block's bytes (a copy), for checking that nothing changed them.
std::string BlockBytes(gmem::Handle block);

} // namespace picshow::test
