// SPDX-License-Identifier: GPL-3.0-or-later
// Widening palette images to 24 bits so that they can be scaled and composed.
//
// Every routine takes a DIB handle, leaves it unchanged and returns a new DIB
// (null on failure), except DIBTo24, which consumes its input. A failure
// stores its message in the library's last error text (DibLastError).
#pragma once

#include <cstdint>

#include "vistrel/platform/global_memory.h"

namespace vistrel::dib {

// The last failure's message of the conversions and WriteDIB on the calling
// thread; empty until that thread's first failure.
const char* DibLastError();

// Bits per pixel of a DIB; 0 for a null handle.
std::uint32_t GetDIBBitPerPixel(gmem::Handle dib);

gmem::Handle DIB1To4(gmem::Handle dib);
gmem::Handle DIB4To8(gmem::Handle dib);
gmem::Handle DIB8To24(gmem::Handle dib);
gmem::Handle DIB1To24(gmem::Handle dib);
gmem::Handle DIB4To24(gmem::Handle dib);

// Brings any image to 24 bits for composition: a 1-, 4- or 8-bit DIB is
// converted and the input released (the result is null on failure); an image
// of any other depth is returned as it is.
gmem::Handle DIBTo24(gmem::Handle dib);

} // namespace vistrel::dib
