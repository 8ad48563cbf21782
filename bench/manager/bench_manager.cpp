// SPDX-License-Identifier: GPL-3.0-or-later
// List manager benchmark: how long from the start of the program to the
// first painted list, and how long each page takes to paint while paging
// from the top of the list to the bottom, with a list of 100,000 entries
// against an empty one; and the peak memory of each run.
//
// Goals: the first paint within 1 s of the empty list's, every page under
// 16 ms, a peak under 150 MB.
//
//   vistrel_bench_manager [rows]
//
// Runs on the X display in DISPLAY (run it under Xvfb for figures that
// include drawing to a real server), else on Qt's offscreen platform. Each
// case runs in a process of its own, so that the peaks do not mix.
#include "app/vistrel_app.h"
#include "app/vistrel_doc.h"
#include "frame/main_frame.h"
#include "list/image_list_view.h"
#include "vistrel/core/list_file.h"
#include "vistrel/core/message_sink.h"
#include "vistrel/platform/files.h"
#include "vistrel/platform/paths.h"
#include "vistrel/platform/process.h"

#include <QApplication>
#include <QElapsedTimer>
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

std::string ProgramDirectory() { return std::string(VISTREL_BIN_DIR) + "/"; }

std::string PathOf(int i)
{
    return "/home/someone/Pictures/Holidays " + std::to_string(i % 97) + "/IMG_" + std::to_string(i) + ".bmp";
}

// One case: start the list manager on `list`, wait for the list's first
// paint, then page to the bottom. Prints one line of figures.
int RunCase(int argc, char** argv, const std::string& list)
{
    QApplication qt(argc, argv);
    manager::AppOptions options;
    options.programDirectory = ProgramDirectory();
    options.arguments = {QString::fromStdString(list)};
    options.startProgram = [](const std::string&) { return true; }; // no scheduler: it would share the CPU
    manager::CVistrelApp app(std::move(options));

    double firstPaint = -1;
    struct PaintWatch : QObject {
        manager::CVistrelApp* app = nullptr;
        bool seen = false;
        std::function<void()> onFirst;
        bool eventFilter(QObject* watched, QEvent* event) override
        {
            if (!seen && event->type() == QEvent::Paint && app->MainFrame() &&
                watched == app->MainFrame()->ListView()->viewport()) {
                seen = true;
                QTimer::singleShot(0, onFirst); // once this paint is done
            }
            return false;
        }
    } watch;
    watch.app = &app;
    watch.onFirst = [&] {
        firstPaint = MillisecondsSinceStart();
        QTimer::singleShot(300, [] { QApplication::exit(0); });
    };
    qt.installEventFilter(&watch);
    if (app.InitInstance() != manager::StartResult::Running)
        return 1;
    QApplication::exec();

    manager::CVistrelView* view = app.MainFrame()->ListView();
    QScrollBar* bar = view->verticalScrollBar();
    view->scrollToTop();
    view->viewport()->repaint();
    // Wall time per page, and the time this thread ran for it: on a busy
    // machine the wall time also counts the turns other programs had.
    std::vector<double> pages, cpu;
    QElapsedTimer timer;
    do {
        const double cpuBefore = ThreadCpuMs();
        timer.start();
        bar->setValue(bar->value() + bar->pageStep());
        view->viewport()->repaint();
        pages.push_back(static_cast<double>(timer.nsecsElapsed()) / 1e6);
        cpu.push_back(ThreadCpuMs() - cpuBefore);
        QApplication::processEvents();
    } while (bar->value() < bar->maximum());
    std::sort(pages.begin(), pages.end());
    std::sort(cpu.begin(), cpu.end());
    const double mean = std::accumulate(pages.begin(), pages.end(), 0.0) / static_cast<double>(pages.size());
    // The high-water mark of this process's own memory (getrusage's would
    // carry the parent's over the exec).
    double peakKb = 0;
    std::ifstream status("/proc/self/status");
    for (std::string line; std::getline(status, line);)
        if (line.rfind("VmHWM:", 0) == 0)
            peakKb = std::atof(line.c_str() + 6);
    std::printf("%d %.1f %zu %.3f %.3f %.3f %.1f %.3f %.3f %.3f\n", app.Document().List().GetCount(), firstPaint,
                pages.size(), mean, pages[pages.size() * 99 / 100], pages.back(), peakKb / 1024.0,
                pages[pages.size() / 2], cpu[cpu.size() * 99 / 100], cpu.back());
    return 0;
}

struct Figures {
    int rows = 0;
    double firstPaintMs = 0;
    std::size_t pages = 0;
    double meanMs = 0, p99Ms = 0, maxMs = 0, peakMb = 0, medianMs = 0, cpuP99Ms = 0, cpuMaxMs = 0;
};

