// SPDX-License-Identifier: GPL-3.0-or-later
// The desktops that keep their wallpaper in their own settings: each is told
// through its own tool, run with an argument vector.
#include "../backends.h"
#include "../fresh_copy.h"
#include "../quoting.h"
#include "../run.h"
#include "../sway_command.h"
#include "plasma_script.h"
#include "x11_desktop_window.h"

#include "vistrel/platform/paths.h"
#include "vistrel/platform/process.h"

#include <algorithm>
#include <cstdio>
#include <sstream>
#include <vector>

namespace vistrel::wallpaper::detail {

namespace {

// A Wayland session shows no X root window, even where XWayland offers one.
bool IsWaylandSession()
{
    std::string type = platform::Environment("XDG_SESSION_TYPE");
    return type == "wayland" || !platform::Environment("WAYLAND_DISPLAY").empty();
}

// Sets the desktop to `file` (a fresh copy when the desktop caches by name);
// the style is the installer's.
class DesktopInstaller : public WallpaperInstaller {
public:
    bool Apply(std::string& error) override
    {
        if (!FileReady(error))
            return false;
        if (!CachesByName())
            return Hand(file_, error);
        std::optional<std::string> copy = MakeFreshCopy(file_, error);
        if (!copy)
            return false;
        if (!Hand(*copy, error)) {
            // The desktop still shows the previous copy: keep that one.
            std::remove(copy->c_str());
            return false;
        }
        RemoveOtherCopies(file_, *copy);
        return true;
    }

    // Several monitors: each its own picture where the desktop takes one per
    // monitor (HandMonitors), else one picture of the whole layout.
    bool ApplyMonitors(const MonitorLayout& layout, const std::vector<MonitorWallpaper>& wallpapers,
                       std::string& error) override
    {
        if (!FilesWritten(error))
            return false;
        if ((layout.monitors.size() == 1 && wallpapers.size() == 1) || !HandsEachMonitor())
            return WallpaperInstaller::ApplyMonitors(layout, wallpapers, error);
        std::vector<MonitorWallpaper> given = wallpapers;
        std::vector<std::string> copies;
        auto forget = [&] {
            for (const std::string& copy : copies)
                std::remove(copy.c_str());
        };
        if (CachesByName())
            for (MonitorWallpaper& w : given) {
                std::optional<std::string> copy = MakeFreshCopy(w.file, error);
                if (!copy) {
                    forget();
                    return false;
                }
                copies.push_back(*copy);
                w.file = *copy;
            }
        if (!HandMonitors(layout, given, error)) {
            // The desktop still shows the previous copies: keep those.
            forget();
            return false;
        }
        for (std::size_t i = 0; i < copies.size(); ++i)
            RemoveOtherCopies(wallpapers[i].file, copies[i]);
        return true;
    }

protected:
    virtual bool CachesByName() const { return true; }
    virtual bool Hand(const std::string& file, std::string& error) = 0;
    // Whether the desktop takes a picture per monitor, through HandMonitors:
    // one wallpaper per monitor of the layout, in its order, with the files
    // to hand over.
    virtual bool HandsEachMonitor() const { return false; }
    virtual bool HandMonitors(const MonitorLayout&, const std::vector<MonitorWallpaper>&, std::string& error)
    {
        error = "This desktop takes no picture per monitor";
        return false;
    }

    // The bare X11 root, for a desktop whose program is not running.
    static std::unique_ptr<WallpaperInstaller> BareRoot() { return MakeX11Installer(false); }
    // Whether the program that draws the desktop is missing on X11 (see
    // ApplyWhereDrawn).
    static bool NotDrawn(const char* wmClass)
    {
        return !IsWaylandSession() && FindDesktopWindow(wmClass) == DesktopWindow::Missing;
    }

    // For desktops whose tool takes a picture and exits 0 even when the
    // program that draws the desktop (`wmClass`, started as `started`) is
    // not running, which then changes nothing: on X11 the bare root is what
    // shows then, and it is drawn instead. (On Wayland nothing can be looked
    // for: the tool is trusted.)
    bool ApplyWhereDrawn(const char* wmClass, const char* started, std::string& error)
    {
        if (IsWaylandSession() || FindDesktopWindow(wmClass) != DesktopWindow::Missing)
            return DesktopInstaller::Apply(error);
        std::unique_ptr<WallpaperInstaller> root = MakeX11Installer(false);
        root->SetStyle(style_);
        root->SetFile(file_);
        root->SetPicture(picture_);
        if (root->Apply(error))
            return true;
        error = std::string(wmClass) + " draws no desktop in this session (no \"" + started +
                "\" runs), and the bare X11 root could not be set either: " + error;
        return false;
    }
};

// GNOME (also Budgie and Unity), Cinnamon and MATE.
class GSettingsInstaller final : public DesktopInstaller {
public:
    enum class Kind { Gnome, Cinnamon, Mate };
    explicit GSettingsInstaller(Kind kind) : kind_(kind) {}

