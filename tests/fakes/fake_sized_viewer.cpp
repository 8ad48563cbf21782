// SPDX-License-Identifier: GPL-3.0-or-later
// A viewer of "image" that takes part in shrink-on-load: NeededSize answers
// half the picture's size over the background 0x123456, or (with a block
// whose word at offset 44 is 1) that the picture is shown as it is. Its show
// remembers the image's text, like the plain fake viewer.
#include "fake_block.h"
#include "vistrel_extender.h"

#include <cstring>
#include <string>

namespace gmem = vistrel::gmem;

#define FAKE_SIZED_VIEWER_ID "V0002-SIZEDVIEW              "

static std::string g_lastShown;
static int g_questions = 0;
static VistrelScreen g_lastScreen{};
static bool g_screenGiven = false;

VISTREL_OPERATION(const char*, ID)(void) { return FAKE_SIZED_VIEWER_ID; }
VISTREL_OPERATION(const char*, version)(void) { return "1.0"; }
VISTREL_OPERATION(const char*, description)(void) { return "Fake viewer that answers sizes"; }
VISTREL_OPERATION(const char*, shortname)(void) { return "Fakesizedview"; }
VISTREL_OPERATION(const char*, returnType)(void) { return "image"; }
VISTREL_OPERATION(void*, GetDefParams)(void) { return FakeBlock(FAKE_SIZED_VIEWER_ID, 72); }
VISTREL_OPERATION(const char*, FakeLastShown)(void) { return g_lastShown.c_str(); }
VISTREL_OPERATION(int, FakeQuestions)(void) { return g_questions; }
VISTREL_OPERATION(int, FakeScreenWidth)(void) { return g_screenGiven ? g_lastScreen.width : -1; }

VISTREL_OPERATION(void, NeededSize)
(void* block, const VistrelScreen* screen, std::uint32_t width, std::uint32_t height, VistrelNeed* need)
{
    ++g_questions;
    g_screenGiven = screen != nullptr;
    if (screen)
        g_lastScreen = *screen;
    std::uint32_t mode = 0;
    std::memcpy(&mode, static_cast<char*>(block) + 44, 4);
    need->flags = VISTREL_NEED_BACKGROUND;
    need->background = 0x123456;
    if (mode != 1) {
        need->flags |= VISTREL_NEED_SCALED;
        need->width = width / 2;
        need->height = height / 2;
    }
}

VISTREL_OPERATION(int, show)(VistrelGlobal image, void*)
{
    if (const auto* bytes = static_cast<const char*>(gmem::Lock(image))) {
        g_lastShown = bytes;
        gmem::Unlock(image);
    }
    gmem::Free(image);
    return 1;
}
