// SPDX-License-Identifier: GPL-3.0-or-later
// Walking a folder tree to insert its files: depth first, each folder in the
// order users see it, hidden entries skipped at every level, links to folders
// not entered (so a walk always ends).
//
// The walk is built to run on a worker thread while another thread owns the
// list: it hands the files it finds over in batches (the owner inserts a
// whole batch at once, for example on its user-interface thread, and says
// how many it added), reports its counters at a bounded rate, and stops soon
// after a cancel request from any thread. On one thread it is simply:
//
//     FolderWalk walk;
//     walk.onFiles = [&](std::span<const std::string> files) { return list.InsertFiles(files, true); };
//     walk.Walk(folder);
#pragma once

#include <atomic>
#include <chrono>
#include <cstddef>
#include <functional>
#include <memory>
#include <span>
#include <string>
#include <string_view>
#include <vector>

namespace vistrel::platform {
class FolderListing;
}

namespace vistrel {

struct WalkProgress {
    // Subfolders entered (the folder the walk started in is not counted).
    int foldersScanned = 0;
    // Files the batch handler reported as added.
    int filesAdded = 0;
};

class FolderWalk {
public:
    FolderWalk();
    ~FolderWalk();
    FolderWalk(const FolderWalk&) = delete;
    FolderWalk& operator=(const FolderWalk&) = delete;

    // Called on the walking thread with the next files in walk order (full
    // paths); returns how many of them were added. The paths are valid only
    // during the call. A batch is handed over when it is full, when
    // `progressInterval` has passed since the last one (so rows show up
    // during a slow walk), before every progress report, at the end and on a
    // cancel, so nothing walked is ever lost.
    std::function<int(std::span<const std::string> files)> onFiles;
    // Which files to offer at all, asked on the walking thread with the full
    // path (for example: does a reader claim it). Null offers every file.
    std::function<bool(std::string_view path)> wants;
    // Called on the walking thread with the counters at most once every
    // `progressInterval` while walking, and once when the walk ends.
    std::function<void(const WalkProgress& progress)> onProgress;

    std::size_t batchSize = 256;
    std::chrono::milliseconds progressInterval{50};

    // Asks the walk to stop after the entry it is at; safe from any thread.
    // The files walked so far are still handed over. A walk once cancelled
    // stays cancelled.
    void RequestCancel() { cancel_.store(true, std::memory_order_relaxed); }
    bool CancelRequested() const { return cancel_.load(std::memory_order_relaxed); }

    // Walks `folder` and everything below it. True when it ran to the end,
    // false when it was cancelled. A folder that cannot be read adds nothing.
    // The counters add up over several walks with the same object.
    bool Walk(const std::string& folder);

    // The counters, on the walking thread (or after the walk).
    int foldersScanned = 0;
    int filesAdded = 0;

private:
    bool WalkFolder(std::size_t depth);
    void Offer(const std::string& path);
    void Deliver();
    void Report();
    void Tick();

    std::atomic<bool> cancel_{false};
    // One listing per depth, reused from folder to folder.
    std::vector<std::unique_ptr<platform::FolderListing>> listings_;
    // The path being walked: folders and names are appended and cut off again.
    std::string path_;
    std::vector<std::string> batch_;
    std::size_t batchCount_ = 0;
    std::chrono::steady_clock::time_point lastReport_;
    unsigned sinceClock_ = 0;
};

} // namespace vistrel
