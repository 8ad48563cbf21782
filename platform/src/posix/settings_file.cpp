// SPDX-License-Identifier: GPL-3.0-or-later
// The settings store as one file. Readers take the file as it stands (it is
// only ever replaced whole); writers serialise through a lock file so that
// the list manager and the scheduler writing at once both keep their values.
#include "vistrel/platform/settings_store.h"

#include "common/settings_ini.h"
#include "vistrel/platform/files.h"
#include "vistrel/platform/paths.h"

#include <fcntl.h>
#include <filesystem>
#include <mutex>
#include <sys/file.h>
#include <unistd.h>

namespace vistrel::platform::settings {

namespace {

std::mutex g_locationMutex;
std::string g_location;
bool g_locationSet = false;

std::string SettingsFile()
{
    std::lock_guard lock(g_locationMutex);
    if (!g_locationSet) {
        g_location = Environment("VISTREL_SETTINGS");
        g_locationSet = true;
    }
    return g_location.empty() ? ConfigFolder() + "Vistrel/Vistrel.ini" : g_location;
}

IniDocument Load(const std::string& file)
{
    std::string error;
    auto text = ReadWholeFile(file, error, 1u << 24);
    return text ? ParseIni(*text) : IniDocument{};
}

// Runs `change` on the current document under the writers' lock and stores
// the result when `change` returns true.
template <typename Change> bool Modify(Change change)
{
    std::string file = SettingsFile();
    std::string folder = std::filesystem::path(file).parent_path().string();
    if (!folder.empty() && !MakeFolders(folder))
        return false;
    int lockFd = ::open((file + ".lock").c_str(), O_RDWR | O_CREAT | O_CLOEXEC, 0600);
    if (lockFd < 0)
        return false;
    while (::flock(lockFd, LOCK_EX) != 0) {
        if (errno != EINTR) {
            ::close(lockFd);
            return false;
        }
    }
    IniDocument document = Load(file);
    bool ok = change(document);
    if (ok) {
        std::string error;
        ok = ReplaceFileAtomically(file, FormatIni(document), error);
    }
    ::flock(lockFd, LOCK_UN);
    ::close(lockFd);
    return ok;
}

} // namespace

void SetLocation(const std::string& location)
{
    std::lock_guard lock(g_locationMutex);
    g_location = location;
    g_locationSet = true;
}

std::string Location() { return SettingsFile(); }

bool KeyExists(const std::string& key) { return Load(SettingsFile()).Find(key) != nullptr; }

bool CreateKey(const std::string& key)
{
    if (KeyExists(key))
        return true;
    return Modify([&](IniDocument& d) {
        d.Create(key);
        return true;
    });
}

std::optional<std::uint32_t> ReadNumber(const std::string& key, const std::string& name)
{
    IniDocument d = Load(SettingsFile());
    const IniValue* v = d.Value(key, name);
    if (const auto* n = v ? std::get_if<std::uint32_t>(v) : nullptr)
        return *n;
    return std::nullopt;
}

std::optional<std::string> ReadText(const std::string& key, const std::string& name)
{
    IniDocument d = Load(SettingsFile());
    const IniValue* v = d.Value(key, name);
    if (const auto* s = v ? std::get_if<std::string>(v) : nullptr)
        return *s;
    return std::nullopt;
}

bool WriteNumber(const std::string& key, const std::string& name, std::uint32_t value)
{
    return Modify([&](IniDocument& d) { return d.Set(key, name, value); });
}

bool WriteText(const std::string& key, const std::string& name, const std::string& value)
{
    return Modify([&](IniDocument& d) { return d.Set(key, name, value); });
}

bool DeleteValue(const std::string& key, const std::string& name)
{
    return Modify([&](IniDocument& d) { return d.Erase(key, name); });
}

} // namespace vistrel::platform::settings
