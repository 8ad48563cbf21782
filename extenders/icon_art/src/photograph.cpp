// SPDX-License-Identifier: GPL-3.0-or-later
#include "vistrel/icon_art/photograph.h"

namespace vistrel::icon_art {

namespace {

constexpr Ink kPhotographInks[] = {
    {'.', 0x00000000}, // transparent
    {'k', 0xFF33363D}, // outline
    {'p', 0xFFF4F1EA}, // the print's paper
    {'b', 0xFF5BA7E6}, // sky on the print
    {'G', 0xFF4E9A44}, // a hill on the print
    {'c', 0xFF5A5F6B}, // the camera's body
    {'d', 0xFF3A3E46}, // its darker top
    {'l', 0xFF9FD3FF}, // the lens's glint
    {'L', 0xFF1E4F7A}, // the lens
    {'r', 0xFFE0463A}, // the shutter button
};

constexpr Art kPhotographArt{{
                                 "................",
                                 "kkkkkkkkkk......",
                                 "kppppppppk......",
                                 "kpbbbbbbpk......",
                                 "kpbbbbbbpk......",
                                 "kpbbGGbbpk......",
                                 "kpGGGGdddddr....",
                                 "kpGGGdccccccdd..",
                                 "kppppcccLLLcccd.",
                                 "kkkkkccLLlLLccd.",
                                 ".....ccLlLLLccd.",
                                 ".....ccLLLLLccd.",
                                 ".....cccLLLcccd.",
                                 ".....ccccccccccd",
                                 "......dddddddddd",
                                 "................",
                             },
                             kPhotographInks};

static_assert(IsWellFormed(kPhotographArt));

} // namespace

const Art kPhotograph = kPhotographArt;

} // namespace vistrel::icon_art
