// SPDX-License-Identifier: GPL-3.0-or-later
// Setting the root window's background the way X11 root setters agree on, so
// that a later setter (ours or another) frees the pixmap this one leaves.
#include "vistrel/wallpaper/x11_root.h"

#include "x11_library.h"

#include <sys/ipc.h>
#include <sys/shm.h>

#include <X11/Xatom.h>
#include <X11/Xutil.h>

#include <algorithm>
#include <bit>
#include <cstdlib>

namespace vistrel::wallpaper {

namespace {

using detail::X11Library;

// Maps 0x00RRGGBB to a pixel of a TrueColor visual through its masks.
class PixelFormat {
public:
    explicit PixelFormat(const Visual& visual)
        : red_(visual.red_mask), green_(visual.green_mask), blue_(visual.blue_mask)
    {
    }

    unsigned long operator()(std::uint32_t rgb) const
    {
        return Channel(rgb >> 16 & 0xff, red_) | Channel(rgb >> 8 & 0xff, green_) | Channel(rgb & 0xff, blue_);
    }

private:
    // Scales an 8-bit value to the mask's width and moves it into place.
    static unsigned long Channel(std::uint32_t value, unsigned long mask)
    {
        if (mask == 0)
            return 0;
        int shift = std::countr_zero(mask);
        int width = std::popcount(mask);
        unsigned long scaled = width >= 8 ? static_cast<unsigned long>(value) << (width - 8)
                                          : static_cast<unsigned long>(value) >> (8 - width);
        return (scaled << shift) & mask;
    }

