// SPDX-License-Identifier: GPL-3.0-or-later
// A real sway for tests: headless, with the outputs a test makes, run as an
// unprivileged user (sway refuses to run as root; as root it runs as uid
// 65534 through setpriv, and so do the programs the test starts in it).
#pragma once

#include "vistrel/platform/process.h"

#include <chrono>
#include <csignal>
#include <cstdint>
#include <fcntl.h>
#include <filesystem>
#include <fstream>
#include <optional>
#include <sstream>
#include <string>
#include <sys/stat.h>
#include <sys/wait.h>
#include <thread>
#include <unistd.h>
#include <vector>

namespace vistrel::test {

class HeadlessSway {
public:
    static constexpr unsigned kUser = 65534; // nobody

    // Starts sway with one output of `width` x `height`; Skipped() says why
    // when it cannot.
    HeadlessSway(int width, int height)
    {
        namespace fs = std::filesystem;
        for (const char* tool : {"sway", "swaymsg", "swaybg", "grim"})
            if (platform::FindOnPath(tool).empty()) {
                skip_ = std::string(tool) + " is not installed (Debian: sway, swaybg, grim)";
                return;
            }
        root_ = ::geteuid() == 0;
        if (root_ && platform::FindOnPath("setpriv").empty()) {
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
        for (const char* folder : {"run", "home", "home/data", "home/config", "home/config/Vistrel"})
            MakeOwnFolder(base_ / folder);
        ::chmod(Runtime().c_str(), 0700);
        {
            std::ofstream config(base_ / "config");
            config << "output HEADLESS-1 mode " << width << "x" << height << "\nxwayland disable\n";
        }
        ::chmod((base_ / "config").c_str(), 0644);

        std::vector<std::string> command = Unprivileged();
        for (std::string a : {"env", "-i", "PATH=/usr/bin:/bin", "WLR_BACKENDS=headless", "WLR_LIBINPUT_NO_DEVICES=1",
                              "WLR_RENDERER=pixman"})
            command.push_back(a);
        command.push_back("XDG_RUNTIME_DIR=" + Runtime().string());
        command.push_back("HOME=" + Home().string());
        for (std::string a : {std::string("sway"), std::string("-c"), (base_ / "config").string()})
            command.push_back(a);
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
            std::this_thread::sleep_for(std::chrono::milliseconds(100));
            std::error_code ec;
            for (const auto& entry : fs::directory_iterator(Runtime(), ec))
                if (entry.path().filename().string().rfind("sway-ipc.", 0) == 0)
                    socket_ = entry.path().string();
        }
        if (socket_.empty()) {
            std::ifstream log(base_ / "sway.log");
            std::stringstream text;
            text << log.rdbuf();
            skip_ = "headless sway did not start: " + text.str().substr(0, 400);
        }
    }

    ~HeadlessSway()
    {
        if (pid_ > 0) {
            ::kill(pid_, SIGTERM);
            ::waitpid(pid_, nullptr, 0);
        }
        std::error_code ec;
        if (!base_.empty())
            std::filesystem::remove_all(base_, ec);
    }

    HeadlessSway(const HeadlessSway&) = delete;
    HeadlessSway& operator=(const HeadlessSway&) = delete;

    const std::string& Skipped() const { return skip_; }
    const std::string& Socket() const { return socket_; }
    std::filesystem::path Runtime() const { return base_ / "run"; }
    // A home of the unprivileged user, with data/ and config/Vistrel/.
    std::filesystem::path Home() const { return base_ / "home"; }

    // A folder the unprivileged user owns.
    void MakeOwnFolder(const std::filesystem::path& folder) const
    {
        std::filesystem::create_directories(folder);
        ::chmod(folder.c_str(), 0755);
        if (root_ && ::chown(folder.c_str(), kUser, kUser) != 0)
            return;
    }

    // Runs a program in the session as the unprivileged user, its home the
    // session's; the exit status, its output in `output`.
    int Run(const std::string& program, const std::vector<std::string>& arguments, std::string* output = nullptr,
            const std::vector<std::string>& environment = {}) const
    {
        std::vector<std::string> command = Unprivileged();
        for (std::string a :
             {std::string("env"), std::string("-i"), std::string("PATH=/usr/bin:/bin"), "SWAYSOCK=" + socket_,
              "XDG_RUNTIME_DIR=" + Runtime().string(), "HOME=" + Home().string(),
              "XDG_DATA_HOME=" + (Home() / "data").string(), "XDG_CONFIG_HOME=" + (Home() / "config").string(),
              std::string("WAYLAND_DISPLAY=wayland-1"), std::string("XDG_CURRENT_DESKTOP=sway")})
            command.push_back(a);
        command.insert(command.end(), environment.begin(), environment.end());
        command.push_back(program);
        command.insert(command.end(), arguments.begin(), arguments.end());
        std::string errors;
        std::string ignored;
        const std::string first = command.front();
        command.erase(command.begin());
        return platform::RunProgram(first, command, output ? output : &ignored, &errors);
    }

    bool Sway(const std::vector<std::string>& command) const
    {
        std::string reply;
        return Run("swaymsg", command, &reply) == 0 && reply.find("\"success\": false") == std::string::npos;
    }

    // What grim sees of the whole layout, as 0x00RRGGBB rows from the top;
    // nullopt when it cannot be read.
    struct Screenshot {
        int width = 0, height = 0;
        std::vector<std::uint32_t> pixels;
        std::uint32_t at(int x, int y) const { return pixels[static_cast<std::size_t>(y) * width + x]; }
    };
    std::optional<Screenshot> Grab() const
    {
        std::string ppm;
        if (Run("grim", {"-t", "ppm", "-"}, &ppm) != 0)
            return std::nullopt;
        std::istringstream header(ppm);
        std::string magic;
        int width = 0, height = 0, depth = 0;
        header >> magic >> width >> height >> depth;
        const std::size_t at = static_cast<std::size_t>(header.tellg()) + 1;
        if (magic != "P6" || depth != 255 || ppm.size() < at + static_cast<std::size_t>(width) * height * 3)
            return std::nullopt;
        Screenshot shot{width, height, {}};
        for (std::size_t i = 0; i < static_cast<std::size_t>(width) * height; ++i) {
            auto byte = [&](std::size_t k) { return static_cast<std::uint32_t>(static_cast<unsigned char>(ppm[k])); };
            shot.pixels.push_back(byte(at + 3 * i) << 16 | byte(at + 3 * i + 1) << 8 | byte(at + 3 * i + 2));
        }
        return shot;
    }

private:
    std::vector<std::string> Unprivileged() const
    {
        if (!root_)
            return {};
        return {"setpriv", "--reuid=65534", "--regid=65534", "--clear-groups"};
    }

    std::filesystem::path base_;
    std::string socket_, skip_;
    pid_t pid_ = -1;
    bool root_ = false;
};

} // namespace vistrel::test
