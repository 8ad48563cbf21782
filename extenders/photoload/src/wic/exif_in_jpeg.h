// SPDX-License-Identifier: GPL-3.0-or-later
// The EXIF orientation of a JPEG file, read from its APP1 block directly:
// for imaging components that do not show a JPEG file's EXIF block through
// the frame's metadata (Wine's, for one). Every offset is checked against
// the file; anything odd means "as stored" (1).
#pragma once

#include <cstddef>
#include <cstdint>

namespace vistrel::photoload {

int JpegExifOrientation(const std::uint8_t* data, std::size_t size);

} // namespace vistrel::photoload
