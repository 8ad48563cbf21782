// SPDX-License-Identifier: GPL-3.0-or-later
#include "command_words.h"

namespace vistrel::wallpaper::detail {

std::optional<std::vector<std::string>> SplitWords(const std::string& text, std::string& error)
{
    std::vector<std::string> words;
    std::string word;
    bool inWord = false;
    for (std::size_t i = 0; i < text.size(); ++i) {
        char c = text[i];
        if (c == ' ' || c == '\t' || c == '\n' || c == '\r') {
            if (inWord)
                words.push_back(std::move(word));
            word.clear();
            inWord = false;
            continue;
        }
        inWord = true;
        if (c == '\'') {
            std::size_t close = text.find('\'', i + 1);
            if (close == std::string::npos) {
                error = "Unterminated single quote in the wallpaper command";
                return std::nullopt;
            }
            word.append(text, i + 1, close - i - 1);
            i = close;
        } else if (c == '"') {
            std::size_t j = i + 1;
            for (; j < text.size() && text[j] != '"'; ++j) {
                if (text[j] == '\\' && j + 1 < text.size() && (text[j + 1] == '"' || text[j + 1] == '\\'))
                    ++j;
                word += text[j];
            }
            if (j >= text.size()) {
                error = "Unterminated double quote in the wallpaper command";
                return std::nullopt;
            }
            i = j;
        } else if (c == '\\' && i + 1 < text.size()) {
            word += text[++i];
        } else {
            word += c;
        }
    }
    if (inWord)
        words.push_back(std::move(word));
    if (words.empty()) {
        error = "The wallpaper command is empty";
        return std::nullopt;
    }
    return words;
}

std::string Substitute(const std::string& word, const std::string& file, const std::string& style)
{
    std::string result;
    for (std::size_t i = 0; i < word.size(); ++i) {
        if (word[i] == '%' && i + 1 < word.size()) {
            char next = word[i + 1];
            if (next == 'f' || next == 's' || next == '%') {
                result += next == 'f' ? file : next == 's' ? style : std::string("%");
                ++i;
                continue;
            }
        }
        result += word[i];
    }
    return result;
}

} // namespace vistrel::wallpaper::detail
