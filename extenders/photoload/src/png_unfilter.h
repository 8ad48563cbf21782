// SPDX-License-Identifier: GPL-3.0-or-later
// Undoing the row filters of PNG image data: the five filters of the PNG
// format (none, sub, up, average, Paeth), each byte predicted from its left,
// upper and upper-left neighbours.
#pragma once

#include <cstddef>
#include <cstdint>

namespace vistrel::photoload {

// Undoes `filter` (0 to 4) on `row` in place: `bytes` filtered bytes whose
// pixels are `pixelBytes` wide (1 to 4), given the row above unfiltered
// (zeros above the first row). False for a filter type that does not exist.
bool UnfilterPngRow(std::uint8_t filter, std::uint8_t* row, const std::uint8_t* above, std::size_t bytes,
                    unsigned pixelBytes);

} // namespace vistrel::photoload
