// SPDX-License-Identifier: GPL-3.0-or-later
// Two outputs of different sizes on a real headless sway (no Xwayland), the
// real vistrelctl run in the session as its unprivileged user: sway's outputs
// are the monitors, and each output shows the picture made for it, as grim
// sees the screen.
#include "headless_sway.h"
#include "picture.h"

#include "test_support.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <sys/stat.h>
#include <thread>

namespace {

using namespace vistrel;
namespace pt = picshow::test;
namespace fs = std::filesystem;

constexpr std::uint32_t kColour = 0xD02060;

class MonitorsOnSway : public ::testing::Test {
protected:
    static void SetUpTestSuite()
    {
        sway_ = new vistrel::test::HeadlessSway(320, 240);
        if (!sway_->Skipped().empty())
            return;
        // A second output, smaller, right of the first.
        if (!sway_->Sway({"create_output"}) ||
            !sway_->Sway({"output", "HEADLESS-2", "mode", "160x120", "position", "320", "0"}) ||
            !sway_->Sway({"output", "HEADLESS-1", "position", "0", "0"}))
            failed_ = "sway did not make the second output";
    }

    static void TearDownTestSuite()
    {
        delete sway_;
        sway_ = nullptr;
    }

    void SetUp() override
    {
        if (!sway_->Skipped().empty())
            GTEST_SKIP() << "sway test skipped: " << sway_->Skipped();
        ASSERT_TRUE(failed_.empty()) << failed_;
    }

    int Ctl(const std::vector<std::string>& arguments, std::string* output = nullptr)
    {
        return sway_->Run((vistrel::test::BinDir() / "vistrelctl").string(), arguments, output);
    }

    // A list of one square of kColour in Proportioned Fit, in the session's home.
    std::string MakeList()
    {
        const fs::path pictures = sway_->Home() / "pictures";
        sway_->MakeOwnFolder(pictures);
        const fs::path square = pictures / "square.bmp";
        vistrel::test::WriteFile(square, pt::Bitmap24(pt::Picture(480, 480, kColour)));
        ::chmod(square.c_str(), 0644);
        const std::string list = (sway_->Home() / "square.vist").string();
        EXPECT_EQ(Ctl({"new", list}), 0);
        EXPECT_EQ(Ctl({"add", list, square.string()}), 0);
        EXPECT_EQ(Ctl({"mode", list, "all", "proportioned"}), 0);
        return list;
    }

    static inline vistrel::test::HeadlessSway* sway_ = nullptr;
    static inline std::string failed_;
};

TEST_F(MonitorsOnSway, EachOutputShowsThePictureFittedToIt)
{
    std::string output;
    ASSERT_EQ(Ctl({"monitors"}, &output), 0);
    EXPECT_EQ(output, "HEADLESS-1 320x240+0+0 primary work 320x240+0+0\n"
                      "HEADLESS-2 160x120+320+0 work 160x120+320+0\n");

    ASSERT_EQ(Ctl({"next", MakeList()}, &output), 0) << output;
    // The square is 240 x 240 in the middle of the first output (x 40 to
    // 280) and 120 x 120 in the middle of the second (x 340 to 460).
    bool shown = false;
    std::optional<vistrel::test::HeadlessSway::Screenshot> shot;
    for (int i = 0; i < 50 && !shown; ++i) {
        shot = sway_->Grab();
        shown = shot && shot->width == 480 && shot->at(400, 60) == kColour;
        if (!shown)
            std::this_thread::sleep_for(std::chrono::milliseconds(100));
    }
    ASSERT_TRUE(shown) << "the second output does not show the picture";
    EXPECT_EQ(shot->at(160, 120), kColour);
    EXPECT_EQ(shot->at(45, 5), kColour);
    EXPECT_NE(shot->at(35, 120), kColour) << "the first output's picture is 240 wide";
    EXPECT_EQ(shot->at(345, 5), kColour);
    EXPECT_NE(shot->at(335, 60), kColour) << "the second output's picture is 120 wide";
    EXPECT_TRUE(fs::exists(sway_->Home() / "data" / "Vistrel" / "VistrelImage2.bmp"));
}

} // namespace
