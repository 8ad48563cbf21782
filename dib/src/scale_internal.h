// SPDX-License-Identifier: GPL-3.0-or-later
// The pieces of ScaleDIB: the checked job description and the two modes.
#pragma once

#include <cstddef>
#include <cstdint>
#include <vector>

namespace vistrel::dib::scale {

// A validated scaling job: both images are 24-bit, bottom-up, padded rows.
struct Job {
    const std::uint8_t* src;
    std::size_t srcStride;
    std::uint32_t sW, sH;
    std::uint8_t* dst;
    std::size_t dstStride;
    std::uint32_t dW, dH;
};

// Both return false when their working memory cannot be had; the destination
// then stays all zero.
bool Nearest(const Job& job);
bool AreaAverage(const Job& job);

// round(x) = truncate(x + 0.5) makes every output byte. The means that
// occur lie within 0 … 255 up to rounding noise; a value a hair past either
// end is held there rather than wrapping round to the other end.
inline std::uint8_t ToByte(double x)
{
    const double r = x + 0.5;
    if (!(r >= 0.0))
        return 0;
    if (r >= 255.0)
        return 255;
    return static_cast<std::uint8_t>(r);
}

// single(x): rounding to single precision, named so the precision rules of
// the resampler read as they are meant.
inline float Single(double x) { return static_cast<float>(x); }

// The height shrinks or stays (stepY >= 1): which source row closes each
// output row, and with what weight. The boundary yB runs in single
// precision, rounded after every addition, as the resampler has always done,
// and drifts away from the true boundary over many rows. The drift is kept
// from doing harm; everywhere else the rows close as they always did:
//  - the last output row is closed by the last source row and by no other;
//  - an output row is closed early when just as many source rows are left as
//    output rows, so that every output row is closed;
//  - no row past the last output row is ever closed.
// A row closed by these rules takes its closing source row wholly and is
// divided by the weight it really collected, not by the nominal area, so
// that it shows the mean of its rows like every other output row.
struct RowClose {
    std::int64_t row = -1; // closing source row; -1: never closed (stays black)
    float w1 = 0;          // its share in this output row
    float rest = 0;        // single(1 - w1): its share in the next one
    float divisor = 0;     // what the sums are divided by
};

std::vector<RowClose> PlanShrinkRows(std::uint32_t sH, std::uint32_t dH, float stepX, float stepY, float area);

// Horizontal box filter for stepX >= 1. Which source pixel closes which
// output pixel, and with what fraction, is the same for every row, so it is
// worked out once per call.
struct ShrinkPlan {
    std::vector<std::uint32_t> closePixel; // per output pixel that gets closed
    std::vector<double> fraction;
    std::uint32_t maxInside = 0; // most pixels wholly inside one output pixel
};
ShrinkPlan MakeShrinkPlan(std::uint32_t sW, std::uint32_t dW, float stepX);

// The per-output-pixel sums (p + t) of one source row, in double precision,
// three per pixel (blue, green, red); `sums` holds 3 × closed-count values.
void ShrinkSums(const std::uint8_t* row, const ShrinkPlan& plan, double* sums);

// array = single(array + sums × w), for all closed output pixels.
void FoldSums(float* array, const double* sums, std::size_t count, float w);

// Horizontal interpolation for stepX < 1, also worked out once per call.
struct StretchStep {
    std::uint8_t kind;         // 1: N; 2: P + (N - P) t; 4: the straddling case
    std::uint32_t p, n, n2;    // source pixels standing as P, N and the N after the advance
    float t, u, t2, oneMinusU; // t doubles as t1 in the straddling case
};
std::vector<StretchStep> MakeStretchPlan(std::uint32_t sW, std::uint32_t dW, float stepX);

// One source row interpolated to dW values per channel.
void StretchRow(const std::uint8_t* row, const std::vector<StretchStep>& plan, float* out);

} // namespace vistrel::dib::scale
