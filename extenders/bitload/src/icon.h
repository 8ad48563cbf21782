// SPDX-License-Identifier: GPL-3.0-or-later
// Bitload's own picture (resource 100), shown in the list for every entry's
// reader block and in the list manager's extender information.
#pragma once

#include "vistrel/platform/global_memory.h"

namespace bitload {

inline constexpr int kIconResource = 100;

// A new 32-bit DIB of the picture about `size` pixels square, owned by the
// caller; null for any number but kIconResource.
vistrel::gmem::Handle ReaderIcon(int resource, int size);

} // namespace bitload
