// SPDX-License-Identifier: GPL-3.0-or-later
#include "preview/dib_image.h"

#include "vistrel/dib/dib.h"
#include "vistrel/dib/expand.h"

namespace vistrel::manager {

namespace {

// The most pixels drawn from one image (about 16,000 x 8,000). A run-
// length coded file of a few bytes can claim any size; nothing is allocated
// past this for what it merely claims. (The expansion's own limit, a
// gigabyte of pixels, is above it.)
constexpr std::uint64_t kMostPixels = std::uint64_t{1} << 27;

enum class Form { None, Plain24, Other };

Form Describe(gmem::Handle handle)
{
    dib::LockedBlock block(handle);
    dib::Layout layout;
    if (!block || !dib::DescribeDIB(block.bytes(), block.size(), layout))
        return Form::None;
    if (std::uint64_t{layout.width} * layout.height > kMostPixels)
        return Form::None;
    const bool plain24 = layout.header.biCompression == dib::kRgb && layout.header.biBitCount == 24;
    return plain24 ? Form::Plain24 : Form::Other;
}

// An uncompressed 24-bit DIB's pixels, which DescribeDIB found all there.
QImage ImageFrom24(gmem::Handle handle)
{
    dib::LockedBlock block(handle);
    dib::Layout layout;
    if (!block || !dib::DescribeDIB(block.bytes(), block.size(), layout))
        return {};
    const int width = static_cast<int>(layout.width), height = static_cast<int>(layout.height);
    QImage image(width, height, QImage::Format_RGB32);
    if (image.isNull())
        return {};
    const std::uint8_t* bits = block.bytes() + layout.bitsOffset;
    for (int y = 0; y < height; ++y) {
        const std::uint8_t* in = bits + layout.stride * static_cast<std::size_t>(height - 1 - y); // bottom up
        auto* out = reinterpret_cast<QRgb*>(image.scanLine(y));
        for (int x = 0; x < width; ++x, in += 3)
            out[x] = qRgb(in[2], in[1], in[0]);
    }
    return image;
}

} // namespace

gmem::Handle DibAs24(gmem::Handle handle)
{
    return Describe(handle) == Form::None ? nullptr : dib::ExpandDIBTo24(handle);
}

QImage ImageFromDib(gmem::Handle handle)
{
    switch (Describe(handle)) {
    case Form::None: return {};
    case Form::Plain24: return ImageFrom24(handle);
    case Form::Other: break;
    }
    gmem::Owner expanded(dib::ExpandDIBTo24(handle)); // null for forms it cannot decode
    return expanded ? ImageFrom24(expanded.get()) : QImage();
}

} // namespace vistrel::manager
