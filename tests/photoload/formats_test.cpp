// SPDX-License-Identifier: GPL-3.0-or-later
// Every format, in its common variants, decodes like an independent decoder:
// ImageMagick (vips for JPEG XL, which this ImageMagick does not read).
// Lossless files exactly; lossy ones within what two decoders' arithmetic
// may differ by.
#include "photo_support.h"

namespace photo_test {
namespace {

class Formats : public ::testing::Test {
protected:
    static void SetUpTestSuite()
    {
        shop_ = new Workshop;
        if (HaveConvert())
            // Detail at every scale, like a photograph; odd sizes, so that rows need padding.
            shop_->Make("photo.png", "-size 151x97 -seed 4 plasma:fractal -depth 8 -define png:color-type=2");
    }
    static void TearDownTestSuite()
    {
        delete shop_;
        shop_ = nullptr;
    }
    void SetUp() override { PHOTO_REQUIRE_CONVERT(); }

    static fs::path Source() { return shop_->File("photo.png"); }
    static fs::path Make(const std::string& name, const std::string& options)
    {
        return shop_->Make(name, Quoted(Source()) + " " + options);
    }

    // Decodes `file` and compares it with ImageMagick's decode.
    static void ExpectLikeReference(const fs::path& file, double minimumPsnr, int tolerance = 0)
    {
        SCOPED_TRACE(file.filename().string());
        Decoded ours = Decode(file);
        ASSERT_TRUE(ours) << ours.error;
        Rgb reference = Reference(file);
        ASSERT_GT(reference.width, 0u) << "no reference decode";
        ASSERT_EQ(ours.rgb.width, reference.width);
        ASSERT_EQ(ours.rgb.height, reference.height);
        if (minimumPsnr > 0)
            EXPECT_GE(Psnr(ours.rgb, reference), minimumPsnr);
        else
            EXPECT_LE(MaxDifference(ours.rgb, reference), tolerance);
    }

