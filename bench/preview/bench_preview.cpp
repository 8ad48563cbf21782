// SPDX-License-Identifier: GPL-3.0-or-later
// Preview benchmark: the time from a click into the preview pane to the
// picture painted in it, for a 6000 x 4000 24-bit bitmap file (72 MB), and
// the longest the window's event loop stood still meanwhile. The reference
// is the bare reader call on the same file in the same run (what the window
// would stand still for if it read the picture itself).
//
// Goals: the click-to-preview time within 1.5x of the bare read, and the
// event loop never still for more than a frame (16 ms).
//
//   vistrel_bench_preview [runs] [width height]
//
// Runs on the X display in DISPLAY (under Xvfb for figures that include
// drawing to a real server), else on Qt's offscreen platform. The file is
// written to a temporary folder (warm cache) and removed at the end.
#include "preview/preview_view.h"
#include "vistrel/core/extender_calls.h"
#include "vistrel/core/message_sink.h"
#include "vistrel/core/wallpaper_list.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QEventLoop>
#include <QMouseEvent>
#include <QTimer>
#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <functional>
#include <string>
#include <vector>

using namespace vistrel;
using namespace vistrel::manager;
namespace fs = std::filesystem;

namespace {

void PutU32(std::string& out, std::uint32_t v)
{
    for (int i = 0; i < 4; ++i)
        out += static_cast<char>((v >> (8 * i)) & 0xFF);
}

// A 24-bit bitmap file of a colour gradient, written row by row.
void WriteBitmap(const fs::path& path, int width, int height)
{
    const std::uint32_t stride = (static_cast<std::uint32_t>(width) * 3 + 3) & ~3u;
    const std::uint32_t pixels = stride * static_cast<std::uint32_t>(height);
    std::string head = "BM";
    PutU32(head, 54 + pixels);
    PutU32(head, 0);
    PutU32(head, 54);
    for (std::uint32_t v : {40u, static_cast<std::uint32_t>(width), static_cast<std::uint32_t>(height)})
        PutU32(head, v);
    head += std::string("\x01\x00\x18\x00", 4);
    for (std::uint32_t v : {0u, pixels, 2835u, 2835u, 0u, 0u})
        PutU32(head, v);
    std::ofstream out(path, std::ios::binary);
    out << head;
    std::string row(stride, '\0');
    for (int y = 0; y < height; ++y) {
        for (int x = 0; x < width; ++x) {
            row[3 * x] = static_cast<char>(255 * x / width);
            row[3 * x + 1] = static_cast<char>(255 * y / height);
            row[3 * x + 2] = static_cast<char>(128);
        }
        out.write(row.data(), static_cast<std::streamsize>(row.size()));
    }
}

double Median(std::vector<double> values)
{
    std::sort(values.begin(), values.end());
    return values[values.size() / 2];
}

// Paints the pane sees after the picture arrived.
class PaintWatch final : public QObject {
public:
    bool armed = false;
    bool painted = false;
    std::function<void()> onPainted;

protected:
    bool eventFilter(QObject* watched, QEvent* event) override
    {
        const bool result = QObject::eventFilter(watched, event);
        if (armed && !painted && event->type() == QEvent::Paint) {
            painted = true;
            // After the paint itself: leave the loop once this event is done.
            QTimer::singleShot(0, [this] {
                if (onPainted)
                    onPainted();
            });
        }
        return result;
    }
};

} // namespace

