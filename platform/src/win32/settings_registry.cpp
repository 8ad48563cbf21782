// SPDX-License-Identifier: GPL-3.0-or-later
// The settings store in the registry under HKEY_CURRENT_USER, keys and value
// names as the programs give them.
#include "vistrel/platform/settings_store.h"

#include "vistrel/platform/paths.h"
#include "win32/text.h"

#include <mutex>
#include <windows.h>

namespace vistrel::platform::settings {

namespace {

std::mutex g_locationMutex;
std::string g_location;
bool g_locationSet = false;

// Tests move the whole store below another key: "Software\X" becomes "<root>\Software\X".
std::wstring KeyPath(const std::string& key)
{
    std::lock_guard lock(g_locationMutex);
    if (!g_locationSet) {
        g_location = Environment("VISTREL_SETTINGS");
        g_locationSet = true;
    }
    return Wide(g_location.empty() ? key : g_location + "\\" + key);
}

class Key {
public:
    Key(const std::string& key, bool create)
    {
        std::wstring path = KeyPath(key);
        LONG rc = create ? ::RegCreateKeyExW(HKEY_CURRENT_USER, path.c_str(), 0, nullptr, REG_OPTION_NON_VOLATILE,
                                             KEY_ALL_ACCESS, nullptr, &key_, nullptr)
                         : ::RegOpenKeyExW(HKEY_CURRENT_USER, path.c_str(), 0, KEY_ALL_ACCESS, &key_);
        if (rc != ERROR_SUCCESS)
            key_ = nullptr;
    }
    ~Key()
    {
        if (key_)
            ::RegCloseKey(key_);
    }
    Key(const Key&) = delete;
    Key& operator=(const Key&) = delete;
    HKEY get() const { return key_; }

private:
    HKEY key_ = nullptr;
};

} // namespace

void SetLocation(const std::string& location)
{
    std::lock_guard lock(g_locationMutex);
    g_location = location;
    g_locationSet = true;
}

std::string Location()
{
    KeyPath("");
    std::lock_guard lock(g_locationMutex);
    return g_location.empty() ? "HKEY_CURRENT_USER" : "HKEY_CURRENT_USER\\" + g_location;
}

bool KeyExists(const std::string& key) { return Key(key, false).get() != nullptr; }

bool CreateKey(const std::string& key) { return Key(key, true).get() != nullptr; }

std::optional<std::uint32_t> ReadNumber(const std::string& key, const std::string& name)
{
    Key k(key, false);
    if (!k.get())
        return std::nullopt;
    DWORD type = 0, value = 0, size = sizeof value;
    if (::RegQueryValueExW(k.get(), Wide(name).c_str(), nullptr, &type, reinterpret_cast<BYTE*>(&value), &size) !=
            ERROR_SUCCESS ||
        type != REG_DWORD)
        return std::nullopt;
    return value;
}

std::optional<std::string> ReadText(const std::string& key, const std::string& name)
{
    Key k(key, false);
    if (!k.get())
        return std::nullopt;
    std::wstring wideName = Wide(name);
    DWORD type = 0, size = 0;
    if (::RegQueryValueExW(k.get(), wideName.c_str(), nullptr, &type, nullptr, &size) != ERROR_SUCCESS ||
        (type != REG_SZ && type != REG_EXPAND_SZ))
        return std::nullopt;
    std::wstring value(size / sizeof(wchar_t) + 1, L'\0');
    size = static_cast<DWORD>(value.size() * sizeof(wchar_t));
    if (::RegQueryValueExW(k.get(), wideName.c_str(), nullptr, &type, reinterpret_cast<BYTE*>(value.data()), &size) !=
        ERROR_SUCCESS)
        return std::nullopt;
    value.resize(size / sizeof(wchar_t));
    while (!value.empty() && value.back() == L'\0')
        value.pop_back();
    return Utf8(value);
}

bool WriteNumber(const std::string& key, const std::string& name, std::uint32_t value)
{
    Key k(key, false);
    DWORD v = value;
    return k.get() && ::RegSetValueExW(k.get(), Wide(name).c_str(), 0, REG_DWORD, reinterpret_cast<const BYTE*>(&v),
                                       sizeof v) == ERROR_SUCCESS;
}

bool WriteText(const std::string& key, const std::string& name, const std::string& value)
{
    Key k(key, false);
    std::wstring wide = Wide(value);
    return k.get() &&
           ::RegSetValueExW(k.get(), Wide(name).c_str(), 0, REG_SZ, reinterpret_cast<const BYTE*>(wide.c_str()),
                            static_cast<DWORD>((wide.size() + 1) * sizeof(wchar_t))) == ERROR_SUCCESS;
}

bool DeleteValue(const std::string& key, const std::string& name)
{
    Key k(key, false);
    if (!k.get())
        return true;
    LONG rc = ::RegDeleteValueW(k.get(), Wide(name).c_str());
    return rc == ERROR_SUCCESS || rc == ERROR_FILE_NOT_FOUND;
}

} // namespace vistrel::platform::settings
