// SPDX-License-Identifier: GPL-3.0-or-later
#include "row_pipeline.h"

#include <algorithm>
#include <system_error>

namespace vistrel::photoload {
namespace {

// Enough buffers that neither thread waits on the other for every row, and
// no more than a few megabytes of them however wide the picture.
constexpr std::size_t kBufferBytes = std::size_t{4} << 20;
constexpr std::size_t kMostBuffers = 64;

} // namespace

RowPipeline::RowPipeline(std::size_t rowBytes, Take take) : take_(std::move(take))
{
    const std::size_t count =
        std::clamp<std::size_t>(kBufferBytes / std::max<std::size_t>(rowBytes, 1), 2, kMostBuffers);
    buffers_.assign(count, std::vector<std::uint8_t>(rowBytes, 0));
    for (std::size_t i = 0; i < count; ++i)
        free_.push_back(i);
    // The second thread is woken for a few rows at a time, not for each.
    batch_ = std::max<std::size_t>(1, count / 2);
    try {
        thread_ = std::thread(&RowPipeline::Run, this);
    } catch (const std::system_error&) {
        // No second thread: Commit takes each row itself.
    }
}

RowPipeline::~RowPipeline() { Finish(); }

std::uint8_t* RowPipeline::Row()
{
    std::unique_lock lock(mutex_);
    if (current_ == SIZE_MAX) {
        decoderWaits_ = true;
        buffersFree_.wait(lock, [this] { return !free_.empty(); });
        decoderWaits_ = false;
        current_ = free_.back();
        free_.pop_back();
    }
    return buffers_[current_].data();
}

void RowPipeline::Commit(std::uint32_t y)
{
    std::unique_lock lock(mutex_);
    if (current_ == SIZE_MAX || finished_)
        return;
    const std::size_t buffer = current_;
    current_ = SIZE_MAX;
    if (!thread_.joinable()) {
        lock.unlock();
        take_(y, buffers_[buffer].data());
        lock.lock();
        free_.push_back(buffer);
        return;
    }
    ready_.emplace_back(buffer, y);
    if (takerWaits_ && ready_.size() >= batch_)
        rowsReady_.notify_one();
}

void RowPipeline::Finish()
{
    {
        std::lock_guard lock(mutex_);
        finished_ = true;
    }
    rowsReady_.notify_one();
    if (thread_.joinable())
        thread_.join();
}

void RowPipeline::Run()
{
    std::unique_lock lock(mutex_);
    for (;;) {
        // Woken for a batch of rows, it takes every row there is before it
        // waits again.
        if (ready_.empty()) {
            if (finished_)
                return;
            takerWaits_ = true;
            rowsReady_.wait(lock, [this] { return ready_.size() >= batch_ || finished_; });
            takerWaits_ = false;
            continue;
        }
        const auto [buffer, y] = ready_.front();
        ready_.pop_front();
        lock.unlock();
        take_(y, buffers_[buffer].data());
        lock.lock();
        free_.push_back(buffer);
        if (decoderWaits_ && free_.size() >= batch_)
            buffersFree_.notify_one();
    }
}

} // namespace vistrel::photoload
