// SPDX-License-Identifier: GPL-3.0-or-later
#include "canvas.h"

#include <algorithm>
#include <cstring>

#include "vistrel/dib/dib.h"

namespace vistrel::photoload {
namespace {

// The most working memory scaling while decoding takes: the horizontal sums
// of the rows that meet in one output row. More than a few megabytes only
// for absurd proportions, which are read whole as before.
constexpr std::size_t kScalingMemoryLimit = std::size_t{64} << 20;

Layout Straight(Layout layout)
{
    switch (layout) {
    case Layout::kBGRAPremultiplied: return Layout::kBGRA;
    case Layout::kRGBAPremultiplied: return Layout::kRGBA;
    default: return layout;
    }
}

bool IsCmyk(Layout layout) { return layout == Layout::kCMYK || layout == Layout::kCMYKInverted; }

bool RedFirst(Layout layout)
{
    return layout == Layout::kRGB || layout == Layout::kRGBA || layout == Layout::kRGBAPremultiplied;
}

inline std::uint8_t Over(unsigned colour, unsigned alpha, unsigned background)
{
    return static_cast<std::uint8_t>((colour * alpha + background * (255 - alpha) + 127) / 255);
}

inline std::uint8_t OverPremultiplied(unsigned colour, unsigned alpha, unsigned background)
{
    return static_cast<std::uint8_t>(std::min(255u, colour + (background * (255 - alpha) + 127) / 255));
}

void Unpremultiply(std::uint8_t* row, std::uint32_t pixels)
{
    for (std::uint32_t x = 0; x < pixels; ++x, row += 4) {
        const unsigned a = row[3];
        if (a == 0 || a == 255)
            continue;
        for (int c = 0; c < 3; ++c)
            row[c] = static_cast<std::uint8_t>(std::min(255u, (row[c] * 255u + a / 2) / a));
    }
}

// One row in any layout to blue, green, red, over the background.
void ToBgr(const std::uint8_t* in, Layout layout, std::uint32_t pixels, std::uint32_t background, std::uint8_t* out)
{
    const unsigned bgB = background & 0xFF, bgG = (background >> 8) & 0xFF, bgR = (background >> 16) & 0xFF;
    const bool redFirst = RedFirst(layout);
    const int first = redFirst ? 2 : 0, last = redFirst ? 0 : 2; // where blue and red sit in the input
    switch (layout) {
    case Layout::kBGR: std::memcpy(out, in, std::size_t{3} * pixels); break;
    case Layout::kRGB:
        for (std::uint32_t x = 0; x < pixels; ++x, in += 3, out += 3)
            out[0] = in[2], out[1] = in[1], out[2] = in[0];
        break;
    case Layout::kBGRA:
    case Layout::kRGBA:
        for (std::uint32_t x = 0; x < pixels; ++x, in += 4, out += 3) {
            const unsigned a = in[3];
            out[0] = Over(in[first], a, bgB);
            out[1] = Over(in[1], a, bgG);
            out[2] = Over(in[last], a, bgR);
        }
        break;
    case Layout::kBGRAPremultiplied:
    case Layout::kRGBAPremultiplied:
        for (std::uint32_t x = 0; x < pixels; ++x, in += 4, out += 3) {
            const unsigned a = in[3];
            out[0] = OverPremultiplied(in[first], a, bgB);
            out[1] = OverPremultiplied(in[1], a, bgG);
            out[2] = OverPremultiplied(in[last], a, bgR);
        }
        break;
    case Layout::kCMYK:
    case Layout::kCMYKInverted:
        // Without a profile: the plain subtractive mix.
        for (std::uint32_t x = 0; x < pixels; ++x, in += 4, out += 3) {
            const bool inverted = layout == Layout::kCMYKInverted;
            const unsigned c = inverted ? in[0] : 255u - in[0], m = inverted ? in[1] : 255u - in[1],
                           y = inverted ? in[2] : 255u - in[2], k = inverted ? in[3] : 255u - in[3];
            out[0] = static_cast<std::uint8_t>((y * k + 127) / 255);
            out[1] = static_cast<std::uint8_t>((m * k + 127) / 255);
            out[2] = static_cast<std::uint8_t>((c * k + 127) / 255);
        }
        break;
    }
}

} // namespace

bool Canvas::Fail(std::string reason)
{
    if (error_.empty())
        error_ = std::move(reason);
    return false;
}

bool Canvas::Announce(std::uint32_t width, std::uint32_t height, int orientation)
{
    if (width == 0 || height == 0)
        return Fail("The picture has no pixels (" + std::to_string(width) + " x " + std::to_string(height) + ")");
    const std::uint64_t limit = std::min(request_.maxPixels, kMaxPixels);
    if (std::uint64_t{width} * height > limit)
        return Fail("The picture has " + std::to_string(width) + " x " + std::to_string(height) +
                    " pixels, more than the " + std::to_string(limit) + " that are read");
    width_ = width;
    height_ = height;
    orientation_ = orientation >= 1 && orientation <= 8 ? orientation : 1;
    const bool turned = orientation_ >= 5;
    leastWidth_ = width;
    leastHeight_ = height;
    if (request_.need) {
        VistrelNeed need{};
        request_.need(request_.context, turned ? height : width, turned ? width : height, &need);
        if (need.flags & VISTREL_NEED_BACKGROUND)
            background_ = need.background & 0xFFFFFFu;
        if ((need.flags & VISTREL_NEED_SCALED) && need.width > 0 && need.height > 0) {
            // The viewer's size is the shown one; the decoder's is as stored.
            const std::uint32_t w = turned ? need.height : need.width, h = turned ? need.width : need.height;
            leastWidth_ = std::min(w, width);
            leastHeight_ = std::min(h, height);
        }
    }
    return true;
}

// The size the viewer scales a picture of width x height to, when it does.
bool Canvas::ViewerSize(std::uint32_t width, std::uint32_t height, std::uint32_t& w, std::uint32_t& h) const
{
    if (!request_.need)
        return false;
    VistrelNeed need{};
    request_.need(request_.context, width, height, &need);
    if (!(need.flags & VISTREL_NEED_SCALED) || need.width == 0 || need.height == 0)
        return false;
    w = need.width;
    h = need.height;
    return true;
}

// Whether the rows are to be scaled as they come, and to what size: the
// size the viewer scales the decoded picture to, when that is smaller and
// the viewer leaves a picture of that size as it is (so that what it shows
// is byte for byte what it makes of the whole picture). Only for pictures
// that need no turning, whose rows come top down.
bool Canvas::ScaleAsRowsCome(std::uint32_t width, std::uint32_t height, Order order, std::uint32_t& w, std::uint32_t& h)
{
    if (order != Order::kTopDown || orientation_ != 1 || !ViewerSize(width, height, w, h))
        return false;
    if (w > width || h > height || (w == width && h == height))
        return false;
    std::uint32_t again_w = 0, again_h = 0;
    if (!ViewerSize(w, h, again_w, again_h) || again_w != w || again_h != h)
        return false;
    return dib::StreamingScaler::Streams(width, height, w, h, kScalingMemoryLimit);
}

// What Begin allocates for a picture of that size: the DIB it fills (the
// whole picture, or the viewer's size when it scales as the rows come, with
// the rows of the scaling).
std::uint64_t Canvas::CanvasBytes(std::uint32_t width, std::uint32_t height, Order order)
{
    std::uint32_t w = 0, h = 0;
    if (ScaleAsRowsCome(width, height, order, w, h))
        return std::uint64_t{w} * h * 3 + std::uint64_t{width} * 4 * 16 + kScalingMemoryLimit / 4;
    return (std::uint64_t{width} * 3 + 3) * height;
}

bool Canvas::Afford(std::uint64_t decoderBytes, std::uint32_t width, std::uint32_t height, Order order)
{
    decoderBytes_ = decoderBytes;
    const std::uint64_t need = fileBytes_ + decoderBytes + CanvasBytes(width, height, order);
    if (need <= request_.memoryBudget)
        return true;
    constexpr std::uint64_t kMB = 1u << 20;
    return Fail("The picture (" + std::to_string(width_) + " x " + std::to_string(height_) +
                " pixels) would need about " + std::to_string((need + kMB - 1) / kMB) + " MB to read, more than the " +
                std::to_string(request_.memoryBudget / kMB) + " MB allowed");
}

bool Canvas::Begin(std::uint32_t width, std::uint32_t height, Layout layout, Order order)
{
    if (width == 0 || height == 0 || width > width_ || height > height_)
        return Fail("The decoder made a picture of another size than the file announced");
    if (!Afford(decoderBytes_, width, height, order))
        return false;
    decodedWidth_ = width;
    decodedHeight_ = height;
    layout_ = layout;
    if (!profile_.empty())
        transform_ = MakeColourTransform(profile_, Straight(layout));
    const bool turned = orientation_ >= 5;
    dibWidth_ = turned ? height : width;
    dibHeight_ = turned ? width : height;
    std::uint32_t scaledWidth = 0, scaledHeight = 0;
    const bool scaled = ScaleAsRowsCome(width, height, order, scaledWidth, scaledHeight);
    if (scaled) {
        dibWidth_ = scaledWidth;
        dibHeight_ = scaledHeight;
    }
    dib_.reset(dib::NewDIB(dibWidth_, dibHeight_, 24, 0, dib::kDefaultPelsPerMeter, dib::kDefaultPelsPerMeter));
    if (!dib_)
        return Fail("No memory for a picture of " + std::to_string(dibWidth_) + " x " + std::to_string(dibHeight_) +
                    " pixels");
    pixels_ = static_cast<std::uint8_t*>(gmem::Lock(dib_.get())) + dib::kInfoHeaderSize;
    stride_ = static_cast<std::size_t>(dib::DIBWidthBytes(24, dibWidth_));
    if (scaled) {
        try {
            scaler_ = std::make_unique<dib::StreamingScaler>(width, height, pixels_, stride_, dibWidth_, dibHeight_);
            scaledBgr_.assign(std::size_t{width} * 3, 0);
            pipeline_ =
                std::make_unique<RowPipeline>(std::size_t{width} * BytesPerPixel(layout),
                                              [this](std::uint32_t y, std::uint8_t* row) { TakeScaled(y, row); });
        } catch (const std::bad_alloc&) {
            pipeline_.reset();
            scaler_.reset();
            return Fail("No memory to scale a picture of " + std::to_string(width) + " x " + std::to_string(height) +
                        " pixels");
        }
        return true;
    }
    if (!Direct()) {
        row_.assign(std::size_t{width} * BytesPerPixel(layout), 0);
        bgr_.assign(std::size_t{width} * 3, 0);
    }
    return true;
}

bool Canvas::Direct() const { return layout_ == Layout::kBGR && !transform_ && orientation_ == 1; }

std::uint8_t* Canvas::Row(std::uint32_t y)
{
    if (!pixels_ || y >= decodedHeight_)
        return nullptr;
    if (pipeline_)
        return pipeline_->Row();
    if (Direct())
        return pixels_ + (dibHeight_ - 1 - y) * stride_;
    return row_.data();
}

void Canvas::Commit(std::uint32_t y)
{
    if (!pixels_ || y >= decodedHeight_)
        return;
    ++rowsDone_;
    if (pipeline_) {
        pipeline_->Commit(y);
        return;
    }
    if (Direct()) {
        if (rowStep_)
            rowStep_(y, pixels_ + (dibHeight_ - 1 - y) * stride_);
        return;
    }
    if (rowStep_)
        rowStep_(y, row_.data());
    Place(ToBgrRow(row_.data(), bgr_.data()), y);
}

// A row in the decoder's layout (changed in place) as blue, green, red:
// the row itself or `bgr`.
const std::uint8_t* Canvas::ToBgrRow(std::uint8_t* row, std::uint8_t* bgr)
{
    const std::uint32_t w = decodedWidth_;
    Layout layout = layout_;
    if (transform_) {
        if (IsCmyk(layout)) {
            transform_->Convert(row, bgr, w);
            return bgr;
        }
        if (layout != Straight(layout)) {
            Unpremultiply(row, w);
            layout = Straight(layout);
        }
        transform_->Convert(row, row, w);
    }
    if (layout == Layout::kBGR)
        return row;
    ToBgr(row, layout, w, background_, bgr);
    return bgr;
}

// On the pipeline's thread: row y to the scaler, after black rows for any
// the decoder skipped.
void Canvas::TakeScaled(std::uint32_t y, std::uint8_t* row)
{
    if (y < scaler_->RowsPushed())
        return;
    if (y > scaler_->RowsPushed()) {
        std::fill(scaledBgr_.begin(), scaledBgr_.end(), std::uint8_t{0});
        while (scaler_->RowsPushed() < y)
            scaler_->Push(scaledBgr_.data());
    }
    if (rowStep_)
        rowStep_(y, row);
    scaler_->Push(ToBgrRow(row, scaledBgr_.data()));
}

// Puts decoded row y (blue, green, red) where the orientation turns it.
void Canvas::Place(const std::uint8_t* bgr, std::uint32_t y)
{
    const std::uint32_t w = decodedWidth_, h = decodedHeight_;
    auto at = [&](std::uint32_t x, std::uint32_t shownY) {
        return pixels_ + (dibHeight_ - 1 - shownY) * stride_ + std::size_t{3} * x;
    };
    auto reversed = [&](std::uint8_t* out) {
        for (std::uint32_t x = 0; x < w; ++x)
            std::memcpy(out + std::size_t{3} * (w - 1 - x), bgr + std::size_t{3} * x, 3);
    };
    switch (orientation_) {
    case 1: std::memcpy(at(0, y), bgr, std::size_t{3} * w); return;
    case 2: reversed(at(0, y)); return;
    case 3: reversed(at(0, h - 1 - y)); return;
    case 4: std::memcpy(at(0, h - 1 - y), bgr, std::size_t{3} * w); return;
    default: break;
    }
    // Turned a quarter: the row becomes a column.
    const std::uint32_t column = orientation_ == 5 || orientation_ == 8 ? y : h - 1 - y;
    const bool upward = orientation_ == 7 || orientation_ == 8; // the row's start lands at the bottom
    for (std::uint32_t x = 0; x < w; ++x)
        std::memcpy(at(column, upward ? w - 1 - x : x), bgr + std::size_t{3} * x, 3);
}

gmem::Handle Canvas::Finish()
{
    if (!dib_)
        return nullptr;
    if (pipeline_) {
        pipeline_->Finish();
        scaler_->Finish(); // the rows that never came, black
    }
    gmem::Unlock(dib_.get());
    pixels_ = nullptr;
    return dib_.release();
}

} // namespace vistrel::photoload
