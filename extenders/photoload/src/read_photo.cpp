// SPDX-License-Identifier: GPL-3.0-or-later
// Reading with the decoder libraries: the file into memory, its format by
// signature, the format's decoder onto a canvas.
#include <cstdio>
#include <memory>
#include <string>

#include "canvas.h"
#include "decoders.h"
#include "read_photo_internal.h"

namespace vistrel::photoload {
namespace {

// No picture file of any format read here is this large.
constexpr long kMaxFileBytes = 1L << 30;

struct FileCloser {
    void operator()(std::FILE* f) const { std::fclose(f); }
};

} // namespace

gmem::Handle ReadPhotoFromMemory(const void* data, std::size_t size, const ReadRequest& request)
{
    const auto* bytes = static_cast<const std::uint8_t*>(data);
    const Format format = Sniff(bytes, size);
    DecodeFn decode = DecoderFor(format);
    if (!decode) {
        SetPhotoError(format == Format::kUnknown ? "The file is not a picture this reader knows"
                                                 : std::string("This build reads no ") + FormatName(format) + " files");
        return nullptr;
    }
    Canvas canvas(request);
    const bool decoded = decode(FileBytes{bytes, size}, canvas);
    gmem::Handle picture = decoded ? canvas.Finish() : nullptr;
    if (!picture)
        SetPhotoError(canvas.Error().empty() ? std::string(FormatName(format)) + ": no picture came out"
                                             : canvas.Error());
    return picture;
}

gmem::Handle ReadPhoto(const char* path, const ReadRequest& request)
{
    if (!path) {
        SetPhotoError("No file name");
        return nullptr;
    }
    std::unique_ptr<std::FILE, FileCloser> file(std::fopen(path, "rb"));
    long size = -1;
    if (file && std::fseek(file.get(), 0, SEEK_END) == 0)
        size = std::ftell(file.get());
    if (!file || size < 0 || std::fseek(file.get(), 0, SEEK_SET) != 0) {
        SetPhotoError(std::string("The file cannot be read: ") + path);
        return nullptr;
    }
    if (size > kMaxFileBytes) {
        SetPhotoError(std::string("The file is too large to be a picture: ") + path);
        return nullptr;
    }
    // A movable block: large ones come as huge pages, far cheaper to fault
    // in than small ones for a file of megabytes.
    gmem::Owner buffer(gmem::Alloc(gmem::kMoveable, static_cast<std::size_t>(size) + 1));
    auto* bytes = static_cast<std::uint8_t*>(gmem::Lock(buffer.get()));
    if (!bytes) {
        SetPhotoError("No memory to read the file");
        return nullptr;
    }
    const std::size_t got = std::fread(bytes, 1, static_cast<std::size_t>(size), file.get());
    file.reset();
    gmem::Handle picture = ReadPhotoFromMemory(bytes, got, request);
    gmem::Unlock(buffer.get());
    return picture;
}

const char* PhotoExtensions()
{
    static const std::string endings = [] {
        std::string list = ""
#ifdef PHOTOLOAD_HAVE_JPEG
                           ".jpg\\.jpeg\\.jpe\\.jfif\\"
#endif
#ifdef PHOTOLOAD_HAVE_PNG
                           ".png\\"
#endif
#ifdef PHOTOLOAD_HAVE_WEBP
                           ".webp\\"
#endif
#ifdef PHOTOLOAD_HAVE_GIF
                           ".gif\\"
#endif
#ifdef PHOTOLOAD_HAVE_TIFF
                           ".tif\\.tiff\\"
#endif
#ifdef PHOTOLOAD_HAVE_HEIF
                           ".heic\\.heif\\.avif\\"
#endif
#ifdef PHOTOLOAD_HAVE_JXL
                           ".jxl\\"
#endif
            ;
        if (!list.empty())
            list.pop_back(); // the last separator
        return list;
    }();
    return endings.c_str();
}

} // namespace vistrel::photoload
