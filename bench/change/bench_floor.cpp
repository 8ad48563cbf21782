// SPDX-License-Identifier: GPL-3.0-or-later
// What a picture's decoder alone must do, the floor a wallpaper change
// cannot go below: for a PNG the inflation of its image data (zlib, and
// libdeflate), for a HEIC libheif's decode of the primary image, for a JPEG
// libjpeg's decode at the scale the change uses. The file is read into
// memory first; only the decoder's work is timed, the best of RUNS.
//
//   vistrel_bench_floor png|heif|jpeg FILE [RUNS] [JPEG_EIGHTHS]
#include <algorithm>
#include <chrono>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

#ifdef FLOOR_HAVE_ZLIB
#include <zlib.h>
#endif
#ifdef FLOOR_HAVE_LIBDEFLATE
#include <libdeflate.h>
#endif
#ifdef FLOOR_HAVE_HEIF
#include <libheif/heif.h>
#endif
#ifdef FLOOR_HAVE_JPEG
// clang-format off
#include <cstdio>
#include <jpeglib.h>
// clang-format on
#endif

using Clock = std::chrono::steady_clock;

namespace {

double Milliseconds(Clock::time_point since)
{
    return std::chrono::duration<double, std::milli>(Clock::now() - since).count();
}

std::uint32_t Big32(const std::uint8_t* p)
{
    return std::uint32_t{p[0]} << 24 | std::uint32_t{p[1]} << 16 | std::uint32_t{p[2]} << 8 | p[3];
}

struct Png {
    std::vector<std::uint8_t> idat; // the zlib stream, all IDAT chunks together
    std::size_t inflated = 0;       // the filtered rows' bytes
};

bool ParsePng(const std::vector<std::uint8_t>& file, Png& png)
{
    if (file.size() < 33 || std::memcmp(file.data(), "\x89PNG\r\n\x1a\n", 8) != 0)
        return false;
    const std::uint32_t width = Big32(&file[16]), height = Big32(&file[20]);
    const int depth = file[24], type = file[25];
    const int channels = type == 0 ? 1 : type == 2 ? 3 : type == 3 ? 1 : type == 4 ? 2 : 4;
    png.inflated = (std::size_t{width} * channels * depth + 7) / 8 * height + height;
    for (std::size_t at = 8; at + 12 <= file.size();) {
        const std::size_t length = Big32(&file[at]);
        if (length > file.size() - at - 12)
            return false;
        if (std::memcmp(&file[at + 4], "IDAT", 4) == 0)
            png.idat.insert(png.idat.end(), file.begin() + static_cast<long>(at + 8),
                            file.begin() + static_cast<long>(at + 8 + length));
        at += 12 + length;
    }
    return !png.idat.empty();
}

int FloorPng(const std::vector<std::uint8_t>& file, int runs)
{
    Png png;
    if (!ParsePng(file, png))
        return std::fprintf(stderr, "not a PNG\n"), 1;
    std::vector<std::uint8_t> out(png.inflated);
#ifdef FLOOR_HAVE_ZLIB
    double best = 1e9;
    for (int run = 0; run < runs; ++run) {
        const Clock::time_point start = Clock::now();
        z_stream z{};
        inflateInit(&z);
        z.next_in = png.idat.data();
        z.avail_in = static_cast<uInt>(png.idat.size());
        z.next_out = out.data();
        z.avail_out = static_cast<uInt>(out.size());
        const int rc = inflate(&z, Z_FINISH);
        inflateEnd(&z);
        best = std::min(best, Milliseconds(start));
        if (rc != Z_STREAM_END)
            return std::fprintf(stderr, "zlib: %d\n", rc), 1;
    }
    std::printf("zlib inflate of the IDAT           %8.1f ms\n", best);
#endif
#ifdef FLOOR_HAVE_LIBDEFLATE
    best = 1e9;
    for (int run = 0; run < runs; ++run) {
        const Clock::time_point start = Clock::now();
        libdeflate_decompressor* d = libdeflate_alloc_decompressor();
        std::size_t got = 0;
        const libdeflate_result rc =
            libdeflate_zlib_decompress(d, png.idat.data(), png.idat.size(), out.data(), out.size(), &got);
        libdeflate_free_decompressor(d);
        best = std::min(best, Milliseconds(start));
        if (rc != LIBDEFLATE_SUCCESS)
            return std::fprintf(stderr, "libdeflate: %d\n", rc), 1;
    }
    std::printf("libdeflate inflate of the IDAT     %8.1f ms\n", best);
#endif
    return 0;
}

int FloorHeif([[maybe_unused]] const std::vector<std::uint8_t>& file, [[maybe_unused]] int runs)
{
#ifdef FLOOR_HAVE_HEIF
    double best = 1e9;
    for (int run = 0; run < runs; ++run) {
        const Clock::time_point start = Clock::now();
        heif_context* ctx = heif_context_alloc();
        heif_image_handle* handle = nullptr;
        heif_image* image = nullptr;
        bool ok =
            heif_context_read_from_memory_without_copy(ctx, file.data(), file.size(), nullptr).code == heif_error_Ok &&
            heif_context_get_primary_image_handle(ctx, &handle).code == heif_error_Ok &&
            heif_decode_image(handle, &image, heif_colorspace_RGB, heif_chroma_interleaved_RGB, nullptr).code ==
                heif_error_Ok;
        heif_image_release(image);
        heif_image_handle_release(handle);
        heif_context_free(ctx);
        best = std::min(best, Milliseconds(start));
        if (!ok)
            return std::fprintf(stderr, "libheif cannot decode it\n"), 1;
    }
    std::printf("libheif decode to RGB              %8.1f ms\n", best);
#endif
    return 0;
}

int FloorJpeg([[maybe_unused]] const std::vector<std::uint8_t>& file, [[maybe_unused]] int runs,
              [[maybe_unused]] int eighths)
{
#ifdef FLOOR_HAVE_JPEG
    double best = 1e9;
    for (int run = 0; run < runs; ++run) {
        const Clock::time_point start = Clock::now();
        jpeg_decompress_struct info{};
        jpeg_error_mgr errors{};
        info.err = jpeg_std_error(&errors);
        jpeg_create_decompress(&info);
        jpeg_mem_src(&info, file.data(), static_cast<unsigned long>(file.size()));
        jpeg_read_header(&info, TRUE);
        info.out_color_space = JCS_EXT_BGR;
        info.scale_num = static_cast<unsigned>(eighths);
        info.scale_denom = 8;
        jpeg_start_decompress(&info);
        std::vector<std::uint8_t> row(std::size_t{info.output_width} * 3);
        JSAMPROW rows[1] = {row.data()};
        while (info.output_scanline < info.output_height)
            jpeg_read_scanlines(&info, rows, 1);
        jpeg_finish_decompress(&info);
        jpeg_destroy_decompress(&info);
        best = std::min(best, Milliseconds(start));
    }
    std::printf("libjpeg decode at %d/8              %8.1f ms\n", eighths, best);
#endif
    return 0;
}

} // namespace

int main(int argc, char** argv)
{
    if (argc < 3)
        return std::fprintf(stderr, "usage: vistrel_bench_floor png|heif|jpeg FILE [RUNS] [JPEG_EIGHTHS]\n"), 2;
    std::ifstream in(argv[2], std::ios::binary);
    const std::vector<std::uint8_t> file((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
    const int runs = argc > 3 ? std::max(1, std::atoi(argv[3])) : 7;
    const std::string format = argv[1];
    if (format == "png")
        return FloorPng(file, runs);
    if (format == "heif")
        return FloorHeif(file, runs);
    if (format == "jpeg")
        return FloorJpeg(file, runs, argc > 4 ? std::atoi(argv[4]) : 8);
    return std::fprintf(stderr, "unknown format %s\n", argv[1]), 2;
}
