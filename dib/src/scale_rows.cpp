// SPDX-License-Identifier: GPL-3.0-or-later
// The two horizontal resamplers of the area-averaging mode.
//
// Both depend on the row only through its pixel values: which pixels meet in
// which output pixel, and with which weights, follows from the widths alone.
// So each call works that out once (a "plan") by running the resampler's own
// rules over pixel positions, and every row then only does arithmetic. The
// arithmetic is exactly the resampler's: the same double-precision operations
// in the same order, rounded to single precision at the same points.
#include <algorithm>

#include "scale_internal.h"

namespace vistrel::dib::scale {

ShrinkPlan MakeShrinkPlan(std::uint32_t sW, std::uint32_t dW, float stepX)
{
    ShrinkPlan plan;
    plan.closePixel.reserve(dW);
    plan.fraction.reserve(dW);
    double xB = stepX; // right edge of the current output pixel, in source pixels
    bool postponed = false;
    for (std::uint32_t i = 0; i < sW && plan.closePixel.size() < dW; ++i) {
        // 1.001: an edge on or just past a pixel edge closes at that pixel.
        const bool closes = !(xB > i + 1.001);
        const std::uint32_t out = static_cast<std::uint32_t>(plan.closePixel.size());
        bool forced;
        if (out + 1 == dW) {
            // The last output pixel ends where the row ends, so only the last
            // source pixel closes it, even where the running edge says otherwise.
            if (i + 1 < sW) {
                postponed = postponed || closes;
                continue;
            }
            forced = !closes || postponed;
        } else if (closes) {
            forced = false;
        } else if (sW - 1 - i == dW - 1 - out) {
            forced = true; // as many pixels left as output pixels: each needs one
        } else {
            continue;
        }
        double f = 1.0; // a forced close takes the pixel wholly
        if (!forced) {
            f = xB - i;
            if (!(f > 0))
                f = 0;
        }
        const std::uint32_t first = plan.closePixel.empty() ? 0 : plan.closePixel.back() + 1;
        plan.maxInside = std::max(plan.maxInside, i - first);
        plan.closePixel.push_back(i);
        plan.fraction.push_back(f);
        xB = xB + stepX;
    }
    return plan;
}

void ShrinkSums(const std::uint8_t* row, const ShrinkPlan& plan, double* sums)
{
    double p0 = 0, p1 = 0, p2 = 0;
    std::uint32_t i = 0;
    const std::size_t count = plan.closePixel.size();
    // The partial sums add whole pixel values to a carried rest whose lowest
    // bit is no finer than 2^-33 (a closing fraction exceeds 0.001). While
    // they stay below 2^20 every addition is exact in double precision, so
    // the pixels may be summed as integers first with the same result; wider
    // output pixels add one by one.
    const bool exact = plan.maxInside < 4096;
    for (std::size_t k = 0; k < count; ++k) {
        const std::uint32_t c = plan.closePixel[k];
        if (exact) {
            std::uint32_t s0 = 0, s1 = 0, s2 = 0;
            for (const std::uint8_t* px = row + 3 * std::size_t{i}; i < c; ++i, px += 3) {
                s0 += px[0];
                s1 += px[1];
                s2 += px[2];
            }
            p0 = p0 + s0;
            p1 = p1 + s1;
            p2 = p2 + s2;
        } else {
            for (; i < c; ++i) { // pixels wholly inside output pixel k
                const std::uint8_t* px = row + 3 * std::size_t{i};
                p0 = p0 + px[0];
                p1 = p1 + px[1];
                p2 = p2 + px[2];
            }
        }
        const std::uint8_t* px = row + 3 * std::size_t{c};
        const double f = plan.fraction[k];
        const float t0 = Single(px[0] * f), t1 = Single(px[1] * f), t2 = Single(px[2] * f);
        double* s = sums + 3 * k;
        s[0] = p0 + t0;
        s[1] = p1 + t1;
        s[2] = p2 + t2;
        // The rest of the closing pixel begins the next output pixel.
        p0 = px[0] - static_cast<double>(t0);
        p1 = px[1] - static_cast<double>(t1);
        p2 = px[2] - static_cast<double>(t2);
        i = c + 1;
    }
}

void FoldSums(float* array, const double* sums, std::size_t count, float w)
{
    const double wd = w;
    for (std::size_t j = 0; j < count; ++j)
        array[j] = Single(array[j] + sums[j] * wd);
}

std::vector<StretchStep> MakeStretchPlan(std::uint32_t sW, std::uint32_t dW, float stepX)
{
    std::vector<StretchStep> plan(dW);
    // Pixel i's sample stands at position i + 0.5; P and N are the samples
    // left and right of the current output pixel, j the index of P's centre.
    std::uint32_t P = 0, N = 0, next = 1;
    std::int64_t j = 0;
    auto load = [&]() { return std::min(next++, sW - 1); };
    for (std::uint32_t k = 0; k < dW; ++k) {
        StretchStep& s = plan[k];
        const float x0 = Single(double(k) * stepX);
        const float x1 = Single(double(k) * stepX + stepX);
        const float lo = Single(double(j) - 0.5);
        const float hi = Single(double(j) + 0.5);
        s = StretchStep{};
        if (x1 <= 0.5 || x0 >= sW - 0.5) { // outside the outermost centres
            s.kind = 1;
            s.n = N;
        } else if (lo <= x0 && x1 <= hi) { // between two centres
            s.kind = 2;
            s.p = P;
            s.n = N;
            s.t = Single((double(x0) + x1) * 0.5 - lo);
        } else if (x0 >= hi) { // past the next centre: advance first
            P = N;
            N = load();
            ++j;
            s.kind = 2;
            s.p = P;
            s.n = N;
            s.t = Single((double(x0) + x1) * 0.5 - hi);
        } else { // the footprint straddles a centre: blend both sides
            s.kind = 4;
            s.p = P;
            s.n = N;
            s.u = Single((double(hi) - x0) / stepX);
            s.t = Single((double(hi) + x0) * 0.5 - lo);
            P = N;
            if (j < std::int64_t{sW} - 1)
                N = load();
            s.n2 = N;
            s.t2 = Single((double(hi) + x1) * 0.5 - hi);
            s.oneMinusU = Single(1.0 - s.u);
            ++j;
        }
    }
    return plan;
}

void StretchRow(const std::uint8_t* row, const std::vector<StretchStep>& plan, float* out)
{
    const std::size_t dW = plan.size();
    for (std::size_t k = 0; k < dW; ++k) {
        const StretchStep& s = plan[k];
        const std::uint8_t* pn = row + 3 * std::size_t{s.n};
        float* o = out + 3 * k;
        if (s.kind == 1) {
            o[0] = pn[0];
            o[1] = pn[1];
            o[2] = pn[2];
            continue;
        }
        const std::uint8_t* pp = row + 3 * std::size_t{s.p};
        if (s.kind == 2) {
            for (int c = 0; c < 3; ++c) {
                const double P = pp[c], N = pn[c];
                o[c] = Single(P + (N - P) * s.t);
            }
            continue;
        }
        const std::uint8_t* pn2 = row + 3 * std::size_t{s.n2};
        for (int c = 0; c < 3; ++c) {
            const double P = pp[c], N = pn[c], N2 = pn2[c];
            const float v = Single((P + (N - P) * s.t) * s.u);
            o[c] = Single(v + (N + (N2 - N) * s.t2) * s.oneMinusU);
        }
    }
}

} // namespace vistrel::dib::scale
