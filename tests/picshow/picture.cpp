// SPDX-License-Identifier: GPL-3.0-or-later
#include "picture.h"

#include <cstring>

namespace picshow::test {

namespace {

void Put16(std::string& out, std::uint32_t v)
{
    out += static_cast<char>(v & 0xff);
    out += static_cast<char>((v >> 8) & 0xff);
}

void Put32(std::string& out, std::uint32_t v)
{
    Put16(out, v & 0xffff);
    Put16(out, v >> 16);
}

std::uint32_t Get32(const std::uint8_t* p) { return p[0] | p[1] << 8 | p[2] << 16 | std::uint32_t(p[3]) << 24; }

std::size_t Stride(int bits, int width) { return (std::size_t(bits) * width + 31) / 32 * 4; }

// Info header, table and rows of a bottom-up DIB.
std::string DibBytes(int width, int height, int bits, std::uint32_t compression, const std::string& table,
                     const std::string& rows)
{
    std::string out;
    Put32(out, 40);
    Put32(out, static_cast<std::uint32_t>(width));
    Put32(out, static_cast<std::uint32_t>(height));
    Put16(out, 1);
    Put16(out, static_cast<std::uint32_t>(bits));
    Put32(out, compression);
    Put32(out, static_cast<std::uint32_t>(rows.size()));
    Put32(out, 2835);
    Put32(out, 2835);
    Put32(out, static_cast<std::uint32_t>(table.size() / 4));
    Put32(out, 0);
    return out + table + rows;
}

gmem::Handle ToBlock(const std::string& bytes)
{
    gmem::Handle h = gmem::Alloc(gmem::kMoveable | gmem::kZeroInit, bytes.size());
    std::memcpy(gmem::Lock(h), bytes.data(), bytes.size());
    gmem::Unlock(h);
    return h;
}

std::string Rows24(const Picture& p)
{
    std::string rows;
    for (int y = p.height - 1; y >= 0; --y) {
        std::string line;
        for (int x = 0; x < p.width; ++x) {
            std::uint32_t c = p.at(x, y);
            line += static_cast<char>(c & 0xff);
            line += static_cast<char>((c >> 8) & 0xff);
            line += static_cast<char>((c >> 16) & 0xff);
        }
        line.resize(Stride(24, p.width), '\0');
        rows += line;
    }
    return rows;
}

std::string Dib8(int width, int height, const std::vector<std::uint32_t>& palette,
                 const std::vector<std::uint8_t>& indices)
{
    std::string table;
    for (int i = 0; i < 256; ++i)
        Put32(table, i < int(palette.size()) ? palette[i] : 0);
    std::string rows;
    for (int y = height - 1; y >= 0; --y) {
        std::string line(reinterpret_cast<const char*>(&indices[std::size_t(y) * width]), std::size_t(width));
        line.resize(Stride(8, width), '\0');
        rows += line;
    }
    return DibBytes(width, height, 8, 0, table, rows);
}

std::optional<Picture> Parse24(const std::uint8_t* dib, std::size_t size)
{
    if (size < 40 || Get32(dib) != 40 || (dib[14] | dib[15] << 8) != 24 || Get32(dib + 16) != 0)
        return std::nullopt;
    auto width = static_cast<int>(Get32(dib + 4)), height = static_cast<int>(Get32(dib + 8));
    std::size_t table = 4 * std::size_t(Get32(dib + 32));
    if (width <= 0 || height <= 0 || 40 + table + Stride(24, width) * height > size)
        return std::nullopt;
    Picture p(width, height);
    for (int y = 0; y < height; ++y) {
        const std::uint8_t* row = dib + 40 + table + Stride(24, width) * std::size_t(height - 1 - y);
        for (int x = 0; x < width; ++x)
            p.at(x, y) = row[3 * x] | row[3 * x + 1] << 8 | std::uint32_t(row[3 * x + 2]) << 16;
    }
    return p;
}

std::string FileHeader(const std::string& dib, std::uint32_t offBits)
{
    std::string out = "BM";
    Put32(out, static_cast<std::uint32_t>(14 + dib.size()));
    Put32(out, 0);
    Put32(out, offBits);
    return out + dib;
}

} // namespace

std::uint32_t Pattern(int x, int y, int seed)
{
    return std::uint32_t((x * 7 + 3 + seed * 31) & 0xff) << 16 | std::uint32_t((y * 5 + 11 + seed * 17) & 0xff) << 8 |
           std::uint32_t((x * 3 + y * 13 + seed) & 0xff);
}

Picture Patterned(int width, int height, int seed)
{
    Picture p(width, height);
    for (int y = 0; y < height; ++y)
        for (int x = 0; x < width; ++x)
            p.at(x, y) = Pattern(x, y, seed);
    return p;
}

gmem::Handle MakeDIB24(const Picture& picture)
{
    return ToBlock(DibBytes(picture.width, picture.height, 24, 0, {}, Rows24(picture)));
}

gmem::Handle MakeDIB8(int width, int height, const std::vector<std::uint32_t>& palette,
                      const std::vector<std::uint8_t>& indices)
{
    return ToBlock(Dib8(width, height, palette, indices));
}

gmem::Handle MakeRle8(int width, int height)
{
    std::string table;
    Put32(table, 0);
    Put32(table, 0xffffff);
    std::string rows;
    for (int y = 0; y < height; ++y) {
        for (int x = width; x > 0; x -= 255) {
            rows += static_cast<char>(x > 255 ? 255 : x);
            rows += '\x01';
        }
        rows += std::string("\0\0", 2); // end of line
    }
    rows += std::string("\0\1", 2); // end of bitmap
    return ToBlock(DibBytes(width, height, 8, 1, table, rows));
}

std::optional<Picture> ReadDIB24(gmem::Handle dib)
{
    auto* bytes = static_cast<const std::uint8_t*>(gmem::Lock(dib));
    if (!bytes)
        return std::nullopt;
    std::optional<Picture> p = Parse24(bytes, gmem::Size(dib));
    gmem::Unlock(dib);
    return p;
}

std::optional<Picture> ParseBitmap24(const std::string& file)
{
    if (file.size() < 54 || file.compare(0, 2, "BM") != 0)
        return std::nullopt;
    return Parse24(reinterpret_cast<const std::uint8_t*>(file.data()) + 14, file.size() - 14);
}

std::string Bitmap24(const Picture& picture)
{
    return FileHeader(DibBytes(picture.width, picture.height, 24, 0, {}, Rows24(picture)), 54);
}

std::string Bitmap8(int width, int height, const std::vector<std::uint32_t>& palette,
                    const std::vector<std::uint8_t>& indices)
{
    return FileHeader(Dib8(width, height, palette, indices), 54 + 1024);
}

std::string BitmapRunLength(int bits, int width, int height, const std::vector<std::uint32_t>& palette,
                            const std::vector<std::uint8_t>& indices)
{
    std::string table;
    for (int i = 0; i < (1 << bits); ++i)
        Put32(table, i < int(palette.size()) ? palette[i] : 0);
    std::string codes;
    for (int y = height - 1; y >= 0; --y) {
        const std::uint8_t* row = &indices[std::size_t(y) * width];
        for (int x = 0; x < width;) {
            int run = 1;
            while (x + run < width && run < 255 && row[x + run] == row[x])
                ++run;
            codes += static_cast<char>(run);
            codes += static_cast<char>(bits == 4 ? row[x] << 4 | row[x] : row[x]);
            x += run;
        }
        codes += std::string("\0\0", 2); // end of line
    }
    codes += std::string("\0\1", 2); // end of bitmap
    return FileHeader(DibBytes(width, height, bits, bits == 4 ? 2 : 1, table, codes),
                      54 + static_cast<std::uint32_t>(table.size()));
}

Picture BoxShrink(const Picture& picture, int fx, int fy)
{
    Picture out(picture.width / fx, picture.height / fy);
    for (int y = 0; y < out.height; ++y)
        for (int x = 0; x < out.width; ++x) {
            std::uint32_t result = 0;
            for (int shift = 0; shift < 24; shift += 8) {
                int sum = 0;
                for (int dy = 0; dy < fy; ++dy)
                    for (int dx = 0; dx < fx; ++dx)
                        sum += (picture.at(x * fx + dx, y * fy + dy) >> shift) & 0xff;
                int n = fx * fy;
                result |= std::uint32_t((2 * sum + n) / (2 * n)) << shift; // half up
            }
            out.at(x, y) = result;
        }
    return out;
}

Picture OnCanvas(const Picture& picture, int w, int h, int left, int top, std::uint32_t background)
{
    Picture out(w, h, background);
    for (int y = 0; y < picture.height; ++y)
        for (int x = 0; x < picture.width; ++x)
            if (left + x >= 0 && left + x < w && top + y >= 0 && top + y < h)
                out.at(left + x, top + y) = picture.at(x, y);
    return out;
}

std::string BlockBytes(gmem::Handle block)
{
    auto* bytes = static_cast<const char*>(gmem::Lock(block));
    std::string copy(bytes, gmem::Size(block));
    gmem::Unlock(block);
    return copy;
}

} // namespace picshow::test
