// SPDX-License-Identifier: GPL-3.0-or-later
// Reading preview pictures on a thread of their own, so that a large picture
// never freezes the window while its reader works.
//
// A request carries copies of everything the read needs (the path, and for
// an image-list entry its parameter chain), so the list may change while
// the read runs. The read goes through the same calls as everywhere else: an
// entry's picture through its chain's reader (ReadEntryImage), a file's
// through the first reader that claims it (ReadFileImage), both on a list of
// that one entry owned by the worker. Only the newest request's picture is
// delivered; older ones are dropped. The worker makes no Qt calls: it leaves
// the picture under a mutex, and the user-interface thread looks for it every
// few milliseconds while a read is on.
//
// Reader extenders were written for programs that call them from one thread
// at a time, so every reader call of the program takes ReaderCallLock().
#pragma once

#include "vistrel/core/extender_registry.h"
#include "vistrel/platform/global_memory.h"

#include <QImage>
#include <QObject>
#include <QSize>
#include <QTimer>
#include <condition_variable>
#include <cstdint>
#include <functional>
#include <mutex>
#include <optional>
#include <string>
#include <thread>
#include <vector>

namespace vistrel::manager {

// Held around every call of a reader extender's read.
std::mutex& ReaderCallLock();

struct PreviewRequest {
    std::string path;
    // The entry's parameter chain; empty: the first reader that claims the
    // path, with its default parameters.
    std::vector<std::uint8_t> chain;
    // The pane's size: the picture comes resampled to it as well, since
    // resampling a large picture touches memory all over it.
    QSize size;
};

// What a read gave: the DIB as 24 bits (palette and run-length pictures
// expanded; null when the read failed) and either the picture resampled by
// nearest pixel to the size asked for or, where resampling fails, the
// picture to stretch instead.
struct PreviewPicture {
    gmem::Handle dib = nullptr; // the receiver owns it
    QImage resampled;
    QImage stretched;
};

// `dib` resampled to `size` by nearest pixel (ScaleDIB), or a null image.
QImage ResampledPicture(gmem::Handle dib, const QSize& size);

class PreviewLoader final : public QObject {
    Q_OBJECT
public:
    explicit PreviewLoader(const CExtenderRegistry& registry, QObject* parent = nullptr);
    // Waits for a read in progress; its picture is dropped.
    ~PreviewLoader() override;

    // Starts reading; a request still pending or running is dropped.
    void Request(PreviewRequest request);
    // Drops the pending or running request's picture.
    void Cancel();
    bool Busy() const { return busy_; }

    // Called on the user-interface thread with the newest request's picture.
    std::function<void(PreviewPicture picture)> onLoaded;

private:
    void Work();
    void Deliver();

    const CExtenderRegistry& registry_;
    std::thread worker_;
    std::mutex mutex_; // guards everything below up to the thread's own
    std::condition_variable wake_;
    std::optional<PreviewRequest> pending_;
    std::uint64_t pendingNumber_ = 0;
    std::optional<PreviewPicture> result_;
    std::uint64_t resultNumber_ = 0;
    bool stopping_ = false;

    // The user-interface thread's.
    QTimer poll_;              // looks for the worker's picture while a read is on
    std::uint64_t wanted_ = 0; // the request whose picture is wanted
    bool busy_ = false;
};

} // namespace vistrel::manager
