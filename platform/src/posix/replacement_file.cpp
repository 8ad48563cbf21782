// SPDX-License-Identifier: GPL-3.0-or-later
#include "replacement_file.h"

#include <cerrno>
#include <cstring>
#include <dirent.h>
#include <fcntl.h>
#include <random>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

namespace vistrel::platform::detail {

namespace {

constexpr char kNameLetters[] = "ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789";
constexpr std::size_t kRandomLetters = 6;

std::string ErrnoText(int error) { return std::strerror(error); }

std::string RandomTemporaryName(const std::string& folder, const std::string& name)
{
    static thread_local std::mt19937_64 generator{std::random_device{}()};
    std::uniform_int_distribution<std::size_t> pick(0, sizeof kNameLetters - 2);
    std::string temporary = folder + "/." + name + ".";
    for (std::size_t i = 0; i < kRandomLetters; ++i)
        temporary += kNameLetters[pick(generator)];
    return temporary;
}

// The permissions a replacement gets: the old file's, or for a new file the
// usual 0666 less the umask.
mode_t ModeFor(const std::string& target)
{
    struct stat old {};
    if (::stat(target.c_str(), &old) == 0)
        return old.st_mode & 07777;
    mode_t mask = ::umask(0);
    ::umask(mask);
    return 0666 & ~mask;
}

} // namespace

ReplacementFile::~ReplacementFile()
{
    if (fd_ >= 0)
        ::close(fd_);
    if (!temporary_.empty())
        ::unlink(temporary_.c_str());
}

bool ReplacementFile::Create(const std::string& folder, const std::string& name, std::string& error)
{
    folder_ = folder;
    name_ = name;
#ifdef O_TMPFILE
    fd_ = ::open(folder.c_str(), O_TMPFILE | O_WRONLY | O_CLOEXEC, 0600);
    if (fd_ >= 0) {
        // Nobody else can see a file without a name, so the lock taken here
        // is only for the moment it gets one.
        if (::flock(fd_, LOCK_EX) == 0)
            return true;
        ::close(fd_);
        fd_ = -1;
    }
#endif
    // A named file from the start. A later save removes it only when it is
    // unlocked; between its creation and the lock, such a save may take it
    // for a dead writer's and remove it, which the link count shows: then a
    // new one is made.
    for (int attempt = 0; attempt < 100; ++attempt) {
        std::string temporary = folder + "/." + name + ".XXXXXX";
        int fd = ::mkostemp(temporary.data(), O_CLOEXEC);
        if (fd < 0) {
            error = "cannot create a file in " + folder + ": " + ErrnoText(errno);
            return false;
        }
        struct stat info {};
        if (::flock(fd, LOCK_EX) == 0 && ::fstat(fd, &info) == 0 && info.st_nlink > 0) {
            fd_ = fd;
            temporary_ = temporary;
            return true;
        }
        ::close(fd);
        ::unlink(temporary.c_str());
    }
    error = "cannot create a file in " + folder + " that stays";
    return false;
}

bool ReplacementFile::LinkIn(std::string& error)
{
    if (!temporary_.empty())
        return true;
    const std::string self = "/proc/self/fd/" + std::to_string(fd_);
    for (int attempt = 0; attempt < 100; ++attempt) {
        std::string temporary = RandomTemporaryName(folder_, name_);
        // Through /proc any user may link an unnamed file in; AT_EMPTY_PATH
        // needs a privilege, but also works without /proc.
        if (::linkat(AT_FDCWD, self.c_str(), AT_FDCWD, temporary.c_str(), AT_SYMLINK_FOLLOW) == 0 ||
            ::linkat(fd_, "", AT_FDCWD, temporary.c_str(), AT_EMPTY_PATH) == 0) {
            temporary_ = temporary;
            return true;
        }
        if (errno != EEXIST)
            break;
    }
    error = "cannot name a new file in " + folder_ + ": " + ErrnoText(errno);
    return false;
}

bool ReplacementFile::MoveOver(const std::string& target, std::string& error)
{
    if (::fchmod(fd_, ModeFor(target)) != 0) {
        error = "cannot set the permissions of a new file in " + folder_ + ": " + ErrnoText(errno);
        return false;
    }
    if (!LinkIn(error))
        return false;
    if (::rename(temporary_.c_str(), target.c_str()) != 0) {
        error = ErrnoText(errno);
        return false; // the destructor removes the temporary name
    }
    temporary_.clear();
    ::close(fd_); // lets the lock go
    fd_ = -1;
    return true;
}

bool IsReplacementName(const std::string& entry, const std::string& name)
{
    const std::string prefix = "." + name + ".";
    if (entry.size() != prefix.size() + kRandomLetters || entry.compare(0, prefix.size(), prefix) != 0)
        return false;
    for (std::size_t i = prefix.size(); i < entry.size(); ++i)
        if (!std::strchr(kNameLetters, entry[i]) || entry[i] == '\0')
            return false;
    return true;
}

void RemoveStaleReplacements(const std::string& folder, const std::string& name)
{
    DIR* dir = ::opendir(folder.c_str());
    if (!dir)
        return;
    while (dirent* entry = ::readdir(dir)) {
        if (!IsReplacementName(entry->d_name, name))
            continue;
        const std::string path = folder + "/" + entry->d_name;
        int fd = ::open(path.c_str(), O_RDONLY | O_NOFOLLOW | O_NONBLOCK | O_CLOEXEC);
        if (fd < 0)
            continue;
        struct stat info {};
        struct stat named {};
        // Only a regular file of ours that nobody holds locked, and still
        // the file of that name when it is removed.
        if (::fstat(fd, &info) == 0 && S_ISREG(info.st_mode) && info.st_uid == ::geteuid() &&
            ::flock(fd, LOCK_EX | LOCK_NB) == 0 && ::lstat(path.c_str(), &named) == 0 && named.st_ino == info.st_ino &&
            named.st_dev == info.st_dev)
            ::unlink(path.c_str());
        ::close(fd);
    }
    ::closedir(dir);
}

} // namespace vistrel::platform::detail
