// SPDX-License-Identifier: GPL-3.0-or-later
// ScaleDIB works out per call which pixels and rows meet where, and shares
// rows out among threads. This checks it against a plain pixel-by-pixel
// transcription of the area-averaging rules (with the rule that the last
// source pixel or row closes the last output one), bit for bit.
#include <gtest/gtest.h>

#include <algorithm>
#include <random>
#include <vector>

#include "dib_builders.h"
#include "vistrel/dib/scale.h"

namespace vistrel::dib {
namespace {

float Single(double x) { return static_cast<float>(x); }
std::uint8_t Round(double x)
{
    return static_cast<std::uint8_t>(std::clamp(static_cast<std::int32_t>(x + 0.5), 0, 255));
}

class Literal {
public:
    Literal(const std::uint8_t* src, std::uint32_t sW, std::uint32_t sH, std::uint32_t dW, std::uint32_t dH)
        : src_(src), sW_(sW), sH_(sH), dW_(dW), dH_(dH), sStride_((3 * sW + 3) / 4 * 4), dStride_((3 * dW + 3) / 4 * 4)
    {
        stepX_ = Single(double(sW) / dW);
        stepY_ = Single(double(sH) / dH);
        area_ = Single(double(sH) / dH * stepX_);
        out_.assign(dStride_ * dH, 0);
        P_.assign(3 * dW, 0.0f);
        N_.assign(3 * dW, 0.0f);
    }

    std::vector<std::uint8_t> Run()
    {
        if (stepY_ >= 1)
            Shrink();
        else
            Stretch();
        return out_;
    }

private:
    double Px(std::uint32_t r, std::uint32_t i, int c) const { return src_[r * sStride_ + 3 * i + c]; }

    void ShrinkRow(std::uint32_t r, float w, std::vector<float>& a)
    {
        double p[3] = {0, 0, 0};
        double xB = stepX_;
        std::uint32_t k = 0;
        bool postponed = false;
        for (std::uint32_t i = 0; i < sW_; ++i) {
            bool closes = !(xB > i + 1.001);
            bool lastOut = k + 1 == dW_;
            bool forced = false, wait;
            if (k >= dW_) {
                wait = true;
            } else if (lastOut) {
                if (i + 1 < sW_)
                    postponed = postponed || closes;
                wait = i + 1 < sW_;
                forced = !closes || postponed;
            } else {
                forced = !closes && sW_ - 1 - i == dW_ - 1 - k;
                wait = !closes && !forced;
            }
            if (wait) {
                for (int c = 0; c < 3; ++c)
                    p[c] = p[c] + Px(r, i, c);
                continue;
            }
            double f = forced ? 1.0 : std::max(xB - i, 0.0);
            for (int c = 0; c < 3; ++c) {
                float t = Single(Px(r, i, c) * f);
                a[3 * k + c] = Single(a[3 * k + c] + (p[c] + t) * w);
                p[c] = Px(r, i, c) - t;
            }
            ++k;
            xB = xB + stepX_;
        }
    }

    void StretchRow(std::uint32_t r, std::vector<float>& a)
    {
        float P[3], N[3];
        for (int c = 0; c < 3; ++c)
            P[c] = N[c] = float(Px(r, 0, c));
        std::uint32_t next = 1;
        int j = 0;
        auto load = [&]() {
            for (int c = 0; c < 3; ++c)
                N[c] = float(Px(r, std::min(next, sW_ - 1), c));
            ++next;
        };
        for (std::uint32_t k = 0; k < dW_; ++k) {
            float x0 = Single(k * double(stepX_)), x1 = Single(k * double(stepX_) + stepX_);
            float lo = Single(j - 0.5), hi = Single(j + 0.5);
            for (int c = 0; c < 3; ++c)
                a[3 * k + c] = 0;
            if (x1 <= 0.5 || x0 >= sW_ - 0.5) {
                for (int c = 0; c < 3; ++c)
                    a[3 * k + c] = N[c];
            } else if (lo <= x0 && x1 <= hi) {
                float t = Single((double(x0) + x1) * 0.5 - lo);
                for (int c = 0; c < 3; ++c)
                    a[3 * k + c] = Single(P[c] + (double(N[c]) - P[c]) * t);
            } else if (x0 >= hi) {
                std::copy(N, N + 3, P);
                load();
                ++j;
                float t = Single((double(x0) + x1) * 0.5 - hi);
                for (int c = 0; c < 3; ++c)
                    a[3 * k + c] = Single(P[c] + (double(N[c]) - P[c]) * t);
            } else {
                float u = Single((double(hi) - x0) / stepX_);
                float t1 = Single((double(hi) + x0) * 0.5 - lo);
                float v[3];
                for (int c = 0; c < 3; ++c)
                    v[c] = Single((P[c] + (double(N[c]) - P[c]) * t1) * u);
                std::copy(N, N + 3, P);
                if (j < int(sW_) - 1)
                    load();
                float t2 = Single((double(hi) + x1) * 0.5 - hi);
                for (int c = 0; c < 3; ++c)
                    a[3 * k + c] = Single(v[c] + (P[c] + (double(N[c]) - P[c]) * t2) * Single(1 - u));
                ++j;
            }
        }
    }