    std::string_view Name() const override
    {
        return kind_ == Kind::Gnome ? "gnome" : kind_ == Kind::Cinnamon ? "cinnamon" : "mate";
    }

protected:
    // One picture across all monitors: the layout's, "spanned".
    bool ApplyLayoutPicture(const MonitorLayout&, const std::string& file, const PictureView& pixels,
                            std::string& error) override
    {
        spanned_ = true;
        SetFile(file);
        SetPicture(&pixels);
        const bool applied = Apply(error);
        SetPicture(nullptr);
        spanned_ = false;
        return applied;
    }

    bool Hand(const std::string& file, std::string& error) override
    {
        const std::string schema = kind_ == Kind::Gnome      ? "org.gnome.desktop.background"
                                   : kind_ == Kind::Cinnamon ? "org.cinnamon.desktop.background"
                                                             : "org.mate.background";
        const std::string options = GVariantString(spanned_                ? "spanned"
                                                   : style_ == Style::Tile ? "wallpaper"
                                                                           : "centered");
        // The style first, so the new picture is never drawn in the old one.
        if (!RunChecked("gsettings", {"set", schema, "picture-options", options}, error))
            return false;
        if (kind_ == Kind::Mate)
            return RunChecked("gsettings", {"set", schema, "picture-filename", GVariantString(file)}, error);
        const std::string uri = GVariantString(FileUrl(file));
        if (!RunChecked("gsettings", {"set", schema, "picture-uri", uri}, error))
            return false;
        if (kind_ == Kind::Gnome) {
            // GNOME 42 and later show this one in dark mode; older versions
            // lack the key, which is no failure.
            std::string ignored;
            RunChecked("gsettings", {"set", schema, "picture-uri-dark", uri}, ignored);
        }
        return true;
    }

private:
    Kind kind_;
    bool spanned_ = false;
};

// KDE Plasma 5 and 6: a script evaluated by plasmashell sets every desktop.
class KdeInstaller final : public DesktopInstaller {
public:
    std::string_view Name() const override { return "kde"; }

protected:
    // Plasma's fill modes: 3 tiled, 6 centred ("pad").
    static const char* FillMode(Style style) { return style == Style::Tile ? "3" : "6"; }

    bool Hand(const std::string& file, std::string& error) override
    {
        std::string script = "var all = desktops();\n"
                             "for (var i = 0; i < all.length; i++) {\n"
                             "    var d = all[i];\n"
                             "    d.wallpaperPlugin = \"org.kde.image\";\n"
                             "    d.currentConfigGroup = Array(\"Wallpaper\", \"org.kde.image\", \"General\");\n"
                             "    d.writeConfig(\"FillMode\", " +
                             std::string(FillMode(style_)) +
                             ");\n"
                             "    d.writeConfig(\"Image\", " +
                             ScriptString(FileUrl(file)) +
                             ");\n"
                             "}\n";
        return RunPlasmaScript(script, error);
    }

    // Each desktop containment gets the picture of the monitor whose
    // rectangle is its screen's (the primary monitor's when none is).
    bool HandsEachMonitor() const override { return true; }
    bool HandMonitors(const MonitorLayout&, const std::vector<MonitorWallpaper>& wallpapers,
                      std::string& error) override
    {
        std::string pictures = "var pictures = [\n";
        for (const MonitorWallpaper& w : wallpapers)
            pictures += "    [" + std::to_string(w.area.x) + ", " + std::to_string(w.area.y) + ", " +
                        std::to_string(w.area.width) + ", " + std::to_string(w.area.height) + ", " +
                        ScriptString(FileUrl(w.file)) + ", " + FillMode(w.style) + "],\n";
        pictures += "];\n";
        const std::string script = pictures + "var all = desktops();\n"
                                              "for (var i = 0; i < all.length; i++) {\n"
                                              "    var d = all[i];\n"
                                              "    var p = pictures[0];\n"
                                              "    if (d.screen >= 0) {\n"
                                              "        var g = screenGeometry(d.screen);\n"
                                              "        for (var j = 0; j < pictures.length; j++) {\n"
                                              "            var q = pictures[j];\n"
                                              "            if (q[0] == g.x && q[1] == g.y && q[2] == g.width && "
                                              "q[3] == g.height)\n"
                                              "                p = q;\n"
                                              "        }\n"
                                              "    }\n"
                                              "    d.wallpaperPlugin = \"org.kde.image\";\n"
                                              "    d.currentConfigGroup = Array(\"Wallpaper\", \"org.kde.image\", "
                                              "\"General\");\n"
                                              "    d.writeConfig(\"FillMode\", p[5]);\n"
                                              "    d.writeConfig(\"Image\", p[4]);\n"
                                              "}\n";
        return RunPlasmaScript(script, error);
    }
};

// XFCE: every monitor and workspace has its own backdrop properties.
class XfceInstaller final : public DesktopInstaller {
public:
    std::string_view Name() const override { return "xfce"; }

