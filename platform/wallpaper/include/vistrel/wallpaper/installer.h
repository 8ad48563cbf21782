// SPDX-License-Identifier: GPL-3.0-or-later
// Making a picture file the desktop wallpaper: three steps (style, file,
// apply) behind one interface, with one backend per desktop.
#pragma once

#include "vistrel/wallpaper/monitors.h"
#include "vistrel/wallpaper/picture.h"

#include <functional>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

namespace vistrel::wallpaper {

// How the desktop shows a picture smaller or larger than the screen. The
// numbers are the desktop's own style values.
enum class Style { Center = 0, Tile = 1 };

// What one monitor shows: a picture composed for it, or (spanned) one
// picture composed for the whole layout.
struct MonitorWallpaper {
    // Where the picture is shown, in the layout's coordinates: the
    // monitor's rectangle, or the layout's bounds for a spanned picture.
    Rect area;
    std::string monitor;         // the monitor's name; empty for a spanned picture
    std::string file;            // the picture's file
    Style style = Style::Center; // centred in `area` on the background, or tiled from its corner
    PictureView pixels;          // the same picture as 24-bit pixels
};

class WallpaperInstaller {
public:
    virtual ~WallpaperInstaller() = default;

    // The backend's settings name ("gnome", "x11", ...).
    virtual std::string_view Name() const = 0;

    bool SetStyle(Style style);
    // The picture file; false for an empty name.
    bool SetFile(const std::string& path);
    // The same picture already in memory, or null. Backends that draw the
    // picture themselves use it instead of reading the file back; the pixels
    // must stay valid until Apply returns.
    void SetPicture(const PictureView* picture) { picture_ = picture; }
    // Hands the file to the desktop with the style. False with `error` set
    // when the desktop refused or could not be reached.
    virtual bool Apply(std::string& error) = 0;

    // Every monitor at once: `wallpapers` holds one picture per monitor of
    // `layout` (in its order), or one spanned picture. With one monitor this
    // is Apply with that picture. Desktops that show one picture across all
    // monitors get the layout's picture assembled from them (the file
    // kLayoutFile beside the others) through ApplyLayoutPicture; backends
    // that give each monitor its own picture override this.
    virtual bool ApplyMonitors(const MonitorLayout& layout, const std::vector<MonitorWallpaper>& wallpapers,
                               std::string& error);

    // While the wallpapers' files are still being written (on another
    // thread), how to wait for them; empty when they are there.
    void SetFilesPending(std::function<bool(std::string&)> wait) { filesPending_ = std::move(wait); }

protected:
    // Waits for the files where they are still being written; false with
    // `error` when they could not be. Every backend that reads or hands over
    // the files calls it first; the bare X11 root, drawn from the pixels,
    // does not wait.
    bool FilesWritten(std::string& error);

    // Hands a picture of the whole layout (its bounds) to the desktop, to be
    // spread across all monitors. By default: Apply with that file, tiled
    // from the layout's corner.
    virtual bool ApplyLayoutPicture(const MonitorLayout& layout, const std::string& file, const PictureView& pixels,
                                    std::string& error);

    // True when a file was given and exists; otherwise false with `error`.
    bool FileReady(std::string& error) const;

    Style style_ = Style::Tile;
    std::string file_;
    const PictureView* picture_ = nullptr;

private:
    std::function<bool(std::string&)> filesPending_;
};

// The desktops a wallpaper can be handed to.
enum class Backend { None, X11, Gnome, Cinnamon, Mate, Kde, Xfce, Lxqt, Sway, Windows, Command };

// The settings name of a backend; "none" for Backend::None.
std::string_view BackendName(Backend backend);

// Settings key and values that choose the backend: "Backend" (text: "auto" or
// one of the backend names) and "Command" (text: the command template used by
// the "command" backend, e.g. "feh --bg-tile %f"; %f is the file, %s the style
// word "tile" or "center", %% a percent sign).
inline constexpr const char* kWallpaperKey = "Software\\Vistrel\\Vistrel\\Wallpaper";

// The backend a user's session needs, from its environment variables
// (`lookup` returns an empty text for an unset variable): the first desktop
// named in XDG_CURRENT_DESKTOP that has a backend, then SWAYSOCK,
// KDE_SESSION_VERSION and DESKTOP_SESSION; otherwise bare X11 when DISPLAY is
// set and the session is not Wayland; otherwise None. On Windows always Windows.
using EnvironmentLookup = std::string (*)(const char* name);
Backend DetectBackend(EnvironmentLookup lookup);

struct BackendChoice {
    Backend backend = Backend::None;
    std::string commandTemplate; // for Backend::Command
    std::string error;           // why there is none, when backend is None
};

// The backend chosen by the settings, or detected from the process's
// environment when they say "auto" or nothing. An unknown name in the
// settings, or "command" without a command, is an error rather than a guess.
BackendChoice ChooseBackend();

// A backend's installer; null for Backend::None and for backends this build
// does not have (Windows elsewhere, the desktop backends on Windows).
std::unique_ptr<WallpaperInstaller> CreateInstaller(Backend backend, const std::string& commandTemplate = {});

// Chooses the backend, then sets style and file and applies.
bool InstallWallpaper(const std::string& file, Style style, std::string& error);

} // namespace vistrel::wallpaper
