// SPDX-License-Identifier: GPL-3.0-or-later
#include "vistrel/platform/files.h"

#include "replacement_file.h"

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <dirent.h>
#include <fcntl.h>
#include <filesystem>
#include <strings.h>
#include <sys/stat.h>
#include <unistd.h>

namespace vistrel::platform {

std::filesystem::path PathFromUtf8(const std::string& text) { return std::filesystem::path(text); }

bool IsAbsolutePath(const std::string& path) { return !path.empty() && path[0] == '/'; }

namespace {

bool EndsWithNoCase(std::string_view name, std::string_view ending)
{
    return name.size() >= ending.size() &&
           strncasecmp(name.data() + name.size() - ending.size(), ending.data(), ending.size()) == 0;
}

std::string ErrnoText(int error) { return std::strerror(error); }

} // namespace

namespace {

bool LessNoCase(const std::string& a, const std::string& b)
{
    int c = strcasecmp(a.c_str(), b.c_str());
    return c != 0 ? c < 0 : a < b;
}

} // namespace

std::vector<std::string> ListFiles(const std::string& folder, std::string_view ending)
{
    std::vector<std::string> names;
    DIR* dir = ::opendir(folder.c_str());
    if (!dir)
        return names;
    std::string base = folder;
    if (!base.empty() && base.back() != '/')
        base += '/';
    while (dirent* entry = ::readdir(dir)) {
        std::string_view name = entry->d_name;
        if (name == "." || name == ".." || !EndsWithNoCase(name, ending))
            continue;
        struct stat info {};
        if (::stat((base + entry->d_name).c_str(), &info) == 0 && S_ISREG(info.st_mode))
            names.emplace_back(name);
    }
    ::closedir(dir);
    // The system gives no order; users expect the sorted order Windows shows.
    std::sort(names.begin(), names.end(), LessNoCase);
    return names;
}

std::optional<std::int64_t> LastWriteTime(const std::string& path)
{
    struct stat info {};
    if (::stat(path.c_str(), &info) != 0)
        return std::nullopt;
    return std::int64_t{info.st_mtim.tv_sec} * 1000000000 + info.st_mtim.tv_nsec;
}

bool ReplaceFileAtomically(const std::string& path, std::string_view bytes, std::string& error, Durability durability)
{
    return ReplaceFileAtomically(path, {bytes}, error, durability);
}

bool ReplaceFileAtomically(const std::string& path, std::initializer_list<std::string_view> pieces, std::string& error,
                           Durability durability)
{
    std::string target = path;
    // Replace what a symbolic link points at, so the user's link survives.
    char resolved[PATH_MAX];
    if (ssize_t n = ::readlink(path.c_str(), resolved, sizeof resolved - 1); n > 0) {
        resolved[n] = '\0';
        std::filesystem::path link(resolved);
        target = link.is_absolute() ? link.string() : (std::filesystem::path(path).parent_path() / link).string();
    }
    std::string folder = std::filesystem::path(target).parent_path().string();
    if (folder.empty())
        folder = ".";
    std::string name = std::filesystem::path(target).filename().string();
    // What writers killed during earlier saves left behind goes first.
    detail::RemoveStaleReplacements(folder, name);
    detail::ReplacementFile file;
    if (!file.Create(folder, name, error))
        return false;
    const int fd = file.Descriptor();
    for (std::string_view bytes : pieces) {
        const char* p = bytes.data();
        std::size_t left = bytes.size();
        while (left > 0) {
            ssize_t written = ::write(fd, p, left);
            if (written < 0) {
                if (errno == EINTR)
                    continue;
                error = "cannot write " + path + ": " + ErrnoText(errno);
                return false;
            }
            p += written;
            left -= static_cast<std::size_t>(written);
        }
    }
    if (durability == Durability::kFlushed && ::fsync(fd) != 0) {
        error = "cannot write " + path + ": " + ErrnoText(errno);
        return false;
    }
    if (std::string why; !file.MoveOver(target, why)) {
        error = "cannot replace " + path + ": " + why;
        return false;
    }
    if (durability == Durability::kReplaceOnly)
        return true;
    // Make the rename itself durable.
    int dirfd = ::open(folder.c_str(), O_RDONLY | O_DIRECTORY);
    if (dirfd >= 0) {
        ::fsync(dirfd);
        ::close(dirfd);
    }
    return true;
}

} // namespace vistrel::platform
