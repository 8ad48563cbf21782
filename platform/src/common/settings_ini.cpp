// SPDX-License-Identifier: GPL-3.0-or-later
#include "common/settings_ini.h"

#include <algorithm>
#include <cctype>
#include <charconv>

namespace vistrel::platform::settings {

namespace {

bool SameName(std::string_view a, std::string_view b)
{
    return a.size() == b.size() && std::equal(a.begin(), a.end(), b.begin(), [](char x, char y) {
               return std::tolower(static_cast<unsigned char>(x)) == std::tolower(static_cast<unsigned char>(y));
           });
}

std::string_view Trim(std::string_view s)
{
    while (!s.empty() && (s.front() == ' ' || s.front() == '\t'))
        s.remove_prefix(1);
    while (!s.empty() && (s.back() == ' ' || s.back() == '\t' || s.back() == '\r'))
        s.remove_suffix(1);
    return s;
}

std::optional<std::string> Unquote(std::string_view s)
{
    if (s.size() < 2 || s.front() != '"' || s.back() != '"')
        return std::nullopt;
    s = s.substr(1, s.size() - 2);
    std::string out;
    for (std::size_t i = 0; i < s.size(); ++i) {
        char c = s[i];
        if (c != '\\') {
            out += c;
            continue;
        }
        if (++i == s.size())
            return std::nullopt;
        switch (s[i]) {
        case 'n': out += '\n'; break;
        case 'r': out += '\r'; break;
        case 't': out += '\t'; break;
        case '0': out += '\0'; break;
        default: out += s[i]; break;
        }
    }
    return out;
}

std::string Quote(const std::string& s)
{
    std::string out = "\"";
    for (char c : s) {
        switch (c) {
        case '\\': out += "\\\\"; break;
        case '"': out += "\\\""; break;
        case '\n': out += "\\n"; break;
        case '\r': out += "\\r"; break;
        case '\t': out += "\\t"; break;
        case '\0': out += "\\0"; break;
        default: out += c; break;
        }
    }
    return out + "\"";
}

std::optional<IniValue> ParseValue(std::string_view text)
{
    constexpr std::string_view kNumber = "dword:";
    if (text.substr(0, kNumber.size()) == kNumber) {
        text.remove_prefix(kNumber.size());
        std::uint32_t n = 0;
        auto [end, ec] = std::from_chars(text.data(), text.data() + text.size(), n);
        if (ec != std::errc() || end != text.data() + text.size())
            return std::nullopt;
        return IniValue{n};
    }
    if (auto s = Unquote(text))
        return IniValue{*s};
    return std::nullopt;
}

} // namespace

IniSection* IniDocument::Find(std::string_view key)
{
    for (IniSection& s : sections)
        if (SameName(s.key, key))
            return &s;
    return nullptr;
}

IniSection& IniDocument::Create(std::string_view key)
{
    if (IniSection* s = Find(key))
        return *s;
    sections.push_back(IniSection{std::string(key), {}});
    return sections.back();
}

const IniValue* IniDocument::Value(std::string_view key, std::string_view name) const
{
    for (const IniSection& s : sections) {
        if (!SameName(s.key, key))
            continue;
        for (const auto& [n, v] : s.values)
            if (SameName(n, name))
                return &v;
    }
    return nullptr;
}

bool IniDocument::Set(std::string_view key, std::string_view name, IniValue value)
{
    IniSection* s = Find(key);
    if (!s)
        return false;
    for (auto& [n, v] : s->values) {
        if (SameName(n, name)) {
            v = std::move(value);
            return true;
        }
    }
    s->values.emplace_back(std::string(name), std::move(value));
    return true;
}

bool IniDocument::Erase(std::string_view key, std::string_view name)
{
    IniSection* s = Find(key);
    if (!s)
        return true;
    std::erase_if(s->values, [&](const auto& entry) { return SameName(entry.first, name); });
    return true;
}

IniDocument ParseIni(std::string_view text)
{
    IniDocument document;
    IniSection* current = nullptr;
    while (!text.empty()) {
        std::size_t end = text.find('\n');
        std::string_view line = Trim(text.substr(0, end));
        text.remove_prefix(end == std::string_view::npos ? text.size() : end + 1);
        if (line.empty() || line.front() == ';' || line.front() == '#')
            continue;
        if (line.front() == '[' && line.back() == ']') {
            current = &document.Create(line.substr(1, line.size() - 2));
            continue;
        }
        std::size_t equals = line.find('=');
        if (!current || equals == std::string_view::npos)
            continue;
        std::string_view name = Trim(line.substr(0, equals));
        if (auto value = ParseValue(Trim(line.substr(equals + 1))); value && !name.empty())
            document.Set(current->key, name, std::move(*value));
    }
    return document;
}

std::string FormatIni(const IniDocument& document)
{
    std::string out;
    for (const IniSection& s : document.sections) {
        if (!out.empty())
            out += '\n';
        out += '[' + s.key + "]\n";
        for (const auto& [name, value] : s.values) {
            out += name + '=';
            if (const auto* n = std::get_if<std::uint32_t>(&value))
                out += "dword:" + std::to_string(*n);
            else
                out += Quote(std::get<std::string>(value));
            out += '\n';
        }
    }
    return out;
}

} // namespace vistrel::platform::settings
