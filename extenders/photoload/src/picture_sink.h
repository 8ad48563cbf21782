// SPDX-License-Identifier: GPL-3.0-or-later
// Where a decoder puts the picture it decodes: the canvas (canvas.h). An
// interface of its own, so that decoders built into separate libraries (see
// decoder_table.cpp) call the canvas of the module that loaded them.
//
// A decoder first announces the picture's full size (Announce), learns from
// LeastWidth/LeastHeight how small it may decode, starts the picture at the
// size it decodes (Begin), then fills rows top-down, in any order, each once:
// Row(y) gives a buffer for row y in the decoder's pixel layout and Commit(y)
// stores it. Rows never committed stay black.
#pragma once

#include <cstdint>
#include <functional>
#include <string>
#include <vector>

namespace vistrel::photoload {

// Pixel layouts decoders deliver, 8 bits per sample.
enum class Layout {
    kBGR,
    kRGB,
    kBGRA,              // straight alpha
    kRGBA,              // straight alpha
    kBGRAPremultiplied, // colour already multiplied by alpha
    kRGBAPremultiplied,
    kCMYK,         // as stored by most programs: 0 is no ink
    kCMYKInverted, // as Adobe programs store it in JPEG files: 255 is no ink
};

inline int BytesPerPixel(Layout layout) { return layout == Layout::kBGR || layout == Layout::kRGB ? 3 : 4; }
inline bool HasAlpha(Layout layout)
{
    return BytesPerPixel(layout) == 4 && layout != Layout::kCMYK && layout != Layout::kCMYKInverted;
}

class PictureSink {
public:
    // The picture's full size as the decoder delivers it, and the EXIF
    // orientation (1 to 8; anything else counts as 1) the canvas is to apply.
    // False (with the reason) when the picture is empty or has more than
    // kMaxPixels pixels. Asks the viewer, once, what it needs.
    virtual bool Announce(std::uint32_t width, std::uint32_t height, int orientation) = 0;

    // The least size the decoder may deliver, as it delivers it (before the
    // orientation turns it); the full size when the viewer needs all of it.
    virtual std::uint32_t LeastWidth() const = 0;
    virtual std::uint32_t LeastHeight() const = 0;
    virtual bool MayShrink() const = 0;

    // The picture's embedded colour profile (before Begin).
    virtual void SetProfile(std::vector<std::uint8_t> profile) = 0;

    // Starts the picture at the size actually decoded (at most the announced
    // size) in `layout`. False with the reason when it cannot be had. A
    // decoder that commits every row once, top row first, says so with
    // kTopDown: the canvas may then scale the rows to the viewer's size as
    // they come, on another core, rather than hold the picture whole.
    enum class Order { kAny, kTopDown };
    virtual bool Begin(std::uint32_t width, std::uint32_t height, Layout layout, Order order = Order::kAny) = 0;

    // Before its library allocates anything large: the decoder will hold
    // about `decoderBytes` of its own while it delivers a picture of width x
    // height in `order`. False (with the reason, in megabytes) when that,
    // the file and the picture the canvas makes of it exceed the read's
    // memory budget. Begin checks the canvas's own share again, with the
    // bytes given here, so a decoder that holds little need not ask.
    virtual bool Afford(std::uint64_t decoderBytes, std::uint32_t width, std::uint32_t height, Order order) = 0;

    virtual std::uint8_t* Row(std::uint32_t y) = 0;
    virtual void Commit(std::uint32_t y) = 0;
    // Work each committed row needs before it is stored that must be done
    // in row order, such as undoing a PNG's row filters (which need the row
    // above): done, row by row, on the thread that stores the rows, the
    // canvas's second one when it scales while decoding, so that the
    // decoder's own thread goes on meanwhile. The step gets row y as
    // committed and changes it in place. Set it before the first Commit.
    using RowStep = std::function<void(std::uint32_t y, std::uint8_t* row)>;
    virtual void SetRowStep(RowStep step) = 0;
    // Rows committed so far.
    virtual std::uint32_t RowsDone() const = 0;
    // Whether two threads may fill distinct rows at once (Row and Commit of
    // different rows at the same time).
    virtual bool RowsInParallel() const = 0;

    // Records why the read failed; the first reason is kept. Returns false.
    virtual bool Fail(std::string reason) = 0;

protected:
    ~PictureSink() = default;
};

} // namespace vistrel::photoload
