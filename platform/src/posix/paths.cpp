// SPDX-License-Identifier: GPL-3.0-or-later
#include "vistrel/platform/paths.h"

#include <climits>
#include <cstdlib>
#include <pwd.h>
#include <unistd.h>

namespace vistrel::platform {

namespace {

std::string WithSlash(std::string folder)
{
    if (folder.empty() || folder.back() != '/')
        folder += '/';
    return folder;
}

std::string HomeFolder()
{
    std::string home = Environment("HOME");
    if (home.empty()) {
        if (const passwd* entry = ::getpwuid(::getuid()); entry && entry->pw_dir)
            home = entry->pw_dir;
    }
    return home.empty() ? std::string("/tmp") : home;
}

// An XDG base folder: the variable when it holds an absolute path, else the default.
std::string XdgFolder(const char* variable, const char* fallbackBelowHome)
{
    std::string value = Environment(variable);
    if (!value.empty() && value[0] == '/')
        return WithSlash(value);
    return WithSlash(HomeFolder() + "/" + fallbackBelowHome);
}

} // namespace

std::string Environment(const char* name)
{
    const char* value = std::getenv(name);
    return value ? std::string(value) : std::string();
}

char PathSeparator() { return '/'; }

std::string ExecutableDirectory()
{
    char buffer[PATH_MAX];
    ssize_t n = ::readlink("/proc/self/exe", buffer, sizeof buffer - 1);
    if (n <= 0)
        return "/";
    std::string path(buffer, static_cast<std::size_t>(n));
    return path.substr(0, path.rfind('/') + 1);
}

std::string ProgramDirectory() { return ExecutableDirectory(); }

std::string ApplicationDataFolder() { return XdgFolder("XDG_DATA_HOME", ".local/share"); }

std::string ConfigFolder() { return XdgFolder("XDG_CONFIG_HOME", ".config"); }

std::string RuntimeFolder()
{
    std::string value = Environment("XDG_RUNTIME_DIR");
    if (!value.empty() && value[0] == '/' && ::access(value.c_str(), W_OK) == 0)
        return WithSlash(value);
    return ConfigFolder() + "Vistrel/";
}

} // namespace vistrel::platform
