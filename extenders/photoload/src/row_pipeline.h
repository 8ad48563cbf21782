// SPDX-License-Identifier: GPL-3.0-or-later
// Rows handed from the decoder's thread to a second one as they are
// decoded, so that what is done with them (the canvas converts and scales
// them) runs on another core while the decoder goes on. The rows pass in
// the order they are committed, through a few buffers that are used over
// again; a decoder that is faster than the second thread waits for a free
// buffer. Without a second thread to be had, each row is handled when it
// is committed.
#pragma once

#include <condition_variable>
#include <cstdint>
#include <deque>
#include <functional>
#include <mutex>
#include <thread>
#include <vector>

namespace vistrel::photoload {

class RowPipeline {
public:
    // `take(y, row)` is called for every committed row, in order, on the
    // second thread; `row` holds `rowBytes` bytes and may be changed.
    using Take = std::function<void(std::uint32_t y, std::uint8_t* row)>;
    RowPipeline(std::size_t rowBytes, Take take);
    ~RowPipeline();
    RowPipeline(const RowPipeline&) = delete;
    RowPipeline& operator=(const RowPipeline&) = delete;

    // The buffer for the next row; the same one until it is committed.
    std::uint8_t* Row();
    // Hands the buffer from Row() on as row y.
    void Commit(std::uint32_t y);
    // Returns once every committed row was taken; no rows after it.
    void Finish();

private:
    void Run();

    Take take_;
    std::vector<std::vector<std::uint8_t>> buffers_;
    std::mutex mutex_;
    std::condition_variable rowsReady_, buffersFree_;
    std::deque<std::pair<std::size_t, std::uint32_t>> ready_; // buffer, row
    std::vector<std::size_t> free_;
    std::size_t batch_ = 1;
    bool takerWaits_ = false, decoderWaits_ = false, finished_ = false;
    std::size_t current_ = SIZE_MAX; // the buffer the decoder fills
    std::thread thread_;
};

} // namespace vistrel::photoload
