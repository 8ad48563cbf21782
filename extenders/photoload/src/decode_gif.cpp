// SPDX-License-Identifier: GPL-3.0-or-later
// GIF with giflib: the first frame, line by line (giflib's whole-file reader
// would hold every frame of an animation), placed on the logical screen; the
// rest of the screen and the frame's transparent colour are transparent.
#include <gif_lib.h>

#include <algorithm>
#include <cstring>
#include <string>
#include <vector>

#include "decoders.h"

namespace vistrel::photoload {
namespace {

struct Source {
    const std::uint8_t* data;
    std::size_t size;
    std::size_t position = 0;
};

int ReadBytes(GifFileType* gif, GifByteType* into, int wanted)
{
    auto* source = static_cast<Source*>(gif->UserData);
    if (wanted <= 0)
        return 0;
    const std::size_t n = std::min(static_cast<std::size_t>(wanted), source->size - source->position);
    std::memcpy(into, source->data + source->position, n);
    source->position += n;
    return static_cast<int>(n);
}

struct File {
    GifFileType* gif;
    ~File()
    {
        int error = 0;
        if (gif)
            DGifCloseFile(gif, &error);
    }
};

bool Failed(PictureSink& canvas, int code)
{
    const char* text = GifErrorString(code);
    return canvas.Fail(std::string("GIF: ") + (text ? text : "the file cannot be read"));
}

// Interlaced frames store every 8th line from 0, every 8th from 4, every
// 4th from 2, then every 2nd from 1.
std::vector<std::uint32_t> LineOrder(std::uint32_t height, bool interlaced)
{
    std::vector<std::uint32_t> order;
    order.reserve(height);
    if (!interlaced) {
        for (std::uint32_t y = 0; y < height; ++y)
            order.push_back(y);
        return order;
    }
    static constexpr std::uint32_t kStart[] = {0, 4, 2, 1}, kStep[] = {8, 8, 4, 2};
    for (int pass = 0; pass < 4; ++pass)
        for (std::uint32_t y = kStart[pass]; y < height; y += kStep[pass])
            order.push_back(y);
    return order;
}

} // namespace

bool DecodeGif(const FileBytes& file, PictureSink& canvas)
{
    Source source{file.data, file.size};
    int error = 0;
    File f{DGifOpen(&source, &ReadBytes, &error)};
    if (!f.gif)
        return Failed(canvas, error);
    GifFileType* gif = f.gif;
    int transparent = NO_TRANSPARENT_COLOR;
    for (;;) {
        GifRecordType record;
        if (DGifGetRecordType(gif, &record) == GIF_ERROR)
            return Failed(canvas, gif->Error);
        if (record == TERMINATE_RECORD_TYPE)
            return canvas.Fail("GIF: the file holds no picture");
        if (record == EXTENSION_RECORD_TYPE) {
            int code = 0;
            GifByteType* block = nullptr;
            if (DGifGetExtension(gif, &code, &block) == GIF_ERROR)
                return Failed(canvas, gif->Error);
            if (code == GRAPHICS_EXT_FUNC_CODE && block) {
                GraphicsControlBlock control{};
                if (DGifExtensionToGCB(block[0], block + 1, &control) == GIF_OK)
                    transparent = control.TransparentColor;
            }
            while (block) {
                if (DGifGetExtensionNext(gif, &block) == GIF_ERROR)
                    return Failed(canvas, gif->Error);
            }
            continue;
        }
        if (record == IMAGE_DESC_RECORD_TYPE)
            break;
    }
    if (DGifGetImageDesc(gif) == GIF_ERROR)
        return Failed(canvas, gif->Error);
    const GifImageDesc& frame = gif->Image;
    if (frame.Left < 0 || frame.Top < 0 || frame.Width <= 0 || frame.Height <= 0)
        return canvas.Fail("GIF: the first frame has no pixels");
    const auto left = static_cast<std::uint32_t>(frame.Left), top = static_cast<std::uint32_t>(frame.Top);
    const auto fw = static_cast<std::uint32_t>(frame.Width), fh = static_cast<std::uint32_t>(frame.Height);
    // A frame that reaches past the logical screen widens it.
    const std::uint32_t width =
        std::max<std::uint32_t>(static_cast<std::uint32_t>(std::max(gif->SWidth, 0)), left + fw);
    const std::uint32_t height =
        std::max<std::uint32_t>(static_cast<std::uint32_t>(std::max(gif->SHeight, 0)), top + fh);
    if (!canvas.Announce(width, height, 1))
        return false;

    // The colours: the frame's own table, else the file's; indices past the
    // table are black.
    GifColorType colours[256] = {};
    if (const ColorMapObject* map = frame.ColorMap ? frame.ColorMap : gif->SColorMap; map && map->Colors)
        std::copy_n(map->Colors, std::clamp(map->ColorCount, 0, 256), colours);
    const bool covers = left == 0 && top == 0 && fw == width && fh == height;
    const bool alpha = transparent != NO_TRANSPARENT_COLOR || !covers;
    const Layout layout = alpha ? Layout::kBGRA : Layout::kBGR;
    const std::size_t pixelBytes = static_cast<std::size_t>(BytesPerPixel(layout));
    if (!canvas.Begin(width, height, layout))
        return false;
    for (std::uint32_t y = 0; y < height; ++y) {
        if (y >= top && y < top + fh)
            continue;
        std::memset(canvas.Row(y), 0, pixelBytes * width); // transparent
        canvas.Commit(y);
    }
    std::vector<GifPixelType> line(fw);
    std::uint32_t lines = 0;
    for (std::uint32_t fy : LineOrder(fh, frame.Interlace)) {
        if (DGifGetLine(gif, line.data(), static_cast<int>(fw)) == GIF_ERROR)
            break; // a cut file: the lines so far
        std::uint8_t* row = canvas.Row(top + fy);
        std::memset(row, 0, pixelBytes * width);
        std::uint8_t* out = row + pixelBytes * left;
        for (std::uint32_t x = 0; x < fw; ++x, out += pixelBytes) {
            const GifPixelType index = line[x];
            if (static_cast<int>(index) == transparent)
                continue;
            out[0] = colours[index].Blue;
            out[1] = colours[index].Green;
            out[2] = colours[index].Red;
            if (alpha)
                out[3] = 255;
        }
        canvas.Commit(top + fy);
        ++lines;
    }
    return lines > 0 || Failed(canvas, gif->Error);
}

} // namespace vistrel::photoload