    void Shrink()
    {
        float yB = stepY_;
        std::uint32_t out = 0;
        bool postponed = false;
        double weight = 0; // what the current output row has collected
        for (std::uint32_t r = 0; r < sH_; ++r) {
            bool closes = !(yB > r + 1.001);
            bool lastOut = out + 1 == dH_;
            bool forced = false, wait;
            if (out >= dH_) {
                wait = true;
            } else if (lastOut) {
                if (r + 1 < sH_)
                    postponed = postponed || closes;
                wait = r + 1 < sH_;
                forced = !closes || postponed;
            } else {
                forced = !closes && sH_ - 1 - r == dH_ - 1 - out;
                wait = !closes && !forced;
            }
            if (wait) {
                if (stepX_ >= 1)
                    ShrinkRow(r, 1, P_);
                else
                    StretchRow(r, P_);
                weight += 1;
                continue;
            }
            float w1 = forced ? 1.0f : std::max(Single(double(yB) - r), 0.0f);
            double divisor = forced ? Single(double(stepX_) * (weight + 1)) : area_;
            std::uint8_t* d = &out_[out * dStride_];
            if (stepX_ >= 1) {
                ShrinkRow(r, w1, P_);
                for (std::size_t j = 0; j < 3 * dW_; ++j)
                    d[j] = Round(P_[j] / divisor);
                std::fill(P_.begin(), P_.end(), 0.0f);
                ShrinkRow(r, Single(1 - w1), P_);
            } else {
                StretchRow(r, P_);
                for (std::size_t j = 0; j < 3 * dW_; ++j)
                    d[j] = Round(P_[j]);
            }
            weight = Single(1 - w1);
            ++out;
            yB = Single(double(yB) + stepY_);
        }
    }

    void Resample(std::uint32_t r, std::vector<float>& a)
    {
        if (stepX_ >= 1) {
            std::fill(a.begin(), a.end(), 0.0f);
            ShrinkRow(r, Single(1 / double(stepX_)), a);
        } else {
            StretchRow(r, a);
        }
    }

    void Stretch()
    {
        Resample(0, P_);
        N_ = P_;
        std::uint32_t next = 1;
        int j = 0;
        auto loadNext = [&]() {
            std::swap(P_, N_);
            Resample(std::min(next++, sH_ - 1), N_);
        };
        for (std::uint32_t k = 0; k < dH_; ++k) {
            float y0 = Single(k * double(stepY_)), y1 = Single(k * double(stepY_) + stepY_);
            float lo = Single(j - 0.5), hi = Single(j + 0.5);
            std::uint8_t* d = &out_[k * dStride_];
            const std::size_t n = 3 * dW_;
            if (y1 <= 0.5 || y0 >= sH_ - 0.5) {
                for (std::size_t i = 0; i < n; ++i)
                    d[i] = Round(N_[i]);
            } else if (lo <= y0 && y1 <= hi) {
                float t = Single((double(y0) + y1) * 0.5 - lo);
                for (std::size_t i = 0; i < n; ++i)
                    d[i] = Round(P_[i] + (double(N_[i]) - P_[i]) * t);
            } else if (y0 >= hi) {
                loadNext();
                ++j;
                float t = Single((double(y0) + y1) * 0.5 - hi);
                for (std::size_t i = 0; i < n; ++i)
                    d[i] = Round(P_[i] + (double(N_[i]) - P_[i]) * t);
            } else {
                float u = Single((double(hi) - y0) / stepY_);
                float t1 = Single((double(hi) + y0) * 0.5 - lo);
                std::vector<double> v(n);
                for (std::size_t i = 0; i < n; ++i)
                    v[i] = u * (P_[i] + (double(N_[i]) - P_[i]) * t1);
                if (j < int(sH_) - 1)
                    loadNext();
                else
                    P_ = N_;
                float t2 = Single((double(hi) + y1) * 0.5 - hi);
                for (std::size_t i = 0; i < n; ++i)
                    d[i] = Round(v[i] + Single(1 - u) * (P_[i] + (double(N_[i]) - P_[i]) * t2));
                ++j;
            }
        }
    }

