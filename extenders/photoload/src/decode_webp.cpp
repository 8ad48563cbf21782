// SPDX-License-Identifier: GPL-3.0-or-later
// WebP with libwebp, its container read by libwebp's demuxer: the first frame
// of an animation, the ICC and EXIF chunks of an extended file. A still
// picture is scaled by the decoder itself to the least size the viewer needs
// (libwebp resamples as it decodes, averaging areas as it shrinks).
#include <webp/decode.h>
#include <webp/demux.h>

#include <cstring>
#include <memory>
#include <string>
#include <vector>

#include "decoders.h"
#include "exif_orientation.h"

namespace vistrel::photoload {
namespace {

struct Demuxer {
    WebPDemuxer* demux;
    ~Demuxer() { WebPDemuxDelete(demux); }
};

std::vector<std::uint8_t> Chunk(WebPDemuxer* demux, const char* fourcc)
{
    std::vector<std::uint8_t> bytes;
    WebPChunkIterator chunk;
    if (WebPDemuxGetChunk(demux, fourcc, 1, &chunk)) {
        bytes.assign(chunk.chunk.bytes, chunk.chunk.bytes + chunk.chunk.size);
        WebPDemuxReleaseChunkIterator(&chunk);
    }
    return bytes;
}

const char* StatusText(VP8StatusCode status)
{
    switch (status) {
    case VP8_STATUS_OUT_OF_MEMORY: return "no memory for the decoder";
    case VP8_STATUS_INVALID_PARAM: return "the decoder refused its settings";
    case VP8_STATUS_BITSTREAM_ERROR: return "the picture data is damaged";
    case VP8_STATUS_UNSUPPORTED_FEATURE: return "the file uses a feature the decoder does not know";
    case VP8_STATUS_NOT_ENOUGH_DATA: return "the file ends before the picture does";
    default: return "the picture cannot be decoded";
    }
}

} // namespace

bool DecodeWebp(const FileBytes& file, PictureSink& canvas)
{
    const WebPData data{file.data, file.size};
    Demuxer d{WebPDemux(&data)};
    if (!d.demux)
        return canvas.Fail("WebP: the file is damaged or ends early");
    const std::uint32_t width = WebPDemuxGetI(d.demux, WEBP_FF_CANVAS_WIDTH);
    const std::uint32_t height = WebPDemuxGetI(d.demux, WEBP_FF_CANVAS_HEIGHT);
    const std::uint32_t flags = WebPDemuxGetI(d.demux, WEBP_FF_FORMAT_FLAGS);
    int orientation = 1;
    if (flags & EXIF_FLAG) {
        const std::vector<std::uint8_t> exif = Chunk(d.demux, "EXIF");
        orientation = ExifOrientation(exif.data(), exif.size());
    }
    if (!canvas.Announce(width, height, orientation))
        return false;
    const bool profiled = (flags & ICCP_FLAG) != 0;
    if (profiled)
        canvas.SetProfile(Chunk(d.demux, "ICCP"));

    WebPIterator frame;
    if (!WebPDemuxGetFrame(d.demux, 1, &frame))
        return canvas.Fail("WebP: the file holds no picture");
    struct Release {
        WebPIterator* it;
        ~Release() { WebPDemuxReleaseIterator(it); }
    } release{&frame};
    // A frame may lie anywhere on an animation's canvas; the rest of the
    // canvas is transparent.
    const auto fx = static_cast<std::uint32_t>(frame.x_offset), fy = static_cast<std::uint32_t>(frame.y_offset);
    const auto fw = static_cast<std::uint32_t>(frame.width), fh = static_cast<std::uint32_t>(frame.height);
    if (fw == 0 || fh == 0 || fx > width || fy > height || fw > width - fx || fh > height - fy)
        return canvas.Fail("WebP: the first frame lies outside the picture");
    const bool whole = fx == 0 && fy == 0 && fw == width && fh == height;

    WebPDecoderConfig config;
    if (!WebPInitDecoderConfig(&config))
        return canvas.Fail("WebP: the decoder does not match its header");
    if (VP8StatusCode status = WebPGetFeatures(frame.fragment.bytes, frame.fragment.size, &config.input);
        status != VP8_STATUS_OK)
        return canvas.Fail(std::string("WebP: ") + StatusText(status));
    const bool alpha = config.input.has_alpha || !whole;
    // Premultiplied colour scales and blends correctly; a colour profile
    // needs the colour itself.
    const Layout layout = !alpha ? Layout::kBGR : profiled ? Layout::kBGRA : Layout::kBGRAPremultiplied;
    config.output.colorspace = layout == Layout::kBGR ? MODE_BGR : layout == Layout::kBGRA ? MODE_BGRA : MODE_bgrA;
    std::uint32_t outWidth = fw, outHeight = fh;
    if (whole && canvas.MayShrink()) {
        outWidth = canvas.LeastWidth();
        outHeight = canvas.LeastHeight();
        config.options.use_scaling = 1;
        config.options.scaled_width = static_cast<int>(outWidth);
        config.options.scaled_height = static_cast<int>(outHeight);
    }
    const std::size_t pixelBytes = static_cast<std::size_t>(BytesPerPixel(layout));
    const std::size_t stride = pixelBytes * outWidth;
    // The picture decoded whole, then handed on.
    if (!canvas.Afford(std::uint64_t{stride} * outHeight, whole ? outWidth : width, whole ? outHeight : height,
                       PictureSink::Order::kAny))
        return false;
    std::unique_ptr<std::uint8_t[]> pixels(new (std::nothrow) std::uint8_t[stride * outHeight]);
    if (!pixels)
        return canvas.Fail("WebP: no memory for the picture");
    config.output.is_external_memory = 1;
    config.output.u.RGBA.rgba = pixels.get();
    config.output.u.RGBA.stride = static_cast<int>(stride);
    config.output.u.RGBA.size = stride * outHeight;
    const VP8StatusCode status = WebPDecode(frame.fragment.bytes, frame.fragment.size, &config);
    WebPFreeDecBuffer(&config.output);
    if (status != VP8_STATUS_OK)
        return canvas.Fail(std::string("WebP: ") + StatusText(status));

    const std::uint32_t canvasWidth = whole ? outWidth : width, canvasHeight = whole ? outHeight : height;
    if (!canvas.Begin(canvasWidth, canvasHeight, layout))
        return false;
    for (std::uint32_t y = 0; y < canvasHeight; ++y) {
        std::uint8_t* row = canvas.Row(y);
        if (whole) {
            std::memcpy(row, pixels.get() + stride * y, stride);
        } else {
            std::memset(row, 0, pixelBytes * canvasWidth);
            if (y >= fy && y < fy + fh)
                std::memcpy(row + pixelBytes * fx, pixels.get() + stride * (y - fy), stride);
        }
        canvas.Commit(y);
    }
    return true;
}

} // namespace vistrel::photoload
