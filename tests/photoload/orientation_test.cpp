// SPDX-License-Identifier: GPL-3.0-or-later
// The eight EXIF orientations of one picture all come out the same way up:
// from JPEG (EXIF block in APP1), PNG (eXIf chunk), WebP (EXIF chunk) and
// TIFF (its Orientation tag). Each file holds the picture turned the
// opposite way, so that only the orientation applied rights it.
#include "photo_support.h"

#include <array>

namespace photo_test {
namespace {

// ImageMagick's operation that stores the picture for orientation o, and
// the TIFF name of o.
constexpr std::array<const char*, 9> kStore = {
    "", "", "-flop", "-rotate 180", "-flip", "-transpose", "-rotate -90", "-transverse", "-rotate 90"};
constexpr std::array<const char*, 9> kTiffName = {
    "", "top-left", "top-right", "bottom-right", "bottom-left", "left-top", "right-top", "right-bottom", "left-bottom"};

// A TIFF-structured EXIF block holding only the orientation.
std::vector<std::uint8_t> ExifBlock(int orientation, bool bigEndian)
{
    std::vector<std::uint8_t> b;
    auto u16 = [&](unsigned v) {
        if (bigEndian)
            b.insert(b.end(), {std::uint8_t(v >> 8), std::uint8_t(v)});
        else
            b.insert(b.end(), {std::uint8_t(v), std::uint8_t(v >> 8)});
    };
    auto u32 = [&](unsigned v) { bigEndian ? (u16(v >> 16), u16(v & 0xFFFF)) : (u16(v & 0xFFFF), u16(v >> 16)); };
    b.insert(b.end(),
             bigEndian ? std::initializer_list<std::uint8_t>{'M', 'M'} : std::initializer_list<std::uint8_t>{'I', 'I'});
    u16(42);
    u32(8);
    u16(1);                      // one entry
    u16(0x0112), u16(3), u32(1); // Orientation, SHORT, one value
    u16(static_cast<unsigned>(orientation)), u16(0);
    u32(0); // no next IFD
    return b;
}

std::vector<std::uint8_t> WithJpegExif(std::vector<std::uint8_t> jpeg, int orientation)
{
    std::vector<std::uint8_t> app = {'E', 'x', 'i', 'f', 0, 0};
    const std::vector<std::uint8_t> tiff = ExifBlock(orientation, orientation % 2 == 0);
    app.insert(app.end(), tiff.begin(), tiff.end());
    const std::size_t length = app.size() + 2;
    std::vector<std::uint8_t> segment = {0xFF, 0xE1, std::uint8_t(length >> 8), std::uint8_t(length)};
    segment.insert(segment.end(), app.begin(), app.end());
    jpeg.insert(jpeg.begin() + 2, segment.begin(), segment.end());
    return jpeg;
}

// An eXIf chunk right after the header chunk.
std::vector<std::uint8_t> WithPngExif(std::vector<std::uint8_t> png, int orientation)
{
    const std::vector<std::uint8_t> exif = ExifBlock(orientation, orientation % 2 == 1);
    std::vector<std::uint8_t> chunk = {std::uint8_t(exif.size() >> 24),
                                       std::uint8_t(exif.size() >> 16),
                                       std::uint8_t(exif.size() >> 8),
                                       std::uint8_t(exif.size()),
                                       'e',
                                       'X',
                                       'I',
                                       'f'};
    chunk.insert(chunk.end(), exif.begin(), exif.end());
    const std::uint32_t crc = Crc32(chunk.data() + 4, chunk.size() - 4);
    chunk.insert(chunk.end(),
                 {std::uint8_t(crc >> 24), std::uint8_t(crc >> 16), std::uint8_t(crc >> 8), std::uint8_t(crc)});
    png.insert(png.begin() + 8 + 25, chunk.begin(), chunk.end()); // after the signature and IHDR
    return png;
}

class Orientation : public ::testing::Test {
protected:
    static void SetUpTestSuite()
    {
        shop_ = new Workshop;
        if (!HaveConvert())
            return;
        // Four colours in four quadrants and a mark near one corner: every
        // turn and mirror image of it differs from every other.
        shop_->Make("upright.png", "-size 24x16 xc:red -size 24x16 xc:lime +append \\( -size 24x16 xc:blue "
                                   "-size 24x16 xc:white +append \\) -append -fill black -draw 'rectangle 2,2 5,4' "
                                   "-depth 8 -define png:color-type=2");
        upright_ = new Rgb(Reference(shop_->File("upright.png")));
    }
    static void TearDownTestSuite()
    {
        delete upright_;
        delete shop_;
        upright_ = nullptr;
        shop_ = nullptr;
    }
    void SetUp() override { PHOTO_REQUIRE_CONVERT(); }