bool RunChild(const std::string& self, const std::string& list, Figures& figures)
{
    std::string output;
    if (platform::RunProgram(self, {"--case", list}, &output) != 0)
        return false;
    std::istringstream in(output);
    in >> figures.rows >> figures.firstPaintMs >> figures.pages >> figures.meanMs >> figures.p99Ms >> figures.maxMs >>
        figures.peakMb >> figures.medianMs >> figures.cpuP99Ms >> figures.cpuMaxMs;
    return static_cast<bool>(in);
}

} // namespace

int main(int argc, char** argv)
{
    if (argc == 3 && std::string(argv[1]) == "--case")
        return RunCase(1, argv, argv[2]);

    const int rows = argc > 1 ? std::atoi(argv[1]) : 100000;
    StderrMessageSink sink;
    SetMessageSink(&sink);
    fs::path scratch = fs::temp_directory_path() / ("vistrel-bench-manager-" + std::to_string(::getpid()));
    for (const char* sub : {"config", "data", "runtime"})
        fs::create_directories(scratch / sub);
    fs::permissions(scratch / "runtime", fs::perms::owner_all, fs::perm_options::replace);
    ::setenv("XDG_CONFIG_HOME", (scratch / "config").c_str(), 1);
    ::setenv("XDG_DATA_HOME", (scratch / "data").c_str(), 1);
    ::setenv("XDG_RUNTIME_DIR", (scratch / "runtime").c_str(), 1);
    if (std::getenv("DISPLAY") == nullptr)
        ::setenv("QT_QPA_PLATFORM", "offscreen", 1);

    CExtenderRegistry registry;
    if (!registry.LoadExtenders(ProgramDirectory())) {
        std::fprintf(stderr, "no extenders in %s\n", ProgramDirectory().c_str());
        return 1;
    }
    std::string error;
    CWallpaperList list(&registry);
    list.Reset();
    const std::string empty = (scratch / "empty.vist").string();
    WriteListFile(empty, list, error);
    for (int i = 0; i < rows; ++i)
        list.InsertFile(PathOf(i), false);
    const std::string large = (scratch / "large.vist").string();
    if (list.GetCount() != rows || !WriteListFile(large, list, error)) {
        std::fprintf(stderr, "could not make the list: %s\n", error.c_str());
        return 1;
    }

    const std::string self = fs::read_symlink("/proc/self/exe").string();
    Figures none, many;
    // A first run warms the file cache and the libraries for both.
    Figures warm;
    if (!RunChild(self, empty, warm) || !RunChild(self, empty, none) || !RunChild(self, large, many)) {
        std::fprintf(stderr, "a case failed\n");
        return 1;
    }
    fs::remove_all(scratch);

    std::printf("platform: %s\n", std::getenv("QT_QPA_PLATFORM") ? std::getenv("QT_QPA_PLATFORM") : "xcb");
    std::printf("%-22s %12s %12s\n", "", "empty list", (std::to_string(rows) + " rows").c_str());
    std::printf("%-22s %12.1f %12.1f\n", "first paint (ms)", none.firstPaintMs, many.firstPaintMs);
    std::printf("%-22s %12zu %12zu\n", "pages painted", none.pages, many.pages);
    std::printf("%-22s %12.3f %12.3f\n", "page median (ms)", none.medianMs, many.medianMs);
    std::printf("%-22s %12.3f %12.3f\n", "page mean (ms)", none.meanMs, many.meanMs);
    std::printf("%-22s %12.3f %12.3f\n", "page 99th pct (ms)", none.p99Ms, many.p99Ms);
    std::printf("%-22s %12.3f %12.3f\n", "page slowest (ms)", none.maxMs, many.maxMs);
    std::printf("%-22s %12.3f %12.3f\n", "page CPU 99th (ms)", none.cpuP99Ms, many.cpuP99Ms);
    std::printf("%-22s %12.3f %12.3f\n", "page CPU slowest (ms)", none.cpuMaxMs, many.cpuMaxMs);
    std::printf("%-22s %12.1f %12.1f\n", "peak memory (MB)", none.peakMb, many.peakMb);
    std::printf("\nfirst paint: %.0f ms later than the empty list's (goal: within 1000 ms), ratio %.2f\n",
                many.firstPaintMs - none.firstPaintMs, many.firstPaintMs / none.firstPaintMs);
    std::printf("slowest page: %.2f ms (goal: under 16 ms), %.2f of the goal; its painting alone took at most %.2f ms "
                "(%.2f of the goal)\n",
                many.maxMs, many.maxMs / 16.0, many.cpuMaxMs, many.cpuMaxMs / 16.0);
    std::printf("peak memory: %.0f MB (goal: under 150 MB), %.2f of the goal; %.2f times the empty list's\n",
                many.peakMb, many.peakMb / 150.0, many.peakMb / none.peakMb);
    return 0;
}
