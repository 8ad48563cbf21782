// SPDX-License-Identifier: GPL-3.0-or-later
// Written here rather than taken from a library because neither libspng nor
// zlib offers it on its own: libspng undoes the filters only inside its own
// decode, on the thread that inflates, and the fast path (png_rows.cpp) does
// it on the other core. The arithmetic is the format's own, byte for byte,
// so every decoder gets the same rows.
#include "png_unfilter.h"

#include <cstdlib>

namespace vistrel::photoload {
namespace {

// The Paeth predictor: of left, up and upper-left, the one nearest to
// left + up - upper-left, ties going to left, then up.
inline std::uint8_t Paeth(int a, int b, int c)
{
    const int pa = std::abs(b - c), pb = std::abs(a - c), pc = std::abs(a + b - 2 * c);
    return static_cast<std::uint8_t>(pa <= pb && pa <= pc ? a : pb <= pc ? b : c);
}

// One filter for a known pixel width, so that the loops are unrolled and
// each byte's left neighbour is `Bpp` back.
template <unsigned Bpp>
void Unfilter(std::uint8_t filter, std::uint8_t* row, const std::uint8_t* above, std::size_t bytes)
{
    const std::size_t first = bytes < Bpp ? bytes : Bpp;
    switch (filter) {
    case 1:
        for (std::size_t i = Bpp; i < bytes; ++i)
            row[i] = static_cast<std::uint8_t>(row[i] + row[i - Bpp]);
        break;
    case 2:
        for (std::size_t i = 0; i < bytes; ++i)
            row[i] = static_cast<std::uint8_t>(row[i] + above[i]);
        break;
    case 3:
        for (std::size_t i = 0; i < first; ++i)
            row[i] = static_cast<std::uint8_t>(row[i] + (above[i] >> 1));
        for (std::size_t i = Bpp; i < bytes; ++i)
            row[i] = static_cast<std::uint8_t>(row[i] + ((row[i - Bpp] + above[i]) >> 1));
        break;
    case 4:
        // Left and upper-left are zero for the first pixel: its prediction is up.
        for (std::size_t i = 0; i < first; ++i)
            row[i] = static_cast<std::uint8_t>(row[i] + above[i]);
        for (std::size_t i = Bpp; i < bytes; ++i)
            row[i] = static_cast<std::uint8_t>(row[i] + Paeth(row[i - Bpp], above[i], above[i - Bpp]));
        break;
    default: break;
    }
}

} // namespace

bool UnfilterPngRow(std::uint8_t filter, std::uint8_t* row, const std::uint8_t* above, std::size_t bytes,
                    unsigned pixelBytes)
{
    if (filter > 4)
        return false;
    switch (pixelBytes) {
    case 1: Unfilter<1>(filter, row, above, bytes); break;
    case 2: Unfilter<2>(filter, row, above, bytes); break;
    case 3: Unfilter<3>(filter, row, above, bytes); break;
    case 4: Unfilter<4>(filter, row, above, bytes); break;
    default: return false;
    }
    return true;
}

} // namespace vistrel::photoload
