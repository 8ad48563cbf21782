// SPDX-License-Identifier: GPL-3.0-or-later
// The monitors an X server reports (RandR 1.5, as "xrandr --setmonitor"
// declares them) and their work areas, on a real Xvfb.
#include "vistrel/wallpaper/monitors.h"

#include "test_support.h"

// GoogleTest before Xlib: Xlib's None and Bool macros would break its names.
#include <gtest/gtest.h>

#include "x_monitors.h"
#include "x_root_test.h"

#include <X11/Xatom.h>

namespace vistrel::wallpaper {
namespace {

class X11MonitorsTest : public vistrel::test::XRootTest<3200, 1080> {
protected:
    void SetUp() override
    {
        XRootTest::SetUp();
        if (IsSkipped())
            return;
        display_.emplace("DISPLAY", DisplayName());
        desktop_.emplace("XDG_CURRENT_DESKTOP", std::nullopt);
        sway_.emplace("SWAYSOCK", std::nullopt);
        kde_.emplace("KDE_SESSION_VERSION", std::nullopt);
        session_.emplace("DESKTOP_SESSION", std::nullopt);
    }

    void TearDown() override
    {
        if (connection_) {
            for (const char* name : {"_NET_WORKAREA", "_GTK_WORKAREAS_D0", "_GTK_WORKAREAS_D1", "_NET_CURRENT_DESKTOP"})
                XDeleteProperty(connection_, root_, XInternAtom(connection_, name, False));
            vistrel::test::SetXMonitors(connection_, {});
        }
        XRootTest::TearDown();
    }

    void SetCardinals(const char* name, std::vector<long> values)
    {
        XChangeProperty(connection_, root_, XInternAtom(connection_, name, False), XA_CARDINAL, 32, PropModeReplace,
                        reinterpret_cast<unsigned char*>(values.data()), static_cast<int>(values.size()));
        XSync(connection_, False);
    }

    test::ScopedSettings settings_;
    std::optional<test::ScopedEnvironment> display_, desktop_, sway_, kde_, session_;
};

TEST_F(X11MonitorsTest, PrimaryFirstThenLeftToRight)
{
    ASSERT_TRUE(vistrel::test::SetXMonitors(connection_, {{"RIGHT", 1920, 0, 1280, 720, false},
                                                          {"LEFT", 0, 0, 1920, 1080, false},
                                                          {"MIDDLE", 1000, 0, 500, 300, true}}));
    MonitorLayout layout;
    ASSERT_TRUE(QueryPlatformMonitors(layout));
    EXPECT_EQ(layout.from, MonitorSource::X11);
    layout = QueryMonitors();
    ASSERT_EQ(layout.monitors.size(), 3u);
    EXPECT_EQ(layout.monitors[0].name, "MIDDLE");
    EXPECT_EQ(layout.monitors[1].name, "LEFT");
    EXPECT_EQ(layout.monitors[2].name, "RIGHT");
    EXPECT_TRUE(layout.monitors[0].primary);
    EXPECT_FALSE(layout.monitors[1].primary);
    EXPECT_EQ(layout.monitors[2].area, (Rect{1920, 0, 1280, 720}));
    EXPECT_EQ(layout.Bounds(), (Rect{0, 0, 3200, 1080}));

    // None flagged: the one at the origin is the primary.
    ASSERT_TRUE(
        vistrel::test::SetXMonitors(connection_, {{"B", 1920, 0, 1280, 720, false}, {"A", 0, 0, 1920, 1080, false}}));
    layout = QueryMonitors();
    ASSERT_EQ(layout.monitors.size(), 2u);
    EXPECT_EQ(layout.monitors[0].name, "A");
    EXPECT_TRUE(layout.monitors[0].primary);

    // The settings override the primary monitor alone.
    ASSERT_TRUE(platform::settings::CreateKey(kScreenKey));
    ASSERT_TRUE(platform::settings::WriteNumber(kScreenKey, "Width", 800));
    ASSERT_TRUE(platform::settings::WriteNumber(kScreenKey, "Height", 600));
    layout = QueryMonitors();
    EXPECT_EQ(layout.source, GeometrySource::Settings);
    EXPECT_EQ(layout.monitors[0].area, (Rect{0, 0, 800, 600}));
    EXPECT_EQ(layout.monitors[1].area, (Rect{1920, 0, 1280, 720}));
    ScreenGeometry geometry = QueryScreenGeometry();
    EXPECT_EQ(geometry.width, 800);
    EXPECT_EQ(geometry.workArea.bottom, 600);
}

TEST_F(X11MonitorsTest, WorkAreasPerMonitor)
{
    ASSERT_TRUE(vistrel::test::SetXMonitors(connection_,
                                            {{"LEFT", 0, 0, 1920, 1080, true}, {"RIGHT", 1920, 0, 1280, 720, false}}));
    // Nothing published: the whole monitor.
    MonitorLayout layout = QueryMonitors();
    ASSERT_EQ(layout.monitors.size(), 2u);
    EXPECT_EQ(layout.monitors[1].workArea.right, 1280);
    EXPECT_EQ(layout.monitors[1].workArea.bottom, 720);

    // _NET_WORKAREA covers the whole screen less a 30-pixel top panel on
    // the left monitor: clipped to each monitor. The second desktop is the
    // current one.
    SetCardinals("_NET_WORKAREA", {0, 0, 3200, 1080, 0, 30, 3200, 1050});
    SetCardinals("_NET_CURRENT_DESKTOP", {1});
    layout = QueryMonitors();
    EXPECT_EQ(layout.monitors[0].workArea.top, 30);
    EXPECT_EQ(layout.monitors[0].workArea.bottom, 1080);
    EXPECT_EQ(layout.monitors[1].workArea.top, 30);
    EXPECT_EQ(layout.monitors[1].workArea.bottom, 720);

    // GTK's list per monitor wins: a left panel on the right monitor only.
    SetCardinals("_GTK_WORKAREAS_D1", {0, 30, 1920, 1050, 1968, 0, 1232, 720});
    layout = QueryMonitors();
    EXPECT_EQ(layout.monitors[0].workArea.top, 30);
    EXPECT_EQ(layout.monitors[0].workArea.left, 0);
    EXPECT_EQ(layout.monitors[1].workArea.left, 48);
    EXPECT_EQ(layout.monitors[1].workArea.top, 0);
    EXPECT_EQ(layout.monitors[1].workArea.right, 1280);
}

TEST_F(X11MonitorsTest, WithoutDeclaredMonitorsTheScreenIsOne)
{
    MonitorLayout layout = QueryMonitors();
    ASSERT_EQ(layout.monitors.size(), 1u);
    EXPECT_EQ(layout.monitors[0].area, (Rect{0, 0, 3200, 1080}));
    EXPECT_TRUE(layout.monitors[0].primary);
    EXPECT_FALSE(layout.monitors[0].name.empty());
}

} // namespace
} // namespace vistrel::wallpaper
