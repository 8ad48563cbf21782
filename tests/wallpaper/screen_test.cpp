// SPDX-License-Identifier: GPL-3.0-or-later
// The screen geometry the composition gets when the platform says nothing,
// and how the settings override it.
#include "vistrel/wallpaper/screen.h"

#include "test_support.h"

#include "vistrel/platform/settings_store.h"

#include <gtest/gtest.h>

namespace vistrel::wallpaper {
namespace {

class ScreenSettingsTest : public ::testing::Test {
protected:
    void SetUp() override { ASSERT_TRUE(platform::settings::CreateKey(kScreenKey)); }

    test::ScopedSettings settings_;
#ifndef _WIN32
    // No X server and no desktop: nothing can be read.
    test::ScopedEnvironment display_{"DISPLAY", std::nullopt};
    test::ScopedEnvironment desktop_{"XDG_CURRENT_DESKTOP", std::nullopt};
    test::ScopedEnvironment session_{"DESKTOP_SESSION", std::nullopt};
#endif
};

#ifndef _WIN32
TEST_F(ScreenSettingsTest, FallbackWhenNothingCanBeRead)
{
    ScreenGeometry geometry = QueryScreenGeometry();
    EXPECT_EQ(geometry.source, GeometrySource::Fallback);
    EXPECT_EQ(geometry.width, 1920);
    EXPECT_EQ(geometry.height, 1080);
    EXPECT_EQ(geometry.workArea.left, 0);
    EXPECT_EQ(geometry.workArea.top, 0);
    EXPECT_EQ(geometry.workArea.right, 1920);
    EXPECT_EQ(geometry.workArea.bottom, 1080);
    EXPECT_EQ(geometry.background, 0u);
}

TEST_F(ScreenSettingsTest, WorkAreaAloneSizesTheScreen)
{
    ASSERT_TRUE(platform::settings::WriteNumber(kScreenKey, "WorkWidth", 1366));
    ASSERT_TRUE(platform::settings::WriteNumber(kScreenKey, "WorkHeight", 740));
    ScreenGeometry geometry = QueryScreenGeometry();
    EXPECT_EQ(geometry.source, GeometrySource::Settings);
    EXPECT_EQ(geometry.width, 1366);
    EXPECT_EQ(geometry.height, 740);
    EXPECT_EQ(geometry.workArea.right, 1366);
    EXPECT_EQ(geometry.workArea.bottom, 740);
}
#endif

TEST_F(ScreenSettingsTest, SettingsOverrideValueByValue)
{
    ASSERT_TRUE(platform::settings::WriteNumber(kScreenKey, "Width", 2560));
    ASSERT_TRUE(platform::settings::WriteNumber(kScreenKey, "Height", 1440));
    ScreenGeometry geometry = QueryScreenGeometry();
    EXPECT_EQ(geometry.source, GeometrySource::Settings);
    EXPECT_EQ(geometry.width, 2560);
    EXPECT_EQ(geometry.height, 1440);
    EXPECT_EQ(geometry.workArea.right, 2560);
    EXPECT_EQ(geometry.workArea.bottom, 1440);

    ASSERT_TRUE(platform::settings::WriteNumber(kScreenKey, "WorkWidth", 2560));
    ASSERT_TRUE(platform::settings::WriteNumber(kScreenKey, "WorkHeight", 1400));
    // The colour's top byte is no part of it; zero sizes are ignored.
    ASSERT_TRUE(platform::settings::WriteNumber(kScreenKey, "Background", 0xff00ff80));
    ASSERT_TRUE(platform::settings::WriteNumber(kScreenKey, "Height", 0));
    geometry = QueryScreenGeometry();
    EXPECT_EQ(geometry.workArea.bottom, 1400);
    EXPECT_EQ(geometry.background, 0x00ff80u);
    EXPECT_NE(geometry.height, 0);
}

} // namespace
} // namespace vistrel::wallpaper
