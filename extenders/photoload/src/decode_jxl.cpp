// SPDX-License-Identifier: GPL-3.0-or-later
// JPEG XL with libjxl, on its thread pool. libjxl applies the picture's
// orientation itself, and for pictures stored in its own colour space (XYB)
// it is asked for sRGB directly; any other colour space comes with a profile
// that the canvas converts. The first frame of an animation is taken.
#include <jxl/decode.h>
#include <jxl/thread_parallel_runner.h>

#include <cstring>
#include <memory>
#include <string>
#include <vector>

#include "decoders.h"
#include "stderr_capture.h"

namespace vistrel::photoload {
namespace {

struct Decoder {
    JxlDecoder* decoder = JxlDecoderCreate(nullptr);
    void* runner = nullptr;
    ~Decoder()
    {
        JxlDecoderDestroy(decoder);
        if (runner)
            JxlThreadParallelRunnerDestroy(runner);
    }
};

JxlColorEncoding Srgb()
{
    JxlColorEncoding srgb{};
    srgb.color_space = JXL_COLOR_SPACE_RGB;
    srgb.white_point = JXL_WHITE_POINT_D65;
    srgb.primaries = JXL_PRIMARIES_SRGB;
    srgb.transfer_function = JXL_TRANSFER_FUNCTION_SRGB;
    srgb.rendering_intent = JXL_RENDERING_INTENT_PERCEPTUAL;
    return srgb;
}

bool IsSrgb(const JxlColorEncoding& e)
{
    return e.color_space == JXL_COLOR_SPACE_RGB && e.white_point == JXL_WHITE_POINT_D65 &&
           e.primaries == JXL_PRIMARIES_SRGB && e.transfer_function == JXL_TRANSFER_FUNCTION_SRGB;
}

} // namespace

namespace {

bool Decode(const FileBytes& file, PictureSink& canvas, StderrCapture& said);

} // namespace

bool DecodeJxl(const FileBytes& file, PictureSink& canvas)
{
    // libjxl prints why a file is damaged on standard error: that goes into
    // our reason instead, after our own words.
    StderrCapture said;
    return Decode(file, canvas, said);
}

namespace {

bool Decode(const FileBytes& file, PictureSink& canvas, StderrCapture& said)
{
    Decoder d;
    if (!d.decoder)
        return canvas.Fail("JPEG XL: no memory for the decoder");
    d.runner = JxlThreadParallelRunnerCreate(nullptr, JxlThreadParallelRunnerDefaultNumWorkerThreads());
    if (d.runner)
        JxlDecoderSetParallelRunner(d.decoder, JxlThreadParallelRunner, d.runner);
    JxlDecoderSetUnpremultiplyAlpha(d.decoder, JXL_TRUE);
    if (JxlDecoderSubscribeEvents(d.decoder, JXL_DEC_BASIC_INFO | JXL_DEC_COLOR_ENCODING | JXL_DEC_FULL_IMAGE) !=
            JXL_DEC_SUCCESS ||
        JxlDecoderSetInput(d.decoder, file.data, file.size) != JXL_DEC_SUCCESS)
        return canvas.Fail("JPEG XL: the decoder refused its settings");
    JxlDecoderCloseInput(d.decoder);

    JxlBasicInfo info{};
    JxlPixelFormat format{3, JXL_TYPE_UINT8, JXL_NATIVE_ENDIAN, 0};
    Layout layout = Layout::kRGB;
    std::vector<std::uint8_t> pixels;
    std::uint32_t width = 0, height = 0;
    for (;;) {
        switch (JxlDecoderProcessInput(d.decoder)) {
        case JXL_DEC_BASIC_INFO: {
            if (JxlDecoderGetBasicInfo(d.decoder, &info) != JXL_DEC_SUCCESS)
                return canvas.Fail("JPEG XL: the header is damaged");
            // The sizes are those before the orientation, which libjxl applies.
            const bool turned = info.orientation >= JXL_ORIENT_TRANSPOSE;
            width = turned ? info.ysize : info.xsize;
            height = turned ? info.xsize : info.ysize;
            if (!canvas.Announce(width, height, 1))
                return false;
            if (info.alpha_bits > 0) {
                format.num_channels = 4;
                layout = Layout::kRGBA;
            }
            // Before libjxl allocates: the picture it hands out whole, and
            // the float planes it decodes into, which for pictures with an
            // alpha channel come to several copies (measured: about 3 bytes
            // a pixel without alpha, up to 31 with), beside the picture made.
            if (!canvas.Afford(std::uint64_t{width} * height * (format.num_channels + (info.alpha_bits > 0 ? 31 : 3)),
                               width, height, PictureSink::Order::kTopDown))
                return false;
            break;
        }
        case JXL_DEC_COLOR_ENCODING: {
            if (!info.uses_original_profile) {
                const JxlColorEncoding srgb = Srgb();
                JxlDecoderSetPreferredColorProfile(d.decoder, &srgb);
            }
            JxlColorEncoding encoding{};
            if (JxlDecoderGetColorAsEncodedProfile(d.decoder, nullptr, JXL_COLOR_PROFILE_TARGET_DATA, &encoding) ==
                    JXL_DEC_SUCCESS &&
                IsSrgb(encoding))
                break;
            std::size_t size = 0;
            if (JxlDecoderGetICCProfileSize(d.decoder, nullptr, JXL_COLOR_PROFILE_TARGET_DATA, &size) ==
                    JXL_DEC_SUCCESS &&
                size > 0 && size < (std::size_t{16} << 20)) {
                std::vector<std::uint8_t> profile(size);
                if (JxlDecoderGetColorAsICCProfile(d.decoder, nullptr, JXL_COLOR_PROFILE_TARGET_DATA, profile.data(),
                                                   size) == JXL_DEC_SUCCESS)
                    canvas.SetProfile(std::move(profile));
            }
            break;
        }
        case JXL_DEC_NEED_IMAGE_OUT_BUFFER: {
            std::size_t size = 0;
            if (JxlDecoderImageOutBufferSize(d.decoder, &format, &size) != JXL_DEC_SUCCESS ||
                size != std::size_t{width} * height * format.num_channels)
                return canvas.Fail("JPEG XL: the decoder wants a buffer of another size");
            try {
                pixels.resize(size);
            } catch (const std::bad_alloc&) {
                return canvas.Fail("JPEG XL: no memory for the picture");
            }
            if (JxlDecoderSetImageOutBuffer(d.decoder, &format, pixels.data(), size) != JXL_DEC_SUCCESS)
                return canvas.Fail("JPEG XL: the decoder refused its buffer");
            break;
        }
        case JXL_DEC_FULL_IMAGE: {
            // The first frame is all we show.
            if (pixels.empty() || !canvas.Begin(width, height, layout, PictureSink::Order::kTopDown))
                return canvas.Fail("JPEG XL: the decoder gave no picture");
            const std::size_t rowBytes = std::size_t{width} * format.num_channels;
            for (std::uint32_t y = 0; y < height; ++y) {
                std::memcpy(canvas.Row(y), pixels.data() + rowBytes * y, rowBytes);
                canvas.Commit(y);
            }
            return true;
        }
        case JXL_DEC_NEED_MORE_INPUT: return canvas.Fail("JPEG XL: the file ends before the picture does");
        case JXL_DEC_SUCCESS: return canvas.Fail("JPEG XL: the file holds no picture");
        case JXL_DEC_ERROR:
        default: {
            const std::string why = FirstFailure(said.Take(), "JXL_FAILURE: ");
            return canvas.Fail("JPEG XL: the file is damaged" + (why.empty() ? std::string() : " (" + why + ")"));
        }
        }
    }
}

} // namespace

} // namespace vistrel::photoload
