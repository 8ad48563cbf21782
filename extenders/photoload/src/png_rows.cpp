// SPDX-License-Identifier: GPL-3.0-or-later
#include "png_rows.h"

#include <zlib.h>

#include <algorithm>
#include <cstring>
#include <memory>
#include <vector>

#include "png_unfilter.h"

namespace vistrel::photoload {
namespace {

constexpr std::uint8_t kIdat[4] = {'I', 'D', 'A', 'T'};

std::uint32_t Big32(const std::uint8_t* p)
{
    return std::uint32_t{p[0]} << 24 | std::uint32_t{p[1]} << 16 | std::uint32_t{p[2]} << 8 | p[3];
}

// The image data as libspng takes it from a file in memory: each IDAT
// chunk whole, its checksum checked when the next chunk's header is read
// (so the last chunk's never is), and zlib asked for one row (with the next
// row's filter byte) at a time.
class ImageData {
public:
    explicit ImageData(const FileBytes& file) : file_(file) {}
    ~ImageData()
    {
        if (started_)
            inflateEnd(&z_);
    }
    ImageData(const ImageData&) = delete;
    ImageData& operator=(const ImageData&) = delete;

    // Finds the first IDAT chunk, takes its data and starts zlib on it.
    int Start()
    {
        std::size_t at = 8;
        for (;;) {
            if (at > file_.size || file_.size - at < 8)
                return SPNG_IO_EOF;
            const std::uint32_t length = Big32(file_.data + at);
            if (std::memcmp(file_.data + at + 4, kIdat, 4) == 0)
                break;
            if (length > file_.size - at - 8 || file_.size - at - 8 - length < 4)
                return SPNG_IO_EOF;
            at += 12 + std::size_t{length};
        }
        if (int rc = Header(at))
            return rc;
        if (int rc = NextData())
            return rc;
        if (inflateInit2(&z_, 15) != Z_OK)
            return SPNG_EZLIB_INIT;
        started_ = true;
        if (inflateValidate(&z_, 1) != Z_OK)
            return SPNG_EZLIB_INIT;
        z_.next_in = const_cast<Bytef*>(data_);
        z_.avail_in = dataBytes_;
        return 0;
    }

    // Fills `a` and then `b` (which may be empty) from the stream, as one
    // read of both sizes would.
    int Read(std::uint8_t* a, std::size_t aBytes, std::uint8_t* b, std::size_t bBytes)
    {
        z_.next_out = a;
        z_.avail_out = static_cast<uInt>(aBytes);
        bool second = bBytes > 0;
        auto next = [&] {
            if (z_.avail_out == 0 && second) {
                z_.next_out = b;
                z_.avail_out = static_cast<uInt>(bBytes);
                second = false;
            }
        };
        next();
        while (z_.avail_out != 0) {
            const int ret = inflate(&z_, Z_NO_FLUSH);
            if (ret == Z_OK) {
                next();
                continue;
            }
            if (ret == Z_STREAM_END) {
                if (z_.avail_out != 0 || second)
                    return SPNG_EIDAT_TOO_SHORT;
            } else if (ret == Z_BUF_ERROR) {
                if (int rc = NextData())
                    return rc;
                z_.next_in = const_cast<Bytef*>(data_);
                z_.avail_in = dataBytes_;
            } else {
                return SPNG_EIDAT_STREAM;
            }
        }
        return 0;
    }

private:
    // The chunk header at `at`: length and type, the checksum begun.
    int Header(std::size_t at)
    {
        if (file_.size - at < 8)
            return SPNG_IO_EOF;
        const std::uint32_t length = Big32(file_.data + at);
        if (length > 0x7FFFFFFFu)
            return SPNG_ECHUNK_STDLEN;
        std::memcpy(type_, file_.data + at + 4, 4);
        chunkLeft_ = length;
        crc_ = static_cast<std::uint32_t>(crc32(crc32(0, nullptr, 0), file_.data + at + 4, 4));
        at_ = at + 8;
        return 0;
    }

