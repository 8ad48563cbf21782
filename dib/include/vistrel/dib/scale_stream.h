// SPDX-License-Identifier: GPL-3.0-or-later
// Area averaging of a picture whose rows arrive one at a time, top row
// first, as a decoder makes them. The result is byte for byte what ScaleDIB
// (kAreaAveraging) makes of the whole picture, but the picture is never held
// whole: each row is resampled horizontally as it comes and kept only while
// the output rows it meets are still open. A reader can so scale while it
// decodes, on another core, without the full-size picture's memory.
#pragma once

#include <cstddef>
#include <cstdint>
#include <memory>

namespace vistrel::dib {

class StreamingScaler {
public:
    // Whether sW x sH can be scaled to dW x dH this way: the height shrinks or
    // stays, and the rows that meet in one output row fit in `memoryLimit`
    // bytes of working memory.
    static bool Streams(std::uint32_t sW, std::uint32_t sH, std::uint32_t dW, std::uint32_t dH,
                        std::size_t memoryLimit);

    // `pixels` are the dH bottom-up rows of a zeroed 24-bit DIB of dW x dH,
    // `stride` bytes apart. Throws std::bad_alloc without working memory.
    StreamingScaler(std::uint32_t sW, std::uint32_t sH, std::uint8_t* pixels, std::size_t stride, std::uint32_t dW,
                    std::uint32_t dH);
    ~StreamingScaler();
    StreamingScaler(const StreamingScaler&) = delete;
    StreamingScaler& operator=(const StreamingScaler&) = delete;

    // The next source row from the top: sW pixels of blue, green, red.
    // Rows past the picture's height are ignored.
    void Push(const std::uint8_t* bgr);
    // Rows never pushed count as black, as in a DIB whose decoder stopped
    // early; every output row is then written.
    void Finish();
    std::uint32_t RowsPushed() const;

private:
    struct State;
    std::unique_ptr<State> state_;
};

} // namespace vistrel::dib
