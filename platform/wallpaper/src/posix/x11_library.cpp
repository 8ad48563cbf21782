// SPDX-License-Identifier: GPL-3.0-or-later
#include "x11_library.h"

#include <dlfcn.h>

#include <atomic>
#include <cstdlib>
#include <mutex>

namespace vistrel::wallpaper::detail {

namespace {

template <typename F> bool Bind(void* library, const char* name, F& function, std::string& missing)
{
    function = reinterpret_cast<F>(::dlsym(library, name));
    if (!function && missing.empty())
        missing = name;
    return function != nullptr;
}

struct Loaded {
    X11Library library{};
    bool ok = false;
    std::string error;
};

Loaded LoadOnce()
{
    Loaded result;
    // The versioned names are the run-time libraries; the unversioned ones
    // exist only with the development packages.
    void* x11 = ::dlopen("libX11.so.6", RTLD_NOW | RTLD_LOCAL);
    if (!x11) {
        const char* why = ::dlerror();
        result.error = std::string("Could not load libX11.so.6: ") + (why ? why : "unknown reason");
        return result;
    }
    X11Library& x = result.library;
    std::string missing;
    Bind(x11, "XOpenDisplay", x.XOpenDisplay, missing);
    Bind(x11, "XCloseDisplay", x.XCloseDisplay, missing);
    Bind(x11, "XDefaultScreen", x.XDefaultScreen, missing);
    Bind(x11, "XRootWindow", x.XRootWindow, missing);
    Bind(x11, "XDisplayWidth", x.XDisplayWidth, missing);
    Bind(x11, "XDisplayHeight", x.XDisplayHeight, missing);
    Bind(x11, "XDefaultDepth", x.XDefaultDepth, missing);
    Bind(x11, "XDefaultVisual", x.XDefaultVisual, missing);
    Bind(x11, "XCreatePixmap", x.XCreatePixmap, missing);
    Bind(x11, "XFreePixmap", x.XFreePixmap, missing);
    Bind(x11, "XCreateGC", x.XCreateGC, missing);
    Bind(x11, "XFreeGC", x.XFreeGC, missing);
    Bind(x11, "XFillRectangle", x.XFillRectangle, missing);
    Bind(x11, "XCreateImage", x.XCreateImage, missing);
    Bind(x11, "XPutImage", x.XPutImage, missing);
    Bind(x11, "XInternAtom", x.XInternAtom, missing);
    Bind(x11, "XGetWindowProperty", x.XGetWindowProperty, missing);
    Bind(x11, "XChangeProperty", x.XChangeProperty, missing);
    Bind(x11, "XSetWindowBackgroundPixmap", x.XSetWindowBackgroundPixmap, missing);
    Bind(x11, "XClearWindow", x.XClearWindow, missing);
    Bind(x11, "XSync", x.XSync, missing);
    Bind(x11, "XKillClient", x.XKillClient, missing);
    Bind(x11, "XQueryTree", x.XQueryTree, missing);
    Bind(x11, "XGetWindowAttributes", x.XGetWindowAttributes, missing);
    Bind(x11, "XGetAtomName", x.XGetAtomName, missing);
    Bind(x11, "XSetCloseDownMode", x.XSetCloseDownMode, missing);
    Bind(x11, "XFree", x.XFree, missing);
    Bind(x11, "XSetErrorHandler", x.XSetErrorHandler, missing);
    if (!missing.empty()) {
        result.error = "libX11.so.6 lacks " + missing;
        return result;
    }
    // RandR only tells the monitors apart; without it the whole screen counts
    // as one monitor.
    if (void* xrandr = ::dlopen("libXrandr.so.2", RTLD_NOW | RTLD_LOCAL)) {
        std::string ignored;
        if (!Bind(xrandr, "XRRGetMonitors", x.XRRGetMonitors, ignored) ||
            !Bind(xrandr, "XRRFreeMonitors", x.XRRFreeMonitors, ignored)) {
            x.XRRGetMonitors = nullptr;
            x.XRRFreeMonitors = nullptr;
        }
    }
    // Shared-memory images spare copying a full-screen picture through the
    // socket; optional, as remote displays cannot use them anyway.
    if (void* xext = ::dlopen("libXext.so.6", RTLD_NOW | RTLD_LOCAL)) {
        std::string optional;
        if (!Bind(xext, "XShmQueryExtension", x.XShmQueryExtension, optional) ||
            !Bind(xext, "XShmCreateImage", x.XShmCreateImage, optional) ||
            !Bind(xext, "XShmAttach", x.XShmAttach, optional) || !Bind(xext, "XShmDetach", x.XShmDetach, optional) ||
            !Bind(xext, "XShmPutImage", x.XShmPutImage, optional))
            x.XShmQueryExtension = nullptr;
    }
    result.ok = true;
    return result;
}

std::atomic<int> errorCount{0};
std::atomic<int> lastErrorCode{0};

int CountError(Display*, XErrorEvent* event)
{
    errorCount.fetch_add(1);
    lastErrorCode.store(event->error_code);
    return 0;
}

} // namespace

const X11Library* LoadX11(std::string& error)
{
    static const Loaded loaded = LoadOnce();
    if (!loaded.ok) {
        error = loaded.error;
        return nullptr;
    }
    return &loaded.library;
}

std::vector<MonitorRect> ListMonitors(const X11Library& x, Display* display, Window root)
{
    std::vector<MonitorRect> monitors;
    if (!x.XRRGetMonitors)
        return monitors;
    int count = 0;
    XRRMonitorInfo* info = x.XRRGetMonitors(display, root, True, &count);
    for (int i = 0; info && i < count; ++i) {
        if (info[i].width <= 0 || info[i].height <= 0)
            continue;
        std::string name;
        if (char* text = info[i].name != None ? x.XGetAtomName(display, info[i].name) : nullptr) {
            name = text;
            x.XFree(text);
        }
        monitors.push_back({info[i].x, info[i].y, info[i].width, info[i].height, info[i].primary != 0, name});
    }
    if (info)
        x.XRRFreeMonitors(info);
    return monitors;
}

std::shared_ptr<X11Connection> X11Connection::Open(const std::string& name, std::string& error)
{
    const X11Library* x = LoadX11(error);
    if (!x)
        return nullptr;
    Display* display = x->XOpenDisplay(name.empty() ? nullptr : name.c_str());
    if (!display) {
        const char* variable = std::getenv("DISPLAY");
        error =
            "Could not open the X display \"" + (name.empty() ? std::string(variable ? variable : "") : name) + "\"";
        return nullptr;
    }
    return std::make_shared<X11Connection>(*x, display, name);
}

X11Connection::X11Connection(const X11Library& x, Display* display, std::string name)
    : x_(x), display_(display), name_(std::move(name))
{
}

X11Connection::~X11Connection()
{
    if (display_)
        x_.XCloseDisplay(display_);
}

void X11Connection::CloseRetaining()
{
    if (!display_)
        return;
    x_.XSetCloseDownMode(display_, RetainPermanent);
    x_.XCloseDisplay(display_);
    display_ = nullptr;
}

X11ErrorTrap::X11ErrorTrap(const X11Library& x) : x_(x)
{
    errorCount.store(0);
    lastErrorCode.store(0);
    previous_ = x_.XSetErrorHandler(&CountError);
}

X11ErrorTrap::~X11ErrorTrap() { x_.XSetErrorHandler(previous_); }

int X11ErrorTrap::Count() const { return errorCount.load(); }

int X11ErrorTrap::LastCode() const { return lastErrorCode.load(); }

void X11ErrorTrap::Reset()
{
    errorCount.store(0);
    lastErrorCode.store(0);
}

} // namespace vistrel::wallpaper::detail
