// SPDX-License-Identifier: GPL-3.0-or-later
// Where the time of one wallpaper change goes: the steps of `vistrelctl next`
// one after the other, each timed, in a process of its own. The steps are
// the ones the change makes, called the way it calls them (the list file,
// the extender registry, the reader through shrink-on-load, Picshow's
// composition, the wallpaper file, the desktop's installer, the durable save
// of the list), so that the sum of the stages and the start and exit of the
// process explain the whole `vistrelctl next`. Run by hand or by
// bench/photo/stages.sh, never as a test:
//
//   vistrel_bench_change PROGRAM_DIRECTORY LIST
//
// Prints one line per stage: its name, milliseconds, and the process's peak
// resident memory in MB once the stage is done. The list is changed (its
// counters) and saved, as a change does.
#include "compose.h"
#include "viewer_block.h"
#include "wallpaper_file.h"

#include "vistrel/core/extender_calls.h"
#include "vistrel/core/list_file.h"
#include "vistrel/core/param_block.h"
#include "vistrel/core/param_chain.h"
#include "vistrel/core/sized_read.h"
#include "vistrel/core/wallpaper_list.h"
#include "vistrel/dib/dib.h"
#include "vistrel/dib/expand.h"
#include "vistrel/wallpaper/installer.h"
#include "vistrel/wallpaper/screen.h"

#include <chrono>
#include <cstdio>
#include <string>

#ifndef _WIN32
#include <sys/resource.h>
#endif

using namespace vistrel;
using Clock = std::chrono::steady_clock;

namespace {

double PeakMegabytes()
{
#ifndef _WIN32
    rusage usage{};
    getrusage(RUSAGE_SELF, &usage);
    return static_cast<double>(usage.ru_maxrss) / 1024.0;
#else
    return 0;
#endif
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

bool IsPlain24(gmem::Handle picture)
{
    dib::LockedBlock block(picture);
    dib::Layout layout;
    return block && DescribeDIB(block.bytes(), block.size(), layout) && layout.header.biBitCount == 24 &&
           layout.header.biCompression == dib::kRgb;
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
    // As the change reads it: the viewer answers the reader's questions
    // about the screen itself.
    gmem::Owner image(ReadForViewer(reader, readerBlock, viewer, viewerBlock, picture.c_str()));
    if (!image)
        return Fail(picture + " cannot be read: " + (ext::GetError(reader) ? ext::GetError(reader) : ""));
    Stage("decode", since);

    // What the viewer's show does, step by step.
    wallpaper::BackendChoice choice = wallpaper::ChooseBackend();
    std::unique_ptr<wallpaper::WallpaperInstaller> installer =
        wallpaper::CreateInstaller(choice.backend, choice.commandTemplate);
    if (!installer)
        return Fail("no wallpaper backend: " + choice.error);
    std::string error;
    std::optional<std::string> path = picshow::WallpaperFilePath(error);
    if (!path)
        return Fail(error);
    const wallpaper::ScreenGeometry geometry = wallpaper::QueryScreenGeometry();
    Stage("screen", since);

    const picshow::Screen screen{geometry.width, geometry.height, geometry.workArea.right, geometry.workArea.bottom,
                                 geometry.background};
    picshow::Composition composition = picshow::Compose(image.get(), picshow::ReadSettings(viewerBlock), screen);
    if (!composition.picture)
        return Fail(composition.error);
    gmem::Owner made(composition.IsNew(image.get()) ? composition.picture : nullptr);
    Stage("compose", since);

    {
        const picshow::PreviousWallpaperFile previous(*path);
        if (!picshow::WriteWallpaperFile(*path, composition.picture, error))
            return Fail(error);
    }
    Stage("write the wallpaper file", since);

    installer->SetStyle(composition.style == picshow::Style::Center ? wallpaper::Style::Center
                                                                    : wallpaper::Style::Tile);
    installer->SetFile(*path);
    gmem::Owner expanded(IsPlain24(composition.picture) ? nullptr : dib::ExpandDIBTo24(composition.picture));
    const gmem::Handle shown = expanded ? expanded.get() : composition.picture;
    {
        dib::LockedBlock pixels(shown);
        dib::Layout layout;
        wallpaper::PictureView view;
        if (IsPlain24(shown) && DescribeDIB(pixels.bytes(), gmem::Size(shown), layout)) {
            view = {static_cast<int>(layout.width), static_cast<int>(layout.height), pixels.bytes() + layout.bitsOffset,
                    layout.stride * layout.height};
            installer->SetPicture(&view);
        }
        if (!installer->Apply(error))
            return Fail("the desktop refused: " + error);
        installer->SetPicture(nullptr);
    }
    // The viewer releases the picture before it returns.
    made.reset();
    expanded.reset();
    image.reset();
    Stage("install", since);

    chain.Detach();
    list.CountShow(row);
    if (!WriteListFile(listPath, list, error))
        return Fail("the list was not saved: " + error);
    Stage("save the list", since);
    return 0;
}
