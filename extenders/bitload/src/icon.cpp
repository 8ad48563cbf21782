// SPDX-License-Identifier: GPL-3.0-or-later
// A bitmap file: a page with a folded corner holding a small photo (sky, sun,
// hills) above a line of text.
#include "icon.h"

#include "vistrel/icon_art/icon_art.h"

namespace bitload {

namespace {

using vistrel::icon_art::Art;
using vistrel::icon_art::Ink;

constexpr Ink kPageInks[] = {
    {'.', 0x00000000}, // transparent
    {'k', 0xFF404650}, // outline
    {'w', 0xFFFFFFFF}, // paper
    {'f', 0xFFD0D4DC}, // the folded corner
    {'g', 0xFF9AA0AA}, // a line of text
    {'b', 0xFF4A90E2}, // sky
    {'y', 0xFFFFD23F}, // sun
    {'G', 0xFF3FA34D}, // hills
};

constexpr Art kPage{{
                        "..kkkkkkkkk.....",
                        "..kwwwwwwwkk....",
                        "..kwwwwwwwkfk...",
                        "..kwwwwwwwkkkk..",
                        "..kwwwwwwwwwwk..",
                        "..kwbbbbbyybwk..",
                        "..kwbbbbyyyywk..",
                        "..kwbbbbbyybwk..",
                        "..kwbbGbbbbbwk..",
                        "..kwbGGGbbGbwk..",
                        "..kwGGGGGGGGwk..",
                        "..kwGGGGGGGGwk..",
                        "..kwwwwwwwwwwk..",
                        "..kwggggggwwwk..",
                        "..kwwwwwwwwwwk..",
                        "..kkkkkkkkkkkk..",
                    },
                    kPageInks};

static_assert(vistrel::icon_art::IsWellFormed(kPage));

} // namespace

vistrel::gmem::Handle ReaderIcon(int resource, int size)
{
    return resource == kIconResource ? vistrel::icon_art::MakeIcon(kPage, size) : nullptr;
}

} // namespace bitload
