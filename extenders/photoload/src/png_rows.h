// SPDX-License-Identifier: GPL-3.0-or-later
// The rows of the common PNGs (8-bit grey, RGB or RGBA, not interlaced) read
// on two cores: the image data inflated on the decoder's thread, its row
// filters undone where the canvas stores the rows (its second thread when it
// scales while decoding). libspng does both on one thread.
//
// The image data is read exactly as libspng reads it from memory: the same
// chunks in the same order with the same checksum checks, zlib called with
// the same amounts of output, so that every file gives the same rows, stops
// at the same row and fails with the same error as libspng's own decode.
// The differential fuzzer (fuzz/png_rows_fuzz.cpp) holds it to that.
#pragma once

#include <spng.h>

#include <cstdint>

#include "decoders.h"

namespace vistrel::photoload {

// Whether the rows of a PNG with this header can be read here; the others,
// and those with a transparent colour (tRNS) or a colour profile, are left
// to libspng whole.
bool PngRowsReadHere(const spng_ihdr& ihdr);

// Reads the rows of a PNG into the canvas, begun at the picture's size in
// RGB (grey and RGB pictures) or RGBA. Call it after libspng's
// spng_decode_image(SPNG_DECODE_PROGRESSIVE) accepted the file, which checks
// everything before the image data. Returns SPNG_EOI when every row came,
// else the libspng error of the row where it stopped; `rows` counts the rows
// committed.
int ReadPngRows(const FileBytes& file, const spng_ihdr& ihdr, PictureSink& canvas, std::uint32_t& rows);

} // namespace vistrel::photoload
