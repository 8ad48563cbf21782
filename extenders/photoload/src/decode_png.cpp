// SPDX-License-Identifier: GPL-3.0-or-later
// PNG with libspng: every colour type and depth to 8-bit RGB, or RGBA when
// the picture has alpha or a transparent colour. libspng checks everything
// before the image data; the rows of the common pictures (8-bit grey, RGB
// and RGBA, not interlaced, without a transparent colour or a colour
// profile) are then read on two cores (png_rows.h), the others by libspng,
// straight into the picture; an interlaced file is gathered in a buffer
// first, since its passes visit every row several times.
#include <spng.h>

#include <algorithm>
#include <cstring>
#include <memory>
#include <string>
#include <vector>

#include "decoders.h"
#include "exif_orientation.h"
#include "png_rows.h"

namespace vistrel::photoload {
namespace {

struct Context {
    spng_ctx* ctx = spng_ctx_new(0);
    ~Context() { spng_ctx_free(ctx); }
};

// The EXIF block may follow the image data (ImageMagick writes it there), and
// libspng shows chunks after the image data only once the image is decoded,
// too late to turn it. So the chunk list is walked for it first: lengths and
// names only, each checked against the file.
int Orientation(const FileBytes& file)
{
    std::size_t at = 8;
    while (at + 12 <= file.size) {
        const std::uint8_t* chunk = file.data + at;
        const std::size_t length =
            (std::size_t{chunk[0]} << 24) | (std::size_t{chunk[1]} << 16) | (std::size_t{chunk[2]} << 8) | chunk[3];
        if (length > file.size - at - 12)
            break;
        if (std::memcmp(chunk + 4, "eXIf", 4) == 0)
            return ExifOrientation(chunk + 8, length);
        if (std::memcmp(chunk + 4, "IEND", 4) == 0)
            break;
        at += 12 + length;
    }
    return 1;
}

bool Failed(PictureSink& canvas, int code)
{
    if (code == SPNG_EOF || code == SPNG_IO_EOF)
        return canvas.Fail("PNG: the file ends before the picture does");
    return canvas.Fail(std::string("PNG: ") + spng_strerror(code));
}

} // namespace

bool DecodePng(const FileBytes& file, PictureSink& canvas) { return DecodePngRows(file, canvas, PngRows::kFastest); }

bool DecodePngRows(const FileBytes& file, PictureSink& canvas, PngRows way)
{
    Context c;
    if (!c.ctx)
        return canvas.Fail("PNG: no memory for the decoder");
    // Sizes past the pixel limit are refused by the canvas; these keep the
    // decoder's own chunk buffers bounded too.
    spng_set_image_limits(c.ctx, 1u << 28, 1u << 28);
    spng_set_chunk_limits(c.ctx, std::size_t{64} << 20, kDecoderMemoryLimit);
    if (int rc = spng_set_png_buffer(c.ctx, file.data, file.size))
        return Failed(canvas, rc);
    spng_ihdr ihdr{};
    if (int rc = spng_get_ihdr(c.ctx, &ihdr))
        return Failed(canvas, rc);

    if (!canvas.Announce(ihdr.width, ihdr.height, Orientation(file)))
        return false;
    spng_iccp iccp{};
    const bool profile = spng_get_iccp(c.ctx, &iccp) == 0 && iccp.profile;
    if (profile)
        canvas.SetProfile(std::vector<std::uint8_t>(iccp.profile, iccp.profile + iccp.profile_len));

    spng_trns trns{};
    const bool transparentColour = spng_get_trns(c.ctx, &trns) == 0;
    const bool alpha = ihdr.color_type == SPNG_COLOR_TYPE_GRAYSCALE_ALPHA ||
                       ihdr.color_type == SPNG_COLOR_TYPE_TRUECOLOR_ALPHA || transparentColour;
    const int format = alpha ? SPNG_FMT_RGBA8 : SPNG_FMT_RGB8;
    const Layout layout = alpha ? Layout::kRGBA : Layout::kRGB;
    const std::size_t rowBytes = std::size_t{ihdr.width} * BytesPerPixel(layout);
    // An interlaced picture is gathered whole before its rows go on; the
    // rows read on two cores keep a filter type byte for every row. Both
    // ways are counted alike, so that they refuse the same pictures.
    const bool interlaced = ihdr.interlace_method != SPNG_INTERLACE_NONE;
    const bool rowsHere = PngRowsReadHere(ihdr) && !transparentColour && !profile;
    if (!canvas.Afford((interlaced ? std::uint64_t{ihdr.height} : 4) * rowBytes + (rowsHere ? ihdr.height : 0),
                       ihdr.width, ihdr.height, PictureSink::Order::kTopDown))
        return false;
    if (int rc = spng_decode_image(c.ctx, nullptr, 0, format, SPNG_DECODE_TRNS | SPNG_DECODE_PROGRESSIVE))
        return Failed(canvas, rc);
    if (!canvas.Begin(ihdr.width, ihdr.height, layout, PictureSink::Order::kTopDown))
        return false;

    if (way == PngRows::kFastest && rowsHere) {
        std::uint32_t rows = 0;
        const int rc = ReadPngRows(file, ihdr, canvas, rows);
        if (rc != SPNG_EOI && rows == 0)
            return Failed(canvas, rc);
        return true; // a damaged or cut file: the rows that decoded
    }

    std::vector<std::uint8_t> whole;
    if (interlaced)
        whole.assign(rowBytes * ihdr.height, 0);
    int rc = 0;
    std::uint32_t rows = 0;
    do {
        spng_row_info info{};
        if ((rc = spng_get_row_info(c.ctx, &info)) != 0 || info.row_num >= ihdr.height)
            break;
        std::uint8_t* out = interlaced ? whole.data() + rowBytes * info.row_num : canvas.Row(info.row_num);
        rc = spng_decode_row(c.ctx, out, rowBytes);
        if (rc != 0 && rc != SPNG_EOI)
            break;
        ++rows;
        if (!interlaced)
            canvas.Commit(info.row_num);
    } while (rc == 0);
    if (interlaced && rows > 0) {
        for (std::uint32_t y = 0; y < ihdr.height; ++y) {
            std::copy_n(whole.data() + rowBytes * y, rowBytes, canvas.Row(y));
            canvas.Commit(y);
        }
    }
    if (rc != SPNG_EOI && rows == 0)
        return Failed(canvas, rc);
    return true; // a damaged or cut file: the rows that decoded
}

} // namespace vistrel::photoload
