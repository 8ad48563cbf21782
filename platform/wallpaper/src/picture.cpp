// SPDX-License-Identifier: GPL-3.0-or-later
// A small, strict reader for the uncompressed bitmap files the viewer writes.
// Every offset is checked against the data before it is read.
#include "vistrel/wallpaper/picture.h"

#include "vistrel/platform/files.h"

#include <array>
#include <cstring>

namespace vistrel::wallpaper {

namespace {

std::uint32_t U32(const std::uint8_t* p)
{
    return static_cast<std::uint32_t>(p[0]) | static_cast<std::uint32_t>(p[1]) << 8 |
           static_cast<std::uint32_t>(p[2]) << 16 | static_cast<std::uint32_t>(p[3]) << 24;
}

std::uint16_t U16(const std::uint8_t* p)
{
    return static_cast<std::uint16_t>(p[0] | p[1] << 8);
}

std::int32_t I32(const std::uint8_t* p)
{
    std::uint32_t u = U32(p);
    std::int32_t value;
    std::memcpy(&value, &u, sizeof value);
    return value;
}

constexpr std::size_t kFileHeader = 14;
constexpr std::uint32_t kInfoHeader = 40;

} // namespace

std::size_t PictureView::RowStride(int width)
{
    return (static_cast<std::size_t>(width) * 3 + 3) / 4 * 4;
}

std::uint32_t PictureView::Pixel(int x, int y) const
{
    const std::uint8_t* p =
        rows + static_cast<std::size_t>(height - 1 - y) * RowStride(width) + static_cast<std::size_t>(x) * 3;
    return static_cast<std::uint32_t>(p[2]) << 16 | static_cast<std::uint32_t>(p[1]) << 8 | p[0];
}

PictureView Picture::View() const
{
    return PictureView{width, height, rows.data(), rows.size()};
}

bool CheckPicture(const PictureView& picture, std::string& error)
{
    if (picture.width < 1 || picture.height < 1 || picture.width > kMaxPictureSide ||
        picture.height > kMaxPictureSide ||
        std::int64_t{picture.width} * picture.height > kMaxPicturePixels) {
        error = "The picture's size " + std::to_string(picture.width) + " x " +
                std::to_string(picture.height) + " is outside 1 to " + std::to_string(kMaxPictureSide) +
                " pixels a side";
        return false;
    }
    if (!picture.rows ||
        picture.size / PictureView::RowStride(picture.width) < static_cast<std::size_t>(picture.height)) {
        error = "The picture's pixel buffer is smaller than its size needs";
        return false;
    }
    return true;
}

std::optional<Picture> ParseBitmap(const std::uint8_t* data, std::size_t size, std::string& error)
{
    if (size < kFileHeader + kInfoHeader || data[0] != 'B' || data[1] != 'M') {
        error = "Not a Windows bitmap file";
        return std::nullopt;
    }
    const std::uint8_t* info = data + kFileHeader;
    std::uint32_t headerSize = U32(info);
    if (headerSize < kInfoHeader || headerSize > size - kFileHeader) {
        error = "Unsupported bitmap header (size " + std::to_string(headerSize) + ")";
        return std::nullopt;
    }
    std::int32_t width = I32(info + 4);
    std::int32_t rawHeight = I32(info + 8);
    std::uint16_t bits = U16(info + 14);
    std::uint32_t compression = U32(info + 16);
    std::uint32_t colorsUsed = U32(info + 32);
    if (compression != 0) {
        error = "Compressed bitmaps (compression " + std::to_string(compression) + ") are not supported";
        return std::nullopt;
    }
    if (bits != 1 && bits != 4 && bits != 8 && bits != 24) {
        error = "Bitmaps of " + std::to_string(bits) + " bits per pixel are not supported";
        return std::nullopt;
    }
    bool topDown = rawHeight < 0;
    std::int64_t height = topDown ? -std::int64_t{rawHeight} : rawHeight;
    if (width < 1 || height < 1 || width > kMaxPictureSide || height > kMaxPictureSide ||
        std::int64_t{width} * height > kMaxPicturePixels) {
        error = "Bitmap size " + std::to_string(width) + " x " + std::to_string(height) + " is not supported";
        return std::nullopt;
    }

    std::array<std::uint32_t, 256> palette{}; // indices past the table are black
    if (bits <= 8) {
        std::uint32_t maxColors = 1u << bits;
        std::uint32_t count = colorsUsed == 0 ? maxColors : colorsUsed;
        if (count > maxColors) {
            error = "The bitmap's colour table is too large";
            return std::nullopt;
        }
        std::size_t tableStart = kFileHeader + headerSize;
        if (size - tableStart < std::size_t{count} * 4) {
            error = "The bitmap's colour table is cut short";
            return std::nullopt;
        }
        for (std::uint32_t i = 0; i < count; ++i) {
            const std::uint8_t* entry = data + tableStart + std::size_t{i} * 4;
            palette[i] = static_cast<std::uint32_t>(entry[2]) << 16 |
                         static_cast<std::uint32_t>(entry[1]) << 8 | entry[0];
        }
    }

    const auto w = static_cast<std::size_t>(width);
    const auto h = static_cast<std::size_t>(height);
    std::size_t sourceStride = (w * bits + 31) / 32 * 4;
    std::size_t sourceRowBytes = (w * bits + 7) / 8;
    std::size_t offset = U32(data + 10);
    // The last row may lack its padding: some writers leave it out.
    if (offset > size || size - offset < sourceRowBytes ||
        (size - offset - sourceRowBytes) / sourceStride < h - 1) {
        error = "The bitmap's pixels are cut short";
        return std::nullopt;
    }

    Picture picture;
    picture.width = width;
    picture.height = static_cast<int>(height);
    std::size_t stride = PictureView::RowStride(width);
    picture.rows.assign(stride * h, 0);
    for (std::size_t row = 0; row < h; ++row) {
        // Our rows are bottom-up like the file's usual order.
        std::size_t sourceRow = topDown ? h - 1 - row : row;
        const std::uint8_t* source = data + offset + sourceRow * sourceStride;
        std::uint8_t* target = picture.rows.data() + row * stride;
        if (bits == 24) {
            std::memcpy(target, source, w * 3);
            continue;
        }
        for (std::size_t x = 0; x < w; ++x) {
            std::size_t bit = x * bits;
            unsigned byte = source[bit / 8];
            unsigned index = (byte >> (8 - bits - bit % 8)) & ((1u << bits) - 1);
            std::uint32_t color = palette[index];
            target[x * 3] = static_cast<std::uint8_t>(color);
            target[x * 3 + 1] = static_cast<std::uint8_t>(color >> 8);
            target[x * 3 + 2] = static_cast<std::uint8_t>(color >> 16);
        }
    }
    return picture;
}

std::optional<Picture> ReadBitmapFile(const std::string& path, std::string& error)
{
    std::string readError;
    // 32767 x 32767 at 24 bits stays well under this limit.
    std::optional<std::string> bytes = platform::ReadWholeFile(path, readError, std::uint64_t{4} << 30);
    if (!bytes) {
        error = "Could not read the wallpaper file \"" + path + "\": " + readError;
        return std::nullopt;
    }
    std::optional<Picture> picture =
        ParseBitmap(reinterpret_cast<const std::uint8_t*>(bytes->data()), bytes->size(), error);
    if (!picture)
        error = "\"" + path + "\": " + error;
    return picture;
}

} // namespace vistrel::wallpaper
