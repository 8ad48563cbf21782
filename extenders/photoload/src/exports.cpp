// SPDX-License-Identifier: GPL-3.0-or-later
// Photoload, the reader extender for photographs and the other pictures
// people have: the operations the programs look up by name. The reading
// lives in the reader library (vistrel/photoload/read_photo.h).
#include <cstring>

#include "vistrel/dib/dib.h"
#include "vistrel/icon_art/photograph.h"
#include "vistrel/photoload/read_photo.h"
#include "vistrel/platform/settings_store.h"
#include "vistrel_extender.h"

namespace {

// 29 characters: kind letter, number, name, blanks.
constexpr char kId[] = "R0002-PHOTOLOAD              ";
static_assert(sizeof kId - 1 == VISTREL_ID_MAX_CHARS);

constexpr std::uint32_t kParamBlockSize = 44;
constexpr std::uint32_t kIconResource = 100;

} // namespace

VISTREL_OPERATION(const char*, ID)(void) { return kId; }

VISTREL_OPERATION(const char*, version)(void) { return "1.0.0"; }

VISTREL_OPERATION(const char*, description)(void)
{
    return "Photograph reader - Extender\r\n"
#if defined(_WIN32)
           "JPEG, PNG, GIF, TIFF and the other formats Windows Imaging Component decodes\r\n"
#else
           "JPEG, PNG, WebP, GIF, TIFF, HEIF/HEIC/AVIF and JPEG XL, the right way up and in sRGB\r\n"
#endif
           "Made by the Vistrel developers for Vistrel, the automatic wallpaper changer";
}

VISTREL_OPERATION(const char*, shortname)(void) { return "Photoload"; }

VISTREL_OPERATION(const char*, extensions)(void) { return vistrel::photoload::PhotoExtensions(); }

// The same type as the bitmap reader's, so the same viewers show its pictures.
VISTREL_OPERATION(const char*, returnType)(void) { return "image"; }

namespace {

// The memory budget of every read: "MemoryLimit" (MB) in the settings, read
// afresh each time so that a change applies at once.
vistrel::photoload::ReadRequest Request(VistrelNeedFn need = nullptr, void* context = nullptr)
{
    vistrel::photoload::ReadRequest request;
    request.need = need;
    request.context = context;
    if (auto mb = vistrel::platform::settings::ReadNumber(vistrel::photoload::kSettingsKey, "MemoryLimit");
        mb && *mb > 0)
        request.memoryBudget = std::uint64_t{*mb} << 20;
    return request;
}

} // namespace

// The block argument is the entry's reader block; reading needs nothing from it.
VISTREL_OPERATION(VistrelGlobal, read)(const char* path, void* /*block*/)
{
    return vistrel::photoload::ReadPhoto(path, Request());
}

// Shrink-on-load (vistrel_extender.h): the smallest cheap size the viewer's
// answer allows, and transparency over the viewer's background.
VISTREL_OPERATION(VistrelGlobal, readAtLeast)(const char* path, void* /*block*/, VistrelNeedFn need, void* context)
{
    return vistrel::photoload::ReadPhoto(path, Request(need, context));
}

VISTREL_OPERATION(const char*, getError)(void) { return vistrel::photoload::PhotoLastError(); }

// The reader has nothing to set up.
VISTREL_OPERATION(void*, setupDialog)(const char* /*text*/, void* /*block*/) { return nullptr; }

VISTREL_OPERATION(void*, GetDefParams)(void)
{
    namespace gmem = vistrel::gmem;
    gmem::Handle block = gmem::Alloc(gmem::kFixed | gmem::kZeroInit, kParamBlockSize);
    if (!block)
        return nullptr;
    auto* bytes = static_cast<std::uint8_t*>(block);
    vistrel::dib::StoreU32(bytes + VISTREL_BLOCK_SIZE_OFFSET, kParamBlockSize);
    vistrel::dib::StoreU32(bytes + VISTREL_BLOCK_VALUE_OFFSET, kIconResource);
    std::memcpy(bytes + VISTREL_BLOCK_ID_OFFSET, kId, sizeof kId); // 29 characters and the NUL
    vistrel::dib::StoreU32(bytes + VISTREL_BLOCK_HEADER_BYTES, 1);
    return block;
}

// Its picture (resource 100, the number its blocks carry), beside each photo
// row's file name and in the list manager's extender information.
VISTREL_OPERATION(VistrelGlobal, GetIcon)(int resource, int size)
{
    return resource == static_cast<int>(kIconResource)
               ? vistrel::icon_art::MakeIcon(vistrel::icon_art::kPhotograph, size)
               : nullptr;
}
