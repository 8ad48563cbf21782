// SPDX-License-Identifier: GPL-3.0-or-later
// The composition's entry point: whatever the reader produced, palette images
// are widened to 24 bits; other depths go on unchanged and ScaleDIB decides
// whether it can use them.
#include "vistrel/dib/convert.h"

namespace vistrel::dib {

gmem::Handle DIBTo24(gmem::Handle dib)
{
    gmem::Handle out;
    switch (GetDIBBitPerPixel(dib)) {
    case 1:
        out = DIB1To24(dib);
        break;
    case 4:
        out = DIB4To24(dib);
        break;
    case 8:
        out = DIB8To24(dib);
        break;
    default:
        return dib;
    }
    gmem::Free(dib);
    return out;
}

} // namespace vistrel::dib
