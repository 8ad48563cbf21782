// SPDX-License-Identifier: GPL-3.0-or-later
// Builds without Little CMS show every picture as if it were sRGB.
#include "canvas.h"

namespace vistrel::photoload {

std::unique_ptr<ColourTransform> MakeColourTransform(const std::vector<std::uint8_t>&, Layout) { return nullptr; }

} // namespace vistrel::photoload
