// SPDX-License-Identifier: GPL-3.0-or-later
// The last step of a change on several monitors: the pictures composed for
// the monitors are written as the wallpaper files (VistrelImage.bmp the
// primary monitor's, see wallpaper_file.h) and handed to the desktop at once.
#pragma once

#include "vistrel/dib/dib.h"
#include "vistrel/platform/global_memory.h"
#include "vistrel/wallpaper/installer.h"
#include "vistrel/wallpaper/monitors.h"
#include "vistrel/wallpaper/wallpaper_file.h"

#include <memory>
#include <string>
#include <vector>

namespace vistrel::wallpaper {

// One monitor's composition: a DIB of any form (as a viewer composed it; the
// file keeps it as it is) and how the monitor shows it.
struct MonitorPicture {
    gmem::Handle dib = nullptr; // the caller's
    Style style = Style::Center;
};

class MonitorPictureInstaller {
public:
    // Chooses the desktop's backend; false with `error` when there is none,
    // before anything is composed or written.
    bool Prepare(std::string& error);
    // The backend's settings name, once prepared.
    std::string_view BackendName() const;

    // Writes one file per monitor and hands them to the desktop: `pictures`
    // holds one composition per monitor of `layout`, in its order. False with
    // `error` when a file could not be written or the desktop refused; the
    // files then hold what they held before. The files are written while the
    // desktop is given the pixels. WriteFiles, then Hand, does the same one
    // step after the other; the pictures must stay until then.
    bool Install(const MonitorLayout& layout, const std::vector<MonitorPicture>& pictures, std::string& error);
    bool WriteFiles(const MonitorLayout& layout, const std::vector<MonitorPicture>& pictures, std::string& error);
    bool Hand(const MonitorLayout& layout, std::string& error);

private:
    bool PreparePixels(const MonitorLayout& layout, const std::vector<MonitorPicture>& pictures, std::string& error);
    bool WriteTheFiles(const std::vector<MonitorPicture>& pictures, std::string& error);
    bool Finish(bool applied);
    void RestoreFiles();

    std::unique_ptr<WallpaperInstaller> installer_;
    std::string folder_;
    std::vector<PreviousWallpaperFile> previous_;
    std::vector<MonitorWallpaper> wallpapers_;
    // What the wallpapers' pixels point into.
    std::vector<gmem::Owner> expansions_;
    std::vector<std::unique_ptr<dib::LockedBlock>> locks_;
    std::vector<std::unique_ptr<dib::LockedBlock>> sources_; // the compositions, for the files
};

// A picture composed for the whole layout (its bounds), shown by `style`,
// cut into each monitor's part, in the layout's order: what each monitor
// shows of a spanned picture. Empty with `error` when memory is short.
std::vector<gmem::Owner> CutForMonitors(const MonitorLayout& layout, gmem::Handle dib, Style style, std::string& error);

} // namespace vistrel::wallpaper
