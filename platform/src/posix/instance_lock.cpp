// SPDX-License-Identifier: GPL-3.0-or-later
#include "vistrel/platform/instance_lock.h"

#include "vistrel/platform/files.h"
#include "vistrel/platform/paths.h"

#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <sys/file.h>
#include <sys/socket.h>
#include <sys/un.h>
#include <unistd.h>

namespace vistrel::platform {

struct InstanceLock::State {
    int lockFd = -1;
    int listenFd = -1;
    std::string lockPath;
    std::string socketPath;
};

namespace {

// File names for a guard name: letters and digits stay, the rest become '_'
// (so "Vistrel Class" and " Class" stay distinct).
std::string FileStem(const std::string& name)
{
    std::string stem = "vistrel-";
    for (char c : name)
        stem += (std::isalnum(static_cast<unsigned char>(c)) || c == '-' || c == '.') ? c : '_';
    return stem;
}

bool FillAddress(const std::string& path, sockaddr_un& address)
{
    std::memset(&address, 0, sizeof address);
    address.sun_family = AF_UNIX;
    if (path.size() >= sizeof address.sun_path)
        return false;
    std::memcpy(address.sun_path, path.c_str(), path.size() + 1);
    return true;
}

// What a request starts with, and how much text may follow it.
constexpr std::string_view kRaise = "raise\n";
constexpr std::size_t kLongestMessage = 64 * 1024;

} // namespace

InstanceLock::InstanceLock(std::string name) : name_(std::move(name)), state_(std::make_unique<State>())
{
    std::string folder = RuntimeFolder();
    MakeFolders(folder);
    state_->lockPath = folder + FileStem(name_) + ".lock";
    state_->socketPath = folder + FileStem(name_) + ".sock";
}

InstanceLock::~InstanceLock()
{
    if (state_->listenFd >= 0) {
        ::close(state_->listenFd);
        ::unlink(state_->socketPath.c_str());
    }
    if (state_->lockFd >= 0)
        ::close(state_->lockFd); // releases the lock; the file stays for the next copy
}

bool InstanceLock::Acquire()
{
    if (state_->lockFd >= 0)
        return true;
    int fd = ::open(state_->lockPath.c_str(), O_RDWR | O_CREAT | O_CLOEXEC, 0600);
    if (fd < 0)
        return false;
    if (::flock(fd, LOCK_EX | LOCK_NB) != 0) {
        ::close(fd);
        return false;
    }
    state_->lockFd = fd;
    return true;
}

bool InstanceLock::Held() const { return state_->lockFd >= 0; }

bool InstanceLock::Listen()
{
    if (state_->lockFd < 0 || state_->listenFd >= 0)
        return state_->listenFd >= 0;
    sockaddr_un address{};
    if (!FillAddress(state_->socketPath, address))
        return false;
    int fd = ::socket(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC | SOCK_NONBLOCK, 0);
    if (fd < 0)
        return false;
    // We hold the lock, so a socket file left behind is a dead copy's.
    ::unlink(state_->socketPath.c_str());
    if (::bind(fd, reinterpret_cast<sockaddr*>(&address), sizeof address) != 0 || ::listen(fd, 4) != 0) {
        ::close(fd);
        return false;
    }
    state_->listenFd = fd;
    return true;
}

bool InstanceLock::AskHolderToRaise() const { return AskHolderToRaise({}); }

bool InstanceLock::AskHolderToRaise(std::string_view message) const
{
    if (message.size() > kLongestMessage)
        return false;
    sockaddr_un address{};
    if (!FillAddress(state_->socketPath, address))
        return false;
    int fd = ::socket(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC, 0);
    if (fd < 0)
        return false;
    std::string request = std::string(kRaise) + std::string(message);
    bool ok = ::connect(fd, reinterpret_cast<sockaddr*>(&address), sizeof address) == 0;
    for (std::size_t sent = 0; ok && sent < request.size();) {
        ssize_t n = ::send(fd, request.data() + sent, request.size() - sent, MSG_NOSIGNAL);
        ok = n > 0;
        sent += ok ? static_cast<std::size_t>(n) : 0;
    }
    ::close(fd);
    return ok;
}

int InstanceLock::RaiseRequestDescriptor() const { return state_->listenFd; }

bool InstanceLock::TakeRaiseRequest()
{
    std::vector<std::string> ignored;
    return TakeRaiseRequest(ignored);
}

bool InstanceLock::TakeRaiseRequest(std::vector<std::string>& messages)
{
    if (state_->listenFd < 0)
        return false;
    bool asked = false;
    for (;;) {
        int client = ::accept4(state_->listenFd, nullptr, nullptr, SOCK_CLOEXEC);
        if (client < 0)
            break;
        // The asking copy writes everything, then closes; a short wait is
        // enough, and a copy that never finishes is not waited for long.
        timeval timeout{0, 200000};
        ::setsockopt(client, SOL_SOCKET, SO_RCVTIMEO, &timeout, sizeof timeout);
        std::string request;
        char buffer[4096];
        for (;;) {
            ssize_t n = ::recv(client, buffer, sizeof buffer, 0);
            if (n <= 0)
                break;
            request.append(buffer, static_cast<std::size_t>(n));
            if (request.size() > kRaise.size() + kLongestMessage)
                break;
        }
        ::close(client);
        if (request.size() >= 5 && request.compare(0, 5, "raise") == 0 &&
            request.size() <= kRaise.size() + kLongestMessage) {
            asked = true;
            messages.push_back(request.size() > kRaise.size() ? request.substr(kRaise.size()) : std::string());
        }
    }
    return asked;
}

} // namespace vistrel::platform
