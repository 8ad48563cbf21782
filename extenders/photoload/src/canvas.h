// SPDX-License-Identifier: GPL-3.0-or-later
// The picture being built: every decoder hands its rows to a Canvas (the
// PictureSink of picture_sink.h), which checks the size, allocates the DIB,
// converts the colours to sRGB, lays transparent pixels over the background
// and puts each pixel where the picture's orientation says.
#pragma once

#include <atomic>
#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "picture_sink.h"
#include "row_pipeline.h"
#include "vistrel/dib/scale_stream.h"
#include "vistrel/photoload/read_photo.h"

namespace vistrel::photoload {

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

class Canvas final : public PictureSink {
public:
    explicit Canvas(const ReadRequest& request) : request_(request) {}
    Canvas(const Canvas&) = delete;
    Canvas& operator=(const Canvas&) = delete;

    bool Announce(std::uint32_t width, std::uint32_t height, int orientation) override;
    std::uint32_t LeastWidth() const override { return leastWidth_; }
    std::uint32_t LeastHeight() const override { return leastHeight_; }
    bool MayShrink() const override { return leastWidth_ < width_ || leastHeight_ < height_; }
    void SetProfile(std::vector<std::uint8_t> profile) override { profile_ = std::move(profile); }
    bool Begin(std::uint32_t width, std::uint32_t height, Layout layout, Order order = Order::kAny) override;
    bool Afford(std::uint64_t decoderBytes, std::uint32_t width, std::uint32_t height, Order order) override;
    // The bytes of the file being read, held while it decodes.
    void SetFileBytes(std::uint64_t bytes) { fileBytes_ = bytes; }
    std::uint8_t* Row(std::uint32_t y) override;
    void Commit(std::uint32_t y) override;
    void SetRowStep(RowStep step) override { rowStep_ = std::move(step); }
    std::uint32_t RowsDone() const override { return rowsDone_; }
    // Rows that go straight into the DIB touch nothing shared but the count.
    bool RowsInParallel() const override { return Direct() && !scaler_; }

    // The finished DIB (the caller owns it), or null when Begin never ran.
    gmem::Handle Finish();

    bool Fail(std::string reason) override;
    const std::string& Error() const { return error_; }

private:
    bool Direct() const;
    const std::uint8_t* ToBgrRow(std::uint8_t* row, std::uint8_t* bgr);
    void Place(const std::uint8_t* bgr, std::uint32_t y);
    bool ViewerSize(std::uint32_t width, std::uint32_t height, std::uint32_t& w, std::uint32_t& h) const;
    bool ScaleAsRowsCome(std::uint32_t width, std::uint32_t height, Order order, std::uint32_t& w, std::uint32_t& h);
    void TakeScaled(std::uint32_t y, std::uint8_t* row);
    std::uint64_t CanvasBytes(std::uint32_t width, std::uint32_t height, Order order);

    ReadRequest request_;
    std::uint32_t width_ = 0, height_ = 0; // announced
    int orientation_ = 1;
    std::uint32_t leastWidth_ = 0, leastHeight_ = 0;
    std::uint64_t fileBytes_ = 0, decoderBytes_ = 0;
    std::uint32_t background_ = 0; // 0x00RRGGBB
    std::vector<std::uint8_t> profile_;

    std::uint32_t decodedWidth_ = 0, decodedHeight_ = 0;
    Layout layout_ = Layout::kBGR;
    std::unique_ptr<ColourTransform> transform_;
    gmem::Owner dib_;
    std::uint8_t* pixels_ = nullptr; // the locked DIB's pixel rows
    std::uint32_t dibWidth_ = 0, dibHeight_ = 0;
    std::size_t stride_ = 0;
    std::vector<std::uint8_t> row_, bgr_;
    std::atomic<std::uint32_t> rowsDone_{0};
    RowStep rowStep_;
    std::string error_;
    // Scaling while decoding: the rows go through the pipeline to the
    // scaler, which writes the DIB at the viewer's size. Declared last, so
    // that the pipeline's thread ends before anything it uses goes.
    std::unique_ptr<dib::StreamingScaler> scaler_;
    std::vector<std::uint8_t> scaledBgr_;
    std::unique_ptr<RowPipeline> pipeline_;
};

} // namespace vistrel::photoload
