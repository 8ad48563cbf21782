// SPDX-License-Identifier: GPL-3.0-or-later
// Paths cross every interface as UTF-8 text; this turns one into a path the
// standard library opens correctly on every platform (wide on Windows).
#pragma once

#include <filesystem>
#include <string>

namespace vistrel::dib {

inline std::filesystem::path PathFromUtf8(const char* text)
{
    return std::filesystem::path(std::u8string(reinterpret_cast<const char8_t*>(text)));
}

} // namespace vistrel::dib
