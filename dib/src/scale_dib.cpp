// SPDX-License-Identifier: GPL-3.0-or-later
// ScaleDIB: the checks, the new image and the choice of mode. The modes
// themselves live in scale_nearest.cpp and scale_area.cpp.
#include <cstring>

#include "scale_internal.h"
#include "vistrel/dib/dib.h"
#include "vistrel/dib/scale.h"

namespace vistrel::dib {
namespace {

constexpr unsigned kExclamation = 0x30;

gmem::Handle Fail(const ScaleHooks& hooks, const char* message)
{
    if (hooks.message)
        hooks.message(message, kScaleCaption, kExclamation);
    return nullptr;
}

} // namespace

gmem::Handle ScaleDIB(gmem::Handle source, std::uint32_t dW, std::uint32_t dH, int mode, const ScaleHooks& hooks)
{
    LockedBlock src(source);
    if (!src || src.size() < kInfoHeaderSize)
        return Fail(hooks, "ScaleDIB: invalid source DIB");
    const InfoHeader h = LoadHeader(src.bytes());
    if (h.biSize != kInfoHeaderSize)
        return Fail(hooks, "ScaleDIB: I don't support OS/2-Bitmaps!");
    if (h.biCompression != kRgb)
        return Fail(hooks, "ScaleDIB: I don't support RLE-Bitmaps!");
    if (h.biBitCount != 24 || DIBNumColors(h) != 0)
        return Fail(hooks, "ScaleDIB: I support only 24-Bit DIBs!");
    // Width and height are counts; a negative one reads as a huge count and
    // is then refused below because no block holds that many rows.
    const auto sW = static_cast<std::uint32_t>(h.biWidth);
    const auto sH = static_cast<std::uint32_t>(h.biHeight);
    if (sW == 0 || sH == 0 || dW == 0 || dH == 0)
        return Fail(hooks, "ScaleDIB: Source-Lx or Source-Ly or Dest-Lx or Dest-Ly is Zero");
    const std::uint64_t srcStride = DIBWidthBytes(24, sW);
    if (srcStride * sH > src.size() - kInfoHeaderSize)
        return Fail(hooks, "ScaleDIB: invalid source DIB");
    if (dW > INT32_MAX || dH > INT32_MAX)
        return Fail(hooks, "ScaleDIB: Can't create (GlobalAlloc) Destination DIB");
    gmem::Handle out = NewDIB(dW, dH, 24, 0, kDefaultPelsPerMeter, kDefaultPelsPerMeter);
    if (!out)
        return Fail(hooks, "ScaleDIB: Can't create (GlobalAlloc) Destination DIB");

    LockedBlock dst(out);
    scale::Job job{src.bytes() + kInfoHeaderSize,
                   static_cast<std::size_t>(srcStride),
                   sW,
                   sH,
                   dst.bytes() + kInfoHeaderSize,
                   static_cast<std::size_t>(DIBWidthBytes(24, dW)),
                   dW,
                   dH};
    if (hooks.busy)
        hooks.busy(true);
    bool done = true;
    if (mode != kNearestPixel && sW == dW && sH == dH) {
        // Every box is one pixel and every weight 1: the average is the
        // pixel itself. A reader that scaled while decoding hands on its
        // picture at the size shown, and it is copied as it is.
        for (std::uint32_t y = 0; y < dH; ++y)
            std::memcpy(job.dst + y * job.dstStride, job.src + y * job.srcStride, std::size_t{3} * dW);
    } else {
        done = mode == kNearestPixel ? scale::Nearest(job) : scale::AreaAverage(job);
    }
    if (hooks.busy)
        hooks.busy(false);
    if (!done) // no working memory: the image stays all zero, without a message
        std::memset(job.dst, 0, job.dstStride * dH);
    return out;
}

} // namespace vistrel::dib