    unsigned long red_, green_, blue_;
};

// Rounds half of `difference` down, also when it is negative (a picture
// larger than the monitor), so the offset matches the left/top bias of an
// integer division on non-negative values.
int HalfDown(int difference) { return difference >= 0 ? difference / 2 : -((1 - difference) / 2); }

struct Rect {
    int x, y, width, height;
};

Rect Intersect(const Rect& a, const Rect& b)
{
    int left = std::max(a.x, b.x);
    int top = std::max(a.y, b.y);
    int right = std::min(a.x + a.width, b.x + b.width);
    int bottom = std::min(a.y + a.height, b.y + b.height);
    return {left, top, std::max(0, right - left), std::max(0, bottom - top)};
}

// Fills an image of the part `source` (picture coordinates) of the picture.
void FillImage(XImage* image, Visual* visual, const PictureView& picture, const Rect& source)
{
    // The usual TrueColor layout (32 bits a pixel, 0x00RRGGBB, least significant
    // byte first) is written directly: put_pixel is a call per pixel, which
    // for a full screen costs more than everything else the change does.
    if (image->bits_per_pixel == 32 && image->byte_order == LSBFirst && visual->red_mask == 0xFF0000 &&
        visual->green_mask == 0xFF00 && visual->blue_mask == 0xFF) {
        const std::size_t stride = PictureView::RowStride(picture.width);
        for (int row = 0; row < source.height; ++row) {
            const std::uint8_t* in = picture.rows +
                                     static_cast<std::size_t>(picture.height - 1 - (source.y + row)) * stride +
                                     static_cast<std::size_t>(source.x) * 3;
            auto* out = reinterpret_cast<unsigned char*>(image->data) +
                        static_cast<std::size_t>(row) * static_cast<std::size_t>(image->bytes_per_line);
            for (int column = 0; column < source.width; ++column, in += 3, out += 4) {
                out[0] = in[0];
                out[1] = in[1];
                out[2] = in[2];
                out[3] = 0;
            }
        }
    } else {
        PixelFormat format(*visual);
        for (int row = 0; row < source.height; ++row) {
            for (int column = 0; column < source.width; ++column)
                image->f.put_pixel(image, column, row, format(picture.Pixel(source.x + column, source.y + row)));
        }
    }
}

// Puts the image through shared memory, sparing a copy of every pixel through
// the connection. False (nothing drawn, nothing left over) where the server
// cannot share memory with us, as on a remote display.
bool PutThroughSharedMemory(const X11Library& x, Display* display, Drawable drawable, GC gc, Visual* visual, int depth,
                            const PictureView& picture, const Rect& source, int targetX, int targetY,
                            detail::X11ErrorTrap& trap)
{
    if (!x.XShmQueryExtension || !x.XShmQueryExtension(display))
        return false;
    XShmSegmentInfo segment{};
    XImage* image = x.XShmCreateImage(display, visual, static_cast<unsigned>(depth), ZPixmap, nullptr, &segment,
                                      static_cast<unsigned>(source.width), static_cast<unsigned>(source.height));
    if (!image)
        return false;
    auto bytes = static_cast<std::size_t>(image->bytes_per_line) * static_cast<std::size_t>(source.height);
    segment.shmid = ::shmget(IPC_PRIVATE, bytes, IPC_CREAT | 0600);
    if (segment.shmid < 0) {
        image->f.destroy_image(image);
        return false;
    }
    segment.shmaddr = image->data = static_cast<char*>(::shmat(segment.shmid, nullptr, 0));
    segment.readOnly = False;
    bool attached = false;
    if (segment.shmaddr != reinterpret_cast<char*>(-1)) {
        x.XSync(display, False);
        const int before = trap.Count();
        attached = x.XShmAttach(display, &segment) && (x.XSync(display, False), trap.Count() == before);
        if (!attached && before == 0)
            trap.Reset(); // the refusal is the server's answer, not a fault
    }
    // Marked for removal at once: it goes when both sides have let go, even
    // if we are killed now.
    ::shmctl(segment.shmid, IPC_RMID, nullptr);
    if (attached) {
        FillImage(image, visual, picture, source);
        x.XShmPutImage(display, drawable, gc, image, 0, 0, targetX, targetY, static_cast<unsigned>(source.width),
                       static_cast<unsigned>(source.height), False);
        x.XSync(display, False); // the server has read the pixels before we detach
        x.XShmDetach(display, &segment);
        x.XSync(display, False);
    }
    if (segment.shmaddr != reinterpret_cast<char*>(-1))
        ::shmdt(segment.shmaddr);
    image->data = nullptr; // not the image's to free
    image->f.destroy_image(image);
    return attached;
}

// Puts the part `source` (picture coordinates) of the picture at (x, y) of
// the drawable. False when the client could not make the image.
bool PutPicturePart(const X11Library& x, Display* display, Drawable drawable, GC gc, Visual* visual, int depth,
                    const PictureView& picture, const Rect& source, int targetX, int targetY,
                    detail::X11ErrorTrap& trap)
{
    if (PutThroughSharedMemory(x, display, drawable, gc, visual, depth, picture, source, targetX, targetY, trap))
        return true;
    XImage* image = x.XCreateImage(display, visual, static_cast<unsigned>(depth), ZPixmap, 0, nullptr,
                                   static_cast<unsigned>(source.width), static_cast<unsigned>(source.height), 32, 0);
    if (!image)
        return false;
    auto bytes = static_cast<std::size_t>(image->bytes_per_line) * static_cast<std::size_t>(source.height);
    image->data = static_cast<char*>(std::malloc(bytes));
    if (!image->data) {
        image->f.destroy_image(image);
        return false;
    }
    FillImage(image, visual, picture, source);
    x.XPutImage(display, drawable, gc, image, 0, 0, targetX, targetY, static_cast<unsigned>(source.width),
                static_cast<unsigned>(source.height));
    image->f.destroy_image(image); // frees the data too
    return true;
}

// The pixmap a property of the root window names, or None.
Pixmap ReadPixmapProperty(const X11Library& x, Display* display, Window root, Atom property)
{
    Atom type = None;
    int format = 0;
    unsigned long items = 0, after = 0;
    unsigned char* data = nullptr;
    Pixmap pixmap = None;
    if (x.XGetWindowProperty(display, root, property, 0, 1, False, AnyPropertyType, &type, &format, &items, &after,
                             &data) == Success &&
        data && type == XA_PIXMAP && format == 32 && items == 1)
        pixmap = *reinterpret_cast<Pixmap*>(data);
    if (data)
        x.XFree(data);
    return pixmap;
}

class Connection {
public:
    Connection(const X11Library& x, Display* display) : x_(x), display_(display) {}
    ~Connection()
    {
        if (display_)
            x_.XCloseDisplay(display_);
    }
    Connection(const Connection&) = delete;
    Connection& operator=(const Connection&) = delete;

