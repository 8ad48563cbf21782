// SPDX-License-Identifier: GPL-3.0-or-later
// The fit arithmetic: how large a picture becomes when it is fitted to the
// screen or to the free rectangle. Kept in single precision where the stored
// sizes of existing lists were computed that way, so a list shows the same
// sizes everywhere.
#pragma once

#include <cstdint>

namespace picshow {

struct FitResult {
    std::int64_t width = 0;
    std::int64_t height = 0;
    bool ok = false; // both sides within 1 ... kMaxFitSide
};

inline constexpr std::int64_t kMaxFitSide = 5000;

// The largest size with the proportions of sw x sh inside W x H.
FitResult FitSize(std::int64_t sw, std::int64_t sh, std::int64_t W, std::int64_t H);

// A fitted size with a border of `percent` % of it left free.
FitResult WithBorder(const FitResult& fit, int percent);

// A fitted size divided so that `tiles` copies span the fitted side.
FitResult AsTile(const FitResult& fit, int tiles);

} // namespace picshow
