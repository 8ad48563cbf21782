// SPDX-License-Identifier: GPL-3.0-or-later
// Small Windows bitmap files for the list manager's tests, written byte by
// byte so the tests depend on no image tool.
#pragma once

#include <cstdint>
#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

namespace vistrel::manager::test {

inline void PutU16(std::string& out, std::uint32_t v)
{
    out += static_cast<char>(v & 0xFF);
    out += static_cast<char>((v >> 8) & 0xFF);
}

inline void PutU32(std::string& out, std::uint32_t v)
{
    PutU16(out, v & 0xFFFF);
    PutU16(out, v >> 16);
}

// A bitmap file: the file header, a 40-byte information header, the colour
// table (blue, green, red, 0 per entry) and `pixels` as they are stored.
inline std::string BitmapFile(int width, int height, int bits, const std::vector<std::uint32_t>& table,
                              const std::string& pixels, std::uint32_t compression = 0)
{
    std::string info;
    PutU32(info, 40);
    PutU32(info, static_cast<std::uint32_t>(width));
    PutU32(info, static_cast<std::uint32_t>(height));
    PutU16(info, 1);
    PutU16(info, static_cast<std::uint32_t>(bits));
    PutU32(info, compression);
    PutU32(info, static_cast<std::uint32_t>(pixels.size()));
    PutU32(info, 2835);
    PutU32(info, 2835);
    PutU32(info, static_cast<std::uint32_t>(table.size()));
    PutU32(info, 0);
    for (std::uint32_t rgb : table)
        PutU32(info, rgb & 0xFFFFFF); // 0x00RRGGBB is blue, green, red, 0 in the file
    std::string file = "BM";
    const auto offset = static_cast<std::uint32_t>(14 + info.size());
    PutU32(file, offset + static_cast<std::uint32_t>(pixels.size()));
    PutU32(file, 0);
    PutU32(file, offset);
    return file + info + pixels;
}

// A 24-bit picture whose left half is `left` and right half `right` (0xRRGGBB).
inline std::string TwoColourBitmap(int width, int height, std::uint32_t left, std::uint32_t right)
{
    std::string pixels;
    const auto stride = static_cast<std::size_t>((width * 3 + 3) & ~3);
    for (int y = 0; y < height; ++y) {
        std::string row;
        for (int x = 0; x < width; ++x)
            for (int shift : {0, 8, 16})
                row += static_cast<char>(((x < width / 2 ? left : right) >> shift) & 0xFF);
        row.resize(stride, '\0');
        pixels += row;
    }
    return BitmapFile(width, height, 24, {}, pixels);
}

inline std::string SolidBitmap(int width, int height, std::uint32_t rgb)
{
    return TwoColourBitmap(width, height, rgb, rgb);
}

// An 8-bit picture using palette entry 1 everywhere.
inline std::string PaletteBitmap(int width, int height, std::uint32_t rgb)
{
    const int stride = (width + 3) & ~3;
    return BitmapFile(width, height, 8, {0x000000, rgb}, std::string(static_cast<std::size_t>(stride * height), '\1'));
}

inline void WriteBytes(const std::filesystem::path& path, const std::string& bytes)
{
    std::filesystem::create_directories(path.parent_path());
    std::ofstream(path, std::ios::binary) << bytes;
}

} // namespace vistrel::manager::test
