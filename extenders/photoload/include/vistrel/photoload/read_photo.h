// SPDX-License-Identifier: GPL-3.0-or-later
// The photograph reader: JPEG, PNG, WebP, GIF, TIFF, HEIF/HEIC/AVIF and JPEG
// XL files into DIBs (vistrel/dib/dib.h), by the well-kept decoder library of
// each format (on Windows: the system's imaging component).
//
// This is the Photoload extender's own code, usable without loading the
// module (the fuzzer, the tests). Every result is a new movable global memory
// block, a bottom-up 24-bit DIB without colour table, the right way up (the
// picture's orientation applied) and in sRGB (an embedded colour profile
// converted), with transparent parts laid over a background: black, or the
// colour the viewer asked for. Animations give their first frame.
//
// Hostile files: the pixel count is checked against kMaxPixels before any
// pixel memory is allocated, every decoder runs under its own memory limits,
// and a damaged or truncated file gives an error (or the part that decoded),
// never a read or write outside a buffer.
#pragma once

#include <cstddef>
#include <cstdint>

#include "vistrel/platform/global_memory.h"
#include "vistrel_extender.h"

namespace vistrel::photoload {

// The most pixels a picture may have: 268,435,456, as many as 16384 x 16384
// (a 768 MB DIB). A side may be longer where the other is shorter.
inline constexpr std::uint64_t kMaxPixels = std::uint64_t{1} << 28;

// The memory a read may take by default, all of it counted: the file's
// bytes, what the decoder library holds (its own buffers, float planes, a
// whole-picture copy) and the picture made. A picture that would need more is
// refused before anything large is allocated. The Photoload extender reads
// another budget, in MB, from the number "MemoryLimit" of the settings key
// kSettingsKey.
inline constexpr std::uint64_t kDefaultMemoryBudget = std::uint64_t{1} << 30;
inline constexpr const char* kSettingsKey = "Software\\Vistrel\\Vistrel\\Photoload";

// How a read may shrink the picture (shrink-on-load, vistrel_extender.h):
// `need` is asked with the picture's size as shown, for the least size
// wanted and the background. Without it the picture is read at full size
// over black. Where the viewer would scale the decoded picture down to a
// size it then leaves as it is, the rows are scaled to that size while they
// are decoded (with the viewer's own area averaging, so that it shows the
// same bytes), and `need` is asked about those sizes too.
struct ReadRequest {
    VistrelNeedFn need = nullptr;
    void* context = nullptr;
    // A lower pixel limit for callers that want one (the fuzzer, to keep
    // its runs short); never more than kMaxPixels.
    std::uint64_t maxPixels = kMaxPixels;
    // The memory the read may take, in bytes (see kDefaultMemoryBudget).
    std::uint64_t memoryBudget = kDefaultMemoryBudget;
};

// Reads the file at `path` (UTF-8).
gmem::Handle ReadPhoto(const char* path, const ReadRequest& request = {});

// Reads a file held in memory, with the same checks and messages.
gmem::Handle ReadPhotoFromMemory(const void* data, std::size_t size, const ReadRequest& request = {});

// Why the last read failed, in plain words; empty until the first failure.
const char* PhotoLastError();

// The file-name endings of the formats this build reads, each with its dot,
// separated by one backslash.
const char* PhotoExtensions();

} // namespace vistrel::photoload
