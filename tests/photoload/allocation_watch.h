// SPDX-License-Identifier: GPL-3.0-or-later
// The largest single allocation a piece of code makes: malloc, calloc,
// realloc and mmap are wrapped in the test program (glibc lets a program
// replace them and still reach its own through __libc_malloc and friends).
// Not available under the sanitizers, which wrap them themselves, nor on
// Windows.
#pragma once

#include <cstddef>

namespace photo_test {

bool CanWatchAllocations();
void StartWatchingAllocations();
// The largest request since the start, in bytes.
std::size_t StopWatchingAllocations();

} // namespace photo_test
