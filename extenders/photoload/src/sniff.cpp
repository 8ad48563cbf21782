// SPDX-License-Identifier: GPL-3.0-or-later
// Formats are told by their signatures, so a file named for one format but
// holding another still reads, and no decoder sees bytes not meant for it.
#include <algorithm>
#include <cstring>

#include "decoders.h"

namespace vistrel::photoload {
namespace {

bool StartsWith(const std::uint8_t* data, std::size_t size, const void* signature, std::size_t length,
                std::size_t at = 0)
{
    return size >= at + length && std::memcmp(data + at, signature, length) == 0;
}

// An ISO base media file ("ftyp" box) whose major or compatible brands name
// a HEIF image or image sequence.
bool IsHeif(const std::uint8_t* data, std::size_t size)
{
    if (!StartsWith(data, size, "ftyp", 4, 4))
        return false;
    const std::size_t box =
        (std::size_t{data[0]} << 24) | (std::size_t{data[1]} << 16) | (std::size_t{data[2]} << 8) | data[3];
    static const char* const kBrands[] = {"heic", "heix", "hevc", "hevx", "heim", "heis", "hevm",
                                          "hevs", "mif1", "msf1", "avif", "avis", "mif2", "miaf"};
    const std::size_t end = std::min(box, size);
    for (std::size_t at = 8; at + 4 <= end; at += 4) {
        if (at == 12)
            continue; // the minor version
        for (const char* brand : kBrands)
            if (std::memcmp(data + at, brand, 4) == 0)
                return true;
    }
    return false;
}

} // namespace

Format Sniff(const std::uint8_t* data, std::size_t size)
{
    static constexpr std::uint8_t kJpeg[] = {0xFF, 0xD8, 0xFF};
    static constexpr std::uint8_t kPng[] = {0x89, 'P', 'N', 'G', 0x0D, 0x0A, 0x1A, 0x0A};
    static constexpr std::uint8_t kTiffLittle[] = {'I', 'I', 42, 0}, kTiffBig[] = {'M', 'M', 0, 42};
    static constexpr std::uint8_t kBigTiffLittle[] = {'I', 'I', 43, 0}, kBigTiffBig[] = {'M', 'M', 0, 43};
    static constexpr std::uint8_t kJxlCode[] = {0xFF, 0x0A};
    static constexpr std::uint8_t kJxlBox[] = {0, 0, 0, 0x0C, 'J', 'X', 'L', ' ', 0x0D, 0x0A, 0x87, 0x0A};
    if (!data)
        return Format::kUnknown;
    if (StartsWith(data, size, kJpeg, sizeof kJpeg))
        return Format::kJpeg;
    if (StartsWith(data, size, kPng, sizeof kPng))
        return Format::kPng;
    if (StartsWith(data, size, "RIFF", 4) && StartsWith(data, size, "WEBP", 4, 8))
        return Format::kWebp;
    if (StartsWith(data, size, "GIF87a", 6) || StartsWith(data, size, "GIF89a", 6))
        return Format::kGif;
    if (StartsWith(data, size, kTiffLittle, 4) || StartsWith(data, size, kTiffBig, 4) ||
        StartsWith(data, size, kBigTiffLittle, 4) || StartsWith(data, size, kBigTiffBig, 4))
        return Format::kTiff;
    if (StartsWith(data, size, kJxlCode, sizeof kJxlCode) || StartsWith(data, size, kJxlBox, sizeof kJxlBox))
        return Format::kJxl;
    if (IsHeif(data, size))
        return Format::kHeif;
    return Format::kUnknown;
}

const char* FormatName(Format format)
{
    switch (format) {
    case Format::kJpeg: return "JPEG";
    case Format::kPng: return "PNG";
    case Format::kWebp: return "WebP";
    case Format::kGif: return "GIF";
    case Format::kTiff: return "TIFF";
    case Format::kHeif: return "HEIF";
    case Format::kJxl: return "JPEG XL";
    default: return "unknown";
    }
}

} // namespace vistrel::photoload
