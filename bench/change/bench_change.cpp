// SPDX-License-Identifier: GPL-3.0-or-later
// Where the time of one wallpaper change goes: the steps of `vistrelctl next`
// one after the other, each timed, in a process of its own. The steps are
// the ones the change makes, called the way it calls them (the list file,
// the extender registry, the monitors, the reader through shrink-on-load
// (once for all monitors), Picshow's composition for each monitor, the
// wallpaper files, the desktop's installer, the durable save
// of the list), so that the sum of the stages and the start and exit of the
// process explain the whole `vistrelctl next`. Run by hand or by
// bench/photo/stages.sh, never as a test:
//
//   vistrel_bench_change PROGRAM_DIRECTORY LIST
//
// Prints one line per stage: its name, milliseconds, and the process's peak
// resident memory in MB once the stage is done. The list is changed (its
// counters) and saved, as a change does.

#include "vistrel/core/extender_calls.h"
#include "vistrel/core/list_file.h"
#include "vistrel/core/param_block.h"
#include "vistrel/core/param_chain.h"
#include "vistrel/core/sized_read.h"
#include "vistrel/core/wallpaper_list.h"
#include "vistrel/dib/dib.h"
#include "vistrel/dib/expand.h"
#include "vistrel/wallpaper/monitor_pictures.h"
#include "vistrel/wallpaper/monitors.h"

#include <chrono>
#include <cstdio>
#include <string>

using namespace vistrel;
using Clock = std::chrono::steady_clock;

namespace {

// The process's own peak (VmHWM; getrusage's figure would include what the
// parent had at the fork).
double PeakMegabytes()
{
    double kilobytes = 0;
    if (std::FILE* status = std::fopen("/proc/self/status", "r")) {
        char line[256];
        while (std::fgets(line, sizeof line, status))
            if (std::sscanf(line, "VmHWM: %lf kB", &kilobytes) == 1)
                break;
        std::fclose(status);
    }
    return kilobytes / 1024.0;
}

// Prints the stage that began at `since` and starts the next one.
void Stage(const char* name, Clock::time_point& since)
{
    const Clock::time_point now = Clock::now();
    std::printf("%-24s %8.1f ms %6.1f MB\n", name, std::chrono::duration<double, std::milli>(now - since).count(),
                PeakMegabytes());
    std::fflush(stdout);
    since = Clock::now();
}

int Fail(const std::string& why)
{
    std::fprintf(stderr, "vistrel_bench_change: %s\n", why.c_str());
    return 1;
}

} // namespace

int main(int argc, char** argv)
{
    if (argc != 3)
        return Fail("usage: vistrel_bench_change PROGRAM_DIRECTORY LIST");
    std::string programDirectory = argv[1];
    if (programDirectory.back() != '/' && programDirectory.back() != '\\')
        programDirectory += '/';
    const std::string listPath = argv[2];
    Clock::time_point since = Clock::now();

    CExtenderRegistry registry;
    if (!registry.LoadExtenders(programDirectory))
        return Fail("no extenders in " + programDirectory);
    Stage("load the extenders", since);

    CWallpaperList list(&registry);
    std::string detail;
    if (!LoadedCompletely(ReadListFile(listPath, list, detail)))
        return Fail("the list does not load: " + listPath + " " + detail);
    Stage("read the list", since);

    const int row = list.PickNext();
    if (row < 0)
        return Fail("the list is empty");
    list.MarkShown(row);
    CParamChain chain;
    chain.Attach(list.GetChain(row), list.GetChainBytes(row));
    if (chain.GetCount() != 2)
        return Fail("the entry's chain is not a reader and a viewer");
    std::uint8_t* readerBlock = chain.GetBlock(0);
    std::uint8_t* viewerBlock = chain.GetBlock(1);
    ExtenderHandle reader = registry.FindExtenderById(BlockId(readerBlock));
    ExtenderHandle viewer = registry.FindExtenderById(BlockId(viewerBlock));
    if (!registry.IsReader(reader) || !registry.IsViewer(viewer))
        return Fail("the entry's reader or viewer is not installed");
    const std::string picture = list.GetText(row, kColFile);
    auto compose = reinterpret_cast<VistrelComposeFn>(ext::Lookup(viewer, "compose"));
    if (!compose)
        return Fail("the entry's viewer does not compose per monitor");

    // As the change does it: the monitors, and the desktop's installer.
    const wallpaper::MonitorLayout layout = wallpaper::QueryMonitors();
    wallpaper::MonitorPictureInstaller desktop;
    std::string error;
    if (!desktop.Prepare(error))
        return Fail("no wallpaper backend: " + error);
    std::vector<VistrelScreen> screens;
    for (const wallpaper::Monitor& m : layout.monitors)
        screens.push_back({m.area.width, m.area.height, m.workArea.right, m.workArea.bottom, layout.background});
    Stage("screen", since);

    // Read once, at the largest size any monitor needs.
    gmem::Owner image(ReadForScreens(reader, readerBlock, viewer, viewerBlock, picture.c_str(), screens));
    if (!image)
        return Fail(picture + " cannot be read: " + (ext::GetError(reader) ? ext::GetError(reader) : ""));
    Stage("decode", since);

    std::vector<gmem::Owner> made;
    std::vector<wallpaper::MonitorPicture> pictures;
    for (const VistrelScreen& screen : screens) {
        std::uint32_t style = VISTREL_STYLE_CENTER;
        gmem::Handle composed = compose(image.get(), viewerBlock, &screen, &style);
        if (!composed)
            return Fail(std::string("no composition: ") + (ext::GetError(viewer) ? ext::GetError(viewer) : ""));
        if (composed != image.get())
            made.emplace_back(composed);
        pictures.push_back({composed, style == VISTREL_STYLE_TILE ? wallpaper::Style::Tile : wallpaper::Style::Center});
    }
    Stage("compose", since);

    if (!desktop.WriteFiles(layout, pictures, error))
        return Fail(error);
    Stage("write the wallpaper file", since);

    if (!desktop.Hand(layout, error))
        return Fail("the desktop refused: " + error);
    made.clear();
    image.reset();
    Stage("install", since);

    chain.Detach();
    list.CountShow(row);
    if (!WriteListFile(listPath, list, error))
        return Fail("the list was not saved: " + error);
    Stage("save the list", since);
    return 0;
}
