// SPDX-License-Identifier: GPL-3.0-or-later
// Turning the user's command template into an argument vector.
#pragma once

#include <optional>
#include <string>
#include <vector>

namespace vistrel::wallpaper::detail {

// Splits a template into words at blanks and tabs. Single quotes keep
// everything up to the next single quote, double quotes keep everything up to
// the next unescaped double quote (a backslash escapes '"' and '\' there),
// and outside quotes a backslash keeps the next character. No other shell
// syntax exists: no variables, no globbing, no pipes. nullopt (and `error`)
// for an unterminated quote or an empty template.
std::optional<std::vector<std::string>> SplitWords(const std::string& text, std::string& error);

// Replaces "%f" by `file`, "%s" by `style` and "%%" by "%" inside one word; any
// other '%' stays as it is. Substituting after splitting keeps a file name
// with blanks in one argument.
std::string Substitute(const std::string& word, const std::string& file, const std::string& style);

} // namespace vistrel::wallpaper::detail
