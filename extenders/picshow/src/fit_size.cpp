// SPDX-License-Identifier: GPL-3.0-or-later
#include "fit_size.h"

#include <algorithm>
#include <cmath>

namespace picshow {
namespace {

// truncate(v + 0.5), saturated so that absurd inputs cannot overflow; such
// sizes are outside the accepted range anyway.
std::int64_t RoundHalfUp(double v)
{
    if (!std::isfinite(v))
        return 0;
    double r = std::trunc(v + 0.5);
    if (r > 1e12)
        return std::int64_t{1000000000000};
    if (r < -1e12)
        return -std::int64_t{1000000000000};
    return static_cast<std::int64_t>(r);
}

bool InRange(std::int64_t w, std::int64_t h) { return w >= 1 && w <= kMaxFitSide && h >= 1 && h <= kMaxFitSide; }

} // namespace

FitResult FitSize(std::int64_t sw, std::int64_t sh, std::int64_t W, std::int64_t H)
{
    const auto fsw = static_cast<float>(sw), fsh = static_cast<float>(sh);
    const auto fW = static_cast<float>(W), fH = static_cast<float>(H);
    float w, h;
    if (fH / fW > fsh / fsw) {
        w = fW;
        h = static_cast<float>(double{fsh} * fW / fsw);
    } else {
        h = fH;
        w = static_cast<float>(double{fH} * fsw / fsh);
    }
    FitResult r;
    r.width = RoundHalfUp(w);
    r.height = RoundHalfUp(h);
    // A picture far wider than high (a 100000 x 10 panorama) would round to
    // no pixel at all, and then not be scaled: it keeps one.
    if (W >= 1 && H >= 1 && sw >= 1 && sh >= 1) {
        r.width = std::max<std::int64_t>(r.width, 1);
        r.height = std::max<std::int64_t>(r.height, 1);
    }
    r.ok = InRange(r.width, r.height);
    return r;
}

FitResult WithBorder(const FitResult& fit, int percent)
{
    // The constant 0.01 is the single-precision one; the rest in double.
    const double k = 1.0 - static_cast<double>(percent) * double{0.01f};
    FitResult r;
    r.width = std::max<std::int64_t>(RoundHalfUp(static_cast<double>(fit.width) * k), fit.width >= 1 ? 1 : 0);
    r.height = std::max<std::int64_t>(RoundHalfUp(static_cast<double>(fit.height) * k), fit.height >= 1 ? 1 : 0);
    r.ok = InRange(r.width, r.height);
    return r;
}

FitResult AsTile(const FitResult& fit, int tiles)
{
    FitResult r;
    r.width = RoundHalfUp(static_cast<double>(fit.width) / tiles);
    r.height = RoundHalfUp(static_cast<double>(fit.height) / tiles);
    r.ok = InRange(r.width, r.height);
    return r;
}

} // namespace picshow
