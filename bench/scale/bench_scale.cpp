// SPDX-License-Identifier: GPL-3.0-or-later
// Scaling benchmark: a large 24-bit BMP to wallpaper sizes by area averaging.
//
//   vistrel_bench_scale [image.bmp]            timings of each step, best of 5
//   vistrel_bench_scale --once in.bmp out.bmp W H
//                                              read, scale, write once, as a
//                                              whole process would (time it
//                                              with /usr/bin/time -v)
//
// Without an image a 6000 × 4000 test picture is made in memory.
#include <sys/resource.h>

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <functional>
#include <string>

#include "vistrel/bitload/read_dib.h"
#include "vistrel/dib/dib.h"
#include "vistrel/dib/scale.h"
#include "vistrel/dib/write.h"

namespace {

using namespace vistrel;

double BestMs(int runs, const std::function<void()>& body)
{
    double best = 1e30;
    for (int i = 0; i < runs; ++i) {
        auto t0 = std::chrono::steady_clock::now();
        body();
        best = std::min(best, std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now() - t0).count());
    }
    return best;
}

gmem::Handle TestPicture(std::uint32_t w, std::uint32_t h)
{
    gmem::Handle dib = dib::NewDIB(w, h, 24, 0, 2953, 2953);
    dib::LockedBlock b(dib);
    const std::size_t stride = dib::DIBWidthBytes(24, w);
    for (std::uint32_t y = 0; y < h; ++y)
        for (std::uint32_t x = 0; x < w; ++x) {
            std::uint8_t* p = b.bytes() + 40 + y * stride + 3 * std::size_t{x};
            p[0] = static_cast<std::uint8_t>(x * 7 + y);
            p[1] = static_cast<std::uint8_t>((x ^ y) * 3);
            p[2] = static_cast<std::uint8_t>(y * 5 - x);
        }
    return dib;
}

long PeakMb()
{
    rusage usage{};
    getrusage(RUSAGE_SELF, &usage);
    return usage.ru_maxrss / 1024;
}

} // namespace

int main(int argc, char** argv)
{
    if (argc == 6 && std::strcmp(argv[1], "--once") == 0) {
        gmem::Owner src(bitload::ReadDIB(argv[2]));
        if (!src) {
            std::fprintf(stderr, "%s\n", bitload::ReadLastError());
            return 1;
        }
        gmem::Owner out(dib::ScaleDIB(src.get(), static_cast<std::uint32_t>(std::stoul(argv[4])),
                                      static_cast<std::uint32_t>(std::stoul(argv[5])), dib::kAreaAveraging));
        return out && dib::WriteDIB(argv[3], out.get()) ? 0 : 1;
    }

    gmem::Owner src;
    double readMs = 0;
    if (argc == 2) {
        readMs = BestMs(5, [&] { src.reset(bitload::ReadDIB(argv[1])); });
        if (!src) {
            std::fprintf(stderr, "%s\n", bitload::ReadLastError());
            return 1;
        }
    } else {
        src.reset(TestPicture(6000, 4000));
    }
    dib::LockedBlock info(src.get());
    const dib::InfoHeader h = dib::LoadHeader(info.bytes());
    std::printf("source %d x %d\n", h.biWidth, h.biHeight);
    if (readMs > 0)
        std::printf("  read                   %8.1f ms\n", readMs);
    struct Case {
        std::uint32_t w, h;
        int mode;
        const char* name;
    } cases[] = {{1920, 1080, dib::kAreaAveraging, "area    -> 1920 x 1080"},
                 {3840, 2160, dib::kAreaAveraging, "area    -> 3840 x 2160"},
                 {1920, 1080, dib::kNearestPixel, "nearest -> 1920 x 1080"},
                 {8000, 6000, dib::kAreaAveraging, "area    -> 8000 x 6000"}};
    for (const Case& c : cases) {
        double ms = BestMs(5, [&] { gmem::Owner out(dib::ScaleDIB(src.get(), c.w, c.h, c.mode)); });
        std::printf("  %s %8.1f ms\n", c.name, ms);
    }
    std::printf("peak resident %ld MB\n", PeakMb());
    return 0;
}
