// SPDX-License-Identifier: GPL-3.0-or-later
#include "desktop_session.h"

#include "vistrel/platform/process.h"

#include <cerrno>
#include <csignal>
#include <cstdlib>
#include <filesystem>
#include <spawn.h>
#include <sys/wait.h>
#include <thread>
#include <unistd.h>
#include <xcb/xcb.h>

extern char** environ;

namespace vistrel::scheduler::test {

namespace fs = std::filesystem;

Child::Child(const std::string& program, const std::vector<std::string>& arguments)
{
    std::vector<std::string> all{program};
    all.insert(all.end(), arguments.begin(), arguments.end());
    std::vector<char*> argv;
    for (auto& a : all)
        argv.push_back(a.data());
    argv.push_back(nullptr);
    pid_t pid = -1;
    if (::posix_spawn(&pid, program.c_str(), nullptr, nullptr, argv.data(), environ) == 0)
        pid_ = pid;
}

Child::~Child()
{
    if (pid_ <= 0 || status_)
        return;
    ::kill(pid_, SIGTERM);
    if (!WaitFor(std::chrono::seconds(3))) {
        ::kill(pid_, SIGKILL);
        WaitFor(std::chrono::seconds(3));
    }
}

bool Child::Running()
{
    if (pid_ <= 0 || status_)
        return false;
    int status = 0;
    if (::waitpid(pid_, &status, WNOHANG) == pid_) {
        status_ = WIFEXITED(status) ? WEXITSTATUS(status) : 128 + WTERMSIG(status);
        return false;
    }
    return true;
}

std::optional<int> Child::WaitFor(std::chrono::milliseconds timeout)
{
    Eventually([this] { return !Running(); }, timeout);
    return status_;
}

bool Eventually(const std::function<bool()>& condition, std::chrono::milliseconds timeout)
{
    auto end = std::chrono::steady_clock::now() + timeout;
    for (;;) {
        if (condition())
            return true;
        if (std::chrono::steady_clock::now() > end)
            return false;
        std::this_thread::sleep_for(std::chrono::milliseconds(50));
    }
}

std::string DesktopSession::MissingPieces()
{
    for (const char* program : {"Xvfb", "trayer", "xdotool"})
        if (platform::FindOnPath(program).empty())
            return std::string(program) + " is not installed";
    fs::path bin = vistrel::test::BinDir();
    for (const char* file : {"Vistrel_Scheduler", "vistrelctl", "Read_Expander/Bitload.so", "View_Expander/Picshow.so",
                             "Scheduler_Expander/Clockpace.so"})
        if (!fs::exists(bin / file))
            return (bin / file).string() + " is not built yet (the scheduler needs the real reader and viewer)";
    return {};
}

DesktopSession::DesktopSession(int width, int height) : width_(width), height_(height)
{
    home_ = root_.File("home");
    for (const char* sub : {"home", "config", "data", "runtime"})
        fs::create_directories(root_.Path() / sub);
    fs::permissions(root_.Path() / "runtime", fs::perms::owner_all, fs::perm_options::replace);
    ::setenv("HOME", home_.c_str(), 1);
    ::setenv("XDG_CONFIG_HOME", root_.File("config").c_str(), 1);
    ::setenv("XDG_DATA_HOME", root_.File("data").c_str(), 1);
    ::setenv("XDG_RUNTIME_DIR", root_.File("runtime").c_str(), 1);
    // No session bus: the icon goes to the XEmbed tray, as on a bare X11 desktop.
    ::unsetenv("DBUS_SESSION_BUS_ADDRESS");
    ::unsetenv("VISTREL_SETTINGS");
    ::unsetenv("WAYLAND_DISPLAY");
    ::setenv("QT_QPA_PLATFORM", "xcb", 1);

    // A display number nobody uses.
    int number = 80 + static_cast<int>(::getpid() % 100);
    while (fs::exists("/tmp/.X" + std::to_string(number) + "-lock"))
        ++number;
    display_ = ":" + std::to_string(number);
    xvfb_.emplace(platform::FindOnPath("Xvfb"),
                  std::vector<std::string>{display_, "-noreset", "-nolisten", "tcp", "-screen", "0",
                                           std::to_string(width) + "x" + std::to_string(height) + "x24"});
    ::setenv("DISPLAY", display_.c_str(), 1);
    xcb_connection_t* c = nullptr;
    Eventually(
        [&] {
            c = xcb_connect(display_.c_str(), nullptr);
            if (xcb_connection_has_error(c)) {
                xcb_disconnect(c);
                c = nullptr;
            }
            return c != nullptr;
        },
        std::chrono::seconds(10));
    if (!c)
        return;
    connection_ = c;
    tray_.emplace(platform::FindOnPath("trayer"),
                  std::vector<std::string>{"--edge", "top", "--align", "right", "--widthtype", "pixel", "--width",
                                           "120", "--height", "24"});
    // The tray is up once it owns the tray selection.
    ready_ = Eventually(
        [&] {
            auto* atom = xcb_intern_atom_reply(c, xcb_intern_atom(c, 0, 19, "_NET_SYSTEM_TRAY_S0"), nullptr);
            if (!atom)
                return false;
            auto* owner = xcb_get_selection_owner_reply(c, xcb_get_selection_owner(c, atom->atom), nullptr);
            bool owned = owner && owner->owner != XCB_NONE;
            std::free(owner);
            std::free(atom);
            return owned;
        },
        std::chrono::seconds(10));
}

DesktopSession::~DesktopSession()
{
    if (connection_)
        xcb_disconnect(static_cast<xcb_connection_t*>(connection_));
}

std::optional<std::uint32_t> DesktopSession::RootPixel(int x, int y)
{
    auto* c = static_cast<xcb_connection_t*>(connection_);
    xcb_window_t root = xcb_setup_roots_iterator(xcb_get_setup(c)).data->root;
    auto* image = xcb_get_image_reply(c,
                                      xcb_get_image(c, XCB_IMAGE_FORMAT_Z_PIXMAP, root, static_cast<std::int16_t>(x),
                                                    static_cast<std::int16_t>(y), 1, 1, ~0u),
                                      nullptr);
    if (!image)
        return std::nullopt;
    std::optional<std::uint32_t> pixel;
    if (xcb_get_image_data_length(image) >= 4) {
        const std::uint8_t* d = xcb_get_image_data(image);
        pixel = std::uint32_t{d[2]} << 16 | std::uint32_t{d[1]} << 8 | d[0];
    }
    std::free(image);
    return pixel;
}

std::vector<std::uint32_t> DesktopSession::RootPixels(int x, int y, int width, int height)
{
    auto* c = static_cast<xcb_connection_t*>(connection_);
    xcb_window_t root = xcb_setup_roots_iterator(xcb_get_setup(c)).data->root;
    auto* image = xcb_get_image_reply(c,
                                      xcb_get_image(c, XCB_IMAGE_FORMAT_Z_PIXMAP, root, static_cast<std::int16_t>(x),
                                                    static_cast<std::int16_t>(y), static_cast<std::uint16_t>(width),
                                                    static_cast<std::uint16_t>(height), ~0u),
                                      nullptr);
    if (!image)
        return {};
    std::vector<std::uint32_t> pixels;
    // 24-bit screens come as 4 bytes a pixel, rows without padding.
    const std::size_t count = static_cast<std::size_t>(width) * static_cast<std::size_t>(height);
    if (image->depth == 24 && static_cast<std::size_t>(xcb_get_image_data_length(image)) >= 4 * count) {
        const std::uint8_t* d = xcb_get_image_data(image);
        pixels.reserve(count);
        for (std::size_t i = 0; i < count; ++i, d += 4)
            pixels.push_back(std::uint32_t{d[2]} << 16 | std::uint32_t{d[1]} << 8 | d[0]);
    }
    std::free(image);
    return pixels;
}

namespace {

std::string WmClass(xcb_connection_t* c, xcb_window_t w)
{
    auto* reply =
        xcb_get_property_reply(c, xcb_get_property(c, 0, w, XCB_ATOM_WM_CLASS, XCB_ATOM_STRING, 0, 256), nullptr);
    std::string text;
    if (reply) {
        text.assign(static_cast<const char*>(xcb_get_property_value(reply)),
                    static_cast<std::size_t>(xcb_get_property_value_length(reply)));
        std::free(reply);
    }
    return text;
}

// Windows below `w` whose class names the scheduler and whose top-level
// ancestor is another program's window (the tray's).
void FindDocked(xcb_connection_t* c, xcb_window_t w, bool insideOther, std::vector<xcb_window_t>& found)
{
    auto* tree = xcb_query_tree_reply(c, xcb_query_tree(c, w), nullptr);
    if (!tree)
        return;
    xcb_window_t* children = xcb_query_tree_children(tree);
    int n = xcb_query_tree_children_length(tree);
    bool atRoot = tree->root == w;
    for (int i = 0; i < n; ++i) {
        bool scheduler = WmClass(c, children[i]).find("Vistrel_Scheduler") != std::string::npos;
        if (scheduler && insideOther)
            found.push_back(children[i]);
        FindDocked(c, children[i], atRoot ? !scheduler : insideOther, found);
    }
    std::free(tree);
}

} // namespace

std::optional<std::pair<int, int>> DesktopSession::DockedTrayIcon()
{
    auto* c = static_cast<xcb_connection_t*>(connection_);
    xcb_window_t root = xcb_setup_roots_iterator(xcb_get_setup(c)).data->root;
    std::vector<xcb_window_t> found;
    FindDocked(c, root, false, found);
    for (xcb_window_t w : found) {
        auto* attributes = xcb_get_window_attributes_reply(c, xcb_get_window_attributes(c, w), nullptr);
        bool viewable = attributes && attributes->map_state == XCB_MAP_STATE_VIEWABLE;
        std::free(attributes);
        auto* geometry = xcb_get_geometry_reply(c, xcb_get_geometry(c, w), nullptr);
        auto* place = xcb_translate_coordinates_reply(c, xcb_translate_coordinates(c, w, root, 0, 0), nullptr);
        std::optional<std::pair<int, int>> centre;
        if (viewable && geometry && place && geometry->width > 1)
            centre = std::make_pair(place->dst_x + geometry->width / 2, place->dst_y + geometry->height / 2);
        std::free(geometry);
        std::free(place);
        if (centre)
            return centre;
    }
    return std::nullopt;
}

bool DesktopSession::XDoTool(const std::vector<std::string>& arguments)
{
    return platform::RunProgram("xdotool", arguments) == 0;
}

} // namespace vistrel::scheduler::test
