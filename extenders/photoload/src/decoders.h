// SPDX-License-Identifier: GPL-3.0-or-later
// One function per format, each on its decoder library. Each reads the
// file's bytes into the canvas; false (with the canvas's error set) when no
// picture came out. A decoder may stop early and still return true: the part
// of a damaged or truncated picture that decoded, the rest black.
#pragma once

#include <cstddef>
#include <cstdint>

#include "picture_sink.h"
#include "vistrel/photoload/read_photo.h"

namespace vistrel::photoload {

struct FileBytes {
    const std::uint8_t* data = nullptr;
    std::size_t size = 0;
};

enum class Format { kUnknown, kJpeg, kPng, kWebp, kGif, kTiff, kHeif, kJxl };

// The format by the file's first bytes (never by its name).
Format Sniff(const std::uint8_t* data, std::size_t size);
const char* FormatName(Format format);

// Memory any one decoder may take for its own work, on top of the picture.
inline constexpr std::size_t kDecoderMemoryLimit = std::size_t{512} << 20;

// The decoder of a format in this build, or null.
using DecodeFn = bool (*)(const FileBytes&, PictureSink&);
DecodeFn DecoderFor(Format format);

bool DecodeJpeg(const FileBytes& file, PictureSink& canvas);
bool DecodePng(const FileBytes& file, PictureSink& canvas);
// PNG rows by the fastest way for the picture, or by libspng alone (which
// the tests and the differential fuzzer compare the fast way with).
enum class PngRows { kFastest, kLibspng };
bool DecodePngRows(const FileBytes& file, PictureSink& canvas, PngRows way);
bool DecodeWebp(const FileBytes& file, PictureSink& canvas);
bool DecodeGif(const FileBytes& file, PictureSink& canvas);
bool DecodeTiff(const FileBytes& file, PictureSink& canvas);
bool DecodeHeif(const FileBytes& file, PictureSink& canvas);
// HEVC pictures decoded on every core, or by libheif's own plugin on one
// (which the tests compare with).
enum class HevcThreads { kEveryCore, kLibheifs };
bool DecodeHeifWith(const FileBytes& file, PictureSink& canvas, HevcThreads threads);
bool DecodeJxl(const FileBytes& file, PictureSink& canvas);

} // namespace vistrel::photoload
