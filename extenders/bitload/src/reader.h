// SPDX-License-Identifier: GPL-3.0-or-later
// The reader's inner parts: where bytes come from, and what the header step
// hands to the pixel step.
#pragma once

#include <algorithm>
#include <cstdint>
#include <string>

#include "vistrel/bitload/read_dib.h"
#include "vistrel/dib/dib.h"
#include "vistrel/platform/input_file.h"

namespace vistrel::bitload {

void SetReadError(const char* message);
// A reason the header step found that its fixed message does not tell;
// ReadDIB adds it to its own. Taken (and cleared) once.
void SetHeaderReason(const char* why);
std::string TakeHeaderReason();

// Sequential reads with seeking, from a file or from memory. A read returns
// how many bytes it got; reading past the end gets fewer or none.
class ByteSource {
public:
    virtual ~ByteSource() = default;
    virtual std::size_t Read(void* into, std::size_t bytes) = 0;
    virtual void Seek(std::uint64_t position) = 0;
    virtual std::uint64_t Tell() const = 0;
    virtual std::uint64_t Size() const = 0;
};

class FileSource final : public ByteSource {
public:
    explicit FileSource(const char* utf8Path);
    bool IsOpen() const { return open_; }
    std::size_t Read(void* into, std::size_t bytes) override;
    void Seek(std::uint64_t position) override;
    std::uint64_t Tell() const override { return position_; }
    std::uint64_t Size() const override { return size_; }

private:
    platform::InputFile file_;
    bool open_ = false;
    std::uint64_t size_ = 0, position_ = 0;
};

class MemorySource final : public ByteSource {
public:
    MemorySource(const void* data, std::size_t size) : data_(static_cast<const std::uint8_t*>(data)), size_(size) {}
    std::size_t Read(void* into, std::size_t bytes) override;
    void Seek(std::uint64_t position) override { position_ = position; }
    std::uint64_t Tell() const override { return position_; }
    std::uint64_t Size() const override { return size_; }

private:
    const std::uint8_t* data_;
    std::size_t size_;
    std::uint64_t position_ = 0;
};

// How the pixel step finds and lays out the pixels the header step found.
struct PixelSource {
    enum class Layout {
        AsStored, // bottom-up rows or run-length data: copied as they are
        TopDown,  // rows copied, then put in bottom-up order
        Masked    // 16 or 32 bits per pixel, widened to 24 bits row by row
    } layout = Layout::AsStored;
    std::uint64_t offset = 0;    // file position of the pixel data
    std::uint64_t available = 0; // bytes the file holds from there on
    std::uint64_t dibBytes = 0;  // pixel bytes of the DIB (its biSizeImage)
    bool tooLarge = false;       // more than the reader will allocate
    std::uint32_t width = 0, height = 0;
    std::uint16_t fileBits = 0;
    std::uint64_t fileStride = 0; // bytes per row in the file
    std::uint32_t masks[3] = {};  // red, green, blue (Masked only)
    bool bottomUp = true;         // Masked: rows stored bottom row first
};

// The header step: reads the file and information headers and the colour
// table into a new block (header and table only) and describes the pixels.
// Null on failure, with its own message set.
gmem::Handle ReadDIBInfo(ByteSource* file, PixelSource& pixels);

// The pixel step: fills the pixel area of `bytes` (laid out by the header
// step and grown to hold pixels.dibBytes at `bitsOffset`). False only when
// working memory cannot be had.
bool ReadPixels(ByteSource& file, const PixelSource& pixels, std::uint8_t* bits);

// The whole read on an opened source: header step, growing, pixel step.
gmem::Handle ReadOpenedDIB(ByteSource& file);

} // namespace vistrel::bitload
