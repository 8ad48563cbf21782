// SPDX-License-Identifier: GPL-3.0-or-later
// The per-user settings store: the registry under HKEY_CURRENT_USER on
// Windows; elsewhere one INI-style file, "$XDG_CONFIG_HOME/Vistrel/Vistrel.ini",
// with the same keys, value names, types and defaults. Each key is a section
// named by its registry path; a number is written "Name=dword:N", a text
// "Name=\"...\"". Every write re-reads the file under a lock and replaces it
// atomically, so two programs writing at once never lose each other's values.
#pragma once

#include <cstdint>
#include <optional>
#include <string>

namespace vistrel::platform::settings {

// Whether the key exists.
bool KeyExists(const std::string& key);
// Creates the key when missing; true when it exists afterwards.
bool CreateKey(const std::string& key);

// A value of the key; nullopt when the key or the value is missing or has
// another type.
std::optional<std::uint32_t> ReadNumber(const std::string& key, const std::string& name);
std::optional<std::string> ReadText(const std::string& key, const std::string& name);

// Writes one value; the key must exist. True on success.
bool WriteNumber(const std::string& key, const std::string& name, std::uint32_t value);
bool WriteText(const std::string& key, const std::string& name, const std::string& value);

// Removes one value; true when it is gone afterwards.
bool DeleteValue(const std::string& key, const std::string& name);

// Tests and tools point the store elsewhere: on Linux the file to use, on
// Windows a key under HKEY_CURRENT_USER that stands in for the root. Empty
// restores the default. Also taken from $VISTREL_SETTINGS at first use.
void SetLocation(const std::string& location);
std::string Location();

} // namespace vistrel::platform::settings
