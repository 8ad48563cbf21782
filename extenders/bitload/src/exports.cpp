// SPDX-License-Identifier: GPL-3.0-or-later
// Bitload, the reader extender for Windows bitmap files: the operations the
// programs look up by name. Everything here is plain data; the reading lives
// in the reader library so that tools can use it without loading the module.
#include <cstring>

#include "icon.h"
#include "vistrel/bitload/read_dib.h"
#include "vistrel/dib/dib.h"
#include "vistrel_extender.h"

namespace {

// 29 characters: kind letter, number, name, blanks.
constexpr char kId[] = "R0001-BITLOAD                ";
static_assert(sizeof kId - 1 == VISTREL_ID_MAX_CHARS);

constexpr std::uint32_t kParamBlockSize = 44;
constexpr std::uint32_t kIconResource = 100;

} // namespace

VISTREL_OPERATION(const char*, ID)(void) { return kId; }

VISTREL_OPERATION(const char*, version)(void) { return "5.1.0.24 [Apr 25 2000]"; }

VISTREL_OPERATION(const char*, description)(void)
{
    return "Standard Windows(r) bitmap reader - Extender\r\n"
           "Reads 1-, 4-, 8-, 16-, 24- and 32-bit Windows and OS/2 bitmaps\r\n"
           "Made by the Vistrel developers for Vistrel, the automatic wallpaper changer";
}

VISTREL_OPERATION(const char*, shortname)(void) { return "Bitload"; }

VISTREL_OPERATION(const char*, extensions)(void) { return ".bmp\\.bitmap"; }

VISTREL_OPERATION(const char*, returnType)(void) { return "image"; }

// The block argument is the entry's reader block; reading needs nothing from it.
VISTREL_OPERATION(VistrelGlobal, read)(const char* path, void* /*block*/) { return vistrel::bitload::ReadDIB(path); }

VISTREL_OPERATION(const char*, getError)(void) { return vistrel::bitload::ReadLastError(); }

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

// Its own picture, 100: the number every reader block carries.
VISTREL_OPERATION(VistrelGlobal, GetIcon)(int resource, int size) { return bitload::ReaderIcon(resource, size); }