int main(int argc, char** argv)
{
    if (qEnvironmentVariableIsEmpty("DISPLAY") && qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    const int runs = argc > 1 ? std::max(1, std::atoi(argv[1])) : 7;
    const int width = argc > 3 ? std::atoi(argv[2]) : 6000;
    const int height = argc > 3 ? std::atoi(argv[3]) : 4000;
    QApplication app(argc, argv);

    const fs::path folder = fs::temp_directory_path() / ("vistrel-bench-preview-" + std::to_string(::getpid()));
    fs::create_directories(folder);
    const fs::path file = folder / "big.bmp";
    WriteBitmap(file, width, height);

    CExtenderRegistry registry;
    registry.LoadExtenders(std::string(VISTREL_BIN_DIR) + "/");
    CWallpaperList list(&registry);
    list.Reset();

    CVistrelPreviewView pane;
    pane.SetList(&list);
    pane.resize(400, 300);
    pane.show();
    PaintWatch watch;
    pane.installEventFilter(&watch);
    bool finished = false;
    QObject::connect(&pane, &CVistrelPreviewView::loadFinished, [&](bool) {
        finished = true;
        watch.armed = true;
    });

    // The event loop's longest stand-still, from a timer that wants to run every millisecond.
    QElapsedTimer sinceTick;
    qint64 longestStill = 0;
    bool measuring = false;
    QTimer ticker;
    ticker.setTimerType(Qt::PreciseTimer);
    QObject::connect(&ticker, &QTimer::timeout, [&] {
        if (measuring)
            longestStill = std::max(longestStill, sinceTick.nsecsElapsed());
        sinceTick.restart();
    });
    ticker.start(1);

    std::vector<double> previews, stills, reads;
    for (int run = 0; run < runs + 1; ++run) { // the first run warms up
        pane.ForgetImage();
        pane.SetSource(PreviewSource::Tree);
        pane.SetPendingPath(file.string());
        QApplication::processEvents();
        finished = false;
        watch.armed = watch.painted = false;
        longestStill = 0;

        QElapsedTimer clock;
        clock.start();
        measuring = true;
        sinceTick.restart();
        const QPointF at(pane.width() / 2.0, pane.height() / 2.0);
        QMouseEvent press(QEvent::MouseButtonPress, at, pane.mapToGlobal(at), Qt::LeftButton, Qt::LeftButton, {});
        QMouseEvent release(QEvent::MouseButtonRelease, at, pane.mapToGlobal(at), Qt::LeftButton, Qt::NoButton, {});
        QApplication::sendEvent(&pane, &press);
        QApplication::sendEvent(&pane, &release);
        const qint64 clickReturned = clock.nsecsElapsed();
        // Waits in the event loop (not spinning, which would take the
        // worker's processor on a small machine) until the picture is painted.
        QEventLoop wait;
        watch.onPainted = [&] { wait.quit(); };
        wait.exec();
        const double preview = static_cast<double>(clock.nsecsElapsed()) / 1e6;
        measuring = false;
        if (!pane.HasImage()) {
            std::fprintf(stderr, "the picture did not load (is Bitload built in %s?)\n", VISTREL_BIN_DIR);
            return 1;
        }
        longestStill = std::max(longestStill, clickReturned);

        // The reference: the reader itself, on this thread.
        ExtenderHandle reader = registry.FindReaderForFile(file.string());
        QElapsedTimer readClock;
        readClock.start();
        gmem::Handle dib = ext::Read(reader, file.string().c_str(), nullptr);
        const double read = static_cast<double>(readClock.nsecsElapsed()) / 1e6;
        gmem::Free(dib);
        if (run == 0)
            continue;
        previews.push_back(preview);
        stills.push_back(static_cast<double>(longestStill) / 1e6);
        reads.push_back(read);
    }
    fs::remove_all(folder);

    const double preview = Median(previews), read = Median(reads), still = Median(stills);
    std::printf("picture %d x %d (24 bits, %.0f MB), pane %d x %d, %d runs, medians:\n", width, height,
                3.0 * width * height / 1e6, pane.width(), pane.height(), runs);
    std::printf("  click to preview painted  %8.1f ms\n", preview);
    std::printf("  bare reader call          %8.1f ms (reference)\n", read);
    std::printf("  ratio                     %8.2f x the bare read\n", preview / read);
    std::printf("  longest event-loop still  %8.1f ms (worst run %.1f ms)\n", still,
                *std::max_element(stills.begin(), stills.end()));
    return 0;
}
