// SPDX-License-Identifier: GPL-3.0-or-later
// Read with libexif, which knows the byte orders and the IFD structure and
// checks every offset against the block.
#include "exif_orientation.h"

#include <libexif/exif-data.h>

#include <cstring>
#include <vector>

namespace vistrel::photoload {

int ExifOrientation(const std::uint8_t* data, std::size_t size)
{
    static constexpr std::uint8_t kHeader[] = {'E', 'x', 'i', 'f', 0, 0};
    if (!data || size < 8 || size > 0xFFFFFF)
        return 1;
    std::vector<std::uint8_t> block;
    if (std::memcmp(data, kHeader, sizeof kHeader) != 0) {
        // libexif looks for the JPEG form; give the bare structure its header.
        block.assign(kHeader, kHeader + sizeof kHeader);
        block.insert(block.end(), data, data + size);
        data = block.data();
        size = block.size();
    }
    ExifData* exif = exif_data_new();
    if (!exif)
        return 1;
    // Read what is there; do not let the library "repair" the block.
    exif_data_unset_option(exif, EXIF_DATA_OPTION_FOLLOW_SPECIFICATION);
    exif_data_load_data(exif, data, static_cast<unsigned>(size));
    int orientation = 1;
    if (ExifEntry* entry = exif_data_get_entry(exif, EXIF_TAG_ORIENTATION);
        entry && entry->format == EXIF_FORMAT_SHORT && entry->components >= 1 && entry->data && entry->size >= 2) {
        const int value = exif_get_short(entry->data, exif_data_get_byte_order(exif));
        if (value >= 1 && value <= 8)
            orientation = value;
    }
    exif_data_unref(exif);
    return orientation;
}

} // namespace vistrel::photoload
