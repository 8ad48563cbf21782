// SPDX-License-Identifier: GPL-3.0-or-later
// Bare X11: no desktop program draws the background, so we draw it ourselves.
#include "../backends.h"

#include "vistrel/wallpaper/screen.h"
#include "vistrel/wallpaper/x11_root.h"

namespace vistrel::wallpaper::detail {

namespace {

class X11Installer final : public WallpaperInstaller {
public:
    std::string_view Name() const override { return "x11"; }

    bool Apply(std::string& error) override
    {
        if (!FileReady(error))
            return false;
        RootPictureOptions options;
        options.background = QueryScreenGeometry().background;
        return picture_ ? SetRootPicture(*picture_, style_, options, error)
                        : SetRootPictureFile(file_, style_, options, error);
    }

    // One pixmap of the whole screen, over the connection the monitors were
    // read through: each monitor's picture in its rectangle.
    bool ApplyMonitors(const MonitorLayout& layout, const std::vector<MonitorWallpaper>& wallpapers,
                       std::string& error) override
    {
        RootPictureOptions options;
        options.background = layout.background;
        if (layout.monitors.size() == 1 && wallpapers.size() == 1)
            // As a single picture always was: tiled over the whole screen,
            // or centred on the monitor the server reports.
            return SetRootPicture(wallpapers.front().pixels, wallpapers.front().style, options, error,
                                  layout.connection);
        return SetRootPictures(wallpapers, options, error, layout.connection);
    }
};

} // namespace

std::unique_ptr<WallpaperInstaller> MakeX11Installer() { return std::make_unique<X11Installer>(); }

} // namespace vistrel::wallpaper::detail
