// SPDX-License-Identifier: GPL-3.0-or-later
#include "vistrel/core/folder_walk.h"

#include "vistrel/platform/folder_listing.h"
#include "vistrel/platform/paths.h"

namespace vistrel {

namespace {

// Entries between two looks at the clock: often enough for a bounded rate,
// rarely enough to cost nothing.
constexpr unsigned kEntriesPerClockLook = 32;

} // namespace

FolderWalk::FolderWalk() = default;
FolderWalk::~FolderWalk() = default;

bool FolderWalk::Walk(const std::string& folder)
{
    path_ = folder;
    lastReport_ = std::chrono::steady_clock::now();
    sinceClock_ = 0;
    bool finished = !CancelRequested() && WalkFolder(0);
    Deliver();
    Report();
    return finished;
}

bool FolderWalk::WalkFolder(std::size_t depth)
{
    if (listings_.size() <= depth)
        listings_.push_back(std::make_unique<platform::FolderListing>());
    // Subfolders use the listings below this one, so this one stays intact
    // while they are walked.
    platform::FolderListing& listing = *listings_[depth];
    if (!listing.Read(path_))
        return true;
    const char separator = platform::PathSeparator();
    if (!path_.empty() && path_.back() != separator && path_.back() != '/')
        path_ += separator;
    const std::size_t base = path_.size();
    for (std::size_t i = 0; i < listing.Size(); ++i) {
        const platform::FolderListing::Entry& entry = listing[i];
        if (!entry.hidden) {
            path_.resize(base);
            path_.append(listing.Name(entry));
            if (!entry.isFolder) {
                Offer(path_);
            } else if (!entry.isLink) {
                ++foldersScanned;
                if (!WalkFolder(depth + 1))
                    return false;
            }
        }
        if (CancelRequested())
            return false;
        Tick();
    }
    return true;
}

void FolderWalk::Offer(const std::string& path)
{
    if (wants && !wants(path))
        return;
    if (batchCount_ == batch_.size())
        batch_.emplace_back();
    batch_[batchCount_++].assign(path); // keeps the slot's buffer from batch to batch
    if (batchCount_ >= batchSize)
        Deliver();
}

void FolderWalk::Deliver()
{
    if (batchCount_ == 0)
        return;
    if (onFiles)
        filesAdded += onFiles(std::span<const std::string>(batch_.data(), batchCount_));
    batchCount_ = 0;
}

void FolderWalk::Report()
{
    lastReport_ = std::chrono::steady_clock::now();
    if (onProgress)
        onProgress(WalkProgress{foldersScanned, filesAdded});
}

void FolderWalk::Tick()
{
    if (++sinceClock_ < kEntriesPerClockLook)
        return;
    sinceClock_ = 0;
    if (std::chrono::steady_clock::now() - lastReport_ < progressInterval)
        return;
    Deliver();
    Report();
}

} // namespace vistrel
