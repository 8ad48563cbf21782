// SPDX-License-Identifier: GPL-3.0-or-later
// Differential fuzz entry point of the PNG reader: every input is read both
// ways, the fast rows of the common PNGs and libspng's decode alone, with a
// viewer's answer steered by the input's last byte (so that the rows go
// through the canvas's second thread too); any difference in the picture's
// bytes, in whether it is read at all, or in the reason it is not, stops
// the run. Built for libFuzzer with clang, and replayed over the seeds by
// the tests.
#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>

#include "canvas.h"
#include "decoders.h"

namespace {

namespace gmem = vistrel::gmem;
using namespace vistrel::photoload;

struct Answer {
    std::uint32_t flags, width, height;
};

void Answering(void* context, std::uint32_t, std::uint32_t, VistrelNeed* need)
{
    const auto* answer = static_cast<const Answer*>(context);
    need->flags = answer->flags;
    need->width = answer->width;
    need->height = answer->height;
    need->background = 0x406080;
}

struct Read {
    gmem::Owner dib;
    std::string error;
};

Read ReadOneWay(const std::uint8_t* data, std::size_t size, const ReadRequest& request, PngRows way)
{
    Canvas canvas(request);
    const bool decoded = DecodePngRows(FileBytes{data, size}, canvas, way);
    return Read{gmem::Owner(decoded ? canvas.Finish() : nullptr), canvas.Error()};
}

[[noreturn]] void Differ(const char* what)
{
    std::fprintf(stderr, "the fast PNG rows and libspng differ: %s\n", what);
    std::abort();
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    const std::uint8_t steer = size > 0 ? data[size - 1] : 0;
    Answer answer{static_cast<std::uint32_t>(steer & 3), 1u + (steer >> 2) * 3u, 1u + (steer >> 3) * 2u};
    ReadRequest request;
    request.maxPixels = std::uint64_t{1} << 22; // the checks are the same; the runs stay short
    if (steer & 4) {
        request.need = &Answering;
        request.context = &answer;
    }
    const Read fast = ReadOneWay(data, size, request, PngRows::kFastest);
    const Read whole = ReadOneWay(data, size, request, PngRows::kLibspng);
    if (!fast.dib != !whole.dib)
        Differ(fast.dib ? "only the fast rows read it" : "only libspng reads it");
    if (!fast.dib) {
        if (fast.error != whole.error)
            Differ(("the reasons: " + fast.error + " / " + whole.error).c_str());
        return 0;
    }
    const std::size_t bytes = gmem::Size(fast.dib.get());
    if (bytes != gmem::Size(whole.dib.get()))
        Differ("the pictures' sizes");
    const void* a = gmem::Lock(fast.dib.get());
    const void* b = gmem::Lock(whole.dib.get());
    const bool same = std::memcmp(a, b, bytes) == 0;
    gmem::Unlock(fast.dib.get());
    gmem::Unlock(whole.dib.get());
    if (!same)
        Differ("the pictures' bytes");
    return 0;
}
