// SPDX-License-Identifier: GPL-3.0-or-later
// Fixed texts filed by number: each program keeps its own table of
// (id, text) pairs, and looks its texts up with FindText.
#pragma once

#include <span>
#include <string_view>
#include <utility>

namespace vistrel {

using TextEntry = std::pair<int, std::string_view>;

// The text filed under `id`; empty for an id the table does not hold.
constexpr std::string_view FindText(std::span<const TextEntry> table, int id)
{
    for (const auto& [key, text] : table)
        if (key == id)
            return text;
    return {};
}

// Whether every id stands in the table once: a second entry under the same
// id would never be found. Tables check this when they are compiled.
constexpr bool IdsAreUnique(std::span<const TextEntry> table)
{
    for (std::size_t i = 0; i < table.size(); ++i)
        for (std::size_t j = i + 1; j < table.size(); ++j)
            if (table[i].first == table[j].first)
                return false;
    return true;
}

} // namespace vistrel
