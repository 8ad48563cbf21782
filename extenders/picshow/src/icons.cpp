// SPDX-License-Identifier: GPL-3.0-or-later
// The five mode pictures: a monitor whose screen shows how a photo (blue sky,
// sun, green hills) fills it in that mode. The Tile picture repeats it, the
// Center one puts it small on the dark desktop, Fit stretches it over the
// whole screen, Proportioned Fit keeps its shape with dark bars, and Free Pos
// places it anywhere, with the mouse pointer that drew it.
#include "icons.h"

#include "viewer_block.h"

#include "vistrel/icon_art/icon_art.h"

namespace picshow {

namespace {

using vistrel::icon_art::Art;
using vistrel::icon_art::Ink;

constexpr Ink kScreenInks[] = {
    {'.', 0x00000000}, // transparent
    {'k', 0xFF2A2F3A}, // monitor frame
    {'s', 0xFF6B7280}, // stand
    {'d', 0xFF1E2633}, // the desktop around the photo
    {'b', 0xFF4A90E2}, // sky
    {'y', 0xFFFFD23F}, // sun
    {'G', 0xFF3FA34D}, // hills
    {'w', 0xFFFFFFFF}, // mouse pointer
};

constexpr Art kTile{{
                        ".kkkkkkkkkkkkkk.",
                        "kbbbbbybbbbbbybk",
                        "kbbbbbbbbbbbbbbk",
                        "kbbGbbbbbbGbbbbk",
                        "kbGGGbGGbGGGbGGk",
                        "kGGGGGGGGGGGGGGk",
                        "kbbbbbybbbbbbybk",
                        "kbbbbbbbbbbbbbbk",
                        "kbbGbbbbbbGbbbbk",
                        "kbGGGbGGbGGGbGGk",
                        "kGGGGGGGGGGGGGGk",
                        ".kkkkkkkkkkkkkk.",
                        "......ssss......",
                        "......ssss......",
                        "...ssssssssss...",
                        "................",
                    },
                    kScreenInks};

constexpr Art kCenter{{
                          ".kkkkkkkkkkkkkk.",
                          "kddddddddddddddk",
                          "kddddddddddddddk",
                          "kddddddddddddddk",
                          "kddddbbbbybddddk",
                          "kddddbbbbbbddddk",
                          "kddddbGGbbGddddk",
                          "kddddGGGGGGddddk",
                          "kddddddddddddddk",
                          "kddddddddddddddk",
                          "kddddddddddddddk",
                          ".kkkkkkkkkkkkkk.",
                          "......ssss......",
                          "......ssss......",
                          "...ssssssssss...",
                          "................",
                      },
                      kScreenInks};

constexpr Art kFit{{
                       ".kkkkkkkkkkkkkk.",
                       "kbbbbbbbbbbbbbbk",
                       "kbbbbbbbbbbyybbk",
                       "kbbbbbbbbbyyyybk",
                       "kbbbbbbbbbbyybbk",
                       "kbbbbbbbbbbbbbbk",
                       "kbbbGGbbbbbbbbbk",
                       "kbbGGGGbbbbbGGbk",
                       "kbGGGGGGbbGGGGGk",
                       "kGGGGGGGGGGGGGGk",
                       "kGGGGGGGGGGGGGGk",
                       ".kkkkkkkkkkkkkk.",
                       "......ssss......",
                       "......ssss......",
                       "...ssssssssss...",
                       "................",
                   },
                   kScreenInks};

constexpr Art kProportionedFit{{
                                   ".kkkkkkkkkkkkkk.",
                                   "kddddddddddddddk",
                                   "kddddddddddddddk",
                                   "kbbbbbbbbbbyybbk",
                                   "kbbbbbbbbbyyyybk",
                                   "kbbbbbbbbbbyybbk",
                                   "kbbbGGbbbbbbbbbk",
                                   "kbGGGGGGbbbGGGbk",
                                   "kGGGGGGGGGGGGGGk",
                                   "kddddddddddddddk",
                                   "kddddddddddddddk",
                                   ".kkkkkkkkkkkkkk.",
                                   "......ssss......",
                                   "......ssss......",
                                   "...ssssssssss...",
                                   "................",
                               },
                               kScreenInks};

constexpr Art kFreePos{{
                           ".kkkkkkkkkkkkkk.",
                           "kddddddddddddddk",
                           "kdbbbbbyybdddddk",
                           "kdbbbbbbbbdddddk",
                           "kdbGGbbbbbdddddk",
                           "kdGGGGGbGGdwdddk",
                           "kdGGGGGGGGdwwddk",
                           "kddddddddddwwwdk",
                           "kddddddddddwwwwk",
                           "kddddddddddwwddk",
                           "kdddddddddddwddk",
                           ".kkkkkkkkkkkkkk.",
                           "......ssss......",
                           "......ssss......",
                           "...ssssssssss...",
                           "................",
                       },
                       kScreenInks};

static_assert(vistrel::icon_art::IsWellFormed(kTile));
static_assert(vistrel::icon_art::IsWellFormed(kCenter));
static_assert(vistrel::icon_art::IsWellFormed(kFit));
static_assert(vistrel::icon_art::IsWellFormed(kProportionedFit));
static_assert(vistrel::icon_art::IsWellFormed(kFreePos));

// In the order of the modes, as kModeIcons numbers them.
constexpr const Art* kModeArt[] = {&kTile, &kCenter, &kFit, &kProportionedFit, &kFreePos};
static_assert(std::size(kModeArt) == std::size(kModeIcons));

} // namespace

vistrel::gmem::Handle ModeIcon(int resource, int size)
{
    for (std::size_t mode = 0; mode < std::size(kModeIcons); ++mode)
        if (static_cast<std::uint32_t>(resource) == kModeIcons[mode] && resource > 0)
            return vistrel::icon_art::MakeIcon(*kModeArt[mode], size);
    return nullptr;
}

} // namespace picshow
