// SPDX-License-Identifier: GPL-3.0-or-later
#include "vistrel/platform/folder_listing.h"

#include <dirent.h>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace vistrel::platform {

namespace {

bool IsDotOrDotDot(const char* name)
{
    return name[0] == '.' && (name[1] == '\0' || (name[1] == '.' && name[2] == '\0'));
}

} // namespace

bool FolderListing::Read(const std::string& folder)
{
    entries_.clear();
    names_.clear();
    int fd = ::open(folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (fd < 0)
        return false;
    DIR* dir = ::fdopendir(fd);
    if (!dir) {
        ::close(fd);
        return false;
    }
    const bool trust = trustEntryTypes_.load(std::memory_order_relaxed);
    // Without search permission no entry can be examined, and a listing must
    // not offer what it could not have examined.
    if (::faccessat(fd, ".", X_OK, AT_EACCESS) != 0) {
        ::closedir(dir);
        return true;
    }
    while (const dirent* entry = ::readdir(dir)) {
        const char* name = entry->d_name;
        if (IsDotOrDotDot(name))
            continue;
        unsigned char type = trust ? entry->d_type : static_cast<unsigned char>(DT_UNKNOWN);
        struct stat info {};
        if (type == DT_UNKNOWN) {
            if (::fstatat(fd, name, &info, AT_SYMLINK_NOFOLLOW) != 0)
                continue;
            if (S_ISLNK(info.st_mode))
                type = DT_LNK;
            else
                type = S_ISDIR(info.st_mode) ? DT_DIR : S_ISREG(info.st_mode) ? DT_REG : DT_FIFO;
        }
        // FIFOs, sockets and devices are neither pictures nor folders: a walk
        // or the folder tree that offered one would hand it to a reader.
        if (type != DT_REG && type != DT_DIR && type != DT_LNK)
            continue;
        bool isLink = type == DT_LNK;
        bool isFolder = type == DT_DIR;
        if (isLink) {
            if (::fstatat(fd, name, &info, 0) != 0)
                continue; // leads nowhere
            if (!S_ISDIR(info.st_mode) && !S_ISREG(info.st_mode))
                continue; // a link to a device or a FIFO
            isFolder = S_ISDIR(info.st_mode);
        }
        Add(name, isFolder, name[0] == '.', isLink);
    }
    ::closedir(dir);
    // The system gives no order; users expect the sorted order Windows shows.
    SortByName();
    return true;
}

} // namespace vistrel::platform
