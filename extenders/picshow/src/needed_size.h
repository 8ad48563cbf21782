// SPDX-License-Identifier: GPL-3.0-or-later
// The size a block's mode scales a picture to, without scaling anything: what
// a reader that shrinks on load asks the viewer (NeededSize in
// vistrel_extender.h). It follows Compose step for step, so the two agree on
// which modes scale and to what size.
#pragma once

#include "compose.h"
#include "viewer_block.h"

#include <cstdint>
#include <optional>

namespace picshow {

struct ScaledSize {
    std::uint32_t width = 0;
    std::uint32_t height = 0;
};

// The size Compose scales a picture of `width` x `height` to for `settings`
// on `screen`; nothing when the mode shows the picture as it is (Tile,
// Center, a free rectangle that is not scaled, a fit outside the sizes that
// are scaled) or the sizes describe no picture.
std::optional<ScaledSize> NeededSize(const ViewerSettings& settings, const Screen& screen, std::uint32_t width,
                                     std::uint32_t height);

} // namespace picshow
