// SPDX-License-Identifier: GPL-3.0-or-later
// Decoding every pixel form a reader hands over into 24-bit rows. The run-
// length codes follow the Windows bitmap rules: pairs of (count, index),
// escapes 0 (end of line), 1 (end of picture), 2 (delta right and up) and
// 3 to 255 (that many literal indices, padded to a 16-bit boundary); rows
// go bottom-up. Nothing in the data is trusted: every read is checked
// against the data's end, every write against the picture.
#include "vistrel/dib/expand.h"

#include "last_error.h"
#include "vistrel/dib/dib.h"

#include <cstring>

namespace vistrel::dib {

namespace {

class Canvas {
public:
    Canvas(std::uint8_t* rows, std::uint32_t width, std::uint32_t height, const std::uint8_t (*lut)[3])
        : rows_(rows), width_(width), height_(height), stride_(static_cast<std::size_t>(DIBWidthBytes(24, width))),
          lut_(lut)
    {
    }

    // Paints the pixel at (x, y), counted from the bottom-left, when it lies
    // inside the picture.
    void Put(std::uint64_t x, std::uint64_t y, unsigned index) const
    {
        if (x >= width_ || y >= height_)
            return;
        std::memcpy(rows_ + static_cast<std::size_t>(y) * stride_ + 3 * static_cast<std::size_t>(x), lut_[index], 3);
    }
    std::uint32_t Height() const { return height_; }

private:
    std::uint8_t* rows_;
    std::uint32_t width_, height_;
    std::size_t stride_;
    const std::uint8_t (*lut_)[3];
};

// Index `i` of a run of 4-bit pixels whose two colours are in `pair`: the
// high nibble first.
unsigned Nibble(std::uint8_t pair, std::uint64_t i) { return i % 2 == 0 ? pair >> 4 : pair & 0x0F; }

void DecodeRunLength(const std::uint8_t* data, std::size_t size, bool fourBits, const Canvas& canvas)
{
    std::size_t at = 0;
    std::uint64_t x = 0, y = 0;
    while (size - at >= 2 && y < canvas.Height()) {
        const std::uint8_t count = data[at], value = data[at + 1];
        at += 2;
        if (count > 0) {
            for (std::uint64_t i = 0; i < count; ++i, ++x)
                canvas.Put(x, y, fourBits ? Nibble(value, i) : value);
            continue;
        }
        if (value == 0) { // end of line
            x = 0;
            ++y;
        } else if (value == 1) { // end of picture
            return;
        } else if (value == 2) { // delta
            if (size - at < 2)
                return;
            x += data[at];
            y += data[at + 1];
            at += 2;
        } else { // literal indices
            const std::size_t bytes = fourBits ? (value + 1u) / 2 : value;
            const std::size_t available = size - at < bytes ? size - at : bytes;
            for (std::uint64_t i = 0; i < value; ++i, ++x) {
                const std::size_t byte = fourBits ? static_cast<std::size_t>(i / 2) : static_cast<std::size_t>(i);
                if (byte >= available)
                    return; // the data ends inside the literal run
                canvas.Put(x, y, fourBits ? Nibble(data[at + byte], i) : data[at + byte]);
            }
            at += available + (available % 2); // padded to 16 bits
            if (at > size)
                return;
        }
    }
}

} // namespace

gmem::Handle ExpandDIBTo24(gmem::Handle dib)
{
    LockedBlock src(dib);
    Layout in;
    if (!src || !DescribeDIB(src.bytes(), src.size(), in)) {
        SetDibError("ExpandDIBTo24: No DIB");
        return nullptr;
    }
    const InfoHeader& h = in.header;
    const std::uint16_t bits = h.biBitCount;
    const bool runLength = (h.biCompression == kRle8 && bits == 8) || (h.biCompression == kRle4 && bits == 4);
    const bool plain = h.biCompression == kRgb && (bits == 1 || bits == 4 || bits == 8 || bits == 24 || bits == 32);
    if (!runLength && !plain) {
        SetDibError("ExpandDIBTo24: Unsupported pixel format");
        return nullptr;
    }
    gmem::Handle out = NewDIB(in.width, in.height, 24, 0, h.biXPelsPerMeter, h.biYPelsPerMeter);
    if (!out) {
        SetDibError("ExpandDIBTo24: Not enough memory for the DIB");
        return nullptr;
    }

    // Indices past the table come out black rather than reading what
    // follows it.
    std::uint8_t lut[256][3] = {};
    const std::uint8_t* table = src.bytes() + kInfoHeaderSize;
    for (std::uint32_t i = 0; i < 256 && i < in.numColors && bits <= 8; ++i)
        std::memcpy(lut[i], table + 4 * i, 3);

    LockedBlock dst(out);
    std::uint8_t* rows = dst.bytes() + kInfoHeaderSize;
    const std::uint8_t* pixels = src.bytes() + in.bitsOffset;
    Canvas canvas(rows, in.width, in.height, lut);
    if (runLength) {
        DecodeRunLength(pixels, src.size() - in.bitsOffset, bits == 4, canvas);
        return out;
    }
    const std::size_t stride = static_cast<std::size_t>(DIBWidthBytes(24, in.width));
    for (std::uint32_t y = 0; y < in.height; ++y) {
        const std::uint8_t* s = pixels + std::size_t{y} * in.stride;
        std::uint8_t* d = rows + std::size_t{y} * stride;
        if (bits == 24) {
            std::memcpy(d, s, 3 * std::size_t{in.width});
            continue;
        }
        for (std::uint32_t x = 0; x < in.width; ++x) {
            if (bits == 32) {
                std::memcpy(d + 3 * std::size_t{x}, s + 4 * std::size_t{x}, 3);
                continue;
            }
            const std::size_t bit = std::size_t{x} * bits;
            const unsigned index = (s[bit / 8] >> (8 - bits - bit % 8)) & ((1u << bits) - 1);
            std::memcpy(d + 3 * std::size_t{x}, lut[index], 3);
        }
    }
    return out;
}

} // namespace vistrel::dib
