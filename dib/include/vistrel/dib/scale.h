// SPDX-License-Identifier: GPL-3.0-or-later
// Resampling a 24-bit DIB to another size.
#pragma once

#include <cstdint>

#include "vistrel/platform/global_memory.h"

namespace vistrel::dib {

enum ScaleMode : int {
    kNearestPixel = 0, // the preview pane's quick mode
    kAreaAveraging = 1 // any other value: what wallpapers are stretched with
};

// How ScaleDIB tells the world about itself. Everything is optional.
struct ScaleHooks {
    // Receives each failure message (caption "S_W", exclamation style); the
    // signature is the host's message sink. Without it failures are silent.
    int (*message)(const char* text, const char* caption, unsigned style) = nullptr;
    // Called with true before the pixels are computed and with false after,
    // so a program can show its wait cursor.
    void (*busy)(bool on) = nullptr;
};

inline constexpr const char* kScaleCaption = "S_W";

// A new 24-bit DIB of dW × dH pixels resampled from the 24-bit, uncompressed,
// table-less DIB `source`, or null. The source is left as it is.
gmem::Handle ScaleDIB(gmem::Handle source, std::uint32_t dW, std::uint32_t dH, int mode,
                      const ScaleHooks& hooks = {});

} // namespace vistrel::dib
