// SPDX-License-Identifier: GPL-3.0-or-later
// The bitmap file reader: Windows BMP files into DIBs (vistrel/dib/dib.h).
//
// This is the reader extender's own code, usable without loading the module
// (vistrelctl, the fuzzer). Every result is a new movable global memory block
// the caller owns, or null with the reason in ReadLastError().
//
// What is read: 40-byte and 12-byte (core) headers, and the 108- and 124-byte
// forms by their leading 40 bytes and colour masks; 1-, 4-, 8- and 24-bit
// pixels as stored, run-length data (8 and 4 bits) passed through unchanged;
// 16- and 32-bit pixels (5-5-5, or the masks of a bit-field file) turned
// into 24-bit pixels; top-down files turned into the usual bottom-up rows.
// Every size comes from checked arithmetic, nothing is allocated beyond
// kMaxPixelBytes or far beyond what the file holds, and nothing is read or
// written outside a block.
#pragma once

#include <cstddef>
#include <cstdint>

#include "vistrel/platform/global_memory.h"

namespace vistrel::bitload {

// A file shorter than its pixel data reads with the missing bytes zero, as
// long as it holds at least 1/kMaxClaimFactor of the pixel data the image
// needs, or the image is at most kSmallImageBytes; a file that holds less
// is refused rather than filled with what it merely claims.
inline constexpr std::uint64_t kMaxClaimFactor = 8;
inline constexpr std::uint64_t kSmallImageBytes = std::uint64_t{1} << 20;

// Reads the file at `path` (UTF-8).
gmem::Handle ReadDIB(const char* path);

// Reads a bitmap file held in memory, with the same checks and messages.
gmem::Handle ReadDIBFromMemory(const void* data, std::size_t size);

// The last failure's text; empty until the first failure, left unchanged by
// a successful read.
const char* ReadLastError();

} // namespace vistrel::bitload