    const std::uint8_t* src_;
    std::uint32_t sW_, sH_, dW_, dH_;
    std::size_t sStride_, dStride_;
    float stepX_, stepY_, area_;
    std::vector<std::uint8_t> out_;
    std::vector<float> P_, N_;
};

void ExpectSameAsLiteral(std::uint32_t sW, std::uint32_t sH, std::uint32_t dW, std::uint32_t dH, unsigned seed)
{
    std::mt19937 rng(seed);
    gmem::Owner src(
        test::Make24(sW, sH, [&](std::uint32_t, std::uint32_t, int) { return static_cast<std::uint8_t>(rng()); }));
    gmem::Owner out(ScaleDIB(src.get(), dW, dH, kAreaAveraging));
    ASSERT_TRUE(out);
    test::View got = test::Look(out.get());
    test::View in = test::Look(src.get());
    std::vector<std::uint8_t> want = Literal(in.bytes.data() + 40, sW, sH, dW, dH).Run();
    auto diff = std::mismatch(want.begin(), want.end(), got.bytes.begin() + 40);
    ASSERT_TRUE(diff.first == want.end())
        << sW << "x" << sH << " -> " << dW << "x" << dH << ": byte " << (diff.first - want.begin()) << " is "
        << int(*diff.second) << ", by the rules " << int(*diff.first);
}

TEST(ScaleDIBLiteral, MatchesThePixelByPixelRulesAtRandomSizes)
{
    std::mt19937 rng(2024);
    for (int n = 0; n < 400; ++n) {
        auto size = [&]() { return static_cast<std::uint32_t>(1 + rng() % (n % 4 == 0 ? 9 : 120)); };
        std::uint32_t sW = size(), sH = size(), dW = size(), dH = size();
        ExpectSameAsLiteral(sW, sH, dW, dH, static_cast<unsigned>(n));
    }
}

TEST(ScaleDIBLiteral, MatchesAtSizesLargeEnoughForSeveralThreads)
{
    ExpectSameAsLiteral(1600, 1400, 640, 480, 1);   // both shrink
    ExpectSameAsLiteral(1500, 1500, 1920, 1080, 2); // wider, lower
    ExpectSameAsLiteral(900, 700, 700, 1900, 3);    // narrower, higher
    ExpectSameAsLiteral(640, 480, 1920, 1440, 4);   // both grow
    ExpectSameAsLiteral(3, 3000, 2, 1080, 5);       // the drifting row boundary
    ExpectSameAsLiteral(2, 16411, 3, 16000, 6);     // closes early
    ExpectSameAsLiteral(2, 40000, 1, 39000, 7);     // closes late by several rows
}

TEST(ScaleDIBLiteral, AnEqualSizeGivesThePixelsAsTheyAre)
{
    ExpectSameAsLiteral(1, 1, 1, 1, 8);
    ExpectSameAsLiteral(7, 5, 7, 5, 9); // rows padded
    ExpectSameAsLiteral(1440, 1080, 1440, 1080, 10);
}

} // namespace
} // namespace vistrel::dib
namespace vistrel::dib {
TEST(ScaleDIBLiteralDebug, Small)
{
    ExpectSameAsLiteral(8, 1, 7, 1, 1);
    ExpectSameAsLiteral(1, 8, 1, 7, 1);
    ExpectSameAsLiteral(8, 6, 7, 6, 1);
    ExpectSameAsLiteral(2, 6, 1, 6, 1);
}
} // namespace vistrel::dib
