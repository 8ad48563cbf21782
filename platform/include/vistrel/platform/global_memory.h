// SPDX-License-Identifier: GPL-3.0-or-later
// Global memory: the blocks that cross the boundary between the programs and
// the extenders. Either side may free what the other allocated, so every
// module uses these calls and nothing else for such blocks.
//
// On Windows these are the system's GlobalAlloc family. Elsewhere a small
// emulation keeps the same ownership rules: a fixed block's handle is its
// address; a movable block has a handle that stays the same while its bytes
// move (ReAlloc), and Lock gives the current address. The emulation keeps no
// global state, so every library that links it agrees on every block.
#pragma once

#include <cstddef>
#include <cstdint>

namespace vistrel::gmem {

using Handle = void*;

inline constexpr unsigned kFixed = 0x0000;
inline constexpr unsigned kMoveable = 0x0002;
inline constexpr unsigned kZeroInit = 0x0040;

// A new block of `bytes` bytes (at least one byte is always reserved), or
// null when memory cannot be had.
Handle Alloc(unsigned flags, std::size_t bytes);

// Resizes a block. A movable block keeps its handle; a fixed block may move,
// and the new address is returned. Null on failure, with the old block intact.
Handle ReAlloc(Handle block, std::size_t bytes, unsigned flags);

// The block's bytes (a movable block's current address); null for null.
void* Lock(Handle block);
// Always succeeds for a valid handle; returns whether a lock is still held.
bool Unlock(Handle block);

// The size asked for when the block was made or last resized; 0 for null.
std::size_t Size(Handle block);

// Frees a block; null is ignored. Returns null, as the system call does.
Handle Free(Handle block);

// Whether the handle is a movable block's handle (as opposed to a fixed
// block's address).
bool IsMoveable(Handle block);

// A convenience for callers that own a block for a scope.
class Owner {
public:
    Owner() = default;
    explicit Owner(Handle h) : handle_(h) {}
    ~Owner() { Free(handle_); }
    Owner(const Owner&) = delete;
    Owner& operator=(const Owner&) = delete;
    Owner(Owner&& other) noexcept : handle_(other.release()) {}
    Owner& operator=(Owner&& other) noexcept
    {
        if (this != &other) {
            Free(handle_);
            handle_ = other.release();
        }
        return *this;
    }
    Handle get() const { return handle_; }
    Handle release()
    {
        Handle h = handle_;
        handle_ = nullptr;
        return h;
    }
    void reset(Handle h = nullptr)
    {
        Free(handle_);
        handle_ = h;
    }
    explicit operator bool() const { return handle_ != nullptr; }

private:
    Handle handle_ = nullptr;
};

} // namespace vistrel::gmem
