// SPDX-License-Identifier: GPL-3.0-or-later
// An entry's chain of parameter blocks: a 32-bit block count, then the blocks
// back to back (reader block, middle blocks, viewer block). Kept in fixed
// global memory so the list can own chains as plain buffers.
//
// A chain only ever hands out blocks that lie wholly inside its bytes: a
// buffer whose count is negative, or whose sizes fall below the header or run
// past its end, is damaged, and a damaged chain shows no blocks and refuses
// every edit.
#pragma once

#include "vistrel/core/attach_byte_array.h"

#include <cstdint>
#include <string_view>

namespace vistrel {

class CParamChain {
public:
    static constexpr std::size_t kGrowBy = 200;

    // A new, empty chain (a zero count).
    CParamChain();
    ~CParamChain() = default;

    // Adopts a chain buffer of `bufferBytes` bytes. Its length is found by
    // walking the blocks. False (and a damaged chain) when they do not walk
    // inside the buffer.
    bool Attach(void* buffer, std::size_t bufferBytes);
    // Hands the buffer back (possibly moved by edits) and leaves the chain empty.
    void* Detach();

    bool IsDamaged() const { return damaged_; }
    int GetCount() const;
    // 4 plus the sizes of the blocks.
    std::size_t GetLength() const;
    // Block i, or null when i is not below the count.
    std::uint8_t* GetBlock(int index);
    const std::uint8_t* GetBlock(int index) const;
    // The index of the last block whose ID equals `id` exactly, or -1.
    int FindById(std::string_view id) const;

    // Copies exactly the block's size bytes to the end. The block must hold
    // its whole size (`available` bytes readable at `block`).
    bool Append(const void* block, std::size_t available);
    // The same for a fresh global block, which is freed afterwards either way.
    bool AppendAndFree(void* block);
    // Copies the block in front of the chain's last block (at the end when
    // the chain is empty).
    bool InsertBeforeLast(const void* block, std::size_t available);
    bool InsertBeforeLastAndFree(void* block);
    bool Remove(int index);
    bool RemoveLast() { return Remove(GetCount() - 1); }

    // A new fixed global buffer holding the whole chain (GetLength bytes), or null.
    void* CopyOut() const;

    // Walks a chain buffer: its length, or 0 when the blocks do not walk
    // inside `bufferBytes`.
    static std::size_t WalkLength(const void* buffer, std::size_t bufferBytes);

private:
    // The offset of block i; the chain is known to walk.
    std::size_t OffsetOf(int index) const;
    bool InsertAt(std::size_t offset, const void* block, std::size_t available);

    CAttachByteArray bytes_;
    bool damaged_ = false;
};

} // namespace vistrel
