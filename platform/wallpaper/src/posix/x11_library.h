// SPDX-License-Identifier: GPL-3.0-or-later
// libX11 and libXrandr, loaded when first needed so that the library (and the
// programs and extenders that link it) start without X installed or running.
#pragma once

#include <X11/Xlib.h>
#include <X11/extensions/XShm.h>
#include <X11/extensions/Xrandr.h>

#include <memory>
#include <string>
#include <vector>

namespace vistrel::wallpaper::detail {

struct X11Library {
    decltype(&::XOpenDisplay) XOpenDisplay;
    decltype(&::XCloseDisplay) XCloseDisplay;
    decltype(&::XDefaultScreen) XDefaultScreen;
    decltype(&::XRootWindow) XRootWindow;
    decltype(&::XDisplayWidth) XDisplayWidth;
    decltype(&::XDisplayHeight) XDisplayHeight;
    decltype(&::XDefaultDepth) XDefaultDepth;
    decltype(&::XDefaultVisual) XDefaultVisual;
    decltype(&::XCreatePixmap) XCreatePixmap;
    decltype(&::XFreePixmap) XFreePixmap;
    decltype(&::XCreateGC) XCreateGC;
    decltype(&::XFreeGC) XFreeGC;
    decltype(&::XFillRectangle) XFillRectangle;
    decltype(&::XCreateImage) XCreateImage;
    decltype(&::XPutImage) XPutImage;
    decltype(&::XInternAtom) XInternAtom;
    decltype(&::XGetWindowProperty) XGetWindowProperty;
    decltype(&::XChangeProperty) XChangeProperty;
    decltype(&::XSetWindowBackgroundPixmap) XSetWindowBackgroundPixmap;
    decltype(&::XClearWindow) XClearWindow;
    decltype(&::XSync) XSync;
    decltype(&::XKillClient) XKillClient;
    decltype(&::XSetCloseDownMode) XSetCloseDownMode;
    decltype(&::XFree) XFree;
    decltype(&::XSetErrorHandler) XSetErrorHandler;
    decltype(&::XQueryTree) XQueryTree;
    decltype(&::XGetWindowAttributes) XGetWindowAttributes;
    decltype(&::XGetAtomName) XGetAtomName;
    // From libXrandr 1.5; null when it is missing or older.
    decltype(&::XRRGetMonitors) XRRGetMonitors;
    decltype(&::XRRFreeMonitors) XRRFreeMonitors;
    // From libXext (shared-memory images); null when it is missing.
    decltype(&::XShmQueryExtension) XShmQueryExtension;
    decltype(&::XShmCreateImage) XShmCreateImage;
    decltype(&::XShmAttach) XShmAttach;
    decltype(&::XShmDetach) XShmDetach;
    decltype(&::XShmPutImage) XShmPutImage;
};

// The loaded functions, or null with `error` saying which library or symbol
// is missing. Loaded once per process and kept.
const X11Library* LoadX11(std::string& error);

struct MonitorRect {
    int x, y, width, height;
    bool primary;
    std::string name;
};

// The active monitors RandR reports; empty when it reports none or is absent.
std::vector<MonitorRect> ListMonitors(const X11Library& x, Display* display, Window root);

// One connection to an X server, shared by the steps of one change (the
// geometry, the background, the root window's pixmap) so that the change
// connects once. Closed when the last owner lets go, unless the wallpaper
// was installed over it: then it is closed at once, keeping its pixmap.
class X11Connection {
public:
    // Opens `name` (empty: $DISPLAY); null with `error` when it cannot.
    static std::shared_ptr<X11Connection> Open(const std::string& name, std::string& error);
    X11Connection(const X11Library& x, Display* display, std::string name);
    ~X11Connection();
    X11Connection(const X11Connection&) = delete;
    X11Connection& operator=(const X11Connection&) = delete;

    const X11Library& x() const { return x_; }
    // Null once closed.
    Display* get() const { return display_; }
    // The display name it was opened with (empty: $DISPLAY).
    const std::string& Name() const { return name_; }
    // Closes so that what this connection made stays on the server.
    void CloseRetaining();

private:
    const X11Library& x_;
    Display* display_;
    std::string name_;
};

// While alive, X protocol errors are counted instead of ending the process
// (Xlib's default handler exits). Only one may be alive at a time.
class X11ErrorTrap {
public:
    explicit X11ErrorTrap(const X11Library& x);
    ~X11ErrorTrap();
    X11ErrorTrap(const X11ErrorTrap&) = delete;
    X11ErrorTrap& operator=(const X11ErrorTrap&) = delete;

    // Errors since construction or the last Reset; the last error's code.
    int Count() const;
    int LastCode() const;
    void Reset();

private:
    const X11Library& x_;
    XErrorHandler previous_;
};

} // namespace vistrel::wallpaper::detail
