// SPDX-License-Identifier: GPL-3.0-or-later
// Setting the root window's background the way X11 root setters agree on, so
// that a later setter (ours or another) frees the pixmap this one leaves.
#include "vistrel/wallpaper/x11_root.h"

#include "../draw.h"
#include "x11_library.h"

#include <sys/ipc.h>
#include <sys/shm.h>

#include <X11/Xatom.h>
#include <X11/Xutil.h>

#include <algorithm>
#include <bit>
#include <cstdlib>
#include <cstring>
#include <optional>

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

// A client image of the whole screen in the visual's format: the usual
// TrueColor layout (32 bits a pixel, 0x00RRGGBB, least significant byte first)
// is written directly, since put_pixel is a call per pixel, which for a full
// screen costs more than everything else the change does.
class ImageCanvas final : public detail::Canvas {
public:
    ImageCanvas(XImage* image, Visual* visual, const Rect& bounds)
        : image_(image), format_(*visual), bounds_(bounds),
          direct_(image->bits_per_pixel == 32 && image->byte_order == LSBFirst && visual->red_mask == 0xFF0000 &&
                  visual->green_mask == 0xFF00 && visual->blue_mask == 0xFF)
    {
    }

    Rect Bounds() const override { return bounds_; }

    void CopySpan(const PictureView& picture, int sourceX, int sourceY, int count, int x, int y) override
    {
        const std::uint8_t* in =
            picture.rows +
            static_cast<std::size_t>(picture.height - 1 - sourceY) * PictureView::RowStride(picture.width) +
            static_cast<std::size_t>(sourceX) * 3;
        const int column = x - bounds_.x, row = y - bounds_.y;
        if (direct_) {
            auto* out = reinterpret_cast<unsigned char*>(image_->data) +
                        static_cast<std::size_t>(row) * static_cast<std::size_t>(image_->bytes_per_line) +
                        static_cast<std::size_t>(column) * 4;
            // Four bytes read at a time, the fourth masked off; the span's
            // last pixel byte by byte, so nothing past it is read.
            int i = 0;
            for (; i + 1 < count; ++i, in += 3, out += 4) {
                std::uint32_t pixel;
                std::memcpy(&pixel, in, 4);
                pixel &= 0x00FFFFFFu;
                std::memcpy(out, &pixel, 4);
            }
            if (i < count) {
                out[0] = in[0];
                out[1] = in[1];
                out[2] = in[2];
                out[3] = 0;
            }
            return;
        }
        for (int i = 0; i < count; ++i, in += 3)
            image_->f.put_pixel(
                image_, column + i, row,
                format_(static_cast<std::uint32_t>(in[2]) << 16 | static_cast<std::uint32_t>(in[1]) << 8 | in[0]));
    }

private:
    XImage* image_;
    PixelFormat format_;
    Rect bounds_;
    bool direct_;
};

// A client image of the whole screen, in memory shared with the server
// where it offers that (sparing a copy of every pixel through the
// connection), else in our own memory (remote displays, some Xwayland).
// Only the parts drawn are ever sent, so the rest is never filled.
class ScreenImage {
public:
    ScreenImage(const X11Library& x, Display* display) : x_(x), display_(display) {}
    ~ScreenImage()
    {
        if (attached_) {
            x_.XShmDetach(display_, &segment_);
            x_.XSync(display_, False);
        }
        if (segment_.shmaddr && segment_.shmaddr != reinterpret_cast<char*>(-1))
            ::shmdt(segment_.shmaddr);
        if (image_) {
            if (segment_.shmaddr)
                image_->data = nullptr;      // not the image's to free
            image_->f.destroy_image(image_); // frees our own memory
        }
    }
    ScreenImage(const ScreenImage&) = delete;
    ScreenImage& operator=(const ScreenImage&) = delete;

    // False when no image could be made at all.
    bool Make(Visual* visual, int depth, int width, int height, detail::X11ErrorTrap& trap)
    {
        if (MakeShared(visual, depth, width, height, trap))
            return true;
        image_ = x_.XCreateImage(display_, visual, static_cast<unsigned>(depth), ZPixmap, 0, nullptr,
                                 static_cast<unsigned>(width), static_cast<unsigned>(height), 32, 0);
        if (!image_)
            return false;
        auto bytes = static_cast<std::size_t>(image_->bytes_per_line) * static_cast<std::size_t>(height);
        image_->data = static_cast<char*>(std::malloc(bytes));
        return image_->data != nullptr;
    }

    XImage* get() const { return image_; }
    bool Shared() const { return attached_; }

