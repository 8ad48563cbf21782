// SPDX-License-Identifier: GPL-3.0-or-later
// The "Free Pos..." dialog that edits the viewer block's free position.
#pragma once

#include <cstdint>

namespace picshow {

// Lets the user edit the block in place; returns whether OK was chosen
// (Cancel leaves the block byte for byte as it was). Without a GUI the block
// stays as it is.
bool RunFreePosDialog(std::uint8_t* block);

} // namespace picshow
