// SPDX-License-Identifier: GPL-3.0-or-later
// The random pick's generator: the classic C runtime's linear congruential
// generator, so that picks are the same on every platform.
#pragma once

#include <cstdint>

namespace vistrel {

class CrtRandom {
public:
    explicit CrtRandom(std::uint32_t seed = 1) : state_(seed) {}
    void Seed(std::uint32_t seed) { state_ = seed; }
    // 0 to 32767.
    int Next()
    {
        state_ = state_ * 214013u + 2531011u;
        return static_cast<int>((state_ >> 16) & 0x7FFFu);
    }

private:
    std::uint32_t state_;
};

} // namespace vistrel
