// SPDX-License-Identifier: GPL-3.0-or-later
#include "vistrel/core/attach_byte_array.h"

#include "vistrel/platform/global_memory.h"

#include <cstring>

namespace vistrel {

CAttachByteArray::~CAttachByteArray() { RemoveAll(); }

void CAttachByteArray::Attach(void* buffer, std::size_t bytes)
{
    RemoveAll();
    data_ = static_cast<std::uint8_t*>(buffer);
    size_ = capacity_ = buffer ? bytes : 0;
}

void* CAttachByteArray::Detach()
{
    void* data = data_;
    data_ = nullptr;
    size_ = capacity_ = 0;
    return data;
}

void CAttachByteArray::RemoveAll()
{
    gmem::Free(data_);
    data_ = nullptr;
    size_ = capacity_ = 0;
}

bool CAttachByteArray::Reserve(std::size_t bytes)
{
    if (bytes <= capacity_)
        return true;
    std::size_t step = growBy_ ? growBy_ : (size_ / 8 < 4 ? 4 : size_ / 8);
    std::size_t capacity = bytes + step;
    if (capacity < bytes)
        return false;
    // Move to a larger buffer and free the old one: callers store the pointer
    // Detach returns in place of the one they attached.
    auto* grown = static_cast<std::uint8_t*>(gmem::Alloc(gmem::kFixed | gmem::kZeroInit, capacity));
    if (!grown)
        return false;
    if (size_)
        std::memcpy(grown, data_, size_);
    gmem::Free(data_);
    data_ = grown;
    capacity_ = capacity;
    return true;
}

bool CAttachByteArray::SetSize(std::size_t bytes)
{
    if (bytes > size_) {
        if (!Reserve(bytes))
            return false;
        std::memset(data_ + size_, 0, bytes - size_);
    }
    size_ = bytes;
    return true;
}

bool CAttachByteArray::InsertAt(std::size_t offset, const void* source, std::size_t count)
{
    if (offset > size_ || size_ + count < size_ || !Reserve(size_ + count))
        return false;
    std::memmove(data_ + offset + count, data_ + offset, size_ - offset);
    if (count)
        std::memcpy(data_ + offset, source, count);
    size_ += count;
    return true;
}

bool CAttachByteArray::RemoveAt(std::size_t offset, std::size_t count)
{
    if (offset > size_ || count > size_ - offset)
        return false;
    std::memmove(data_ + offset, data_ + offset + count, size_ - offset - count);
    size_ -= count;
    return true;
}

} // namespace vistrel