    // Sends the part `r` of the image to the same place of `drawable`.
    void Put(Drawable drawable, GC gc, const Rect& r)
    {
        if (attached_)
            x_.XShmPutImage(display_, drawable, gc, image_, r.x, r.y, r.x, r.y, static_cast<unsigned>(r.width),
                            static_cast<unsigned>(r.height), False);
        else
            x_.XPutImage(display_, drawable, gc, image_, r.x, r.y, r.x, r.y, static_cast<unsigned>(r.width),
                         static_cast<unsigned>(r.height));
    }

private:
    bool MakeShared(Visual* visual, int depth, int width, int height, detail::X11ErrorTrap& trap)
    {
        if (!x_.XShmQueryExtension || !x_.XShmQueryExtension(display_))
            return false;
        XImage* image = x_.XShmCreateImage(display_, visual, static_cast<unsigned>(depth), ZPixmap, nullptr, &segment_,
                                           static_cast<unsigned>(width), static_cast<unsigned>(height));
        if (!image)
            return false;
        auto bytes = static_cast<std::size_t>(image->bytes_per_line) * static_cast<std::size_t>(height);
        segment_.shmid = ::shmget(IPC_PRIVATE, bytes, IPC_CREAT | 0600);
        if (segment_.shmid < 0) {
            segment_.shmaddr = nullptr;
            image->f.destroy_image(image);
            return false;
        }
        segment_.shmaddr = image->data = static_cast<char*>(::shmat(segment_.shmid, nullptr, 0));
        segment_.readOnly = True;
        if (segment_.shmaddr != reinterpret_cast<char*>(-1)) {
            x_.XSync(display_, False);
            const int before = trap.Count();
            attached_ = x_.XShmAttach(display_, &segment_) && (x_.XSync(display_, False), trap.Count() == before);
            if (!attached_ && before == 0)
                trap.Reset(); // the refusal is the server's answer, not a fault
        }
        // Marked for removal at once: it goes when both sides have let go,
        // even if we are killed now.
        ::shmctl(segment_.shmid, IPC_RMID, nullptr);
        if (!attached_) {
            if (segment_.shmaddr != reinterpret_cast<char*>(-1))
                ::shmdt(segment_.shmaddr);
            segment_.shmaddr = nullptr;
            image->data = nullptr;
            image->f.destroy_image(image);
            return false;
        }
        image_ = image;
        return true;
    }

    const X11Library& x_;
    Display* display_;
    XShmSegmentInfo segment_{};
    XImage* image_ = nullptr;
    bool attached_ = false;
};

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

// What a part of the root shows: a picture centred in an area or tiled from
// its corner.
struct RootArea {
    const PictureView* picture;
    Rect area;
    Style style;
};

// The connection to draw over: the layout's, while it is open and for the
// display asked for, else a new one.
std::shared_ptr<detail::X11Connection> ConnectionFor(const RootPictureOptions& options,
                                                     const std::shared_ptr<void>& connection, std::string& error)
{
    if (auto given = std::static_pointer_cast<detail::X11Connection>(connection);
        given && given->get() && given->Name() == options.display)
        return given;
    return detail::X11Connection::Open(options.display, error);
}

