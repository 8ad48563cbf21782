// SPDX-License-Identifier: GPL-3.0-or-later
// 1 bit to 24 bits by way of 4 and 8 bits; each step's message stands when
// it fails, and the intermediates never outlive the call.
#include "last_error.h"
#include "vistrel/dib/convert.h"

namespace vistrel::dib {

gmem::Handle DIB1To24(gmem::Handle dib)
{
    if (!dib) {
        SetDibError("DIB1To24: Keine DIB vorhanden!");
        return nullptr;
    }
    gmem::Owner four(DIB1To4(dib));
    if (!four)
        return nullptr;
    gmem::Owner eight(DIB4To8(four.get()));
    if (!eight)
        return nullptr;
    return DIB8To24(eight.get());
}

} // namespace vistrel::dib
