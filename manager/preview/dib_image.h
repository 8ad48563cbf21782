// SPDX-License-Identifier: GPL-3.0-or-later
// DIBs for drawing: every form a reader hands out (uncompressed 1-, 4-, 8-,
// 24- and 32-bit images and run-length coded 4- and 8-bit ones) as 24-bit
// pixels, through the dib library's expansion (ExpandDIBTo24), and those as
// a QImage. Everything is checked against the block, so a damaged image
// gives nothing, never a read outside it; a picture larger than the preview
// draws gives nothing too. Safe on any thread.
#pragma once

#include "vistrel/platform/global_memory.h"

#include <QImage>

namespace vistrel::manager {

// A new uncompressed 24-bit DIB of the picture, which stays the caller's;
// null for a damaged or oversized one or a form that is not drawn.
gmem::Handle DibAs24(gmem::Handle dib);

QImage ImageFromDib(gmem::Handle dib);

} // namespace vistrel::manager
