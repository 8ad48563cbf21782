// SPDX-License-Identifier: GPL-3.0-or-later
#include "allocation_watch.h"

#include <atomic>

#if defined(__SANITIZE_ADDRESS__) || defined(_WIN32) || !defined(__GLIBC__)
#define PHOTO_TEST_NO_WATCH 1
#elif defined(__has_feature)
#if __has_feature(address_sanitizer) || __has_feature(memory_sanitizer)
#define PHOTO_TEST_NO_WATCH 1
#endif
#endif

namespace photo_test {
namespace {
std::atomic<bool> g_watching{false};
std::atomic<std::size_t> g_largest{0};
} // namespace

// Called by the wrappers below, for every request.
void Note(std::size_t bytes);
void Note(std::size_t bytes)
{
    if (!g_watching.load(std::memory_order_relaxed))
        return;
    std::size_t seen = g_largest.load(std::memory_order_relaxed);
    while (bytes > seen && !g_largest.compare_exchange_weak(seen, bytes)) {
    }
}

#ifdef PHOTO_TEST_NO_WATCH
bool CanWatchAllocations() { return false; }
#else
bool CanWatchAllocations() { return true; }
#endif

void StartWatchingAllocations()
{
    g_largest = 0;
    g_watching = true;
}

std::size_t StopWatchingAllocations()
{
    g_watching = false;
    return g_largest;
}

} // namespace photo_test

#ifndef PHOTO_TEST_NO_WATCH
#include <cerrno>
#include <sys/mman.h>
#include <sys/syscall.h>
#include <unistd.h>

extern "C" {
void* __libc_malloc(std::size_t);
void* __libc_calloc(std::size_t, std::size_t);
void* __libc_realloc(void*, std::size_t);

void* malloc(std::size_t bytes)
{
    photo_test::Note(bytes);
    return __libc_malloc(bytes);
}

void* calloc(std::size_t count, std::size_t size)
{
    photo_test::Note(count * size);
    return __libc_calloc(count, size);
}

void* realloc(void* block, std::size_t bytes)
{
    photo_test::Note(bytes);
    return __libc_realloc(block, bytes);
}

void* mmap(void* address, std::size_t length, int protection, int flags, int fd, off_t offset)
{
    photo_test::Note(length);
    const long result = syscall(SYS_mmap, address, length, protection, flags, fd, offset);
    if (result < 0 && result > -4096) {
        errno = static_cast<int>(-result);
        return MAP_FAILED;
    }
    return reinterpret_cast<void*>(result);
}
}
#endif
