// SPDX-License-Identifier: GPL-3.0-or-later
// JPEG with libjpeg-turbo. Its DCT scaling decodes at 1/8 to 8/8 of the
// size; of those, 1/8, 2/8, 3/8 and 4/8 are cheaper than the full size (the
// others use slower transforms and save next to nothing), so the smallest of
// them that still gives the least size the viewer needs is taken, or the full
// size. The entropy decoding costs the same at every scale.
#include <csetjmp>
#include <cstdio> // jpeglib.h wants FILE
#include <jerror.h>
#include <jpeglib.h>

#include <cstdlib>
#include <cstring>
#include <string>
#include <system_error>
#include <thread>

#include "decoders.h"
#include "exif_orientation.h"

namespace vistrel::photoload {
namespace {

// Progressive files can have any number of scans, each a pass over the whole
// picture; real ones have about ten.
constexpr int kMaxScans = 256;

struct ErrorManager {
    jpeg_error_mgr manager;
    std::jmp_buf jump;
    std::string message;
};

[[noreturn]] void OnError(j_common_ptr info)
{
    auto* errors = reinterpret_cast<ErrorManager*>(info->err);
    char text[JMSG_LENGTH_MAX] = {};
    errors->manager.format_message(info, text);
    errors->message = text;
    // libjpeg's words for its own memory limit say nothing to a user.
    if (errors->manager.msg_code == JERR_NO_BACKING_STORE)
        errors->message = "the picture is stored in several scans (progressive) and would need more than the " +
                          std::to_string(kDecoderMemoryLimit >> 20) + " MB its decoder may take";
    std::longjmp(errors->jump, 1);
}

// Warnings (a file that ends early, damaged data) are not failures: the
// decoder goes on and fills what is missing.
void OnMessage(j_common_ptr, int) {}

void OnProgress(j_common_ptr info)
{
    auto* d = reinterpret_cast<j_decompress_ptr>(info);
    if (d->input_scan_number > kMaxScans) {
        auto* errors = reinterpret_cast<ErrorManager*>(info->err);
        errors->message = "the file has more than " + std::to_string(kMaxScans) + " scans";
        std::longjmp(errors->jump, 1);
    }
}

int Orientation(j_decompress_ptr d)
{
    for (jpeg_saved_marker_ptr m = d->marker_list; m; m = m->next)
        if (m->marker == JPEG_APP0 + 1 && m->data_length > 6 && std::memcmp(m->data, "Exif\0\0", 6) == 0)
            return ExifOrientation(m->data, m->data_length);
    return 1;
}

std::uint32_t Scaled(std::uint32_t size, unsigned eighths) { return (size * eighths + 7) / 8; }

// The smallest cheap scale, in eighths, that still gives at least w x h.
unsigned ChooseScale(std::uint32_t width, std::uint32_t height, std::uint32_t w, std::uint32_t h)
{
    for (unsigned eighths : {1u, 2u, 3u, 4u})
        if (Scaled(width, eighths) >= w && Scaled(height, eighths) >= h)
            return eighths;
    return 8;
}

// Everything that must survive the jump back from an error lives here, not
// in locals of the function that calls setjmp.
struct Decoder {
    jpeg_decompress_struct info{};
    ErrorManager errors{};
    jpeg_progress_mgr progress{};
    bool created = false;
    Decoder()
    {
        info.err = jpeg_std_error(&errors.manager);
        errors.manager.error_exit = &OnError;
        errors.manager.emit_message = &OnMessage;
    }
    ~Decoder()
    {
        if (created)
            jpeg_destroy_decompress(&info);
    }
    Decoder(const Decoder&) = delete;
    Decoder& operator=(const Decoder&) = delete;

