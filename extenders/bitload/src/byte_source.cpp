// SPDX-License-Identifier: GPL-3.0-or-later
// Where the reader's bytes come from. Files are opened by UTF-8 path through
// std::filesystem, which opens wide paths on Windows.
#include <cstring>

#include "reader.h"
#include "vistrel/dib/utf8_path.h"

namespace vistrel::bitload {

FileSource::FileSource(const char* utf8Path)
{
    std::error_code ec;
    const std::filesystem::path path = dib::PathFromUtf8(utf8Path);
    if (std::filesystem::is_directory(path, ec))
        return;
    file_.open(path, std::ios::binary);
    if (!file_)
        return;
    file_.seekg(0, std::ios::end);
    const std::streamoff end = file_.tellg();
    file_.seekg(0, std::ios::beg);
    if (!file_ || end < 0)
        return;
    size_ = static_cast<std::uint64_t>(end);
    open_ = true;
}

std::size_t FileSource::Read(void* into, std::size_t bytes)
{
    if (!open_ || position_ >= size_ || bytes == 0)
        return 0;
    bytes = static_cast<std::size_t>(std::min<std::uint64_t>(bytes, size_ - position_));
    file_.clear();
    file_.seekg(static_cast<std::streamoff>(position_));
    file_.read(static_cast<char*>(into), static_cast<std::streamsize>(bytes));
    const auto got = static_cast<std::size_t>(std::max<std::streamsize>(file_.gcount(), 0));
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
