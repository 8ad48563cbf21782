// SPDX-License-Identifier: GPL-3.0-or-later
// Nearest pixel: the preview pane's quick mode. Column byte offsets and row
// numbers are worked out once, so the inner loop is a lookup and a copy.
#include <algorithm>
#include <new>
#include <vector>

#include "scale_internal.h"

namespace vistrel::dib::scale {

bool Nearest(const Job& job)
{
    const float stepX = Single(double(job.sW) / double(job.dW));
    const float stepY = Single(double(job.sH) / double(job.dH));
    std::vector<std::size_t> offset;
    std::vector<std::uint32_t> row;
    try {
        offset.resize(job.dW);
        row.resize(job.dH);
    } catch (const std::bad_alloc&) {
        return false;
    }
    // The running position may creep past the last pixel when the step was
    // rounded up; it is held at the last one.
    double s = 0;
    for (std::uint32_t i = 0; i < job.dW; ++i) {
        offset[i] = 3 * std::size_t{std::min<std::uint32_t>(static_cast<std::uint32_t>(s), job.sW - 1)};
        s = s + stepX;
    }
    s = 0;
    for (std::uint32_t j = 0; j < job.dH; ++j) {
        row[j] = std::min<std::uint32_t>(static_cast<std::uint32_t>(s), job.sH - 1);
        s = s + stepY;
    }
    for (std::uint32_t j = 0; j < job.dH; ++j) {
        const std::uint8_t* sr = job.src + std::size_t{row[j]} * job.srcStride;
        std::uint8_t* dr = job.dst + std::size_t{j} * job.dstStride;
        for (std::uint32_t i = 0; i < job.dW; ++i) {
            const std::uint8_t* p = sr + offset[i];
            dr[3 * i] = p[0];
            dr[3 * i + 1] = p[1];
            dr[3 * i + 2] = p[2];
        }
    }
    return true;
}

} // namespace vistrel::dib::scale
