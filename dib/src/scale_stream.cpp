// SPDX-License-Identifier: GPL-3.0-or-later
// The area-averaging resampler fed row by row (vistrel/dib/scale_stream.h).
//
// It runs the same plan and the same arithmetic as scale_area.cpp, in the
// same order for every output row: the sums of an output row's source rows
// are folded from its lowest row in memory (the bottom-most) upwards. Rows
// arrive top first, so the horizontal sums of the rows an output row meets
// are kept until its bottom-most row has come, and the row is then folded
// and written. Output rows are so finished from the top of the picture down.
#include "vistrel/dib/scale_stream.h"

#include <algorithm>
#include <cmath>
#include <new>
#include <vector>

#include "scale_internal.h"

namespace vistrel::dib {

using namespace scale;

namespace {

struct Steps {
    float x, y, area;
    Steps(std::uint32_t sW, std::uint32_t sH, std::uint32_t dW, std::uint32_t dH)
    {
        x = Single(double(sW) / double(dW));
        y = Single(double(sH) / double(dH));
        area = Single(double(sH) / double(dH) * x);
    }
};

// The first source row (in memory order) output row o folds: the closing row
// of the row below it, whose rest begins this one, or row 0.
std::int64_t FirstRow(const std::vector<RowClose>& closes, std::uint32_t o)
{
    return o > 0 && closes[o - 1].row >= 0 ? closes[o - 1].row : 0;
}

// The most source rows one output row meets.
std::size_t WidestSpan(const std::vector<RowClose>& closes)
{
    std::size_t widest = 1;
    for (std::uint32_t o = 0; o < closes.size() && closes[o].row >= 0; ++o)
        widest = std::max<std::size_t>(widest, std::size_t(closes[o].row - FirstRow(closes, o) + 1));
    return widest;
}

} // namespace

struct StreamingScaler::State {
    std::uint32_t sW, sH, dW, dH;
    std::uint8_t* pixels;
    std::size_t stride;
    Steps steps;
    bool shrinkX;
    ShrinkPlan box;
    std::vector<StretchStep> blend;
    std::size_t values = 0;
    std::vector<RowClose> closes;
    std::size_t slots = 1;
    std::vector<double> sums; // `slots` rows of `values` sums; row r in slot r % slots
    std::vector<float> P;
    std::uint32_t pushed = 0;
    std::int64_t pending = -1; // the next output row to finish, counting down

    State(std::uint32_t sW_, std::uint32_t sH_, std::uint8_t* pixels_, std::size_t stride_, std::uint32_t dW_,
          std::uint32_t dH_)
        : sW(sW_), sH(sH_), dW(dW_), dH(dH_), pixels(pixels_), stride(stride_), steps(sW_, sH_, dW_, dH_)
    {
        shrinkX = steps.x >= 1.0f;
        if (shrinkX) {
            box = MakeShrinkPlan(sW, dW, steps.x);
            values = 3 * box.closePixel.size();
        } else {
            blend = MakeStretchPlan(sW, dW, steps.x);
            values = 3 * std::size_t{dW};
        }
        closes = PlanShrinkRows(sH, dH, steps.x, steps.y, steps.area);
        while (pending + 1 < std::int64_t{dH} && closes[std::size_t(pending + 1)].row >= 0)
            ++pending;
        if (shrinkX) {
            slots = WidestSpan(closes);
            sums.resize(slots * values);
        }
        P.resize(3 * std::size_t{dW});
    }

    double* Sums(std::int64_t row) { return sums.data() + std::size_t(row) % slots * values; }

    void Write(std::uint32_t o, double divisor)
    {
        std::uint8_t* d = pixels + std::size_t{o} * stride;
        for (std::size_t j = 0; j < values; ++j)
            d[j] = ToByte(P[j] / divisor);
    }

    void Fold(std::uint32_t o)
    {
        const RowClose& c = closes[o];
        std::fill(P.begin(), P.end(), 0.0f);
        std::int64_t r = 0;
        if (o > 0 && closes[o - 1].row >= 0) {
            FoldSums(P.data(), Sums(closes[o - 1].row), values, closes[o - 1].rest);
            r = closes[o - 1].row + 1;
        }
        for (; r < c.row; ++r)
            FoldSums(P.data(), Sums(r), values, 1.0f);
        FoldSums(P.data(), Sums(c.row), values, c.w1);
        Write(o, c.divisor);
    }

    void Push(const std::uint8_t* bgr)
    {
        if (pushed >= sH)
            return;
        const std::int64_t r = std::int64_t{sH} - 1 - pushed++;
        if (!shrinkX) {
            // Wider output: each output row is the stretched copy of the
            // source row that closes it.
            if (pending >= 0 && closes[std::size_t(pending)].row == r) {
                StretchRow(bgr, blend, P.data());
                const std::size_t n = 3 * std::size_t{dW};
                std::uint8_t* d = pixels + std::size_t(pending) * stride;
                for (std::size_t j = 0; j < n; ++j)
                    d[j] = ToByte(P[j]);
                --pending;
            }
            return;
        }
        ShrinkSums(bgr, box, Sums(r));
        while (pending >= 0 && FirstRow(closes, std::uint32_t(pending)) == r)
            Fold(std::uint32_t(pending--));
    }
};

bool StreamingScaler::Streams(std::uint32_t sW, std::uint32_t sH, std::uint32_t dW, std::uint32_t dH,
                              std::size_t memoryLimit)
{
    if (sW == 0 || sH == 0 || dW == 0 || dH == 0)
        return false;
    const Steps steps(sW, sH, dW, dH);
    if (!(steps.y >= 1.0f))
        return false;
    const std::vector<RowClose> closes = PlanShrinkRows(sH, dH, steps.x, steps.y, steps.area);
    return double(WidestSpan(closes)) * 3.0 * dW * sizeof(double) + 12.0 * dW <= double(memoryLimit);
}

StreamingScaler::StreamingScaler(std::uint32_t sW, std::uint32_t sH, std::uint8_t* pixels, std::size_t stride,
                                 std::uint32_t dW, std::uint32_t dH)
    : state_(std::make_unique<State>(sW, sH, pixels, stride, dW, dH))
{
}

StreamingScaler::~StreamingScaler() = default;

void StreamingScaler::Push(const std::uint8_t* bgr) { state_->Push(bgr); }

void StreamingScaler::Finish()
{
    if (state_->pushed >= state_->sH)
        return;
    const std::vector<std::uint8_t> black(3 * std::size_t{state_->sW}, 0);
    while (state_->pushed < state_->sH)
        state_->Push(black.data());
}

std::uint32_t StreamingScaler::RowsPushed() const { return state_->pushed; }

} // namespace vistrel::dib
