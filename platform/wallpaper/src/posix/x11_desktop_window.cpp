// SPDX-License-Identifier: GPL-3.0-or-later
#include "x11_desktop_window.h"

#include "x11_library.h"

#include <X11/Xatom.h>

#include <cstring>
#include <vector>

namespace vistrel::wallpaper::detail {

namespace {

// A property's bytes, or empty.
std::vector<unsigned char> Property(const X11Library& x, Display* display, Window window, Atom property, Atom type)
{
    Atom actualType = 0;
    int format = 0;
    unsigned long items = 0, after = 0;
    unsigned char* data = nullptr;
    std::vector<unsigned char> bytes;
    if (x.XGetWindowProperty(display, window, property, 0, 64, False, type, &actualType, &format, &items, &after,
                             &data) == Success &&
        data && actualType == type) {
        std::size_t size = format == 32 ? items * sizeof(long) : format == 16 ? items * 2 : items;
        bytes.assign(data, data + size);
    }
    if (data)
        x.XFree(data);
    return bytes;
}

struct Search {
    const X11Library& x;
    Display* display;
    Atom windowType, desktopType, wmClass;
    const std::string& wanted; // empty: any program
    std::string foundClass;

    bool IsDesktopOf(Window window)
    {
        // WM_CLASS is two NUL-ended strings: the instance, then the class.
        std::vector<unsigned char> names = Property(x, display, window, wmClass, XA_STRING);
        std::string text(names.begin(), names.end());
        std::size_t end = text.find('\0');
        if (end == std::string::npos)
            return false;
        std::string className = text.substr(end + 1);
        while (!className.empty() && className.back() == '\0')
            className.pop_back();
        if (!wanted.empty() && className != wanted)
            return false;
        std::vector<unsigned char> types = Property(x, display, window, windowType, XA_ATOM);
        bool desktop = false;
        for (std::size_t i = 0; i + sizeof(long) <= types.size(); i += sizeof(long)) {
            long atom = 0;
            std::memcpy(&atom, types.data() + i, sizeof atom);
            desktop = desktop || static_cast<Atom>(atom) == desktopType;
        }
        XWindowAttributes attributes{};
        if (!desktop || !x.XGetWindowAttributes(display, window, &attributes) || attributes.map_state != IsViewable)
            return false;
        foundClass = className;
        return true;
    }

    bool FoundBelow(Window parent, int depth)
    {
        Window root = 0, up = 0;
        Window* children = nullptr;
        unsigned int count = 0;
        if (!x.XQueryTree(display, parent, &root, &up, &children, &count))
            return false;
        bool found = false;
        for (unsigned int i = 0; i < count && !found; ++i)
            found = IsDesktopOf(children[i]) || (depth > 1 && FoundBelow(children[i], depth - 1));
        if (children)
            x.XFree(children);
        return found;
    }
};

} // namespace

namespace {

DesktopWindow Find(const std::string& wanted, const std::string& display, std::string* found,
                   const std::shared_ptr<void>& open = nullptr)
{
    std::string error;
    const X11Library* x = LoadX11(error);
    if (!x)
        return DesktopWindow::Unknown;
    // The change's own connection where it has one to this display.
    auto given = std::static_pointer_cast<X11Connection>(open);
    const bool borrowed = given && given->get() && given->Name() == display;
    Display* connection = borrowed ? given->get() : x->XOpenDisplay(display.empty() ? nullptr : display.c_str());
    if (!connection)
        return DesktopWindow::Unknown;
    bool drawn = false;
    {
        // A window may go away while it is looked at.
        X11ErrorTrap trap(*x);
        Search search{*x,
                      connection,
                      x->XInternAtom(connection, "_NET_WM_WINDOW_TYPE", False),
                      x->XInternAtom(connection, "_NET_WM_WINDOW_TYPE_DESKTOP", False),
                      x->XInternAtom(connection, "WM_CLASS", False),
                      wanted,
                      {}};
        drawn = search.FoundBelow(x->XRootWindow(connection, x->XDefaultScreen(connection)), 2);
        x->XSync(connection, False);
        if (found)
            *found = search.foundClass;
    }
    if (!borrowed)
        x->XCloseDisplay(connection);
    return drawn ? DesktopWindow::Drawn : DesktopWindow::Missing;
}

} // namespace

DesktopWindow FindDesktopWindow(const std::string& wmClass, const std::string& display)
{
    return Find(wmClass, display, nullptr);
}

DesktopWindow FindAnyDesktopWindow(std::string& wmClass, const std::string& display,
                                   const std::shared_ptr<void>& connection)
{
    return Find({}, display, &wmClass, connection);
}

} // namespace vistrel::wallpaper::detail
