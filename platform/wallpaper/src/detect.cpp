// SPDX-License-Identifier: GPL-3.0-or-later
// Which desktop the session runs, from its environment, and the user's
// override in the settings.
#include "vistrel/wallpaper/installer.h"

#include "vistrel/platform/paths.h"
#include "vistrel/platform/settings_store.h"

#include <algorithm>
#include <array>
#include <cctype>
#include <optional>
#include <utility>

namespace vistrel::wallpaper {

namespace {

std::string Lower(std::string_view text)
{
    std::string result(text);
    std::transform(result.begin(), result.end(), result.begin(),
                   [](unsigned char c) { return static_cast<char>(std::tolower(c)); });
    return result;
}

#ifndef _WIN32
// Desktop names as XDG_CURRENT_DESKTOP and DESKTOP_SESSION give them, in
// lower case. Budgie and Unity keep their wallpaper in GNOME's settings.
std::optional<Backend> BackendOfDesktop(std::string_view name)
{
    static constexpr std::array<std::pair<std::string_view, Backend>, 21> names{{
        {"gnome", Backend::Gnome},
        {"gnome-classic", Backend::Gnome},
        {"gnome-flashback", Backend::Gnome},
        {"ubuntu", Backend::Gnome},
        {"budgie", Backend::Gnome},
        {"budgie-desktop", Backend::Gnome},
        {"unity", Backend::Gnome},
        {"x-cinnamon", Backend::Cinnamon},
        {"cinnamon", Backend::Cinnamon},
        {"cinnamon2d", Backend::Cinnamon},
        {"mate", Backend::Mate},
        {"kde", Backend::Kde},
        {"plasma", Backend::Kde},
        {"plasmawayland", Backend::Kde},
        {"plasmax11", Backend::Kde},
        {"xfce", Backend::Xfce},
        {"xubuntu", Backend::Xfce},
        {"lxqt", Backend::Lxqt},
        {"lubuntu", Backend::Lxqt},
        {"sway", Backend::Sway},
        {"swaywm", Backend::Sway},
    }};
    std::string lower = Lower(name);
    for (const auto& [desktop, backend] : names) {
        if (desktop == lower)
            return backend;
    }
    return std::nullopt;
}

#endif

std::optional<Backend> BackendOfName(std::string_view name)
{
    for (Backend b : {Backend::X11, Backend::Gnome, Backend::Cinnamon, Backend::Mate, Backend::Kde,
                      Backend::Xfce, Backend::Lxqt, Backend::Sway, Backend::Windows, Backend::Command}) {
        if (BackendName(b) == name)
            return b;
    }
    return std::nullopt;
}

std::string ProcessEnvironment(const char* name)
{
    return platform::Environment(name);
}

} // namespace

std::string_view BackendName(Backend backend)
{
    switch (backend) {
    case Backend::None: return "none";
    case Backend::X11: return "x11";
    case Backend::Gnome: return "gnome";
    case Backend::Cinnamon: return "cinnamon";
    case Backend::Mate: return "mate";
    case Backend::Kde: return "kde";
    case Backend::Xfce: return "xfce";
    case Backend::Lxqt: return "lxqt";
    case Backend::Sway: return "sway";
    case Backend::Windows: return "windows";
    case Backend::Command: return "command";
    }
    return "none";
}

Backend DetectBackend(EnvironmentLookup lookup)
{
#ifdef _WIN32
    (void)lookup;
    return Backend::Windows;
#else
    // XDG_CURRENT_DESKTOP is a colon-separated list, most specific first
    // ("ubuntu:GNOME", "Budgie:GNOME"); the first name we know decides.
    std::string current = lookup("XDG_CURRENT_DESKTOP");
    std::size_t start = 0;
    while (start < current.size()) {
        std::size_t end = current.find(':', start);
        if (end == std::string::npos)
            end = current.size();
        if (auto backend = BackendOfDesktop(std::string_view(current).substr(start, end - start)))
            return *backend;
        start = end + 1;
    }
    if (!lookup("SWAYSOCK").empty())
        return Backend::Sway;
    if (!lookup("KDE_SESSION_VERSION").empty())
        return Backend::Kde;
    std::string session = lookup("DESKTOP_SESSION");
    // DESKTOP_SESSION is sometimes a path to the session file.
    if (std::size_t slash = session.rfind('/'); slash != std::string::npos)
        session.erase(0, slash + 1);
    if (auto backend = BackendOfDesktop(session))
        return *backend;
    // An unknown Wayland desktop does not show the X root window, even when
    // XWayland offers one, so drawing there would change nothing visible.
    bool wayland = Lower(lookup("XDG_SESSION_TYPE")) == "wayland" || !lookup("WAYLAND_DISPLAY").empty();
    if (!wayland && !lookup("DISPLAY").empty())
        return Backend::X11;
    return Backend::None;
#endif
}

BackendChoice ChooseBackend()
{
    BackendChoice choice;
    std::string name = Lower(platform::settings::ReadText(kWallpaperKey, "Backend").value_or("auto"));
    if (name.empty() || name == "auto") {
        choice.backend = DetectBackend(&ProcessEnvironment);
        if (choice.backend == Backend::None) {
            choice.error = "No wallpaper backend for this desktop session: set \"Backend\" (and for other "
                           "desktops \"Command\") in the settings key \"" +
                           std::string(kWallpaperKey) + "\"";
        }
        return choice;
    }
    std::optional<Backend> backend = BackendOfName(name);
    if (!backend) {
        choice.error = "Unknown wallpaper backend \"" + name + "\" in the settings";
        return choice;
    }
    if (*backend == Backend::Command) {
        choice.commandTemplate = platform::settings::ReadText(kWallpaperKey, "Command").value_or("");
        if (choice.commandTemplate.find_first_not_of(" \t") == std::string::npos) {
            choice.error = "The wallpaper backend \"command\" needs a \"Command\" in the settings";
            return choice;
        }
    }
    choice.backend = *backend;
    return choice;
}

} // namespace vistrel::wallpaper
