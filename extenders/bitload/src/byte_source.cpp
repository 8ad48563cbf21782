// SPDX-License-Identifier: GPL-3.0-or-later
// Where the reader's bytes come from. Files are opened by UTF-8 path (wide
// paths on Windows).
#include <cstring>

#include "reader.h"

namespace vistrel::bitload {

FileSource::FileSource(const char* utf8Path)
{
    // Opened without waiting, and only a regular file: a FIFO would block the
    // open, a device would never end.
    std::string why;
    open_ = file_.Open(utf8Path, why, true);
    size_ = file_.Size();
}

std::size_t FileSource::Read(void* into, std::size_t bytes)
{
    if (!open_ || position_ >= size_ || bytes == 0)
        return 0;
    bytes = static_cast<std::size_t>(std::min<std::uint64_t>(bytes, size_ - position_));
    const std::size_t got = file_.ReadAt(position_, into, bytes);
    position_ += got;
    return got;
}

void FileSource::Seek(std::uint64_t position) { position_ = position; }

std::size_t MemorySource::Read(void* into, std::size_t bytes)
{
    if (position_ >= size_)
        return 0;
    bytes = static_cast<std::size_t>(std::min<std::uint64_t>(bytes, size_ - position_));
    std::memcpy(into, data_ + position_, bytes);
    position_ += bytes;
    return bytes;
}

} // namespace vistrel::bitload
