// SPDX-License-Identifier: GPL-3.0-or-later
// Reading with the decoder libraries: the file into memory, its format by
// signature, the format's decoder onto a canvas.
#include <string>

#include "canvas.h"
#include "decoders.h"
#include "read_photo_internal.h"
#include "vistrel/platform/input_file.h"

namespace vistrel::photoload {
namespace {

// No picture file of any format read here is this large.
constexpr std::uint64_t kMaxFileBytes = std::uint64_t{1} << 30;

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
    canvas.SetFileBytes(size);
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
    // Opened without waiting, and only a regular file: a FIFO would block the
    // open, a link to a device would be read forever.
    platform::InputFile file;
    std::string why;
    if (!file.Open(path, why)) {
        SetPhotoError(std::string("The file cannot be read (") + why + "): " + path);
        return nullptr;
    }
    if (file.Size() > kMaxFileBytes) {
        SetPhotoError(std::string("The file is too large to be a picture: ") + path);
        return nullptr;
    }
    const auto size = static_cast<std::size_t>(file.Size());
    // A movable block: large ones come as huge pages, far cheaper to fault
    // in than small ones for a file of megabytes.
    gmem::Owner buffer(gmem::Alloc(gmem::kMoveable, size + 1));
    auto* bytes = static_cast<std::uint8_t*>(gmem::Lock(buffer.get()));
    if (!bytes) {
        SetPhotoError("No memory to read the file");
        return nullptr;
    }
    const std::size_t got = file.ReadAt(0, bytes, size);
    file.Close();
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