// Draws the areas onto a new pixmap of the whole screen, on the background
// colour, and makes it the root window's background. The connection is
// closed keeping the pixmap (and nothing else it made: it made nothing else).
bool DrawRoot(detail::X11Connection& connection, const std::vector<RootArea>& areas, std::uint32_t background,
              std::string& error)
{
    const X11Library& x = connection.x();
    Display* display = connection.get();
    detail::X11ErrorTrap trap(x);
    int screen = x.XDefaultScreen(display);
    Window root = x.XRootWindow(display, screen);
    Visual* visual = x.XDefaultVisual(display, screen);
    int depth = x.XDefaultDepth(display, screen);
    if (visual->c_class != TrueColor && visual->c_class != DirectColor) {
        error = "The X screen's default visual is not TrueColor; only TrueColor screens are supported";
        return false;
    }
    const int width = x.XDisplayWidth(display, screen);
    const int height = x.XDisplayHeight(display, screen);
    PixelFormat format(*visual);

    Pixmap pixmap = x.XCreatePixmap(display, root, static_cast<unsigned>(width), static_cast<unsigned>(height),
                                    static_cast<unsigned>(depth));
    XGCValues values{};
    values.foreground = format(background);
    GC gc = x.XCreateGC(display, pixmap, GCForeground, &values);
    x.XFillRectangle(display, pixmap, gc, 0, 0, static_cast<unsigned>(width), static_cast<unsigned>(height));
    // The pictures go through memory shared with the server where it offers
    // that, and only the parts drawn are sent.
    std::optional<ScreenImage> shm(std::in_place, x, display);
    ScreenImage& image = *shm;
    const bool made = image.Make(visual, depth, width, height, trap);
    if (made) {
        ImageCanvas canvas(image.get(), visual, {0, 0, width, height});
        for (const RootArea& a : areas) {
            Rect part = detail::DrawPicture(canvas, *a.picture, a.area, a.style, true);
            if (!part.Empty())
                image.Put(pixmap, gc, part);
        }
        x.XSync(display, False); // the server has read the pixels before the image goes
    }
    shm.reset(); // while the connection is open
    x.XFreeGC(display, gc);
    x.XSync(display, False);
    if (!made || trap.Count() != 0) {
        error = made ? "The X server refused to draw the wallpaper (X error " + std::to_string(trap.LastCode()) + ")"
                     : "Out of memory while preparing the wallpaper for X";
        x.XFreePixmap(display, pixmap);
        x.XSync(display, False);
        return false;
    }

    Atom rootId = x.XInternAtom(display, "_XROOTPMAP_ID", False);
    Atom setrootId = x.XInternAtom(display, "ESETROOT_PMAP_ID", False);
    // A setter before us left its pixmap alive by retaining its whole
    // connection; when both properties still name that pixmap nobody else
    // took over, and killing the client the pixmap belongs to frees it.
    Pixmap previous = ReadPixmapProperty(x, display, root, rootId);
    if (previous != None && previous == ReadPixmapProperty(x, display, root, setrootId))
        x.XKillClient(display, previous);
    x.XSync(display, False);
    trap.Reset(); // the previous client may be gone already: no fault of ours

    x.XChangeProperty(display, root, rootId, XA_PIXMAP, 32, PropModeReplace,
                      reinterpret_cast<const unsigned char*>(&pixmap), 1);
    x.XChangeProperty(display, root, setrootId, XA_PIXMAP, 32, PropModeReplace,
                      reinterpret_cast<const unsigned char*>(&pixmap), 1);
    x.XSetWindowBackgroundPixmap(display, root, pixmap);
    x.XClearWindow(display, root);
    x.XSync(display, False);
    if (trap.Count() != 0) {
        error = "The X server refused the new root window background (X error " + std::to_string(trap.LastCode()) + ")";
        x.XFreePixmap(display, pixmap);
        x.XSync(display, False);
        return false;
    }
    connection.CloseRetaining();
    return true;
}

} // namespace

bool SetRootPicture(const PictureView& picture, Style style, const RootPictureOptions& options, std::string& error,
                    const std::shared_ptr<void>& given)
{
    if (!CheckPicture(picture, error))
        return false;
    std::shared_ptr<detail::X11Connection> connection = ConnectionFor(options, given, error);
    if (!connection)
        return false;
    const X11Library& x = connection->x();
    Display* display = connection->get();
    int screen = x.XDefaultScreen(display);
    const Rect whole{0, 0, x.XDisplayWidth(display, screen), x.XDisplayHeight(display, screen)};
    std::vector<RootArea> areas;
    if (style == Style::Tile) {
        areas.push_back({&picture, whole, Style::Tile});
    } else {
        // Each monitor shows the picture in its own middle.
        for (const detail::MonitorRect& m : detail::ListMonitors(x, display, x.XRootWindow(display, screen)))
            areas.push_back({&picture, {m.x, m.y, m.width, m.height}, Style::Center});
        if (areas.empty())
            areas.push_back({&picture, whole, Style::Center});
    }
    return DrawRoot(*connection, areas, options.background, error);
}

bool SetRootPictures(const std::vector<MonitorWallpaper>& wallpapers, const RootPictureOptions& options,
                     std::string& error, const std::shared_ptr<void>& given)
{
    std::vector<RootArea> areas;
    for (const MonitorWallpaper& w : wallpapers) {
        if (!CheckPicture(w.pixels, error))
            return false;
        areas.push_back({&w.pixels, w.area, w.style});
    }
    std::shared_ptr<detail::X11Connection> connection = ConnectionFor(options, given, error);
    return connection && DrawRoot(*connection, areas, options.background, error);
}

bool SetRootPictureFile(const std::string& path, Style style, const RootPictureOptions& options, std::string& error)
{
    std::optional<Picture> picture = ReadBitmapFile(path, error);
    return picture && SetRootPicture(picture->View(), style, options, error);
}

} // namespace vistrel::wallpaper
