// SPDX-License-Identifier: GPL-3.0-or-later
// The desktops that keep their wallpaper in their own settings: each is told
// through its own tool, run with an argument vector.
#include "../backends.h"
#include "../fresh_copy.h"
#include "../quoting.h"
#include "../run.h"
#include "../sway_command.h"
#include "x11_desktop_window.h"

#include "vistrel/platform/paths.h"
#include "vistrel/platform/process.h"

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

protected:
    virtual bool CachesByName() const { return true; }
    virtual bool Hand(const std::string& file, std::string& error) = 0;

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
    bool Hand(const std::string& file, std::string& error) override
    {
        const std::string schema = kind_ == Kind::Gnome      ? "org.gnome.desktop.background"
                                   : kind_ == Kind::Cinnamon ? "org.cinnamon.desktop.background"
                                                             : "org.mate.background";
        const std::string options = GVariantString(style_ == Style::Tile ? "wallpaper" : "centered");
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
};

// KDE Plasma 5 and 6: a script evaluated by plasmashell sets every desktop.
class KdeInstaller final : public DesktopInstaller {
public:
    std::string_view Name() const override { return "kde"; }

protected:
    bool Hand(const std::string& file, std::string& error) override
    {
        // Plasma's fill modes: 3 tiled, 6 centred ("pad").
        std::string script = "var all = desktops();\n"
                             "for (var i = 0; i < all.length; i++) {\n"
                             "    var d = all[i];\n"
                             "    d.wallpaperPlugin = \"org.kde.image\";\n"
                             "    d.currentConfigGroup = Array(\"Wallpaper\", \"org.kde.image\", \"General\");\n"
                             "    d.writeConfig(\"FillMode\", " +
                             std::string(style_ == Style::Tile ? "3" : "6") +
                             ");\n"
                             "    d.writeConfig(\"Image\", " +
                             ScriptString(FileUrl(file)) +
                             ");\n"
                             "}\n";
        for (const char* qdbus : {"qdbus6", "qdbus-qt6", "qdbus", "qdbus-qt5"}) {
            if (!platform::FindOnPath(qdbus).empty())
                return RunChecked(qdbus,
                                  {"org.kde.plasmashell", "/PlasmaShell", "org.kde.PlasmaShell.evaluateScript", script},
                                  error);
        }
        if (!platform::FindOnPath("dbus-send").empty())
            return RunChecked("dbus-send",
                              {"--session", "--print-reply", "--type=method_call", "--dest=org.kde.plasmashell",
                               "/PlasmaShell", "org.kde.PlasmaShell.evaluateScript", "string:" + script},
                              error);
        error = "Neither qdbus nor dbus-send was found on PATH to reach plasmashell";
        return false;
    }
};

// XFCE: every monitor and workspace has its own backdrop properties.
class XfceInstaller final : public DesktopInstaller {
public:
    std::string_view Name() const override { return "xfce"; }

    // Without xfdesktop the properties are set, xfconf-query exits 0 and
    // the screen stays as it was.
    bool Apply(std::string& error) override { return ApplyWhereDrawn("Xfdesktop", "xfdesktop", error); }

protected:
    bool Hand(const std::string& file, std::string& error) override
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
        const std::string styleValue = style_ == Style::Tile ? "2" : "1";
        for (const std::string& image : images) {
            std::string styleProperty = image.substr(0, image.size() - suffix.size()) + "/image-style";
            if (!RunChecked("xfconf-query",
                            {"-c", "xfce4-desktop", "-p", styleProperty, "-n", "-t", "int", "-s", styleValue}, error) ||
                !RunChecked("xfconf-query", {"-c", "xfce4-desktop", "-p", image, "-n", "-t", "string", "-s", file},
                            error))
                return false;
        }
        return true;
    }
};

// LXQt: pcmanfm-qt draws the desktop; without its desktop running,
// "pcmanfm-qt --set-wallpaper" exits 0 and changes nothing.
class LxqtInstaller final : public DesktopInstaller {
public:
    std::string_view Name() const override { return "lxqt"; }

    bool Apply(std::string& error) override { return ApplyWhereDrawn("pcmanfm-qt", "pcmanfm-qt --desktop", error); }

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
        std::string reply;
        const bool ran = RunChecked("swaymsg", {"output", "*", "bg", *path, StyleWord(style_)}, error, &reply);
        if (std::optional<std::string> why = SwayFailure(reply)) {
            error = "sway refused the wallpaper " + *path + ": " + *why;
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
