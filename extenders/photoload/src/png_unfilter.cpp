// SPDX-License-Identifier: GPL-3.0-or-later
// Written here rather than taken from a library because neither libspng nor
// zlib offers it on its own: libspng undoes the filters only inside its own
// decode, on the thread that inflates, and the fast path (png_rows.cpp) does
// it on the other core. The arithmetic is the format's own, byte for byte,
// so every decoder gets the same rows.
#include "png_unfilter.h"

#include <cstdlib>
#include <cstring>

#if defined(__SSE2__)
#include <emmintrin.h>
#endif

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

#if defined(__SSE2__)
// Average and Paeth for pixels of three or four bytes, a pixel at a time
// with its samples side by side in 16-bit lanes (as libpng does with SSE2):
// each pixel needs the one before it, so the samples of one pixel are what
// can go in parallel. Four times as fast as byte by byte, which made these
// two filters the larger part of the second thread's work.
// A pixel's samples in 16-bit lanes. Four bytes are loaded at once where the
// row has them (a pixel of three takes its neighbour's first byte along,
// cleared by the mask); a byte-wise load would stall on the stack.
template <unsigned Bpp> __m128i LoadPixel(const std::uint8_t* p, bool fourBytesThere)
{
    std::uint32_t v = 0;
    if (Bpp == 4 || fourBytesThere)
        std::memcpy(&v, p, 4);
    else
        std::memcpy(&v, p, Bpp);
    if (Bpp == 3)
        v &= 0xFFFFFFu;
    return _mm_unpacklo_epi8(_mm_cvtsi32_si128(static_cast<int>(v)), _mm_setzero_si128());
}

template <unsigned Bpp> void StorePixel(std::uint8_t* p, __m128i v)
{
    const auto packed = static_cast<std::uint32_t>(_mm_cvtsi128_si32(_mm_packus_epi16(v, v)));
    std::memcpy(p, &packed, Bpp);
}

template <unsigned Bpp> void AverageSimd(std::uint8_t* row, const std::uint8_t* above, std::size_t bytes)
{
    const __m128i lowByte = _mm_set1_epi16(0xFF);
    __m128i a = _mm_setzero_si128();
    for (std::size_t i = 0; i + Bpp <= bytes; i += Bpp) {
        const bool four = i + 4 <= bytes;
        const __m128i b = LoadPixel<Bpp>(above + i, four), x = LoadPixel<Bpp>(row + i, four);
        a = _mm_and_si128(_mm_add_epi16(x, _mm_srli_epi16(_mm_add_epi16(a, b), 1)), lowByte);
        StorePixel<Bpp>(row + i, a);
    }
}

template <unsigned Bpp> void PaethSimd(std::uint8_t* row, const std::uint8_t* above, std::size_t bytes)
{
    const __m128i zero = _mm_setzero_si128(), lowByte = _mm_set1_epi16(0xFF);
    auto abs16 = [&](__m128i v) { return _mm_max_epi16(v, _mm_sub_epi16(zero, v)); };
    auto choose = [](__m128i mask, __m128i yes, __m128i no) {
        return _mm_or_si128(_mm_and_si128(mask, yes), _mm_andnot_si128(mask, no));
    };
    __m128i a = zero, c = zero;
    for (std::size_t i = 0; i + Bpp <= bytes; i += Bpp) {
        const bool four = i + 4 <= bytes;
        const __m128i b = LoadPixel<Bpp>(above + i, four), x = LoadPixel<Bpp>(row + i, four);
        const __m128i pa = abs16(_mm_sub_epi16(b, c)), pb = abs16(_mm_sub_epi16(a, c));
        const __m128i pc = abs16(_mm_sub_epi16(_mm_add_epi16(a, b), _mm_add_epi16(c, c)));
        const __m128i smallest = _mm_min_epi16(pc, _mm_min_epi16(pa, pb));
        // Left when it is nearest, else up when it is, else upper-left.
        const __m128i nearest = choose(_mm_cmpeq_epi16(smallest, pa), a, choose(_mm_cmpeq_epi16(smallest, pb), b, c));
        a = _mm_and_si128(_mm_add_epi16(x, nearest), lowByte);
        StorePixel<Bpp>(row + i, a);
        c = b;
    }
}
#endif

} // namespace

bool UnfilterPngRow(std::uint8_t filter, std::uint8_t* row, const std::uint8_t* above, std::size_t bytes,
                    unsigned pixelBytes)
{
    if (filter > 4)
        return false;
#if defined(__SSE2__)
    // A row of whole pixels of three or four bytes (the PNG's rows always are).
    if ((pixelBytes == 3 || pixelBytes == 4) && (filter == 3 || filter == 4) && bytes % pixelBytes == 0) {
        if (pixelBytes == 3)
            filter == 3 ? AverageSimd<3>(row, above, bytes) : PaethSimd<3>(row, above, bytes);
        else
            filter == 3 ? AverageSimd<4>(row, above, bytes) : PaethSimd<4>(row, above, bytes);
        return true;
    }
#endif
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