    // The next IDAT chunk's data (the current chunk's when it has bytes
    // left), after checking the checksum of each chunk it leaves.
    int NextData()
    {
        if (std::memcmp(type_, kIdat, 4) != 0)
            return SPNG_EIDAT_TOO_SHORT;
        while (chunkLeft_ == 0) {
            if (file_.size - at_ < 4)
                return SPNG_IO_EOF;
            if (Big32(file_.data + at_) != crc_)
                return SPNG_ECHUNK_CRC;
            if (int rc = Header(at_ + 4))
                return rc;
            if (std::memcmp(type_, kIdat, 4) != 0)
                return SPNG_EIDAT_TOO_SHORT;
        }
        if (chunkLeft_ > file_.size - at_)
            return SPNG_IO_EOF;
        data_ = file_.data + at_;
        dataBytes_ = chunkLeft_;
        crc_ = static_cast<std::uint32_t>(crc32(crc_, data_, dataBytes_));
        at_ += chunkLeft_;
        chunkLeft_ = 0;
        return 0;
    }

    const FileBytes file_;
    z_stream z_{};
    bool started_ = false;
    std::size_t at_ = 0; // the next byte not yet read
    std::uint8_t type_[4] = {};
    std::uint32_t chunkLeft_ = 0;
    std::uint32_t crc_ = 0;
    const std::uint8_t* data_ = nullptr;
    std::uint32_t dataBytes_ = 0;
};

// What the storing thread keeps between rows: the filter type of every row
// (each read with the row above) and the unfiltered row above.
struct Unfiltering {
    std::vector<std::uint8_t> filters;
    std::vector<std::uint8_t> above;
    unsigned pixelBytes = 3;
    bool grey = false;

    // Row y as read, in place: unfiltered, then grey spread to red, green
    // and blue.
    void operator()(std::uint32_t y, std::uint8_t* row)
    {
        const std::size_t bytes = above.size();
        if (y == 0)
            std::fill(above.begin(), above.end(), std::uint8_t{0});
        UnfilterPngRow(filters[y], row, above.data(), bytes, pixelBytes);
        std::memcpy(above.data(), row, bytes);
        if (grey)
            for (std::size_t x = bytes; x-- > 0;)
                row[3 * x] = row[3 * x + 1] = row[3 * x + 2] = row[x];
    }
};

} // namespace

bool PngRowsReadHere(const spng_ihdr& ihdr)
{
    return ihdr.bit_depth == 8 && ihdr.interlace_method == SPNG_INTERLACE_NONE &&
           (ihdr.color_type == SPNG_COLOR_TYPE_GRAYSCALE || ihdr.color_type == SPNG_COLOR_TYPE_TRUECOLOR ||
            ihdr.color_type == SPNG_COLOR_TYPE_TRUECOLOR_ALPHA);
}

int ReadPngRows(const FileBytes& file, const spng_ihdr& ihdr, PictureSink& canvas, std::uint32_t& rows)
{
    rows = 0;
    auto state = std::make_shared<Unfiltering>();
    state->grey = ihdr.color_type == SPNG_COLOR_TYPE_GRAYSCALE;
    state->pixelBytes = state->grey ? 1 : ihdr.color_type == SPNG_COLOR_TYPE_TRUECOLOR ? 3 : 4;
    const std::size_t rowBytes = std::size_t{ihdr.width} * state->pixelBytes;
    try {
        state->filters.assign(ihdr.height, 0);
        state->above.assign(rowBytes, 0);
    } catch (const std::bad_alloc&) {
        return SPNG_EMEM;
    }
    ImageData data(file);
    if (int rc = data.Start())
        return rc;
    // The first row's filter byte stands alone before the rows.
    if (int rc = data.Read(&state->filters[0], 1, nullptr, 0))
        return rc;
    if (state->filters[0] > 4)
        return SPNG_EFILTER;
    canvas.SetRowStep([state](std::uint32_t y, std::uint8_t* row) { (*state)(y, row); });
    for (std::uint32_t y = 0; y < ihdr.height; ++y) {
        const bool last = y + 1 == ihdr.height;
        std::uint8_t* row = canvas.Row(y);
        if (!row)
            return SPNG_EINTERNAL;
        if (int rc = data.Read(row, rowBytes, last ? nullptr : &state->filters[y + 1], last ? 0 : 1))
            return rc;
        if (!last && state->filters[y + 1] > 4)
            return SPNG_EFILTER;
        canvas.Commit(y);
        ++rows;
    }
    return SPNG_EOI;
}

} // namespace vistrel::photoload
