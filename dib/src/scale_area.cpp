// SPDX-License-Identifier: GPL-3.0-or-later
// Area averaging: a separable resampler. Each source row is resampled
// horizontally (box filter when the width shrinks, interpolation when it
// grows) and rows are then combined vertically the same two ways.
//
// Rows are streamed: the vertical pass needs only the horizontal results of
// the rows that meet in the current output row, never a full-size
// intermediate image. Which source rows meet in which output row follows from
// the heights alone, so it is worked out first; output rows are then
// independent of each other and are shared out among a few threads. Every
// thread runs the same arithmetic in the same order, so the result does not
// depend on how many threads ran.
#include <algorithm>
#include <atomic>
#include <cstring>
#include <new>
#include <thread>

#include "scale_internal.h"

namespace vistrel::dib::scale {

std::vector<RowClose> PlanShrinkRows(std::uint32_t sH, std::uint32_t dH, float stepX, float stepY, float area)
{
    std::vector<RowClose> plan(dH);
    float yB = stepY;
    std::uint32_t out = 0;
    bool postponed = false;
    double inside = 0; // weight collected by the current output row so far
    for (std::uint32_t r = 0; r < sH && out < dH; ++r) {
        const bool closes = !(yB > r + 1.001);
        const bool lastOutput = out + 1 == dH;
        bool forced;
        if (lastOutput) {
            if (r + 1 < sH) {
                postponed = postponed || closes;
                inside += 1;
                continue;
            }
            forced = !closes || postponed;
        } else if (closes) {
            forced = false;
        } else if (sH - 1 - r == dH - 1 - out) {
            forced = true;
        } else {
            inside += 1;
            continue;
        }
        RowClose& c = plan[out];
        c.row = r;
        if (forced) {
            c.w1 = 1.0f;
            c.divisor = Single(double(stepX) * (inside + 1.0));
        } else {
            c.w1 = Single(double(yB) - r);
            if (!(c.w1 > 0))
                c.w1 = 0;
            c.divisor = area;
        }
        c.rest = Single(1.0 - c.w1);
        inside = c.rest;
        ++out;
        yB = Single(double(yB) + stepY);
    }
    return plan;
}

namespace {

// Runs body(first, last) over [0, count) in a few contiguous pieces, on this
// thread and up to three more, when the work is large enough to pay for them.
// False when a piece ran out of memory.
template <class Body> bool ShareOut(std::uint32_t count, std::uint64_t work, Body body)
{
    std::atomic<bool> failed{false};
    auto guarded = [&](std::uint32_t first, std::uint32_t last) {
        try {
            body(first, last);
        } catch (const std::bad_alloc&) {
            failed = true;
        }
    };
    unsigned threads = std::clamp(std::thread::hardware_concurrency(), 1u, 4u);
    if (work < (std::uint64_t{1} << 21))
        threads = 1;
    threads = std::min<unsigned>(threads, count);
    const std::uint32_t piece = (count + threads - 1) / threads;
    std::vector<std::thread> pool;
    unsigned started = 1;
    try {
        pool.reserve(threads);
        for (; started < threads; ++started)
            pool.emplace_back(guarded, std::min(count, started * piece), std::min(count, started * piece + piece));
    } catch (...) {
        // No thread to be had: the remaining pieces run here.
        for (unsigned t = started; t < threads; ++t)
            guarded(std::min(count, t * piece), std::min(count, t * piece + piece));
    }
    guarded(0u, std::min(count, piece));
    for (std::thread& thread : pool)
        thread.join();
    return !failed;
}

// The height grows (stepY < 1): each output row interpolates between source
// rows as StretchRow does between pixels. `a`, `b`, `c` are the rows standing
// as P, N and the N after an advance.
struct RowBlend {
    std::uint8_t kind; // 1: N; 2: P + (N - P) t; 4: straddles a row centre
    std::uint32_t a, b, c;
    float t, u, t2, oneMinusU;
};

std::vector<RowBlend> PlanStretchRows(std::uint32_t sH, std::uint32_t dH, float stepY)
{
    std::vector<RowBlend> plan(dH);
    std::uint32_t P = 0, N = 0, next = 1;
    std::int64_t j = 0;
    auto load = [&]() { return std::min(next++, sH - 1); };
    for (std::uint32_t k = 0; k < dH; ++k) {
        RowBlend& s = plan[k];
        const float y0 = Single(double(k) * stepY);
        const float y1 = Single(double(k) * stepY + stepY);
        const float lo = Single(double(j) - 0.5);
        const float hi = Single(double(j) + 0.5);
        s = RowBlend{};
        if (y1 <= 0.5 || y0 >= sH - 0.5) {
            s.kind = 1;
            s.b = N;
        } else if (lo <= y0 && y1 <= hi) {
            s.kind = 2;
            s.a = P;
            s.b = N;
            s.t = Single((double(y0) + y1) * 0.5 - lo);
        } else if (y0 >= hi) {
            P = N;
            N = load();
            ++j;
            s.kind = 2;
            s.a = P;
            s.b = N;
            s.t = Single((double(y0) + y1) * 0.5 - hi);
        } else {
            s.kind = 4;
            s.a = P;
            s.b = N;
            s.u = Single((double(hi) - y0) / stepY);
            s.t = Single((double(hi) + y0) * 0.5 - lo);
            P = N;
            if (j < std::int64_t{sH} - 1)
                N = load();
            s.c = N;
            s.t2 = Single((double(hi) + y1) * 0.5 - hi);
            s.oneMinusU = Single(1.0 - s.u);
            ++j;
        }
    }
    return plan;
}

struct Horizontal {
    bool shrink;
    ShrinkPlan box;
    std::vector<StretchStep> blend;
    std::size_t values; // 3 × output pixels the pass fills
};

class Scaler {
public:
    Scaler(const Job& job) : job_(job)
    {
        stepX_ = Single(double(job.sW) / double(job.dW));
        stepY_ = Single(double(job.sH) / double(job.dH));
        area_ = Single(double(job.sH) / double(job.dH) * stepX_);
        h_.shrink = stepX_ >= 1.0f;
        if (h_.shrink) {
            h_.box = MakeShrinkPlan(job.sW, job.dW, stepX_);
            h_.values = 3 * h_.box.closePixel.size();
        } else {
            h_.blend = MakeStretchPlan(job.sW, job.dW, stepX_);
            h_.values = 3 * std::size_t{job.dW};
        }
    }

