// SPDX-License-Identifier: GPL-3.0-or-later
// Photographs through a whole wallpaper change on a real X server: the real
// vistrelctl loads the real Photoload and Picshow, which shrink the JPEG on
// load for Proportioned Fit and lay a transparent PNG over the desktop colour
// in Center mode; the root window must show exactly what the same reader and
// composition make in this process.
#include "photo_support.h"

#include "compose.h"
#include "environment.h"
#include "needed_size.h"
#include "test_support.h"

#include "vistrel/core/extender_calls.h"
#include "vistrel/core/list_file.h"
#include "vistrel/core/param_block.h"
#include "vistrel/core/param_chain.h"
#include "vistrel/platform/process.h"
#include "vistrel/platform/settings_store.h"
#include "vistrel/wallpaper/installer.h"
#include "vistrel/wallpaper/screen.h"

// GoogleTest before Xlib: Xlib's None and Bool macros would break its names.
#include "x_root_test.h"

namespace photo_test {
namespace {

using namespace vistrel;

constexpr int kWidth = 1024;
constexpr int kHeight = 768;
constexpr std::uint32_t kBackground = 0x2050A0;

class PhotoNextOnX11 : public test::XRootTest<kWidth, kHeight> {
protected:
    void SetUp() override
    {
        PHOTO_REQUIRE_CONVERT();
        XRootTest::SetUp();
        if (IsSkipped() || HasFatalFailure())
            return;
        for (const char* folder : {"home", "data", "config/Vistrel"})
            fs::create_directories(user_.Path() / folder);
        const std::pair<const char*, std::optional<std::string>> environment[] = {
            {"HOME", user_.File("home")},
            {"XDG_DATA_HOME", user_.File("data")},
            {"XDG_CONFIG_HOME", user_.File("config")},
            {"DISPLAY", DisplayName()},
            {"VISTREL_SETTINGS", std::nullopt},
        };
        for (const auto& [name, value] : environment)
            scoped_.push_back(std::make_unique<test::ScopedEnvironment>(name, value));
        platform::settings::SetLocation((user_.Path() / "config" / "Vistrel" / "Vistrel.ini").string());
        ASSERT_TRUE(platform::settings::CreateKey(wallpaper::kWallpaperKey));
        ASSERT_TRUE(platform::settings::WriteText(wallpaper::kWallpaperKey, "Backend", "x11"));
        ASSERT_TRUE(platform::settings::CreateKey(wallpaper::kScreenKey));
        ASSERT_TRUE(platform::settings::WriteNumber(wallpaper::kScreenKey, "Background", kBackground));
        platform::settings::SetLocation("");
    }

    // A list of (file, viewer command) entries.
    std::string MakeList(const std::vector<std::pair<fs::path, int>>& entries)
    {
        CExtenderRegistry registry;
        EXPECT_TRUE(registry.LoadExtenders((test::BinDir() / "").string()));
        CWallpaperList list(&registry);
        list.Reset();
        for (const auto& [file, command] : entries) {
            EXPECT_TRUE(list.InsertFile(file.string(), true)) << file;
            const int row = list.GetCount() - 1;
            CParamChain chain;
            EXPECT_TRUE(chain.Attach(list.GetChain(row), list.GetChainBytes(row)));
            std::uint8_t* viewerBlock = chain.GetBlock(chain.GetCount() - 1);
            ExtenderHandle viewer = registry.FindExtenderById(BlockId(viewerBlock));
            EXPECT_EQ(ext::RunCommand(viewer, viewerBlock, command), viewerBlock);
            const std::size_t bytes = chain.GetLength();
            list.StoreChain(row, chain.Detach(), bytes);
        }
        const std::string path = shop_.File("list.vist").string();
        std::string error;
        EXPECT_TRUE(WriteListFile(path, list, error)) << error;
        return path;
    }

    // What the screen shows for `file` in `mode`: read as Photoload reads it
    // for Picshow, composed as Picshow composes, centred on the background.
    static std::function<std::uint32_t(int, int)> Expected(const fs::path& file, std::uint32_t mode)
    {
        picshow::ViewerSettings settings;
        settings.mode = mode;
        struct Question {
            picshow::ViewerSettings settings;
            picshow::Screen screen;
        };
        static Question question;
        question = {settings, {kWidth, kHeight, kWidth, kHeight, kBackground}};
        auto ask = [](void* context, std::uint32_t w, std::uint32_t h, VistrelNeed* need) {
            const auto* q = static_cast<const Question*>(context);
            need->flags = VISTREL_NEED_BACKGROUND;
            need->background = kBackground;
            if (auto size = picshow::NeededSize(q->settings, q->screen, w, h)) {
                need->flags |= VISTREL_NEED_SCALED;
                need->width = size->width;
                need->height = size->height;
            }
        };
        gmem::Owner read(vistrel::photoload::ReadPhoto(file.string().c_str(), {ask, &question}));
        picshow::Composition c = picshow::Compose(read.get(), settings, question.screen);
        gmem::Owner made(c.IsNew(read.get()) ? c.picture : nullptr);
        auto picture = std::make_shared<Rgb>(FromDib(c.picture));
        const int left = (kWidth - int(picture->width)) / 2, top = (kHeight - int(picture->height)) / 2;
        return [picture, left, top](int x, int y) -> std::uint32_t {
            const int px = x - left, py = y - top;
            if (px < 0 || py < 0 || px >= int(picture->width) || py >= int(picture->height))
                return kBackground;
            const std::uint8_t* p = picture->At(std::uint32_t(px), std::uint32_t(py));
            return std::uint32_t(p[0]) << 16 | std::uint32_t(p[1]) << 8 | p[2];
        };
    }

    void Next(const std::string& list, const std::function<std::uint32_t(int, int)>& expected)
    {
        std::string output;
        ASSERT_EQ(platform::RunProgram((test::BinDir() / "vistrelctl").string(), {"next", list}, &output), 0) << output;
        ExpectScreen(root_, expected);
    }

    test::TempDir user_;
    Workshop shop_;
    std::vector<std::unique_ptr<test::ScopedEnvironment>> scoped_;
};

TEST_F(PhotoNextOnX11, AShrunkJpegAndATransparentPngReachTheScreen)
{
    if (!Reads(".jpg") || !Reads(".png"))
        GTEST_SKIP() << "this build reads no JPEG or PNG";
    // 2400 x 1800 fits 1024 x 768 at 1024 x 768: Photoload decodes it at
    // 4/8 (1200 x 900), the smallest eighth that is large enough.
    const fs::path jpeg = shop_.Make("photo.jpg", "-size 2400x1800 -seed 8 plasma:fractal -quality 90");
    const fs::path png = shop_.Make("logo.png", "-size 300x200 gradient:yellow-red \\( -size 300x200 "
                                                "gradient:white-black \\) -alpha off -compose copy_opacity -composite");
    const std::string list = MakeList({{jpeg, 3}, {png, 1}}); // Proportioned Fit, Center
    ASSERT_NO_FATAL_FAILURE(Next(list, Expected(jpeg, picshow::kProportionedFit)));
    ASSERT_NO_FATAL_FAILURE(Next(list, Expected(png, picshow::kCenter)));
}

} // namespace
} // namespace photo_test
