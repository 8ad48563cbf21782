// SPDX-License-Identifier: GPL-3.0-or-later
// Writing a file name into the small languages the desktops' tools parse.
#pragma once

#include <string>

namespace vistrel::wallpaper::detail {

// "file://" and the absolute path with every byte outside A–Z a–z 0–9 - . _ ~ /
// percent-encoded, so the URL is plain ASCII whatever the name holds.
std::string FileUrl(const std::string& path);

// A GVariant text string: single quotes, with backslash, quote and control
// characters escaped, so gsettings never reads the value as anything else.
std::string GVariantString(const std::string& text);

// A JavaScript string literal in double quotes.
std::string ScriptString(const std::string& text);

// A double-quoted word of a sway command, backslash and quote escaped.
std::string SwayWord(const std::string& text);

} // namespace vistrel::wallpaper::detail
