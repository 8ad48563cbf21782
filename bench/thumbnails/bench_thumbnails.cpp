// SPDX-License-Identifier: GPL-3.0-or-later
// Thumbnail view benchmark, with a list of 100,000 photographs (hard links
// to a few JPEGs of 1600 x 1200, so that each row is a file of its own with
// a thumbnail of its own) against an empty list:
//   - the grid's first paint after the start, against the empty list's;
//   - the time each page takes on the user-interface thread while paging
//     from the top of the grid to the bottom, the workers decoding meanwhile;
//   - how long until every thumbnail of a page shows, from a cold cache
//     (read and written back) and from a warm one (the desktop's cache
//     filled, the program started afresh);
//   - the peak memory of each run.
//
// Goals: the first paint within 1 s of the empty list's, every page under
// 16 ms, a page's thumbnails within 1 s from a warm cache, a peak under 300 MB.
//
//   vistrel_bench_thumbnails [rows]
//
// Runs on the X display in DISPLAY (under Xvfb for figures that include
// drawing to a real server), else on Qt's offscreen platform. Each case runs
// in a process of its own, so that the peaks do not mix; the cache lives in
// a scratch XDG_CACHE_HOME.
#include "app/vistrel_app.h"
#include "frame/main_frame.h"
#include "list/thumbnail_loader.h"
#include "list/thumbnail_view.h"
#include "vistrel/core/list_file.h"
#include "vistrel/core/message_sink.h"
#include "vistrel/core/registry_key.h"
#include "vistrel/platform/process.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QImage>
#include <QPainter>
#include <QScrollBar>
#include <QTimer>
#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <ctime>
#include <filesystem>
#include <fstream>
#include <functional>
#include <numeric>
#include <sstream>
#include <string>
#include <unistd.h>
#include <vector>

using namespace vistrel;
namespace fs = std::filesystem;
using Clock = std::chrono::steady_clock;

namespace {

const Clock::time_point g_start = Clock::now();

double MillisecondsSinceStart() { return std::chrono::duration<double, std::milli>(Clock::now() - g_start).count(); }

double ThreadCpuMs()
{
    timespec now{};
    clock_gettime(CLOCK_THREAD_CPUTIME_ID, &now);
    return static_cast<double>(now.tv_sec) * 1e3 + static_cast<double>(now.tv_nsec) / 1e6;
}

double PeakMb()
{
    double peakKb = 0;
    std::ifstream status("/proc/self/status");
    for (std::string line; std::getline(status, line);)
        if (line.rfind("VmHWM:", 0) == 0)
            peakKb = std::atof(line.c_str() + 6);
    return peakKb / 1024.0;
}

std::string ProgramDirectory() { return std::string(VISTREL_BIN_DIR) + "/"; }

// The rows the grid shows now.
std::vector<int> VisibleRows(manager::CThumbnailView* grid)
{
    std::vector<int> rows;
    const QSize cell = grid->gridSize();
    const QRect area = grid->viewport()->rect();
    for (int y = cell.height() / 2; y < area.height(); y += cell.height())
        for (int x = cell.width() / 2; x < area.width(); x += cell.width()) {
            QModelIndex index = grid->indexAt(QPoint(x, y));
            if (index.isValid())
                rows.push_back(index.row());
        }
    return rows;
}

// Starts the list manager on `list` with the grid showing; `firstPaint` is
// set when the grid's viewport first painted.
struct Session {
    Session(const std::string& list, double& firstPaint)
    {
        manager::AppOptions options;
        options.programDirectory = ProgramDirectory();
        options.arguments = {QString::fromStdString(list)};
        options.startProgram = [](const std::string&) { return true; }; // no scheduler: it would share the CPU
        app = std::make_unique<manager::CVistrelApp>(std::move(options));
        watch.session = this;
        watch.onFirst = [&firstPaint] {
            firstPaint = MillisecondsSinceStart();
            QTimer::singleShot(300, [] { QApplication::exit(0); });
        };
        qApp->installEventFilter(&watch);
        ok = app->InitInstance() == manager::StartResult::Running && app->MainFrame()->ShowsThumbnails();
        if (ok)
            QApplication::exec();
        qApp->removeEventFilter(&watch);
    }
    manager::CThumbnailView* Grid() { return app->MainFrame()->ThumbnailView(); }