    bool Run()
    {
        const std::uint64_t work = std::uint64_t{job_.sW} * job_.sH + std::uint64_t{job_.dW} * job_.dH;
        if (stepY_ >= 1.0f) {
            closes_ = PlanShrinkRows(job_.sH, job_.dH, stepX_, stepY_, area_);
            return ShareOut(job_.dH, work,
                            [this](std::uint32_t first, std::uint32_t last) { ShrinkRows(first, last); });
        }
        blends_ = PlanStretchRows(job_.sH, job_.dH, stepY_);
        return ShareOut(job_.dH, work, [this](std::uint32_t first, std::uint32_t last) { StretchRows(first, last); });
    }

private:
    const std::uint8_t* SourceRow(std::int64_t r) const { return job_.src + std::size_t(r) * job_.srcStride; }
    std::uint8_t* DestRow(std::uint32_t r) const { return job_.dst + std::size_t{r} * job_.dstStride; }

    // Output rows [first, last) of the shrinking pass.
    void ShrinkRows(std::uint32_t first, std::uint32_t last) const
    {
        const std::size_t n = 3 * std::size_t{job_.dW};
        std::vector<float> P(n, 0.0f);
        if (!h_.shrink) {
            // Wider output: each output row is the stretched copy of the source
            // row that closes it; rows do not average.
            for (std::uint32_t o = first; o < last; ++o) {
                if (closes_[o].row < 0)
                    continue;
                StretchRow(SourceRow(closes_[o].row), h_.blend, P.data());
                std::uint8_t* d = DestRow(o);
                for (std::size_t j = 0; j < n; ++j)
                    d[j] = ToByte(P[j]);
            }
            return;
        }
        std::vector<double> sums(h_.values), closing(h_.values);
        std::int64_t carried = -1; // the row whose `closing` sums are held
        for (std::uint32_t o = first; o < last; ++o) {
            const RowClose& c = closes_[o];
            if (c.row < 0)
                continue;
            std::fill(P.begin(), P.end(), 0.0f);
            std::int64_t r = 0;
            if (o > 0 && closes_[o - 1].row >= 0) {
                // The rest of the previous output row's closing row begins this one.
                const std::int64_t prev = closes_[o - 1].row;
                if (carried != prev)
                    ShrinkSums(SourceRow(prev), h_.box, closing.data());
                FoldSums(P.data(), closing.data(), h_.values, closes_[o - 1].rest);
                r = prev + 1;
            }
            for (; r < c.row; ++r) { // rows wholly inside this output row
                ShrinkSums(SourceRow(r), h_.box, sums.data());
                FoldSums(P.data(), sums.data(), h_.values, 1.0f);
            }
            ShrinkSums(SourceRow(c.row), h_.box, closing.data());
            carried = c.row;
            FoldSums(P.data(), closing.data(), h_.values, c.w1);
            std::uint8_t* d = DestRow(o);
            const double divisor = c.divisor;
            for (std::size_t j = 0; j < h_.values; ++j)
                d[j] = ToByte(P[j] / divisor);
        }
    }

