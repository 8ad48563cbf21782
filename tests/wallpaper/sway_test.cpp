// SPDX-License-Identifier: GPL-3.0-or-later
// The sway backend against a real sway: headless, one 320 x 240 output, run
// as an unprivileged user (sway refuses to run as root; as root the test runs
// it as uid 65534 through setpriv). Wallpaper files whose names sway's
// command reader would change (a quote, a "$", blanks) must still show, and
// what sway refuses must come back as a failure with its reason.
#include "vistrel/wallpaper/installer.h"

#include "test_support.h"

#include "vistrel/platform/process.h"

#include <gtest/gtest.h>

#include <chrono>
#include <csignal>
#include <fcntl.h>
#include <filesystem>
#include <sys/stat.h>
#include <sys/wait.h>
#include <thread>
#include <unistd.h>

namespace vistrel::wallpaper {
namespace {

namespace fs = std::filesystem;
using namespace std::chrono_literals;

constexpr unsigned kUser = 65534; // nobody

class SwayTest : public ::testing::Test {
protected:
    static void SetUpTestSuite()
    {
        for (const char* tool : {"sway", "swaymsg", "swaybg", "grim"})
            if (platform::FindOnPath(tool).empty()) {
                skip_ = std::string(tool) + " is not installed (Debian: sway, swaybg, grim)";
                return;
            }
        const bool root = ::geteuid() == 0;
        if (root && platform::FindOnPath("setpriv").empty()) {
            skip_ = "sway refuses to run as root, and setpriv is missing to run it as another user";
            return;
        }
        char pattern[] = "/tmp/vistrel-sway-XXXXXX";
        if (!::mkdtemp(pattern)) {
            skip_ = "no temporary folder";
            return;
        }
        base_ = pattern;
        ::chmod(base_.c_str(), 0755);
        const fs::path runtime = base_ / "run";
        fs::create_directories(runtime);
        fs::create_directories(base_ / "link");
        ::chmod(runtime.c_str(), 0700);
        ::chmod((base_ / "link").c_str(), 0755);
        if (root && ::chown(runtime.c_str(), kUser, kUser) != 0) {
            skip_ = "the runtime folder cannot be given to uid 65534";
            return;
        }
        test::WriteFile(base_ / "config", "output HEADLESS-1 mode 320x240\nxwayland disable\n");
        ::chmod((base_ / "config").c_str(), 0644);

        std::vector<std::string> command;
        if (root)
            command = {"setpriv", "--reuid=65534", "--regid=65534", "--clear-groups"};
        for (std::string a : {"env", "-i", "PATH=/usr/bin:/bin", "WLR_BACKENDS=headless", "WLR_LIBINPUT_NO_DEVICES=1",
                              "WLR_RENDERER=pixman"})
            command.push_back(a);
        command.push_back("XDG_RUNTIME_DIR=" + runtime.string());
        command.push_back("HOME=" + base_.string());
        command.push_back("sway");
        command.push_back("-c");
        command.push_back((base_ / "config").string());
        const std::string program = platform::FindOnPath(command[0]);
        pid_ = ::fork();
        if (pid_ == 0) {
            int log = ::open((base_ / "sway.log").c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
            ::dup2(log, 1);
            ::dup2(log, 2);
            std::vector<char*> argv;
            for (std::string& a : command)
                argv.push_back(a.data());
            argv.push_back(nullptr);
            ::execv(program.c_str(), argv.data());
            ::_exit(127);
        }
        for (int i = 0; i < 100 && socket_.empty(); ++i) {
            std::this_thread::sleep_for(100ms);
            std::error_code ec;
            for (const auto& entry : fs::directory_iterator(runtime, ec))
                if (entry.path().filename().string().rfind("sway-ipc.", 0) == 0)
                    socket_ = entry.path().string();
        }
        if (socket_.empty())
            skip_ = "headless sway did not start: " + test::ReadFile(base_ / "sway.log").substr(0, 400);
        wayland_ = runtime / "wayland-1";
    }

    static void TearDownTestSuite()
    {
        if (pid_ > 0) {
            ::kill(pid_, SIGTERM);
            ::waitpid(pid_, nullptr, 0);
        }
        std::error_code ec;
        if (!base_.empty())
            fs::remove_all(base_, ec);
    }

    void SetUp() override
    {
        if (!skip_.empty())
            GTEST_SKIP() << "sway test skipped: " << skip_;
    }

    // The output's middle pixel as grim sees it, 0x00RRGGBB.
    static std::optional<std::uint32_t> MiddlePixel()
    {
        std::string ppm;
        std::string errors;
        if (platform::RunProgram("env", {"WAYLAND_DISPLAY=" + wayland_.string(), "grim", "-t", "ppm", "-"}, &ppm,
                                 &errors) != 0)
            return std::nullopt;
        // "P6\n320 240\n255\n" then the pixels.
        std::size_t at = 0;
        for (int field = 0; field < 4 && at != std::string::npos; ++field)
            at = ppm.find_first_of(" \n", ppm.find_first_not_of(" \n", at));
        if (at == std::string::npos || ppm.size() < at + 1 + 320 * 240 * 3)
            return std::nullopt;
        const std::size_t pixel = at + 1 + (120 * 320 + 160) * 3;
        auto byte = [&](std::size_t i) { return static_cast<std::uint32_t>(static_cast<unsigned char>(ppm[i])); };
        return byte(pixel) << 16 | byte(pixel + 1) << 8 | byte(pixel + 2);
    }

    static bool Shows(std::uint32_t colour)
    {
        for (int i = 0; i < 50; ++i) {
            if (MiddlePixel() == colour)
                return true;
            std::this_thread::sleep_for(100ms);
        }
        return false;
    }

    static fs::path base_, wayland_;
    static std::string socket_, skip_;
    static pid_t pid_;
};

fs::path SwayTest::base_, SwayTest::wayland_;
std::string SwayTest::socket_, SwayTest::skip_;
pid_t SwayTest::pid_ = -1;

TEST_F(SwayTest, NamesSwaysCommandReaderWouldChangeStillShow)
{
    test::ScopedEnvironment sock("SWAYSOCK", socket_);
    test::ScopedEnvironment runtime("XDG_RUNTIME_DIR", (base_ / "link").string());
    const std::pair<const char*, std::uint32_t> cases[] = {
        {"plain", 0xD02020}, {"o'brien", 0x20B040}, {"d$HOME x", 0x2040D0}, {"two  blanks", 0xC0A000}};
    for (const auto& [folder, colour] : cases) {
        const fs::path file = base_ / "pictures" / folder / "VistrelImage.bmp";
        fs::create_directories(file.parent_path());
        ::chmod(file.parent_path().c_str(), 0755);
        ::chmod(file.parent_path().parent_path().c_str(), 0755);
        const std::uint32_t c = colour;
        test::WriteFile(file, test::MakeBitmap24(320, 240, [c](int, int) { return c; }));
        ::chmod(file.c_str(), 0644);
        std::unique_ptr<WallpaperInstaller> installer = CreateInstaller(Backend::Sway);
        installer->SetStyle(Style::Center);
        installer->SetFile(file.string());
        std::string error;
        ::testing::internal::CaptureStdout();
        EXPECT_TRUE(installer->Apply(error)) << folder << ": " << error;
        EXPECT_EQ(::testing::internal::GetCapturedStdout(), "") << "sway's reply stays ours";
        EXPECT_TRUE(Shows(colour)) << folder << ": the output does not show the picture";
    }
}

TEST_F(SwayTest, WhatSwayRefusesIsAFailureWithItsReason)
{
    // A socket that is not sway's: swaymsg cannot reach it.
    test::ScopedEnvironment sock("SWAYSOCK", (base_ / "no-such.sock").string());
    const fs::path file = base_ / "VistrelImage.bmp";
    test::WriteFile(file, test::MakeBitmap24(4, 4, test::Pattern));
    std::unique_ptr<WallpaperInstaller> installer = CreateInstaller(Backend::Sway);
    installer->SetFile(file.string());
    std::string error;
    EXPECT_FALSE(installer->Apply(error));
    EXPECT_NE(error.find("swaymsg"), std::string::npos) << error;
}

} // namespace
} // namespace vistrel::wallpaper
