// The picture being built: every decoder hands its rows to a Canvas, which
// checks the size, allocates the DIB, converts the colours to sRGB, lays
// transparent pixels over the background and puts each pixel where the
// picture's orientation says.
//
// A decoder first announces the picture's full size (Announce), learns from
// LeastWidth/LeastHeight how small it may decode, starts the DIB at the size
// it decodes (Begin), then fills rows top-down, in any order, each once:
// Row(y) gives a buffer for row y in the decoder's pixel layout and Commit(y)
// stores it. Rows never committed stay black.
#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "vistrel/photoload/read_photo.h"

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

int BytesPerPixel(Layout layout);
bool HasAlpha(Layout layout);

// Turns rows of one layout from a picture's colour space into sRGB; made
// from the picture's embedded profile (colour_profile.h). The colour of
// alpha layouts is converted in place, alpha kept; CMYK rows become BGR.
class ColourTransform {
public:
    virtual ~ColourTransform() = default;
    virtual void Convert(const std::uint8_t* in, std::uint8_t* out, std::uint32_t pixels) = 0;
};

// Makes a transform for `layout` from an embedded profile; null when the
// profile is sRGB already, unusable, or of another colour model. Set per
// platform (colour_profile.cpp, or none).
std::unique_ptr<ColourTransform> MakeColourTransform(const std::vector<std::uint8_t>& profile, Layout layout);

class Canvas {
public:
    explicit Canvas(const ReadRequest& request) : request_(request) {}
    Canvas(const Canvas&) = delete;
    Canvas& operator=(const Canvas&) = delete;

    // The picture's full size as the decoder delivers it, and the EXIF
    // orientation (1 to 8; anything else counts as 1) the canvas is to apply.
    // False (with the reason) when the picture is empty or has more than
    // kMaxPixels pixels. Asks the viewer, once, what it needs.
    bool Announce(std::uint32_t width, std::uint32_t height, int orientation);

    // The least size the decoder may deliver, as it delivers it (before the
    // orientation turns it); the full size when the viewer needs all of it.
    std::uint32_t LeastWidth() const { return leastWidth_; }
    std::uint32_t LeastHeight() const { return leastHeight_; }
    bool MayShrink() const { return leastWidth_ < width_ || leastHeight_ < height_; }

    // The picture's embedded colour profile (before Begin).
    void SetProfile(std::vector<std::uint8_t> profile) { profile_ = std::move(profile); }

    // Allocates the DIB for the size actually decoded (at most the announced
    // size) in `layout`. False with the reason when it cannot be had.
    bool Begin(std::uint32_t width, std::uint32_t height, Layout layout);

    std::uint8_t* Row(std::uint32_t y);
    void Commit(std::uint32_t y);
    // Rows committed so far.
    std::uint32_t RowsDone() const { return rowsDone_; }

    // The finished DIB (the caller owns it), or null when Begin never ran.
    gmem::Handle Finish();

    // Records why the read failed; the first reason is kept.
    bool Fail(std::string reason);
    const std::string& Error() const { return error_; }

    std::uint32_t DecodedWidth() const { return decodedWidth_; }
    std::uint32_t DecodedHeight() const { return decodedHeight_; }

private:
    bool Direct() const;
    void Place(const std::uint8_t* bgr, std::uint32_t y);

    ReadRequest request_;
    std::uint32_t width_ = 0, height_ = 0; // announced
    int orientation_ = 1;
    std::uint32_t leastWidth_ = 0, leastHeight_ = 0;
    std::uint32_t background_ = 0; // 0x00RRGGBB
    std::vector<std::uint8_t> profile_;

    std::uint32_t decodedWidth_ = 0, decodedHeight_ = 0;
    Layout layout_ = Layout::kBGR;
    std::unique_ptr<ColourTransform> transform_;
    gmem::Owner dib_;
    std::uint8_t* pixels_ = nullptr; // the locked DIB's pixel rows
    std::uint32_t dibWidth_ = 0, dibHeight_ = 0;
    std::size_t stride_ = 0;
    std::vector<std::uint8_t> row_, converted_, bgr_;
    std::uint32_t rowsDone_ = 0;
    std::string error_;
};

} // namespace vistrel::photoload
