// SPDX-License-Identifier: GPL-3.0-or-later
// The wallpaper file: a file header in front of the DIB block exactly as it
// is in memory, so what is installed is what was composed.
#include <fstream>

#include "last_error.h"
#include "vistrel/dib/convert.h"
#include "vistrel/dib/dib.h"
#include "vistrel/dib/utf8_path.h"
#include "vistrel/dib/write.h"

namespace vistrel::dib {

bool WriteDIB(const char* name, gmem::Handle dib)
{
    if (!dib) {
        SetDibError("WriteDIB: No DIB");
        return false;
    }
    if (!name) {
        SetDibError("WriteDIB: No Name");
        return false;
    }
    std::ofstream file(PathFromUtf8(name), std::ios::binary | std::ios::trunc);
    if (!file) {
        SetDibError("WriteDIB: Can't open BMP output file");
        return false;
    }
    LockedBlock block(dib);
    // The block is written whole, trailing bytes included; only its header is
    // interpreted, and only when the block holds one.
    const std::size_t size = block.size();
    if (!block || size < kInfoHeaderSize || size > UINT32_MAX - kFileHeaderSize) {
        SetDibError("WriteDIB: Can't write on file");
        return false;
    }
    InfoHeader h = LoadHeader(block.bytes());
    std::uint64_t offBits = std::uint64_t{kFileHeaderSize} + kInfoHeaderSize + std::uint64_t{4} * DIBNumColors(h);
    std::uint8_t fileHeader[kFileHeaderSize] = {};
    StoreU16(fileHeader, kBitmapType);
    StoreU32(fileHeader + 2, static_cast<std::uint32_t>(size + kFileHeaderSize));
    StoreU32(fileHeader + 10, static_cast<std::uint32_t>(offBits));
    file.write(reinterpret_cast<const char*>(fileHeader), sizeof fileHeader);
    file.write(reinterpret_cast<const char*>(block.bytes()), static_cast<std::streamsize>(size));
    file.flush();
    if (!file) {
        SetDibError("WriteDIB: Can't write on file");
        return false;
    }
    return true;
}

} // namespace vistrel::dib
