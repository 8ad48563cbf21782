// SPDX-License-Identifier: GPL-3.0-or-later
#include "vistrel/platform/input_file.h"

#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace vistrel::platform {

namespace {

std::string WhyNotRegular(mode_t mode)
{
    if (S_ISDIR(mode))
        return "it is a folder";
    if (S_ISFIFO(mode))
        return "it is a FIFO, not a file";
    if (S_ISCHR(mode) || S_ISBLK(mode))
        return "it is a device, not a file";
    if (S_ISSOCK(mode))
        return "it is a socket, not a file";
    return "it is not a regular file";
}

} // namespace

bool InputFile::Open(const std::string& utf8Path, std::string& why, bool allowEmpty)
{
    Close();
    // O_NONBLOCK: opening a FIFO without a writer would wait for one forever.
    // It has no effect on the reads of a regular file, which is all that is
    // kept open.
    int fd;
    do {
        fd = ::open(utf8Path.c_str(), O_RDONLY | O_NONBLOCK | O_CLOEXEC | O_NOCTTY);
    } while (fd < 0 && errno == EINTR);
    if (fd < 0) {
        if (errno == ENOENT || errno == ENOTDIR)
            why = "there is no such file";
        else if (errno == ENXIO)
            why = "it is a socket or a device that is not there, not a file";
        else
            why = std::string("it cannot be opened: ") + std::strerror(errno);
        return false;
    }
    struct stat info {};
    if (::fstat(fd, &info) != 0) {
        why = std::string("it cannot be examined: ") + std::strerror(errno);
        ::close(fd);
        return false;
    }
    if (!S_ISREG(info.st_mode)) {
        why = WhyNotRegular(info.st_mode);
        ::close(fd);
        return false;
    }
    if (info.st_size == 0 && !allowEmpty) {
        why = "it is empty";
        ::close(fd);
        return false;
    }
    fd_ = fd;
    size_ = static_cast<std::uint64_t>(info.st_size);
    return true;
}

bool InputFile::IsOpen() const { return fd_ >= 0; }

std::size_t InputFile::ReadAt(std::uint64_t offset, void* into, std::size_t bytes) const
{
    std::size_t got = 0;
    auto* p = static_cast<char*>(into);
    while (fd_ >= 0 && got < bytes) {
        ssize_t n = ::pread(fd_, p + got, bytes - got, static_cast<off_t>(offset + got));
        if (n < 0 && errno == EINTR)
            continue;
        if (n <= 0)
            break;
        got += static_cast<std::size_t>(n);
    }
    return got;
}

void InputFile::Close()
{
    if (fd_ >= 0)
        ::close(fd_);
    fd_ = -1;
    size_ = 0;
}

std::string WhyUnreadable(const std::string& utf8Path, bool allowEmpty)
{
    InputFile file;
    std::string why;
    return file.Open(utf8Path, why, allowEmpty) ? std::string() : why;
}

std::string WhyNotAFile(const std::string& utf8Path)
{
    struct stat info {};
    if (::stat(utf8Path.c_str(), &info) != 0 || S_ISREG(info.st_mode))
        return {};
    return WhyNotRegular(info.st_mode);
}

} // namespace vistrel::platform