    struct PaintWatch : QObject {
        Session* session = nullptr;
        bool seen = false;
        std::function<void()> onFirst;
        bool eventFilter(QObject* watched, QEvent* event) override
        {
            if (!seen && event->type() == QEvent::Paint && session->app->MainFrame() &&
                watched == session->app->MainFrame()->ThumbnailView()->viewport()) {
                seen = true;
                QTimer::singleShot(0, onFirst); // once this paint is done
            }
            return false;
        }
    } watch;
    std::unique_ptr<manager::CVistrelApp> app;
    bool ok = false;
};

// Waits until every visible cell has its thumbnail (or its reader failed);
// the milliseconds it took, or -1 after `limitMs`.
double UntilPageComplete(manager::CThumbnailView* grid, double limitMs)
{
    QElapsedTimer timer;
    timer.start();
    const std::vector<int> rows = VisibleRows(grid);
    manager::ThumbnailLoader& loader = grid->Loader();
    const auto& list = grid->model();
    for (;;) {
        bool complete = true;
        for (int row : rows) {
            bool failed = false;
            const QString path = list->index(row, 0).data().toString();
            if (!loader.Thumbnail(path, &failed) && !failed)
                complete = false;
        }
        grid->viewport()->repaint();
        if (complete)
            return static_cast<double>(timer.nsecsElapsed()) / 1e6;
        if (static_cast<double>(timer.elapsed()) > limitMs)
            return -1;
        QApplication::processEvents(QEventLoop::WaitForMoreEvents, 5);
    }
}

// Where the page tests look: at the top, a tenth, half and nine tenths down.
std::vector<double> PagePlaces() { return {0.0, 0.1, 0.5, 0.9}; }

void ScrollTo(manager::CThumbnailView* grid, double place)
{
    QScrollBar* bar = grid->verticalScrollBar();
    bar->setValue(static_cast<int>(bar->maximum() * place));
    grid->viewport()->repaint();
}

// Case "page": the first paint, then paging to the bottom.
int PageCase(const std::string& list)
{
    double firstPaint = -1;
    Session session(list, firstPaint);
    if (!session.ok)
        return 1;
    manager::CThumbnailView* grid = session.Grid();
    QScrollBar* bar = grid->verticalScrollBar();
    grid->scrollToTop();
    grid->viewport()->repaint();
    std::vector<double> pages, cpu;
    QElapsedTimer timer;
    do {
        const double cpuBefore = ThreadCpuMs();
        timer.start();
        bar->setValue(bar->value() + bar->pageStep());
        grid->viewport()->repaint();
        pages.push_back(static_cast<double>(timer.nsecsElapsed()) / 1e6);
        cpu.push_back(ThreadCpuMs() - cpuBefore);
        QApplication::processEvents();
    } while (bar->value() < bar->maximum());
    std::sort(pages.begin(), pages.end());
    std::sort(cpu.begin(), cpu.end());
    const double mean = std::accumulate(pages.begin(), pages.end(), 0.0) / static_cast<double>(pages.size());
    std::printf("%d %.1f %zu %.3f %.3f %.3f %.3f %.3f %.1f %d\n", grid->model()->rowCount(), firstPaint, pages.size(),
                mean, pages[pages.size() / 2], pages[pages.size() * 99 / 100], pages.back(), cpu.back(), PeakMb(),
                grid->Loader().Decodes());
    return 0;
}

// Case "fill" (cold: nothing in the cache) and "warm" (the cache filled by
// "fill", a fresh process): how long each of the page places takes to show
// all its thumbnails.
int FillCase(const std::string& list)
{
    double firstPaint = -1;
    Session session(list, firstPaint);
    if (!session.ok)
        return 1;
    manager::CThumbnailView* grid = session.Grid();
    std::printf("%d", grid->model()->rowCount());
    for (double place : PagePlaces()) {
        ScrollTo(grid, place);
        std::printf(" %.1f", UntilPageComplete(grid, 60000));
    }
    std::printf(" %.1f %d %d\n", PeakMb(), grid->Loader().Decodes(), grid->Loader().CacheHits());
    return 0;
}

bool RunChild(const std::string& self, const std::string& which, const std::string& list, std::vector<double>& out)
{
    std::string output;
    if (platform::RunProgram(self, {"--case", which, list}, &output) != 0) {
        std::fprintf(stderr, "%s", output.c_str());
        return false;
    }
    std::istringstream in(output);
    out.clear();
    for (double value; in >> value;)
        out.push_back(value);
    return !out.empty();
}

// A photograph-like picture: gradients, so that the JPEG is of a usual size.
void MakePhoto(const fs::path& file, int seed)
{
    QImage image(1600, 1200, QImage::Format_RGB32);
    for (int y = 0; y < image.height(); ++y) {
        auto* line = reinterpret_cast<QRgb*>(image.scanLine(y));
        for (int x = 0; x < image.width(); ++x)
            line[x] = qRgb((x * 255 / 1600 + seed * 40) & 0xFF, (y * 255 / 1200) & 0xFF, ((x ^ y) + seed * 90) & 0xFF);
    }
    image.save(QString::fromStdString(file.string()), "JPG", 88);
}

} // namespace

