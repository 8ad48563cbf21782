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

bool InstanceLock::AskHolderToRaise() const
{
    sockaddr_un address{};
    if (!FillAddress(state_->socketPath, address))
        return false;
    int fd = ::socket(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC, 0);
    if (fd < 0)
        return false;
    bool ok = ::connect(fd, reinterpret_cast<sockaddr*>(&address), sizeof address) == 0 &&
              ::send(fd, "raise\n", 6, MSG_NOSIGNAL) == 6;
    ::close(fd);
    return ok;
}

int InstanceLock::RaiseRequestDescriptor() const { return state_->listenFd; }

bool InstanceLock::TakeRaiseRequest()
{
    if (state_->listenFd < 0)
        return false;
    bool asked = false;
    for (;;) {
        int client = ::accept4(state_->listenFd, nullptr, nullptr, SOCK_CLOEXEC);
        if (client < 0)
            break;
        char buffer[16];
        // The asking copy writes before it closes; a short wait is enough.
        timeval timeout{0, 200000};
        ::setsockopt(client, SOL_SOCKET, SO_RCVTIMEO, &timeout, sizeof timeout);
        ssize_t n = ::recv(client, buffer, sizeof buffer, 0);
        if (n >= 5 && std::memcmp(buffer, "raise", 5) == 0)
            asked = true;
        ::close(client);
    }
    return asked;
}

} // namespace vistrel::platform