    // Without xfdesktop the properties are set, xfconf-query exits 0 and
    // the screen stays as it was.
    bool Apply(std::string& error) override { return ApplyWhereDrawn("Xfdesktop", "xfdesktop", error); }

    bool ApplyMonitors(const MonitorLayout& layout, const std::vector<MonitorWallpaper>& wallpapers,
                       std::string& error) override
    {
        if (layout.monitors.size() > 1 && NotDrawn("Xfdesktop"))
            return BareRoot()->ApplyMonitors(layout, wallpapers, error);
        return DesktopInstaller::ApplyMonitors(layout, wallpapers, error);
    }

protected:
    bool Hand(const std::string& file, std::string& error) override
    {
        return SetImages([&](const std::string&) { return std::pair{file, style_}; }, error);
    }

    // "…/monitor<NAME>/workspace<N>/last-image" of each monitor by its
    // output's name; a property of a monitor the layout does not know (an
    // older XFCE's "monitor0") gets the primary monitor's picture.
    bool HandsEachMonitor() const override { return true; }
    bool HandMonitors(const MonitorLayout&, const std::vector<MonitorWallpaper>& wallpapers,
                      std::string& error) override
    {
        std::vector<std::string> monitors;
        for (const MonitorWallpaper& w : wallpapers)
            monitors.push_back(w.monitor);
        return SetImages(
            [&](const std::string& monitor) {
                for (const MonitorWallpaper& w : wallpapers)
                    if (w.monitor == monitor)
                        return std::pair{w.file, w.style};
                return std::pair{wallpapers.front().file, wallpapers.front().style};
            },
            error, monitors);
    }

private:
    // Sets every backdrop's picture and style to what `choose` says for
    // the property's monitor name. xfdesktop writes the properties of a
    // monitor only once its backdrop was changed in its settings: the
    // monitors in `monitors` that have none get them for the workspaces the
    // others have.
    template <typename Choose>
    bool SetImages(Choose choose, std::string& error, const std::vector<std::string>& monitors = {})
    {
        std::string listing;
        if (!RunChecked("xfconf-query", {"-c", "xfce4-desktop", "-l"}, error, &listing))
            return false;
        const std::string suffix = "/last-image";
        std::vector<std::string> images;
        std::istringstream lines(listing);
        for (std::string line; std::getline(lines, line);) {
            while (!line.empty() && (line.back() == '\r' || line.back() == ' '))
                line.pop_back();
            if (line.size() > suffix.size() && line.compare(line.size() - suffix.size(), suffix.size(), suffix) == 0)
                images.push_back(line);
        }
        if (images.empty()) {
            error = "xfconf-query lists no backdrop \"last-image\" property in \"xfce4-desktop\"";
            return false;
        }
        AddMissingMonitors(images, monitors);
        for (const std::string& image : images) {
            const auto [file, style] = choose(MonitorOfProperty(image));
            const std::string styleValue = style == Style::Tile ? "2" : "1";
            std::string styleProperty = image.substr(0, image.size() - suffix.size()) + "/image-style";
            if (!RunChecked("xfconf-query",
                            {"-c", "xfce4-desktop", "-p", styleProperty, "-n", "-t", "int", "-s", styleValue}, error) ||
                !RunChecked("xfconf-query", {"-c", "xfce4-desktop", "-p", image, "-n", "-t", "string", "-s", file},
                            error))
                return false;
        }
        return true;
    }

    // "/backdrop/screen0/monitor<NAME>/workspace<N>/last-image" for every
    // monitor without one, for each screen and workspace the listed ones name.
    static void AddMissingMonitors(std::vector<std::string>& images, const std::vector<std::string>& monitors)
    {
        std::vector<std::pair<std::string, std::string>> places; // "/backdrop/screen0", "workspace0/last-image"
        for (const std::string& image : images) {
            const std::size_t at = image.find("/monitor");
            const std::size_t slash = at == std::string::npos ? at : image.find('/', at + 1);
            if (slash == std::string::npos)
                continue;
            std::pair place{image.substr(0, at), image.substr(slash + 1)};
            if (std::find(places.begin(), places.end(), place) == places.end())
                places.push_back(place);
        }
        for (const std::string& monitor : monitors) {
            if (monitor.empty() || monitor.find('/') != std::string::npos ||
                std::any_of(images.begin(), images.end(),
                            [&](const std::string& image) { return MonitorOfProperty(image) == monitor; }))
                continue;
            for (const auto& [screen, workspace] : places)
                images.push_back(screen + "/monitor" + monitor + "/" + workspace);
        }
    }