    // Reads the header (with the markers kept) under the decoder's limits.
    void Open(const FileBytes& file)
    {
        jpeg_create_decompress(&info);
        created = true;
        info.mem->max_memory_to_use = kDecoderMemoryLimit;
        progress.progress_monitor = &OnProgress;
        info.progress = &progress;
        jpeg_mem_src(&info, file.data, static_cast<unsigned long>(file.size));
        jpeg_save_markers(&info, JPEG_APP0 + 1, 0xFFFF);
        jpeg_save_markers(&info, JPEG_APP0 + 2, 0xFFFF);
        jpeg_read_header(&info, TRUE);
    }
};

// Reads output rows up to `last` into the canvas. False when libjpeg gave up
// (the rows so far stay).
bool ReadRows(Decoder& d, PictureSink& canvas, JDIMENSION last)
{
    if (setjmp(d.errors.jump))
        return false;
    while (d.info.output_scanline < last) {
        const JDIMENSION y = d.info.output_scanline;
        JSAMPROW row = canvas.Row(y);
        if (jpeg_read_scanlines(&d.info, &row, 1) != 1)
            break;
        canvas.Commit(y);
    }
    return true;
}

// The rows from `first` on, by a decoder of its own: it decodes the entropy
// coding of the rows before `first` without turning them into pixels
// (jpeg_skip_scanlines), then the rest in full.
void ReadTail(const FileBytes& file, const jpeg_decompress_struct& like, JDIMENSION first, PictureSink& canvas)
{
    Decoder d;
    if (setjmp(d.errors.jump))
        return;
    d.Open(file);
    d.info.out_color_space = like.out_color_space;
    d.info.scale_num = like.scale_num;
    d.info.scale_denom = like.scale_denom;
    jpeg_start_decompress(&d.info);
    if (d.info.output_width != like.output_width || d.info.output_height != like.output_height ||
        jpeg_skip_scanlines(&d.info, first) != first)
        return;
    if (ReadRows(d, canvas, d.info.output_height))
        jpeg_abort_decompress(&d.info);
}

// Where to split the rows between two threads. The thread of the bottom part
// decodes the entropy coding of the top part too, which costs the same at
// every scale, while turning coefficients into pixels costs more the larger
// the scale; the split evens out the two threads' work (measured with
// libjpeg-turbo on 4:4:4 and 4:2:0 photographs).
JDIMENSION SplitRow(JDIMENSION height, unsigned eighths)
{
    const double pixelsPerEntropy = eighths <= 1 ? 0.1 : eighths <= 2 ? 0.25 : eighths <= 4 ? 0.45 : 1.4;
    return static_cast<JDIMENSION>(height * (1 + pixelsPerEntropy) / (1 + 2 * pixelsPerEntropy));
}

// Large sequential pictures are decoded by two threads where the canvas
// takes rows from both; a progressive picture is decoded whole before its
// first row comes out, so it gains nothing.
constexpr JDIMENSION kSplitFromRows = 512;

// The second thread does the top part's entropy decoding over again: it
// shortens the decode only on a core that would otherwise be idle, and on a
// busy machine it takes time from everything else. So it runs only when
// fewer threads are running right now than there are cores (the first of
// the "running/total" counts of /proc/loadavg, this one included).
// VISTREL_DECODE_THREADS=1 or 2 decides instead.
bool SecondThreadPays()
{
    if (const char* forced = std::getenv("VISTREL_DECODE_THREADS"); forced && *forced)
        return std::atoi(forced) >= 2;
    const unsigned cores = std::thread::hardware_concurrency();
    if (cores < 2)
        return false;
    std::FILE* file = std::fopen("/proc/loadavg", "r");
    if (!file)
        return false;
    double minute = 0, five = 0, fifteen = 0;
    unsigned running = 0, total = 0;
    const bool read = std::fscanf(file, "%lf %lf %lf %u/%u", &minute, &five, &fifteen, &running, &total) == 5;
    std::fclose(file);
    return read && running < cores;
}

bool Run(Decoder& d, const FileBytes& file, PictureSink& canvas)
{
    if (setjmp(d.errors.jump))
        return canvas.RowsDone() > 0 || canvas.Fail("JPEG: " + d.errors.message);
    d.Open(file);
    if (!canvas.Announce(d.info.image_width, d.info.image_height, Orientation(&d.info)))
        return false;
    JOCTET* icc = nullptr;
    unsigned int iccSize = 0;
    if (jpeg_read_icc_profile(&d.info, &icc, &iccSize) && icc) {
        canvas.SetProfile(std::vector<std::uint8_t>(icc, icc + iccSize));
        std::free(icc);
    }

    Layout layout = Layout::kBGR;
    if (d.info.jpeg_color_space == JCS_CMYK || d.info.jpeg_color_space == JCS_YCCK) {
        d.info.out_color_space = JCS_CMYK;
        layout = d.info.saw_Adobe_marker ? Layout::kCMYKInverted : Layout::kCMYK;
    } else {
        d.info.out_color_space = JCS_EXT_BGR;
    }
    d.info.scale_num = ChooseScale(d.info.image_width, d.info.image_height, canvas.LeastWidth(), canvas.LeastHeight());
    d.info.scale_denom = 8;
    // A progressive picture's coefficients are all held until its last scan:
    // two bytes for each sample of each component.
    if (jpeg_has_multiple_scans(&d.info)) {
        std::uint64_t samples = 0;
        for (int i = 0; i < d.info.num_components; ++i) {
            const jpeg_component_info& c = d.info.comp_info[i];
            samples += std::uint64_t{d.info.image_width} * c.h_samp_factor / std::max(1, d.info.max_h_samp_factor) *
                       d.info.image_height * c.v_samp_factor / std::max(1, d.info.max_v_samp_factor);
        }
        if (!canvas.Afford(samples * 2, d.info.image_width * d.info.scale_num / 8,
                           d.info.image_height * d.info.scale_num / 8, PictureSink::Order::kTopDown))
            return false;
    }
    jpeg_start_decompress(&d.info);
    if (!canvas.Begin(d.info.output_width, d.info.output_height, layout, PictureSink::Order::kTopDown))
        return false;
    const JDIMENSION height = d.info.output_height;
    if (height >= kSplitFromRows && canvas.RowsInParallel() && !jpeg_has_multiple_scans(&d.info) &&
        SecondThreadPays()) {
        const JDIMENSION split = SplitRow(height, d.info.scale_num);
        try {
            std::thread tail(&ReadTail, std::cref(file), std::cref(d.info), split, std::ref(canvas));
            ReadRows(d, canvas, split);
            tail.join();
            jpeg_abort_decompress(&d.info);
            return true;
        } catch (const std::system_error&) {
            // No second thread to be had: all rows here.
        }
    }
    ReadRows(d, canvas, height);
    jpeg_abort_decompress(&d.info); // the rest of the file does not matter
    return true;
}

} // namespace

bool DecodeJpeg(const FileBytes& file, PictureSink& canvas)
{
    Decoder d;
    return Run(d, file, canvas);
}

} // namespace vistrel::photoload
