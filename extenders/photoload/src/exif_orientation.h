// SPDX-License-Identifier: GPL-3.0-or-later
// The orientation tag of an EXIF block: how the stored pixels are turned
// for showing (1 as stored ... 8, the EXIF values).
#pragma once

#include <cstddef>
#include <cstdint>

namespace vistrel::photoload {

// `data` is an EXIF block as JPEG files keep it ("Exif\0\0" and a TIFF
// structure) or as PNG and WebP files keep it (the TIFF structure alone).
// 1 when the block is missing, damaged or has no orientation.
int ExifOrientation(const std::uint8_t* data, std::size_t size);

} // namespace vistrel::photoload
