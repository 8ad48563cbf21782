// SPDX-License-Identifier: GPL-3.0-or-later
// A fixture for tests that look at the root window of a real X server: one
// Xvfb per test suite (a display it picks itself, -noreset so retained root
// pixmaps survive their clients), a connection per test, X errors counted
// instead of ending the process.
#pragma once

#include "xvfb_server.h"

// GoogleTest before Xlib: Xlib's None and Bool macros would break its names.
#include <gtest/gtest.h>

#include <X11/Xatom.h>
#include <X11/Xlib.h>
#include <X11/Xutil.h>

#include <cstdint>
#include <functional>
#include <string>

namespace vistrel::test {

template <int Width, int Height> class XRootTest : public ::testing::Test {
protected:
    static constexpr int kWidth = Width;
    static constexpr int kHeight = Height;

    static void SetUpTestSuite()
    {
        server_ = new XvfbServer;
        server_->Start(Width, Height);
        XSetErrorHandler(&CountErrors);
    }

    static void TearDownTestSuite()
    {
        delete server_;
        server_ = nullptr;
    }

    // The server's display name, empty when Xvfb is missing or did not start.
    static std::string DisplayName() { return server_ ? server_->Display() : std::string(); }

    void SetUp() override
    {
        if (DisplayName().empty())
            GTEST_SKIP() << "Xvfb is not installed or did not start: nothing is tested on X11";
        connection_ = XOpenDisplay(DisplayName().c_str());
        ASSERT_TRUE(connection_);
        root_ = DefaultRootWindow(connection_);
        xErrors = 0;
    }

    void TearDown() override
    {
        if (connection_)
            XCloseDisplay(connection_);
        connection_ = nullptr;
    }

    // The pixmap a root window property names, or None.
    Pixmap Property(const char* name)
    {
        Atom atom = XInternAtom(connection_, name, False);
        Atom type;
        int format;
        unsigned long items, after;
        unsigned char* data = nullptr;
        Pixmap value = None;
        if (XGetWindowProperty(connection_, root_, atom, 0, 1, False, AnyPropertyType, &type, &format, &items, &after,
                               &data) == Success &&
            data && type == XA_PIXMAP && format == 32 && items == 1)
            value = *reinterpret_cast<Pixmap*>(data);
        if (data)
            XFree(data);
        return value;
    }

    bool PixmapExists(Pixmap pixmap)
    {
        Window root;
        int x, y;
        unsigned width, height, border, depth;
        xErrors = 0;
        Status ok = XGetGeometry(connection_, pixmap, &root, &x, &y, &width, &height, &border, &depth);
        XSync(connection_, False);
        return ok && xErrors == 0;
    }

    // Reads the whole screen from `drawable` and compares every pixel with
    // `expected(x, y)` (0x00RRGGBB); reports the first few differences.
    void ExpectScreen(Drawable drawable, const std::function<std::uint32_t(int, int)>& expected)
    {
        XImage* image = XGetImage(connection_, drawable, 0, 0, Width, Height, AllPlanes, ZPixmap);
        ASSERT_TRUE(image);
        int wrong = 0;
        for (int y = 0; y < Height; ++y)
            for (int x = 0; x < Width; ++x) {
                auto pixel = static_cast<std::uint32_t>(XGetPixel(image, x, y) & 0xffffff);
                if (pixel != expected(x, y) && ++wrong <= 5)
                    ADD_FAILURE() << "pixel " << x << "," << y << " is " << std::hex << pixel << " not "
                                  << expected(x, y);
            }
        EXPECT_EQ(wrong, 0);
        XDestroyImage(image);
    }

    static inline int xErrors = 0;
    Display* connection_ = nullptr;
    Window root_ = None;

private:
    static int CountErrors(Display*, XErrorEvent*)
    {
        ++xErrors;
        return 0;
    }

    static inline XvfbServer* server_ = nullptr;
};

} // namespace vistrel::test
