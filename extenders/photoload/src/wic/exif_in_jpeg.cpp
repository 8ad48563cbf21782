// SPDX-License-Identifier: GPL-3.0-or-later
#include "exif_in_jpeg.h"

#include <cstring>

namespace vistrel::photoload {
namespace {

// Orientation (tag 274, one SHORT) in IFD0 of a TIFF structure.
int TiffOrientation(const std::uint8_t* tiff, std::size_t size)
{
    if (size < 8)
        return 1;
    const bool little = tiff[0] == 'I' && tiff[1] == 'I';
    if (!little && !(tiff[0] == 'M' && tiff[1] == 'M'))
        return 1;
    auto u16 = [&](std::size_t at) {
        return little ? unsigned(tiff[at] | tiff[at + 1] << 8) : unsigned(tiff[at] << 8 | tiff[at + 1]);
    };
    auto u32 = [&](std::size_t at) {
        return little ? (std::size_t{u16(at + 2)} << 16 | u16(at)) : (std::size_t{u16(at)} << 16 | u16(at + 2));
    };
    const std::size_t ifd = u32(4);
    if (ifd > size - 2)
        return 1;
    const unsigned entries = u16(ifd);
    for (unsigned e = 0; e < entries; ++e) {
        const std::size_t entry = ifd + 2 + std::size_t{12} * e;
        if (entry > size - 12)
            return 1;
        if (u16(entry) == 274 && u16(entry + 2) == 3 && u32(entry + 4) >= 1) {
            const unsigned value = u16(entry + 8);
            return value >= 1 && value <= 8 ? static_cast<int>(value) : 1;
        }
    }
    return 1;
}

} // namespace

int JpegExifOrientation(const std::uint8_t* data, std::size_t size)
{
    if (size < 4 || data[0] != 0xFF || data[1] != 0xD8)
        return 1;
    std::size_t at = 2;
    // Marker segments up to the start of the picture data.
    while (at + 4 <= size && data[at] == 0xFF) {
        const std::uint8_t marker = data[at + 1];
        if (marker == 0xDA || marker == 0xD9)
            break;
        const std::size_t length = std::size_t{data[at + 2]} << 8 | data[at + 3];
        if (length < 2 || length > size - at - 2)
            break;
        if (marker == 0xE1 && length >= 8 && std::memcmp(data + at + 4, "Exif\0\0", 6) == 0)
            return TiffOrientation(data + at + 10, length - 8);
        at += 2 + length;
    }
    return 1;
}

} // namespace vistrel::photoload