    // "HDMI-1" of "/backdrop/screen0/monitorHDMI-1/workspace0/last-image".
    static std::string MonitorOfProperty(const std::string& property)
    {
        const std::string marker = "/monitor";
        std::size_t start = property.find(marker);
        if (start == std::string::npos)
            return {};
        start += marker.size();
        std::size_t end = property.find('/', start);
        return property.substr(start, end == std::string::npos ? std::string::npos : end - start);
    }
};

// LXQt: pcmanfm-qt draws the desktop; without its desktop running,
// "pcmanfm-qt --set-wallpaper" exits 0 and changes nothing.
class LxqtInstaller final : public DesktopInstaller {
public:
    std::string_view Name() const override { return "lxqt"; }

    bool Apply(std::string& error) override { return ApplyWhereDrawn("pcmanfm-qt", "pcmanfm-qt --desktop", error); }

    bool ApplyMonitors(const MonitorLayout& layout, const std::vector<MonitorWallpaper>& wallpapers,
                       std::string& error) override
    {
        if (layout.monitors.size() > 1 && NotDrawn("pcmanfm-qt"))
            return BareRoot()->ApplyMonitors(layout, wallpapers, error);
        return DesktopInstaller::ApplyMonitors(layout, wallpapers, error);
    }

protected:
    bool Hand(const std::string& file, std::string& error) override
    {
        return RunChecked(
            "pcmanfm-qt",
            {"--set-wallpaper", file, std::string("--wallpaper-mode=") + (style_ == Style::Tile ? "tile" : "center")},
            error);
    }
};

class SwayInstaller final : public DesktopInstaller {
public:
    std::string_view Name() const override { return "sway"; }

protected:
    // swaymsg restarts swaybg, which reads the file anew.
    bool CachesByName() const override { return false; }

    bool Hand(const std::string& file, std::string& error) override
    {
        std::optional<std::string> path = PathForSway(file, platform::Environment("XDG_RUNTIME_DIR"), error);
        if (!path)
            return false;
        // sway answers in JSON; a command it refused says so there, with the
        // reason, whatever swaymsg's exit status.
        return SetBackground("*", *path, style_, error);
    }

    // "output NAME bg FILE MODE" for each output.
    bool HandsEachMonitor() const override { return true; }
    bool HandMonitors(const MonitorLayout&, const std::vector<MonitorWallpaper>& wallpapers,
                      std::string& error) override
    {
        for (std::size_t i = 0; i < wallpapers.size(); ++i) {
            const std::string linkName = "vistrel-wallpaper" + (i ? std::to_string(i + 1) : std::string()) + ".bmp";
            std::optional<std::string> path =
                PathForSway(wallpapers[i].file, platform::Environment("XDG_RUNTIME_DIR"), error, linkName);
            if (!path)
                return false;
            if (!SwayTakesAsItIs(wallpapers[i].monitor)) {
                error = "sway's output \"" + wallpapers[i].monitor + "\" has a name its command reader would change";
                return false;
            }
            if (!SetBackground(wallpapers[i].monitor, *path, wallpapers[i].style, error))
                return false;
        }
        return true;
    }

private:
    static bool SetBackground(const std::string& output, const std::string& path, Style style, std::string& error)
    {
        // sway answers in JSON; a command it refused says so there, with the
        // reason, whatever swaymsg's exit status.
        std::string reply;
        const bool ran = RunChecked("swaymsg", {"output", output, "bg", path, StyleWord(style)}, error, &reply);
        if (std::optional<std::string> why = SwayFailure(reply)) {
            error = "sway refused the wallpaper " + path + ": " + *why;
            return false;
        }
        return ran;
    }
};

} // namespace

std::unique_ptr<WallpaperInstaller> MakeDesktopInstaller(Backend backend)
{
    switch (backend) {
    case Backend::Gnome: return std::make_unique<GSettingsInstaller>(GSettingsInstaller::Kind::Gnome);
    case Backend::Cinnamon: return std::make_unique<GSettingsInstaller>(GSettingsInstaller::Kind::Cinnamon);
    case Backend::Mate: return std::make_unique<GSettingsInstaller>(GSettingsInstaller::Kind::Mate);
    case Backend::Kde: return std::make_unique<KdeInstaller>();
    case Backend::Xfce: return std::make_unique<XfceInstaller>();
    case Backend::Lxqt: return std::make_unique<LxqtInstaller>();
    case Backend::Sway: return std::make_unique<SwayInstaller>();
    default: return nullptr;
    }
}

} // namespace vistrel::wallpaper::detail
