// A DIB as a QImage, for drawing it: uncompressed 1-, 4-, 8-, 24- and
// 32-bit images and run-length coded 4- and 8-bit ones, every form but 24
// bits through the dib library's expansion (ExpandDIBTo24). Everything is
// checked against the block, so a damaged image gives a null QImage, never a
// read outside it. Safe on any thread.
#pragma once

#include "vistrel/platform/global_memory.h"

#include <QImage>

namespace vistrel::manager {

QImage ImageFromDib(gmem::Handle dib);

} // namespace vistrel::manager
