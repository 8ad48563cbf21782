// SPDX-License-Identifier: GPL-3.0-or-later
// A real X desktop for the scheduler's end-to-end tests: Xvfb, the trayer
// XEmbed tray, a private home with its own settings, and helpers that look
// at the screen the way a user would (the root window's pixels, the docked
// tray icon) and drive it with xdotool.
#pragma once

#include "test_support.h"

#include <chrono>
#include <cstdint>
#include <functional>
#include <optional>
#include <string>
#include <sys/types.h>
#include <vector>

namespace vistrel::scheduler::test {

// A started program; ended (SIGTERM, then SIGKILL) when destroyed.
class Child {
public:
    Child() = default;
    Child(const std::string& program, const std::vector<std::string>& arguments);
    ~Child();
    Child(Child&& other) noexcept : pid_(other.pid_) { other.pid_ = -1; }
    Child& operator=(Child&&) = delete;

    bool Running();
    // The exit status once it ended within `timeout`, else nullopt.
    std::optional<int> WaitFor(std::chrono::milliseconds timeout);
    pid_t Pid() const { return pid_; }

private:
    pid_t pid_ = -1;
    std::optional<int> status_;
};

// Waits until `condition` holds or `timeout` passes; whether it held.
bool Eventually(const std::function<bool()>& condition, std::chrono::milliseconds timeout);

class DesktopSession {
public:
    // Empty when everything is there; otherwise why the test must skip.
    static std::string MissingPieces();

    explicit DesktopSession(int width = 640, int height = 480);
    ~DesktopSession();

    bool Ready() const { return ready_; }
    const std::string& Home() const { return home_; }
    std::string File(const std::string& name) const { return root_.File(name); }

    // 0xRRGGBB of a root-window pixel.
    std::optional<std::uint32_t> RootPixel(int x, int y);
    // 0xRRGGBB of a rectangle of the root window, row by row from the top;
    // empty when it cannot be read. Cheap enough to poll: no other program,
    // no file.
    std::vector<std::uint32_t> RootPixels(int x, int y, int width, int height);
    // The scheduler's icon docked in the tray: its centre on the screen.
    std::optional<std::pair<int, int>> DockedTrayIcon();
    int ScreenWidth() const { return width_; }
    int ScreenHeight() const { return height_; }

    // Runs xdotool with the arguments; true on success.
    bool XDoTool(const std::vector<std::string>& arguments);

private:
    vistrel::test::TempDir root_;
    std::string home_;
    std::string display_;
    std::optional<Child> xvfb_;
    std::optional<Child> tray_;
    void* connection_ = nullptr;
    bool ready_ = false;
    int width_ = 640;
    int height_ = 480;
};

} // namespace vistrel::scheduler::test
