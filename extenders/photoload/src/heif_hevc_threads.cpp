// SPDX-License-Identifier: GPL-3.0-or-later
// Written here rather than taken from a library because libheif's plugin
// cannot be told how many threads to start. It does what libheif's libde265
// plugin does, step for step (the NAL units pushed one by one, the decoded
// planes copied into a libheif image, the colour description of the stream
// attached), so that libheif's colour conversion gets the same samples;
// libde265 decodes the same samples on any number of threads.
#include "heif_hevc_threads.h"

#include <libde265/de265.h>
#include <libheif/heif_plugin.h>

#include <algorithm>
#include <cstdint>
#include <cstring>
#include <thread>

namespace vistrel::photoload {
namespace {

// Above libheif's own plugins (100), so that this one is chosen.
constexpr int kPriority = 150;
constexpr int kMostThreads = 8;

struct Decoder {
    de265_decoder_context* ctx = nullptr;
    bool strict = false;
};

const char* Name() { return "libde265 HEVC decoder, a worker per core"; }

int Supports(heif_compression_format format) { return format == heif_compression_HEVC ? kPriority : 0; }

heif_error Ok() { return {heif_error_Ok, heif_suberror_Unspecified, "Success"}; }

heif_error NewDecoder(void** decoder)
{
    auto* d = new Decoder;
    d->ctx = de265_new_decoder();
    if (!d->ctx) {
        delete d;
        return {heif_error_Decoder_plugin_error, heif_suberror_Unspecified, "libde265 has no decoder"};
    }
    const int cores = static_cast<int>(std::clamp(std::thread::hardware_concurrency(), 1u, 8u));
    de265_start_worker_threads(d->ctx, std::min(cores, kMostThreads));
    *decoder = d;
    return Ok();
}

void FreeDecoder(void* decoder)
{
    auto* d = static_cast<Decoder*>(decoder);
    de265_free_decoder(d->ctx);
    delete d;
}

void SetStrict(void* decoder, int strict) { static_cast<Decoder*>(decoder)->strict = strict != 0; }

// The data is NAL units, each after its length in four bytes.
heif_error PushData(void* decoder, const void* data, std::size_t size)
{
    auto* d = static_cast<Decoder*>(decoder);
    const auto* bytes = static_cast<const std::uint8_t*>(data);
    for (std::size_t at = 0; at < size;) {
        if (size - at < 4)
            return {heif_error_Decoder_plugin_error, heif_suberror_End_of_data, ""};
        const std::uint32_t length = std::uint32_t{bytes[at]} << 24 | std::uint32_t{bytes[at + 1]} << 16 |
                                     std::uint32_t{bytes[at + 2]} << 8 | bytes[at + 3];
        at += 4;
        if (length > size - at)
            return {heif_error_Decoder_plugin_error, heif_suberror_End_of_data, ""};
        de265_push_NAL(d->ctx, bytes + at, static_cast<int>(length), 0, nullptr);
        at += length;
    }
    return Ok();
}

// The decoded planes as a libheif image of the same chroma and depth.
heif_error ToHeifImage(const de265_image* picture, heif_image** image)
{
    const bool mono = de265_get_chroma_format(picture) == de265_chroma_mono;
    heif_error err = heif_image_create(de265_get_image_width(picture, 0), de265_get_image_height(picture, 0),
                                       mono ? heif_colorspace_monochrome : heif_colorspace_YCbCr,
                                       static_cast<heif_chroma>(de265_get_chroma_format(picture)), image);
    if (err.code)
        return err;
    const heif_channel channels[3] = {heif_channel_Y, heif_channel_Cb, heif_channel_Cr};
    const int bits = de265_get_bits_per_pixel(picture, 0);
    for (int c = 0; c < (mono ? 1 : 3); ++c) {
        if (de265_get_bits_per_pixel(picture, c) != bits) {
            heif_image_release(*image);
            return {heif_error_Unsupported_feature, heif_suberror_Unsupported_color_conversion,
                    "Channels with different number of bits per pixel are not supported"};
        }
        int stride = 0;
        const std::uint8_t* from = de265_get_image_plane(picture, c, &stride);
        const int w = de265_get_image_width(picture, c), h = de265_get_image_height(picture, c);
        if (w <= 0 || h <= 0) {
            heif_image_release(*image);
            return {heif_error_Decoder_plugin_error, heif_suberror_Invalid_image_size, ""};
        }
        err = heif_image_add_plane(*image, channels[c], w, h, bits);
        if (err.code) {
            heif_image_release(*image);
            return err;
        }
        int toStride = 0;
        std::uint8_t* to = heif_image_get_plane(*image, channels[c], &toStride);
        const std::size_t rowBytes = static_cast<std::size_t>(w) * static_cast<std::size_t>((bits + 7) / 8);
        for (int y = 0; y < h; ++y)
            std::memcpy(to + static_cast<std::ptrdiff_t>(y) * toStride, from + static_cast<std::ptrdiff_t>(y) * stride,
                        rowBytes);
    }
    return Ok();
}

// Every picture the stream holds is decoded; the last one is the image, with
// the colour description the stream gives it.
heif_error DecodeImage(void* decoder, heif_image** image)
{
    auto* d = static_cast<Decoder*>(decoder);
    heif_error err = Ok();
    de265_flush_data(d->ctx);
    *image = nullptr;
    int more = 0;
    do {
        more = 0;
        if (de265_decode(d->ctx, &more) != DE265_OK)
            break;
        const de265_image* picture = de265_get_next_picture(d->ctx);
        if (!picture)
            continue;
        if (*image)
            heif_image_release(*image);
        err = ToHeifImage(picture, image);
        if (err.code != heif_error_Ok)
            return err;
        heif_color_profile_nclx* nclx = heif_nclx_color_profile_alloc();
        const auto warnOrFail = [&](heif_error e) {
            if (e.code == heif_error_Ok)
                return true;
            if (d->strict) {
                heif_nclx_color_profile_free(nclx);
                err = e;
                return false;
            }
            heif_image_add_decoding_warning(*image, e);
            return true;
        };
        if (!warnOrFail(heif_nclx_color_profile_set_color_primaries(
                nclx, static_cast<std::uint16_t>(de265_get_image_colour_primaries(picture)))) ||
            !warnOrFail(heif_nclx_color_profile_set_transfer_characteristics(
                nclx, static_cast<std::uint16_t>(de265_get_image_transfer_characteristics(picture)))) ||
            !warnOrFail(heif_nclx_color_profile_set_matrix_coefficients(
                nclx, static_cast<std::uint16_t>(de265_get_image_matrix_coefficients(picture)))))
            return err;
        nclx->full_range_flag = static_cast<std::uint8_t>(de265_get_image_full_range_flag(picture) != 0);
        heif_image_set_nclx_color_profile(*image, nclx);
        heif_nclx_color_profile_free(nclx);
        de265_release_next_picture(d->ctx);
    } while (more);
    return err;
}

const heif_decoder_plugin kPlugin{
    3,
    &Name,
    nullptr,
    nullptr,
    &Supports,
    &NewDecoder,
    &FreeDecoder,
    &PushData,
    &DecodeImage,
    &SetStrict,
    "libde265-every-core",
};

} // namespace

bool UseHevcOnEveryCore(heif_context* ctx) { return heif_register_decoder(ctx, &kPlugin).code == heif_error_Ok; }

} // namespace vistrel::photoload
