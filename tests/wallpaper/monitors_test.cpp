// SPDX-License-Identifier: GPL-3.0-or-later
// The monitor layout's rules that need no desktop: the order of monitors,
// the bounds, the user's choice, and sway's description of its outputs.
#include "vistrel/wallpaper/installer.h"
#include "vistrel/wallpaper/monitors.h"

#include "test_support.h"

#ifndef _WIN32
#include "posix/sway_outputs.h"
#endif

#include <gtest/gtest.h>

namespace vistrel::wallpaper {
namespace {

Monitor At(const char* name, int x, int y, int width, int height, bool primary = false)
{
    return {name, {x, y, width, height}, {0, 0, width, height}, primary};
}

std::vector<std::string> Names(const std::vector<Monitor>& monitors)
{
    std::vector<std::string> names;
    for (const Monitor& m : monitors)
        names.push_back(m.name);
    return names;
}

TEST(MonitorOrder, PrimaryFirstThenLeftToRightTopToBottom)
{
    std::vector<Monitor> monitors{At("below", 0, 1080, 1920, 1080), At("right", 1920, 0, 1280, 720),
                                  At("origin", 0, 0, 1920, 1080), At("left", -1280, 200, 1280, 1024, true)};
    OrderMonitors(monitors);
    EXPECT_EQ(Names(monitors), (std::vector<std::string>{"left", "origin", "below", "right"}));
    // Without a flag the monitor at the origin leads, and only it is flagged.
    for (Monitor& m : monitors)
        m.primary = false;
    OrderMonitors(monitors);
    EXPECT_EQ(Names(monitors), (std::vector<std::string>{"origin", "left", "below", "right"}));
    EXPECT_TRUE(monitors[0].primary);
    EXPECT_FALSE(monitors[1].primary || monitors[2].primary || monitors[3].primary);
    // Nothing at the origin either: the first one given.
    std::vector<Monitor> apart{At("b", 100, 0, 10, 10), At("a", 50, 0, 10, 10)};
    OrderMonitors(apart);
    EXPECT_EQ(Names(apart), (std::vector<std::string>{"b", "a"}));

    MonitorLayout layout;
    layout.monitors = monitors;
    EXPECT_EQ(layout.Bounds(), (Rect{-1280, 0, 3200 + 1280, 2160}));
}

TEST(MonitorChoiceSetting, MissingOrUnknownIsSame)
{
    test::ScopedSettings settings;
    EXPECT_EQ(ReadMonitorChoice(), MonitorChoice::Same);
    ASSERT_TRUE(platform::settings::CreateKey(kWallpaperKey));
    for (auto [text, choice] : {std::pair{"each", MonitorChoice::Each}, std::pair{"SPAN", MonitorChoice::Span},
                                std::pair{"same", MonitorChoice::Same}, std::pair{"mirror", MonitorChoice::Same},
                                std::pair{"", MonitorChoice::Same}}) {
        ASSERT_TRUE(platform::settings::WriteText(kWallpaperKey, "Monitors", text));
        EXPECT_EQ(ReadMonitorChoice(), choice) << text;
    }
    ASSERT_TRUE(WriteMonitorChoice(MonitorChoice::Each));
    EXPECT_EQ(platform::settings::ReadText(kWallpaperKey, "Monitors"), "each");
}

#ifndef _WIN32
TEST(SwayOutputs, ActiveOutputsWithTheirLayoutRectangles)
{
    // As sway 1.7 prints them, cut to what matters: a scaled output's rect
    // is already in layout units; an inactive output has an empty rect.
    const char* json = R"([
      {"name": "HEADLESS-1", "active": true, "primary": false, "scale": 1.0, "transform": "normal",
       "rect": {"x": 0, "y": 0, "width": 1920, "height": 1080}},
      {"name": "HEADLESS-2", "active": true, "scale": 2.0, "transform": "90",
       "rect": {"x": 1920, "y": 0, "width": 360, "height": 640}},
      {"name": "DP-3", "active": false, "rect": {"x": 0, "y": 0, "width": 0, "height": 0}},
      {"active": true, "rect": {"x": 0, "y": 1080, "width": 800, "height": 600}}
    ])";
    std::optional<std::vector<Monitor>> monitors = detail::ParseSwayOutputs(json);
    ASSERT_TRUE(monitors);
    ASSERT_EQ(monitors->size(), 3u);
    EXPECT_EQ((*monitors)[0].name, "HEADLESS-1");
    EXPECT_EQ((*monitors)[1].area, (Rect{1920, 0, 360, 640}));
    EXPECT_EQ((*monitors)[1].workArea.right, 360);
    EXPECT_EQ((*monitors)[2].name, "");

    EXPECT_FALSE(detail::ParseSwayOutputs("not json"));
    EXPECT_FALSE(detail::ParseSwayOutputs(R"({"error": "no"})"));
    // Fields of the wrong type are skipped, not trusted.
    monitors = detail::ParseSwayOutputs(R"([{"name": 3, "active": true, "rect": {"x": "0", "width": 5, "height": 5}},
                                              {"name": "X", "active": "yes", "rect": {"width": 5, "height": 5}}, 7])");
    ASSERT_TRUE(monitors);
    ASSERT_EQ(monitors->size(), 1u);
    EXPECT_EQ((*monitors)[0].area, (Rect{0, 0, 5, 5}));
}
#endif

} // namespace
} // namespace vistrel::wallpaper
