// SPDX-License-Identifier: GPL-3.0-or-later
// Which decoder reads which format. The reader library links every decoder
// it was built with. The Photoload module links the light ones (JPEG, PNG,
// WebP, GIF) and keeps the heavy ones (TIFF, and HEIF and JPEG XL with their
// codec libraries, which take far longer to load than a JPEG takes to decode
// on a screen) in libraries of their own in "Photoload.decoders" next to it,
// loaded the first time a file needs one: a change of wallpaper to a JPEG
// does not pay for loading them.
#include "decoders.h"

#ifdef PHOTOLOAD_USE_HELPERS
#include <dlfcn.h>

#include <filesystem>
#include <map>
#include <mutex>
#endif

namespace vistrel::photoload {
namespace {

#ifdef PHOTOLOAD_USE_HELPERS
// The entry point every helper library exports.
using HelperEntry = int (*)(const FileBytes*, PictureSink*);
constexpr const char* kHelperEntry = "photoload_decode";
constexpr const char* kHelperFolder = "Photoload.decoders";

// This module's folder, from the loader's record of where it came from.
std::filesystem::path ModuleFolder()
{
    Dl_info info{};
    if (!dladdr(reinterpret_cast<const void*>(&ModuleFolder), &info) || !info.dli_fname)
        return {};
    return std::filesystem::path(info.dli_fname).parent_path();
}

// Loads a helper once and keeps it for the life of the process.
bool DecodeWithHelper(const char* name, const char* format, const FileBytes& file, PictureSink& sink)
{
    static std::mutex lock;
    static std::map<std::string, HelperEntry> loaded;
    HelperEntry entry = nullptr;
    {
        std::lock_guard<std::mutex> guard(lock);
        auto found = loaded.find(name);
        if (found == loaded.end()) {
            const std::filesystem::path path =
                ModuleFolder() / kHelperFolder / (std::string("photoload_") + name + ".so");
            void* library = dlopen(path.c_str(), RTLD_NOW | RTLD_LOCAL);
            if (!library) {
                const char* why = dlerror();
                return sink.Fail(std::string("The ") + format +
                                 " decoder cannot be loaded: " + (why ? why : path.string()));
            }
            found = loaded.emplace(name, reinterpret_cast<HelperEntry>(dlsym(library, kHelperEntry))).first;
        }
        entry = found->second;
    }
    if (!entry)
        return sink.Fail(std::string("The ") + format + " decoder library is damaged");
    return entry(&file, &sink) != 0;
}
#endif

#if defined(PHOTOLOAD_HAVE_TIFF) && defined(PHOTOLOAD_USE_HELPERS)
bool Tiff(const FileBytes& f, PictureSink& s) { return DecodeWithHelper("tiff", "TIFF", f, s); }
#elif defined(PHOTOLOAD_HAVE_TIFF)
bool Tiff(const FileBytes& f, PictureSink& s) { return DecodeTiff(f, s); }
#endif
#if defined(PHOTOLOAD_HAVE_HEIF) && defined(PHOTOLOAD_USE_HELPERS)
bool Heif(const FileBytes& f, PictureSink& s) { return DecodeWithHelper("heif", "HEIF", f, s); }
#elif defined(PHOTOLOAD_HAVE_HEIF)
bool Heif(const FileBytes& f, PictureSink& s) { return DecodeHeif(f, s); }
#endif
#if defined(PHOTOLOAD_HAVE_JXL) && defined(PHOTOLOAD_USE_HELPERS)
bool Jxl(const FileBytes& f, PictureSink& s) { return DecodeWithHelper("jxl", "JPEG XL", f, s); }
#elif defined(PHOTOLOAD_HAVE_JXL)
bool Jxl(const FileBytes& f, PictureSink& s) { return DecodeJxl(f, s); }
#endif

} // namespace

DecodeFn DecoderFor(Format format)
{
    switch (format) {
#ifdef PHOTOLOAD_HAVE_JPEG
    case Format::kJpeg: return &DecodeJpeg;
#endif
#ifdef PHOTOLOAD_HAVE_PNG
    case Format::kPng: return &DecodePng;
#endif
#ifdef PHOTOLOAD_HAVE_WEBP
    case Format::kWebp: return &DecodeWebp;
#endif
#ifdef PHOTOLOAD_HAVE_GIF
    case Format::kGif: return &DecodeGif;
#endif
#ifdef PHOTOLOAD_HAVE_TIFF
    case Format::kTiff: return &Tiff;
#endif
#ifdef PHOTOLOAD_HAVE_HEIF
    case Format::kHeif: return &Heif;
#endif
#ifdef PHOTOLOAD_HAVE_JXL
    case Format::kJxl: return &Jxl;
#endif
    default: return nullptr;
    }
}

} // namespace vistrel::photoload
