// SPDX-License-Identifier: GPL-3.0-or-later
// The viewer's show: compose, write the wallpaper file, install it.
#pragma once

#include "vistrel/platform/global_memory.h"
#include "vistrel_extender.h"

#include <cstdint>
#include <string>

namespace picshow {

// Why a show failed: VISTREL_SHOW_FAILED_PICTURE or VISTREL_SHOW_FAILED_INSTALL.
struct ShowError {
    int failure = 0;
    std::string text;
};

// True when the new picture was written and the desktop took it; the image
// and everything made from it are then released. False leaves the image as
// it was, still the caller's, with the reason in `error`; the wallpaper file
// then holds the previous picture. ScaleDIB's warnings go to `sink`.
bool ShowImage(vistrel::gmem::Handle image, const std::uint8_t* block, VistrelMessageFn sink, ShowError& error);

} // namespace picshow
