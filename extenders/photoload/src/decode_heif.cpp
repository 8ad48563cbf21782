// SPDX-License-Identifier: GPL-3.0-or-later
// HEIF, HEIC and AVIF with libheif (HEVC through libde265, AV1 through
// dav1d or libaom). libheif applies the file's rotation, mirroring and
// cropping itself, as the format wants, so the canvas turns nothing. It cannot
// decode at a smaller scale; where the file carries a thumbnail that is still
// large enough for the viewer (some cameras store a screen-sized one), that is
// decoded instead.
#include <libheif/heif.h>

#include <algorithm>
#include <cstring>
#include <string>
#include <vector>

#include "decoders.h"
#ifdef PHOTOLOAD_HEVC_EVERY_CORE
#include "heif_hevc_threads.h"
#endif

namespace vistrel::photoload {
namespace {

// libheif's own bound on the pixels of one image: the canvas's limit.
constexpr int kMaxSide = 16384;

struct Context {
    heif_context* ctx = heif_context_alloc();
    ~Context() { heif_context_free(ctx); }
};

struct Handle {
    heif_image_handle* handle = nullptr;
    ~Handle() { heif_image_handle_release(handle); }
};

struct Image {
    heif_image* image = nullptr;
    ~Image() { heif_image_release(image); }
};

struct DecodingOptions {
    heif_decoding_options* options = heif_decoding_options_alloc();
    ~DecodingOptions() { heif_decoding_options_free(options); }
};

bool Failed(PictureSink& canvas, const heif_error& error)
{
    return canvas.Fail(std::string("HEIF: ") + (error.message && *error.message ? error.message : "damaged file"));
}

// A thumbnail with the picture's proportions and at least the least size.
heif_item_id UsableThumbnail(const heif_image_handle* primary, std::uint32_t width, std::uint32_t height,
                             std::uint32_t leastWidth, std::uint32_t leastHeight)
{
    const int count = heif_image_handle_get_number_of_thumbnails(primary);
    if (count <= 0 || count > 16)
        return 0;
    std::vector<heif_item_id> ids(static_cast<std::size_t>(count));
    if (heif_image_handle_get_list_of_thumbnail_IDs(primary, ids.data(), count) != count)
        return 0;
    heif_item_id best = 0;
    std::uint64_t bestPixels = UINT64_MAX;
    for (heif_item_id id : ids) {
        Handle thumb;
        if (heif_image_handle_get_thumbnail(primary, id, &thumb.handle).code != heif_error_Ok)
            continue;
        const auto w = static_cast<std::uint32_t>(std::max(heif_image_handle_get_width(thumb.handle), 0));
        const auto h = static_cast<std::uint32_t>(std::max(heif_image_handle_get_height(thumb.handle), 0));
        const bool proportioned = std::uint64_t{w} * height / width == h || std::uint64_t{h} * width / height == w;
        if (w >= leastWidth && h >= leastHeight && proportioned && std::uint64_t{w} * h < bestPixels) {
            best = id;
            bestPixels = std::uint64_t{w} * h;
        }
    }
    return best;
}

} // namespace

bool DecodeHeif(const FileBytes& file, PictureSink& canvas)
{
    return DecodeHeifWith(file, canvas, HevcThreads::kEveryCore);
}

bool DecodeHeifWith(const FileBytes& file, PictureSink& canvas, HevcThreads threads)
{
    Context c;
    if (!c.ctx)
        return canvas.Fail("HEIF: no memory for the decoder");
#ifdef PHOTOLOAD_HEVC_EVERY_CORE
    if (threads == HevcThreads::kEveryCore)
        UseHevcOnEveryCore(c.ctx);
#else
    (void)threads;
#endif
    heif_context_set_maximum_image_size_limit(c.ctx, kMaxSide);
    if (heif_error e = heif_context_read_from_memory_without_copy(c.ctx, file.data, file.size, nullptr);
        e.code != heif_error_Ok)
        return Failed(canvas, e);
    Handle primary;
    if (heif_error e = heif_context_get_primary_image_handle(c.ctx, &primary.handle); e.code != heif_error_Ok)
        return Failed(canvas, e);
    const int w = heif_image_handle_get_width(primary.handle), h = heif_image_handle_get_height(primary.handle);
    // The coded size before cropping counts against the limit too.
    const std::uint64_t coded = std::uint64_t(std::max(heif_image_handle_get_ispe_width(primary.handle), 0)) *
                                std::uint64_t(std::max(heif_image_handle_get_ispe_height(primary.handle), 0));
    if (coded > kMaxPixels)
        return canvas.Fail("HEIF: the picture has more than " + std::to_string(kMaxPixels) + " pixels");
    if (!canvas.Announce(static_cast<std::uint32_t>(std::max(w, 0)), static_cast<std::uint32_t>(std::max(h, 0)), 1))
        return false;
    const heif_color_profile_type profileType = heif_image_handle_get_color_profile_type(primary.handle);
    if (profileType == heif_color_profile_type_prof || profileType == heif_color_profile_type_rICC) {
        std::vector<std::uint8_t> profile(heif_image_handle_get_raw_color_profile_size(primary.handle));
        if (!profile.empty() &&
            heif_image_handle_get_raw_color_profile(primary.handle, profile.data()).code == heif_error_Ok)
            canvas.SetProfile(std::move(profile));
    }

    Handle thumbnail;
    const heif_image_handle* chosen = primary.handle;
    if (canvas.MayShrink()) {
        if (heif_item_id id = UsableThumbnail(primary.handle, static_cast<std::uint32_t>(w),
                                              static_cast<std::uint32_t>(h), canvas.LeastWidth(), canvas.LeastHeight());
            id != 0 && heif_image_handle_get_thumbnail(primary.handle, id, &thumbnail.handle).code == heif_error_Ok)
            chosen = thumbnail.handle;
    }
    const bool alpha = heif_image_handle_has_alpha_channel(chosen) != 0;
    const Layout layout = !alpha                                             ? Layout::kRGB
                          : heif_image_handle_is_premultiplied_alpha(chosen) ? Layout::kRGBAPremultiplied
                                                                             : Layout::kRGBA;
    // libheif decodes the whole picture at once: the decoder's frames and
    // colour planes (twice the bytes beyond 8 bits), then the interleaved
    // pixels handed out here.
    {
        const auto cw = static_cast<std::uint32_t>(std::max(heif_image_handle_get_width(chosen), 1));
        const auto ch = static_cast<std::uint32_t>(std::max(heif_image_handle_get_height(chosen), 1));
        const int bits = heif_image_handle_get_luma_bits_per_pixel(chosen);
        const std::uint64_t perPixel = static_cast<std::uint64_t>(BytesPerPixel(layout)) + (bits > 8 ? 6 : 3);
        if (!canvas.Afford(std::uint64_t{cw} * ch * perPixel, cw, ch, PictureSink::Order::kTopDown))
            return false;
    }
    DecodingOptions options;
    if (!options.options)
        return canvas.Fail("HEIF: no memory for the decoder");
    options.options->convert_hdr_to_8bit = 1;
    Image image;
    if (heif_error e =
            heif_decode_image(chosen, &image.image, heif_colorspace_RGB,
                              alpha ? heif_chroma_interleaved_RGBA : heif_chroma_interleaved_RGB, options.options);
        e.code != heif_error_Ok)
        return Failed(canvas, e);
    const int iw = heif_image_get_width(image.image, heif_channel_interleaved);
    const int ih = heif_image_get_height(image.image, heif_channel_interleaved);
    int stride = 0;
    const std::uint8_t* plane = heif_image_get_plane_readonly(image.image, heif_channel_interleaved, &stride);
    const std::size_t rowBytes = static_cast<std::size_t>(BytesPerPixel(layout)) * static_cast<std::size_t>(iw);
    if (!plane || iw <= 0 || ih <= 0 || stride < 0 || static_cast<std::size_t>(stride) < rowBytes)
        return canvas.Fail("HEIF: the decoder gave no picture");
    if (heif_image_get_bits_per_pixel_range(image.image, heif_channel_interleaved) != 8)
        return canvas.Fail("HEIF: the decoder gave no 8-bit picture");
    if (!canvas.Begin(static_cast<std::uint32_t>(iw), static_cast<std::uint32_t>(ih), layout,
                      PictureSink::Order::kTopDown))
        return false;
    for (int y = 0; y < ih; ++y) {
        std::memcpy(canvas.Row(static_cast<std::uint32_t>(y)), plane + static_cast<std::size_t>(stride) * y, rowBytes);
        canvas.Commit(static_cast<std::uint32_t>(y));
    }
    return true;
}

} // namespace vistrel::photoload
