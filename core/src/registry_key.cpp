// SPDX-License-Identifier: GPL-3.0-or-later
#include "vistrel/core/registry_key.h"

#include "vistrel/platform/settings_store.h"

namespace vistrel {

namespace settings = platform::settings;

bool CRegistryKey::Open(const std::string& subkey)
{
    Close();
    open_ = settings::KeyExists(subkey);
    result_ = open_ ? kSuccess : kFileNotFound;
    if (open_)
        key_ = subkey;
    return open_;
}

bool CRegistryKey::Create(const std::string& subkey)
{
    Close();
    open_ = settings::CreateKey(subkey);
    result_ = open_ ? kSuccess : kWriteFault;
    if (open_)
        key_ = subkey;
    return open_;
}

bool CRegistryKey::ReadNumber(const std::string& name, std::uint32_t& destination)
{
    if (!open_) {
        result_ = kInvalidHandle;
        return false;
    }
    auto value = settings::ReadNumber(key_, name);
    result_ = value ? kSuccess : kFileNotFound;
    if (value)
        destination = *value;
    return value.has_value();
}

bool CRegistryKey::WriteNumber(const std::string& name, std::uint32_t value)
{
    result_ = !open_ ? kInvalidHandle : settings::WriteNumber(key_, name, value) ? kSuccess : kWriteFault;
    return result_ == kSuccess;
}

bool CRegistryKey::ReadText(const std::string& name, std::string& destination)
{
    if (!open_) {
        result_ = kInvalidHandle;
        return false;
    }
    auto value = settings::ReadText(key_, name);
    if (!value) {
        result_ = kFileNotFound;
        return false;
    }
    if (value->size() + 1 > kTextBufferBytes) {
        result_ = kMoreData;
        return false;
    }
    destination = *value;
    result_ = kSuccess;
    return true;
}

bool CRegistryKey::WriteText(const std::string& name, const std::string& value)
{
    result_ = !open_ ? kInvalidHandle : settings::WriteText(key_, name, value) ? kSuccess : kWriteFault;
    return result_ == kSuccess;
}

bool CRegistryKey::DeleteValue(const std::string& name)
{
    result_ = !open_ ? kInvalidHandle : settings::DeleteValue(key_, name) ? kSuccess : kWriteFault;
    return result_ == kSuccess;
}

void CRegistryKey::Close()
{
    open_ = false;
    key_.clear();
}

} // namespace vistrel
