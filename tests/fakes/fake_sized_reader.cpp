// SPDX-License-Identifier: GPL-3.0-or-later
// A reader of ".sized" files that takes part in shrink-on-load. Its "image"
// is a text saying how it was read: "read PATH", or "readAtLeast WxH ->
// FLAGS WxH BACKGROUND" with the picture size it announced (taken from the
// path's "-WxH." part) and what the viewer answered.
#include "fake_block.h"
#include "vistrel_extender.h"

#include <cstdio>
#include <string>

namespace gmem = vistrel::gmem;

#define FAKE_SIZED_READER_ID "R0003-SIZEDREAD              "

namespace {

VistrelGlobal TextImage(const std::string& text)
{
    VistrelGlobal image = gmem::Alloc(gmem::kMoveable | gmem::kZeroInit, text.size() + 1);
    if (auto* bytes = static_cast<char*>(gmem::Lock(image))) {
        text.copy(bytes, text.size());
        gmem::Unlock(image);
    }
    return image;
}

} // namespace

VISTREL_OPERATION(const char*, ID)(void) { return FAKE_SIZED_READER_ID; }
VISTREL_OPERATION(const char*, version)(void) { return "1.0"; }
VISTREL_OPERATION(const char*, description)(void) { return "Fake reader that shrinks on load"; }
VISTREL_OPERATION(const char*, shortname)(void) { return "Fakesized"; }
VISTREL_OPERATION(const char*, extensions)(void) { return ".sized"; }
VISTREL_OPERATION(const char*, returnType)(void) { return "image"; }
VISTREL_OPERATION(void*, GetDefParams)(void) { return FakeBlock(FAKE_SIZED_READER_ID, 44); }

VISTREL_OPERATION(VistrelGlobal, read)(const char* path, void*)
{
    return TextImage(std::string("read ") + (path ? path : ""));
}

VISTREL_OPERATION(VistrelGlobal, readAtLeast)(const char* path, void*, VistrelNeedFn need, void* context)
{
    unsigned width = 0, height = 0;
    const std::string text = path ? path : "";
    const std::size_t dash = text.rfind('-');
    if (dash == std::string::npos || std::sscanf(text.c_str() + dash, "-%ux%u.", &width, &height) != 2)
        return nullptr;
    VistrelNeed answer{};
    if (need)
        need(context, width, height, &answer);
    char line[160];
    std::snprintf(line, sizeof line, "readAtLeast %ux%u -> %u %ux%u %06X", width, height, answer.flags, answer.width,
                  answer.height, answer.background);
    return TextImage(line);
}
