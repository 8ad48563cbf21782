// SPDX-License-Identifier: GPL-3.0-or-later
// The real scheduler where no notification area is: no session bus, no
// tray on the display (Qt's offscreen platform). It says so once on its
// error output and goes on running.
#include "test_support.h"

#include "vistrel/platform/process.h"

#include <gtest/gtest.h>

#include <filesystem>

TEST(SchedulerWithoutATray, SaysSoOnceAndKeepsRunning)
{
    vistrel::test::TempDir home;
    for (const char* folder : {"config", "data", "run"})
        std::filesystem::create_directories(home.Path() / folder);
    std::filesystem::permissions(home.Path() / "run", std::filesystem::perms::owner_all);
    const std::string program = (vistrel::test::BinDir() / "Vistrel_Scheduler").string();
    std::string output, errors;
    // `timeout` ends it after 3 s: exit status 124 means it was still running.
    const int status = vistrel::platform::RunProgram(
        "env",
        {"-u", "DBUS_SESSION_BUS_ADDRESS", "-u", "DISPLAY", "-u", "WAYLAND_DISPLAY", "QT_QPA_PLATFORM=offscreen",
         "XDG_CONFIG_HOME=" + home.File("config"), "XDG_DATA_HOME=" + home.File("data"),
         "XDG_RUNTIME_DIR=" + home.File("run"), "timeout", "3", program},
        &output, &errors);
    EXPECT_EQ(status, 124) << errors;
    const std::string line =
        "Vistrel_Scheduler: no notification area was found; the scheduler keeps changing wallpapers without an icon.\n";
    const std::size_t first = errors.find(line);
    EXPECT_NE(first, std::string::npos) << errors;
    EXPECT_EQ(errors.find(line, first + 1), std::string::npos) << "said once";
}
