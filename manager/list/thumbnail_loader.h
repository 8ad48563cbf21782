// SPDX-License-Identifier: GPL-3.0-or-later
// Thumbnails for the thumbnail view, made off the user-interface thread.
//
// Asked for a picture's thumbnail, the loader answers at once from its LRU
// of decoded thumbnails (bounded in bytes), or queues the picture for its
// workers and answers later through `onReady`. A worker looks in the
// desktop's thumbnail cache first (thumbnail_cache.h); only a picture the
// cache has no valid thumbnail for is read, by the reader extender that
// claims it, at a reduced size where the reader can (readAtLeast, with a
// need of the thumbnail's size), and the new thumbnail (or a fail entry) is
// written back to the cache for every program.
//
// The queue serves the newest request first and forgets the oldest beyond
// a bound, so that while the user scrolls the page in view comes first and
// pages scrolled past cost nothing. There are never more workers than
// cores. The readers' calls themselves take turns (ReaderCallLock: a reader
// keeps one error text per library); looking in the cache, scaling and
// writing PNGs run side by side.
#pragma once

#include "vistrel/core/extender_registry.h"

#include <QCache>
#include <QImage>
#include <QObject>
#include <QSet>
#include <QString>
#include <atomic>
#include <condition_variable>
#include <deque>
#include <functional>
#include <mutex>
#include <thread>
#include <vector>

namespace vistrel::manager {

class ThumbnailLoader final : public QObject {
    Q_OBJECT
public:
    // `cacheRoot`: the thumbnails folder (thumbnails::CacheRoot()); `edge`:
    // the size the view draws; `workers` 0: one per core, at most four.
    ThumbnailLoader(const CExtenderRegistry& registry, QString cacheRoot, int edge = 128, int workers = 0,
                    QObject* parent = nullptr);
    // Waits for the pictures being made; the queue is dropped.
    ~ThumbnailLoader() override;

    // The thumbnail when it is at hand; otherwise null (and it is on its
    // way, unless the picture cannot be read: then `failed` is set).
    const QImage* Thumbnail(const QString& path, bool* failed = nullptr);
    // Forgets what the LRU holds (a new list).
    void Clear();

    int Workers() const { return workerCount_; }
    int Edge() const { return edge_; }
    // How many pictures the readers decoded, and how many thumbnails came
    // from the cache: tests and the benchmark look.
    int Decodes() const { return decodes_.load(); }
    int CacheHits() const { return cacheHits_.load(); }
    // Pictures asked for and not answered yet.
    bool Idle();

    // The LRU's bound, in bytes of decoded thumbnails.
    void SetMemoryBudget(qint64 bytes);
    qint64 MemoryUsed() const { return lru_.totalCost(); }

    // Called on the user-interface thread when a thumbnail came in.
    std::function<void(const QString& path)> onReady;

private:
    struct Result {
        QString path;
        QImage image; // null: the picture cannot be read
    };
    void StartWorkers();
    void Work();
    QImage Make(const QString& path);
    QImage Decode(const QString& path);
    // Posted by name from the workers: the queued call then carries no
    // object made on the worker's side, and everything it hands over goes
    // through mutex_.
    Q_INVOKABLE void Deliver();

    const CExtenderRegistry& registry_;
    const QString cacheRoot_;
    const int edge_;
    int workerCount_;
    std::vector<std::thread> workers_;

    std::mutex mutex_; // guards the queue, the results and stopping_
    std::condition_variable wake_;
    std::deque<QString> queue_; // newest first
    QSet<QString> queued_;
    std::vector<Result> results_;
    bool deliveryPosted_ = false;
    bool stopping_ = false;
    int busy_ = 0;

    std::atomic<int> decodes_{0};
    std::atomic<int> cacheHits_{0};

    // The user-interface thread's: the thumbnails, with failures as null images.
    QCache<QString, QImage> lru_;
};

} // namespace vistrel::manager
