// SPDX-License-Identifier: GPL-3.0-or-later
// A real X server for tests: Xvfb on a display number it picks itself.
#pragma once

#include <string>
#include <sys/types.h>

namespace vistrel::test {

class XvfbServer {
public:
    XvfbServer() = default;
    ~XvfbServer() { Stop(); }
    XvfbServer(const XvfbServer&) = delete;
    XvfbServer& operator=(const XvfbServer&) = delete;

    // Starts Xvfb with one screen of the given size at 24 bits; false (and no
    // server) when Xvfb is not installed or did not come up.
    bool Start(int width, int height);
    void Stop();
    // ":N", empty while no server runs.
    const std::string& Display() const { return display_; }

private:
    pid_t server_ = 0;
    std::string display_;
};

} // namespace vistrel::test