    // The horizontal pass of one source row, as the growing pass needs it.
    void Resample(std::uint32_t row, float* out, std::vector<double>& sums) const
    {
        if (h_.shrink) {
            // The box mean: single(0 + sums × single(1 / stepX)).
            sums.resize(h_.values);
            ShrinkSums(SourceRow(row), h_.box, sums.data());
            std::fill(out, out + 3 * std::size_t{job_.dW}, 0.0f);
            FoldSums(out, sums.data(), h_.values, Single(1.0 / stepX_));
        } else {
            StretchRow(SourceRow(row), h_.blend, out);
        }
    }

    // Output rows [first, last) of the growing pass. Each source row is
    // resampled once per piece and kept while output rows still need it.
    void StretchRows(std::uint32_t first, std::uint32_t last) const
    {
        const std::size_t n = 3 * std::size_t{job_.dW};
        struct Slot {
            std::int64_t row = -1;
            std::vector<float> values;
        };
        Slot slots[3];
        for (Slot& s : slots)
            s.values.resize(n);
        std::vector<double> sums;
        auto get = [&](std::uint32_t row, std::uint32_t keep1, std::uint32_t keep2) -> const float* {
            for (Slot& s : slots)
                if (s.row == row)
                    return s.values.data();
            for (Slot& s : slots) {
                if (s.row != std::int64_t{keep1} && s.row != std::int64_t{keep2}) {
                    Resample(row, s.values.data(), sums);
                    s.row = row;
                    return s.values.data();
                }
            }
            return slots[0].values.data(); // unreachable: three slots, two kept
        };
        for (std::uint32_t k = first; k < last; ++k) {
            const RowBlend& s = blends_[k];
            std::uint8_t* d = DestRow(k);
            if (s.kind == 1) {
                const float* N = get(s.b, s.b, s.b);
                for (std::size_t j = 0; j < n; ++j)
                    d[j] = ToByte(N[j]);
            } else if (s.kind == 2) {
                const float* P = get(s.a, s.b, s.b);
                const float* N = get(s.b, s.a, s.a);
                const double t = s.t;
                for (std::size_t j = 0; j < n; ++j)
                    d[j] = ToByte(P[j] + (double(N[j]) - P[j]) * t);
            } else {
                const float* P = get(s.a, s.b, s.c);
                const float* N = get(s.b, s.a, s.c);
                const float* N2 = get(s.c, s.a, s.b);
                const double u = s.u, t1 = s.t, t2 = s.t2, omu = s.oneMinusU;
                for (std::size_t j = 0; j < n; ++j) {
                    const double v = u * (P[j] + (double(N[j]) - P[j]) * t1);
                    d[j] = ToByte(v + omu * (N[j] + (double(N2[j]) - N[j]) * t2));
                }
            }
        }
    }

    const Job& job_;
    float stepX_, stepY_, area_;
    Horizontal h_;
    std::vector<RowClose> closes_;
    std::vector<RowBlend> blends_;
};

} // namespace

bool AreaAverage(const Job& job)
{
    try {
        Scaler scaler(job);
        return scaler.Run();
    } catch (const std::bad_alloc&) {
        return false;
    }
}

} // namespace vistrel::dib::scale
