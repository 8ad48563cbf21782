// SPDX-License-Identifier: GPL-3.0-or-later
#include "dib_steps.h"

#include "vistrel/dib/convert.h"

#include <cstring>

namespace picshow {

using namespace vistrel::dib;

namespace {

// ScaleDIB reports through a plain function; this keeps its text as the
// composition's reason and passes it on to the caller's hook. The
// composition runs on one thread at a time, as the programs call it.
thread_local const ScaleHooks* t_outerHooks = nullptr;
thread_local std::string* t_scaleError = nullptr;

int RecordScaleMessage(const char* text, const char* caption, unsigned style)
{
    if (t_scaleError && text)
        *t_scaleError = text;
    if (t_outerHooks && t_outerHooks->message)
        return t_outerHooks->message(text, caption, style);
    return 1;
}

} // namespace

bool IsSoundDIB(gmem::Handle image, Layout* layout)
{
    LockedBlock block(image);
    Layout local;
    return block && DescribeDIB(block.bytes(), block.size(), layout ? *layout : local);
}

gmem::Handle To24(gmem::Handle image, std::string& error)
{
    gmem::Handle out;
    switch (GetDIBBitPerPixel(image)) {
    case 1: out = DIB1To24(image); break;
    case 4: out = DIB4To24(image); break;
    case 8: out = DIB8To24(image); break;
    default: return image;
    }
    if (!out)
        error = DibLastError();
    return out;
}

bool ScaleWouldCopy(gmem::Handle image, std::int64_t width, std::int64_t height)
{
    if (width < 1 || height < 1 || width > INT32_MAX || height > INT32_MAX)
        return false;
    LockedBlock block(image);
    const auto w = static_cast<std::uint32_t>(width), h = static_cast<std::uint32_t>(height);
    const std::uint64_t stride = DIBWidthBytes(24, w);
    if (!block || block.size() != kInfoHeaderSize + stride * h)
        return false;
    // The header ScaleDIB's new DIB gets.
    InfoHeader made;
    made.biWidth = static_cast<std::int32_t>(w);
    made.biHeight = static_cast<std::int32_t>(h);
    made.biBitCount = 24;
    made.biSizeImage = static_cast<std::uint32_t>(stride * h);
    made.biXPelsPerMeter = kDefaultPelsPerMeter;
    made.biYPelsPerMeter = kDefaultPelsPerMeter;
    std::uint8_t header[kInfoHeaderSize];
    StoreHeader(header, made);
    if (std::memcmp(header, block.bytes(), kInfoHeaderSize) != 0)
        return false;
    const std::uint8_t* pixels = block.bytes() + kInfoHeaderSize;
    for (std::uint32_t y = 0; y < h; ++y)
        for (std::uint64_t x = std::uint64_t{3} * w; x < stride; ++x)
            if (pixels[y * stride + x] != 0)
                return false;
    return true;
}

gmem::Handle Scale(gmem::Handle image, std::int64_t width, std::int64_t height, const ScaleHooks& hooks,
                   std::string& error)
{
    if (width < 1 || height < 1 || width > INT32_MAX || height > INT32_MAX) {
        error = "The picture would be " + std::to_string(width) + " x " + std::to_string(height) + " pixels";
        return nullptr;
    }
    ScaleHooks recording = hooks;
    recording.message = &RecordScaleMessage;
    t_outerHooks = &hooks;
    t_scaleError = &error;
    gmem::Handle out = ScaleDIB(image, static_cast<std::uint32_t>(width), static_cast<std::uint32_t>(height),
                                kAreaAveraging, recording);
    t_outerHooks = nullptr;
    t_scaleError = nullptr;
    if (!out && error.empty())
        error = "ScaleDIB failed";
    return out;
}

} // namespace picshow