    // The upright picture stored for orientation o, as `name`.
    static fs::path Stored(int o, const std::string& name, const std::string& options = "")
    {
        return shop_->Make(name, Quoted(shop_->File("upright.png")) + " " + kStore[o] + " " + options);
    }

    static void ExpectUpright(const Decoded& d, double meanTolerance)
    {
        ASSERT_TRUE(d) << d.error;
        ASSERT_EQ(d.rgb.width, upright_->width);
        ASSERT_EQ(d.rgb.height, upright_->height);
        if (meanTolerance == 0)
            EXPECT_EQ(MaxDifference(d.rgb, *upright_), 0);
        else
            EXPECT_LT(MeanDifference(d.rgb, *upright_), meanTolerance);
    }

    static Workshop* shop_;
    static Rgb* upright_;
};

Workshop* Orientation::shop_ = nullptr;
Rgb* Orientation::upright_ = nullptr;

TEST_F(Orientation, PngEXIfChunk)
{
    if (!Reads(".png"))
        GTEST_SKIP() << "this build reads no PNG";
    for (int o = 1; o <= 8; ++o) {
        SCOPED_TRACE(o);
        const fs::path plain = Stored(o, "o" + std::to_string(o) + ".png", "-define png:color-type=2");
        ExpectUpright(DecodeBytes(WithPngExif(ReadBytes(plain), o)), 0);
    }
}

TEST_F(Orientation, JpegExifBlock)
{
    if (!Reads(".jpg"))
        GTEST_SKIP() << "this build reads no JPEG";
    for (int o = 1; o <= 8; ++o) {
        SCOPED_TRACE(o);
        const fs::path plain = Stored(o, "o" + std::to_string(o) + ".jpg", "-quality 97");
        ExpectUpright(DecodeBytes(WithJpegExif(ReadBytes(plain), o)), 3);
    }
}

TEST_F(Orientation, WebpExifChunk)
{
    if (!Reads(".webp") || !Reads(".jpg"))
        GTEST_SKIP() << "this build reads no WebP";
    for (int o : {3, 6, 7}) {
        SCOPED_TRACE(o);
        // ImageMagick carries a JPEG's EXIF block into the WebP file it writes.
        const fs::path jpeg = shop_->File("w" + std::to_string(o) + ".jpg");
        WriteBytes(jpeg, WithJpegExif(ReadBytes(Stored(o, "w" + std::to_string(o) + "-plain.jpg", "-quality 97")), o));
        const fs::path webp =
            shop_->Make("w" + std::to_string(o) + ".webp", Quoted(jpeg) + " -define webp:lossless=true");
        ExpectUpright(Decode(webp), 3);
    }
}

TEST_F(Orientation, TiffOrientationTag)
{
    if (!Reads(".tif"))
        GTEST_SKIP() << "this build reads no TIFF";
    for (int o = 1; o <= 8; ++o) {
        SCOPED_TRACE(o);
        ExpectUpright(Decode(Stored(o, "o" + std::to_string(o) + ".tif", std::string("-orient ") + kTiffName[o])), 0);
    }
}

// A damaged EXIF block or an impossible value leaves the picture as stored.
TEST_F(Orientation, DamagedOrUnknownOrientationsShowThePictureAsStored)
{
    if (!Reads(".jpg"))
        GTEST_SKIP() << "this build reads no JPEG";
    const std::vector<std::uint8_t> plain = ReadBytes(Stored(1, "asis.jpg", "-quality 97"));
    ExpectUpright(DecodeBytes(WithJpegExif(plain, 9)), 3);
    ExpectUpright(DecodeBytes(WithJpegExif(plain, 0)), 3);
    std::vector<std::uint8_t> cut = WithJpegExif(plain, 6);
    cut[2 + 4 + 6] = 0xFF; // no byte order any more
    ExpectUpright(DecodeBytes(cut), 3);
}

} // namespace
} // namespace photo_test
