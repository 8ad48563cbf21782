// SPDX-License-Identifier: GPL-3.0-or-later
// Global memory on Windows: the system's own calls, so that blocks pass
// between the programs and extender DLLs exactly as the system defines.
#include "vistrel/platform/global_memory.h"

#include <windows.h>

namespace vistrel::gmem {

static_assert(kMoveable == GMEM_MOVEABLE && kZeroInit == GMEM_ZEROINIT && kFixed == GMEM_FIXED);

Handle Alloc(unsigned flags, std::size_t bytes) { return ::GlobalAlloc(flags, bytes ? bytes : 1); }

Handle ReAlloc(Handle block, std::size_t bytes, unsigned flags)
{
    if (!block)
        return nullptr;
    // A fixed block may only move when asked to; a movable one keeps its handle.
    return ::GlobalReAlloc(block, bytes ? bytes : 1, (flags & GMEM_ZEROINIT) | GMEM_MOVEABLE);
}

void* Lock(Handle block) { return block ? ::GlobalLock(block) : nullptr; }

bool Unlock(Handle block) { return block && ::GlobalUnlock(block) != 0; }

std::size_t Size(Handle block) { return block ? ::GlobalSize(block) : 0; }

Handle Free(Handle block) { return block ? ::GlobalFree(block) : nullptr; }

bool IsMoveable(Handle block)
{
    // A fixed block's handle is its own address.
    if (!block)
        return false;
    void* bytes = ::GlobalLock(block);
    if (!bytes)
        return false;
    ::GlobalUnlock(block);
    return bytes != block;
}

} // namespace vistrel::gmem
