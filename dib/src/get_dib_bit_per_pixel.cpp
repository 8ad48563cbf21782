// SPDX-License-Identifier: GPL-3.0-or-later
// The depth of a DIB, which decides how an image is widened for composition.
#include "last_error.h"
#include "vistrel/dib/convert.h"
#include "vistrel/dib/dib.h"

namespace vistrel::dib {

std::uint32_t GetDIBBitPerPixel(gmem::Handle dib)
{
    LockedBlock block(dib);
    if (!block || block.size() < kInfoHeaderSize) {
        SetDibError("GetDIBBitPerPixel: No DIB");
        return 0;
    }
    return LoadU16(block.bytes() + 14);
}

} // namespace vistrel::dib
