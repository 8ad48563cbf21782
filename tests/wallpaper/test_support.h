// SPDX-License-Identifier: GPL-3.0-or-later
// Helpers shared by the wallpaper tests: temporary folders, environment
// changes undone at the end, and bitmap files made on the spot.
#pragma once

#include "environment.h"

#include "vistrel/platform/settings_store.h"

#include <chrono>
#include <cstdint>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <functional>
#include <optional>
#include <random>
#include <string>
#include <vector>

#ifdef _WIN32
#include <windows.h>
#endif

namespace vistrel::wallpaper::test {

using vistrel::test::ScopedEnvironment;
using vistrel::test::SetEnvironment;

// A fresh folder, removed with everything in it at the end.
class TempFolder {
public:
    TempFolder()
    {
        std::random_device random;
        path_ = std::filesystem::temp_directory_path() /
                ("vistrel-wallpaper-" + std::to_string(random()) + std::to_string(random()));
        std::filesystem::create_directories(path_);
    }
    ~TempFolder()
    {
        std::error_code ec;
        std::filesystem::remove_all(path_, ec);
    }
    TempFolder(const TempFolder&) = delete;
    TempFolder& operator=(const TempFolder&) = delete;

    const std::filesystem::path& path() const { return path_; }

private:
    std::filesystem::path path_;
};

// Points the settings store at a private place for the scope's lifetime: a
// file of a temporary folder, or on Windows a key of its own below
// HKEY_CURRENT_USER that is removed at the end.
class ScopedSettings {
public:
    ScopedSettings()
    {
#ifdef _WIN32
        location_ = "Software\\VistrelTests\\wallpaper-" +
                    std::to_string(std::chrono::steady_clock::now().time_since_epoch().count());
#else
        location_ = (folder_.path() / "Vistrel.ini").string();
#endif
        platform::settings::SetLocation(location_);
    }
    ~ScopedSettings()
    {
        platform::settings::SetLocation("");
#ifdef _WIN32
        std::wstring key(location_.begin(), location_.end());
        ::RegDeleteTreeW(HKEY_CURRENT_USER, key.c_str());
#endif
    }
    ScopedSettings(const ScopedSettings&) = delete;
    ScopedSettings& operator=(const ScopedSettings&) = delete;

private:
    TempFolder folder_;
    std::string location_;
};

inline std::string ReadFile(const std::filesystem::path& path)
{
    std::ifstream in(path, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

inline void WriteFile(const std::filesystem::path& path, const std::string& bytes)
{
    std::ofstream out(path, std::ios::binary | std::ios::trunc);
    out.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
}

inline void PutU16(std::string& out, std::uint32_t value)
{
    out += static_cast<char>(value & 0xff);
    out += static_cast<char>(value >> 8 & 0xff);
}

inline void PutU32(std::string& out, std::uint32_t value)
{
    PutU16(out, value & 0xffff);
    PutU16(out, value >> 16);
}

// A 24-bit uncompressed bitmap file, as the viewer writes it: `color(x, y)`
// gives 0x00RRGGBB for (x, y) counted from the top-left corner.
inline std::string MakeBitmap24(int width, int height, const std::function<std::uint32_t(int, int)>& color,
                                bool topDown = false)
{
    std::size_t stride = (static_cast<std::size_t>(width) * 3 + 3) / 4 * 4;
    auto imageSize = static_cast<std::uint32_t>(stride * static_cast<std::size_t>(height));
    std::string out = "BM";
    PutU32(out, 54 + imageSize);
    PutU32(out, 0);
    PutU32(out, 54);
    PutU32(out, 40);
    PutU32(out, static_cast<std::uint32_t>(width));
    PutU32(out, static_cast<std::uint32_t>(topDown ? -height : height));
    PutU16(out, 1);
    PutU16(out, 24);
    PutU32(out, 0);
    PutU32(out, imageSize);
    PutU32(out, 2835);
    PutU32(out, 2835);
    PutU32(out, 0);
    PutU32(out, 0);
    for (int row = 0; row < height; ++row) {
        int y = topDown ? row : height - 1 - row;
        std::string line;
        for (int x = 0; x < width; ++x) {
            std::uint32_t c = color(x, y);
            line += static_cast<char>(c & 0xff);
            line += static_cast<char>(c >> 8 & 0xff);
            line += static_cast<char>(c >> 16 & 0xff);
        }
        line.resize(stride, '\0');
        out += line;
    }
    return out;
}

// A colour pattern in which neighbouring pixels and rows all differ.
inline std::uint32_t Pattern(int x, int y)
{
    return static_cast<std::uint32_t>((x * 7 + 3) & 0xff) << 16 |
           static_cast<std::uint32_t>((y * 5 + 11) & 0xff) << 8 |
           static_cast<std::uint32_t>((x * 3 + y * 13) & 0xff);
}

} // namespace vistrel::wallpaper::test
