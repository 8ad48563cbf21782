// SPDX-License-Identifier: GPL-3.0-or-later
// A viewer of "image" that remembers what it showed. A block whose word at
// offset 44 is 0xBAD refuses to show, as for a picture it cannot compose;
// 0xDE5C refuses as a desktop that does not take the picture would.
#include "fake_block.h"
#include "vistrel_extender.h"

#include <string>

namespace gmem = vistrel::gmem;

static std::string g_lastShown;
static int g_shows = 0;
static const char* g_error = "";
static int g_failure = 0;

VISTREL_OPERATION(const char*, ID)(void) { return "V0001-FAKEVIEW               "; }
VISTREL_OPERATION(const char*, version)(void) { return "1.0"; }
VISTREL_OPERATION(const char*, description)(void) { return "Fake viewer"; }
VISTREL_OPERATION(const char*, shortname)(void) { return "Fakeview"; }
VISTREL_OPERATION(const char*, returnType)(void) { return "image"; }
VISTREL_OPERATION(const char*, MenuDefinition)(void) { return "One\\\\Two"; }
VISTREL_OPERATION(void*, GetDefParams)(void) { return FakeBlock("V0001-FAKEVIEW               ", 72); }
VISTREL_OPERATION(int, FakeShowCount)(void) { return g_shows; }
VISTREL_OPERATION(const char*, getError)(void) { return g_error; }
VISTREL_OPERATION(int, showFailure)(void) { return g_failure; }
VISTREL_OPERATION(const char*, FakeLastShown)(void) { return g_lastShown.c_str(); }

VISTREL_OPERATION(int, show)(VistrelGlobal image, void* block)
{
    std::uint32_t mode = 0;
    std::memcpy(&mode, static_cast<char*>(block) + 44, 4);
    g_error = "";
    g_failure = 0;
    if (mode == 0xBAD) {
        g_error = "this block says 0xBAD";
        g_failure = VISTREL_SHOW_FAILED_PICTURE;
        return 0;
    }
    if (mode == 0xDE5C) {
        g_error = "the desktop is not running";
        g_failure = VISTREL_SHOW_FAILED_INSTALL;
        return 0;
    }
    if (const auto* bytes = static_cast<const char*>(gmem::Lock(image))) {
        g_lastShown = bytes;
        gmem::Unlock(image);
    }
    ++g_shows;
    gmem::Free(image);
    return 1;
}
