// SPDX-License-Identifier: GPL-3.0-or-later
// The one export of a decoder library the Photoload module loads on demand
// (decoder_table.cpp): PHOTOLOAD_HELPER_DECODER names the decoder function.
#include "decoders.h"
#include "vistrel_extender.h"

VISTREL_EXTERN_C VISTREL_EXPORT int photoload_decode(const vistrel::photoload::FileBytes* file,
                                                     vistrel::photoload::PictureSink* sink)
{
    if (!file || !sink)
        return 0;
    return vistrel::photoload::PHOTOLOAD_HELPER_DECODER(*file, *sink) ? 1 : 0;
}
