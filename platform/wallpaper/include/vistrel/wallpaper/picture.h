// SPDX-License-Identifier: GPL-3.0-or-later
// The wallpaper picture as pixels: the viewer writes it as a Windows bitmap
// file, the bare-X11 backend draws it itself.
#pragma once

#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <vector>

namespace vistrel::wallpaper {

// Pixels in the bitmap file's own order: rows bottom-up, 3 bytes a pixel
// (blue, green, red), each row padded to a multiple of 4 bytes.
struct PictureView {
    int width = 0;
    int height = 0;
    const std::uint8_t* rows = nullptr;
    std::size_t size = 0; // bytes at `rows`; at least RowStride(width) * height

    static std::size_t RowStride(int width);
    // The pixel at (x, y) counted from the top-left corner, as 0x00RRGGBB.
    // The caller keeps x and y inside the picture.
    std::uint32_t Pixel(int x, int y) const;
};

struct Picture {
    int width = 0;
    int height = 0;
    std::vector<std::uint8_t> rows; // as in PictureView

    PictureView View() const;
};

// The largest picture accepted, per side (X pixmaps are limited to 32767)
// and in total pixels.
inline constexpr int kMaxPictureSide = 32767;
inline constexpr std::int64_t kMaxPicturePixels = std::int64_t{1} << 28;

// Reads an uncompressed ("BI_RGB") Windows bitmap file of 24 bits per pixel,
// or of 1, 4 or 8 bits with a colour table, bottom-up or top-down, into 24-bit
// rows. Anything else (run-length coded, bit fields, cut short, too large) is
// refused with a clear `error`.
std::optional<Picture> ReadBitmapFile(const std::string& path, std::string& error);

// The same for bytes already in memory.
std::optional<Picture> ParseBitmap(const std::uint8_t* data, std::size_t size, std::string& error);

// Checks that a view is consistent (sizes positive and within the limits,
// enough bytes); false with `error` otherwise.
bool CheckPicture(const PictureView& picture, std::string& error);

} // namespace vistrel::wallpaper
