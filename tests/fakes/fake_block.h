// SPDX-License-Identifier: GPL-3.0-or-later
// Shared by the fake extenders: a default block of a given size and ID.
#pragma once

#include "vistrel/platform/global_memory.h"

#include <cstdint>
#include <cstring>

inline void* FakeBlock(const char* id, std::uint32_t size)
{
    auto* b = static_cast<std::uint8_t*>(vistrel::gmem::Alloc(vistrel::gmem::kFixed | vistrel::gmem::kZeroInit, size));
    if (!b)
        return nullptr;
    std::memcpy(b, &size, 4);
    std::uint32_t value = 100, one = 1;
    std::memcpy(b + 4, &value, 4);
    std::strncpy(reinterpret_cast<char*>(b + 8), id, 30);
    std::memcpy(b + 40, &one, 4);
    return b;
}
