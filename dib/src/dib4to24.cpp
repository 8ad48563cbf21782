// SPDX-License-Identifier: GPL-3.0-or-later
// 4 bits to 24 bits by way of 8 bits.
#include "last_error.h"
#include "vistrel/dib/convert.h"

namespace vistrel::dib {

gmem::Handle DIB4To24(gmem::Handle dib)
{
    if (!dib) {
        SetDibError("DIB4To24: Keine DIB vorhanden!");
        return nullptr;
    }
    gmem::Owner eight(DIB4To8(dib));
    if (!eight)
        return nullptr;
    return DIB8To24(eight.get());
}

} // namespace vistrel::dib
