// SPDX-License-Identifier: GPL-3.0-or-later
// TIFF with libtiff: the first image of the file through libtiff's RGBA
// interface, which knows every photometric interpretation, depth and
// compression the library was built with. It is read in bands of strips or
// tiles, never as a whole, and libtiff is asked for the rows as stored so
// that the Orientation tag is applied once, by the canvas.
#include <tiffio.h>

#include <algorithm>
#include <cstdarg>
#include <cstdio>
#include <cstring>
#include <memory>
#include <string>
#include <vector>

#include "decoders.h"

namespace vistrel::photoload {
namespace {

// Rows of RGBA at most in one band, so that a file of one huge strip is
// still read in bounded pieces.
constexpr std::size_t kBandBytes = std::size_t{64} << 20;

struct Source {
    const std::uint8_t* data;
    std::size_t size;
    std::uint64_t position = 0;
};

tmsize_t ReadProc(thandle_t handle, void* into, tmsize_t bytes)
{
    auto* s = static_cast<Source*>(handle);
    if (bytes <= 0 || s->position >= s->size)
        return 0;
    const std::size_t n = std::min<std::uint64_t>(static_cast<std::uint64_t>(bytes), s->size - s->position);
    std::memcpy(into, s->data + s->position, n);
    s->position += n;
    return static_cast<tmsize_t>(n);
}

tmsize_t WriteProc(thandle_t, void*, tmsize_t) { return 0; }

toff_t SeekProc(thandle_t handle, toff_t offset, int whence)
{
    auto* s = static_cast<Source*>(handle);
    std::uint64_t base = whence == SEEK_CUR ? s->position : whence == SEEK_END ? s->size : 0;
    if (offset > UINT64_MAX - base)
        return static_cast<toff_t>(-1);
    s->position = base + offset;
    return s->position;
}

int CloseProc(thandle_t) { return 0; }

toff_t SizeProc(thandle_t handle) { return static_cast<Source*>(handle)->size; }

int MapProc(thandle_t handle, void** base, toff_t* size)
{
    auto* s = static_cast<Source*>(handle);
    *base = const_cast<std::uint8_t*>(s->data);
    *size = s->size;
    return 1;
}

void UnmapProc(thandle_t, void*, toff_t) {}

int OnError(TIFF*, void* user, const char*, const char* format, va_list args)
{
    auto* message = static_cast<std::string*>(user);
    if (message->empty()) {
        char text[512];
        std::vsnprintf(text, sizeof text, format, args);
        *message = text;
    }
    return 1;
}

int OnWarning(TIFF*, void*, const char*, const char*, va_list) { return 1; }

struct Options {
    TIFFOpenOptions* options = TIFFOpenOptionsAlloc();
    ~Options() { TIFFOpenOptionsFree(options); }
};

struct File {
    TIFF* tiff;
    ~File()
    {
        if (tiff)
            TIFFClose(tiff);
    }
};

struct RgbaImage {
    TIFFRGBAImage image{};
    bool begun = false;
    ~RgbaImage()
    {
        if (begun)
            TIFFRGBAImageEnd(&image);
    }
};

} // namespace

bool DecodeTiff(const FileBytes& file, PictureSink& canvas)
{
    std::string message;
    auto failed = [&](const char* fallback) {
        return canvas.Fail("TIFF: " + (message.empty() ? std::string(fallback) : message));
    };
    Options o;
    if (!o.options)
        return canvas.Fail("TIFF: no memory for the decoder");
    TIFFOpenOptionsSetMaxSingleMemAlloc(o.options, static_cast<tmsize_t>(kDecoderMemoryLimit));
    TIFFOpenOptionsSetErrorHandlerExtR(o.options, &OnError, &message);
    TIFFOpenOptionsSetWarningHandlerExtR(o.options, &OnWarning, nullptr);
    Source source{file.data, file.size};
    File f{TIFFClientOpenExt("picture", "r", &source, &ReadProc, &WriteProc, &SeekProc, &CloseProc, &SizeProc, &MapProc,
                             &UnmapProc, o.options)};
    if (!f.tiff)
        return failed("the file is damaged");
    std::uint32_t width = 0, height = 0;
    std::uint16_t orientation = ORIENTATION_TOPLEFT;
    TIFFGetField(f.tiff, TIFFTAG_IMAGEWIDTH, &width);
    TIFFGetField(f.tiff, TIFFTAG_IMAGELENGTH, &height);
    TIFFGetFieldDefaulted(f.tiff, TIFFTAG_ORIENTATION, &orientation);
    if (!canvas.Announce(width, height, orientation))
        return false;
    std::uint32_t profileBytes = 0;
    void* profile = nullptr;
    if (TIFFGetField(f.tiff, TIFFTAG_ICCPROFILE, &profileBytes, &profile) && profile && profileBytes > 0) {
        const auto* p = static_cast<const std::uint8_t*>(profile);
        canvas.SetProfile(std::vector<std::uint8_t>(p, p + profileBytes));
    }

    RgbaImage rgba;
    char reason[1024] = {};
    if (!TIFFRGBAImageOK(f.tiff, reason) || !TIFFRGBAImageBegin(&rgba.image, f.tiff, 0, reason))
        return canvas.Fail(std::string("TIFF: ") + (reason[0] ? reason : "the picture's format is not read"));
    rgba.begun = true;
    rgba.image.req_orientation = rgba.image.orientation; // the rows as stored

    // Bands of whole strips or tiles, so that none is decoded twice.
    std::uint32_t band = 0;
    if (TIFFIsTiled(f.tiff))
        TIFFGetField(f.tiff, TIFFTAG_TILELENGTH, &band);
    else
        TIFFGetFieldDefaulted(f.tiff, TIFFTAG_ROWSPERSTRIP, &band);
    const std::uint32_t most =
        static_cast<std::uint32_t>(std::max<std::size_t>(1, kBandBytes / (std::size_t{4} * width)));
    band = std::clamp<std::uint32_t>(band, 1, std::min(most, height));
    // The band, and libtiff's buffer of one strip or tile as stored.
    if (!canvas.Afford(std::uint64_t{width} * band * 8, width, height, PictureSink::Order::kAny))
        return false;
    std::unique_ptr<std::uint32_t[]> raster(new (std::nothrow) std::uint32_t[std::size_t{width} * band]);
    if (!raster)
        return canvas.Fail("TIFF: no memory for the picture");
    // RGBA in memory order (red in the low byte), alpha premultiplied.
    if (!canvas.Begin(width, height, Layout::kRGBAPremultiplied))
        return false;
    for (std::uint32_t top = 0; top < height; top += band) {
        const std::uint32_t rows = std::min(band, height - top);
        rgba.image.row_offset = static_cast<int>(top);
        rgba.image.col_offset = 0;
        if (!TIFFRGBAImageGet(&rgba.image, raster.get(), width, rows))
            return canvas.RowsDone() > 0 || failed("the picture data is damaged");
        for (std::uint32_t r = 0; r < rows; ++r) {
            std::uint8_t* row = canvas.Row(top + r);
            const std::uint32_t* in = raster.get() + std::size_t{width} * r;
            for (std::uint32_t x = 0; x < width; ++x, row += 4) {
                const std::uint32_t p = in[x];
                row[0] = static_cast<std::uint8_t>(TIFFGetR(p));
                row[1] = static_cast<std::uint8_t>(TIFFGetG(p));
                row[2] = static_cast<std::uint8_t>(TIFFGetB(p));
                row[3] = static_cast<std::uint8_t>(TIFFGetA(p));
            }
            canvas.Commit(top + r);
        }
    }
    return true;
}

} // namespace vistrel::photoload
