// SPDX-License-Identifier: GPL-3.0-or-later
#include "vistrel/core/scheduler_settings.h"

#include "vistrel/core/registry_key.h"
#include "vistrel/platform/settings_store.h"

#include <algorithm>
#include <cctype>
#include <optional>

namespace vistrel {

SchedulerSettings ReadSchedulerSettings()
{
    SchedulerSettings s;
    CRegistryKey key;
    if (!key.Open(kSchedulerKey))
        return s;
    s = SchedulerSettings{0, 0, 0};
    key.ReadNumber("ChkNewFileInterval", s.checkMinutes);
    key.ReadNumber("SaveFileInterval", s.saveMinutes);
    key.ReadNumber("Active", s.active);
    s.checkMinutes = std::max<std::uint32_t>(s.checkMinutes, 1);
    s.saveMinutes = std::max<std::uint32_t>(s.saveMinutes, 10);
    return s;
}

bool WriteActive(std::uint32_t active)
{
    CRegistryKey key;
    if (!key.Open(kSchedulerKey) && !key.Create(kSchedulerKey))
        return false;
    return key.WriteNumber("Active", active);
}

std::uint32_t ToggleActive()
{
    std::uint32_t next = ReadSchedulerSettings().active ? 0 : 1;
    WriteActive(next);
    return next;
}

std::string ReadCurrentList()
{
    CRegistryKey key;
    std::string file;
    if (key.Open(kRecentFileListKey))
        key.ReadText("File1", file);
    return file;
}

bool FitsCurrentList(const std::string& path) { return !path.empty() && path.size() + 1 <= kTextBufferBytes; }

namespace {

bool SameName(const std::string& a, const std::string& b)
{
    return a.size() == b.size() && std::equal(a.begin(), a.end(), b.begin(), [](char x, char y) {
               return std::tolower(static_cast<unsigned char>(x)) == std::tolower(static_cast<unsigned char>(y));
           });
}

std::string ValueName(std::size_t i) { return "File" + std::to_string(i + 1); }

} // namespace

void RecentFileList::Load()
{
    names_.clear();
    if (!platform::settings::KeyExists(kRecentFileListKey))
        return;
    // Read from the store directly: the key helper's 200-byte buffer would
    // drop long names, and the next Save would then delete them.
    for (std::size_t i = 0; i < kSize; ++i) {
        std::optional<std::string> name = platform::settings::ReadText(kRecentFileListKey, ValueName(i));
        if (name && !name->empty())
            names_.push_back(*name);
    }
}

void RecentFileList::Add(const std::string& path)
{
    std::erase_if(names_, [&](const std::string& n) { return SameName(n, path); });
    names_.insert(names_.begin(), path);
    if (names_.size() > kSize)
        names_.resize(kSize);
}

void RecentFileList::Remove(std::size_t index)
{
    if (index < names_.size())
        names_.erase(names_.begin() + static_cast<std::ptrdiff_t>(index));
}

bool RecentFileList::Save() const
{
    CRegistryKey key;
    if (!key.Create(kRecentFileListKey))
        return false;
    bool ok = true;
    for (std::size_t i = 0; i < kSize; ++i)
        ok = (i < names_.size() ? key.WriteText(ValueName(i), names_[i]) : key.DeleteValue(ValueName(i))) && ok;
    return ok;
}

} // namespace vistrel
