// SPDX-License-Identifier: GPL-3.0-or-later
#include "preview/preview_loader.h"

#include "preview/dib_image.h"
#include "vistrel/core/wallpaper_list.h"
#include "vistrel/dib/dib.h"
#include "vistrel/dib/scale.h"

#include <cstring>

namespace vistrel::manager {

namespace {

// Whether ScaleDIB can take the picture: 24 bits, uncompressed, no table,
// every row there.
bool Scalable(gmem::Handle handle)
{
    dib::LockedBlock block(handle);
    dib::Layout layout;
    if (!block || !dib::DescribeDIB(block.bytes(), block.size(), layout))
        return false;
    return layout.header.biCompression == dib::kRgb && layout.header.biBitCount == 24 && layout.numColors == 0;
}

gmem::Handle Read(const CExtenderRegistry& registry, const PreviewRequest& request)
{
    CWallpaperList one(&registry);
    std::lock_guard lock(ReaderCallLock());
    if (request.chain.empty())
        return one.ReadFileImage(request.path);
    void* chain = gmem::Alloc(gmem::kFixed, request.chain.size());
    if (!chain)
        return nullptr;
    std::memcpy(chain, request.chain.data(), request.chain.size());
    one.AppendLoadedRow(RowTexts{request.path, "", "0", "0", "0"});
    one.AppendLoadedChain(chain, request.chain.size()); // the list frees it
    return one.ReadEntryImage(0);
}

// How often the user-interface thread looks for a finished read: well below
// what anyone notices, and only while a read is on.
constexpr int kPollMs = 5;

} // namespace

QImage ResampledPicture(gmem::Handle dib, const QSize& size)
{
    if (!dib || size.isEmpty())
        return {};
    gmem::Owner scaled(dib::ScaleDIB(dib, static_cast<std::uint32_t>(size.width()),
                                     static_cast<std::uint32_t>(size.height()), dib::kNearestPixel));
    return ImageFromDib(scaled.get());
}

std::mutex& ReaderCallLock()
{
    static std::mutex lock;
    return lock;
}

PreviewLoader::PreviewLoader(const CExtenderRegistry& registry, QObject* parent) : QObject(parent), registry_(registry)
{
    worker_ = std::thread([this] { Work(); }); // after every member it uses is made
    // The worker never calls into Qt: the user-interface thread looks for its
    // picture while a read is on, so everything crossing threads does so
    // under the one mutex.
    poll_.setInterval(kPollMs);
    connect(&poll_, &QTimer::timeout, this, [this] { Deliver(); });
}

PreviewLoader::~PreviewLoader()
{
    {
        std::lock_guard lock(mutex_);
        stopping_ = true;
        pending_.reset();
    }
    wake_.notify_one();
    worker_.join();
    if (result_)
        gmem::Free(result_->dib);
}

void PreviewLoader::Request(PreviewRequest request)
{
    {
        std::lock_guard lock(mutex_);
        pending_ = std::move(request);
        wanted_ = ++pendingNumber_;
    }
    busy_ = true;
    poll_.start();
    wake_.notify_one();
}

void PreviewLoader::Cancel()
{
    std::lock_guard lock(mutex_);
    pending_.reset();
    wanted_ = 0;
    busy_ = false;
    poll_.stop();
}

void PreviewLoader::Work()
{
    std::unique_lock lock(mutex_);
    for (;;) {
        wake_.wait(lock, [this] { return stopping_ || pending_; });
        if (stopping_)
            return;
        PreviewRequest request = std::move(*pending_);
        const std::uint64_t number = pendingNumber_;
        pending_.reset();
        lock.unlock();

        PreviewPicture picture;
        picture.dib = Read(registry_, request);
        if (picture.dib && !Scalable(picture.dib)) {  // palette and run-length pictures
            gmem::Handle wide = DibAs24(picture.dib); // null: what the reader handed back is no picture
            gmem::Free(picture.dib);
            picture.dib = wide;
        }
        if (picture.dib && !request.size.isEmpty()) {
            picture.resampled = ResampledPicture(picture.dib, request.size);
            if (picture.resampled.isNull()) // no memory for the pane's size
                picture.stretched = ImageFromDib(picture.dib);
        }

        lock.lock();
        if (result_) // never taken: an older picture nobody wants any more
            gmem::Free(result_->dib);
        result_ = std::move(picture);
        resultNumber_ = number;
    }
}

void PreviewLoader::Deliver()
{
    std::optional<PreviewPicture> picture;
    std::uint64_t number;
    {
        std::lock_guard lock(mutex_);
        picture.swap(result_);
        number = resultNumber_;
    }
    if (!picture)
        return;
    if (number != wanted_ || !onLoaded) {
        gmem::Free(picture->dib);
        return;
    }
    busy_ = false;
    wanted_ = 0;
    poll_.stop();
    onLoaded(std::move(*picture));
}

} // namespace vistrel::manager
