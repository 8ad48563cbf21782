// SPDX-License-Identifier: GPL-3.0-or-later
// Making a picture file the desktop wallpaper: three steps (style, file,
// apply) behind one interface, with one backend per desktop.
#pragma once

#include "vistrel/wallpaper/picture.h"

#include <memory>
#include <string>
#include <string_view>

namespace vistrel::wallpaper {

// How the desktop shows a picture smaller or larger than the screen. The
// numbers are the desktop's own style values.
enum class Style { Center = 0, Tile = 1 };

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

protected:
    // True when a file was given and exists; otherwise false with `error`.
    bool FileReady(std::string& error) const;

    Style style_ = Style::Tile;
    std::string file_;
    const PictureView* picture_ = nullptr;
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
