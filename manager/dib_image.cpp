#include "dib_image.h"

#include "vistrel/dib/dib.h"

#include <cstring>

namespace vistrel::manager {

namespace {

// The most pixels drawn from one image (about 16,000 x 8,000). A run-
// length coded file of a few bytes can claim any size; nothing is allocated
// past this for what it merely claims.
constexpr std::uint64_t kMostPixels = std::uint64_t{1} << 27;

// The colour table as QImage's.
QList<QRgb> ColourTable(const std::uint8_t* table, std::uint32_t entries)
{
    QList<QRgb> colours;
    colours.reserve(256);
    for (std::uint32_t i = 0; i < entries && i < 256; ++i)
        colours.push_back(qRgb(table[4 * i + 2], table[4 * i + 1], table[4 * i]));
    // Indices past a short table show as black rather than being undefined.
    while (colours.size() < 256)
        colours.push_back(qRgb(0, 0, 0));
    return colours;
}

// Run-length coded pixels into an 8-bit image (rows bottom up, as stored).
void DecodeRunLength(const std::uint8_t* data, std::size_t size, bool fourBit, QImage& image)
{
    const int width = image.width(), height = image.height();
    int x = 0, y = 0; // y counts from the bottom row
    auto put = [&](std::uint8_t index) {
        if (x < width && y < height)
            image.scanLine(height - 1 - y)[x] = index;
        ++x;
    };
    std::size_t at = 0;
    while (at + 1 < size && y < height) {
        const std::uint8_t count = data[at], value = data[at + 1];
        at += 2;
        if (count > 0) {
            for (int i = 0; i < count; ++i)
                put(fourBit ? static_cast<std::uint8_t>(i % 2 == 0 ? value >> 4 : value & 0x0F) : value);
            continue;
        }
        if (value == 0) { // end of line
            x = 0;
            ++y;
        } else if (value == 1) { // end of bitmap
            return;
        } else if (value == 2) { // move right and up
            if (at + 1 >= size)
                return;
            x += data[at];
            y += data[at + 1];
            at += 2;
        } else { // `value` pixels as they are, padded to a 16-bit boundary
            const std::size_t bytes = fourBit ? (value + 1u) / 2u : value;
            if (at + bytes > size)
                return;
            for (int i = 0; i < value; ++i)
                put(fourBit ? static_cast<std::uint8_t>(i % 2 == 0 ? data[at + i / 2] >> 4 : data[at + i / 2] & 0x0F)
                            : data[at + i]);
            at += (bytes + 1) & ~std::size_t{1};
        }
    }
}

} // namespace

QImage ImageFromDib(gmem::Handle handle)
{
    dib::LockedBlock block(handle);
    dib::Layout layout;
    if (!block || !dib::DescribeDIB(block.bytes(), block.size(), layout))
        return {};
    const dib::InfoHeader& h = layout.header;
    if (std::uint64_t{layout.width} * layout.height > kMostPixels)
        return {};
    const int width = static_cast<int>(layout.width), height = static_cast<int>(layout.height);
    const std::uint8_t* table = block.bytes() + dib::kInfoHeaderSize;
    const std::uint8_t* bits = block.bytes() + layout.bitsOffset;
    const std::size_t bitsSize = block.size() - layout.bitsOffset;

    if (h.biCompression == dib::kRle8 || h.biCompression == dib::kRle4) {
        if (h.biBitCount != (h.biCompression == dib::kRle8 ? 8 : 4))
            return {};
        QImage image(width, height, QImage::Format_Indexed8);
        if (image.isNull())
            return {};
        image.setColorTable(ColourTable(table, layout.numColors));
        image.fill(0);
        DecodeRunLength(bits, bitsSize, h.biCompression == dib::kRle4, image);
        return image;
    }
    if (h.biCompression != dib::kRgb)
        return {};

    // Uncompressed: DescribeDIB made sure the block holds every row.
    auto row = [&](int y) { return bits + layout.stride * static_cast<std::size_t>(height - 1 - y); };
    switch (h.biBitCount) {
    case 1:
    case 4:
    case 8: {
        QImage image(width, height, QImage::Format_Indexed8);
        if (image.isNull())
            return {};
        image.setColorTable(ColourTable(table, layout.numColors));
        const int bitsPerPixel = h.biBitCount, perByte = 8 / bitsPerPixel, mask = (1 << bitsPerPixel) - 1;
        for (int y = 0; y < height; ++y) {
            const std::uint8_t* in = row(y);
            std::uint8_t* out = image.scanLine(y);
            if (bitsPerPixel == 8) {
                std::memcpy(out, in, static_cast<std::size_t>(width));
                continue;
            }
            for (int x = 0; x < width; ++x) {
                const int shift = 8 - bitsPerPixel * (x % perByte + 1);
                out[x] = static_cast<std::uint8_t>((in[x / perByte] >> shift) & mask);
            }
        }
        return image;
    }
    case 24:
    case 32: {
        QImage image(width, height, QImage::Format_RGB32);
        if (image.isNull())
            return {};
        const int step = h.biBitCount / 8;
        for (int y = 0; y < height; ++y) {
            const std::uint8_t* in = row(y);
            auto* out = reinterpret_cast<QRgb*>(image.scanLine(y));
            for (int x = 0; x < width; ++x, in += step)
                out[x] = qRgb(in[2], in[1], in[0]);
        }
        return image;
    }
    default: return {};
    }
}

} // namespace vistrel::manager
