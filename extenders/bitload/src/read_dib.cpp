// SPDX-License-Identifier: GPL-3.0-or-later
// ReadDIB: the header step, then the block grown for the pixels, then the
// pixel step. Every failure releases what was allocated; the file is closed
// when its source goes out of scope.
#include "reader.h"

namespace vistrel::bitload {

gmem::Handle ReadOpenedDIB(ByteSource& file)
{
    PixelSource pixels;
    TakeHeaderReason();
    gmem::Owner block(ReadDIBInfo(&file, pixels));
    if (!block) {
        // Replaces the header step's text, keeping a reason it found.
        const std::string why = TakeHeaderReason();
        SetReadError(why.empty() ? "ReadDIB: Can't read BMP info" : ("ReadDIB: Can't read BMP info: " + why).c_str());
        return nullptr;
    }
    std::size_t bitsOffset;
    {
        dib::LockedBlock locked(block.get());
        bitsOffset = dib::kInfoHeaderSize + std::size_t{4} * dib::DIBNumColors(dib::LoadHeader(locked.bytes()));
    }
    // An image past the reader's limits is refused the way memory that cannot
    // be had is: nothing is allocated for what the file merely claims.
    if (pixels.tooLarge ||
        !gmem::ReAlloc(block.get(), bitsOffset + static_cast<std::size_t>(pixels.dibBytes), dib::kImageFlags)) {
        SetReadError("ReadDIB: Can't alloc DIB");
        return nullptr;
    }
    dib::LockedBlock locked(block.get());
    if (!ReadPixels(file, pixels, locked.bytes() + bitsOffset)) {
        SetReadError("ReadDIB: Can't alloc DIB");
        return nullptr;
    }
    return block.release();
}

gmem::Handle ReadDIB(const char* path)
{
    if (!path) {
        SetReadError("ReadDIB: No Name");
        return nullptr;
    }
    FileSource file(path);
    if (!file.IsOpen()) {
        SetReadError("ReadDIB: can't read file");
        return nullptr;
    }
    return ReadOpenedDIB(file);
}

gmem::Handle ReadDIBFromMemory(const void* data, std::size_t size)
{
    MemorySource memory(data, size);
    return ReadOpenedDIB(memory);
}

} // namespace vistrel::bitload
