// SPDX-License-Identifier: GPL-3.0-or-later
// Where the time of `vistrelctl add LIST TREE` goes: its steps one after the
// other, each timed, in a process of its own, called the way the command
// calls them: the extender registry, the list file, the walk with its
// inserts (and, separately, the walk alone: what walking and claiming cost
// without the list), the durable save when something was added, and the
// release of the list. Run by bench/walk/run.sh, never as a test:
//
//   vistrel_bench_add PROGRAM_DIRECTORY LIST TREE
//
// Prints one line per stage: its name and milliseconds.
#include "vistrel/core/folder_walk.h"
#include "vistrel/core/list_file.h"
#include "vistrel/core/wallpaper_list.h"

#include <chrono>
#include <cstdio>
#include <memory>
#include <string>

using namespace vistrel;
using Clock = std::chrono::steady_clock;

namespace {

void Stage(const char* name, Clock::time_point& since)
{
    const Clock::time_point now = Clock::now();
    std::printf("%-24s %8.1f ms\n", name, std::chrono::duration<double, std::milli>(now - since).count());
    std::fflush(stdout);
    since = Clock::now();
}

} // namespace

int main(int argc, char** argv)
{
    if (argc != 4) {
        std::fprintf(stderr, "usage: vistrel_bench_add PROGRAM_DIRECTORY LIST TREE\n");
        return 2;
    }
    std::string programDirectory = argv[1];
    if (programDirectory.back() != '/')
        programDirectory += '/';
    const std::string listPath = argv[2], tree = argv[3];
    Clock::time_point since = Clock::now();

    CExtenderRegistry registry;
    if (!registry.LoadExtenders(programDirectory))
        return 1;
    Stage("load the extenders", since);

    // Walking and claiming alone: the files the readers claim, not inserted.
    {
        FolderWalk walk;
        walk.onFiles = [&](std::span<const std::string> files) {
            int claimed = 0;
            for (const std::string& file : files)
                claimed += registry.FindReaderForFile(file) ? 1 : 0;
            return claimed;
        };
        walk.Walk(tree);
    }
    Stage("(walk and claim alone)", since);

    auto list = std::make_unique<CWallpaperList>(&registry);
    std::string detail;
    if (!LoadedCompletely(ReadListFile(listPath, *list, detail)))
        return 1;
    Stage("read the list", since);

    FolderWalk walk;
    walk.onFiles = [&](std::span<const std::string> files) { return list->InsertFiles(files, true); };
    walk.Walk(tree);
    Stage("walk and insert", since);

    std::string error;
    if (walk.filesAdded > 0 && !WriteListFile(listPath, *list, error))
        return 1;
    Stage("save the list", since);

    list.reset();
    Stage("release the list", since);
    return 0;
}
