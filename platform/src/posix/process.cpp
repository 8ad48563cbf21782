// SPDX-License-Identifier: GPL-3.0-or-later
#include "vistrel/platform/process.h"

#include "vistrel/platform/paths.h"

#include <algorithm>
#include <cerrno>
#include <csignal>
#include <fcntl.h>
#include <poll.h>
#include <spawn.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

extern char** environ;

namespace vistrel::platform {

namespace {

std::vector<char*> ArgumentVector(const std::string& program, const std::vector<std::string>& arguments)
{
    std::vector<char*> argv;
    argv.push_back(const_cast<char*>(program.c_str()));
    for (const std::string& a : arguments)
        argv.push_back(const_cast<char*>(a.c_str()));
    argv.push_back(nullptr);
    return argv;
}

} // namespace

std::string FindOnPath(const std::string& program)
{
    if (program.find('/') != std::string::npos)
        return ::access(program.c_str(), X_OK) == 0 ? program : std::string();
    std::string path = Environment("PATH");
    std::size_t start = 0;
    while (start <= path.size()) {
        std::size_t end = path.find(':', start);
        if (end == std::string::npos)
            end = path.size();
        std::string folder = path.substr(start, end - start);
        if (folder.empty())
            folder.push_back('.');
        // Built by appending: GCC 12 warns wrongly about overlap in a + "/" + b.
        std::string candidate = folder;
        candidate += '/';
        candidate += program;
        struct stat info {};
        if (::stat(candidate.c_str(), &info) == 0 && S_ISREG(info.st_mode) && ::access(candidate.c_str(), X_OK) == 0)
            return candidate;
        start = end + 1;
    }
    return {};
}

bool StartProgram(const std::string& program, const std::vector<std::string>& arguments)
{
    // The started program is detached through an intermediate child, so it
    // never becomes our zombie however long we run. A close-on-exec pipe tells
    // whether the final exec worked. Only async-signal-safe calls after fork.
    std::vector<char*> argv = ArgumentVector(program, arguments);
    int report[2];
    if (::pipe2(report, O_CLOEXEC) != 0)
        return false;
    pid_t child = ::fork();
    if (child < 0) {
        ::close(report[0]);
        ::close(report[1]);
        return false;
    }
    if (child == 0) {
        ::setsid();
        pid_t grandchild = ::fork();
        if (grandchild == 0) {
            sigset_t none;
            sigemptyset(&none);
            ::sigprocmask(SIG_SETMASK, &none, nullptr);
            ::execve(program.c_str(), argv.data(), environ);
            int error = errno;
            [[maybe_unused]] ssize_t n = ::write(report[1], &error, sizeof error);
            ::_exit(127);
        }
        ::_exit(grandchild < 0 ? 1 : 0);
    }
    ::close(report[1]);
    int status = 0;
    while (::waitpid(child, &status, 0) < 0 && errno == EINTR) {
    }
    int error = 0;
    ssize_t n;
    do {
        n = ::read(report[0], &error, sizeof error);
    } while (n < 0 && errno == EINTR);
    ::close(report[0]);
    return WIFEXITED(status) && WEXITSTATUS(status) == 0 && n == 0;
}

namespace {

// Reads both pipes (either may be -1) until the program closes them, so that
// neither fills up while the other is read.
void Drain(int outFd, std::string* output, int errFd, std::string* errors)
{
    // Both are read to their end, so that the program never waits on a full
    // pipe, but only so much is kept of a program that talks without end.
    constexpr std::size_t kErrorLimit = 64 * 1024;
    constexpr std::size_t kOutputLimit = 16 * 1024 * 1024;
    pollfd fds[2] = {{outFd, POLLIN, 0}, {errFd, POLLIN, 0}};
    std::string* sinks[2] = {output, errors};
    char buffer[4096];
    while (fds[0].fd >= 0 || fds[1].fd >= 0) {
        if (::poll(fds, 2, -1) < 0) {
            if (errno == EINTR)
                continue;
            break;
        }
        for (int i = 0; i < 2; ++i) {
            if (fds[i].fd < 0 || fds[i].revents == 0)
                continue;
            ssize_t n = ::read(fds[i].fd, buffer, sizeof buffer);
            if (n < 0 && errno == EINTR)
                continue;
            if (n <= 0) {
                fds[i].fd = -1; // poll ignores negative descriptors
                continue;
            }
            std::string& sink = *sinks[i];
            const std::size_t limit = i == 1 ? kErrorLimit : kOutputLimit;
            const std::size_t keep = std::min(static_cast<std::size_t>(n), limit - std::min(limit, sink.size()));
            sink.append(buffer, keep);
        }
    }
}

} // namespace

int RunProgram(const std::string& program, const std::vector<std::string>& arguments, std::string* output,
               std::string* errors)
{
    std::string file = FindOnPath(program);
    if (file.empty())
        return -1;
    std::vector<char*> argv = ArgumentVector(program, arguments);
    int outPipe[2] = {-1, -1}, errPipe[2] = {-1, -1};
    auto closeAll = [&] {
        for (int fd : {outPipe[0], outPipe[1], errPipe[0], errPipe[1]})
            if (fd >= 0)
                ::close(fd);
    };
    if ((output && ::pipe2(outPipe, O_CLOEXEC) != 0) || (errors && ::pipe2(errPipe, O_CLOEXEC) != 0)) {
        closeAll();
        return -1;
    }
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    if (output)
        posix_spawn_file_actions_adddup2(&actions, outPipe[1], STDOUT_FILENO);
    if (errors)
        posix_spawn_file_actions_adddup2(&actions, errPipe[1], STDERR_FILENO);
    posix_spawn_file_actions_addopen(&actions, STDIN_FILENO, "/dev/null", O_RDONLY, 0);
    pid_t pid = 0;
    int rc = ::posix_spawn(&pid, file.c_str(), &actions, nullptr, argv.data(), environ);
    posix_spawn_file_actions_destroy(&actions);
    for (int* end : {&outPipe[1], &errPipe[1]})
        if (*end >= 0) {
            ::close(*end);
            *end = -1;
        }
    if (rc != 0) {
        closeAll();
        return -1;
    }
    Drain(outPipe[0], output, errPipe[0], errors);
    closeAll();
    int status = 0;
    while (::waitpid(pid, &status, 0) < 0) {
        if (errno != EINTR)
            return -1;
    }
    return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
}

} // namespace vistrel::platform
