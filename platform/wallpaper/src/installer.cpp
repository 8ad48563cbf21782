// SPDX-License-Identifier: GPL-3.0-or-later
#include "vistrel/wallpaper/installer.h"

#include "backends.h"
#include "draw.h"

#include "vistrel/wallpaper/wallpaper_file.h"

#include <filesystem>

namespace vistrel::wallpaper {

bool WallpaperInstaller::SetStyle(Style style)
{
    if (style != Style::Center && style != Style::Tile)
        return false;
    style_ = style;
    return true;
}

bool WallpaperInstaller::SetFile(const std::string& path)
{
    if (path.empty())
        return false;
    file_ = path;
    return true;
}

bool WallpaperInstaller::FileReady(std::string& error) const
{
    if (file_.empty()) {
        error = "No wallpaper file given";
        return false;
    }
    std::error_code ec;
    if (!std::filesystem::is_regular_file(std::u8string(file_.begin(), file_.end()), ec)) {
        error = "The wallpaper file \"" + file_ + "\" does not exist";
        return false;
    }
    return true;
}

bool WallpaperInstaller::FilesWritten(std::string& error)
{
    if (!filesPending_)
        return true;
    std::function<bool(std::string&)> wait = std::move(filesPending_);
    filesPending_ = nullptr;
    return wait(error);
}

bool WallpaperInstaller::ApplyMonitors(const MonitorLayout& layout, const std::vector<MonitorWallpaper>& wallpapers,
                                       std::string& error)
{
    if (!FilesWritten(error))
        return false;
    if (wallpapers.empty()) {
        error = "No wallpaper for the monitors";
        return false;
    }
    if (layout.monitors.size() == 1 && wallpapers.size() == 1) {
        SetStyle(wallpapers.front().style);
        SetFile(wallpapers.front().file);
        SetPicture(&wallpapers.front().pixels);
        bool applied = Apply(error);
        SetPicture(nullptr);
        return applied;
    }
    std::optional<Picture> whole = detail::AssembleLayout(layout, wallpapers, error);
    if (!whole)
        return false;
    std::optional<std::string> folder = WallpaperFolderPath(error);
    if (!folder)
        return false;
    const std::string file = *folder + kLayoutFile;
    const PictureView pixels = whole->View();
    return WritePictureFile(file, pixels, error) && ApplyLayoutPicture(layout, file, pixels, error);
}

bool WallpaperInstaller::ApplyLayoutPicture(const MonitorLayout&, const std::string& file, const PictureView& pixels,
                                            std::string& error)
{
    SetStyle(Style::Tile);
    SetFile(file);
    SetPicture(&pixels);
    bool applied = Apply(error);
    SetPicture(nullptr);
    return applied;
}

std::unique_ptr<WallpaperInstaller> CreateInstaller(Backend backend, const std::string& commandTemplate)
{
    switch (backend) {
    case Backend::None: return nullptr;
    case Backend::Command: return detail::MakeCommandInstaller(commandTemplate);
#ifdef _WIN32
    case Backend::Windows: return detail::MakeWindowsInstaller();
    default: return nullptr;
#else
    case Backend::Windows: return nullptr;
    case Backend::X11: return detail::MakeX11Installer();
    default: return detail::MakeDesktopInstaller(backend);
#endif
    }
    return nullptr;
}

bool InstallWallpaper(const std::string& file, Style style, std::string& error)
{
    BackendChoice choice = ChooseBackend();
    if (choice.backend == Backend::None) {
        error = choice.error;
        return false;
    }
    std::unique_ptr<WallpaperInstaller> installer = CreateInstaller(choice.backend, choice.commandTemplate);
    if (!installer) {
        error =
            "The wallpaper backend \"" + std::string(BackendName(choice.backend)) + "\" is not available in this build";
        return false;
    }
    if (!installer->SetStyle(style) || !installer->SetFile(file)) {
        error = "No wallpaper file or style given";
        return false;
    }
    return installer->Apply(error);
}

namespace detail {

const char* StyleWord(Style style) { return style == Style::Tile ? "tile" : "center"; }

} // namespace detail

} // namespace vistrel::wallpaper
