// SPDX-License-Identifier: GPL-3.0-or-later
// The text form of the settings store where there is no registry: sections
// named by key paths, values typed as numbers ("dword:N") or texts ("...").
// Key and value names compare without regard to letter case, as in the registry.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <variant>
#include <vector>

namespace vistrel::platform::settings {

using IniValue = std::variant<std::uint32_t, std::string>;

struct IniSection {
    std::string key;
    std::vector<std::pair<std::string, IniValue>> values;
};

struct IniDocument {
    std::vector<IniSection> sections;

    IniSection* Find(std::string_view key);
    IniSection& Create(std::string_view key);
    const IniValue* Value(std::string_view key, std::string_view name) const;
    // Sets a value; the key must exist. False when it does not.
    bool Set(std::string_view key, std::string_view name, IniValue value);
    bool Erase(std::string_view key, std::string_view name);
};

// Lines it cannot understand are skipped, so a damaged file loses only them.
IniDocument ParseIni(std::string_view text);
std::string FormatIni(const IniDocument& document);

} // namespace vistrel::platform::settings
