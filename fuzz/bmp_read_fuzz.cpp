// SPDX-License-Identifier: GPL-3.0-or-later
// Fuzz entry point of the bitmap reader: any bytes as a file, then what the
// viewer does with a read image (expanding for a display, widening, both
// scaling modes). Built for libFuzzer with clang, and replayed over the
// corpus by the tests.
#include <cstddef>
#include <cstdint>

#include "vistrel/bitload/read_dib.h"
#include "vistrel/dib/convert.h"
#include "vistrel/dib/expand.h"
#include "vistrel/dib/scale.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    namespace gmem = vistrel::gmem;
    gmem::Handle dib = vistrel::bitload::ReadDIBFromMemory(data, size);
    if (!dib)
        return 0;
    gmem::Owner expanded(vistrel::dib::ExpandDIBTo24(dib)); // as a display is given it
    gmem::Owner rgb(vistrel::dib::DIBTo24(dib));            // takes dib
    if (!rgb)
        return 0;
    // Sizes from the input's last bytes, so the fuzzer steers them too.
    const std::uint32_t w = 1 + (size > 0 ? data[size - 1] % 97 : 0);
    const std::uint32_t h = 1 + (size > 1 ? data[size - 2] % 89 : 0);
    gmem::Owner area(vistrel::dib::ScaleDIB(rgb.get(), w, h, vistrel::dib::kAreaAveraging));
    gmem::Owner nearest(vistrel::dib::ScaleDIB(rgb.get(), h, w, vistrel::dib::kNearestPixel));
    return 0;
}
