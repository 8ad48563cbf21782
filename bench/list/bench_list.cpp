// SPDX-License-Identifier: GPL-3.0-or-later
// List benchmarks: inserting with duplicates refused must not search every
// row (10 times the paths should take about 10 times as long), and saving and
// loading a large list should cost little more than copying its bytes.
//
//   vistrel_bench_list [program directory] [scratch folder]
#include "vistrel/core/list_file.h"
#include "vistrel/core/message_sink.h"
#include "vistrel/core/wallpaper_list.h"
#include "vistrel/platform/files.h"
#include "vistrel/platform/paths.h"
#include "vistrel/platform/process.h"

#include <chrono>
#include <cstdio>
#include <filesystem>
#include <span>
#include <string>
#include <vector>

using namespace vistrel;
using Clock = std::chrono::steady_clock;

namespace {

double Seconds(Clock::time_point since) { return std::chrono::duration<double>(Clock::now() - since).count(); }

std::string PathOf(int i)
{
    return "/home/someone/Pictures/Holidays " + std::to_string(i % 97) + "/IMG_" + std::to_string(i) + ".bmp";
}

// Inserts n distinct paths with duplicates refused; the best of three runs.
double TimeInserts(const CExtenderRegistry& registry, int n, CWallpaperList& list)
{
    double best = 1e9;
    for (int run = 0; run < 3; ++run) {
        list.Reset();
        auto start = Clock::now();
        for (int i = 0; i < n; ++i)
            list.InsertFile(PathOf(i), true);
        best = std::min(best, Seconds(start));
    }
    (void)registry;
    return best;
}

// The same paths in batches of 256, as a folder walk hands them over.
double TimeBatchInserts(int n, CWallpaperList& list)
{
    std::vector<std::string> paths;
    for (int i = 0; i < n; ++i)
        paths.push_back(PathOf(i));
    double best = 1e9;
    for (int run = 0; run < 3; ++run) {
        list.Reset();
        auto start = Clock::now();
        for (int i = 0; i < n; i += 256)
            list.InsertFiles(std::span<const std::string>(paths).subspan(i, std::min(256, n - i)), true);
        best = std::min(best, Seconds(start));
    }
    return best;
}

double TimeCopy(const std::string& from, const std::string& to)
{
    double best = 1e9;
    for (int run = 0; run < 3; ++run) {
        auto start = Clock::now();
        platform::RunProgram("cp", {from, to});
        best = std::min(best, Seconds(start));
    }
    return best;
}

} // namespace

int main(int argc, char** argv)
{
    std::string programDir =
        (argc > 1 ? std::filesystem::absolute(argv[1]).string() : platform::ExecutableDirectory() + "../bin") + "/";
    std::string scratch = argc > 2 ? argv[2] : std::filesystem::temp_directory_path().string();
    CExtenderRegistry registry;
    if (!registry.LoadExtenders(programDir)) {
        std::fprintf(stderr, "no extenders in %s\n", programDir.c_str());
        return 1;
    }
    CWallpaperList list(&registry);

    double small = TimeInserts(registry, 10000, list);
    double large = TimeInserts(registry, 100000, list);
    int rows = list.GetCount();
    bool refused = !list.InsertFile("/HOME/someone/pictures/holidays 5/img_5.BMP", true);
    std::printf("InsertFile, duplicates refused: 10,000 paths %.3f s, 100,000 paths %.3f s, ratio %.1f "
                "(linear would be about 100); %d rows, case-folded duplicate refused: %s\n",
                small, large, large / small, rows, refused ? "yes" : "NO");

    double batched = TimeBatchInserts(100000, list);
    std::printf("InsertFiles in batches of 256: 100,000 paths %.3f s (%.0f ns a path)\n", batched, batched * 1e4);

    std::string file = scratch + "/vistrel-bench-list.vist";
    std::string copy = scratch + "/vistrel-bench-copy.vist";
    std::string error;
    double save = 1e9, load = 1e9;
    for (int run = 0; run < 3; ++run) {
        auto start = Clock::now();
        if (!WriteListFile(file, list, error)) {
            std::fprintf(stderr, "save failed: %s\n", error.c_str());
            return 1;
        }
        save = std::min(save, Seconds(start));
    }
    for (int run = 0; run < 3; ++run) {
        CWallpaperList loaded(&registry);
        auto start = Clock::now();
        ListLoadStatus status = ReadListFile(file, loaded, error);
        load = std::min(load, Seconds(start));
        if (status != ListLoadStatus::Ok || loaded.GetCount() != rows) {
            std::fprintf(stderr, "load failed\n");
            return 1;
        }
    }
    double serialise = 1e9;
    for (int run = 0; run < 3; ++run) {
        auto start = Clock::now();
        std::string bytes = StoreList(list);
        serialise = std::min(serialise, Seconds(start));
    }
    double cp = TimeCopy(file, copy);
    std::printf("of the save, %.3f s make the bytes; the rest writes them and waits for the disk (fsync)\n", serialise);
    std::printf("100,000 entries (%.1f MB): save %.3f s (%.1f x cp), load %.3f s (%.1f x cp), cp %.3f s\n",
                static_cast<double>(std::filesystem::file_size(file)) / 1e6, save, save / cp, load, load / cp, cp);
    std::filesystem::remove(file);
    std::filesystem::remove(copy);
    return 0;
}
