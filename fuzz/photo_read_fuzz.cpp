// SPDX-License-Identifier: GPL-3.0-or-later
// Fuzz entry point of the photograph reader: any bytes as a file, read by
// whichever decoder their signature picks, with a viewer's answer steered by
// the input's last bytes (so that the shrinking paths are fuzzed too), then
// what the viewer does with the picture (scaling). Built for libFuzzer with
// clang, and replayed over the seeds by the tests.
#include <cstddef>
#include <cstdint>

#include "vistrel/dib/scale.h"
#include "vistrel/photoload/read_photo.h"

namespace {

struct Answer {
    std::uint32_t flags, width, height;
};

void Answering(void* context, std::uint32_t, std::uint32_t, VistrelNeed* need)
{
    const auto* answer = static_cast<const Answer*>(context);
    need->flags = answer->flags;
    need->width = answer->width;
    need->height = answer->height;
    need->background = 0x808080;
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    namespace gmem = vistrel::gmem;
    const std::uint8_t steer = size > 0 ? data[size - 1] : 0;
    Answer answer{static_cast<std::uint32_t>(steer & 3), 1u + (steer >> 2) * 7u, 1u + (steer >> 3) * 5u};
    vistrel::photoload::ReadRequest request;
    request.maxPixels = std::uint64_t{1} << 22; // the checks are the same; the runs stay short
    if (steer & 4) {
        request.need = &Answering;
        request.context = &answer;
    }
    gmem::Owner dib(vistrel::photoload::ReadPhotoFromMemory(data, size, request));
    if (!dib)
        return 0;
    gmem::Owner scaled(vistrel::dib::ScaleDIB(dib.get(), 1 + steer % 61, 1 + steer % 37, vistrel::dib::kAreaAveraging));
    return 0;
}