int main(int argc, char** argv)
{
    if (argc == 4 && std::string(argv[1]) == "--case") {
        QApplication qt(argc, argv);
        const std::string which = argv[2];
        return which == "page" ? PageCase(argv[3]) : FillCase(argv[3]);
    }

    const int rows = argc > 1 ? std::atoi(argv[1]) : 100000;
    StderrMessageSink sink;
    SetMessageSink(&sink);
    const fs::path scratch = fs::temp_directory_path() / ("vistrel-bench-thumbnails-" + std::to_string(::getpid()));
    for (const char* sub : {"config", "data", "runtime", "cache", "photos"})
        fs::create_directories(scratch / sub);
    fs::permissions(scratch / "runtime", fs::perms::owner_all, fs::perm_options::replace);
    ::setenv("XDG_CONFIG_HOME", (scratch / "config").c_str(), 1);
    ::setenv("XDG_DATA_HOME", (scratch / "data").c_str(), 1);
    ::setenv("XDG_RUNTIME_DIR", (scratch / "runtime").c_str(), 1);
    ::setenv("XDG_CACHE_HOME", (scratch / "cache").c_str(), 1);
    if (std::getenv("DISPLAY") == nullptr)
        ::setenv("QT_QPA_PLATFORM", "offscreen", 1);

    // The grid shows from the start.
    {
        CRegistryKey key;
        key.Create("Software\\Vistrel\\Vistrel\\Settings");
        key.WriteNumber("Thumbnails", 1);
    }

    CExtenderRegistry registry;
    if (!registry.LoadExtenders(ProgramDirectory())) {
        std::fprintf(stderr, "no extenders in %s\n", ProgramDirectory().c_str());
        return 1;
    }
    std::vector<fs::path> originals;
    {
        int qtArgc = 1;
        QGuiApplication qt(qtArgc, argv);
        for (int i = 0; i < 4; ++i) {
            originals.push_back(scratch / ("original" + std::to_string(i) + ".jpg"));
            MakePhoto(originals.back(), i);
        }
    }
    std::string error;
    CWallpaperList list(&registry);
    list.Reset();
    const std::string empty = (scratch / "empty.vist").string();
    WriteListFile(empty, list, error);
    std::vector<std::string> files;
    for (int i = 0; i < rows; ++i) {
        const fs::path folder = scratch / "photos" / ("Holidays " + std::to_string(i / 1000));
        if (i % 1000 == 0)
            fs::create_directories(folder);
        const fs::path file = folder / ("IMG_" + std::to_string(i) + ".jpg");
        fs::create_hard_link(originals[static_cast<std::size_t>(i) % originals.size()], file);
        files.push_back(file.string());
    }
    list.InsertFiles(files, false);
    const std::string large = (scratch / "large.vist").string();
    if (list.GetCount() != rows || !WriteListFile(large, list, error)) {
        std::fprintf(stderr, "could not make the list (%d rows; is Photoload built?) %s\n", list.GetCount(),
                     error.c_str());
        return 1;
    }

    const std::string self = fs::read_symlink("/proc/self/exe").string();
    std::vector<double> warmUp, none, many, cold, warm;
    // A first run warms the file cache and the libraries; the paging run
    // leaves thumbnails behind, so the cache is emptied before the cold one.
    bool ok = RunChild(self, "page", empty, warmUp) && RunChild(self, "page", empty, none) &&
              RunChild(self, "page", large, many);
    fs::remove_all(scratch / "cache");
    ok = ok && RunChild(self, "fill", large, cold) && RunChild(self, "fill", large, warm);
    fs::remove_all(scratch);
    if (!ok || none.size() < 10 || many.size() < 10 || cold.size() < 8 || warm.size() < 8) {
        std::fprintf(stderr, "a case failed\n");
        return 1;
    }

    std::printf("platform: %s, %u cores\n", std::getenv("QT_QPA_PLATFORM") ? std::getenv("QT_QPA_PLATFORM") : "xcb",
                std::thread::hardware_concurrency());
    std::printf("%-34s %12s %12s\n", "", "empty list", (std::to_string(rows) + " rows").c_str());
    std::printf("%-34s %12.1f %12.1f\n", "first paint of the grid (ms)", none[1], many[1]);
    std::printf("%-34s %12.0f %12.0f\n", "pages painted", none[2], many[2]);
    std::printf("%-34s %12.3f %12.3f\n", "page median (ms)", none[4], many[4]);
    std::printf("%-34s %12.3f %12.3f\n", "page mean (ms)", none[3], many[3]);
    std::printf("%-34s %12.3f %12.3f\n", "page 99th pct (ms)", none[5], many[5]);
    std::printf("%-34s %12.3f %12.3f\n", "page slowest (ms)", none[6], many[6]);
    std::printf("%-34s %12.3f %12.3f\n", "page CPU slowest (ms)", none[7], many[7]);
    std::printf("%-34s %12.1f %12.1f\n", "peak memory while paging (MB)", none[8], many[8]);
    std::printf("%-34s %12.0f %12.0f\n", "pictures decoded while paging", none[9], many[9]);
    std::printf("\nuntil a page's thumbnails all show (ms), at:   top    1/10     1/2    9/10\n");
    std::printf("%-42s %7.0f %7.0f %7.0f %7.0f   (decoded %0.f)\n", "  cold cache (read, written back)", cold[1],
                cold[2], cold[3], cold[4], cold[6]);
    std::printf("%-42s %7.0f %7.0f %7.0f %7.0f   (decoded %0.f, from the cache %0.f)\n", "  warm cache (a fresh start)",
                warm[1], warm[2], warm[3], warm[4], warm[6], warm[7]);
    std::printf("%-42s %7.1f MB cold, %.1f MB warm\n", "  peak memory", cold[5], warm[5]);
    const double slowestWarm = *std::max_element(warm.begin() + 1, warm.begin() + 5);
    std::printf("\nfirst paint: %.0f ms later than the empty list's (goal: within 1000 ms), ratio %.2f of the goal\n",
                many[1] - none[1], (many[1] - none[1]) / 1000.0);
    std::printf("slowest page: %.2f ms (goal: under 16 ms), %.2f of the goal; its UI-thread CPU %.2f ms (%.2f)\n",
                many[6], many[6] / 16.0, many[7], many[7] / 16.0);
    std::printf("a page from a warm cache: at most %.0f ms (goal: within 1000 ms), %.2f of the goal\n", slowestWarm,
                slowestWarm / 1000.0);
    const double peak = std::max({many[8], cold[5], warm[5]});
    std::printf("peak memory: %.0f MB (goal: under 300 MB), %.2f of the goal\n", peak, peak / 300.0);
    return 0;
}
