// SPDX-License-Identifier: GPL-3.0-or-later
// Extenders with pictures (the GetIcon export), of the type "picture", so
// that lists can mix them with the "image" fakes. Built twice: as a reader
// of ".pic" files (icon 100, green) and, with FAKE_ICON_VIEWER, as a viewer
// whose commands "Red" and "Blue" set its block's icon to 301 or 302 (its
// default block shows 300, grey). Every icon is a filled 16 x 16 square with
// a black frame; colours are RGB.
#include "fake_block.h"
#include "vistrel_extender.h"

#include <cstring>
#include <string>

namespace gmem = vistrel::gmem;

namespace {

std::uint32_t ColourOf(int resource)
{
#ifdef FAKE_ICON_VIEWER
    switch (resource) {
    case 300: return 0x808080;
    case 301: return 0xE01010;
    case 302: return 0x1010E0;
    default: return 0;
    }
#else
    return resource == 100 ? 0x00A000 : 0;
#endif
}

void* Block(const char* id, std::uint32_t size, std::uint32_t value)
{
    void* block = FakeBlock(id, size);
    if (block)
        std::memcpy(static_cast<char*>(block) + 4, &value, 4);
    return block;
}

} // namespace

#ifdef FAKE_ICON_VIEWER
#define FAKE_ID "V0003-ICONVIEW               "
VISTREL_OPERATION(const char*, shortname)(void) { return "Iconview"; }
VISTREL_OPERATION(const char*, MenuDefinition)(void) { return "Red\\\\Blue"; }
VISTREL_OPERATION(void*, GetDefParams)(void) { return Block(FAKE_ID, 72, 300); }
VISTREL_OPERATION(void*, RunCommand)(void* block, int command)
{
    std::uint32_t value = 301 + static_cast<std::uint32_t>(command);
    std::memcpy(static_cast<char*>(block) + 4, &value, 4);
    return block;
}
VISTREL_OPERATION(int, show)(VistrelGlobal image, void*)
{
    gmem::Free(image);
    return 1;
}
#else
#define FAKE_ID "R0003-ICONREAD               "
VISTREL_OPERATION(const char*, shortname)(void) { return "Iconread"; }
VISTREL_OPERATION(const char*, extensions)(void) { return ".pic"; }
VISTREL_OPERATION(void*, GetDefParams)(void) { return Block(FAKE_ID, 44, 100); }
VISTREL_OPERATION(VistrelGlobal, read)(const char* path, void*)
{
    std::string text = path ? path : "";
    VistrelGlobal image = gmem::Alloc(gmem::kMoveable | gmem::kZeroInit, text.size() + 1);
    if (auto* bytes = static_cast<char*>(gmem::Lock(image))) {
        text.copy(bytes, text.size());
        gmem::Unlock(image);
    }
    return image;
}
#endif

VISTREL_OPERATION(const char*, ID)(void) { return FAKE_ID; }
VISTREL_OPERATION(const char*, version)(void) { return "2.0"; }
VISTREL_OPERATION(const char*, description)(void) { return "Fake with pictures\r\nsecond line"; }
VISTREL_OPERATION(const char*, returnType)(void) { return "picture"; }

// A 16 x 16 bottom-up 32-bit DIB, whatever size was asked for.
VISTREL_OPERATION(VistrelGlobal, GetIcon)(int resource, int)
{
    const std::uint32_t colour = ColourOf(resource);
    if (!colour)
        return nullptr;
    constexpr std::int32_t side = 16;
    VistrelGlobal dib = gmem::Alloc(gmem::kMoveable | gmem::kZeroInit, 40 + 4 * side * side);
    auto* bytes = static_cast<std::uint8_t*>(gmem::Lock(dib));
    if (!bytes)
        return dib;
    const std::uint32_t header = 40;
    const std::uint16_t planes = 1, bits = 32;
    std::memcpy(bytes, &header, 4);
    std::memcpy(bytes + 4, &side, 4);
    std::memcpy(bytes + 8, &side, 4);
    std::memcpy(bytes + 12, &planes, 2);
    std::memcpy(bytes + 14, &bits, 2);
    for (int y = 0; y < side; ++y)
        for (int x = 0; x < side; ++x) {
            std::uint8_t* pixel = bytes + 40 + 4 * (y * side + x);
            const bool frame = x == 0 || y == 0 || x == side - 1 || y == side - 1;
            pixel[0] = frame ? 0 : static_cast<std::uint8_t>(colour);
            pixel[1] = frame ? 0 : static_cast<std::uint8_t>(colour >> 8);
            pixel[2] = frame ? 0 : static_cast<std::uint8_t>(colour >> 16);
            pixel[3] = 255;
        }
    gmem::Unlock(dib);
    return dib;
}
