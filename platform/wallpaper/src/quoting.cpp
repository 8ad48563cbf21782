// SPDX-License-Identifier: GPL-3.0-or-later
#include "quoting.h"

#include <cstdio>

namespace vistrel::wallpaper::detail {

namespace {

std::string UnicodeEscape(unsigned char c)
{
    char buffer[8];
    std::snprintf(buffer, sizeof buffer, "\\u%04x", static_cast<unsigned>(c));
    return buffer;
}

std::string Escaped(const std::string& text, char quote)
{
    std::string result(1, quote);
    for (char c : text) {
        auto u = static_cast<unsigned char>(c);
        if (c == '\\' || c == quote)
            (result += '\\') += c;
        else if (u < 0x20 || u == 0x7f)
            result += UnicodeEscape(u);
        else
            result += c;
    }
    return result + quote;
}

} // namespace

std::string FileUrl(const std::string& path)
{
    static const char hex[] = "0123456789ABCDEF";
    std::string url = "file://";
    for (char c : path) {
        auto u = static_cast<unsigned char>(c);
        bool plain = (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z') || (c >= '0' && c <= '9') || c == '-' ||
                     c == '.' || c == '_' || c == '~' || c == '/';
        if (plain) {
            url += c;
        } else {
            url += '%';
            url += hex[u >> 4];
            url += hex[u & 15];
        }
    }
    return url;
}

std::string GVariantString(const std::string& text)
{
    return Escaped(text, '\'');
}

std::string ScriptString(const std::string& text)
{
    return Escaped(text, '"');
}

std::string SwayWord(const std::string& text)
{
    std::string result = "\"";
    for (char c : text) {
        if (c == '\\' || c == '"')
            result += '\\';
        result += c;
    }
    return result + "\"";
}

} // namespace vistrel::wallpaper::detail