    Display* get() const { return display_; }
    // Closes so that what this connection made stays on the server.
    void CloseRetaining()
    {
        x_.XSetCloseDownMode(display_, RetainPermanent);
        x_.XCloseDisplay(display_);
        display_ = nullptr;
    }

private:
    const X11Library& x_;
    Display* display_;
};

} // namespace

bool SetRootPicture(const PictureView& picture, Style style, const RootPictureOptions& options, std::string& error)
{
    if (!CheckPicture(picture, error))
        return false;
    const X11Library* x = detail::LoadX11(error);
    if (!x)
        return false;
    detail::X11ErrorTrap trap(*x);
    // A connection of its own: closing it with RetainPermanent keeps the
    // pixmap and nothing else of ours.
    Connection connection(*x, x->XOpenDisplay(options.display.empty() ? nullptr : options.display.c_str()));
    Display* display = connection.get();
    if (!display) {
        error = "Could not open the X display \"" +
                (options.display.empty() ? std::string(std::getenv("DISPLAY") ? std::getenv("DISPLAY") : "")
                                         : options.display) +
                "\"";
        return false;
    }
    int screen = x->XDefaultScreen(display);
    Window root = x->XRootWindow(display, screen);
    Visual* visual = x->XDefaultVisual(display, screen);
    int depth = x->XDefaultDepth(display, screen);
    if (visual->c_class != TrueColor && visual->c_class != DirectColor) {
        error = "The X screen's default visual is not TrueColor; only TrueColor screens are supported";
        return false;
    }
    const int width = x->XDisplayWidth(display, screen);
    const int height = x->XDisplayHeight(display, screen);
    const Rect whole{0, 0, width, height};
    PixelFormat format(*visual);

    Pixmap pixmap = x->XCreatePixmap(display, root, static_cast<unsigned>(width), static_cast<unsigned>(height),
                                     static_cast<unsigned>(depth));
    XGCValues values{};
    values.foreground = format(options.background);
    GC gc = x->XCreateGC(display, pixmap, GCForeground, &values);
    x->XFillRectangle(display, pixmap, gc, 0, 0, static_cast<unsigned>(width), static_cast<unsigned>(height));

    bool made = true;
    if (style == Style::Tile) {
        Pixmap tile = x->XCreatePixmap(display, root, static_cast<unsigned>(picture.width),
                                       static_cast<unsigned>(picture.height), static_cast<unsigned>(depth));
        made = PutPicturePart(*x, display, tile, gc, visual, depth, picture, {0, 0, picture.width, picture.height}, 0,
                              0, trap);
        XGCValues tiling{};
        tiling.fill_style = FillTiled;
        tiling.tile = tile;
        tiling.ts_x_origin = 0;
        tiling.ts_y_origin = 0;
        GC tileGc =
            x->XCreateGC(display, pixmap, GCFillStyle | GCTile | GCTileStipXOrigin | GCTileStipYOrigin, &tiling);
        x->XFillRectangle(display, pixmap, tileGc, 0, 0, static_cast<unsigned>(width), static_cast<unsigned>(height));
        x->XFreeGC(display, tileGc);
        x->XFreePixmap(display, tile);
    } else {
        std::vector<detail::MonitorRect> monitors = detail::ListMonitors(*x, display, root);
        if (monitors.empty())
            monitors.push_back({0, 0, width, height, true, {}});
        for (const detail::MonitorRect& m : monitors) {
            // Each monitor shows the picture in its own middle, clipped to it
            // and to the screen.
            Rect area = Intersect({m.x, m.y, m.width, m.height}, whole);
            Rect placed{m.x + HalfDown(m.width - picture.width), m.y + HalfDown(m.height - picture.height),
                        picture.width, picture.height};
            Rect visible = Intersect(placed, area);
            if (visible.width == 0 || visible.height == 0)
                continue;
            Rect source{visible.x - placed.x, visible.y - placed.y, visible.width, visible.height};
            made =
                PutPicturePart(*x, display, pixmap, gc, visual, depth, picture, source, visible.x, visible.y, trap) &&
                made;
        }
    }
    x->XFreeGC(display, gc);
    x->XSync(display, False);
    if (!made || trap.Count() != 0) {
        error = made ? "The X server refused to draw the wallpaper (X error " + std::to_string(trap.LastCode()) + ")"
                     : "Out of memory while preparing the wallpaper for X";
        return false; // closing the connection frees the pixmap
    }

    Atom rootId = x->XInternAtom(display, "_XROOTPMAP_ID", False);
    Atom setrootId = x->XInternAtom(display, "ESETROOT_PMAP_ID", False);
    // A setter before us left its pixmap alive by retaining its whole
    // connection; when both properties still name that pixmap nobody else
    // took over, and killing the client the pixmap belongs to frees it.
    Pixmap previous = ReadPixmapProperty(*x, display, root, rootId);
    if (previous != None && previous == ReadPixmapProperty(*x, display, root, setrootId))
        x->XKillClient(display, previous);
    x->XSync(display, False);
    trap.Reset(); // the previous client may be gone already: no fault of ours

    x->XChangeProperty(display, root, rootId, XA_PIXMAP, 32, PropModeReplace,
                       reinterpret_cast<const unsigned char*>(&pixmap), 1);
    x->XChangeProperty(display, root, setrootId, XA_PIXMAP, 32, PropModeReplace,
                       reinterpret_cast<const unsigned char*>(&pixmap), 1);
    x->XSetWindowBackgroundPixmap(display, root, pixmap);
    x->XClearWindow(display, root);
    x->XSync(display, False);
    if (trap.Count() != 0) {
        error = "The X server refused the new root window background (X error " + std::to_string(trap.LastCode()) + ")";
        return false;
    }
    connection.CloseRetaining();
    return true;
}

bool SetRootPictureFile(const std::string& path, Style style, const RootPictureOptions& options, std::string& error)
{
    std::optional<Picture> picture = ReadBitmapFile(path, error);
    return picture && SetRootPicture(picture->View(), style, options, error);
}

} // namespace vistrel::wallpaper