    static Workshop* shop_;
};

Workshop* Formats::shop_ = nullptr;

TEST_F(Formats, Jpeg)
{
    if (!Reads(".jpg"))
        GTEST_SKIP() << "this build reads no JPEG";
    ExpectLikeReference(Make("q92.jpg", "-quality 92"), 45);
    ExpectLikeReference(Make("420.jpg", "-quality 85 -sampling-factor 2x2"), 45);
    ExpectLikeReference(Make("progressive.jpg", "-quality 90 -interlace JPEG"), 45);
    ExpectLikeReference(Make("grey.jpg", "-colorspace Gray -quality 90"), 45);
    // Adobe's inverted CMYK without a profile: both decoders mix the inks plainly.
    ExpectLikeReference(Make("cmyk.jpg", "-colorspace CMYK -quality 95"), 0, 2);
}

TEST_F(Formats, Png)
{
    if (!Reads(".png"))
        GTEST_SKIP() << "this build reads no PNG";
    ExpectLikeReference(Source(), 0);
    ExpectLikeReference(Make("palette.png", "-colors 200 PNG8:"), 0);
    ExpectLikeReference(Make("grey.png", "-colorspace Gray -define png:color-type=0"), 0);
    ExpectLikeReference(Make("interlaced.png", "-interlace PNG"), 0);
    // 16 bits are cut to 8 by the decoder and rounded by ImageMagick.
    ExpectLikeReference(Make("deep.png", "-depth 16 -evaluate multiply 0.93 PNG48:"), 0, 1);
}

// Plain 8-bit colour pictures, the common case, go through the row pipeline
// that scales while decoding: every row filter (ImageMagick's "quality" ones
// digit: none, sub, up, average, Paeth, chosen per row), with and without
// alpha, at a width whose rows end in the middle of a pixel group.
TEST_F(Formats, PngEveryRowFilter)
{
    if (!Reads(".png"))
        GTEST_SKIP() << "this build reads no PNG";
    for (int filter = 0; filter <= 5; ++filter) {
        const std::string q = "-quality " + std::to_string(90 + filter);
        SCOPED_TRACE(q);
        ExpectLikeReference(Make("rgb" + std::to_string(filter) + ".png", q + " -define png:color-type=2"), 0);
        const fs::path rgba =
            Make("rgba" + std::to_string(filter) + ".png",
                 "-crop 37x23+0+0 +repage -alpha set -channel A -fx 'i/w' +channel " + q + " -define png:color-type=6");
        const Decoded ours = Decode(rgba);
        ASSERT_TRUE(ours) << ours.error;
        EXPECT_LE(MaxDifference(ours.rgb, Reference(rgba, "-background black -flatten")), 1); // over black
    }
}

TEST_F(Formats, Webp)
{
    if (!Reads(".webp"))
        GTEST_SKIP() << "this build reads no WebP";
    ExpectLikeReference(Make("lossless.webp", "-define webp:lossless=true"), 0);
    ExpectLikeReference(Make("lossy.webp", "-quality 80"), 45);
}

TEST_F(Formats, Gif)
{
    if (!Reads(".gif"))
        GTEST_SKIP() << "this build reads no GIF";
    ExpectLikeReference(Make("dithered.gif", ""), 0);
    ExpectLikeReference(Make("interlaced.gif", "-interlace GIF"), 0);
}

TEST_F(Formats, Tiff)
{
    if (!Reads(".tif"))
        GTEST_SKIP() << "this build reads no TIFF";
    ExpectLikeReference(Make("plain.tif", "-compress none"), 0);
    ExpectLikeReference(Make("lzw.tif", "-compress lzw"), 0);
    ExpectLikeReference(Make("zip.tiff", "-compress zip -define tiff:tile-geometry=64x32"), 0);
    ExpectLikeReference(Make("deep.tif", "-depth 16 -evaluate multiply 0.93 -compress none"), 0, 1);
    // A colour map holds 16-bit entries: cut to 8 bits by the decoder, rounded by ImageMagick.
    ExpectLikeReference(Make("palette.tif", "-colors 50 -type Palette"), 0, 1);
}

TEST_F(Formats, HeifAndAvif)
{
    if (!Reads(".heic"))
        GTEST_SKIP() << "this build reads no HEIF";
    const fs::path heic = Make("photo.heic", "-quality 90");
    if (!fs::exists(heic) || fs::file_size(heic) == 0)
        GTEST_SKIP() << "this ImageMagick writes no HEIC";
    ExpectLikeReference(heic, 45);
    const fs::path avif = Make("photo.avif", "-quality 90");
    if (fs::exists(avif) && fs::file_size(avif) > 0)
        ExpectLikeReference(avif, 45);
}

TEST_F(Formats, JpegXl)
{
    if (!Reads(".jxl"))
        GTEST_SKIP() << "this build reads no JPEG XL";
    if (!HaveProgram("/usr/bin/vips"))
        GTEST_SKIP() << "vips is not installed: no JPEG XL files to compare";
    const fs::path lossless = shop_->File("lossless.jxl");
    ASSERT_TRUE(RunCommand("/usr/bin/vips copy " + Quoted(Source()) + " " + Quoted(lossless.string() + "[lossless]")));
    Decoded ours = Decode(lossless);
    ASSERT_TRUE(ours) << ours.error;
    EXPECT_EQ(MaxDifference(ours.rgb, Reference(Source())), 0) << "lossless: the source's own pixels";

    const fs::path lossy = shop_->File("lossy.jxl"), vipsDecode = shop_->File("lossy.ppm");
    ASSERT_TRUE(RunCommand("/usr/bin/vips copy " + Quoted(Source()) + " " + Quoted(lossy.string() + "[Q=90]")));
    ASSERT_TRUE(RunCommand("/usr/bin/vips copy " + Quoted(lossy) + " " + Quoted(vipsDecode)));
    ours = Decode(lossy);
    ASSERT_TRUE(ours) << ours.error;
    Rgb reference;
    ASSERT_TRUE(LoadPpm(vipsDecode, reference));
    EXPECT_GE(Psnr(ours.rgb, reference), 45);
}

// The signature decides, not the name: a PNG named .jpg reads as a PNG.
TEST_F(Formats, FilesAreToldByTheirContentNotTheirName)
{
    const fs::path misnamed = shop_->File("really-a-png.jpg");
    fs::copy_file(Source(), misnamed);
    Decoded d = Decode(misnamed);
    ASSERT_TRUE(d) << d.error;
    EXPECT_EQ(MaxDifference(d.rgb, Reference(Source())), 0);

    Decoded text = DecodeBytes({'h', 'e', 'l', 'l', 'o', ' ', 'w', 'o', 'r', 'l', 'd'});
    EXPECT_FALSE(text);
    EXPECT_EQ(text.error, "The file is not a picture this reader knows");
    Decoded missing = Decode(shop_->File("no such file.png"));
    EXPECT_FALSE(missing);
    EXPECT_NE(missing.error.find("cannot be read"), std::string::npos) << missing.error;
}

} // namespace
} // namespace photo_test
