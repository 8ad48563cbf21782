// SPDX-License-Identifier: GPL-3.0-or-later
// Builds without a GUI have no dialog: the block stays as it is.
#include "free_pos_dialog.h"

namespace picshow {

bool RunFreePosDialog(std::uint8_t*) { return false; }

} // namespace picshow
