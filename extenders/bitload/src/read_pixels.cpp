// SPDX-License-Identifier: GPL-3.0-or-later
// The pixel step: the file's pixel bytes into the DIB's pixel area, which the
// header step sized. Bytes the file does not hold stay zero.
#include <bit>
#include <new>
#include <vector>

#include "reader.h"

namespace vistrel::bitload {
namespace {

// One colour channel of a 16- or 32-bit pixel: the bits under its mask,
// scaled from their own range to 0 … 255, rounded to nearest.
class Channel {
public:
    explicit Channel(std::uint32_t mask)
        : mask_(mask), shift_(mask ? std::countr_zero(mask) : 0), max_(mask >> shift_)
    {
        if (max_ != 0 && max_ <= 0xFFFF) {
            table_.resize(std::size_t{max_} + 1);
            for (std::uint32_t v = 0; v <= max_; ++v)
                table_[v] = Scale(v);
        }
    }
    std::uint8_t operator()(std::uint32_t pixel) const
    {
        if (max_ == 0)
            return 0;
        const std::uint32_t v = (pixel & mask_) >> shift_;
        return table_.empty() ? Scale(v) : table_[v];
    }

private:
    std::uint8_t Scale(std::uint32_t v) const
    {
        return static_cast<std::uint8_t>((std::uint64_t{v} * 255 + max_ / 2) / max_);
    }
    std::uint32_t mask_;
    int shift_;
    std::uint32_t max_;
    std::vector<std::uint8_t> table_;
};

void ReadAsStored(ByteSource& file, const PixelSource& px, std::uint8_t* bits)
{
    file.Seek(px.offset);
    file.Read(bits, static_cast<std::size_t>(std::min(px.dibBytes, px.available)));
}

// Top-down rows: read in file order, then the rows swapped end for end. The
// zero rows of a short file thereby end up at the bottom, where the file's
// missing last rows belong.
void ReadTopDown(ByteSource& file, const PixelSource& px, std::uint8_t* bits)
{
    ReadAsStored(file, px, bits);
    const auto stride = static_cast<std::size_t>(px.fileStride);
    for (std::uint32_t top = 0, bottom = px.height - 1; top < bottom; ++top, --bottom)
        std::swap_ranges(bits + top * stride, bits + (top + 1) * stride, bits + std::size_t{bottom} * stride);
}

void ReadMasked(ByteSource& file, const PixelSource& px, std::uint8_t* bits)
{
    const Channel red(px.masks[0]), green(px.masks[1]), blue(px.masks[2]);
    const auto fileStride = static_cast<std::size_t>(px.fileStride);
    const auto dibStride = static_cast<std::size_t>(dib::DIBWidthBytes(24, px.width));
    std::vector<std::uint8_t> row(fileStride);
    file.Seek(px.offset);
    const bool wide = px.fileBits == 32;
    for (std::uint32_t y = 0; y < px.height; ++y) {
        const std::size_t got = file.Read(row.data(), fileStride);
        if (got == 0)
            break; // the rest stays black
        std::fill(row.begin() + static_cast<std::ptrdiff_t>(got), row.end(), std::uint8_t{0});
        const std::uint32_t target = px.bottomUp ? y : px.height - 1 - y;
        std::uint8_t* out = bits + std::size_t{target} * dibStride;
        for (std::uint32_t x = 0; x < px.width; ++x) {
            const std::uint8_t* p = row.data() + (wide ? 4 : 2) * std::size_t{x};
            const std::uint32_t v = wide ? dib::LoadU32(p) : dib::LoadU16(p);
            out[3 * x] = blue(v);
            out[3 * x + 1] = green(v);
            out[3 * x + 2] = red(v);
        }
    }
}

} // namespace

bool ReadPixels(ByteSource& file, const PixelSource& px, std::uint8_t* bits)
{
    try {
        switch (px.layout) {
        case PixelSource::Layout::AsStored:
            ReadAsStored(file, px, bits);
            break;
        case PixelSource::Layout::TopDown:
            ReadTopDown(file, px, bits);
            break;
        case PixelSource::Layout::Masked:
            ReadMasked(file, px, bits);
            break;
        }
        return true;
    } catch (const std::bad_alloc&) {
        return false;
    }
}

} // namespace vistrel::bitload
