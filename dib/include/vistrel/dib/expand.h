// SPDX-License-Identifier: GPL-3.0-or-later
// Any picture a reader hands over, as plain 24-bit pixels for a display that
// draws them itself. Unlike DIBTo24, which composition relies on and which
// refuses run-length data by design, this one decodes everything a reader
// produces: palette images (also run-length coded), 24 and 32 bits.
#pragma once

#include "vistrel/platform/global_memory.h"

namespace vistrel::dib {

// A new uncompressed 24-bit DIB of the same picture; the input stays as it
// is and the caller's. Run-length data is decoded with every code checked
// against the data and the picture: runs past a row's end are cut, and
// pixels the codes skip (deltas, early ends of line or picture) are black,
// as a freshly made bitmap would show them. Colour indices past the table
// are black too. Null (with DibLastError) for what cannot be decoded.
gmem::Handle ExpandDIBTo24(gmem::Handle dib);

} // namespace vistrel::dib
