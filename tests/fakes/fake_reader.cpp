// SPDX-License-Identifier: GPL-3.0-or-later
// A reader of ".bmp", ".bitmap" and ".slow" files whose "image" is the
// path's text. A path containing "unreadable" cannot be read; a ".slow" file
// is read once a file of its name with ".go" added appears (at most 10 s),
// as a reader stuck on a slow disk would be.
#include "fake_block.h"
#include "vistrel_extender.h"

#include <chrono>
#include <filesystem>
#include <string>
#include <thread>

namespace gmem = vistrel::gmem;

#ifndef FAKE_READER_ID
#define FAKE_READER_ID "R0001-FAKEREAD               "
#define FAKE_READER_EXTENSIONS ".bmp\\.bitmap\\.slow"
#endif

static int g_reads = 0;

VISTREL_OPERATION(const char*, ID)(void) { return FAKE_READER_ID; }
VISTREL_OPERATION(const char*, version)(void) { return "1.0"; }
VISTREL_OPERATION(const char*, description)(void) { return "Fake reader\r\n\r\nfor tests"; }
VISTREL_OPERATION(const char*, shortname)(void) { return "Fakeread"; }
VISTREL_OPERATION(const char*, extensions)(void) { return FAKE_READER_EXTENSIONS; }
VISTREL_OPERATION(const char*, returnType)(void) { return "image"; }
VISTREL_OPERATION(void*, GetDefParams)(void) { return FakeBlock(FAKE_READER_ID, 44); }
VISTREL_OPERATION(int, FakeReadCount)(void) { return g_reads; }

VISTREL_OPERATION(VistrelGlobal, read)(const char* path, void* block)
{
    ++g_reads;
    std::string text = path ? path : "";
    if (text.find("unreadable") != std::string::npos)
        return nullptr;
    if (text.size() > 5 && text.compare(text.size() - 5, 5, ".slow") == 0) {
        for (int i = 0; i < 1000 && !std::filesystem::exists(text + ".go"); ++i)
            std::this_thread::sleep_for(std::chrono::milliseconds(10));
    }
    // Mark the block so tests see that reads change blocks in place.
    static_cast<unsigned char*>(block)[42] = 0x5A;
    VistrelGlobal image = gmem::Alloc(gmem::kMoveable | gmem::kZeroInit, text.size() + 1);
    if (auto* bytes = static_cast<char*>(gmem::Lock(image))) {
        text.copy(bytes, text.size());
        gmem::Unlock(image);
    }
    return image;
}
