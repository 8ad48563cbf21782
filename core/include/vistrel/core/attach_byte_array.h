// SPDX-License-Identifier: GPL-3.0-or-later
// A growable byte array in fixed global memory that can adopt a buffer and
// hand it back, so chains pass between the list's slots and the code that
// edits them without copying.
#pragma once

#include <cstddef>
#include <cstdint>

namespace vistrel {

class CAttachByteArray {
public:
    explicit CAttachByteArray(std::size_t growBy = 0) : growBy_(growBy) {}
    ~CAttachByteArray();
    CAttachByteArray(const CAttachByteArray&) = delete;
    CAttachByteArray& operator=(const CAttachByteArray&) = delete;

    // Drops the current contents, then adopts `buffer` (fixed global memory)
    // with length and capacity `bytes`.
    void Attach(void* buffer, std::size_t bytes);
    // Hands back the data and leaves the array empty, freeing nothing. The
    // pointer may differ from the one attached when the array had to grow.
    void* Detach();

    std::uint8_t* GetData() { return data_; }
    const std::uint8_t* GetData() const { return data_; }
    std::size_t GetSize() const { return size_; }

    // Grows or shrinks to `bytes`; new bytes are zero. False when memory
    // cannot be had (the array is unchanged then).
    bool SetSize(std::size_t bytes);
    // Inserts `count` bytes from `source` at `offset` (at most the size).
    bool InsertAt(std::size_t offset, const void* source, std::size_t count);
    // Removes `count` bytes at `offset`; the range must lie inside the array.
    bool RemoveAt(std::size_t offset, std::size_t count);
    void RemoveAll();

private:
    bool Reserve(std::size_t bytes);

    std::uint8_t* data_ = nullptr;
    std::size_t size_ = 0;
    std::size_t capacity_ = 0;
    std::size_t growBy_;
};

} // namespace vistrel
