// SPDX-License-Identifier: GPL-3.0-or-later
#include "list/thumbnail_loader.h"

#include "list/thumbnail_cache.h"
#include "preview/dib_image.h"
#include "preview/preview_loader.h"
#include "vistrel/core/extender_calls.h"
#include "vistrel_extender.h"

#include <QMetaObject>
#include <algorithm>
#ifdef __linux__
#include <sys/resource.h>
#include <sys/syscall.h>
#include <unistd.h>
#endif

namespace vistrel::manager {

namespace {

// Requests beyond this are the oldest, for pages scrolled past: dropped.
constexpr std::size_t kMostQueued = 512;
constexpr int kMostWorkers = 4;
[[maybe_unused]] constexpr int kWorkerNiceness = 10;
// About 1,500 thumbnails of 128 pixels: several screens of the grid.
constexpr qint64 kDefaultBudget = qint64{96} << 20;

int WorkersFor(int asked)
{
    const int cores = std::max(1, static_cast<int>(std::thread::hardware_concurrency()));
    const int wanted = asked > 0 ? asked : std::min(cores, kMostWorkers);
    return std::clamp(wanted, 1, cores);
}

qint64 CostOf(const QImage& image) { return std::max<qint64>(1, image.sizeInBytes()); }

// The need a reader is given: the picture fitted into the thumbnail's square.
struct NeedContext {
    int edge;
};

void NeedThumbnail(void* context, std::uint32_t width, std::uint32_t height, VistrelNeed* need)
{
    const auto edge = static_cast<std::uint32_t>(static_cast<NeedContext*>(context)->edge);
    need->flags = VISTREL_NEED_BACKGROUND;
    need->background = 0xFFFFFF; // transparent parts over white, as file managers show them
    if (width == 0 || height == 0 || (width <= edge && height <= edge))
        return;
    need->flags |= VISTREL_NEED_SCALED;
    if (width >= height) {
        need->width = edge;
        need->height = std::max<std::uint32_t>(1, static_cast<std::uint32_t>(std::uint64_t{height} * edge / width));
    } else {
        need->height = edge;
        need->width = std::max<std::uint32_t>(1, static_cast<std::uint32_t>(std::uint64_t{width} * edge / height));
    }
}

} // namespace

ThumbnailLoader::ThumbnailLoader(const CExtenderRegistry& registry, QString cacheRoot, int edge, int workers,
                                 QObject* parent)
    : QObject(parent), registry_(registry), cacheRoot_(std::move(cacheRoot)),
      edge_(std::clamp(edge, 16, thumbnails::kLargeEdge)), workerCount_(WorkersFor(workers))
{
    lru_.setMaxCost(kDefaultBudget);
}

ThumbnailLoader::~ThumbnailLoader()
{
    {
        std::lock_guard lock(mutex_);
        stopping_ = true;
        queue_.clear();
    }
    wake_.notify_all();
    for (std::thread& worker : workers_)
        worker.join();
}

void ThumbnailLoader::SetMemoryBudget(qint64 bytes) { lru_.setMaxCost(std::max<qint64>(bytes, 1)); }

void ThumbnailLoader::Clear() { lru_.clear(); }

bool ThumbnailLoader::Idle()
{
    std::lock_guard lock(mutex_);
    return queue_.empty() && busy_ == 0 && results_.empty();
}

const QImage* ThumbnailLoader::Thumbnail(const QString& path, bool* failed)
{
    if (failed)
        *failed = false;
    if (const QImage* image = lru_.object(path)) {
        if (image->isNull()) {
            if (failed)
                *failed = true;
            return nullptr;
        }
        return image;
    }
    {
        std::lock_guard lock(mutex_);
        if (queued_.contains(path)) {
            // Asked again: it is on the page now, so it moves to the front.
            auto at = std::find(queue_.begin(), queue_.end(), path);
            if (at != queue_.end() && at != queue_.begin()) {
                queue_.erase(at);
                queue_.push_front(path);
            }
            return nullptr;
        }
        queue_.push_front(path);
        queued_.insert(path);
        while (queue_.size() > kMostQueued) {
            queued_.remove(queue_.back());
            queue_.pop_back();
        }
    }
    StartWorkers();
    wake_.notify_one();
    return nullptr;
}

void ThumbnailLoader::StartWorkers()
{
    if (!workers_.empty())
        return;
    for (int i = 0; i < workerCount_; ++i)
        workers_.emplace_back([this] { Work(); });
}

void ThumbnailLoader::Work()
{
#ifdef __linux__
    // Below the user-interface thread: on a machine with few cores, painting
    // and scrolling go first and the decodes take the time left over.
    setpriority(PRIO_PROCESS, static_cast<id_t>(::syscall(SYS_gettid)), kWorkerNiceness);
#endif
    std::unique_lock lock(mutex_);
    for (;;) {
        wake_.wait(lock, [this] { return stopping_ || !queue_.empty(); });
        if (stopping_)
            return;
        QString path = queue_.front();
        queue_.pop_front();
        ++busy_;
        lock.unlock();
        QImage image = Make(path);
        lock.lock();
        --busy_;
        // Still counted as asked for until delivered: a request meanwhile
        // would make the same thumbnail again.
        results_.push_back({std::move(path), std::move(image)});
        if (!deliveryPosted_) {
            deliveryPosted_ = true;
            QMetaObject::invokeMethod(this, "Deliver", Qt::QueuedConnection);
        }
    }
}

QImage ThumbnailLoader::Make(const QString& path)
{
    const thumbnails::SourceFile file = thumbnails::Describe(path);
    thumbnails::Lookup cached = thumbnails::Find(cacheRoot_, file, edge_);
    if (cached.found == thumbnails::Found::Thumbnail) {
        ++cacheHits_;
        return thumbnails::FitInto(cached.image, edge_).convertToFormat(QImage::Format_ARGB32_Premultiplied);
    }
    if (cached.found == thumbnails::Found::Failed || !file.exists)
        return {};
    ++decodes_;
    // The cache's own size: a normal thumbnail for the grid's 128 pixels.
    const int cacheEdge = edge_ <= thumbnails::kNormalEdge ? thumbnails::kNormalEdge : thumbnails::kLargeEdge;
    QImage picture = thumbnails::FitInto(Decode(file.path), cacheEdge);
    if (picture.isNull()) {
        thumbnails::StoreFailure(cacheRoot_, file);
        return {};
    }
    thumbnails::Store(cacheRoot_, file, picture);
    return thumbnails::FitInto(picture, edge_).convertToFormat(QImage::Format_ARGB32_Premultiplied);
}

QImage ThumbnailLoader::Decode(const QString& path)
{
    const std::string file = path.toStdString();
    ExtenderHandle reader = registry_.FindReaderForFile(file);
    if (!reader)
        return {};
    gmem::Owner dib;
    {
        std::lock_guard readers(ReaderCallLock());
        void* block = ext::GetDefParams(reader);
        auto readAtLeast = reinterpret_cast<VistrelReadAtLeastFn>(ext::Lookup(reader, "readAtLeast"));
        NeedContext context{thumbnails::kNormalEdge < edge_ ? thumbnails::kLargeEdge : thumbnails::kNormalEdge};
        dib.reset(readAtLeast ? readAtLeast(file.c_str(), block, NeedThumbnail, &context)
                              : ext::Read(reader, file.c_str(), block));
        gmem::Free(block);
    }
    return ImageFromDib(dib.get());
}

void ThumbnailLoader::Deliver()
{
    std::vector<Result> results;
    {
        std::lock_guard lock(mutex_);
        results.swap(results_);
        deliveryPosted_ = false;
        for (const Result& result : results)
            queued_.remove(result.path);
    }
    for (Result& result : results) {
        const qint64 cost = CostOf(result.image);
        lru_.insert(result.path, new QImage(std::move(result.image)), cost);
        if (onReady)
            onReady(result.path);
    }
}

} // namespace vistrel::manager
