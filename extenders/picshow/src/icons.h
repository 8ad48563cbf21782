// SPDX-License-Identifier: GPL-3.0-or-later
// Picshow's small pictures: one per composition mode, shown in the list for
// each entry's viewer block (its extender value names the mode's picture).
#pragma once

#include "vistrel/platform/global_memory.h"

namespace picshow {

// A new 32-bit DIB of picture `resource` (1005-1009) about `size` pixels
// square, owned by the caller; null for any other number.
vistrel::gmem::Handle ModeIcon(int resource, int size);

} // namespace picshow
