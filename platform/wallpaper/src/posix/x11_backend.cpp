// SPDX-License-Identifier: GPL-3.0-or-later
// Bare X11: no desktop program draws the background, so we draw it ourselves.
#include "../backends.h"
#include "x11_desktop_window.h"

#include "vistrel/wallpaper/screen.h"
#include "vistrel/wallpaper/x11_root.h"

#include <algorithm>
#include <cctype>
#include <optional>

namespace vistrel::wallpaper::detail {

namespace {

// The desktop programs that draw a desktop window over the root, by their
// WM_CLASS class, and the backend that hands them a picture.
std::optional<Backend> BackendOfDesktopProgram(std::string wmClass)
{
    std::transform(wmClass.begin(), wmClass.end(), wmClass.begin(),
                   [](unsigned char c) { return static_cast<char>(std::tolower(c)); });
    static const std::pair<const char*, Backend> programs[] = {
        {"xfdesktop", Backend::Xfce}, {"pcmanfm-qt", Backend::Lxqt},       {"plasmashell", Backend::Kde},
        {"caja", Backend::Mate},      {"nemo-desktop", Backend::Cinnamon}, {"nautilus", Backend::Gnome},
    };
    for (const auto& [name, backend] : programs)
        if (wmClass == name)
            return backend;
    return std::nullopt;
}

class X11Installer final : public WallpaperInstaller {
public:
    explicit X11Installer(bool lookForDesktop) : lookForDesktop_(lookForDesktop) {}

    std::string_view Name() const override { return "x11"; }

    bool Apply(std::string& error) override
    {
        if (!FileReady(error))
            return false;
        // A desktop program's window hides whatever is drawn on the root:
        // "changed" would be a lie.
        std::string owner;
        if (lookForDesktop_ && FindAnyDesktopWindow(owner) == DesktopWindow::Drawn) {
            std::optional<Backend> backend = BackendOfDesktopProgram(owner);
            std::unique_ptr<WallpaperInstaller> desktop = backend ? MakeDesktopInstaller(*backend) : nullptr;
            if (!desktop) {
                error = "The desktop window of \"" + owner +
                        "\" covers the X11 root window, so a picture drawn there would not show; set "
                        "\"Backend\" (or a \"Command\") in the settings key \"" +
                        std::string(kWallpaperKey) + "\" for that desktop";
                return false;
            }
            desktop->SetStyle(style_);
            desktop->SetFile(file_);
            desktop->SetPicture(picture_);
            if (desktop->Apply(error))
                return true;
            error = "The desktop of \"" + owner +
                    "\" covers the X11 root window, and it did not take the picture: " + error;
            return false;
        }
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
        // As in Apply: a desktop program's window over the root gets the
        // pictures through its own backend. Asked over the connection the
        // monitors were read through, as the root is set over it.
        std::string owner;
        if (lookForDesktop_ && FindAnyDesktopWindow(owner, {}, layout.connection) == DesktopWindow::Drawn) {
            std::optional<Backend> backend = BackendOfDesktopProgram(owner);
            std::unique_ptr<WallpaperInstaller> desktop = backend ? MakeDesktopInstaller(*backend) : nullptr;
            if (!desktop) {
                error = "The desktop window of \"" + owner +
                        "\" covers the X11 root window, so a picture drawn there would not show; set "
                        "\"Backend\" (or a \"Command\") in the settings key \"" +
                        std::string(kWallpaperKey) + "\" for that desktop";
                return false;
            }
            if (!FilesWritten(error))
                return false;
            if (desktop->ApplyMonitors(layout, wallpapers, error))
                return true;
            error = "The desktop of \"" + owner +
                    "\" covers the X11 root window, and it did not take the picture: " + error;
            return false;
        }
        RootPictureOptions options;
        options.background = layout.background;
        if (layout.monitors.size() == 1 && wallpapers.size() == 1)
            // As a single picture always was: tiled over the whole screen,
            // or centred on the monitor the server reports.
            return SetRootPicture(wallpapers.front().pixels, wallpapers.front().style, options, error,
                                  layout.connection);
        return SetRootPictures(wallpapers, options, error, layout.connection);
    }

private:
    bool lookForDesktop_;
};

} // namespace

std::unique_ptr<WallpaperInstaller> MakeX11Installer(bool lookForDesktop)
{
    return std::make_unique<X11Installer>(lookForDesktop);
}

} // namespace vistrel::wallpaper::detail
