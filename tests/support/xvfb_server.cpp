// SPDX-License-Identifier: GPL-3.0-or-later
#include "xvfb_server.h"

#include "vistrel/platform/process.h"

#include <csignal>
#include <fcntl.h>
#include <poll.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>
#include <vector>

extern char** environ;

namespace vistrel::test {

bool XvfbServer::Start(int width, int height)
{
    Stop();
    std::string xvfb = platform::FindOnPath("Xvfb");
    int pipeFds[2];
    if (xvfb.empty() || ::pipe(pipeFds) != 0)
        return false;
    // -displayfd: Xvfb takes the first free display number and writes it to
    // the pipe once it accepts connections. -noreset: without it the server
    // resets when its last client leaves, freeing the retained root pixmap
    // the tests look at.
    std::vector<std::string> args{
        "Xvfb",     "-displayfd", std::to_string(pipeFds[1]),
        "-noreset", "-nolisten",  "tcp",
        "-screen",  "0",          std::to_string(width) + "x" + std::to_string(height) + "x24"};
    std::vector<char*> argv;
    for (std::string& a : args)
        argv.push_back(a.data());
    argv.push_back(nullptr);
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_addclose(&actions, pipeFds[0]);
    posix_spawn_file_actions_addopen(&actions, STDERR_FILENO, "/dev/null", O_WRONLY, 0);
    int rc = ::posix_spawn(&server_, xvfb.c_str(), &actions, nullptr, argv.data(), environ);
    posix_spawn_file_actions_destroy(&actions);
    ::close(pipeFds[1]);
    if (rc != 0) {
        ::close(pipeFds[0]);
        server_ = 0;
        return false;
    }
    std::string number;
    pollfd wait{pipeFds[0], POLLIN, 0};
    char c;
    while (::poll(&wait, 1, 20000) > 0 && ::read(pipeFds[0], &c, 1) == 1 && c != '\n')
        number += c;
    ::close(pipeFds[0]);
    if (number.empty()) {
        Stop();
        return false;
    }
    display_ = ":" + number;
    return true;
}

void XvfbServer::Stop()
{
    if (server_ > 0) {
        ::kill(server_, SIGTERM);
        int status;
        ::waitpid(server_, &status, 0);
    }
    server_ = 0;
    display_.clear();
}

} // namespace vistrel::test
