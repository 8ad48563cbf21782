// SPDX-License-Identifier: GPL-3.0-or-later
// The header step: file header, information header, colour table, and where
// and how the pixels lie. The header is trusted for nothing: every size is
// computed in 64 bits and checked, the colour table never has more entries
// than the pixels can index, and the pixel position may lie anywhere.
#include "reader.h"

#include <string>

namespace vistrel::bitload {
namespace {

using dib::InfoHeader;
using dib::LoadU16;
using dib::LoadU32;

constexpr std::uint32_t kCoreHeaderSize = 12;
// The later header forms (what most programs write today) begin with the
// 40-byte header and the red, green and blue masks; the alpha mask, colour
// space and profile fields after them are of no use to a 24-bit DIB.
constexpr std::uint32_t kV4HeaderSize = 108;
constexpr std::uint32_t kV5HeaderSize = 124;
constexpr std::size_t kMaskBytes = 12;

// The pixel formats the rest of the system can use, or that the reader turns
// into one it can use.
bool Supported(const InfoHeader& h)
{
    switch (h.biCompression) {
    case dib::kRgb:
        return h.biBitCount == 1 || h.biBitCount == 4 || h.biBitCount == 8 || h.biBitCount == 16 ||
               h.biBitCount == 24 || h.biBitCount == 32;
    case dib::kRle8: return h.biBitCount == 8;
    case dib::kRle4: return h.biBitCount == 4;
    case dib::kBitfields: return h.biBitCount == 16 || h.biBitCount == 32;
    default: return false;
    }
}

// Table entries the stored DIB gets: the file's count, but never more than
// the pixels can index (256 for a 24-bit file, whose table is only a hint).
std::uint32_t TableEntries(const InfoHeader& h)
{
    if (h.biBitCount == 16 || h.biBitCount == 32)
        return 0; // these pixels carry their colours; the table is dropped
    const std::uint32_t limit = h.biBitCount == 24 ? 256 : std::uint32_t{1} << h.biBitCount;
    return std::min(dib::DIBNumColors(h), limit);
}

} // namespace

gmem::Handle ReadDIBInfo(ByteSource* file, PixelSource& pixels)
{
    if (!file) {
        SetReadError("ReadDIBInfo: No file");
        return nullptr;
    }
    std::uint8_t fileHeader[dib::kFileHeaderSize];
    if (file->Read(fileHeader, sizeof fileHeader) < sizeof fileHeader) {
        SetReadError("ReadDIBInfo: can't read info");
        return nullptr;
    }
    if (LoadU16(fileHeader) != dib::kBitmapType) {
        SetReadError("ReadDIBInfo: Incorrect type");
        return nullptr;
    }
    const std::uint32_t bfOffBits = LoadU32(fileHeader + 10);

    std::uint8_t info[dib::kInfoHeaderSize];
    if (file->Read(info, sizeof info) < sizeof info) {
        SetReadError("ReadDIBInfo: can't read info");
        return nullptr;
    }
    InfoHeader h = dib::LoadHeader(info);
    std::uint32_t entryBytes = 4;
    std::uint64_t tablePosition = dib::kFileHeaderSize + dib::kInfoHeaderSize;
    if (h.biSize == kCoreHeaderSize) {
        // The older core header: 16-bit unsigned sizes, 3-byte table entries.
        h = InfoHeader{};
        h.biWidth = LoadU16(info + 4);
        h.biHeight = LoadU16(info + 6);
        h.biPlanes = LoadU16(info + 8);
        h.biBitCount = LoadU16(info + 10);
        h.biXPelsPerMeter = h.biYPelsPerMeter = dib::kDefaultPelsPerMeter;
        entryBytes = 3;
        tablePosition = dib::kFileHeaderSize + kCoreHeaderSize;
    }
    std::uint8_t headerMasks[kMaskBytes];
    const bool laterHeader = h.biSize == kV4HeaderSize || h.biSize == kV5HeaderSize;
    if (laterHeader) {
        if (file->Read(headerMasks, sizeof headerMasks) < sizeof headerMasks) {
            SetReadError("ReadDIBInfo: can't read info");
            return nullptr;
        }
        tablePosition = dib::kFileHeaderSize + std::uint64_t{h.biSize};
        h.biSize = dib::kInfoHeaderSize;
    }
    if (h.biSize != dib::kInfoHeaderSize) {
        SetReadError("ReadDIBInfo: Size incorrect");
        return nullptr;
    }
    // Sizes that describe no image: nothing to read, and no arithmetic on
    // them is safe (the height's magnitude must exist as a positive number).
    if (h.biWidth <= 0 || h.biHeight == 0 || h.biHeight == INT32_MIN) {
        SetReadError("ReadDIBInfo: Size incorrect");
        return nullptr;
    }
    // Run-length data cannot be turned bottom-up without decoding it, so a
    // top-down run-length file is as unusable as an unknown format.
    const bool topDown = h.biHeight < 0;
    if (!Supported(h) || (topDown && h.biCompression != dib::kRgb && h.biCompression != dib::kBitfields)) {
        SetReadError("ReadDIBInfo: Incorrect type");
        return nullptr;
    }

    pixels = PixelSource{};
    pixels.width = static_cast<std::uint32_t>(h.biWidth);
    pixels.height = static_cast<std::uint32_t>(topDown ? -std::int64_t{h.biHeight} : h.biHeight);
    pixels.fileBits = h.biBitCount;
    pixels.fileStride = dib::DIBWidthBytes(h.biBitCount, pixels.width);
    const bool masked = h.biBitCount == 16 || h.biBitCount == 32;

    if (masked) {
        if (h.biCompression == dib::kBitfields && laterHeader) {
            for (int i = 0; i < 3; ++i)
                pixels.masks[i] = LoadU32(headerMasks + 4 * i);
        } else if (h.biCompression == dib::kBitfields) {
            std::uint8_t masks[kMaskBytes];
            if (file->Read(masks, sizeof masks) < sizeof masks) {
                SetReadError("ReadDIBInfo: can't read info");
                return nullptr;
            }
            for (int i = 0; i < 3; ++i)
                pixels.masks[i] = LoadU32(masks + 4 * i);
            tablePosition += sizeof masks;
        } else if (h.biBitCount == 16) {
            pixels.masks[0] = 0x7C00, pixels.masks[1] = 0x03E0, pixels.masks[2] = 0x001F; // 5-5-5
        } else {
            pixels.masks[0] = 0xFF0000, pixels.masks[1] = 0xFF00, pixels.masks[2] = 0xFF;
        }
        pixels.layout = PixelSource::Layout::Masked;
        pixels.bottomUp = !topDown;
    } else if (topDown) {
        pixels.layout = PixelSource::Layout::TopDown;
    }

    // The DIB's pixel size. An uncompressed one is always computed, never
    // taken from the file; run-length data keeps the stored size (or the
    // uncompressed size when none is stored), but no more than the file holds.
    const std::uint64_t rowsBytes =
        dib::DIBWidthBytes(masked ? 24 : h.biBitCount, pixels.width) * std::uint64_t{pixels.height};
    const bool compressed = h.biCompression == dib::kRle8 || h.biCompression == dib::kRle4;

    const std::uint32_t fileEntries = dib::DIBNumColors(h); // what the file's table claims
    const std::uint32_t n = TableEntries(h);
    // A 24-bit picture needs no table; one claimed beyond the file's end is
    // a damaged header, not a table to read the pixels' bytes as.
    if (h.biBitCount == 24 && tablePosition + std::uint64_t{entryBytes} * fileEntries > file->Size()) {
        const std::string why = "the header of this 24-bit picture claims a colour table of " +
                                std::to_string(fileEntries) + " colours, more than the file holds";
        SetHeaderReason(why.c_str());
        SetReadError("ReadDIBInfo: Incorrect type");
        return nullptr;
    }

    // The pixels: at bfOffBits, or right after the table the file claims.
    pixels.offset =
        bfOffBits != 0 ? bfOffBits : tablePosition + std::uint64_t{entryBytes} * (masked ? h.biClrUsed : fileEntries);
    const std::uint64_t fileSize = file->Size();
    pixels.available = pixels.offset < fileSize ? fileSize - pixels.offset : 0;
    pixels.dibBytes = compressed
                          ? std::min<std::uint64_t>(h.biSizeImage != 0 ? h.biSizeImage : rowsBytes, pixels.available)
                          : rowsBytes;
    pixels.tooLarge = pixels.dibBytes > dib::kMaxPixelBytes || (!compressed && pixels.dibBytes > kSmallImageBytes &&
                                                                pixels.dibBytes / kMaxClaimFactor > pixels.available);

    InfoHeader stored = h;
    stored.biHeight = static_cast<std::int32_t>(pixels.height);
    stored.biClrUsed = n;
    stored.biSizeImage = pixels.tooLarge ? 0 : static_cast<std::uint32_t>(pixels.dibBytes);
    if (masked) {
        stored.biBitCount = 24;
        stored.biCompression = dib::kRgb;
        stored.biClrImportant = 0;
    }

    gmem::Handle block = gmem::Alloc(dib::kImageFlags, dib::kInfoHeaderSize + std::size_t{4} * n);
    if (!block) {
        SetReadError("ReadDIBInfo: no DIB");
        return nullptr;
    }
    dib::LockedBlock locked(block);
    std::uint8_t* bytes = locked.bytes();
    dib::StoreHeader(bytes, stored);
    if (n > 0) {
        // Entries the file does not hold stay black.
        std::uint8_t* table = bytes + dib::kInfoHeaderSize;
        file->Seek(tablePosition);
        file->Read(table, std::size_t{entryBytes} * n);
        if (entryBytes == 3) {
            // Widen blue, green, red to blue, green, red, 0 in place, from the
            // last entry to the first so that none is overwritten unread.
            for (std::uint32_t i = n; i-- > 0;) {
                const std::uint8_t b = table[3 * i], g = table[3 * i + 1], r = table[3 * i + 2];
                table[4 * i] = b, table[4 * i + 1] = g, table[4 * i + 2] = r, table[4 * i + 3] = 0;
            }
        }
    }
    file->Seek(pixels.offset);
    return block;
}

} // namespace vistrel::bitload
