// SPDX-License-Identifier: GPL-3.0-or-later
// Global memory emulation on top of the C library's allocator.
//
// A fixed block is one allocation: a 16-byte header followed by the caller's
// bytes; its handle is the address of those bytes (16-aligned). A movable
// block has a small header of its own whose address plus 8 is the handle, so
// handles and fixed addresses never look alike (8 versus 0 modulo 16), and
// the bytes live in a separate allocation that may move on ReAlloc while the
// handle stays. Large movable blocks (decoded and composed images) are mapped
// directly and may use huge pages: first touching a fresh 70 MB buffer page by
// page costs far more than the work done on it.
#include "vistrel/platform/global_memory.h"

#include <cstdlib>
#include <cstring>
#include <new>
#include <sys/mman.h>

namespace vistrel::gmem {
namespace {

constexpr std::uint32_t kFixedMagic = 0x58494647; // "GFIX"
constexpr std::uint64_t kMoveMagic = 0x564f4d47'4d454d47ull;
constexpr std::size_t kMapThreshold = std::size_t{4} << 20;
constexpr std::size_t kHugePage = std::size_t{2} << 20;

struct FixedHeader {
    std::uint32_t magic;
    std::uint32_t flags;
    std::uint64_t size;
};
static_assert(sizeof(FixedHeader) == 16);

struct MoveHeader {
    std::uint64_t magic;
    void* data;
    std::size_t size;     // the size asked for
    std::size_t capacity; // bytes actually held at data
    std::uint32_t locks;
    std::uint32_t mapped;
};

constexpr std::size_t kMoveHeaderBytes = 64;
static_assert(sizeof(MoveHeader) <= kMoveHeaderBytes);

FixedHeader* fixedHeader(Handle h)
{
    auto* header = reinterpret_cast<FixedHeader*>(static_cast<char*>(h) - sizeof(FixedHeader));
    return header->magic == kFixedMagic ? header : nullptr;
}

MoveHeader* moveHeader(Handle h)
{
    auto addr = reinterpret_cast<std::uintptr_t>(h);
    if ((addr & 15u) != 8u)
        return nullptr;
    auto* header = reinterpret_cast<MoveHeader*>(addr - 8);
    return header->magic == kMoveMagic ? header : nullptr;
}

std::size_t roundUp(std::size_t n, std::size_t step) { return (n + step - 1) / step * step; }

// Bytes for a movable block. Mapped memory is always zero-filled.
bool acquireBytes(std::size_t bytes, bool zero, void*& data, std::size_t& capacity, bool& mapped)
{
    if (bytes >= kMapThreshold) {
        std::size_t length = roundUp(bytes, kHugePage);
        void* p = ::mmap(nullptr, length, PROT_READ | PROT_WRITE, MAP_PRIVATE | MAP_ANONYMOUS, -1, 0);
        if (p == MAP_FAILED)
            return false;
#ifdef MADV_HUGEPAGE
        ::madvise(p, length, MADV_HUGEPAGE);
#endif
        data = p;
        capacity = length;
        mapped = true;
        return true;
    }
    void* p = zero ? std::calloc(1, bytes ? bytes : 1) : std::malloc(bytes ? bytes : 1);
    if (!p)
        return false;
    data = p;
    capacity = bytes;
    mapped = false;
    return true;
}

void releaseBytes(void* data, std::size_t capacity, bool mapped)
{
    if (mapped)
        ::munmap(data, capacity);
    else
        std::free(data);
}

} // namespace

Handle Alloc(unsigned flags, std::size_t bytes)
{
    bool zero = (flags & kZeroInit) != 0;
    if (flags & kMoveable) {
        // aligned_alloc wants a multiple of the alignment.
        void* raw = std::aligned_alloc(16, kMoveHeaderBytes);
        if (!raw)
            return nullptr;
        auto* header = static_cast<MoveHeader*>(raw);
        bool mapped = false;
        if (!acquireBytes(bytes, zero, header->data, header->capacity, mapped)) {
            std::free(raw);
            return nullptr;
        }
        header->magic = kMoveMagic;
        header->size = bytes;
        header->locks = 0;
        header->mapped = mapped ? 1 : 0;
        return static_cast<char*>(raw) + 8;
    }
    if (bytes > SIZE_MAX - sizeof(FixedHeader))
        return nullptr;
    std::size_t total = sizeof(FixedHeader) + (bytes ? bytes : 1);
    void* raw = zero ? std::calloc(1, total) : std::malloc(total);
    if (!raw)
        return nullptr;
    auto* header = static_cast<FixedHeader*>(raw);
    header->magic = kFixedMagic;
    header->flags = flags;
    header->size = bytes;
    return static_cast<char*>(raw) + sizeof(FixedHeader);
}

Handle ReAlloc(Handle block, std::size_t bytes, unsigned flags)
{
    if (!block)
        return nullptr;
    bool zero = (flags & kZeroInit) != 0;
    if (MoveHeader* header = moveHeader(block)) {
        if (bytes <= header->capacity && (header->mapped || bytes == header->size)) {
            if (zero && bytes > header->size)
                std::memset(static_cast<char*>(header->data) + header->size, 0, bytes - header->size);
            header->size = bytes;
            return block;
        }
        void* data = nullptr;
        std::size_t capacity = 0;
        bool mapped = false;
        if (!acquireBytes(bytes, zero, data, capacity, mapped))
            return nullptr;
        std::memcpy(data, header->data, header->size < bytes ? header->size : bytes);
        releaseBytes(header->data, header->capacity, header->mapped != 0);
        header->data = data;
        header->capacity = capacity;
        header->mapped = mapped ? 1 : 0;
        header->size = bytes;
        return block;
    }
    FixedHeader* header = fixedHeader(block);
    if (!header || bytes > SIZE_MAX - sizeof(FixedHeader))
        return nullptr;
    std::size_t old = header->size;
    void* raw = std::realloc(header, sizeof(FixedHeader) + (bytes ? bytes : 1));
    if (!raw)
        return nullptr;
    header = static_cast<FixedHeader*>(raw);
    header->size = bytes;
    char* data = static_cast<char*>(raw) + sizeof(FixedHeader);
    if (zero && bytes > old)
        std::memset(data + old, 0, bytes - old);
    return data;
}

void* Lock(Handle block)
{
    if (!block)
        return nullptr;
    if (MoveHeader* header = moveHeader(block)) {
        ++header->locks;
        return header->data;
    }
    return block;
}

bool Unlock(Handle block)
{
    if (MoveHeader* header = block ? moveHeader(block) : nullptr) {
        if (header->locks > 0)
            --header->locks;
        return header->locks > 0;
    }
    return false;
}

std::size_t Size(Handle block)
{
    if (!block)
        return 0;
    if (MoveHeader* header = moveHeader(block))
        return header->size;
    FixedHeader* header = fixedHeader(block);
    return header ? header->size : 0;
}

Handle Free(Handle block)
{
    if (!block)
        return nullptr;
    if (MoveHeader* header = moveHeader(block)) {
        releaseBytes(header->data, header->capacity, header->mapped != 0);
        header->magic = 0;
        std::free(header);
        return nullptr;
    }
    if (FixedHeader* header = fixedHeader(block)) {
        header->magic = 0;
        std::free(header);
        return nullptr;
    }
    return block; // not a global memory block: refused, as the system does
}

bool IsMoveable(Handle block) { return block && moveHeader(block) != nullptr; }

} // namespace vistrel::gmem
